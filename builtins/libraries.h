#pragma once
// The six built-in function libraries and their registration. Each library's
// record and table live in a file of their own (library_*.cpp).
#include "interpreter/func_records.h"

extern FuncLibrary BasicLibrary;                 // "Basic"
extern FuncLibrary FileAccessLibrary;            // "File Access"
extern FuncLibrary DataAnalysisLibrary;          // "Data Analysis"
extern FuncLibrary NonlinearSolutionsLibrary;    // "Nonlinear Numerical Solutions"
extern FuncLibrary MatrixAlgebraLibrary;         // "Matrix and Algebra"
extern FuncLibrary PolynomialsLibrary;           // "Polynomials"

constexpr int BUILTIN_LIBRARY_COUNT = 6;
// The built-in records in their registration order.
FuncLibrary* const* BuiltinLibraries();

// Appends the built-in libraries to the library list in their fixed order,
// after whatever the function modules registered before. A library already
// in the list is not added twice.
void RegisterBuiltinLibraries();
// Takes them out of the list again (shutdown and tests).
void UnregisterBuiltinLibraries();
