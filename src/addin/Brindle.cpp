#include "addin/Brindle.h"

#include "addin/Commands.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "codegen/BlockText.h"
#include "codegen/GeneratedCode.h"
#include "codegen/ModuleCommands.h"
#include "model/VbError.h"
#include "templates/OptionStore.h"

namespace brindle {

namespace {

constexpr std::int32_t kConfirmButtons = vbYesNo + vbExclamation;

// The source of a failure raised by the add-in's own code: the handler's name for an entry
// point, the component's name inside an operation that puts its own name before it.
constexpr std::string_view kComponent = kAddinComponent;

[[noreturn]] void RaiseNotSet(std::string_view source) {
    Raise(Err::ObjectNotSet, source);
}

std::string HandlerSource(std::string_view handler) {
    return "Brindle." + std::string(handler);
}

std::int32_t LengthOf(const std::string& line) {
    return static_cast<std::int32_t>(line.size());
}

}  // namespace

struct Brindle::ButtonRow {
    CommandId command;
    std::shared_ptr<CommandBarControl> Brindle::*control;
    EventSourceField Brindle::*events;
    void (Brindle::*click)(CommandBarControl& control, bool& handled, bool& cancelDefault);
};

std::span<const Brindle::ButtonRow> Brindle::Buttons() {
    static constexpr ButtonRow kButtons[] = {
        {CommandId::AddModuleHeader, &Brindle::mcbAddModHdr, &Brindle::gevtAddModHdr,
         &Brindle::gevtAddModHdr_Click},
        {CommandId::AddHeaders, &Brindle::mcbAddHeaders, &Brindle::gevtAddHeaders,
         &Brindle::gevtAddHeaders_Click},
        {CommandId::AddErrorHandlers, &Brindle::mcbAddErrHandlers, &Brindle::gevtAddErrHandlers,
         &Brindle::gevtAddErrHandlers_Click},
        {CommandId::RemoveMarkers, &Brindle::mcbRemoveCodeMarkers, &Brindle::gevtRemoveCodeMarkers,
         &Brindle::gevtRemoveCodeMarkers_Click},
        {CommandId::RemoveCode, &Brindle::mcbRemoveAll, &Brindle::gevtRemoveAll,
         &Brindle::gevtRemoveAll_Click},
        {CommandId::Options, &Brindle::mcbOptions, &Brindle::gevtOptions,
         &Brindle::gevtOptions_Click},
        {CommandId::CloseAllWindows, &Brindle::mcbCloseAllWins, &Brindle::gevtCloseAllWins,
         &Brindle::gevtCloseAllWins_Click},
        {CommandId::AddAll, &Brindle::mcbAddAllToProj, &Brindle::gevtAddAllToProj,
         &Brindle::gevtAddAllToProj_Click},
        {CommandId::RemoveMarkersAll, &Brindle::mcbRemoveCodeMarkersFromProj,
         &Brindle::gevtRemoveCodeMarkersFromProj, &Brindle::gevtRemoveCodeMarkersFromProj_Click},
        {CommandId::RemoveCodeAll, &Brindle::mcbRemoveAllFromProj, &Brindle::gevtRemoveAllFromProj,
         &Brindle::gevtRemoveAllFromProj_Click},
    };
    static_assert(std::size(kButtons) == kCommands.size(), "a button for each command");
    return kButtons;
}

// The command's facts are its row of the table; the add-in adds the handler's name, the source
// of its failures, and the work.
struct Brindle::PaneCommand {
    std::string_view handler;
    CommandId command;
    void (*work)(const AddinFields& fields, CodeModule& module, Diagnostics* sink);
};

struct Brindle::ProjectCommand {
    enum class Work { AddAll, RemoveCodeMarkers, RemoveCode };
    std::string_view handler;
    CommandId command;
    Work work;
};

// Lets one command run at a time. A click that arrives while a command runs (the status
// window's pass over pending messages lets it in) would start work on a half-done module; it
// is ignored, with one plain line to the host.
class Brindle::CommandGuard {
public:
    explicit CommandGuard(Brindle& addin) : addin_(addin) {
        entered_ = !addin.commandRunning_;
        if (entered_) {
            addin.commandRunning_ = true;
            addin.todayText.reset();
            return;
        }
        WarnTo(addin.sink_, "",
               "A click arrived while another command was running; it was ignored.");
    }
    ~CommandGuard() {
        if (entered_) {
            addin_.commandRunning_ = false;
            addin_.releasedOptions_.reset();
        }
    }
    CommandGuard(const CommandGuard&) = delete;
    CommandGuard& operator=(const CommandGuard&) = delete;

