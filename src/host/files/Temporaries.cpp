// The temporary files that replace a file's bytes, and what a killed run left of them.

#include <charconv>
#include <mutex>
#include <set>
#include <string>
#include <system_error>

#include "host/files/FileSystem.h"

namespace fs = std::filesystem;

namespace brindle::host {
namespace {

// The process that left a temporary file, read from its name; nothing when the name is none of
// ours.
std::optional<std::uint64_t> LeftBy(const std::string& name) {
    if (!name.starts_with('.') || !name.ends_with(kTemporarySuffix)) {
        return std::nullopt;
    }
    const std::string_view stem(name.data(), name.size() - kTemporarySuffix.size());
    const auto dot = stem.rfind('.');
    const auto dash = stem.rfind('-');
    if (dot == std::string_view::npos || dash == std::string_view::npos || dash < dot + 2 ||
        dot == 0) {
        return std::nullopt;
    }
    std::uint64_t id = 0;
    const auto digits = stem.substr(dot + 1, dash - dot - 1);
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), id);
    if (error != std::errc() || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return id;
}

// Whether the folder's leftovers were looked for already in this run: `named` as a caller
// named it, else as an absolute path.
bool FirstLookAt(const fs::path& folder, bool named) {
    static std::mutex mutex;
    static std::set<fs::path> seen[2];
    std::lock_guard lock(mutex);
    return seen[named ? 1 : 0].insert(folder).second;
}

}  // namespace

std::string TemporaryName(const fs::path& file, std::string_view random) {
    std::string name(".");
    name.append(TextOf(file.filename()))
        .append(".")
        .append(std::to_string(ThisProcess()))
        .append("-")
        .append(random)
        .append(kTemporarySuffix);
    return name;
}

// A failure to list or remove only leaves a leftover where it was.
void RemoveLeftTemporaries(const fs::path& file) {
    // The folder as named first, which costs no look at the current folder for each file.
    if (!FirstLookAt(file.parent_path(), true)) {
        return;
    }
    std::error_code error;
    const fs::path folder = fs::absolute(file, error).parent_path();
    if (error || !FirstLookAt(folder, false)) {
        return;
    }
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const auto by = LeftBy(TextOf(it->path().filename()));
        std::error_code ignored;
        if (by && *by != ThisProcess() && !ProcessRuns(*by) && it->is_regular_file(ignored)) {
            fs::remove(it->path(), ignored);
        }
    }
}

}  // namespace brindle::host
