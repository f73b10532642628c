#include "workbench/MainWindow.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <utility>

#include "addin/Buttons.h"
#include "codegen/Refresh.h"
#include "host/files/FileSystem.h"
#include "host/files/IgnoreFile.h"
#include "host/vb6/CodePage.h"
#include "ui/qt/QtText.h"
#include "workbench/CodeWindow.h"
#include "workbench/DesignBlock.h"
#include "workbench/DesignerWindow.h"
#include "workbench/Dialogs.h"
#include "workbench/Skipped.h"
#include "workbench/WorkbenchName.h"

namespace fs = std::filesystem;

namespace brindle::workbench {
namespace {

using ui::qt::ToQString;

constexpr int kComponentRole = Qt::UserRole;
constexpr int kProjectRole = Qt::UserRole + 1;
constexpr int kLineRole = Qt::UserRole + 2;     // a skipped procedure's declaration
constexpr int kVersionRole = Qt::UserRole + 3;  // of the module when its skipped were shown

std::string Utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

fs::path PathOf(const QString& file) {
    return host::PathOf(Utf8(file));
}

// The folders of the project window, in the IDE's order.
struct Folder {
    const char* name;
    std::vector<vbext_ComponentType> types;
};

const std::vector<Folder>& Folders() {
    static const std::vector<Folder> folders = {
        {"Forms", {vbext_ct_VBForm, vbext_ct_VBMDIForm, vbext_ct_MSForm}},
        {"Modules", {vbext_ct_StdModule}},
        {"Class Modules", {vbext_ct_ClassModule}},
        {"User Controls", {vbext_ct_UserControl}},
        {"Property Pages", {vbext_ct_PropPage}},
        {"User Documents", {vbext_ct_DocObject}},
        {"Designers", {vbext_ct_ActiveXDesigner, vbext_ct_RelatedDocument, vbext_ct_ResFile}},
    };
    return folders;
}

QString ComponentText(const OpenModule& module) {
    const host::MemoryComponent& component = module.Component();
    const QString name = ToQString(host::ToUtf8(component.Name(), component.CodePage()));
    const QString file = ToQString(
        host::ShownAsUtf8(host::TextOf(component.FilePath().filename()), component.CodePage()));
    return name + " (" + file + ")" + (module.modified ? " *" : "");
}

QString ProjectText(const OpenProject& project) {
    const QString name = ToQString(host::ToUtf8(project.project->Name(), project.codePage));
    if (project.file.empty()) {
        return name;
    }
    return name + " (" +
           ToQString(host::ShownAsUtf8(host::TextOf(project.file.filename()), project.codePage)) +
           ")";
}

// Grey and italic, with the icon's disabled look, for what Brindle's commands leave alone.
void ShowAsSkipped(QTreeWidgetItem& item, bool skipped, const QIcon& icon) {
    item.setData(0, Qt::ForegroundRole,
                 skipped
                     ? QVariant(QApplication::palette().color(QPalette::Disabled, QPalette::Text))
                     : QVariant());
    if (!icon.isNull()) {
        item.setIcon(0, skipped ? QIcon(icon.pixmap(16, QIcon::Disabled)) : icon);
    }
    QFont font = item.font(0);
    font.setItalic(skipped);
    item.setFont(0, font);
}

// Own entries of a bar go by caption; "&" in a caption is shown as it is.
QString MenuText(const std::string& caption) {
    return ToQString(caption).replace('&', QStringLiteral("&&"));
}

}  // namespace

MainWindow::MainWindow(WorkbenchSettings& settings, QWidget* parent)
    : QMainWindow(parent),
      settings_(settings),
      output_(new OutputWindow),
      mdi_(new QMdiArea),
      tree_(new QTreeWidget),
      note_(new QLabel),
      caret_(new QLabel),
      progress_(new QProgressBar),
      marksTimer_(new QTimer(this)) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(WorkbenchName());
    host_ = std::make_unique<AddinHost>(this, *output_, workspace_);
    host_->around = [this](bool starting) {
        if (starting) {
            if (CodeWindow* active = ActiveCodeWindow()) {
                active->SelectionToPane();
            }
            for (CodeWindow* window : CodeWindows()) {
                window->Freeze(true);
            }
        } else {
            AfterClick();
        }
    };

    mdi_->setObjectName(QStringLiteral("mdiArea"));
    mdi_->setViewMode(settings_.Tabbed() ? QMdiArea::TabbedView : QMdiArea::SubWindowView);
    mdi_->setTabsClosable(true);
    mdi_->setTabsMovable(true);
    mdi_->setDocumentMode(true);
    mdi_->setBackground(QColor(0xab, 0xab, 0xab));
    setCentralWidget(mdi_);
    connect(mdi_, &QMdiArea::subWindowActivated, this,
            [this](QMdiSubWindow* sub) { Activated(sub); });

    BuildDocks();
    BuildMenus();

    note_->setObjectName(QStringLiteral("statusNote"));
    statusBar()->addWidget(note_, 1);
    progress_->setFixedWidth(260);
    progress_->setTextVisible(true);
    progress_->hide();
    statusBar()->addPermanentWidget(progress_);
    statusBar()->addPermanentWidget(caret_);
    output_->onTrouble = [this](const QString& text) { ShowTrouble(text); };
    output_->onOpen = [this](const QString& module) {
        for (const auto& project : workspace_.Projects()) {
            for (const auto& open : project->modules) {
                const host::MemoryComponent& component = open->Component();
                if (ToQString(host::ToUtf8(component.Name(), component.CodePage())) == module &&
                    open->Component().Code() != nullptr) {
                    OpenCodeWindow(open->Component());
                    return;
                }
            }
        }
    };
    marksTimer_->setSingleShot(true);
    marksTimer_->setInterval(300);
    connect(marksTimer_, &QTimer::timeout, this, [this] { ShowMarks(); });

