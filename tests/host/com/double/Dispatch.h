#pragma once
// The machinery every automation object of the double shares: answering
// by name from one table of members per object type, the arguments of one Invoke, and our
// failures turned into DISP_E_EXCEPTION with an EXCEPINFO.

#include <oaidl.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <typeindex>
#include <utility>

#include "host/com/ComObject.h"
#include "host/com/double/AutomationIde.h"

namespace brindle::test {

namespace automation {
class DispatchBase;
class ButtonPoint;
}  // namespace automation

// What every object of one AutomationIde shares.
struct AutomationIde::State {
    // An object of the double by its type and the thing of our IDE it shows.
    using Key = std::pair<std::type_index, const void*>;

    State(host::MemoryVBE& ide, IdeKind ideKind, std::vector<AddinEntry> entries)
        : vbe(ide), kind(ideKind), addins(std::move(entries)) {}

    host::MemoryVBE& vbe;
    IdeKind kind;
    Unpublished unpublished;
    std::vector<AddinEntry> addins;
    CallCounts calls;
    std::map<const CodePane*, std::int32_t> topLines;
    // Projects locked for viewing, by name (the VBA editor's protection).
    std::set<std::string, std::less<>> locked;
    AutomationIde::LockPoint lockPoint = AutomationIde::LockPoint::Components;
    std::function<void(const AddinEntry&, bool connect)> onUpdate;
    std::map<Key, automation::DispatchBase*> objects;
    HWND mainWindow = nullptr;
    // VBProject.FileName of each project, by name.
    std::map<std::string, std::u16string, std::less<>> projectFiles;
    // Office's Tag of each control, and in the VBA editor each button's own click source and
    // the click points advised on buttons.
    std::map<const CommandBarControl*, std::u16string> tags;
    std::map<const CommandBarControl*, std::shared_ptr<CommandBarEvents>> buttonSources;
    std::set<automation::ButtonPoint*> buttonPoints;

    // The call of a member that AutomationIde::FailAt names.
    std::string failing;
    int failingAt = 0;

    void Count(std::string_view member);
};

namespace automation {

using State = AutomationIde::State;

// An argument that does not fit: Invoke answers `result` and points puArgErr at it.
struct ArgumentError {
    std::size_t index;  // in the order the arguments are written
    HRESULT result;
};

// The arguments of one Invoke in the order they are written (DISPPARAMS holds them reversed),
// and its result.
class Call {
public:
    Call(const DISPPARAMS& params, VARIANT* result) : params_(params), result_(result) {}

    // Given, and not an optional argument left out (VT_ERROR DISP_E_PARAMNOTFOUND).
    bool Has(std::size_t i) const;

    std::int32_t Long(std::size_t i) const;
    std::optional<std::int32_t> OptionalLong(std::size_t i) const;
    bool Bool(std::size_t i, bool fallback = false) const;
    std::u16string Text(std::size_t i) const;
    std::optional<std::u16string> OptionalText(std::size_t i) const;
    // Whether the argument is text rather than a number (an Item's name or index).
    bool IsText(std::size_t i) const;
    // Borrowed; an argument that holds no object answers DISP_E_TYPEMISMATCH.
    IUnknown* Object(std::size_t i) const;

    // A Long passed by reference: its value now, and written back later.
    std::int32_t ByRefLong(std::size_t i) const;
    void WriteLong(std::size_t i, std::int32_t value);

    void Return(std::int32_t value);
    void ReturnBool(bool value);
    void ReturnText(std::u16string_view text);
    // Takes over the reference; null returns Nothing.
    void ReturnObject(IDispatch* object);
    // An object that answers no IDispatch, as VT_UNKNOWN; takes over the reference.
    void ReturnUnknown(IUnknown* object);

private:
    VARIANT& Raw(std::size_t i) const;
    VARIANT Converted(std::size_t i, VARTYPE type) const;

