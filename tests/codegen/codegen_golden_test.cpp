// Golden cases: a module file, the commands run on it, and the file as it must be saved.
//
// Each folder under tests/codegen/data holds input.<ext>, expected.<ext> and `command`, whose
// lines are run in order:
//   markers on | markers off       the Add Code Markers option for what follows
//   select all                     the whole module, as the project-wide commands select it
//   select L C L C                 start line, start column, end line, end column
//   AddModuleHeader | AddHeaders | AddErrHandlers | RemoveCodeMarkers | RemoveCode

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "codegen/ModuleCommands.h"
#include "codegen/codegen_support.h"
#include "host/files/ModuleFile.h"
#include "support/RecordingSink.h"
#include "support/TestPaths.h"

namespace brindle {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> Cases() {
    std::vector<fs::path> cases;
    for (const auto& entry : fs::directory_iterator(test::SourceDir() / "tests/codegen/data")) {
        if (entry.is_directory()) {
            cases.push_back(entry.path());
        }
    }
    std::sort(cases.begin(), cases.end());
    return cases;
}

// The file of the folder named `stem`, whatever its extension.
fs::path FileNamed(const fs::path& folder, const std::string& stem) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().stem() == stem) {
            return entry.path();
        }
    }
    ADD_FAILURE() << "no " << stem << " file in " << folder;
    return {};
}

void RunCommand(const std::string& line, AddinFields& fields, CodeModule& module,
                Diagnostics& sink) {
    std::istringstream words(line);
    std::string word;
    words >> word;
    if (line == "markers on" || line == "markers off") {
        fields.mbAddCodeMarkers = line == "markers on";
    } else if (line == "select all") {
        test::SelectAll(module);
    } else if (word == "select") {
        std::int32_t sl = 0, sc = 0, el = 0, ec = 0;
        words >> sl >> sc >> el >> ec;
        module.CodePane().SetSelection(sl, sc, el, ec);
    } else if (word == "AddModuleHeader") {
        AddModuleHeader(fields, module);
    } else if (word == "AddHeaders") {
        AddHeaders(fields, module);
    } else if (word == "AddErrHandlers") {
        AddErrHandlers(fields, module, &sink);
    } else if (word == "RemoveCodeMarkers") {
        RemoveCodeMarkers(fields, module, &sink);
    } else if (word == "RemoveCode") {
        RemoveCode(fields, module, &sink);
    } else if (!word.empty()) {
        ADD_FAILURE() << "unknown command line: " << line;
    }
}

class Golden : public ::testing::TestWithParam<fs::path> {};

TEST_P(Golden, SavedFileMatchesTheExpectedBytes) {
    const auto input = FileNamed(GetParam(), "input");
    test::TempDir dir;
    const auto file = dir.path() / ("Module" + input.extension().string());
    test::WriteBytes(file, test::ReadBytes(input));

    auto component = host::LoadModuleFile(file);
    auto fields = test::CodegenFields(test::Markers::Off);
    test::RecordingSink sink;
    std::ifstream commands(GetParam() / "command");
    for (std::string line; std::getline(commands, line);) {
        SCOPED_TRACE(line);
        RunCommand(line, fields, component->CodeModule(), sink);
    }
    EXPECT_EQ(sink.warnings, std::vector<std::string>{});
    component->Save();
    EXPECT_EQ(test::ReadBytes(file), test::ReadBytes(FileNamed(GetParam(), "expected")));
}

INSTANTIATE_TEST_SUITE_P(Cases, Golden, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<fs::path>& param) {
                             auto name = param.param.filename().string();
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
}  // namespace brindle
