#pragma once
// Elimination, decompositions and the exponential on value cells: the twins
// of the complex-matrix routines, every step done by the value operators
// (CValueMatrix's LU, Det, Invert, Solve, Svd, Eig and Expm are defined in
// value_elimination.cpp).
#include "values/value_matrix.h"

int InvertValueMatrix(CValueMatrix& m);  // forwards to CValueMatrix::Invert
