#pragma once
// What check found, written for a person (path:line: message), for a script (JSON), for GitHub
// Actions (workflow annotations) or for code scanning (SARIF 2.1.0).

#include <cstdint>
#include <deque>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace brindle::cli {

struct CheckFinding {
    std::string file;  // as the user sees it
    std::int32_t line = 0;
    std::string rule;
    std::string procedure;  // "Sub Main"; empty outside a procedure
    std::string message;    // UTF-8
    bool inTemplate = false;

    bool operator==(const CheckFinding&) const = default;
};

// A code base without Brindle code has a finding for most procedures: kept in blocks, so that
// the memory they take grows with them and never to twice that while they are gathered.
using CheckFindings = std::deque<CheckFinding>;

// A file that could not be checked: a missing component, an unreadable template, a broken
// team file. `line` is 0 when it concerns the whole file, `file` empty when it concerns none.
struct CheckError {
    std::string file;
    std::int32_t line = 0;
    std::string message;

    bool operator==(const CheckError&) const = default;
};

struct CheckResults {
    CheckFindings findings;  // those reported: not in the baseline
    std::vector<CheckError> errors;
    int modules = 0;        // checked
    int ignored = 0;        // left out by .brindleignore
    bool baseline = false;  // whether a baseline left findings out
    int known = 0;          // findings the baseline holds
};

// "error" for code that no longer compiles or markers Brindle cannot pair, else "warning".
std::string_view SeverityOf(std::string_view rule);

// `format` is text, json, github or sarif. Text leaves the errors out: the run tells them on
// standard error as they happen.
void PrintCheckReport(const CheckResults& results, std::string_view format, std::ostream& out);

// "no findings in 4 modules", "2 findings in the templates, 12 findings in 4 modules"; with a
// baseline "3 new findings in 4 modules (30 in the baseline)".
std::string CheckSummary(const CheckResults& results);

}  // namespace brindle::cli
