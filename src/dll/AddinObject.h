#pragma once
// The creatable class Brindle: the COM object the IDE makes and connects, answering both add-in
// interfaces and, by name, IDispatch. Its notifications run the add-in of a DllSession.

#include <windows.h>

#include <memory>

#include "dll/ComInterfaces.h"
#include "dll/DllSession.h"
#include "host/com/ComObject.h"

namespace brindle::dll {

class AddinObject final
    : public host::com::DispatchObject<IDTExtensibility2, IDTExtensibilityVb6, ISupportErrorInfo> {
public:
    AddinObject();
    ~AddinObject() override;

    // IDispatch: the five notifications by name and DISPID, without a type library.
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
    void* Answer(REFIID iid) override;
    HRESULT InvokeNotification(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result);

    DllSession session_;
};

}  // namespace brindle::dll
