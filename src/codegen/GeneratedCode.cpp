#include "codegen/GeneratedCode.h"

#include <algorithm>
#include <array>
#include <unordered_set>

#include "analysis/LineHelpers.h"
#include "analysis/ProcDecl.h"
#include "codegen/BlockText.h"
#include "codegen/DeclarationGroup.h"
#include "util/Text.h"
#include "util/Wildcard.h"

namespace brindle {
namespace {

std::uint8_t RoleBit(BlockRole role) {
    return static_cast<std::uint8_t>(1U << static_cast<unsigned>(role));
}

bool IsCommentLine(std::string_view line) {
    return TrimBlanks(line).starts_with('\'');
}

// Whether `text` starts with `word` (any case) followed by its end, a blank or a tab.
bool StartsWithWord(std::string_view text, std::string_view word) {
    return text.size() >= word.size() && EqualsNoCase(text.substr(0, word.size()), word) &&
           (text.size() == word.size() || IsBlank(text[word.size()]));
}

// The text of a line that is a comment as a whole ("'" or Rem), without the blanks around it.
std::optional<std::string_view> CommentText(std::string_view line) {
    const auto text = TrimBlanks(line);
    if (text.starts_with('\'')) {
        return TrimBlanks(text.substr(1));
    }
    if (StartsWithWord(text, "Rem")) {
        return TrimBlanks(text.substr(3));
    }
    return std::nullopt;
}

bool IsOptionStatement(std::string_view line) {
    const auto statement = NonCommentPart(line);
    const auto code = TrimBlanks(statement);
    return code.size() > 7 && EqualsNoCase(code.substr(0, 7), "Option ");
}

// Removes `word` (any case) from the front of `text`, and the blanks after it.
bool TakeWord(std::string_view& text, std::string_view word) {
    if (text.size() < word.size() || !EqualsNoCase(text.substr(0, word.size()), word)) {
        return false;
    }
    text = TrimBlanks(text.substr(word.size()));
    return true;
}

// The procedures of the module, from the host's answers for each line.
class ProcedureReader {
public:
    explicit ProcedureReader(CodeModule& module) : module_(module) {}

    std::vector<ProcSpan> Read() {
        std::vector<ProcSpan> procs;
        // Each procedure once, by its name in any case and its kind.
        std::array<std::unordered_set<std::string, NoCaseHash, NoCaseEqual>, vbext_pk_Get + 1> seen;
        const auto count = module_.CountOfLines();
        std::string last;
        auto lastKind = vbext_pk_Proc;
        for (std::int32_t line = 1; line <= count; ++line) {
            auto kind = vbext_pk_Proc;
            auto name = module_.ProcOfLine(line, kind);
            if (name.empty() || (EqualsNoCase(name, last) && kind == lastKind)) {
                continue;
            }
            last = name;
            lastKind = kind;
            if (seen[static_cast<std::size_t>(kind)].insert(name).second) {
                procs.push_back(Span(std::move(name), kind));
                line = std::max(line, procs.back().lastLine);
            }
        }
        return procs;
    }

private:
    ProcSpan Span(std::string name, vbext_ProcKind kind) {
        ProcSpan span;
        span.kind = kind;
        span.startLine = module_.ProcStartLine(name, kind);
        span.bodyLine = module_.ProcBodyLine(name, kind);
        span.lastLine = span.startLine + module_.ProcCountLines(name, kind) - 1;
        std::int32_t count = 0;
        const auto declaration = GetProcDeclLineToEnd(module_, span.bodyLine, count);
        span.firstBodyLine = FirstBodyLine(module_, declaration, span.bodyLine + count);
        const auto opening = OpeningIfOfAlternatives(module_, span.bodyLine, span.bodyLine - 1);
        span.topLine = opening != 0 ? opening : span.bodyLine;
        span.endLine = GetProcLastLineNum(module_, span.bodyLine, span.lastLine, kind, declaration);
        span.name = std::move(name);
        return span;
    }

    CodeModule& module_;
};

class BlockMapper {
public:
    BlockMapper(const AddinFields& fields, CodeModule& module, GeneratedCode& code)
        : fields_(fields), module_(module), code_(code) {}

