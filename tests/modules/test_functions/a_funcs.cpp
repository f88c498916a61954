// twice(x), which() = "a", and abs(x) returning x unchanged (it hides the built-in).
#include "interpreter/func_records.h"

namespace {
StatusWord Twice(CValue* x, CValue* out)
{
    if (x->Type() != VT_REAL) return 69;
    out->SetReal(2 * x->Real());
    return 0;
}
StatusWord Which(CValue* out)
{
    *out = CValue(std::string("a"));
    return 0;
}
StatusWord Same(CValue* x, CValue* out)
{
    *out = *x;
    return 0;
}
FuncEntry g_entries[] = {
    {"twice", 1, 1, AsFuncHandler(Twice), CALL_A1, "twice(x)\r\nTwice x", "y = twice(x)", 0, nullptr},
    {"which", 0, 1, AsFuncHandler(Which), CALL_OUT, "which()\r\nThe module", "s = which()", 0, nullptr},
    {"abs", 1, 1, AsFuncHandler(Same), CALL_A1, "abs(x)\r\nx unchanged", "y = abs(x)", 0, nullptr},
};
FuncLibrary g_libraries[] = {{"Test A", g_entries, 3, nullptr, 0}};
}  // namespace

#define MODULE_INIT_RESULT true
#include "module_exports.h"
