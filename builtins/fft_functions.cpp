#include "builtins/fft_functions.h"

#include <dlfcn.h>

#include <cmath>
#include <new>
#include <vector>

#include "interpreter/expr_tree.h"
#include "interpreter/func_records.h"
#include "values/matrix_conversions.h"
#include "values/numeric_matrix.h"
#include "values/output_stream.h"
#include "values/path_text.h"
#include "values/real_cells.h"
#include "values/value_matrix.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;

// ---- FFTW binding: five entries, resolved once and kept for the process ----

typedef void* FftwPlan;
typedef void* (*FftwMalloc)(size_t);
typedef void (*FftwFree)(void*);
typedef FftwPlan (*FftwPlanDft1d)(int n, Complex* in, Complex* out, int sign, unsigned flags);
typedef void (*FftwExecute)(FftwPlan);
typedef void (*FftwDestroyPlan)(FftwPlan);
typedef int (*FftwAlignmentOf)(double*);

constexpr int kFftwForward = -1;
constexpr int kFftwBackward = 1;
constexpr unsigned kFftwEstimate = 1u << 6;  // no measuring; planning leaves the input alone

struct FftwBinding {
    bool loaded = false;
    FftwMalloc malloc = nullptr;
    FftwFree free = nullptr;
    FftwPlanDft1d planDft1d = nullptr;
    FftwExecute execute = nullptr;
    FftwDestroyPlan destroyPlan = nullptr;
    FftwAlignmentOf alignmentOf = nullptr;  // optional: older libraries lack it
};
FftwBinding g_fftw;
bool g_loadingDisabled = false;

const char kFftwSite[] = "https://www.fftw.org/download.html";

bool Resolve(void* lib, FftwBinding& b)
{
    b.malloc = reinterpret_cast<FftwMalloc>(dlsym(lib, "fftw_malloc"));
    b.free = reinterpret_cast<FftwFree>(dlsym(lib, "fftw_free"));
    b.planDft1d = reinterpret_cast<FftwPlanDft1d>(dlsym(lib, "fftw_plan_dft_1d"));
    b.execute = reinterpret_cast<FftwExecute>(dlsym(lib, "fftw_execute"));
    b.destroyPlan = reinterpret_cast<FftwDestroyPlan>(dlsym(lib, "fftw_destroy_plan"));
    b.alignmentOf = reinterpret_cast<FftwAlignmentOf>(dlsym(lib, "fftw_alignment_of"));
    return b.malloc && b.free && b.planDft1d && b.execute && b.destroyPlan;
}

// Lowest m bits of i in reverse order.
int ReverseBits(int i, int m)
{
    int r = 0;
    for (int b = 0; b < m; b++)
        if (i & (1 << b)) r |= 1 << (m - 1 - b);
    return r;
}

}  // namespace

std::string FftwLibraryPath()
{
    std::string program = GetModuleFilePath();
    size_t slash = program.find_last_of('/');
    std::string folder = slash == std::string::npos ? std::string() : program.substr(0, slash + 1);
    return folder + "lib/libfftw3.so.3";
}

void SetFftwLoadingDisabled(bool disabled) { g_loadingDisabled = disabled; }

bool LoadFftwLibrary()
{
    if (g_fftw.loaded && !g_loadingDisabled) return true;
    std::string path = FftwLibraryPath();
    if (!g_loadingDisabled) {
        // A library that loads but lacks an entry stays loaded; the next call tries again.
        void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        FftwBinding b;
        if (lib && Resolve(lib, b)) {
            b.loaded = true;
            g_fftw = b;
            return true;
        }
        lib = dlopen("libfftw3.so.3", RTLD_NOW | RTLD_LOCAL);
        if (lib && Resolve(lib, b)) {
            b.loaded = true;
            g_fftw = b;
            return true;
        }
        g_fftw.loaded = false;
    }
    ReportError() << "Failed to load dynamic link library " << path << ". Please download this library from "
                  << kFftwSite;
    return false;
}

