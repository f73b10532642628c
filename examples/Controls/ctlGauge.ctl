VERSION 5.00
Begin VB.UserControl ctlGauge 
   ClientHeight    =   375
   ClientLeft      =   0
   ClientTop       =   0
   ClientWidth     =   2400
   ScaleHeight     =   375
   ScaleWidth      =   2400
   Begin VB.Shape shpBar 
      BackColor       =   &H0000C000&
      BackStyle       =   1  'Opaque
      BorderStyle     =   0  'Transparent
      Height          =   375
      Left            =   0
      Top             =   0
      Width           =   1200
   End
End
Attribute VB_Name = "ctlGauge"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = True
Attribute VB_PredeclaredId = False
Attribute VB_Exposed = False
Option Explicit

' A bar that shows how full a shelf is, 0 to 100 % (values outside are clipped « like so »).

Private mPercent As Integer

Public Property Get Percent() As Integer
    Percent = mPercent
End Property

Public Property Let Percent(ByVal Value As Integer)
    If Value < 0 Then Value = 0
    If Value > 100 Then Value = 100
    mPercent = Value
    PropertyChanged "Percent"
    Redraw
End Property

Private Sub UserControl_Resize()
    Redraw
End Sub

Private Sub UserControl_ReadProperties(PropBag As PropertyBag)
    mPercent = PropBag.ReadProperty("Percent", 0)
End Sub

Private Sub UserControl_WriteProperties(PropBag As PropertyBag)
    PropBag.WriteProperty "Percent", mPercent, 0
End Sub

Private Sub Redraw()
    shpBar.Move 0, 0, ScaleWidth * mPercent / 100, ScaleHeight
End Sub
