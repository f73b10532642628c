#pragma once
// Running the built brindle executable in a folder, as a user's shell would, and looking at
// the files it leaves.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/RunProgram.h"
#include "support/TestPaths.h"

namespace brindle::test {

// Runs brindle in `folder` with its settings in `settings`, so that the user's own settings are
// never touched. Without `typed` it has no terminal (standard input is empty). With it, brindle
// gets a terminal of its own on which `typed` is typed, and `out` is what the terminal shows.
inline BrindleRun RunBrindle(const std::filesystem::path& folder,
                             const std::filesystem::path& settings,
                             const std::vector<std::string>& args,
                             const std::optional<std::string>& typed = std::nullopt) {
    return RunProgram(BRINDLE_EXE, folder, settings, args, typed);
}

// The words of a command line, split at each space alone, as the tables of the suites write them.
inline std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    for (std::string word; std::getline(in, word, ' ');) {
        words.push_back(word);
    }
    return words;
}

// Every file below `folder`, by its relative path, with its bytes.
inline std::map<std::string, std::string> Snapshot(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) {
            files[Generic(entry.path().lexically_relative(folder))] = ReadBytes(entry.path());
        }
    }
    return files;
}

// A writable copy of a folder of the source tree or the corpus.
inline void CopyFolder(const std::filesystem::path& from, const std::filesystem::path& to) {
    namespace fs = std::filesystem;
    fs::create_directories(to.parent_path());
    fs::copy(from, to, fs::copy_options::recursive);
    for (const auto& entry : fs::recursive_directory_iterator(to)) {
        fs::permissions(entry.path(), fs::perms::owner_read | fs::perms::owner_write,
                        fs::perm_options::add);
    }
}

// The behaviour cases of tests/cli/cases: a folder each, beside the team settings and
// templates they share.
inline std::filesystem::path CasesDir() {
    return SourceDir() / "tests" / "cli" / "cases";
}

// The files a case starts from, by their paths in it: all but `case` and expected/.
inline std::map<std::string, std::string> CaseInputs(const std::filesystem::path& from) {
    auto files = Snapshot(from);
    std::erase_if(files, [](const auto& file) {
        return file.first == "case" || file.first.starts_with("expected/");
    });
    return files;
}

// Lays the case in `from` out below `root` as its test runs it: in root/case, with the shared
// brindle.ini and templates in `root`. The case's folder.
inline std::filesystem::path LayOutCase(const std::filesystem::path& from,
                                        const std::filesystem::path& root) {
    CopyFolder(CasesDir() / "T", root / "T");
    WriteBytes(root / "brindle.ini", ReadBytes(CasesDir() / "brindle.ini"));
    for (const auto& [file, bytes] : CaseInputs(from)) {
        WriteBytes(root / "case" / PathOf(file), bytes);
    }
    return root / "case";
}

// How many lines of `bytes`, without their line breaks, are `wanted`.
inline int CountLines(const std::string& bytes, const std::string& wanted) {
    int count = 0;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) {
        count += line == wanted || line == wanted + "\r" ? 1 : 0;
    }
    return count;
}

// Whether `text` holds `part`; when it does not, the text is shown.
inline ::testing::AssertionResult Has(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "no \"" << part << "\" in:\n" << text;
}

// Whether `text` holds `part` exactly once.
inline ::testing::AssertionResult HasOnce(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos && text.find(part) == text.rfind(part)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "not once \"" << part << "\" in:\n" << text;
}

// The text with each run of blanks and line breaks made one space, as a table's columns or
// wrapped help read when flowed.
inline std::string Flow(const std::string& text) {
    std::string flowed;
    for (const char c : text) {
        const bool blank = c == ' ' || c == '\n' || c == '\r' || c == '\t';
        if (!blank || (!flowed.empty() && flowed.back() != ' ')) {
            flowed += blank ? ' ' : c;
        }
    }
    return flowed;
}

inline const std::string kBeginMarker = "' [Brindle Begin]";

}  // namespace brindle::test
