// The command bars and their controls, the controls' event sources with their connection
// point, and the add-in list.

#include <ocidl.h>
#include <olectl.h>

#include <array>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "host/com/double/Objects.h"
#include "host/vb6/CodePage.h"
#include "model/IdeBars.h"
#include "model/VbError.h"

namespace brindle::test::automation {

namespace {

constexpr std::string_view kSource = "Office";

// _dispCommandBarControlEvents, the source interface of VBE.Events.CommandBarEvents, in each
// IDE's library, and Office's _CommandBarButtonEvents of a button itself.
constexpr GUID kIidVb6ControlEvents = {
    0x0002E198, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIidVbaControlEvents = {
    0x0002E131, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIidCommandBarButtonEvents = {
    0x000C0351, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr DISPID kDispidClick = 1;

// The VBA editor's one context menu of its project window, which our IDE names as VB6 does.
constexpr std::string_view kVbaProjectWindowBar = "Project Window";

// The editor's name of one of our IDE's bars, and back.
std::string BarNameOf(IdeKind kind, std::string_view ours) {
    return std::string(kind == IdeKind::Vba && ours == kProjectWindowBar ? kVbaProjectWindowBar
                                                                         : ours);
}
std::string OurBarName(IdeKind kind, std::string_view editors) {
    if (kind == IdeKind::Vba && editors == kProjectWindowBar) {
        return {};
    }
    return std::string(kind == IdeKind::Vba && editors == kVbaProjectWindowBar ? kProjectWindowBar
                                                                               : editors);
}

IDispatch* NewControl(const std::shared_ptr<State>& state,
                      const std::shared_ptr<CommandBarControl>& control);

// ---- Click sources: the IDE's CommandBarEvents, and the VBA editor's buttons' own ----

// A connection point of one source interface and its sinks, each asked for that interface as
// it advises. Every Click delivered is counted under "Click". `Others` are the further
// interfaces of the object it is.
template <class... Others>
class SinkPoint : public host::com::ComObject<IConnectionPoint, Others...> {
public:
    SinkPoint(std::shared_ptr<State> state, IID source)
        : state_(std::move(state)), source_(source) {}
    ~SinkPoint() override {
        for (const auto& sink : sinks_) {
            sink.second->Release();
        }
    }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
        if (iid == nullptr) {
            return E_POINTER;
        }
        *iid = source_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
        if (sink == nullptr || cookie == nullptr) {
            return E_POINTER;
        }
        state_->Count("Advise");
        void* events = nullptr;
        if (sink->QueryInterface(source_, &events) != S_OK || events == nullptr) {
            *cookie = 0;
            return CONNECT_E_CANNOTCONNECT;
        }
        *cookie = ++lastCookie_;
        sinks_.emplace_back(*cookie, static_cast<IDispatch*>(events));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
        state_->Count("Unadvise");
        for (auto it = sinks_.begin(); it != sinks_.end(); ++it) {
            if (it->first == cookie) {
                IDispatch* sink = it->second;
                sinks_.erase(it);
                sink->Release();
                return S_OK;
            }
        }
        return CONNECT_E_NOCONNECTION;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override {
        if (connections != nullptr) {
            *connections = nullptr;
        }
        return E_NOTIMPL;
    }

protected:
    // Click (DISPID 1) to every sink with `args` (reversed, as DISPPARAMS holds them). The
    // IDE does not look at what a sink answers.
    void Fire(std::span<VARIANT> args) {
        std::vector<IDispatch*> sinks;
        for (const auto& sink : sinks_) {
            sink.second->AddRef();
            sinks.push_back(sink.second);
        }
        for (IDispatch* sink : sinks) {
            state_->Count("Click");
            DISPPARAMS params{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
            sink->Invoke(kDispidClick, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                         nullptr, nullptr, nullptr);
            sink->Release();
        }
    }

    State& Ide() const { return *state_; }
    const std::shared_ptr<State>& SharedState() const { return state_; }

private:
    std::shared_ptr<State> state_;
    IID source_;
    std::vector<std::pair<DWORD, IDispatch*>> sinks_;
    DWORD lastCookie_ = 0;
};

VARIANT BoolRef(VARIANT_BOOL* flag) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BYREF | VT_BOOL;
    v.pboolVal = flag;
    return v;
}

// What VBE.Events.CommandBarEvents hands back: an object of an IUnknown-only interface that
// answers IConnectionPointContainer, with one connection point found by its IID alone.
class CommandBarEventsObject final : public SinkPoint<IConnectionPointContainer> {
public:
    CommandBarEventsObject(std::shared_ptr<State> state, std::shared_ptr<CommandBarControl> control,
                           std::shared_ptr<CommandBarEvents> source)
        : SinkPoint(state,
                    state->kind == IdeKind::Vb6 ? kIidVb6ControlEvents : kIidVbaControlEvents),
          control_(std::move(control)),
          source_(std::move(source)) {
        // A click under way holds the source of each control it was delivered to, so the
        // handler may outlive this object: it asks first.
        source_->OnClick([this, alive = std::weak_ptr<char>(alive_)](
                             CommandBarControl&, bool& handled, bool& cancelDefault) {
            if (!alive.expired()) {
                Click(handled, cancelDefault);
            }
        });
    }

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override {
        if (points != nullptr) {
            *points = nullptr;
        }
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
        if (point == nullptr) {
            return E_POINTER;
        }
        *point = nullptr;
        IID offered{};
        GetConnectionInterface(&offered);
        if (iid != offered) {
            return CONNECT_E_NOCONNECTION;
        }
        *point = this;
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE
    GetConnectionPointContainer(IConnectionPointContainer** container) override {
        if (container == nullptr) {
            return E_POINTER;
        }
        *container = this;
        AddRef();
        return S_OK;
    }

private:
    void* Answer(REFIID iid) override {
        if (iid == IID_IUnknown || iid == IID_IConnectionPointContainer) {
            return static_cast<IConnectionPointContainer*>(this);
        }
        return iid == IID_IConnectionPoint ? static_cast<IConnectionPoint*>(this) : nullptr;
    }

    // Click(CommandBarControl, handled, CancelDefault), the two flags by reference and passed
    // on from one sink to the next.
    void Click(bool& handled, bool& cancelDefault) {
        AddRef();  // a sink may let go of this source while it is told
        VARIANT_BOOL handledFlag = handled ? VARIANT_TRUE : VARIANT_FALSE;
        VARIANT_BOOL cancelFlag = cancelDefault ? VARIANT_TRUE : VARIANT_FALSE;
        std::array<VARIANT, 3> args{BoolRef(&cancelFlag), BoolRef(&handledFlag), VARIANT{}};
        args[2].vt = VT_DISPATCH;
        args[2].pdispVal = NewControl(SharedState(), control_);
        Fire(args);
        VariantClear(&args[2]);
        handled = handledFlag != VARIANT_FALSE;
        cancelDefault = cancelFlag != VARIANT_FALSE;
        Release();
    }

    std::shared_ptr<CommandBarControl> control_;
    std::shared_ptr<CommandBarEvents> source_;
    std::shared_ptr<char> alive_ = std::make_shared<char>();
};

}  // namespace

// A button's own Office click point, _CommandBarButtonEvents: Click(Ctrl, CancelDefault).
class ButtonPoint final : public SinkPoint<> {
public:
    ButtonPoint(std::shared_ptr<State> state, IConnectionPointContainer* button,
                std::shared_ptr<CommandBarControl> control)
        : SinkPoint(state, kIidCommandBarButtonEvents),
          button_(button),
          control_(std::move(control)) {
        button_->AddRef();
        Ide().buttonPoints.insert(this);
    }
    ~ButtonPoint() override {
        Ide().buttonPoints.erase(this);
        button_->Release();
    }

    HRESULT STDMETHODCALLTYPE
    GetConnectionPointContainer(IConnectionPointContainer** container) override {
        if (container == nullptr) {
            return E_POINTER;
        }
        *container = button_;
        button_->AddRef();
        return S_OK;
    }

    const CommandBarControl* Control() const { return control_.get(); }

    void Click(VARIANT_BOOL& cancelDefault) {
        std::array<VARIANT, 2> args{BoolRef(&cancelDefault), VARIANT{}};
        args[1].vt = VT_DISPATCH;
        args[1].pdispVal = NewControl(SharedState(), control_);
        Fire(args);
        VariantClear(&args[1]);
    }

private:
    void* Answer(REFIID iid) override {
        return iid == IID_IUnknown || iid == IID_IConnectionPoint
                   ? static_cast<IConnectionPoint*>(this)
                   : nullptr;
    }

    IConnectionPointContainer* button_;
    std::shared_ptr<CommandBarControl> control_;
};

namespace {

std::u16string TagOf(const State& state, const CommandBarControl* control) {
    const auto it = state.tags.find(control);
    return it == state.tags.end() ? std::u16string() : it->second;
}

// As Office does: a click on one button reaches the sinks of every button of the same Tag.
void ClickButtons(State& state, const CommandBarControl& clicked) {
    const std::u16string tag = TagOf(state, &clicked);
    std::vector<ButtonPoint*> points;
    for (ButtonPoint* point : state.buttonPoints) {
        if (TagOf(state, point->Control()) == tag) {
            point->AddRef();
            points.push_back(point);
        }
    }
    VARIANT_BOOL cancelDefault = VARIANT_FALSE;
    for (ButtonPoint* point : points) {
        point->Click(cancelDefault);
        point->Release();
    }
}

// The VBA editor's buttons click through their own points: each button it makes is watched.
void WatchButton(const std::shared_ptr<State>& state,
                 const std::shared_ptr<CommandBarControl>& control) {
    auto source = state->vbe.Events().CommandBarEvents(*control);
    source->OnClick([weak = std::weak_ptr<State>(state)](CommandBarControl& clicked, bool&, bool&) {
        if (const auto alive = weak.lock()) {
            ClickButtons(*alive, clicked);
        }
    });
    state->buttonSources[control.get()] = std::move(source);
}

// ---- Command bars and controls ----

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
// In the VBA editor a button is also the container of its own click point.
class ControlObject final : public Automation<ControlObject>, public IConnectionPointContainer {
public:
    ControlObject(std::shared_ptr<State> state, std::shared_ptr<CommandBarControl> control)
        : Automation(std::move(state)), control_(std::move(control)) {}

    const std::shared_ptr<CommandBarControl>& Control() const { return control_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        return DispatchBase::QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return DispatchBase::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return DispatchBase::Release(); }

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override {
        if (points != nullptr) {
            *points = nullptr;
        }
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
        if (point == nullptr) {
            return E_POINTER;
        }
        *point = nullptr;
        if (iid != kIidCommandBarButtonEvents) {
            return CONNECT_E_NOCONNECTION;
        }
        *point = new ButtonPoint(SharedState(), this, control_);
        return S_OK;
    }

private:
    void* Answer(REFIID iid) override {
        if (iid == IID_IConnectionPointContainer && Ide().kind == IdeKind::Vba) {
            return static_cast<IConnectionPointContainer*>(this);
        }
        return DispatchBase::Answer(iid);
    }

    void Delete() {
        Ide().vbe.DeleteControl(*control_);
        Ide().tags.erase(control_.get());
        Ide().buttonSources.erase(control_.get());
    }

    std::span<const Row> Rows() const override {
        static constexpr std::array<Row, 9> kRows = {{
            {{"Caption", 1, kGet},
             [](ControlObject& o, Call& c) { c.ReturnText(Wide(o.control_->Caption())); }},
            {{"Caption", 1, kPut, 1, 1},
             [](ControlObject& o, Call& c) { o.control_->SetCaption(Narrow(c.Text(0))); }},
            {{"BeginGroup", 2, kGet},
             [](ControlObject& o, Call& c) { c.ReturnBool(o.control_->BeginGroup()); }},
            {{"BeginGroup", 2, kPut, 1, 1},
             [](ControlObject& o, Call& c) { o.control_->SetBeginGroup(c.Bool(0)); }},
            {{"Visible", 3, kGet},
             [](ControlObject& o, Call& c) { c.ReturnBool(o.control_->Visible()); }},
            {{"Visible", 3, kPut, 1, 1},
             [](ControlObject& o, Call& c) { o.control_->SetVisible(c.Bool(0)); }},
            // Delete([Temporary])
            {{"Delete", 4, kMethod, 0, 1}, [](ControlObject& o, Call&) { o.Delete(); }},
            {{"Tag", 5, kGet},
             [](ControlObject& control, Call& c) {
                 c.ReturnText(TagOf(control.Ide(), control.control_.get()));
             }},
            {{"Tag", 5, kPut, 1, 1},
             [](ControlObject& control, Call& c) {
                 control.Ide().tags[control.control_.get()] = c.Text(0);
             }},
        }};
        return kRows;
    }

    std::shared_ptr<CommandBarControl> control_;
};

#pragma GCC diagnostic pop

IDispatch* NewControl(const std::shared_ptr<State>& state,
                      const std::shared_ptr<CommandBarControl>& control) {
    return Shared<ControlObject>(state, control.get(), control);
}

class ControlsObject final : public Automation<ControlsObject> {
public:
    ControlsObject(std::shared_ptr<State> state, CommandBarControls& controls)
        : Automation(std::move(state)), controls_(controls) {}

private:
    // By 1-based index, or by caption.
    std::shared_ptr<CommandBarControl> Item(const Call& call) {
        if (!call.IsText(0)) {
            return controls_.Item(call.Long(0));
        }
        const std::string caption = Narrow(call.Text(0));
        for (std::int32_t i = 1; i <= controls_.Count(); ++i) {
            auto control = controls_.Item(i);
            if (host::EqualsIgnoringCase(Narrow(Wide(control->Caption())), caption)) {
                return control;
            }
        }
        Raise(Err::InvalidCall, kSource);
    }

    // Add([Type], [Id], [Parameter], [Before], [Temporary])
    std::shared_ptr<CommandBarControl> Add(const Call& call) {
        const auto parameter = call.OptionalText(2);
        auto control = controls_.Add(static_cast<MsoControlType>(call.OptionalLong(0).value_or(1)),
                                     call.OptionalLong(1),
                                     parameter ? std::optional(Narrow(*parameter)) : std::nullopt,
                                     call.OptionalLong(3), call.Bool(4));
        if (Ide().kind == IdeKind::Vba) {
            WatchButton(SharedState(), control);
        }
        return control;
    }

    std::span<const Row> Rows() const override {
        static constexpr std::array<Row, 3> kRows = {{
            {{"Item", DISPID_VALUE, kGet, 1, 1},
             [](ControlsObject& controls, Call& c) {
                 c.ReturnObject(NewControl(controls.SharedState(), controls.Item(c)));
             }},
            {{"Count", 1, kGet}, [](ControlsObject& o, Call& c) { c.Return(o.controls_.Count()); }},
            {{"Add", 2, kMethod, 0, 5},
             [](ControlsObject& controls, Call& c) {
                 c.ReturnObject(NewControl(controls.SharedState(), controls.Add(c)));
             }},
        }};
        return kRows;
    }

    CommandBarControls& controls_;
};

class CommandBarObject final : public Automation<CommandBarObject> {
public:
    CommandBarObject(std::shared_ptr<State> state, CommandBar& bar)
        : Automation(std::move(state)), bar_(bar) {}

private:
    std::span<const Row> Rows() const override {
        static constexpr std::array<Row, 2> kRows = {{
            {{"Name", 1, kGet},
             [](CommandBarObject& bar, Call& c) {
                 c.ReturnText(Wide(BarNameOf(bar.Ide().kind, bar.bar_.Name())));
             }},
            {{"Controls", 2, kGet},
             [](CommandBarObject& bar, Call& c) {
                 c.ReturnObject(Shared<ControlsObject>(bar.SharedState(), &bar.bar_.Controls(),
                                                       bar.bar_.Controls()));
             }},
        }};
        return kRows;
    }

    CommandBar& bar_;
};

IDispatch* NewCommandBar(const std::shared_ptr<State>& state, CommandBar& bar) {
    return Shared<CommandBarObject>(state, &bar, bar);
}

class CommandBarsObject final : public Automation<CommandBarsObject> {
public:
    using Automation::Automation;

private:
    // By the editor's name; a name the editor has no bar of raises 5, as Office does.
    CommandBar& Item(const Call& call) {
        const std::string name = call.IsText(0) ? OurBarName(Ide().kind, Narrow(call.Text(0))) : "";
        CommandBar* bar = name.empty() ? nullptr : Ide().vbe.CommandBars().Item(name);
        if (bar == nullptr) {
            Raise(Err::InvalidCall, kSource);
        }
        return *bar;
    }

    std::span<const Row> Rows() const override {
        static constexpr std::array<Row, 1> kRows = {{
            {{"Item", DISPID_VALUE, kGet, 1, 1},
             [](CommandBarsObject& bars, Call& c) {
                 c.ReturnObject(NewCommandBar(bars.SharedState(), bars.Item(c)));
             }},
        }};
        return kRows;
    }
};

class EventsObject final : public Automation<EventsObject> {
public:
    using Automation::Automation;

private:
    // CommandBarEvents(CommandBarControl): the control must be one of ours.
    IUnknown* CommandBarEventsOf(const Call& call) {
        auto* control = Ours<ControlObject>(call.Object(0));
        if (control == nullptr) {
            Raise(Err::TypeMismatch, kSource);
        }
        auto source = Ide().vbe.Events().CommandBarEvents(*control->Control());
        return static_cast<IConnectionPointContainer*>(
            new CommandBarEventsObject(SharedState(), control->Control(), std::move(source)));
    }

    std::span<const Row> Rows() const override {
        static constexpr std::array<Row, 1> kRows = {{
            {{"CommandBarEvents", 1, kGet, 1, 1},
             [](EventsObject& o, Call& c) { c.ReturnUnknown(o.CommandBarEventsOf(c)); }},
        }};
        return kRows;
    }
};

// ---- The add-in list ----

class AddInObject final : public Automation<AddInObject> {
public:
    AddInObject(std::shared_ptr<State> state, std::size_t index)
        : Automation(std::move(state)), index_(index) {}

private:
    const AddinEntry& Entry() const { return Ide().addins[index_]; }
    brindle::AddIn& InList() const { return Ide().vbe.Addins().Item(Entry().description); }

    std::span<const Row> Rows() const override {
        static constexpr std::array<Row, 4> kRows = {{
            {{"Description", 1, kGet},
             [](AddInObject& o, Call& c) { c.ReturnText(Wide(o.InList().Description())); }},
            {{"ProgId", 2, kGet},
             [](AddInObject& o, Call& c) { c.ReturnText(Wide(o.Entry().progId)); }},
            {{"Connect", 3, kGet},
             [](AddInObject& o, Call& c) { c.ReturnBool(o.InList().Connect()); }},
            {{"Connect", 3, kPut, 1, 1},
             [](AddInObject& o, Call& c) { o.InList().SetConnect(c.Bool(0)); }},
        }};
        return kRows;
    }

    std::size_t index_;
};

class AddinsObject final : public Automation<AddinsObject> {
public:
    using Automation::Automation;

private:
    // By 1-based index, or by ProgID without regard to case.
    std::size_t Index(const Call& call) const {
        const auto& entries = Ide().addins;
        if (!call.IsText(0)) {
            const std::int32_t index = call.Long(0);
            if (index < 1 || static_cast<std::size_t>(index) > entries.size()) {
                Raise(Err::SubscriptOutOfRange, "VBIDE");
            }
            return static_cast<std::size_t>(index - 1);
        }
        const std::string progId = Narrow(call.Text(0));
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (host::EqualsIgnoringCase(entries[i].progId, progId)) {
                return i;
            }
        }
        Raise(Err::SubscriptOutOfRange, "VBIDE");
    }

    // Our IDE acts on the add-ins it connected itself; the caller on those it connected.
    void Update() {
        State& ide = Ide();
        ide.vbe.Addins().Update();
        if (!ide.onUpdate) {
            return;
        }
        for (const AddinEntry& entry : ide.addins) {
            ide.onUpdate(entry, ide.vbe.Addins().Item(entry.description).Connect());
        }
    }

    std::span<const Row> Rows() const override {
        static constexpr std::array<Row, 3> kRows = {{
            {{"Item", DISPID_VALUE, kMethod, 1, 1},
             [](AddinsObject& addins, Call& c) {
                 c.ReturnObject(NewAddIn(addins.SharedState(), addins.Index(c)));
             }},
            {{"Count", 1, kGet},
             [](AddinsObject& o, Call& c) {
                 c.Return(static_cast<std::int32_t>(o.Ide().addins.size()));
             }},
            {{"Update", 2, kMethod}, [](AddinsObject& o, Call&) { o.Update(); }},
        }};
        return kRows;
    }
};

}  // namespace

IDispatch* NewCommandBars(const std::shared_ptr<State>& state) {
    return Shared<CommandBarsObject>(state, &state->vbe.CommandBars());
}
IDispatch* NewEvents(const std::shared_ptr<State>& state) {
    return Shared<EventsObject>(state, &state->vbe.Events());
}
IDispatch* NewAddins(const std::shared_ptr<State>& state) {
    return Shared<AddinsObject>(state, &state->vbe.Addins());
}
IDispatch* NewAddIn(const std::shared_ptr<State>& state, std::size_t index) {
    return Shared<AddInObject>(state, &state->addins[index], index);
}

}  // namespace brindle::test::automation
