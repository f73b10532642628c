#pragma once
// The code and designer windows, as sub-windows of the workbench: at most one of each kind per
// component, brought to the front when opened again, and closed by the user or by the add-in
// through our IDE. The Window menu lists them.

#include <QMdiArea>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "host/ide/Ide.h"
#include "workbench/OutputWindow.h"
#include "workbench/WorkbenchSettings.h"
#include "workbench/Workspace.h"

class QMenu;

namespace brindle::workbench {

class CodeWindow;
class DesignerWindow;

class WindowList final : public QMdiArea {
public:
    // Each window is opened in our IDE too, and tells `output` of its failures and warnings.
    WindowList(const Workspace& workspace, host::MemoryVBE& ide, OutputWindow& output,
               WorkbenchSettings& settings, QWidget* parent = nullptr);

    CodeWindow* OpenCodeWindow(host::MemoryComponent& component);
    DesignerWindow* OpenDesigner(host::MemoryComponent& component);
    // The active code window; without focus, the code window shown last.
    CodeWindow* ActiveCodeWindow() const;
    std::vector<CodeWindow*> CodeWindows() const;
    std::vector<QMdiSubWindow*> Windows() const;
    // The component of the active window, or null.
    host::MemoryComponent* ActiveComponent() const;

    // Closes every window, or those of the project's components, at once.
    void CloseAll();
    void CloseWindowsOf(const OpenProject& project);
    // A code window's title is marked "*" while its module has unsaved changes.
    void ShowModified();
    // The Window menu: tabs or sub-windows, Cascade, Tile, and the windows open.
    void FillWindowMenu(QMenu& menu);

    // A code window's context menu, at that place on the screen.
    std::function<void(QPoint at)> onCodeMenu;
    // The user edited a module in its code window.
    std::function<void()> onEdited;
    // A code window was opened.
    std::function<void()> onCodeWindowOpened;
    // A code window became the active one: its project does too.
    std::function<void(OpenProject& project)> onProjectActivated;
    // Where the caret of the active code window is, as the status bar shows it; empty when
    // no code window is active.
    std::function<void(const QString& caret)> onCaret;

private:
    struct View {
        QPointer<QMdiSubWindow> sub;
        const QObject* object;  // the same, to know it again while it is being destroyed
        std::shared_ptr<Window> ideWindow;
    };
    using Views = std::map<const host::MemoryComponent*, View>;

    QMdiSubWindow* AddView(QWidget* widget, std::shared_ptr<Window>& ideWindow, Views& views,
                           const host::MemoryComponent& component);
    QWidget* Shown(Views& views, const host::MemoryComponent& component);
    std::function<void()> Closer(Views& views, const host::MemoryComponent& component);
    void Activated(QMdiSubWindow* sub);
    void ShowCaret(int line, int index);

    const Workspace& workspace_;
    host::MemoryVBE& ide_;
    OutputWindow& output_;
    WorkbenchSettings& settings_;
    Views codeViews_;
    Views designViews_;
};

}  // namespace brindle::workbench
