' Math and conversion built-ins with their edge cases.
Print Abs(-3) & " " & Abs(2.5) & " " & TypeName(Abs(-32768)) ' expect: 3 2.5 Long
Print Abs(Empty)                   ' expect: 0
Print Atn(1) * 4                   ' expect: 3.14159265358979
Print Cos(0) & " " & Sin(0) & " " & Tan(0) ' expect: 1 0 0
Print Exp(1)                       ' expect: 2.71828182845905
Print Log(Exp(2))                  ' expect: 2
Print Sqr(16)                      ' expect: 4
Print Int(-8.4) & " " & Fix(-8.4) & " " & Int(8.7) ' expect: -9 -8 8
Print TypeName(Int(5)) & TypeName(Int(5.5)) ' expect: IntegerDouble
Print Sgn(-2.5) & Sgn(0) & Sgn(7)  ' expect: -101
Print Round(2.5) & Round(3.5) & Round(0.5) & Round(-2.5) ' expect: 240-2
Print Round(3.825, 2)              ' expect: 3.82
Print Round(1.23456, 3)            ' expect: 1.235
Print TypeName(Round(7))           ' expect: Integer
Print Rnd() & " " & Rnd() & " " & Rnd(0) ' expect: 0.7055475 0.533424 0.533424
Print CBool(5) & CBool(0) & CBool("true") & CBool("0") ' expect: TrueFalseTrueFalse
Print CDbl("1e3") + CDbl(" -2.5 ") + CDbl("1d1") ' expect: 1007.5
Print CDbl("&H10")                 ' expect: 16
Print CInt(2.5) & CInt(3.5) & CInt(-2.5) ' expect: 24-2
Print TypeName(CInt("12"))         ' expect: Integer
Print CInt(-32768.5)               ' expect: -32768
Print CLng(2147483647.4)           ' expect: 2147483647
Print CStr(12.5) & CStr(True)      ' expect: 12.5True
Print TypeName(CSng(1.5))          ' expect: Single
Print IsNumeric("45") & IsNumeric("45 Help") & IsNumeric("") & IsNumeric(Empty) & IsNumeric(Null) ' expect: TrueFalseFalseTrueFalse
Print IsEmpty(Empty) & IsEmpty(0) & IsNull(Null) ' expect: TrueFalseTrue
Print TypeName(Empty) & TypeName(Null) & TypeName("s") & TypeName(True) & TypeName(Nothing) ' expect: EmptyNullStringBooleanNothing
Print VarType(Empty) & VarType(Null) & VarType(1) & VarType(1.5) & VarType("s") & VarType(True) ' expect: 0125811
Print vbTrue & vbFalse & vbUseDefault & vbTextCompare ' expect: -10-21
Print Timer() >= 0 And Timer() < 86401 ' expect: True
' CByte rounds like CInt into 0..255.
Print CByte(2.5) & CByte(3.5) & " " & CByte("255") & " " & TypeName(CByte(7)) & VarType(CByte(7)) ' expect: 24 255 Byte17
Print TypeName(CByte(1) + CByte(2)) & " " & CByte(200) + CByte(100) & TypeName(CByte(200) + CByte(100)) ' expect: Byte 300Integer
Print -CByte(5) & TypeName(-CByte(5)) & " " & Hex(CByte(255)) & " " & CByte(-0.5) ' expect: -5Integer FF 0
On Error Resume Next
Err.Clear : x = CByte(256) : Print Err.Number    ' expect: 6
Err.Clear : x = CByte(-0.6) : Print Err.Number   ' expect: 6
Err.Clear : x = CByte(Null) : Print Err.Number   ' expect: 94
Err.Clear : x = CByte("abc") : Print Err.Number  ' expect: 13
Err.Clear : x = Sgn(Null) : Print Err.Number     ' expect: 94
On Error GoTo 0
Print vbCurrency & " " & vbDate & " " & vbByte   ' expect: 6 7 17
Print Exp(710)                     ' expect error: 6
