Attribute VB_Name = "modMixed"
Sub A()
End SubSub B()
End Sub