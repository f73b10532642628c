#pragma once
// The creatable class Brindle: the COM object the IDE makes and connects, answering both add-in
// interfaces and, by name, IDispatch. Its notifications run the add-in of a DllSession.

#include <windows.h>

#include <atomic>
#include <memory>

#include "dll/ComInterfaces.h"
#include "dll/DllSession.h"

namespace brindle::dll {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class AddinObject final : public IDTExtensibility2,
                          public IDTExtensibilityVb6,
                          public ISupportErrorInfo {
public:
    AddinObject();
    ~AddinObject();
    AddinObject(const AddinObject&) = delete;
    AddinObject& operator=(const AddinObject&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch: the five notifications by name and DISPID, without a type library.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override;

    // ISupportErrorInfo: a failed notification leaves its reason for GetErrorInfo.
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

    // Both add-in interfaces
    HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* Application, LONG ConnectMode,
                                           IDispatch* AddInInst, SAFEARRAY** custom) override;
    HRESULT STDMETHODCALLTYPE OnDisconnection(LONG RemoveMode, SAFEARRAY** custom) override;
    HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) override;
    HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) override;
    HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) override;

private:
    HRESULT InvokeNotification(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result);

    std::atomic<ULONG> references_{1};

#pragma GCC diagnostic pop
    DllSession session_;
};

}  // namespace brindle::dll
