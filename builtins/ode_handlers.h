#pragma once
// The evaluation and storing callbacks of ode5 and ode4s.
#include "builtins/solver_frame.h"

// y' = FUN(t, y, extras...): own cell 0 the time, own cell 1 the state (a
// Real for one equation, else a 1 x n row). The result must be a Real or
// Complex for one equation, else a row or column of n numbers; 68 otherwise.
int CallOdeFunction(double* yprime, const double* t, const double* y, int n, SolverCallFrame* frame);
// Appends y as a new column of out (n x 1 on the first call).
int AppendOdeState(const double* t, const double* y, int n, CValue* out);
// cells[0] gains the time, cells[1] the state.
int AppendOdeTimeAndState(const double* t, const double* y, int n, CValue* cells);
