Attribute VB_Name = "Broken"
Sub NeverEnds()
    Beep

Sub Last()
End Sub
