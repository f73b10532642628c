#pragma once
// Where tests find the corpus and the sources, and a temporary folder per test.

#include <filesystem>
#include <string>
#include <vector>

namespace brindle::test {

// Whether paths are those of Windows (the tests then run there, or under Wine).
constexpr bool kOnWindows = std::filesystem::path::preferred_separator == '\\';

std::filesystem::path SourceDir();
std::filesystem::path CorpusDir();
// Why the corpus of real projects cannot be used (it is not beside the repository, as in a
// fresh clone); empty when it can.
std::string MissingCorpus();
// Whether a missing corpus fails the tests that need it instead of skipping them: where
// BRINDLE_REQUIRE_CORPUS is set, as CI sets it.
bool CorpusRequired();
// Every file below `folder` whose extension is one of `extensions` (lower case, with the dot)
// in any letter case, sorted.
std::vector<std::filesystem::path> FilesEndingIn(const std::vector<std::string>& extensions,
                                                 const std::filesystem::path& folder);
// Every VB6 module file (.bas .cls .frm .ctl .pag .dob .dsr) under the corpus, sorted.
std::vector<std::filesystem::path> CorpusModules();

// A fresh folder that is removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A path in UTF-8 with "/" between its parts, as the tests name files.
std::string Generic(const std::filesystem::path& path);
// The path that UTF-8 text names.
std::filesystem::path PathOf(const std::string& utf8);

std::string ReadBytes(const std::filesystem::path& file);
void WriteBytes(const std::filesystem::path& file, const std::string& bytes);

}  // namespace brindle::test

// Skips the test that needs the corpus when it is missing, or fails it where it is required.
#define BRINDLE_NEEDS_CORPUS()                                                 \
    do {                                                                       \
        if (const auto why = ::brindle::test::MissingCorpus(); !why.empty()) { \
            if (::brindle::test::CorpusRequired()) {                           \
                FAIL() << why;                                                 \
            }                                                                  \
            GTEST_SKIP() << why;                                               \
        }                                                                      \
    } while (false)
