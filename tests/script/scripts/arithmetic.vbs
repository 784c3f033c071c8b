' Result subtypes, overflow promotion, division and exponent edge cases.
Print TypeName(7 + 7)            ' expect: Integer
Print TypeName(7 + 777777)       ' expect: Long
Print TypeName(3 * 777777)       ' expect: Long
Print TypeName(32767 + 1)        ' expect: Long
Print 32767 + 1                  ' expect: 32768
Print TypeName(-(-32768))        ' expect: Long
Print TypeName(2147483647 + 1)   ' expect: Double
Print 2147483647 + 1             ' expect: 2147483648
Print TypeName(-32768)           ' expect: Long
Print TypeName(-32767 - 1)       ' expect: Integer
Print TypeName(32768)            ' expect: Long
Print TypeName(2147483648)       ' expect: Double
Print TypeName(1.5)              ' expect: Double
Print TypeName(21 / 7)           ' expect: Double
Print 21 / 7                     ' expect: 3
Print TypeName(2 ^ 3)            ' expect: Double
Print 0 ^ 0                      ' expect: 1
Print TypeName(3 * True)         ' expect: Integer
Print 3 * True                   ' expect: -3
Print 3 * Empty                  ' expect: 0
Print 7 + True                   ' expect: 6
Print TypeName(True + False)     ' expect: Integer
Print TypeName(7 + "7")          ' expect: Double
Print 7 + "7"                    ' expect: 14
Print 3 * "7"                    ' expect: 21
Print "1" + "2"                  ' expect: 12
Print Empty + "a"                ' expect: a
Print TypeName(Empty + Empty)    ' expect: Integer
Print IsNull(Null + 1)           ' expect: True
Print IsNull(Null * 0)           ' expect: True
Print &HFF                       ' expect: 255
Print &HE18F4994                 ' expect: -510703212
Print &HFFFF                     ' expect: -1
Print &H10000                    ' expect: 65536
Print &O17                       ' expect: 15
Print 1E3                        ' expect: 1000
Print 1.5e-7                     ' expect: 0.00000015
Print 2E+10                      ' expect: 20000000000
Print .5                         ' expect: 0.5
Print 1E308 * 10                 ' expect error: 6
