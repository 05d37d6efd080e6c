Attribute VB_Name = "Module1"
Option Explicit

' 売上集計モジュール
Private Declare Function GetTickCount Lib "kernel32" () As Long
Public gCount As Long 'データ件数
Private Const MAX_ROW = 100

Public Function Total(a As Long, _
        b As Long) As Long
    Dim i As Integer '繰り返し用
    Total = a + b
End Function

Sub Main()
    Dim msg As String
    msg = "合計: " & Total(1, 2)
    Call ShowMessage(msg) ' 結果を表示
    MsgBox "終了しました"
End Sub

Private Sub ShowMessage(ByVal text As String)
    MsgBox text
End Sub
