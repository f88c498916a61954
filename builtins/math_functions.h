#pragma once
// Elementary math functions of the "Basic" library. One-argument handlers
// (form 0x100) take a Real, a Complex or a Matrix (cell by cell, each cell by
// its own type); a real argument outside the real domain gives a Complex
// result. Any other type: "Invalid argument of NAME function (TYPE)" and 10,
// except where noted.
#include "interpreter/func_records.h"

StatusWord MathSin(CValue* x, CValue* out);
StatusWord MathSinh(CValue* x, CValue* out);
StatusWord MathAsin(CValue* x, CValue* out);
StatusWord MathAsinh(CValue* x, CValue* out);
StatusWord MathCos(CValue* x, CValue* out);
StatusWord MathCosh(CValue* x, CValue* out);
StatusWord MathAcos(CValue* x, CValue* out);
StatusWord MathAcosh(CValue* x, CValue* out);
StatusWord MathTan(CValue* x, CValue* out);
StatusWord MathTanh(CValue* x, CValue* out);
StatusWord MathAtan(CValue* x, CValue* out);
StatusWord MathAtanh(CValue* x, CValue* out);
StatusWord MathCot(CValue* x, CValue* out);
StatusWord MathCoth(CValue* x, CValue* out);
StatusWord MathAcot(CValue* x, CValue* out);
StatusWord MathAcoth(CValue* x, CValue* out);
StatusWord MathCsc(CValue* x, CValue* out);
StatusWord MathCsch(CValue* x, CValue* out);
StatusWord MathAcsc(CValue* x, CValue* out);
StatusWord MathAcsch(CValue* x, CValue* out);
StatusWord MathSec(CValue* x, CValue* out);
StatusWord MathSech(CValue* x, CValue* out);
StatusWord MathAsec(CValue* x, CValue* out);
StatusWord MathAsech(CValue* x, CValue* out);
StatusWord MathAbs(CValue* x, CValue* out);
StatusWord MathExp(CValue* x, CValue* out);
StatusWord MathLog10(CValue* x, CValue* out);
StatusWord MathLog(CValue* x, CValue* out);
StatusWord MathRound(CValue* x, CValue* out);
StatusWord MathCeil(CValue* x, CValue* out);
StatusWord MathFloor(CValue* x, CValue* out);
StatusWord MathFix(CValue* x, CValue* out);
StatusWord MathSign(CValue* x, CValue* out);
StatusWord MathSqrt(CValue* x, CValue* out);
StatusWord MathArg(CValue* x, CValue* out);
StatusWord MathReal(CValue* x, CValue* out);
StatusWord MathImag(CValue* x, CValue* out);
StatusWord MathConj(CValue* x, CValue* out);

// Real only: a negative argument fails with 74 (no message); a Complex or any
// other type writes the invalid-argument message and returns 69.
StatusWord MathRlog(CValue* x, CValue* out);
StatusWord MathRsqrt(CValue* x, CValue* out);

// Real or a Matrix of Reals, anything else 69 without a message. A Matrix is
// worked in place and then exchanged with out: the argument is consumed.
// gamma carries the sign of the gamma function; its poles give +INF.
StatusWord MathGamma(CValue* x, CValue* out);
StatusWord MathGammaln(CValue* x, CValue* out);

// Two arguments (form 0x200): scalars, or a matrix against a scalar or a
// matrix of the same shape (73 otherwise, no message).
StatusWord MathMod(CValue* x, CValue* y, CValue* out);
StatusWord MathRem(CValue* x, CValue* y, CValue* out);
StatusWord MathAngle(CValue* x, CValue* y, CValue* out);
StatusWord MathPolar(CValue* x, CValue* a, CValue* out);
// pow of reals; 74 when the result is not finite (the value is stored anyway).
StatusWord MathRpow(CValue* x, CValue* y, CValue* out);

// The scalar rules, for other handlers.
double GammaOf(double x);   // signed; +INF at 0, -1, -2, ...
double ModOf(double x, double y);
double RemOf(double x, double y);
