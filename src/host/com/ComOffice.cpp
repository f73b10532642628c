// Command bars, their click events and the add-in list over the IDE's automation objects.
#include <ocidl.h>
#include <oleauto.h>
#include <olectl.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "host/com/ComObject.h"
#include "host/com/ComObjects.h"
#include "host/vb6/CodePage.h"
#include "model/VbError.h"

namespace brindle::host::com {
namespace {

// The source interface of VBE.Events.CommandBarEvents, _dispCommandBarControlEvents, in each
// IDE's library; and Office's _CommandBarButtonEvents, a button's own.
constexpr IID kVb6ControlEvents = {
    0x0002E198, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kVbaControlEvents = {
    0x0002E131, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kButtonEvents = {
    0x000C0351, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr DISPID kClick = 1;

// Each IDE's own source first; the other's should a version answer it.
constexpr std::array<IID, 2> kVb6Sources = {kVb6ControlEvents, kVbaControlEvents};
constexpr std::array<IID, 2> kVbaSources = {kVbaControlEvents, kVb6ControlEvents};
constexpr std::array<IID, 1> kButtonSources = {kButtonEvents};

// Office runs a button's Click for every button of the same Tag: each of ours has its own.
std::string NewTag() {
    static std::atomic<unsigned> made{0};
    return "VBBrindle." + std::to_string(++made);
}

// What Office raises for a bar it lacks.
bool MeansNoSuchBar(const VbError& e) {
    return e.Number() == static_cast<std::int32_t>(Err::InvalidCall) ||
           e.Number() == static_cast<std::int32_t>(Err::SubscriptOutOfRange);
}

// The argument `index` from the end of a call's positional arguments, by reference or not.
VARIANT* ArgumentAt(DISPPARAMS* params, UINT fromFirst) {
    if (params == nullptr || fromFirst >= params->cArgs) {
        return nullptr;
    }
    return &params->rgvarg[params->cArgs - 1 - fromFirst];
}

VARIANT_BOOL* BoolRefOf(VARIANT* argument) {
    if (argument == nullptr) {
        return nullptr;
    }
    if (argument->vt == (VT_BOOL | VT_BYREF)) {
        return argument->pboolVal;
    }
    if (argument->vt == (VT_VARIANT | VT_BYREF) && argument->pvarVal != nullptr &&
        argument->pvarVal->vt == VT_BOOL) {
        return &argument->pvarVal->boolVal;
    }
    return nullptr;
}

IDispatch* DispatchOf(VARIANT* argument) {
    if (argument == nullptr) {
        return nullptr;
    }
    if (argument->vt == VT_DISPATCH) {
        return argument->pdispVal;
    }
    if (argument->vt == (VT_DISPATCH | VT_BYREF) && argument->ppdispVal != nullptr) {
        return *argument->ppdispVal;
    }
    if (argument->vt == (VT_VARIANT | VT_BYREF) && argument->pvarVal != nullptr &&
        argument->pvarVal->vt == VT_DISPATCH) {
        return argument->pvarVal->pdispVal;
    }
    return nullptr;
}

struct Entered {
    explicit Entered(Registry& registry) : registry_(registry) { registry_.Enter(); }
    ~Entered() { registry_.Leave(); }
    Entered(const Entered&) = delete;
    Entered& operator=(const Entered&) = delete;
    Registry& registry_;
};

// The object the IDE calls for each click: it answers IDispatch and the connection point's
// interface, and hands Click (DISPID 1) to the handler. The IDE may hold it after we let go,
// so it lives by its own reference count and forgets the handler when it is cut off.
std::atomic<long> g_liveSinks{0};

class ClickSink final : public DispatchObject<IDispatch> {
public:
    ClickSink(IID source, std::shared_ptr<Registry> registry)
        : source_(source), registry_(std::move(registry)) {
        ++g_liveSinks;
    }

    void SetHandler(CommandBarEvents::ClickHandler handler) { handler_ = std::move(handler); }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        if (names == nullptr || ids == nullptr) {
            return E_POINTER;
        }
        HRESULT result = S_OK;
        for (UINT i = 0; i < count; ++i) {
            const bool click = i == 0 && lstrcmpiW(names[i], L"Click") == 0;
            ids[i] = click ? kClick : DISPID_UNKNOWN;
            result = click ? result : DISP_E_UNKNOWNNAME;
        }
        return result;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* info, UINT*) override {
        if (id != kClick) {
            return DISP_E_MEMBERNOTFOUND;
        }
        if (result != nullptr) {
            VariantInit(result);
        }
        // The IDE's Click(control, handled, CancelDefault); Office's Click(Ctrl, CancelDefault).
        const bool office = source_ == kButtonEvents;
        IDispatch* control = DispatchOf(ArgumentAt(params, 0));
        VARIANT_BOOL* handled = office ? nullptr : BoolRefOf(ArgumentAt(params, 1));
        VARIANT_BOOL* cancelDefault = BoolRefOf(ArgumentAt(params, office ? 1 : 2));
        if (control == nullptr || !handler_) {
            return S_OK;
        }
        // The handler may let go of the event source, and the IDE then of this sink.
        AddRef();
        const HRESULT outcome = Click(control, handled, cancelDefault, info);
        Release();
        return outcome;
    }

private:
    ~ClickSink() override { --g_liveSinks; }

    void* Answer(REFIID iid) override {
        return iid == IID_IUnknown || iid == IID_IDispatch || iid == source_
                   ? static_cast<IDispatch*>(this)
                   : nullptr;
    }

    HRESULT Click(IDispatch* control, VARIANT_BOOL* handled, VARIANT_BOOL* cancelDefault,
                  EXCEPINFO* info) {
        bool handledFlag = handled != nullptr && *handled != VARIANT_FALSE;
        bool cancelFlag = cancelDefault != nullptr && *cancelDefault != VARIANT_FALSE;
        try {
            // What the command reaches of the IDE is let go when the outermost click is over.
            const Entered entered(*registry_);
            ComControl clicked(Object(DispatchPtr::Share(control), registry_->CodePage()));
            // A copy: the handler may let go of the event source, which clears handler_.
            const CommandBarEvents::ClickHandler handler = handler_;
            handler(clicked, handledFlag, cancelFlag);
        } catch (const VbError& e) {
            return Failed(e, info);
        } catch (...) {
            return Failed(VbError(Err::InternalError, "Brindle"), info);
        }
        if (handled != nullptr) {
            *handled = handledFlag ? VARIANT_TRUE : VARIANT_FALSE;
        }
        if (cancelDefault != nullptr) {
            *cancelDefault = cancelFlag ? VARIANT_TRUE : VARIANT_FALSE;
        }
        return S_OK;
    }

    static HRESULT Failed(const VbError& e, EXCEPINFO* info) {
        if (info != nullptr) {
            *info = EXCEPINFO{};
            info->scode = HResultOf(e.Number());
            const std::wstring description = Widen(e.Description(), kUtf8CodePage);
            const std::wstring source = Widen(e.Source(), kUtf8CodePage);
            info->bstrDescription = SysAllocString(description.c_str());
            info->bstrSource = SysAllocString(source.c_str());
        }
        return DISP_E_EXCEPTION;
    }

    IID source_;
    std::shared_ptr<Registry> registry_;
    CommandBarEvents::ClickHandler handler_;
};

// The point of one of `sources` among those the object lists: the IDEs are only known to
// answer FindConnectionPoint, so this is the last resort.
IConnectionPoint* ListedPointOf(IConnectionPointContainer& container, std::span<const IID> sources,
                                IID& source) {
    IEnumConnectionPoints* points = nullptr;
    if (FAILED(container.EnumConnectionPoints(&points)) || points == nullptr) {
        return nullptr;
    }
    IConnectionPoint* chosen = nullptr;
    IConnectionPoint* point = nullptr;
    while (chosen == nullptr && points->Next(1, &point, nullptr) == S_OK) {
        IID iid{};
        const bool wanted = SUCCEEDED(point->GetConnectionInterface(&iid)) &&
                            std::find(sources.begin(), sources.end(), iid) != sources.end();
        if (wanted) {
            chosen = point;
            source = iid;
        } else {
            point->Release();
        }
    }
    points->Release();
    return chosen;
}

// The connection point of the first of `sources` the object offers, found by its IID; null
// when it offers none.
IConnectionPoint* PointOf(IUnknown& object, std::span<const IID> sources, IID& source) {
    IConnectionPointContainer* container = nullptr;
    if (FAILED(object.QueryInterface(IID_IConnectionPointContainer,
                                     reinterpret_cast<void**>(&container))) ||
        container == nullptr) {
        return nullptr;
    }
    IConnectionPoint* point = nullptr;
    for (const IID& iid : sources) {
        if (SUCCEEDED(container->FindConnectionPoint(iid, &point)) && point != nullptr) {
            source = iid;
            break;
        }
        point = nullptr;
    }
    if (point == nullptr) {
        point = ListedPointOf(*container, sources, source);
    }
    container->Release();
    return point;
}

// One control's click events: the sink advised on the event source's connection point for as
// long as this object lives. The source is held as IUnknown: the IDE's CommandBarEvents
// answers no IDispatch.
class ComCommandBarEvents final : public CommandBarEvents {
public:
    // Takes over `point`, of the source interface `source`.
    ComCommandBarEvents(IUnknown& events, IConnectionPoint* point, IID source,
                        std::shared_ptr<Registry> registry)
        : events_(&events), point_(point), sink_(new ClickSink(source, std::move(registry))) {
        events_->AddRef();
        const HRESULT result = point_->Advise(sink_, &cookie_);
        if (FAILED(result)) {
            sink_->Release();
            point_->Release();
            events_->Release();
            throw ErrorOf(result, nullptr, "CommandBarEvents");
        }
    }
    ~ComCommandBarEvents() override {
        sink_->SetHandler(nullptr);
        point_->Unadvise(cookie_);
        sink_->Release();
        point_->Release();
        events_->Release();
    }
    ComCommandBarEvents(const ComCommandBarEvents&) = delete;
    ComCommandBarEvents& operator=(const ComCommandBarEvents&) = delete;

    void OnClick(ClickHandler handler) override { sink_->SetHandler(std::move(handler)); }

private:
    IUnknown* events_;
    IConnectionPoint* point_;
    ClickSink* sink_;
    DWORD cookie_ = 0;
};

// The click events of `events` through the first of `sources` it offers; null when it offers
// none.
std::shared_ptr<CommandBarEvents> EventsOn(IUnknown& events, std::span<const IID> sources,
                                           const std::shared_ptr<Registry>& registry) {
    IID source{};
    IConnectionPoint* point = PointOf(events, sources, source);
    if (point == nullptr) {
        return nullptr;
    }
    return std::make_shared<ComCommandBarEvents>(events, point, source, registry);
}

// The object a late-bound call handed back, of any interface; borrowed from `value`.
IUnknown& UnknownOf(const Value& value, std::string_view member) {
    const VARIANT& raw = value.Raw();
    if ((raw.vt != VT_UNKNOWN && raw.vt != VT_DISPATCH) || raw.punkVal == nullptr) {
        throw ErrorOf(raw.vt == VT_EMPTY ? E_POINTER : DISP_E_TYPEMISMATCH, nullptr, member);
    }
    return *raw.punkVal;
}

}  // namespace

long LiveEventSinks() {
    return g_liveSinks;
}

// --- Controls ---

std::string ComControl::Caption() const {
    return object_.Get("Caption").Text();
}

void ComControl::SetCaption(std::string_view caption) {
    object_.Put("Caption", caption);
}

bool ComControl::BeginGroup() const {
    return object_.Get("BeginGroup").Bool();
}

void ComControl::SetBeginGroup(bool beginGroup) {
    object_.Put("BeginGroup", beginGroup);
}

bool ComControl::Visible() const {
    return object_.Get("Visible").Bool();
}

void ComControl::SetVisible(bool visible) {
    object_.Put("Visible", visible);
}

void ComControl::Delete() {
    object_.Call("Delete");
}

std::int32_t ComControls::Count() const {
    return object_.Get("Count").Long();
}

std::shared_ptr<CommandBarControl> ComControls::Item(std::int32_t index) {
    return std::make_shared<ComControl>(object_.Call("Item", {index}).AsObject());
}

std::shared_ptr<CommandBarControl> ComControls::Add(MsoControlType type,
                                                    std::optional<std::int32_t> id,
                                                    std::optional<std::string> parameter,
                                                    std::optional<std::int32_t> before,
                                                    bool temporary) {
    const Arg idArg = id ? Arg(*id) : Arg(Missing{});
    const Arg parameterArg = parameter ? Arg(*parameter) : Arg(Missing{});
    const Arg beforeArg = before ? Arg(*before) : Arg(Missing{});
    Object control =
        object_.Call("Add", {std::int32_t{type}, idArg, parameterArg, beforeArg, temporary})
            .AsObject();
    registry_.Made(control);
    control.Put("Tag", NewTag());
    return std::make_shared<ComControl>(std::move(control));
}

// --- Bars ---

std::string ComCommandBar::Name() const {
    return object_.Get("Name").Text();
}

CommandBarControls& ComCommandBar::Controls() {
    return registry_.Wrap<ComControls>(object_.Get("Controls").AsObject());
}

// By name; in the VB6 IDE, failing that, by where it is known to keep the bar.
CommandBar* ComCommandBars::Item(std::string_view name) {
    if (CommandBar* bar = ItemBy(BarNameIn(editor_, name))) {
        return bar;
    }
    const std::optional<std::int32_t> index =
        editor_ == Editor::Vb6 ? Vb6BarIndex(name) : std::nullopt;
    return index ? ItemBy(*index) : nullptr;
}

CommandBar* ComCommandBars::ItemBy(const Arg& nameOrIndex) {
    try {
        const Value bar = object_.Call("Item", {nameOrIndex});
        return bar.IsObject() ? &registry_.Wrap<ComCommandBar>(bar.AsObject()) : nullptr;
    } catch (const VbError& e) {
        if (MeansNoSuchBar(e)) {
            return nullptr;
        }
        throw;
    }
}

// --- Events ---

std::shared_ptr<CommandBarEvents> ComEvents::CommandBarEvents(CommandBarControl& control) {
    const auto* ours = dynamic_cast<const ComControl*>(&control);
    if (ours == nullptr) {
        Raise(Err::TypeMismatch, "VBIDE.Events.CommandBarEvents");
    }
    if (editor_ == Editor::Vba) {
        // Office's button event; an editor whose buttons lack it has only VBE.Events.
        if (auto events = EventsOn(*ours->Self().Pointer().Get(), kButtonSources,
                                   registry_.shared_from_this())) {
            return events;
        }
    }
    return IdeEventsOf(ours->Self());
}

std::shared_ptr<CommandBarEvents> ComEvents::IdeEventsOf(const Object& control) {
    const Value events = vbe_.Get("Events").AsObject().Call("CommandBarEvents", {control});
    auto found =
        EventsOn(UnknownOf(events, "CommandBarEvents"),
                 editor_ == Editor::Vb6 ? kVb6Sources : kVbaSources, registry_.shared_from_this());
    if (!found) {
        throw ErrorOf(CONNECT_E_NOCONNECTION, nullptr, "CommandBarEvents");
    }
    return found;
}

// --- Add-ins ---

std::string ComAddIn::Description() const {
    return object_.Get("Description").Text();
}

bool ComAddIn::Connect() const {
    return object_.Get("Connect").Bool();
}

void ComAddIn::SetConnect(bool connect) {
    object_.Put("Connect", connect);
}

std::string ComAddIn::ProgId() const {
    return object_.Get("ProgId").Text();
}

// The list is searched by description, as the model asks; the IDE's Item knows only ProgIDs
// and indexes.
AddIn& ComAddins::Item(std::string_view name) {
    const std::int32_t count = object_.Get("Count").Long();
    for (std::int32_t i = 1; i <= count; ++i) {
        Object entry = object_.Call("Item", {i}).AsObject();
        if (EqualsIgnoringCase(entry.Get("Description").Text(), name)) {
            return registry_.Wrap<ComAddIn>(std::move(entry));
        }
    }
    Raise(Err::SubscriptOutOfRange, "VBIDE.Addins.Item");
}

void ComAddins::Update() {
    object_.Call("Update");
}

}  // namespace brindle::host::com
