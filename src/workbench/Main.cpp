#include "workbench/Main.h"

#include <QApplication>
#include <QStringList>
#include <QTimer>

#include "workbench/MainWindow.h"
#include "workbench/WorkbenchName.h"
#include "workbench/WorkbenchSettings.h"

namespace brindle::workbench {

int Main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(WorkbenchName());
    QApplication::setApplicationVersion(QStringLiteral(BRINDLE_VERSION));
    WorkbenchSettings settings;
    MainWindow window(settings);
    window.BeginStartup();
    const QStringList paths = QApplication::arguments().mid(1);
    window.show();
    // The add-in hears that the start-up is complete once the window is up, and the files named
    // open with the window on screen, so that their progress shows.
    QTimer::singleShot(0, &window, [&window, paths] {
        window.FinishStartup();
        window.Open(paths);
    });
    return QApplication::exec();
}

}  // namespace brindle::workbench
