#pragma once
// Between a module's lines (bytes of its code page, columns counting bytes) and the editor's
// text (UTF-8, one LF between lines). Lines are converted only where they are shown or typed,
// so a line the user does not touch keeps its bytes.

#include <cstdint>
#include <string>
#include <string_view>

#include "host/ide/MemoryCodeModule.h"

namespace brindle::workbench {

// Lines `first` .. `first` + `count` - 1 of the module in UTF-8, each followed by LF when
// `trailingBreaks`, else joined by LF.
std::string DisplayLines(const host::MemoryCodeModule& module, int codePage, std::int32_t first,
                         std::int32_t count, bool trailingBreaks);

// A line typed in the editor in the module's code page. `lossy` tells whether some character
// has no bytes there (it became "?").
std::string Encode(std::string_view utf8, int codePage, bool& lossy);

// The byte offset in the line's UTF-8 text of the module column `column` (1-based, counting
// the line's own bytes); a column inside a two-byte character goes to its start, one past the
// end to the end.
std::int32_t Utf8Offset(std::string_view line, std::int32_t column, int codePage);

// The module column of a byte offset in the line's UTF-8 text.
std::int32_t ModuleColumn(std::string_view utf8Line, std::int32_t offset, int codePage);

}  // namespace brindle::workbench
