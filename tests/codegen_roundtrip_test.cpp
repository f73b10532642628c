// Adding every piece of generated text to a whole module and taking it out again, on every
// module of the corpus and on generated modules: the removal gives back the original bytes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "codegen/Insertion.h"
#include "codegen/ModuleCommands.h"
#include "codegen_support.h"
#include "host/ModuleFile.h"
#include "host/model/VbError.h"
#include "support/TestPaths.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;
using test::Markers;
using Lines = std::vector<std::string>;

const std::string kBegin(kBeginMarker);
const std::string kEnd(kEndMarker);
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

Lines VisibleLines(CodeModule& module) {
    Lines lines;
    for (std::int32_t i = 1; i <= module.CountOfLines(); ++i) {
        lines.push_back(module.Lines(i, 1));
    }
    return lines;
}

Lines WithoutMarkerLines(Lines lines) {
    std::erase_if(lines, [](const std::string& l) { return l == kBegin || l == kEnd; });
    return lines;
}

// As the project-wide command does it: the module header first, then the whole module selected
// (an end one past the last line) for the headers and, with the selection the host has widened,
// the error handlers. Returns the failure that ended the error handlers' run: real code holds a
// procedure whose End statement does not match its kind, for which no footer can be placed.
std::optional<VbError> AddEverything(const AddinFields& fields, CodeModule& module) {
    AddModuleHeader(fields, module);
    module.CodePane().SetSelection(1, 1, module.CountOfLines() + 1, 1);
    AddHeaders(fields, module);
    try {
        AddErrHandlers(fields, module);
    } catch (const VbError& e) {
        EXPECT_EQ(e.Number(), 9);
        EXPECT_EQ(e.Source().rfind("Brindle.AddErrHandlers | Brindle.AddErrHandlerToProc | "
                                   "Brindle.InsertErrFooter | ",
                                   0),
                  0u)
            << e.Source();
        return e;
    }
    return std::nullopt;
}

void SelectWholeModule(CodeModule& module) {
    const auto last = module.CountOfLines();
    const auto length = last == 0 ? 0 : static_cast<std::int32_t>(module.Lines(last, 1).size());
    module.CodePane().SetSelection(1, 1, std::max(last, 1), length + 1);
}

std::string TrimmedLeft(const std::string& line) {
    const auto first = line.find_first_not_of(" \t");
    return first == std::string::npos ? std::string() : line.substr(first);
}

