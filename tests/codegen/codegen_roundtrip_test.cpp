// Adding every piece of generated text to a whole module and taking it out again, on every
// module of the corpus and on a generated module: the removal gives back the original bytes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <regex>
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
using test::kBegin;
using test::kEnd;
using test::Lines;
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

Lines WithoutMarkerLines(Lines lines) {
    std::erase_if(lines, [](const std::string& l) { return l == kBegin || l == kEnd; });
    return lines;
}

// As the project-wide command does it: the module header, then the headers and the error
// handlers for the whole module. Returns the declaration lines of the procedures that were told
// of as taking no error handler: real code holds procedures whose End statement does not match
// their kind, and procedures written on one line.
std::set<std::int32_t> AddEverything(const AddinFields& fields, CodeModule& module) {
    AddModuleHeader(fields, module);
    test::SelectAll(module);
    AddHeaders(fields, module);
    test::RecordingSink sink;
    AddErrHandlers(fields, module, &sink);
    static const std::regex kLine(R"(, line (\d+): )");
    std::set<std::int32_t> refused;
    for (const auto& warning : sink.warnings) {
        std::smatch match;
        EXPECT_TRUE(std::regex_search(warning, match, kLine)) << warning;
        refused.insert(std::stoi(match[1]));
    }
    return refused;
}

// The line after the declaration, or after the #End If of alternative declarations below it.
std::int32_t BodyStart(const Lines& lines, std::int32_t afterDeclaration) {
    static const std::regex kElse(R"(^\s*#Else)", std::regex::icase);
    static const std::regex kEndIf(R"(^\s*#End\s*If)", std::regex::icase);
    const auto at = [&](std::int32_t n) { return lines[static_cast<std::size_t>(n - 1)]; };
    auto line = afterDeclaration;
    if (!std::regex_search(at(line), kElse)) {
        return line;
    }
    while (!std::regex_search(at(line), kEndIf)) {
        ++line;
    }
    return line + 1;
}

// After the additions with markers on: every procedure has one marked header in the comment
// block above its declaration (above the #If of alternative declarations), one marked error
// header where its body begins and one marked footer directly above its End statement, unless
// it was refused one. A procedure travels by name and kind, so of whole alternative definitions
// under #If ... #Else only the first gets any.
void ExpectOneOfEachAroundEveryProcedure(host::MemoryCodeModule& code,
                                         const std::set<std::int32_t>& refused) {
    static const std::regex kIf(R"(^\s*#If\b)", std::regex::icase);
    const auto lines = LinesOf(code);
    const auto line = [&](std::int32_t n) { return lines[static_cast<std::size_t>(n - 1)]; };
    std::set<std::pair<std::string, vbext_ProcKind>> seen;
    for (const auto& info : code.Procedures()) {
        const auto& p = info.procedure;
        if (!seen.emplace(p.name, p.kind).second) {
            continue;
        }
        SCOPED_TRACE(p.name + " at line " + std::to_string(p.bodyLine));
        const auto body = BodyStart(lines, p.declLastLine + 1);
        int headers = 0;
        auto n = p.bodyLine - 1;
        const auto passComments = [&] {
            for (; n >= 1 && line(n).starts_with('\''); --n) {
                if (line(n) == "' Header of " + p.name) {
                    ++headers;
                    EXPECT_EQ(line(n - 1), kBegin);
                }
            }
        };
        passComments();
        if (body != p.declLastLine + 1 && n >= 1 && std::regex_search(line(n), kIf)) {
            --n;
            passComments();
        }
        EXPECT_EQ(headers, 1);
        if (refused.contains(p.bodyLine)) {
            continue;
        }
        EXPECT_EQ(Lines(lines.begin() + body - 1, lines.begin() + body + 2),
                  (Lines{kBegin, kErrHeaderLine, kEnd}));
        ASSERT_GT(p.endLine, body + 7);
        EXPECT_EQ(line(p.endLine - 5), kBegin);
        EXPECT_EQ(line(p.endLine - 3), kLabel);
        EXPECT_EQ(line(p.endLine - 1), kEnd);
        const auto first = lines.begin() + p.bodyLine;
        const auto last = lines.begin() + p.endLine;
        EXPECT_EQ(std::count(first, last, kErrHeaderLine), 1);
        EXPECT_EQ(std::count(first, last, kLabel), 1);
    }
}

class RoundTrip : public ::testing::TestWithParam<fs::path> {};

// On every corpus module, and (the empty path) on a generated module of every procedure shape.
// Marker removal keeps exactly the text that markers off inserts bare; removing the marked
// code gives back the original bytes.
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

    const auto refused = AddEverything(RoundTripFields(Markers::On), module);
    if (generated) {
        EXPECT_TRUE(refused.empty());
        EXPECT_EQ(component->Code()->Procedures().size(), 160u);
    }
    ExpectOneOfEachAroundEveryProcedure(*component->Code(), refused);
    ASSERT_TRUE(component->Save());
    const auto bare = WithoutMarkerLines(LinesOf(module));

    auto unmarked = host::ParseModule(test::ReadBytes(file), file);
    test::SelectAll(unmarked->CodeModule());
    test::RecordingSink sink;
    RemoveCodeMarkers({}, unmarked->CodeModule(), &sink);
    EXPECT_EQ(LinesOf(unmarked->CodeModule()), bare);

    auto markersOff = host::ParseModule(bytes, file);
    AddEverything(RoundTripFields(Markers::Off), markersOff->CodeModule());
    EXPECT_EQ(LinesOf(markersOff->CodeModule()), bare);

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
