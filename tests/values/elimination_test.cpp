#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "support/capture.h"
#include "values/lapack.h"
#include "values/elimination.h"
#include "values/numeric_matrix.h"

namespace {

CComplexMatrix Real(std::initializer_list<std::initializer_list<double>> rows)
{
    CComplexMatrix m;
    int i = 0;
    for (const auto& r : rows) {
        int j = 0;
        for (double x : r) *m.At(i, j++) = Complex(x, 0);
        i++;
    }
    return m;
}

CComplexMatrix Random(std::mt19937& gen, int rows, int cols, bool complex)
{
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    CComplexMatrix m(rows, cols);
    for (int i = 0; i < rows; i++)
        for (int j = 0; j < cols; j++) m.Cell(i, j) = Complex(u(gen), complex ? u(gen) : 0.0);
    return m;
}

// Largest cell modulus of a - b.
double MaxDiff(const CComplexMatrix& a, const CComplexMatrix& b)
{
    EXPECT_EQ(a.Rows(), b.Rows());
    EXPECT_EQ(a.Cols(), b.Cols());
    double d = 0;
    for (int i = 0; i < a.Rows() && i < b.Rows(); i++)
        for (int j = 0; j < a.Cols() && j < b.Cols(); j++) {
            Complex t;
            ComplexDifference(t, a.Cell(i, j), b.Cell(i, j));
            d = std::max(d, ComplexAbsOf(t));
        }
    return d;
}

CComplexMatrix Identity(int n)
{
    CComplexMatrix m(n, n);
    m.MakeIdentity();
    return m;
}

// Column-major copy with spare cells after it: small BLAS kernels read past the end.
constexpr size_t kPad = 8;
std::vector<Complex> PaddedColumnMajor(const CComplexMatrix& m)
{
    std::vector<Complex> a((size_t)m.Rows() * (size_t)m.Cols() + kPad);
    for (int j = 0; j < m.Cols(); j++)
        for (int i = 0; i < m.Rows(); i++) a[(size_t)j * m.Rows() + i] = m.Cell(i, j);
    return a;
}

// LAPACK's solution of A X = B.
CComplexMatrix LapackSolve(const CComplexMatrix& a, const CComplexMatrix& b)
{
    std::vector<Complex> pa = PaddedColumnMajor(a), pb = PaddedColumnMajor(b);
    int n = a.Rows(), nrhs = b.Cols(), info = 0;
    std::vector<int> ipiv(n + kPad);
    zgesv_(&n, &nrhs, pa.data(), &n, ipiv.data(), pb.data(), &n, &info);
    EXPECT_EQ(info, 0);
    CComplexMatrix x;
    UnpackColumnMajor(pb.data(), n, nrhs, x);
    return x;
}

// LAPACK's determinant through its LU factors.
Complex LapackDet(const CComplexMatrix& a)
{
    std::vector<Complex> pa = PaddedColumnMajor(a);
    int n = a.Rows(), info = 0;
    std::vector<int> ipiv(n + kPad);
    zgetrf_(&n, &n, pa.data(), &n, ipiv.data(), &info);
    Complex det(1, 0);
    for (int i = 0; i < n; i++) {
        ComplexProduct(det, det, pa[(size_t)i * n + i]);
        if (ipiv[i] != i + 1) ComplexNegate(det, det);
    }
    return det;
}

}  // namespace

