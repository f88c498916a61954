#pragma once
// Kernel object handles: each handle holds one reference; the object lives
// until its last handle is closed and nothing else (a running thread, a
// mapped view, a waiter) still uses it.
#include "platform/types.h"

BOOL CloseHandle(HANDLE h);
// A second handle to the same object.
HANDLE DuplicateHandle(HANDLE h);
