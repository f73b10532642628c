#pragma once
// The add-in as the DLL runs it inside the real IDE: the session every host builds (settings in
// the registry key brindle.exe uses, the templates, the add-in), over the IDE that OnConnection
// hands over, with the add-in's Win32 windows, owned by the IDE's main window.

#include <oaidl.h>

#include <memory>
#include <vector>

#include "dll/TeamFiles.h"
#include "host/com/ComVbe.h"
#include "host/session/HostedAddin.h"
#include "ui/win32/Win32Windows.h"

namespace brindle::dll {

class DllSession {
public:
    DllSession();
    ~DllSession();
    DllSession(const DllSession&) = delete;
    DllSession& operator=(const DllSession&) = delete;

    // Raise VbError for what the add-in cannot take over from the IDE; the add-in's own
    // failures end inside it, as in every host. `addIn` (the add-in list's entry) may be null.
    // Each runs in a ComVbe::Reach: what the add-in reached of the IDE is let go at its end.
    void Connect(IDispatch* application, IDispatch* addIn, LONG connectMode);
    void Disconnect(LONG removeMode);
    void StartupComplete();
    void AddInsUpdate();

private:
    class NoticeSink;

    host::HostedAddin& Addin();
    // What the add-in ignored or warned about during the call of the IDE now over, in a
    // message box owned by the IDE's main window.
    void ShowNotices() noexcept;
    // Runs `step` on the add-in inside a Reach of the IDE it was connected to last; nothing
    // before the first connection.
    template <class Step>
    void Notify(Step&& step);

    // The windows go last: the add-in may still close its status window as it goes, and the
    // last set of windows takes the window classes with it.
    std::unique_ptr<ui::win32::Win32Windows> windows_;
    std::unique_ptr<NoticeSink> sink_;
    // Every IDE object model the add-in was connected to; the add-in's event sources may still
    // refer to an earlier one. The add-in goes first.
    std::vector<std::unique_ptr<host::com::ComVbe>> ides_;
    std::unique_ptr<host::HostedAddin> addin_;
    std::unique_ptr<TeamFiles> team_;
    bool quiet_ = false;  // while the IDE shuts down
};

}  // namespace brindle::dll
