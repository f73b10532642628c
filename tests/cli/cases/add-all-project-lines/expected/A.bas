Attribute VB_Name = "A"
' [Brindle Begin]
' Module A
' [Brindle End]
' [Brindle Begin]
' Procedure Go
' [Brindle End]
Sub Go()
' [Brindle Begin]
    On Error GoTo Handler
' [Brindle End]
' [Brindle Begin]
    Exit Sub
Handler:
    Err.Raise Err.Number
' [Brindle End]
End Sub
