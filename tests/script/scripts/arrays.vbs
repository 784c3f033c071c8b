' Arrays: zero-based, Dim with literal bounds, ReDim [Preserve], copies on assignment.
Dim a(3)
Print UBound(a)          ' expect: 3
Print LBound(a)          ' expect: 0
a(0) = "x" : a(3) = 7
Print a(0) & a(3)        ' expect: x7
Dim m(2, 4)
Print UBound(m, 2)       ' expect: 4
m(2, 4) = 1
Print m(2, 4)            ' expect: 1
Dim d()
ReDim d(2)
d(2) = "keep"
ReDim Preserve d(5)
Print d(2) & UBound(d)   ' expect: keep5
ReDim d(1)
Print IsEmpty(d(0))      ' expect: True
b = Array(1, 2, 3)
c = b
c(0) = 99
Print b(0) & c(0)        ' expect: 199
Print IsArray(b)         ' expect: True
Print TypeName(b)        ' expect: Variant()
Print VarType(b)         ' expect: 8204
Print UBound(Array())    ' expect: -1
Print UBound(Split(""))  ' expect: -1
Function MakeList(n)
  Dim r()
  ReDim r(n - 1)
  For i = 0 To n - 1
    r(i) = i * i
  Next
  MakeList = r
End Function
l = MakeList(4)
Print Join(l, ",")       ' expect: 0,1,4,9
Sub Fill(arr)
  arr(0) = "filled"
End Sub
Fill l
Print l(0)               ' expect: filled
nested = Array(Array(1, 2), "x")
Print nested(0)(1)       ' expect: 2
Dim grow()
ReDim grow(-1)
For i = 0 To 9
  ReDim Preserve grow(i)
  grow(i) = i
Next
Print Join(grow, "")     ' expect: 0123456789
ReDim g2(1, 1)
g2(1, 1) = 5
ReDim Preserve g2(1, 3)
Print g2(1, 1) & UBound(g2, 2) ' expect: 53
Erase grow
Print IsArray(grow)      ' expect: True
Dim fixedArr(2)
fixedArr(1) = 5
Erase fixedArr
Print IsEmpty(fixedArr(1)) & UBound(fixedArr) ' expect: True2
Print a(4)               ' expect error: 9
