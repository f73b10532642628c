VERSION 5.00
Begin VB.Form frmLedger 
   Caption         =   "Ledger"
   Begin VB.CommandButton cmdPost 
      Caption         =   "Post"
   End
End
Attribute VB_Name = "frmLedger"
Private Sub cmdPost_Click()
    Unload Me
End Sub
