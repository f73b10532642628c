#pragma once
// Runs one parsed command against the files it names.

#include "cli/args/CommandLine.h"
#include "cli/commands/Streams.h"

namespace brindle::cli {

// 0 when every step worked, 1 when some step failed, 2 for a usage or input error.
int Run(const Request& request, const Streams& streams);

}  // namespace brindle::cli
