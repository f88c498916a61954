// Determinant, inverse, norms, the value-core decompositions and the matrix
// functions expm, logm, sqrtm, funm and fevam.
#include "matrix_support.h"

namespace {

using namespace mt;
using vb::Mat;

using MatrixFunction = MatrixLibTest;

TEST_F(MatrixFunction, DeterminantIsAComplexNumber)
{
    CValue v;
    ASSERT_EQ(Eval("det([1,2;3,4])", v), 0);
    ASSERT_EQ(v.Type(), (uint32_t)VT_COMPLEX);
    EXPECT_NEAR(v.ComplexRef().re, -2.0, 1e-14);
    EXPECT_EQ(v.ComplexRef().im, 0.0);

    const struct {
        CValue arg;
        const char* message;
    } bad[] = {
        {CValue(std::string("xy")), "Error: Invalid argument of det function (String)"},
        {CValue(3.0), "Error: Invalid argument of det function (Real)"},
    };
    for (const auto& b : bad) {
        cap.Reset();
        CValue a(b.arg), out;
        EXPECT_EQ(BuiltinDet(&a, &out), ERR_INTERNAL);
        EXPECT_EQ(cap.Text(), b.message);
    }
    cap.Reset();
    CValue wide = Mat({{1, 2, 3}}), out;
    EXPECT_EQ(BuiltinDet(&wide, &out), ERR_INTERNAL);
    EXPECT_EQ(cap.messages.size(), 1u);
}

TEST_F(MatrixFunction, Inverse)
{
    EXPECT_EQ(EvalReal("inv(4)"), 0.25);
    CValue v;
    ASSERT_EQ(Eval("inv(2i)", v), 0);
    EXPECT_EQ(vb::Text(v), "0-0.5i");

    CComplexMatrix A = Sample(3, 3, true);
    CValue x = Val(A), out;
    ASSERT_EQ(BuiltinInv(&x, &out), 0);
    EXPECT_LT(MaxDiff(A * Num(out), Eye(3)), 1e-12);
    EXPECT_TRUE(cap.messages.empty());

    ASSERT_EQ(Eval("inv([1,2;2,4])", v), ERR_INTERNAL);
    ASSERT_EQ(cap.messages.size(), 2u);
    EXPECT_EQ(cap.messages[0], "Warning: Matrix is close to singular or badly scaled. rcond=0");
    EXPECT_EQ(cap.messages[1], "Error: The matrix is singular");

    cap.Reset();
    CValue s(std::string("ab"));
    EXPECT_EQ(BuiltinInv(&s, &out), ERR_INTERNAL);
    EXPECT_EQ(cap.Text(), "Error: Invalid argument of inv function (String)");
}

TEST_F(MatrixFunction, NormsConditionAndRank)
{
    const struct {
        const char* text;
        double expected;
    } cases[] = {
        {"norm([3,4])", 5},
        {"norm([1,2;3,4],\"fro\")", std::sqrt(30.0)},
        {"norm([1,-2;3,4],1)", 6},
        {"norm([1,-2;3,4],INF)", 7},
        {"cond([2,0;0,1])", 2},
        {"cond([2,0;0,4],1)", 2},
    };
    for (const auto& c : cases) {
        CValue v;
        ASSERT_EQ(Eval(c.text, v), 0) << c.text;
        ASSERT_EQ(v.Type(), (uint32_t)VT_COMPLEX) << c.text;
        EXPECT_NEAR(v.ComplexRef().re, c.expected, 1e-12) << c.text;
        EXPECT_EQ(v.ComplexRef().im, 0.0) << c.text;
    }
    EXPECT_EQ(EvalReal("rank([1,2;2,4])"), 1.0);
    EXPECT_EQ(EvalReal("rank([1,2;3,4])"), 2.0);
    EXPECT_EQ(EvalReal("rank([1,0;0,0.001],0.01)"), 1.0);
    EXPECT_TRUE(cap.messages.empty());

    CValue m = Mat({{1, 2}, {3, 4}}), five(5.0), max(std::string("max")), out;
    CValue str = Mat({{1, 2}});
    str.Matrix().Cell(0, 0) = CValue(std::string("ab"));
    EXPECT_EQ(BuiltinNorm(&m, &max, &out), ERR_ARGUMENT_TYPE);
    EXPECT_EQ(BuiltinNorm(&five, &five, &out), ERR_ARGUMENT_TYPE);
    EXPECT_EQ(BuiltinCond(&str, &five, &out), ERR_ARGUMENT_TYPE);
    EXPECT_EQ(BuiltinRank(&five, &five, &out), ERR_ARGUMENT_TYPE);
    EXPECT_EQ(BuiltinOrth(&str, &out), ERR_ARGUMENT_TYPE);
    EXPECT_TRUE(cap.messages.empty());
}

TEST_F(MatrixFunction, OrthLuSvdOldAndEign)
{
    CComplexMatrix A = Sample(4, 3, true);
    CValue x = Val(A), out;
    ASSERT_EQ(BuiltinOrth(&x, &out), 0);
    CComplexMatrix Q = Num(out);
    EXPECT_EQ(Q.Cols(), 3);
    EXPECT_LT(OrthonormalError(Q), 1e-12);
    // The columns span A: A = Q Q^H A.
    EXPECT_LT(MaxDiff(Q * Adj(Q) * A, A), 1e-12);

    ASSERT_EQ(BuiltinLu(&x, &out), 0);
    CComplexMatrix L = Num(Part(out, 0)), U = Num(Part(out, 1)), P = Num(Part(out, 2));
    EXPECT_LT(MaxDiff(P * A, L * U), 1e-12);

    ASSERT_EQ(BuiltinSvdOld(&x, &out), 0);
    CComplexMatrix Us = Num(Part(out, 0)), W = Num(Part(out, 1)), V = Num(Part(out, 2));
    CComplexMatrix Wd(W.Cols(), W.Cols());
    for (int i = 0; i < W.Cols(); i++) Wd.Cell(i, i) = W.Cell(0, i);
    EXPECT_LT(MaxDiff(Us * Wd * Adj(V), A), 1e-10);

    CComplexMatrix S = Sample(3, 3, false, 4);
    CValue sq = Val(S);
    ASSERT_EQ(BuiltinEign(&sq, &out), 0);
    CComplexMatrix Ve = Num(Part(out, 0)), D = Num(Part(out, 1));
    ASSERT_EQ(D.Rows(), 1);
    for (int j = 0; j < 3; j++) {
        CComplexMatrix v(3, 1);
        for (int i = 0; i < 3; i++) v.Cell(i, 0) = Ve.Cell(i, j);
        CComplexMatrix lv = v.Scaled(D.Cell(0, j));
        EXPECT_LT(MaxDiff(S * v, lv), 1e-9 * (1 + v.MaxColumnSum()));
    }
    CValue values;
    ASSERT_EQ(BuiltinEignValues(&sq, &values), 0);
    EXPECT_EQ(Num(values).Cols(), 3);
    EXPECT_TRUE(cap.messages.empty());

    CValue str = Mat({{1, 2}, {3, 4}});
    str.Matrix().Cell(0, 0) = CValue(std::string("ab"));
    EXPECT_EQ(BuiltinEign(&str, &out), ERR_INTERNAL);
    EXPECT_EQ(cap.Text(), "Error: Matrix elements must be a complex numbers");
    CValue five(5.0);
    StatusWord (*silent[])(CValue*, CValue*) = {BuiltinOrth, BuiltinLu, BuiltinSvdOld, BuiltinEign,
                                                BuiltinEignValues};
    cap.Reset();
    for (auto h : silent) EXPECT_EQ(h(&five, &out), ERR_ARGUMENT_TYPE);
    EXPECT_TRUE(cap.messages.empty());
}

TEST_F(MatrixFunction, ExponentialAndSquareRoot)
{
    CValue v;
    ASSERT_EQ(Eval("expm([0,0;0,0])", v), 0);
    EXPECT_EQ(MaxDiff(Num(v), Eye(2)), 0.0);
    ASSERT_EQ(Eval("sqrtm([4,0;0,9])", v), 0);
    EXPECT_LT(MaxDiff(Num(v), Num(Mat({{2, 0}, {0, 3}}))), 1e-12);
    CComplexMatrix A = Num(Mat({{2, 1}, {1, 2}}));
    CValue x = Val(A), out;
    ASSERT_EQ(BuiltinSqrtm(&x, &out), 0);
    EXPECT_LT(MaxDiff(Num(out) * Num(out), A), 1e-12);
    EXPECT_TRUE(cap.messages.empty());

    CValue five(5.0);
    EXPECT_EQ(BuiltinExpm(&five, &out), ERR_ARGUMENT_TYPE);
    EXPECT_EQ(cap.Text(), "Error: Invalid argument of expm function (Real)");
    cap.Reset();
    EXPECT_EQ(BuiltinSqrtm(&five, &out), ERR_INTERNAL);
    EXPECT_EQ(cap.Text(), "Error: Invalid argument of sqrtm function (Real)");
}

TEST_F(MatrixFunction, Logarithm)
{
    CValue v;
    ASSERT_EQ(Eval("logm([1,0;0,1])", v), 0);
    EXPECT_EQ(MaxDiff(Num(v), CComplexMatrix(2, 2)), 0.0);
    EXPECT_TRUE(cap.messages.empty());

    const CComplexMatrix cases[] = {Num(Mat({{2, 1}, {1, 3}})), Num(Mat({{1, 1}, {0, 1}})), Sample(3, 3, true),
                                    Num(Mat({{4, 1, 0}, {0, 4, 1}, {0, 0, 4}}))};
    for (const CComplexMatrix& A : cases) {
        CValue x = Val(A), out, e;
        ASSERT_EQ(BuiltinLogm(&x, &out), 0);
        ASSERT_EQ(BuiltinExpm(&out, &e), 0);
        EXPECT_LT(MaxDiff(Num(e), A), 1e-10 * A.MaxColumnSum());
    }
    // The Jordan block's logarithm is exact: [0,1;0,0].
    CValue jordan = Mat({{1, 1}, {0, 1}}), out;
    ASSERT_EQ(BuiltinLogm(&jordan, &out), 0);
    EXPECT_LT(MaxDiff(Num(out), Num(Mat({{0, 1}, {0, 0}}))), 1e-10);

    CValue wide = Mat({{1, 2}}), five(5.0);
    cap.Reset();
    EXPECT_EQ(BuiltinLogm(&wide, &out), ERR_ARGUMENT_TYPE);
    EXPECT_EQ(BuiltinLogm(&five, &out), ERR_ARGUMENT_TYPE);
    EXPECT_EQ(cap.Text(), "Error: Argument must be square matrix\nError: Argument must be square matrix");
    cap.Reset();
    CValue str = Mat({{1, 2}, {3, 4}});
    str.Matrix().Cell(0, 0) = CValue(std::string("ab"));
    EXPECT_EQ(BuiltinLogm(&str, &out), ERR_MATRIX_ARGUMENT);
    EXPECT_TRUE(cap.messages.empty());
}

TEST_F(MatrixFunction, FunmByNameAndPointer)
{
    CValue v;
    ASSERT_EQ(Eval("funm([1,0;0,2],\"exp\")", v), 0);
    EXPECT_TRUE(cap.messages.empty());
    CComplexMatrix F = Num(v);
    EXPECT_NEAR(F.Cell(0, 0).re, std::exp(1.0), 1e-12);
    EXPECT_NEAR(F.Cell(1, 1).re, std::exp(2.0), 1e-12);
    EXPECT_EQ(ComplexAbsOf(F.Cell(0, 1)), 0.0);

    // A real symmetric matrix gives real cells equal to expm's.
    CValue e;
    ASSERT_EQ(Eval("funm([2,1;1,2],@exp)", v), 0);
    ASSERT_EQ(Eval("expm([2,1;1,2])", e), 0);
    EXPECT_LT(MaxDiff(Num(v), Num(e)), 1e-12);
    for (int i = 0; i < 2; i++)
        for (int j = 0; j < 2; j++) EXPECT_EQ(Num(v).Cell(i, j).im, 0.0);

    // sqrt by name: the result squares back.
    ASSERT_EQ(Eval("funm([4,1;0,9],\"sqrt\")", v), 0);
    EXPECT_LT(MaxDiff(Num(v) * Num(v), Num(Mat({{4, 1}, {0, 9}}))), 1e-12);
    EXPECT_TRUE(cap.messages.empty());
}

TEST_F(MatrixFunction, FunmWarnsWhenEigenvaluesCoincide)
{
    CValue v;
    ASSERT_EQ(Eval("funm([1,1;0,1],\"exp\")", v), 0);
    EXPECT_EQ(cap.Text(), "Warning: Function funm: Result may be inaccurate. serr=1");
    EXPECT_EQ(Num(v).Rows(), 2);
}

TEST_F(MatrixFunction, FunmAndFevamRefusals)
{
    const struct {
        const char* text;
        StatusWord status;
        const char* message;
    } cases[] = {
        {"funm([1,2,3;4,5,6],\"exp\")", ERR_ARGUMENT_TYPE, "Error: First argument must be a square matrix"},
        {"funm([1,2;3,4],5)", ERR_ARGUMENT_TYPE, "Error: First argument must be a pointer to a function"},
        {"funm([1,2;3,4],\"no_such_function\")", ERR_FUNCTION_POINTER, ""},
        {"funm([1,2;3,4],\"as_text\")", ERR_INTERNAL,
         "Error: Value returned by the custom function must be a complex or real number"},
        {"fevam(5,\"sqrt\")", ERR_ARGUMENT_TYPE, ""},
        {"fevam([1,2],5)", ERR_ARGUMENT_TYPE, ""},
    };
    for (const auto& c : cases) {
        cap.Reset();
        CValue v;
        EXPECT_EQ(Eval(c.text, v), c.status) << c.text;
        EXPECT_EQ(cap.Text(), c.message) << c.text;
    }
}

TEST_F(MatrixFunction, FevamAppliesTheFunctionToEveryCell)
{
    CValue v;
    ASSERT_EQ(Eval("fevam([1,4;9,16],\"sqrt\")", v), 0);
    EXPECT_EQ(vb::Text(v), "[1,2;3,4]");
    // Any kind of result is stored.
    ASSERT_EQ(Eval("fevam([1,2],@as_text)", v), 0);
    ASSERT_EQ(v.Type(), (uint32_t)VT_MATRIX);
    std::string a, b;
    v.Matrix().Cell(0, 0).GetText(a);
    v.Matrix().Cell(0, 1).GetText(b);
    EXPECT_EQ(a, "<1>");
    EXPECT_EQ(b, "<2>");
    EXPECT_TRUE(cap.messages.empty());
}

}  // namespace
