// Factorizations through LAPACK, checked by reconstruction and unitarity
// rather than by the signs or phases of the factors.
#include <atomic>
#include <functional>

#include "matrix_support.h"
#include "values/stop_probe.h"

namespace {

using namespace mt;
using vb::Mat;

constexpr double kTol = 1e-12;

struct Shape {
    int m, n;
    bool complex;
};
const Shape kShapes[] = {{3, 2, false}, {2, 3, true}, {1, 1, false}, {4, 4, true}, {5, 3, true}};

using Decomposition = MatrixLibTest;

TEST_F(Decomposition, SvdFactorsReconstructTheMatrix)
{
    for (const Shape& s : kShapes) {
        SCOPED_TRACE(testing::Message() << s.m << "x" << s.n << (s.complex ? " complex" : ""));
        CComplexMatrix A = Sample(s.m, s.n, s.complex);
        CValue x = Val(A), full, econ, values;
        const int k = std::min(s.m, s.n);
        ASSERT_EQ(BuiltinSvd(&x, &full), 0);
        CComplexMatrix U = Num(Part(full, 0)), S = Num(Part(full, 1)), V = Num(Part(full, 2));
        EXPECT_EQ(U.Rows(), s.m);
        EXPECT_EQ(U.Cols(), s.m);
        EXPECT_EQ(S.Rows(), s.m);
        EXPECT_EQ(S.Cols(), s.n);
        EXPECT_EQ(V.Rows(), s.n);
        EXPECT_EQ(V.Cols(), s.n);
        EXPECT_LT(OrthonormalError(U), kTol);
        EXPECT_LT(OrthonormalError(V), kTol);
        EXPECT_LT(MaxDiff(U * S * Adj(V), A), kTol);

        ASSERT_EQ(BuiltinSvd0(&x, &econ), 0);
        CComplexMatrix Ue = Num(Part(econ, 0)), Se = Num(Part(econ, 1)), Ve = Num(Part(econ, 2));
        EXPECT_EQ(Ue.Cols(), k);
        EXPECT_EQ(Se.Rows(), k);
        EXPECT_EQ(Se.Cols(), k);
        EXPECT_EQ(Ve.Rows(), s.n);
        EXPECT_EQ(Ve.Cols(), k);
        EXPECT_LT(OrthonormalError(Ue), kTol);
        EXPECT_LT(OrthonormalError(Ve), kTol);
        EXPECT_LT(MaxDiff(Ue * Se * Adj(Ve), A), kTol);

        ASSERT_EQ(BuiltinSvdValues(&x, &values), 0);
        ASSERT_EQ(values.Type(), (uint32_t)VT_MATRIX);
        ASSERT_EQ(values.Matrix().Rows(), 1);
        ASSERT_EQ(values.Matrix().Cols(), k);
        for (int i = 0; i < k; i++) {
            const CValue& c = values.Matrix().Cell(0, i);
            ASSERT_EQ(c.Type(), (uint32_t)VT_REAL);
            EXPECT_NEAR(c.Real(), S.Cell(i, i).re, kTol);
            EXPECT_EQ(S.Cell(i, i).im, 0.0);
            if (i) {
                EXPECT_LE(c.Real(), values.Matrix().Cell(0, i - 1).Real());
            }
        }
    }
    EXPECT_TRUE(cap.messages.empty());
}

TEST_F(Decomposition, SvdOfTheThreeByTwoExampleThroughAnExpression)
{
    CValue v;
    ASSERT_EQ(Eval("svd([1,2;3,4;5,6])", v), 0);
    ASSERT_EQ(v.Matrix().Cols(), 2);
    // Singular values of this matrix: sqrt of the eigenvalues of X'X = [35,44;44,56].
    double tr = 91, det = 35 * 56 - 44 * 44, disc = std::sqrt(tr * tr / 4 - det);
    EXPECT_NEAR(v.Matrix().Cell(0, 0).Real(), std::sqrt(tr / 2 + disc), 1e-12);
    EXPECT_NEAR(v.Matrix().Cell(0, 1).Real(), std::sqrt(tr / 2 - disc), 1e-12);
}

TEST_F(Decomposition, SvdOfNonNumbers)
{
    CValue s(std::string("abc")), out;
    EXPECT_EQ(BuiltinSvd(&s, &out), ERR_ARGUMENT_TYPE);
    EXPECT_EQ(BuiltinSvdValues(&s, &out), ERR_ARGUMENT_TYPE);
    EXPECT_TRUE(cap.messages.empty());

    // A cell that is not a number: [U,S,V] falls back to the value-cell
    // algorithm, the singular values alone refuse.
    CValue x = Mat({{1, 2}, {3, 4}});
    x.Matrix().Cell(0, 1) = CValue(std::string("ab"));
    CValueMatrix U, W, V;
    int expected = x.Matrix().Svd(U, W, V);
    cap.Reset();
    EXPECT_EQ(BuiltinSvd(&x, &out), expected);
    ASSERT_EQ(out.Type(), (uint32_t)VT_MATRIX);
    EXPECT_EQ(out.Matrix().Cols(), 3);
    cap.Reset();
    EXPECT_EQ(BuiltinSvdValues(&x, &out), ERR_ARGUMENT_TYPE);
    EXPECT_TRUE(cap.messages.empty());
}

TEST_F(Decomposition, PseudoInverse)
{
    EXPECT_EQ(EvalReal("pinv(4)"), 0.25);
    CValue v;
    ASSERT_EQ(Eval("pinv(2i)", v), 0);
    EXPECT_EQ(vb::Text(v), "0-0.5i");

    // Full column rank: pinv(A) A = I.
    CComplexMatrix A = Sample(4, 2, true);
    CValue x = Val(A), none, out;
    ASSERT_EQ(BuiltinPinv(&x, &none, &out), 0);
    EXPECT_LT(MaxDiff(Num(out) * A, Eye(2)), 1e-12);

    // Rank deficient: the Penrose conditions hold with the tiny singular value dropped.
    CValue r = Mat({{1, 2}, {2, 4}});
    ASSERT_EQ(BuiltinPinv(&r, &none, &out), 0);
    CComplexMatrix R = Num(r), P = Num(out);
    EXPECT_LT(MaxDiff(R * P * R, R), 1e-12);
    EXPECT_LT(MaxDiff(P * R * P, P), 1e-12);

    // A tolerance above every singular value leaves nothing.
    CValue big(100.0);
    ASSERT_EQ(BuiltinPinv(&r, &big, &out), 0);
    EXPECT_LT(MaxDiff(Num(out), CComplexMatrix(2, 2)), 0.0 + 1e-300);
    EXPECT_TRUE(cap.messages.empty());

    const struct {
        CValue arg;
        const char* message;
    } bad[] = {
        {CValue(std::string("ab")), "Error: Invalid argument of pinv function; String"},
        {CValue('a'), "Error: Invalid argument of pinv function; Char"},
    };
    for (const auto& b : bad) {
        cap.Reset();
        CValue a(b.arg);
        EXPECT_EQ(BuiltinPinv(&a, &none, &out), ERR_ARGUMENT_TYPE);
        EXPECT_EQ(cap.Text(), b.message);
    }
}

TEST_F(Decomposition, SchurRealAndComplexForms)
{
    CValue rot = Mat({{0, 1}, {-1, 0}}), none, out;
    ASSERT_EQ(BuiltinSchur(&rot, &none, &out), 0);
    CComplexMatrix X = Num(rot), U = Num(Part(out, 0)), T = Num(Part(out, 1));
    EXPECT_LT(OrthonormalError(U), kTol);
    EXPECT_LT(MaxDiff(U * T * Adj(U), X), kTol);
    // Real path: real cells and a 2 x 2 block for the pair +-i.
    EXPECT_GT(std::fabs(T.Cell(1, 0).re), 0.5);
    for (int i = 0; i < 2; i++)
        for (int j = 0; j < 2; j++) EXPECT_EQ(T.Cell(i, j).im, 0.0);

    CValue c('c');
    ASSERT_EQ(BuiltinSchur(&rot, &c, &out), 0);
    U = Num(Part(out, 0));
    T = Num(Part(out, 1));
    EXPECT_LT(OrthonormalError(U), kTol);
    EXPECT_LT(MaxDiff(U * T * Adj(U), X), kTol);
    EXPECT_LT(BelowDiagonal(T), kTol);
    EXPECT_NEAR(std::fabs(T.Cell(0, 0).im), 1.0, kTol);

    // A complex matrix takes the complex path without the flag.
    CComplexMatrix A = Sample(4, 4, true);
    CValue a = Val(A);
    ASSERT_EQ(BuiltinSchur(&a, &none, &out), 0);
    U = Num(Part(out, 0));
    T = Num(Part(out, 1));
    EXPECT_LT(MaxDiff(U * T * Adj(U), A), 1e-12);
    EXPECT_LT(BelowDiagonal(T), 1e-12);

    // T alone: triangular with the eigenvalues on the diagonal.
    CValue v;
    ASSERT_EQ(Eval("schur([1,2;3,4])", v), 0);
    T = Num(v);
    EXPECT_LT(BelowDiagonal(T), kTol);
    double e1 = (5 + std::sqrt(33.0)) / 2, e2 = (5 - std::sqrt(33.0)) / 2;
    double d0 = T.Cell(0, 0).re, d1 = T.Cell(1, 1).re;
    EXPECT_NEAR(std::fmax(d0, d1), e1, kTol);
    EXPECT_NEAR(std::fmin(d0, d1), e2, kTol);
    EXPECT_TRUE(cap.messages.empty());
}

TEST_F(Decomposition, HessenbergForm)
{
    CComplexMatrix A = Sample(5, 5, true);
    CValue x = Val(A), out;
    ASSERT_EQ(BuiltinHess(&x, &out), 0);
    CComplexMatrix Q = Num(Part(out, 0)), H = Num(Part(out, 1));
    EXPECT_LT(OrthonormalError(Q), kTol);
    EXPECT_LT(MaxDiff(Q * H * Adj(Q), A), 1e-12);
    EXPECT_EQ(BelowDiagonal(H, 1), 0.0);
}

TEST_F(Decomposition, QrForms)
{
    for (const Shape& s : kShapes) {
        SCOPED_TRACE(testing::Message() << s.m << "x" << s.n);
        CComplexMatrix A = Sample(s.m, s.n, s.complex, 3);
        CValue x = Val(A), y, qr, qre;
        ASSERT_EQ(BuiltinQr(&x, &y), 0);
        EXPECT_EQ(Num(y).Rows(), s.m);
        EXPECT_EQ(Num(y).Cols(), s.n);

        ASSERT_EQ(BuiltinQrQR(&x, &qr), 0);
        CComplexMatrix Q = Num(Part(qr, 0)), R = Num(Part(qr, 1));
        EXPECT_EQ(Q.Rows(), s.m);
        EXPECT_EQ(Q.Cols(), s.m);
        EXPECT_EQ(R.Rows(), s.m);
        EXPECT_EQ(R.Cols(), s.n);
        EXPECT_LT(OrthonormalError(Q), kTol);
        EXPECT_EQ(BelowDiagonal(R), 0.0);
        EXPECT_LT(MaxDiff(Q * R, A), kTol);
        // R's upper part is the factored array's.
        for (int i = 0; i < s.m; i++)
            for (int j = i; j < s.n; j++) EXPECT_EQ(MaxDiff(CComplexMatrix(1, 1, R.Cell(i, j)),
                                                           CComplexMatrix(1, 1, Num(y).Cell(i, j))), 0.0);

        ASSERT_EQ(BuiltinQrQRE(&x, &qre), 0);
        Q = Num(Part(qre, 0));
        R = Num(Part(qre, 1));
        CComplexMatrix E = Num(Part(qre, 2));
        ASSERT_EQ(E.Rows(), s.n);
        ASSERT_EQ(E.Cols(), s.n);
        for (int j = 0; j < s.n; j++) {
            double colSum = 0;
            for (int i = 0; i < s.n; i++) {
                EXPECT_TRUE(E.Cell(i, j).re == 0.0 || E.Cell(i, j).re == 1.0);
                colSum += E.Cell(i, j).re;
            }
            EXPECT_EQ(colSum, 1.0);
        }
        EXPECT_LT(OrthonormalError(Q), kTol);
        EXPECT_LT(MaxDiff(A * E, Q * R), kTol);
        for (int i = 1; i < std::min(s.m, s.n); i++)
            EXPECT_LE(ComplexAbsOf(R.Cell(i, i)), ComplexAbsOf(R.Cell(i - 1, i - 1)) + kTol);
    }
    CValue s(std::string("ab")), out;
    EXPECT_EQ(BuiltinQr(&s, &out), ERR_ARGUMENT_TYPE);
    EXPECT_TRUE(cap.messages.empty());
}

TEST_F(Decomposition, Cholesky)
{
    const struct {
        CComplexMatrix x;
    } cases[] = {{Num(Mat({{4, 2}, {2, 3}}))}, {[] {
                     CComplexMatrix m(2, 2);
                     m.Cell(0, 0) = Complex(2, 0);
                     m.Cell(0, 1) = Complex(0, 1);
                     m.Cell(1, 0) = Complex(0, -1);
                     m.Cell(1, 1) = Complex(2, 0);
                     return m;
                 }()}};
    for (const auto& c : cases) {
        CValue x = Val(c.x), out;
        ASSERT_EQ(BuiltinChol(&x, &out), 0);
        CComplexMatrix R = Num(out);
        EXPECT_EQ(BelowDiagonal(R), 0.0);
        EXPECT_LT(MaxDiff(Adj(R) * R, c.x), kTol);
    }
    CValue v;
    ASSERT_EQ(Eval("chol([4,2;2,3])", v), 0);

    CValue indefinite = Mat({{1, 2}, {2, 1}}), out;
    EXPECT_EQ(BuiltinChol(&indefinite, &out), ERR_INTERNAL);
    EXPECT_EQ(cap.Text(), "Error: Cholesky: Matrix must be positive definite");

    cap.Reset();
    ASSERT_EQ(BuiltinCholRP(&indefinite, &out), 0);
    EXPECT_TRUE(cap.messages.empty());
    EXPECT_EQ(vb::Text(Part(out, 0)), "[1+0i]");
    EXPECT_EQ(vb::Text(Part(out, 1)), "2");

    CValue spd = Mat({{4, 2}, {2, 3}});
    ASSERT_EQ(BuiltinCholRP(&spd, &out), 0);
    EXPECT_EQ(vb::Text(Part(out, 1)), "0");
    EXPECT_EQ(Num(Part(out, 0)).Rows(), 2);

    CValue wide = Mat({{1, 2, 3}, {4, 5, 6}});
    EXPECT_EQ(BuiltinChol(&wide, &out), ERR_ARGUMENT_TYPE);
    EXPECT_EQ(cap.Text(), "Error: Argument must be square matrix");
}

TEST_F(Decomposition, Eigenvalues)
{
    CValue v;
    ASSERT_EQ(Eval("eig([2,0;0,3])", v), 0);
    EXPECT_EQ(vb::Text(v), "[2+0i,3+0i]");

    CComplexMatrix A = Sample(4, 4, false, 5);
    CValue x = Val(A), out;
    ASSERT_EQ(BuiltinEig(&x, &out), 0);
    CComplexMatrix V = Num(Part(out, 0)), D = Num(Part(out, 1));
    EXPECT_EQ(BelowDiagonal(D), 0.0);
    EXPECT_EQ(BelowDiagonal(Adj(D)), 0.0);
    EXPECT_LT(MaxDiff(A * V, V * D), 1e-12);

    // Generalized: X V = Y V D.
    CComplexMatrix B = Sample(4, 4, true, 7);
    CValue y = Val(B);
    ASSERT_EQ(BuiltinEig2(&x, &y, &out), 0);
    V = Num(Part(out, 0));
    D = Num(Part(out, 1));
    EXPECT_LT(MaxDiff(A * V, B * V * D), 1e-10);
    CValue row;
    ASSERT_EQ(BuiltinEig2Values(&x, &y, &row), 0);
    CComplexMatrix W = Num(row);
    ASSERT_EQ(W.Rows(), 1);
    for (int i = 0; i < 4; i++) EXPECT_LT(MaxDiff(CComplexMatrix(1, 1, W.Cell(0, i)), CComplexMatrix(1, 1, D.Cell(i, i))), 1e-12);
    EXPECT_TRUE(cap.messages.empty());
}

TEST_F(Decomposition, EigenvalueArgumentErrors)
{
    CValue sq = Mat({{1, 2}, {3, 4}}), row = Mat({{1, 2}}), big = Mat({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}), out;
    CValue str = Mat({{1, 2}, {3, 4}});
    str.Matrix().Cell(1, 1) = CValue(std::string("ab"));
    const struct {
        CValue* x;
        CValue* y;
        StatusWord status;
        const char* message;
    } cases[] = {
        {&row, nullptr, ERR_ARGUMENT_TYPE, "Error: Argument must be square matrix"},
        {&str, nullptr, ERR_MATRIX_ARGUMENT, ""},
        {&row, &row, ERR_ARGUMENT_TYPE, "Error: First argument must be a square matrix"},
        {&sq, &row, ERR_ARGUMENT_TYPE, "Error: Second argument must be a square matrix"},
        {&sq, &big, ERR_FUNCTION_ARGUMENTS, "Error: Matrices must be a same sizes"},
        {&sq, &str, ERR_MATRIX_ARGUMENT, ""},
    };
    for (const auto& c : cases) {
        cap.Reset();
        StatusWord st = c.y ? BuiltinEig2Values(c.x, c.y, &out) : BuiltinEigValues(c.x, &out);
        EXPECT_EQ(st, c.status) << c.message;
        EXPECT_EQ(cap.Text(), c.message);
    }
}

TEST_F(Decomposition, ReciprocalCondition)
{
    EXPECT_EQ(EvalReal("rcond([1,0,0;0,1,0;0,0,1])"), 1.0);
    // 1 / (||A||1 ||A^-1||1) = 1 / (6 * 3.5).
    EXPECT_NEAR(EvalReal("rcond([1,2;3,4])"), 1.0 / 21.0, 1e-12);
    EXPECT_EQ(EvalReal("rcond([1,2;2,4])"), 0.0);
    CValue s = Mat({{1, 2}}), out;
    EXPECT_EQ(BuiltinRcond(&s, &out), ERR_ARGUMENT_TYPE);
    EXPECT_EQ(cap.Text(), "Error: Argument must be square matrix");
}

TEST_F(Decomposition, QzFactorization)
{
    for (bool complex : {false, true}) {
        SCOPED_TRACE(complex ? "complex" : "real");
        CComplexMatrix A = Sample(3, 3, complex, 2), B = Sample(3, 3, complex, 9);
        CValue x = Val(A), y = Val(B), none, out;
        ASSERT_EQ(BuiltinQz(&x, &y, &none, &out), 0);
        CComplexMatrix XX = Num(Part(out, 0)), YY = Num(Part(out, 1)), Q = Num(Part(out, 2)), Z = Num(Part(out, 3));
        EXPECT_LT(OrthonormalError(Q), kTol);
        EXPECT_LT(OrthonormalError(Z), kTol);
        EXPECT_LT(MaxDiff(Q * XX * Adj(Z), A), 1e-12);
        EXPECT_LT(MaxDiff(Q * YY * Adj(Z), B), 1e-12);
        EXPECT_EQ(BelowDiagonal(YY), 0.0);
        EXPECT_EQ(BelowDiagonal(XX, complex ? 0 : 1), 0.0);
    }
    // 'c' forces the complex form on real matrices: both triangular.
    CValue x = Mat({{0, 1}, {-1, 0}}), y = Mat({{1, 0}, {0, 1}}), c('c'), bad('x'), out;
    ASSERT_EQ(BuiltinQz(&x, &y, &c, &out), 0);
    EXPECT_LT(BelowDiagonal(Num(Part(out, 0))), kTol);
    EXPECT_EQ(BuiltinQz(&x, &y, &bad, &out), ERR_MATRIX_ARGUMENT);
    EXPECT_TRUE(cap.messages.empty());
    CValue small = Mat({{1}}), none;
    EXPECT_EQ(BuiltinQz(&x, &small, &none, &out), ERR_ARGUMENT_TYPE);
    EXPECT_EQ(cap.Text(), "Error: Arguments must be a square matrices of same sizes");
}

TEST_F(Decomposition, SquareShapeMessages)
{
    CValue wide = Mat({{1, 2, 3}, {4, 5, 6}}), none, out;
    StatusWord (*handlers[])(CValue*, CValue*) = {BuiltinSchurT, BuiltinHess, BuiltinChol, BuiltinCholRP,
                                                  BuiltinEig, BuiltinRcond};
    for (auto h : handlers) {
        cap.Reset();
        EXPECT_EQ(h(&wide, &out), ERR_ARGUMENT_TYPE);
        EXPECT_EQ(cap.Text(), "Error: Argument must be square matrix");
    }
    cap.Reset();
    EXPECT_EQ(BuiltinSchur(&wide, &none, &out), ERR_ARGUMENT_TYPE);
    EXPECT_EQ(cap.Text(), "Error: Argument must be square matrix");

    CValue str = Mat({{1, 2}, {3, 4}});
    str.Matrix().Cell(0, 0) = CValue(std::string("ab"));
    const struct {
        StatusWord (*h)(CValue*, CValue*);
        const char* message;
    } cells[] = {{BuiltinSchurT, "Error: Argument must be complex square matrix"},
                 {BuiltinHess, "Error: Argument must be complex square matrix"},
                 {BuiltinChol, ""},
                 {BuiltinRcond, ""}};
    for (const auto& c : cells) {
        cap.Reset();
        EXPECT_EQ(c.h(&str, &out), ERR_ARGUMENT_TYPE);
        EXPECT_EQ(cap.Text(), c.message);
    }
    cap.Reset();
    EXPECT_EQ(BuiltinSchur(&str, &none, &out), ERR_ARGUMENT_TYPE);
    EXPECT_EQ(cap.Text(), "Error: Argument must be complex or real square matrix");
}

}  // namespace

