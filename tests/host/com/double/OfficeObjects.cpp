// The command bars and their controls, the controls' click points, and the add-in list.

#include <ocidl.h>
#include <olectl.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "host/com/double/Dispatch.h"
#include "model/IdeBars.h"

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

IDispatch* NewControl(const StatePtr& s, const std::shared_ptr<CommandBarControl>& control);

VARIANT BoolRef(VARIANT_BOOL* flag) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BYREF | VT_BOOL;
    v.pboolVal = flag;
    return v;
}

}  // namespace

// A click point of one source interface and its sinks, each asked for that interface as it
// advises; every Click delivered is counted under "Click". The object that VBE.Events.
// CommandBarEvents hands back (IUnknown-only, the container of its one point, found by its IID
// alone), or in the VBA editor a button's own Office point, whose container is the button.
class ClickPoint final : public host::com::ComObject<IConnectionPoint, IConnectionPointContainer> {
public:
    ClickPoint(StatePtr state, IID source, std::shared_ptr<CommandBarControl> control,
               IConnectionPointContainer* button)
        : state_(std::move(state)), source_(source), control_(std::move(control)), button_(button) {
        if (button_ != nullptr) {
            button_->AddRef();
            state_->buttonPoints.insert(this);
        }
    }
    // The point of the IDE's events: it holds our IDE's source of the control's clicks. A click
    // under way holds the source of each control it was delivered to, so the handler may
    // outlive this point: it asks first.
    ClickPoint(StatePtr state, std::shared_ptr<CommandBarControl> control)
        : ClickPoint(state,
                     state->kind == IdeKind::Vb6 ? kIidVb6ControlEvents : kIidVbaControlEvents,
                     control, nullptr) {
        events_ = state_->vbe.Events().CommandBarEvents(*control_);
        events_->OnClick([this, alive = std::weak_ptr<char>(alive_)](
                             CommandBarControl&, bool& handled, bool& cancelDefault) {
            if (!alive.expired()) {
                VARIANT_BOOL cancel = cancelDefault ? VARIANT_TRUE : VARIANT_FALSE;
                Click(&handled, cancel);
                cancelDefault = cancel != VARIANT_FALSE;
            }
        });
    }
    ~ClickPoint() override {
        for (const auto& sink : sinks_) {
            sink.second->Release();
        }
        if (button_ != nullptr) {
            state_->buttonPoints.erase(this);
            button_->Release();
        }
    }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
        *iid = source_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
        state_->Count("Advise");
        void* events = nullptr;
        *cookie = 0;
        if (sink->QueryInterface(source_, &events) != S_OK || events == nullptr) {
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
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
        *point = iid == source_ ? this : nullptr;
        if (*point == nullptr) {
            return CONNECT_E_NOCONNECTION;
        }
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE
    GetConnectionPointContainer(IConnectionPointContainer** container) override {
        *container = button_ != nullptr ? button_ : this;
        (*container)->AddRef();
        return S_OK;
    }

    const CommandBarControl* Control() const { return control_.get(); }

    // Click (DISPID 1) to every sink: (CommandBarControl, handled, CancelDefault) of the IDE's
    // events, (Ctrl, CancelDefault) of a button's own, the flags by reference and passed on
    // from one sink to the next. The IDE does not look at what a sink answers.
    void Click(bool* handled, VARIANT_BOOL& cancelDefault) {
        AddRef();  // a sink may let go of this point while it is told
        VARIANT_BOOL handledFlag = handled != nullptr && *handled ? VARIANT_TRUE : VARIANT_FALSE;
        std::vector<VARIANT> args{BoolRef(&cancelDefault)};
        if (handled != nullptr) {
            args.push_back(BoolRef(&handledFlag));
        }
        args.emplace_back();
        args.back().vt = VT_DISPATCH;
        args.back().pdispVal = NewControl(state_, control_);
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
        VariantClear(&args.back());
        if (handled != nullptr) {
            *handled = handledFlag != VARIANT_FALSE;
        }
        Release();
    }

private:
    void* Answer(REFIID iid) override {
        if (button_ == nullptr && (iid == IID_IUnknown || iid == IID_IConnectionPointContainer)) {
            return static_cast<IConnectionPointContainer*>(this);
        }
        return iid == IID_IConnectionPoint || iid == IID_IUnknown
                   ? static_cast<IConnectionPoint*>(this)
                   : nullptr;
    }

    StatePtr state_;
    IID source_;
    std::shared_ptr<CommandBarControl> control_;
    IConnectionPointContainer* button_;
    std::vector<std::pair<DWORD, IDispatch*>> sinks_;
    DWORD lastCookie_ = 0;
    std::shared_ptr<CommandBarEvents> events_;
    std::shared_ptr<char> alive_ = std::make_shared<char>();
};

namespace {

std::u16string TagOf(const State& state, const CommandBarControl* control) {
    const auto it = state.tags.find(control);
    return it == state.tags.end() ? std::u16string() : it->second;
}

// The VBA editor's buttons click through their own points: each button it makes is watched,
// and as Office does, a click on one reaches the sinks of every button of the same Tag.
void WatchButton(const StatePtr& s, const std::shared_ptr<CommandBarControl>& control) {
    auto source = s->vbe.Events().CommandBarEvents(*control);
    source->OnClick([weak = std::weak_ptr<State>(s)](CommandBarControl& clicked, bool&, bool&) {
        const auto state = weak.lock();
        if (!state) {
            return;
        }
        const std::u16string tag = TagOf(*state, &clicked);
        std::vector<ClickPoint*> points;
        for (ClickPoint* point : state->buttonPoints) {
            if (TagOf(*state, point->Control()) == tag) {
                point->AddRef();
                points.push_back(point);
            }
        }
        VARIANT_BOOL cancelDefault = VARIANT_FALSE;
        for (ClickPoint* point : points) {
            point->Click(nullptr, cancelDefault);
            point->Release();
        }
    });
    s->buttonSources[control.get()] = std::move(source);
}

// ---- Command bars and controls ----

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
// In the VBA editor a button is also the container of its own click point.
class ControlObject final : public Object, public IConnectionPointContainer {
public:
    ControlObject(const StatePtr& s, Rows rows, std::shared_ptr<CommandBarControl> control)
        : Object(s, std::move(rows)), control_(std::move(control)) {}

