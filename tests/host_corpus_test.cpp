// Every module of the corpus of real VB6 projects: loaded, scanned, edited and written back.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "host/files/ModuleFile.h"
#include "support/TestPaths.h"

namespace brindle::host {
namespace {

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
            result.emplace_back(line.text, std::vector<std::string>());
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

// Each module gives back its bytes unedited; its spans hold together; each attribute line hangs
// on a line that declares a member of the attribute's name (the IDE writes them right after the
// declaration), and comes back there after lines are inserted around every declaration.
TEST(Corpus, EveryModuleLoadsScansAndSavesExactly) {
    const std::vector<fs::path> modules = test::CorpusModules();
    ASSERT_GT(modules.size(), 100u) << "the corpus is missing";
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
}  // namespace brindle::host
