#pragma once
// Late-bound calls on automation objects, as VB makes them: members by name through IDispatch,
// arguments and results as VARIANTs, strings as BSTRs that hold the model's 8-bit text
// converted with one code page, and every failure as the VbError VB would raise.

#include <oaidl.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "model/VbError.h"

namespace brindle::host::com {

// "Object doesn't support this property or method": what VB raises for a member an object
// does not have, which tells one editor's object model from the other's.
constexpr std::int32_t kObjectLacksMember = 438;

// An owning IDispatch pointer.
class DispatchPtr {
public:
    DispatchPtr() = default;
    // Takes over a reference that the caller owns.
    static DispatchPtr Adopt(IDispatch* object) noexcept;
    // Takes a reference of its own.
    static DispatchPtr Share(IDispatch* object) noexcept;

    DispatchPtr(const DispatchPtr& other) noexcept;
    DispatchPtr(DispatchPtr&& other) noexcept;
    DispatchPtr& operator=(DispatchPtr other) noexcept;
    ~DispatchPtr();

    IDispatch* Get() const noexcept { return object_; }
    explicit operator bool() const noexcept { return object_ != nullptr; }
    // The object's IUnknown, which tells two pointers to one object apart; valid while this
    // pointer holds the object.
    IUnknown* Identity() const noexcept;

private:
    IDispatch* object_ = nullptr;
};

class Object;
class CallArguments;

// An optional argument left out.
struct Missing {};

// A Long or Boolean passed by reference: what the callee writes back lands in `value`.
template <class T>
struct ByRef {
    T& value;
};

// One argument of a call. Text is the model's bytes, crossing as a BSTR.
class Arg {
public:
    Arg(std::int32_t value) : kind_(Kind::Long), long_(value) {}
    Arg(bool value) : kind_(Kind::Bool), bool_(value) {}
    Arg(std::string_view text) : kind_(Kind::Text), text_(text) {}
    Arg(const char* text) : Arg(std::string_view(text)) {}
    Arg(const std::string& text) : Arg(std::string_view(text)) {}
    Arg(const Object& object);
    Arg(Missing) : kind_(Kind::Missing) {}
    Arg(ByRef<std::int32_t> ref) : kind_(Kind::LongRef), longRef_(&ref.value) {}
    Arg(ByRef<bool> ref) : kind_(Kind::BoolRef), boolRef_(&ref.value) {}

private:
    friend class CallArguments;
    enum class Kind { Long, Bool, Text, Object, Missing, LongRef, BoolRef };
    Kind kind_;
    std::int32_t long_ = 0;
    bool bool_ = false;
    std::string_view text_;
    IDispatch* object_ = nullptr;
    std::int32_t* longRef_ = nullptr;
    bool* boolRef_ = nullptr;
};

// What a member gave back. Reading it as another type converts as VB does; what cannot be
// converted raises 13, and a missing object 91.
class Value {
public:
    Value(VARIANT value, std::string member, int codePage) noexcept;
    Value(const Value&) = delete;
    Value& operator=(const Value&) = delete;
    Value(Value&& other) noexcept;
    ~Value();

    std::int32_t Long() const;
    bool Bool() const;
    std::string Text() const;  // in the code page of the call
    Object AsObject() const;
    bool IsObject() const;
    const VARIANT& Raw() const { return value_; }

private:
    VARIANT Converted(VARTYPE type) const;
    VARIANT value_;
    std::string member_;
    int codePage_;
};

// An automation object and the code page its strings are converted with.
class Object {
public:
    Object() = default;
    Object(DispatchPtr object, int codePage);

    const DispatchPtr& Pointer() const { return object_; }
    int CodePage() const { return codePage_; }
    explicit operator bool() const { return static_cast<bool>(object_); }

    // A property's value.
    Value Get(std::string_view name) const;
    // Sets a property.
    void Put(std::string_view name, const Arg& value) const;
    // A method, or a property with arguments. Trailing Missing arguments are left out, others
    // go as VT_ERROR DISP_E_PARAMNOTFOUND; by-reference ones are written back, also when the
    // call fails.
    Value Call(std::string_view name, std::initializer_list<Arg> args = {}) const;

private:
    Value Invoke(std::string_view name, WORD flags, std::initializer_list<Arg> args) const;
    DISPID IdOf(std::string_view name) const;

    // The DISPIDs this object gave, shared by the copies of this handle.
    struct Names;
    DispatchPtr object_;
    int codePage_ = 0;
    std::shared_ptr<Names> names_;
};

// The VbError that VB raises for a failed call of `member`: the number from EXCEPINFO's wCode
// or scode, or from the HRESULT (0x800A0000 | number for a VB error, VB's own number for the
// automation errors it knows, the HRESULT itself otherwise), the description and source given,
// or VB's description of the number and the member's name.
VbError ErrorOf(HRESULT result, EXCEPINFO* info, std::string_view member);

// The HRESULT that raises VbError number `number` again: 0x800A0000 | number for VB's own
// numbers, the number itself where it is an HRESULT (what ErrorOf keeps of an unknown failure).
HRESULT HResultOf(std::int32_t number);

// Model text (bytes of `codePage`) as UTF-16 and back, as the IDE converts with its code page:
// what cannot be converted becomes "?".
std::wstring Widen(std::string_view text, int codePage);
std::string Narrow(std::wstring_view wide, int codePage);

}  // namespace brindle::host::com
