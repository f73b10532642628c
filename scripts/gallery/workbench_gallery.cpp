// Shows the workbench in one scene, for looking at it on a screen, and saves a screenshot of
// the whole screen (ImageMagick's import) at the moment the scene is complete:
//   workbench_gallery SCENE PROJECT OUTPUT.png [MODULE [LINE]]
// SCENE: main, menu, options, status, designer, addins, splash, tools, opening, skipped,
// projectmenu, projecttyped, projectstep, projectundone, summary, objects, recent, ctrlr,
// codepage, replace, replaceall, replacesaved.

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>
#include <QWidget>
#include <cstdio>
#include <filesystem>
#include <string>

#include "addin/Commands.h"
#include "workbench/CodeWindow.h"
#include "workbench/Dialogs.h"
#include "workbench/FindReplace.h"
#include "workbench/MainWindow.h"

using namespace brindle;
using namespace brindle::workbench;

namespace {

QString output;
bool shot = false;

// Lets the window system catch up for a while, then takes the screenshot.
void Shoot(int milliseconds = 700) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    QProcess::execute(QStringLiteral("import"), {"-window", "root", output});
    shot = true;
}

host::MemoryComponent* Find(MainWindow& window, const QString& name) {
    for (const auto& project : window.Work().Projects()) {
        for (const auto& module : project->modules) {
            if (QString::fromStdString(module->Component().Name()) == name || name.isEmpty()) {
                return &module->Component();
            }
        }
    }
    return nullptr;
}