TEST(Determinant, SmallCases)
{
    CCaptureStream cap;
    struct Case {
        CComplexMatrix a;
        double want;
    } cases[] = {
        {Real({{1, 2}, {3, 4}}), -2},  // one row exchange
        {Real({{0, 1}, {1, 0}}), -1},
        {Real({{1, 0, 2}, {3, 0, 4}, {5, 0, 6}}), 0},  // zero column: no message
        {Real({{7}}), 7},
    };
    for (Case& c : cases) {
        Complex d = c.a.DetValue();
        EXPECT_EQ(d.re, c.want);
        EXPECT_EQ(d.im, 0);
    }
    EXPECT_TRUE(cap.messages.empty());

    // Det works on the matrix itself and returns the cell it filled.
    CComplexMatrix w = Real({{1, 2}, {3, 4}});
    Complex out(5, 5);
    EXPECT_EQ(&w.Det(out), &out);
    EXPECT_EQ(out.re, -2);
    EXPECT_EQ(w.Cell(0, 0).re, 3);  // left reduced, rows exchanged

    Complex bad(9, 9);
    CComplexMatrix rect(2, 3, {1, 0});
    rect.Det(bad);
    EXPECT_EQ(bad.re, 0);
    EXPECT_EQ(bad.im, 0);
    CComplexMatrix empty;
    empty.Det(bad);
    ASSERT_EQ(cap.messages.size(), 2u);
    EXPECT_EQ(cap.messages[0], "Error: Argument of det function must be a square matrix vs (2,3)");
    EXPECT_EQ(cap.messages[1], "Error: Argument of det function must be a square matrix vs (0,0)");
}

TEST(Determinant, AgreesWithLapack)
{
    std::mt19937 gen(7);
    for (int n = 1; n <= 7; n++)
        for (bool complex : {false, true}) {
            CComplexMatrix a = Random(gen, n, n, complex);
            Complex mine = a.DetValue(), ref = LapackDet(a), diff;
            ComplexDifference(diff, mine, ref);
            EXPECT_LE(ComplexAbsOf(diff), 1e-13 * std::max(1.0, ComplexAbsOf(ref))) << n;
        }
}

// The running product keeps its power of two apart: partial products beyond
// the range do not spoil a determinant inside it, and one beyond the range is
// an infinity of its sign with an exactly zero imaginary part, never NaN.
TEST(Determinant, KeepsItsExponentApart)
{
    const double inf = INFINITY;
    struct Case {
        CComplexMatrix a;
        double want;
    } cases[] = {
        {Real({{1e300, 0, 0}, {0, 1e300, 0}, {0, 0, 1e-300}}), 1e300},
        {Real({{0, 1e200, 0}, {1e200, 0, 0}, {0, 0, 1e-300}}), -1e100},
        {Real({{1e-300, 0, 0}, {0, 1e-300, 0}, {0, 0, 1e300}}), 1e-300},
        {Real({{1e200, 0, 0}, {0, 1e200, 0}, {0, 0, 1e200}}), inf},
        {Real({{-1e200, 0, 0}, {0, 1e200, 0}, {0, 0, 1e200}}), -inf},
        {Real({{0, 1e200, 0}, {1e200, 0, 0}, {0, 0, 1e200}}), -inf},
        {Real({{1e-200, 0}, {0, 1e-200}}), 0},
        {Real({{1e-160, 0}, {0, 1e-160}}), 1e-320},  // subnormal, rounded once
    };
    for (Case& c : cases) {
        const Complex d = c.a.DetValue();
        if (std::isinf(c.want) || c.want == 0)
            EXPECT_EQ(d.re, c.want) << c.want;
        else
            EXPECT_NEAR(d.re, c.want, std::max(1e-15 * std::fabs(c.want), 1e-323)) << c.want;
        EXPECT_EQ(d.im, 0) << c.want;
    }
    // A complex determinant beyond the range: each part its own infinity.
    CComplexMatrix z = Real({{1e300, 0}, {0, 1e300}});
    z.Cell(1, 1) = Complex(1e300, 1e300);
    const Complex d = z.DetValue();
    EXPECT_EQ(d.re, inf);
    EXPECT_EQ(d.im, inf);
    // In range the product is the plain one, bit for bit.
    std::mt19937 gen(11);
    for (int n = 2; n <= 6; n++) {
        CComplexMatrix a = Random(gen, n, n, n % 2 == 0), w(a);
        Complex plain(1, 0);
        for (int k = 0; k < n; k++) {
            const int e = w.PivotRow(k);
            if (e > 0) ComplexNegate(plain, plain);
            plain = Complex(plain.re * w.Cell(k, k).re - plain.im * w.Cell(k, k).im,
                            plain.re * w.Cell(k, k).im + plain.im * w.Cell(k, k).re);
            for (int i = k + 1; i < n; i++) {
                Complex f;
                ComplexQuotient(f, w.Cell(i, k), w.Cell(k, k));
                for (int c = k + 1; c < n; c++) {
                    const Complex t(f.re * w.Cell(k, c).re - f.im * w.Cell(k, c).im,
                                    f.re * w.Cell(k, c).im + f.im * w.Cell(k, c).re);
                    w.Cell(i, c) = Complex(w.Cell(i, c).re - t.re, w.Cell(i, c).im - t.im);
                }
            }
        }
        const Complex mine = a.DetValue();
        EXPECT_EQ(mine.re, plain.re) << n;
        EXPECT_EQ(mine.im, plain.im) << n;
    }
}

