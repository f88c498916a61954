// String, conversion and function-pointer rows of the "Basic" library.
//
// PLACEHOLDERS: apart from view2bin and bin2view, these handlers are not
// written yet. Each one refuses its call with 69 and writes nothing, so the
// rows keep their places in the table until the real handlers replace them.
#include "builtins/string_functions.h"

namespace {
constexpr StatusWord kNotYet = ERR_ARGUMENT_TYPE;
}  // namespace

StatusWord BuiltinIsPtr(CValue*, CValue*) { return kNotYet; }
StatusWord BuiltinStr2Func(CValue*, CValue*, StatementContext*) { return kNotYet; }
StatusWord BuiltinFunc2Str(CValue*, CValue*, StatementContext*) { return kNotYet; }
StatusWord BuiltinNum2Str(CValue*, CValue*, CValue*) { return kNotYet; }
StatusWord BuiltinStr2Num(CValue*, CValue*) { return kNotYet; }
StatusWord BuiltinSmid(CValue*, CValue*, CValue*, CValue*) { return kNotYet; }
StatusWord BuiltinSleft(CValue*, CValue*, CValue*) { return kNotYet; }
StatusWord BuiltinSright(CValue*, CValue*, CValue*) { return kNotYet; }
StatusWord BuiltinStr2Upper(CValue*, CValue*) { return kNotYet; }
StatusWord BuiltinStr2Lower(CValue*, CValue*) { return kNotYet; }
StatusWord BuiltinSdelim(CValue*, CValue*, CValue*, CValue*) { return kNotYet; }
StatusWord BuiltinStr2Bin(CValue*, CValue*) { return kNotYet; }
StatusWord BuiltinBin2Str(CValue*, CValue*) { return kNotYet; }
StatusWord BuiltinBin2Int(CValue*, CValue*, CValue*) { return kNotYet; }
StatusWord BuiltinInt2Bin(CValue*, CValue*, CValue*) { return kNotYet; }
StatusWord BuiltinBin2Float(CValue*, CValue*, CValue*) { return kNotYet; }
StatusWord BuiltinFloat2Bin(CValue*, CValue*, CValue*) { return kNotYet; }
StatusWord BuiltinFeval(CValue**, int, CValue*, StatementContext*) { return kNotYet; }

// What these two would convert was never settled: they fail without a result.
StatusWord BuiltinView2Bin(CValue*, CValue*) { return ERR_INTERNAL; }
StatusWord BuiltinBin2View(CValue*, CValue*) { return ERR_INTERNAL; }
