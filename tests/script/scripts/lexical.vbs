' Lexical rules: case, comments, separators, continuation, literals and names.
DIM Value1 : value1 = 2
IF VALUE1 = 2 THEN PRINT "case-insensitive" ' expect: case-insensitive
fOr i = 1 To 2 : s = s & i : nExT
Print s                            ' expect: 12
Rem a whole line of comment
x = 1 : Rem a comment after a colon
Print x                            ' expect: 1
Print "say ""hi"""                 ' expect: say "hi"
Print Len("""") & Len("")          ' expect: 10
Print "it's" & " 'no comment'"     ' expect: it's 'no comment'
a = 1 : b = 2 : Print a + b        ' expect: 3
Print Join(Array(1, _
                 2, _
                 3), "-")          ' expect: 1-2-3
Print &hff & " " & &o10 & " " & &H10&"x" ' expect: 255 8 16x
Print 1e+2 & " " & 2.5E-1 & " " & 5. ' expect: 100 0.25 5
Print TypeName(&H7FFF) & TypeName(&H8000) & TypeName(&H18000) & TypeName(1e2) ' expect: IntegerIntegerLongDouble
a_1b = 3 : Print A_1B              ' expect: 3
[my var] = 5 : Print [my var] * 2  ' expect: 10
Print TypeName(vbCrLf) & Len(vbNewLine) & Asc(vbLf) & Asc(vbCr) ' expect: String21013
Print Asc(vbTab) & Len(vbNullString) ' expect: 90
Print TRUE & " " & false & " " & IsEmpty(EMPTY) & " " & IsNull(null) ' expect: True False True True
' Long hex and octal literals, and a letter right after the digits.
Print &h10& & " " & &hFFFF& & " " & TypeName(&hFFFF&) & " " & &hFFFF ' expect: 16 65535 Long -1
longHex = &h10&
Print longHex * 2 & " " & &o17& & " " & (&h01or&h02) ' expect: 32 15 3
Print (&hFF&) + 1 & " " & CBool("#TRUE#") & CBool("#false#") ' expect: 256 TrueFalse
If "#True#" Then Print "condition"   ' expect: condition
