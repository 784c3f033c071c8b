' Text built-ins and their edge cases.
Print Len("hello")                 ' expect: 5
Print Len(123)                     ' expect: 3
Print Len(Empty)                   ' expect: 0
Print IsNull(Len(Null))            ' expect: True
Print Left("hello", 2) & "|" & Right("hello", 3) ' expect: he|llo
Print Left("hi", 10)               ' expect: hi
Print Mid("hello", 2, 3)           ' expect: ell
Print Mid("hello", 4)              ' expect: lo
Print "[" & Mid("hello", 9) & "]"  ' expect: []
Print "[" & LTrim("  a  ") & "][" & RTrim("  a  ") & "][" & Trim("  a  ") & "]" ' expect: [a  ][  a][a]
Print "[" & Trim(vbTab & "a") & "]" = "[" & vbTab & "a]" ' expect: True
Print UCase("MiXed") & LCase("MiXed") ' expect: MIXEDmixed
Print InStr("hello", "l")          ' expect: 3
Print InStr(4, "hello", "l")       ' expect: 4
Print InStr("hello", "z")          ' expect: 0
Print InStr("", "a")               ' expect: 0
Print InStr(3, "abc", "")          ' expect: 3
Print InStr(9, "abc", "a")         ' expect: 0
Print InStr(1, "ABC", "b", 1)      ' expect: 2
Print InStr(1, "ABC", "b", 0)      ' expect: 0
Print InStrRev("hello", "l")       ' expect: 4
Print InStrRev("hello", "l", 3)    ' expect: 3
Print InStrRev("hello", "x")       ' expect: 0
Print Replace("a-b-c", "-", "+")   ' expect: a+b+c
Print Replace("a-b-c", "-", "+", 3) ' expect: b+c
Print Replace("a-b-c", "-", "+", 1, 1) ' expect: a+b-c
Print Replace("aXbx", "x", "_", 1, -1, 1) ' expect: a_b_
Print Replace("abc", "", "z")      ' expect: abc
Print "[" & Space(3) & "]"         ' expect: [   ]
Print String(3, "xy") & String(2, 65) ' expect: xxxAA
Print StrComp("a", "b") & StrComp("b", "a") & StrComp("a", "a") ' expect: -110
Print StrComp("A", "a", 1)         ' expect: 0
Print StrReverse("abc") & "|" & StrReverse("") ' expect: cba|
Print Join(Split("a,b,,c", ","), "|") ' expect: a|b||c
Print UBound(Split("a b c"))       ' expect: 2
Print Join(Split("a,b,c", ",", 2), "|") ' expect: a|b,c
Print UBound(Split("abc", ""))     ' expect: 0
Print Join(Split("aXbxc", "x", -1, 1), "|") ' expect: a|b|c
Print Join(Array("x", 1, True))    ' expect: x 1 True
Print Join(Filter(Array("ab", "cd", "abc"), "ab"), ",") ' expect: ab,abc
Print UBound(Filter(Array("ab"), "zz")) ' expect: -1
Print Asc("A") & " " & Chr(66)     ' expect: 65 B
Print Asc(Chr(200))                ' expect: 200
Print Len(Chr(233))                ' expect: 1
Print Mid("a" & Chr(233) & "bc", 2, 2) = Chr(233) & "b" ' expect: True
Print AscW(ChrW(8364))             ' expect: 8364
Print Asc(ChrW(8364))              ' expect: 128
Print Len(vbCrLf) & Len(vbNullString) & Asc(vbTab) ' expect: 209
Print Hex(255) & " " & Hex(-1) & " " & Hex(-32769) & " " & Oct(8) ' expect: FF FFFF FFFF7FFF 10
Print Hex(Empty)                   ' expect: 0
Print FormatNumber(20000)          ' expect: 20,000.00
Print FormatNumber(.2, , 0)        ' expect: .20
Print FormatNumber(1234.5678, 3, , , 0) ' expect: 1234.568
Print FormatNumber(-2.5, 0, , -1)  ' expect: (3)
Print FormatNumber(0.125, 2)       ' expect: 0.13
' An empty text sought is found at the start, even past the end.
Print InStr(20, "abcdef", "", 0)   ' expect: 0
Print InStr(7, "abcdef", "")       ' expect: 7
Print InStr(20, "abcdef", "b")     ' expect: 0
Print IsNull(Right(Null, 2)) & IsNull(Mid(Null, 2, 1)) ' expect: TrueTrue
On Error Resume Next
Err.Clear : x = Right(Null, -1) : Print Err.Number        ' expect: 5
Err.Clear : x = Mid(Null, -1, -1) : Print Err.Number      ' expect: 5
Err.Clear : x = Mid(Null, 0) : Print Err.Number           ' expect: 5
Err.Clear : x = Mid("test", "a", Null) : Print Err.Number ' expect: 94
Err.Clear : x = Mid("test", 0, Null) : Print Err.Number   ' expect: 94
Err.Clear : x = InStrRev(Null, "a") : Print Err.Number    ' expect: 94
Err.Clear : x = InStrRev("abc", Null) : Print Err.Number  ' expect: 94
On Error GoTo 0
Print Asc("")                      ' expect error: 5
