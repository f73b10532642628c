#include "dll/DllSession.h"

#include <windows.h>

#include <string>

#include "dll/Server.h"
#include "dll/WrapVbe.h"
#include "host/vb6/windows/Wide.h"
#include "model/Extensibility.h"

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

}  // namespace

DllSession::DllSession() : sink_(std::make_unique<DebugOutputSink>()) {}

DllSession::~DllSession() = default;

host::HostedAddin& DllSession::Addin() {
    if (!addin_) {
        addin_ = std::make_unique<host::HostedAddin>(
            windows_, sink_.get(), host::AddinOptions{},
            host::TemplateFileReader::Beside(ModuleFile().parent_path()));
    }
    return *addin_;
}

void DllSession::Connect(IDispatch* application, LONG connectMode) {
    ides_.push_back(WrapVbe(application));
    CustomArgs custom;
    Addin().Addin().OnConnection(*ides_.back(), connectMode, nullptr, custom);
}

void DllSession::Disconnect(LONG removeMode) {
    if (addin_) {
        CustomArgs custom;
        addin_->Addin().OnDisconnection(removeMode, custom);
    }
}

void DllSession::StartupComplete() {
    if (addin_) {
        CustomArgs custom;
        addin_->Addin().OnStartupComplete(custom);
    }
}

void DllSession::AddInsUpdate() {
    if (addin_) {
        CustomArgs custom;
        addin_->Addin().OnAddInsUpdate(custom);
    }
}

}  // namespace brindle::dll
