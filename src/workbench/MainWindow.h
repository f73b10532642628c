#pragma once
// The workbench's main window: the project window, the code and designer windows, the output
// window, and menus of which three are the command bars the add-in puts its buttons on.

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "workbench/AddinHost.h"
#include "workbench/OutputWindow.h"
#include "workbench/WorkbenchSettings.h"
#include "workbench/Workspace.h"

class QDialog;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QProgressBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace brindle::workbench {

class CodeWindow;
class DesignerWindow;

class MainWindow final : public QMainWindow {
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
    bool Open(const QStringList& paths);

    // Saves the modules of the active window (or the project window's choice), or all.
    void Save();
    void SaveAll();
    // Closes the active project, asking about its unsaved modules first; false when the user
    // cancelled or a module could not be saved.
    bool CloseProject(OpenProject* project = nullptr);

    CodeWindow* OpenCodeWindow(host::MemoryComponent& component);
    DesignerWindow* OpenDesigner(host::MemoryComponent& component);
    CodeWindow* ActiveCodeWindow() const;
    std::vector<CodeWindow*> CodeWindows() const;
    std::vector<QMdiSubWindow*> Windows() const;

    // The context menus as they would be shown now: the "Code Window" command bar, the
    // "Project Window Project" bar for a project; and the Tools menu, the "Tools" bar.
    std::unique_ptr<QMenu> CodeWindowMenu();
    std::unique_ptr<QMenu> ProjectMenu(OpenProject& project);
    QMenu& ToolsMenu();

    void Undo();
    void Redo();
    void ShowAddInManager();
    void ChooseCodePage(OpenProject* project = nullptr);

    AddinHost& Host() { return *host_; }
    Workspace& Work() { return workspace_; }
    OutputWindow& Output() { return *output_; }
    QTreeWidget& ProjectTree() { return *tree_; }
    QString StatusNote() const;

    // How the workbench's own modal dialogs are run: exec() unless a test fills them in.
    std::function<int(QDialog&)> runDialog;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct View {
        QPointer<QMdiSubWindow> sub;
        const QObject* object;  // the same, to know it again while it is being destroyed
        std::shared_ptr<Window> ideWindow;
    };

    void BuildMenus();
    void BuildDocks();
    void FillFromBar(QMenu& menu, std::string_view bar,
                     const std::map<std::string, std::function<void()>, std::less<>>& own);
    QMdiSubWindow* AddView(QWidget* widget, std::shared_ptr<Window>& ideWindow,
                           std::map<const host::MemoryComponent*, View>& views,
                           const host::MemoryComponent& component);
    QWidget* Shown(std::map<const host::MemoryComponent*, View>& views,
                   const host::MemoryComponent& component);
    std::function<void()> Closer(std::map<const host::MemoryComponent*, View>& views,
                                 const host::MemoryComponent& component);
    void Activated(QMdiSubWindow* sub);
    void AfterClick();
    void Edited();
    void ShowMarks();
    void ShowOpened(const OpenProject& project, const std::filesystem::path& file);
    void RebuildTree();
    QTreeWidgetItem* FolderItem(QTreeWidgetItem& projectItem, const QString& name);
    void AddModuleItems(QTreeWidgetItem& projectItem, const OpenProject& project);
    void AddIgnoredItems(QTreeWidgetItem& projectItem, const OpenProject& project);
    std::vector<QTreeWidgetItem*> ModuleItems() const;
    void ShowSkipped(QTreeWidgetItem& item);
    void AddRefresh(QMenu& menu, std::string_view bar);
    host::LoadProgress ShowProgress(const QString& format);
    void TreeMenu(const QPoint& at);
    void ItemOpened(QTreeWidgetItem* item);
    // Makes the project the active one, whose team settings the add-in takes.
    void SelectProject(OpenProject* project);
    // The add-in takes the project's team settings: read again when `reread`.
    void FollowTeamSettings(const OpenProject* project, bool reread);
    OpenProject* ActiveProject() const;
    host::MemoryComponent* ChosenComponent() const;
    bool SaveModules(const std::vector<OpenModule*>& modules);
    bool AskToSave(const std::vector<OpenModule*>& modules);
    void CloseViewsOf(const OpenProject& project);
    void OpenRecent(const QString& path);
    void ShowRecent(QMenu& menu);
    void ShowWindowMenu(QMenu& menu);
    void ShowTrouble(const QString& text);
    void UpdateTitle();
    int RunDialog(QDialog& dialog);

    WorkbenchSettings& settings_;
    Workspace workspace_;
    OutputWindow* output_;
    std::unique_ptr<AddinHost> host_;
    QMdiArea* mdi_;
    QTreeWidget* tree_;
    QMenu* toolsMenu_ = nullptr;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
    QLabel* note_;
    QLabel* caret_;
    QProgressBar* progress_;
    QTimer* marksTimer_;
    std::map<const host::MemoryComponent*, View> codeViews_;
    std::map<const host::MemoryComponent*, View> designViews_;
    bool closing_ = false;
};

}  // namespace brindle::workbench
