#include "host/com/double/Dispatch.h"

#include <cstring>
#include <exception>

#include "host/vb6/CodePage.h"
#include "model/VbError.h"
#include "util/Unicode.h"

namespace brindle::test {

AutomationIde::AutomationIde(host::MemoryVBE& vbe, IdeKind kind)
    : state_(std::make_shared<State>(vbe, kind)), vbe_(automation::NewVbe(state_)) {}

AutomationIde::~AutomationIde() {
    if (addin_ != nullptr) {
        addin_->Release();
    }
    vbe_->Release();
}

IDispatch* AutomationIde::Vbe() {
    return vbe_;
}

IDispatch* AutomationIde::AddIn() {
    if (addin_ == nullptr) {
        addin_ = automation::NewAddIn(state_, 0);
    }
    return addin_;
}

AutomationIde::Settings& AutomationIde::Set() {
    return *state_;
}

void AutomationIde::FailAt(std::string_view member, int nth) {
    state_->failing = member;
    state_->failingAt = state_->calls.Of(member) + nth;
}

const CallCounts& AutomationIde::Calls() const {
    return state_->calls;
}

void AutomationIde::ResetCalls() {
    state_->calls = {};
}

void AutomationIde::State::Count(std::string_view member) {
    ++calls.byMember[std::string(member)];
    ++calls.total;
}

namespace automation {

namespace {

// The real IDE's text is in the system's code page; ours is UTF-8 or 1252 bytes.
constexpr int kSystemCodePage = 1252;

const VARIANT& Deref(const VARIANT& v) {
    return v.vt == (VT_BYREF | VT_VARIANT) ? *v.pvarVal : v;
}

BSTR NewBstr(std::u16string_view text) {
    return SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()),
                             static_cast<UINT>(text.size()));
}

// As VB raises it: FACILITY_CONTROL and the error number.
SCODE ScodeOf(std::int32_t number) {
    if (number < 0) {
        return number;
    }
    return static_cast<SCODE>(0x800A0000u | static_cast<std::uint32_t>(number & 0xFFFF));
}

void Fill(EXCEPINFO* exception, const VbError& error) {
    if (exception == nullptr) {
        return;
    }
    *exception = EXCEPINFO{};
    exception->scode = ScodeOf(error.Number());
    exception->bstrDescription = NewBstr(Wide(error.Description()));
    exception->bstrSource = NewBstr(Wide(error.Source()));
}

}  // namespace

std::u16string Wide(std::string_view text) {
    return Utf16FromUtf8(host::ShownAsUtf8(text, kSystemCodePage));
}

std::string Narrow(std::u16string_view text) {
    return Utf8FromUtf16(text);
}

bool SameName(const char* ours, const OLECHAR* theirs) {
    return _wcsicmp(std::wstring(ours, ours + std::strlen(ours)).c_str(), theirs) == 0;
}

// ---- Call ----

VARIANT& Call::Raw(std::size_t i) const {
    if (i >= params_.cArgs) {
        throw ArgumentError{i, DISP_E_PARAMNOTFOUND};
    }
    return params_.rgvarg[params_.cArgs - 1 - i];
}

bool Call::Has(std::size_t i) const {
    if (i >= params_.cArgs) {
        return false;
    }
    const VARIANT& v = Deref(Raw(i));
    return !(v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND);
}

VARIANT Call::Converted(std::size_t i, VARTYPE type) const {
    if (!Has(i)) {
        throw ArgumentError{i, DISP_E_PARAMNOTFOUND};
    }
    VARIANT value;
    VariantInit(&value);
    HRESULT hr = VariantCopyInd(&value, &Raw(i));
    VARIANT converted;
    VariantInit(&converted);
    if (hr == S_OK) {
        hr = VariantChangeType(&converted, &value, 0, type);
    }
    VariantClear(&value);
    if (hr != S_OK) {
        throw ArgumentError{i, hr == DISP_E_OVERFLOW ? hr : DISP_E_TYPEMISMATCH};
    }
    return converted;
}

std::int32_t Call::Long(std::size_t i) const {
    return Converted(i, VT_I4).lVal;
}

std::optional<std::int32_t> Call::OptionalLong(std::size_t i) const {
    return Has(i) ? std::optional(Long(i)) : std::nullopt;
}

bool Call::Bool(std::size_t i, bool fallback) const {
    return Has(i) ? Converted(i, VT_BOOL).boolVal != VARIANT_FALSE : fallback;
}

std::u16string Call::Text(std::size_t i) const {
    VARIANT text = Converted(i, VT_BSTR);
    std::u16string result(reinterpret_cast<const char16_t*>(text.bstrVal),
                          SysStringLen(text.bstrVal));
    VariantClear(&text);
    return result;
}

bool Call::IsText(std::size_t i) const {
    const VARIANT& v = Deref(Raw(i));
    return v.vt == VT_BSTR || v.vt == (VT_BYREF | VT_BSTR);
}

