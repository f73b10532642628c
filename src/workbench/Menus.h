#pragma once
// The workbench's menus: the menu bar, and the command bars that the add-in puts its buttons on
// shown as menus (the Tools menu, a code window's context menu, a project's), each with the
// workbench's own entries first; the recent projects in the File menu.

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "host/files/ProjectLoader.h"
#include "workbench/Workspace.h"

class QAction;
class QMainWindow;
class QMenu;

namespace brindle::workbench {

class AddinHost;
class WindowList;
class WorkbenchSettings;

// What the menus ask of the main window.
class MenuCommands {
public:
    virtual ~MenuCommands() = default;

    // The files added to those open.
    virtual bool Open(const QStringList& paths) = 0;
    // The project or group in place of those open.
    virtual bool OpenInstead(const QString& path) = 0;
    virtual void Save() = 0;
    virtual void SaveAll() = 0;
    virtual void SaveProject(OpenProject& project) = 0;
    virtual void SaveComponent(host::MemoryComponent& component) = 0;
    virtual bool CloseProject(OpenProject* project) = 0;
    virtual void Undo() = 0;
    virtual void Redo() = 0;
    // The name of the step that Undo (or Redo) would take; empty when there is none.
    virtual std::string NextStepName(bool undo) = 0;
    virtual void ShowAddInManager() = 0;
    // The Find dialog, or the Replace dialog; the next match, or the one before it.
    virtual void ShowFind(bool replace) = 0;
    virtual void FindNext(bool reverse) = 0;
    // Opens the module that declares the name under the caret, at its declaration.
    virtual void GoToDefinition() = 0;
    // Back to where the caret was before the last Go to Definition.
    virtual void LastPosition() = 0;
    virtual void ChooseCodePage(OpenProject* project) = 0;
    // The component of the active window, or the project window's choice.
    virtual host::MemoryComponent* ChosenComponent() const = 0;
    // The progress of a long command in the status bar, until HideProgress.
    virtual host::LoadProgress ShowProgress(const QString& format) = 0;
    virtual void HideProgress() = 0;
};

class Menus final : public QObject {
public:
    // Fills the window's menu bar; its docks are built already, for the View menu.
    Menus(QMainWindow& window, MenuCommands& commands, AddinHost& host, WindowList& windows,
          WorkbenchSettings& settings);

    // The context menus as they would be shown now: the "Code Window" command bar, the
    // "Project Window Project" bar for a project, and a component's own; and the Tools menu,
    // the "Tools" bar.
    std::unique_ptr<QMenu> CodeWindowMenu();
    std::unique_ptr<QMenu> ProjectMenu(OpenProject& project);
    std::unique_ptr<QMenu> ComponentMenu(host::MemoryComponent& component);
    QMenu& ToolsMenu();

private:
    void BuildFileMenu();
    // A project or group file the user chose, or the answer given in advance.
    std::optional<QString> ChooseProject(const QString& title);
    void BuildEditMenu();
    void BuildViewMenu();
    void BuildHelpMenu();
    void FillFromBar(QMenu& menu, std::string_view bar,
                     const std::map<std::string, std::function<void()>, std::less<>>& own);
    void AddRefresh(QMenu& menu, std::string_view bar);
    void ShowRecent(QMenu& menu);
    void OpenRecent(const QString& path);
    void ShowUndoNames();

    QMainWindow& window_;
    MenuCommands& commands_;
    AddinHost& host_;
    WindowList& windows_;
    WorkbenchSettings& settings_;
    QMenu* toolsMenu_ = nullptr;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
};

}  // namespace brindle::workbench
