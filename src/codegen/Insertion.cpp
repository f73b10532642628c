#include "codegen/Insertion.h"

#include <utility>

#include "analysis/ProcDecl.h"
#include "codegen/DeclarationGroup.h"
#include "codegen/TextCompare.h"
#include "host/model/VbError.h"
#include "templates/Expansion.h"

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
                    vbext_ProcKind kind, const Member& member, const InsertedLines& header) {
    const auto bodyLine = module.ProcBodyLine(name, kind);
    auto footer = BuildCode(fields, fields.msErrFtrTmplt, module, &member, bodyLine);
    const auto endLine = GetProcLastLineNum(module, name, kind);
    if (endLine > 0 && endLine < header.first + header.count) {
        // A procedure written on one line: its End statement stands above the header.
        throw VbError(static_cast<std::int32_t>(Err::InvalidCall),
                      "The procedure ends on its declaration line: no room for an error handler",
                      "VBBrindle");
    }
    InsertErrFooter(fields, module, std::move(footer), endLine);
}

std::shared_ptr<const Member> MemberOf(CodeModule& module, std::string_view name) {
    auto member = module.Members().Item(name);
    if (!member) {
        Raise(Err::ObjectNotSet, "VBBrindle");
    }
    return member;
}

bool IsProcedureMember(const Member& member) {
    const auto type = member.Type();
    return type == vbext_mt_Method || type == vbext_mt_Property;
}

// The procedure's own member. A class may declare an event of the same name as one of its
// methods (a Connect method and a Connect event); the lookup by name can give the event.
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

}  // namespace

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
        auto above = line - 1;
        while (above >= 1 && StartsWithApostrophe(module.Lines(above, 1))) {
            --above;
        }
        module.InsertLines(above + 1, MarkedText(fields, std::move(text)));
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
                         vbext_ProcKind kind) {
    PassOn("Brindle.AddErrHandlerToProc", [&] {
        const auto bodyLine = module.ProcBodyLine(name, kind);
        const auto member = ProcedureMemberOf(module, name);
        if (!IsProcedureMember(*member)) {
            return;
        }
        auto text = BuildCode(fields, fields.msErrHdrTmplt, module, member.get(), bodyLine);
        const auto header = PlaceErrHeader(fields, module, std::move(text), bodyLine);
        try {
            PlaceErrFooter(fields, module, name, kind, *member, header);
        } catch (...) {
            TakeOut(module, header);
            throw;
        }
    });
}

}  // namespace brindle
