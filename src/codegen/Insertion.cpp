#include "codegen/Insertion.h"

#include <optional>
#include <utility>

#include "analysis/LineHelpers.h"
#include "analysis/ProcDecl.h"
#include "codegen/DeclarationGroup.h"
#include "model/AddinName.h"
#include "model/VbError.h"
#include "templates/Expansion.h"
#include "util/Text.h"

namespace brindle {
namespace {

// Lines that one insertion added, and the module's size right after it.
struct InsertedLines {
    std::int32_t first = 0;
    std::int32_t count = 0;
    std::int32_t moduleLines = 0;
};

InsertedLines InsertText(CodeModule& module, std::int32_t line, std::string_view text) {
    const auto before = module.CountOfLines();
    module.InsertLines(line, text);
    const auto after = module.CountOfLines();
    return {line, after - before, after};
}

// Deletes lines that an insertion of this call added, provided nothing has been added or
// removed since. Used on the way out of a failure, which is the one to report.
void TakeOut(CodeModule& module, const InsertedLines& lines) noexcept {
    try {
        if (lines.count > 0 && module.CountOfLines() == lines.moduleLines) {
            module.DeleteLines(lines.first, lines.count);
        }
    } catch (...) {
    }
}

bool StartsWithApostrophe(const std::string& line) {
    return !line.empty() && line[0] == '\'';
}

InsertedLines PlaceErrHeader(const AddinFields& fields, CodeModule& module, std::string text,
                             std::int32_t line) {
    return PassOn("Brindle.InsertErrHeader", [&] {
        std::int32_t count = 0;
        const auto declaration = GetProcDeclLine(module, line, count);
        const auto at = FirstBodyLine(module, declaration, line + count);
        return InsertText(module, at, MarkedText(fields, std::move(text)));
    });
}

void PlaceErrFooter(const AddinFields& fields, CodeModule& module, std::string_view name,
                    vbext_ProcKind kind, const Member& member) {
    const auto bodyLine = module.ProcBodyLine(name, kind);
    auto footer = BuildCode(fields, fields.msErrFtrTmplt, module, &member, bodyLine);
    InsertErrFooter(fields, module, std::move(footer), GetProcLastLineNum(module, name, kind));
}

// The first line of the comment lines (an apostrophe in the first column) directly above
// `line`, or `line` when there are none. A marker line ends them: nothing goes above an earlier
// generated block.
std::int32_t TopOfCommentLines(CodeModule& module, std::int32_t line) {
    auto above = line - 1;
    while (above >= 1) {
        const auto text = module.Lines(above, 1);
        if (!StartsWithApostrophe(text) || IsMarkerLine(text)) {
            break;
        }
        --above;
    }
    return above + 1;
}

std::string EndStatementOf(vbext_ProcKind kind, std::string_view declaration) {
    return "End " + (kind == vbext_pk_Proc ? ProcedureTypeOf(declaration) : "Property");
}

bool HoldsStatementSeparator(std::string_view code) {
    bool inString = false;
    for (const char c : code) {
        if (c == '"') {
            inString = !inString;
        } else if (c == ':' && !inString) {
            return true;
        }
    }
    return false;
}

// Each reason is one where a header below the declaration and a footer above the End
// statement would not enclose the body as written. A declaration that runs on past the module's
// last line (code that does not compile) leaves no body at all.
std::optional<std::string> NoPlaceFor(CodeModule& module, std::string_view name,
                                      vbext_ProcKind kind, std::int32_t bodyLine,
                                      std::string_view declaration, std::int32_t count) {
    if (DeclarationRunsPastEnd(module, bodyLine)) {
        return std::string(kCutOff);
    }
    const auto end = EndStatementOf(kind, declaration);
    const auto endLine = GetProcLastLineNum(module, name, kind);
    if (endLine == 0) {
        return "no " + end;
    }
    if (endLine < FirstBodyLine(module, declaration, bodyLine + count)) {
        return "its " + end + " shares the declaration's line";
    }
    if (HoldsStatementSeparator(GetNonCommentPartOfLine(declaration))) {
        return std::string("other statements share the declaration's line");
    }
    const auto endCode = GetStatementCode(module, endLine);
    if (endCode.substr(0, FindNoCase(endCode, end)).find_first_not_of(" \t") != std::string::npos) {
        return "other statements share line " + std::to_string(endLine) + " with its " + end;
    }
    return std::nullopt;
}

// Tells the sink when the procedure offers no place for an error handler; true when it does.
bool HasPlaceForHandler(CodeModule& module, std::string_view name, vbext_ProcKind kind,
                        std::int32_t bodyLine, Diagnostics* sink) {
    std::int32_t count = 0;
    const auto declaration = GetProcDeclLineToEnd(module, bodyLine, count);
    const auto why = NoPlaceFor(module, name, kind, bodyLine, declaration, count);
    if (why) {
        const auto label = module.ToUnicode(ProcedureLabel(kind, name, declaration));
        WarnTo(sink, module.ToUnicode(module.Parent().Name()), CodePlace{label, bodyLine, 0},
               *why + "; no error handler added");
    }
    return !why;
}

std::shared_ptr<const Member> MemberOf(CodeModule& module, std::string_view name) {
    auto member = module.Members().Item(name);
    if (!member) {
        Raise(Err::ObjectNotSet, kAddinComponent);
    }
    return member;
}

bool IsProcedureMember(const Member& member) {
    const auto type = member.Type();
    return type == vbext_mt_Method || type == vbext_mt_Property;
}

}  // namespace

std::optional<std::string> NoPlaceForHandler(CodeModule& module, std::string_view name,
                                             vbext_ProcKind kind) {
    const auto bodyLine = module.ProcBodyLine(name, kind);
    std::int32_t count = 0;
    const auto declaration = GetProcDeclLineToEnd(module, bodyLine, count);
    return NoPlaceFor(module, name, kind, bodyLine, declaration, count);
}

std::shared_ptr<const Member> ProcedureMemberOf(CodeModule& module, std::string_view name) {
    auto member = MemberOf(module, name);
    if (IsProcedureMember(*member)) {
        return member;
    }
    auto& members = module.Members();
    for (std::int32_t i = 1; i <= members.Count(); ++i) {
        auto other = members.Item(i);
        if (other && IsProcedureMember(*other) && EqualsNoCase(other->Name(), name)) {
            return other;
        }
    }
    return member;
}

std::string MarkedText(const AddinFields& fields, std::string text) {
    if (!fields.mbAddCodeMarkers) {
        return text;
    }
    std::string marked;
    marked.reserve(kBeginMarker.size() + text.size() + kEndMarker.size() + 4);
    marked.append(kBeginMarker).append("\r\n").append(text).append("\r\n").append(kEndMarker);
    return marked;
}

void InsertProcHeader(const AddinFields& fields, CodeModule& module, std::string text,
                      std::int32_t line) {
    PassOn("Brindle.InsertProcHeader", [&] {
        auto at = TopOfCommentLines(module, line);
        if (const auto opening = OpeningIfOfAlternatives(module, line, at - 1)) {
            at = TopOfCommentLines(module, opening);
        }
        module.InsertLines(at, MarkedText(fields, std::move(text)));
    });
}

void InsertErrHeader(const AddinFields& fields, CodeModule& module, std::string text,
                     std::int32_t line) {
    PlaceErrHeader(fields, module, std::move(text), line);
}

void InsertErrFooter(const AddinFields& fields, CodeModule& module, std::string text,
                     std::int32_t line) {
    PassOn("Brindle.InsertErrFooter",
           [&] { module.InsertLines(line, MarkedText(fields, std::move(text))); });
}

void AddHeaderToProc(const AddinFields& fields, CodeModule& module, std::string_view name,
                     vbext_ProcKind kind) {
    PassOn("Brindle.AddHeaderToProc", [&] {
        const auto bodyLine = module.ProcBodyLine(name, kind);
        const auto member = MemberOf(module, name);
        auto text = BuildCode(fields, fields.msProcHdrTmplt, module, member.get(), bodyLine);
        InsertProcHeader(fields, module, std::move(text), bodyLine);
    });
}

void AddErrHandlerToProc(const AddinFields& fields, CodeModule& module, std::string_view name,
                         vbext_ProcKind kind, Diagnostics* sink) {
    PassOn("Brindle.AddErrHandlerToProc", [&] {
        if (!HasErrHandlerTemplates(fields)) {
            return;
        }
        const auto bodyLine = module.ProcBodyLine(name, kind);
        const auto member = ProcedureMemberOf(module, name);
        if (!IsProcedureMember(*member)) {
            return;
        }
        if (!HasPlaceForHandler(module, name, kind, bodyLine, sink)) {
            return;
        }
        auto text = BuildCode(fields, fields.msErrHdrTmplt, module, member.get(), bodyLine);
        const auto header = PlaceErrHeader(fields, module, std::move(text), bodyLine);
        try {
            PlaceErrFooter(fields, module, name, kind, *member);
        } catch (...) {
            TakeOut(module, header);
            throw;
        }
        TellDone(sink, Work::ErrorHandlerAdded);
    });
}

}  // namespace brindle
