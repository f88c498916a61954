#pragma once
// Handlers of the "Polynomials" library. A polynomial is a one-row matrix of
// coefficients in ascending powers. Statuses: 0 done, 10 after the handler's
// own "Error: " message.
#include "interpreter/func_records.h"

StatusWord BuiltinPoly(CValue* p, CValue* x, CValue* out);               // value at X
StatusWord BuiltinPolyroots(CValue** args, int count, CValue* out);      // (P[,tol])
StatusWord BuiltinRootspoly(CValue* r, CValue* out);                     // from roots
StatusWord BuiltinConv(CValue* q, CValue* p, CValue* out);               // product
StatusWord BuiltinDeconv(CValue* p, CValue* q, CValue* out);             // [H,R]
StatusWord BuiltinPolysum(CValue* p, CValue* q, CValue* out);
StatusWord BuiltinPolysub(CValue* p, CValue* q, CValue* out);            // P - Q
StatusWord BuiltinPolyder(CValue* p, CValue* out);
StatusWord BuiltinPolyint(CValue* p, CValue* k, CValue* out);            // constant k
// Interpolation polynomial through (x, y); its row stands past the library's
// registered count, so programs cannot call it.
StatusWord BuiltinIntpoly(CValue* x, CValue* y, CValue* out);
