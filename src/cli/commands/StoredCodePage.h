#pragma once
// The command line's own setting, kept in the add-in's settings file beside its eight options:
// the code page that commands take when they are given no --codepage.

#include <optional>

#include "cli/args/CommandLine.h"
#include "cli/report/RunLog.h"
#include "model/Runtime.h"

namespace brindle::cli {

inline constexpr int kDefaultCodePage = 1252;

// The stored code page, or the system's (host::SystemDefaultCodePage) when none is stored. Raises
// InputError for a stored text that is no code page Brindle knows.
int StoredCodePage(SettingsStore& store);

// The user's own: the stored code page of the user's settings file, or the system's.
int UserCodePage();

// The code page that the team's brindle.ini for the files the request names (for none, the
// current folder's) gives in [Command Line]. Raises InputError for a team file that cannot be
// taken.
std::optional<int> TeamCodePage(const Request& request);

// The code page a command works in: its --codepage, else the team's, else the stored one, else
// the system's.
int CodePageOf(const Request& request);

// Where no --codepage and no team's code page chose `codePage` for the project or group file
// that the request names first, and its names read as a double-byte code page instead, says
// which and how to set it: a project read in the wrong code page misses its files under names
// beyond ASCII and shows its procedures' names garbled.
void HintCodePage(const Request& request, int codePage, RunLog& log);

}  // namespace brindle::cli
