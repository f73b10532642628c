#include "dll/AddinObject.h"

#include <cwchar>
#include <exception>
#include <new>
#include <string>

#include "dll/Names.h"
#include "dll/Server.h"
#include "host/com/Dispatch.h"
#include "host/vb6/windows/Wide.h"
#include "model/VbError.h"

namespace brindle::dll {

namespace {

enum Notification : DISPID {
    kOnConnection = 1,
    kOnDisconnection = 2,
    kOnAddInsUpdate = 3,
    kOnStartupComplete = 4,
    kOnBeginShutdown = 5,
};

struct Named {
    const wchar_t* name;
    DISPID id;
};

constexpr Named kNotifications[] = {
    {L"OnConnection", kOnConnection},       {L"OnDisconnection", kOnDisconnection},
    {L"OnAddInsUpdate", kOnAddInsUpdate},   {L"OnStartupComplete", kOnStartupComplete},
    {L"OnBeginShutdown", kOnBeginShutdown},
};

// A failure told to the IDE as VB tells its run-time errors: 0x800A0000 | number, or the
// HRESULT that the number is.
HRESULT HResultOf(const VbError& failure) {
    return host::com::HResultOf(failure.Number());
}

// Leaves the failure's description and source where the IDE looks for them after a failed call
// (GetErrorInfo), so that its message names the add-in's own reason.
void TellErrorInfo(const VbError& failure) {
    ICreateErrorInfo* made = nullptr;
    if (FAILED(CreateErrorInfo(&made))) {
        return;
    }
    const std::wstring description = host::Widen(failure.Description());
    const std::wstring source = host::Widen(failure.Source());
    made->SetGUID(kIidExtensibility2);
    made->SetDescription(const_cast<LPOLESTR>(description.c_str()));
    made->SetSource(const_cast<LPOLESTR>(source.c_str()));
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(made->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
        SetErrorInfo(0, info);
        info->Release();
    }
    made->Release();
}

// A failed notification called by name: its error information as the caller's EXCEPINFO.
HRESULT AsException(HRESULT result, EXCEPINFO* exception) {
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(result) || exception == nullptr || GetErrorInfo(0, &info) != S_OK) {
        return result;
    }
    *exception = EXCEPINFO{};
    exception->scode = result;
    info->GetDescription(&exception->bstrDescription);
    info->GetSource(&exception->bstrSource);
    info->Release();
    return DISP_E_EXCEPTION;
}

// Runs `step` so that nothing escapes to the IDE but an HRESULT and its error information.
template <class Step>
HRESULT Guarded(Step&& step) {
    SetErrorInfo(0, nullptr);
    try {
        step();
        return S_OK;
    } catch (const VbError& failure) {
        TellErrorInfo(failure);
        return HResultOf(failure);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

// Argument `index` (from the first) of an IDispatch call as the type `type`; DISPPARAMS holds
// them last first.
HRESULT Argument(const DISPPARAMS& params, UINT index, VARTYPE type, VARIANT& out) {
    if (index >= params.cArgs) {
        return DISP_E_BADPARAMCOUNT;
    }
    VariantInit(&out);
    return VariantChangeType(&out, &params.rgvarg[params.cArgs - 1 - index], 0, type);
}

// An object argument that may be Nothing, empty or left out: all three are null.
HRESULT ObjectArgument(const DISPPARAMS& params, UINT index, VARIANT& out) {
    VariantInit(&out);
    if (index < params.cArgs) {
        const VARTYPE type = params.rgvarg[params.cArgs - 1 - index].vt;
        if (type == VT_EMPTY || type == VT_NULL || type == VT_ERROR) {
            out.vt = VT_DISPATCH;
            out.pdispVal = nullptr;
            return S_OK;
        }
    }
    return Argument(params, index, VT_DISPATCH, out);
}

HRESULT InvokeConnection(AddinObject& object, const DISPPARAMS& params) {
    VARIANT application;
    VARIANT mode;
    VARIANT addIn;
    HRESULT result = Argument(params, 0, VT_DISPATCH, application);
    if (SUCCEEDED(result)) {
        result = Argument(params, 1, VT_I4, mode);
        if (SUCCEEDED(result)) {
            result = ObjectArgument(params, 2, addIn);
        }
        if (SUCCEEDED(result)) {
            result = object.OnConnection(application.pdispVal, mode.lVal, addIn.pdispVal, nullptr);
            VariantClear(&addIn);
        }
        VariantClear(&application);
    }
    return result;
}

}  // namespace

AddinObject::AddinObject() {
    ObjectMade();
}

AddinObject::~AddinObject() {
    ObjectGone();
}

void* AddinObject::Answer(REFIID iid) {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, kIidExtensibility2)) {
        return static_cast<IDTExtensibility2*>(this);
    }
    if (IsEqualIID(iid, kIidExtensibilityVb6)) {
        return static_cast<IDTExtensibilityVb6*>(this);
    }
    return IsEqualIID(iid, IID_ISupportErrorInfo) ? static_cast<ISupportErrorInfo*>(this) : nullptr;
}

