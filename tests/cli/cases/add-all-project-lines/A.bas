Attribute VB_Name = "A"
Sub Go()
End Sub
