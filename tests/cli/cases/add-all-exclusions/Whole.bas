Attribute VB_Name = "Whole"
Option Explicit
' brindle: skip

Sub Main()
End Sub