TEST(PivotRow, Results)
{
    CComplexMatrix m = Real({{1, 0}, {-1, 2}, {3, 0}});
    EXPECT_EQ(m.PivotRow(0), 2);  // exchanged in
    EXPECT_EQ(m.Cell(0, 0).re, 3);
    CComplexMatrix tie = Real({{1, 0}, {-1, 2}});
    EXPECT_EQ(tie.PivotRow(0), 0);  // equal moduli: the first stays
    CComplexMatrix zero = Real({{1, 0}, {0, 0}, {0, 0}});
    EXPECT_EQ(zero.PivotRow(1), -1);
}

TEST(LUFactorization, ShapesAndFactors)
{
    std::mt19937 gen(11);
    const int shapes[][2] = {{3, 2}, {2, 3}, {4, 4}, {1, 3}, {5, 1}};
    for (auto& s : shapes)
        for (bool complex : {false, true}) {
            CComplexMatrix a = Random(gen, s[0], s[1], complex), L, U, P;
            ASSERT_EQ(a.LU(L, U, P), 0);
            int m = s[0], n = s[1], k = std::min(m, n);
            ASSERT_EQ(L.Rows(), m);
            ASSERT_EQ(L.Cols(), k);
            ASSERT_EQ(U.Rows(), k);
            ASSERT_EQ(U.Cols(), n);
            ASSERT_EQ(P.Rows(), m);
            ASSERT_EQ(P.Cols(), m);
            for (int i = 0; i < m; i++)
                for (int j = 0; j < k; j++) {
                    double mod = ComplexAbsOf(L.Cell(i, j));
                    double want = j > i ? 0.0 : j == i ? 1.0 : mod;
                    EXPECT_EQ(mod, want) << i << "," << j;
                    EXPECT_LE(mod, 1.0 + 1e-15);  // partial pivoting bounds the multipliers
                }
            for (int i = 0; i < k; i++)
                for (int j = 0; j < i; j++) {
                    EXPECT_EQ(ComplexAbsOf(U.Cell(i, j)), 0);
                }
            EXPECT_LE(MaxDiff(P * a, L * U), 1e-14) << m << "x" << n;
        }
}

