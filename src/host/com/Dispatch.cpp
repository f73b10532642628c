#include "host/com/Dispatch.h"

#include <oleauto.h>
#include <windows.h>

#include <cstdint>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "host/vb6/CodePage.h"
#include "host/vb6/Transcoding.h"
#include "util/Unicode.h"

namespace brindle::host::com {
namespace {

constexpr HRESULT kVbErrorBase = static_cast<HRESULT>(0x800A0000);

// The automation failures that VB turns into its own error numbers.
std::int32_t VbNumberOf(HRESULT result) {
    if ((result & static_cast<HRESULT>(0xFFFF0000)) == kVbErrorBase) {
        return result & 0xFFFF;
    }
    switch (result) {
        case E_INVALIDARG:
            return 5;
        case DISP_E_OVERFLOW:
            return 6;
        case E_OUTOFMEMORY:
            return 7;
        case DISP_E_BADINDEX:
            return 9;
        case DISP_E_ARRAYISLOCKED:
            return 10;
        case DISP_E_DIVBYZERO:
            return 11;
        case DISP_E_TYPEMISMATCH:
            return 13;
        case E_ACCESSDENIED:
            return 70;
        case E_NOINTERFACE:
            return 430;
        case E_NOTIMPL:
            return 445;
        case DISP_E_MEMBERNOTFOUND:
        case DISP_E_UNKNOWNNAME:
            return kObjectLacksMember;
        case DISP_E_PARAMNOTOPTIONAL:
            return 449;
        case DISP_E_BADPARAMCOUNT:
            return 450;
        default:
            return result;
    }
}

std::string DescriptionOf(std::int32_t number, HRESULT result) {
    switch (number) {
        case 10:
            return "This array is fixed or temporarily locked";
        case 11:
            return "Division by zero";
        case 70:
            return "Permission denied";
        case 430:
            return "Class does not support Automation or does not support expected interface";
        case 438:
            return "Object doesn't support this property or method";
        case 445:
            return "Object doesn't support this action";
        case 449:
            return "Argument not optional";
        case 450:
            return "Wrong number of arguments or invalid property assignment";
        default:
            break;
    }
    if (number >= 0 && number <= 0xFFFF) {
        return std::string(Describe(static_cast<Err>(number)));
    }
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(result), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = length > 0 ? std::wstring(text, length) : std::wstring();
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n')) {
        message.pop_back();
    }
    std::string description = "Automation error";
    if (!message.empty()) {
        description.append(" ").append(
            Utf8FromUtf16(std::u16string(message.begin(), message.end())));
    }
    return description;
}

std::string Utf8Of(BSTR text) {
    const std::u16string_view units(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
    return Utf8FromUtf16(units);
}

// Replaces each character the target lacks with "?".
std::size_t Unconvertible(std::string_view rest, std::string& output, int from, int to) {
    output += to == kUtf16LeCodePage ? std::string("?\0", 2) : std::string("?");
    if (from == kUtf16LeCodePage) {
        const auto high = rest.size() >= 4 ? static_cast<unsigned char>(rest[1]) : 0u;
        return high >= 0xD8 && high <= 0xDB ? 4 : 2;
    }
    return IsDoubleByteCodePage(from) && IsLeadByte(static_cast<unsigned char>(rest[0]), from) &&
                   rest.size() >= 2
               ? 2
               : 1;
}

std::string Convert(std::string_view input, int from, int to) {
    return Transcode(input, from, to, [from, to](std::string_view rest, std::string& output) {
        return Unconvertible(rest, output, from, to);
    });
}

BSTR NewBstr(std::string_view text, int codePage) {
    const std::wstring wide = Widen(text, codePage);
    BSTR bstr = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (bstr == nullptr) {
        throw VbError(Err::OutOfMemory, "");
    }
    return bstr;
}

// A DISPID per type of object and member name (in lower case): the IDE's objects of one type
// share their DISPIDs, and asking for them costs a call each time.
class IdCache {
public:
    bool Find(const GUID& type, const std::wstring& name, DISPID& id) {
        std::lock_guard lock(mutex_);
        const auto found = ids_.find(Key(type, name));
        if (found == ids_.end()) {
            return false;
        }
        id = found->second;
        return true;
    }
    void Add(const GUID& type, const std::wstring& name, DISPID id) {
        std::lock_guard lock(mutex_);
        ids_.emplace(Key(type, name), id);
    }

private:
    static std::pair<std::string, std::wstring> Key(const GUID& type, const std::wstring& name) {
        return {std::string(reinterpret_cast<const char*>(&type), sizeof type), name};
    }
    std::mutex mutex_;
    std::map<std::pair<std::string, std::wstring>, DISPID> ids_;
};

IdCache& Ids() {
    static IdCache cache;
    return cache;
}

// The type of the object as its type information names it; false when it has none.
bool TypeOf(IDispatch* object, GUID& type) {
    UINT count = 0;
    if (FAILED(object->GetTypeInfoCount(&count)) || count == 0) {
        return false;
    }
    ITypeInfo* info = nullptr;
    if (FAILED(object->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info)) || info == nullptr) {
        return false;
    }
    TYPEATTR* attributes = nullptr;
    const bool known = SUCCEEDED(info->GetTypeAttr(&attributes)) && attributes != nullptr &&
                       attributes->guid != GUID_NULL;
    if (known) {
        type = attributes->guid;
    }
    if (attributes != nullptr) {
        info->ReleaseTypeAttr(attributes);
    }
    info->Release();
    return known;
}

// What a callee may have left in an EXCEPINFO, also when it did not report an exception.
void FreeStrings(EXCEPINFO& info) {
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrHelpFile);
    info.bstrDescription = info.bstrSource = info.bstrHelpFile = nullptr;
}

}  // namespace

