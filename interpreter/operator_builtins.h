#pragma once
// Built-in handlers that the operators share with the libraries: "fvec" builds
// the range vector of "..", "trans" the conjugate transpose of "'".
#include "interpreter/status.h"
#include "values/value.h"

// Form 0x300: 1 x n row from start by step up to stop; out may be start itself.
// 76 when (stop - start) / step is not a real scalar or gives no finite count.
StatusWord BuiltinFvec(CValue* start, CValue* stop, CValue* step, CValue* out);
// Form 0x100: Complex conjugate, Matrix conjugate transpose (cell by cell),
// anything else copied.
StatusWord BuiltinTrans(CValue* arg, CValue* out);
