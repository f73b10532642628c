#include "dll/DllSession.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dll/OptionsHelp.h"
#include "dll/Server.h"
#include "dll/WrapVbe.h"
#include "host/files/FileSystem.h"
#include "host/vb6/windows/Wide.h"
#include "model/AddinName.h"
#include "model/Extensibility.h"
#include "model/VbError.h"
#include "ui/win32/HelpWindow.h"

namespace brindle::dll {
namespace {

// The IDE's main window, which owns the add-in's message boxes; none where the IDE does not
// say (VBE.MainWindow.HWnd) or names no window.
HWND MainWindowOf(IDispatch* application) {
    try {
        const host::com::Object vbe(host::com::DispatchPtr::Share(application),
                                    host::com::SystemCodePage());
        // A handle crosses as a Long; on 64-bit Windows it is the sign-extended 32 bits.
        const std::int32_t handle = vbe.Get("MainWindow").AsObject().Get("HWnd").Long();
        const auto window = reinterpret_cast<HWND>(static_cast<std::intptr_t>(handle));
        return IsWindow(window) ? window : nullptr;
    } catch (const VbError&) {
        return nullptr;
    }
}

// A failure as the user reads it: what happened, in a sentence. Its chain of operations is for
// developers, who see it in a debugger.
std::string Worded(std::string_view module, const VbError& failure) {
    std::string description = failure.Description();
    while (!description.empty() && (description.back() == '.' || description.back() == ' ')) {
        description.pop_back();
    }
    const std::int32_t number = failure.Number();
    char hresult[16] = {};
    std::snprintf(hresult, sizeof hresult, "0x%08X", static_cast<unsigned>(number));
    const std::string numbered =
        number >= 0 && number <= 0xFFFF ? std::to_string(number) : std::string(hresult);
    const std::string where =
        module.empty() ? std::string("A step of the command") : "A step on " + std::string(module);
    return where + " was left undone: " + description + " (error " + numbered + ").";
}

}  // namespace

// What the add-in ignored or warned about during one call of the IDE, kept to be shown to the
// user in one message box when the call is over; a debugger or DebugView sees each at once,
// failures with the operations they passed through.
class DllSession::NoticeSink final : public Diagnostics {
public:
    void Report(const VbError& failure) override { ReportIn({}, failure); }
    void ReportIn(std::string_view module, const VbError& failure) override {
        failed_ = true;
        Debug(failure.what());
        Note(Worded(module, failure));
    }
    void Warn(std::string_view module, std::string_view text) override {
        Note(module.empty() ? std::string(text) : std::string(module) + ": " + std::string(text));
    }

    // The notices since the last time, one a line and at most kShown of them; empty when
    // there were none.
    std::string Take(bool& failed) {
        std::string text;
        for (std::size_t i = 0; i < notes_.size() && i < kShown; ++i) {
            text += notes_[i] + "\n";
        }
        if (notes_.size() > kShown) {
            text += "... and " + std::to_string(notes_.size() - kShown) + " more.\n";
        }
        failed = std::exchange(failed_, false);
        notes_.clear();
        return text;
    }

private:
    static constexpr std::size_t kShown = 15;

    static void Debug(const std::string& text) {
        OutputDebugStringW(host::Widen("VBBrindle: " + text + "\n").c_str());
    }
    void Note(std::string text) {
        Debug(text);
        notes_.push_back(std::move(text));
    }

    std::vector<std::string> notes_;
    bool failed_ = false;
};

DllSession::DllSession()
    : windows_(std::make_unique<ui::win32::Win32Windows>()),
      sink_(std::make_unique<NoticeSink>()) {}

DllSession::~DllSession() {
    team_.reset();
    addin_.reset();
    ides_.clear();
    windows_.reset();
}

host::HostedAddin& DllSession::Addin() {
    if (!addin_) {
        host::AddinOptions options;
        options.teamWarning = [this](std::string_view text) { sink_->Warn({}, text); };
        addin_ = std::make_unique<host::HostedAddin>(
            *windows_, sink_.get(), options,
            host::TemplateFileReader::Beside(ModuleFile().parent_path()));
        team_ = std::make_unique<TeamFiles>(
            *addin_, [this](std::string_view text) { sink_->Warn({}, text); });
        addin_->Addin().LeaveOut(
            [this](VBComponent& component) { return team_->LeftOut(component); });
        windows_->HelpBy([](HWND over) {
            ui::win32::ShowHelpWindow(over, std::string(kAddinDescription) + " Help",
                                      OptionsHelp());
        });
        windows_->FixOptionsBy([this] {
            return ui::win32::FixedOptions{host::TextOf(addin_->Layers().TeamFile()),
                                           addin_->TeamKeys()};
        });
    }
    return *addin_;
}

template <class Step>
void DllSession::Notify(Step&& step) {
    if (addin_ && !ides_.empty()) {
        const host::com::ComVbe::Reach reach(*ides_.back());
        CustomArgs custom;
        step(addin_->Addin(), custom);
    }
}

void DllSession::Connect(IDispatch* application, IDispatch* addIn, LONG connectMode) {
    // Kept before the add-in sees it: a failed connection may leave event sources behind.
    ides_.push_back(WrapVbe(application));
    windows_->SetOwner(MainWindowOf(application));
    host::com::ComVbe& vbe = *ides_.back();
    vbe.WhenCallsEnd([this] { ShowNotices(); });
    Addin();
    vbe.WhenCallsBegin([this, &vbe] { team_->Follow(vbe); });
    const host::com::ComVbe::Reach reach(vbe);
    AddIn* entry =
        addIn == nullptr ? nullptr : &vbe.WrapAddIn(host::com::DispatchPtr::Share(addIn));
    CustomArgs custom;
    Addin().Addin().OnConnection(vbe, connectMode, entry, custom);
}

void DllSession::ShowNotices() noexcept {
    try {
        bool failed = false;
        const std::string text = sink_->Take(failed);
        if (!text.empty() && !quiet_) {
            windows_->MsgBox(text, failed ? vbCritical : vbExclamation, kAddinDescription);
        }
    } catch (...) {
        // Nothing is left to tell it to.
    }
}

void DllSession::Disconnect(LONG removeMode) {
    // The IDE is closing: no one is left to read a message box, and the debugger still hears.
    quiet_ = removeMode == ext_dm_HostShutdown;
    Notify([&](Brindle& addin, CustomArgs& custom) { addin.OnDisconnection(removeMode, custom); });
    // The add-in hides its buttons; the IDE would keep hidden ones, ten more at each load.
    for (const auto& ide : ides_) {
        ide->DeleteControls();
    }
    quiet_ = false;
}

void DllSession::StartupComplete() {
    Notify([](Brindle& addin, CustomArgs& custom) { addin.OnStartupComplete(custom); });
}

void DllSession::AddInsUpdate() {
    Notify([](Brindle& addin, CustomArgs& custom) { addin.OnAddInsUpdate(custom); });
}

}  // namespace brindle::dll
