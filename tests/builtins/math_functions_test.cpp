// Elementary math functions: real and complex results, domain switches,
// matrices cell by cell, two-argument routes, gamma and the error texts.
#include <cmath>
#include <complex>
#include <utility>

#include "builtin_eval.h"
#include "builtins/math_functions.h"

namespace {

using MathTest = BuiltinTest;
typedef StatusWord (*Unary)(CValue*, CValue*);
typedef StatusWord (*Binary)(CValue*, CValue*, CValue*);

const double kPi = 3.141592653589793;

CValue Cx(double re, double im) { return CValue(Complex(re, im)); }

// Expected result: Real re, or Complex (re, im); NaN expected matches NaN.
struct Want {
    bool cplx;
    double re, im;
};
Want R(double x) { return {false, x, 0}; }
Want C(double re, double im) { return {true, re, im}; }

bool Same(double got, double want)
{
    if (std::isnan(want)) return std::isnan(got);
    if (std::isinf(want)) return got == want;
    return std::fabs(got - want) <= 1e-12 * (1 + std::fabs(want));
}

void ExpectValue(const CValue& v, const Want& w, const std::string& what)
{
    if (w.cplx) {
        ASSERT_EQ(v.Type(), (uint32_t)VT_COMPLEX) << what;
        EXPECT_TRUE(Same(v.ComplexRef().re, w.re)) << what << " re " << v.ComplexRef().re;
        EXPECT_TRUE(Same(v.ComplexRef().im, w.im)) << what << " im " << v.ComplexRef().im;
    } else {
        ASSERT_EQ(v.Type(), (uint32_t)VT_REAL) << what;
        EXPECT_TRUE(Same(v.Real(), w.re)) << what << " = " << v.Real();
    }
}

TEST_F(MathTest, OneArgumentMembersByTypeAndDomain)
{
    const double nan = std::nan("");
    const std::complex<double> asin2 = std::asin(std::complex<double>(2, 0));
    const struct {
        const char* name;
        Unary fn;
        CValue arg;
        Want want;
    } cases[] = {
        {"sqrt(-4)", MathSqrt, CValue(-4.0), C(0, 2)},
        {"sqrt(4)", MathSqrt, CValue(4.0), R(2)},
        {"log(-1)", MathLog, CValue(-1.0), C(0, kPi)},
        {"log(0)", MathLog, CValue(0.0), R(-INFINITY)},
        {"log(NaN)", MathLog, CValue(nan), R(nan)},
        {"log10(-10)", MathLog10, CValue(-10.0), C(1, kPi / std::log(10.0))},
        {"asin(1)", MathAsin, CValue(1.0), R(kPi / 2)},
        {"asin(NaN)", MathAsin, CValue(nan), R(nan)},
        {"asin(2)", MathAsin, CValue(2.0), C(asin2.real(), asin2.imag())},
        {"acos(0.5)", MathAcos, CValue(0.5), R(std::acos(0.5))},
        {"acosh(2)", MathAcosh, CValue(2.0), R(std::acosh(2.0))},
        {"atanh(0.5)", MathAtanh, CValue(0.5), R(std::atanh(0.5))},
        {"asech(0.5)", MathAsech, CValue(0.5), R(std::acosh(2.0))},
        {"acoth(2)", MathAcoth, CValue(2.0), R(std::atanh(0.5))},
        {"acsc(2)", MathAcsc, CValue(2.0), R(std::asin(0.5))},
        {"asec(2)", MathAsec, CValue(2.0), R(std::acos(0.5))},
        {"acot(1)", MathAcot, CValue(1.0), R(kPi / 4)},
        {"acsch(1)", MathAcsch, CValue(1.0), R(std::asinh(1.0))},
        {"cot(pi/4)", MathCot, CValue(kPi / 4), R(1.0 / std::tan(kPi / 4))},
        {"coth(1)", MathCoth, CValue(1.0), R(std::cosh(1.0) / std::sinh(1.0))},
        {"csc(pi/2)", MathCsc, CValue(kPi / 2), R(1)},
        {"sec(0)", MathSec, CValue(0.0), R(1)},
        {"sech(0)", MathSech, CValue(0.0), R(1)},
        {"csch(1)", MathCsch, CValue(1.0), R(1.0 / std::sinh(1.0))},
        {"exp(1i*pi)", MathExp, Cx(0, kPi), C(-1, std::sin(kPi))},
        {"sin(1+0i)", MathSin, Cx(1, 0), C(std::sin(1.0), 0)},
        {"cos(0)", MathCos, CValue(0.0), R(1)},
        {"tanh(0)", MathTanh, CValue(0.0), R(0)},
        {"abs(3+4i)", MathAbs, Cx(3, 4), R(5)},
        {"abs(-2)", MathAbs, CValue(-2.0), R(2)},
        {"sign(3+4i)", MathSign, Cx(3, 4), C(0.6, 0.8)},
        {"sign(-2)", MathSign, CValue(-2.0), R(-1)},
        {"sign(0)", MathSign, CValue(0.0), R(0)},
        {"sign(-5+0i)", MathSign, Cx(-5, 0), R(-1)},
        {"round(2.5)", MathRound, CValue(2.5), R(3)},
        {"round(-2.5)", MathRound, CValue(-2.5), R(-3)},
        {"round(2.4999)", MathRound, CValue(2.4999), R(2)},
        {"round(1.5-2.5i)", MathRound, Cx(1.5, -2.5), C(2, -3)},
        {"fix(-2.7)", MathFix, CValue(-2.7), R(-2)},
        {"fix(2.7-2.7i)", MathFix, Cx(2.7, -2.7), C(2, -2)},
        {"floor(1.5+2.5i)", MathFloor, Cx(1.5, 2.5), C(1, 2)},
        {"ceil(2+0i)", MathCeil, Cx(2, 0), C(2, 0)},
        {"arg(-1)", MathArg, CValue(-1.0), R(kPi)},
        {"arg(2)", MathArg, CValue(2.0), R(0)},
        {"arg(1i)", MathArg, Cx(0, 1), R(kPi / 2)},
        {"real(3+4i)", MathReal, Cx(3, 4), R(3)},
        {"imag(5)", MathImag, CValue(5.0), R(0)},
        {"imag(3+4i)", MathImag, Cx(3, 4), R(4)},
        {"conj(1+2i)", MathConj, Cx(1, 2), C(1, -2)},
        {"conj(3)", MathConj, CValue(3.0), R(3)},
    };
    for (const auto& c : cases) {
        CValue arg(c.arg), out;
        ASSERT_EQ(c.fn(&arg, &out), 0) << c.name;
        ExpectValue(out, c.want, c.name);
    }
    EXPECT_TRUE(cap.messages.empty());
}

TEST_F(MathTest, OutsideTheRealDomainTheResultIsComplex)
{
    const struct {
        const char* name;
        Unary fn;
        double x;
    } cases[] = {
        {"asin(2)", MathAsin, 2},       {"acos(-3)", MathAcos, -3},    {"acosh(0.5)", MathAcosh, 0.5},
        {"atanh(2)", MathAtanh, 2},     {"asech(2)", MathAsech, 2},    {"asech(-0.5)", MathAsech, -0.5},
        {"acoth(0.5)", MathAcoth, 0.5}, {"acsc(0.5)", MathAcsc, 0.5}, {"asec(0.5)", MathAsec, 0.5},
        {"log10(-1)", MathLog10, -1},
    };
    for (const auto& c : cases) {
        CValue arg(c.x), out;
        ASSERT_EQ(c.fn(&arg, &out), 0) << c.name;
        EXPECT_EQ(out.Type(), (uint32_t)VT_COMPLEX) << c.name;
    }
}

// The reciprocal functions far from the axis where their denominators
// overflow: 2 e^-|t| times a unit factor (t the large part), never NAN.
TEST_F(MathTest, ReciprocalsFarOutAreSmallNotNaN)
{
    using Z = std::complex<double>;
    const struct {
        const char* name;
        Unary fn;
        Z z;
        Z want;
    } cases[] = {
        {"sech(1000+0.001i)", MathSech, {1000, 0.001}, {0, 0}},
        {"sech(-1000+2i)", MathSech, {-1000, 2}, {0, 0}},
        {"csch(1000+0.001i)", MathCsch, {1000, 0.001}, {0, 0}},
        {"csch(-1000+2i)", MathCsch, {-1000, 2}, {0, 0}},
        {"sec(2-1000i)", MathSec, {2, -1000}, {0, 0}},
        {"csc(0.001+1000i)", MathCsc, {0.001, 1000}, {0, 0}},
        {"sech(30+1i)", MathSech, {30, 1}, 1.0 / std::cosh(Z(30, 1))},
        {"sech(-30-1i)", MathSech, {-30, -1}, 1.0 / std::cosh(Z(-30, -1))},
        {"csch(-30+1i)", MathCsch, {-30, 1}, 1.0 / std::sinh(Z(-30, 1))},
        {"csch(30-2i)", MathCsch, {30, -2}, 1.0 / std::sinh(Z(30, -2))},
        {"sec(1-30i)", MathSec, {1, -30}, 1.0 / std::cos(Z(1, -30))},
        {"sec(-2+30i)", MathSec, {-2, 30}, 1.0 / std::cos(Z(-2, 30))},
        {"csc(1+30i)", MathCsc, {1, 30}, 1.0 / std::sin(Z(1, 30))},
        {"csc(-2-30i)", MathCsc, {-2, -30}, 1.0 / std::sin(Z(-2, -30))},
    };
    for (const auto& c : cases) {
        CValue arg = Cx(c.z.real(), c.z.imag()), out;
        ASSERT_EQ(c.fn(&arg, &out), 0) << c.name;
        ASSERT_EQ(out.Type(), (uint32_t)VT_COMPLEX) << c.name;
        const Z got(out.ComplexRef().re, out.ComplexRef().im);
        EXPECT_LE(std::abs(got - c.want), 4e-16 * std::abs(c.want)) << c.name << " " << got;
    }
}

// Real zeros at the poles of the inverse functions: the limit from the side
// the zero's sign names, continuous with the arguments next to it.
TEST_F(MathTest, InversePolesFollowTheSignOfZero)
{
    const double inf = INFINITY;
    const struct {
        const char* name;
        Unary fn;
        double x;
        Want want;
    } cases[] = {
        {"asech(0)", MathAsech, 0.0, R(inf)},       {"asech(-0)", MathAsech, -0.0, C(inf, kPi)},
        {"asec(0)", MathAsec, 0.0, C(0, -inf)},     {"asec(-0)", MathAsec, -0.0, C(kPi, -inf)},
        {"acsc(0)", MathAcsc, 0.0, C(kPi / 2, inf)}, {"acsc(-0)", MathAcsc, -0.0, C(-kPi / 2, inf)},
        {"acoth(0)", MathAcoth, 0.0, C(0, -kPi / 2)}, {"acoth(-0)", MathAcoth, -0.0, C(0, kPi / 2)},
        {"acot(0)", MathAcot, 0.0, R(kPi / 2)},     {"acot(-0)", MathAcot, -0.0, R(-kPi / 2)},
        {"acsch(0)", MathAcsch, 0.0, R(inf)},       {"acsch(-0)", MathAcsch, -0.0, R(-inf)},
        // the neighbours the limits continue
        {"asech(-1e-300)", MathAsech, -1e-300, C(std::acosh(1e300), kPi)},
        {"asec(1e-300)", MathAsec, 1e-300, C(0, -std::acosh(1e300))},
        {"acsc(-1e-300)", MathAcsc, -1e-300, C(-kPi / 2, std::acosh(1e300))},
        {"acoth(1e-300)", MathAcoth, 1e-300, C(1e-300, -kPi / 2)},
        // a NaN stays on the real path
        {"asech(NaN)", MathAsech, std::nan(""), R(std::nan(""))},
    };
    for (const auto& c : cases) {
        CValue arg(c.x), out;
        ASSERT_EQ(c.fn(&arg, &out), 0) << c.name;
        ExpectValue(out, c.want, c.name);
    }
}

// asin(x) + acos(x) = pi/2 and asec(x) + acsc(x) = pi/2 for every real x.
TEST_F(MathTest, InversePairsAddUpToHalfPi)
{
    for (double x : {1.5, 3.0, 1e200, -1.5, -3.0, 0.5, -0.5, 1e-200, -1e-200, 1.0, -1.0}) {
        for (auto pair : {std::make_pair(MathAsin, MathAcos), std::make_pair(MathAcsc, MathAsec)}) {
            CValue a(x), b(x), outA, outB;
            ASSERT_EQ(pair.first(&a, &outA), 0);
            ASSERT_EQ(pair.second(&b, &outB), 0);
            const Complex s = outA.GetComplex(), t = outB.GetComplex();
            EXPECT_NEAR(s.re + t.re, kPi / 2, 1e-15) << x;
            EXPECT_EQ(s.im + t.im, 0.0) << x;
        }
    }
}

TEST_F(MathTest, MatrixCellsKeepTheirOwnTypes)
{
    CValue m = vb::Mat({{4, -9}}), out;
    ASSERT_EQ(MathSqrt(&m, &out), 0);
    EXPECT_EQ(vb::Text(out), "[2,0+3i]");

    // A bad cell stops the walk; the cells before it stay.
    CValue bad;
    CValueMatrix& b = bad.MakeMatrix(1, 3);
    b.Cell(0, 0).SetReal(0.0);
    b.Cell(0, 1).SetString("xy");
    b.Cell(0, 2).SetReal(1.0);
    ASSERT_EQ(MathSin(&bad, &out), ERR_INTERNAL);
    EXPECT_EQ(vb::Text(out), "[0,empty,empty]");
    ASSERT_EQ(cap.messages.size(), 1u);
    EXPECT_EQ(cap.messages[0], "Error: Invalid argument of sin function (String)");
}

TEST_F(MathTest, InvalidArgumentsNameTheFunctionAndType)
{
    const struct {
        const char* text;
        int status;
        const char* message;  // null: no message
    } cases[] = {
        {"abs(\"ab\")", ERR_INTERNAL, "Error: Invalid argument of abs function (String)"},
        {"sin(\"a\")", ERR_INTERNAL, "Error: Invalid argument of sin function (Char)"},
        {"mod(\"a\",2)", ERR_INTERNAL,
         "Error: Function mod; arguments must be a scalars, or arrays of scalars of the same size"},
        {"rem(2,\"ab\")", ERR_INTERNAL,
         "Error: Function rem; arguments must be a scalars, or arrays of scalars of the same size"},
        {"angle(\"a\",1)", ERR_INTERNAL, "Error: Invalid argument of angle function (Char and Real)"},
        {"rlog(\"xy\")", ERR_ARGUMENT_TYPE, "Error: Invalid argument of rlog function (String)"},
        {"rsqrt(1+1i)", ERR_ARGUMENT_TYPE, "Error: Invalid argument of rsqrt function (Complex)"},
        {"rpow(-8,1/3)", ERR_FUNCTION_ARGUMENTS, nullptr},
        {"rpow(\"a\",2)", ERR_ARGUMENT_TYPE, nullptr},
        {"rlog(-1)", ERR_FUNCTION_ARGUMENTS, nullptr},
        {"rsqrt(-4)", ERR_FUNCTION_ARGUMENTS, nullptr},
        {"polar(1+1i,1)", ERR_ARGUMENT_TYPE, nullptr},
        {"gamma(1+1i)", ERR_ARGUMENT_TYPE, nullptr},
        {"gammaln(\"a\")", ERR_ARGUMENT_TYPE, nullptr},
        {"mod([1,2],[1,2,3])", ERR_SIZE_MISMATCH, nullptr},
    };
    for (const auto& c : cases) {
        cap.Reset();
        CValue v;
        EXPECT_EQ(Eval(c.text, v), c.status) << c.text;
        if (c.message) {
            ASSERT_EQ(cap.messages.size(), 1u) << c.text;
            EXPECT_EQ(cap.messages[0], c.message) << c.text;
        } else {
            EXPECT_TRUE(cap.messages.empty()) << c.text;
        }
    }
}

TEST_F(MathTest, ThroughExpressions)
{
    CValue v;
    ASSERT_EQ(Eval("sqrt(-4)", v), 0);
    ExpectValue(v, C(0, 2), "sqrt(-4)");
    ASSERT_EQ(Eval("log(0)", v), 0);
    ExpectValue(v, R(-INFINITY), "log(0)");
    EXPECT_EQ(EvalReal("mod(-7,3)"), 2);
    EXPECT_TRUE(std::isnan(EvalReal("rem(5,0)")));
    EXPECT_EQ(EvalReal("round(-2.5)"), -3);
    EXPECT_EQ(EvalReal("rpow(2,10)"), 1024);
    ASSERT_EQ(Eval("rpow(2,[1,2,3])", v), 0);
    EXPECT_EQ(vb::Text(v), "[2,4,8]");
    EXPECT_TRUE(cap.messages.empty());
}

TEST_F(MathTest, ModRemAngleAndPolar)
{
    const struct {
        const char* name;
        Binary fn;
        CValue x, y;
        Want want;
    } cases[] = {
        {"mod(-7,3)", MathMod, CValue(-7.0), CValue(3.0), R(2)},
        {"rem(-7,3)", MathRem, CValue(-7.0), CValue(3.0), R(-1)},
        {"mod(7,-3)", MathMod, CValue(7.0), CValue(-3.0), R(-2)},
        {"rem(7,-3)", MathRem, CValue(7.0), CValue(-3.0), R(1)},
        {"mod(5,0)", MathMod, CValue(5.0), CValue(0.0), R(5)},
        {"rem(5,0)", MathRem, CValue(5.0), CValue(0.0), R(std::nan(""))},
        {"mod(7+0i,3)", MathMod, Cx(7, 0), CValue(3.0), R(1)},
        {"angle(0,1)", MathAngle, CValue(0.0), CValue(1.0), R(kPi / 2)},
        {"angle(-1+5i,0)", MathAngle, Cx(-1, 5), CValue(0.0), R(kPi)},
        {"polar(2,0)", MathPolar, CValue(2.0), CValue(0.0), C(2, 0)},
        {"polar(2,pi/2)", MathPolar, CValue(2.0), CValue(kPi / 2), C(2 * std::cos(kPi / 2), 2)},
        {"rpow(2,0.5)", MathRpow, CValue(2.0), CValue(0.5), R(std::sqrt(2.0))},
    };
    for (const auto& c : cases) {
        CValue x(c.x), y(c.y), out;
        ASSERT_EQ(c.fn(&x, &y, &out), 0) << c.name;
        ExpectValue(out, c.want, c.name);
    }

    CValue m = vb::Mat({{-7, 7}}), three(3.0), out;
    ASSERT_EQ(MathMod(&m, &three, &out), 0);
    EXPECT_EQ(vb::Text(out), "[2,1]");
    CValue ten(10.0), d = vb::Mat({{3, 4}});
    ASSERT_EQ(MathRem(&ten, &d, &out), 0);
    EXPECT_EQ(vb::Text(out), "[1,2]");
    CValue a = vb::Mat({{1, 2}}), zeroC = Cx(0, 0);
    ASSERT_EQ(MathPolar(&a, &zeroC, &out), 0);  // a real-valued scalar partner
    EXPECT_EQ(vb::Text(out), "[1+0i,2+0i]");
    CValue xs = vb::Mat({{1, 0}}), ys = vb::Mat({{0, 1}});
    ASSERT_EQ(MathAngle(&xs, &ys, &out), 0);
    ExpectValue(out.Matrix().Cell(0, 1), R(kPi / 2), "angle cell");

    // rpow keeps a non-finite value although it fails.
    CValue big(10.0), e(400.0);
    EXPECT_EQ(MathRpow(&big, &e, &out), ERR_FUNCTION_ARGUMENTS);
    ExpectValue(out, R(INFINITY), "rpow overflow");
    EXPECT_TRUE(cap.messages.empty());
}

TEST_F(MathTest, GammaCarriesTheSignOfTheGammaFunction)
{
    const double nan = std::nan("");
    const struct {
        double x, gamma, gammaln;
    } cases[] = {
        {5, 24, std::log(24.0)},
        {0.5, std::sqrt(kPi), std::log(std::sqrt(kPi))},
        {-0.5, -2 * std::sqrt(kPi), std::log(2 * std::sqrt(kPi))},
        {-1.5, 4 * std::sqrt(kPi) / 3, std::log(4 * std::sqrt(kPi) / 3)},
        {0, INFINITY, INFINITY},
        {-0.0, INFINITY, INFINITY},
        {-2, INFINITY, INFINITY},
        {nan, nan, nan},
    };
    for (const auto& c : cases) {
        CValue x(c.x), out;
        ASSERT_EQ(MathGamma(&x, &out), 0) << c.x;
        ExpectValue(out, R(c.gamma), "gamma(" + std::to_string(c.x) + ")");
        ASSERT_EQ(MathGammaln(&x, &out), 0) << c.x;
        ExpectValue(out, R(c.gammaln), "gammaln(" + std::to_string(c.x) + ")");
    }
}

TEST_F(MathTest, GammaOfAMatrixWorksInPlaceAndConsumesItsArgument)
{
    CValue m = vb::Mat({{1, 2, 3}, {4, 5, 6}}), out(7.0);
    ASSERT_EQ(MathGamma(&m, &out), 0);
    EXPECT_EQ(vb::Text(out), "[1,1,2;6,24,120]");
    EXPECT_EQ(vb::Text(m), "7");  // the argument holds what out held

    CValue bad;
    CValueMatrix& b = bad.MakeMatrix(1, 3);
    b.Cell(0, 0).SetReal(3.0);
    b.Cell(0, 1).SetComplex(Complex(1, 1));
    b.Cell(0, 2).SetReal(4.0);
    CValue res;
    EXPECT_EQ(MathGamma(&bad, &res), ERR_ARGUMENT_TYPE);
    EXPECT_EQ(vb::Text(res), "[2,1+1i,4]");  // cells after the failure untouched
    EXPECT_TRUE(cap.messages.empty());
}

}  // namespace
