#include "host/files/TemplateFileReader.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "host/files/FileSystem.h"
#include "host/vb6/CodePage.h"
#include "util/Text.h"
#include "util/Unicode.h"

namespace fs = std::filesystem;

namespace brindle::host {
namespace {

fs::path NativePath(std::string_view path) {
    std::string native(path);
    std::replace(native.begin(), native.end(), '\\', '/');
    return PathOf(native);
}

bool IsTemplatesFolder(const std::string& name) {
    return EqualsNoCase(name, "Templates");
}

// What follows the leading "Templates" folder of a relative path, or nothing.
std::optional<fs::path> InsideTemplatesFolder(const fs::path& relative) {
    auto part = relative.begin();
    while (part != relative.end() && *part == ".") {
        ++part;
    }
    if (part == relative.end() || !IsTemplatesFolder(TextOf(*part))) {
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
    const fs::path executable = ExecutableFile();
    if (executable.empty()) {
        return {};
    }
    return (executable.parent_path() / BRINDLE_TEMPLATE_DIR_FROM_BIN).lexically_normal();
}

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

struct Decoded {
    std::string text;
    std::string whyRefused;  // empty when the bytes are text
};

// UTF-16 without a byte order mark shows as NUL bytes at every other place.
std::string WhyNulBytes(std::string_view bytes) {
    std::size_t oddNuls = 0;
    std::size_t evenNuls = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\0') {
            ++(i % 2 == 0 ? evenNuls : oddNuls);
        }
    }
    const std::size_t units = bytes.size() / 2;
    if (units > 0 && std::max(oddNuls, evenNuls) * 2 >= units) {
        return "it looks like UTF-16 without a byte order mark; save it as UTF-8, or as UTF-16 "
               "with a byte order mark";
    }
    return "it holds NUL bytes, so it is no text";
}

bool HoldsReplacementUnit(std::string_view units, bool bigEndian) {
    for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
        const char high = bigEndian ? units[i] : units[i + 1];
        const char low = bigEndian ? units[i + 1] : units[i];
        if (high == '\xFF' && low == '\xFD') {
            return true;
        }
    }
    return false;
}

Decoded DecodeUtf16(std::string_view units, bool bigEndian) {
    const std::string_view name = bigEndian ? "UTF-16 BE" : "UTF-16 LE";
    Decoded decoded{ToUtf8(units, bigEndian ? kUtf16BeCodePage : kUtf16LeCodePage), {}};
    const bool replaced = decoded.text.find(kReplacement) != std::string::npos &&
                          !HoldsReplacementUnit(units, bigEndian);
    if (units.size() % 2 != 0 || replaced) {
        decoded.whyRefused = "it starts with the byte order mark of " + std::string(name) +
                             " but is no valid " + std::string(name);
    } else if (decoded.text.find('\0') != std::string::npos) {
        decoded.whyRefused = "it holds NUL characters, so it is no text";
    }
    return decoded;
}

// A template that is no text would reach every module as it is, and a module holding NUL bytes
// is refused as binary by every command: nothing could take it out again.
Decoded DecodeTemplate(std::string_view bytes, int codePage) {
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        const std::string_view rest = bytes.substr(3);
        if (!IsValidUtf8(rest)) {
            return {{}, "it starts with the byte order mark of UTF-8 but is no valid UTF-8"};
        }
        if (rest.find('\0') != std::string_view::npos) {
            return {{}, WhyNulBytes(rest)};
        }
        return {std::string(rest), {}};
    }
    if (bytes.starts_with("\xFF\xFE")) {
        return DecodeUtf16(bytes.substr(2), false);
    }
    if (bytes.starts_with("\xFE\xFF")) {
        return DecodeUtf16(bytes.substr(2), true);
    }
    if (bytes.find('\0') != std::string_view::npos) {
        return {{}, WhyNulBytes(bytes)};
    }
    if (IsValidUtf8(bytes)) {
        return {std::string(bytes), {}};
    }
    Decoded decoded{ToUtf8(bytes, codePage), {}};
    if (decoded.text.find(kReplacement) != std::string::npos) {
        decoded.whyRefused =
            "it is neither UTF-8 nor text in code page " + std::to_string(codePage);
    }
    return decoded;
}

}  // namespace

TemplateFileReader::TemplateFileReader()
    : TemplateFileReader({BesideExecutable(), BRINDLE_TEMPLATE_DIR, BRINDLE_SOURCE_TEMPLATE_DIR}) {}

TemplateFileReader::TemplateFileReader(std::vector<fs::path> templateFolders)
    : templateFolders_(std::move(templateFolders)) {}

TemplateFileReader TemplateFileReader::Beside(const fs::path& folder) {
    TemplateFileReader reader({folder / "Templates"});
    reader.besideFolder_ = folder;
    return reader;
}

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
    if (!besideFolder_.empty() && Exists(besideFolder_ / native)) {
        return besideFolder_ / native;
    }
    return FromTemplateFolders(native).value_or(native);
}

std::optional<std::string> TemplateFileReader::Read(std::string_view path) {
    refused_.erase(std::string(path));
    const fs::path file = Resolve(path);
    std::error_code error;
    if (file.empty() || !fs::is_regular_file(file, error)) {
        return std::nullopt;
    }
    std::string bytes;
    try {
        bytes = ReadFileBytes(file);
    } catch (const FileError&) {
        return std::nullopt;
    }
    Decoded decoded = DecodeTemplate(bytes, codePage_);
    if (!decoded.whyRefused.empty()) {
        refused_[std::string(path)] = std::move(decoded.whyRefused);
        return std::nullopt;
    }
    WarnOfMissingCharacters(path, decoded.text);
    return std::move(decoded.text);
}

std::string TemplateFileReader::WhyRefused(std::string_view path) {
    const auto found = refused_.find(path);
    return found == refused_.end() ? std::string() : found->second;
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
