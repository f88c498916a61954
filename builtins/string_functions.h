#pragma once
// Handlers of the "Basic" library's string, conversion and function-pointer
// rows. Each has the signature of its row's calling form.
#include "interpreter/func_records.h"

StatusWord BuiltinIsPtr(CValue* x, CValue* out);
StatusWord BuiltinStr2Func(CValue* name, CValue* out, StatementContext* context);
StatusWord BuiltinFunc2Str(CValue* ptr, CValue* out, StatementContext* context);
StatusWord BuiltinNum2Str(CValue* x, CValue* precision, CValue* out);
StatusWord BuiltinStr2Num(CValue* x, CValue* out);
StatusWord BuiltinSmid(CValue* x, CValue* first, CValue* count, CValue* out);
StatusWord BuiltinSleft(CValue* x, CValue* count, CValue* out);
StatusWord BuiltinSright(CValue* x, CValue* count, CValue* out);
StatusWord BuiltinStr2Upper(CValue* x, CValue* out);
StatusWord BuiltinStr2Lower(CValue* x, CValue* out);
StatusWord BuiltinSdelim(CValue* x, CValue* delims, CValue* pairs, CValue* out);
StatusWord BuiltinStr2Bin(CValue* x, CValue* out);
StatusWord BuiltinBin2Str(CValue* x, CValue* out);
StatusWord BuiltinView2Bin(CValue* x, CValue* out);
StatusWord BuiltinBin2View(CValue* x, CValue* out);
StatusWord BuiltinBin2Int(CValue* x, CValue* width, CValue* out);
StatusWord BuiltinInt2Bin(CValue* x, CValue* width, CValue* out);
StatusWord BuiltinBin2Float(CValue* x, CValue* mode, CValue* out);
StatusWord BuiltinFloat2Bin(CValue* x, CValue* mode, CValue* out);
StatusWord BuiltinFeval(CValue** args, int count, CValue* out, StatementContext* context);
