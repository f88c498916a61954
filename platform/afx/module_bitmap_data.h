#pragma once
// The PNG bytes behind a module's bitmap (an icon keeps its transparency).
#include <cstddef>

#include "platform/types.h"

// Looked up as AfxLoadBitmap looks: the current module, else the program.
BOOL AfxFindBitmapData(const char* name, const unsigned char** data, size_t* size);