bool StartsWithNoCase(const std::string& text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

// The line after the declaration, or after the #End If of alternative declarations below it.
std::int32_t BodyStart(const Lines& lines, std::int32_t afterDeclaration) {
    const auto at = [&](std::int32_t n) { return TrimmedLeft(lines[static_cast<size_t>(n - 1)]); };
    if (!StartsWithNoCase(at(afterDeclaration), "#Else")) {
        return afterDeclaration;
    }
    auto line = afterDeclaration;
    while (!StartsWithNoCase(at(line), "#End If")) {
        ++line;
    }
    return line + 1;
}

// The names for which the error handler run goes on: those of the method and property members
// (an event may share its name with a method).
std::set<std::string> ProcedureMemberNames(CodeModule& module) {
    std::set<std::string> names;
    auto& members = module.Members();
    for (std::int32_t i = 1; i <= members.Count(); ++i) {
        const auto member = members.Item(i);
        if (member->Type() == vbext_mt_Method || member->Type() == vbext_mt_Property) {
            names.insert(member->Name());
        }
    }
    return names;
}

enum class Handlers { Expected, NotChecked };

// After the additions with markers on: every procedure has one marked header in the comment
// block above its declaration, one marked error header where its body begins and one marked
// footer directly above its End statement. A procedure travels by name and kind, so of whole
// alternative definitions under #If ... #Else only the first gets any.
void ExpectOneOfEachAroundEveryProcedure(host::MemoryCodeModule& code, Handlers handlers) {
    const auto lines = VisibleLines(code);
    const auto line = [&](std::int32_t n) { return lines[static_cast<size_t>(n - 1)]; };
    const auto withHandlers = ProcedureMemberNames(code);
    std::set<std::pair<std::string, vbext_ProcKind>> seen;
    for (const auto& info : code.Procedures()) {
        const auto& p = info.procedure;
        if (!seen.emplace(p.name, p.kind).second) {
            continue;
        }
        SCOPED_TRACE(p.name + " at line " + std::to_string(p.bodyLine));

        int headers = 0;
        for (auto n = p.bodyLine - 1; n >= 1 && line(n).starts_with('\''); --n) {
            if (line(n) == "' Header of " + p.name) {
                ++headers;
                EXPECT_EQ(line(n - 1), kBegin);
            }
        }
        EXPECT_EQ(headers, 1);

        if (handlers == Handlers::NotChecked || !withHandlers.contains(p.name)) {
            continue;
        }
        const auto body = BodyStart(lines, p.declLastLine + 1);
        EXPECT_EQ(line(body), kBegin);
        EXPECT_EQ(line(body + 1), kErrHeaderLine);
        EXPECT_EQ(line(body + 2), kEnd);

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

std::string TestName(const fs::path& file) {
    auto name = fs::relative(file, test::CorpusDir()).string();
    std::replace_if(
        name.begin(), name.end(),
        [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

class CorpusModule : public ::testing::TestWithParam<fs::path> {
protected:
    void SetUp() override {
        copy_ = dir_.path() / GetParam().filename();
        original_ = test::ReadBytes(GetParam());
        test::WriteBytes(copy_, original_);
    }

    test::TempDir dir_;
    fs::path copy_;
    std::string original_;
};

TEST_P(CorpusModule, RemovingTheMarkedCodeGivesBackTheOriginalBytes) {
    auto component = host::LoadModuleFile(copy_);
    auto& module = component->CodeModule();
    const auto original = VisibleLines(module);

    const auto failure = AddEverything(RoundTripFields(Markers::On), module);
    ExpectOneOfEachAroundEveryProcedure(*component->Code(),
                                        failure ? Handlers::NotChecked : Handlers::Expected);
    ASSERT_TRUE(component->Save());

    SelectWholeModule(module);
    RemoveCode(module);
    EXPECT_EQ(VisibleLines(module), original);
    component->Save();
    EXPECT_EQ(test::ReadBytes(copy_), original_);
}

TEST_P(CorpusModule, MarkerRemovalKeepsTheGeneratedTextThatMarkersOffInsertsBare) {
    auto marked = host::ParseModule(original_, copy_);
    AddEverything(RoundTripFields(Markers::On), marked->CodeModule());
    const auto expected = WithoutMarkerLines(VisibleLines(marked->CodeModule()));
    SelectWholeModule(marked->CodeModule());
    RemoveCodeMarkers(marked->CodeModule());
    EXPECT_EQ(VisibleLines(marked->CodeModule()), expected);

    auto bare = host::ParseModule(original_, copy_);
    AddEverything(RoundTripFields(Markers::Off), bare->CodeModule());
    EXPECT_EQ(VisibleLines(bare->CodeModule()), expected);
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusModule, ::testing::ValuesIn(test::CorpusModules()),
                         [](const ::testing::TestParamInfo<fs::path>& param) {
                             return TestName(param.param);
                         });

TEST(GeneratedModule, RemovingTheMarkedCodeGivesBackTheOriginalBytes) {
    const auto bytes = "Attribute VB_Name = \"Generated\"\r\n" + test::GeneratedModule(140);
    auto component = host::ParseModule(bytes, "Generated.bas");
    auto& module = component->CodeModule();
    const auto original = VisibleLines(module);

    EXPECT_FALSE(AddEverything(RoundTripFields(Markers::On), module));
    EXPECT_EQ(component->Code()->Procedures().size(), 160u);
    ExpectOneOfEachAroundEveryProcedure(*component->Code(), Handlers::Expected);
    const auto marked = VisibleLines(module);

    SelectWholeModule(module);
    RemoveCodeMarkers(module);
    EXPECT_EQ(VisibleLines(module), WithoutMarkerLines(marked));

    auto bare = host::ParseModule(bytes, "Generated.bas");
    AddEverything(RoundTripFields(Markers::Off), bare->CodeModule());
    EXPECT_EQ(VisibleLines(bare->CodeModule()), WithoutMarkerLines(marked));

    auto again = host::ParseModule(bytes, "Generated.bas");
    AddEverything(RoundTripFields(Markers::On), again->CodeModule());
    SelectWholeModule(again->CodeModule());
    RemoveCode(again->CodeModule());
    EXPECT_EQ(VisibleLines(again->CodeModule()), original);
    EXPECT_EQ(again->Serialize(), bytes);
}

}  // namespace
}  // namespace brindle