    resize(1100, 760);
    restoreGeometry(settings_.WindowGeometry());
    restoreState(settings_.WindowState());
}

MainWindow::~MainWindow() {
    // Views hold their modules, and the add-in its windows: they go before the projects.
    for (QMdiSubWindow* sub : mdi_->subWindowList()) {
        delete sub;
    }
    host_.reset();
}

void MainWindow::BuildDocks() {
    tree_->setObjectName(QStringLiteral("projectTree"));
    tree_->setHeaderHidden(true);
    // Long names scroll rather than end in an ellipsis.
    tree_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tree_->header()->setStretchLastSection(false);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tree_, &QTreeWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { TreeMenu(at); });
    connect(tree_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { ItemOpened(item); });
    connect(tree_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item != nullptr) {
            auto* project =
                reinterpret_cast<OpenProject*>(item->data(0, kProjectRole).value<quintptr>());
            if (project != nullptr && host_->Ide().ActiveVBProject() != project->project.get()) {
                SelectProject(project);
            }
        }
    });
    auto* projects = new QDockWidget(QStringLiteral("Project"), this);
    projects->setObjectName(QStringLiteral("projectDock"));
    projects->setWidget(tree_);
    addDockWidget(Qt::LeftDockWidgetArea, projects);

    auto* output = new QDockWidget(QStringLiteral("Output"), this);
    output->setObjectName(QStringLiteral("outputDock"));
    output->setWidget(output_);
    addDockWidget(Qt::BottomDockWidgetArea, output);
    resizeDocks({projects}, {280}, Qt::Horizontal);
    resizeDocks({output}, {150}, Qt::Vertical);
}

void MainWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Open Project..."), QKeySequence::Open, this, [this] {
        std::optional<QString> chosen;
        if (auto given = host_->Windows().Answers().TakeNextFileChoice()) {
            chosen = *given;
        } else {
            const QString name = QFileDialog::getOpenFileName(
                this, QStringLiteral("Open Project"), QString(),
                QStringLiteral("VB Projects (*.vbp *.vbg);;All Files (*)"));
            if (!name.isEmpty()) {
                chosen = name;
            }
        }
        if (chosen) {
            Open({*chosen});
        }
    });
    file->addAction(QStringLiteral("Open &File..."), this, [this] {
        QStringList chosen;
        if (auto given = host_->Windows().Answers().TakeNextFileChoice()) {
            if (*given) {
                chosen << **given;
            }
        } else {
            chosen = QFileDialog::getOpenFileNames(
                this, QStringLiteral("Open File"), QString(),
                QStringLiteral("VB Files (*.bas *.cls *.frm *.ctl *.pag *.dob *.dsr);;All Files "
                               "(*)"));
        }
        Open(chosen);
    });
    file->addSeparator();
    file->addAction(QStringLiteral("&Save"), QKeySequence::Save, this, [this] { Save(); });
    file->addAction(QStringLiteral("Save A&ll"), QKeySequence(QStringLiteral("Ctrl+Shift+S")), this,
                    [this] { SaveAll(); });
    file->addSeparator();
    file->addAction(QStringLiteral("&Close Project"), this, [this] { CloseProject(); });
    QAction* recentEnd = file->addSeparator();
    recentEnd->setObjectName(QStringLiteral("recentEnd"));
    file->addAction(QStringLiteral("E&xit"), QKeySequence(QStringLiteral("Alt+Q")), this,
                    [this] { close(); });
    connect(file, &QMenu::aboutToShow, this, [this, file] { ShowRecent(*file); });

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    undo_ = edit->addAction(QStringLiteral("&Undo"), QKeySequence::Undo, this, [this] { Undo(); });
    redo_ = edit->addAction(QStringLiteral("&Redo"), this, [this] { Redo(); });
    redo_->setShortcuts(
        {QKeySequence(QStringLiteral("Ctrl+Y")), QKeySequence(QStringLiteral("Ctrl+Shift+Z"))});
    edit->addSeparator();
    const auto onEditor = [this](void (QsciScintilla::*operation)()) {
        return [this, operation] {
            if (CodeWindow* window = ActiveCodeWindow()) {
                (window->Editor().*operation)();
            }
        };
    };
    edit->addAction(QStringLiteral("Cu&t"), onEditor(&QsciScintilla::cut));
    edit->addAction(QStringLiteral("&Copy"), onEditor(&QsciScintilla::copy));
    edit->addAction(QStringLiteral("&Paste"), onEditor(&QsciScintilla::paste));
    edit->addAction(QStringLiteral("Select &All"), [this] {
        if (CodeWindow* window = ActiveCodeWindow()) {
            window->Editor().selectAll(true);
        }
    });
    edit->addSeparator();
    edit->addAction(QStringLiteral("&Find..."), QKeySequence::Find, this, [this] {
        if (CodeWindow* window = ActiveCodeWindow()) {
            window->ShowFind();
        }
    });
    edit->addAction(QStringLiteral("Find &Next"), QKeySequence::FindNext, this, [this] {
        if (CodeWindow* window = ActiveCodeWindow()) {
            window->FindNext(true);
        }
    });
    edit->addAction(QStringLiteral("Find Pre&vious"), QKeySequence::FindPrevious, this, [this] {
        if (CodeWindow* window = ActiveCodeWindow()) {
            window->FindNext(false);
        }
    });
    connect(edit, &QMenu::aboutToShow, this, [this] {
        CodeWindow* window = ActiveCodeWindow();
        const QString undoName = window ? ToQString(window->History().UndoName()) : QString();
        const QString redoName = window ? ToQString(window->History().RedoName()) : QString();
        undo_->setText(undoName.isEmpty() ? QStringLiteral("&Undo")
                                          : QStringLiteral("&Undo ") + MenuText(Utf8(undoName)));
        redo_->setText(redoName.isEmpty() ? QStringLiteral("&Redo")
                                          : QStringLiteral("&Redo ") + MenuText(Utf8(redoName)));
        undo_->setEnabled(!undoName.isEmpty());
        redo_->setEnabled(!redoName.isEmpty());
    });
    connect(edit, &QMenu::aboutToHide, this, [this] {
        undo_->setEnabled(true);
        redo_->setEnabled(true);
    });

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addAction(QStringLiteral("&Code"), QKeySequence(Qt::Key_F7), this, [this] {
        if (host::MemoryComponent* component = ChosenComponent(); component && component->Code()) {
            OpenCodeWindow(*component);
        }
    });
    view->addAction(QStringLiteral("O&bject"), QKeySequence(QStringLiteral("Shift+F7")), this,
                    [this] {
                        if (host::MemoryComponent* component = ChosenComponent()) {
                            OpenDesigner(*component);
                        }
                    });
    view->addSeparator();
    for (QDockWidget* dock : findChildren<QDockWidget*>()) {
        QAction* toggle = dock->toggleViewAction();
        toggle->setShortcut(dock->objectName() == QLatin1String("projectDock")
                                ? QKeySequence(QStringLiteral("Ctrl+R"))
                                : QKeySequence(QStringLiteral("Ctrl+G")));
        view->addAction(toggle);
    }

    toolsMenu_ = menuBar()->addMenu(QStringLiteral("&Tools"));
    toolsMenu_->setObjectName(QStringLiteral("toolsMenu"));
    connect(toolsMenu_, &QMenu::aboutToShow, this, [this] { ToolsMenu(); });

    QMenu* addins = menuBar()->addMenu(QStringLiteral("&Add-Ins"));
    addins->addAction(QStringLiteral("&Add-In Manager..."), this, [this] { ShowAddInManager(); });

    QMenu* window = menuBar()->addMenu(QStringLiteral("&Window"));
    connect(window, &QMenu::aboutToShow, this, [this, window] { ShowWindowMenu(*window); });

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("&About ") + WorkbenchName(), this, [this] {
        QMessageBox::about(
            this, QStringLiteral("About ") + WorkbenchName(),
            QStringLiteral("<b>%1</b> %2<br><br>A VB6 workbench that hosts the "
                           "Visual Basic Brindle add-in: module headers, procedure headers and "
                           "error handlers from your templates, put in and taken out again.")
                .arg(WorkbenchName(), QStringLiteral(BRINDLE_VERSION)));
    });
}

