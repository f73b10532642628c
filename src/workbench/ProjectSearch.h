#pragma once
// Find and Replace over a module's lines: the text typed in the Find dialog turned into the
// module's code page, matched in the lines' own bytes (columns count bytes, as the IDE's do),
// and replaced through ReplaceLine, so that nothing but the matched bytes changes.

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/ide/MemoryProject.h"
#include "util/LikePattern.h"

namespace brindle::workbench {

struct SearchText {
    std::string what;  // UTF-8, as typed
    bool matchCase = false;
    bool wholeWord = false;
    bool pattern = false;  // the Like operator's "?", "*", "#", "[list]" and "[!list]"
};

struct Hit {
    std::int32_t line = 0;
    std::int32_t column = 0;  // 1-based, in bytes
    std::int32_t length = 0;  // in bytes
};

// The search for one code page.
class LineFinder {
public:
    LineFinder(const SearchText& text, int codePage);

    // Why nothing can be found (a pattern with a "[" and no "]", text the code page cannot
    // hold); empty when the search can run.
    const std::string& Problem() const { return problem_; }

    // The matches in one line, left to right, none overlapping another. A match begins at a
    // character; a whole word is joined to no letter, digit or "_" on either side.
    std::vector<Hit> In(std::string_view line, std::int32_t number) const;

private:
    int codePage_;
    bool matchCase_;
    bool wholeWord_;
    std::optional<LikePattern> pattern_;
    std::string problem_;
};

// The lines of a module that a search covers: all of them, or the procedure's (the
// declarations when the line is in none) around `line`.
struct LineRange {
    std::int32_t first = 1;
    std::int32_t last = 0;
    // Of a selected text: where it begins on its first line and ends on its last (one past).
    std::int32_t firstColumn = 1;
    std::int32_t endColumn = std::numeric_limits<std::int32_t>::max();

    bool Holds(const Hit& hit) const {
        return hit.line >= first && hit.line <= last &&
               (hit.line != first || hit.column >= firstColumn) &&
               (hit.line != last || hit.column + hit.length <= endColumn);
    }
};
LineRange ModuleLines(host::MemoryCodeModule& module);
LineRange ProcedureLines(host::MemoryCodeModule& module, std::int32_t line);

// The bytes of the replacement in the module's code page; nothing when it cannot hold them.
std::optional<std::string> ReplacementBytes(std::string_view utf8, int codePage);

// Every match in the range replaced by `replacement` (the code page's bytes), one ReplaceLine a
// changed line; how many were replaced.
int ReplaceAll(host::MemoryCodeModule& module, const LineFinder& finder, LineRange range,
               std::string_view replacement);

}  // namespace brindle::workbench
