#pragma once
// The add-in as the DLL runs it inside the real IDE: the session every host builds (settings in
// the registry key brindle.exe uses, the templates, the add-in), over the IDE that OnConnection
// hands over, with the add-in's windows.

#include <oaidl.h>

#include <memory>
#include <vector>

#include "host/session/HostedAddin.h"
#include "model/Vbide.h"
#include "ui/Headless.h"

namespace brindle::dll {

class DllSession {
public:
    DllSession();
    ~DllSession();
    DllSession(const DllSession&) = delete;
    DllSession& operator=(const DllSession&) = delete;

    // Raise VbError for what the add-in cannot take over from the IDE; the add-in's own
    // failures end inside it, as in every host.
    void Connect(IDispatch* application, LONG connectMode);
    void Disconnect(LONG removeMode);
    void StartupComplete();
    void AddInsUpdate();

private:
    host::HostedAddin& Addin();

    // Until the native windows are in the build, the headless ones stand in.
    ui::HeadlessWindows windows_;
    std::unique_ptr<Diagnostics> sink_;
    // Every IDE object model the add-in was connected to; the add-in's event sources may still
    // refer to an earlier one. The add-in goes first.
    std::vector<std::unique_ptr<VBE>> ides_;
    std::unique_ptr<host::HostedAddin> addin_;
};

}  // namespace brindle::dll
