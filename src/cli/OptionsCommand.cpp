#include "cli/OptionsCommand.h"

#include <filesystem>

#include "addin/Buttons.h"
#include "cli/RunLog.h"
#include "cli/Session.h"
#include "cli/Table.h"

namespace fs = std::filesystem;

namespace brindle::cli {
namespace {

// A template path as the dialog's file chooser would give it: absolute.
std::string TemplatePath(const std::string& path, const Streams& io) {
    if (path.empty()) {
        return path;
    }
    std::error_code error;
    const auto absolute = fs::absolute(path, error).lexically_normal();
    if (!fs::is_regular_file(absolute, error)) {
        io.err << "brindle: warning: no file at " << absolute.string()
               << "; that template will be empty\n";
    }
    return absolute.string();
}

void Apply(const OptionChanges& changes, OptionsControls& controls, const Streams& io) {
    if (changes.author) {
        controls.txtAuthor = *changes.author;
    }
    if (changes.markers) {
        controls.chkCodeMarkers = *changes.markers ? 1 : 0;
    }
    if (changes.splash) {
        controls.chkDisableSplash = *changes.splash ? 0 : 1;
    }
    const auto take = [&io](const std::optional<std::string>& path, std::string& box) {
        if (path) {
            box = TemplatePath(*path, io);
        }
    };
    take(changes.moduleHeaderTemplate, controls.txtModHdrFname);
    take(changes.procedureHeaderTemplate, controls.txtProcHdrFname);
    take(changes.errorHeaderTemplate, controls.txtErrHdrFname);
    take(changes.errorFooterTemplate, controls.txtErrFtrFname);
}

std::string OnOff(bool on) {
    return on ? "on" : "off";
}

void Print(const OptionsControls& controls, const std::string& lastDir, std::ostream& out) {
    PrintColumns({{"author", controls.txtAuthor},
                  {"markers", OnOff(controls.chkCodeMarkers == 1)},
                  {"splash", OnOff(controls.chkDisableSplash != 1)},
                  {"module-header-template", controls.txtModHdrFname},
                  {"procedure-header-template", controls.txtProcHdrFname},
                  {"error-header-template", controls.txtErrHdrFname},
                  {"error-footer-template", controls.txtErrFtrFname},
                  {"last-directory", lastDir}},
                 out);
}

}  // namespace

int RunOptions(const Request& request, const Streams& io) {
    RunLog log(io.err, Progress::Quiet);
    std::optional<OptionsControls> shown;
    std::string lastDir;
    SessionSetup setup;
    setup.fillOptions = [&](frmOptions& dialog) {
        Apply(request.options, dialog.Controls(), io);
        shown = dialog.Controls();
        lastDir = dialog.LastDir();
        return request.options.Any() ? DialogButton::OK : DialogButton::Cancel;
    };
    Session session(log, setup);
    session.Connect();
    session.Click(buttons::kCodeWindowBar, buttons::kOptions);
    session.Disconnect();
    if (!shown) {
        log.Problem("options", "the add-in did not connect; the options were not shown");
        return 1;
    }
    Print(*shown, lastDir, io.out);
    return log.Failures() > 0 ? 1 : 0;
}

}  // namespace brindle::cli
