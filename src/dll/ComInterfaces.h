#pragma once
// The add-in interfaces the IDEs call, declared here so that the build needs neither the IDEs'
// type libraries nor Office's.

#include <windows.h>

#include <oaidl.h>
#include <objbase.h>

namespace brindle::dll {

// A COM interface has no virtual destructor (that would change the vtable the IDE calls);
// an object deletes itself in Release.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
// The add-in designer library's interface: the VBA editor and the VB6 IDE call it. Dual; its
// DISPIDs are 1 to 5 in this order.
struct IDTExtensibility2 : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* Application, LONG ConnectMode,
                                                   IDispatch* AddInInst, SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnDisconnection(LONG RemoveMode, SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) = 0;
};

// The VB6 IDE's own older interface, of VB5's add-ins: the four notifications, the add-in entry
// typed as the IDE's AddIn (a dual interface, so an IDispatch here), in the order and with the
// DISPIDs 1 to 4 of the IDE's extensibility type library, the first four of IDTExtensibility2's.
struct IDTExtensibilityVb6 : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* VBInst, LONG ConnectMode,
                                                   IDispatch* AddInInst, SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnDisconnection(LONG RemoveMode, SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) = 0;
};

#pragma GCC diagnostic pop

}  // namespace brindle::dll
