#include "host/ide/Ide.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "model/IdeBars.h"
#include "model/VbError.h"
#include "util/Text.h"

namespace brindle::host {

namespace {

constexpr std::string_view kSource = "VBIDE";

// ---- Windows ----

class MemoryWindow final : public Window {
public:
    MemoryWindow(vbext_WindowType type, std::string caption, brindle::CodePane* pane,
                 std::function<void(MemoryWindow&)> onClose)
        : type_(type), caption_(std::move(caption)), pane_(pane), onClose_(std::move(onClose)) {}

    std::string Caption() const override { return caption_; }
    vbext_WindowType Type() const override { return type_; }
    bool Visible() const override { return visible_; }
    void SetVisible(bool visible) override { visible_ = visible; }
    // After this, closing does nothing: the list it belonged to is gone.
    void Detach() { onClose_ = nullptr; }

    void Close() override {
        if (onClose_) {
            auto onClose = std::move(onClose_);
            onClose_ = nullptr;
            onClose(*this);
        }
    }

    brindle::CodePane* Pane() const { return pane_; }

private:
    vbext_WindowType type_;
    std::string caption_;
    brindle::CodePane* pane_;
    std::function<void(MemoryWindow&)> onClose_;
    bool visible_ = true;
};

}  // namespace

class MemoryWindows final : public brindle::Windows {
public:
    MemoryWindows() = default;
    MemoryWindows(const MemoryWindows&) = delete;
    MemoryWindows& operator=(const MemoryWindows&) = delete;
    ~MemoryWindows() override {
        for (const auto& window : list_) {
            window->Detach();
        }
    }

    std::int32_t Count() const override { return static_cast<std::int32_t>(list_.size()); }
    std::shared_ptr<Window> Item(std::int32_t index) override {
        if (index < 1 || index > Count()) {
            Raise(Err::SubscriptOutOfRange, std::string(kSource));
        }
        return list_[static_cast<std::size_t>(index - 1)];
    }

    std::shared_ptr<MemoryWindow> Open(vbext_WindowType type, std::string caption,
                                       brindle::CodePane* pane,
                                       std::function<void(MemoryWindow&)> onClose) {
        auto window = std::make_shared<MemoryWindow>(type, std::move(caption), pane,
                                                     [this, onClose](MemoryWindow& closed) {
                                                         Remove(closed);
                                                         if (onClose) {
                                                             onClose(closed);
                                                         }
                                                     });
        list_.push_back(window);
        return window;
    }

    std::shared_ptr<MemoryWindow> FindCodeWindow(const brindle::CodePane& pane) const {
        for (const auto& window : list_) {
            if (window->Type() == vbext_wt_CodeWindow && window->Pane() == &pane) {
                return window;
            }
        }
        return nullptr;
    }

private:
    void Remove(const MemoryWindow& window) {
        std::erase_if(list_, [&](const auto& held) { return held.get() == &window; });
    }

    std::vector<std::shared_ptr<MemoryWindow>> list_;
};

// ---- Command bars, controls and their events ----

namespace {

class MemoryCommandBarEvents final : public brindle::CommandBarEvents {
public:
    void OnClick(ClickHandler handler) override { handlers_.push_back(std::move(handler)); }

    void Fire(CommandBarControl& control) {
        // A handler may subscribe more while the click is delivered; those wait for the next.
        const std::vector<ClickHandler> handlers = handlers_;
        for (const ClickHandler& handler : handlers) {
            bool handled = false;
            bool cancelDefault = false;
            handler(control, handled, cancelDefault);
        }
    }

private:
    std::vector<ClickHandler> handlers_;
};

class MemoryControl final : public CommandBarControl {
public:
    explicit MemoryControl(bool temporary) : temporary_(temporary) {}

    std::string Caption() const override { return caption_; }
    void SetCaption(std::string_view caption) override { caption_ = caption; }
    bool BeginGroup() const override { return beginGroup_; }
    void SetBeginGroup(bool beginGroup) override { beginGroup_ = beginGroup; }
    bool Visible() const override { return visible_; }
    void SetVisible(bool visible) override { visible_ = visible; }

    bool Temporary() const { return temporary_; }

    void Listen(const std::shared_ptr<MemoryCommandBarEvents>& source) {
        std::erase_if(sources_, [](const auto& weak) { return weak.expired(); });
        sources_.push_back(source);
    }

