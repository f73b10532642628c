#include "host/files/IgnoreFile.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

namespace brindle::host {
namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::vector<std::string_view> Split(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t from = 0;
    while (from <= path.size()) {
        const auto slash = std::min(path.find('/', from), path.size());
        if (slash > from) {
            parts.push_back(path.substr(from, slash - from));
        }
        from = slash + 1;
    }
    return parts;
}

// "[...]" at the start of `pattern`: whether it takes `c`, and its length; 0 for a "[" that
// opens no class, which then stands for itself.
std::size_t MatchClass(std::string_view pattern, char c, bool& takes) {
    std::size_t i = 1;
    const bool negated = i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^');
    i += negated ? 1 : 0;
    bool found = false;
    for (bool first = true; i < pattern.size() && (first || pattern[i] != ']'); first = false) {
        if (i + 2 < pattern.size() && pattern[i + 1] == '-' && pattern[i + 2] != ']') {
            found = found || (Lower(c) >= Lower(pattern[i]) && Lower(c) <= Lower(pattern[i + 2]));
            i += 3;
        } else {
            found = found || Lower(c) == Lower(pattern[i]);
            ++i;
        }
    }
    if (i >= pattern.size()) {
        return 0;
    }
    takes = found != negated;
    return i + 1;
}

bool MatchName(std::string_view pattern, std::string_view name) {
    if (pattern.empty()) {
        return name.empty();
    }
    if (pattern.front() == '*') {
        for (std::size_t skip = 0; skip <= name.size(); ++skip) {
            if (MatchName(pattern.substr(1), name.substr(skip))) {
                return true;
            }
        }
        return false;
    }
    if (name.empty()) {
        return false;
    }
    if (pattern.front() == '[') {
        bool takes = false;
        if (const auto length = MatchClass(pattern, name.front(), takes)) {
            return takes && MatchName(pattern.substr(length), name.substr(1));
        }
    }
    const bool same = pattern.front() == '?' || Lower(pattern.front()) == Lower(name.front());
    return same && MatchName(pattern.substr(1), name.substr(1));
}

// Whether the pattern's parts match the leading parts of the path, all of them when `whole`.
bool MatchParts(const std::vector<std::string_view>& pattern, std::size_t p,
                const std::vector<std::string_view>& path, std::size_t at, bool whole) {
    if (p == pattern.size()) {
        return !whole || at == path.size();
    }
    if (pattern[p] == "**") {
        for (std::size_t skip = at; skip <= path.size(); ++skip) {
            if (MatchParts(pattern, p + 1, path, skip, whole)) {
                return true;
            }
        }
        return false;
    }
    return at < path.size() && MatchName(pattern[p], path[at]) &&
           MatchParts(pattern, p + 1, path, at + 1, whole);
}

std::string Normalized(std::string_view pattern) {
    std::string text(pattern);
    std::replace(text.begin(), text.end(), '\\', '/');
    const auto last = text.find_last_not_of(" \t\r");
    text.erase(last == std::string::npos ? 0 : last + 1);
    text.erase(0, std::min(text.find_first_not_of(" \t"), text.size()));
    return text;
}

}  // namespace

bool MatchesPathPattern(std::string_view pattern, std::string_view path) {
    const std::string text = Normalized(pattern);
    const bool anchored = text.find('/') < text.find_last_not_of('/');
    auto parts = Split(text);
    if (!anchored) {
        parts.insert(parts.begin(), "**");
    }
    // A folder that matches leaves out everything below it.
    return !parts.empty() && MatchParts(parts, 0, Split(path), 0, false);
}

IgnoreFile::IgnoreFile(fs::path folder, std::string_view text) : folder_(std::move(folder)) {
    std::istringstream lines{std::string(text)};
    for (std::string line; std::getline(lines, line);) {
        const auto pattern = Normalized(line);
        if (!pattern.empty() && pattern.front() != '#') {
            patterns_.push_back(pattern);
        }
    }
}

std::optional<IgnoreFile> IgnoreFile::Beside(const fs::path& projectFile) {
    std::error_code error;
    const fs::path folder = fs::absolute(projectFile, error).lexically_normal().parent_path();
    const fs::path file = folder / kIgnoreFileName;
    if (!fs::is_regular_file(file, error)) {
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        return std::nullopt;
    }
    return IgnoreFile(folder, text);
}

std::optional<std::string> IgnoreFile::Why(const fs::path& module) const {
    std::error_code error;
    const auto base = fs::absolute(folder_, error).lexically_normal();
    const auto relative = fs::absolute(module, error).lexically_normal().lexically_relative(base);
    if (relative.empty() || *relative.begin() == "..") {
        return std::nullopt;
    }
    const auto path = relative.generic_string();
    for (const auto& pattern : patterns_) {
        if (MatchesPathPattern(pattern, path)) {
            return pattern;
        }
    }
    return std::nullopt;
}

}  // namespace brindle::host
