#include "workbench/Definition.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "util/Text.h"

namespace brindle::workbench {
namespace {

bool IsNameByte(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0x80 || c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
           (c >= 'a' && c <= 'z');
}

// A member of another module can be reached unless it is declared Private (or Dim).
bool IsPrivate(host::MemoryCodeModule& module, std::int32_t line) {
    const std::string text = module.Lines(line, 1);
    const std::vector<std::string_view> words = BlankSeparatedWords(text);
    return !words.empty() && (EqualsNoCase(words[0], "Private") || EqualsNoCase(words[0], "Dim"));
}

// The declaration of `name` in the module: a procedure (a property's Get before its Let and
// Set) or another member; 0 when there is none.
std::int32_t DeclarationIn(host::MemoryCodeModule& module, std::string_view name, bool privateToo) {
    std::int32_t found = 0;
    for (const host::ProcedureInfo& info : module.Procedures()) {
        const host::Procedure& p = info.procedure;
        if (!EqualsNoCase(p.name, name) || (!privateToo && IsPrivate(module, p.bodyLine))) {
            continue;
        }
        if (found == 0 || p.kind == vbext_pk_Get) {
            found = p.bodyLine;
        }
        if (p.kind == vbext_pk_Get) {
            break;
        }
    }
    if (found != 0) {
        return found;
    }
    for (const host::DeclaredMember& member : module.DeclaredMembers()) {
        if (EqualsNoCase(member.name, name) && (privateToo || !IsPrivate(module, member.line))) {
            return member.line;
        }
    }
    return 0;
}

// A line's names and punctuation, one token each, without its strings and its comment.
std::vector<std::string_view> Tokens(std::string_view text) {
    std::vector<std::string_view> tokens;
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '\'') {
            break;
        }
        if (c == '"') {
            const std::size_t close = text.find('"', i + 1);
            i = close == std::string_view::npos ? text.size() : close + 1;
        } else if (IsNameByte(c)) {
            std::size_t end = i;
            while (end < text.size() && IsNameByte(text[end])) {
                ++end;
            }
            tokens.push_back(text.substr(i, end - i));
            i = end;
        } else {
            if (c != ' ' && c != '\t') {
                tokens.push_back(text.substr(i, 1));
            }
            ++i;
        }
    }
    return tokens;
}

bool IsAnyOf(std::string_view word, std::initializer_list<std::string_view> words) {
    return std::any_of(words.begin(), words.end(),
                       [&](std::string_view w) { return EqualsNoCase(word, w); });
}

// Whether the tokens declare `name` at bracket depth `depth`: a variable or constant after
// Dim, Static or Const (depth 0), a parameter in a procedure's declaration (depth 1).
bool Declares(const std::vector<std::string_view>& tokens, std::string_view name, int depth) {
    int at = 0;
    for (std::size_t i = 1; i < tokens.size(); ++i) {
        at += tokens[i - 1] == "(" ? 1 : tokens[i - 1] == ")" ? -1 : 0;
        if (at == depth && EqualsNoCase(tokens[i], name) &&
            IsAnyOf(tokens[i - 1], {"Dim", "Static", "Const", ",", "(", "ByVal", "ByRef",
                                    "Optional", "ParamArray"})) {
            return true;
        }
    }
    return false;
}

// A parameter or local variable of the procedure around `line`, declared above it.
std::int32_t LocalDeclaration(host::MemoryCodeModule& module, std::string_view name,
                              std::int32_t line) {
    vbext_ProcKind kind = vbext_pk_Proc;
    const std::string procedure = module.ProcOfLine(line, kind);
    if (procedure.empty()) {
        return 0;
    }
    const std::int32_t body = module.ProcBodyLine(procedure, kind);
    if (Declares(Tokens(module.Lines(body, 1)), name, 1)) {
        return body;
    }
    for (std::int32_t at = body + 1; at <= line; ++at) {
        const std::string text = module.Lines(at, 1);
        const std::vector<std::string_view> tokens = Tokens(text);
        if (!tokens.empty() && IsAnyOf(tokens[0], {"Dim", "Static", "Const"}) &&
            Declares(tokens, name, 0)) {
            return at;
        }
    }
    return 0;
}

