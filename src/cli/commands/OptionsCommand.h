#pragma once
// The options command: prints the add-in's eight options, or changes them through its options
// dialog as OK does; they are saved when the add-in disconnects.

#include "cli/args/CommandLine.h"
#include "cli/commands/Streams.h"

namespace brindle::cli {

int RunOptions(const Request& request, const Streams& streams);

}  // namespace brindle::cli
