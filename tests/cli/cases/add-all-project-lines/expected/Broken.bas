Attribute VB_Name = "Broken"
' [Brindle Begin]
' Module Broken
' [Brindle End]
' [Brindle Begin]
' Procedure NeverEnds
' [Brindle End]
Sub NeverEnds()
    Beep

' [Brindle Begin]
' Procedure Last
' [Brindle End]
Sub Last()
' [Brindle Begin]
    On Error GoTo Handler
' [Brindle End]
' [Brindle Begin]
    Exit Sub
Handler:
    Err.Raise Err.Number
' [Brindle End]
End Sub
