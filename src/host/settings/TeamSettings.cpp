#include "host/settings/TeamSettings.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <system_error>

#include <dtl/dtl.hpp>

#include "host/files/FileSystem.h"
#include "host/files/ProjectFile.h"
#include "host/files/ProjectLoader.h"
#include "host/files/TeamText.h"
#include "host/settings/IniFile.h"
#include "host/settings/SettingsFile.h"
#include "host/vb6/CodePage.h"
#include "model/SettingsKeys.h"
#include "util/DateFormat.h"
#include "util/Text.h"

namespace fs = std::filesystem;

namespace brindle::host {
namespace {

// What no stored text is: tells an absent key from any value.
constexpr std::string_view kAbsent =
    "\x01"
    "absent";

constexpr std::array<std::string_view, 4> kTemplateKeys = {
    settings::kModHdrKey, settings::kProcHdrKey, settings::kErrHdrKey, settings::kErrFtrKey};
constexpr std::array<std::string_view, 4> kOtherTeamKeys = {
    settings::kMarkersKey, settings::kSkipExistingKey, settings::kExcludedProcsKey,
    settings::kDateFormatKey};

bool IsOneOf(std::string_view key, const auto& keys) {
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

bool IsTeamKey(std::string_view appName, std::string_view section, std::string_view key) {
    return appName == settings::kApp && section == settings::kOptions &&
           (IsOneOf(key, kTemplateKeys) || IsOneOf(key, kOtherTeamKeys));
}

// A template path of the team's file: from the file's folder when a file is there, else as
// written (a "Templates\..." path may name an installed template).
std::string TeamTemplatePath(const fs::path& teamFile, const std::string& path) {
    std::string native = path;
    std::replace(native.begin(), native.end(), '\\', '/');
    const fs::path relative = PathOf(native);
    const fs::path candidate = teamFile.parent_path() / relative;
    std::error_code error;
    if (native.empty() || relative.is_absolute() || !fs::exists(candidate, error)) {
        return path;
    }
    return TextOf(fs::absolute(candidate, error).lexically_normal());
}

// What a key of the team's file is to Brindle.
enum class Use { Text, Boolean, DateFormat, CodePage, UsersOwn };

struct KnownKey {
    std::string_view section;
    std::string_view key;
    Use use;
};

constexpr std::array<KnownKey, 12> kKnownKeys = {{
    {settings::kOptions, settings::kModHdrKey, Use::Text},
    {settings::kOptions, settings::kProcHdrKey, Use::Text},
    {settings::kOptions, settings::kErrHdrKey, Use::Text},
    {settings::kOptions, settings::kErrFtrKey, Use::Text},
    {settings::kOptions, settings::kMarkersKey, Use::Boolean},
    {settings::kOptions, settings::kSkipExistingKey, Use::Boolean},
    {settings::kOptions, settings::kExcludedProcsKey, Use::Text},
    {settings::kOptions, settings::kDateFormatKey, Use::DateFormat},
    {settings::kOptions, settings::kAuthorKey, Use::UsersOwn},
    {settings::kOptions, settings::kSplashKey, Use::UsersOwn},
    {settings::kState, settings::kLastDirKey, Use::UsersOwn},
    {kDefaultCodePageSection, kDefaultCodePageKey, Use::CodePage},
}};

const KnownKey* Known(std::string_view section, std::string_view key) {
    for (const KnownKey& known : kKnownKeys) {
        if (EqualsIgnoringCase(known.section, section) && EqualsIgnoringCase(known.key, key)) {
            return &known;
        }
    }
    return nullptr;
}

bool IsKnownSection(std::string_view section) {
    return std::any_of(kKnownKeys.begin(), kKnownKeys.end(), [&](const KnownKey& known) {
        return EqualsIgnoringCase(known.section, section);
    });
}

// Written in any of the usual ways, in any letter case.
std::optional<bool> StrictBoolean(std::string_view text) {
    for (const std::string_view yes : {"True", "1", "yes", "on"}) {
        if (EqualsIgnoringCase(text, yes)) {
            return true;
        }
    }
    for (const std::string_view no : {"False", "0", "no", "off"}) {
        if (EqualsIgnoringCase(text, no)) {
            return false;
        }
    }
    return std::nullopt;
}

std::optional<int> CodePageIn(std::string_view text) {
    int codePage = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), codePage);
    if (error != std::errc() || end != text.data() + text.size() || !IsModuleCodePage(codePage)) {
        return std::nullopt;
    }
    return codePage;
}

// Inserts and deletions that turn one name into the other, letter case ignored.
std::size_t Distance(std::string_view a, std::string_view b) {
    dtl::Diff<char, std::string> diff(LowerAscii(a), LowerAscii(b));
    diff.onOnlyEditDistance();
    diff.compose();
    return static_cast<std::size_t>(diff.getEditDistance());
}

// The candidate nearest to `name`, when the two share most of their letters.
std::optional<std::string_view> Nearest(std::string_view name, const auto& candidates) {
    std::optional<std::string_view> best;
    std::size_t bestDistance = 0;
    for (const std::string_view candidate : candidates) {
        const std::size_t distance = Distance(name, candidate);
        if (distance * 3 <= name.size() + candidate.size() && (!best || distance < bestDistance)) {
            best = candidate;
            bestDistance = distance;
        }
    }
    return best;
}

std::vector<std::string_view> Sections() {
    std::vector<std::string_view> sections;
    for (const KnownKey& known : kKnownKeys) {
        if (std::find(sections.begin(), sections.end(), known.section) == sections.end()) {
            sections.push_back(known.section);
        }
    }
    return sections;
}

std::vector<std::string_view> KeysOf(std::string_view section) {
    std::vector<std::string_view> keys;
    for (const KnownKey& known : kKnownKeys) {
        if (EqualsIgnoringCase(known.section, section)) {
            keys.push_back(known.key);
        }
    }
    return keys;
}

std::string Quoted(std::string_view text) {
    return '"' + std::string(text) + '"';
}

// The section that holds `key` elsewhere, when one does.
std::optional<std::string_view> SectionOf(std::string_view key) {
    for (const KnownKey& known : kKnownKeys) {
        if (EqualsIgnoringCase(known.key, key)) {
            return known.section;
        }
    }
    return std::nullopt;
}

std::string UnknownKey(const IniFile::Item& item) {
    std::string text = "unknown key " + Quoted(item.key);
    text += item.section.empty() ? " before any section" : " in [" + item.section + "]";
    if (const auto section = SectionOf(item.key)) {
        return text + "; it belongs in [" + std::string(*section) + "]";
    }
    const auto keys = KeysOf(item.section.empty() ? settings::kOptions : item.section);
    if (const auto nearest = Nearest(item.key, keys)) {
        return text + "; did you mean " + Quoted(*nearest) + "?";
    }
    return text;
}

// Checks each line; raises for a value that cannot be taken, and tells of a line that is not
// ours or is ignored.
class Checker {
public:
    Checker(std::string label, TeamSettings& read) : label_(std::move(label)), read_(read) {}

