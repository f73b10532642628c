#pragma once
// Running the built brindle executable in a folder, as a user's shell would, and looking at
// the files it leaves.

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>
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

// Runs brindle in `folder` without a terminal (standard input is empty), with its settings in
// `settings`, so that the user's own settings are never touched.
inline BrindleRun RunBrindle(const std::filesystem::path& folder,
                             const std::filesystem::path& settings,
                             const std::vector<std::string>& args) {
    const auto out = folder.parent_path() / (folder.filename().string() + ".out");
    const auto err = folder.parent_path() / (folder.filename().string() + ".err");
    std::string command = "cd " + ShellQuote(folder.string()) +
                          " && BRINDLE_SETTINGS=" + ShellQuote(settings.string()) + " " +
                          ShellQuote(BRINDLE_EXE);
    for (const auto& arg : args) {
        command += " " + ShellQuote(arg);
    }
    command += " <" + ShellQuote("/dev/null") + " >" + ShellQuote(out.string()) + " 2>" +
               ShellQuote(err.string());
    const int wait = std::system(command.c_str());
    BrindleRun run;
    run.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
    run.out = ReadBytes(out);
    run.err = ReadBytes(err);
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return run;
}

// Runs brindle as RunBrindle does, but on a terminal of its own (through script(1)) to which
// `typed` is typed; what the terminal shows comes back as `out`.
inline BrindleRun RunBrindleOnTerminal(const std::filesystem::path& folder,
                                       const std::filesystem::path& settings,
                                       const std::vector<std::string>& args,
                                       const std::string& typed) {
    std::string inner = ShellQuote(BRINDLE_EXE);
    for (const auto& arg : args) {
        inner += " " + ShellQuote(arg);
    }
    const auto shown = folder.parent_path() / (folder.filename().string() + ".tty");
    const std::string command =
        "cd " + ShellQuote(folder.string()) + " && printf %s " + ShellQuote(typed) +
        " | BRINDLE_SETTINGS=" + ShellQuote(settings.string()) + " script -qec " +
        ShellQuote(inner) + " /dev/null >" + ShellQuote(shown.string()) + " 2>&1";
    const int wait = std::system(command.c_str());
    BrindleRun run;
    run.status = WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
    run.out = ReadBytes(shown);
    std::filesystem::remove(shown);
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

// The lines of a file, without their CR LF.
inline std::vector<std::string> SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            lines.push_back(line);
            line.clear();
        } else {
            line += bytes[i];
        }
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    return lines;
}

inline int CountLines(const std::string& bytes, const std::string& wanted) {
    int count = 0;
    for (const auto& line : SplitLines(bytes)) {
        count += line == wanted ? 1 : 0;
    }
    return count;
}

inline const char* const kBeginMarker = "' [Brindle Begin]";
inline const char* const kEndMarker = "' [Brindle End]";

}  // namespace brindle::test
