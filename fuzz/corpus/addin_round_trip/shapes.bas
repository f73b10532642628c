Attribute VB_Name = "Shapes"
Option Explicit
Private Declare Function GetTickCount Lib "kernel32" () As Long
Private m_Value As Long
Private m_Target As Object
Public Event Changed()

' Runs step 0.
' Second comment line.
Public Sub Step0(ByVal Count As Long, Optional Name As String = "a, b")
    Dim i As Long
    For i = 1 To Count
        m_Value = m_Value + i
    Next
End Sub

Private Function Compute1(ByVal a As Long, _
        ByVal b As Long) As Long
    If a = 0 Then Exit Function
    Compute1 = a * b ' End Function
End Function

Public Property Get Value2() As Long
    Value2 = m_Value
End Property

Public Property Let Value2(ByVal NewValue As Long)
    m_Value = NewValue
    RaiseEvent Changed
End Property

Sub Plain3()
#If DEBUG_BUILD Then
    Debug.Print "3"
#Else
    m_Value = 0
#End If
End Sub

#If VBA7 Then
Private Function Handle4(ByVal hWnd As LongPtr) As LongPtr
#Else
Private Function Handle4(ByVal hWnd As Long) As Long
#End If
    Handle4 = hWnd
End Function

Friend Static Function Counter5() As Long
    Dim Calls As Long
    Calls = Calls + 1
    Counter5 = Calls
    Exit Function
Done:
    Counter5 = -1
End Function

    ' An indented comment does not belong to the header block.
Private Property Set Target6(ByVal Value As Object)
    Set m_Target = Value
End Property
