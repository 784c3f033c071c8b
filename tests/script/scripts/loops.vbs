' For, For Each, Do and While loops, with Exit and the loop variable after the loop.
s = ""
For i = 1 To 5
  s = s & i
Next
Print s                  ' expect: 12345
Print i                  ' expect: 6
s = ""
For i = 10 To 1 Step -3
  s = s & i & ","
Next
Print s                  ' expect: 10,7,4,1,
For i = 0 To 1 Step 0.25
Next
Print i                  ' expect: 1.25
n = 0
For i = 5 To 1
  n = n + 1
Next
Print n                  ' expect: 0
For i = 1 To 3
  i = i + 1
  n = n + 1
Next
Print n                  ' expect: 2
For i = 1 To 100
  If i = 7 Then Exit For
Next
Print i                  ' expect: 7
lim = 3
For i = 1 To lim
  lim = 10
Next
Print i                  ' expect: 4
Print TypeName(i)        ' expect: Integer
total = 0
For Each v In Array(1, 2, 3)
  total = total + v
  v = 100
Next
Print total              ' expect: 6
Dim grid(1, 2)
grid(1, 0) = "b"
grid(0, 1) = "c"
s = ""
For Each v In grid
  s = s & "[" & v & "]"
Next
Print s                  ' expect: [][b][c][][][]
k = 0
Do While k < 3
  k = k + 1
Loop
Print k                  ' expect: 3
Do Until k = 0
  k = k - 1
Loop
Print k                  ' expect: 0
Do
  k = k + 1
Loop While k < 5
Print k                  ' expect: 5
Do
  k = k + 1
Loop Until True
Print k                  ' expect: 6
Do
  k = k + 1
  If k > 9 Then Exit Do
Loop
Print k                  ' expect: 10
While k > 0
  k = k - 4
Wend
Print k                  ' expect: -2
For i = 1 To 3
  Do
    Exit For
  Loop
Next
Print i                  ' expect: 1
' A dynamic array never sized has no element to visit.
Dim neverSized()
visits = 0
For Each v In neverSized
  visits = visits + 1
Next
Print visits             ' expect: 0
For Each v In 5          ' expect error: 451
Next
