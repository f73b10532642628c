#include "host/session/AddinSession.h"

#include <charconv>

#include "codegen/Refresh.h"
#include "host/ide/MemoryCodeModule.h"
#include "host/ide/MemoryProject.h"
#include "host/vb6/CodePage.h"
#include "model/SettingsKeys.h"

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

int StoredDefaultCodePage(SettingsStore& store) {
    const std::string text =
        store.GetSetting(settings::kApp, kDefaultCodePageSection, kDefaultCodePageKey,
                         std::to_string(SystemDefaultCodePage()));
    int codePage = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), codePage);
    if (error != std::errc() || end != text.data() + text.size() || !IsModuleCodePage(codePage)) {
        throw UnknownCodePage(text);
    }
    return codePage;
}

void StoreDefaultCodePage(SettingsStore& store, int codePage) {
    const std::string text = std::to_string(codePage);
    if (store.GetSetting(settings::kApp, kDefaultCodePageSection, kDefaultCodePageKey,
                         std::to_string(SystemDefaultCodePage())) != text) {
        store.SaveSetting(settings::kApp, kDefaultCodePageSection, kDefaultCodePageKey, text);
    }
}

}  // namespace brindle::host
