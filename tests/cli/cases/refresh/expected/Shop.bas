Attribute VB_Name = "Shop"
Public Function Total(ByVal n As Long) As Long
    Total = n
' [Brindle Begin]
    Exit Function
Handler:
    Err.Raise Err.Number
' [Brindle End]
End Function
