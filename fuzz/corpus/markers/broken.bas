' [Brindle Begin]
Sub A()
' [Brindle End]
End Sub
' [Brindle Begin]
' [Brindle Begin]
x = 1
' [Brindle End]
' [Brindle End]
' [Brindle End]
    ' [Brindle Begin]   