// --- DispatchPtr ---

DispatchPtr DispatchPtr::Adopt(IDispatch* object) noexcept {
    DispatchPtr pointer;
    pointer.object_ = object;
    return pointer;
}

DispatchPtr DispatchPtr::Share(IDispatch* object) noexcept {
    if (object != nullptr) {
        object->AddRef();
    }
    return Adopt(object);
}

DispatchPtr::DispatchPtr(const DispatchPtr& other) noexcept : object_(other.object_) {
    if (object_ != nullptr) {
        object_->AddRef();
    }
}

DispatchPtr::DispatchPtr(DispatchPtr&& other) noexcept
    : object_(std::exchange(other.object_, nullptr)) {}

DispatchPtr& DispatchPtr::operator=(DispatchPtr other) noexcept {
    std::swap(object_, other.object_);
    return *this;
}

DispatchPtr::~DispatchPtr() {
    if (object_ != nullptr) {
        object_->Release();
    }
}

IUnknown* DispatchPtr::Identity() const noexcept {
    if (object_ == nullptr) {
        return nullptr;
    }
    IUnknown* identity = nullptr;
    if (FAILED(object_->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)))) {
        return object_;
    }
    identity->Release();
    return identity;
}

// --- Arg ---

Arg::Arg(const Object& object) : kind_(Kind::Object), object_(object.Pointer().Get()) {}

// --- Value ---

Value::Value(VARIANT value, std::string member, int codePage) noexcept
    : value_(value), member_(std::move(member)), codePage_(codePage) {}

Value::Value(Value&& other) noexcept
    : value_(other.value_), member_(std::move(other.member_)), codePage_(other.codePage_) {
    VariantInit(&other.value_);
}

Value::~Value() {
    VariantClear(&value_);
}

VARIANT Value::Converted(VARTYPE type) const {
    VARIANT converted;
    VariantInit(&converted);
    const HRESULT result = VariantChangeType(&converted, const_cast<VARIANT*>(&value_), 0, type);
    if (FAILED(result)) {
        throw ErrorOf(result == DISP_E_OVERFLOW ? result : DISP_E_TYPEMISMATCH, nullptr, member_);
    }
    return converted;
}

std::int32_t Value::Long() const {
    return Converted(VT_I4).lVal;
}

bool Value::Bool() const {
    return Converted(VT_BOOL).boolVal != VARIANT_FALSE;
}

std::string Value::Text() const {
    VARIANT converted = Converted(VT_BSTR);
    std::string text =
        Narrow(std::wstring_view(converted.bstrVal, SysStringLen(converted.bstrVal)), codePage_);
    VariantClear(&converted);
    return text;
}

bool Value::IsObject() const {
    const VARTYPE type = static_cast<VARTYPE>(value_.vt & ~VT_BYREF);
    return (type == VT_DISPATCH || type == VT_UNKNOWN) && value_.punkVal != nullptr;
}

