#include "templates/OptionStore.h"

#include <array>
#include <charconv>
#include <optional>
#include <string_view>
#include <system_error>

#include "analysis/LineHelpers.h"
#include "model/SettingsKeys.h"
#include "model/VbError.h"
#include "util/DateFormat.h"
#include "util/Text.h"

namespace brindle {
namespace {

using settings::kAuthorKey;
using settings::kDateFormatKey;
using settings::kExcludedProcsKey;
using settings::kLastDirKey;
using settings::kMarkersKey;
using settings::kOptions;
using settings::kSkipExistingKey;
using settings::kSplashKey;
using settings::kState;

constexpr bool kMarkersDefault = true;
constexpr bool kSplashDefault = false;
constexpr bool kSkipExistingDefault = false;

std::string_view BooleanText(bool value) {
    return value ? "True" : "False";
}

// A number: optional sign, digits, decimal point, exponent; nothing else around but spaces.
std::optional<double> ParseNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    const std::string_view digits = text.substr(text.starts_with('-') ? 1 : 0);
    if (digits.empty() || !(IsDigit(digits.front()) || digits.front() == '.')) {
        return std::nullopt;  // no "inf" or "nan"
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

int RadixOf(char letter) {
    switch (letter) {
        case 'H':
        case 'h':
            return 16;
        case 'O':
        case 'o':
            return 8;
        default:
            return 0;
    }
}

// A whole number as the host language writes one in hexadecimal ("&HFF") or octal ("&O17").
std::optional<double> ParseRadixNumber(std::string_view text) {
    const int base = text.size() > 2 && text[0] == '&' ? RadixOf(text[1]) : 0;
    if (base == 0) {
        return std::nullopt;
    }
    const char* end = text.data() + text.size();
    unsigned long long value = 0;
    const auto [stop, error] = std::from_chars(text.data() + 2, end, value, base);
    if (error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return static_cast<double>(value);
}

// As the host language converts text to a Boolean: True or False in any case, or a number
// (0 is False). Nothing for any other text.
std::optional<bool> ParseBoolean(std::string_view text) {
    text = TrimSpaces(text);
    if (EqualsNoCase(text, "True")) {
        return true;
    }
    if (EqualsNoCase(text, "False")) {
        return false;
    }
    if (const std::optional<double> number = ParseNumber(text)) {
        return *number != 0;
    }
    if (const std::optional<double> number = ParseRadixNumber(text)) {
        return *number != 0;
    }
    return std::nullopt;
}

std::string ReadText(SettingsStore& store, std::string_view section, std::string_view key,
                     std::string_view fallback) {
    return store.GetSetting(kAppName, section, key, fallback);
}

// A text that is no Boolean gives the default, so one bad value cannot stop the rest loading.
bool ReadBoolean(SettingsStore& store, std::string_view key, bool fallback) {
    return ParseBoolean(ReadText(store, kOptions, key, BooleanText(fallback))).value_or(fallback);
}

// A stored text that reads as the value already stays as the user wrote it ("-1", "true"). A
// stored text that is no Boolean loads as the default: while the field holds the default it
// stays too, so the user's own text is not replaced by one never read from it.
void WriteBoolean(SettingsStore& store, std::string_view key, bool value, bool fallback) {
    const std::optional<bool> stored =
        ParseBoolean(ReadText(store, kOptions, key, BooleanText(fallback)));
    if (stored.value_or(fallback) != value) {
        store.SaveSetting(kAppName, kOptions, key, BooleanText(value));
    }
}

// Lines end at CR or CR LF; a lone LF stays inside its line. Each line gets one LF.
std::string TemplateText(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() + 1);
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r') {
            continue;
        }
        text.append(bytes.substr(start, i - start)).push_back('\n');
        if (i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < bytes.size()) {
        text.append(bytes.substr(start)).push_back('\n');
    }
    return text;
}

}  // namespace

void LoadOptions(SettingsStore& store, AddinFields& fields) {
    PassOn("Brindle.LoadOptions", [&] {
        for (const TemplateSlot& slot : kTemplateSlots) {
            fields.*slot.path = ReadText(store, kOptions, slot.key, slot.defaultFile);
        }
        fields.msAuthor = ReadText(store, kOptions, kAuthorKey, kDefaultAuthor);
        fields.mbAddCodeMarkers = ReadBoolean(store, kMarkersKey, kMarkersDefault);
        fields.msLastDir = ReadText(store, kState, kLastDirKey, kDefaultLastDir);
        fields.mbDisableSplash = ReadBoolean(store, kSplashKey, kSplashDefault);
        fields.mbSkipExisting = ReadBoolean(store, kSkipExistingKey, kSkipExistingDefault);
        fields.msExcludedProcs = ReadText(store, kOptions, kExcludedProcsKey, "");
        fields.msDateFormat = ReadText(store, kOptions, kDateFormatKey, kDefaultDateFormat);
    });
}

void SaveOptions(SettingsStore& store, const AddinFields& fields, const AddinFields* loaded) {
    const auto changed = [&](auto AddinFields::*option) {
        return loaded == nullptr || loaded->*option != fields.*option;
    };
    const auto text = [&](std::string_view section, std::string_view key,
                          std::string AddinFields::*option) {
        if (changed(option)) {
            store.SaveSetting(kAppName, section, key, fields.*option);
        }
    };
    const auto boolean = [&](std::string_view key, bool AddinFields::*option, bool fallback) {
        if (changed(option)) {
            WriteBoolean(store, key, fields.*option, fallback);
        }
    };
    PassOn("Brindle.SaveOptions", [&] {
        for (const TemplateSlot& slot : kTemplateSlots) {
            text(kOptions, slot.key, slot.path);
        }
        text(kOptions, kAuthorKey, &AddinFields::msAuthor);
        boolean(kMarkersKey, &AddinFields::mbAddCodeMarkers, kMarkersDefault);
        text(kState, kLastDirKey, &AddinFields::msLastDir);
        boolean(kSplashKey, &AddinFields::mbDisableSplash, kSplashDefault);
        boolean(kSkipExistingKey, &AddinFields::mbSkipExisting, kSkipExistingDefault);
        text(kOptions, kDateFormatKey, &AddinFields::msDateFormat);
    });
}

void LoadTemplates(TemplateFiles& files, const std::string& modHdrFname,
                   const std::string& procHdrFname, const std::string& errHdrFname,
                   const std::string& errFtrFname, AddinFields& fields) {
    // In the order of kTemplateSlots.
    const std::array<const std::string*, 4> paths = {&modHdrFname, &procHdrFname, &errHdrFname,
                                                     &errFtrFname};
    for (const TemplateSlot& slot : kTemplateSlots) {
        (fields.*slot.text).clear();
    }
    fields.templateRefusals.clear();
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string& path = *paths[i];
        try {
            if (const std::optional<std::string> bytes = files.Read(path)) {
                fields.*kTemplateSlots[i].text = TemplateText(*bytes);
            } else if (std::string why = files.WhyRefused(path); !why.empty()) {
                fields.templateRefusals[path] = {std::move(why), 0};
            }
        } catch (...) {
            // An unreadable file leaves its template empty; the next one is still read.
        }
    }
}

}  // namespace brindle
