' Built-ins at their edges: empty and oversized counts, Null, rounding ties, subtypes.
Print "[" & Space(0) & String(0, "x") & Mid("abc", 2, 0) & Left("abc", 0) & "]" ' expect: []
Print Right("abc", 5) & Left("abc", 5)   ' expect: abcabc
Print IsNull(StrComp(Null, "a")) & IsNull(Abs(Null)) & IsNull(Sqr(Null)) ' expect: TrueTrueTrue
Print UCase(Null) & "x"                  ' expect: x
Print Hex(2147483647) & " " & Oct(-1)    ' expect: 7FFFFFFF 177777
Print Hex(255.5) & " " & Hex(254.5)      ' expect: 100 FE
Print Round(-0.5) & " " & Round(1.5) & " " & Round(0.125, 2) ' expect: 0 2 0.12
Print Fix(-0.5) & " " & Int(-0.5) & " " & Int(2147483648.5) ' expect: 0 -1 2147483648
Print CInt("  12  ") + CLng("-3")        ' expect: 9
Print CLng(-2147483648.5)                ' expect: -2147483648
Print Sgn(Empty) & Abs(-0)               ' expect: 00
Print Len(CStr(1/3))                     ' expect: 17
Print Split("a  b")(1) = "" & UBound(Split("a,b", ",", 1)) ' expect: False
Print UBound(Split("a,b", ",", 1))       ' expect: 0
Print "[" & Join(Array()) & "]"          ' expect: []
Print StrComp("abc", "abd") & StrComp("b", "a", vbTextCompare) ' expect: -11
Print TypeName(CDbl(1)) & TypeName(CLng(1)) & TypeName(CStr(1)) & TypeName(CBool(1)) ' expect: DoubleLongStringBoolean
Print VarType(CLng(1)) & " " & VarType(Array()) ' expect: 3 8204
Print IsNumeric("1e3") & IsNumeric(" 5 ") & IsNumeric("&H10") & IsNumeric("1,5") ' expect: TrueTrueTrueFalse
Print FormatNumber(1234567.891, 1)       ' expect: 1,234,567.9
Print Len(FormatNumber(1E300, 255))      ' expect: 657
Print Chr(65) & ChrW(66) & (Trim("  ") = "") ' expect: ABTrue
Print Replace("aaa", "a", "b", 2, 1)     ' expect: ba
Print InStr(1, "aXa", "x", vbTextCompare) & InStrRev("a.b.c", ".") ' expect: 24
Randomize 3
r = Rnd
Print r >= 0 And r < 1                   ' expect: True
Print Round(1.5, -1)                     ' expect error: 5