TEST(LUFactorization, EdgeCases)
{
    CCaptureStream cap;
    CComplexMatrix L, U, P;
    ASSERT_EQ(Real({{0, 0}, {0, 0}}).LU(L, U, P), 0);
    EXPECT_EQ(MaxDiff(L, Identity(2)), 0);
    EXPECT_EQ(MaxDiff(U, CComplexMatrix(2, 2)), 0);
    EXPECT_EQ(MaxDiff(P, Identity(2)), 0);
    EXPECT_TRUE(cap.messages.empty());

    // Equal moduli in the pivot column: the first row stays.
    ASSERT_EQ(Real({{1, 2}, {-1, 3}}).LU(L, U, P), 0);
    EXPECT_EQ(MaxDiff(P, Identity(2)), 0);

    // A real matrix picks the same pivots as LAPACK, so U matches it.
    CComplexMatrix a = Real({{2, -1, 0, 3}, {4, 1, -2, 0}, {-6, 2, 1, 1}, {1, 5, 3, -2}});
    ASSERT_EQ(a.LU(L, U, P), 0);
    std::vector<Complex> pa = PaddedColumnMajor(a);
    int n = 4, info = 0;
    std::vector<int> ipiv(n + kPad);
    zgetrf_(&n, &n, pa.data(), &n, ipiv.data(), &info);
    ASSERT_EQ(info, 0);
    for (int i = 0; i < 4; i++)
        for (int j = i; j < 4; j++) EXPECT_NEAR(U.Cell(i, j).re, pa[j * 4 + i].re, 1e-14);

    EXPECT_EQ(CComplexMatrix().LU(L, U, P), 10);
    ASSERT_EQ(cap.messages.size(), 1u);
    EXPECT_EQ(cap.messages[0], "Error: Argument of LU factorization is non-empty matrix");
}

TEST(Inverse, PermutationCyclesInvertExactly)
{
    // Column pivoting permutes along cycles of 2, 3 and 4; each inverse is the transpose.
    const std::vector<std::vector<int>> perms = {{1, 0}, {1, 2, 0}, {1, 2, 3, 0}, {3, 0, 1, 2}, {1, 0, 3, 4, 2}};
    CCaptureStream cap;
    for (const auto& p : perms) {
        int n = (int)p.size();
        CComplexMatrix a(n, n);
        for (int i = 0; i < n; i++) a.Cell(i, p[i]) = Complex(1, 0);
        CComplexMatrix inv(a), t(a);
        ASSERT_EQ(inv.Invert(), 0);
        t.Transpose();
        EXPECT_EQ(MaxDiff(inv, t), 0) << "n = " << n;
    }
    EXPECT_TRUE(cap.messages.empty());
}

TEST(Inverse, RandomSweepResidualAndLapack)
{
    CCaptureStream cap;
    std::mt19937 gen(2024);
    for (int trial = 0; trial < 60; trial++) {
        int n = 1 + trial % 8;
        CComplexMatrix a = Random(gen, n, n, trial % 2 == 1), inv(a);
        ASSERT_EQ(inv.Invert(), 0);
        EXPECT_LT(MaxDiff(a * inv, Identity(n)), 1e-12) << "trial " << trial;
        EXPECT_LT(MaxDiff(inv * a, Identity(n)), 1e-12) << "trial " << trial;

        std::vector<Complex> pa = PaddedColumnMajor(a);
        int info = 0, lwork = 64 * n;
        std::vector<int> ipiv(n + kPad);
        std::vector<Complex> work(lwork + kPad);
        zgetrf_(&n, &n, pa.data(), &n, ipiv.data(), &info);
        zgetri_(&n, pa.data(), &n, ipiv.data(), work.data(), &lwork, &info);
        ASSERT_EQ(info, 0);
        CComplexMatrix ref;
        UnpackColumnMajor(pa.data(), n, n, ref);
        EXPECT_LT(MaxDiff(inv, ref), 1e-10) << "trial " << trial;
    }
    EXPECT_TRUE(cap.messages.empty());
}

