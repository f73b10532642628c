#include "analysis/ProcDecl.h"

#include <algorithm>
#include <array>
#include <optional>

#include "analysis/LineHelpers.h"
#include "model/AddinName.h"
#include "model/VbError.h"
#include "util/Text.h"

namespace brindle {
namespace {

// The "(" that opens the parameter list: the first one outside string literals and before any
// comment.
std::optional<std::size_t> OpeningBracket(std::string_view declaration) {
    bool inString = false;
    for (std::size_t i = 0; i < declaration.size(); ++i) {
        const char c = declaration[i];
        if (c == '"') {
            inString = !inString;
        } else if (!inString && c == '\'') {
            return std::nullopt;
        } else if (!inString && c == '(') {
            return i;
        }
    }
    return std::nullopt;
}

// The ")" that closes the bracket at `open`, nested brackets and string literals skipped.
// Raises 5 when the list is never closed.
std::size_t ClosingBracket(std::string_view declaration, std::size_t open) {
    bool inString = false;
    int depth = 0;
    for (std::size_t i = open; i < declaration.size(); ++i) {
        const char c = declaration[i];
        if (c == '"') {
            inString = !inString;
        } else if (!inString && c == '(') {
            ++depth;
        } else if (!inString && c == ')' && --depth == 0) {
            return i;
        }
    }
    Raise(Err::InvalidCall, kAddinComponent);
}

// Cuts at commas outside brackets and string literals. A piece is the text between two commas;
// the one space after a comma belongs to the separator. No empty piece follows a final comma.
std::vector<std::string> SplitParameterText(std::string_view text) {
    std::vector<std::string> pieces;
    bool inString = false;
    int depth = 0;
    std::size_t start = 0;
    auto skipSeparatorSpace = [&](std::size_t p) {
        return p < text.size() && text[p] == ' ' ? p + 1 : p;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            inString = !inString;
        } else if (!inString && c == '(') {
            ++depth;
        } else if (!inString && c == ')') {
            --depth;
        } else if (!inString && depth == 0 && c == ',') {
            pieces.emplace_back(text.substr(start, i - start));
            start = skipSeparatorSpace(i + 1);
            i = start - 1;
        }
    }
    if (start < text.size()) {
        pieces.emplace_back(text.substr(start));
    }
    return pieces;
}

// VB continues a statement only on a blank and an underscore ("my_" ends a word).
bool EndsWithContinuation(std::string_view trimmed) {
    const auto size = trimmed.size();
    return size > 0 && trimmed.back() == '_' && (size == 1 || IsBlank(trimmed[size - 2]));
}

// A line's code with the statement it continues onto, the blanks around the break made one;
// the code alone when it does not continue.
std::string JoinedWith(const std::string& code, std::string_view continued) {
    const std::string_view trimmed = TrimTrailingSpaces(code);
    if (!EndsWithContinuation(trimmed)) {
        return code;
    }
    const auto head = trimmed.substr(0, trimmed.find_last_not_of(" \t_") + 1);
    return std::string(head) + " " + std::string(TrimLeadingBlanks(continued));
}

bool IsBlankText(std::string_view text) {
    return TrimLeadingBlanks(text).empty();
}

bool IsModifier(std::string_view word) {
    static constexpr std::array<std::string_view, 6> kModifiers = {"Public", "Private", "Friend",
                                                                   "Global", "Static",  "Declare"};
    for (std::string_view m : kModifiers) {
        if (EqualsNoCase(word, m)) {
            return true;
        }
    }
    return false;
}

// Up to the declaration's own line, where a procedure written on one line ends. A line is read
// with the lines it continues onto, so an End statement split over lines is found on its first.
std::int32_t EndStatementLine(CodeModule& module, std::int32_t bodyLine, std::int32_t lastLine,
                              vbext_ProcKind kind, std::string_view declaration) {
    const std::string target =
        kind == vbext_pk_Proc ? "End " + ProcedureTypeOf(declaration) : "End Property";
    std::string statement;
    for (auto line = lastLine; line >= bodyLine; --line) {
        const std::string code = GetNonCommentPartOfLine(module.Lines(line, 1));
        statement = JoinedWith(code, statement);
        if (ContainsNoCase(statement, target)) {
            return line;
        }
    }
    return std::int32_t{0};
}

// The declaration from `line` on, its continuation lines joined. Past the module's last line the
// host raises 9, unless `toEnd` stops it there.
std::string DeclarationFrom(CodeModule& module, std::int32_t line, std::int32_t& lineCount,
                            bool toEnd) {
    std::string declaration;
    const std::int32_t last = toEnd ? module.CountOfLines() : 0;
    std::int32_t current = line;
    for (;;) {
        const std::string text = module.Lines(current, 1);
        const std::string_view trimmed = TrimTrailingSpaces(text);
        if (!EndsWithContinuation(trimmed)) {
            declaration.append(trimmed);
            break;
        }
        declaration.append(trimmed.substr(0, trimmed.size() - 1));
        if (current == last) {
            break;
        }
        ++current;
    }
    lineCount = current - line + 1;
    return declaration;
}

}  // namespace

