' Operator precedence and associativity. Exponentiation binds tighter than negation.
Print -2^2          ' expect: -4
Print 2^-2          ' expect: 0.25
Print 2^3^2         ' expect: 64
Print 2*-3^2        ' expect: -18
Print -2^-2         ' expect: -0.25
Print 0-2^2         ' expect: -4
Print 2^-3^2        ' expect: 0.001953125
Print 1 + 2 * 3     ' expect: 7
Print (1 + 2) * 3   ' expect: 9
Print 10 - 4 - 3    ' expect: 3
Print 24 / 4 / 2    ' expect: 3
Print 7 \ 2 * 2     ' expect: 1
Print 7 Mod 4 \ 2   ' expect: 1
Print 5 + 7 Mod 4   ' expect: 8
Print 1 + 2 & 3 + 4 ' expect: 37
Print 1 < 2 = True  ' expect: True
Print 3 > 2 > 1     ' expect: False
Print Not 1 = 2     ' expect: True
Print Not 0 And 0   ' expect: 0
Print True Or False And False ' expect: True
Print True Xor True Or True   ' expect: False
Print 4*sin(0/ 5)+-5          ' expect: -5
Print 3--2          ' expect: 5
Print - - 3         ' expect: 3
Print +-+5          ' expect: -5
x = 3
Print x = 3         ' expect: True
y = x = 4
Print y             ' expect: False
Print 2 ^ 0.5       ' expect: 1.4142135623731
Print 1 _
  + 1               ' expect: 2