namespace {

using namespace mt;

// The eigenvalue, Schur, singular value and QZ drivers are not defined on INF
// or NAN (they looped for ever or freed memory they never had): every form
// refuses such a matrix, naming itself, before LAPACK sees it.
TEST_F(MatrixLibTest, IterativeDriversRefuseNonFiniteCells)
{
    CValue none, c('c'), r('r');
    const CValue good = Val(Sample(3, 3, false, 4));
    for (double bad : {NAN, INFINITY, -INFINITY}) {
        CComplexMatrix A = Sample(3, 3, false);
        A.Cell(2, 0) = Complex(bad, 0.0);
        CComplexMatrix Z = Sample(3, 3, true);
        Z.Cell(0, 2) = Complex(1.0, bad);
        for (const CComplexMatrix* m : {&A, &Z}) {
            const struct {
                const char* prefix;
                std::function<StatusWord(CValue&, CValue&)> call;
            } cases[] = {
                {"Svd", [](CValue& x, CValue& out) { return BuiltinSvd(&x, &out); }},
                {"Svd", [](CValue& x, CValue& out) { return BuiltinSvd0(&x, &out); }},
                {"Svd", [](CValue& x, CValue& out) { return BuiltinSvdValues(&x, &out); }},
                {"pinv", [&](CValue& x, CValue& out) { return BuiltinPinv(&x, &none, &out); }},
                {"Schur", [&](CValue& x, CValue& out) { return BuiltinSchur(&x, &none, &out); }},
                {"Schur", [&](CValue& x, CValue& out) { return BuiltinSchur(&x, &c, &out); }},
                {"Schur", [](CValue& x, CValue& out) { return BuiltinSchurT(&x, &out); }},
                {"Eig", [](CValue& x, CValue& out) { return BuiltinEig(&x, &out); }},
                {"Eig", [](CValue& x, CValue& out) { return BuiltinEigValues(&x, &out); }},
                {"Eig generalized", [&](CValue& x, CValue& out) {
                     CValue y = good;
                     return BuiltinEig2(&x, &y, &out);
                 }},
                {"Eig generalized", [&](CValue& x, CValue& out) {
                     CValue y = good;
                     return BuiltinEig2Values(&y, &x, &out);
                 }},
                {"qz", [&](CValue& x, CValue& out) {
                     CValue y = good;
                     return BuiltinQz(&x, &y, &none, &out);
                 }},
                {"qz", [&](CValue& x, CValue& out) {
                     CValue y = good;
                     return BuiltinQz(&y, &x, &c, &out);
                 }},
            };
            for (const auto& k : cases) {
                SCOPED_TRACE(k.prefix);
                cap.Reset();
                CValue x = Val(*m), out;
                EXPECT_EQ(k.call(x, out), ERR_INTERNAL);
                EXPECT_EQ(cap.Text(), std::string("Error: ") + k.prefix + ": Matrix holds INF or NAN");
            }
        }
    }
    // The norm and rank built on the singular values give INF, or NAN where a cell is NAN, without the driver.
    cap.Reset();
    CValue v;
    ASSERT_EQ(Eval("norm([1, INF; 2, 3], 2)", v), 0);
    EXPECT_EQ(v.GetComplex().re, INFINITY);
    ASSERT_EQ(Eval("norm([1, NAN; 2, INF], 2)", v), 0);
    EXPECT_TRUE(std::isnan(v.GetComplex().re));
    ASSERT_EQ(Eval("rank([1, INF; 2, 3])", v), 0);
    EXPECT_EQ(v.GetComplex().re, 0.0);
    EXPECT_TRUE(cap.messages.empty()) << cap.Text();
}

// Iterative drivers run where Stop ends them whatever the matrix's size: on a
// program thread whose stop is asked, even a 3 x 3 call ends with the stop status.
TEST_F(MatrixLibTest, AStopEndsIterativeCallsOfAnySize)
{
    std::atomic<uint8_t> stop{1};
    SetThreadStopFlag(&stop);
    CValue none, out;
    CValue x = Val(Sample(3, 3, false)), y = Val(Sample(3, 3, false, 4));
    EXPECT_EQ(BuiltinEigValues(&x, &out), ERR_STOPPED);
    EXPECT_EQ(BuiltinEig(&x, &out), ERR_STOPPED);
    EXPECT_EQ(BuiltinEig2Values(&x, &y, &out), ERR_STOPPED);
    EXPECT_EQ(BuiltinSvdValues(&x, &out), ERR_STOPPED);
    EXPECT_EQ(BuiltinSchur(&x, &none, &out), ERR_STOPPED);
    EXPECT_EQ(BuiltinSchurT(&x, &out), ERR_STOPPED);
    EXPECT_EQ(BuiltinQz(&x, &y, &none, &out), ERR_STOPPED);
    EXPECT_EQ(BuiltinPinv(&x, &none, &out), ERR_STOPPED);
    // Without a stop the same calls run to their end (on the helper thread).
    stop = 0;
    EXPECT_EQ(BuiltinEigValues(&x, &out), 0);
    EXPECT_EQ(out.Matrix().Cols(), 3);
    EXPECT_EQ(BuiltinQz(&x, &y, &none, &out), 0);
    SetThreadStopFlag(nullptr);
    EXPECT_TRUE(cap.messages.empty()) << cap.Text();
}

// Non-finite cells end every handler with a result or a reported failure.
TEST_F(MatrixLibTest, NonFiniteCellsEndCleanly)
{
    for (double bad : {NAN, INFINITY}) {
        CComplexMatrix A = Sample(3, 3, false);
        A.Cell(1, 1) = Complex(bad, 0.0);
        StatusWord (*one[])(CValue*, CValue*) = {BuiltinSvd,  BuiltinSvd0, BuiltinSvdValues, BuiltinSchurT,
                                                 BuiltinHess, BuiltinQr,   BuiltinQrQR,      BuiltinQrQRE,
                                                 BuiltinChol, BuiltinCholRP, BuiltinEig,     BuiltinEigValues,
                                                 BuiltinRcond, BuiltinDet, BuiltinInv,       BuiltinOrth,
                                                 BuiltinLu,   BuiltinSvdOld, BuiltinEign,    BuiltinEignValues,
                                                 BuiltinExpm, BuiltinLogm, BuiltinSqrtm};
        for (auto h : one) {
            CValue x = Val(A), out;
            StatusWord st = h(&x, &out);
            EXPECT_TRUE(st == 0 || st == ERR_INTERNAL || st == ERR_ARGUMENT_TYPE) << st;
        }
        CValue x = Val(A), y = Val(Sample(3, 3, false, 4)), none, out;
        BuiltinPinv(&x, &none, &out);
        BuiltinSchur(&x, &none, &out);
        BuiltinEig2(&x, &y, &out);
        BuiltinQz(&x, &y, &none, &out);
        CValue fun(std::string("exp"));
        BuiltinFunm(&x, &fun, &out, &block);
    }
}

}  // namespace
