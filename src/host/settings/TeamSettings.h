#pragma once
// What a team shares in a brindle.ini beside its project (or group) file, laid over each user's
// own settings, and what a command gives for one run laid over both.

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/Runtime.h"

namespace brindle::host {

inline constexpr std::string_view kTeamSettingsName = "brindle.ini";

// The brindle.ini in `folder`, or in the nearest folder above it; nothing when there is none.
std::optional<std::filesystem::path> FindTeamSettings(const std::filesystem::path& folder);

// A team's file that cannot be taken: unreadable, no text, or a value that is wrong. The message
// names the file, and the line where there is one.
class TeamSettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The team's file, read and checked.
struct TeamSettings {
    // Its INI text as it stands, as a settings store that writes nothing. The Booleans are
    // given as "True" or "False", whichever way the file writes them.
    std::unique_ptr<SettingsStore> store;
    // "file:line: text" of each line that is not ours (with the nearest known name) or that
    // holds what stays each user's own.
    std::vector<std::string> warnings;
    std::optional<int> codePage;  // [Command Line] Code Page
};

// Reads the file in its encoding (UTF-8, UTF-16, else `codePage` unless the file names a code
// page of its own). Raises TeamSettingsError for a file that cannot be read or is no text, a
// Boolean that is not True/False, 1/0, yes/no or on/off (any case), and a code page Brindle
// does not know.
TeamSettings ReadTeamSettings(const std::filesystem::path& file, int codePage);

enum class SettingOrigin { User, Team, CommandLine };

// The settings store a host gives the add-in. A key answers from the command line's values,
// else from the team's file, else from the user's own store. The team's file gives only the
// keys a team shares: the four template paths (a relative one is taken from the file's folder
// when a file is there), the markers, Skip Existing, the excluded procedures and the Date
// Format. Saving a value
// that a layer above the user's gives already writes nothing; any other value goes to the
// user's store.
class LayeredSettings final : public SettingsStore {
public:
    explicit LayeredSettings(SettingsStore& user);

    // `team` read from `file`; null takes the team's settings away.
    void SetTeam(std::unique_ptr<SettingsStore> team, std::filesystem::path file);
    const std::filesystem::path& TeamFile() const { return teamFile_; }
    // The value of the "Options" key for this run only.
    void Override(std::string_view key, std::string value);

    std::string GetSetting(std::string_view appName, std::string_view section, std::string_view key,
                           std::string_view fallback) override;
    void SaveSetting(std::string_view appName, std::string_view section, std::string_view key,
                     std::string_view value) override;

    SettingOrigin OriginOf(std::string_view section, std::string_view key);

private:
    std::optional<std::string> Above(std::string_view appName, std::string_view section,
                                     std::string_view key);

    SettingsStore& user_;
    std::unique_ptr<SettingsStore> team_;
    std::filesystem::path teamFile_;
    std::map<std::string, std::string, std::less<>> overrides_;
};

}  // namespace brindle::host
