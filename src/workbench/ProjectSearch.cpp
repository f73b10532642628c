#include "workbench/ProjectSearch.h"

#include <algorithm>

#include "host/vb6/CodePage.h"
#include "workbench/EditorText.h"

namespace brindle::workbench {
namespace {

CharacterWidth WidthIn(int codePage) {
    if (!host::IsDoubleByteCodePage(codePage)) {
        return [](std::string_view) -> std::size_t { return 1; };
    }
    return [codePage](std::string_view rest) -> std::size_t {
        return rest.size() > 1 && host::IsLeadByte(static_cast<unsigned char>(rest[0]), codePage)
                   ? 2
                   : 1;
    };
}

// Letters, digits and "_" make a name; so does a character beyond ASCII (a letter of the code
// page or a double-byte character).
bool IsWordCharacter(std::string_view character) {
    const auto c = static_cast<unsigned char>(character.front());
    return character.size() > 1 || c >= 0x80 || c == '_' || (c >= '0' && c <= '9') ||
           (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

LineFinder::LineFinder(const SearchText& text, int codePage)
    : codePage_(codePage), matchCase_(text.matchCase), wholeWord_(text.wholeWord) {
    bool lossy = false;
    const std::string bytes = Encode(text.what, codePage, lossy);
    if (text.what.empty()) {
        problem_ = "There is nothing to search for.";
    } else if (lossy) {
        problem_ = "The text cannot be written in code page " + std::to_string(codePage) +
                   ", so it cannot be in this project.";
    } else if (text.pattern) {
        pattern_ = LikePattern::Parse(bytes, WidthIn(codePage));
        if (!pattern_) {
            problem_ = "Invalid pattern string: a \"[\" has no \"]\".";
        }
    } else {
        pattern_ = LikePattern::Literal(bytes, WidthIn(codePage));
    }
    if (pattern_ && pattern_->Empty() && problem_.empty()) {
        problem_ = "There is nothing to search for.";
    }
}

std::vector<Hit> LineFinder::In(std::string_view line, std::int32_t number) const {
    std::vector<Hit> hits;
    if (!problem_.empty()) {
        return hits;
    }
    const CharacterWidth width = WidthIn(codePage_);
    std::string_view before;  // the character before `at`
    for (std::size_t at = 0; at < line.size();) {
        const std::string_view rest = line.substr(at);
        const std::size_t own = std::min(width(rest), rest.size());
        const std::optional<std::size_t> length = pattern_->MatchFront(rest, matchCase_);
        bool whole = length && *length > 0;
        if (whole && wholeWord_) {
            std::string_view last = rest.substr(0, own);
            for (std::size_t i = own; i < *length; i += last.size()) {
                last = rest.substr(i, std::min(width(rest.substr(i)), *length - i));
            }
            const std::string_view after = rest.substr(*length);
            const std::string_view next = after.substr(0, std::min(width(after), after.size()));
            const std::string_view first = rest.substr(0, own);
            whole = !(!before.empty() && IsWordCharacter(before) && IsWordCharacter(first)) &&
                    !(!next.empty() && IsWordCharacter(next) && IsWordCharacter(last));
        }
        if (whole) {
            hits.push_back(
                {number, static_cast<std::int32_t>(at) + 1, static_cast<std::int32_t>(*length)});
            const std::size_t end = at + *length;
            // The character before the next place is the match's last.
            std::size_t i = at;
            while (i < end) {
                const std::size_t w = std::min(width(line.substr(i)), end - i);
                before = line.substr(i, w);
                i += w;
            }
            at = end;
        } else {
            before = rest.substr(0, own);
            at += own;
        }
    }
    return hits;
}

LineRange ModuleLines(host::MemoryCodeModule& module) {
    return {1, module.CountOfLines()};
}

LineRange ProcedureLines(host::MemoryCodeModule& module, std::int32_t line) {
    const std::vector<host::ProcedureInfo> procedures = module.Procedures();
    for (const host::ProcedureInfo& info : procedures) {
        if (line >= info.procedure.startLine && line <= info.lastLine) {
            return {info.procedure.startLine, info.lastLine};
        }
    }
    const std::int32_t declarations =
        procedures.empty() ? module.CountOfLines() : procedures.front().procedure.startLine - 1;
    return {1, std::max(declarations, 0)};
}

std::optional<std::string> ReplacementBytes(std::string_view utf8, int codePage) {
    bool lossy = false;
    std::string bytes = Encode(utf8, codePage, lossy);
    if (lossy) {
        return std::nullopt;
    }
    return bytes;
}

int ReplaceAll(host::MemoryCodeModule& module, const LineFinder& finder, LineRange range,
               std::string_view replacement) {
    int replaced = 0;
    const std::int32_t last = std::min(range.last, module.CountOfLines());
    for (std::int32_t line = std::max(range.first, 1); line <= last; ++line) {
        const std::string text = module.Lines(line, 1);
        std::vector<Hit> hits = finder.In(text, line);
        std::erase_if(hits, [&](const Hit& hit) { return !range.Holds(hit); });
        if (hits.empty()) {
            continue;
        }
        std::string changed;
        std::size_t from = 0;
        for (const Hit& hit : hits) {
            const auto at = static_cast<std::size_t>(hit.column - 1);
            changed.append(text, from, at - from);
            changed += replacement;
            from = at + static_cast<std::size_t>(hit.length);
        }
        changed.append(text, from);
        replaced += static_cast<int>(hits.size());
        if (changed != text) {
            module.ReplaceLine(line, changed);
        }
    }
    return replaced;
}

}  // namespace brindle::workbench
