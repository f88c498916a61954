#include "values/int_power.h"

int32_t IntPower(int32_t base, int32_t exp)
{
    // Unsigned arithmetic wraps without undefined behaviour; |INT32_MIN| fits.
    uint32_t r = 1, b = static_cast<uint32_t>(base);
    uint32_t e = exp < 0 ? 0u - static_cast<uint32_t>(exp) : static_cast<uint32_t>(exp);
    do {
        if (e & 1u) r *= b;
        b *= b;
        e >>= 1;
    } while (e);
    int32_t p = static_cast<int32_t>(r);
    if (exp >= 0) return p;
    if (p == 0) return 0;  // 0^-n: no division by zero
    return 1 / p;
}
