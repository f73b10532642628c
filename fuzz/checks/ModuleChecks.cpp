// The module file, the procedure index, declarations and templates.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/ProcDecl.h"
#include "checks/Properties.h"
#include "host/files/ModuleFile.h"
#include "host/ide/MemoryCodeModule.h"
#include "host/ide/MemoryProject.h"
#include "host/vb6/CodePage.h"
#include "model/VbError.h"
#include "templates/Expansion.h"

namespace brindle::fuzz {
namespace {

// Long inputs teach nothing more and slow every run down.
constexpr std::size_t kMostBytes = 16 * 1024;

std::string Describe(host::MemoryCodeModule& module) {
    std::string text;
    for (const host::ProcedureInfo& info : module.Procedures()) {
        const host::Procedure& p = info.procedure;
        text += p.name + " " + std::to_string(p.kind) + " " + std::to_string(p.startLine) + " " +
                std::to_string(p.bodyLine) + " " + std::to_string(p.declLastLine) + " " +
                std::to_string(p.endLine) + " " + std::to_string(p.endLastLine) + " " +
                std::to_string(info.lastLine) + "\n";
    }
    for (const host::DeclaredMember& member : module.DeclaredMembers()) {
        text += member.name + " " + std::to_string(member.line) + "\n";
    }
    return text;
}

// The spans follow each other without a gap, the last reaches the module's end, and each
// declaration and End statement lies inside its own span.
void ExpectSpans(host::MemoryCodeModule& module, const std::string& step) {
    const auto procedures = module.Procedures();
    const std::int32_t lines = module.CountOfLines();
    for (std::size_t i = 0; i < procedures.size(); ++i) {
        const host::Procedure& p = procedures[i].procedure;
        const std::int32_t last = procedures[i].lastLine;
        const std::string where = step + ": procedure " + p.name;
        Expect(p.startLine >= 1 && p.startLine <= p.bodyLine && p.bodyLine <= p.declLastLine &&
                   p.declLastLine <= last,
               where + " has its declaration outside its span");
        Expect(p.endLine == 0 ||
                   (p.endLine >= p.bodyLine && p.endLastLine >= p.endLine && p.endLastLine <= last),
               where + " has its End statement outside its span");
        const std::int32_t next =
            i + 1 < procedures.size() ? procedures[i + 1].procedure.startLine - 1 : lines;
        Expect(last == next, where + " does not reach the next span or the module's end");
    }
    // Every line belongs to the declarations section (kind Proc) or to the span holding it.
    std::size_t owner = 0;
    for (std::int32_t line = 1; line <= lines; ++line) {
        while (owner < procedures.size() && procedures[owner].procedure.startLine <= line) {
            ++owner;
        }
        vbext_ProcKind kind = vbext_pk_Set;
        const std::string name = module.ProcOfLine(line, kind);
        const bool declarations = owner == 0;
        Expect(declarations ? name.empty() && kind == vbext_pk_Proc
                            : name == procedures[owner - 1].procedure.name &&
                                  kind == procedures[owner - 1].procedure.kind,
               step + ": line " + std::to_string(line) + " answers another owner than its span");
    }
}

}  // namespace

void ModuleFileRoundTrip(std::string_view bytes) {
    if (bytes.size() > kMostBytes) {
        return;
    }
    for (const int codePage : {host::kDetectCodePage, 1252, 65001, 932}) {
        std::unique_ptr<host::MemoryComponent> component;
        bool checked = true;
        try {
            host::CheckModule(bytes, "Fuzz");
        } catch (const host::ModuleFileError&) {
            checked = false;
        }
        try {
            component = host::ParseModule(bytes, "Fuzz", codePage);
        } catch (const host::ModuleFileError&) {
            Expect(!checked, "CheckModule takes what ParseModule refuses");
            continue;
        }
        Expect(checked, "CheckModule refuses what ParseModule takes");
        Expect(component->Serialize() == bytes,
               "the module does not save as it was loaded (code page " + std::to_string(codePage) +
                   ")");
        Expect(host::SerializesTo(*component, bytes), "SerializesTo differs from Serialize");
        // The code pane's lines as text, made into a module again, show the same lines.
        if (component->Code() != nullptr) {
            host::MemoryCodeModule& code = *component->Code();
            host::MemoryProject again;
            auto& copy = again.AddComponent("Copy", component->Type(), host::VisibleText(code));
            Expect(copy.CodeModule().CountOfLines() == code.CountOfLines(),
                   "the visible text does not give the same number of lines");
        }
    }
}

void ProcedureIndex(std::string_view bytes) {
    const std::size_t nul = bytes.find('\0');
    const std::string_view text = bytes.substr(0, nul);
    std::string_view edits = nul == std::string_view::npos ? "" : bytes.substr(nul + 1);
    if (text.size() > kMostBytes || edits.size() > 3 * 64) {
        return;
    }
    static const std::vector<std::string> pieces = {
        "' comment",
        "",
        "    x = 1",
        "Sub Inserted()\r\nEnd Sub",
        "End Sub",
        "End Function",
        "End Property",
        "Private Function F(ByVal a As Long, _\r\n    ByVal b As Long) As Long",
        "Public Property Get P() As Long",
        "Property Let P(ByVal v As Long)",
        "#If A Then",
        "#Else",
        "#End If",
        "Private y As Long",
        "' note _",
        "    s = \"End Sub\" ' End Sub",
        "Dim z: z = 1",
        "    Call Foo(a, _",
        "Declare Function GetTickCount Lib \"kernel32\" () As Long",
        "Sub OneLine(): End Sub",
        "Event Changed()",
        "Type T\r\n    a As Long\r\nEnd Type",
        "Attribute VB_Name = \"X\"",
        "_",
    };
    host::MemoryProject project;
    auto& module = *project.AddComponent("M", vbext_ct_StdModule, text).Code();
    for (int step = 1; edits.size() >= 3; ++step, edits.remove_prefix(3)) {
        const auto op = static_cast<unsigned char>(edits[0]);
        const auto at = static_cast<unsigned char>(edits[1]);
        const std::string& piece = pieces[static_cast<unsigned char>(edits[2]) % pieces.size()];
        const std::int32_t count = module.CountOfLines();
        const std::int32_t line = count == 0 ? 1 : at % count + 1;
        try {
            switch (op % 4) {
                case 0:
                    if (count > 0) {
                        module.DeleteLines(
                            line, std::min<std::int32_t>(op / 4 % 4 + 1, count - line + 1));
                    }
                    break;
                case 1:
                    if (count > 0) {
                        module.ReplaceLine(line, piece.substr(0, piece.find('\r')));
                    }
                    break;
                case 2:
                    module.InsertLines(at % (count + 1) + 1, piece);
                    break;
                default:
                    module.InsertLines(line, piece + "\r\n" + piece);
                    break;
            }
        } catch (const VbError&) {
            continue;
        }
        host::MemoryProject fresh;
        auto& expected =
            *fresh.AddComponent("M", vbext_ct_StdModule, host::VisibleText(module)).Code();
        const std::string where = "after edit " + std::to_string(step);
        // Questions that leave the moves the index owes in place, so that edits pile up on
        // them; now and then the whole index.
        for (const std::int32_t probe : {line - 1, line, line + 1}) {
            if (probe < 1 || probe > expected.CountOfLines()) {
                continue;
            }
            vbext_ProcKind kind = vbext_pk_Get;
            vbext_ProcKind expectedKind = vbext_pk_Get;
            const std::string name = module.ProcOfLine(probe, kind);
            const std::string scanned = expected.ProcOfLine(probe, expectedKind);
            Expect(name == scanned && (name.empty() || kind == expectedKind),
                   where + ": ProcOfLine(" + std::to_string(probe) + ") is \"" + name +
                       "\", a fresh scan's \"" + scanned + "\", of\n" + host::VisibleText(module));
        }
        if (op >= 0x80) {
            Expect(Describe(module) == Describe(expected),
                   where + ": the index differs from a fresh scan");
            ExpectSpans(module, where);
        }
    }
    host::MemoryProject fresh;
    auto& expected = *fresh.AddComponent("M", vbext_ct_StdModule, host::VisibleText(module)).Code();
    Expect(Describe(module) == Describe(expected),
           "after the last edit the index differs from a fresh scan");
    ExpectSpans(module, "after the last edit");
}

void Declarations(std::string_view bytes) {
    if (bytes.size() > kMostBytes) {
        return;
    }
    const std::string_view first = bytes.substr(0, bytes.find_first_of("\r\n"));
    std::vector<std::string> parms;
    try {
        const std::int32_t count = GetParms(first, parms);
        Expect(count >= 0 && static_cast<std::size_t>(count) == (count == 0 ? 0 : parms.size()),
               "GetParms counts other than it lists");
        for (const std::string& parm : parms) {
            Expect(first.find(parm) != std::string_view::npos,
                   "GetParms gives a parameter that is not in the declaration: " + parm);
        }
    } catch (const VbError&) {
    }
    const std::string type = ProcedureTypeOf(first);
    Expect(type.empty() || type == "Sub" || type == "Function" || type == "Property",
           "ProcedureTypeOf gives " + type);

    host::MemoryProject project;
    auto& module = *project.AddComponent("M", vbext_ct_StdModule, bytes).Code();
    const std::int32_t lines = module.CountOfLines();
    const auto procedures = module.Procedures();
    for (const host::ProcedureInfo& info : procedures) {
        const host::Procedure& p = info.procedure;
        // The module's questions by name answer for the first of several of one name.
        if (std::count_if(procedures.begin(), procedures.end(), [&](const auto& other) {
                return other.procedure.kind == p.kind &&
                       host::EqualsIgnoringCase(other.procedure.name, p.name);
            }) > 1) {
            continue;
        }
        const std::string where = "procedure " + p.name;
        try {
            std::int32_t lineCount = 0;
            const std::string declaration = GetProcDeclLine(module, p.bodyLine, lineCount);
            Expect(lineCount >= 1 && p.bodyLine + lineCount - 1 <= lines,
                   where + ": the declaration reaches past the module");
            parms.clear();
            GetParms(declaration, parms);
            const std::int32_t last = GetProcLastLineNum(module, p.name, p.kind);
            Expect(last == 0 || (last >= p.bodyLine && last <= lines),
                   where + ": its last line, " + std::to_string(last) +
                       ", is outside its body from line " + std::to_string(p.bodyLine) +
                       " in a module of " + std::to_string(lines) + " lines");
            GetStatementCode(module, p.bodyLine);
        } catch (const VbError&) {
        }
    }
}

void Templates(std::string_view bytes) {
    if (bytes.size() > kMostBytes) {
        return;
    }
    std::int32_t start = 1;
    for (;;) {
        std::int32_t keywordStart = 0;
        std::int32_t keywordEnd = 0;
        const std::string keyword = GetKeyword(bytes, start, keywordStart, keywordEnd);
        if (keyword.empty()) {
            break;
        }
        Expect(keywordStart >= start && keywordEnd > keywordStart &&
                   static_cast<std::size_t>(keywordEnd) <= bytes.size(),
               "GetKeyword gives a reference outside the text");
        Expect(bytes.substr(static_cast<std::size_t>(keywordStart),
                            static_cast<std::size_t>(keywordEnd - keywordStart - 1)) == keyword,
               "GetKeyword's positions do not enclose its keyword");
        Expect(IsTemplateKeyword(keyword), "GetKeyword gives no keyword: " + keyword);
        start = keywordEnd + 1;
    }

    AddinFields fields;
    fields.msAuthor = "Ann Author";
    host::MemoryProject project;
    auto& component = project.AddComponent(
        "Module1", vbext_ct_StdModule,
        "Option Explicit\r\n\r\nPublic Function Twice(ByVal n As Long, Optional ByRef s As "
        "String = \"%Author%\") As Long\r\n    Twice = n * 2\r\nEnd Function\r\n");
    CodeModule& module = component.CodeModule();
    const std::string tmplt(bytes);
    try {
        BuildCode(fields, tmplt, module, nullptr, 1);
        const auto member = module.Members().Item("Twice");
        BuildCode(fields, tmplt, module, member.get(), 3);
    } catch (const VbError&) {
    }
}

}  // namespace brindle::fuzz