    void Check(const IniFile::Item& item) {
        using Kind = IniFile::Item::Kind;
        if (item.kind == Kind::Section) {
            if (!IsKnownSection(item.section)) {
                const auto nearest = Nearest(item.section, Sections());
                Warn(item, "unknown section [" + item.section + "]" +
                               (nearest ? "; did you mean [" + std::string(*nearest) + "]?" : ""));
            }
            return;
        }
        if (item.kind == Kind::Other) {
            Warn(item, Quoted(item.key) + " is no section, key=value or comment; it is ignored");
            return;
        }
        if (!item.section.empty() && !IsKnownSection(item.section)) {
            return;  // told once, at the section
        }
        const KnownKey* known = Known(item.section, item.key);
        if (known == nullptr) {
            Warn(item, UnknownKey(item));
        } else if (known->use == Use::UsersOwn) {
            Warn(item, Quoted(known->key) + " in [" + std::string(known->section) +
                           "] stays each user's own setting and is ignored in a team's file");
        } else if (known->use == Use::Boolean && !StrictBoolean(item.value)) {
            Fail(item, Quoted(item.value) + " is no value for " + std::string(known->key) +
                           ": True or False (or 1/0, yes/no, on/off)");
        } else if (known->use == Use::DateFormat && !DateFormatProblem(item.value).empty()) {
            Fail(item, DateFormatProblem(item.value) + ", for " + std::string(known->key));
        } else if (known->use == Use::CodePage) {
            read_.codePage = CodePageIn(item.value);
            if (!read_.codePage) {
                Fail(item, Quoted(item.value) + " is no code page Brindle knows, for " +
                               std::string(known->key) + " in [" + std::string(known->section) +
                               "]");
            }
        }
    }

private:
    std::string At(const IniFile::Item& item) const {
        return label_ + ":" + std::to_string(item.line) + ": ";
    }
    void Warn(const IniFile::Item& item, const std::string& text) {
        read_.warnings.push_back(At(item) + text);
    }
    [[noreturn]] void Fail(const IniFile::Item& item, const std::string& text) const {
        throw TeamSettingsError(At(item) + text);
    }

