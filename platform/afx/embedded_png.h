#pragma once
// PNG files compiled into a deliverable (cmake/EmbedPngs.cmake) and their
// registration under the module's resource handle.
#include <cstddef>

#include "platform/gdi/gdi.h"

class CModuleState;

struct AfxEmbeddedPng {
    const char* name;   // the file name without ".png"
    const unsigned char* data;
    size_t size;
};

void AfxRegisterEmbeddedPngs(CModuleState* module, const AfxEmbeddedPng* table, size_t count);
// A bitmap of the current module (then the program), or null.
HBITMAP AfxLoadBitmap(const char* name);
