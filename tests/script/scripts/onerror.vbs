' On Error Resume Next / GoTo 0 and the Err object.
On Error Resume Next
x = 1 / 0
Print Err.Number           ' expect: 11
Print Err.Description      ' expect: Division by zero
Err.Clear
Print Err.Number           ' expect: 0
x = CInt("abc")
Print Err                  ' expect: 13
Err.Raise 1234, "mine", "custom failure"
Print Err.Number & " " & Err.Description ' expect: 1234 custom failure
Err.Raise 9
Print Err.Description      ' expect: Subscript out of range
If 1 / 0 Then
  Print "entered"          ' expect: entered
End If
Sub Inner()
  y = 1 / 0
  Print "not reached"
End Sub
Err.Clear
Inner
Print "after inner " & Err.Number ' expect: after inner 11
Sub Guarded()
  On Error Resume Next
  y = Array(1)(5)
  Print "guarded " & Err.Number   ' expect: guarded 9
End Sub
On Error GoTo 0
Guarded
Print Err.Number           ' expect: 9
On Error Resume Next
Print "visible"            ' expect: visible
Print Err.Number           ' expect: 0
On Error GoTo 0
z = Null + CInt(Null)      ' expect error: 94
