// The add-in session that every front end builds: its refresh walks a list of components as
// the command line and the workbench each walked theirs; its runner runs the add-in's commands
// by their ids.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "addin/Commands.h"
#include "codegen/Markers.h"
#include "host/ide/MemoryProject.h"
#include "host/session/AddinSession.h"
#include "host/session/CommandRunner.h"
#include "model/SettingsKeys.h"
#include "support/RecordingSink.h"
#include "ui/Headless.h"

namespace brindle {
namespace {

const std::string kStale = std::string(kBeginMarker) + "\r\n' Procedure: Old\r\n" +
                           std::string(kEndMarker) + "\r\nPublic Sub Go()\r\nEnd Sub\r\n";
const std::string kBare = "Public Sub Go()\r\nEnd Sub\r\n";

// A module without code is passed over, a null entry ends the walk, a module left as it was
// is not counted.
TEST(AddinSession, RefreshWalksTheListUntilItEnds) {
    ui::HeadlessWindows windows;
    test::RecordingSink sink;
    std::vector<std::string> status;
    host::SessionOptions options;
    options.saveOptions = false;
    options.status = [&](std::string_view message) { status.emplace_back(message); };
    host::AddinSession session(windows, &sink, options);
    session.Addin().ReloadOptions({});

    host::MemoryProject project;
    std::vector<VBComponent*> list = {
        &project.AddComponent("Stale", vbext_ct_StdModule, kStale),
        &project.AddComponentWithoutCode("Resources", vbext_ct_ResFile),
        &project.AddComponent("Bare", vbext_ct_StdModule, kBare),
        nullptr,
        &project.AddComponent("Unreached", vbext_ct_StdModule, kStale),
    };
    std::vector<std::size_t> started;
    const auto changed =
        session.Refresh({list.size(), [&](std::size_t i) { return list[i]; }}, Unplaced::Replace,
                        [&](std::size_t i) { started.push_back(i); });

    EXPECT_EQ(changed, 1u);
    EXPECT_EQ(started, (std::vector<std::size_t>{0, 2}));
    EXPECT_EQ(status, (std::vector<std::string>{"Refreshing Brindle code in Stale",
                                                "Refreshing Brindle code in Bare"}));
    EXPECT_NE(list[0]->CodeModule().Lines(2, 1), "' Procedure: Old");
    EXPECT_EQ(list[4]->CodeModule().Lines(2, 1), "' Procedure: Old");
    EXPECT_TRUE(sink.reported.empty());
}

// Each command's button is found by its row of the table; the runner selects or activates what
// the command works on, and warns before adding alone, once the add-in is connected.
TEST(CommandRunner, RunsCommandsByIdOnWhatItSelects) {
    ui::HeadlessWindows windows({.answer = ui::FixedAnswer(vbYes)});
    test::RecordingSink sink;
    host::SessionOptions options;
    options.saveOptions = false;
    options.overrides[std::string(settings::kMarkersKey)] = "False";
    options.overrides[std::string(settings::kAuthorKey)] = "Аda";  // a Cyrillic "А"
    host::AddinSession session(windows, &sink, options);
    host::CommandRunner runner(session);
    using Result = host::CommandRunner::Result;
    EXPECT_EQ(runner.Run(CommandId::CloseAllWindows), Result::NoButton);
    EXPECT_TRUE(runner.WarningsBeforeAdding(CommandId::AddAll, 1252, "").empty());

    auto project = std::make_shared<host::MemoryProject>("P");
    session.Ide().AddProject(project);
    CodeModule& two =
        project->AddComponent("Two", vbext_ct_StdModule, kBare + "Public Sub Next()\r\nEnd Sub\r\n")
            .CodeModule();
    CodeModule& bare = project->AddComponent("Bare", vbext_ct_StdModule, kBare).CodeModule();
    session.Ide().Connect(session.Addin(), ext_cm_CommandLine);
    for (const CommandInfo& command : kCommands) {
        EXPECT_EQ(CommandOnBar(command.bar, command.caption), command.id);
        EXPECT_EQ(CommandNamed(command.name), command.id);
    }

    // The second procedure alone; then the whole active project, after its question.
    ASSERT_EQ(runner.Run(CommandId::AddHeaders, two, host::WholeLines(two, 3, 4)), Result::Done);
    EXPECT_EQ(two.Lines(1, 2), "Public Sub Go()\r\nEnd Sub");
    EXPECT_GT(two.CountOfLines(), 4);
    ASSERT_EQ(runner.Run(CommandId::AddAll, *project), Result::Done);
    EXPECT_GT(bare.CountOfLines(), 2);
    EXPECT_TRUE(sink.reported.empty());

    EXPECT_EQ(runner.WarningsBeforeAdding(CommandId::AddModuleHeader, 1251, "your options"),
              (std::vector<std::string>{
                  "markers are off for this run, so what this adds has no marker lines and "
                  "Brindle cannot remove it later"}));
    EXPECT_EQ(runner.WarningsBeforeAdding(CommandId::AddAll, 1252, "your options").back(),
              "author Аda: code page 1252 lacks these characters, each is written as \"?\": А");
    EXPECT_TRUE(runner.WarningsBeforeAdding(CommandId::RemoveCodeAll, 1252, "").empty());
}

}  // namespace
}  // namespace brindle
