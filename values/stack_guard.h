#pragma once
// Native stack guard: deep recursion (nested values in a stream or in text,
// a chain of calls) stops with a failure instead of overflowing the thread's stack.
#include <cstddef>

// True when this thread's stack is down to its reserve. Cheap enough to call
// at every recursion point.
bool NativeStackLow();

// Bytes of native stack left below the caller's frame on this thread
// (a very large number when the bounds are unknown).
size_t NativeStackRemaining();

// Reserve kept free for handlers and message output; at least the given bytes.
size_t NativeStackReserve();