// ---- Start-up ----

void MainWindow::BeginStartup() {
    if (settings_.LoadOnStartup()) {
        host_->Load(true);
    }
}

void MainWindow::FinishStartup() {
    host_->CompleteStartup();
}

// ---- Command bars as menus ----

void MainWindow::FillFromBar(QMenu& menu, std::string_view bar,
                             const std::map<std::string, std::function<void()>, std::less<>>& own) {
    menu.clear();
    for (const AddinHost::Entry& entry : host_->Entries(bar)) {
        if (entry.beginGroup && !menu.isEmpty()) {
            menu.addSeparator();
        }
        QAction* action = menu.addAction(MenuText(entry.caption));
        const auto found = own.find(entry.caption);
        if (found != own.end()) {
            connect(action, &QAction::triggered, this, found->second);
        } else {
            connect(action, &QAction::triggered, this,
                    [this, bar = std::string(bar), caption = entry.caption] {
                        host_->Click(bar, caption);
                    });
        }
    }
}

std::unique_ptr<QMenu> MainWindow::CodeWindowMenu() {
    auto menu = std::make_unique<QMenu>(this);
    menu->setObjectName(QStringLiteral("codeWindowMenu"));
    CodeWindow* window = ActiveCodeWindow();
    QsciScintilla* editor = window != nullptr ? &window->Editor() : nullptr;
    const auto on = [editor](void (QsciScintilla::*operation)()) {
        return [editor, operation] {
            if (editor != nullptr) {
                (editor->*operation)();
            }
        };
    };
    FillFromBar(*menu, buttons::kCodeWindowBar,
                {{std::string(kCut), on(&QsciScintilla::cut)},
                 {std::string(kCopy), on(&QsciScintilla::copy)},
                 {std::string(kPaste), on(&QsciScintilla::paste)},
                 {std::string(kSelectAll), [editor] {
                      if (editor != nullptr) {
                          editor->selectAll(true);
                      }
                  }}});
    AddRefresh(*menu, buttons::kCodeWindowBar);
    const bool selected = editor != nullptr && editor->hasSelectedText();
    for (QAction* action : menu->actions()) {
        if (action->text() == ToQString(kCut) || action->text() == ToQString(kCopy)) {
            action->setEnabled(selected);
        }
    }
    return menu;
}

std::unique_ptr<QMenu> MainWindow::ProjectMenu(OpenProject& project) {
    SelectProject(&project);
    auto menu = std::make_unique<QMenu>(this);
    menu->setObjectName(QStringLiteral("projectMenu"));
    OpenProject* held = &project;
    FillFromBar(
        *menu, buttons::kProjectWindowBar,
        {{std::string(kSaveProject), [this, held] { SaveModules(workspace_.Unsaved(held)); }},
         {std::string(kCloseProject), [this, held] { CloseProject(held); }},
         {std::string(kCodePage), [this, held] { ChooseCodePage(held); }}});
    AddRefresh(*menu, buttons::kProjectWindowBar);
    return menu;
}