    explicit operator bool() const { return entered_; }

private:
    Brindle& addin_;
    bool entered_ = false;
};

Brindle::Brindle(SettingsStore& settings, TemplateFiles& templateFiles, AddinWindows& windows,
                 Diagnostics* sink, Clock today, RegionalDate regional)
    : settings_(settings), templateFiles_(templateFiles), windows_(windows), sink_(sink) {
    if (today) {
        clock = std::move(today);
    }
    regionalDate = std::move(regional);
    for (const ButtonRow& row : Buttons()) {
        (this->*row.events)
            .SetHandler([this, click = row.click](CommandBarControl& control, bool& handled,
                                                  bool& cancelDefault) {
                (this->*click)(control, handled, cancelDefault);
            });
    }
}

Brindle::~Brindle() = default;

// ---- Connection ----

void Brindle::OnConnection(VBE& VBInst, std::int32_t ConnectMode, AddIn* /*AddInInst*/,
                           CustomArgs& /*custom*/) {
    const bool connected = IgnoreStep(sink_, [&] {
        mVBE = &VBInst;
        connected_ = true;
        LoadOptions(settings_, *this);
        loadedOptions_ = *this;
        IgnoreStep(sink_, [&] { LoadTemplateTexts(); });
        mfrmOptions = windows_.CreateOptions(sink_);
        if (!mfrmOptions) {
            RaiseNotSet(HandlerSource("OnConnection"));
        }
        mfrmOptions->SetLastDir(msLastDir);
        mfrmOptions->OnOptionsApplied([this] { mfrmOptions_OptionsApplied(); });
        if (ConnectMode == ext_cm_External) {
            return;
        }
        ConnectButtons();
    });
    if (!connected) {
        DisconnectAddIn();
    }
}

void Brindle::ConnectButtons() {
    for (const ButtonRow& row : Buttons()) {
        std::shared_ptr<CommandBarControl>& control = this->*row.control;
        const CommandInfo& command = CommandOf(row.command);
        control = AddToCommandBar(command.caption, command.bar);
        if (!control) {
            RaiseNotSet(HandlerSource("OnConnection"));
        }
        if (command.beginGroup) {
            control->SetBeginGroup(true);
        }
        this->*row.events = mVBE->Events().CommandBarEvents(*control);
    }
}

std::shared_ptr<CommandBarControl> Brindle::AddToCommandBar(std::string_view caption,
                                                            std::string_view commandBar,
                                                            std::optional<std::int32_t> before) {
    return PassOn("Brindle.AddToCommandBar", [&]() -> std::shared_ptr<CommandBarControl> {
        if (mVBE == nullptr) {
            RaiseNotSet(kComponent);
        }
        CommandBar* bar = mVBE->CommandBars().Item(commandBar);
        if (bar == nullptr) {
            return nullptr;
        }
        std::shared_ptr<CommandBarControl> control =
            bar->Controls().Add(msoControlButton, std::nullopt, std::nullopt, before, true);
        if (!control) {
            RaiseNotSet(kComponent);
        }
        control->SetCaption(caption);
        return control;
    });
}

void Brindle::OnDisconnection(std::int32_t /*RemoveMode*/, CustomArgs& /*custom*/) {
    RemoveCommandBarControls();
    connected_ = false;
}

void Brindle::RemoveCommandBarControls() {
    // A control that was never made is nothing to hide, not a failure. A hidden control's
    // event source is let go, so that no click reaches a disconnected add-in.
    for (const ButtonRow& row : Buttons()) {
        IgnoreStep(sink_, [&] {
            if (const auto& control = this->*row.control) {
                control->SetVisible(false);
            }
        });
    }
    for (const ButtonRow& row : Buttons()) {
        (this->*row.control).reset();
        this->*row.events = nullptr;
    }
    IgnoreStep(sink_, [&] {
        if (mfrmOptions) {
            mfrmOptions->Unload();
        }
    });
    // A disconnection that arrives while the dialog is open must not destroy it under its
    // own feet: it goes when the command ends.
    if (commandRunning_) {
        releasedOptions_ = std::move(mfrmOptions);
    }
    mfrmOptions.reset();
    IgnoreStep(sink_, [&] { SaveOptions(settings_, *this, &loadedOptions_); });
}

void Brindle::OnStartupComplete(CustomArgs& /*custom*/) {
    IgnoreStep(sink_, [&] {
        if (!mbDisableSplash) {
            if (std::shared_ptr<frmSplash> splash = windows_.CreateSplash()) {
                splash->Show();
            }
        }
    });
    IgnoreStep(sink_, [&] { Msg().Load(); });
}

void Brindle::OnAddInsUpdate(CustomArgs& /*custom*/) {}

void Brindle::DisconnectAddIn() {
    const bool asked = IgnoreStep(sink_, [&] {
        PassOn("Brindle.DisconnectAddIn", [&] {
            if (mVBE == nullptr) {
                RaiseNotSet(kComponent);
            }
            Addins& addins = mVBE->Addins();
            addins.Item(kAddinDescription).SetConnect(false);
            addins.Update();
        });
    });
    if (!asked) {
        RemoveCommandBarControls();
    }
}

frmMsg& Brindle::Msg() {
    if (!mfrmMsg) {
        mfrmMsg = windows_.CreateMsg(sink_);
        if (!mfrmMsg) {
            RaiseNotSet(kComponent);
        }
    }
    return *mfrmMsg;
}

// ---- Commands on the active code pane ----

void Brindle::gevtAddModHdr_Click(CommandBarControl&, bool&, bool&) {
    static constexpr PaneCommand kCommand{
        "gevtAddModHdr_Click", CommandId::AddModuleHeader,
        [](const AddinFields& fields, CodeModule& module, Diagnostics* sink) {
            AddModuleHeader(fields, module, sink);
        }};
    RunPaneCommand(kCommand);
}

void Brindle::gevtAddHeaders_Click(CommandBarControl&, bool&, bool&) {
    static constexpr PaneCommand kCommand{
        "gevtAddHeaders_Click", CommandId::AddHeaders,
        [](const AddinFields& fields, CodeModule& module, Diagnostics* sink) {
            AddHeaders(fields, module, sink);
        }};
    RunPaneCommand(kCommand);
}

void Brindle::gevtAddErrHandlers_Click(CommandBarControl&, bool&, bool&) {
    static constexpr PaneCommand kCommand{
        "gevtAddErrHandlers_Click", CommandId::AddErrorHandlers,
        [](const AddinFields& fields, CodeModule& module, Diagnostics* sink) {
            AddErrHandlers(fields, module, sink);
        }};
    RunPaneCommand(kCommand);
}

void Brindle::gevtRemoveCodeMarkers_Click(CommandBarControl&, bool&, bool&) {
    static constexpr PaneCommand kCommand{
        "gevtRemoveCodeMarkers_Click", CommandId::RemoveMarkers,
        [](const AddinFields& fields, CodeModule& module, Diagnostics* sink) {
            RemoveCodeMarkers(fields, module, sink);
        }};
    RunPaneCommand(kCommand);
}

void Brindle::gevtRemoveAll_Click(CommandBarControl&, bool&, bool&) {
    static constexpr PaneCommand kCommand{
        "gevtRemoveAll_Click", CommandId::RemoveCode,
        [](const AddinFields& fields, CodeModule& module, Diagnostics* sink) {
            RemoveCode(fields, module, sink);
        }};
    RunPaneCommand(kCommand);
}

void Brindle::RunPaneCommand(const PaneCommand& command) {
    CommandGuard guard(*this);
    if (!guard) {
        return;
    }
    const CommandInfo& info = CommandOf(command.command);
    if (info.Asks() && !Confirm(info.confirmPrompt, info.confirmTitle)) {
        return;
    }
    CodePane* pane = nullptr;
    IgnoreStep(sink_, [&] { pane = mVBE != nullptr ? mVBE->ActiveCodePane() : nullptr; });
    // Without an active code pane there is nothing to do, and nothing to tell.
    if (pane == nullptr) {
        return;
    }
    std::string name;
    IgnoreStep(sink_, [&] {
        CodeModule& module = pane->CodeModule();
        name = module.ToUnicode(module.Parent().Name());
        Msg().SetMessage(std::string(info.status) + name);
    });
    WarnOfTemplateProblems(info.templates);
    IgnoreStepIn(sink_, name, [&] { command.work(*this, pane->CodeModule(), sink_); });
    IgnoreStep(sink_, [&] { Msg().Hide(); });
}

// Once per command, for each template it uses that gave no text, and each unknown keyword of
// one that did. Nothing goes in from a template without text: no empty marked block, and no
// error handler without both of its templates. An unknown keyword goes in as it stands.
void Brindle::WarnOfTemplateProblems(unsigned templates) {
    // What becomes of a command without each of kTemplateSlots.
    static constexpr std::array<std::string_view, kTemplateSlots.size()> kConsequences = {
        "no module headers added", "no procedure headers added", "no error handlers added",
        "no error handlers added"};
    const AddinFields& fields = *this;
    for (std::size_t i = 0; i < kTemplateSlots.size(); ++i) {
        const TemplateSlot& t = kTemplateSlots[i];
        if ((templates & kSlotUses[i]) == 0) {
            continue;
        }
        const std::string consequence(kConsequences[i]);
        const std::string named =
            "the " + std::string(t.title) + " template \"" + fields.*t.path + "\"";
        const auto refused = fields.templateRefusals.find(fields.*t.path);
        if (refused != fields.templateRefusals.end()) {
            WarnTo(sink_, "", named + " is refused: " + refused->second.why + "; " + consequence);
        } else if ((fields.*t.text).empty()) {
            WarnTo(sink_, "", named + " is missing, unreadable or empty; " + consequence);
        }
        for (const UnknownKeyword& unknown : UnknownKeywords(fields.*t.text)) {
            WarnTo(sink_, "",
                   named + ", line " + std::to_string(unknown.line) + ": " + unknown.Problem());
        }
    }
}

bool Brindle::Confirm(std::string_view prompt, std::string_view title) {
    VbMsgBoxResult answer = vbNo;
    IgnoreStep(sink_, [&] { answer = windows_.MsgBox(prompt, kConfirmButtons, title); });
    return answer == vbYes;
}

void Brindle::gevtCloseAllWins_Click(CommandBarControl&, bool&, bool&) {
    CommandGuard guard(*this);
    if (!guard) {
        return;
    }
    IgnoreStep(sink_, [&] {
        Msg().SetMessage(std::string(CommandOf(CommandId::CloseAllWindows).status));
    });
    // Closing a window takes it out of the host's list: walk a copy, so none is skipped.
    std::vector<std::shared_ptr<Window>> windows;
    IgnoreStep(sink_, [&] {
        if (mVBE == nullptr) {
            RaiseNotSet(HandlerSource("gevtCloseAllWins_Click"));
        }
        Windows& list = mVBE->Windows();
        const std::int32_t count = list.Count();
        for (std::int32_t i = 1; i <= count; ++i) {
            windows.push_back(list.Item(i));
        }
    });
    for (const std::shared_ptr<Window>& window : windows) {
        bool closes = false;
        IgnoreStep(sink_, [&] {
            const vbext_WindowType type = window->Type();
            closes = type == vbext_wt_CodeWindow || type == vbext_wt_Designer;
        });
        if (closes) {
            IgnoreStep(sink_, [&] { window->SetVisible(false); });
            IgnoreStep(sink_, [&] { window->Close(); });
        }
    }
    IgnoreStep(sink_, [&] { Msg().Hide(); });
}

// ---- Commands on the whole active project ----

void Brindle::gevtAddAllToProj_Click(CommandBarControl&, bool&, bool&) {
    static constexpr ProjectCommand kCommand{"gevtAddAllToProj_Click", CommandId::AddAll,
                                             ProjectCommand::Work::AddAll};
    RunProjectCommand(kCommand);
}

void Brindle::gevtRemoveCodeMarkersFromProj_Click(CommandBarControl&, bool&, bool&) {
    static constexpr ProjectCommand kCommand{"gevtRemoveCodeMarkersFromProj_Click",
                                             CommandId::RemoveMarkersAll,
                                             ProjectCommand::Work::RemoveCodeMarkers};
    RunProjectCommand(kCommand);
}

void Brindle::gevtRemoveAllFromProj_Click(CommandBarControl&, bool&, bool&) {
    static constexpr ProjectCommand kCommand{
        "gevtRemoveAllFromProj_Click", CommandId::RemoveCodeAll, ProjectCommand::Work::RemoveCode};
    RunProjectCommand(kCommand);
}

void Brindle::RunProjectCommand(const ProjectCommand& command) {
    CommandGuard guard(*this);
    if (!guard) {
        return;
    }
    const CommandInfo& info = CommandOf(command.command);
    if (!Confirm(info.confirmPrompt, info.confirmTitle)) {
        return;
    }
    WarnOfTemplateProblems(info.templates);
    VBProject* project = nullptr;
    std::int32_t count = 0;
    IgnoreStep(sink_, [&] {
        project = mVBE != nullptr ? mVBE->ActiveVBProject() : nullptr;
        // Without an active project there is nothing to do, and nothing to tell.
        if (project == nullptr) {
            return;
        }
        // A locked project refuses its components at a step the editor does not say: asked
        // first, it is told once and nothing is touched.
        if (project->Protection() == vbext_pp_locked) {
            project = nullptr;
            Raise(Err::ProjectProtected, HandlerSource(command.handler));
        }
        count = project->VBComponents().Count();
    });
    for (std::int32_t i = 1; i <= count; ++i) {
        VBComponent* component = nullptr;
        IgnoreStep(sink_, [&] { component = &project->VBComponents().Item(i); });
        if (component == nullptr || (leftOut_ && leftOut_(*component))) {
            continue;
        }
        // A component without code (a resource file, a related document) is passed over; its
        // status message still shows.
        CodeModule* code = nullptr;
        IgnoreStep(nullptr, [&] { code = &component->CodeModule(); });
        std::string name;
        IgnoreStep(sink_, [&] {
            name = component->Name();
            name = code != nullptr ? code->ToUnicode(name) : name;
            Msg().SetMessage(std::string(info.status) + name);
        });
        if (code == nullptr) {
            continue;
        }
        if (command.work == ProjectCommand::Work::AddAll) {
            AddAllToComponent(*component, name);
        } else {
            RemoveFromComponent(*component, name, command);
        }
    }
    IgnoreStep(sink_, [&] { Msg().Hide(); });
}

void Brindle::AddAllToComponent(VBComponent& component, std::string_view name) {
    const AddinFields& fields = *this;
    KeptMap kept;  // Skip Existing's map, while no piece has changed the module
    IgnoreStepIn(sink_, name,
                 [&] { AddModuleHeader(fields, component.CodeModule(), sink_, &kept); });
    IgnoreStepIn(sink_, name, [&] {
        CodeModule& module = component.CodeModule();
        module.CodePane().SetSelection(1, 1, module.CountOfLines() + 1, 1);
    });
    // AddErrHandlers reads the selection again; the host has widened it over the headers.
    IgnoreStepIn(sink_, name, [&] { AddHeaders(fields, component.CodeModule(), sink_, &kept); });
    IgnoreStepIn(sink_, name,
                 [&] { AddErrHandlers(fields, component.CodeModule(), sink_, &kept); });
    IgnoreStepIn(sink_, name, [&] { component.CodeModule().CodePane().SetSelection(1, 1, 1, 2); });
}

void Brindle::RemoveFromComponent(VBComponent& component, std::string_view name,
                                  const ProjectCommand& command) {
    const bool markersOnly = command.work == ProjectCommand::Work::RemoveCodeMarkers;
    IgnoreStepIn(sink_, name, [&] {
        CodeModule& module = component.CodeModule();
        const std::int32_t lines = module.CountOfLines();
        // A module without code lines (a form with none) has nothing to remove, not a failure.
        const std::string lastLine = lines > 0 ? module.Lines(lines, 1) : std::string();
        const std::int32_t endLine = std::max(markersOnly ? lines + 1 : lines, 1);
        module.CodePane().SetSelection(1, 1, endLine, LengthOf(lastLine) + 1);
    });
    IgnoreStepIn(sink_, name, [&] {
        if (markersOnly) {
            RemoveCodeMarkers(*this, component.CodeModule(), sink_);
        } else {
            RemoveCode(*this, component.CodeModule(), sink_);
        }
    });
    IgnoreStepIn(sink_, name, [&] { component.CodeModule().CodePane().SetSelection(1, 1, 1, 2); });
}

// ---- Options ----

void Brindle::LoadTemplateTexts() {
    LoadTemplates(templateFiles_, msModHdrFname, msProcHdrFname, msErrHdrFname, msErrFtrFname,
                  *this);
    RefuseTemplatesWithMarkerLines(*this);
}

void Brindle::ReloadOptions(const std::function<void()>& changeSettings) {
    // Unconnected, the fields hold the defaults or what the disconnection saved: nothing of
    // the user's to save, and defaults must not overwrite the user's options.
    if (connected_) {
        IgnoreStep(sink_, [&] { SaveOptions(settings_, *this, &loadedOptions_); });
    }
    if (changeSettings) {
        IgnoreStep(sink_, changeSettings);
    }
    IgnoreStep(sink_, [&] {
        PassOn("Brindle.ReloadOptions", [&] {
            LoadOptions(settings_, *this);
            loadedOptions_ = *this;
            LoadTemplateTexts();
        });
    });
}

void Brindle::gevtOptions_Click(CommandBarControl&, bool&, bool&) {
    CommandGuard guard(*this);
    if (!guard) {
        return;
    }
    const auto controls = [&]() -> OptionsControls& {
        if (!mfrmOptions) {
            RaiseNotSet(HandlerSource("gevtOptions_Click"));
        }
        return mfrmOptions->Controls();
    };
    IgnoreStep(sink_, [&] { controls().txtAuthor = msAuthor; });
    IgnoreStep(sink_, [&] { controls().chkCodeMarkers = mbAddCodeMarkers ? 1 : 0; });
    IgnoreStep(sink_, [&] { controls().chkDisableSplash = mbDisableSplash ? 1 : 0; });
    IgnoreStep(sink_, [&] { controls().chkSkipExisting = mbSkipExisting ? 1 : 0; });
    IgnoreStep(sink_, [&] { controls().txtDateFormat = msDateFormat; });
    const AddinFields& fields = *this;
    for (std::size_t i = 0; i < kTemplateSlots.size(); ++i) {
        IgnoreStep(sink_, [&] { controls().*kTemplateBoxes[i] = fields.*kTemplateSlots[i].path; });
    }
    IgnoreStep(sink_, [&] {
        if (!mfrmOptions) {
            RaiseNotSet(HandlerSource("gevtOptions_Click"));
        }
        mfrmOptions->ShowModal();
    });
}

void Brindle::mfrmOptions_OptionsApplied() {
    IgnoreStep(sink_, [&] { ApplyOptions(); });
}

void Brindle::ApplyOptions() {
    PassOn("Brindle.ApplyOptions", [&] {
        if (!mfrmOptions) {
            RaiseNotSet(kComponent);
        }
        const OptionsControls& controls = mfrmOptions->Controls();
        msAuthor = controls.txtAuthor;
        mbAddCodeMarkers = controls.chkCodeMarkers == 1;
        mbDisableSplash = controls.chkDisableSplash == 1;
        mbSkipExisting = controls.chkSkipExisting == 1;
        msDateFormat = controls.txtDateFormat;
        AddinFields& fields = *this;
        for (std::size_t i = 0; i < kTemplateSlots.size(); ++i) {
            fields.*kTemplateSlots[i].path = controls.*kTemplateBoxes[i];
        }
        msLastDir = mfrmOptions->LastDir();
        LoadTemplateTexts();
    });
}

}  // namespace brindle
