Attribute VB_Name = "Broken"
Sub NeverEnds()
    Beep