// The host's own Refresh, in a group of its own after the add-in's entries while it is loaded:
// it rewrites blocks with the add-in's options and templates.
void MainWindow::AddRefresh(QMenu& menu, std::string_view bar) {
    if (!host_->Loaded()) {
        return;
    }
    menu.addSeparator();
    menu.addAction(ToQString(kRefreshTitle), this, [this, bar] {
        const bool project = bar == buttons::kProjectWindowBar;
        host_->Refresh(bar, project ? ShowProgress(QStringLiteral("Refreshing %v of %m"))
                                    : host::LoadProgress());
        progress_->hide();
    });
}

// The progress bar of the status bar, shown from the first progress told until it is hidden.
host::LoadProgress MainWindow::ShowProgress(const QString& format) {
    return [this, format](std::size_t done, std::size_t total) {
        progress_->setFormat(format);
        progress_->setMaximum(static_cast<int>(total));
        progress_->setValue(static_cast<int>(done));
        progress_->show();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
}

QMenu& MainWindow::ToolsMenu() {
    FillFromBar(*toolsMenu_, buttons::kToolsBar,
                {{std::string(kCodePage), [this] { ChooseCodePage(); }}});
    return *toolsMenu_;
}

// ---- After an add-in command ----

void MainWindow::AfterClick() {
    for (CodeWindow* window : CodeWindows()) {
        window->Freeze(false);
        window->SelectionFromPane();
    }
    Edited();
}

void MainWindow::Edited() {
    marksTimer_->start();
}

void MainWindow::ShowMarks() {
    const bool marks = workspace_.Refresh();
    for (QTreeWidgetItem* item : ModuleItems()) {
        ShowSkipped(*item);
        auto* component = reinterpret_cast<host::MemoryComponent*>(
            item->data(0, kComponentRole).value<quintptr>());
        if (const OpenModule* module = workspace_.ModuleOf(*component); module && marks) {
            item->setText(0, ComponentText(*module));
            QFont font = item->font(0);
            font.setBold(module->modified);
            item->setFont(0, font);
        }
    }
    if (!marks) {
        return;
    }
    for (const auto& [component, view] : codeViews_) {
        if (const OpenModule* module = workspace_.ModuleOf(*component); module && view.sub) {
            const QString title = view.sub->widget()->windowTitle();
            view.sub->setWindowTitle(title + (module->modified ? " *" : ""));
        }
    }
}

// ---- Opening ----

bool MainWindow::Open(const QStringList& paths) {
    if (paths.isEmpty()) {
        return false;
    }
    const fs::path first = PathOf(paths.front());
    std::vector<fs::path> modules;
    for (const QString& path : paths) {
        const fs::path file = PathOf(path);
        if (OpenProject* open = workspace_.Opened(file)) {
            SelectProject(open);
            ShowOpened(*open, file);
            continue;
        }
        modules.push_back(file);
    }
    if (modules.empty()) {
        return true;
    }
    const bool project = paths.size() == 1 && host::IsProjectOrGroupFile(first);
    // A group's projects take the group's team settings, as the command line does.
    const std::optional<fs::path> teamFile =
        host::FindTeamSettings(fs::absolute(project ? first : modules.front()).parent_path());
    const int codePage =
        settings_.HasCodePage(first) ? settings_.CodePage(first) : host_->DefaultCodePage(teamFile);
    const host::LoadProgress progress = ShowProgress(QStringLiteral("Opening %v of %m"));
    host::Loaded loaded;
    try {
        loaded = project ? host::LoadProjects(first, codePage, progress)
                         : host::LoadModules(modules, codePage, progress);
    } catch (const std::exception& e) {
        progress_->hide();
        output_->Problem("", e.what());
        return false;
    }
    progress_->hide();
    for (const host::LoadProblem& problem : loaded.problems) {
        output_->Problem(problem.subject, problem.text);
    }
    for (const std::string& warning : loaded.warnings) {
        output_->Warn({}, warning);
    }
    std::vector<OpenProject*> added = workspace_.Add(std::move(loaded), codePage);
    for (OpenProject* open : added) {
        open->teamFile = teamFile;
        if (!open->file.empty() && settings_.HasCodePage(open->file)) {
            workspace_.SetCodePage(*open, settings_.CodePage(open->file));
        }
        if (open->file.empty()) {
            open->project->SetName("Files");
        }
        host_->Ide().AddProject(open->project);
        QString opened =
            QStringLiteral("Opened %1: %2 modules, code page %3")
                .arg(ToQString(open->label.empty() ? open->project->Name() : open->label))
                .arg(open->modules.size())
                .arg(open->codePage);
        if (!open->ignored.empty()) {
            opened += QStringLiteral("; %1 left out by %2")
                          .arg(open->ignored.size())
                          .arg(ToQString(host::kIgnoreFileName));
        }
        output_->Note(Utf8(opened));
    }
    if (project) {
        settings_.AddRecentProject(first);
    }
    if (!added.empty()) {
        FollowTeamSettings(added.front(), true);  // before the tree shows what they skip
    }
    RebuildTree();
    if (!added.empty()) {
        SelectProject(added.front());
    }
    if (!project && added.size() == 1 && added.front()->modules.size() == 1) {
        OpenCodeWindow(added.front()->modules.front()->Component());
    }
    return !added.empty();
}

// A module file that is open already comes to the front in its code window.
void MainWindow::ShowOpened(const OpenProject& project, const fs::path& file) {
    for (const auto& module : project.modules) {
        if (module->Component().Code() != nullptr &&
            host::SameFile(module->Component().FilePath(), file)) {
            OpenCodeWindow(module->Component());
        }
    }
}

void MainWindow::RebuildTree() {
    tree_->clear();
    for (const auto& project : workspace_.Projects()) {
        auto* projectItem = new QTreeWidgetItem(tree_, {ProjectText(*project)});
        projectItem->setData(0, kProjectRole,
                             QVariant::fromValue(reinterpret_cast<quintptr>(project.get())));
        projectItem->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
        AddModuleItems(*projectItem, *project);
        AddIgnoredItems(*projectItem, *project);
        projectItem->setExpanded(true);
        for (int i = 0; i < projectItem->childCount(); ++i) {
            projectItem->child(i)->setExpanded(project->modules.size() < 200);
        }
    }
    for (QTreeWidgetItem* item : ModuleItems()) {
        ShowSkipped(*item);
    }
    UpdateTitle();
}

QTreeWidgetItem* MainWindow::FolderItem(QTreeWidgetItem& projectItem, const QString& name) {
    auto* folder = new QTreeWidgetItem(&projectItem, {name});
    folder->setData(0, kProjectRole, projectItem.data(0, kProjectRole));
    folder->setIcon(0, style()->standardIcon(QStyle::SP_DirClosedIcon));
    return folder;
}

void MainWindow::AddModuleItems(QTreeWidgetItem& projectItem, const OpenProject& project) {
    for (const Folder& folder : Folders()) {
        std::vector<const OpenModule*> inside;
        for (const auto& module : project.modules) {
            const auto type = module->Component().Type();
            if (std::find(folder.types.begin(), folder.types.end(), type) != folder.types.end()) {
                inside.push_back(module.get());
            }
        }
        if (inside.empty()) {
            continue;
        }
        std::sort(inside.begin(), inside.end(), [](const OpenModule* a, const OpenModule* b) {
            return QString::compare(ComponentText(*a), ComponentText(*b), Qt::CaseInsensitive) < 0;
        });
        QTreeWidgetItem* folderItem = FolderItem(projectItem, QString::fromLatin1(folder.name));
        for (const OpenModule* module : inside) {
            auto* item = new QTreeWidgetItem(folderItem, {ComponentText(*module)});
            item->setData(0, kProjectRole, projectItem.data(0, kProjectRole));
            item->setData(0, kComponentRole,
                          QVariant::fromValue(reinterpret_cast<quintptr>(&module->Component())));
            item->setIcon(0, style()->standardIcon(QStyle::SP_FileIcon));
            if (module->modified) {
                QFont font = item->font(0);
                font.setBold(true);
                item->setFont(0, font);
            }
        }
    }
}

// The modules that the .brindleignore beside the project leaves out: not opened, shown so
// that the user knows why they are missing.
void MainWindow::AddIgnoredItems(QTreeWidgetItem& projectItem, const OpenProject& project) {
    if (project.ignored.empty()) {
        return;
    }
    QTreeWidgetItem* folder = FolderItem(projectItem, QStringLiteral("Ignored"));
    folder->setToolTip(0, QStringLiteral("Modules that %1 leaves out: not opened, and no "
                                         "command touches them")
                              .arg(ToQString(host::kIgnoreFileName)));
    for (const host::IgnoredModule& ignored : project.ignored) {
        const fs::path relative = ignored.file.lexically_relative(project.file.parent_path());
        auto* item = new QTreeWidgetItem(
            folder, {ToQString(host::ShownAsUtf8(host::TextOf(relative), project.codePage))});
        item->setData(0, kProjectRole, projectItem.data(0, kProjectRole));
        item->setToolTip(0, QStringLiteral("Left out by %1: %2")
                                .arg(ToQString(host::kIgnoreFileName), ToQString(ignored.pattern)));
        ShowAsSkipped(*item, true, style()->standardIcon(QStyle::SP_FileIcon));
    }
}

// The module items of the tree, without the procedure items below them.
std::vector<QTreeWidgetItem*> MainWindow::ModuleItems() const {
    std::vector<QTreeWidgetItem*> items;
    for (QTreeWidgetItemIterator it(tree_); *it != nullptr; ++it) {
        if ((*it)->data(0, kComponentRole).value<quintptr>() != 0 &&
            (*it)->data(0, kLineRole).toInt() == 0) {
            items.push_back(*it);
        }
    }
    return items;
}

// Greys the module item, or lists its skipped procedures below it, with the reason as a tooltip.
// Looked at again only when its module changed since.
void MainWindow::ShowSkipped(QTreeWidgetItem& item) {
    auto* component =
        reinterpret_cast<host::MemoryComponent*>(item.data(0, kComponentRole).value<quintptr>());
    if (component->Code() == nullptr) {
        return;
    }
    const auto version = static_cast<qulonglong>(component->Code()->Version());
    if (item.data(0, kVersionRole).isValid() &&
        item.data(0, kVersionRole).toULongLong() == version) {
        return;
    }
    item.setData(0, kVersionRole, version);
    const Skipped skipped = FindSkipped(host_->Addin().Fields(), *component);
    ShowAsSkipped(item, skipped.module.has_value(), style()->standardIcon(QStyle::SP_FileIcon));
    if (skipped.module) {
        item.setToolTip(
            0, QStringLiteral("Brindle leaves this module alone: ") + ToQString(*skipped.module));
    } else {
        item.setToolTip(0, skipped.procedures.empty()
                               ? QString()
                               : QStringLiteral("Brindle leaves %1 of its procedures alone")
                                     .arg(skipped.procedures.size()));
    }
    const bool expanded = item.isExpanded();
    qDeleteAll(item.takeChildren());
    for (const SkippedProcedure& procedure : skipped.procedures) {
        auto* child =
            new QTreeWidgetItem(&item, {ToQString(procedure.name) + KindSuffix(procedure.kind)});
        child->setData(0, kProjectRole, item.data(0, kProjectRole));
        child->setData(0, kComponentRole, item.data(0, kComponentRole));
        child->setData(0, kLineRole, procedure.line);
        child->setToolTip(
            0, QStringLiteral("Brindle leaves this procedure alone: ") + ToQString(procedure.why));
        ShowAsSkipped(*child, true, {});
    }
    item.setExpanded(expanded);
}

void MainWindow::SelectProject(OpenProject* project) {
    host_->Ide().SetActiveVBProject(project != nullptr ? project->project.get() : nullptr);
    for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = tree_->topLevelItem(i);
        QFont font = item->font(0);
        font.setBold(item->data(0, kProjectRole).value<quintptr>() ==
                     reinterpret_cast<quintptr>(project));
        item->setFont(0, font);
    }
    UpdateTitle();
    FollowTeamSettings(project, false);
}

