VERSION 5.00
Begin VB.Form frmMain 
   BorderStyle     =   3  'Fixed Dialog
   Caption         =   "Inventory"
   ClientHeight    =   3600
   ClientLeft      =   45
   ClientTop       =   330
   ClientWidth     =   4680
   BeginProperty Font 
      Name            =   "Tahoma"
      Size            =   8.25
      Charset         =   0
      Weight          =   400
      Underline       =   0   'False
      Italic          =   0   'False
      Strikethrough   =   0   'False
   EndProperty
   LinkTopic       =   "Form1"
   MaxButton       =   0   'False
   MinButton       =   0   'False
   ScaleHeight     =   3600
   ScaleWidth      =   4680
   StartUpPosition =   2  'CenterScreen
   Begin Inventory.ctlGauge gauStock 
      Height          =   375
      Left            =   120
      TabIndex        =   4
      Top             =   3120
      Width           =   4455
      _ExtentX        =   7858
      _ExtentY        =   661
   End
   Begin VB.CommandButton cmdAdjust 
      Caption         =   "&Adjust"
      Default         =   -1  'True
      Height          =   375
      Left            =   3480
      TabIndex        =   2
      Top             =   2640
      Width           =   1095
   End
   Begin VB.TextBox txtDelta 
      Height          =   285
      Left            =   1440
      TabIndex        =   1
      Text            =   "1"
      Top             =   2670
      Width           =   855
   End
   Begin VB.ListBox lstItems 
      Height          =   2400
      Left            =   120
      TabIndex        =   0
      Top             =   120
      Width           =   4455
   End
   Begin VB.Label lblDelta 
      Caption         =   "Change by:"
      Height          =   255
      Left            =   120
      TabIndex        =   3
      Top             =   2700
      Width           =   1215
   End
End
Attribute VB_Name = "frmMain"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
Option Explicit

Private WithEvents mCurrent As CStockItem
Attribute mCurrent.VB_VarHelpID = -1

Private Sub Form_Load()
    Set mCurrent = New CStockItem
    mCurrent.Code = "tea-01"
    mCurrent.Quantity = 12
    gItems.Add mCurrent, mCurrent.Code
    lstItems.AddItem mCurrent.Code
    lstItems.ListIndex = 0
End Sub

Private Sub cmdAdjust_Click()
    If Not IsNumeric(txtDelta.Text) Then
        MsgBox "Please enter a number.", vbExclamation
        Exit Sub
    End If
    mCurrent.Adjust CLng(txtDelta.Text)
End Sub

' Keeps the gauge in step with the item – 20 units fill it.
Private Sub mCurrent_QuantityChanged(ByVal OldQuantity As Long, ByVal NewQuantity As Long)
    gauStock.Percent = NewQuantity * 5
    Caption = "Inventory - " & mCurrent.Code & ": " & NewQuantity
End Sub

Private Sub Form_Unload(Cancel As Integer)
    Set mCurrent = Nothing
End Sub
