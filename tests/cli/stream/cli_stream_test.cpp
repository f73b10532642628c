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

// Only the changed modules are written, or diffed in order; each component is reached once, in
// order. A file that became no module since the survey is told at the end; the rest are done.
TEST(StreamedModules, EachIsReachedOnceInOrderAndOnlyTheChangedAreWrittenOrDiffed) {
    test::TempDir temp;
    const auto file = [&](std::size_t i) {
        return temp.path() / ("mod" + std::to_string(i) + ".bas");
    };
    std::string text = "Type=Exe\r\n";
    for (std::size_t i = 0; i < kModules; ++i) {
        text += "Module=mod" + std::to_string(i) + "; mod" + std::to_string(i) + ".bas\r\n";
    }
    WriteBytes(temp.path() / "P.vbp", text);
    const std::string binary("MZ\0\0", 4);
    for (const auto& [work, broken] : {std::pair{ModuleFinisher::Work::Write, kModules},
                                       std::pair{ModuleFinisher::Work::Diff, kModules},
                                       std::pair{ModuleFinisher::Work::Write, std::size_t{7}}}) {
        SCOPED_TRACE(broken);
        for (std::size_t i = 0; i < kModules; ++i) {
            WriteBytes(file(i), Module(i));
        }
        Request request;
        request.files = {host::TextOf(temp.path() / "P.vbp")};
        const auto inputs = SurveyProjects(request, 1252);
        const auto& modules = inputs.projects.at(0).modules;
        ASSERT_EQ(modules.size(), kModules);
        if (broken < kModules) {
            WriteBytes(file(broken), binary);
        }
        std::ostringstream out;
        ModuleFinisher finisher(work, out);
        {
            ModuleStream stream(modules, 1252, true, finisher);
            StreamedProject project("P", stream, 0, kModules);
            auto& components = project.VBComponents();
            for (std::size_t i = 0; i < kModules; ++i) {
                const auto index = static_cast<std::int32_t>(i + 1);
                auto& component = components.Item(index);
                EXPECT_EQ(component.Name(), "mod" + std::to_string(i));
                if (i == broken) {
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
        const auto outcomes = finisher.Outcomes();
        ASSERT_EQ(outcomes.size(), kModules);
        const bool diff = work == ModuleFinisher::Work::Diff;
        std::string diffs;
        for (std::size_t i = 0; i < kModules; ++i) {
            EXPECT_EQ(outcomes[i].changed, i % 2 == 1 && i != broken) << i;
            EXPECT_EQ(outcomes[i].problem == "", i != broken) << i;
            const auto kept = i == broken ? binary : Module(i);
            EXPECT_EQ(ReadBytes(file(i)), diff || i == broken ? kept : Edited(i)) << i;
            diffs += diff ? UnifiedDiff(modules[i].diffName, Module(i), Edited(i)) : "";
        }
        EXPECT_EQ(out.str(), diffs);
        if (broken < kModules) {
            EXPECT_EQ(outcomes[broken].subject, modules[broken].where);
            EXPECT_EQ(outcomes[broken].problem,
                      modules[broken].label +
                          ": not a VB6 module: binary content; left alone, the other modules are "
                          "done");
        }
    }
}

}  // namespace
}  // namespace brindle::cli