// The add-in takes the team settings of the active project, since its project commands work
// on that project and its code window commands on a module that a code window's activation
// made the active project's.
void MainWindow::FollowTeamSettings(const OpenProject* project, bool reread) {
    const std::optional<fs::path> file = project != nullptr ? project->teamFile : std::nullopt;
    const bool had = !host_->TeamFile().empty();
    if (!host_->UseTeamSettings(file, reread, project != nullptr ? project->codePage : 1252)) {
        return;
    }
    if (file && !host_->TeamFile().empty()) {
        output_->Note(
            Utf8(QStringLiteral("Team settings of %1: %2")
                     .arg(ToQString(host::ToUtf8(project->project->Name(), project->codePage)),
                          ToQString(host::Label(*file, project->codePage)))));
    } else if (had) {
        output_->Note("No team settings apply now: your own options do");
    }
    for (QTreeWidgetItem* item : ModuleItems()) {
        item->setData(0, kVersionRole, QVariant());
        ShowSkipped(*item);
    }
}

OpenProject* MainWindow::ActiveProject() const {
    return workspace_.ProjectOf(host_->Ide().ActiveVBProject());
}

host::MemoryComponent* MainWindow::ChosenComponent() const {
    if (QMdiSubWindow* sub = mdi_->activeSubWindow(); sub != nullptr && !tree_->hasFocus()) {
        for (const auto* views : {&codeViews_, &designViews_}) {
            for (const auto& [component, view] : *views) {
                if (view.sub == sub) {
                    return const_cast<host::MemoryComponent*>(component);
                }
            }
        }
    }
    QTreeWidgetItem* item = tree_->currentItem();
    return item != nullptr ? reinterpret_cast<host::MemoryComponent*>(
                                 item->data(0, kComponentRole).value<quintptr>())
                           : nullptr;
}

