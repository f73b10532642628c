#pragma once
// What `brindle help TOPIC` tells beyond the commands, and the manual page's sections that
// come from the same tables (help2man's include file).

#include <string>
#include <vector>

#include "cli/args/CommandLine.h"

namespace brindle::cli {

// The topics of `brindle help`: templates, rules.
std::vector<HelpTopic> HelpTopics();

// The manual page's TEMPLATE KEYWORDS, CHECK RULES, ENVIRONMENT, FILES and EXIT STATUS, in
// help2man's include format.
std::string ManualSections();

}  // namespace brindle::cli
