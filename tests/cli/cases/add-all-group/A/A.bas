Attribute VB_Name = "A"
Property Get Size() As Long
End Property
