// The DLL's exports (VBBrindle.def): what COM, regsvr32 and the IDEs call.

#include <windows.h>

#include <cwchar>
#include <new>

#include "dll/ClassFactory.h"
#include "dll/Names.h"
#include "dll/Registration.h"
#include "dll/Server.h"

using namespace brindle::dll;

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        SetModule(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (out == nullptr) {
        return E_POINTER;
    }
    *out = nullptr;
    if (!IsEqualCLSID(clsid, kClsid)) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    auto* factory = new (std::nothrow) ClassFactory();
    if (factory == nullptr) {
        return E_OUTOFMEMORY;
    }
    const HRESULT result = factory->QueryInterface(iid, out);
    factory->Release();
    return result;
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return CanUnload() ? S_OK : S_FALSE;
}

// Plain registration needs no administrator: it is the current user's.
HRESULT STDAPICALLTYPE DllRegisterServer() {
    return Install(ModuleFile(), Scope::user);
}

HRESULT STDAPICALLTYPE DllUnregisterServer() {
    return Uninstall(Scope::user);
}

// regsvr32 /n /i:user installs for the current user, /n /i:machine for all users (run as
// administrator); /u with either uninstalls. No other command line is known.
HRESULT STDAPICALLTYPE DllInstall(BOOL install, LPCWSTR commandLine) {
    Scope scope = Scope::user;
    if (commandLine != nullptr && _wcsicmp(commandLine, L"machine") == 0) {
        scope = Scope::machine;
    } else if (commandLine != nullptr && *commandLine != L'\0' &&
               _wcsicmp(commandLine, L"user") != 0) {
        return E_INVALIDARG;
    }
    return install ? Install(ModuleFile(), scope) : Uninstall(scope);
}

}  // extern "C"
