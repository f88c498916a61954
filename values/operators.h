#pragma once
// Arithmetic, relational and logical operators on values.
//
// In-place forms replace the left operand and return 0, or 10 after the error
// has been written to the message stream. Three-operand forms leave both
// operands alone and return an empty value after a reported error. Every
// operator dispatches on the plain type (a Binary String counts as a String,
// a Byte as a Char).
#include "values/value.h"

class CStructField;

// ---- arithmetic in place ---------------------------------------------------
int ValueAdd(CValue& a, const CValue& b);      // +, +=
int ValueSub(CValue& a, const CValue& b);      // -, -=
int ValueMul(CValue& a, const CValue& b);      // *, *= (matrix product for two matrices)
int ValueDiv(CValue& a, const CValue& b);      // /, /= (right division for a matrix divisor)
int ValueElemMul(CValue& a, const CValue& b);  // .*
int ValueElemDiv(CValue& a, const CValue& b);  // ./

// A double as the right operand; a is changed and returned.
CValue& ValueAddReal(CValue& a, double d);
CValue& ValueMulReal(CValue& a, double d);
CValue& ValueDivReal(CValue& a, double d);

// ---- arithmetic by value ---------------------------------------------------
CValue ValueSum(const CValue& a, const CValue& b);
CValue ValueDifference(const CValue& a, const CValue& b);
CValue ValueProduct(const CValue& a, const CValue& b);
CValue ValueQuotient(const CValue& a, const CValue& b);
CValue ValueTimesReal(const CValue& a, double d);
CValue RealTimesValue(double d, const CValue& b);
CValue ValueOverReal(const CValue& a, double d);
CValue RealOverValue(double d, const CValue& b);
CValue ValueNegated(const CValue& a);

// ---- relational and logical in place: a becomes Real 1 or 0 (or a matrix of them)
int ValueCompareEqual(CValue& a, const CValue& b);
int ValueCompareNotEqual(CValue& a, const CValue& b);
int ValueCompareGreater(CValue& a, const CValue& b);
int ValueCompareLess(CValue& a, const CValue& b);
int ValueCompareGreaterEqual(CValue& a, const CValue& b);
int ValueCompareLessEqual(CValue& a, const CValue& b);
int ValueAnd(CValue& a, const CValue& b);
int ValueOr(CValue& a, const CValue& b);
int ValueXor(CValue& a, const CValue& b);

// ---- truth values; nothing changes ------------------------------------------
// A NaN operand counts as both less and equal. Orderings compare real parts.
// Unordered pairs of types report the operator's error and give false.
// Orderings are not transitive over strings: never use them as a sort predicate.
bool ValueEquals(const CValue& a, const CValue& b);
bool ValueNotEquals(const CValue& a, const CValue& b);
bool ValueGreater(const CValue& a, const CValue& b);
bool ValueLess(const CValue& a, const CValue& b);
bool ValueGreaterEqual(const CValue& a, const CValue& b);
bool ValueLessEqual(const CValue& a, const CValue& b);
bool ValueEqualsReal(const CValue& a, double d);
bool ValueNotEqualsReal(const CValue& a, double d);
bool ValueGreaterReal(const CValue& a, double d);
bool ValueLessReal(const CValue& a, double d);
bool ValueGreaterEqualReal(const CValue& a, double d);
bool ValueLessEqualReal(const CValue& a, double d);

// ---- structures (StructEqual and StructNotEqual are declared with the structure) ----
bool StructFieldsDiffer(const CStructField& a, const CStructField& b);  // name text or value
