// Per-thread 15-bit generator: the classic linear congruential step of the C
// standard's sample rand(), so every thread gets a repeatable stream.
#include "values/random15.h"

namespace {
thread_local unsigned long randState = 1;
}

int Rand15()
{
    randState = randState * 1103515245ul + 12345ul;
    return (int)((randState / 65536ul) % 32768ul);
}

void SeedRand15(unsigned seed) { randState = seed; }
