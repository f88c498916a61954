// Bitmap lookup through the current module state.
#include "platform/afx/module_bitmaps.h"

#include "platform/afx/module_state.h"
#include "platform/afx/module_bitmap_data.h"
#include "platform/gdi/png_image.h"

HBITMAP AfxLoadBitmap(const char* name)
{
    if (HBITMAP b = LoadBitmap(AfxGetModuleState()->ResourceHandle(), name)) return b;
    if (AfxGetModuleState() == AfxGetProgramModuleState()) return nullptr;
    return LoadBitmap(nullptr, name);
}

BOOL AfxFindBitmapData(const char* name, const unsigned char** data, size_t* size)
{
    if (FindBitmapResourceData(AfxGetModuleState()->ResourceHandle(), name, data, size)) return TRUE;
    if (AfxGetModuleState() == AfxGetProgramModuleState()) return FALSE;
    return FindBitmapResourceData(nullptr, name, data, size);
}
