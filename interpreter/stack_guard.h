#pragma once
// Native stack guard for interpreter recursion: a deep chain of calls fails
// with 53 instead of overflowing the thread's stack.
#include <cstddef>

#include "interpreter/status.h"

// 0 while this thread has enough stack left, else ERR_STACK_OVERFLOW (unreported).
// Cheap enough to call at every recursion point.
StatusWord CheckStackSpace();

// Bytes of native stack left below the caller's frame on this thread
// (a very large number when the bounds are unknown).
size_t NativeStackRemaining();

// Reserve kept free for handlers and message output; at least the given bytes.
size_t NativeStackReserve();
