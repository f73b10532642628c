// Every project of the corpus of real VB6 projects, planned as every front end opens it: each
// module it names is found but the one file its authors left out of their repository.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/files/ProjectLoader.h"
#include "support/TestPaths.h"

namespace brindle::host {
namespace {

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
}  // namespace brindle::host