int Radix2Transform(const Complex* x, int n, Complex* y, bool inverse)
{
    int m = 0;
    while ((n >> (m + 1)) > 0) m++;
    n = 1 << m;
    if (m == 0) {
        y[0] = x[0];
        return 1;
    }
    std::vector<Complex> A(n), B(n);
    const double scale = inverse ? 0.5 : 1.0;
    for (int i = 0; i < n; i++) {
        const Complex& p = x[ReverseBits(i & ~1, m)];
        const Complex& q = x[ReverseBits(i | 1, m)];
        Complex v = p;
        if (i & 1)
            v -= q;
        else
            v += q;
        A[i] = Complex(v.re * scale, v.im * scale);
    }
    const double turn = inverse ? kTwoPi : -kTwoPi;
    for (int s = 1; s < m; s++) {
        const int h = 1 << s, L = 2 * h;
        for (int k = 0; k < L; k++) {
            double theta = k * turn / L;
            B[k] = Complex(std::cos(theta), std::sin(theta));
        }
        const Complex* src = (s & 1) ? A.data() : y;
        Complex* dst = (s & 1) ? y : A.data();
        for (int i = 0; i < n; i++) {
            Complex t;
            ComplexProduct(t, B[i % L], src[i | h]);
            t += src[i & ~h];
            dst[i] = Complex(t.re * scale, t.im * scale);
        }
    }
    if (m & 1)
        for (int i = 0; i < n; i++) y[i] = A[i];
    return n;
}

