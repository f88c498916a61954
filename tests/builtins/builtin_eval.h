#pragma once
// Fixture for built-in tests: the built-in libraries registered, a block to
// parse and evaluate expressions in, and a captured message stream.
#include <gtest/gtest.h>

#include <string>

#include "builtins/libraries.h"
#include "interpreter/block.h"
#include "interpreter/expr_parser.h"
#include "support/capture.h"
#include "values/value.h"
#include "values/value_builders.h"
#include "values/value_matrix.h"

class BuiltinTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterBuiltinLibraries(); }

    // Parses and evaluates one expression; the status code of the evaluation.
    int Eval(const char* text, CValue& out)
    {
        CCompiledExpr e;
        const char* t = text;
        StatusWord code = ParseExpression(e, t, &block);
        if (code) {
            ADD_FAILURE() << "parse of " << text << " stopped with " << code;
            return -1;
        }
        return StatusCode(block.Evaluate(e.root, &out));
    }

    double EvalReal(const char* text)
    {
        CValue v;
        EXPECT_EQ(Eval(text, v), 0) << text;
        EXPECT_EQ(v.Type(), (uint32_t)VT_REAL) << text;
        return v.Type() == VT_REAL ? v.Real() : -12345.0;
    }

    CStatementBlock block;
    CCaptureStream cap;
};
