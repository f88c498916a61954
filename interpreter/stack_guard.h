#pragma once
// The native stack guard as a status: a deep chain of calls fails with 53
// instead of overflowing the thread's stack.
#include "interpreter/status.h"
#include "values/stack_guard.h"

// 0 while this thread has enough stack left, else ERR_STACK_OVERFLOW (unreported).
inline StatusWord CheckStackSpace() { return NativeStackLow() ? ERR_STACK_OVERFLOW : 0; }
