#include "codegen/DeclarationGroup.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "analysis/LineHelpers.h"
#include "analysis/ProcDecl.h"
#include "util/Text.h"

namespace brindle {
namespace {

enum class Directive { None, If, ElseIf, Else, EndIf, Other };

// The words before the first "(".
std::vector<std::string_view> LeadingWords(std::string_view code) {
    return BlankSeparatedWords(code.substr(0, code.find('(')));
}

bool IsOneOf(std::string_view word, std::initializer_list<std::string_view> options) {
    for (const auto option : options) {
        if (EqualsNoCase(word, option)) {
            return true;
        }
    }
    return false;
}

Directive DirectiveOf(std::string_view line) {
    const auto code = NonCommentPart(line);
    const auto trimmed = TrimBlanks(code);
    if (trimmed.empty() || trimmed.front() != '#') {
        return Directive::None;
    }
    const auto words = LeadingWords(trimmed.substr(1));
    if (words.empty()) {
        return Directive::Other;
    }
    if (EqualsNoCase(words[0], "If")) {
        return Directive::If;
    }
    if (EqualsNoCase(words[0], "ElseIf")) {
        return Directive::ElseIf;
    }
    if (EqualsNoCase(words[0], "Else")) {
        return Directive::Else;
    }
    if (EqualsNoCase(words[0], "EndIf") ||
        (EqualsNoCase(words[0], "End") && words.size() > 1 && EqualsNoCase(words[1], "If"))) {
        return Directive::EndIf;
    }
    return Directive::Other;
}

}  // namespace

bool IsBlankOrComment(std::string_view line) {
    return TrimBlanks(NonCommentPart(line)).empty();
}

std::vector<std::string_view> StatementsOf(std::string_view code) {
    std::vector<std::string_view> statements;
    std::size_t from = 0;
    while (from <= code.size()) {
        const auto colon = std::min(code.find(':', from), code.size());
        statements.push_back(TrimBlanks(code.substr(from, colon - from)));
        from = colon + 1;
    }
    return statements;
}

std::string DeclaredProcName(std::string_view statement) {
    const auto code = NonCommentPart(statement);
    // Public Static Property Get Name: the name is the fifth word at the most.
    const auto words = BlankSeparatedWords(code.substr(0, code.find('(')), 5);
    std::size_t i = 0;
    if (i < words.size() && IsOneOf(words[i], {"Public", "Private", "Friend", "Global"})) {
        ++i;
    }
    if (i < words.size() && EqualsNoCase(words[i], "Static")) {
        ++i;
    }
    if (i < words.size() && IsOneOf(words[i], {"Sub", "Function"})) {
        ++i;
    } else if (i + 1 < words.size() && EqualsNoCase(words[i], "Property") &&
               IsOneOf(words[i + 1], {"Get", "Let", "Set"})) {
        i += 2;
    } else {
        return "";
    }
    if (i >= words.size()) {
        return "";
    }
    auto name = words[i];
    while (!name.empty() &&
           std::string_view("%&!#@$").find(name.back()) != std::string_view::npos) {
        name.remove_suffix(1);
    }
    return std::string(name);
}

std::int32_t FirstBodyLine(CodeModule& module, std::string_view declaration,
                           std::int32_t afterDeclaration) {
    // Only a branch of alternatives asks for the name, which most procedures never reach.
    std::string name;
    const auto lastLine = module.CountOfLines();
    bool inBranch = false;
    std::int32_t line = afterDeclaration;
    while (line <= lastLine) {
        const auto text = module.Lines(line, 1);
        switch (DirectiveOf(text)) {
            case Directive::Else:
            case Directive::ElseIf:
                if (name.empty() && (name = DeclaredProcName(declaration)).empty()) {
                    return afterDeclaration;
                }
                inBranch = true;
                ++line;
                continue;
            case Directive::EndIf:
                return inBranch ? line + 1 : afterDeclaration;
            case Directive::None:
                break;
            default:
                return afterDeclaration;
        }
        if (IsBlankOrComment(text)) {
            ++line;
            continue;
        }
        std::int32_t count = 0;
        if (!inBranch ||
            !EqualsNoCase(DeclaredProcName(GetProcDeclLineToEnd(module, line, count)), name)) {
            return afterDeclaration;
        }
        line += count;
    }
    return afterDeclaration;
}

std::int32_t OpeningIfOfAlternatives(CodeModule& module, std::int32_t line, std::int32_t above) {
    if (above < 1 || DirectiveOf(module.Lines(above, 1)) != Directive::If) {
        return 0;
    }
    std::int32_t count = 0;
    const auto declaration = GetProcDeclLineToEnd(module, line, count);
    return FirstBodyLine(module, declaration, line + count) != line + count ? above : 0;
}

}  // namespace brindle