    const DISPPARAMS& params_;
    VARIANT* result_;
};

// Whether a member's name is the one a caller asks for, letter case aside.
bool SameName(const char* ours, const OLECHAR* theirs);

// The kinds of Invoke a member answers, as the IDE's type library declares it.
enum Kind : WORD {
    kMethod = DISPATCH_METHOD,
    kGet = DISPATCH_PROPERTYGET,
    kPut = DISPATCH_PROPERTYPUT,
};

// Recognises our own objects among the arguments a caller passes back.
// {6A1F3C52-2B7E-4C1D-9F0A-5E3B8D7C4A21}
inline constexpr GUID kIidDoubleObject = {
    0x6a1f3c52, 0x2b7e, 0x4c1d, {0x9f, 0x0a, 0x5e, 0x3b, 0x8d, 0x7c, 0x4a, 0x21}};

class DispatchBase : public host::com::DispatchObject<IDispatch> {
public:
    explicit DispatchBase(std::shared_ptr<State> state) : state_(std::move(state)) {}
    ~DispatchBase() override;

    // Handed out again for the same key while it lives.
    void Remember(const State::Key& key);

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argError) override;

    State& Ide() const { return *state_; }
    const std::shared_ptr<State>& SharedState() const { return state_; }

protected:
    // A member as the IDE's type library declares it.
    struct Declared {
        const char* name;
        DISPID id;
        WORD kinds;
        unsigned minArgs = 0;
        unsigned maxArgs = 0;
    };
    // The member of that name, or of that DISPID answering one of `kinds`; null when none.
    virtual const Declared* Lookup(const OLECHAR* name, DISPID id, WORD kinds) const = 0;
    virtual void Run(const Declared& declared, Call& call) = 0;
    // A member of the table that this IDE's library lacks: unknown already by name.
    virtual bool Lacks(const OLECHAR*) const { return false; }
    void* Answer(REFIID iid) override;

private:
    std::shared_ptr<State> state_;
    std::optional<State::Key> key_;
};

// An object answering from its type's table of members, each run on the object itself.
template <class Self>
class Automation : public DispatchBase {
public:
    using DispatchBase::DispatchBase;

protected:
    struct Row {
        Declared declared;
        void (*run)(Self& self, Call& call);
    };
    virtual std::span<const Row> Rows() const = 0;

private:
    const Declared* Lookup(const OLECHAR* name, DISPID id, WORD kinds) const override {
        for (const Row& row : Rows()) {
            if (name != nullptr ? SameName(row.declared.name, name)
                                : row.declared.id == id && (row.declared.kinds & kinds) != 0) {
                return &row.declared;
            }
        }
        return nullptr;
    }
    void Run(const Declared& declared, Call& call) override {
        for (const Row& row : Rows()) {
            if (&row.declared == &declared) {
                row.run(static_cast<Self&>(*this), call);
            }
        }
    }
};

// The IDE hands out one object for one thing for as long as a caller holds it, so that callers
// may compare objects by identity. A new reference.
template <class Object, class... Args>
IDispatch* Shared(const std::shared_ptr<State>& state, const void* thing, Args&&... args) {
    const State::Key key{std::type_index(typeid(Object)), thing};
    if (const auto it = state->objects.find(key); it != state->objects.end()) {
        it->second->AddRef();
        return it->second;
    }
    auto* object = new Object(state, std::forward<Args>(args)...);
    object->Remember(key);
    return object;
}

// Our object behind an argument, or null when it is someone else's or of another type.
template <class Object>
Object* Ours(IUnknown* unknown) {
    void* ours = nullptr;
    if (unknown == nullptr || unknown->QueryInterface(kIidDoubleObject, &ours) != S_OK) {
        return nullptr;
    }
    auto* base = static_cast<DispatchBase*>(ours);
    base->Release();
    return dynamic_cast<Object*>(base);
}

// Text of our IDE that is no module's (a project's name, a caption): UTF-8, or bytes of the
// system's code page.
std::u16string Wide(std::string_view text);
std::string Narrow(std::u16string_view text);

}  // namespace automation
}  // namespace brindle::test
