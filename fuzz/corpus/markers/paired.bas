Option Explicit
' [Brindle Begin]
' Module header
' [Brindle End]
Sub A()
    ' [brindle begin]
    On Error GoTo H
' [Brindle End]
End Sub
