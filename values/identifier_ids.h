#pragma once
// Identifier values (handles of files and windows, "#n" in the language) are
// small ids from one process-wide table: ids start at 1, are never reused,
// and the same window always gets the same id. Only ids go into values,
// never a window handle itself. Safe from any thread.
#include <cstdint>

#include "platform/types.h"

// A new id that names no window (open files). 0 when the ids are used up.
uint32_t NewIdentifierId();
// The id of a window, made on first use; 0 for a null window.
uint32_t IdentifierIdOfWindow(HWND window);
// The window an id names, or null (also for file ids and unknown ids).
HWND WindowOfIdentifierId(uint32_t id);