    void Map() {
        ReadBlocks();
        for (std::size_t p = 0; p < code_.procedures.size(); ++p) {
            MarkHeaders(p);
            MarkErrorBlocks(p);
        }
        MarkModuleHeader();
        code_.rolesOf.assign(code_.procedures.size(), 0);
        for (const auto& block : code_.blocks) {
            if (block.proc) {
                code_.rolesOf[*block.proc] |= RoleBit(block.role);
            }
        }
    }

private:
    void ReadBlocks() {
        MarkerPairing pairing;
        std::int32_t from = 1;
        while (const auto marker = NextMarkerLine(module_, from)) {
            from = marker->line + 1;
            const auto step = pairing.Feed(module_, *marker);
            if (step.broken) {
                code_.broken.push_back(*step.broken);
            }
            if (step.block) {
                code_.blocks.push_back(
                    {*step.block, BlockRole::Other, ProcAt(step.block->begin.line)});
            }
        }
        for (const auto& broken : pairing.Finish()) {
            code_.broken.push_back(broken);
        }
        std::stable_sort(code_.broken.begin(), code_.broken.end(),
                         [](const auto& a, const auto& b) { return a.first.line < b.first.line; });
    }

    // Blocks do not overlap, so their end markers ascend as their begin markers do.
    std::optional<std::size_t> BlockEndingAt(std::int32_t line) const {
        const auto& blocks = code_.blocks;
        const auto found = std::lower_bound(
            blocks.begin(), blocks.end(), line,
            [](const GeneratedBlock& b, std::int32_t l) { return b.block.end.line < l; });
        if (found == blocks.end() || found->block.end.line != line) {
            return std::nullopt;
        }
        return static_cast<std::size_t>(found - blocks.begin());
    }

    // Spans ascend and do not overlap.
    std::optional<std::size_t> ProcAt(std::int32_t line) const {
        const auto& procs = code_.procedures;
        const auto after =
            std::upper_bound(procs.begin(), procs.end(), line,
                             [](std::int32_t l, const ProcSpan& p) { return l < p.startLine; });
        if (after == procs.begin() || line > std::prev(after)->lastLine) {
            return std::nullopt;
        }
        return static_cast<std::size_t>(std::prev(after) - procs.begin());
    }

    // Upwards from the declaration: comment lines, and whole blocks, each a header.
    void MarkHeaders(std::size_t p) {
        auto line = code_.procedures[p].topLine - 1;
        while (line >= 1) {
            if (const auto block = BlockEndingAt(line)) {
                auto& found = code_.blocks[*block];
                found.role = BlockRole::ProcedureHeader;
                found.proc = p;
                line = found.block.begin.line - 1;
                continue;
            }
            const auto text = module_.Lines(line, 1);
            if (!IsCommentLine(text) || IsMarkerLine(text)) {
                break;
            }
            --line;
        }
    }

    // The first block of the body when only blank and comment lines stand above it, the last
    // when only such lines stand below it.
    void MarkErrorBlocks(std::size_t p) {
        const auto& proc = code_.procedures[p];
        const auto bottom = proc.endLine != 0 ? proc.endLine : proc.lastLine + 1;
        // Blocks ascend by their begin markers.
        const auto from = std::lower_bound(
            code_.blocks.begin(), code_.blocks.end(), proc.firstBodyLine,
            [](const GeneratedBlock& b, std::int32_t l) { return b.block.begin.line < l; });
        std::vector<std::size_t> inside;
        for (auto b = from; b != code_.blocks.end() && b->block.begin.line < bottom; ++b) {
            if (b->block.end.line < bottom) {
                inside.push_back(static_cast<std::size_t>(b - code_.blocks.begin()));
            }
        }
        if (inside.empty()) {
            return;
        }
        auto& first = code_.blocks[inside.front()];
        auto& last = code_.blocks[inside.back()];
        const bool opens = OnlyBlankOrComment(proc.firstBodyLine, first.block.begin.line);
        const bool closes = OnlyBlankOrComment(last.block.end.line + 1, bottom);
        if (inside.size() == 1 && opens && closes) {
            first.role = Resembles(BlockRole::ErrorHeader, BlockRole::ErrorFooter, first, &proc);
            return;
        }
        if (opens) {
            first.role = BlockRole::ErrorHeader;
        }
        if (closes) {
            last.role = BlockRole::ErrorFooter;
        }
    }

    // The first block, when only blank lines, comments and Option statements precede it, or a
    // first line that mentions Option Explicit, under which the header is added. Above the first
    // procedure, the top one of several headers; a lone one is the header that its text
    // resembles more.
    void MarkModuleHeader() {
        if (code_.blocks.empty()) {
            return;
        }
        auto& first = code_.blocks.front();
        for (auto line = 1; line < first.block.begin.line; ++line) {
            const auto text = module_.Lines(line, 1);
            if (!IsBlankOrComment(text) && !IsOptionStatement(text) &&
                !(line == 1 && ContainsNoCase(text, "Option Explicit"))) {
                return;
            }
        }
        const bool aboveDeclaration =
            !first.proc || first.block.end.line < code_.procedures[*first.proc].topLine;
        if (first.role == BlockRole::Other && aboveDeclaration) {
            first.role = BlockRole::ModuleHeader;
            first.proc.reset();
            return;
        }
        if (first.role != BlockRole::ProcedureHeader) {
            return;
        }
        const bool stacked = code_.blocks.size() > 1 &&
                             code_.blocks[1].role == BlockRole::ProcedureHeader &&
                             code_.blocks[1].proc == first.proc;
        const auto& proc = code_.procedures[*first.proc];
        if (stacked || Resembles(BlockRole::ProcedureHeader, BlockRole::ModuleHeader, first,
                                 &proc) == BlockRole::ModuleHeader) {
            first.role = BlockRole::ModuleHeader;
            first.proc.reset();
        }
    }

