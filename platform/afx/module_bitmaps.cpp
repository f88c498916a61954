// Bitmap lookup through the current module state.
#include "platform/afx/module_bitmaps.h"

#include "platform/afx/module_state.h"

HBITMAP AfxLoadBitmap(const char* name)
{
    if (HBITMAP b = LoadBitmap(AfxGetModuleState()->ResourceHandle(), name)) return b;
    if (AfxGetModuleState() == AfxGetProgramModuleState()) return nullptr;
    return LoadBitmap(nullptr, name);
}
