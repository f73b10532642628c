#include "host/files/TemplateFileReader.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <system_error>

#include "host/vb6/CodePage.h"

namespace fs = std::filesystem;

namespace brindle::host {
namespace {

fs::path NativePath(std::string_view path) {
    std::string native(path);
    std::replace(native.begin(), native.end(), '\\', '/');
    return fs::path(native);
}

bool Exists(const fs::path& path) {
    std::error_code ignored;
    return fs::exists(path, ignored);
}

bool IsTemplatesFolder(const std::string& name) {
    constexpr std::string_view kName = "templates";
    return std::equal(name.begin(), name.end(), kName.begin(), kName.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == b;
    });
}

// What follows the leading "Templates" folder of a relative path, or nothing.
std::optional<fs::path> InsideTemplatesFolder(const fs::path& relative) {
    auto part = relative.begin();
    while (part != relative.end() && *part == ".") {
        ++part;
    }
    if (part == relative.end() || !IsTemplatesFolder(part->string())) {
        return std::nullopt;
    }
    fs::path rest;
    for (++part; part != relative.end(); ++part) {
        rest /= *part;
    }
    return rest.empty() ? std::nullopt : std::optional<fs::path>(rest);
}

// The installed templates beside the running executable; empty when it cannot be told.
fs::path BesideExecutable() {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error) {
        return {};
    }
    return (executable.parent_path() / BRINDLE_TEMPLATE_DIR_FROM_BIN).lexically_normal();
}

std::string DecodeTemplate(std::string_view bytes, int codePage) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        return ToUtf8(bytes.substr(3), kUtf8CodePage);
    }
    if (bytes.starts_with("\xFF\xFE")) {
        return ToUtf8(bytes.substr(2), kUtf16LeCodePage);
    }
    if (bytes.starts_with("\xFE\xFF")) {
        return ToUtf8(bytes.substr(2), kUtf16BeCodePage);
    }
    return ShownAsUtf8(bytes, codePage);
}

}  // namespace

TemplateFileReader::TemplateFileReader()
    : TemplateFileReader({BesideExecutable(), BRINDLE_TEMPLATE_DIR, BRINDLE_SOURCE_TEMPLATE_DIR}) {}

TemplateFileReader::TemplateFileReader(std::vector<fs::path> templateFolders)
    : templateFolders_(std::move(templateFolders)) {}

std::optional<fs::path> TemplateFileReader::FromTemplateFolders(const fs::path& relative) const {
    const std::optional<fs::path> rest = InsideTemplatesFolder(relative);
    if (!rest) {
        return std::nullopt;
    }
    for (const fs::path& folder : templateFolders_) {
        if (!folder.empty() && Exists(folder / *rest)) {
            return folder / *rest;
        }
    }
    return std::nullopt;
}

fs::path TemplateFileReader::Resolve(std::string_view path) const {
    if (path.empty()) {
        return {};
    }
    const fs::path native = NativePath(path);
    if (native.is_absolute() || Exists(native)) {
        return native;
    }
    return FromTemplateFolders(native).value_or(native);
}

std::optional<std::string> TemplateFileReader::Read(std::string_view path) {
    const fs::path file = Resolve(path);
    std::error_code error;
    if (file.empty() || !fs::is_regular_file(file, error)) {
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in.is_open()) {
        return std::nullopt;
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        return std::nullopt;
    }
    std::string text = DecodeTemplate(bytes, codePage_);
    WarnOfMissingCharacters(path, text);
    return text;
}

void TemplateFileReader::SetCodePage(int codePage, Warn warn) {
    codePage_ = codePage;
    warn_ = std::move(warn);
    warned_.clear();
}

void TemplateFileReader::WarnOfMissingCharacters(std::string_view path, std::string_view text) {
    if (!warn_ || warned_.contains(path)) {
        return;
    }
    const std::string missing = MissingFrom(text, codePage_);
    if (!missing.empty()) {
        warned_.emplace(path);
        warn_("template " + std::string(path) + ": code page " + std::to_string(codePage_) +
              " lacks these characters, each is written as \"?\": " + missing);
    }
}

}  // namespace brindle::host
