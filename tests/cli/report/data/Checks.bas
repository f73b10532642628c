Attribute VB_Name = "Checks"
Option Explicit
' [Brindle Begin]
' Module Checks %ProcName%
' [Brindle End]

' [Brindle Begin]
' Procedure OldName
' [Brindle End]
Public Function Renamed() As Long
Attribute Renamed.VB_Description = "Sum"
' [Brindle Begin]
    On Error GoTo Handler
' [Brindle End]
    Renamed = 1
' [Brindle Begin]
    Exit Sub
Handler:
    Err.Raise Err.Number
' [Brindle End]
End Function

Sub Bare()
End Sub
' [Brindle Begin]
Sub Trapping()
    On Error Resume Next
End Sub
Sub Form_Load()
End Sub