    // Delivered to every event source that still lives.
    void Click() {
        std::vector<std::shared_ptr<MemoryCommandBarEvents>> live;
        for (const auto& weak : sources_) {
            if (auto source = weak.lock()) {
                live.push_back(std::move(source));
            }
        }
        for (const auto& source : live) {
            source->Fire(*this);
        }
    }

private:
    bool temporary_;
    std::string caption_;
    bool beginGroup_ = false;
    bool visible_ = true;
    std::vector<std::weak_ptr<MemoryCommandBarEvents>> sources_;
};

class MemoryControls final : public CommandBarControls {
public:
    std::int32_t Count() const override { return static_cast<std::int32_t>(list_.size()); }
    std::shared_ptr<CommandBarControl> Item(std::int32_t index) override {
        if (index < 1 || index > Count()) {
            Raise(Err::SubscriptOutOfRange, std::string(kSource));
        }
        return list_[static_cast<std::size_t>(index - 1)];
    }
    std::shared_ptr<CommandBarControl> Add(MsoControlType type, std::optional<std::int32_t>,
                                           std::optional<std::string>,
                                           std::optional<std::int32_t> before,
                                           bool temporary) override {
        if (type != msoControlButton || (before && (*before < 1 || *before > Count() + 1))) {
            Raise(Err::InvalidCall, std::string(kSource));
        }
        auto control = std::make_shared<MemoryControl>(temporary);
        const auto at = before ? list_.begin() + (*before - 1) : list_.end();
        list_.insert(at, control);
        return control;
    }

    std::shared_ptr<MemoryControl> FindVisible(std::string_view caption) const {
        for (auto it = list_.rbegin(); it != list_.rend(); ++it) {
            if ((*it)->Visible() && (*it)->Caption() == caption) {
                return *it;
            }
        }
        return nullptr;
    }

    void DropTemporary() {
        std::erase_if(list_, [](const auto& control) { return control->Temporary(); });
    }

    bool Remove(const CommandBarControl& control) {
        return std::erase_if(list_, [&](const auto& held) { return held.get() == &control; }) != 0;
    }

private:
    std::vector<std::shared_ptr<MemoryControl>> list_;
};

class MemoryCommandBar final : public CommandBar {
public:
    MemoryCommandBar(std::string name, const std::vector<std::string>& entries)
        : name_(std::move(name)) {
        for (std::string_view caption : entries) {
            controls_.Add(msoControlButton, std::nullopt, std::nullopt, std::nullopt, false)
                ->SetCaption(caption);
        }
    }
    std::string Name() const override { return name_; }
    CommandBarControls& Controls() override { return controls_; }
    MemoryControls& Entries() { return controls_; }

private:
    std::string name_;
    MemoryControls controls_;
};

}  // namespace

class MemoryCommandBars final : public brindle::CommandBars {
public:
    MemoryCommandBars(const std::vector<BarSetup>& bars, bool toolsBar) {
        for (const BarSetup& bar : bars) {
            if (toolsBar || !EqualsNoCase(bar.name, "Tools")) {
                bars_.push_back(std::make_unique<MemoryCommandBar>(bar.name, bar.entries));
            }
        }
    }

    CommandBar* Item(std::string_view name) override {
        for (const auto& bar : bars_) {
            if (EqualsNoCase(bar->Name(), name)) {
                return bar.get();
            }
        }
        return nullptr;
    }

    std::shared_ptr<MemoryControl> FindVisible(std::string_view bar,
                                               std::string_view caption) const {
        for (const auto& held : bars_) {
            if (bar.empty() || EqualsNoCase(held->Name(), bar)) {
                if (auto control = held->Entries().FindVisible(caption)) {
                    return control;
                }
            }
        }
        return nullptr;
    }

    void DropTemporary() {
        for (const auto& bar : bars_) {
            bar->Entries().DropTemporary();
        }
    }

    bool Remove(const CommandBarControl& control) {
        return std::any_of(bars_.begin(), bars_.end(),
                           [&](const auto& bar) { return bar->Entries().Remove(control); });
    }

private:
    std::vector<std::unique_ptr<MemoryCommandBar>> bars_;
};

class MemoryEvents final : public brindle::Events {
public:
    std::shared_ptr<brindle::CommandBarEvents> CommandBarEvents(
        CommandBarControl& control) override {
        auto* ours = dynamic_cast<MemoryControl*>(&control);
        if (ours == nullptr) {
            Raise(Err::TypeMismatch, std::string(kSource));
        }
        auto source = std::make_shared<MemoryCommandBarEvents>();
        ours->Listen(source);
        return source;
    }
};

// ---- The add-in list ----

namespace {

class MemoryAddIn final : public AddIn {
public:
    explicit MemoryAddIn(std::string description) : description_(std::move(description)) {}

