Attribute VB_Name = "modMain"
Option Explicit

' Inventory sample: start-up and stock helpers.
' Prices are kept in euros (€); the shop's name is "Café Müller" – ask Zoë before changing it.

Public Declare Function GetTickCount Lib "kernel32" () As Long
Private Declare Function GetPrivateProfileString Lib "kernel32" Alias "GetPrivateProfileStringA" ( _
    ByVal lpApplicationName As String, _
    ByVal lpKeyName As String, _
    ByVal lpDefault As String, _
    ByVal lpReturnedString As String, _
    ByVal nSize As Long, _
    ByVal lpFileName As String) As Long

Public Enum StockLevel
    slEmpty = 0
    slLow = 1
    slNormal = 2
End Enum

Public Type StockRecord
    Code As String * 8
    Description As String
    Quantity As Long
    UnitPrice As Currency
End Type

Public gItems As Collection
Public gReorderAt As Long

Sub Main()
    Set gItems = New Collection
    LoadDefaults App.Path & "\Inventory.ini"
    frmMain.Show
End Sub

#If VBA7 Then
Public Function ElapsedSince(ByVal StartTick As LongPtr) As LongPtr
#Else
Public Function ElapsedSince(ByVal StartTick As Long) As Long
#End If
    ElapsedSince = GetTickCount() - StartTick
End Function

Private Sub LoadDefaults(ByVal IniFile As String)
    Dim Buffer As String
    Dim Length As Long

    Buffer = String$(32, vbNullChar)
    Length = GetPrivateProfileString("Stock", "ReorderAt", "5", Buffer, Len(Buffer), IniFile)
    gReorderAt = Val(Left$(Buffer, Length))
End Sub

' Classifies a record; ReorderAt overrides the shop's default (see LoadDefaults).
Public Function LevelOf(ByRef Item As StockRecord, _
                        Optional ByVal ReorderAt As Long = -1) As StockLevel
    If ReorderAt < 0 Then ReorderAt = gReorderAt
    If Item.Quantity <= 0 Then
        LevelOf = slEmpty
    ElseIf Item.Quantity < ReorderAt Then
        LevelOf = slLow
    Else
        LevelOf = slNormal
    End If
End Function

Public Function FormatPrice(ByVal Amount As Currency) As String
    FormatPrice = Format$(Amount, "#,##0.00") ' two decimals, no € sign: the label shows it
End Function
