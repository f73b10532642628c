#pragma once
// What the code generation tests and benchmark share: template texts, a module held by a
// project of our in-memory host, line access and a generator of large realistic modules.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/MemoryProject.h"
#include "host/model/Vbide.h"
#include "templates/AddinFields.h"

namespace brindle::test {

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

// A one-module project: the module and its pane as the commands see them.
class ModuleUnderTest {
public:
    explicit ModuleUnderTest(std::string_view code, vbext_ComponentType type = vbext_ct_StdModule)
        : component_(project_.AddComponent("Module1", type, code)) {}

    CodeModule& module() { return component_.CodeModule(); }
    host::MemoryComponent& component() { return component_; }

    std::vector<std::string> lines() {
        std::vector<std::string> result;
        for (std::int32_t i = 1; i <= module().CountOfLines(); ++i) {
            result.push_back(module().Lines(i, 1));
        }
        return result;
    }

    std::string line(std::int32_t number) { return module().Lines(number, 1); }

    void Select(std::int32_t startLine, std::int32_t startColumn, std::int32_t endLine,
                std::int32_t endColumn) {
        module().CodePane().SetSelection(startLine, startColumn, endLine, endColumn);
    }

    // The whole module, as the project-wide commands select it.
    void SelectAll() {
        const auto last = module().CountOfLines();
        Select(1, 1, last, static_cast<std::int32_t>(line(last).size()) + 1);
    }

private:
    host::MemoryProject project_;
    host::MemoryComponent& component_;
};

inline std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto end = text.find('\n', start);
        if (end == std::string_view::npos) {
            if (start < text.size()) {
                lines.emplace_back(text.substr(start));
            }
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// A standard module of `procedures` procedures in the shapes real code has: comment blocks
// above declarations, blank lines, Subs without a scope keyword, Functions, property
// Get/Let/Set, declarations continued over lines, alternative declarations under #If VBA7,
// an exit statement and a label in the body, and conditional code inside bodies. Lines are
// joined by CR LF.
inline std::string GeneratedModule(int procedures) {
    std::string code =
        "Option Explicit\r\n"
        "Private Declare Function GetTickCount Lib \"kernel32\" () As Long\r\n"
        "Private m_Value As Long\r\n"
        "Private m_Target As Object\r\n"
        "Public Event Changed()\r\n";
    for (int i = 0; i < procedures; ++i) {
        const auto n = std::to_string(i);
        code += "\r\n";
        switch (i % 7) {
            case 0:
                code += "' Runs step " + n + ".\r\n' Second comment line.\r\n";
                code += "Public Sub Step" + n +
                        "(ByVal Count As Long, Optional Name As String = \"a, b\")\r\n";
                code +=
                    "    Dim i As Long\r\n    For i = 1 To Count\r\n        m_Value = m_Value + "
                    "i\r\n    Next\r\nEnd Sub\r\n";
                break;
            case 1:
                code += "Private Function Compute" + n + "(ByVal a As Long, _\r\n";
                code += "        ByVal b As Long) As Long\r\n";
                code += "    If a = 0 Then Exit Function\r\n    Compute" + n +
                        " = a * b ' End Function\r\nEnd Function\r\n";
                break;
            case 2:
                code += "Public Property Get Value" + n + "() As Long\r\n    Value" + n +
                        " = m_Value\r\nEnd Property\r\n\r\n";
                code += "Public Property Let Value" + n +
                        "(ByVal NewValue As Long)\r\n    m_Value = NewValue\r\n    RaiseEvent "
                        "Changed\r\nEnd Property\r\n";
                break;
            case 3:
                code += "Sub Plain" + n + "()\r\n#If DEBUG_BUILD Then\r\n    Debug.Print \"" + n +
                        "\"\r\n#Else\r\n    m_Value = 0\r\n#End If\r\nEnd Sub\r\n";
                break;
            case 4:
                code += "#If VBA7 Then\r\n";
                code += "Private Function Handle" + n + "(ByVal hWnd As LongPtr) As LongPtr\r\n";
                code += "#Else\r\n";
                code += "Private Function Handle" + n + "(ByVal hWnd As Long) As Long\r\n";
                code += "#End If\r\n";
                code += "    Handle" + n + " = hWnd\r\nEnd Function\r\n";
                break;
            case 5:
                code += "Friend Static Function Counter" + n +
                        "() As Long\r\n    Dim Calls As Long\r\n    Calls = Calls + 1\r\n";
                code += "    Counter" + n +
                        " = Calls\r\n    Exit Function\r\nDone:\r\n    Counter" + n +
                        " = -1\r\nEnd Function\r\n";
                break;
            default:
                code += "    ' An indented comment does not belong to the header block.\r\n";
                code += "Private Property Set Target" + n +
                        "(ByVal Value As Object)\r\n    Set m_Target = Value\r\nEnd Property\r\n";
                break;
        }
    }
    return code;
}

}  // namespace brindle::test