    std::string Description() const override { return description_; }
    bool Connect() const override { return wanted_; }
    void SetConnect(bool connect) override { wanted_ = connect; }

    IDTExtensibility* object = nullptr;      // connected now
    IDTExtensibility* lastObject = nullptr;  // connected last, to connect again

private:
    std::string description_;
    bool wanted_ = false;
};

}  // namespace

class MemoryAddins final : public brindle::Addins {
public:
    MemoryAddins(VBE& vbe, const std::vector<std::string>& descriptions) : vbe_(vbe) {
        for (const std::string& description : descriptions) {
            entries_.push_back(std::make_unique<MemoryAddIn>(description));
        }
    }

    AddIn& Item(std::string_view name) override {
        if (MemoryAddIn* entry = Find(name)) {
            return *entry;
        }
        Raise(Err::SubscriptOutOfRange, std::string(kSource));
    }

    // Acts on every entry whose Connect differs from what is connected.
    void Update() override {
        bool changed = false;
        for (const auto& entry : entries_) {
            if (!entry->Connect() && entry->object != nullptr) {
                IDTExtensibility* addin = std::exchange(entry->object, nullptr);
                Forget(*addin);
                CustomArgs custom;
                addin->OnDisconnection(ext_dm_UserClosed, custom);
                changed = true;
            } else if (entry->Connect() && entry->object == nullptr &&
                       entry->lastObject != nullptr) {
                Connect(*entry->lastObject, ext_cm_AfterStartup, entry->Description());
                changed = true;
            }
        }
        if (changed) {
            const auto connected = connected_;
            for (IDTExtensibility* addin : connected) {
                CustomArgs custom;
                addin->OnAddInsUpdate(custom);
            }
        }
    }

    void Connect(IDTExtensibility& addin, ext_ConnectMode mode, std::string_view description) {
        MemoryAddIn* entry = Find(description);
        if (entry != nullptr) {
            entry->object = &addin;
            entry->lastObject = &addin;
            entry->SetConnect(true);
        }
        connected_.push_back(&addin);
        CustomArgs custom;
        addin.OnConnection(vbe_, mode, entry, custom);
        if (mode == ext_cm_Startup && IsConnected(addin)) {
            if (startingUp_) {
                waitingForStartup_.push_back(&addin);
            } else {
                addin.OnStartupComplete(custom);
            }
        }
    }

    void SetStartingUp(bool startingUp) { startingUp_ = startingUp; }

    void CompleteStartup() {
        startingUp_ = false;
        const auto waiting = std::exchange(waitingForStartup_, {});
        for (IDTExtensibility* addin : waiting) {
            if (IsConnected(*addin)) {
                CustomArgs custom;
                addin->OnStartupComplete(custom);
            }
        }
    }

    bool IsConnected(const IDTExtensibility& addin) const {
        return std::find(connected_.begin(), connected_.end(), &addin) != connected_.end();
    }

    void DisconnectAll() {
        while (!connected_.empty()) {
            IDTExtensibility* addin = connected_.front();
            Forget(*addin);
            for (const auto& entry : entries_) {
                if (entry->object == addin) {
                    entry->object = nullptr;
                }
            }
            CustomArgs custom;
            addin->OnDisconnection(ext_dm_HostShutdown, custom);
        }
    }

private:
    MemoryAddIn* Find(std::string_view description) const {
        for (const auto& entry : entries_) {
            if (EqualsNoCase(entry->Description(), description)) {
                return entry.get();
            }
        }
        return nullptr;
    }

    void Forget(const IDTExtensibility& addin) { std::erase(connected_, &addin); }

