#pragma once
// A baseline: the findings a code base had when its team took check on, which check then leaves
// out so that only new ones fail a run. A finding is named by its file (relative to the
// baseline's folder), its procedure and its rule, with how many such findings there were, and
// not by line, so the baseline stays true when lines above a procedure come or go. Kept as JSON,
// sorted, so that a change to it reads well in a diff.

#include <map>
#include <set>
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

    // Holds the findings of the files checked (as the user sees them) in place of what it held
    // of those files, and keeps what it holds of others: a run on part of a code base rewrites
    // that part alone. What it holds of files that no longer exist is dropped.
    void Take(const CheckFindings& findings, const std::vector<std::string>& checked);
    // Writes it to its file when that differs; whether it wrote. Raises ModuleFileError.
    bool Write() const;
    // How many findings it holds.
    int Count() const;

    // The findings beyond those the baseline holds: of a file, procedure and rule that it holds
    // n times, the first n in line order are known. `known` counts them, `gone` counts what it
    // holds of the files checked, or of files that no longer exist, that is no longer found.
    CheckFindings NewOf(const CheckFindings& findings, const std::vector<std::string>& checked,
                        int& known, int& gone) const;

    const std::string& File() const { return file_; }

private:
    using Key = std::tuple<std::string, std::string, std::string>;  // file, procedure, rule
    Key KeyOf(const CheckFinding& finding) const;
    std::string FileKeyOf(const std::string& file) const;
    // The files that a run with these findings speaks for, as the baseline names them.
    std::set<std::string> CoveredBy(const CheckFindings& findings,
                                    const std::vector<std::string>& checked) const;

    std::string file_;
    std::string folder_;
    std::map<Key, int> counts_;
};

}  // namespace brindle::cli
