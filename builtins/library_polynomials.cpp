// The "Polynomials" library. Its rows join with the polynomial handlers.
#include "builtins/libraries.h"

FuncLibrary PolynomialsLibrary = {"Polynomials", nullptr, 0, nullptr, 0};
