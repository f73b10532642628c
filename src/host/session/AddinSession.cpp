#include "host/session/AddinSession.h"

#include "codegen/Refresh.h"
#include "host/ide/MemoryCodeModule.h"
#include "host/ide/MemoryProject.h"

namespace brindle::host {

AddinSession::AddinSession(AddinWindows& windows, Diagnostics* sink, SessionOptions options)
    : options_(std::move(options)),
      sink_(sink),
      vbe_(options_.ide),
      hosted_(windows, sink, options_) {}

AddinSession::~AddinSession() {
    vbe_.Shutdown();
}

std::size_t AddinSession::Refresh(const ComponentList& components, Unplaced unplaced,
                                  const std::function<void(std::size_t index)>& starting) {
    Addin().Fields().todayText.reset();  // it may be another day since the last command
    std::size_t changed = 0;
    for (std::size_t i = 0; i < components.count; ++i) {
        VBComponent* component = components.at(i);
        if (component == nullptr) {
            break;
        }
        const auto* memory = dynamic_cast<const MemoryComponent*>(component);
        if (memory == nullptr || memory->Code() == nullptr) {
            continue;
        }
        if (starting) {
            starting(i);
        }
        if (options_.status) {
            options_.status("Refreshing Brindle code in " + component->Name());
        }
        const std::uint64_t version = memory->Code()->Version();
        IgnoreStep(sink_, [&] {
            RefreshModule(Addin().Fields(), component->CodeModule(), sink_, unplaced);
        });
        if (memory->Code()->Version() != version) {
            ++changed;
        }
    }
    return changed;
}

}  // namespace brindle::host
