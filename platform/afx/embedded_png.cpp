// Embedded PNGs registered per module.
#include "platform/afx/embedded_png.h"

#include "platform/afx/module_state.h"

void AfxRegisterEmbeddedPngs(CModuleState* module, const AfxEmbeddedPng* table, size_t count)
{
    for (size_t i = 0; i < count; ++i)
        RegisterBitmapResource(module->ResourceHandle(), table[i].name, table[i].data, table[i].size);
}

HBITMAP AfxLoadBitmap(const char* name)
{
    if (HBITMAP b = LoadBitmap(AfxGetModuleState()->ResourceHandle(), name)) return b;
    return LoadBitmap(nullptr, name);
}
