// Behaviour cases as data: each folder of cases/ holds the files a user has, a file `case`
// (the command line, brindle's exit status, then lines that its standard error must hold) and
// under expected/ the files as the command leaves them. The cases share the team settings and
// templates of cases/ (a case's own brindle.ini takes their place).

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_support.h"

namespace fs = std::filesystem;

namespace brindle::test {
namespace {

using Files = std::map<std::string, std::string>;

class Case : public ::testing::TestWithParam<std::string> {
protected:
    // What the case must hold after its command: its files, with those under expected/ over
    // them.
    Files Expected() const {
        Files files = CaseInputs(CasesDir() / GetParam());
        if (fs::exists(CasesDir() / GetParam() / "expected")) {
            for (const auto& [name, bytes] : Snapshot(CasesDir() / GetParam() / "expected")) {
                files[name] = bytes;
            }
        }
        return files;
    }

    TempDir temp;
};

TEST_P(Case, LeavesTheExpectedFilesAndTellsWhatItMust) {
    std::istringstream lines(ReadBytes(CasesDir() / GetParam() / "case"));
    std::string command;
    int status = 0;
    std::getline(lines, command);
    lines >> status >> std::ws;
    const auto folder = LayOutCase(CasesDir() / GetParam(), temp.path());
    const auto run = RunBrindle(folder, temp.path() / "settings.ini", Words(command + " --yes"));
    EXPECT_EQ(run.status, status) << run.err;
    EXPECT_EQ(Snapshot(folder), Expected()) << run.err;
    for (std::string line; std::getline(lines, line);) {
        EXPECT_TRUE(Has(run.err, line));
    }
}

std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(CasesDir())) {
        if (fs::exists(entry.path() / "case")) {
            names.push_back(entry.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

INSTANTIATE_TEST_SUITE_P(Cases, Case, ::testing::ValuesIn(Names()), [](const auto& test) {
    auto name = test.param;
    std::replace(name.begin(), name.end(), '-', '_');
    return name;
});

}  // namespace
}  // namespace brindle::test
