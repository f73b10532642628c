#include "host/files/ProjectFile.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <optional>
#include <system_error>

#include "host/files/FileSystem.h"
#include "host/ide/SourceLine.h"
#include "host/vb6/CodePage.h"
#include "util/Text.h"

namespace fs = std::filesystem;

namespace brindle::host {
namespace {

std::string_view Unquote(std::string_view text) {
    text = TrimBlanks(text);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

struct KeyValue {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyValue> SplitKeyValue(std::string_view line) {
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) {
        return std::nullopt;
    }
    return KeyValue{TrimBlanks(line.substr(0, equals)), line.substr(equals + 1)};
}

constexpr std::array<std::string_view, 7> kComponentKeys = {
    "Form", "Module", "Class", "UserControl", "PropertyPage", "UserDocument", "Designer"};

bool IsComponentKey(std::string_view key) {
    return std::any_of(kComponentKeys.begin(), kComponentKeys.end(),
                       [key](std::string_view k) { return EqualsIgnoringCase(k, key); });
}

// The second byte of a double-byte character may be any byte from 0x40 up.
bool IsIdentifier(std::string_view text, int codePage) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (IsLeadByte(c, codePage)) {
            ++i;
        } else if (!IsAsciiLetterOrDigit(static_cast<char>(c)) && c != '_' && c < 0x80) {
            return false;
        }
    }
    return !text.empty();
}

ProjectEntry MakeEntry(std::string_view key, std::string_view value, int line, int codePage) {
    ProjectEntry entry{std::string(key), {}, {}, line};
    const auto semicolon = value.find(';');
    if (semicolon != std::string_view::npos &&
        IsIdentifier(TrimBlanks(value.substr(0, semicolon)), codePage)) {
        entry.name = std::string(TrimBlanks(value.substr(0, semicolon)));
        value = value.substr(semicolon + 1);
    }
    entry.path = std::string(Unquote(value));
    return entry;
}

bool IsSectionHeader(std::string_view line) {
    return !line.empty() && line.front() == '[';
}

}  // namespace

ProjectFileContents ParseProjectFile(std::string_view text, int codePage) {
    if (text.find('\0') != std::string_view::npos) {
        throw ProjectFileError("binary content, not a VB6 project file");
    }
    ProjectFileContents contents;
    bool sawType = false;
    int number = 0;
    for (const auto raw : LineTexts(text)) {
        ++number;
        const auto line = TrimBlanks(raw);
        if (IsSectionHeader(line)) {
            break;  // later sections belong to compilers and add-ins
        }
        if (line.empty()) {
            continue;
        }
        const auto pair = SplitKeyValue(line);
        if (!pair) {
            throw ProjectFileError("not a Key=Value line, so not a VB6 project file", number);
        }
        if (EqualsIgnoringCase(pair->key, "Type")) {
            sawType = true;
        } else if (EqualsIgnoringCase(pair->key, "Name")) {
            contents.name = std::string(Unquote(pair->value));
        } else if (IsComponentKey(pair->key)) {
            contents.entries.push_back(MakeEntry(pair->key, pair->value, number, codePage));
        }
    }
    if (!sawType) {
        throw ProjectFileError("no Type= line, not a VB6 project file");
    }
    return contents;
}

bool IsGroupFileText(std::string_view text) {
    const auto lines = LineTexts(text.substr(0, 64));
    const auto first = lines.empty() ? std::string_view{} : TrimBlanks(lines.front());
    return first.size() >= 7 && EqualsIgnoringCase(first.substr(0, 7), "VBGROUP");
}

std::vector<GroupEntry> ParseGroupFile(std::string_view text) {
    if (!IsGroupFileText(text) || text.find('\0') != std::string_view::npos) {
        throw ProjectFileError("no VBGROUP line, not a VB6 group file");
    }
    std::vector<GroupEntry> projects;
    int number = 0;
    for (const auto raw : LineTexts(text)) {
        ++number;
        const auto pair = SplitKeyValue(TrimBlanks(raw));
        if (!pair) {
            continue;
        }
        const bool startup = EqualsIgnoringCase(pair->key, "StartupProject");
        if (startup || EqualsIgnoringCase(pair->key, "Project")) {
            projects.push_back({std::string(Unquote(pair->value)), startup, number});
        }
    }
    return projects;
}

