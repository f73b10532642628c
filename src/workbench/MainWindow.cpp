#include "workbench/MainWindow.h"

#include <Qsci/qsciscintilla.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <algorithm>
#include <cctype>
#include <utility>

#include "host/files/FileSystem.h"
#include "host/files/IgnoreFile.h"
#include "host/files/ModuleFile.h"
#include "host/vb6/CodePage.h"
#include "ui/qt/QtText.h"
#include "util/Text.h"
#include "workbench/CodeWindow.h"
#include "workbench/Definition.h"
#include "workbench/Dialogs.h"
#include "workbench/FindReplace.h"
#include "workbench/ProjectWindow.h"
#include "workbench/WindowList.h"
#include "workbench/WorkbenchName.h"

namespace fs = std::filesystem;

namespace brindle::workbench {
namespace {

using ui::qt::ToQString;
using ui::qt::ToUtf8;

fs::path PathOf(const QString& file) {
    return host::PathOf(ToUtf8(file));
}

bool IsVbFile(const fs::path& file) {
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".vbp" || extension == ".vbg" || host::ModuleTypeOfExtension(file);
}

bool IsGroupFile(const fs::path& file) {
    return EqualsNoCase(file.extension().string(), ".vbg");
}

}  // namespace

MainWindow::MainWindow(WorkbenchSettings& settings, QWidget* parent)
    : QMainWindow(parent),
      settings_(settings),
      output_(new OutputWindow),
      note_(new QLabel),
      caret_(new QLabel),
      progress_(new QProgressBar),
      marksTimer_(new QTimer(this)),
      teamWatch_(new TeamFilesWatch(this)) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(WorkbenchName());
    host_ = std::make_unique<AddinHost>(this, *output_, workspace_);
    windows_ = new WindowList(workspace_, host_->Ide(), *output_, settings_);
    projects_ = new ProjectWindow(
        workspace_, [this]() -> const AddinFields& { return host_->Addin().Fields(); });
    setCentralWidget(windows_);

    BuildDocks();
    menus_ = new Menus(*this, *this, *host_, *windows_, settings_);
    BuildStatusBar();
    Wire();
    find_ = std::make_unique<FindReplace>(
        workspace_,
        FindHost{[this] { return ActiveCodeWindow(); },
                 [this](host::MemoryComponent& component) { return OpenCodeWindow(component); },
                 [this] { return ActiveProject(); },
                 [this](bool starting) {
                     if (starting) {
                         BeforeClick();
                     } else {
                         AfterClick();
                     }
                 },
                 [this](const QString& note) { note_->setText(note); }},
        this);

    // Within a small screen (1366 by 768), frame and status bar included.
    const QSize room = screen()->availableGeometry().size() * 9 / 10;
    resize(QSize(1100, 760).boundedTo(room));
    restoreGeometry(settings_.WindowGeometry());
    restoreState(settings_.WindowState());
}

MainWindow::~MainWindow() {
    // Views hold their modules, and the add-in its windows: they go before the projects.
    windows_->CloseAll();
    host_.reset();
}

void MainWindow::BuildDocks() {
    auto* projects = new QDockWidget(QStringLiteral("Project"), this);
    projects->setObjectName(QStringLiteral("projectDock"));
    projects->setWidget(projects_);
    addDockWidget(Qt::LeftDockWidgetArea, projects);
    projectDock_ = projects;
    projects->installEventFilter(this);

    auto* output = new QDockWidget(QStringLiteral("Output"), this);
    output->setObjectName(QStringLiteral("outputDock"));
    output->setWidget(output_);
    addDockWidget(Qt::BottomDockWidgetArea, output);
    resizeDocks({projects}, {280}, Qt::Horizontal);
    resizeDocks({output}, {150}, Qt::Vertical);
}

// A window made small squeezes the project window; made large again, it gives it back the width
// it had, the last one the user chose.
void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (projectDockWidth_ == 0) {
        projectDockWidth_ = projectDock_->width();
    }
    const int wanted = std::min(projectDockWidth_, width() / 3);
    if (projectDock_->isVisible() && !projectDock_->isFloating() &&
        projectDock_->width() < wanted) {
        resizeDocks({projectDock_}, {wanted}, Qt::Horizontal);
    }
    laidOutSize_ = size();
}

