#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/capture.h"
#include "values/power.h"
#include "values/power_families.h"
#include "value_builders.h"

using namespace vb;

namespace {

// A matrix value with one cell that is not a number keeps the value-cell path.
CValue WithStringCell(CValue m, int r, int c)
{
    m.Matrix().Cell(r, c) = Str("ab");
    return m;
}

// Text of a matrix with every number rounded to 1e-9, so that the eigen and
// exponential paths compare exactly.
std::string Rounded(const CValue& v)
{
    if (v.Type() != VT_MATRIX) return Text(v);
    CValue r = v;
    CValueMatrix& m = r.Matrix();
    auto round9 = [](double x) { return std::round(x * 1e9) / 1e9; };
    for (int i = 0; i < m.Rows(); ++i)
        for (int j = 0; j < m.Cols(); ++j) {
            CValue& c = m.Cell(i, j);
            if (c.Type() == VT_REAL) c.Real() = round9(c.Real());
            if (c.Type() == VT_COMPLEX) c.ComplexRef() = Complex(round9(c.ComplexRef().re), round9(c.ComplexRef().im));
        }
    return Text(r);
}

struct MatrixPowerCase {
    const char* name;
    CValue m, p;
    std::string result;
};

TEST(MatrixSqrtOrPower, Table)
{
    MatrixPowerCase cases[] = {
        {"repeated products", Mat({{1, 1}, {0, 1}}), Real(3), "[1,3;0,1]"},
        {"zero gives the identity", Mat({{1, 1}, {0, 1}}), Real(0), "[1,0;0,1]"},
        {"negative inverts", Mat({{2, 0}, {0, 4}}), Real(-1), "[0.5,0;0,0.25]"},
        {"binary powering above 64", Mat({{1, 1}, {0, 1}}), Real(100), "[1,100;0,1]"},
        {"binary powering, odd and negative", Mat({{1, 1}, {0, 1}}), Real(-101), "[1,-101;0,1]"},
        {"complex with zero imaginary part is whole", Mat({{1, 1}, {0, 1}}), Cx(2, 0), "[1,2;0,1]"},
        {"not square: cell by cell", Mat({{1, 2, 3}}), Real(2), "[1,4,9]"},
        {"one by one: cell by cell", Mat({{4}}), Real(0.5), "[2]"},
        {"square root by eigenvalues", Mat({{4, 0}, {0, 9}}), Real(0.5), "[2,0;0,3]"},
        {"empty", Mat({}), Real(2), "[]"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        CCaptureStream cap;
        EXPECT_EQ(MatrixSqrtOrPower(c.m.Matrix(), c.p), 0);
        EXPECT_EQ(Rounded(c.m), c.result);
        EXPECT_TRUE(cap.messages.empty()) << cap.Text();
    }
}

TEST(MatrixSqrtOrPower, ImaginaryExponentIsNeverWhole)
{
    // 0+2i rounds to itself, yet it takes the eigenvalue path: diag(2^2i, 3^2i).
    CValue m = Mat({{2, 0}, {0, 3}});
    EXPECT_EQ(MatrixSqrtOrPower(m.Matrix(), Cx(0, 2)), 0);
    const Complex a = m.Matrix().Cell(0, 0).GetComplex();
    EXPECT_NEAR(a.re, std::cos(2 * std::log(2.0)), 1e-12);
    EXPECT_NEAR(a.im, std::sin(2 * std::log(2.0)), 1e-12);
    EXPECT_NEAR(m.Matrix().Cell(0, 1).GetComplex().re, 0.0, 1e-12);
}

TEST(MatrixSqrtOrPower, NonNumberExponentIsReported)
{
    CCaptureStream cap;
    CValue m = Mat({{1, 2}, {3, 4}});
    EXPECT_EQ(MatrixSqrtOrPower(m.Matrix(), Str("ab")), 10);
    EXPECT_EQ(cap.Text(), "Error: Calculating a raise to the power, Matrix and String type");
    EXPECT_EQ(Text(m), "[1,2;3,4]");
}

TEST(ScalarPowerMatrix, ExponentialAndCellByCell)
{
    CCaptureStream cap;
    CValue zeros = Mat({{0, 0}, {0, 0}});
    EXPECT_EQ(ScalarPowerMatrix(Real(2), zeros.Matrix()), 0);
    EXPECT_EQ(Rounded(zeros), "[1,0;0,1]");

    CValue diag = Mat({{1, 0}, {0, 3}});
    EXPECT_EQ(ScalarPowerMatrix(Real(2), diag.Matrix()), 0);
    EXPECT_EQ(Rounded(diag), "[2,0;0,8]");

    CValue row = Mat({{1, 2, 3}});
    EXPECT_EQ(ScalarPowerMatrix(Real(2), row.Matrix()), 0);
    EXPECT_EQ(Text(row), "[2,4,8]");
    EXPECT_TRUE(cap.messages.empty()) << cap.Text();

    // A bad cell reports and the rest is still raised.
    CValue bad = WithStringCell(Mat({{1, 0, 3}}), 0, 1);
    EXPECT_EQ(ScalarPowerMatrix(Real(2), bad.Matrix()), 0);
    EXPECT_EQ(Text(bad.Matrix().Cell(0, 2)), "8");
    EXPECT_EQ(cap.Text(), "Error: Calculating a raise to the power, Real and String type");
}

TEST(ArrayPowerFamilies, CellsAndShapes)
{
    CCaptureStream cap;
    CValue a = Mat({{1, 2}});
    EXPECT_EQ(MatrixArrayPowerMatrix(a.Matrix(), Mat({{2, 3}}).Matrix()), 0);
    EXPECT_EQ(Text(a), "[1,8]");
    EXPECT_EQ(MatrixArrayPowerScalar(a.Matrix(), Real(2)), 0);
    EXPECT_EQ(Text(a), "[1,64]");
    CValue m = Mat({{1, 2, 3}});
    EXPECT_EQ(ScalarArrayPowerMatrix(Real(2), m.Matrix()), 0);
    EXPECT_EQ(Text(m), "[2,4,8]");
    EXPECT_TRUE(cap.messages.empty()) << cap.Text();

    CValue b = Mat({{1, 2}});
    EXPECT_EQ(MatrixArrayPowerMatrix(b.Matrix(), Mat({{2, 3, 4}}).Matrix()), 10);
    EXPECT_EQ(MatrixPowerMatrix(b.Matrix(), Mat({{2}, {3}}).Matrix()), 10);
    EXPECT_EQ(Text(b), "[1,2]");
    EXPECT_EQ(cap.Text(),
              "Error: Array power, matrices must be a same sizes\nError: Array power, matrices must be a same sizes");
}

TEST(ArrayPowerFamilies, ElementWiseStopsButCellByCellPowerGoesOn)
{
    CCaptureStream cap;
    CValue a = WithStringCell(Mat({{2, 0, 2}}), 0, 1);
    EXPECT_EQ(MatrixArrayPowerScalar(a.Matrix(), Real(2)), 10);
    EXPECT_EQ(Text(a.Matrix().Cell(0, 0)), "4");
    EXPECT_EQ(Text(a.Matrix().Cell(0, 2)), "2");

    CValue b = WithStringCell(Mat({{2, 0, 2}}), 0, 1);
    EXPECT_EQ(MatrixPowerMatrix(b.Matrix(), Mat({{2, 2, 3}}).Matrix()), 0);
    EXPECT_EQ(Text(b.Matrix().Cell(0, 0)), "4");
    EXPECT_EQ(Text(b.Matrix().Cell(0, 2)), "8");
    EXPECT_EQ(cap.messages.size(), 2u);

    CValue m = Mat({{1, 2, 3}});
    EXPECT_EQ(ScalarArrayPowerMatrix(Str("ab"), m.Matrix()), 10);
    EXPECT_EQ(Text(m.Matrix().Cell(0, 2)), "3");  // untouched after the failing cell
}

}  // namespace

// The three-operand power works on value cells: cells keep their kinds, the
// operands stay as they were, a failed matrix power gives the empty matrix and
// an unsupported pair the empty value.
TEST(ValuePowerOf, ValueCellFamiliesAndOperandsUnchanged)
{
    struct Case {
        const char* name;
        CValue a, b;
        std::string result, message;
    } cases[] = {
        {"scalars", Real(2), Real(3), "8", ""},
        {"negative base, whole exponent", Real(-8), Real(3), "-512", ""},
        {"complex exponent", Real(2), Cx(3, 0), "8+0i", ""},
        {"matrix power by products", Mat({{1, 1}, {0, 1}}), Real(3), "[1,3;0,1]", ""},
        {"scalar to a row", Real(2), Mat({{1, 2}}), "[2,4]", ""},
        {"cell by cell", Mat({{1, 2}}), Mat({{2, 3}}), "[1,8]", ""},
        {"shapes differ: the empty matrix", Mat({{1, 2}}), Mat({{2, 3, 4}}), "[]",
         "Error: Array power, matrices must be a same sizes"},
        {"string", Str("ab"), Real(2), "empty", "Error: Calculating a raise to the power, String and Real type"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        CCaptureStream cap;
        std::string a = Text(c.a), b = Text(c.b);
        EXPECT_EQ(Rounded(ValuePowerOf(c.a, c.b)), c.result);
        EXPECT_EQ(cap.Text(), c.message);
        EXPECT_EQ(Text(c.a), a);
        EXPECT_EQ(Text(c.b), b);
    }
}
