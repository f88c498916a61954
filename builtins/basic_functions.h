#pragma once
// Handlers of the "Basic" library: operators as functions, conditional,
// random scaling, colour packing, sizes, type and variable predicates,
// messages and clocks. Each has the signature of its row's calling form.
#include "interpreter/func_records.h"

// ---- operators (basic_operators.cpp) ----
StatusWord BuiltinOpUplus(CValue* x, CValue* out);
StatusWord BuiltinOpUminus(CValue* x, CValue* out);
// Folds from a copy of the first argument; the first failing status stops the
// fold and the partial result stays in out.
StatusWord BuiltinOpPlus(CValue** args, int count, CValue* out);
StatusWord BuiltinOpMinus(CValue** args, int count, CValue* out);
StatusWord BuiltinOpMulti(CValue** args, int count, CValue* out);
StatusWord BuiltinOpDivide(CValue** args, int count, CValue* out);
StatusWord BuiltinOpPower(CValue* x, CValue* y, CValue* out);
StatusWord BuiltinOpCmpLE(CValue* x, CValue* y, CValue* out);
StatusWord BuiltinOpCmpGE(CValue* x, CValue* y, CValue* out);
StatusWord BuiltinOpCmpLT(CValue* x, CValue* y, CValue* out);
StatusWord BuiltinOpCmpGT(CValue* x, CValue* y, CValue* out);
StatusWord BuiltinOpCmpNE(CValue* x, CValue* y, CValue* out);
StatusWord BuiltinOpCmpEQ(CValue* x, CValue* y, CValue* out);
StatusWord BuiltinOpLogAnd(CValue* x, CValue* y, CValue* out);
StatusWord BuiltinOpLogOr(CValue* x, CValue* y, CValue* out);
StatusWord BuiltinOpLogXor(CValue* x, CValue* y, CValue* out);

StatusWord BuiltinQif(CValue* cond, CValue* xif, CValue* xelse, CValue* out);
StatusWord BuiltinRnd(CValue* x, CValue* out);
StatusWord BuiltinRGB(CValue* r, CValue* g, CValue* b, CValue* out);
StatusWord BuiltinSize(CValue* x, CValue* out);
StatusWord BuiltinRow(CValue* x, CValue* out);
StatusWord BuiltinCol(CValue* x, CValue* out);

// ---- predicates (basic_predicates.cpp) ----
StatusWord BuiltinIsReal(CValue* x, CValue* out);
StatusWord BuiltinIsCplx(CValue* x, CValue* out);
StatusWord BuiltinIsMatrx(CValue* x, CValue* out);
StatusWord BuiltinIsVec(CValue* x, CValue* out);
StatusWord BuiltinIsStr(CValue* x, CValue* out);
StatusWord BuiltinIsNumeric(CValue* x, CValue* out);
StatusWord BuiltinIsEmpty(CValue* x, CValue* out);
StatusWord BuiltinIsStruct(CValue* x, CValue* out);
StatusWord BuiltinIsRecord(CValue* x, CValue* name, CValue* out);
StatusWord BuiltinIsNaN(CValue* x, CValue* out);
StatusWord BuiltinIsFinite(CValue* x, CValue* out);
StatusWord BuiltinIsInf(CValue* x, CValue* out);
StatusWord BuiltinIsHandle(CValue* x, CValue* out);
// Names as String or Char; a null context searches the global table only.
StatusWord BuiltinIsNinit(CValue* name, CValue* out, StatementContext* context);
StatusWord BuiltinIsVarName(CValue* name, CValue* out, StatementContext* context);
StatusWord BuiltinIsGlobal(CValue* name, CValue* out);

// ---- messages and clocks (basic_messages.cpp) ----
// error writes its message and returns 0: the dispatcher makes that 10.
StatusWord BuiltinError(CValue* text, CValue* out);
StatusWord BuiltinWarning(CValue* text, CValue* out);
StatusWord BuiltinTrace(CValue* kind, CValue* text, CValue* out);
StatusWord BuiltinTick(CValue* out);
StatusWord BuiltinClock(CValue* out);      // seconds since 1970 UTC
StatusWord BuiltinClock6(CValue* out);     // 1 x 6 local date and time
