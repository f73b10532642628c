Attribute VB_Name = "Shared"
Function Twice(ByVal n As Long) As Long
    Twice = 2 * n
End Function
