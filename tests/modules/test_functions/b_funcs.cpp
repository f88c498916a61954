// which() = "b": hidden by the module loaded before it.
#include "interpreter/func_records.h"

namespace {
StatusWord Which(CValue* out)
{
    *out = CValue(std::string("b"));
    return 0;
}
FuncEntry g_entries[] = {
    {"which", 0, 1, AsFuncHandler(Which), CALL_OUT, "which()\r\nThe module", "s = which()", 0, nullptr},
};
FuncLibrary g_libraries[] = {{"Test B", g_entries, 1, nullptr, 0}};
}  // namespace

#define MODULE_INIT_RESULT true
#include "module_exports.h"