TEST(Inverse, NearSingularWarnsOncePerInversion)
{
    CCaptureStream cap;
    CComplexMatrix a = Real({{1, 2}, {2, 4}});
    EXPECT_EQ(a.Invert(), 0);
    bool nonFinite = false;
    for (int i = 0; i < 2; i++)
        for (int j = 0; j < 2; j++) nonFinite |= !IsComplexFinite(a.Cell(i, j));
    EXPECT_TRUE(nonFinite);
    CComplexMatrix z(3, 3);  // every pivot is 0: still one warning
    EXPECT_EQ(z.Invert(), 0);
    ASSERT_EQ(cap.messages.size(), 2u);
    EXPECT_EQ(cap.messages[0], "Warning: Inverse: Matrix is close to singular or badly scaled");
    EXPECT_EQ(cap.messages[1], cap.messages[0]);

    cap.Reset();
    CComplexMatrix tiny = Real({{1e-17, 0}, {0, 1}});  // below the threshold, yet invertible
    EXPECT_EQ(tiny.Invert(), 0);
    EXPECT_EQ(cap.messages.size(), 1u);
    EXPECT_EQ(tiny.Cell(0, 0).re, 1e17);

    cap.Reset();
    CComplexMatrix rect(2, 3);
    EXPECT_EQ(rect.Invert(), 10);
    ASSERT_EQ(cap.messages.size(), 1u);
    EXPECT_EQ(cap.messages[0], "Error: Inversion of not-square matrix");
}

TEST(LinearSolve, RotationsHandleNonRealPairs)
{
    // a = 1, b = i: a^2 + b^2 = 0, where a non-unitary rotation divides by zero.
    CComplexMatrix a(2, 2), b(2, 1), x;
    a.Cell(0, 0) = {1, 0};
    a.Cell(0, 1) = {2, 0};
    a.Cell(1, 0) = {0, 1};
    a.Cell(1, 1) = {1, 0};
    b.Cell(0, 0) = {3, 0};
    b.Cell(1, 0) = {1, 1};
    ASSERT_EQ(a.SolveX(b, x), 0);
    ASSERT_TRUE(IsComplexFinite(x.Cell(0, 0)) && IsComplexFinite(x.Cell(1, 0)));
    EXPECT_LT(MaxDiff(a * x, b), 1e-14);
    EXPECT_LT(MaxDiff(x, LapackSolve(a, b)), 1e-14);
}

TEST(LinearSolve, BothSolversAgreeWithLapack)
{
    std::mt19937 gen(99);
    for (int trial = 0; trial < 40; trial++) {
        int n = 1 + trial % 7;
        bool complex = trial % 2 == 1;
        CComplexMatrix a = Random(gen, n, n, complex), b1 = Random(gen, n, 1, complex),
                       b3 = Random(gen, n, 3, !complex), x;
        ASSERT_EQ(a.SolveX(b1, x), 0);
        EXPECT_EQ(x.Cols(), 1);
        EXPECT_LT(MaxDiff(x, LapackSolve(a, b1)), 1e-10) << "trial " << trial;
        ASSERT_EQ(a.Solve(b3, x), 0);
        EXPECT_EQ(x.Cols(), 3);
        EXPECT_LT(MaxDiff(x, LapackSolve(a, b3)), 1e-10) << "trial " << trial;
    }
    // Zero pairs below the diagonal take the identity rotation.
    CComplexMatrix upper = Real({{2, 1}, {0, 4}}), rhs = Real({{4}, {8}}), x;
    ASSERT_EQ(upper.SolveX(rhs, x), 0);
    EXPECT_EQ(MaxDiff(x, Real({{1}, {2}})), 0);
}

TEST(LinearSolve, ShapeMessages)
{
    CCaptureStream cap;
    const char* text = "Error: Solving a system of linear equations, matrices must be agree";
    CComplexMatrix a = Real({{1, 2}, {3, 4}}), x;
    EXPECT_EQ(a.SolveX(Real({{1, 2}, {3, 4}}), x), 10);  // two right-hand columns
    EXPECT_EQ(a.SolveX(Real({{1}, {2}, {3}}), x), 10);
    EXPECT_EQ(Real({{1, 2}}).SolveX(Real({{1}}), x), 10);
    EXPECT_EQ(a.Solve(Real({{1, 2}}), x), 10);
    EXPECT_EQ(Real({{1, 2, 3}, {4, 5, 6}}).Solve(Real({{1}, {2}}), x), 10);
    ASSERT_EQ(cap.messages.size(), 5u);
    for (const auto& m : cap.messages) EXPECT_EQ(m, text);

    cap.Reset();
    ASSERT_EQ(a.Solve(Real({{5, 1}, {11, 3}}), x), 0);  // two solution columns
    EXPECT_LT(MaxDiff(x, Real({{1, 1}, {2, 0}})), 1e-15);
    EXPECT_TRUE(cap.messages.empty());
}