IUnknown* Call::Unknown(std::size_t i) const {
    const VARIANT& v = Deref(Raw(i));
    switch (v.vt) {
        case VT_DISPATCH:
            return v.pdispVal;
        case VT_UNKNOWN:
            return v.punkVal;
        case VT_BYREF | VT_DISPATCH:
            return *v.ppdispVal;
        case VT_BYREF | VT_UNKNOWN:
            return *v.ppunkVal;
        default:
            throw ArgumentError{i, DISP_E_TYPEMISMATCH};
    }
}

std::int32_t Call::ByRefLong(std::size_t i) const {
    if (Raw(i).vt != (VT_BYREF | VT_I4)) {
        throw ArgumentError{i, DISP_E_TYPEMISMATCH};
    }
    return Long(i);
}

void Call::WriteLong(std::size_t i, std::int32_t value) {
    ByRefLong(i);
    *Raw(i).plVal = value;
}

void Call::Return(std::int32_t value) {
    result_->vt = VT_I4;
    result_->lVal = value;
}

void Call::Return(bool value) {
    result_->vt = VT_BOOL;
    result_->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void Call::Return(std::u16string_view text) {
    result_->vt = VT_BSTR;
    result_->bstrVal = NewBstr(text);
}

void Call::Return(IDispatch* object) {
    result_->vt = VT_DISPATCH;
    result_->pdispVal = object;
}

void Call::Return(IUnknown* object) {
    result_->vt = VT_UNKNOWN;
    result_->punkVal = object;
}

// ---- Object ----

Object::~Object() {
    if (key_) {
        state_->objects.erase(*key_);
    }
}

void Object::Remember(const State::Key& key) {
    key_ = key;
    state_->objects.emplace(key, this);
}

const Row* Object::Lookup(const OLECHAR* name, DISPID id, WORD kinds) const {
    for (const Row& member : members_) {
        if (member.only && *member.only != state_->kind) {
            continue;
        }
        if (name != nullptr ? SameName(member.name, name)
                            : member.id == id && (member.kinds & kinds) != 0) {
            return &member;
        }
    }
    return nullptr;
}

void* Object::Answer(REFIID iid) {
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kIidDoubleObject) {
        return static_cast<Object*>(this);
    }
    return nullptr;
}

HRESULT Object::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (names == nullptr || ids == nullptr || count == 0) {
        return E_INVALIDARG;
    }
    Ide().Count("GetIDsOfNames");
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
    }
    const Row* found = Lookup(names[0], 0, 0);
    if (found == nullptr) {
        return DISP_E_UNKNOWNNAME;
    }
    ids[0] = found->id;
    // Named arguments are not answered: the callers pass theirs in order.
    return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT Object::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                       EXCEPINFO* exception, UINT* argError) {
    if (iid != IID_NULL) {
        return DISP_E_UNKNOWNINTERFACE;
    }
    const Row* row = Lookup(nullptr, id, flags);
    if (row == nullptr) {
        return DISP_E_MEMBERNOTFOUND;
    }
    DISPPARAMS none{};
    const DISPPARAMS& given = params != nullptr ? *params : none;
    if ((given.cArgs != 0 && given.rgvarg == nullptr) ||
        (given.cNamedArgs != 0 && given.rgdispidNamedArgs == nullptr)) {
        return E_INVALIDARG;
    }
    const bool namedValue = (flags & kPut) != 0 && given.cNamedArgs == 1 &&
                            given.rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
    if (given.cNamedArgs != 0 && !namedValue) {
        return DISP_E_NONAMEDARGS;
    }
    // As the system's own dispatch: the value of a put is named, or it is missing.
    if ((row->kinds & kPut) != 0 && !namedValue) {
        return DISP_E_PARAMNOTFOUND;
    }
    if (given.cArgs < row->minArgs || given.cArgs > row->maxArgs) {
        return DISP_E_BADPARAMCOUNT;
    }
    Ide().Count(row->name);
    if (result != nullptr) {
        VariantInit(result);
    }
    Call call(given, result);
    try {
        if (row->name == Ide().failing && Ide().calls.Of(row->name) == Ide().failingAt) {
            throw VbError(440, "Automation error", "VBIDE");
        }
        row->run(call);
        return S_OK;
    } catch (const ArgumentError& error) {
        if (result != nullptr) {
            VariantClear(result);
        }
        if (argError != nullptr && error.index < given.cArgs) {
            *argError = given.cArgs - 1 - static_cast<UINT>(error.index);
        }
        return error.result;
    } catch (...) {
        if (result != nullptr) {
            VariantClear(result);
        }
        try {
            RethrowAsVbError();
        } catch (const VbError& error) {
            if (Ide().unpublished.failuresWithoutExceptionInfo) {
                return ScodeOf(error.Number());
            }
            Fill(exception, error);
        }
        return DISP_E_EXCEPTION;
    }
}

}  // namespace automation
}  // namespace brindle::test
