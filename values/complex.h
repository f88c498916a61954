#pragma once
// Complex numbers with the system's own formulas (no std::complex arithmetic).

struct Complex {
    double re;
    double im;
};

static_assert(sizeof(Complex) == 16, "Complex is two doubles");