    VBE& vbe_;
    std::vector<std::unique_ptr<MemoryAddIn>> entries_;
    std::vector<IDTExtensibility*> connected_;
    bool startingUp_ = false;
    std::vector<IDTExtensibility*> waitingForStartup_;
};

// ---- The environment ----

std::vector<BarSetup> IdeBars() {
    return {{std::string(kCodeWindowBar),
             {"Cut", "Copy", "Paste", "List Properties/Methods", "Quick Info", "Toggle",
              "Definition", "Last Position", "Object Browser", "Add Watch...", "Hide"}},
            {std::string(kToolsBar),
             {"Add Procedure...", "Procedure Attributes...", "Menu Editor...", "Options..."}},
            {std::string(kProjectWindowBar),
             {"View Code", "View Object", "Properties...", "Add", "Save Project", "Print...",
              "Dockable", "Hide"}}};
}

MemoryVBE::MemoryVBE(IdeSetup setup)
    : windows_(std::make_unique<MemoryWindows>()),
      commandBars_(std::make_unique<MemoryCommandBars>(setup.bars, setup.toolsBar)),
      events_(std::make_unique<MemoryEvents>()),
      addins_(std::make_unique<MemoryAddins>(*this, setup.addins)) {
    for (auto& [type, caption] : setup.toolWindows) {
        OpenWindow(type, std::move(caption));
    }
    addins_->SetStartingUp(setup.startingUp);
}

MemoryVBE::~MemoryVBE() = default;

brindle::CodePane* MemoryVBE::ActiveCodePane() {
    return activePane_;
}
VBProject* MemoryVBE::ActiveVBProject() {
    return activeProject_;
}
brindle::Windows& MemoryVBE::Windows() {
    return *windows_;
}
brindle::CommandBars& MemoryVBE::CommandBars() {
    return *commandBars_;
}
brindle::Events& MemoryVBE::Events() {
    return *events_;
}
brindle::Addins& MemoryVBE::Addins() {
    return *addins_;
}

VBProject& MemoryVBE::AddProject(std::shared_ptr<VBProject> project) {
    if (!project) {
        Raise(Err::ObjectNotSet, std::string(kSource));
    }
    projects_.push_back(std::move(project));
    if (activeProject_ == nullptr) {
        activeProject_ = projects_.back().get();
    }
    return *projects_.back();
}

void MemoryVBE::RemoveProject(const VBProject& project) {
    std::erase_if(projects_, [&](const auto& held) { return held.get() == &project; });
    if (activeProject_ == &project) {
        activeProject_ = projects_.empty() ? nullptr : projects_.front().get();
    }
}

void MemoryVBE::SetActiveVBProject(VBProject* project) {
    const bool known = std::any_of(projects_.begin(), projects_.end(),
                                   [&](const auto& held) { return held.get() == project; });
    if (project != nullptr && !known) {
        Raise(Err::InvalidCall, std::string(kSource));
    }
    activeProject_ = project;
}

void MemoryVBE::SetActiveCodePane(brindle::CodePane* pane) {
    activePane_ = pane;
}

std::shared_ptr<Window> MemoryVBE::OpenCodeWindow(brindle::CodePane& pane,
                                                  std::function<void()> onClose) {
    std::shared_ptr<Window> window = windows_->FindCodeWindow(pane);
    if (!window) {
        window = windows_->Open(vbext_wt_CodeWindow, pane.CodeModule().Parent().Name() + " (Code)",
                                &pane, [this, onClose](MemoryWindow& closed) {
                                    if (closed.Pane() == activePane_) {
                                        activePane_ = nullptr;
                                    }
                                    if (onClose) {
                                        onClose();
                                    }
                                });
    }
    activePane_ = &pane;
    return window;
}

std::shared_ptr<Window> MemoryVBE::OpenDesigner(std::string caption,
                                                std::function<void()> onClose) {
    return windows_->Open(vbext_wt_Designer, std::move(caption), nullptr, [onClose](MemoryWindow&) {
        if (onClose) {
            onClose();
        }
    });
}

std::shared_ptr<Window> MemoryVBE::OpenWindow(vbext_WindowType type, std::string caption) {
    return windows_->Open(type, std::move(caption), nullptr, nullptr);
}

void MemoryVBE::Connect(IDTExtensibility& addin, ext_ConnectMode mode,
                        std::string_view description) {
    if (shutDown_ || addins_->IsConnected(addin)) {
        Raise(Err::InvalidCall, std::string(kSource));
    }
    addins_->Connect(addin, mode, description);
}

bool MemoryVBE::IsConnected(const IDTExtensibility& addin) const {
    return addins_->IsConnected(addin);
}

void MemoryVBE::CompleteStartup() {
    addins_->CompleteStartup();
}

bool MemoryVBE::Click(std::string_view caption) {
    return Click("", caption);
}

bool MemoryVBE::Click(std::string_view commandBar, std::string_view caption) {
    std::shared_ptr<MemoryControl> control = commandBars_->FindVisible(commandBar, caption);
    if (!control) {
        return false;
    }
    control->Click();
    return true;
}

void MemoryVBE::DeleteControl(const CommandBarControl& control) {
    if (!commandBars_->Remove(control)) {
        Raise(Err::InvalidCall, std::string(kSource));
    }
}

void MemoryVBE::Shutdown() {
    if (std::exchange(shutDown_, true)) {
        return;
    }
    addins_->DisconnectAll();
    commandBars_->DropTemporary();
}

}  // namespace brindle::host
