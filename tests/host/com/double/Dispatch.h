#pragma once
// The machinery every automation object of the double shares: answering
// by name from one table of members per object type, the arguments of one Invoke, and our
// failures turned into DISP_E_EXCEPTION with an EXCEPINFO.

#include <oaidl.h>
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "host/com/ComObject.h"
#include "host/com/double/AutomationIde.h"
#include "host/vb6/CodePage.h"
#include "model/VbError.h"

namespace brindle::test {

namespace automation {
class Object;
class ClickPoint;
}  // namespace automation

// What every object of one AutomationIde shares.
struct AutomationIde::State : AutomationIde::Settings {
    // An object of the double by its type and the thing of our IDE it shows.
    using Key = std::pair<std::string_view, const void*>;

    State(host::MemoryVBE& ide, IdeKind ideKind) : vbe(ide), kind(ideKind) {}

    host::MemoryVBE& vbe;
    IdeKind kind;
    std::vector<AddinEntry> addins{{"VBBrindle.Brindle", std::string(kAddinDescription)}};
    CallCounts calls;
    std::map<const CodePane*, std::int32_t> topLines;
    std::map<Key, automation::Object*> objects;
    // Office's Tag of each control, and in the VBA editor each button's own click source and
    // the click points advised on buttons.
    std::map<const CommandBarControl*, std::u16string> tags;
    std::map<const CommandBarControl*, std::shared_ptr<CommandBarEvents>> buttonSources;
    std::set<automation::ClickPoint*> buttonPoints;

    // The call of a member that AutomationIde::FailAt names.
    std::string failing;
    int failingAt = 0;

    void Count(std::string_view member);
};

namespace automation {

using State = AutomationIde::State;
using StatePtr = std::shared_ptr<State>;

// An argument that does not fit: Invoke answers `result` and points puArgErr at it.
struct ArgumentError {
    std::size_t index;  // in the order the arguments are written
    HRESULT result;
};

// The arguments of one Invoke in the order they are written (DISPPARAMS holds them reversed),
// and its result.
class Call {
public:
    // Without a result asked for, what the member gives back is let go with the call.
    Call(const DISPPARAMS& params, VARIANT* result)
        : params_(params), result_(result != nullptr ? result : &unasked_) {}
    ~Call() { VariantClear(&unasked_); }
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;

    // Given, and not an optional argument left out (VT_ERROR DISP_E_PARAMNOTFOUND).
    bool Has(std::size_t i) const;

    std::int32_t Long(std::size_t i) const;
    std::optional<std::int32_t> OptionalLong(std::size_t i) const;
    bool Bool(std::size_t i, bool fallback = false) const;
    std::u16string Text(std::size_t i) const;
    // Whether the argument is text rather than a number (an Item's name or index).
    bool IsText(std::size_t i) const;
    // Borrowed; an argument that holds no object answers DISP_E_TYPEMISMATCH.
    IUnknown* Unknown(std::size_t i) const;

    // A Long passed by reference: its value now, and written back later.
    std::int32_t ByRefLong(std::size_t i) const;
    void WriteLong(std::size_t i, std::int32_t value);

    void Return(std::int32_t value);
    void Return(bool value);
    void Return(std::u16string_view text);
    void Return(const char16_t* text) { Return(std::u16string_view(text)); }
    // Takes over the reference; null returns Nothing. An object that answers no IDispatch
    // comes as VT_UNKNOWN.
    void Return(IDispatch* object);
    void Return(IUnknown* object);

private:
    VARIANT& Raw(std::size_t i) const;
    VARIANT Converted(std::size_t i, VARTYPE type) const;

