// The "Nonlinear Numerical Solutions" library. Its rows join with the solver handlers.
#include "builtins/libraries.h"

FuncLibrary NonlinearSolutionsLibrary = {"Nonlinear Numerical Solutions", nullptr, 0, nullptr, 0};
