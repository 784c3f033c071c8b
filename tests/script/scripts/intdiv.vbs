' Integer division and Mod: operands rounded half to even first; results truncate.
Print -7 \ 2          ' expect: -3
Print 7 \ -2          ' expect: -3
Print -7 Mod 3        ' expect: -1
Print 7 Mod -3        ' expect: 1
Print 19 Mod 6.7      ' expect: 5
Print 12 Mod 4.3      ' expect: 0
Print 12.6 Mod 5      ' expect: 3
Print 2.5 \ 1         ' expect: 2
Print 3.5 \ 1         ' expect: 4
Print TypeName(7 \ 2)       ' expect: Integer
Print TypeName(7.0 \ 2)     ' expect: Long
Print TypeName(70000 Mod 3) ' expect: Long
Print "7" \ 2               ' expect: 3
Print IsNull(Null \ 2)      ' expect: True
Print -32768 \ -1           ' expect: 32768
On Error Resume Next
x = 5 \ 0
Print Err.Number            ' expect: 11
Err.Clear
x = 5 Mod 0
Print Err.Number            ' expect: 11
Err.Clear
x = 2147483648 Mod 2
Print Err.Number            ' expect: 6
