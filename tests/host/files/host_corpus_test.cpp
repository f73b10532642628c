// Every module of the corpus of real VB6 projects: loaded, scanned, its procedures read as their
// declarations say, edited and written back.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "analysis/LineHelpers.h"
#include "analysis/ProcDecl.h"
#include "analysis/SelectedProcs.h"
#include "host/files/ModuleFile.h"
#include "support/TestPaths.h"
#include "templates/Expansion.h"
#include "util/Text.h"

namespace brindle {
namespace {

using namespace host;

namespace fs = std::filesystem;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The declarations with the attribute lines that follow them, in file order.
std::vector<std::pair<std::string, std::vector<std::string>>> AttributedLines(
    const MemoryCodeModule& module) {
    std::vector<std::pair<std::string, std::vector<std::string>>> result;
    for (const CodeLine& line : module.StoredLines()) {
        if (line.attributes) {
            result.emplace_back(line.text.str(), std::vector<std::string>());
            for (const SourceLine& attribute : *line.attributes) {
                result.back().second.push_back(attribute.text);
            }
        }
    }
    return result;
}

void CheckSpans(MemoryCodeModule& module, const std::vector<ProcedureInfo>& procs) {
    // Spans are contiguous, each holds its declaration and its End, and the last runs to the
    // module's end.
    std::int32_t expectedStart = procs.empty() ? 1 : procs.front().procedure.startLine;
    for (const ProcedureInfo& info : procs) {
        const Procedure& p = info.procedure;
        SCOPED_TRACE(p.name);
        EXPECT_EQ(p.startLine, expectedStart);
        EXPECT_LE(p.startLine, p.bodyLine);
        // Real code may close a procedure with the wrong kind of End: it ends the span, but is
        // no End statement of the procedure.
        const std::string own = "end " + Lower(std::string(KeywordText(p.keyword)));
        if (p.endLine == 0) {
            const auto span = Lower(module.Lines(p.bodyLine, info.lastLine - p.bodyLine + 1));
            EXPECT_EQ(span.find(own), std::string::npos);
            EXPECT_NE(span.find("end "), std::string::npos) << "no End statement";
        } else {
            EXPECT_LE(p.bodyLine, p.endLine);
            EXPECT_LE(p.endLine, info.lastLine);
            EXPECT_NE(Lower(module.Lines(p.endLine, 1)).find(own), std::string::npos);
        }
        // The first of two procedures of one name (whole procedures under #If ... #Else)
        // answers for the name.
        std::int32_t body = module.ProcBodyLine(p.name, p.kind);
        EXPECT_LE(body, p.bodyLine);
        if (body == p.bodyLine) {
            EXPECT_EQ(module.ProcStartLine(p.name, p.kind), p.startLine);
            EXPECT_EQ(module.ProcCountLines(p.name, p.kind), info.lastLine - p.startLine + 1);
        }
        expectedStart = info.lastLine + 1;
    }
    if (!procs.empty()) {
        EXPECT_EQ(procs.back().lastLine, module.CountOfLines());
    }
    // Every line belongs to the declarations section or to exactly the span that says so.
    std::size_t next = 0;
    for (std::int32_t line = 1; line <= module.CountOfLines(); ++line) {
        while (next < procs.size() && procs[next].procedure.startLine <= line) {
            ++next;
        }
        vbext_ProcKind kind = vbext_pk_Proc;
        std::string name = module.ProcOfLine(line, kind);
        EXPECT_EQ(name, next == 0 ? "" : procs[next - 1].procedure.name) << "line " << line;
        EXPECT_EQ(kind, next == 0 ? vbext_pk_Proc : procs[next - 1].procedure.kind)
            << "line " << line;
    }
}

// What a declaration says of itself: scope, Static, the keyword, Get/Let/Set, the name.
const std::regex kDeclaration(
    R"(^[ \t]*(?:(?:Public|Private|Friend|Global)[ \t]+)?(?:Static[ \t]+)?)"
    R"((Sub|Function|Property)[ \t]+(?:(?:Get|Let|Set)[ \t]+)?([A-Za-z_][A-Za-z0-9_\x80-\xFF]*))",
    std::regex::icase);

// One parameter declaration, as the language allows it.
const std::regex kParameter(
    R"(^[ \t]*(?:Optional[ \t]+)?(?:(?:ByVal|ByRef)[ \t]+)?(?:ParamArray[ \t]+)?)"
    R"([A-Za-z][A-Za-z0-9_\x80-\xFF]*[$%&!#@]?(?:\(\))?)"
    R"((?:[ \t]+As[ \t]+(?:New[ \t]+)?[A-Za-z][A-Za-z0-9_.]*(?:[ \t]*\*[ \t]*[0-9]+)?)?)"
    R"((?:[ \t]*=[ \t]*.+)?[ \t]*$)",
    std::regex::icase);

void CheckProcedure(host::MemoryCodeModule& module, const ProcInfo& proc) {
    SCOPED_TRACE(proc.gsProcName);
    std::int32_t lineCount = 0;
    const std::int32_t body = module.ProcBodyLine(proc.gsProcName, proc.geProcKind);
    const std::string declaration = GetProcDeclLine(module, body, lineCount);
    std::smatch words;
    ASSERT_TRUE(std::regex_search(declaration, words, kDeclaration)) << declaration;
    EXPECT_TRUE(EqualsNoCase(ProcedureTypeOf(declaration), words[1].str())) << declaration;

    // The scoped name ends in the procedure's own, maybe with a type character as in Command$().
    const std::string scoped =
        ExpandKeyword(AddinFields{}, "TypedScopedProcedureName", module, nullptr, body);
    EXPECT_TRUE(
        std::regex_search(scoped, std::regex(proc.gsProcName + "[$%&!#@]?$", std::regex::icase)))
        << declaration;

    std::vector<std::string> parms;
    const std::int32_t count = GetParms(declaration, parms);
    const std::size_t open = declaration.find('(');
    const bool emptyList = declaration.compare(open, 2, "()") == 0;
    EXPECT_EQ(count == 0, emptyList) << declaration;
    for (std::int32_t i = 0; i < count; ++i) {
        EXPECT_TRUE(std::regex_match(parms[static_cast<std::size_t>(i)], kParameter))
            << "parameter " << i << " of " << declaration;
    }

    // Only an End statement of the declaration's kind counts, as in the spans above.
    EXPECT_EQ(GetProcLastLineNum(module, proc.gsProcName, proc.geProcKind),
              module.ProcEndLine(proc.gsProcName, proc.geProcKind));
}

// Each module gives back its bytes unedited; its spans hold together; each attribute line hangs
// on a line that declares a member of the attribute's name (the IDE writes them right after the
// declaration), and comes back there after lines are inserted around every declaration.
TEST(Corpus, EveryModuleLoadsScansAndSavesExactly) {
    BRINDLE_NEEDS_CORPUS();
    const std::vector<fs::path> modules = test::CorpusModules();
    ASSERT_GT(modules.size(), 100u) << "the corpus is incomplete";
    std::size_t procedures = 0;
    std::size_t attributed = 0;
    for (const fs::path& file : modules) {
        SCOPED_TRACE(file.string());
        auto component = LoadModuleFile(file);
        EXPECT_EQ(component->Serialize(), test::ReadBytes(file));
        EXPECT_FALSE(component->Save());

        MemoryCodeModule& module = *component->Code();
        const std::vector<ProcedureInfo> procs = module.Procedures();
        procedures += procs.size();
        CheckSpans(module, procs);
        // As the analysis reads them, with the whole module selected.
        module.CodePane().SetSelection(1, 1, module.CountOfLines() + 1, 1);
        const ProcList selected = GetSelectedProcs(module);
        ProcList distinct;  // a procedure declared under #If and #Else counts once
        for (const ProcedureInfo& info : procs) {
            distinct.TryAdd({info.procedure.name, info.procedure.kind});
        }
        EXPECT_EQ(selected.size(), distinct.size());
        for (const ProcInfo& proc : selected) {
            CheckProcedure(module, proc);
        }

        const auto before = AttributedLines(module);
        for (const auto& [declaration, attributes] : before) {
            for (const std::string& attribute : attributes) {
                ++attributed;
                std::string name = attribute.substr(10, attribute.find('.') - 10);
                EXPECT_EQ(Lower(module.Members().Item(name)->Name()), Lower(name));
                EXPECT_NE(Lower(declaration).find(Lower(name)), std::string::npos) << declaration;
            }
        }
        if (before.empty()) {
            continue;
        }
        for (auto p = procs.rbegin(); p != procs.rend(); ++p) {
            module.InsertLines(module.ProcBodyLine(p->procedure.name, p->procedure.kind),
                               "' a note above\r\n");
            module.InsertLines(p->procedure.declLastLine + 3, "    ' a note below");
        }
        module.InsertLines(1, "' module note");
        auto reloaded = ParseModule(component->Serialize(), file);
        EXPECT_EQ(AttributedLines(*reloaded->Code()), before);
        EXPECT_EQ(reloaded->Code()->CountOfLines(), module.CountOfLines());
    }
    EXPECT_GT(procedures, 5000u);
    EXPECT_GT(attributed, 500u);
}

}  // namespace
}  // namespace brindle
