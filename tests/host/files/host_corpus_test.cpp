// The corpus of real VB6 projects: every module each project names is found but the one file
// its authors left out of their repository, and every procedure reads as its declaration says.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "analysis/ProcDecl.h"
#include "analysis/SelectedProcs.h"
#include "host/files/ModuleFile.h"
#include "host/files/ProjectLoader.h"
#include "support/TestPaths.h"
#include "templates/Expansion.h"
#include "util/Text.h"

namespace brindle {
namespace {

using namespace host;

namespace fs = std::filesystem;

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

// Each procedure of every module, selected whole, reads as its declaration says: the analysis
// and the expansion agree with a plain reading of the declaration, and the End statement found
// is the host's.
TEST(Corpus, EveryProcedureReadsAsItsDeclarationSays) {
    BRINDLE_NEEDS_CORPUS();
    const std::vector<fs::path> modules = test::CorpusModules();
    ASSERT_GT(modules.size(), 100u) << "the corpus is incomplete";
    std::size_t procedures = 0;
    for (const fs::path& file : modules) {
        SCOPED_TRACE(file.string());
        auto component = LoadModuleFile(file);
        MemoryCodeModule& module = *component->Code();
        module.CodePane().SetSelection(1, 1, module.CountOfLines() + 1, 1);
        const ProcList selected = GetSelectedProcs(module);
        ProcList distinct;  // a procedure declared under #If and #Else counts once
        for (const ProcedureInfo& info : module.Procedures()) {
            distinct.TryAdd({info.procedure.name, info.procedure.kind});
        }
        EXPECT_EQ(selected.size(), distinct.size());
        procedures += selected.size();
        for (const ProcInfo& proc : selected) {
            CheckProcedure(module, proc);
        }
    }
    EXPECT_GT(procedures, 5000u);
}

TEST(CorpusProjects, EveryModuleTheyNameIsFoundButOne) {
    BRINDLE_NEEDS_CORPUS();
    const auto projects = test::FilesEndingIn({".vbp"}, test::CorpusDir());
    EXPECT_GT(projects.size(), 50u);
    std::vector<std::string> problems;
    for (const auto& project : projects) {
        const auto plan = PlanProjects(project, 1252);
        EXPECT_FALSE(plan.projects.empty()) << project;
        for (const auto& problem : plan.problems) {
            problems.push_back(problem.text);
        }
    }
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("cCommonDialog.cls: no such file"), std::string::npos)
        << problems[0];
}

}  // namespace
}  // namespace brindle
