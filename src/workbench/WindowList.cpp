#include "workbench/WindowList.h"

#include <Qsci/qsciscintilla.h>

#include <QMdiSubWindow>
#include <QMenu>
#include <string>

#include "host/vb6/CodePage.h"
#include "ui/qt/QtText.h"
#include "workbench/CodeWindow.h"
#include "workbench/DesignerWindow.h"

namespace brindle::workbench {

WindowList::WindowList(const Workspace& workspace, host::MemoryVBE& ide, OutputWindow& output,
                       WorkbenchSettings& settings, QWidget* parent)
    : QMdiArea(parent), workspace_(workspace), ide_(ide), output_(output), settings_(settings) {
    setObjectName(QStringLiteral("mdiArea"));
    setViewMode(settings_.Tabbed() ? QMdiArea::TabbedView : QMdiArea::SubWindowView);
    setTabsClosable(true);
    setTabsMovable(true);
    setDocumentMode(true);
    setBackground(QColor(0xab, 0xab, 0xab));
    connect(this, &QMdiArea::subWindowActivated, this,
            [this](QMdiSubWindow* sub) { Activated(sub); });
}

QMdiSubWindow* WindowList::AddView(QWidget* widget, std::shared_ptr<Window>& ideWindow,
                                   Views& views, const host::MemoryComponent& component) {
    // Captioned with the project's name, as the IDE does: "Project1 - Form1 (Code)".
    if (const OpenProject* project = workspace_.ProjectOf(component)) {
        widget->setWindowTitle(
            QString::fromStdString(host::ToUtf8(project->project->Name(), project->codePage)) +
            " - " + widget->windowTitle());
    }
    QMdiSubWindow* sub = addSubWindow(widget);
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
    sub->resize(size() * 0.8);
    sub->showMaximized();
    sub->show();
    return sub;
}

// The view of the component that is open already, brought to the front; null when none is.
QWidget* WindowList::Shown(Views& views, const host::MemoryComponent& component) {
    const auto found = views.find(&component);
    if (found == views.end() || !found->second.sub) {
        return nullptr;
    }
    setActiveSubWindow(found->second.sub);
    return found->second.sub->widget();
}

// What our IDE calls when the add-in closes the component's window: the view closes too.
std::function<void()> WindowList::Closer(Views& views, const host::MemoryComponent& component) {
    return [&views, key = &component] {
        const auto found = views.find(key);
        if (found != views.end() && found->second.sub) {
            found->second.sub->close();
        }
    };
}

CodeWindow* WindowList::OpenCodeWindow(host::MemoryComponent& component) {
    if (QWidget* shown = Shown(codeViews_, component)) {
        return static_cast<CodeWindow*>(shown);
    }
    OpenModule* module = workspace_.ModuleOf(component);
    if (module == nullptr || !module->history) {
        return nullptr;
    }
    module->shown = true;
    const OpenProject* project = workspace_.ProjectOf(component);
    auto* window = new CodeWindow(component, *module->history, project->codePage);
    window->onContextMenu = [this](QPoint at) {
        if (onCodeMenu) {
            onCodeMenu(at);
        }
    };
    window->onWarning = [this, &component](const QString& text) {
        output_.Warn(host::ToUtf8(component.Name(), component.CodePage()), ui::qt::ToUtf8(text));
    };
    window->onEdited = [this] {
        if (onEdited) {
            onEdited();
        }
    };
    window->sink = &output_;
    connect(&window->Editor(), &QsciScintilla::cursorPositionChanged, this,
            [this](int line, int index) { ShowCaret(line, index); });
    std::shared_ptr<Window> ideWindow =
        ide_.OpenCodeWindow(component.CodeModule().CodePane(), Closer(codeViews_, component));
    AddView(window, ideWindow, codeViews_, component);
    window->SelectionFromPane();  // the editor forgets it while it is first laid out
    if (onCodeWindowOpened) {
        onCodeWindowOpened();
    }
    return window;
}

DesignerWindow* WindowList::OpenDesigner(host::MemoryComponent& component) {
    if (QWidget* shown = Shown(designViews_, component)) {
        return static_cast<DesignerWindow*>(shown);
    }
    const OpenProject* project = workspace_.ProjectOf(component);
    if (project == nullptr) {
        return nullptr;
    }
    auto* window = new DesignerWindow(component, project->codePage);
    std::shared_ptr<Window> ideWindow =
        ide_.OpenDesigner(ui::qt::ToUtf8(window->windowTitle()), Closer(designViews_, component));
    AddView(window, ideWindow, designViews_, component);
    return window;
}

void WindowList::Activated(QMdiSubWindow* sub) {
    if (sub == nullptr) {
        return;
    }
    if (auto* code = dynamic_cast<CodeWindow*>(sub->widget())) {
        ide_.OpenCodeWindow(code->Component().CodeModule().CodePane());
        if (OpenProject* project = workspace_.ProjectOf(code->Component());
            project && onProjectActivated) {
            onProjectActivated(*project);
        }
        int line = 0;
        int index = 0;
        code->Editor().getCursorPosition(&line, &index);
        ShowCaret(line, index);
    } else if (onCaret) {
        onCaret(QString());
    }
}

void WindowList::ShowCaret(int line, int index) {
    if (onCaret) {
        onCaret(QStringLiteral("Ln %1, Col %2").arg(line + 1).arg(index + 1));
    }
}

CodeWindow* WindowList::ActiveCodeWindow() const {
    QMdiSubWindow* sub = activeSubWindow();
    if (sub == nullptr) {
        // Without focus (the menu has it, or the screen is offscreen) the last one shown.
        const QList<QMdiSubWindow*> list = subWindowList(QMdiArea::ActivationHistoryOrder);
        for (auto it = list.rbegin(); it != list.rend(); ++it) {
            if (auto* code = dynamic_cast<CodeWindow*>((*it)->widget())) {
                return code;
            }
        }
        return nullptr;
    }
    return dynamic_cast<CodeWindow*>(sub->widget());
}

std::vector<CodeWindow*> WindowList::CodeWindows() const {
    std::vector<CodeWindow*> windows;
    for (const auto& [component, view] : codeViews_) {
        if (view.sub) {
            windows.push_back(static_cast<CodeWindow*>(view.sub->widget()));
        }
    }
    return windows;
}

std::vector<QMdiSubWindow*> WindowList::Windows() const {
    const QList<QMdiSubWindow*> list = subWindowList();
    return {list.begin(), list.end()};
}

host::MemoryComponent* WindowList::ActiveComponent() const {
    QMdiSubWindow* sub = activeSubWindow();
    if (sub == nullptr) {
        return nullptr;
    }
    for (const Views* views : {&codeViews_, &designViews_}) {
        for (const auto& [component, view] : *views) {
            if (view.sub == sub) {
                return const_cast<host::MemoryComponent*>(component);
            }
        }
    }
    return nullptr;
}

void WindowList::CloseAll() {
    for (QMdiSubWindow* sub : subWindowList()) {
        delete sub;
    }
}

void WindowList::CloseWindowsOf(const OpenProject& project) {
    for (const auto& module : project.modules) {
        for (Views* views : {&codeViews_, &designViews_}) {
            const auto found = views->find(&module->Component());
            if (found != views->end() && found->second.sub) {
                delete found->second.sub.data();
            }
        }
    }
}

void WindowList::ShowModified() {
    for (const auto& [component, view] : codeViews_) {
        if (const OpenModule* module = workspace_.ModuleOf(*component); module && view.sub) {
            const QString title = view.sub->widget()->windowTitle();
            view.sub->setWindowTitle(title + (module->modified ? " *" : ""));
        }
    }
}

void WindowList::FillWindowMenu(QMenu& menu) {
    menu.clear();
    QAction* tabs = menu.addAction(QStringLiteral("&Tabs"), [this](bool on) {
        setViewMode(on ? QMdiArea::TabbedView : QMdiArea::SubWindowView);
        settings_.SetTabbed(on);
    });
    tabs->setCheckable(true);
    tabs->setChecked(viewMode() == QMdiArea::TabbedView);
    menu.addAction(QStringLiteral("&Cascade"), [this] {
        setViewMode(QMdiArea::SubWindowView);
        cascadeSubWindows();
    });
    menu.addAction(QStringLiteral("Tile &Horizontally"), [this] {
        setViewMode(QMdiArea::SubWindowView);
        tileSubWindows();
    });
    const QList<QMdiSubWindow*> list = subWindowList();
    if (!list.isEmpty()) {
        menu.addSeparator();
    }
    int number = 1;
    for (QMdiSubWindow* sub : list) {
        QAction* item =
            menu.addAction(QStringLiteral("&%1 %2").arg(number++).arg(sub->windowTitle()),
                           [this, sub] { setActiveSubWindow(sub); });
        item->setCheckable(true);
        item->setChecked(sub == activeSubWindow());
    }
}

}  // namespace brindle::workbench