HRESULT AddinObject::GetIDsOfNames(REFIID /*iid*/, LPOLESTR* names, UINT count, LCID /*locale*/,
                                   DISPID* ids) {
    if (names == nullptr || ids == nullptr) {
        return E_POINTER;
    }
    HRESULT result = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        if (i > 0) {
            result = DISP_E_UNKNOWNNAME;  // the notifications have no named arguments
            continue;
        }
        for (const Named& known : kNotifications) {
            if (_wcsicmp(names[i], known.name) == 0) {
                ids[i] = known.id;
            }
        }
        if (ids[i] == DISPID_UNKNOWN) {
            result = DISP_E_UNKNOWNNAME;
        }
    }
    return result;
}

HRESULT AddinObject::Invoke(DISPID id, REFIID /*iid*/, LCID /*locale*/, WORD flags,
                            DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                            UINT* /*argumentError*/) {
    return AsException(InvokeNotification(id, flags, params, result), exception);
}

HRESULT AddinObject::InterfaceSupportsErrorInfo(REFIID iid) {
    return IsEqualIID(iid, kIidExtensibility2) || IsEqualIID(iid, kIidExtensibilityVb6) ? S_OK
                                                                                        : S_FALSE;
}

HRESULT AddinObject::InvokeNotification(DISPID id, WORD flags, DISPPARAMS* params,
                                        VARIANT* result) {
    if ((flags & DISPATCH_METHOD) == 0) {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (params == nullptr) {
        return E_POINTER;
    }
    if (result != nullptr) {
        VariantInit(result);
    }
    switch (id) {
        case kOnConnection:
            return InvokeConnection(*this, *params);
        case kOnDisconnection: {
            VARIANT mode;
            const HRESULT converted = Argument(*params, 0, VT_I4, mode);
            return FAILED(converted) ? converted : OnDisconnection(mode.lVal, nullptr);
        }
        case kOnAddInsUpdate:
            return OnAddInsUpdate(nullptr);
        case kOnStartupComplete:
            return OnStartupComplete(nullptr);
        case kOnBeginShutdown:
            return OnBeginShutdown(nullptr);
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT AddinObject::OnConnection(IDispatch* Application, LONG ConnectMode, IDispatch* AddInInst,
                                  SAFEARRAY** /*custom*/) {
    if (Application == nullptr) {
        return E_INVALIDARG;
    }
    return Guarded([&] { session_.Connect(Application, AddInInst, ConnectMode); });
}

HRESULT AddinObject::OnDisconnection(LONG RemoveMode, SAFEARRAY** /*custom*/) {
    return Guarded([&] { session_.Disconnect(RemoveMode); });
}

HRESULT AddinObject::OnAddInsUpdate(SAFEARRAY** /*custom*/) {
    return Guarded([&] { session_.AddInsUpdate(); });
}

HRESULT AddinObject::OnStartupComplete(SAFEARRAY** /*custom*/) {
    return Guarded([&] { session_.StartupComplete(); });
}

HRESULT AddinObject::OnBeginShutdown(SAFEARRAY** /*custom*/) {
    return S_OK;
}

}  // namespace brindle::dll
