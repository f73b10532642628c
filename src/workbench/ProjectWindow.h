#pragma once
// The project window: each open project's components in the IDE's folders, a module with
// unsaved changes in bold and marked "*", what Brindle's commands leave alone in grey italics
// with the reason as a tooltip, and the modules that a .brindleignore leaves out. It tells its
// owner what the user chose, opened or asked a context menu for.

#include <QIcon>
#include <QPoint>
#include <QStyle>
#include <QTreeWidget>
#include <functional>
#include <map>
#include <vector>

#include "templates/AddinFields.h"
#include "workbench/Workspace.h"

namespace brindle::workbench {

// A project as the project window names it: its name and its file's.
QString ProjectText(const OpenProject& project);

class ProjectWindow final : public QTreeWidget {
public:
    // `fields` gives the add-in's options as they are now: they say what is left alone.
    ProjectWindow(const Workspace& workspace, std::function<const AddinFields&()> fields,
                  QWidget* parent = nullptr);

    // The workspace's projects shown anew.
    void Rebuild();
    // The active project in bold.
    void ShowActive(const OpenProject* project);
    // What is left alone in each module that changed since it was last looked at, and, when
    // `modified` (some module's modified mark changed), each module's mark.
    void ShowMarks(bool modified);
    // What is left alone, looked at again in every module: the options changed.
    void ShowSkippedAgain();
    // The component of the current item, or null.
    host::MemoryComponent* CurrentComponent() const;

    // The current item is now one of this project's.
    std::function<void(OpenProject& project)> onProjectChosen;
    // An item was activated: a component, or a skipped procedure at `line` of it (0 for the
    // component itself).
    std::function<void(host::MemoryComponent& component, int line)> onOpen;
    // The context menu of a project's item or of a component's, at that place on the screen.
    std::function<void(OpenProject& project, QPoint at)> onProjectMenu;
    std::function<void(host::MemoryComponent& component, QPoint at)> onComponentMenu;

private:
    QTreeWidgetItem* FolderItem(QTreeWidgetItem& projectItem, const QString& name);
    void AddModuleItems(QTreeWidgetItem& projectItem, const OpenProject& project);
    void AddIgnoredItems(QTreeWidgetItem& projectItem, const OpenProject& project);
    std::vector<QTreeWidgetItem*> ModuleItems();
    void ShowSkipped(QTreeWidgetItem& item);
    void ShowMenu(const QPoint& at);
    // The style's icon, made once: making it reads its image each time.
    const QIcon& Icon(QStyle::StandardPixmap kind, bool skipped = false);

    const Workspace& workspace_;
    std::function<const AddinFields&()> fields_;
    std::map<std::pair<QStyle::StandardPixmap, bool>, QIcon> icons_;
};

}  // namespace brindle::workbench
