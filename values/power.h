#pragma once
// Power "^" (a matrix power for a square matrix) and element-wise power ".^".
#include "values/value.h"

// a = a ^ b in place: 0, or 10 after the message (or a failed matrix step's status).
int ValuePower(CValue& a, const CValue& b);
// a = a .^ b in place, element by element; stops at the first failing cell.
int ValueArrayPower(CValue& a, const CValue& b);
// The three-operand "^"; an empty value after a reported error.
CValue ValuePowerOf(const CValue& a, const CValue& b);
