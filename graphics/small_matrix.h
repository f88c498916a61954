#pragma once
// The two small-matrix operations the geometry code solves its 2 x 2 systems
// with. Problems go to the message stream; neither stops the caller.
#include "values/numeric_matrix.h"

// Gauss-Jordan inverse in place. 0 done (a nearly singular matrix warns once
// and still gives the arithmetic's result), 10 not square (reported, unchanged).
int Inverse(CRealMatrix& a);

// The product when the inner sizes agree, else the element-wise product of two
// matrices of one shape, else reported and 0 x 0.
CRealMatrix Multiply(const CRealMatrix& a, const CRealMatrix& b);
