#pragma once
// Unified diffs of module files, byte for byte: each line keeps its own line break, so the
// diff of a CRLF file applies to it again.

#include <string>
#include <string_view>

namespace brindle::cli {

// The diff of `before` and `after` with three lines of context, headed "--- a/<label>" and
// "+++ b/<label>"; empty when they are equal. A last line without a line break is followed
// by "\ No newline at end of file".
std::string UnifiedDiff(std::string_view label, std::string_view before, std::string_view after);

}  // namespace brindle::cli
