#include "workbench/Menus.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <optional>

#include "codegen/Refresh.h"
#include "ui/qt/QtText.h"
#include "workbench/AddinHost.h"
#include "workbench/CodeWindow.h"
#include "workbench/DesignBlock.h"
#include "workbench/HelpWindow.h"
#include "workbench/WindowList.h"
#include "workbench/WorkbenchName.h"
#include "workbench/WorkbenchSettings.h"

namespace brindle::workbench {
namespace {

using ui::qt::ToQString;

// "&" in a caption or a file name is shown as it is, not as the mark of a shortcut key.
QString MenuText(const QString& caption) {
    return QString(caption).replace('&', QStringLiteral("&&"));
}

}  // namespace

Menus::Menus(QMainWindow& window, MenuCommands& commands, AddinHost& host, WindowList& windows,
             WorkbenchSettings& settings)
    : QObject(&window),
      window_(window),
      commands_(commands),
      host_(host),
      windows_(windows),
      settings_(settings) {
    BuildFileMenu();
    BuildEditMenu();
    BuildViewMenu();

    toolsMenu_ = window_.menuBar()->addMenu(QStringLiteral("&Tools"));
    toolsMenu_->setObjectName(QStringLiteral("toolsMenu"));
    connect(toolsMenu_, &QMenu::aboutToShow, this, [this] { ToolsMenu(); });

    QMenu* addins = window_.menuBar()->addMenu(QStringLiteral("&Add-Ins"));
    addins->addAction(QStringLiteral("&Add-In Manager..."), this,
                      [this] { commands_.ShowAddInManager(); });

    // Ctrl+F4 closes the active window, as in the IDE; a sub-window's own Close takes it only
    // where the platform's keys for closing include it.
    const QKeySequence ctrlF4(QStringLiteral("Ctrl+F4"));
    if (!QKeySequence::keyBindings(QKeySequence::Close).contains(ctrlF4)) {
        auto* close = new QAction(QStringLiteral("Close Window"), &window_);
        close->setShortcut(ctrlF4);
        connect(close, &QAction::triggered, &windows_, &QMdiArea::closeActiveSubWindow);
        window_.addAction(close);
    }
    QMenu* list = window_.menuBar()->addMenu(QStringLiteral("&Window"));
    connect(list, &QMenu::aboutToShow, this, [this, list] { windows_.FillWindowMenu(*list); });

    BuildHelpMenu();
}

void Menus::BuildFileMenu() {
    QMenu* file = window_.menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Open Project..."), QKeySequence::Open, this, [this] {
        if (const std::optional<QString> chosen = ChooseProject(QStringLiteral("Open Project"))) {
            commands_.OpenInstead(*chosen);
        }
    });
    file->addAction(QStringLiteral("A&dd Project..."), this, [this] {
        if (const std::optional<QString> chosen = ChooseProject(QStringLiteral("Add Project"))) {
            commands_.Open({*chosen});
        }
    });
    file->addAction(QStringLiteral("Open &File..."), this, [this] {
        QStringList chosen;
        if (auto given = host_.Windows().Answers().TakeNextFileChoice()) {
            if (*given) {
                chosen << **given;
            }
        } else {
            chosen = QFileDialog::getOpenFileNames(
                &window_, QStringLiteral("Open File"), host_.Windows().HomeFolder(),
                QStringLiteral("VB Files (*.bas *.cls *.frm *.ctl *.pag *.dob *.dsr);;All Files "
                               "(*)"));
        }
        commands_.Open(chosen);
    });
    file->addSeparator();
    file->addAction(QStringLiteral("&Save"), QKeySequence::Save, this,
                    [this] { commands_.Save(); });
    file->addAction(QStringLiteral("Save A&ll"), QKeySequence(QStringLiteral("Ctrl+Shift+S")), this,
                    [this] { commands_.SaveAll(); });
    file->addSeparator();
    file->addAction(QStringLiteral("&Close Project"), this,
                    [this] { commands_.CloseProject(nullptr); });
    QAction* recentEnd = file->addSeparator();
    recentEnd->setObjectName(QStringLiteral("recentEnd"));
    file->addAction(QStringLiteral("E&xit"), QKeySequence(QStringLiteral("Alt+Q")), this,
                    [this] { window_.close(); });
    connect(file, &QMenu::aboutToShow, this, [this, file] { ShowRecent(*file); });
}

