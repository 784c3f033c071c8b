' Number to text: 15 significant digits for Double, exponent form outside the fixed range.
Print 1/3                ' expect: 0.333333333333333
Print 3/7                ' expect: 0.428571428571429
Print 3/9.99             ' expect: 0.3003003003003
Print 1/30               ' expect: 3.33333333333333E-02
Print 3/777777           ' expect: 3.85714671428957E-06
Print 2^64.5             ' expect: 2.60876356506656E+19
Print 1E15               ' expect: 1E+15
Print 999999999999999    ' expect: 999999999999999
Print 0.00001            ' expect: 0.00001
Print 1E-16              ' expect: 1E-16
Print 9.2*100            ' expect: 920
Print -1.5               ' expect: -1.5
Print 100000 * 100000    ' expect: 10000000000
Print CSng("0.01")+0.01  ' expect: 1.99999997764826E-02
Print CSng(0.01401764)   ' expect: 1.401764E-02
Print 1.5 & "x"          ' expect: 1.5x
Print True & ""          ' expect: True
Print Null & "a"         ' expect: a
Print IsNull(Null & Null) ' expect: True
Print CStr(-0.5)         ' expect: -0.5
Print 123456789012345678 ' expect: 1.23456789012346E+17
