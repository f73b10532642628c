#pragma once
// Running a program of ours as a user's shell would; one implementation per platform.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace brindle::test {

struct BrindleRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Text as one word of a POSIX shell.
inline std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Runs `program` with `args` in `folder`, BRINDLE_SETTINGS naming `settings`. Without `typed`
// standard input is empty; with it the program gets a terminal on which `typed` is typed, and
// `out` is what the terminal shows (see CanTypeOnATerminal).
BrindleRun RunProgram(const std::filesystem::path& program, const std::filesystem::path& folder,
                      const std::filesystem::path& settings, const std::vector<std::string>& args,
                      const std::optional<std::string>& typed = std::nullopt);

// Why a terminal to type on cannot be had here; nothing when it can.
std::optional<std::string> NoTerminalToTypeOn();

}  // namespace brindle::test