Object Value::AsObject() const {
    if (value_.vt == VT_EMPTY || value_.vt == VT_NULL ||
        (value_.vt == VT_DISPATCH && value_.pdispVal == nullptr)) {
        throw VbError(Err::ObjectNotSet, member_);
    }
    if (value_.vt == VT_DISPATCH) {
        return Object(DispatchPtr::Share(value_.pdispVal), codePage_);
    }
    if (value_.vt == VT_UNKNOWN && value_.punkVal != nullptr) {
        IDispatch* object = nullptr;
        if (SUCCEEDED(
                value_.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&object)))) {
            return Object(DispatchPtr::Adopt(object), codePage_);
        }
    }
    throw ErrorOf(DISP_E_TYPEMISMATCH, nullptr, member_);
}

// --- Object ---

struct Object::Names {
    bool typeAsked = false;
    bool typed = false;
    GUID type{};
    std::map<std::wstring, DISPID> ids;
};

Object::Object(DispatchPtr object, int codePage)
    : object_(std::move(object)), codePage_(codePage), names_(std::make_shared<Names>()) {}

// Asked once per object and name, and once per type of object where the type is known.
DISPID Object::IdOf(std::string_view name) const {
    if (!object_) {
        throw VbError(Err::ObjectNotSet, std::string(name));
    }
    const std::u16string units = Utf16FromUtf8(name);
    std::wstring wide(units.begin(), units.end());
    std::wstring folded = wide;
    CharLowerBuffW(folded.data(), static_cast<DWORD>(folded.size()));
    Names& names = *names_;
    if (const auto known = names.ids.find(folded); known != names.ids.end()) {
        return known->second;
    }
    if (!names.typeAsked) {
        names.typed = TypeOf(object_.Get(), names.type);
        names.typeAsked = true;
    }
    DISPID id = DISPID_UNKNOWN;
    if (!(names.typed && Ids().Find(names.type, folded, id))) {
        LPOLESTR asked[] = {wide.data()};
        const HRESULT result =
            object_.Get()->GetIDsOfNames(IID_NULL, asked, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(result)) {
            throw ErrorOf(result == DISP_E_UNKNOWNNAME ? DISP_E_MEMBERNOTFOUND : result, nullptr,
                          name);
        }
        if (names.typed) {
            Ids().Add(names.type, folded, id);
        }
    }
    names.ids.emplace(std::move(folded), id);
    return id;
}

Value Object::Get(std::string_view name) const {
    return Invoke(name, DISPATCH_PROPERTYGET, {});
}

void Object::Put(std::string_view name, const Arg& value) const {
    Invoke(name, DISPATCH_PROPERTYPUT, {value});
}

Value Object::Call(std::string_view name, std::initializer_list<Arg> args) const {
    return Invoke(name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, args);
}

// The arguments of one call as VARIANTs, the last first, trailing missing ones left out, with
// the storage that by-reference ones point into; cleared when the call is over.
class CallArguments {
public:
    CallArguments(std::initializer_list<Arg> args, int codePage) {
        for (const Arg& arg : args) {
            given_.push_back(&arg);
        }
        while (!given_.empty() && given_.back()->kind_ == Arg::Kind::Missing) {
            given_.pop_back();
        }
        variants_.resize(given_.size());
        longs_.resize(given_.size());
        bools_.resize(given_.size());
        for (VARIANT& variant : variants_) {
            VariantInit(&variant);
        }
        for (std::size_t i = 0; i < given_.size(); ++i) {
            Fill(variants_[i], i, codePage);
        }
    }
    ~CallArguments() {
        for (VARIANT& variant : variants_) {
            VariantClear(&variant);
        }
    }
    CallArguments(const CallArguments&) = delete;
    CallArguments& operator=(const CallArguments&) = delete;

    VARIANT* Variants() { return variants_.data(); }
    UINT Count() const { return static_cast<UINT>(variants_.size()); }

    void WriteBack() const {
        for (std::size_t i = 0; i < given_.size(); ++i) {
            const Arg& arg = Given(i);
            if (arg.kind_ == Arg::Kind::LongRef) {
                *arg.longRef_ = longs_[i];
            } else if (arg.kind_ == Arg::Kind::BoolRef) {
                *arg.boolRef_ = bools_[i] != VARIANT_FALSE;
            }
        }
    }

private:
    const Arg& Given(std::size_t i) const { return *given_[given_.size() - 1 - i]; }

