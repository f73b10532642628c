// A project's modules streamed past the add-in: reached once each, in order, loaded ahead and
// written or diffed behind; a module that no longer loads is left alone and told of.

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/report/UnifiedDiff.h"
#include "cli/stream/Inputs.h"
#include "cli/stream/ModuleStream.h"
#include "host/files/FileSystem.h"
#include "model/VbError.h"
#include "support/TestPaths.h"

namespace fs = std::filesystem;

namespace brindle::cli {
namespace {

using test::ReadBytes;
using test::WriteBytes;

// More modules than are ever loaded ahead, so that the stream runs through its window.
constexpr std::size_t kModules = 12;

std::string Module(std::size_t i) {
    return "Attribute VB_Name = \"mod" + std::to_string(i) + "\"\r\nOption Explicit\r\n\r\nSub P" +
           std::to_string(i) + "()\r\nEnd Sub\r\n";
}

// What the tests make of module `i`: odd ones get a comment line.
std::string Edited(std::size_t i) {
    auto text = Module(i);
    return i % 2 == 1 ? text.insert(text.find("\r\n\r\n") + 4, "' edited\r\n") : text;
}

void ExpectFailure(const std::function<void()>& step, Err number,
                   const std::string& source = "VBIDE.VBComponents.Item") {
    try {
        step();
        ADD_FAILURE() << "no failure";
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), static_cast<std::int32_t>(number));
        EXPECT_EQ(e.Source(), source);
    }
}

class StreamedModules : public ::testing::Test {
protected:
    void SetUp() override {
        std::string project = "Type=Exe\r\n";
        for (std::size_t i = 0; i < kModules; ++i) {
            WriteBytes(File(i), Module(i));
            project += "Module=mod" + std::to_string(i) + "; mod" + std::to_string(i) + ".bas\r\n";
        }
        WriteBytes(temp.path() / "P.vbp", project);
        cli::Request request;
        request.files = {host::TextOf(temp.path() / "P.vbp")};
        inputs = SurveyProjects(request, 1252);
        ASSERT_EQ(inputs.projects.size(), 1U);
        ASSERT_EQ(inputs.projects.front().modules.size(), kModules);
    }

    fs::path File(std::size_t i) const {
        return temp.path() / ("mod" + std::to_string(i) + ".bas");
    }
    const ModuleEntry& Entry(std::size_t i) const { return inputs.projects.front().modules[i]; }

    // Walks the project as the add-in does: each component once, in order. A component that
    // `skip` names is only looked at; the others get their edits.
    std::vector<ModuleOutcome> Walk(ModuleFinisher::Work work, std::ostream& out,
                                    std::size_t skip = kModules) {
        ModuleFinisher finisher(work, out);
        {
            ModuleStream stream(inputs.projects.front().modules, 1252, true, finisher);
            StreamedProject project("P", stream, 0, kModules);
            auto& components = project.VBComponents();
            EXPECT_EQ(components.Count(), static_cast<std::int32_t>(kModules));
            for (std::size_t i = 0; i < kModules; ++i) {
                const auto index = static_cast<std::int32_t>(i + 1);
                auto& component = components.Item(index);
                EXPECT_EQ(component.Name(), "mod" + std::to_string(i));
                if (i == skip) {
                    ExpectFailure([&] { component.CodeModule(); }, Err::ObjectNotSet,
                                  "VBIDE.VBComponent.CodeModule");
                } else if (i % 2 == 1) {
                    component.CodeModule().InsertLines(3, "' edited");
                }
                if (i > 0) {
                    ExpectFailure([&] { components.Item(index - 1); }, Err::InvalidCall);
                }
            }
            ExpectFailure([&] { components.Item(kModules + 1); }, Err::SubscriptOutOfRange);
            stream.Pass(kModules);
        }
        return finisher.Outcomes();
    }

    test::TempDir temp;
    ProjectInputs inputs;
};

// Only the changed modules are written, or diffed in the modules' order with nothing written. A
// file that changed into something else after the command began comes as a component without
// code; it is told of once the command is done, and the others are done.
TEST_F(StreamedModules, EachIsReachedOnceInOrderAndOnlyTheChangedAreWrittenOrDiffed) {
    const std::string binary("MZ\0\0", 4);
    for (const auto& [work, broken] : {std::pair{ModuleFinisher::Work::Write, kModules},
                                       std::pair{ModuleFinisher::Work::Diff, kModules},
                                       std::pair{ModuleFinisher::Work::Write, std::size_t{7}}}) {
        SCOPED_TRACE(broken);
        const bool diff = work == ModuleFinisher::Work::Diff;
        for (std::size_t i = 0; i < kModules; ++i) {
            WriteBytes(File(i), i == broken ? binary : Module(i));
        }
        std::ostringstream out;
        const auto outcomes = Walk(work, out, broken);
        ASSERT_EQ(outcomes.size(), kModules);
        std::string diffs;
        for (std::size_t i = 0; i < kModules; ++i) {
            EXPECT_EQ(outcomes[i].changed, i % 2 == 1 && i != broken) << i;
            EXPECT_EQ(outcomes[i].problem == "", i != broken) << i;
            const auto kept = i == broken ? binary : Module(i);
            EXPECT_EQ(ReadBytes(File(i)), diff || i == broken ? kept : Edited(i)) << i;
            diffs += diff ? UnifiedDiff(Entry(i).diffName, Module(i), Edited(i)) : "";
        }
        EXPECT_EQ(out.str(), diffs);
        if (broken < kModules) {
            EXPECT_EQ(outcomes[broken].subject, Entry(broken).where);
            EXPECT_EQ(outcomes[broken].problem,
                      Entry(broken).label +
                          ": not a VB6 module: binary content; left alone, the other modules are "
                          "done");
        }
    }
}

// As check and refresh walk a project themselves: each module with code once, in order, let go
// behind them and never written; one that no longer loads is passed over and told of.
TEST_F(StreamedModules, ForEachGivesEachModuleThatStillLoadsInOrder) {
    WriteBytes(File(7), std::string("MZ\0\0", 4));
    std::ostringstream out;
    ModuleFinisher finisher(ModuleFinisher::Work::Release, out);
    std::vector<std::size_t> reached;
    {
        ModuleStream stream(inputs.projects.front().modules, 1252, true, finisher);
        stream.ForEach(
            [&](std::size_t i, const ModuleEntry& entry, host::MemoryComponent& component) {
                EXPECT_EQ(entry.label, Entry(i).label);
                EXPECT_EQ(component.Name(), "mod" + std::to_string(i));
                component.CodeModule().InsertLines(1, "' not kept");
                reached.push_back(i);
            });
    }
    const auto outcomes = finisher.Outcomes();
    std::vector<std::size_t> expected;
    for (std::size_t i = 0; i < kModules; ++i) {
        if (i != 7) {
            expected.push_back(i);
            EXPECT_EQ(ReadBytes(File(i)), Module(i)) << i;
        }
        EXPECT_FALSE(outcomes[i].changed) << i;
    }
    EXPECT_EQ(reached, expected);
    EXPECT_EQ(outcomes[7].subject, Entry(7).where);
    EXPECT_NE(outcomes[7].problem, "");
    EXPECT_EQ(out.str(), "");
}

}  // namespace
}  // namespace brindle::cli
