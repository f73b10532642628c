#include "dll/DllSession.h"

#include <windows.h>

#include <string>

#include "dll/Server.h"
#include "dll/WrapVbe.h"
#include "host/files/FileSystem.h"
#include "host/vb6/windows/Wide.h"
#include "model/Extensibility.h"
#include "util/Text.h"

namespace brindle::dll {
namespace {

// The add-in keeps its failures to itself, as in the IDE it must; a debugger or DebugView
// still sees them.
class DebugOutputSink final : public Diagnostics {
public:
    void Report(const VbError& failure) override { Tell(failure.what()); }
    void Warn(std::string_view module, std::string_view text) override {
        Tell(std::string(module) + ": " + std::string(text));
    }

private:
    static void Tell(const std::string& text) {
        OutputDebugStringW(host::Widen("VBBrindle: " + text + "\n").c_str());
    }
};

// Whether the headless windows confirm: BRINDLE_HEADLESS_ANSWER=yes answers every question
// Yes and closes the options dialog with OK as it stands. Read at each question, so that a
// test host can change it between clicks; it goes with the headless windows.
bool AnswerYes() {
    const auto answer = host::EnvironmentValue("BRINDLE_HEADLESS_ANSWER");
    return answer && EqualsNoCase(*answer, "yes");
}

ui::HeadlessSetup StandInSetup() {
    ui::HeadlessSetup setup;
    setup.answer = [](std::string_view, std::int32_t, std::string_view) {
        return AnswerYes() ? vbYes : vbNo;
    };
    setup.fillOptions = [](frmOptions&) {
        return AnswerYes() ? DialogButton::OK : DialogButton::Cancel;
    };
    return setup;
}

}  // namespace

DllSession::DllSession() : windows_(StandInSetup()), sink_(std::make_unique<DebugOutputSink>()) {}

DllSession::~DllSession() = default;

host::HostedAddin& DllSession::Addin() {
    if (!addin_) {
        addin_ = std::make_unique<host::HostedAddin>(
            windows_, sink_.get(), host::AddinOptions{},
            host::TemplateFileReader::Beside(ModuleFile().parent_path()));
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
    host::com::ComVbe& vbe = *ides_.back();
    const host::com::ComVbe::Reach reach(vbe);
    AddIn* entry =
        addIn == nullptr ? nullptr : &vbe.WrapAddIn(host::com::DispatchPtr::Share(addIn));
    CustomArgs custom;
    Addin().Addin().OnConnection(vbe, connectMode, entry, custom);
}

void DllSession::Disconnect(LONG removeMode) {
    Notify([&](Brindle& addin, CustomArgs& custom) { addin.OnDisconnection(removeMode, custom); });
}

void DllSession::StartupComplete() {
    Notify([](Brindle& addin, CustomArgs& custom) { addin.OnStartupComplete(custom); });
}

void DllSession::AddInsUpdate() {
    Notify([](Brindle& addin, CustomArgs& custom) { addin.OnAddInsUpdate(custom); });
}

}  // namespace brindle::dll