    void Fill(VARIANT& variant, std::size_t i, int codePage) {
        const Arg& arg = Given(i);
        switch (arg.kind_) {
            case Arg::Kind::Long:
                variant.vt = VT_I4;
                variant.lVal = arg.long_;
                break;
            case Arg::Kind::Bool:
                variant.vt = VT_BOOL;
                variant.boolVal = arg.bool_ ? VARIANT_TRUE : VARIANT_FALSE;
                break;
            case Arg::Kind::Text:
                variant.bstrVal = NewBstr(arg.text_, codePage);
                variant.vt = VT_BSTR;
                break;
            case Arg::Kind::Object:
                variant.vt = VT_DISPATCH;
                variant.pdispVal = arg.object_;
                if (arg.object_ != nullptr) {
                    arg.object_->AddRef();
                }
                break;
            case Arg::Kind::Missing:
                variant.vt = VT_ERROR;
                variant.scode = DISP_E_PARAMNOTFOUND;
                break;
            case Arg::Kind::LongRef:
                longs_[i] = *arg.longRef_;
                variant.vt = VT_I4 | VT_BYREF;
                variant.plVal = &longs_[i];
                break;
            case Arg::Kind::BoolRef:
                bools_[i] = *arg.boolRef_ ? VARIANT_TRUE : VARIANT_FALSE;
                variant.vt = VT_BOOL | VT_BYREF;
                variant.pboolVal = &bools_[i];
                break;
        }
    }

    std::vector<const Arg*> given_;
    std::vector<VARIANT> variants_;
    std::vector<LONG> longs_;
    std::vector<VARIANT_BOOL> bools_;
};

Value Object::Invoke(std::string_view name, WORD flags, std::initializer_list<Arg> args) const {
    const DISPID id = IdOf(name);
    CallArguments arguments(args, codePage_);
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{arguments.Variants(), nullptr, arguments.Count(), 0};
    if (flags == DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    }
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO info{};
    const HRESULT hr =
        object_.Get()->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                              flags == DISPATCH_PROPERTYPUT ? nullptr : &result, &info, nullptr);
    arguments.WriteBack();
    if (FAILED(hr)) {
        VariantClear(&result);
        if (hr != DISP_E_EXCEPTION) {
            FreeStrings(info);
        }
        throw ErrorOf(hr, hr == DISP_E_EXCEPTION ? &info : nullptr, name);
    }
    return Value(result, std::string(name), codePage_);
}

VbError ErrorOf(HRESULT result, EXCEPINFO* info, std::string_view member) {
    std::int32_t number = VbNumberOf(result);
    std::string description;
    std::string source(member);
    if (info != nullptr) {
        if (info->pfnDeferredFillIn != nullptr) {
            info->pfnDeferredFillIn(info);
        }
        if (info->wCode != 0) {
            number = info->wCode;
        } else if (info->scode != 0) {
            number = VbNumberOf(info->scode);
            result = info->scode;
        }
        if (info->bstrDescription != nullptr && SysStringLen(info->bstrDescription) > 0) {
            description = Utf8Of(info->bstrDescription);
        }
        if (info->bstrSource != nullptr && SysStringLen(info->bstrSource) > 0) {
            source = Utf8Of(info->bstrSource);
        }
        FreeStrings(*info);
    }
    if (description.empty()) {
        description = DescriptionOf(number, result);
    }
    return VbError(number, std::move(description), std::move(source));
}

HRESULT HResultOf(std::int32_t number) {
    if (number < 0 || number > 0xFFFF) {
        return static_cast<HRESULT>(number);
    }
    return static_cast<HRESULT>(0x800A0000u | static_cast<std::uint32_t>(number));
}

std::wstring Widen(std::string_view text, int codePage) {
    const std::string bytes = Convert(text, codePage, kUtf16LeCodePage);
    std::wstring wide(bytes.size() / 2, L'\0');
    for (std::size_t i = 0; i < wide.size(); ++i) {
        wide[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    }
    return wide;
}

std::string Narrow(std::wstring_view wide, int codePage) {
    std::string bytes(wide.size() * 2, '\0');
    for (std::size_t i = 0; i < wide.size(); ++i) {
        bytes[2 * i] = static_cast<char>(wide[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>((wide[i] >> 8) & 0xFF);
    }
    return Convert(bytes, kUtf16LeCodePage, codePage);
}

}  // namespace brindle::host::com
