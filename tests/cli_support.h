#pragma once
// Running the built brindle executable in a folder, as a user's shell would, and looking at
// the files it leaves.

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/TestPaths.h"

namespace brindle::test {

struct BrindleRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// Runs brindle in `folder` with its settings in `settings`, so that the user's own settings are
// never touched. Without `typed` it has no terminal (standard input is empty). With it, brindle
// gets a terminal of its own (through script(1)) on which `typed` is typed, and `out` is what
// the terminal shows.
inline BrindleRun RunBrindle(const std::filesystem::path& folder,
                             const std::filesystem::path& settings,
                             const std::vector<std::string>& args,
                             const std::optional<std::string>& typed = std::nullopt) {
    std::string brindle = ShellQuote(BRINDLE_EXE);
// GCC 12 at -O3 sees a false overlap (-Wrestrict) inside std::string when a literal is put
// before a temporary string.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
    for (const auto& arg : args) {
        brindle += " " + ShellQuote(arg);
    }
#pragma GCC diagnostic pop
    const auto out = folder.parent_path() / (folder.filename().string() + ".out");
    const auto err = folder.parent_path() / (folder.filename().string() + ".err");
    const std::string command = "cd " + ShellQuote(folder.string()) + " && " +
                                (typed ? "printf %s " + ShellQuote(*typed) + " | " : "") +
                                "BRINDLE_SETTINGS=" + ShellQuote(settings.string()) + " " +
                                (typed ? "script -qec " + ShellQuote(brindle) + " /dev/null >" +
                                             ShellQuote(out.string()) + " 2>&1"
                                       : brindle + " </dev/null >" + ShellQuote(out.string()) +
                                             " 2>" + ShellQuote(err.string()));
    const int wait = std::system(command.c_str());
    BrindleRun run{WIFEXITED(wait) ? WEXITSTATUS(wait) : -1, ReadBytes(out),
                   typed ? "" : ReadBytes(err)};
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return run;
}

// Every regular file below `folder`, by its path relative to it, with its bytes.
inline std::map<std::string, std::string> Snapshot(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[entry.path().lexically_relative(folder).string()] = ReadBytes(entry.path());
        }
    }
    return files;
}

// A writable copy of a folder of the source tree or the corpus.
inline void CopyFolder(const std::filesystem::path& from, const std::filesystem::path& to) {
    namespace fs = std::filesystem;
    fs::create_directories(to.parent_path());
    fs::copy(from, to, fs::copy_options::recursive);
    for (const auto& entry : fs::recursive_directory_iterator(to)) {
        fs::permissions(entry.path(), fs::perms::owner_read | fs::perms::owner_write,
                        fs::perm_options::add);
    }
}

// How many lines of `bytes`, without their line breaks, are `wanted`.
inline int CountLines(const std::string& bytes, const std::string& wanted) {
    int count = 0;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) {
        count += line == wanted || line == wanted + "\r" ? 1 : 0;
    }
    return count;
}

inline const std::string kBeginMarker = "' [Brindle Begin]";

inline std::string WithoutMarkerLines(const std::string& bytes) {
    return std::regex_replace(bytes, std::regex("' \\[Brindle (Begin|End)\\]\r?\n"), "");
}

}  // namespace brindle::test
