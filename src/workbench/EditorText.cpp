#include "workbench/EditorText.h"

#include <algorithm>

#include "host/vb6/CodePage.h"
#include "util/Text.h"

namespace brindle::workbench {

std::string DisplayLines(const host::MemoryCodeModule& module, int codePage, std::int32_t first,
                         std::int32_t count, bool trailingBreaks) {
    // One conversion for the whole run: LF is LF in every code page a module can be in.
    std::string bytes;
    const host::LineStore& lines = module.StoredLines();
    for (std::int32_t line = first; line < first + count; ++line) {
        if (line > first && !trailingBreaks) {
            bytes += '\n';
        }
        bytes += lines[static_cast<std::size_t>(line) - 1].text;
        if (trailingBreaks) {
            bytes += '\n';
        }
    }
    return IsAscii(bytes) ? bytes : host::ToUtf8(bytes, codePage);
}

std::string Encode(std::string_view utf8, int codePage, bool& lossy) {
    lossy = false;
    if (IsAscii(utf8)) {
        return std::string(utf8);
    }
    std::string bytes = host::FromUtf8(utf8, codePage);
    lossy = host::ToUtf8(bytes, codePage) != utf8;
    return bytes;
}

std::int32_t Utf8Offset(std::string_view line, std::int32_t column, int codePage) {
    auto end = std::min(static_cast<std::size_t>(std::max(column, 1) - 1), line.size());
    if (host::IsDoubleByteCodePage(codePage)) {
        std::size_t at = 0;
        while (at < end) {
            const bool lead = host::IsLeadByte(static_cast<unsigned char>(line[at]), codePage);
            const std::size_t width = lead && at + 1 < line.size() ? 2 : 1;
            if (at + width > end) {
                break;
            }
            at += width;
        }
        end = at;
    }
    const std::string_view prefix = line.substr(0, end);
    return static_cast<std::int32_t>(IsAscii(prefix) ? prefix.size()
                                                     : host::ToUtf8(prefix, codePage).size());
}

std::int32_t ModuleColumn(std::string_view utf8Line, std::int32_t offset, int codePage) {
    const std::string_view prefix = utf8Line.substr(
        0, std::min(static_cast<std::size_t>(std::max(offset, 0)), utf8Line.size()));
    bool lossy = false;
    return static_cast<std::int32_t>(Encode(prefix, codePage, lossy).size()) + 1;
}

}  // namespace brindle::workbench