namespace {

// A backslash that is the second byte of a double-byte character separates nothing.
std::vector<std::string> SplitSegments(std::string_view path, int codePage) {
    std::vector<std::string> segments;
    std::string current;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const char c = path[i];
        if (c == '\\' || c == '/') {
            if (!current.empty() && current != ".") {
                segments.push_back(current);
            }
            current.clear();
            continue;
        }
        current += c;
        if (IsLeadByte(static_cast<unsigned char>(c), codePage) && i + 1 < path.size()) {
            current += path[++i];
        }
    }
    if (!current.empty() && current != ".") {
        segments.push_back(current);
    }
    return segments;
}

bool IsWindowsAbsolute(std::string_view path) {
    const bool drive = path.size() >= 2 && path[1] == ':';
    const bool rooted = !path.empty() && (path.front() == '\\' || path.front() == '/');
    return drive || rooted;
}

std::vector<fs::path> MatchesIgnoringCase(const fs::path& folder, std::string_view name) {
    std::vector<fs::path> matches;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (EqualsIgnoringCase(TextOf(it->path().filename()), name)) {
            matches.push_back(it->path());
        }
    }
    std::sort(matches.begin(), matches.end());
    return matches;
}

// Where a rooted path starts on this platform, as Windows takes it: its drive or server, or the
// root of the folder's drive; nothing where paths have no drives (it is not reachable there).
std::optional<fs::path> RootOf(const fs::path& folder, std::string_view path) {
    const fs::path rooted = PathOf(path);
    if (rooted.has_root_name() || (rooted.has_root_directory() && folder.has_root_name())) {
        return folder / rooted.root_path();
    }
    return std::nullopt;
}

ResolvedPath Resolve(const fs::path& folder, std::string_view path, int codePage) {
    fs::path start = folder.empty() ? fs::path(".") : folder;
    if (IsWindowsAbsolute(path)) {
        const auto root = RootOf(fs::absolute(start), path);
        if (!root) {
            return {PathStatus::Absolute, {}};
        }
        path.remove_prefix(std::min(path.size(), TextOf(PathOf(path).root_path()).size()));
        start = *root;
    }
    const auto segments = SplitSegments(path, codePage);
    fs::path exact = start;
    for (const auto& segment : segments) {
        exact /= PathOf(segment);
    }
    if (Exists(exact)) {
        return {PathStatus::Found, exact.lexically_normal()};
    }
    fs::path current = start;
    for (const auto& segment : segments) {
        if (segment == ".." || Exists(current / PathOf(segment))) {
            current /= PathOf(segment);
            continue;
        }
        const auto matches = MatchesIgnoringCase(current, segment);
        if (matches.size() != 1) {
            const auto status = matches.empty() ? PathStatus::Missing : PathStatus::Ambiguous;
            return {status, (current / PathOf(segment)).lexically_normal()};
        }
        current = matches.front();
    }
    return {PathStatus::Found, current.lexically_normal()};
}

}  // namespace

ResolvedPath ResolveProjectPath(const fs::path& folder, std::string_view path, int codePage) {
    const std::string decoded = ToUtf8(path, codePage);
    const ResolvedPath resolved = Resolve(folder, decoded, kUtf8CodePage);
    if (resolved.status != PathStatus::Found && decoded != path) {
        ResolvedPath raw = Resolve(folder, path, codePage);
        if (raw.status == PathStatus::Found) {
            return raw;
        }
    }
    return resolved;
}

std::string DescribeResolution(const ResolvedPath& resolved, std::string_view path, int codePage) {
    const std::string named = ToUtf8(path, codePage);
    const std::string found = ShownAsUtf8(TextOf(resolved.path), codePage);
    switch (resolved.status) {
        case PathStatus::Found:
            return named + " is " + found;
        case PathStatus::Missing:
            return named + ": no such file";
        case PathStatus::Ambiguous:
            return named + ": several files match it in different letter case (" + found + ")";
        case PathStatus::Absolute:
            return named + ": an absolute Windows path, not reachable from the project's folder";
    }
    return named;
}

}  // namespace brindle::host
