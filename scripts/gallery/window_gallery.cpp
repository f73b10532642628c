// Shows one of the add-in's Qt windows as a command would, for looking at it on a screen:
//   window_gallery options|templates|status|splash|question [SECONDS]
// It quits after SECONDS (default 4); the options dialog and the message box are left open
// until then.

#include <QApplication>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <string>

#include "Gallery.h"
#include "ui/qt/QtWindows.h"

using namespace brindle;

namespace {

// Turns the options dialog, once shown, to its Templates tab.
void TurnToTemplates() {
    QTimer::singleShot(0, [] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* tabs = window->findChild<QTabWidget*>("tabOptions")) {
                tabs->setCurrentIndex(1);
            }
        }
    });
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
    const std::optional<bool> stays =
        gallery::ShowInGallery(windows, window, status, TurnToTemplates);
    if (!stays) {
        std::fprintf(stderr, "usage: window_gallery options|templates|status|splash|question\n");
        return 2;
    }
    if (!*stays) {
        return 0;
    }
    return QApplication::exec();
}
