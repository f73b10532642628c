Attribute VB_Name = "A"
' [Brindle Begin]
' Module A
' [Brindle End]
' [Brindle Begin]
' Procedure Size
' [Brindle End]
Property Get Size() As Long
' [Brindle Begin]
    On Error GoTo Handler
' [Brindle End]
' [Brindle Begin]
    Exit Property
Handler:
    Err.Raise Err.Number
' [Brindle End]
End Property
