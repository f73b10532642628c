#include "cli/OptionsCommand.h"

#include <filesystem>

#include "addin/Buttons.h"
#include "cli/Inputs.h"
#include "cli/RunLog.h"
#include "cli/Session.h"
#include "cli/StoredCodePage.h"
#include "cli/Table.h"
#include "host/vb6/CodePage.h"
#include "templates/OptionStore.h"

namespace fs = std::filesystem;

namespace brindle::cli {
namespace {

// The file a template path leads to now, or nothing.
std::optional<fs::path> Found(const host::TemplateFileReader& reader, const std::string& path) {
    std::error_code error;
    const fs::path file = reader.Resolve(path);
    if (file.empty() || !fs::is_regular_file(file, error)) {
        return std::nullopt;
    }
    return fs::absolute(file, error).lexically_normal();
}

void Reset(frmOptions& dialog) {
    auto& controls = dialog.Controls();
    controls.txtAuthor = kDefaultAuthor;
    controls.chkCodeMarkers = 1;
    controls.chkDisableSplash = 0;
    controls.txtModHdrFname = kDefaultModHdrFname;
    controls.txtProcHdrFname = kDefaultProcHdrFname;
    controls.txtErrHdrFname = kDefaultErrHdrFname;
    controls.txtErrFtrFname = kDefaultErrFtrFname;
    dialog.SetLastDir(kDefaultLastDir);
}

// A template path is kept as typed, and looked for as it will be at each use.
void Apply(const OptionChanges& changes, OptionsControls& controls,
           const host::TemplateFileReader& reader, RunLog& log) {
    if (changes.author) {
        controls.txtAuthor = *changes.author;
    }
    if (changes.markers) {
        controls.chkCodeMarkers = *changes.markers ? 1 : 0;
    }
    if (changes.splash) {
        controls.chkDisableSplash = *changes.splash ? 0 : 1;
    }
    const auto take = [&](const std::optional<std::string>& path, std::string& box) {
        if (!path) {
            return;
        }
        box = *path;
        if (!path->empty() && !Found(reader, *path)) {
            log.Warning("no template file " + *path +
                        " in the current folder or among the installed templates; that "
                        "template will be empty until there is one");
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

struct Shown {
    OptionsControls controls;
    std::string lastDir;
    int codePage = kDefaultCodePage;
    std::string settingsFile;
};

void Print(const Shown& shown, const host::TemplateFileReader& reader, std::ostream& out) {
    const auto& controls = shown.controls;
    const auto templateRow = [&](const char* name, const std::string& path) {
        const auto found = Found(reader, path);
        return std::vector<std::string>{name, path,
                                        "-> " + (found ? found->string() : "not found")};
    };
    PrintColumns({{"settings-file", shown.settingsFile},
                  {"author", controls.txtAuthor},
                  {"markers", OnOff(controls.chkCodeMarkers == 1)},
                  {"splash", OnOff(controls.chkDisableSplash != 1)},
                  {"codepage", std::to_string(shown.codePage)},
                  templateRow("module-header-template", controls.txtModHdrFname),
                  templateRow("procedure-header-template", controls.txtProcHdrFname),
                  templateRow("error-header-template", controls.txtErrHdrFname),
                  templateRow("error-footer-template", controls.txtErrFtrFname),
                  {"last-directory", shown.lastDir}},
                 out);
}

// The code page as it is to be kept: the one given, the default after --reset, or the stored
// one. A stored text that is no code page is kept and told in `problem`.
int NewCodePage(const OptionChanges& changes, std::string& problem) {
    if (changes.codepage) {
        CheckCodePage(*changes.codepage);
        return *changes.codepage;
    }
    if (changes.reset) {
        return kDefaultCodePage;
    }
    try {
        return CodePageOf({});
    } catch (const InputError& e) {
        problem = e.what();
        return kDefaultCodePage;
    }
}

}  // namespace

int RunOptions(const Request& request, const Streams& io) {
    const auto& changes = request.options;
    std::string problem;
    const int codePage = NewCodePage(changes, problem);
    RunLog log(io.err, Progress::Quiet, codePage);
    if (!problem.empty()) {
        log.Warning(problem);
    }
    host::TemplateFileReader reader;
    std::optional<Shown> shown;
    SessionSetup setup;
    setup.codePage = codePage;
    setup.fillOptions = [&](frmOptions& dialog) {
        if (changes.reset) {
            Reset(dialog);
        }
        Apply(changes, dialog.Controls(), reader, log);
        shown = Shown{dialog.Controls(), dialog.LastDir(), codePage, {}};
        return changes.Any() ? DialogButton::OK : DialogButton::Cancel;
    };
    Session session(log, setup);
    session.Connect();
    session.Click(buttons::kCodeWindowBar, buttons::kOptions);
    if (problem.empty()) {
        log.SetCurrent(session.SettingsLabel(), "the code page was not saved");
        IgnoreStep(&log, [&] { StoreCodePage(session.Settings(), codePage); });
    }
    session.Disconnect();
    if (!shown) {
        log.Problem("options", "the add-in did not connect; the options were not shown");
        return 1;
    }
    shown->settingsFile =
        host::ShownAsUtf8(fs::absolute(session.Settings().FileName()).string(), codePage);
    Print(*shown, reader, io.out);
    return log.Failures() > 0 ? 1 : 0;
}

}  // namespace brindle::cli
