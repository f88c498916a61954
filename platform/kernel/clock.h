#pragma once
// Tick counts and local time.
#include "platform/types.h"

// Milliseconds of a steady clock; GetTickCount wraps at 2^32.
DWORD GetTickCount();
uint64_t GetTickCount64();

// Tests that drive timers set their own clock; null restores the steady one.
void SetTickSource(uint64_t (*source)());

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};
void GetLocalTime(SYSTEMTIME* time);
