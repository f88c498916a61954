// The "File Access" library: its constants. Its rows join with the file functions.
#include "builtins/libraries.h"

namespace {

CValue Identifier(uint32_t id)
{
    CValue v;
    v.SetIdentifier(id);
    return v;
}

FuncConstant g_constants[] = {
    {"CREATE_ALWAYS", "", CValue(1.0)},   {"OPEN_EXIST", "", CValue(2.0)},
    {"OPEN_ALWAYS", "", CValue(0.0)},     {"FILE_BEGIN", "", Identifier(0)},
    {"FILE_CURRENT", "", Identifier(1)},  {"FILE_END", "", Identifier(2)},
    {"BINARY_MODE", "", CValue(1.0)},     {"TEXT_MODE", "", CValue(0.0)},
};

}  // namespace

FuncLibrary FileAccessLibrary = {
    "File Access", nullptr, 0, g_constants, (int32_t)(sizeof(g_constants) / sizeof(g_constants[0])),
};
