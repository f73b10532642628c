Attribute VB_Name = "modTally"
Option Explicit

Public Function Tally(ByVal a As Long, ByVal b As Long) As Long
    Tally = a + b
End Function
