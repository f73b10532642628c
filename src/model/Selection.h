#pragma once
// How a code pane's selection moves when lines are inserted or deleted above or inside it, as in
// our own IDE: one rule for our IDE in memory and for the object model over automation, which
// keeps the selection itself because the IDEs publish nothing of it.

#include <compare>
#include <cstdint>
#include <functional>

namespace brindle {

struct SelectionPlace {
    std::int32_t line = 1;
    std::int32_t column = 1;
    auto operator<=>(const SelectionPlace&) const = default;
};

// `count` lines inserted before `line`: what stood on it or below moves down with them.
inline void MoveForInsertedLines(SelectionPlace& start, SelectionPlace& end, std::int32_t line,
                                 std::int32_t count) {
    for (SelectionPlace* p : {&start, &end}) {
        if (p->line >= line) {
            p->line += count;
        }
    }
}

// `count` lines deleted from `line` on. A start among them goes to the line that followed them,
// an end to the end of the line above them (line 0 above the first line; `lengthOf` gives a
// line's length): a selection that lay wholly in them is left empty, its end before its start,
// and holds nothing that followed it. An end at column 1 of the line after them holds none of
// that line and counts as lying in them.
inline void MoveForDeletedLines(SelectionPlace& start, SelectionPlace& end, std::int32_t line,
                                std::int32_t count,
                                const std::function<std::int32_t(std::int32_t)>& lengthOf) {
    if (count < 1) {
        return;
    }
    const std::int32_t last = line + count - 1;
    const bool endInDeleted = (end.line >= line && end.line <= last) ||
                              (end.line == last + 1 && end.column == 1 && start.line <= last);
    if (start.line > last) {
        start.line -= count;
    } else if (start.line >= line) {
        start = {line, 1};
    }
    if (endInDeleted) {
        const std::int32_t above = line - 1;
        end = {above, above > 0 ? lengthOf(above) : 1};
    } else if (end.line > last) {
        end.line -= count;
    }
}

}  // namespace brindle
