// upper() = 1, from a file named in upper case ("E_UPPER.MFN").
#include "interpreter/func_records.h"

namespace {
StatusWord Upper(CValue* out)
{
    out->SetReal(1);
    return 0;
}
FuncEntry g_entries[] = {
    {"upper", 0, 1, AsFuncHandler(Upper), CALL_OUT, "upper()\r\nOne", "y = upper()", 0, nullptr},
};
FuncLibrary g_libraries[] = {{"Test E", g_entries, 1, nullptr, 0}};
}  // namespace

#define MODULE_INIT_RESULT true
#include "module_exports.h"