namespace {

StatusWord Fft2nHandler(CValue** args, int count, CValue* out, bool inverse)
{
    const CValue* x = count > 0 ? args[0] : nullptr;
    if (!x || x->Type() != VT_MATRIX || x->Matrix().Cols() < 2) {
        ReportError() << "First argument must be a vector";
        return ERR_INTERNAL;
    }
    CComplexMatrix X;
    if (!ValueToComplexMatrix(x->Matrix(), X)) {
        ReportError() << "Matrix elements must be a complex numbers";
        return ERR_INTERNAL;
    }
    const int n = X.Cols();
    CComplexMatrix Y(1, n);
    if (Radix2Transform(X.Row(0), n, Y.Row(0), inverse) != n) {
        ReportWarning() << "Vector length must be a multiply by 2^n";
        // A warning does not fail the call.
        GetOutputStream()->ForgetCurrent();
    }
    out->Clear();
    ComplexMatrixToValue(Y, out->MakeMatrix(0, 0));
    return 0;
}

// One FFTW transform of n samples read by `at(j)`; once it has run, `begin()`
// readies the result (false: no memory) and `put(j, z)` writes sample j, at
// res + j. The transform writes into `into` when given, else into an array
// of its own.
template <class Get, class Begin, class Put>
StatusWord FftwTransform(int n, bool inverse, Get at, Begin begin, Put put, Complex* into = nullptr)
{
    Complex* in = static_cast<Complex*>(g_fftw.malloc(sizeof(Complex) * (size_t)n));
    Complex* res = into ? into : static_cast<Complex*>(g_fftw.malloc(sizeof(Complex) * (size_t)n));
    auto release = [&] {
        if (in) g_fftw.free(in);
        if (res && res != into) g_fftw.free(res);
    };
    if (!in || !res) {
        release();
        ReportError() << "Not enough memory";
        return ERR_INTERNAL;
    }
    for (int j = 0; j < n; j++) {
        const CValue& c = at(j);
        if (c.Type() == VT_REAL)
            in[j] = Complex(c.Real(), 0.0);
        else if (c.Type() == VT_COMPLEX)
            in[j] = c.ComplexRef();
        else {
            release();
            ReportError() << "Matrix elements must be a complex numbers";
            return ERR_INTERNAL;
        }
    }
    FftwPlan plan = g_fftw.planDft1d(n, in, res, inverse ? kFftwBackward : kFftwForward, kFftwEstimate);
    if (!plan) {
        release();
        ReportError() << "Failed to plan the Fourier transform";
        return ERR_INTERNAL;
    }
    g_fftw.execute(plan);
    g_fftw.destroyPlan(plan);
    if (!begin()) {
        release();
        ReportError() << "Not enough memory";
        return ERR_INTERNAL;
    }
    for (int j = 0; j < n; j++) {
        Complex& v = res[j];
        if (inverse) v = Complex(v.re / n, v.im / n);
        put(j, v);
    }
    release();
    return 0;
}

// Payloads of a vector's result in one run that the transform can write into
// directly; null where the run would lead the library to other kernels than
// its own arrays do (another alignment), so that results stay the same.
Complex* PayloadsToTransformInto(const CComplexRun& run)
{
    Complex* p = run.First();
    if (!p || !g_fftw.alignmentOf) return nullptr;
    return g_fftw.alignmentOf(reinterpret_cast<double*>(p)) == 0 ? p : nullptr;
}

StatusWord FftHandler(CValue* x, CValue* out, bool inverse)
{
    if (!LoadFftwLibrary()) return ERR_INTERNAL;
    if (x->Type() != VT_MATRIX) {
        ReportError() << "First argument must be a non-empty matrix";
        return ERR_INTERNAL;
    }
    // The argument is only read: it is copied only when clearing the result
    // could take it away (the same value, or a container that may hold it).
    CValueMatrix copy;
    const bool aside = x == out || out->Type() == VT_MATRIX || out->Type() == VT_STRUCT;
    if (aside) copy = x->Matrix();
    const CValueMatrix& src = aside ? copy : x->Matrix();
    const int rows = src.Rows(), cols = src.Cols();
    out->Clear();
    CComplexCells cells;
    if (rows == 1) {
        // A vector's cells are written once, over the cells of a row freed a
        // moment ago where there is one (the previous result, often).
        CValueMatrix& dst = out->MakeMatrix(0, 0);
        CValue* row = nullptr;
        int live = 0;
        CComplexRun run((size_t)cols);
        Complex* into = PayloadsToTransformInto(run);
        StatusWord st = FftwTransform(
            cols, inverse, [&](int j) -> const CValue& { return src.Cell(0, j); },
            [&] {
                if (!ShapeOverFreedCells(dst, 1, cols, live)) return false;
                row = dst.Row(0);
                return true;
            },
            [&](int j, Complex& v) {
                CValue& cell = row[j];
                if (j < live) cell.~CValue();
                if (into)
                    CComplexCells::Adopt(cell, &v);  // v is payload j of the run
                else
                    cells.MakeUnset(cell, v);
            },
            into);
        if (into && st == 0) run.Release();
        if (st == 0) NoteResultWithoutHandles(*out);  // Complex cells only
        return st;
    }
    CValueMatrix& dst = out->MakeMatrix(rows, cols);
    for (int c = 0; c < cols; c++) {
        StatusWord st = FftwTransform(
            rows, inverse, [&](int j) -> const CValue& { return src.Cell(j, c); }, [] { return true; },
            [&](int j, Complex& v) {
                CValue& cell = dst.Cell(j, c);
                if (!(cell.IsEmpty() && cells.Make(cell, v))) cell.SetComplex(v);
            });
        if (st) return st;
    }
    return 0;
}

}  // namespace

StatusWord BuiltinFft2n(CValue** args, int count, CValue* out) { return Fft2nHandler(args, count, out, false); }
StatusWord BuiltinIfft2n(CValue** args, int count, CValue* out) { return Fft2nHandler(args, count, out, true); }
StatusWord BuiltinFft(CValue* x, CValue* out) { return FftHandler(x, out, false); }
StatusWord BuiltinIfft(CValue* x, CValue* out) { return FftHandler(x, out, true); }

namespace {
// The transforms only read their argument and keep the result apart from it.
const bool g_readOnlyDeclared = (DeclareReadOnlyArguments(AsFuncHandler(BuiltinFft)),
                                 DeclareReadOnlyArguments(AsFuncHandler(BuiltinIfft)), true);
}  // namespace
