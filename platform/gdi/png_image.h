#pragma once
// PNG images with their transparency (window icons), beside the opaque
// bitmaps of gdi.h.
#include <vector>

#include "platform/gdi/gdi.h"

// PNG data as straight (not premultiplied) 0xAARRGGBB words, row by row.
BOOL DecodePngArgb(const unsigned char* data, size_t size, SIZE* imageSize, std::vector<uint32_t>* argb);
// The PNG bytes of a module's bitmap resource; FALSE when it has none.
BOOL FindBitmapResourceData(HINSTANCE module, const char* name, const unsigned char** data, size_t* size);
