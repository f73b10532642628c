// Every input that once broke a fuzzer's property, and each fuzzer's seeds, through the same
// property in this build: fuzz/regressions/<target>/ and fuzz/corpus/<target>/.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "checks/Properties.h"
#include "support/TestPaths.h"

namespace brindle::fuzz {
namespace {

namespace fs = std::filesystem;

TEST(FuzzInputs, HoldTheirProperty) {
    for (const Target& target : Targets()) {
        int inputs = 0;
        for (const char* folder : {"corpus", "regressions"}) {
            const fs::path dir = fs::path(BRINDLE_SOURCE_DIR) / "fuzz" / folder / target.name;
            if (!fs::is_directory(dir)) {
                continue;
            }
            for (const auto& entry : fs::directory_iterator(dir)) {
                ++inputs;
                try {
                    target.check(test::ReadBytes(entry.path()));
                } catch (const std::exception& broken) {
                    ADD_FAILURE() << entry.path().string() << ": " << broken.what();
                }
            }
        }
        EXPECT_GT(inputs, 0) << "no seeds for " << target.name;
    }
}

}  // namespace
}  // namespace brindle::fuzz
