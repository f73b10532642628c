#pragma once
// The add-in object: connection to the host, its ten buttons on the host's command bars, and
// the commands behind them.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "addin/AddinWindows.h"
#include "addin/EventSourceField.h"
#include "model/AddinName.h"
#include "model/Diagnostics.h"
#include "model/Extensibility.h"
#include "model/Office.h"
#include "model/Runtime.h"
#include "model/Vbide.h"
#include "templates/AddinFields.h"

namespace brindle {

class Brindle : public IDTExtensibility, private AddinFields {
public:
    // The host's services must outlive the add-in object; `sink` may be null. Without a clock
    // the Date keyword takes the system's; without a regional date Short Date is mm/dd/yy.
    Brindle(SettingsStore& settings, TemplateFiles& templateFiles, AddinWindows& windows,
            Diagnostics* sink, Clock today = {}, RegionalDate regional = {});
    ~Brindle() override;
    Brindle(const Brindle&) = delete;
    Brindle& operator=(const Brindle&) = delete;

    void OnConnection(VBE& VBInst, std::int32_t ConnectMode, AddIn* AddInInst,
                      CustomArgs& custom) override;
    void OnDisconnection(std::int32_t RemoveMode, CustomArgs& custom) override;
    void OnStartupComplete(CustomArgs& custom) override;
    void OnAddInsUpdate(CustomArgs& custom) override;

    // The event sources of the ten buttons. While a field holds a source, its clicks reach the
    // handler named after the field; the buttons' table pairs them.
    EventSourceField gevtAddModHdr;
    EventSourceField gevtAddHeaders;
    EventSourceField gevtAddErrHandlers;
    EventSourceField gevtRemoveAll;
    EventSourceField gevtRemoveCodeMarkers;
    EventSourceField gevtOptions;
    EventSourceField gevtCloseAllWins;
    EventSourceField gevtAddAllToProj;
    EventSourceField gevtRemoveCodeMarkersFromProj;
    EventSourceField gevtRemoveAllFromProj;

    // The options and template texts as they stand; hosts run the operations that have no
    // button (refresh, check) with them.
    const AddinFields& Fields() const { return *this; }
    // For the host's run: see AddinFields::mbIgnoreExclusions.
    void IgnoreExclusions(bool ignore) { mbIgnoreExclusions = ignore; }
    // For a host whose projects name modules to leave alone (a team's ignore file): the
    // project commands pass over each component for which `leftOut` answers true.
    void LeaveOut(std::function<bool(VBComponent& component)> leftOut) {
        leftOut_ = std::move(leftOut);
    }
    // For a host whose settings store answers otherwise from now on (it opened a project with
    // team settings): while connected, saves the options through the store as it answers now;
    // then lets `changeSettings` change it, and loads the options and templates again.
    void ReloadOptions(const std::function<void()>& changeSettings);

private:
    struct ButtonRow;
    struct PaneCommand;
    struct ProjectCommand;
    class CommandGuard;

    std::shared_ptr<CommandBarControl> AddToCommandBar(
        std::string_view caption, std::string_view commandBar,
        std::optional<std::int32_t> before = std::nullopt);
    void RemoveCommandBarControls();
    // Each button's caption, bar and group, and the members named after it: its control, its
    // event source and its click handler. The one list of the ten, in the order they are added.
    static std::span<const ButtonRow> Buttons();
    void DisconnectAddIn();
    void ConnectButtons();
    frmMsg& Msg();

    void gevtAddModHdr_Click(CommandBarControl& control, bool& handled, bool& cancelDefault);
    void gevtAddHeaders_Click(CommandBarControl& control, bool& handled, bool& cancelDefault);
    void gevtAddErrHandlers_Click(CommandBarControl& control, bool& handled, bool& cancelDefault);
    void gevtRemoveAll_Click(CommandBarControl& control, bool& handled, bool& cancelDefault);
    void gevtRemoveCodeMarkers_Click(CommandBarControl& control, bool& handled,
                                     bool& cancelDefault);
    void gevtOptions_Click(CommandBarControl& control, bool& handled, bool& cancelDefault);
    void gevtCloseAllWins_Click(CommandBarControl& control, bool& handled, bool& cancelDefault);
    void gevtAddAllToProj_Click(CommandBarControl& control, bool& handled, bool& cancelDefault);
    void gevtRemoveCodeMarkersFromProj_Click(CommandBarControl& control, bool& handled,
                                             bool& cancelDefault);
    void gevtRemoveAllFromProj_Click(CommandBarControl& control, bool& handled,
                                     bool& cancelDefault);

    void RunPaneCommand(const PaneCommand& command);
    void RunProjectCommand(const ProjectCommand& command);
    void AddAllToComponent(VBComponent& component, std::string_view name);
    void RemoveFromComponent(VBComponent& component, std::string_view name,
                             const ProjectCommand& command);
    bool Confirm(std::string_view prompt, std::string_view title);
    void WarnOfTemplateProblems(unsigned templates);

    void mfrmOptions_OptionsApplied();
    void ApplyOptions();
    // The four template texts from their files; one that is no text, or holds a marker line,
    // is refused and left empty.
    void LoadTemplateTexts();

    SettingsStore& settings_;
    TemplateFiles& templateFiles_;
    AddinWindows& windows_;
    Diagnostics* sink_;
    std::function<bool(VBComponent& component)> leftOut_;
    bool commandRunning_ = false;
    bool connected_ = false;

    VBE* mVBE = nullptr;
    std::unique_ptr<frmMsg> mfrmMsg;
    std::shared_ptr<CommandBarControl> mcbAddModHdr;
    std::shared_ptr<CommandBarControl> mcbAddHeaders;
    std::shared_ptr<CommandBarControl> mcbAddErrHandlers;
    std::shared_ptr<CommandBarControl> mcbRemoveAll;
    std::shared_ptr<CommandBarControl> mcbRemoveCodeMarkers;
    std::shared_ptr<CommandBarControl> mcbOptions;
    std::shared_ptr<CommandBarControl> mcbCloseAllWins;
    std::shared_ptr<CommandBarControl> mcbAddAllToProj;
    std::shared_ptr<CommandBarControl> mcbRemoveCodeMarkersFromProj;
    std::shared_ptr<CommandBarControl> mcbRemoveAllFromProj;
    std::unique_ptr<frmOptions> mfrmOptions;
    std::unique_ptr<frmOptions> releasedOptions_;  // released while a command ran
    // The options as loaded: only those changed since are saved, so that a change another
    // program stored meanwhile stays.
    AddinFields loadedOptions_;
};

}  // namespace brindle
