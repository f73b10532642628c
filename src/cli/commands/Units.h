#pragma once
// A run on several projects, groups and modules is done in parts, each under its own team
// settings (brindle.ini) and code page: each project or group file named, in order, and the
// modules named beside them, gathered by the team settings that apply to each.

#include <istream>
#include <string>
#include <vector>

#include "cli/args/CommandLine.h"

namespace brindle::cli {

class RunLog;

struct RunParts {
    std::vector<Request> parts;
    int listed = 0;  // modules that the list, or --only-named, names and that exist
};

// The parts of the run, in the order named; a folder stands for the projects and groups below
// it. The list that --files-from names is read first (from `in` for "-"; a path that does not
// exist is passed over): without a project its modules are named as if on the command line;
// with one each part is limited to them (and to those named beside it with --only-named), and
// those that no project given holds are told of on `log`. Raises InputError for a list that
// cannot be read, and for a folder with no project or group below it.
RunParts SplitRun(const Request& request, std::istream& in, RunLog& log);

// Whether the run honours .brindleignore.
bool ReadsIgnoreFiles(const Request& request);

}  // namespace brindle::cli
