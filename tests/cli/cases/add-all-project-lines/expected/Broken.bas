Attribute VB_Name = "Broken"
' [Brindle Begin]
' Module Broken
' [Brindle End]
' [Brindle Begin]
' Procedure NeverEnds
' [Brindle End]
Sub NeverEnds()
    Beep
