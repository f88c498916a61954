#pragma once
// Elementary functions of one value. The by-value functions take a Real, a
// Complex or a Matrix (mapped cell by cell, a bad cell holding an empty value);
// any other type is reported and gives an empty value.
#include "values/value.h"

CValue ValueAbs(const CValue& v);    // Real result, also for a Complex
CValue ValueLog(const CValue& v);    // negative or NaN Real: Complex logarithm
CValue ValueSqrt(const CValue& v);   // negative or NaN Real: Complex root
CValue ValueSqr(const CValue& v);
CValue ValueRound(const CValue& v);  // halves away from zero
CValue ValueReal(const CValue& v);
CValue ValueImag(const CValue& v);
CValue ValueConj(const CValue& v);

// 1 when a NaN is found (in a matrix: the first cell testing non-zero), 0 when
// none, -1 after the message for a value that is no number or matrix.
int ValueIsNaN(const CValue& v);

// Writable parts of a Real or Complex value. ValueImagPart turns a Real into a
// Complex first. After an error the reference is to a shared double reset to 0.
double& ValueRealPart(CValue& v);
double& ValueImagPart(CValue& v);

// The greatest or least cell of a matrix; any other value is its own answer.
const CValue& ValueMaxOf(const CValue& v);
const CValue& ValueMinOf(const CValue& v);

double RealCoth(double x);
