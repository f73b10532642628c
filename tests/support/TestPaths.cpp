#include "support/TestPaths.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string_view>

namespace fs = std::filesystem;

namespace brindle::test {

fs::path SourceDir() {
    return BRINDLE_SOURCE_DIR;
}

fs::path CorpusDir() {
    return BRINDLE_CORPUS_DIR;
}

std::string MissingCorpus() {
    if (!CorpusModules().empty()) {
        return {};
    }
    return "needs the corpus of real VB6 projects in " + Generic(CorpusDir()) +
           " (the shared folder beside the repository), which is not there";
}

bool CorpusRequired() {
    const char* required = std::getenv("BRINDLE_REQUIRE_CORPUS");
    return required != nullptr && *required != '\0' && std::string_view(required) != "0";
}

std::vector<fs::path> FilesEndingIn(const std::vector<std::string>& extensions,
                                    const fs::path& folder) {
    std::vector<fs::path> files;
    if (!fs::exists(folder)) {
        return files;
    }
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        std::string ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (entry.is_regular_file() &&
            std::find(extensions.begin(), extensions.end(), ext) != extensions.end()) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<fs::path> CorpusModules() {
    return FilesEndingIn({".bas", ".cls", ".frm", ".ctl", ".pag", ".dob", ".dsr"}, CorpusDir());
}

TempDir::TempDir() {
    std::random_device random;
    path_ = fs::temp_directory_path() / ("brindle-test-" + std::to_string(random()));
    fs::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

std::string Generic(const fs::path& path) {
    const std::u8string text = path.generic_u8string();
    return {text.begin(), text.end()};
}

fs::path PathOf(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + file.string());
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

}  // namespace brindle::test
