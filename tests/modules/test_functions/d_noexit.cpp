// No FuncExit export: the module is not loaded at all.
#include "interpreter/func_records.h"

namespace {
StatusWord NoExit(CValue* out)
{
    out->SetReal(1);
    return 0;
}
FuncEntry g_entries[] = {
    {"noexit", 0, 1, AsFuncHandler(NoExit), CALL_OUT, "noexit()\r\nNever registered", "noexit()", 0, nullptr},
};
FuncLibrary g_libraries[] = {{"Test D", g_entries, 1, nullptr, 0}};
}  // namespace

#define MODULE_INIT_RESULT true
#define MODULE_WITHOUT_EXIT
#include "module_exports.h"
