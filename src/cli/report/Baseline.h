#pragma once
// A baseline: the findings a code base had when its team took check on, which check then leaves
// out so that only new ones fail a run. A finding is named by its file (relative to the
// baseline's folder), its procedure and its rule, with how many such findings there were, and
// not by line, so the baseline stays true when lines above a procedure come or go. Kept as JSON,
// sorted, so that a change to it reads well in a diff.

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "cli/report/CheckReport.h"

namespace brindle::cli {

class Baseline {
public:
    // An empty baseline kept in `file`.
    explicit Baseline(const std::string& file);

    // The baseline in `file`. Raises host::FileError, which does not name the file, when it
    // cannot be read or is no baseline.
    static Baseline Read(const std::string& file);

    // Holds each of the findings, and nothing else.
    void Take(const std::vector<CheckFinding>& findings);
    // Writes it to its file when that differs; whether it wrote. Raises ModuleFileError.
    bool Write() const;

    // The findings beyond those the baseline holds: of a file, procedure and rule that it holds
    // n times, the first n in line order are known. `known` counts them, `gone` counts what it
    // holds that is no longer found.
    std::vector<CheckFinding> NewOf(const std::vector<CheckFinding>& findings, int& known,
                                    int& gone) const;

    const std::string& File() const { return file_; }

private:
    using Key = std::tuple<std::string, std::string, std::string>;  // file, procedure, rule
    Key KeyOf(const CheckFinding& finding) const;

    std::string file_;
    std::string folder_;
    std::map<Key, int> counts_;
};

}  // namespace brindle::cli
