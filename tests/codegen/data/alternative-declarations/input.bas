Attribute VB_Name = "mdWindow"
Option Explicit

#If VBA7 Then
Private Declare PtrSafe Function GetDC Lib "user32" (ByVal hWnd As LongPtr) As LongPtr
#Else
Private Declare Function GetDC Lib "user32" (ByVal hWnd As Long) As Long
#End If

#If VBA7 Then
Public Function WindowDC(ByVal hWnd As LongPtr) As LongPtr
#Else
Public Function WindowDC(ByVal hWnd As Long) As Long
#End If
    WindowDC = GetDC(hWnd)
End Function

#If Win64 Then
Public Sub Post(ByVal hWnd As LongLong, _
                ByVal Msg As Long)
#ElseIf VBA7 Then
Public Sub Post(ByVal hWnd As LongPtr, _
                ByVal Msg As Long)
#Else
Public Sub Post(ByVal hWnd As Long, ByVal Msg As Long)
#End If
#If DEBUG_BUILD Then
    Debug.Print Msg
#End If
End Sub

#If DEBUG_BUILD Then
Private Sub Trace(ByVal Text As String)
    Debug.Print Text
End Sub
#End If
