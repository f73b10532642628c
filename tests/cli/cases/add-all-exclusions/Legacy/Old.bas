Attribute VB_Name = "Old"
' [Brindle Begin]
' [Brindle End]
Sub Main()
End Sub
