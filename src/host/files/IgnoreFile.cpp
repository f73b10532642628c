#include "host/files/IgnoreFile.h"

#include <algorithm>
#include <sstream>
#include <system_error>

#include "host/files/FileSystem.h"
#include "host/files/LoadError.h"
#include "host/files/ProjectFile.h"
#include "host/files/TeamText.h"
#include "host/vb6/CodePage.h"
#include "util/Text.h"
#include "util/Unicode.h"
#include "util/Wildcard.h"

namespace fs = std::filesystem;

namespace brindle::host {
namespace {

// The character at the front of `text` (not empty): its UTF-8 sequence, or a byte.
std::string_view FirstCharacter(std::string_view text) {
    return text.substr(0, Utf8SequenceLength(text));
}

// Letter case ignored, as Windows compares file names.
bool SameCharacter(std::string_view a, std::string_view b) {
    if (a.size() == 1 && b.size() == 1) {
        return LowerAscii(a.front()) == LowerAscii(b.front());
    }
    return EqualsIgnoringCase(a, b);
}

// UTF-8's byte order is the characters' order.
bool InRange(std::string_view low, std::string_view high, std::string_view c) {
    if (low.size() == 1 && high.size() == 1 && c.size() == 1) {
        return LowerAscii(c.front()) >= LowerAscii(low.front()) &&
               LowerAscii(c.front()) <= LowerAscii(high.front());
    }
    return low <= c && c <= high;
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

// "[...]" at the start of `pattern`: whether it takes the character `c`, and its length; 0 for
// a "[" that opens no class, which then stands for itself.
std::size_t MatchClass(std::string_view pattern, std::string_view c, bool& takes) {
    std::size_t i = 1;
    const bool negated = i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^');
    i += negated ? 1 : 0;
    bool found = false;
    for (bool first = true; i < pattern.size() && (first || pattern[i] != ']'); first = false) {
        const auto item = FirstCharacter(pattern.substr(i));
        i += item.size();
        if (i + 1 < pattern.size() && pattern[i] == '-' && pattern[i + 1] != ']') {
            const auto last = FirstCharacter(pattern.substr(i + 1));
            found = found || InRange(item, last, c);
            i += 1 + last.size();
        } else {
            found = found || SameCharacter(item, c);
        }
    }
    if (i >= pattern.size()) {
        return 0;
    }
    takes = found != negated;
    return i + 1;
}

// One item of a name's pattern: a class, "?" or a character, each taking one character.
std::optional<WildcardStep> MatchItem(std::string_view pattern, std::string_view name) {
    const auto c = FirstCharacter(name);
    if (pattern.front() == '[') {
        bool takes = false;
        if (const auto length = MatchClass(pattern, c, takes)) {
            return takes ? std::optional(WildcardStep{length, c.size()}) : std::nullopt;
        }
    }
    const auto literal = FirstCharacter(pattern);
    const bool same = literal == "?" || SameCharacter(literal, c);
    return same ? std::optional(WildcardStep{literal.size(), c.size()}) : std::nullopt;
}

bool MatchName(std::string_view pattern, std::string_view name) {
    return MatchWildcard(pattern, name, MatchItem);
}

// Whether the pattern's parts from `p` on match the path's parts from `at` on (those up to the
// end when `whole`). The pairs that do not are remembered in `failed`, so that many "**" take
// time in proportion to the parts, not exponential in their count.
bool MatchPartsFrom(const std::vector<std::string_view>& pattern, std::size_t p,
                    const std::vector<std::string_view>& path, std::size_t at, bool whole,
                    std::vector<bool>& failed) {
    const std::size_t seen = p * (path.size() + 1) + at;
    if (failed[seen]) {
        return false;
    }
    bool matched = false;
    if (p == pattern.size()) {
        matched = !whole || at == path.size();
    } else if (pattern[p] == "**") {
        for (std::size_t skip = at; skip <= path.size() && !matched; ++skip) {
            matched = MatchPartsFrom(pattern, p + 1, path, skip, whole, failed);
        }
    } else {
        matched = at < path.size() && MatchName(pattern[p], path[at]) &&
                  MatchPartsFrom(pattern, p + 1, path, at + 1, whole, failed);
    }
    failed[seen] = !matched;
    return matched;
}

// Whether the pattern's parts match the leading parts of the path, all of them when `whole`.
bool MatchParts(const std::vector<std::string_view>& pattern,
                const std::vector<std::string_view>& path, bool whole) {
    std::vector<bool> failed((pattern.size() + 1) * (path.size() + 1));
    return MatchPartsFrom(pattern, 0, path, 0, whole, failed);
}

std::string Normalized(std::string_view pattern) {
    std::string text(pattern);
    std::replace(text.begin(), text.end(), '\\', '/');
    const auto last = text.find_last_not_of(" \t\r");
    text.erase(last == std::string::npos ? 0 : last + 1);
    text.erase(0, std::min(text.find_first_not_of(" \t"), text.size()));
    return text;
}

// The file's path below the folder whose identity is given, its parts in UTF-8 joined by "/";
// nothing when it lies outside. The folder is told as the system tells files apart, so that a
// path that names it in another letter case on Windows, or through a link, is below it too.
std::optional<std::string> PathBelow(const std::string& folder, const fs::path& file) {
    std::error_code error;
    fs::path at = fs::absolute(file, error).lexically_normal();
    std::string below;
    while (at.has_relative_path()) {
        below = TextOf(at.filename()) + (below.empty() ? "" : "/") + below;
        at = at.parent_path();
        if (FileIdentity(at) == folder) {
            return below;
        }
    }
    return std::nullopt;
}

// The parts of a pattern as it is matched: one without a "/" matches at any depth.
std::vector<std::string_view> PatternParts(std::string_view text) {
    const bool anchored = text.find('/') < text.find_last_not_of('/');
    auto parts = Split(text);
    if (!anchored && !parts.empty()) {
        parts.insert(parts.begin(), "**");
    }
    return parts;
}

// Whether a "[" opens no class: such a pattern is ignored.
bool HasUnclosedClass(std::string_view pattern) {
    for (std::size_t i = 0; i < pattern.size();) {
        bool takes = false;
        if (pattern[i] != '[') {
            ++i;
        } else if (const auto length = MatchClass(pattern.substr(i), "x", takes)) {
            i += length;
        } else {
            return true;
        }
    }
    return false;
}

}  // namespace

bool MatchesPathPattern(std::string_view pattern, std::string_view path) {
    const std::string text = Normalized(pattern);
    const auto parts = PatternParts(text);
    // A folder that matches leaves out everything below it.
    return !parts.empty() && MatchParts(parts, Split(path), false);
}

IgnoreFile::IgnoreFile(fs::path folder, std::string_view text, std::string label)
    : folder_(std::move(folder)), identity_(FileIdentity(folder_)) {
    std::istringstream lines{std::string(text)};
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        auto pattern = Normalized(line);
        if (pattern.empty() || pattern.front() == '#') {
            continue;
        }
        const bool negated = pattern.front() == '!';
        pattern.erase(0, negated ? 1 : 0);
        if (HasUnclosedClass(pattern)) {
            warnings_.push_back(label + ":" + std::to_string(number) + ": the pattern \"" +
                                Normalized(line) +
                                "\" has a \"[\" that is not closed; it is ignored");
            continue;
        }
        const bool foldersOnly = pattern.ends_with('/');
        if (!Split(pattern).empty()) {
            patterns_.push_back({std::move(pattern), negated, foldersOnly});
        }
    }
}

std::optional<IgnoreFile> IgnoreFile::Nearest(const fs::path& projectFile, int codePage) {
    std::error_code error;
    const auto found = NearestFile(
        fs::absolute(projectFile, error).lexically_normal().parent_path(), kIgnoreFileName);
    if (!found) {
        return std::nullopt;
    }
    const fs::path& file = *found;
    const fs::path folder = file.parent_path();
    const std::string label = Label(file, codePage);
    const std::string bytes = ReadTeamBytes<LoadError>(file, label);
    const auto text = DecodeTeamText(bytes, codePage);
    if (!text) {
        throw LoadError(label + ": is no text file; " + std::string(kIgnoreFileName) +
                        " is read in UTF-8, UTF-16 or the code page");
    }
    return IgnoreFile(folder, *text, label);
}

// The last pattern that matches the path, when it is no "!" pattern.
std::optional<std::string> IgnoreFile::Decision(const std::vector<std::string_view>& path,
                                                bool folder) const {
    const Pattern* last = nullptr;
    for (const Pattern& pattern : patterns_) {
        if ((folder || !pattern.foldersOnly) &&
            MatchParts(PatternParts(pattern.text), path, true)) {
            last = &pattern;
        }
    }
    if (last == nullptr || last->negated) {
        return std::nullopt;
    }
    return last->text;
}

std::optional<std::string> IgnoreFile::Why(const fs::path& module, bool folder) const {
    if (patterns_.empty()) {
        return std::nullopt;
    }
    const auto path = PathBelow(identity_, module);
    if (!path) {
        return std::nullopt;
    }
    // Each folder on the way down, then the file: what a folder leaves out no pattern takes
    // back.
    const auto parts = Split(*path);
    for (std::size_t length = 1; length <= parts.size(); ++length) {
        const std::vector<std::string_view> prefix(
            parts.begin(), parts.begin() + static_cast<std::ptrdiff_t>(length));
        if (auto pattern = Decision(prefix, folder || length < parts.size())) {
            return pattern;
        }
    }
    return std::nullopt;
}

}  // namespace brindle::host
