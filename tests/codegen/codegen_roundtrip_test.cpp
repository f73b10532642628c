// Adding every piece of generated text to a whole module and taking it out again, on every
// module of the corpus and on a generated module: the removal gives back the original bytes.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

#include "codegen/ModuleCommands.h"
#include "codegen/codegen_support.h"
#include "host/files/ModuleFile.h"
#include "support/RecordingSink.h"
#include "support/TestPaths.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;
using test::LinesOf;
using test::Markers;

const std::string kErrHeaderLine = "    On Error GoTo BrindleTestHandler";
const std::string kLabel = "BrindleTestHandler:";

AddinFields RoundTripFields(Markers markers) {
    auto fields = test::CodegenFields(markers);
    fields.msProcHdrTmplt = "' Header of %ProcedureName%\n' Parameters:%Parameters%\n' Returns:\n";
    fields.msErrHdrTmplt = kErrHeaderLine + "\n";
    fields.msErrFtrTmplt = "    Exit %ProcedureType%\n" + kLabel +
                           "\n    Err.Raise Err.Number, \"%ModuleName%.%ProcedureName%\"\n";
    return fields;
}

// As the project-wide command does it: the module header, then the headers and the error
// handlers for the whole module. Returns how many procedures were told of as taking no error
// handler: real code holds procedures whose End statement does not match their kind, and
// procedures written on one line.
std::size_t AddEverything(const AddinFields& fields, CodeModule& module) {
    AddModuleHeader(fields, module);
    test::SelectAll(module);
    AddHeaders(fields, module);
    test::RecordingSink sink;
    AddErrHandlers(fields, module, &sink);
    return sink.warnings.size();
}

// Each procedure the host reaches by name gets one header and, unless it was told of, one error
// handler; removing the marked code gives back the original bytes.
void RoundTrip(const fs::path& file, const std::string& bytes, bool generated) {
    SCOPED_TRACE(file.string());
    test::TempDir dir;
    test::WriteBytes(dir.path() / file.filename(), bytes);
    auto component = host::LoadModuleFile(dir.path() / file.filename());
    auto& module = component->CodeModule();
    const auto original = LinesOf(module);
    std::set<std::pair<std::string, vbext_ProcKind>> procedures;
    for (const auto& info : component->Code()->Procedures()) {
        procedures.emplace(info.procedure.name, info.procedure.kind);
    }

    const auto refused = AddEverything(RoundTripFields(Markers::On), module);
    const auto added = LinesOf(module);
    // Lines the additions brought, by what they begin with.
    const auto count = [&](const std::string& start) {
        const auto starting = [&](const std::string& line) { return line.starts_with(start); };
        return static_cast<std::size_t>(std::count_if(added.begin(), added.end(), starting) -
                                        std::count_if(original.begin(), original.end(), starting));
    };
    EXPECT_EQ(count("' Header of "), procedures.size());
    EXPECT_EQ(count(kErrHeaderLine) + refused, procedures.size());
    EXPECT_EQ(count(kLabel), count(kErrHeaderLine));
    if (generated) {
        EXPECT_EQ(refused, 0u);
        EXPECT_EQ(procedures.size(), 160u);
    }
    ASSERT_TRUE(component->Save());

    test::RecordingSink sink;
    test::SelectAll(module);
    RemoveCode({}, module, &sink);
    EXPECT_EQ(sink.warnings, std::vector<std::string>{});
    EXPECT_EQ(LinesOf(module), original);
    component->Save();
    EXPECT_EQ(test::ReadBytes(dir.path() / file.filename()), bytes);
}

// A generated module of every procedure shape, then every module of the corpus.
TEST(RoundTrip, RemovalTakesOutExactlyWhatTheAdditionsPutIn) {
    RoundTrip("Generated.bas", "Attribute VB_Name = \"Generated\"\r\n" + test::GeneratedModule(140),
              true);
    BRINDLE_NEEDS_CORPUS();
    for (const fs::path& file : test::CorpusModules()) {
        RoundTrip(file, test::ReadBytes(file), false);
    }
}

}  // namespace
}  // namespace brindle
