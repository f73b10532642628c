#pragma once
// A large module in the shapes real code has, for the benchmarks of code generation and of the
// workbench.

#include <string>
#include <string_view>

namespace brindle::bench {

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

}  // namespace brindle::bench
