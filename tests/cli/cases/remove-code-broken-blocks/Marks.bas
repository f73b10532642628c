Attribute VB_Name = "Marks"
' [Brindle Begin]
' cut in half
Sub A()
End Sub
' [Brindle Begin]
' Header B
' [Brindle End]
Sub B()
    x = 1 ' [Brindle End] is what we write
End Sub
Sub C()
' [Brindle Begin]
    x = 1
End Sub
Sub D()
' [Brindle End]
End Sub
