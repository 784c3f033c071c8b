' Each run-time error number with its text, caught with On Error Resume Next.
Function Forever(n)
  Forever = Forever(n + 1)
End Function
Dim fixed(1)
On Error Resume Next
Err.Clear : x = Sqr(-1) : Print Err.Number & " " & Err.Description ' expect: 5 Invalid procedure call or argument
Err.Clear : x = CInt(32767.5) : Print Err.Number & " " & Err.Description ' expect: 6 Overflow
Err.Clear : x = Array(1)(1) : Print Err.Number & " " & Err.Description ' expect: 9 Subscript out of range
Err.Clear : ReDim fixed(2) : Print Err.Number & " " & Err.Description ' expect: 10 This array is fixed or temporarily locked
Err.Clear : x = 1 \ 0 : Print Err.Number & " " & Err.Description ' expect: 11 Division by zero
Err.Clear : x = "a" * 1 : Print Err.Number & " " & Err.Description ' expect: 13 Type mismatch
Err.Clear : x = Space(100000000) : Print Err.Number & " " & Err.Description ' expect: 14 Out of string space
Err.Clear : x = Forever(0) : Print Err.Number & " " & Err.Description ' expect: 28 Out of stack space
Err.Clear : nosuch 1 : Print Err.Number                             ' expect: 35
Err.Clear : x = CStr(Null) : Print Err.Number & " " & Err.Description ' expect: 94 Invalid use of Null
Err.Clear : x = y.z : Print Err.Number & " " & Err.Description       ' expect: 424 Object required
Err.Clear : x = CreateObject("Scripting.FileSystemObject") : Print Err.Number ' expect: 429
Err.Clear : x = GetObject("winmgmts:") : Print Err.Number           ' expect: 429
Err.Clear : x = Err.Foo : Print Err.Number                      ' expect: 438
Err.Clear : x = Len(1, 2) : Print Err.Number                        ' expect: 450
Err.Clear : For Each v In 1 : Next : Print Err.Number & " " & Err.Description ' expect: 451 Object not a collection
Err.Clear : vbCr = 1 : Print Err.Number & " " & Err.Description     ' expect: 501 Illegal assignment
Err.Clear : Err.Raise 6 : Print Err.Number & " " & Err.Description  ' expect: 6 Overflow
Err.Clear : Print Err.Number & "[" & Err.Description & "]"          ' expect: 0[]
' Err.Raise takes any nonzero number; a fixed array refuses ReDim before its bounds are read.
On Error Resume Next
Err.Clear : Err.Raise &h8000 : Print Err.Number   ' expect: -32768
Err.Clear : Err.Raise &hffff : Print Err.Number   ' expect: -1
Err.Clear : Err.Raise 0 : Print Err.Number        ' expect: 5
Dim fixedR(2)
Err.Clear : ReDim fixedR("a") : Print Err.Number  ' expect: 10
Dim dynR()
Err.Clear : ReDim dynR("a") : Print Err.Number    ' expect: 13
On Error GoTo 0
x = "a" * 1                                                         ' expect error: 13
