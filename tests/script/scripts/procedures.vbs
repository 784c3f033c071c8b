' Functions and Subs: ByRef by default, ByVal, return through the name, recursion, scope.
Function Square(x)
  Square = x * x
End Function
Print Square(7)              ' expect: 49
Function NoReturn()
End Function
Print IsEmpty(NoReturn())    ' expect: True
Sub Bump(n)
  n = n + 1
End Sub
Sub BumpVal(ByVal n)
  n = n + 1
End Sub
a = 1
Bump a
Print a                      ' expect: 2
BumpVal a
Print a                      ' expect: 2
Call Bump(a)
Print a                      ' expect: 3
Bump (a)
Print a                      ' expect: 3
Bump a + 0
Print a                      ' expect: 3
Function Fib(n)
  If n < 2 Then
    Fib = n
    Exit Function
  End If
  Fib = Fib(n - 1) + Fib(n - 2)
End Function
Print Fib(15)                ' expect: 610
Function Twice(v)
  Twice = v
  Twice = Twice * 2
End Function
Print Twice(4)               ' expect: 8
g = "global"
Sub ShowScope()
  Dim g
  g = "local"
End Sub
ShowScope
Print g                      ' expect: global
Sub SetGlobal()
  g = "changed"
  newLocal = 5
End Sub
SetGlobal
Print g                      ' expect: changed
Print IsEmpty(newLocal)      ' expect: True
Print Later(2)               ' expect: 20
Function Later(x)
  Later = x * 10
End Function
Sub EarlyOut(ByRef r)
  r = 1
  Exit Sub
  r = 2
End Sub
EarlyOut q
Print q                      ' expect: 1
Function Counter()
  Dim c
  c = c + 1
  Counter = c
End Function
Print Counter() + Counter()  ' expect: 2
Const Limit = 10, Name = "x", Neg = -2
Print Limit * Neg & Name     ' expect: -20x
Function Swap(a, b)
  Dim t
  t = a : a = b : b = t
End Function
p1 = 1 : p2 = 2
Swap p1, p2
Print p1 & p2                ' expect: 21
' An array element passed ByRef is the element itself, for fixed and dynamic arrays.
Sub Doubled(v)
  v = v * 2
End Sub
Sub DoubledByVal(ByVal v)
  v = v * 2
End Sub
Function Bumped(v)
  v = v + 1
  Bumped = v
End Function
Dim pts(2)
pts(0) = 3
Doubled pts(0)
Print pts(0)                 ' expect: 6
Dim dynPts()
ReDim dynPts(1)
dynPts(1) = 5
Call Doubled(dynPts(1))
Print dynPts(1)              ' expect: 10
Dim grid(1, 1)
grid(1, 0) = 4
Doubled grid(1, 0)
Print grid(1, 0) & "|" & grid(0, 0) ' expect: 8|
Print Bumped(pts(1)) & pts(1)  ' expect: 11
DoubledByVal pts(0)
Doubled (pts(0))
Print pts(0)                 ' expect: 6
Sub ShrinkWhileHeld(v)
  ReDim dynPts(0)
  v = 99
End Sub
ShrinkWhileHeld dynPts(1)
Print UBound(dynPts) & "|" & dynPts(0) ' expect: 0|
Print Square(1, 2)           ' expect error: 450