// A member of an Enum in the module's declarations, of the Enum named `within` if not empty;
// another module sees only those of a public Enum.
std::int32_t EnumMemberIn(host::MemoryCodeModule& module, std::string_view name,
                          std::string_view within, bool privateToo) {
    const std::vector<host::ProcedureInfo> procedures = module.Procedures();
    const std::int32_t last =
        procedures.empty() ? module.CountOfLines() : procedures.front().procedure.bodyLine - 1;
    bool inEnum = false;
    bool seen = false;
    for (std::int32_t at = 1; at <= last; ++at) {
        const std::string text = module.Lines(at, 1);
        const std::vector<std::string_view> t = Tokens(text);
        if (t.empty()) {
            continue;
        }
        const bool scoped = IsAnyOf(t[0], {"Public", "Private", "Friend"});
        const std::size_t e = scoped ? 1 : 0;
        if (!inEnum && t.size() > e + 1 && EqualsNoCase(t[e], "Enum")) {
            inEnum = (within.empty() || EqualsNoCase(t[e + 1], within)) &&
                     (privateToo || !EqualsNoCase(t[0], "Private"));
            seen = true;
        } else if (seen && t.size() > 1 && EqualsNoCase(t[0], "End") &&
                   EqualsNoCase(t[1], "Enum")) {
            inEnum = seen = false;
        } else if (inEnum && EqualsNoCase(t[0], name)) {
            return at;
        }
    }
    return 0;
}

// The class a variable is declared as ("x As CStockItem", "WithEvents x As New CStockItem"): in
// the lines of the procedure around `line` above it, else in the module's declarations.
std::string TypeOf(host::MemoryCodeModule& module, std::string_view variable, std::int32_t line) {
    const auto declaredIn = [&](std::int32_t first, std::int32_t last) -> std::string {
        for (std::int32_t at = last; at >= first; --at) {
            const std::string text = module.Lines(at, 1);
            const std::vector<std::string_view> words = BlankSeparatedWords(text);
            for (std::size_t i = 0; i + 2 < words.size(); ++i) {
                std::string_view name = words[i];
                if (name.ends_with("()")) {
                    name.remove_suffix(2);
                }
                if (!EqualsNoCase(name, variable) || !EqualsNoCase(words[i + 1], "As")) {
                    continue;
                }
                std::string_view type = words[i + 2];
                if (EqualsNoCase(type, "New") && i + 3 < words.size()) {
                    type = words[i + 3];
                }
                const std::size_t end = type.find_first_of(",)'");
                return std::string(type.substr(0, end));
            }
        }
        return {};
    };
    vbext_ProcKind kind = vbext_pk_Proc;
    const std::string procedure = module.ProcOfLine(line, kind);
    if (!procedure.empty()) {
        const std::string type = declaredIn(module.ProcStartLine(procedure, kind), line);
        if (!type.empty()) {
            return type;
        }
    }
    for (const host::DeclaredMember& member : module.DeclaredMembers()) {
        if (member.type == vbext_mt_Variable && EqualsNoCase(member.name, variable)) {
            return declaredIn(member.line, member.line);
        }
    }
    return {};
}

// A class named with its project before it ("VbFcgiLib.CFcgiDownstream") is the project's own.
std::string WithoutProject(std::string type, const OpenProject& open) {
    const std::size_t dot = type.find('.');
    if (dot != std::string::npos && open.project &&
        EqualsNoCase(std::string_view(type).substr(0, dot), open.project->Name())) {
        type.erase(0, dot + 1);
    }
    return type;
}

// An Enum's member, in `from` first, then in the public Enums of the other modules.
std::optional<Definition> EnumMember(const OpenProject& project, host::MemoryComponent& from,
                                     std::string_view name, std::string_view within) {
    if (const std::int32_t at = EnumMemberIn(*from.Code(), name, within, true); at != 0) {
        return Definition{&from, at};
    }
    for (const auto& module : project.modules) {
        host::MemoryComponent& component = module->Component();
        if (&component == &from || component.Code() == nullptr) {
            continue;
        }
        if (const std::int32_t at = EnumMemberIn(*component.Code(), name, within, false); at != 0) {
            return Definition{&component, at};
        }
    }
    return std::nullopt;
}

}  // namespace

