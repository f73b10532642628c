#include "cli/StoredCodePage.h"

#include <charconv>
#include <string>

#include "cli/Inputs.h"
#include "host/files/SettingsFile.h"
#include "host/vb6/CodePage.h"
#include "templates/OptionStore.h"

namespace brindle::cli {
namespace {

constexpr std::string_view kSection = host::kDefaultCodePageSection;
constexpr std::string_view kKey = host::kDefaultCodePageKey;

}  // namespace

int StoredCodePage(SettingsStore& store) {
    const std::string text =
        store.GetSetting(kAppName, kSection, kKey, std::to_string(kDefaultCodePage));
    int codePage = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), codePage);
    if (error != std::errc() || end != text.data() + text.size() ||
        !host::IsModuleCodePage(codePage)) {
        throw InputError("the settings hold \"" + text +
                         "\" as the default code page, which is not one Brindle knows; change "
                         "it with brindle options --codepage N");
    }
    return codePage;
}

void StoreCodePage(SettingsStore& store, int codePage) {
    const std::string text = std::to_string(codePage);
    if (store.GetSetting(kAppName, kSection, kKey, std::to_string(kDefaultCodePage)) != text) {
        store.SaveSetting(kAppName, kSection, kKey, text);
    }
}

int CodePageOf(const Request& request) {
    if (request.codepage) {
        return *request.codepage;
    }
    host::SettingsFile settings;
    return StoredCodePage(settings);
}

}  // namespace brindle::cli
