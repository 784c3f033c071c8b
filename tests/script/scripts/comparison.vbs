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
