// Adding every piece of generated text to a whole module and taking it out again, on every
// module of the corpus and on a generated module: the removal gives back the original bytes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
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

class RoundTrip : public ::testing::TestWithParam<fs::path> {};

// On every corpus module, and (the empty path) on a generated module of every procedure shape:
// each procedure the host reaches by name gets one header and, unless it was told of, one error
// handler; removing the marked code gives back the original bytes.
TEST_P(RoundTrip, RemovalTakesOutExactlyWhatTheAdditionsPutIn) {
    const bool generated = GetParam().empty();
    const auto bytes = generated
                           ? "Attribute VB_Name = \"Generated\"\r\n" + test::GeneratedModule(140)
                           : test::ReadBytes(GetParam());
    test::TempDir dir;
    const auto file = dir.path() / (generated ? fs::path("Generated.bas") : GetParam().filename());
    test::WriteBytes(file, bytes);
    auto component = host::LoadModuleFile(file);
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
    EXPECT_EQ(test::ReadBytes(file), bytes);
}

std::vector<fs::path> Modules() {
    auto modules = test::CorpusModules();
    modules.insert(modules.begin(), fs::path());
    return modules;
}

std::string NameOf(const ::testing::TestParamInfo<fs::path>& param) {
    if (param.param.empty()) {
        return "Generated";
    }
    auto name = fs::relative(param.param, test::CorpusDir()).string();
    std::replace_if(
        name.begin(), name.end(),
        [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Corpus, RoundTrip, ::testing::ValuesIn(Modules()), NameOf);

}  // namespace
}  // namespace brindle
