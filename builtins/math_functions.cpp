// Elementary math functions of the "Basic" library: the trigonometric and
// hyperbolic family with complex results outside the real domain, rounding,
// parts of complex numbers, the real-only variants and the gamma functions.
#include "builtins/math_functions.h"

#include <cmath>
#include <new>

#include "interpreter/expr_tree.h"

#include "builtins/cell_walk.h"
#include "values/elementary.h"
#include "values/output_stream.h"
#include "values/stop_probe.h"

namespace {

// A scalar result: Real, or Complex (kept Complex even with a 0 imaginary part).
struct Num {
    bool cplx;
    Complex z;
};

inline Num R(double x) { return Num{false, Complex(x, 0.0)}; }
inline Num C(const Complex& z) { return Num{true, z}; }
inline Complex Cx(double x) { return Complex(x, 0.0); }

inline void Store(const Num& n, CValue& out)
{
    if (n.cplx)
        out.SetComplex(n.z);
    else
        out.SetReal(n.z.re);
}

inline Complex Recip(const Complex& z)
{
    Complex r;
    ComplexDivide(r, 1.0, z);
    return r;
}

// 1/(x + 0i) for a real x: (1/x, -0), as the complex quotient gives it, and
// for x = +-0 the limit from the side the zero's sign names (+-INF) rather
// than the quotient's INF+INFi for a zero divisor.
inline Complex RecipOfReal(double x) { return Complex(1.0 / x, -0.0); }

// Past this |re| the reciprocals of cosh and sinh are 2 e^-|re| times a unit
// factor to the last bit (e^-2|re| is below half an ulp), and cosh and sinh
// themselves would soon overflow into INF+INFi, whose reciprocal is NAN.
constexpr double kFarReal = 20.0;

// sech(x+iy) far out: 2 e^-|x| (cos y - i sign(x) sin y).
inline Complex SechFar(double x, double y)
{
    const double m = 2.0 * std::exp(-std::fabs(x)), s = std::signbit(x) ? -1.0 : 1.0;
    return Complex(m * std::cos(y), -s * m * std::sin(y));
}

// csch(x+iy) far out: 2 e^-|x| (sign(x) cos y - i sin y).
inline Complex CschFar(double x, double y)
{
    const double m = 2.0 * std::exp(-std::fabs(x)), s = std::signbit(x) ? -1.0 : 1.0;
    return Complex(s * m * std::cos(y), -m * std::sin(y));
}

inline Complex AsinC(const Complex& z) { Complex r; ComplexAsin(r, z); return r; }
inline Complex AcosC(const Complex& z) { Complex r; ComplexAcos(r, z); return r; }
inline Complex AtanC(const Complex& z) { Complex r; ComplexAtan(r, z); return r; }
inline Complex TanC(const Complex& z) { Complex r; ComplexTan(r, z); return r; }
inline Complex LogC(const Complex& z) { Complex r; ComplexLog(r, z); return r; }

inline double FixOf(double x) { return x < 0 ? std::ceil(x) : std::floor(x); }
inline double RealPartOf(const CValue& v) { return v.Type() == VT_REAL ? v.Real() : v.ComplexRef().re; }

void ReportInvalid(const char* name, const CValue& x)
{
    ReportError() << "Invalid argument of " << name << " function (" << CValue::TypeNameOf(x.Tag()) << ")";
}

typedef Num (*RealRule)(double);
typedef Num (*CplxRule)(const Complex&);

template <const char* Name, RealRule RF, CplxRule CF>
int UnaryCell(const CValue& x, CValue& out);

// UnaryCell over the cells of m row-major into out: Real cells go straight
// through the real rule without the dispatch, others through UnaryCell. The
// first failing status, or a stop of the program (seen between blocks of
// cells), stops the walk; the cells made so far stay in out, the rest are
// empty. allReal: every cell of out is Real.
template <const char* Name, RealRule RF, CplxRule CF>
int MapMatrixWithReals(const CValueMatrix& m, CValue& out, bool& allReal)
{
    CValue r;
    CValueMatrix& o = r.MakeMatrix(0, 0);
    if (const double* p = m.PackedData(); p && o.ShapePacked(m.Rows(), m.Cols())) {
        // Numbers to numbers; a complex result sends the whole walk down the cell path.
        double* t = o.PackedData();
        const size_t n = (size_t)m.Rows() * (size_t)m.Cols();
        bool real = true;
        for (size_t i0 = 0; i0 < n && real; i0 += 0x10000) {
            if (i0 && ThreadStopRequested()) {
                o.Free();
                out.Swap(r);
                allReal = false;
                return ERR_STOPPED;
            }
            const size_t i1 = n - i0 > 0x10000 ? i0 + 0x10000 : n;
            for (size_t i = i0; i < i1; ++i) {
                const Num v = RF(p[i]);
                real &= !v.cplx;
                t[i] = v.z.re;
            }
        }
        if (real) {
            out.Swap(r);
            allReal = true;
            return 0;
        }
        o.Free();
    }
    int live = 0;  // old cells at the start of a single row, ended as they are overwritten
    if (!ShapeOverFreedCells(o, m.Rows(), m.Cols(), live)) {
        const int st = o.ApplyElementwise(UnaryCell<Name, RF, CF>, m);  // the empty case, or no room
        out.Swap(r);
        return st;
    }
    bool reals = true;
    int st = 0;
    size_t cells = 0;
    for (int i = 0; i < m.Rows(); ++i) {
        const CValue* in = m.Row(i);
        CValue* row = o.Row(i);
        const int n = m.Cols();
        for (int j = 0; j < n; ++j) {
            CValue& cell = row[j];
            if (j < live) cell.~CValue();
            if (!st && (++cells & 0xFFFF) == 0 && ThreadStopRequested()) st = ERR_STOPPED;
            if (!st && in[j].m_tag == VT_REAL) {
                const Num v = RF(in[j].m_real);
                if (!v.cplx) {
                    cell.m_real = v.z.re;
                    cell.m_tag = VT_REAL;
                    continue;
                }
            }
            new (&cell) CValue();
            if (st) continue;
            reals = false;
            st = UnaryCell<Name, RF, CF>(in[j], cell);
        }
    }
    out.Swap(r);
    allReal = reals && !st;
    return st;
}

// One member of the family: Real and Complex by their rules, a Matrix cell by
// cell, anything else reported.
template <const char* Name, RealRule RF, CplxRule CF>
int UnaryCell(const CValue& x, CValue& out)
{
    switch (x.Type()) {
    case VT_REAL: Store(RF(x.Real()), out); return 0;
    case VT_COMPLEX: Store(CF(x.ComplexRef()), out); return 0;
    case VT_MATRIX: {
        bool allReal = false;
        const int st = MapMatrixWithReals<Name, RF, CF>(x.Matrix(), out, allReal);
        if (allReal) NoteAllRealResult(out);
        return st;
    }
    default: ReportInvalid(Name, x); return ERR_INTERNAL;
    }
}

// The rules. Domain tests are written as "outside the real domain", so a NaN
// argument takes the real path.
constexpr char kSin[] = "sin", kSinh[] = "sinh", kAsin[] = "asin", kAsinh[] = "asinh";
constexpr char kCos[] = "cos", kCosh[] = "cosh", kAcos[] = "acos", kAcosh[] = "acosh";
constexpr char kTan[] = "tan", kTanh[] = "tanh", kAtan[] = "atan", kAtanh[] = "atanh";
constexpr char kCot[] = "cot", kCoth[] = "coth", kAcot[] = "acot", kAcoth[] = "acoth";
constexpr char kCsc[] = "csc", kCsch[] = "csch", kAcsc[] = "acsc", kAcsch[] = "acsch";
constexpr char kSec[] = "sec", kSech[] = "sech", kAsec[] = "asec", kAsech[] = "asech";
constexpr char kAbs[] = "abs", kExp[] = "exp", kLog10[] = "log10", kLog[] = "log";
constexpr char kRound[] = "round", kCeil[] = "ceil", kFloor[] = "floor", kFix[] = "fix";
constexpr char kSign[] = "sign", kSqrt[] = "sqrt", kArg[] = "arg";
constexpr char kReal[] = "real", kImag[] = "imag", kConj[] = "conj";
constexpr char kRlog[] = "rlog", kRsqrt[] = "rsqrt";

Num SinR(double x) { return R(std::sin(x)); }
Num SinC(const Complex& z) { return C(ComplexSin(z)); }
Num SinhR(double x) { return R(std::sinh(x)); }
Num SinhC(const Complex& z) { return C(ComplexSinh(z)); }
Num AsinR(double x) { return std::fabs(x) > 1.0 ? C(AsinC(Cx(x))) : R(std::asin(x)); }
Num AsinZ(const Complex& z) { return C(AsinC(z)); }
Num AsinhR(double x) { return R(std::asinh(x)); }
Num AsinhC(const Complex& z) { return C(ComplexAsinh(z)); }

Num CosR(double x) { return R(std::cos(x)); }
Num CosC(const Complex& z) { return C(ComplexCos(z)); }
Num CoshR(double x) { return R(std::cosh(x)); }
Num CoshC(const Complex& z) { return C(ComplexCosh(z)); }
Num AcosR(double x) { return std::fabs(x) > 1.0 ? C(AcosC(Cx(x))) : R(std::acos(x)); }
Num AcosZ(const Complex& z) { return C(AcosC(z)); }
Num AcoshR(double x) { return x < 1.0 ? C(ComplexAcosh(Cx(x))) : R(std::acosh(x)); }
Num AcoshC(const Complex& z) { return C(ComplexAcosh(z)); }

Num TanR(double x) { return R(std::tan(x)); }
Num TanZ(const Complex& z) { return C(TanC(z)); }
Num TanhR(double x) { return R(std::tanh(x)); }
Num TanhC(const Complex& z) { return C(ComplexTanh(z)); }
Num AtanR(double x) { return R(std::atan(x)); }
Num AtanZ(const Complex& z) { return C(AtanC(z)); }
Num AtanhR(double x) { return std::fabs(x) > 1.0 ? C(ComplexAtanh(Cx(x))) : R(std::atanh(x)); }
Num AtanhC(const Complex& z) { return C(ComplexAtanh(z)); }

Num CotR(double x) { return R(1.0 / std::tan(x)); }
Num CotC(const Complex& z) { return C(Recip(TanC(z))); }
Num CothR(double x) { return R(RealCoth(x)); }
Num CothC(const Complex& z) { return C(ComplexCoth(z)); }
Num AcotR(double x) { return R(std::atan(1.0 / x)); }
Num AcotC(const Complex& z) { return C(AtanC(Recip(z))); }
Num AcothR(double x) { return std::fabs(x) < 1.0 ? C(ComplexAtanh(RecipOfReal(x))) : R(std::atanh(1.0 / x)); }
Num AcothC(const Complex& z) { return C(ComplexAtanh(Recip(z))); }

Num CscR(double x) { return R(1.0 / std::sin(x)); }
// csc(z) = i csch(iz), iz = -y + ix.
Num CscC(const Complex& z)
{
    if (std::fabs(z.im) > kFarReal) {
        const Complex c = CschFar(-z.im, z.re);
        return C(Complex(-c.im, c.re));
    }
    return C(Recip(ComplexSin(z)));
}
Num CschR(double x) { return R(1.0 / std::sinh(x)); }
Num CschC(const Complex& z) { return C(std::fabs(z.re) > kFarReal ? CschFar(z.re, z.im) : Recip(ComplexSinh(z))); }
Num AcscR(double x) { return std::fabs(x) < 1.0 ? C(AsinC(RecipOfReal(x))) : R(std::asin(1.0 / x)); }
Num AcscC(const Complex& z) { return C(AsinC(Recip(z))); }
Num AcschR(double x) { return R(std::asinh(1.0 / x)); }
Num AcschC(const Complex& z) { return C(ComplexAsinh(Recip(z))); }

Num SecR(double x) { return R(1.0 / std::cos(x)); }
// sec(z) = sech(iz), iz = -y + ix.
Num SecC(const Complex& z) { return C(std::fabs(z.im) > kFarReal ? SechFar(-z.im, z.re) : Recip(ComplexCos(z))); }
Num SechR(double x) { return R(1.0 / std::cosh(x)); }
Num SechC(const Complex& z) { return C(std::fabs(z.re) > kFarReal ? SechFar(z.re, z.im) : Recip(ComplexCosh(z))); }
Num AsecR(double x) { return std::fabs(x) < 1.0 ? C(AcosC(RecipOfReal(x))) : R(std::acos(1.0 / x)); }
Num AsecC(const Complex& z) { return C(AcosC(Recip(z))); }
// -0 belongs to the negative side: its limit is INF + pi i, not acosh(-INF).
Num AsechR(double x)
{
    const bool negative = x < 0.0 || (x == 0.0 && std::signbit(x));
    return (negative || x > 1.0) ? C(ComplexAcosh(RecipOfReal(x))) : R(std::acosh(1.0 / x));
}
Num AsechC(const Complex& z) { return C(ComplexAcosh(Recip(z))); }

Num AbsR(double x) { return R(std::fabs(x)); }
Num AbsC(const Complex& z) { return R(ComplexAbsOf(z)); }
Num ExpR(double x) { return R(std::exp(x)); }
Num ExpC(const Complex& z) { return C(ComplexExp(z)); }
Num Log10R(double x) { return x < 0.0 ? C(ComplexLog10(Cx(x))) : R(std::log10(x)); }
Num Log10C(const Complex& z) { return C(ComplexLog10(z)); }
Num LogR(double x) { return x < 0.0 ? C(LogC(Cx(x))) : R(std::log(x)); }
Num LogZ(const Complex& z) { return C(LogC(z)); }

Num RoundR(double x) { return R(RoundToNearest(x)); }
Num RoundC(const Complex& z) { return C(ComplexRound(z)); }
Num CeilR(double x) { return R(std::ceil(x)); }
Num CeilC(const Complex& z) { return C(Complex(std::ceil(z.re), std::ceil(z.im))); }
Num FloorR(double x) { return R(std::floor(x)); }
Num FloorC(const Complex& z) { return C(Complex(std::floor(z.re), std::floor(z.im))); }
Num FixR(double x) { return R(FixOf(x)); }
Num FixC(const Complex& z) { return C(Complex(FixOf(z.re), FixOf(z.im))); }

// NaN has no sign: it stays NaN.
double SignOf(double x) { return x == 0.0 ? 0.0 : (x < 0.0 ? -1.0 : (x > 0.0 ? 1.0 : x)); }
Num SignR(double x) { return R(SignOf(x)); }
Num SignC(const Complex& z)
{
    if (z.im == 0.0) return R(SignOf(z.re));
    double m = ComplexAbsOf(z);
    return C(Complex(z.re / m, z.im / m));
}

Num SqrtR(double x) { return x < 0.0 ? C(ComplexSqrt(Cx(x))) : R(std::sqrt(x)); }
Num SqrtC(const Complex& z) { return C(ComplexSqrt(z)); }
Num ArgR(double x) { return R(std::atan2(0.0, x)); }
Num ArgC(const Complex& z) { return R(std::atan2(z.im, z.re)); }
Num RealR(double x) { return R(x); }
Num RealC(const Complex& z) { return R(z.re); }
Num ImagR(double) { return R(0.0); }
Num ImagC(const Complex& z) { return R(z.im); }
Num ConjR(double x) { return R(x); }
Num ConjC(const Complex& z) { return C(Complex(z.re, -z.im)); }

// rlog and rsqrt: Reals only, a negative one fails without a message.
template <const char* Name, double (*F)(double)>
int RealOnlyCell(const CValue& x, CValue& out)
{
    switch (x.Type()) {
    case VT_REAL:
        if (x.Real() < 0.0) return ERR_FUNCTION_ARGUMENTS;
        out.SetReal(F(x.Real()));
        return 0;
    case VT_MATRIX: return MapMatrixCells(x, out, RealOnlyCell<Name, F>);
    default: ReportInvalid(Name, x); return ERR_ARGUMENT_TYPE;
    }
}

double PlainLog(double x) { return std::log(x); }
double PlainSqrt(double x) { return std::sqrt(x); }

double GammaLn(double x)
{
    int sign = 1;
    return lgamma_r(x, &sign);
}

template <double (*F)(double)>
int GammaCell(const CValue& src, CValue& dst)
{
    if (src.Type() != VT_REAL) return ERR_ARGUMENT_TYPE;
    dst.SetReal(F(src.Real()));
    return 0;
}

// The matrix is transformed where it lies and handed over to out.
template <double (*F)(double)>
StatusWord GammaHandler(CValue* x, CValue* out)
{
    if (x->Type() == VT_REAL) {
        out->SetReal(F(x->Real()));
        return 0;
    }
    if (x->Type() != VT_MATRIX) return ERR_ARGUMENT_TYPE;
    int st = x->Matrix().ApplyInPlace(GammaCell<F>);
    x->Swap(*out);
    return st;
}

// ---- two arguments

typedef int (*PairFn)(const CValue&, const CValue&, CValue&);

// The matrix routes: matrix with matrix (same shape), matrix with scalar,
// scalar with matrix; the cells made before a failure stay.
int MatrixMatrix(PairFn fn, const CValue& x, const CValue& y, CValue& out)
{
    CValue r;
    int st = r.GetMatrix().ApplyMatrixMatrix(fn, x.Matrix(), y.Matrix());
    out.Swap(r);
    return st;
}

int MatrixScalar(PairFn fn, const CValue& x, const CValue& y, CValue& out)
{
    CValue r;
    int st = r.GetMatrix().ApplyMatrixScalar(fn, x.Matrix(), y);
    out.Swap(r);
    return st;
}

int ScalarMatrix(PairFn fn, const CValue& x, const CValue& y, CValue& out)
{
    CValue r;
    int st = r.GetMatrix().ApplyScalarMatrix(fn, x, y.Matrix());
    out.Swap(r);
    return st;
}

template <double (*F)(double, double)>
int ModRemRoutes(PairFn self, const char* name, const CValue& x, const CValue& y, CValue& out)
{
    if (x.IsRealValued() && y.IsRealValued()) {
        out.SetReal(F(RealPartOf(x), RealPartOf(y)));
        return 0;
    }
    if (x.Type() == VT_MATRIX)
        return y.Type() == VT_MATRIX ? MatrixMatrix(self, x, y, out) : MatrixScalar(self, x, y, out);
    if (y.Type() == VT_MATRIX) return ScalarMatrix(self, x, y, out);
    ReportError() << "Function " << name << "; arguments must be a scalars, or arrays of scalars of the same size";
    return ERR_INTERNAL;
}

int ModCell(const CValue& x, const CValue& y, CValue& out) { return ModRemRoutes<ModOf>(ModCell, "mod", x, y, out); }
int RemCell(const CValue& x, const CValue& y, CValue& out) { return ModRemRoutes<RemOf>(RemCell, "rem", x, y, out); }

int AngleCell(const CValue& x, const CValue& y, CValue& out)
{
    if (x.IsNumber() && y.IsNumber()) {
        out.SetReal(std::atan2(RealPartOf(y), RealPartOf(x)));
        return 0;
    }
    bool xm = x.Type() == VT_MATRIX, ym = y.Type() == VT_MATRIX;
    if (xm && ym) return MatrixMatrix(AngleCell, x, y, out);
    if (xm && y.IsNumber()) return MatrixScalar(AngleCell, x, y, out);
    if (ym && x.IsNumber()) return ScalarMatrix(AngleCell, x, y, out);
    ReportError() << "Invalid argument of angle function (" << CValue::TypeNameOf(x.Tag()) << " and "
                  << CValue::TypeNameOf(y.Tag()) << ")";
    return ERR_INTERNAL;
}

int PolarCell(const CValue& x, const CValue& a, CValue& out)
{
    if (x.Type() == VT_REAL && a.Type() == VT_REAL) {
        double r = x.Real(), t = a.Real();
        out.SetComplex(Complex(r * std::cos(t), r * std::sin(t)));
        return 0;
    }
    bool xm = x.Type() == VT_MATRIX, am = a.Type() == VT_MATRIX;
    if (xm && am) return MatrixMatrix(PolarCell, x, a, out);
    // A real-valued scalar partner counts as its Real.
    if (xm && a.IsRealValued()) return MatrixScalar(PolarCell, x, CValue(RealPartOf(a)), out);
    if (am && x.IsRealValued()) return ScalarMatrix(PolarCell, CValue(RealPartOf(x)), a, out);
    return ERR_ARGUMENT_TYPE;
}

int RpowCell(const CValue& x, const CValue& y, CValue& out)
{
    if (x.Type() == VT_REAL && y.IsRealValued()) {
        double r = std::pow(x.Real(), RealPartOf(y));
        out.SetReal(r);
        return std::isfinite(r) ? 0 : ERR_FUNCTION_ARGUMENTS;
    }
    bool xm = x.Type() == VT_MATRIX, ym = y.Type() == VT_MATRIX;
    if (xm && ym) return MatrixMatrix(RpowCell, x, y, out);
    if (xm && y.IsRealValued()) return MatrixScalar(RpowCell, x, y, out);
    if (ym && x.IsRealValued()) return ScalarMatrix(RpowCell, x, y, out);
    return ERR_ARGUMENT_TYPE;
}

}  // namespace