std::optional<QString> Menus::ChooseProject(const QString& title) {
    if (auto given = host_.Windows().Answers().TakeNextFileChoice()) {
        return *given;
    }
    const QString name =
        QFileDialog::getOpenFileName(&window_, title, host_.Windows().HomeFolder(),
                                     QStringLiteral("VB Projects (*.vbp *.vbg);;All Files (*)"));
    return name.isEmpty() ? std::nullopt : std::optional<QString>(name);
}

void Menus::BuildEditMenu() {
    QMenu* edit = window_.menuBar()->addMenu(QStringLiteral("&Edit"));
    undo_ = edit->addAction(QStringLiteral("&Undo"), QKeySequence::Undo, this,
                            [this] { commands_.Undo(); });
    // Ctrl+Y cuts the current line, as in the IDE, and is no key of Redo.
    redo_ = edit->addAction(QStringLiteral("&Redo"), QKeySequence(QStringLiteral("Ctrl+Shift+Z")),
                            this, [this] { commands_.Redo(); });
    edit->addSeparator();
    const auto onEditor = [this](void (QsciScintilla::*operation)()) {
        return [this, operation] {
            if (CodeWindow* window = windows_.ActiveCodeWindow()) {
                (window->Editor().*operation)();
            }
        };
    };
    edit->addAction(QStringLiteral("Cu&t"), onEditor(&QsciScintilla::cut));
    edit->addAction(QStringLiteral("&Copy"), onEditor(&QsciScintilla::copy));
    edit->addAction(QStringLiteral("&Paste"), onEditor(&QsciScintilla::paste));
    edit->addAction(QStringLiteral("Select &All"), [this] {
        if (CodeWindow* window = windows_.ActiveCodeWindow()) {
            window->Editor().selectAll(true);
        }
    });
    edit->addSeparator();
    edit->addAction(QStringLiteral("&Find..."), QKeySequence(QStringLiteral("Ctrl+F")), this,
                    [this] { commands_.ShowFind(false); });
    edit->addAction(QStringLiteral("Find &Next"), QKeySequence(Qt::Key_F3), this,
                    [this] { commands_.FindNext(false); });
    edit->addAction(QStringLiteral("Find Pre&vious"), QKeySequence(QStringLiteral("Shift+F3")),
                    this, [this] { commands_.FindNext(true); });
    edit->addAction(QStringLiteral("R&eplace..."), QKeySequence(QStringLiteral("Ctrl+H")), this,
                    [this] { commands_.ShowFind(true); });
    connect(edit, &QMenu::aboutToShow, this, [this] { ShowUndoNames(); });
    connect(edit, &QMenu::aboutToHide, this, [this] {
        undo_->setEnabled(true);
        redo_->setEnabled(true);
    });
}

// Undo and Redo name the step they take back or replay, and are off without one.
void Menus::ShowUndoNames() {
    const QString undoName = ToQString(commands_.NextStepName(true));
    const QString redoName = ToQString(commands_.NextStepName(false));
    undo_->setText(undoName.isEmpty() ? QStringLiteral("&Undo")
                                      : QStringLiteral("&Undo ") + MenuText(undoName));
    redo_->setText(redoName.isEmpty() ? QStringLiteral("&Redo")
                                      : QStringLiteral("&Redo ") + MenuText(redoName));
    undo_->setEnabled(!undoName.isEmpty());
    redo_->setEnabled(!redoName.isEmpty());
}