    const DISPPARAMS& params_;
    VARIANT unasked_{};
    VARIANT* result_;
};

// Text of our IDE that is no module's (a project's name, a caption): UTF-8, or bytes of the
// system's code page.
std::u16string Wide(std::string_view text);
std::string Narrow(std::u16string_view text);

// Whether a member's name is the one a caller asks for, letter case aside.
bool SameName(const char* ours, const OLECHAR* theirs);

// The kinds of Invoke a member answers, as the IDE's type library declares it.
enum Kind : WORD {
    kMethod = DISPATCH_METHOD,
    kGet = DISPATCH_PROPERTYGET,
    kPut = DISPATCH_PROPERTYPUT,
};

// A member as the IDE's type library declares it, and what it does. A member of one editor's
// library alone is unknown by name in the other.
struct Row {
    const char* name;
    DISPID id;
    WORD kinds;
    unsigned minArgs = 0;
    unsigned maxArgs = 0;
    std::function<void(Call&)> run;
    std::optional<IdeKind> only;
};
using Rows = std::vector<Row>;

// How many arguments a member takes: exactly `n`, or from `min` to `max`.
struct Arity {
    Arity(unsigned n) : min(n), max(n) {}  // NOLINT: a count reads as an arity
    Arity(unsigned from, unsigned to) : min(from), max(to) {}
    unsigned min, max;
};

// A member's work, `f()` or `f(call)`; what it gives back is the call's result.
template <class F>
std::function<void(Call&)> Runs(F f) {
    return [f](Call& c) {
        const auto run = [&] {
            if constexpr (std::is_invocable_v<const F&, Call&>) {
                return f(c);
            } else {
                return f();
            }
        };
        if constexpr (std::is_void_v<decltype(run())>) {
            run();
        } else {
            c.Return(run());
        }
    };
}
template <class F>
Row Get(const char* name, DISPID id, Arity args, F f) {
    return {name, id, kGet, args.min, args.max, Runs(f), {}};
}
template <class F>
Row Get(const char* name, DISPID id, F f) {
    return Get(name, id, 0, f);
}
template <class F>
Row Put(const char* name, DISPID id, F f) {
    return {name, id, kPut, 1, 1, Runs(f), {}};
}
template <class F>
Row Method(const char* name, DISPID id, Arity args, F f) {
    return {name, id, kMethod, args.min, args.max, Runs(f), {}};
}
template <class F>
Row Method(const char* name, DISPID id, F f) {
    return Method(name, id, 0, f);
}
inline Row Only(IdeKind kind, Row member) {
    member.only = kind;
    return member;
}

// Recognises our own objects among the arguments a caller passes back.
// {6A1F3C52-2B7E-4C1D-9F0A-5E3B8D7C4A21}
inline constexpr GUID kIidDoubleObject = {
    0x6a1f3c52, 0x2b7e, 0x4c1d, {0x9f, 0x0a, 0x5e, 0x3b, 0x8d, 0x7c, 0x4a, 0x21}};

// An object answering by name from its table of members.
class Object : public host::com::DispatchObject<IDispatch> {
public:
    Object(StatePtr state, Rows members) : state_(std::move(state)), members_(std::move(members)) {}
    ~Object() override;

    // Handed out again for the same key while it lives.
    void Remember(const State::Key& key);

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argError) override;

    State& Ide() const { return *state_; }
    const StatePtr& SharedState() const { return state_; }

protected:
    void* Answer(REFIID iid) override;

private:
    // The member of that name, or of that DISPID answering one of `kinds`; null when none.
    const Row* Lookup(const OLECHAR* name, DISPID id, WORD kinds) const;

    StatePtr state_;
    Rows members_;
    std::optional<State::Key> key_;
};

// The IDE hands out one object for one thing for as long as a caller holds it, so that callers
// may compare objects by identity: one of `Type` over the rows `make()` gives is made when none
// is held. A new reference.
template <class Type = Object, class Make, class... Args>
IDispatch* Shared(const StatePtr& state, std::string_view kind, const void* thing, Make make,
                  Args&&... args) {
    const State::Key key{kind, thing};
    if (const auto it = state->objects.find(key); it != state->objects.end()) {
        it->second->AddRef();
        return it->second;
    }
    auto* object = new Type(state, make(), std::forward<Args>(args)...);
    object->Remember(key);
    return object;
}

// The objects of each type of the IDE's model: a new reference over an object of our IDE,
// which must outlive it.
IDispatch* NewVbe(const StatePtr& s);
IDispatch* NewProject(const StatePtr& s, VBProject* project);
IDispatch* NewCodeModule(const StatePtr& s, CodeModule* module);
IDispatch* NewCodePane(const StatePtr& s, CodePane* pane);
IDispatch* NewWindows(const StatePtr& s);
IDispatch* NewCommandBars(const StatePtr& s);
IDispatch* NewEvents(const StatePtr& s);
IDispatch* NewAddins(const StatePtr& s);
// The add-in list's entry at `index` (0-based) of the state's entries.
IDispatch* NewAddIn(const StatePtr& s, std::size_t index);

// Our object behind an argument, or null when it is someone else's or of another type.
template <class Object>
Object* Ours(IUnknown* unknown) {
    void* ours = nullptr;
    if (unknown == nullptr || unknown->QueryInterface(kIidDoubleObject, &ours) != S_OK) {
        return nullptr;
    }
    auto* base = static_cast<Object*>(ours);
    base->Release();
    return dynamic_cast<Object*>(base);
}

}  // namespace automation
}  // namespace brindle::test
