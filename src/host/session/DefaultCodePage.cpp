#include "host/session/DefaultCodePage.h"

#include <charconv>

#include "host/settings/SettingsFile.h"
#include "host/vb6/CodePage.h"
#include "model/SettingsKeys.h"

namespace brindle::host {

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