// A singular matrix is reported by both solvers, consistent right-hand side
// or not: the rotations by a zero on the diagonal of their triangle, the
// elimination by a column without a non-zero pivot.
TEST(LinearSolve, BothSolversReportASingularMatrix)
{
    CCaptureStream cap;
    const struct {
        CComplexMatrix a, b;
        bool exactPivot;  // the elimination meets an exactly zero pivot
    } cases[] = {
        {Real({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}), Real({{1}, {1}, {1}}), false},  // consistent
        {Real({{1, 2}, {2, 4}}), Real({{1}, {3}}), true},                        // inconsistent
        {Real({{1, 2}, {2, 4}}), Real({{1}, {2}}), true},
        {Real({{0, 0}, {0, 0}}), Real({{0}, {0}}), true},
        {Real({{0, 1}, {0, 1}}), Real({{1}, {1}}), true},
        {Real({{1, 1, 1}, {1, 1, 1}, {1, 1, 1}}), Real({{1}, {1}, {1}}), true},
    };
    for (const auto& c : cases)
        for (bool rotations : {true, false}) {
            if (!rotations && !c.exactPivot) continue;  // rounding leaves a tiny pivot there
            cap.Reset();
            CComplexMatrix x = Real({{7}});
            EXPECT_EQ(rotations ? c.a.SolveX(c.b, x) : c.a.Solve(c.b, x), 10) << rotations;
            EXPECT_EQ(cap.messages, (std::vector<std::string>{"Error: The matrix is singular"}));
            EXPECT_EQ(x.Rows(), 1);  // untouched
        }
    // Nearly singular is still solved.
    cap.Reset();
    CComplexMatrix x;
    EXPECT_EQ(Real({{1, 2}, {2, 4 + 1e-12}}).Solve(Real({{1}, {2}}), x), 0);
    EXPECT_TRUE(cap.messages.empty());
}

// Rotations of pairs whose squares overflow or underflow are scaled first:
// well-conditioned systems at the ends of the range solve like [1, 2; 3, 4].
TEST(LinearSolve, RotationsScaleNearTheEndsOfTheRange)
{
    CCaptureStream cap;
    for (double s : {1e155, 1e-155, 1e-200, 1e300, 1e-300, 1e-305})
        for (bool complex : {false, true}) {
            CComplexMatrix a = Real({{1, 2}, {3, 4}}), b = Real({{1}, {1}}), x;
            if (complex) a.Cell(0, 1) = Complex(0, 2);
            CComplexMatrix unit;
            ASSERT_EQ(a.SolveX(b, unit), 0);
            for (int i = 0; i < 2; i++)
                for (int j = 0; j < 2; j++) a.Cell(i, j) = Complex(a.Cell(i, j).re * s, a.Cell(i, j).im * s);
            ASSERT_EQ(a.SolveX(b, x), 0) << s;
            for (int i = 0; i < 2; i++) {
                const Complex got(x.Cell(i, 0).re * s, x.Cell(i, 0).im * s);
                Complex d;
                ComplexDifference(d, got, unit.Cell(i, 0));
                EXPECT_LE(ComplexAbsOf(d), 1e-14 * ComplexAbsOf(unit.Cell(i, 0))) << s << " " << complex;
            }
        }
    EXPECT_TRUE(cap.messages.empty());
}

