#pragma once
// Cell adapters of the in-place unary operators (the operators themselves are
// members of CValue). Each returns the operator's status.
#include "values/value.h"

int NegateCell(CValue& cell);
int NotCell(CValue& cell);
int IncrementCell(CValue& cell);
int DecrementCell(CValue& cell);