void MainWindow::ItemOpened(QTreeWidgetItem* item) {
    auto* component =
        reinterpret_cast<host::MemoryComponent*>(item->data(0, kComponentRole).value<quintptr>());
    if (component != nullptr) {
        if (component->Code() != nullptr) {
            CodeWindow* window = OpenCodeWindow(*component);
            if (const int line = item->data(0, kLineRole).toInt(); window != nullptr && line > 0) {
                window->GoToLine(line);
            }
        } else {
            OpenDesigner(*component);
        }
    }
}

void MainWindow::TreeMenu(const QPoint& at) {
    QTreeWidgetItem* item = tree_->itemAt(at);
    if (item == nullptr) {
        return;
    }
    tree_->setCurrentItem(item);
    auto* project = reinterpret_cast<OpenProject*>(item->data(0, kProjectRole).value<quintptr>());
    auto* component =
        reinterpret_cast<host::MemoryComponent*>(item->data(0, kComponentRole).value<quintptr>());
    const QPoint global = tree_->viewport()->mapToGlobal(at);
    if (component == nullptr && item->parent() == nullptr && project != nullptr) {
        ProjectMenu(*project)->exec(global);
        return;
    }
    if (component == nullptr) {
        return;
    }
    QMenu menu(this);
    QAction* code = menu.addAction(QStringLiteral("View Code"),
                                   [this, component] { OpenCodeWindow(*component); });
    code->setEnabled(component->Code() != nullptr);
    QAction* object = menu.addAction(QStringLiteral("View Object"),
                                     [this, component] { OpenDesigner(*component); });
    object->setEnabled(ReadDesignBlock(component->Layout()).has_value());
    menu.addSeparator();
    menu.addAction(QStringLiteral("Save"), [this, component] {
        if (OpenModule* module = workspace_.ModuleOf(*component)) {
            SaveModules({module});
        }
    });
    menu.exec(global);
}

// ---- Views ----

QMdiSubWindow* MainWindow::AddView(QWidget* widget, std::shared_ptr<Window>& ideWindow,
                                   std::map<const host::MemoryComponent*, View>& views,
                                   const host::MemoryComponent& component) {
    QMdiSubWindow* sub = mdi_->addSubWindow(widget);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowTitle(widget->windowTitle());
    views[&component] = {sub, sub, ideWindow};
    connect(sub, &QObject::destroyed, this, [&views, key = &component](QObject* destroyed) {
        const auto found = views.find(key);
        if (found == views.end() || found->second.object != destroyed) {
            return;  // a view opened again meanwhile
        }
        const std::shared_ptr<Window> window = found->second.ideWindow;
        views.erase(found);
        if (window) {
            window->Close();
        }
    });
    sub->resize(mdi_->size() * 0.8);
    sub->showMaximized();
    sub->show();
    return sub;
}

// The view of the component that is open already, brought to the front; null when none is.
QWidget* MainWindow::Shown(std::map<const host::MemoryComponent*, View>& views,
                           const host::MemoryComponent& component) {
    const auto found = views.find(&component);
    if (found == views.end() || !found->second.sub) {
        return nullptr;
    }
    mdi_->setActiveSubWindow(found->second.sub);
    return found->second.sub->widget();
}

