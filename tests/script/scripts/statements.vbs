' Statement forms beyond the common path.
Set o = Nothing
Print o Is Nothing            ' expect: True
Sub Hello()
  Print "hello"               ' expect: hello
End Sub
Call Hello
Private Function Twice(x)
  Twice = 2 * x
End Function
Public Sub Show(v)
  Print v
End Sub
Show Twice(4)                 ' expect: 8
For i = 1 To 3
  Select Case i
    Case 1
      Select Case "x"
        Case "y", "x": r = "1x"
      End Select
    Case Else
      r = r & i
  End Select
Next
Print r                       ' expect: 1x23
n = 0
Do
  For j = 1 To 10
    If j = 3 Then Exit Do
    n = n + 1
  Next
Loop
Print n                       ' expect: 2
Dim dyn()
ReDim dyn(3)
Erase dyn
On Error Resume Next
x = UBound(dyn)
Print Err.Number              ' expect: 9
On Error GoTo 0
Function MakePair(a, b)
  MakePair = Array(a, b)
End Function
p = MakePair("l", "r")
Print p(0) & p(1) & UBound(MakePair(1, 2)) ' expect: lr1
Sub Counter(ByRef c, ByVal stepBy)
  c = c + stepBy
  stepBy = 0
End Sub
k = 1 : st = 5
Counter k, st
Print k & " " & st            ' expect: 6 5
If k > 5 Then Print "single" Else Print "no" ' expect: single
If k > 50 Then
ElseIf k > 5 Then
  Print "elseif"              ' expect: elseif
End If
w = 0
While w < 3 : w = w + 1 : Wend
Print w                       ' expect: 3
Do Until w = 0 : w = w - 1 : Loop
Print w                       ' expect: 0
For i = 3 To 1 Step -1 : s2 = s2 & i : Next
Print s2                      ' expect: 321
For Each e In Array() : Print "never" : Next
Print "empty loop done"       ' expect: empty loop done
Const Pi = 3.14159, Greeting = "hi"
Print Greeting & Pi           ' expect: hi3.14159
Function Classify(v)
  Select Case v
    Case Else
      Classify = "any"
  End Select
End Function
Print Classify(1)             ' expect: any
' Constants are known throughout their scope, wherever they are written.
Print EarlyK                  ' expect: 5
Const EarlyK = 5
If False Then Const HiddenK = "str"
Print HiddenK                 ' expect: str
Function UsesHiddenConst()
  If False Then
    Const LocalK = 7
  End If
  UsesHiddenConst = LocalK
End Function
Print UsesHiddenConst()       ' expect: 7
Call NoSuchSub()              ' expect error: 35
