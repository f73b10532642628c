Attribute VB_Name = "Half"
Option Explicit
Sub Trapping()
    On Error Resume Next
End Sub
' [Brindle Begin]
' Procedure Marked
' [Brindle End]
Sub Marked()
' [Brindle Begin]
    On Error GoTo Handler
' [Brindle End]
End Sub
