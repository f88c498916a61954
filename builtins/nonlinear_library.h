#pragma once
// The library "Nonlinear Numerical Solutions": equation solvers, minimisers,
// quadratures and ODE solvers over functions of the language. The program
// object registers NonlinearSolutionsLibrary in its place in the library list.
#include "interpreter/func_records.h"

extern FuncLibrary NonlinearSolutionsLibrary;

// Handlers (calling form CALL_VECTOR_CTX).
StatusWord BuiltinNlsolve(CValue** args, int count, CValue* out, StatementContext* context);
StatusWord BuiltinFzero(CValue** args, int count, CValue* out, StatementContext* context);
StatusWord BuiltinFmin(CValue** args, int count, CValue* out, StatementContext* context);
StatusWord BuiltinFming(CValue** args, int count, CValue* out, StatementContext* context);
StatusWord BuiltinFmins(CValue** args, int count, CValue* out, StatementContext* context);
StatusWord BuiltinFmins2(CValue** args, int count, CValue* out, StatementContext* context);
StatusWord BuiltinFmins3e(CValue** args, int count, CValue* out, StatementContext* context);
StatusWord BuiltinQuad(CValue** args, int count, CValue* out, StatementContext* context);
StatusWord BuiltinQuad2(CValue** args, int count, CValue* out, StatementContext* context);
StatusWord BuiltinQuad3(CValue** args, int count, CValue* out, StatementContext* context);
StatusWord BuiltinQuadm(CValue** args, int count, CValue* out, StatementContext* context);
StatusWord BuiltinOde5(CValue** args, int count, CValue* out, StatementContext* context);
StatusWord BuiltinOde4s(CValue** args, int count, CValue* out, StatementContext* context);