// What our IDE calls when the add-in closes the component's window: the view closes too.
std::function<void()> MainWindow::Closer(std::map<const host::MemoryComponent*, View>& views,
                                         const host::MemoryComponent& component) {
    return [&views, key = &component] {
        const auto found = views.find(key);
        if (found != views.end() && found->second.sub) {
            found->second.sub->close();
        }
    };
}

CodeWindow* MainWindow::OpenCodeWindow(host::MemoryComponent& component) {
    if (QWidget* shown = Shown(codeViews_, component)) {
        return static_cast<CodeWindow*>(shown);
    }
    OpenModule* module = workspace_.ModuleOf(component);
    if (module == nullptr || !module->history) {
        return nullptr;
    }
    const OpenProject* project = workspace_.ProjectOf(component);
    auto* window = new CodeWindow(component, *module->history, project->codePage);
    window->onContextMenu = [this](QPoint at) { CodeWindowMenu()->exec(at); };
    window->onWarning = [this, &component](const QString& text) {
        output_->Warn(host::ToUtf8(component.Name(), component.CodePage()), Utf8(text));
    };
    window->onEdited = [this] { Edited(); };
    window->sink = output_;
    connect(&window->Editor(), &QsciScintilla::cursorPositionChanged, this,
            [this](int line, int index) {
                caret_->setText(QStringLiteral("Ln %1, Col %2").arg(line + 1).arg(index + 1));
            });
    std::shared_ptr<Window> ideWindow = host_->Ide().OpenCodeWindow(
        component.CodeModule().CodePane(), Closer(codeViews_, component));
    AddView(window, ideWindow, codeViews_, component);
    ShowMarks();
    return window;
}

DesignerWindow* MainWindow::OpenDesigner(host::MemoryComponent& component) {
    if (QWidget* shown = Shown(designViews_, component)) {
        return static_cast<DesignerWindow*>(shown);
    }
    const OpenProject* project = workspace_.ProjectOf(component);
    if (project == nullptr) {
        return nullptr;
    }
    auto* window = new DesignerWindow(component, project->codePage);
    std::shared_ptr<Window> ideWindow =
        host_->Ide().OpenDesigner(Utf8(window->windowTitle()), Closer(designViews_, component));
    AddView(window, ideWindow, designViews_, component);
    return window;
}

void MainWindow::Activated(QMdiSubWindow* sub) {
    if (sub == nullptr) {
        return;
    }
    if (auto* code = dynamic_cast<CodeWindow*>(sub->widget())) {
        host_->Ide().OpenCodeWindow(code->Component().CodeModule().CodePane());
        if (OpenProject* project = workspace_.ProjectOf(code->Component())) {
            SelectProject(project);
        }
        int line = 0;
        int index = 0;
        code->Editor().getCursorPosition(&line, &index);
        caret_->setText(QStringLiteral("Ln %1, Col %2").arg(line + 1).arg(index + 1));
    } else {
        caret_->clear();
    }
}

CodeWindow* MainWindow::ActiveCodeWindow() const {
    QMdiSubWindow* sub = mdi_->activeSubWindow();
    if (sub == nullptr) {
        // Without focus (the menu has it, or the screen is offscreen) the last one shown.
        const QList<QMdiSubWindow*> list = mdi_->subWindowList(QMdiArea::ActivationHistoryOrder);
        for (auto it = list.rbegin(); it != list.rend(); ++it) {
            if (auto* code = dynamic_cast<CodeWindow*>((*it)->widget())) {
                return code;
            }
        }
        return nullptr;
    }
    return dynamic_cast<CodeWindow*>(sub->widget());
}

std::vector<CodeWindow*> MainWindow::CodeWindows() const {
    std::vector<CodeWindow*> windows;
    for (const auto& [component, view] : codeViews_) {
        if (view.sub) {
            windows.push_back(static_cast<CodeWindow*>(view.sub->widget()));
        }
    }
    return windows;
}

std::vector<QMdiSubWindow*> MainWindow::Windows() const {
    const QList<QMdiSubWindow*> list = mdi_->subWindowList();
    return {list.begin(), list.end()};
}

void MainWindow::ShowWindowMenu(QMenu& menu) {
    menu.clear();
    QAction* tabs = menu.addAction(QStringLiteral("&Tabs"), [this](bool on) {
        mdi_->setViewMode(on ? QMdiArea::TabbedView : QMdiArea::SubWindowView);
        settings_.SetTabbed(on);
    });
    tabs->setCheckable(true);
    tabs->setChecked(mdi_->viewMode() == QMdiArea::TabbedView);
    menu.addAction(QStringLiteral("&Cascade"), [this] {
        mdi_->setViewMode(QMdiArea::SubWindowView);
        mdi_->cascadeSubWindows();
    });
    menu.addAction(QStringLiteral("Tile &Horizontally"), [this] {
        mdi_->setViewMode(QMdiArea::SubWindowView);
        mdi_->tileSubWindows();
    });
    const QList<QMdiSubWindow*> list = mdi_->subWindowList();
    if (!list.isEmpty()) {
        menu.addSeparator();
    }
    int number = 1;
    for (QMdiSubWindow* sub : list) {
        QAction* item =
            menu.addAction(QStringLiteral("&%1 %2").arg(number++).arg(sub->windowTitle()),
                           [this, sub] { mdi_->setActiveSubWindow(sub); });
        item->setCheckable(true);
        item->setChecked(sub == mdi_->activeSubWindow());
    }
}

// ---- Undo ----

void MainWindow::Undo() {
    if (CodeWindow* window = ActiveCodeWindow()) {
        window->Undo();
        Edited();
    }
}

void MainWindow::Redo() {
    if (CodeWindow* window = ActiveCodeWindow()) {
        window->Redo();
        Edited();
    }
}

// ---- Saving and closing ----