void Menus::BuildViewMenu() {
    QMenu* view = window_.menuBar()->addMenu(QStringLiteral("&View"));
    view->addAction(QStringLiteral("&Code"), QKeySequence(Qt::Key_F7), this, [this] {
        if (host::MemoryComponent* component = commands_.ChosenComponent();
            component && component->Code()) {
            windows_.OpenCodeWindow(*component);
        }
    });
    view->addAction(QStringLiteral("O&bject"), QKeySequence(QStringLiteral("Shift+F7")), this,
                    [this] {
                        if (host::MemoryComponent* component = commands_.ChosenComponent()) {
                            windows_.OpenDesigner(*component);
                        }
                    });
    view->addAction(QStringLiteral("&Definition"), QKeySequence(QStringLiteral("Shift+F2")), this,
                    [this] { commands_.GoToDefinition(); });
    view->addAction(QStringLiteral("&Last Position"), QKeySequence(QStringLiteral("Ctrl+Shift+F2")),
                    this, [this] { commands_.LastPosition(); });
    view->addSeparator();
    // As in the IDE, the keys show a window and give it the focus; its own button closes it.
    for (QDockWidget* dock : window_.findChildren<QDockWidget*>()) {
        const bool project = dock->objectName() == QLatin1String("projectDock");
        QAction* show = view->addAction(
            project ? QStringLiteral("Project E&xplorer") : QStringLiteral("&Output Window"), this,
            [dock] {
                dock->show();
                dock->raise();
                dock->widget()->setFocus(Qt::ShortcutFocusReason);
            });
        show->setShortcut(
            QKeySequence(project ? QStringLiteral("Ctrl+R") : QStringLiteral("Ctrl+G")));
    }
}

void Menus::BuildHelpMenu() {
    QMenu* help = window_.menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("&Contents"), QKeySequence::HelpContents, this, [this] {
        ShowHelp(&window_, QStringList{QStringLiteral("The workbench")} + OptionsHelp());
    });
    help->addAction(QStringLiteral("&About ") + WorkbenchName(), this, [this] {
        QMessageBox::about(
            &window_, QStringLiteral("About ") + WorkbenchName(),
            QStringLiteral("<b>%1</b> %2<br><br>A VB6 workbench that hosts the "
                           "Visual Basic Brindle add-in: module headers, procedure headers and "
                           "error handlers from your templates, put in and taken out again.")
                .arg(WorkbenchName(), QStringLiteral(BRINDLE_VERSION)));
    });
}

// ---- Command bars as menus ----

void Menus::FillFromBar(QMenu& menu, std::string_view bar,
                        const std::map<std::string, std::function<void()>, std::less<>>& own) {
    menu.clear();
    for (const AddinHost::Entry& entry : host_.Entries(bar)) {
        if (entry.beginGroup && !menu.isEmpty()) {
            menu.addSeparator();
        }
        QAction* action = menu.addAction(MenuText(ToQString(entry.caption)));
        const auto found = own.find(entry.caption);
        if (entry.command) {
            connect(action, &QAction::triggered, this,
                    [this, command = *entry.command] { host_.Click(command); });
        } else if (found != own.end()) {
            connect(action, &QAction::triggered, this, found->second);
        } else {
            action->setEnabled(false);  // no command of ours or the add-in's
        }
    }
}

std::unique_ptr<QMenu> Menus::CodeWindowMenu() {
    auto menu = std::make_unique<QMenu>(&window_);
    menu->setObjectName(QStringLiteral("codeWindowMenu"));
    CodeWindow* window = windows_.ActiveCodeWindow();
    QsciScintilla* editor = window != nullptr ? &window->Editor() : nullptr;
    const auto on = [editor](void (QsciScintilla::*operation)()) {
        return [editor, operation] {
            if (editor != nullptr) {
                (editor->*operation)();
            }
        };
    };
    FillFromBar(*menu, kCodeWindowBar,
                {{std::string(kCut), on(&QsciScintilla::cut)},
                 {std::string(kCopy), on(&QsciScintilla::copy)},
                 {std::string(kPaste), on(&QsciScintilla::paste)},
                 {std::string(kSelectAll),
                  [editor] {
                      if (editor != nullptr) {
                          editor->selectAll(true);
                      }
                  }},
                 {std::string(kDefinition), [this] { commands_.GoToDefinition(); }}});
    AddRefresh(*menu, kCodeWindowBar);
    const bool selected = editor != nullptr && editor->hasSelectedText();
    for (QAction* action : menu->actions()) {
        if (action->text() == ToQString(kCut) || action->text() == ToQString(kCopy)) {
            action->setEnabled(selected);
        }
    }
    return menu;
}

