// FuncInit fails: failing() must never be registered.
#include "interpreter/func_records.h"

namespace {
StatusWord Failing(CValue* out)
{
    out->SetReal(1);
    return 0;
}
FuncEntry g_entries[] = {
    {"failing", 0, 1, AsFuncHandler(Failing), CALL_OUT, "failing()\r\nNever registered", "failing()", 0, nullptr},
};
FuncLibrary g_libraries[] = {{"Test C", g_entries, 1, nullptr, 0}};
}  // namespace

#define MODULE_INIT_RESULT false
#include "module_exports.h"
