VERSION 5.00
Begin VB.Form F
   Caption = "F"
End
Attribute VB_Name = "F"
Attribute VB_GlobalNameSpace = False
Private Sub Save()
End Sub
' [Brindle Begin]
Private Sub Quit()
End Sub
