Attribute VB_Name = "Bare"
Sub Main()
End Sub
