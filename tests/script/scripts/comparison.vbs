' Comparison rules: numbers with numbers, text with text (binary), numbers below text.
Print "10" < "9"         ' expect: True
Print 10 < 9             ' expect: False
Print "100" > 1000       ' expect: True
Print "a" < "b"          ' expect: True
Print "a" = "A"          ' expect: False
Print Empty = 0          ' expect: True
Print Empty = ""         ' expect: True
Print Empty = Empty      ' expect: True
Print True = -1          ' expect: True
Print 1.0 = 1            ' expect: True
Print IsNull(Null = Null) ' expect: True
Print IsNull(1 < Null)   ' expect: True
Print Nothing Is Nothing ' expect: True
Print 2 <= 2             ' expect: True
Print 3 >= 4             ' expect: False
Print 1 <> 1             ' expect: False
' A Single meets a Double at the Single's precision.
Print CSng(0.001 * 0.001) = 0.000001   ' expect: True
Print CSng(0.1) = 0.1                   ' expect: True
Print 0.1 <> CSng(0.1)                  ' expect: False
Print CSng(0.1) < 0.1 Or 0.1 > CSng(0.1) ' expect: False
Print CSng(0.1) = CDbl(CSng(0.1))       ' expect: True
Print CSng(0.5) < 0.75                  ' expect: True
Select Case CSng(0.1)
  Case 0.1: Print "single case"         ' expect: single case
End Select
' Other spellings of >=, <= and <>.
Print (2 =< 3) & " " & (2 => 3) & " " & (1 >< 2) ' expect: True False True
If 5 => 5 Then Print "ge"               ' expect: ge
Print 4 =<3                             ' expect: False
