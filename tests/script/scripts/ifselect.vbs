' If in block and single-line forms; Select Case with value lists, ranges and Is.
x = 5
If x > 3 Then
  Print "big"            ' expect: big
ElseIf x > 1 Then
  Print "medium"
Else
  Print "small"
End If
If x > 10 Then
  Print "huge"
ElseIf x > 4 Then
  Print "medium"         ' expect: medium
End If
If x < 0 Then Print "neg" Else Print "pos" : Print "still else" ' expect: pos
' expect: still else
If x = 5 Then y = 1 : z = 2
Print y + z              ' expect: 3
If x = 6 Then y = 10 Else If x = 5 Then y = 20 Else y = 30
Print y                  ' expect: 20
If x > 1 Then
  If x > 2 Then
    Print "nested"       ' expect: nested
  End If
Else
  Print "no"
End If
If "True" Then Print "text true" ' expect: text true
If Null Then Print "null" Else Print "null is false" ' expect: null is false
' A text is greater than any number, so "a" must be matched before Is > 10.
For Each v In Array(1, 4, "a", 12, 7)
  Select Case v
    Case 1, 2
      Print "one or two"    ' expect: one or two
    Case 3 To 5
      Print "three to five" ' expect: three to five
    Case "a"
      Print "letter"        ' expect: letter
    Case Is > 10
      Print "above ten"     ' expect: above ten
    Case Else
      Print "other"         ' expect: other
  End Select
Next
Select Case 2
  Case 2: Print "first match" ' expect: first match
  Case 2: Print "second match"
End Select
Select Case "x"
  Case "y"
    Print "no"
End Select
Print "after"             ' expect: after
