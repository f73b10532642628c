// Shows one of the add-in's Qt windows as a command would, for looking at it on a screen:
//   window_gallery options|templates|status|splash|question [SECONDS]
// It quits after SECONDS (default 4); the options dialog and the message box are left open
// until then.

#include <QApplication>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <string>

#include "templates/OptionStore.h"
#include "ui/qt/QtWindows.h"
#include "util/DateFormat.h"

using namespace brindle;

namespace {

void ShowOptions(ui::qt::QtWindows& windows, int tab) {
    std::unique_ptr<frmOptions> dialog = windows.CreateOptions(nullptr);
    OptionsControls& controls = dialog->Controls();
    controls.txtAuthor = "Ann Author";
    controls.chkCodeMarkers = 1;
    controls.txtDateFormat = kDefaultDateFormat;
    controls.txtModHdrFname = kDefaultModHdrFname;
    controls.txtProcHdrFname = kDefaultProcHdrFname;
    controls.txtErrHdrFname = kDefaultErrHdrFname;
    controls.txtErrFtrFname = kDefaultErrFtrFname;
    QTimer::singleShot(0, [tab] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* tabs = window->findChild<QTabWidget*>("tabOptions")) {
                tabs->setCurrentIndex(tab);
            }
        }
    });
    dialog->ShowModal();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const std::string window = argc > 1 ? argv[1] : "";
    const int seconds = argc > 2 ? std::stoi(argv[2]) : 4;
    QTimer::singleShot(seconds * 1000, &app, [] {
        QApplication::closeAllWindows();  // ends the modal ones
        QCoreApplication::quit();
    });

    ui::qt::QtWindows windows;
    std::unique_ptr<frmMsg> status;
    if (window == "options" || window == "templates") {
        ShowOptions(windows, window == "options" ? 0 : 1);
        return 0;
    }
    if (window == "status") {
        status = windows.CreateMsg(nullptr);
        status->Load();
        status->SetMessage("Adding error handler(s) to modInventory");
    } else if (window == "splash") {
        windows.CreateSplash()->Show();
    } else if (window == "question") {
        windows.MsgBox(
            "Removing code markers from this project will prevent Brindle \r\n"
            "from being able to remove the code it's added up to now.\r\n\r\n"
            "Are you sure you want to remove Brindle code markers?",
            vbYesNo + vbExclamation, "Remove Code Markers");
        return 0;
    } else {
        std::fprintf(stderr, "usage: window_gallery options|templates|status|splash|question\n");
        return 2;
    }
    return QApplication::exec();
}
