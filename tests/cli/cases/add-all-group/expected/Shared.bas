Attribute VB_Name = "Shared"
' [Brindle Begin]
' Module Shared
' [Brindle End]
' [Brindle Begin]
' Procedure Twice
' [Brindle End]
Function Twice(ByVal n As Long) As Long
' [Brindle Begin]
    On Error GoTo Handler
' [Brindle End]
    Twice = 2 * n
' [Brindle Begin]
    Exit Function
Handler:
    Err.Raise Err.Number
' [Brindle End]
End Function
