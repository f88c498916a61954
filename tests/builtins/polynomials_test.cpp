// The "Polynomials" library: coefficient rows in ascending powers.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "builtin_eval.h"
#include "builtins/polynomial_functions.h"
#include "interpreter/statements/program_harness.h"

namespace {

using PolynomialTest = BuiltinTest;

TEST_F(PolynomialTest, Results)
{
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"rootspoly([1,2])", "[2,-3,1]"},
        {"polyint([2,6],1)", "[1,2,3]"},
        {"polyint([2,6])", "[0,2,3]"},
        {"conv([1,1],[1,1])", "[1,2,1]"},
        {"conv([2],[1,-1])", "[2,-2]"},
        {"polysub([1,2,3],[0,0,3])", "[1,2]"},
        {"polysum([1,2],[-1,-2])", "[0]"},
        {"polysum([1],[0,0,4])", "[1,0,4]"},
        {"polyder([5])", "[]"},
        {"polyder([1,2,3])", "[2,6]"},
        {"poly([1,2,3],2)", "17"},
        {"poly([1,1],[1,2])", "[2,3]"},
        {"deconv([-1,0,1],[1,1])", "[[-1,1],[0]]"},
        {"deconv([1,2],[1,1,1])", "[[0],[1,2]]"},
    };
    for (const auto& c : cases) {
        CValue v;
        cap.Reset();
        ASSERT_EQ(Eval(c.text, v), 0) << c.text << ": " << cap.Text();
        EXPECT_EQ(vb::Text(v), c.expected) << c.text;
    }
}

TEST_F(PolynomialTest, RootsOfAQuadratic)
{
    for (const char* text : {"polyroots([-1,0,1])", "polyroots([-1,0,1],1e-6+0i)"}) {
        CValue v;
        ASSERT_EQ(Eval(text, v), 0) << text;
        ASSERT_EQ(v.Type(), (uint32_t)VT_MATRIX);
        ASSERT_EQ(v.Matrix().Rows(), 1);
        ASSERT_EQ(v.Matrix().Cols(), 2);
        std::vector<double> re;
        for (int i = 0; i < 2; ++i) {
            Complex z = v.Matrix().Cell(0, i).GetComplex();
            EXPECT_NEAR(z.im, 0.0, 1e-12);
            re.push_back(z.re);
        }
        std::sort(re.begin(), re.end());
        EXPECT_NEAR(re[0], -1.0, 1e-12);
        EXPECT_NEAR(re[1], 1.0, 1e-12);
    }
}

TEST_F(PolynomialTest, ErrorsGiveTheirExactMessages)
{
    const struct {
        const char* text;
        std::vector<std::string> messages;
    } cases[] = {
        {"conv(2,[1]);", {"Error: Arguments must be a vectors of polynomial coefficients"}},
        {"deconv([1],[1;2]);", {"Error: Arguments must be a vectors of polynomial coefficients"}},
        {"polysub([1],\"ab\");", {"Error: Arguments must be a vectors of polynomial coefficients"}},
        {"polyroots([1,2],\"a\");", {"Error: Tolerance must be a scalar"}},
        {"polyroots([1,2],1+1i);", {"Error: Tolerance must be a scalar"}},
        {"polyroots([1;2]);", {"Error: First argument must be a vector of polynomial coefficients"}},
        {"polyroots([1,\"a\"]);", {"Error: Polynomial coefficients must be a complex or real numbers"}},
        {"polyroots([5]);", {"Error: Failed to find a roots of a polynomial"}},
        {"rootspoly(3);", {"Error: First argument must be a vector of polynomial roots"}},
        {"polyder([1;2]);", {"Error: First argument must be a vector of polynomial coefficients"}},
        {"polyint(2);", {"Error: First argument must be a vector of polynomial coefficients"}},
        {"poly(2,1);", {"Error: The argument of a polynomial representation must be a row-vector"}},
        {"intpoly([1,2],[3,4]);", {"Error: Function is not declared or the function prototype is not suitable"}},
    };
    for (const auto& c : cases) EXPECT_EQ(RunProgram(c.text).messages, c.messages) << c.text;
}

TEST_F(PolynomialTest, LibraryListsNineFunctions)
{
    EXPECT_EQ(PolynomialsLibrary.count, 9);
    EXPECT_STREQ(PolynomialsLibrary.table[9].name, "intpoly");
    const FuncEntry& polyint = PolynomialsLibrary.table[8];
    EXPECT_STREQ(polyint.name, "polyint");
    ASSERT_EQ(polyint.defaultCount, 1);
    EXPECT_EQ(vb::Text(polyint.defaults[0]), "0");
}

}  // namespace