std::string NameAt(std::string_view text, std::int32_t column) {
    auto at = static_cast<std::size_t>(
        std::clamp<std::int32_t>(column - 1, 0, static_cast<std::int32_t>(text.size())));
    if ((at == text.size() || !IsNameByte(text[at])) && at > 0 && IsNameByte(text[at - 1])) {
        --at;  // just after the name
    }
    if (at >= text.size() || !IsNameByte(text[at])) {
        return {};
    }
    std::size_t begin = at;
    while (begin > 0 && IsNameByte(text[begin - 1])) {
        --begin;
    }
    std::size_t end = at;
    while (end < text.size() && IsNameByte(text[end])) {
        ++end;
    }
    std::size_t qualifier = begin;
    if (begin > 1 && text[begin - 1] == '.' && IsNameByte(text[begin - 2])) {
        qualifier = begin - 1;
        while (qualifier > 0 && IsNameByte(text[qualifier - 1])) {
            --qualifier;
        }
        // Part of a longer chain ("a.b.Name") is qualified by an object, not a module.
        if (qualifier > 0 && text[qualifier - 1] == '.') {
            return std::string(text.substr(qualifier - 1, end - qualifier + 1));
        }
    }
    std::string name(text.substr(qualifier, end - qualifier));
    if (!name.empty() && IsDigit(name.front())) {
        return {};
    }
    return name;
}

std::optional<Definition> FindDefinition(const OpenProject& project, host::MemoryComponent& from,
                                         std::int32_t line, std::int32_t column) {
    host::MemoryCodeModule* code = from.Code();
    if (code == nullptr || line < 1 || line > code->CountOfLines()) {
        return std::nullopt;
    }
    const std::string full = NameAt(code->Lines(line, 1), column);
    if (full.empty() || full.front() == '.') {
        return std::nullopt;
    }
    const std::size_t dot = full.find('.');
    const std::string_view name =
        dot == std::string::npos ? std::string_view(full) : std::string_view(full).substr(dot + 1);
    std::string_view qualifier =
        dot == std::string::npos ? std::string_view() : std::string_view(full).substr(0, dot);
    // An object variable stands for its class.
    std::string type;
    const auto isModule = [&](std::string_view module) {
        return std::any_of(project.modules.begin(), project.modules.end(), [&](const auto& m) {
            return m->Component().Code() != nullptr && EqualsNoCase(m->Component().Name(), module);
        });
    };
    if (!qualifier.empty() && !EqualsNoCase(qualifier, "Me") && !isModule(qualifier)) {
        type = WithoutProject(TypeOf(*code, qualifier, line), project);
        if (type.empty() || !isModule(type)) {
            return EnumMember(project, from, name, qualifier);
        }
        qualifier = type;
    }
    if (qualifier.empty()) {
        if (const std::int32_t at = LocalDeclaration(*code, name, line); at != 0) {
            return Definition{&from, at};
        }
    }

    std::vector<host::MemoryComponent*> others;
    for (const auto& module : project.modules) {
        host::MemoryComponent& component = module->Component();
        if (&component == &from || component.Code() == nullptr) {
            continue;
        }
        if (qualifier.empty() || EqualsNoCase(component.Name(), qualifier)) {
            others.push_back(&component);
        }
    }
    if (qualifier.empty() || EqualsNoCase(qualifier, "Me") ||
        EqualsNoCase(from.Name(), qualifier)) {
        if (const std::int32_t at = DeclarationIn(*code, name, true); at != 0) {
            return Definition{&from, at};
        }
        if (!qualifier.empty()) {
            return std::nullopt;
        }
    }
    for (host::MemoryComponent* component : others) {
        // A module named before the dot shows its Private members too: the IDE goes there.
        if (const std::int32_t at =
                DeclarationIn(*component->Code(), name, !qualifier.empty() && type.empty());
            at != 0) {
            return Definition{component, at};
        }
    }
    return qualifier.empty() ? EnumMember(project, from, name, {}) : std::nullopt;
}

}  // namespace brindle::workbench
