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

// Registration needs no administrator: it is always the current user's, as the VBA editor reads
// its add-ins from the user's keys alone.
HRESULT STDAPICALLTYPE DllRegisterServer() {
    return InstallForUser(ModuleFile());
}

HRESULT STDAPICALLTYPE DllUnregisterServer() {
    return UninstallForUser();
}

// regsvr32 /n /i:user installs, regsvr32 /u /n /i:user uninstalls; no other command line is
// known.
HRESULT STDAPICALLTYPE DllInstall(BOOL install, LPCWSTR commandLine) {
    if (commandLine != nullptr && *commandLine != L'\0' && _wcsicmp(commandLine, L"user") != 0) {
        return E_INVALIDARG;
    }
    return install ? InstallForUser(ModuleFile()) : UninstallForUser();
}

}  // extern "C"
