#pragma once
// Parses and evaluates expression strings in one block, with a small built-in
// library registered for the call tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "interpreter/block.h"
#include "interpreter/expr_parser.h"
#include "interpreter/expr_tree.h"
#include "support/capture.h"
#include "values/value_matrix.h"

extern int g_fCalls;  // calls of the fake f()

class ExprTest : public ::testing::Test {
protected:
    CStatementBlock block;
    CCaptureStream cap;

    void SetUp() override;
    void TearDown() override;

    // Parse (a whole expression) and evaluate; out holds no handles on success.
    StatusWord Eval(const std::string& text, CValue& out);
    StatusWord Eval(const std::string& text)
    {
        CValue v;
        return Eval(text, v);
    }
    // Parse only; the stop code or error.
    StatusWord Parse(const std::string& text, CCompiledExpr& holder);
    double Real(const std::string& text);  // NaN when it fails or is not a Real
    CValue* Var(const char* name);
};

// Real parts of a matrix, row-major, with its shape.
struct Shape {
    int rows = -1, cols = -1;
    std::vector<double> re, im;
};
Shape ShapeOf(const CValue& v);
