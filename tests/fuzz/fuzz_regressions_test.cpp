// Every input that once broke a fuzzer's property, and each fuzzer's seeds, through the same
// property in this build: fuzz/regressions/<target>/ and fuzz/corpus/<target>/.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "checks/Properties.h"

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
                std::ifstream in(entry.path(), std::ios::binary);
                const std::string bytes{std::istreambuf_iterator<char>(in), {}};
                ++inputs;
                try {
                    target.check(bytes);
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
