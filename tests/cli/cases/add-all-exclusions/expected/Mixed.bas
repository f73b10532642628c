Attribute VB_Name = "Mixed"
Option Explicit
' [Brindle Begin]
' Module Mixed
' [Brindle End]
Sub Form_Load()
End Sub
' Called from Windows
' brindle: skip
Sub Hook()
' [Brindle Begin]
    On Error GoTo Handler
' [Brindle End]
End Sub
Sub TimerCallback()
' [Brindle Begin]
' [Brindle End]
End Sub
