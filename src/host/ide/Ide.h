#pragma once
// Our development environment in memory: open projects with an active one, the active code
// pane, the window list, the command bars with their controls and click events, and the
// add-in list through which add-ins are connected and disconnected as the IDE does it.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/AddinName.h"
#include "model/Extensibility.h"
#include "model/Office.h"
#include "model/Vbide.h"

namespace brindle::host {

// A command bar and the host's own entries on it.
struct BarSetup {
    std::string name;
    std::vector<std::string> entries;
};

// The IDE's own bars: "Code Window", "Tools" and "Project Window Project" with their entries.
std::vector<BarSetup> IdeBars();

// What the environment is built with. Tests leave things out to see how an add-in copes; a
// front end puts in its own entries and windows.
struct IdeSetup {
    std::vector<BarSetup> bars = IdeBars();
    // Leaves out the bar named "Tools".
    bool toolsBar = true;
    // The descriptions of the installed add-ins, as the add-in list shows them.
    std::vector<std::string> addins = {std::string(kAddinDescription)};
    // The windows open from the start, which are neither code windows nor designers.
    std::vector<std::pair<vbext_WindowType, std::string>> toolWindows = {
        {vbext_wt_ProjectWindow, "Project"},
        {vbext_wt_PropertyWindow, "Properties"},
        {vbext_wt_Immediate, "Immediate"}};
    // While the environment starts, add-ins connected at start-up are told that it is complete
    // only by CompleteStartup.
    bool startingUp = false;
};

class MemoryWindows;
class MemoryCommandBars;
class MemoryEvents;
class MemoryAddins;

class MemoryVBE final : public VBE {
public:
    // Opens with the setup's tool windows and bars.
    explicit MemoryVBE(IdeSetup setup = {});
    // Calls no add-in: a host shuts down (which disconnects them) before it goes.
    ~MemoryVBE() override;
    MemoryVBE(const MemoryVBE&) = delete;
    MemoryVBE& operator=(const MemoryVBE&) = delete;

    brindle::CodePane* ActiveCodePane() override;
    VBProject* ActiveVBProject() override;
    brindle::Windows& Windows() override;
    brindle::CommandBars& CommandBars() override;
    brindle::Events& Events() override;
    brindle::Addins& Addins() override;

    // The first project added becomes the active one.
    VBProject& AddProject(std::shared_ptr<VBProject> project);
    // The windows of its modules must be closed first. When it was the active project, the
    // first one left becomes active.
    void RemoveProject(const VBProject& project);
    // Null leaves no project active. A project must have been added.
    void SetActiveVBProject(VBProject* project);
    // Null leaves no pane active. The pane belongs to a module of an added project.
    void SetActiveCodePane(brindle::CodePane* pane);

    // Opens the pane's code window (or finds it open) and makes the pane the active one.
    // Closing the window leaves no pane active when it was the active one, and then calls
    // `onClose` (given when the window opened), so that a front end closes its view.
    std::shared_ptr<Window> OpenCodeWindow(brindle::CodePane& pane,
                                           std::function<void()> onClose = {});
    std::shared_ptr<Window> OpenDesigner(std::string caption, std::function<void()> onClose = {});
    std::shared_ptr<Window> OpenWindow(vbext_WindowType type, std::string caption);

    // Connects an add-in as the IDE does: it becomes the object behind its entry in the add-in
    // list (when the list has one of that description) and receives OnConnection; in
    // ext_cm_Startup mode it then receives OnStartupComplete, if it is still connected. The
    // add-in object must stay alive while it is connected.
    void Connect(IDTExtensibility& addin, ext_ConnectMode mode,
                 std::string_view description = kAddinDescription);
    bool IsConnected(const IDTExtensibility& addin) const;
    // Ends the start-up: each add-in connected in ext_cm_Startup mode meanwhile, and still
    // connected, receives OnStartupComplete. Happens once.
    void CompleteStartup();

    // Takes the control off its bar, as the control's Delete does; a control no bar holds
    // raises 5.
    void DeleteControl(const CommandBarControl& control);

    // Clicks the visible control of that caption (the last one made when several are), on the
    // named bar or on any bar. False when there is none.
    bool Click(std::string_view caption);
    bool Click(std::string_view commandBar, std::string_view caption);

    // Closes the environment: every connected add-in is disconnected (ext_dm_HostShutdown) and
    // the temporary controls are dropped. Happens once.
    void Shutdown();

private:
    std::vector<std::shared_ptr<VBProject>> projects_;
    VBProject* activeProject_ = nullptr;
    brindle::CodePane* activePane_ = nullptr;
    std::unique_ptr<MemoryWindows> windows_;
    std::unique_ptr<MemoryCommandBars> commandBars_;
    std::unique_ptr<MemoryEvents> events_;
    std::unique_ptr<MemoryAddins> addins_;
    bool shutDown_ = false;
};

}  // namespace brindle::host
