#pragma once
// The workbench's main window: the project window, the code and designer windows, the output
// window, and menus of which three are the command bars the add-in puts its buttons on. It
// wires them together, opens, saves and closes projects and keeps the title.

#include <QMainWindow>
#include <QStringList>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "workbench/AddinHost.h"
#include "workbench/Menus.h"
#include "workbench/OutputWindow.h"
#include "workbench/TeamFilesWatch.h"
#include "workbench/WorkbenchSettings.h"
#include "workbench/Workspace.h"

class QDialog;
class QDockWidget;
class QLabel;
class QMdiSubWindow;
class QMenu;
class QProgressBar;
class QTimer;
class QTreeWidget;

namespace brindle::workbench {

class CodeWindow;
class DesignerWindow;
class FindReplace;
class ProjectWindow;
class WindowList;

class MainWindow final : public QMainWindow, private MenuCommands {
public:
    explicit MainWindow(WorkbenchSettings& settings, QWidget* parent = nullptr);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Connects the add-in when it loads on start-up, in the start-up mode. After the window
    // is shown, FinishStartup tells it that the start-up is complete.
    void BeginStartup();
    void FinishStartup();

    // A project or group file, or module files; what cannot be opened is told in the output
    // window. False when nothing was opened.
    bool Open(const QStringList& paths) override;
    bool OpenInstead(const QString& path) override;

    // Saves the modules of the active window (or the project window's choice), or all.
    void Save() override;
    void SaveAll() override;
    // Closes the active project, asking about its unsaved modules first; false when the user
    // cancelled or a module could not be saved.
    bool CloseProject(OpenProject* project = nullptr) override;

    CodeWindow* OpenCodeWindow(host::MemoryComponent& component);
    DesignerWindow* OpenDesigner(host::MemoryComponent& component);
    CodeWindow* ActiveCodeWindow() const;
    std::vector<CodeWindow*> CodeWindows() const;
    std::vector<QMdiSubWindow*> Windows() const;

    // The context menus as they would be shown now: the "Code Window" command bar, the
    // "Project Window Project" bar for a project (which becomes the active one); and the
    // Tools menu, the "Tools" bar.
    std::unique_ptr<QMenu> CodeWindowMenu();
    std::unique_ptr<QMenu> ProjectMenu(OpenProject& project);
    QMenu& ToolsMenu();

    // Edit > Undo and Redo: the active code window's module, a project command in every
    // module it changed, or the last project command when no code window is active.
    void Undo() override;
    void Redo() override;
    std::string NextStepName(bool undo) override;
    void ShowAddInManager() override;
    void ShowFind(bool replace) override;
    void FindNext(bool reverse) override;
    void GoToDefinition() override;
    void LastPosition() override;
    void ChooseCodePage(OpenProject* project = nullptr) override;

    AddinHost& Host() { return *host_; }
    Workspace& Work() { return workspace_; }
    FindReplace& Finder() { return *find_; }
    OutputWindow& Output() { return *output_; }
    QTreeWidget& ProjectTree();
    QString StatusNote() const;

    // How the workbench's own modal dialogs are run: exec() unless a test fills them in.
    std::function<int(QDialog&)> runDialog;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildDocks();
    void BuildStatusBar();
    void Wire();
    void BeforeClick();
    void AfterClick();
    void UndoOrRedo(bool undo);
    OpenModule* ActiveModule() const;
    void Edited();
    void ShowMarks();
    std::vector<std::filesystem::path> NotOpenYet(const QStringList& paths);
    std::optional<host::Loaded> Load(const std::vector<std::filesystem::path>& files, bool project,
                                     int codePage);
    void SuggestCodePage(const std::vector<host::LoadProblem>& problems, int codePage);
    std::optional<int> AskCodePage(const QString& what, int now);
    void ReadUnreadAgain();
    // False when the user kept the project as it was, or it could not be read.
    bool Reload(OpenProject& project, int codePage);
    struct ShownModule {
        std::filesystem::path file;
        std::array<std::int32_t, 4> selection;  // line, column, end line, end column
    };
    std::vector<ShownModule> ShownModules(const std::vector<OpenProject*>& projects) const;
    void ShowAgain(const std::vector<ShownModule>& shown,
                   const std::vector<OpenProject*>& projects);
    // The project closed without a question, its windows too.
    void Drop(OpenProject& project);
    void Adopt(OpenProject& open, const std::optional<std::filesystem::path>& teamFile);
    void ShowOpened(const OpenProject& project, const std::filesystem::path& file);
    void RebuildTree();
    void TeamFilesChanged(const std::vector<TeamFilesWatch::Change>& changes);
    void OpenFromTree(host::MemoryComponent& component, int line);
    void OpenFromOutput(const host::MemoryComponent* told, const QString& module, int line);
    // Makes the project the active one, whose team settings the add-in takes.
    void SelectProject(OpenProject* project);
    // The add-in takes the project's team settings: read again when `reread`.
    void FollowTeamSettings(const OpenProject* project, bool reread);
    OpenProject* ActiveProject() const;
    host::MemoryComponent* ChosenComponent() const override;
    void SaveProject(OpenProject& project) override;
    void SaveComponent(host::MemoryComponent& component) override;
    bool SaveModules(const std::vector<OpenModule*>& modules);
    bool AskToSave(const std::vector<OpenModule*>& modules);
    host::LoadProgress ShowProgress(const QString& format) override;
    void HideProgress() override;
    void ShowTrouble(const QString& text);
    void UpdateTitle();
    int RunDialog(QDialog& dialog);

    WorkbenchSettings& settings_;
    Workspace workspace_;
    OutputWindow* output_;
    std::unique_ptr<AddinHost> host_;
    WindowList* windows_ = nullptr;
    ProjectWindow* projects_ = nullptr;
    Menus* menus_ = nullptr;
    std::unique_ptr<FindReplace> find_;
    QLabel* note_;
    // Where Go to Definition left from, the last last: a module's file and the selection.
    std::vector<ShownModule> positions_;
    // The project or group file opened last with no project read, and its code page then.
    std::optional<std::pair<std::filesystem::path, int>> unread_;
    QLabel* caret_;
    QProgressBar* progress_;
    QTimer* marksTimer_;
    TeamFilesWatch* teamWatch_;
    QDockWidget* projectDock_ = nullptr;
    int projectDockWidth_ = 0;  // the width the user gave the project window
    QSize laidOutSize_;
};

}  // namespace brindle::workbench
