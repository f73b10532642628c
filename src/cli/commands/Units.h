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

// The parts of the run, in the order named. The list that --files-from names is read first
// (from `in` for "-"): without a project its modules are named as if on the command line;
// with one each part is limited to them, and those that no project given holds are told of on
// `log`. Raises InputError for a list that cannot be read.
std::vector<Request> SplitRun(const Request& request, std::istream& in, RunLog& log);

}  // namespace brindle::cli
