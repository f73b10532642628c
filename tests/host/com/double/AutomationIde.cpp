#include "host/com/double/AutomationIde.h"

#include "host/com/double/Dispatch.h"
#include "host/vb6/CodePage.h"

namespace brindle::test {

AutomationIde::AutomationIde(host::MemoryVBE& vbe, IdeKind kind, std::vector<AddinEntry> addins)
    : state_(std::make_shared<State>(vbe, kind, std::move(addins))),
      vbe_(automation::NewVbe(state_)) {}

AutomationIde::~AutomationIde() {
    for (const auto& [progId, object] : addinObjects_) {
        object->Release();
    }
    vbe_->Release();
}

IDispatch* AutomationIde::Vbe() {
    return vbe_;
}

IDispatch* AutomationIde::AddIn(std::string_view progId) {
    if (const auto it = addinObjects_.find(progId); it != addinObjects_.end()) {
        return it->second;
    }
    for (std::size_t i = 0; i < state_->addins.size(); ++i) {
        if (host::EqualsIgnoringCase(state_->addins[i].progId, progId)) {
            IDispatch* object = automation::NewAddIn(state_, i);
            addinObjects_.emplace(std::string(progId), object);
            return object;
        }
    }
    return nullptr;
}

AutomationIde::Settings& AutomationIde::Set() {
    return *state_;
}

void AutomationIde::FailAt(std::string_view member, int nth) {
    state_->failing = member;
    state_->failingAt = state_->calls.Of(member) + nth;
}

const CallCounts& AutomationIde::Calls() const {
    return state_->calls;
}

void AutomationIde::ResetCalls() {
    state_->calls = {};
}

}  // namespace brindle::test
