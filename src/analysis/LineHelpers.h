#pragma once
// Small operations on single lines of VB source text.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brindle {

// The part of a line before its comment: an apostrophe outside string literals, or Rem as a
// statement (at the line's start or after a colon, followed by a space or the line's end).
// Not trimmed.
std::string GetNonCommentPartOfLine(std::string_view line);
// The same part, as a view into `line`.
std::string_view NonCommentPart(std::string_view line);

// Cuts `text` at every `separator` into `pieces` from index 0 on; returns their number. When
// the number is 0 the array is left as it was.
std::int32_t SplitString(std::string_view text, std::string_view separator,
                         std::vector<std::string>& pieces);

// Optional, ByVal, ByRef, As, ParamArray in any case, spaces around allowed.
bool IsParmListKeyword(std::string_view word);

}  // namespace brindle
