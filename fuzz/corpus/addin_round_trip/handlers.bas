Attribute VB_Name = "modShapes"
Option Explicit

#If Win64 Then
Private Declare PtrSafe Function GetTickCount Lib "kernel32" () As Long
#Else
Private Declare Function GetTickCount Lib "kernel32" () As Long
#End If

Private Sub Area(ByVal w As Double, _
    ByVal h As Double)
    On Error GoTo Failed
    Debug.Print w * h
    Exit Sub
Failed:
    Err.Raise Err.Number
End Sub

Function Half(x)
    Half = x / 2
End Function
