#pragma once
// What the code generation tests and benchmark share: template texts, a module held by a
// project of our in-memory host, line access and a generator of large realistic modules.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "codegen/Insertion.h"
#include "host/ide/MemoryProject.h"
#include "model/Vbide.h"
#include "templates/AddinFields.h"

namespace brindle::test {

using Lines = std::vector<std::string>;

inline const std::string kBegin(kBeginMarker);
inline const std::string kEnd(kEndMarker);

enum class Markers { Off, On };

// Template texts as LoadTemplates gives them (each line followed by LF): a header comment
// block with a multi-line keyword, and an error handler that compiles in every kind of
// procedure.
inline AddinFields CodegenFields(Markers markers) {
    AddinFields fields;
    fields.mbAddCodeMarkers = markers == Markers::On;
    fields.msAuthor = "Ann Author";
    fields.msModHdrTmplt = "'----\n' Module: %ModuleName%\n' Author: %Author%\n'----\n";
    fields.msProcHdrTmplt =
        "'----\n' %ProcedureName% (%ProcedureType%)\n' Parameters:%Parameters%\n";
    fields.msErrHdrTmplt = "    On Error GoTo ErrHandler\n";
    fields.msErrFtrTmplt =
        "    Exit %ProcedureType%\nErrHandler:\n"
        "    Err.Raise Err.Number, \"%ModuleName%.%ProcedureName%\", Err.Description\n";
    fields.clock = [] { return std::chrono::system_clock::time_point{}; };
    return fields;
}

// One line per template, without markers: "' header <name>", "' H" and "' F".
inline AddinFields OneLineFields() {
    auto fields = CodegenFields(Markers::Off);
    fields.msProcHdrTmplt = "' header %ProcedureName%\n";
    fields.msErrHdrTmplt = "' H\n";
    fields.msErrFtrTmplt = "' F\n";
    return fields;
}

inline Lines LinesOf(CodeModule& module) {
    Lines lines;
    for (std::int32_t i = 1; i <= module.CountOfLines(); ++i) {
        lines.push_back(module.Lines(i, 1));
    }
    return lines;
}

inline Lines Concat(std::initializer_list<Lines> parts) {
    Lines all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// The whole module, as the project-wide commands select it: to the start of the line past the
// last one.
inline void SelectAll(CodeModule& module) {
    module.CodePane().SetSelection(1, 1, module.CountOfLines() + 1, 1);
}

// A one-module project: the module and its pane as the commands see them.
class ModuleUnderTest {
public:
    explicit ModuleUnderTest(std::string_view code, vbext_ComponentType type = vbext_ct_StdModule)
        : module_(project_.AddComponent("Module1", type, code).CodeModule()) {}
    // The lines joined by CR LF.
    explicit ModuleUnderTest(const Lines& lines) : ModuleUnderTest(Joined(lines)) {}

    CodeModule& module() { return module_; }
    Lines lines() { return LinesOf(module_); }
    void Select(std::int32_t startLine, std::int32_t startColumn, std::int32_t endLine,
                std::int32_t endColumn) {
        module_.CodePane().SetSelection(startLine, startColumn, endLine, endColumn);
    }

private:
    static std::string Joined(const Lines& lines) {
        std::string text;
        for (const auto& line : lines) {
            text += line + "\r\n";
        }
        return text;
    }

    host::MemoryProject project_;
    CodeModule& module_;
};

// A standard module of `procedures` procedures in the shapes real code has: comment blocks
// above declarations, blank lines, Subs without a scope keyword, Functions, property
// Get/Let/Set, declarations continued over lines, alternative declarations under #If VBA7,
// an exit statement and a label in the body, and conditional code inside bodies. Lines are
// joined by CR LF.
inline std::string GeneratedModule(int procedures) {
    // "@" stands for the procedure's number.
    static constexpr const char* kShapes[] = {
        "' Runs step @.\n' Second comment line.\n"
        "Public Sub Step@(ByVal Count As Long, Optional Name As String = \"a, b\")\n"
        "    Dim i As Long\n    For i = 1 To Count\n        m_Value = m_Value + i\n    Next\n"
        "End Sub\n",
        "Private Function Compute@(ByVal a As Long, _\n        ByVal b As Long) As Long\n"
        "    If a = 0 Then Exit Function\n    Compute@ = a * b ' End Function\nEnd Function\n",
        "Public Property Get Value@() As Long\n    Value@ = m_Value\nEnd Property\n\n"
        "Public Property Let Value@(ByVal NewValue As Long)\n    m_Value = NewValue\n"
        "    RaiseEvent Changed\nEnd Property\n",
        "Sub Plain@()\n#If DEBUG_BUILD Then\n    Debug.Print \"@\"\n#Else\n    m_Value = 0\n"
        "#End If\nEnd Sub\n",
        "#If VBA7 Then\nPrivate Function Handle@(ByVal hWnd As LongPtr) As LongPtr\n#Else\n"
        "Private Function Handle@(ByVal hWnd As Long) As Long\n#End If\n    Handle@ = hWnd\n"
        "End Function\n",
        "Friend Static Function Counter@() As Long\n    Dim Calls As Long\n    Calls = Calls + 1\n"
        "    Counter@ = Calls\n    Exit Function\nDone:\n    Counter@ = -1\nEnd Function\n",
        "    ' An indented comment does not belong to the header block.\n"
        "Private Property Set Target@(ByVal Value As Object)\n    Set m_Target = Value\n"
        "End Property\n"};
    std::string code;
    const auto append = [&code](std::string_view text, const std::string& number) {
        for (const char c : text) {
            code += c == '@' ? number : c == '\n' ? std::string("\r\n") : std::string(1, c);
        }
    };
    append(
        "Option Explicit\nPrivate Declare Function GetTickCount Lib \"kernel32\" () As Long\n"
        "Private m_Value As Long\nPrivate m_Target As Object\nPublic Event Changed()\n",
        "");
    for (int i = 0; i < procedures; ++i) {
        append("\n", "");
        append(kShapes[i % 7], std::to_string(i));
    }
    return code;
}

}  // namespace brindle::test