    bool OnlyBlankOrComment(std::int32_t from, std::int32_t before) const {
        for (auto line = from; line < before; ++line) {
            if (!IsBlankOrComment(module_.Lines(line, 1))) {
                return false;
            }
        }
        return true;
    }

    // `other` when the block is more like what `other`'s template gives, else `role`.
    BlockRole Resembles(BlockRole role, BlockRole other, const GeneratedBlock& block,
                        const ProcSpan* proc) const {
        const auto lines = InnerLines(module_, block.block);
        const auto like = [&](BlockRole r) {
            try {
                return Likeness(ExpectedLines(fields_, module_, r,
                                              r == BlockRole::ModuleHeader ? nullptr : proc),
                                lines);
            } catch (...) {
                return 0;
            }
        };
        return like(other) > like(role) ? other : role;
    }

    const AddinFields& fields_;
    CodeModule& module_;
    GeneratedCode& code_;
};

// The line of a skip comment among the comment lines directly above the procedure's
// declaration; 0 when there is none.
std::int32_t SkipCommentAbove(CodeModule& module, const ProcSpan& proc) {
    for (auto line = proc.topLine - 1; line >= 1; --line) {
        const auto text = module.Lines(line, 1);
        if (!CommentText(text)) {
            break;
        }
        if (IsSkipComment(text)) {
            return line;
        }
    }
    return 0;
}

std::int32_t TopOfCommentsAbove(CodeModule& module, const ProcSpan& proc) {
    auto line = proc.topLine;
    while (line > 1 && CommentText(module.Lines(line - 1, 1))) {
        --line;
    }
    return line;
}

}  // namespace

std::vector<ProcSpan> ModuleProcedures(CodeModule& module) {
    return ProcedureReader(module).Read();
}

bool GeneratedCode::Has(BlockRole role, std::optional<std::size_t> proc) const {
    if (proc) {
        return *proc < rolesOf.size() && (rolesOf[*proc] & RoleBit(role)) != 0;
    }
    return std::any_of(blocks.begin(), blocks.end(), [&](const GeneratedBlock& block) {
        return block.role == role && block.proc == proc;
    });
}

GeneratedCode MapGeneratedCode(const AddinFields& fields, CodeModule& module) {
    GeneratedCode code;
    code.procedures = ModuleProcedures(module);
    BlockMapper(fields, module, code).Map();
    return code;
}

bool HasOnErrorStatement(CodeModule& module, const ProcSpan& proc) {
    const auto last = proc.endLine != 0 ? proc.endLine - 1 : proc.lastLine;
    for (auto line = proc.firstBodyLine; line <= last; ++line) {
        const auto text = module.Lines(line, 1);
        const auto code = NonCommentPart(text);
        if (!ContainsNoCase(code, "Error")) {
            continue;
        }
        for (auto statement : StatementsOf(code)) {
            if (TakeWord(statement, "On ") && TakeWord(statement, "Error")) {
                return true;
            }
        }
    }
    return false;
}

std::string_view LabelOn(std::string_view line) {
    const auto text = TrimBlanks(line);
    const auto isNamePart = [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return IsAsciiLetterOrDigit(c) || c == '_' || u >= 0x80;
    };
    if (text.empty() || IsDigit(text.front())) {
        return {};
    }
    std::size_t end = 0;
    while (end < text.size() && isNamePart(text[end])) {
        ++end;
    }
    const auto rest = TrimBlanks(text.substr(end));
    if (end == 0 || !rest.starts_with(':') || rest.starts_with(":=")) {
        return {};
    }
    const auto name = text.substr(0, end);
    for (const std::string_view statement :
         {"Else", "End", "Exit", "Loop", "Next", "Resume", "Return", "Stop", "Wend", "Do", "Rem"}) {
        if (EqualsNoCase(name, statement)) {
            return {};
        }
    }
    return name;
}

std::string_view OnErrorGoToLabel(std::string_view line) {
    const auto code = NonCommentPart(line);
    if (!ContainsNoCase(code, "GoTo")) {
        return {};
    }
    for (auto statement : StatementsOf(code)) {
        if (TakeWord(statement, "On ") && TakeWord(statement, "Error") &&
            TakeWord(statement, "GoTo ")) {
            const auto label = statement.substr(0, statement.find_first_of(" \t"));
            return label == "0" ? std::string_view() : label;
        }
    }
    return {};
}

bool IsSkipComment(std::string_view line) {
    auto text = CommentText(line);
    return text && TakeWord(*text, "brindle") && TakeWord(*text, ":") &&
           StartsWithWord(*text, "skip");
}

namespace {

// The first line at or after `line` that is a skip comment. The host's search passes over the
// lines that do not mention the word "skip" at all, which are nearly all (where Brindle added
// its blocks, "Brindle" stands on many).
std::optional<std::int32_t> NextSkipComment(CodeModule& module, std::int32_t line) {
    while (line <= module.CountOfLines()) {
        std::int32_t column = 1;
        std::int32_t endLine = 0;
        std::int32_t endColumn = 0;
        if (!module.Find("skip", line, column, endLine, endColumn, false, false, false)) {
            return std::nullopt;
        }
        if (IsSkipComment(module.Lines(line, 1))) {
            return line;
        }
        ++line;
    }
    return std::nullopt;
}

}  // namespace

std::vector<std::int32_t> SkipCommentsOfNothing(CodeModule& module,
                                                const std::vector<ProcSpan>& procedures) {
    std::vector<std::int32_t> lines;
    if (procedures.empty()) {
        return lines;
    }
    std::size_t next = 0;  // the first procedure declared below the line
    for (auto line = NextSkipComment(module, TopOfCommentsAbove(module, procedures.front())); line;
         line = NextSkipComment(module, *line + 1)) {
        while (next < procedures.size() && procedures[next].topLine <= *line) {
            ++next;
        }
        if (next == procedures.size() || *line < TopOfCommentsAbove(module, procedures[next])) {
            lines.push_back(*line);
        }
    }
    return lines;
}

std::optional<std::string> ModuleExclusion(CodeModule& module,
                                           const std::vector<ProcSpan>& procedures) {
    const auto before = procedures.empty() ? module.CountOfLines() + 1
                                           : TopOfCommentsAbove(module, procedures.front());
    for (std::int32_t line = 1; line < before; ++line) {
        if (IsSkipComment(module.Lines(line, 1))) {
            return "line " + std::to_string(line) + ": ' brindle: skip";
        }
    }
    return std::nullopt;
}

std::optional<std::string> ProcedureExclusion(const AddinFields& fields, CodeModule& module,
                                              const ProcSpan& proc) {
    if (const auto line = SkipCommentAbove(module, proc)) {
        return "line " + std::to_string(line) + ": ' brindle: skip";
    }
    const auto name = module.ToUnicode(proc.name);
    for (const auto& pattern : ExcludedProcPatterns(fields)) {
        if (MatchWildcard(pattern, name)) {
            return "its name matches the excluded procedures' pattern " + pattern;
        }
    }
    return std::nullopt;
}

bool Exclusions::Excludes(std::string_view name, vbext_ProcKind kind,
                          const std::vector<ProcSpan>& procedures) const {
    if (module) {
        return true;
    }
    for (std::size_t p = 0; p < procs.size() && p < procedures.size(); ++p) {
        if (procs[p] && procedures[p].kind == kind && EqualsNoCase(procedures[p].name, name)) {
            return true;
        }
    }
    return false;
}

Exclusions FindExclusions(const AddinFields& fields, CodeModule& module,
                          const std::vector<ProcSpan>& procedures) {
    Exclusions exclusions;
    if (!MayExclude(fields, module)) {
        return exclusions;
    }
    exclusions.module = ModuleExclusion(module, procedures);
    for (const auto& proc : procedures) {
        exclusions.procs.push_back(ProcedureExclusion(fields, module, proc));
    }
    return exclusions;
}

bool MayExclude(const AddinFields& fields, CodeModule& module) {
    if (!ExcludedProcPatterns(fields).empty()) {
        return true;
    }
    return NextSkipComment(module, 1).has_value();
}

std::vector<std::string> ExcludedProcPatterns(const AddinFields& fields) {
    std::vector<std::string> patterns;
    std::string_view rest = fields.msExcludedProcs;
    while (!rest.empty()) {
        const auto comma = std::min(rest.find(','), rest.size());
        const auto pattern = TrimBlanks(rest.substr(0, comma));
        if (!pattern.empty()) {
            patterns.emplace_back(pattern);
        }
        rest = rest.substr(std::min(comma + 1, rest.size()));
    }
    return patterns;
}

}  // namespace brindle