std::unique_ptr<QMenu> Menus::ProjectMenu(OpenProject& project) {
    auto menu = std::make_unique<QMenu>(&window_);
    menu->setObjectName(QStringLiteral("projectMenu"));
    OpenProject* held = &project;
    FillFromBar(*menu, kProjectWindowBar,
                {{std::string(kSaveProject), [this, held] { commands_.SaveProject(*held); }},
                 {std::string(kCloseProject), [this, held] { commands_.CloseProject(held); }},
                 {std::string(kCodePage), [this, held] { commands_.ChooseCodePage(held); }}});
    AddRefresh(*menu, kProjectWindowBar);
    return menu;
}

std::unique_ptr<QMenu> Menus::ComponentMenu(host::MemoryComponent& component) {
    auto menu = std::make_unique<QMenu>(&window_);
    QAction* code = menu->addAction(QStringLiteral("View Code"),
                                    [this, &component] { windows_.OpenCodeWindow(component); });
    code->setEnabled(component.Code() != nullptr);
    QAction* object = menu->addAction(QStringLiteral("View Object"),
                                      [this, &component] { windows_.OpenDesigner(component); });
    object->setEnabled(ReadDesignBlock(component.Layout()).has_value());
    menu->addSeparator();
    menu->addAction(QStringLiteral("Save"),
                    [this, &component] { commands_.SaveComponent(component); });
    return menu;
}

// The host's own Refresh, in a group of its own after the add-in's entries while it is loaded:
// it rewrites blocks with the add-in's options and templates.
void Menus::AddRefresh(QMenu& menu, std::string_view bar) {
    if (!host_.Loaded()) {
        return;
    }
    menu.addSeparator();
    menu.addAction(ToQString(kRefreshTitle), this, [this, bar] {
        const bool project = bar == kProjectWindowBar;
        host_.Refresh(bar, project ? commands_.ShowProgress(QStringLiteral("Refreshing %v of %m"))
                                   : host::LoadProgress());
        commands_.HideProgress();
    });
}

QMenu& Menus::ToolsMenu() {
    FillFromBar(*toolsMenu_, kToolsBar,
                {{std::string(kCodePage), [this] { commands_.ChooseCodePage(nullptr); }}});
    return *toolsMenu_;
}

// ---- Recent projects ----

void Menus::ShowRecent(QMenu& menu) {
    for (QAction* action : menu.actions()) {
        if (action->property("recent").toBool()) {
            menu.removeAction(action);
            action->deleteLater();
        }
    }
    QAction* end = menu.findChild<QAction*>(QStringLiteral("recentEnd"));
    const QStringList recent = settings_.RecentProjects();
    QStringList names;
    for (const QString& path : recent) {
        names << QFileInfo(path).fileName();
    }
    int number = 1;
    for (const QString& path : recent) {
        // Two projects of one name are told apart by their folders.
        const QFileInfo file(path);
        QString shown = file.fileName();
        if (names.count(shown) > 1) {
            shown += QStringLiteral(" (") + QDir::toNativeSeparators(file.path()) + ')';
        }
        auto* action =
            new QAction(QStringLiteral("&%1 %2").arg(number++).arg(MenuText(shown)), &menu);
        action->setToolTip(path);
        action->setStatusTip(path);
        action->setProperty("recent", true);
        connect(action, &QAction::triggered, this, [this, path] { OpenRecent(path); });
        menu.insertAction(end, action);
    }
    if (!recent.isEmpty()) {
        auto* separator = new QAction(&menu);
        separator->setSeparator(true);
        separator->setProperty("recent", true);
        menu.insertAction(end, separator);
    }
}

// A project that is no longer there leaves the list, and the user hears why.
void Menus::OpenRecent(const QString& path) {
    if (!QFileInfo::exists(path)) {
        settings_.RemoveRecentProject(path);
        host_.Windows().MsgBox(
            QDir::toNativeSeparators(path).toStdString() +
                "\n\nThe project is no longer there; it is taken off the list of recent projects.",
            vbOKOnly + vbExclamation, WorkbenchName().toStdString());
        return;
    }
    commands_.OpenInstead(path);
}

}  // namespace brindle::workbench