// The shared algorithms over a second cell kind: plain doubles in a real matrix.
namespace {
struct RealCellPolicy {
    using Cell = double;
    using Matrix = CRealMatrix;
    using Mag = double;
    static Mag Magnitude(Cell a) { return std::fabs(a); }
    static bool Greater(Mag a, Mag b) { return a > b; }
    static bool Below(Mag a, double t) { return a < t; }
    static bool IsZero(Cell a) { return a == 0; }
    static bool IsReal(Cell) { return true; }
    static void Assign(Cell& out, Cell a) { out = a; }
    static void SetReal(Cell& out, double x) { out = x; }
    static void Add(Cell& out, Cell a, Cell b) { out = a + b; }
    static void Sub(Cell& out, Cell a, Cell b) { out = a - b; }
    static void Mul(Cell& out, Cell a, Cell b) { out = a * b; }
    static void Div(Cell& out, Cell a, Cell b) { out = a / b; }
    static void Recip(Cell& out, Cell a) { out = 1 / a; }
    static void Neg(Cell& out, Cell a) { out = -a; }
    static void Conj(Cell& out, Cell a) { out = a; }
    static void Sqrt(Cell& out, Cell a) { out = std::sqrt(a); }
    static void Zeros(Matrix& m, int rows, int cols) { m.Fill(rows, cols, 0.0); }
    static void Identity(Matrix& m, int rows, int cols)
    {
        m.Fill(rows, cols, 0.0);
        for (int i = 0; i < rows && i < cols; i++) m.Cell(i, i) = 1;
    }
    static bool InProductRange(Cell a) { return elimination::parts::InProductRange(Complex(a, 0)); }
    static int Exponent(Cell a) { return elimination::parts::Exponent(Complex(a, 0)); }
    static void ScaleByPowerOfTwo(Cell& a, int e) { a = std::ldexp(a, e); }
    static bool ScaleRotationPair(Cell& as, Cell& bs, Cell a, Cell b)
    {
        Complex za, zb;
        if (!elimination::parts::ScaleRotationPair(za, zb, Complex(a, 0), Complex(b, 0))) return false;
        as = za.re;
        bs = zb.re;
        return true;
    }
};
}  // namespace

TEST(EliminationTemplate, WorksOverAnotherCellKind)
{
    CRealMatrix a(3, 3);
    double cells[3][3] = {{0, 2, 1}, {1, 0, 0}, {3, 1, 1}};
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++) a.Cell(i, j) = cells[i][j];
    CRealMatrix w(a);
    double det = 0;
    ASSERT_EQ(elimination::Determinant<RealCellPolicy>(w, det), 0);
    EXPECT_NEAR(det, -1, 1e-15);

    CRealMatrix inv(a);
    ASSERT_EQ(elimination::Invert<RealCellPolicy>(inv), 0);
    CRealMatrix b(3, 1), x, x2, L, U, P;
    b.Cell(0, 0) = 3;
    b.Cell(1, 0) = 1;
    b.Cell(2, 0) = 5;  // solution (1, 1, 1)
    ASSERT_EQ(elimination::SolveByRotations<RealCellPolicy>(a, b, x), 0);
    ASSERT_EQ(elimination::SolveByElimination<RealCellPolicy>(a, b, x2), 0);
    ASSERT_EQ(elimination::LU<RealCellPolicy>(a, L, U, P), 0);
    for (int i = 0; i < 3; i++) {
        EXPECT_NEAR(x.Cell(i, 0), 1, 1e-15);
        EXPECT_NEAR(x2.Cell(i, 0), 1, 1e-15);
        double s = 0;
        for (int k = 0; k < 3; k++) s += inv.Cell(i, k) * b.Cell(k, 0);
        EXPECT_NEAR(s, 1, 1e-14);
    }
    EXPECT_EQ(U.Cell(0, 0), 3);  // the largest of the first column is the pivot
}
