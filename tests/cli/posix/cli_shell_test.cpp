// brindle as a shell sees it: help as wide as the terminal, the manual page and completion
// scripts that `cmake --install` puts beside it, tried in the shells they are for, Ctrl-C in
// the middle of a project command, and a folder nobody may write in.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/cli_support.h"
#include "support/TestPaths.h"

namespace fs = std::filesystem;

namespace brindle::test {
namespace {

// What `command` prints on standard output, run by sh in `folder`.
std::string Shell(const fs::path& folder, const std::string& command) {
    return RunProgram("/bin/sh", folder, folder.parent_path() / "s.ini", {"-c", command}).out;
}

bool Has(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

std::size_t Widest(const std::string& text) {
    std::size_t widest = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        widest = std::max(widest, line.size());
    }
    return widest;
}

TEST(Help, IsAsWideAsColumnsSaysAndEightyColumnsWithoutATerminal) {
    TempDir temp;
    const auto brindle = ShellQuote(BRINDLE_EXE);
    const auto plain = Shell(temp.path(), "env -u COLUMNS " + brindle + " --help");
    EXPECT_TRUE(test::Has(plain, "Usage: brindle [OPTIONS] COMMAND"));
    EXPECT_EQ(Widest(plain), 80u) << plain;
    EXPECT_EQ(Widest(Shell(temp.path(), "COLUMNS=60 " + brindle + " --help")), 60u);
}

// The install of this build into a prefix of its own, with a folder of VB6 files to complete.
class Installed : public ::testing::Test {
protected:
    void SetUp() override {
        const auto install = ShellQuote(BRINDLE_CMAKE) + " --install " +
                             ShellQuote(BRINDLE_BUILD_DIR) + " --prefix " +
                             ShellQuote(prefix().string()) + " >/dev/null";
        ASSERT_EQ(std::system(install.c_str()), 0);
        fs::create_directories(work() / "Forms");
        for (const char* file : {"modMain.bas", "OLD.BAS", "Inventory.vbp", "notes.txt"}) {
            WriteBytes(work() / file, "");
        }
    }
    fs::path prefix() const { return temp.path() / "prefix"; }
    fs::path work() const { return temp.path() / "work"; }
    std::string Script(const std::string& path) const {
        return ShellQuote((prefix() / "share" / path).string());
    }

