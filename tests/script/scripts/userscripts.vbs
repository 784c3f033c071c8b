' Scripts of the kind users write: leg texts built in loops, recursion, growing arrays.
Function EllipseLeg(a, b, steps)
  Dim s, i, angle
  s = ""
  For i = 0 To steps - 1
    angle = 6.28318530717959 * i / steps
    s = s & "<LEG>" & vbCrLf
    s = s & "<DRIVE>" & Round(a * cos(angle), 3) & "," & Round(b * sin(angle), 3) & "</DRIVE>" & vbCrLf
    s = s & "</LEG>" & vbCrLf
  Next
  EllipseLeg = s
End Function
legs = EllipseLeg(2, 1, 4)
lines = Split(legs, vbCrLf)
Print UBound(lines)        ' expect: 12
Print lines(1)             ' expect: <DRIVE>2,0</DRIVE>
Print lines(4)             ' expect: <DRIVE>0,1</DRIVE>
Print lines(7)             ' expect: <DRIVE>-2,0</DRIVE>
Function Hanoi(n, from, via, dest)
  If n = 0 Then
    Hanoi = ""
  Else
    Hanoi = Hanoi(n - 1, from, dest, via) & from & dest & " " & Hanoi(n - 1, via, from, dest)
  End If
End Function
Print "[" & Hanoi(3, "A", "B", "C") & "]" ' expect: [AC AB CB AC BA BC AC ]
Dim points()
count = 0
Sub AddPoint(x)
  ReDim Preserve points(count)
  points(count) = x
  count = count + 1
End Sub
For k = 1 To 5
  AddPoint k * 0.5
Next
Print Join(points, ";")    ' expect: 0.5;1;1.5;2;2.5
Function Equation(motor, speed)
  Equation = "S*" & speed & "+" & motor
End Function
Print Equation(2, .25)     ' expect: S*0.25+2
Dim table(2)
For k = 0 To 2
  table(k) = Array(k, k * k)
Next
Print table(2)(1)          ' expect: 4
total = 0
For Each row In table
  total = total + row(1)
Next
Print total                ' expect: 5
Function Grow()
  acc = "changed"
  Grow = "!"
End Function
acc = "start"
keep = acc
acc = acc & Grow()
Print acc & " " & keep     ' expect: start! start
acc = acc & Null & 1.5 & True
Print acc                  ' expect: start!1.5True
big = ""
For k = 1 To 20000
  big = big & "ab"
Next
Print Len(big) & Right(big, 3) ' expect: 40000bab
Function Build(n)
  Build = ""
  For k = 1 To n
    Build = Build & k
  Next
End Function
Print Build(12)            ' expect: 123456789101112
copyOfBig = big
big = big & "x"
Print Len(copyOfBig) & " " & Len(big) ' expect: 40000 40001