    std::string label_;
    TeamSettings& read_;
};

// An INI file written by hand, read as it stands: a backslash is a backslash, sections and
// keys are found in any letter case, as Windows reads INI files. Never written.
class TeamFile final : public SettingsStore {
public:
    explicit TeamFile(IniFile ini) : ini_(std::move(ini)) {}

    std::string GetSetting(std::string_view /*appName*/, std::string_view section,
                           std::string_view key, std::string_view fallback) override {
        auto value = ini_.Value(section, key);
        if (!value) {
            return std::string(fallback);
        }
        const KnownKey* known = Known(section, key);
        if (known != nullptr && known->use == Use::Boolean) {
            return StrictBoolean(*value).value_or(false) ? "True" : "False";
        }
        return *value;
    }
    void SaveSetting(std::string_view, std::string_view, std::string_view,
                     std::string_view) override {}

private:
    IniFile ini_;
};

// The code page that a file in neither UTF-8 nor UTF-16 names of its own; its key and value
// are ASCII in any code page.
int OwnCodePage(std::string_view bytes, int codePage) {
    const IniFile raw{std::string(bytes), IniForm::Plain};
    const auto own = raw.Value(kDefaultCodePageSection, kDefaultCodePageKey);
    return own ? CodePageIn(*own).value_or(codePage) : codePage;
}

}  // namespace

std::optional<fs::path> FindTeamSettings(const fs::path& folder) {
    return NearestFile(folder, kTeamSettingsName);
}

TeamSettings ReadTeamSettings(const fs::path& file, int codePage) {
    const std::string label = Label(file, codePage);
    const std::string bytes = ReadTeamBytes<TeamSettingsError>(file, label);
    auto text = DecodeTeamText(bytes, OwnCodePage(bytes, codePage));
    if (!text) {
        throw TeamSettingsError(label +
                                ": is no text file; team settings are read in UTF-8, UTF-16 or "
                                "the code page");
    }
    IniFile ini(std::move(*text), IniForm::Plain);
    TeamSettings read;
    Checker checker(label, read);
    for (const auto& item : ini.Items()) {
        checker.Check(item);
    }
    read.store = std::make_unique<TeamFile>(std::move(ini));
    return read;
}

LayeredSettings::LayeredSettings(SettingsStore& user) : user_(user) {}

void LayeredSettings::SetTeam(std::unique_ptr<SettingsStore> team, fs::path file) {
    team_ = std::move(team);
    teamFile_ = team_ ? std::move(file) : fs::path();
}

void LayeredSettings::Override(std::string_view key, std::string value) {
    overrides_[std::string(key)] = std::move(value);
}

std::optional<std::string> LayeredSettings::Above(std::string_view appName,
                                                  std::string_view section, std::string_view key) {
    if (appName == settings::kApp && section == settings::kOptions) {
        if (const auto given = overrides_.find(key); given != overrides_.end()) {
            return given->second;
        }
    }
    if (!team_ || !IsTeamKey(appName, section, key)) {
        return std::nullopt;
    }
    auto value = team_->GetSetting(appName, section, key, kAbsent);
    if (value == kAbsent) {
        return std::nullopt;
    }
    return IsOneOf(key, kTemplateKeys) ? TeamTemplatePath(teamFile_, value) : value;
}

std::string LayeredSettings::GetSetting(std::string_view appName, std::string_view section,
                                        std::string_view key, std::string_view fallback) {
    if (auto value = Above(appName, section, key)) {
        return *value;
    }
    return user_.GetSetting(appName, section, key, fallback);
}

void LayeredSettings::SaveSetting(std::string_view appName, std::string_view section,
                                  std::string_view key, std::string_view value) {
    if (Above(appName, section, key) == value) {
        return;
    }
    user_.SaveSetting(appName, section, key, value);
}

SettingOrigin LayeredSettings::OriginOf(std::string_view section, std::string_view key) {
    if (section == settings::kOptions && overrides_.contains(key)) {
        return SettingOrigin::CommandLine;
    }
    return Above(settings::kApp, section, key) ? SettingOrigin::Team : SettingOrigin::User;
}

}  // namespace brindle::host
