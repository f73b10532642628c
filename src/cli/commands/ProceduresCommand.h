#pragma once
// The procedures command: one line per procedure of a module, as the host sees it.

#include "cli/args/CommandLine.h"
#include "cli/commands/Streams.h"

namespace brindle::cli {

int RunProcedures(const Request& request, const Streams& streams);

}  // namespace brindle::cli