    TempDir temp;
};

// The page help2man makes of --help-all and the sections brindle gives it (their contents
// are the help topics' own test): each command, and each flag's description beside it.
TEST_F(Installed, ManualPageTellsEveryCommand) {
#ifndef BRINDLE_MAN_PAGE
    GTEST_SKIP() << "built without help2man";
#endif
    const auto page = ReadBytes(prefix() / "share/man/man1/brindle.1");
    for (const char* part : {".SS \"brindle refresh:\"", ".SH \"TEMPLATE KEYWORDS\"",
                             "the lines LINE[:COL][\\-LINE[:COL]] to work on"}) {
        EXPECT_TRUE(test::Has(page, part));
    }
    EXPECT_FALSE(test::Has(page, "Excludes:"));
}

// What the shell offers for the words typed so far: commands, a flag's values, and files by
// their extension (directories too, to go into), letter case ignored.
const std::pair<std::string, std::string> kCompletions[] = {
    {"brindle add-h", "add-headers"},
    {"brindle options --markers ", "off on"},
    {"brindle add-headers ", "Forms/ OLD.BAS modMain.bas"},
    {"brindle add-all ", "Forms/ Inventory.vbp OLD.BAS modMain.bas"},
    {"brindle check --require ", "handler header module-header"},
    {"brindle check --require header,h", "header,handler header,header"},
    {"brindle check --format ", "github json sarif text"},
    {"brindle check --baseline n", "notes.txt"},
    {"brindle add-all --files-from n", "notes.txt"},
};

// bash is always there; fish and zsh are tried where they are installed.
TEST_F(Installed, EveryShellCompletesCommandsFlagValuesAndFiles) {
    const bool fish = Has("fish");
    for (const auto& [typed, offered] : kCompletions) {
        // The words as bash splits them, the last one empty after a blank.
        const auto bash = "source " + Script("bash-completion/completions/brindle") +
                          "; COMP_WORDS=(" + typed + (typed.ends_with(' ') ? "''" : "") +
                          "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _brindle; "
                          "printf '%s\\n' \"${COMPREPLY[@]}\" | LC_ALL=C sort | paste -sd ' '";
        // bash adds the slash of a directory itself (complete -o filenames).
        auto withoutSlashes = offered;
        std::erase(withoutSlashes, '/');
        EXPECT_EQ(Shell(work(), "bash -c " + ShellQuote(bash)), withoutSlashes + "\n") << typed;
        const auto script = "source " + Script("fish/vendor_completions.d/brindle.fish") +
                            "; complete -C " + ShellQuote(typed) +
                            " | cut -f1 | LC_ALL=C sort | paste -sd ' '";
        if (fish) {
            EXPECT_EQ(Shell(work(), "fish --no-config -c " + ShellQuote(script)), offered + "\n")
                << typed;
        }
    }
    const auto zsh = Script("zsh/site-functions/_brindle");
    EXPECT_EQ(Shell(work(), "head -1 " + zsh), "#compdef brindle\n");
    if (Has("zsh")) {
        EXPECT_EQ(std::system(("zsh -n " + zsh).c_str()), 0);
    }
}

// A project of `count` modules full of marked blocks, large enough that removing them takes a
// while; the modules in the project's order.
std::vector<std::string> WriteMarkedProject(const fs::path& folder, int count) {
    std::string code;
    for (int p = 0; p < 80; ++p) {
        code += "' [Brindle Begin]\r\n' Procedure\r\n' [Brindle End]\r\nPublic Sub P" +
                std::to_string(p) + "()\r\n    Beep\r\nEnd Sub\r\n";
    }
    std::vector<std::string> modules;
    std::string project = "Type=Exe\r\n";
    for (int m = 0; m < count; ++m) {
        const auto name = "mod" + std::to_string(m);
        modules.push_back("Modules/" + name + ".bas");
        WriteBytes(folder / modules.back(), "Attribute VB_Name = \"" + name + "\"\r\n" + code);
        project += "Module=" + name + "; Modules\\" + name + ".bas\r\n";
    }
    WriteBytes(folder / "Big.vbp", project);
    return modules;
}

// Starts brindle in `folder` with its output into files there; its process id.
pid_t StartBrindle(const fs::path& folder, const fs::path& settings,
                   const std::vector<std::string>& args) {
    std::vector<std::string> words{BRINDLE_EXE};
    words.insert(words.end(), args.begin(), args.end());
    std::string line = "cd " + ShellQuote(folder.string()) +
                       " && exec env BRINDLE_SETTINGS=" + ShellQuote(settings.string());
    for (const auto& word : words) {
        line += " " + ShellQuote(word);
    }
    line += " </dev/null >out.txt 2>err.txt";
    const char* argv[] = {"sh", "-c", line.c_str(), nullptr};
    pid_t pid = 0;
    EXPECT_EQ(
        posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char* const*>(argv), environ), 0);
    return pid;
}

// Ctrl-C (130) and SIGTERM (143), sent once the first module was written, however long that
// takes: every module is as it was or wholly written, and named when written.
TEST(Interruption, LeavesEveryModuleWholeAndNoTemporaryFile) {
    TempDir temp;
    const auto project = temp.path() / "project";
    const auto modules = WriteMarkedProject(project, 300);
    const auto before = Snapshot(project);
    CopyFolder(project, temp.path() / "done");
    ASSERT_EQ(RunBrindle(temp.path() / "done", temp.path() / "s.ini",
                         {"remove-code-all", "Big.vbp", "--yes", "-q"})
                  .status,
              0);
    const auto after = Snapshot(temp.path() / "done");

    for (const auto& [number, expected] : {std::pair{SIGINT, 130}, std::pair{SIGTERM, 143}}) {
        SCOPED_TRACE(expected);
        const auto work = temp.path() / std::to_string(number);
        CopyFolder(project, work);
        const pid_t pid =
            StartBrindle(work, temp.path() / "s.ini", {"remove-code-all", "Big.vbp", "--yes"});
        ASSERT_GT(pid, 0);
        int status = 0;
        pid_t ended = 0;
        while ((ended = waitpid(pid, &status, WNOHANG)) == 0 &&
               ReadBytes(work / modules.front()) == before.at(modules.front())) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (ended == 0) {
            ASSERT_EQ(kill(pid, number), 0);
            ASSERT_EQ(waitpid(pid, &status, 0), pid);
        }
        const auto err = ReadBytes(work / "err.txt");
        if (ended != 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
            GTEST_SKIP() << "the run ended before it could be interrupted";
        }
        ASSERT_TRUE(WIFEXITED(status)) << err;
        EXPECT_EQ(WEXITSTATUS(status), expected) << err;
        EXPECT_TRUE(test::Has(err, "brindle: interrupted; "));
        EXPECT_EQ(err.find("error "), std::string::npos) << err;

        for (const auto& entry : fs::recursive_directory_iterator(work)) {
            EXPECT_FALSE(entry.path().string().ends_with(".brindle-tmp")) << entry.path();
        }
        int written = 0;
        for (const auto& module : modules) {
            const auto bytes = ReadBytes(work / module);
            EXPECT_TRUE(bytes == before.at(module) || bytes == after.at(module)) << module;
            if (bytes == after.at(module)) {
                ++written;
                EXPECT_TRUE(test::Has(err, "\n  " + module + "\n")) << module;
            }
        }
        EXPECT_GE(written, 1);
    }
}

// A folder in which no temporary file can be made: each module is refused with the folder
// named, nothing is written, and the exit status is 1. Root may write anywhere, so as root the
// run is made as nobody.
TEST(ReadOnlyFolder, RefusesEveryModuleAndWritesNothing) {
    TempDir temp;
    const auto project = temp.path() / "project";
    CopyFolder(SourceDir() / "examples", project);
    fs::path program = BRINDLE_EXE;
    std::vector<std::string> args = {"add-all", "Inventory.vbp", "--yes", "--quiet"};
    if (geteuid() == 0) {
        if (!fs::exists("/usr/bin/setpriv")) {
            GTEST_SKIP() << "run as root, and no setpriv to run brindle as another user";
        }
        // Nobody may not enter the build's folder: the program and the templates it finds in
        // the current folder are copied where nobody can read them.
        const auto copy = temp.path() / "brindle";
        fs::copy_file(BRINDLE_EXE, copy);
        CopyFolder(SourceDir() / "Templates", project / "Templates");
        args.insert(args.begin(),
                    {"--reuid=nobody", "--regid=nogroup", "--clear-groups", copy.string()});
        program = "/usr/bin/setpriv";
        fs::permissions(temp.path(), fs::perms::others_read | fs::perms::others_exec,
                        fs::perm_options::add);
    }
    const auto before = Snapshot(project);
    const auto writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(project, writable, fs::perm_options::remove);
    const auto run = RunProgram(program, project, temp.path() / "s.ini", args);
    fs::permissions(project, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_TRUE(test::Has(run.err,
                          "brindle: modMain.bas: not written: cannot create a temporary file "
                          "in its folder " +
                              fs::absolute(project).string() + ": Permission denied\n"));
    EXPECT_EQ(Snapshot(project), before);
}

}  // namespace
}  // namespace brindle::test
