#pragma once
// The commands that change code: they load the modules or projects, click the add-in's button
// for each, and write the modules that changed (or print their diff).

#include "cli/args/CommandLine.h"
#include "cli/commands/Streams.h"

namespace brindle::cli {

int RunEdit(const Request& request, const Streams& streams);

}  // namespace brindle::cli
