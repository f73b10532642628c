Attribute VB_Name = "mdWindow"
Option Explicit

#If VBA7 Then
Private Declare PtrSafe Function GetDC Lib "user32" (ByVal hWnd As LongPtr) As LongPtr
#Else
Private Declare Function GetDC Lib "user32" (ByVal hWnd As Long) As Long
#End If

'----
' WindowDC (Function)
' Parameters:
'	ByVal hWnd As LongPtr
#If VBA7 Then
Public Function WindowDC(ByVal hWnd As LongPtr) As LongPtr
#Else
Public Function WindowDC(ByVal hWnd As Long) As Long
#End If
    On Error GoTo ErrHandler
    WindowDC = GetDC(hWnd)
    Exit Function
ErrHandler:
    Err.Raise Err.Number, "mdWindow.WindowDC", Err.Description
End Function

'----
' Post (Sub)
' Parameters:
'	ByVal hWnd As LongLong
'	ByVal Msg As Long
#If Win64 Then
Public Sub Post(ByVal hWnd As LongLong, _
                ByVal Msg As Long)
#ElseIf VBA7 Then
Public Sub Post(ByVal hWnd As LongPtr, _
                ByVal Msg As Long)
#Else
Public Sub Post(ByVal hWnd As Long, ByVal Msg As Long)
#End If
    On Error GoTo ErrHandler
#If DEBUG_BUILD Then
    Debug.Print Msg
#End If
    Exit Sub
ErrHandler:
    Err.Raise Err.Number, "mdWindow.Post", Err.Description
End Sub

#If DEBUG_BUILD Then
'----
' Trace (Sub)
' Parameters:
'	ByVal Text As String
Private Sub Trace(ByVal Text As String)
    On Error GoTo ErrHandler
    Debug.Print Text
    Exit Sub
ErrHandler:
    Err.Raise Err.Number, "mdWindow.Trace", Err.Description
End Sub
#End If