// The project window resized while the main window kept its size: the user's own choice.
bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == projectDock_ && event->type() == QEvent::Resize && size() == laidOutSize_ &&
        !projectDock_->isFloating()) {
        projectDockWidth_ = projectDock_->width();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::BuildStatusBar() {
    note_->setObjectName(QStringLiteral("statusNote"));
    statusBar()->addWidget(note_, 1);
    progress_->setFixedWidth(260);
    progress_->setTextVisible(true);
    progress_->hide();
    statusBar()->addPermanentWidget(progress_);
    statusBar()->addPermanentWidget(caret_);
}

// What each part tells the others.
void MainWindow::Wire() {
    host_->around = [this](bool starting) {
        if (starting) {
            BeforeClick();
        } else {
            AfterClick();
        }
    };

    windows_->onCodeMenu = [this](QPoint at) { CodeWindowMenu()->exec(at); };
    teamWatch_->onChanged = [this](const auto& changes) { TeamFilesChanged(changes); };
    windows_->onEdited = [this] { Edited(); };
    windows_->onCodeWindowOpened = [this] { ShowMarks(); };
    windows_->onProjectActivated = [this](OpenProject& project) { SelectProject(&project); };
    windows_->onCaret = [this](const QString& caret) { caret_->setText(caret); };

    projects_->onProjectChosen = [this](OpenProject& project) {
        if (host_->Ide().ActiveVBProject() != project.project.get()) {
            SelectProject(&project);
        }
    };
    projects_->onOpen = [this](host::MemoryComponent& component, int line) {
        OpenFromTree(component, line);
    };
    projects_->onProjectMenu = [this](OpenProject& project, QPoint at) {
        ProjectMenu(project)->exec(at);
    };
    projects_->onComponentMenu = [this](host::MemoryComponent& component, QPoint at) {
        menus_->ComponentMenu(component)->exec(at);
    };

    output_->onTrouble = [this](const QString& text) { ShowTrouble(text); };
    output_->onOpen = [this](const host::MemoryComponent* component, const QString& module,
                             int line) { OpenFromOutput(component, module, line); };

    marksTimer_->setSingleShot(true);
    marksTimer_->setInterval(300);
    connect(marksTimer_, &QTimer::timeout, this, [this] { ShowMarks(); });
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

// ---- Parts ----

CodeWindow* MainWindow::OpenCodeWindow(host::MemoryComponent& component) {
    return windows_->OpenCodeWindow(component);
}

DesignerWindow* MainWindow::OpenDesigner(host::MemoryComponent& component) {
    return windows_->OpenDesigner(component);
}

CodeWindow* MainWindow::ActiveCodeWindow() const {
    return windows_->ActiveCodeWindow();
}

std::vector<CodeWindow*> MainWindow::CodeWindows() const {
    return windows_->CodeWindows();
}

std::vector<QMdiSubWindow*> MainWindow::Windows() const {
    return windows_->Windows();
}

std::unique_ptr<QMenu> MainWindow::CodeWindowMenu() {
    return menus_->CodeWindowMenu();
}

std::unique_ptr<QMenu> MainWindow::ProjectMenu(OpenProject& project) {
    SelectProject(&project);
    return menus_->ProjectMenu(project);
}

QMenu& MainWindow::ToolsMenu() {
    return menus_->ToolsMenu();
}

QTreeWidget& MainWindow::ProjectTree() {
    return *projects_;
}

// The progress bar of the status bar, shown from the first progress told until it is hidden.
host::LoadProgress MainWindow::ShowProgress(const QString& format) {
    // Drawn some thirty times a second at most: drawing it for every module of a large project
    // cost more than loading them.
    auto shown = std::make_shared<QElapsedTimer>();
    return [this, format, shown](std::size_t done, std::size_t total) {
        if (shown->isValid() && shown->elapsed() < 30 && done != 0 && done != total) {
            return;
        }
        shown->start();
        progress_->setFormat(format);
        progress_->setMaximum(static_cast<int>(total));
        progress_->setValue(static_cast<int>(done));
        progress_->show();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
}

void MainWindow::HideProgress() {
    progress_->hide();
}

// ---- After an add-in command ----

void MainWindow::BeforeClick() {
    if (CodeWindow* active = ActiveCodeWindow()) {
        active->SelectionToPane();
    }
    for (CodeWindow* window : CodeWindows()) {
        window->Freeze(true);
    }
}

void MainWindow::AfterClick() {
    for (CodeWindow* window : CodeWindows()) {
        window->Thaw();
    }
    Edited();
}

void MainWindow::Edited() {
    marksTimer_->start();
}

void MainWindow::ShowMarks() {
    // Both from the flags as they are now: a Refresh elsewhere may have changed them.
    workspace_.Refresh();
    projects_->ShowMarks(true);
    windows_->ShowModified();
}

// ---- Opening ----

bool MainWindow::Open(const QStringList& paths) {
    if (paths.isEmpty()) {
        return false;
    }
    const std::vector<fs::path> modules = NotOpenYet(paths);
    if (modules.empty()) {
        return std::any_of(paths.begin(), paths.end(),
                           [](const QString& path) { return IsVbFile(PathOf(path)); });
    }
    const fs::path& first = modules.front();
    const bool project = modules.size() == 1 && host::IsProjectOrGroupFile(first);
    // A group's projects take the group's team settings, as the command line does.
    const std::optional<fs::path> teamFile =
        host::FindTeamSettings(fs::absolute(project ? first : modules.front()).parent_path());
    const int codePage =
        settings_.HasCodePage(first) ? settings_.CodePage(first) : host_->DefaultCodePage(teamFile);
    std::optional<host::Loaded> loaded =
        Load(project ? std::vector<fs::path>{first} : modules, project, codePage);
    if (!loaded) {
        return false;
    }
    std::vector<OpenProject*> added = workspace_.Add(std::move(*loaded), codePage);
    unread_.reset();
    if (project && added.empty()) {
        unread_ = std::pair(first, codePage);
    }
    for (OpenProject* open : added) {
        open->group = IsGroupFile(first) ? fs::absolute(first) : fs::path();
        Adopt(*open, teamFile);
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

// The files of `paths` that are not open yet; those that are come to the front, and those
// that are no VB6 files are told of.
std::vector<fs::path> MainWindow::NotOpenYet(const QStringList& paths) {
    std::vector<fs::path> files;
    for (const QString& path : paths) {
        const fs::path file = PathOf(path);
        if (!IsVbFile(file)) {
            output_->Problem(host::Label(file, 1252),
                             "not a file of VB6: the workbench opens projects (.vbp), groups "
                             "(.vbg) and modules (.bas, .cls, .frm, .ctl, .pag, .dob, .dsr)");
            continue;
        }
        if (OpenProject* open = workspace_.Opened(file)) {
            SelectProject(open);
            ShowOpened(*open, file);
            continue;
        }
        files.push_back(file);
    }
    return files;
}

// The project or group file (the one file of `files`), or the module files, with the progress
// shown; what went wrong is told in the output window, and nothing when nothing could be read.
std::optional<host::Loaded> MainWindow::Load(const std::vector<fs::path>& files, bool project,
                                             int codePage) {
    const host::LoadProgress progress = ShowProgress(QStringLiteral("Opening %v of %m"));
    host::Loaded loaded;
    try {
        loaded = project ? host::LoadProjects(files.front(), codePage, progress)
                         : host::LoadModules(files, codePage, progress);
    } catch (const std::exception& e) {
        progress_->hide();
        output_->Problem("", e.what());
        return std::nullopt;
    }
    progress_->hide();
    for (const host::LoadProblem& problem : loaded.problems) {
        output_->Problem(problem.subject, problem.text);
    }
    SuggestCodePage(loaded.problems, codePage);
    for (const std::string& warning : loaded.warnings) {
        output_->Warn({}, warning);
    }
    return loaded;
}

// A file that is missing under a name beyond ASCII was most likely named in another code page
// than the one the project file was read in.
void MainWindow::SuggestCodePage(const std::vector<host::LoadProblem>& problems, int codePage) {
    const auto beyondAscii = [](const host::LoadProblem& problem) {
        return problem.text.find(": no such file") != std::string::npos &&
               std::any_of(problem.text.begin(), problem.text.end(),
                           [](char c) { return static_cast<unsigned char>(c) > 127; });
    };
    const auto missing = std::count_if(problems.begin(), problems.end(), beyondAscii);
    if (missing == 0) {
        return;
    }
    const std::string which = missing == 1 ? std::string("a missing file has a name")
                                           : std::to_string(missing) + " missing files have names";
    output_->Warn({}, which + " beyond ASCII, read in code page " + std::to_string(codePage) +
                          ": if the project was saved in another, choose it with Tools > Code "
                          "Page...");
}

// A project just loaded: its team settings, its code page, its place in our IDE, and a note.
void MainWindow::Adopt(OpenProject& open, const std::optional<fs::path>& teamFile) {
    open.teamFile = teamFile;
    if (!open.file.empty() && settings_.HasCodePage(open.file)) {
        workspace_.SetCodePage(open, settings_.CodePage(open.file));
    }
    if (open.file.empty()) {
        open.project->SetName("Files");
    }
    host_->Ide().AddProject(open.project);
    QString opened = QStringLiteral("Opened %1: %2 module%3, code page %4")
                         .arg(ToQString(open.label.empty() ? open.project->Name() : open.label))
                         .arg(open.modules.size())
                         .arg(open.modules.size() == 1 ? "" : "s")
                         .arg(open.codePage);
    if (!open.ignored.empty()) {
        opened += QStringLiteral("; %1 left out by %2")
                      .arg(open.ignored.size())
                      .arg(ToQString(host::kIgnoreFileName));
    }
    output_->Note(ToUtf8(opened));
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

void MainWindow::OpenFromTree(host::MemoryComponent& component, int line) {
    if (component.Code() == nullptr) {
        OpenDesigner(component);
        return;
    }
    CodeWindow* window = OpenCodeWindow(component);
    if (window != nullptr && line > 0) {
        window->GoToLine(line);
    }
}

// An entry of the output window about a module: the component it was told of while that is
// open, else the first of that name; at the line told.
void MainWindow::OpenFromOutput(const host::MemoryComponent* told, const QString& module,
                                int line) {
    host::MemoryComponent* found = nullptr;
    for (const auto& project : workspace_.Projects()) {
        for (const auto& open : project->modules) {
            host::MemoryComponent& component = open->Component();
            if (&component == told) {
                OpenFromTree(component, line);
                return;
            }
            if (found == nullptr &&
                ToQString(host::ToUtf8(component.Name(), component.CodePage())) == module) {
                found = &component;
            }
        }
    }
    if (found != nullptr) {
        OpenFromTree(*found, line);
    }
}

void MainWindow::RebuildTree() {
    projects_->Rebuild();
    UpdateTitle();
    std::vector<OpenProject*> open;
    for (const auto& project : workspace_.Projects()) {
        open.push_back(project.get());
    }
    teamWatch_->Follow(open);
}

// A brindle.ini edited takes effect at once; a .brindleignore edited decides which modules are
// opened, so the project is read again (asking first about its unsaved modules).
void MainWindow::TeamFilesChanged(const std::vector<TeamFilesWatch::Change>& changes) {
    bool reread = false;
    std::vector<OpenProject*> reload;
    for (const TeamFilesWatch::Change& change : changes) {
        OpenProject* project = change.project;
        if (change.team) {
            reread = reread || project == ActiveProject() || project->teamFile == change.teamFile;
            project->teamFile = change.teamFile;
            output_->Note(
                ToUtf8(QStringLiteral("The team settings of %1 changed: %2")
                           .arg(ProjectText(*project),
                                change.teamFile
                                    ? ToQString(host::Label(*change.teamFile, project->codePage))
                                    : QStringLiteral("none apply now"))));
        }
        if (change.ignore) {
            output_->Note(
                ToUtf8(QStringLiteral("The %1 of %2 changed: reading the project again")
                           .arg(ToQString(host::kIgnoreFileName), ProjectText(*project))));
            reload.push_back(project);
        }
    }
    if (reread) {
        FollowTeamSettings(ActiveProject(), true);
    }
    for (OpenProject* project : reload) {
        const QString text = ProjectText(*project);
        if (!Reload(*project, project->codePage)) {
            output_->Warn({}, ToUtf8(QStringLiteral("The edit of the %1 of %2 is not applied: the "
                                                    "project was not read again. Close and open "
                                                    "it to apply the edit.")
                                         .arg(ToQString(host::kIgnoreFileName), text)));
        }
    }
}

void MainWindow::SelectProject(OpenProject* project) {
    host_->Ide().SetActiveVBProject(project != nullptr ? project->project.get() : nullptr);
    host_->Windows().SetHomeFolder(project != nullptr ? ToQString(host::TextOf(FolderOf(*project)))
                                                      : QString());
    projects_->ShowActive(project);
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
            ToUtf8(QStringLiteral("Team settings of %1: %2")
                       .arg(ToQString(host::ToUtf8(project->project->Name(), project->codePage)),
                            ToQString(host::Label(*file, project->codePage)))));
    } else if (had) {
        output_->Note("No team settings apply now: your own options do");
    }
    projects_->ShowSkippedAgain();
}

OpenProject* MainWindow::ActiveProject() const {
    return workspace_.ProjectOf(host_->Ide().ActiveVBProject());
}

host::MemoryComponent* MainWindow::ChosenComponent() const {
    if (!projects_->hasFocus()) {
        if (host::MemoryComponent* component = windows_->ActiveComponent()) {
            return component;
        }
    }
    return projects_->CurrentComponent();
}

// ---- Undo ----

void MainWindow::Undo() {
    UndoOrRedo(true);
}

void MainWindow::Redo() {
    UndoOrRedo(false);
}

// The project window in focus stands for no code window.
OpenModule* MainWindow::ActiveModule() const {
    CodeWindow* window = projects_->hasFocus() ? nullptr : ActiveCodeWindow();
    return window != nullptr ? workspace_.ModuleOf(window->Component()) : nullptr;
}

std::string MainWindow::NextStepName(bool undo) {
    OpenModule* module = ActiveModule();
    return (undo ? workspace_.NextUndo(module) : workspace_.NextRedo(module)).name;
}

void MainWindow::UndoOrRedo(bool undo) {
    OpenModule* module = ActiveModule();
    const Workspace::NextStep next =
        undo ? workspace_.NextUndo(module) : workspace_.NextRedo(module);
    if (next.blocker != nullptr) {
        const host::MemoryComponent& component = next.blocker->Component();
        output_->Warn(host::ToUtf8(component.Name(), component.CodePage()),
                      undo ? "changed after \"" + next.name +
                                 "\": undo its later edits first to take the command back in "
                                 "every module"
                           : "has edits undone after \"" + next.name +
                                 "\": redo them first to replay the command in every module");
    } else if (next.project != nullptr) {
        BeforeClick();
        workspace_.Apply(next, undo);
        AfterClick();
    } else if (next.module != nullptr) {
        CodeWindow* window = ActiveCodeWindow();
        if (undo) {
            window->Undo();
        } else {
            window->Redo();
        }
    }
    Edited();
}

// ---- Find and definitions ----

void MainWindow::ShowFind(bool replace) {
    find_->Show(replace);
}

void MainWindow::FindNext(bool reverse) {
    if (find_->Dialog().Text().what.empty()) {
        find_->Show(false);
        return;
    }
    find_->FindNext(reverse);
}

void MainWindow::GoToDefinition() {
    std::optional<Definition> found;
    if (CodeWindow* window = ActiveCodeWindow()) {
        window->SelectionToPane();
        std::int32_t line = 1, column = 1, endLine = 1, endColumn = 1;
        window->Component().Code()->CodePane().GetSelection(line, column, endLine, endColumn);
        if (const OpenProject* project = workspace_.ProjectOf(window->Component())) {
            found = FindDefinition(*project, window->Component(), line, column);
        }
    }
    if (!found) {
        const QString text = QStringLiteral("Identifier under cursor is not recognized");
        note_->setText(text);
        QMessageBox box(QMessageBox::Information, WorkbenchName(), text, QMessageBox::Ok, this);
        RunDialog(box);
        return;
    }
    if (CodeWindow* from = ActiveCodeWindow()) {
        ShownModule position{from->Component().FilePath(), {}};
        auto& [line, column, endLine, endColumn] = position.selection;
        from->Component().Code()->CodePane().GetSelection(line, column, endLine, endColumn);
        positions_.push_back(position);
    }
    if (CodeWindow* target = OpenCodeWindow(*found->component)) {
        target->GoToLine(found->line);
        target->Editor().setFocus();
    }
}

void MainWindow::LastPosition() {
    while (!positions_.empty()) {
        const ShownModule position = positions_.back();
        positions_.pop_back();
        for (const auto& project : workspace_.Projects()) {
            ShowAgain({position}, {project.get()});
        }
        if (CodeWindow* window = ActiveCodeWindow();
            window != nullptr && host::SameFile(window->Component().FilePath(), position.file)) {
            window->Editor().setFocus();
            return;
        }
    }
}

// ---- Saving and closing ----

bool MainWindow::SaveModules(const std::vector<OpenModule*>& modules) {
    bool saved = true;
    int written = 0;
    host::ReplacedFolders folders;
    for (OpenModule* module : modules) {
        const host::SaveResult result = host::SaveModule(module->loaded, &folders);
        if (!result.problem.empty()) {
            output_->Problem(module->loaded.label, result.problem);
            saved = false;
            continue;
        }
        written += result.written ? 1 : 0;
    }
    for (const auto& [folder, problem] : folders.Sync()) {
        output_->Problem(host::TextOf(folder), problem);
        saved = false;
    }
    if (written > 0) {
        output_->Note(ToUtf8(QStringLiteral("Saved %1 module(s)").arg(written)));
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
        SaveComponent(*component);
        return;
    }
    if (OpenProject* project = ActiveProject()) {
        SaveProject(*project);
    }
}

void MainWindow::SaveAll() {
    SaveModules(workspace_.Unsaved());
}

void MainWindow::SaveProject(OpenProject& project) {
    SaveModules(workspace_.Unsaved(&project));
}

void MainWindow::SaveComponent(host::MemoryComponent& component) {
    if (OpenModule* module = workspace_.ModuleOf(component)) {
        SaveModules({module});
    }
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

// Open Project, as in the IDE: the project or group takes the place of those open, whose
// unsaved modules are asked about first; they stay when it cannot be read.
bool MainWindow::OpenInstead(const QString& path) {
    if (!AskToSave(workspace_.Unsaved())) {
        return false;
    }
    const OpenProject* kept = workspace_.Opened(PathOf(path));
    std::vector<OpenProject*> before;
    for (const auto& open : workspace_.Projects()) {
        if (open.get() != kept &&
            (kept == nullptr || kept->group.empty() || open->group != kept->group)) {
            before.push_back(open.get());
        }
    }
    if (!Open({path})) {
        return false;
    }
    for (OpenProject* open : before) {
        Drop(*open);
    }
    RebuildTree();
    SelectProject(ActiveProject() != nullptr ? ActiveProject()
                                             : workspace_.Projects().front().get());
    return true;
}

void MainWindow::Drop(OpenProject& project) {
    windows_->CloseWindowsOf(project);
    host_->Ide().RemoveProject(*project.project);
    workspace_.Close(project);
}

bool MainWindow::CloseProject(OpenProject* project) {
    if (project == nullptr) {
        project = ActiveProject();
    }
    if (project == nullptr || !AskToSave(workspace_.Unsaved(project))) {
        return false;
    }
    Drop(*project);
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
    windows_->CloseAll();
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
    projects_->ShowSkippedAgain();  // connecting read the options again
}

void MainWindow::ChooseCodePage(OpenProject* project) {
    if (project == nullptr) {
        project = ActiveProject();
    }
    if (project == nullptr) {
        ReadUnreadAgain();
        return;
    }
    if (const std::optional<int> codePage = AskCodePage(ProjectText(*project), project->codePage)) {
        Reload(*project, *codePage);
    }
}

// Another code page than `now`, which this system can convert; nothing when the user keeps it.
std::optional<int> MainWindow::AskCodePage(const QString& what, int now) {
    CodePageDialog dialog(what, now, this);
    if (RunDialog(dialog) != QDialog::Accepted || dialog.CodePage() == now) {
        return std::nullopt;
    }
    try {
        host::ToUtf8("A", dialog.CodePage());
    } catch (...) {
        output_->Problem(ToUtf8(what), "code page " + std::to_string(dialog.CodePage()) +
                                           " is not one this system can convert");
        return std::nullopt;
    }
    return dialog.CodePage();
}

// A project or group file that was opened with none of its projects read (their names beyond
// ASCII and read in the wrong code page) is opened again in the code page chosen.
void MainWindow::ReadUnreadAgain() {
    if (!unread_) {
        return;
    }
    const auto [file, now] = *unread_;
    if (const std::optional<int> codePage = AskCodePage(ToQString(host::Label(file, now)), now)) {
        settings_.SetCodePage(file, *codePage);
        Open({ToQString(host::TextOf(file))});
    }
}

// The project read again from its files in another code page: the file names it garbled and
// could not find may be found now, so showing the old modules in the new code page is not
// enough. A project of a group is read again with the whole group, whose file names the
// project files. Unsaved modules are asked about first.
bool MainWindow::Reload(OpenProject& project, int codePage) {
    std::vector<OpenProject*> old;
    std::vector<OpenModule*> unsaved;
    for (const auto& open : workspace_.Projects()) {
        if (open.get() == &project || (!project.group.empty() && open->group == project.group)) {
            old.push_back(open.get());
            const std::vector<OpenModule*> modules = workspace_.Unsaved(open.get());
            unsaved.insert(unsaved.end(), modules.begin(), modules.end());
        }
    }
    if (!AskToSave(unsaved)) {
        return false;
    }
    const fs::path group = project.group;
    const bool whole = !project.file.empty();
    std::vector<fs::path> files;
    if (whole) {
        files.push_back(group.empty() ? project.file : group);
    } else {
        for (const auto& module : project.modules) {
            files.push_back(module->Component().FilePath());
        }
    }
    note_->clear();
    std::optional<host::Loaded> loaded = Load(files, whole, codePage);
    if (!loaded || loaded->projects.empty()) {
        return false;
    }
    if (whole) {  // before Adopt, which applies them
        settings_.SetCodePage(files.front(), codePage);
        for (const host::LoadedProject& read : loaded->projects) {
            settings_.SetCodePage(read.file, codePage);
        }
    }
    const std::optional<fs::path> teamFile = project.teamFile;
    const std::size_t at = workspace_.IndexOf(*old.front());
    const std::vector<ShownModule> shown = ShownModules(old);
    for (OpenProject* open : old) {
        Drop(*open);
    }
    RebuildTree();  // the tree lets go of the old modules before the team settings are read
    std::vector<OpenProject*> added = workspace_.Add(std::move(*loaded), codePage, at);
    for (OpenProject* open : added) {
        open->group = group;
        Adopt(*open, teamFile);
    }
    FollowTeamSettings(added.front(), true);
    RebuildTree();
    SelectProject(added.front());
    ShowAgain(shown, added);
    return true;
}

// The code windows of the projects, the active one last, with their selections.
std::vector<MainWindow::ShownModule> MainWindow::ShownModules(
    const std::vector<OpenProject*>& projects) const {
    std::vector<ShownModule> shown;
    CodeWindow* active = windows_->ActiveCodeWindow();
    for (CodeWindow* window : windows_->CodeWindows()) {
        OpenProject* project = workspace_.ProjectOf(window->Component());
        if (std::find(projects.begin(), projects.end(), project) == projects.end()) {
            continue;
        }
        ShownModule module{window->Component().FilePath(), {}};
        window->SelectionToPane();
        auto& [line, column, endLine, endColumn] = module.selection;
        window->Component().Code()->CodePane().GetSelection(line, column, endLine, endColumn);
        shown.insert(window == active ? shown.end() : shown.begin(), module);
    }
    return shown;
}

// The code windows again, of the modules the projects read again still hold.
void MainWindow::ShowAgain(const std::vector<ShownModule>& shown,
                           const std::vector<OpenProject*>& projects) {
    for (const ShownModule& module : shown) {
        for (OpenProject* project : projects) {
            for (const auto& open : project->modules) {
                host::MemoryComponent& component = open->Component();
                if (component.Code() == nullptr ||
                    !host::SameFile(component.FilePath(), module.file)) {
                    continue;
                }
                const auto& [line, column, endLine, endColumn] = module.selection;
                component.Code()->CodePane().SetSelection(line, column, endLine, endColumn);
                if (CodeWindow* window = OpenCodeWindow(component)) {
                    window->SelectionFromPane();
                }
            }
        }
    }
}

// ---- Title and notes ----

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
