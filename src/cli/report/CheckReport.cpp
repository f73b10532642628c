#include "cli/report/CheckReport.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iomanip>
#include <map>
#include <sstream>
#include <tuple>

#include "cli/report/CheckRules.h"
#include "host/files/FileSystem.h"
#include "util/Text.h"

#ifndef BRINDLE_VERSION
#define BRINDLE_VERSION "0"
#endif

namespace brindle::cli {
namespace {

// The keys of a document in the order they are set, as the formats show them.
using Json = nlohmann::ordered_json;

std::string NotUtf8Replaced(const Json& document) {
    return document.dump(2, ' ', false, Json::error_handler_t::replace);
}

// Writes `document` as NotUtf8Replaced does, with the array at `at` made of the elements
// `count` and `element` give, dumped one at a time: a report of many findings is never held
// whole in memory.
template <class Element>
void PrintStreamed(Json document, const Json::json_pointer& at, std::size_t count, Element element,
                   std::ostream& out) {
    constexpr std::string_view kHole = "\"brindle:elements\"";
    document[at] = kHole.substr(1, kHole.size() - 2);
    const std::string text = NotUtf8Replaced(document);
    const auto hole = text.find(kHole);
    const auto lineStart = text.rfind('\n', hole) + 1;
    const auto indent = text.find_first_not_of(' ', lineStart) - lineStart;
    out << std::string_view(text).substr(0, hole);
    if (count == 0) {
        out << "[]";
    } else {
        const std::string inner(indent + 2, ' ');
        out << "[\n";
        for (std::size_t i = 0; i < count; ++i) {
            std::string dumped = NotUtf8Replaced(element(i));
            for (auto pos = dumped.find('\n'); pos != std::string::npos;
                 pos = dumped.find('\n', pos + 1)) {
                dumped.insert(pos + 1, inner);
            }
            out << inner << dumped << (i + 1 < count ? ",\n" : "\n");
        }
        out << std::string(indent, ' ') << ']';
    }
    out << std::string_view(text).substr(hole + kHole.size()) << '\n';
}

Json ProcedureOf(const CheckFinding& finding) {
    return finding.procedure.empty() ? Json(nullptr) : Json(finding.procedure);
}

void PrintJson(const CheckResults& results, std::ostream& out) {
    std::map<std::string, int> counts;
    for (const auto& finding : results.findings) {
        ++counts[finding.rule];
    }
    auto errors = Json::array();
    for (const auto& error : results.errors) {
        errors.push_back({{"file", error.file}, {"line", error.line}, {"message", error.message}});
    }
    const Json document = {{"findings", nullptr},        {"errors", errors},
                           {"counts", counts},           {"modules", results.modules},
                           {"ignored", results.ignored}, {"baselined", results.known}};
    const auto finding = [&](std::size_t i) {
        const CheckFinding& f = results.findings[i];
        return Json{{"file", f.file},
                    {"line", f.line},
                    {"rule", f.rule},
                    {"severity", SeverityOf(f.rule)},
                    {"procedure", ProcedureOf(f)},
                    {"message", f.message}};
    };
    PrintStreamed(document, Json::json_pointer("/findings"), results.findings.size(), finding, out);
}

// What a workflow command's value or property may not hold as it is.
std::string Escaped(std::string_view text, bool property) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '%':
                escaped += "%25";
                break;
            case '\r':
                escaped += "%0D";
                break;
            case '\n':
                escaped += "%0A";
                break;
            case ':':
                escaped += property ? "%3A" : ":";
                break;
            case ',':
                escaped += property ? "%2C" : ",";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

void Annotate(std::string_view level, const std::string& file, std::int32_t line,
              std::string_view title, std::string_view message, std::ostream& out) {
    std::vector<std::string> properties;
    if (!file.empty()) {
        properties.push_back("file=" + Escaped(file, true));
    }
    if (!file.empty() && line > 0) {
        properties.push_back("line=" + std::to_string(line));
    }
    if (!title.empty()) {
        properties.push_back("title=" + Escaped(title, true));
    }
    out << "::" << level;
    for (std::size_t i = 0; i < properties.size(); ++i) {
        out << (i == 0 ? " " : ",") << properties[i];
    }
    out << "::" << Escaped(message, false) << '\n';
}

void PrintGithub(const CheckResults& results, std::ostream& out) {
    for (const auto& error : results.errors) {
        Annotate("error", error.file, error.line, "brindle", error.message, out);
    }
    for (const auto& finding : results.findings) {
        Annotate(SeverityOf(finding.rule), finding.file, finding.line, "brindle " + finding.rule,
                 finding.message, out);
    }
}

// A URI reference for a path: a relative path stays relative (to the current folder, which
// %SRCROOT% names), an absolute one becomes a file URI.
std::string UriOf(const std::string& path) {
    const auto generic = host::PathOf(path).generic_u8string();
    std::string text(generic.begin(), generic.end());
    const bool absolute = host::PathOf(path).is_absolute();
    std::string uri = absolute ? "file://" : "";
    if (absolute && !text.starts_with('/')) {
        uri += '/';  // C:/...
    }
    return uri + PercentEncoded(text, absolute ? "-._~/!$&'()*+;=@:" : "-._~/!$&'()*+;=@");
}

Json LocationOf(const std::string& file, std::int32_t line) {
    Json artifact = {{"uri", UriOf(file)}};
    if (!host::PathOf(file).is_absolute()) {
        artifact["uriBaseId"] = "%SRCROOT%";
    }
    Json physical = {{"artifactLocation", artifact}};
    if (line > 0) {
        physical["region"] = {{"startLine", line}};
    }
    return {{"physicalLocation", physical}};
}

Json SarifRules() {
    auto rules = Json::array();
    for (const auto& rule : kCheckRules) {
        const std::string full = std::string(rule.summary) + " " + std::string(rule.help);
        rules.push_back({{"id", rule.id},
                         {"name", rule.name},
                         {"shortDescription", {{"text", rule.summary}}},
                         {"fullDescription", {{"text", full}}},
                         {"help", {{"text", rule.help}}},
                         {"defaultConfiguration", {{"level", rule.severity}}}});
    }
    return rules;
}

// Names a finding as the baseline does, by file, procedure, rule and which of the procedure's
// findings of that rule it is, not by line, so that an alert follows code that moves. FNV-1a,
// the same on every platform.
std::string FingerprintOf(const CheckFinding& finding, int occurrence) {
    const std::string key = UriOf(finding.file) + '\n' + finding.procedure + '\n' + finding.rule +
                            '\n' + std::to_string(occurrence);
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : key) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    }
    std::ostringstream hex;
    hex << std::hex << std::setw(16) << std::setfill('0') << hash;
    return hex.str();
}