std::string GetProcDeclLine(CodeModule& module, const std::int32_t& line, std::int32_t& lineCount) {
    return PassOn("Brindle.GetProcDeclLine",
                  [&] { return DeclarationFrom(module, line, lineCount, false); });
}

std::string GetProcDeclLineToEnd(CodeModule& module, std::int32_t line, std::int32_t& lineCount) {
    return PassOn("Brindle.GetProcDeclLine",
                  [&] { return DeclarationFrom(module, line, lineCount, true); });
}

bool DeclarationRunsPastEnd(CodeModule& module, std::int32_t line) {
    const std::int32_t last = module.CountOfLines();
    for (std::int32_t current = line; current <= last; ++current) {
        if (!EndsWithContinuation(TrimTrailingSpaces(module.Lines(current, 1)))) {
            return false;
        }
    }
    return true;
}

std::int32_t GetParms(std::string_view declaration, std::vector<std::string>& parms) {
    return PassOn("Brindle.GetParms", [&] {
        const std::optional<std::size_t> open = OpeningBracket(declaration);
        if (!open) {
            return std::int32_t{0};
        }
        const std::size_t close = ClosingBracket(declaration, *open);
        const std::string_view text = declaration.substr(*open + 1, close - *open - 1);
        if (IsBlankText(text)) {
            return std::int32_t{0};
        }
        parms = SplitParameterText(text);
        return static_cast<std::int32_t>(parms.size());
    });
}

std::string ProcedureTypeOf(std::string_view declaration) {
    constexpr std::size_t kMostWords = 5;  // scope, Static or Declare, and the keyword
    for (std::string_view word : BlankSeparatedWords(declaration, kMostWords)) {
        if (IsModifier(word)) {
            continue;
        }
        for (std::string_view kind : {"Function", "Property"}) {
            if (EqualsNoCase(word, kind)) {
                return std::string(kind);
            }
        }
        break;
    }
    return "Sub";
}

std::string GetStatementCode(CodeModule& module, std::int32_t line) {
    return PassOn("Brindle.GetStatementCode", [&] {
        std::vector<std::string> codes;
        do {
            codes.push_back(GetNonCommentPartOfLine(module.Lines(line, 1)));
        } while (EndsWithContinuation(TrimTrailingSpaces(codes.back())) &&
                 ++line <= module.CountOfLines());
        std::string statement;
        for (auto code = codes.rbegin(); code != codes.rend(); ++code) {
            statement = JoinedWith(*code, statement);
        }
        return statement;
    });
}

std::int32_t GetProcLastLineNum(CodeModule& module, std::string_view name, vbext_ProcKind kind) {
    return PassOn("Brindle.GetProcLastLineNum", [&] {
        const std::int32_t last =
            module.ProcStartLine(name, kind) + module.ProcCountLines(name, kind) - 1;
        const std::int32_t body = module.ProcBodyLine(name, kind);
        std::int32_t count = 0;
        const auto declaration =
            kind == vbext_pk_Proc ? GetProcDeclLine(module, body, count) : std::string();
        return EndStatementLine(module, body, last, kind, declaration);
    });
}

std::int32_t GetProcLastLineNum(CodeModule& module, std::int32_t bodyLine, std::int32_t lastLine,
                                vbext_ProcKind kind, std::string_view declaration) {
    return PassOn("Brindle.GetProcLastLineNum",
                  [&] { return EndStatementLine(module, bodyLine, lastLine, kind, declaration); });
}

std::string ProcedureLabel(vbext_ProcKind kind, std::string_view name,
                           std::string_view declaration) {
    static constexpr std::string_view kAccessors[] = {"", " Let", " Set", " Get"};
    const auto accessor = kind >= vbext_pk_Let && kind <= vbext_pk_Get ? kAccessors[kind] : "";
    return ProcedureTypeOf(declaration) + std::string(accessor) + " " + std::string(name);
}

std::string ProcedureLabel(CodeModule& module, std::string_view name, vbext_ProcKind kind) {
    std::int32_t count = 0;
    return ProcedureLabel(kind, name,
                          GetProcDeclLineToEnd(module, module.ProcBodyLine(name, kind), count));
}

}  // namespace brindle
