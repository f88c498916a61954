#pragma once
// Bitmaps of the current module: PNGs embedded at build time
// (cmake/EmbedPng.cmake) are registered under the module state's
// ResourceHandle(), so equal names in two modules never meet.
#include "platform/gdi/gdi.h"

// A bitmap of the current module, else of the program; null when neither has it.
HBITMAP AfxLoadBitmap(const char* name);
