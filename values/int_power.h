#pragma once
// Whole-number power by squaring, in 32-bit arithmetic that wraps around.
#include <cstdint>

// base^|exp|; for exp < 0 the reciprocal 1 / base^|exp| in integer division
// (0 for |base^|exp|| > 1; a zero power gives 0 rather than dividing by it).
int32_t IntPower(int32_t base, int32_t exp);
