#include "workbench/Definition.h"

#include <algorithm>
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
        type = TypeOf(*code, qualifier, line);
        if (type.empty() || !isModule(type)) {
            return std::nullopt;
        }
        qualifier = type;
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
    return std::nullopt;
}

}  // namespace brindle::workbench