double GammaOf(double x)
{
    if (x <= 0.0 && x == std::floor(x)) return INFINITY;  // the poles, whatever the side
    // exp(lgamma) loses the last digits (gamma(5) would not be 24); tgamma
    // is exact at the integers and keeps the sign for negative arguments.
    return std::tgamma(x);
}

double ModOf(double x, double y)
{
    if (y == 0.0) return x;
    return x - std::floor(x / y) * y;
}

double RemOf(double x, double y)
{
    double q = x / y;
    return x - FixOf(q) * y;
}

#define UNARY_HANDLER(Fn, Name, RealRule, CplxRule) \
    StatusWord Fn(CValue* x, CValue* out) { return UnaryCell<Name, RealRule, CplxRule>(*x, *out); }

UNARY_HANDLER(MathSin, kSin, SinR, SinC)
UNARY_HANDLER(MathSinh, kSinh, SinhR, SinhC)
UNARY_HANDLER(MathAsin, kAsin, AsinR, AsinZ)
UNARY_HANDLER(MathAsinh, kAsinh, AsinhR, AsinhC)
UNARY_HANDLER(MathCos, kCos, CosR, CosC)
UNARY_HANDLER(MathCosh, kCosh, CoshR, CoshC)
UNARY_HANDLER(MathAcos, kAcos, AcosR, AcosZ)
UNARY_HANDLER(MathAcosh, kAcosh, AcoshR, AcoshC)
UNARY_HANDLER(MathTan, kTan, TanR, TanZ)
UNARY_HANDLER(MathTanh, kTanh, TanhR, TanhC)
UNARY_HANDLER(MathAtan, kAtan, AtanR, AtanZ)
UNARY_HANDLER(MathAtanh, kAtanh, AtanhR, AtanhC)
UNARY_HANDLER(MathCot, kCot, CotR, CotC)
UNARY_HANDLER(MathCoth, kCoth, CothR, CothC)
UNARY_HANDLER(MathAcot, kAcot, AcotR, AcotC)
UNARY_HANDLER(MathAcoth, kAcoth, AcothR, AcothC)
UNARY_HANDLER(MathCsc, kCsc, CscR, CscC)
UNARY_HANDLER(MathCsch, kCsch, CschR, CschC)
UNARY_HANDLER(MathAcsc, kAcsc, AcscR, AcscC)
UNARY_HANDLER(MathAcsch, kAcsch, AcschR, AcschC)
UNARY_HANDLER(MathSec, kSec, SecR, SecC)
UNARY_HANDLER(MathSech, kSech, SechR, SechC)
UNARY_HANDLER(MathAsec, kAsec, AsecR, AsecC)
UNARY_HANDLER(MathAsech, kAsech, AsechR, AsechC)
UNARY_HANDLER(MathAbs, kAbs, AbsR, AbsC)
UNARY_HANDLER(MathExp, kExp, ExpR, ExpC)
UNARY_HANDLER(MathLog10, kLog10, Log10R, Log10C)
UNARY_HANDLER(MathLog, kLog, LogR, LogZ)
UNARY_HANDLER(MathRound, kRound, RoundR, RoundC)
UNARY_HANDLER(MathCeil, kCeil, CeilR, CeilC)
UNARY_HANDLER(MathFloor, kFloor, FloorR, FloorC)
UNARY_HANDLER(MathFix, kFix, FixR, FixC)
UNARY_HANDLER(MathSign, kSign, SignR, SignC)
UNARY_HANDLER(MathSqrt, kSqrt, SqrtR, SqrtC)
UNARY_HANDLER(MathArg, kArg, ArgR, ArgC)
UNARY_HANDLER(MathReal, kReal, RealR, RealC)
UNARY_HANDLER(MathImag, kImag, ImagR, ImagC)
UNARY_HANDLER(MathConj, kConj, ConjR, ConjC)

StatusWord MathRlog(CValue* x, CValue* out) { return RealOnlyCell<kRlog, PlainLog>(*x, *out); }
StatusWord MathRsqrt(CValue* x, CValue* out) { return RealOnlyCell<kRsqrt, PlainSqrt>(*x, *out); }

StatusWord MathGamma(CValue* x, CValue* out) { return GammaHandler<GammaOf>(x, out); }
StatusWord MathGammaln(CValue* x, CValue* out) { return GammaHandler<GammaLn>(x, out); }

StatusWord MathMod(CValue* x, CValue* y, CValue* out) { return ModCell(*x, *y, *out); }
StatusWord MathRem(CValue* x, CValue* y, CValue* out) { return RemCell(*x, *y, *out); }
StatusWord MathAngle(CValue* x, CValue* y, CValue* out) { return AngleCell(*x, *y, *out); }
StatusWord MathPolar(CValue* x, CValue* a, CValue* out) { return PolarCell(*x, *a, *out); }
StatusWord MathRpow(CValue* x, CValue* y, CValue* out) { return RpowCell(*x, *y, *out); }