// The dialog on top when it is there, answered once it is on the screenshot.
void ShootDialogThen(std::function<void(QWidget&)> close) {
    QTimer::singleShot(300, [close] {
        Shoot();
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            close(*dialog);
        }
    });
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: workbench_gallery SCENE PROJECT OUTPUT.png [MODULE [LINE]]\n");
        return 2;
    }
    const QString scene = QString::fromLocal8Bit(argv[1]);
    output = QString::fromLocal8Bit(argv[3]);
    const QString moduleName = argc > 4 ? QString::fromLocal8Bit(argv[4]) : QString();
    const int line = argc > 5 ? std::stoi(argv[5]) : 1;

    WorkbenchSettings settings;
    MainWindow window(settings);
    window.BeginStartup();
    window.show();
    if (scene == "splash") {
        window.FinishStartup();
    }
    if (scene == "opening") {
        // The progress of a large project, while it opens.
        QTimer::singleShot(30, [] { Shoot(0); });
    }
    window.Open({QString::fromLocal8Bit(argv[2])});
    host::MemoryComponent* component = Find(window, moduleName);
    CodeWindow* code = nullptr;
    if (component != nullptr && component->Code() != nullptr && scene != "designer") {
        code = window.OpenCodeWindow(*component);
        code->GoToLine(line);
    }

    if (scene == "opening") {
        if (!shot) {
            Shoot(0);  // it opened too fast for its progress to be seen
        }
    } else if (scene == "main" || scene == "splash") {
        Shoot(scene == "splash" ? 1200 : 700);
    } else if (scene == "menu" && code != nullptr) {
        code->Editor().setSelection(line + 1, 0, line + 9, 0);
        Shoot(300);
        std::unique_ptr<QMenu> menu = window.CodeWindowMenu();
        const QPoint at = code->Editor().viewport()->mapToGlobal(QPoint(260, 160));
        menu->popup(at);
        Shoot();
    } else if (scene == "skipped") {
        // What Brindle leaves alone, every item unfolded, with the tooltip of the last one.
        QTreeWidget& tree = window.ProjectTree();
        tree.expandAll();
        QTreeWidgetItem* last = nullptr;
        for (QTreeWidgetItemIterator it(&tree); *it != nullptr; ++it) {
            if ((*it)->font(0).italic()) {
                last = *it;
            }
        }
        Shoot(300);
        if (last != nullptr) {
            tree.setCurrentItem(last);
            const QRect place = tree.visualItemRect(last);
            QToolTip::showText(tree.viewport()->mapToGlobal(place.center()), last->toolTip(0),
                               &tree);
        }
        Shoot();
    } else if (scene == "projectmenu") {
        QTreeWidget& tree = window.ProjectTree();
        std::unique_ptr<QMenu> menu = window.ProjectMenu(*window.Work().Projects().front());
        menu->popup(tree.viewport()->mapToGlobal(QPoint(60, 12)));
        Shoot();
    } else if (scene == "tools") {
        QMenu& tools = window.ToolsMenu();
        window.menuBar()->setActiveAction(tools.menuAction());
        Shoot();
    } else if (scene == "options") {
        ShootDialogThen([](QWidget& dialog) { static_cast<QDialog&>(dialog).reject(); });
        window.Host().Click(CommandId::Options);
    } else if (scene == "help") {
        // F1 in the options dialog: the help window beside it.
        QTimer::singleShot(300, [] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (dialog == nullptr) {
                return;
            }
            QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
            QApplication::sendEvent(dialog, &f1);
            QTimer::singleShot(400, [dialog] {
                Shoot();
                static_cast<QDialog*>(dialog)->reject();
            });
        });
        window.Host().Click(CommandId::Options);
    } else if (scene == "status") {
        window.Host().Windows().Answers().SetNextAnswer(vbYes);
        // The first pass over pending events that the status window makes takes the picture.
        QTimer::singleShot(0, [] { Shoot(400); });
        window.Host().Click(CommandId::AddAll);
        if (!shot) {
            Shoot();
        }
    } else if (scene.startsWith("project") && scene != "projectmenu" && code != nullptr) {
        // A word of the line selected, Add All, then: typing over the word, or a second
        // module opened and the Edit menu from the project window, or that menu's Undo.
        code->Editor().setSelection(line - 1, 4, line - 1, 12);
        window.Host().Windows().Answers().SetNextAnswer(vbYes);
        window.Host().Click(CommandId::AddAll);
        if (scene == "projecttyped") {
            code->Editor().setFocus();
            QKeyEvent key(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
            QApplication::sendEvent(&code->Editor(), &key);
        } else {
            for (const auto& module : window.Work().Projects().front()->modules) {
                if (&module->Component() != component && module->Component().Code() != nullptr) {
                    window.OpenCodeWindow(module->Component());
                    break;
                }
            }
            window.ProjectTree().setFocus();
            if (scene == "projectundone") {
                window.Undo();
            }
            QMenu* edit = window.menuBar()->actions().at(1)->menu();
            window.menuBar()->setActiveAction(edit->menuAction());
        }
        Shoot();
    } else if (scene == "designer" && component != nullptr) {
        window.OpenDesigner(*component);
        Shoot();
    } else if (scene == "addins") {
        ShootDialogThen([](QWidget& dialog) { static_cast<QDialog&>(dialog).reject(); });
        window.ShowAddInManager();
    } else if (scene == "summary") {
        window.Host().Windows().Answers().SetNextAnswer(vbYes);
        window.Host().Click(CommandId::AddAll);
        Shoot();
    } else if (scene == "objects" && code != nullptr) {
        code->Objects().setCurrentIndex(code->Objects().findText(QStringLiteral("mCurrent")));
        Shoot(300);
        code->Objects().showPopup();
        Shoot();
    } else if (scene == "recent") {
        // Two recent projects of one name, told apart by their folders.
        settings.AddRecentProject(std::filesystem::path("/home/ann/old/Inventory.vbp"));
        settings.AddRecentProject(std::filesystem::absolute(argv[2]));
        QMenu* file = window.menuBar()->actions().front()->menu();
        window.menuBar()->setActiveAction(file->menuAction());
        Shoot();
    } else if (scene == "ctrlr" && code != nullptr) {
        // The project window hidden, the caret in the code, then View > Project Explorer.
        window.findChild<QWidget*>(QStringLiteral("projectDock"))->hide();
        code->Editor().setFocus();
        Shoot(300);
        for (QAction* action : window.menuBar()->actions().at(2)->menu()->actions()) {
            if (action->shortcut() == QKeySequence(QStringLiteral("Ctrl+R"))) {
                action->trigger();
            }
        }
        Shoot();
    } else if (scene.startsWith("replace") && code != nullptr) {
        // The Replace dialog over the project, its first match found; or every match replaced,
        // and then saved.
        window.ShowFind(true);
        window.Finder().Dialog().Fill(QStringLiteral("Quantity"), QStringLiteral("OnHand"),
                                      SearchScope::Project, false, true, false);
        window.Finder().Dialog().move(window.geometry().center() - QPoint(200, 20));
        window.Finder().FindNext();
        if (scene != "replace") {
            window.Finder().ReplaceAll();
        }
        if (scene == "replacesaved") {
            window.SaveAll();
        }
        window.Finder().Dialog().raise();
        window.Finder().Dialog().activateWindow();
        Shoot();
    } else if (scene == "reopened" && code != nullptr) {
        // A code window closed with its caret far along a line and opened again.
        code->Editor().setCursorPosition(line - 1, 60);
        code->parentWidget()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        window.OpenCodeWindow(*component);
        Shoot(300);
    } else if (scene == "findselection" && code != nullptr) {
        // Find over lines selected: Selected Text is chosen, and a match found in them.
        code->Editor().setSelection(line - 1, 4, line + 6, 0);
        window.ShowFind(false);
        window.Finder().Dialog().SetFindWhat(QStringLiteral("Buffer"));
        window.Finder().Dialog().move(window.geometry().center() - QPoint(200, -80));
        window.Finder().FindNext();
        Shoot();
    } else if (scene == "codepage") {
        // A project opened in the wrong code page, then read again in 932: OUTPUT names the
        // second shot, the first goes beside it with "-before".
        const QString after = output;
        output = QString(after).replace(QStringLiteral(".png"), QStringLiteral("-before.png"));
        Shoot();
        window.runDialog = [](QDialog& dialog) {
            dynamic_cast<CodePageDialog&>(dialog).SetCodePage(932);
            return int(QDialog::Accepted);
        };
        window.ChooseCodePage();
        window.ProjectTree().expandAll();
        output = after;
        Shoot();
    } else {
        std::fprintf(stderr, "unknown scene or module\n");
        return 2;
    }
    // Nothing is saved: the scene's changes are dropped.
    window.Host().Windows().Answers().SetNextAnswer(vbNo);
    window.close();
    return 0;
}
