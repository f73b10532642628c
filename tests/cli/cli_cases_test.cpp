// Behaviour cases as data: each folder of cases/ holds a user's files, a file `case` (command
// line, exit status, lines standard error must hold) and expected/ the files as left. Each runs
// through brindle and through the add-in session in memory; both must leave the same bytes.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "addin/Commands.h"
#include "cli/cli_support.h"
#include "host/files/ProjectLoader.h"
#include "host/session/CommandRunner.h"
#include "host/settings/TeamSettings.h"
#include "model/SettingsKeys.h"
#include "support/RecordingSink.h"
#include "ui/Headless.h"

namespace fs = std::filesystem;

namespace brindle::test {
namespace {

using Files = std::map<std::string, std::string>;

// The command of `args` run by the add-in session: the projects or modules loaded whole, under
// the team settings found above them, every question answered Yes, the changed modules saved.
void RunInSession(const fs::path& folder, const std::vector<std::string>& args) {
    std::vector<fs::path> files;
    host::SessionOptions options;
    for (const auto& arg : std::vector(args.begin() + 1, args.end())) {
        if (arg == "--skip-existing") {
            options.overrides[std::string(settings::kSkipExistingKey)] = "True";
        } else {
            files.push_back(folder / arg);
        }
    }
    ui::HeadlessWindows windows;
    windows.Setup().answer = ui::FixedAnswer(vbYes);
    RecordingSink sink;
    options.saveOptions = false;
    options.teamFile = host::FindTeamSettings(folder);
    options.codePage =
        host::AddinSession(windows, &sink, options).DefaultCodePage(options.teamFile);
    host::AddinSession session(windows, &sink, options);
    auto loaded = host::IsProjectOrGroupFile(files.front())
                      ? host::LoadProjects(files.front(), options.codePage)
                      : host::LoadModules(files, options.codePage);
    session.Ide().Connect(session.Addin(), ext_cm_CommandLine);
    std::vector<VBComponent*> components;
    for (auto& project : loaded.projects) {
        session.Ide().AddProject(project.project);
        for (auto& module : project.modules) {
            components.push_back(module.component);
        }
    }
    host::CommandRunner runner(session);
    const auto id = CommandNamed(args.front());  // none: refresh, the command line's own
    if (!id) {
        session.Refresh({components.size(), [&](std::size_t i) { return components[i]; }},
                        Unplaced::Leave);
    }
    for (auto& project : loaded.projects) {
        if (id && CommandOf(*id).scope == Scope::Project) {
            EXPECT_EQ(runner.Run(*id, *project.project), host::CommandRunner::Result::Done);
        } else if (id) {
            for (auto& module : project.modules) {
                auto& code = module.component->CodeModule();
                runner.Run(*id, code, host::WholeLines(code, 1, code.CountOfLines()));
            }
        }
        for (auto& module : project.modules) {
            EXPECT_EQ(host::SaveModule(module).problem, "") << module.label;
        }
    }
}

class Case : public ::testing::TestWithParam<std::string> {
protected:
    // What the case must hold after its command: its files, with those under expected/ over
    // them.
    Files Expected() const {
        Files files = CaseInputs(CasesDir() / GetParam());
        if (fs::exists(CasesDir() / GetParam() / "expected")) {
            for (const auto& [name, bytes] : Snapshot(CasesDir() / GetParam() / "expected")) {
                files[name] = bytes;
            }
        }
        return files;
    }

    TempDir temp;
};

TEST_P(Case, TheExecutableAndTheSessionLeaveTheExpectedFiles) {
    std::istringstream lines(ReadBytes(CasesDir() / GetParam() / "case"));
    std::string command;
    int status = 0;
    std::getline(lines, command);
    lines >> status >> std::ws;
    const auto folder = LayOutCase(CasesDir() / GetParam(), temp.path() / "brindle");
    const auto run = RunBrindle(folder, temp.path() / "settings.ini", Words(command + " --yes"));
    EXPECT_EQ(run.status, status) << run.err;
    EXPECT_EQ(Snapshot(folder), Expected()) << run.err;
    for (std::string line; std::getline(lines, line);) {
        EXPECT_TRUE(Has(run.err, line));
    }

    const auto inSession = LayOutCase(CasesDir() / GetParam(), temp.path() / "session");
    RunInSession(inSession, Words(command));
    EXPECT_EQ(Snapshot(inSession), Expected());
}

std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(CasesDir())) {
        if (fs::exists(entry.path() / "case")) {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

INSTANTIATE_TEST_SUITE_P(Cases, Case, ::testing::ValuesIn(Names()), [](const auto& test) {
    auto name = test.param;
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
});

}  // namespace
}  // namespace brindle::test
