// Fourier transforms: the own radix-2 transform and the FFTW-bound fft/ifft.
#include <cmath>
#include <cstring>
#include <string>
#include <initializer_list>
#include <vector>

#include "matrix_support.h"

namespace {

using namespace mt;
using vb::Mat;

// The plain O(n^2) transform the fast ones must agree with.
std::vector<Complex> Dft(const std::vector<Complex>& x, bool inverse)
{
    const int n = (int)x.size();
    std::vector<Complex> y(n);
    for (int k = 0; k < n; k++) {
        double re = 0, im = 0;
        for (int j = 0; j < n; j++) {
            double t = (inverse ? 2 : -2) * M_PI * j * k / n;
            re += x[j].re * std::cos(t) - x[j].im * std::sin(t);
            im += x[j].re * std::sin(t) + x[j].im * std::cos(t);
        }
        y[k] = inverse ? Complex(re / n, im / n) : Complex(re, im);
    }
    return y;
}

class Fourier : public MatrixLibTest {
protected:
    void TearDown() override { SetFftwLoadingDisabled(false); }
};

TEST_F(Fourier, Radix2AgreesWithThePlainTransform)
{
    for (int n : {2, 4, 8, 16, 64}) {
        for (bool inverse : {false, true}) {
            std::vector<Complex> x(n), y(n);
            for (int j = 0; j < n; j++) x[j] = Complex(std::sin(1.3 * j + n), std::cos(0.7 * j * j));
            ASSERT_EQ(Radix2Transform(x.data(), n, y.data(), inverse), n);
            std::vector<Complex> ref = Dft(x, inverse);
            for (int k = 0; k < n; k++) {
                EXPECT_NEAR(y[k].re, ref[k].re, 1e-11) << n << " " << inverse << " " << k;
                EXPECT_NEAR(y[k].im, ref[k].im, 1e-11) << n << " " << inverse << " " << k;
            }
        }
    }
}

// Cells of a 1 x n result against expected numbers, up to rounding (the
// twiddle factors are computed sines and cosines).
void ExpectRow(const CValue& v, std::initializer_list<Complex> expected, const char* what)
{
    CComplexMatrix r = Num(v);
    ASSERT_EQ(r.Rows(), 1) << what;
    ASSERT_EQ(r.Cols(), (int)expected.size()) << what;
    int k = 0;
    for (const Complex& e : expected) {
        EXPECT_NEAR(r.Cell(0, k).re, e.re, 1e-14) << what << " cell " << k;
        EXPECT_NEAR(r.Cell(0, k).im, e.im, 1e-14) << what << " cell " << k;
        EXPECT_EQ(v.Matrix().Cell(0, k).Type(), (uint32_t)VT_COMPLEX) << what;
        k++;
    }
}

TEST_F(Fourier, Radix2Cases)
{
    const struct {
        const char* text;
        std::initializer_list<Complex> expected;
    } cases[] = {
        {"fft2n([1,1,1,1])", {{4, 0}, {0, 0}, {0, 0}, {0, 0}}},
        {"ifft2n([4,0,0,0])", {{1, 0}, {1, 0}, {1, 0}, {1, 0}}},
        {"fft2n([1,2,3,4;5,6,7,8])", {{10, 0}, {-2, 2}, {-2, 0}, {-2, -2}}},  // first row only
        {"fft2n([1,2],99,\"ignored\")", {{3, 0}, {-1, 0}}},
        {"ifft2n([3,-1])", {{1, 0}, {2, 0}}},
    };
    for (const auto& c : cases) {
        CValue v;
        ASSERT_EQ(Eval(c.text, v), 0) << c.text;
        ExpectRow(v, c.expected, c.text);
    }
    EXPECT_TRUE(cap.messages.empty());
}

TEST_F(Fourier, Radix2CutsToAPowerOfTwoWithAWarning)
{
    CValue v;
    ASSERT_EQ(Eval("fft2n([1,2,3,4,5,6])", v), 0);
    EXPECT_EQ(cap.Text(), "Warning: Vector length must be a multiply by 2^n");
    ExpectRow(v, {{10, 0}, {-2, 2}, {-2, 0}, {-2, -2}, {0, 0}, {0, 0}}, "six cells");
}

TEST_F(Fourier, Radix2Refusals)
{
    CValue str = Mat({{1, 2}});
    str.Matrix().Cell(0, 1) = CValue(std::string("ab"));
    CValue five(5.0), one = Mat({{7}}), out;
    const struct {
        CValue* arg;
        const char* message;
    } cases[] = {
        {&five, "Error: First argument must be a vector"},
        {&one, "Error: First argument must be a vector"},
        {&str, "Error: Matrix elements must be a complex numbers"},
    };
    for (const auto& c : cases) {
        cap.Reset();
        CValue* args[] = {c.arg};
        EXPECT_EQ(BuiltinFft2n(args, 1, &out), ERR_INTERNAL);
        EXPECT_EQ(cap.Text(), c.message);
    }
}

TEST_F(Fourier, FftOfAnyLength)
{
    CValue v;
    ASSERT_EQ(Eval("fft([1,2,3])", v), 0);
    CComplexMatrix F = Num(v);
    ASSERT_EQ(F.Cols(), 3);
    const double h = std::sqrt(3.0) / 2;
    const Complex expected[] = {{6, 0}, {-1.5, h}, {-1.5, -h}};
    for (int k = 0; k < 3; k++) {
        EXPECT_NEAR(F.Cell(0, k).re, expected[k].re, 1e-12);
        EXPECT_NEAR(F.Cell(0, k).im, expected[k].im, 1e-12);
    }

    // ifft undoes fft.
    CComplexMatrix X = Sample(1, 7, true);
    CValue x = Val(X), f, back;
    ASSERT_EQ(BuiltinFft(&x, &f), 0);
    ASSERT_EQ(BuiltinIfft(&f, &back), 0);
    EXPECT_LT(MaxDiff(Num(back), X), 1e-12);

    // A matrix: each column is transformed.
    CComplexMatrix M = Sample(3, 2, false);
    CValue m = Val(M), out;
    ASSERT_EQ(BuiltinFft(&m, &out), 0);
    CComplexMatrix R = Num(out);
    ASSERT_EQ(R.Rows(), 3);
    ASSERT_EQ(R.Cols(), 2);
    for (int c = 0; c < 2; c++) {
        std::vector<Complex> col(3);
        for (int i = 0; i < 3; i++) col[i] = M.Cell(i, c);
        std::vector<Complex> ref = Dft(col, false);
        for (int i = 0; i < 3; i++) EXPECT_LT(std::hypot(R.Cell(i, c).re - ref[i].re, R.Cell(i, c).im - ref[i].im), 1e-12);
    }
    // An empty matrix has nothing to transform.
    CValue empty, none;
    empty.MakeMatrix(0, 0);
    ASSERT_EQ(BuiltinFft(&empty, &none), 0);
    ASSERT_EQ(none.Type(), (uint32_t)VT_MATRIX);
    EXPECT_TRUE(none.Matrix().IsEmpty());
    EXPECT_TRUE(cap.messages.empty());
}

// A variable's matrix is read where it is; the result is what the
// transform of a copy gives, bit for bit, and the variable is left alone.
TEST_F(Fourier, VariableArgumentGivesWhatACopyGives)
{
    auto same = [](const CValue& a, const CValue& b) {
        if (a.Type() != VT_MATRIX || b.Type() != VT_MATRIX) return false;
        const CValueMatrix &x = a.Matrix(), &y = b.Matrix();
        if (x.Rows() != y.Rows() || x.Cols() != y.Cols()) return false;
        for (int i = 0; i < x.Rows(); i++)
            for (int j = 0; j < x.Cols(); j++) {
                const CValue &p = x.Cell(i, j), &q = y.Cell(i, j);
                if (p.Tag() != q.Tag() || p.Type() != VT_COMPLEX) return false;
                if (std::memcmp(&p.ComplexRef(), &q.ComplexRef(), sizeof(Complex)) != 0) return false;
            }
        return true;
    };
    for (const char* literal : {"[1, 2i, -3, 4.5, 0.25]", "[1, 2; 3i, 4; -5, 6]"}) {
        CValue v, byVariable, byCopy, again;
        ASSERT_EQ(Eval((std::string("x = ") + literal).c_str(), v), 0);
        ASSERT_EQ(Eval("fft(x)", byVariable), 0);
        ASSERT_EQ(Eval((std::string("fft(") + literal + ")").c_str(), byCopy), 0);
        EXPECT_TRUE(same(byVariable, byCopy)) << literal;
        ASSERT_EQ(Eval("x = ifft(x)", v), 0);
        ASSERT_EQ(Eval((std::string("ifft(") + literal + ")").c_str(), again), 0);
        EXPECT_TRUE(same(*block.Vars()->Find("x")->value, again)) << literal;
    }
    EXPECT_TRUE(cap.messages.empty());
}

// A long vector's transform is written straight into its result's payloads;
// a column of the same numbers goes through the transform's own arrays. Both
// give the same bits, forward and back.
TEST_F(Fourier, LongVectorsGiveWhatColumnsGive)
{
    for (int n : {20000, 32768}) {
        const CComplexMatrix X = Sample(1, n, true);
        CComplexMatrix Xc(n, 1);
        for (int j = 0; j < n; j++) Xc.Cell(j, 0) = X.Cell(0, j);
        for (bool inverse : {false, true}) {
            CValue row = Val(X), col = Val(Xc), r, c;
            ASSERT_EQ(inverse ? BuiltinIfft(&row, &r) : BuiltinFft(&row, &r), 0);
            ASSERT_EQ(inverse ? BuiltinIfft(&col, &c) : BuiltinFft(&col, &c), 0);
            ASSERT_EQ(r.Matrix().Cols(), n);
            ASSERT_EQ(c.Matrix().Rows(), n);
            int differ = 0;
            for (int j = 0; j < n; j++) {
                const CValue &a = r.Matrix().Cell(0, j), &b = c.Matrix().Cell(j, 0);
                ASSERT_EQ(a.Type(), (uint32_t)VT_COMPLEX);
                differ += std::memcmp(&a.ComplexRef(), &b.ComplexRef(), sizeof(Complex)) != 0;
            }
            EXPECT_EQ(differ, 0) << n << " " << inverse;
            // The result over the last one: its cells are ended as the new ones are written.
            ASSERT_EQ(BuiltinFft(&row, &r), 0);
        }
    }
}

TEST_F(Fourier, FftRefusals)
{
    CValue v;
    EXPECT_EQ(Eval("fft(\"abc\")", v), ERR_INTERNAL);
    EXPECT_EQ(cap.Text(), "Error: First argument must be a non-empty matrix");
    cap.Reset();
    CValue str = Mat({{1, 2}});
    str.Matrix().Cell(0, 1) = CValue(std::string("ab"));
    EXPECT_EQ(BuiltinIfft(&str, &v), ERR_INTERNAL);
    EXPECT_EQ(cap.Text(), "Error: Matrix elements must be a complex numbers");
}

TEST_F(Fourier, MissingLibraryIsReportedAndRadix2StillWorks)
{
    SetFftwLoadingDisabled(true);
    const std::string message = "Error: Failed to load dynamic link library " + FftwLibraryPath() +
                                ". Please download this library from https://www.fftw.org/download.html";
    EXPECT_NE(FftwLibraryPath().find("/lib/libfftw3.so.3"), std::string::npos);
    for (const char* text : {"fft([1,2,3])", "ifft([1,2,3])"}) {
        cap.Reset();
        CValue v;
        EXPECT_EQ(Eval(text, v), ERR_INTERNAL) << text;
        EXPECT_EQ(cap.Text(), message) << text;
    }
    cap.Reset();
    CValue v;
    ASSERT_EQ(Eval("fft2n([1,1])", v), 0);
    ExpectRow(v, {{2, 0}, {0, 0}}, "fft2n");
    SetFftwLoadingDisabled(false);
    ASSERT_EQ(Eval("fft([1,1])", v), 0);
    EXPECT_TRUE(cap.messages.empty());
}

TEST_F(Fourier, LibraryTable)
{
    ASSERT_EQ(DataAnalysisLibrary.count, 4);
    const char* names[] = {"fft2n", "ifft2n", "fft", "ifft"};
    for (int i = 0; i < 4; i++) EXPECT_STREQ(DataAnalysisLibrary.table[i].name, names[i]);
    EXPECT_STREQ(DataAnalysisLibrary.name, "Data Analysis");
}

}  // namespace
