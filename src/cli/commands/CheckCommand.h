#pragma once
// The check command: what Brindle would add or mend, as path:line: message or as JSON, without
// writing anything or asking anything.

#include "cli/args/CommandLine.h"
#include "cli/commands/Streams.h"

namespace brindle::cli {

// 0 when there is no finding, 1 when there is one (or a module could not be checked), 2 for a
// usage or input error.
int RunCheck(const Request& request, const Streams& streams);

}  // namespace brindle::cli
