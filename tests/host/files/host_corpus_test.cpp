// The corpus of real VB6 projects: every module each project names is found but the one file
// its authors left out of their repository, and every procedure reads as its declaration says.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
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

// The keyword of a declaration: its first word but scope and Static.
std::string_view KeywordOf(std::string_view declaration) {
    constexpr std::string_view kSkipped[] = {"Public", "Private", "Friend", "Global", "Static"};
    for (const std::string_view word : BlankSeparatedWords(declaration, 4)) {
        if (std::none_of(std::begin(kSkipped), std::end(kSkipped),
                         [&](std::string_view skipped) { return EqualsNoCase(word, skipped); })) {
            return word;
        }
    }
    return {};
}

void CheckProcedure(host::MemoryCodeModule& module, const ProcInfo& proc) {
    SCOPED_TRACE(proc.gsProcName);
    std::int32_t lineCount = 0;
    const std::int32_t body = module.ProcBodyLine(proc.gsProcName, proc.geProcKind);
    const std::string declaration = GetProcDeclLine(module, body, lineCount);
    EXPECT_TRUE(EqualsNoCase(ProcedureTypeOf(declaration), KeywordOf(declaration))) << declaration;

    // The scoped name ends in the procedure's own, maybe with a type character as in Command$().
    std::string scoped =
        ExpandKeyword(AddinFields{}, "TypedScopedProcedureName", module, nullptr, body);
    if (!scoped.empty() && std::string_view("$%&!#@").find(scoped.back()) != std::string::npos) {
        scoped.pop_back();
    }
    const std::string& name = proc.gsProcName;
    EXPECT_TRUE(scoped.size() >= name.size() &&
                EqualsNoCase(std::string_view(scoped).substr(scoped.size() - name.size()), name))
        << declaration;

    std::vector<std::string> parms;
    const std::int32_t count = GetParms(declaration, parms);
    const std::size_t open = declaration.find('(');
    EXPECT_EQ(count == 0, declaration.compare(open, 2, "()") == 0) << declaration;

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
