// Behaviour cases as data: each folder of cases/ holds the files a user has, a file `case`
// (the command line, brindle's exit status, then lines that its standard error must hold) and
// under expected/ the files as the command leaves them. Each runs through the brindle executable
// and through the add-in session over our IDE in memory, as a front end that loads whole projects
// builds it: both must leave the same bytes. The cases share the team settings and templates of
// cases/ (a case's own brindle.ini takes their place).

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "addin/Buttons.h"
#include "cli/cli_support.h"
#include "host/files/ProjectLoader.h"
#include "host/session/AddinSession.h"
#include "host/settings/TeamSettings.h"
#include "support/RecordingSink.h"
#include "ui/Headless.h"

namespace fs = std::filesystem;

namespace brindle::test {
namespace {

using Files = std::map<std::string, std::string>;

// The button a command clicks: on the project window's bar for a project command.
struct Button {
    std::string_view bar;
    std::string_view caption;
};
Button ButtonOf(const std::string& command) {
    const std::map<std::string, Button> buttons = {
        {"add-module-header", {buttons::kCodeWindowBar, buttons::kAddModHdr}},
        {"add-headers", {buttons::kCodeWindowBar, buttons::kAddHeaders}},
        {"add-error-handlers", {buttons::kCodeWindowBar, buttons::kAddErrHandlers}},
        {"remove-markers", {buttons::kCodeWindowBar, buttons::kRemoveCodeMarkers}},
        {"remove-code", {buttons::kCodeWindowBar, buttons::kRemoveAll}},
        {"add-all", {buttons::kProjectWindowBar, buttons::kAddAllToProj}},
        {"remove-markers-all", {buttons::kProjectWindowBar, buttons::kRemoveCodeMarkersFromProj}},
        {"remove-code-all", {buttons::kProjectWindowBar, buttons::kRemoveAllFromProj}},
    };
    return buttons.at(command);
}

// The command run by the add-in session: the projects or modules loaded whole, under the team
// settings found above them, every question answered Yes, the changed modules saved.
void RunInSession(const fs::path& folder, const std::vector<std::string>& args) {
    std::vector<fs::path> files;
    for (std::size_t i = 1; i < args.size() && !args[i].starts_with("-"); ++i) {
        files.push_back(folder / args[i]);
    }
    const auto team = host::FindTeamSettings(folder);
    ui::HeadlessWindows windows;
    windows.Setup().answer = ui::FixedAnswer(vbYes);
    RecordingSink sink;
    host::SessionOptions options;
    options.saveOptions = false;
    options.teamFile = team;
    options.codePage = host::AddinSession(windows, &sink, options).DefaultCodePage(team);
    host::AddinSession session(windows, &sink, options);
    auto loaded = host::IsProjectOrGroupFile(files.front())
                      ? host::LoadProjects(files.front(), options.codePage)
                      : host::LoadModules(files, options.codePage);
    auto& ide = session.Ide();
    std::vector<VBComponent*> components;
    for (auto& project : loaded.projects) {
        ide.AddProject(project.project);
        for (auto& module : project.modules) {
            components.push_back(module.component);
        }
    }
    ide.Connect(session.Addin(), ext_cm_CommandLine);
    const std::string command = args.front();
    if (command == "refresh") {
        session.Refresh({components.size(), [&](std::size_t i) { return components[i]; }},
                        Unplaced::Leave);
    } else if (ButtonOf(command).bar == buttons::kProjectWindowBar) {
        for (auto& project : loaded.projects) {
            ide.SetActiveVBProject(project.project.get());
            EXPECT_TRUE(ide.Click(buttons::kProjectWindowBar, ButtonOf(command).caption));
        }
    } else {
        for (auto* component : components) {
            auto& code = component->CodeModule();
            code.CodePane().SetSelection(1, 1, code.CountOfLines() + 1, 1);
            ide.OpenCodeWindow(code.CodePane());
            EXPECT_TRUE(ide.Click(buttons::kCodeWindowBar, ButtonOf(command).caption));
        }
    }
    for (auto& project : loaded.projects) {
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
    std::istringstream words(command);
    const std::vector<std::string> args{std::istream_iterator<std::string>(words), {}};
    std::vector<std::string> told;
    for (std::string line; std::getline(lines, line);) {
        told.push_back(line);
    }

    const auto folder = LayOutCase(CasesDir() / GetParam(), temp.path() / "brindle");
    auto withYes = args;
    withYes.push_back("--yes");
    const auto run = RunBrindle(folder, temp.path() / "settings.ini", withYes);
    EXPECT_EQ(run.status, status) << run.err;
    EXPECT_EQ(Snapshot(folder), Expected()) << run.err;
    for (const auto& line : told) {
        EXPECT_TRUE(Has(run.err, line));
    }

    const auto inSession = LayOutCase(CasesDir() / GetParam(), temp.path() / "session");
    RunInSession(inSession, args);
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