    const std::shared_ptr<CommandBarControl>& Control() const { return control_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        return Object::QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return Object::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return Object::Release(); }

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
        const bool ours = iid == kIidCommandBarButtonEvents;
        *point = ours ? new ClickPoint(SharedState(), iid, control_, this) : nullptr;
        return ours ? S_OK : CONNECT_E_NOCONNECTION;
    }

private:
    void* Answer(REFIID iid) override {
        if (iid == IID_IConnectionPointContainer && Ide().kind == IdeKind::Vba) {
            return static_cast<IConnectionPointContainer*>(this);
        }
        return Object::Answer(iid);
    }

    std::shared_ptr<CommandBarControl> control_;
};
#pragma GCC diagnostic pop

IDispatch* NewControl(const StatePtr& s, const std::shared_ptr<CommandBarControl>& control) {
    CommandBarControl* ctl = control.get();
    const auto rows = [&]() -> Rows {
        return {
            Get("Caption", 1, [=] { return Wide(ctl->Caption()); }),
            Put("Caption", 1, [=](Call& c) { ctl->SetCaption(Narrow(c.Text(0))); }),
            Get("BeginGroup", 2, [=] { return ctl->BeginGroup(); }),
            Put("BeginGroup", 2, [=](Call& c) { ctl->SetBeginGroup(c.Bool(0)); }),
            Get("Visible", 3, [=] { return ctl->Visible(); }),
            Put("Visible", 3, [=](Call& c) { ctl->SetVisible(c.Bool(0)); }),
            // Delete([Temporary])
            Method("Delete", 4, {0, 1},
                   [=] {
                       s->vbe.DeleteControl(*ctl);
                       s->tags.erase(ctl);
                       s->buttonSources.erase(ctl);
                   }),
            Put("Tag", 5, [=](Call& c) { s->tags[ctl] = c.Text(0); }),
        };
    };
    return Shared<ControlObject>(s, "CommandBarControl", ctl, rows, control);
}

IDispatch* NewControls(const StatePtr& s, CommandBarControls* list) {
    return Shared(s, "CommandBarControls", list, [&]() -> Rows {
        return {
            Get("Item", DISPID_VALUE, 1,
                [=](Call& c) { return NewControl(s, list->Item(c.Long(0))); }),
            Get("Count", 1, [=] { return list->Count(); }),
            // Add([Type], [Id], [Parameter], [Before], [Temporary])
            Method("Add", 2, {0, 5},
                   [=](Call& c) {
                       auto control =
                           list->Add(static_cast<MsoControlType>(c.OptionalLong(0).value_or(1)),
                                     c.OptionalLong(1),
                                     c.Has(2) ? std::optional(Narrow(c.Text(2))) : std::nullopt,
                                     c.OptionalLong(3), c.Bool(4));
                       if (s->kind == IdeKind::Vba) {
                           WatchButton(s, control);
                       }
                       return NewControl(s, control);
                   }),
        };
    });
}

// The editor's name of one of our IDE's bars, and back.
std::string_view BarNameOf(IdeKind kind, std::string_view ours) {
    return kind == IdeKind::Vba && ours == kProjectWindowBar ? kVbaProjectWindowBar : ours;
}
std::string OurBarName(IdeKind kind, std::string_view editors) {
    if (kind == IdeKind::Vba && editors == kProjectWindowBar) {
        return {};
    }
    const bool vba = kind == IdeKind::Vba;
    return std::string(vba && editors == kVbaProjectWindowBar ? kProjectWindowBar : editors);
}

IDispatch* NewCommandBar(const StatePtr& s, CommandBar* bar) {
    return Shared(s, "CommandBar", bar, [&]() -> Rows {
        return {
            Get("Name", 1, [=] { return Wide(BarNameOf(s->kind, bar->Name())); }),
            Get("Controls", 2, [=] { return NewControls(s, &bar->Controls()); }),
        };
    });
}

}  // namespace