Json SarifResult(const CheckFinding& finding, int occurrence) {
    const auto rule = std::find_if(kCheckRules.begin(), kCheckRules.end(),
                                   [&](const CheckRule& r) { return r.id == finding.rule; });
    auto location = LocationOf(finding.file, finding.line);
    if (!finding.procedure.empty()) {
        location["logicalLocations"] = {{{"name", finding.procedure}, {"kind", "function"}}};
    }
    Json result = {
        {"ruleId", finding.rule},
        {"level", SeverityOf(finding.rule)},
        {"message", {{"text", finding.message}}},
        {"locations", Json::array({location})},
        {"partialFingerprints", {{"brindleFinding/v1", FingerprintOf(finding, occurrence)}}}};
    if (rule != kCheckRules.end()) {
        result["ruleIndex"] = rule - kCheckRules.begin();
    }
    return result;
}

void PrintSarif(const CheckResults& results, std::ostream& out) {
    auto notifications = Json::array();
    for (const auto& error : results.errors) {
        Json notification = {{"level", "error"}, {"message", {{"text", error.message}}}};
        if (!error.file.empty()) {
            // An array said as one: clang takes a braced single value for a copy of it.
            notification["locations"] = Json::array({LocationOf(error.file, error.line)});
        }
        notifications.push_back(notification);
    }
    std::string root = UriOf(host::TextOf(std::filesystem::current_path()));
    root += root.ends_with('/') ? "" : "/";
    const Json driver = {
        {"name", "brindle"}, {"version", BRINDLE_VERSION}, {"rules", SarifRules()}};
    const Json run = {{"tool", {{"driver", driver}}},
                      {"originalUriBaseIds", {{"%SRCROOT%", {{"uri", root}}}}},
                      {"invocations",
                       {{{"executionSuccessful", results.errors.empty()},
                         {"toolExecutionNotifications", notifications}}}},
                      {"results", nullptr}};
    const Json document = {{"$schema", "https://json.schemastore.org/sarif-2.1.0.json"},
                           {"version", "2.1.0"},
                           {"runs", {run}}};
    // Views of the findings, which outlive it: a copy of each key would double what they take.
    std::map<std::tuple<std::string_view, std::string_view, std::string_view>, int> seen;
    const auto result = [&](std::size_t i) {
        const CheckFinding& finding = results.findings[i];
        return SarifResult(finding, seen[{finding.file, finding.procedure, finding.rule}]++);
    };
    PrintStreamed(document, Json::json_pointer("/runs/0/results"), results.findings.size(), result,
                  out);
}

std::string Counted(std::size_t count, std::string_view one) {
    return std::to_string(count) + " " + std::string(one) + (count == 1 ? "" : "s");
}

}  // namespace

std::string_view SeverityOf(std::string_view rule) {
    for (const auto& known : kCheckRules) {
        if (known.id == rule) {
            return known.severity;
        }
    }
    return "warning";
}

void PrintCheckReport(const CheckResults& results, std::string_view format, std::ostream& out) {
    if (format == "json") {
        PrintJson(results, out);
    } else if (format == "github") {
        PrintGithub(results, out);
    } else if (format == "sarif") {
        PrintSarif(results, out);
    } else {
        for (const auto& finding : results.findings) {
            out << finding.file << ':' << finding.line << ": " << finding.message << '\n';
        }
    }
}

std::string CheckSummary(const CheckResults& results) {
    const auto inTemplates = static_cast<std::size_t>(
        std::count_if(results.findings.begin(), results.findings.end(),
                      [](const CheckFinding& finding) { return finding.inTemplate; }));
    const auto inModules = results.findings.size() - inTemplates;
    const std::string_view one = results.baseline ? "new finding" : "finding";
    std::string summary;
    if (inTemplates > 0) {
        summary = Counted(inTemplates, one) + " in the templates, ";
    }
    summary += inModules == 0 ? "no " + std::string(one) + "s" : Counted(inModules, one);
    summary += " in " + Counted(static_cast<std::size_t>(results.modules), "module");
    if (results.baseline) {
        summary += " (" + std::to_string(results.known) + " in the baseline)";
    }
    return summary;
}

}  // namespace brindle::cli
