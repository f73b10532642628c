// Every module of the corpus of real VB6 projects: loaded, scanned, edited and written back.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "host/ModuleFile.h"
#include "support/TestPaths.h"

namespace brindle::host {
namespace {

namespace fs = std::filesystem;
using test::CorpusModules;
using test::ReadBytes;

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
            std::vector<std::string> texts;
            for (const SourceLine& attribute : *line.attributes) {
                texts.push_back(attribute.text);
            }
            result.emplace_back(line.text, texts);
        }
    }
    return result;
}

class CorpusTest : public ::testing::Test {
protected:
    void SetUp() override {
        modules = CorpusModules();
        ASSERT_GT(modules.size(), 100u) << "the corpus is missing";
    }
    std::vector<fs::path> modules;
};

TEST_F(CorpusTest, LoadThenSaveGivesTheSameBytes) {
    for (const fs::path& file : modules) {
        SCOPED_TRACE(file.string());
        std::string bytes = ReadBytes(file);
        auto component = LoadModuleFile(file);
        EXPECT_EQ(component->Serialize(), bytes);
        EXPECT_FALSE(component->Save());
    }
}

TEST_F(CorpusTest, SpansAreContiguousAndHoldTheirDeclarationAndEnd) {
    std::size_t procedures = 0;
    for (const fs::path& file : modules) {
        SCOPED_TRACE(file.string());
        auto component = LoadModuleFile(file);
        MemoryCodeModule& module = *component->Code();
        std::vector<ProcedureInfo> procs = module.Procedures();
        procedures += procs.size();
        std::int32_t expectedStart = procs.empty() ? 0 : procs.front().procedure.startLine;
        for (const ProcedureInfo& info : procs) {
            const Procedure& p = info.procedure;
            SCOPED_TRACE(p.name);
            EXPECT_EQ(p.startLine, expectedStart);
            EXPECT_GE(p.startLine, 1);
            EXPECT_LE(p.startLine, p.bodyLine);
            EXPECT_LE(p.endLine, info.lastLine);
            ASSERT_GT(p.endLine, 0) << "no End statement";
            EXPECT_LT(p.bodyLine, p.endLine + (p.bodyLine == p.endLine ? 1 : 0));
            // Real code may close a procedure with the wrong kind of End.
            std::string end = Lower(module.Lines(p.endLine, 1));
            EXPECT_TRUE(end.find("end sub") != std::string::npos ||
                        end.find("end function") != std::string::npos ||
                        end.find("end property") != std::string::npos)
                << end;
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
            if (next == 0) {
                EXPECT_EQ(name, "") << "line " << line;
            } else {
                EXPECT_EQ(name, procs[next - 1].procedure.name) << "line " << line;
                EXPECT_EQ(kind, procs[next - 1].procedure.kind) << "line " << line;
            }
        }
    }
    EXPECT_GT(procedures, 5000u);
}

// The IDE writes member attributes directly after a member's declaration: each attribute
// line must hang on a line that declares a member of the attribute's name.
TEST_F(CorpusTest, AttributesHangOnTheDeclarationOfTheirMember) {
    std::size_t attributed = 0;
    for (const fs::path& file : modules) {
        SCOPED_TRACE(file.string());
        auto component = LoadModuleFile(file);
        MemoryCodeModule& module = *component->Code();
        for (const CodeLine& line : module.StoredLines()) {
            if (!line.attributes) {
                continue;
            }
            for (const SourceLine& attribute : *line.attributes) {
                ++attributed;
                std::string name = attribute.text.substr(10, attribute.text.find('.') - 10);
                EXPECT_EQ(Lower(module.Members().Item(name)->Name()), Lower(name));
                EXPECT_NE(Lower(line.text).find(Lower(name)), std::string::npos) << line.text;
            }
        }
    }
    EXPECT_GT(attributed, 500u);
}

TEST_F(CorpusTest, AttributesComeBackAfterTheirDeclarationAfterInsertions) {
    for (const fs::path& file : modules) {
        auto component = LoadModuleFile(file);
        MemoryCodeModule& module = *component->Code();
        auto before = AttributedLines(module);
        if (before.empty()) {
            continue;
        }
        SCOPED_TRACE(file.string());
        std::vector<ProcedureInfo> procs = module.Procedures();
        for (auto p = procs.rbegin(); p != procs.rend(); ++p) {
            module.InsertLines(module.ProcBodyLine(p->procedure.name, p->procedure.kind),
                               "' a note above\r\n");
            module.InsertLines(p->procedure.declLastLine + 3, "    ' a note below");
        }
        module.InsertLines(1, "' module note");
        std::string saved = component->Serialize();
        auto reloaded = ParseModule(saved, file);
        EXPECT_EQ(AttributedLines(*reloaded->Code()), before);
        EXPECT_EQ(reloaded->Code()->CountOfLines(), module.CountOfLines());
    }
}

}  // namespace
}  // namespace brindle::host
