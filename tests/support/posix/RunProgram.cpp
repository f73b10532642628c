#include "support/RunProgram.h"

#include <sys/wait.h>

#include <cstdlib>

#include "support/TestPaths.h"

namespace brindle::test {

// The terminal is script(1)'s.
BrindleRun RunProgram(const std::filesystem::path& program, const std::filesystem::path& folder,
                      const std::filesystem::path& settings, const std::vector<std::string>& args,
                      const std::optional<std::string>& typed) {
    std::string command = ShellQuote(program.string());
    for (const auto& arg : args) {
        command += ' ';
        command += ShellQuote(arg);
    }
    const auto out = folder.parent_path() / (folder.filename().string() + ".out");
    const auto err = folder.parent_path() / (folder.filename().string() + ".err");
    std::string shell = "cd " + ShellQuote(folder.string()) + " && ";
    if (typed) {
        shell += "printf %s " + ShellQuote(*typed) + " | ";
    }
    // The C locale's short date, whatever this machine's locale is.
    shell += "LC_ALL=C BRINDLE_SETTINGS=" + ShellQuote(settings.string()) + " ";
    if (typed) {
        shell += "script -qec " + ShellQuote(command) + " /dev/null >" + ShellQuote(out.string()) +
                 " 2>&1";
    } else {
        shell +=
            command + " </dev/null >" + ShellQuote(out.string()) + " 2>" + ShellQuote(err.string());
    }
    const int wait = std::system(shell.c_str());
    BrindleRun run{WIFEXITED(wait) ? WEXITSTATUS(wait) : -1, ReadBytes(out),
                   typed ? "" : ReadBytes(err)};
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return run;
}

std::optional<std::string> NoTerminalToTypeOn() {
    if (std::system("command -v script >/dev/null 2>&1") != 0) {
        return "no script(1) to make a terminal with";
    }
    return std::nullopt;
}

}  // namespace brindle::test