bool MainWindow::SaveModules(const std::vector<OpenModule*>& modules) {
    bool saved = true;
    int written = 0;
    for (OpenModule* module : modules) {
        const host::SaveResult result = host::SaveModule(module->loaded);
        if (!result.problem.empty()) {
            output_->Problem(module->loaded.label, result.problem);
            saved = false;
            continue;
        }
        written += result.written ? 1 : 0;
    }
    if (written > 0) {
        output_->Note(Utf8(QStringLiteral("Saved %1 module(s)").arg(written)));
        note_->setText(QStringLiteral("Saved %1 module(s)").arg(written));
    }
    for (OpenModule* module : modules) {
        module->checkedVersion = ~std::uint64_t{0};  // looked at again against the saved bytes
    }
    ShowMarks();
    return saved;
}

void MainWindow::Save() {
    workspace_.Refresh();
    if (host::MemoryComponent* component = ChosenComponent()) {
        if (OpenModule* module = workspace_.ModuleOf(*component)) {
            SaveModules({module});
        }
        return;
    }
    if (OpenProject* project = ActiveProject()) {
        SaveModules(workspace_.Unsaved(project));
    }
}

void MainWindow::SaveAll() {
    SaveModules(workspace_.Unsaved());
}

bool MainWindow::AskToSave(const std::vector<OpenModule*>& modules) {
    if (modules.empty()) {
        return true;
    }
    QStringList files;
    for (const OpenModule* module : modules) {
        files << ToQString(module->loaded.label);
    }
    switch (AskAboutUnsaved(this, files, host_->Windows().Answers())) {
        case UnsavedAnswer::Save:
            return SaveModules(modules);
        case UnsavedAnswer::Discard:
            return true;
        case UnsavedAnswer::Cancel:
            break;
    }
    return false;
}

void MainWindow::CloseViewsOf(const OpenProject& project) {
    for (const auto& module : project.modules) {
        for (auto* views : {&codeViews_, &designViews_}) {
            const auto found = views->find(&module->Component());
            if (found != views->end() && found->second.sub) {
                delete found->second.sub.data();
            }
        }
    }
}

bool MainWindow::CloseProject(OpenProject* project) {
    if (project == nullptr) {
        project = ActiveProject();
    }
    if (project == nullptr || !AskToSave(workspace_.Unsaved(project))) {
        return false;
    }
    CloseViewsOf(*project);
    host_->Ide().RemoveProject(*project->project);
    workspace_.Close(*project);
    RebuildTree();
    SelectProject(workspace_.Projects().empty() ? nullptr : workspace_.Projects().front().get());
    return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!AskToSave(workspace_.Unsaved())) {
        event->ignore();
        return;
    }
    settings_.SetWindowState(saveGeometry(), saveState());
    for (QMdiSubWindow* sub : mdi_->subWindowList()) {
        delete sub;
    }
    host_->Shutdown();
    event->accept();
}

// ---- Add-ins and code pages ----

int MainWindow::RunDialog(QDialog& dialog) {
    return runDialog ? runDialog(dialog) : dialog.exec();
}

void MainWindow::ShowAddInManager() {
    AddInManager manager(host_->Loaded(), settings_.LoadOnStartup(), this);
    if (RunDialog(manager) != QDialog::Accepted) {
        return;
    }
    settings_.SetLoadOnStartup(manager.LoadOnStartup());
    if (manager.Loaded()) {
        host_->Load(false);
    } else {
        host_->Unload();
    }
}

void MainWindow::ChooseCodePage(OpenProject* project) {
    if (project == nullptr) {
        project = ActiveProject();
    }
    if (project == nullptr) {
        return;
    }
    CodePageDialog dialog(ProjectText(*project), project->codePage, this);
    if (RunDialog(dialog) != QDialog::Accepted || dialog.CodePage() == project->codePage) {
        return;
    }
    try {
        host::ToUtf8("A", dialog.CodePage());
    } catch (...) {
        output_->Problem(Utf8(ProjectText(*project)), "code page " +
                                                          std::to_string(dialog.CodePage()) +
                                                          " is not one this system can convert");
        return;
    }
    workspace_.SetCodePage(*project, dialog.CodePage());
    if (!project->file.empty()) {
        settings_.SetCodePage(project->file, dialog.CodePage());
    }
    for (const auto& module : project->modules) {
        if (const auto found = codeViews_.find(&module->Component());
            found != codeViews_.end() && found->second.sub) {
            static_cast<CodeWindow*>(found->second.sub->widget())->SetCodePage(dialog.CodePage());
        }
    }
    RebuildTree();
    SelectProject(project);
}

// ---- Recent projects, title, notes ----

void MainWindow::ShowRecent(QMenu& menu) {
    for (QAction* action : menu.actions()) {
        if (action->property("recent").toBool()) {
            menu.removeAction(action);
            action->deleteLater();
        }
    }
    QAction* end = menu.findChild<QAction*>(QStringLiteral("recentEnd"));
    const QStringList recent = settings_.RecentProjects();
    int number = 1;
    for (const QString& path : recent) {
        auto* action = new QAction(
            QStringLiteral("&%1 %2").arg(number++).arg(QFileInfo(path).fileName()), &menu);
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

void MainWindow::OpenRecent(const QString& path) {
    Open({path});
}

void MainWindow::UpdateTitle() {
    const OpenProject* project = ActiveProject();
    setWindowTitle(project == nullptr
                       ? WorkbenchName()
                       : ToQString(host::ToUtf8(project->project->Name(), project->codePage)) +
                             " - " + WorkbenchName());
}

void MainWindow::ShowTrouble(const QString& text) {
    note_->setText(QStringLiteral("\u26a0 ") + text.left(160) +
                   QStringLiteral("  (see the Output window)"));
}

QString MainWindow::StatusNote() const {
    return note_->text();
}

}  // namespace brindle::workbench
