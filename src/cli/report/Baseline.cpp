#include "cli/report/Baseline.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>

#include "host/files/FileSystem.h"

namespace brindle::cli {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr int kVersion = 1;
constexpr std::string_view kReplaced = "\xEF\xBF\xBD";  // U+FFFD

fs::path AbsoluteOf(const std::string& file) {
    std::error_code error;
    return fs::absolute(host::PathOf(file), error).lexically_normal();
}

// The text as the file keeps it: a name that is no UTF-8 (one copied from Windows, on Linux)
// with its odd bytes replaced, as they are when written.
std::string AsWritten(const std::string& text) {
    return json::parse(json(text).dump(-1, ' ', false, json::error_handler_t::replace))
        .get<std::string>();
}

// One entry of the file: {"file", "procedure", "rule", "count"}; false when it is none.
bool IsEntry(const json& entry) {
    return entry.is_object() && entry.contains("file") && entry["file"].is_string() &&
           entry.contains("rule") && entry["rule"].is_string() && entry.contains("procedure") &&
           (entry["procedure"].is_string() || entry["procedure"].is_null()) &&
           entry.contains("count") && entry["count"].is_number_integer() &&
           entry["count"].get<int>() > 0;
}

}  // namespace

Baseline::Baseline(const std::string& file)
    : file_(file), folder_(host::TextOf(AbsoluteOf(file).parent_path())) {}

Baseline Baseline::Read(const std::string& file) {
    Baseline baseline(file);
    std::string bytes;
    try {
        bytes = host::ReadFileBytes(host::PathOf(file));
    } catch (const host::FileError& e) {
        throw host::FileError(std::string("the baseline ") + e.what());
    }
    const auto document = json::parse(bytes, nullptr, false);
    const bool valid =
        document.is_object() && document.contains("findings") && document["findings"].is_array() &&
        std::all_of(document["findings"].begin(), document["findings"].end(), IsEntry);
    if (!valid) {
        throw host::FileError("no baseline of brindle check");
    }
    for (const auto& entry : document["findings"]) {
        const auto procedure =
            entry["procedure"].is_null() ? std::string() : entry["procedure"].get<std::string>();
        baseline.counts_[{entry["file"].get<std::string>(), procedure,
                          entry["rule"].get<std::string>()}] += entry["count"].get<int>();
    }
    return baseline;
}

void Baseline::Take(const CheckFindings& findings, const std::vector<std::string>& checked) {
    const auto covered = CoveredBy(findings, checked);
    std::erase_if(counts_,
                  [&](const auto& entry) { return covered.contains(std::get<0>(entry.first)); });
    for (const auto& finding : findings) {
        ++counts_[KeyOf(finding)];
    }
}

bool Baseline::Write() const {
    auto entries = json::array();
    for (const auto& [key, count] : counts_) {
        const auto& [file, procedure, rule] = key;
        entries.push_back({{"file", file},
                           {"procedure", procedure.empty() ? json(nullptr) : json(procedure)},
                           {"rule", rule},
                           {"count", count}});
    }
    const json document = {{"version", kVersion}, {"findings", entries}};
    return host::WriteFileWhenChanged(
        host::PathOf(file_), document.dump(2, ' ', false, json::error_handler_t::replace) + "\n");
}

int Baseline::Count() const {
    int count = 0;
    for (const auto& entry : counts_) {
        count += entry.second;
    }
    return count;
}

CheckFindings Baseline::NewOf(const CheckFindings& findings,
                              const std::vector<std::string>& checked, int& known,
                              int& gone) const {
    auto left = counts_;
    CheckFindings fresh;
    known = 0;
    for (const auto& finding : findings) {
        const auto found = left.find(KeyOf(finding));
        if (found != left.end() && found->second > 0) {
            --found->second;
            ++known;
        } else {
            fresh.push_back(finding);
        }
    }
    const auto covered = CoveredBy(findings, checked);
    gone = 0;
    for (const auto& [key, count] : left) {
        gone += covered.contains(std::get<0>(key)) ? count : 0;
    }
    return fresh;
}

// The files checked, and those the baseline holds that are no longer there. A name whose odd
// bytes the file replaced cannot be looked for, so it is taken to be there.
std::set<std::string> Baseline::CoveredBy(const CheckFindings& findings,
                                          const std::vector<std::string>& checked) const {
    std::set<std::string> files;
    for (const auto& file : checked) {
        files.insert(FileKeyOf(file));
    }
    for (const auto& finding : findings) {
        files.insert(FileKeyOf(finding.file));
    }
    const std::string* last = nullptr;  // the entries of a file follow one another
    for (const auto& entry : counts_) {
        const auto& file = std::get<0>(entry.first);
        if (last != nullptr && *last == file) {
            continue;
        }
        last = &file;
        std::error_code error;
        if (!files.contains(file) && file.find(kReplaced) == std::string::npos &&
            !fs::exists(host::PathOf(folder_) / host::PathOf(file), error) && !error) {
            files.insert(file);
        }
    }
    return files;
}

// The file relative to the baseline's folder, with "/" between names on every platform, so that
// the baseline holds the same whatever folder check is run from.
Baseline::Key Baseline::KeyOf(const CheckFinding& finding) const {
    return {FileKeyOf(finding.file), AsWritten(finding.procedure), finding.rule};
}

std::string Baseline::FileKeyOf(const std::string& file) const {
    const auto absolute = AbsoluteOf(file);
    const auto relative = absolute.lexically_relative(host::PathOf(folder_));
    auto text = host::TextOf(relative.empty() ? absolute : relative);
    std::replace(text.begin(), text.end(), '\\', '/');
    return AsWritten(text);
}

}  // namespace brindle::cli
