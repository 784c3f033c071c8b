' Logical operators are bitwise and never short-circuit; Null follows three-valued logic.
Print Not 1              ' expect: -2
Print Not True           ' expect: False
Print 12 And 10          ' expect: 8
Print 12 Or 10           ' expect: 14
Print 12 Xor 10          ' expect: 6
Print True Eqv False     ' expect: False
Print False Imp False    ' expect: True
Print True Imp False     ' expect: False
Print False And Null     ' expect: False
Print IsNull(True And Null) ' expect: True
Print True Or Null       ' expect: True
Print IsNull(False Or Null) ' expect: True
Print IsNull(Not Null)   ' expect: True
Print False Imp Null     ' expect: True
Print Null Imp True      ' expect: True
Print TypeName(1 And 1)  ' expect: Integer
Print TypeName(70000 And 1) ' expect: Long
Print TypeName(True And 1)  ' expect: Integer
calls = 0
Function Touch(v)
  calls = calls + 1
  Touch = v
End Function
r = Touch(False) And Touch(True)
Print calls              ' expect: 2
If 1 Then Print "one"    ' expect: one
If Not 1 Then Print "not one" ' expect: not one