IDispatch* NewCommandBars(const StatePtr& s) {
    return Shared(s, "CommandBars", &s->vbe.CommandBars(), [&]() -> Rows {
        return {
            // By the editor's name; a name the editor has no bar of raises 5, as Office does.
            Get("Item", DISPID_VALUE, 1,
                [=](Call& c) {
                    const std::string name =
                        c.IsText(0) ? OurBarName(s->kind, Narrow(c.Text(0))) : std::string();
                    CommandBar* bar = name.empty() ? nullptr : s->vbe.CommandBars().Item(name);
                    if (bar == nullptr) {
                        Raise(Err::InvalidCall, kSource);
                    }
                    return NewCommandBar(s, bar);
                }),
        };
    });
}

IDispatch* NewEvents(const StatePtr& s) {
    return Shared(s, "Events", &s->vbe.Events(), [&]() -> Rows {
        return {
            // CommandBarEvents(CommandBarControl): the control must be one of ours.
            Get("CommandBarEvents", 1, 1,
                [=](Call& c) -> IUnknown* {
                    auto* control = Ours<ControlObject>(c.Unknown(0));
                    if (control == nullptr) {
                        Raise(Err::TypeMismatch, kSource);
                    }
                    auto* point = new ClickPoint(s, control->Control());
                    return static_cast<IConnectionPointContainer*>(point);
                }),
        };
    });
}

IDispatch* NewAddins(const StatePtr& s) {
    return Shared(s, "Addins", &s->vbe.Addins(), [&]() -> Rows {
        return {
            // By 1-based index.
            Method("Item", DISPID_VALUE, 1,
                   [=](Call& c) {
                       const std::int32_t i = c.Long(0);
                       if (i < 1 || i > static_cast<std::int32_t>(s->addins.size())) {
                           Raise(Err::SubscriptOutOfRange, "VBIDE");
                       }
                       return NewAddIn(s, static_cast<std::size_t>(i - 1));
                   }),
            Get("Count", 1, [=] { return static_cast<std::int32_t>(s->addins.size()); }),
            // Our IDE acts on the add-ins it connected itself; the caller on those it
            // connected.
            Method("Update", 2,
                   [=] {
                       s->vbe.Addins().Update();
                       for (const AddinEntry& entry : s->addins) {
                           if (s->onUpdate) {
                               s->onUpdate(entry,
                                           s->vbe.Addins().Item(entry.description).Connect());
                           }
                       }
                   }),
        };
    });
}

IDispatch* NewAddIn(const StatePtr& s, std::size_t index) {
    const AddinEntry* entry = &s->addins[index];
    const auto inList = [=]() -> AddIn& { return s->vbe.Addins().Item(entry->description); };
    return Shared(s, "AddIn", entry, [&]() -> Rows {
        return {
            Get("Description", 1, [=] { return Wide(inList().Description()); }),
            Get("ProgId", 2, [=] { return Wide(entry->progId); }),
            Get("Connect", 3, [=] { return inList().Connect(); }),
            Put("Connect", 3, [=](Call& c) { inList().SetConnect(c.Bool(0)); }),
        };
    });
}

}  // namespace brindle::test::automation
