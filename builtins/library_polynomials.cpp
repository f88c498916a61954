// The "Polynomials" library: ten rows of which nine are registered; the last
// one, intpoly, is not callable and not listed.
#include "builtins/libraries.h"
#include "builtins/polynomial_functions.h"

namespace {

// The constant of integration when polyint is called with P alone.
CValue g_integralConstant[] = {CValue(0.0)};

template <class F>
FuncEntry Row(const char* name, int32_t inputs, int32_t outputs, F handler, int32_t form, const char* help,
              const char* prototype, int32_t defaults = 0, CValue* values = nullptr)
{
    return FuncEntry{name, inputs, outputs, AsFuncHandler(handler), form, help, prototype, defaults, values};
}

FuncEntry g_rows[] = {
    Row("poly", 2, 1, BuiltinPoly, CALL_A2,
        "poly(P,X);\r\nReturns the value of a polynomial with coefficients P at the point X", "poly(P,X)"),
    Row("polyroots", -1, 1, BuiltinPolyroots, CALL_VECTOR,
        "polyroots(P[,tol=1e-12]);\r\nReturns a vector whose elements are the roots of the polynomial P, using "
        "tolerance tol.\r\nVector P contains the coefficients of a polynomial, ordered in ascending powers. If P "
        "has n components, the polynomial it represents is p(1)+p(2)*x+p(3)*x^2+...+ p(n)*x^(n-1)\r\n",
        "polyroots(P)"),
    Row("rootspoly", 1, 1, BuiltinRootspoly, CALL_A1,
        "rootspoly(R)\r\nReturns a vector whose elements are the coefficients of the polynomial in ascending "
        "powers whose roots are the elements of R",
        "rootspoly(R)"),
    Row("conv", 2, 1, BuiltinConv, CALL_A2,
        "conv(P,Q);\r\nConvolves vectors Q and P. Algebraically, convolution is the same operation as "
        "multiplying the polynomials whose coefficients are the elements of Q and P",
        "conv(Q,P)"),
    Row("deconv", 2, 2, BuiltinDeconv, CALL_A2,
        "[H,R]=conv(P,Q);\r\nDeconvolves vector Q out of vector P, using long division. The quotient is "
        "returned in vector H and the remainder in vector R such that P=polysum(conv(Q,H),R)",
        "deconv(P,Q)"),
    Row("polysum", 2, 1, BuiltinPolysum, CALL_A2,
        "polysum(P,Q);\r\nAlgebraically addition of the two polynomials, whose coefficients are the elements "
        "of P and Q",
        "polysum(P,Q)"),
    Row("polysub", 2, 1, BuiltinPolysub, CALL_A2,
        "polysub(P,Q);\r\nSubtracts the polynomial whose coefficients P from the polynomial Q", "polysub(P,Q)"),
    Row("polyder", 1, 1, BuiltinPolyder, CALL_A1, "polyder(P);\r\nCalculates the derivative of polynomial P",
        "polyder(P)"),
    Row("polyint", 2, 1, BuiltinPolyint, CALL_A2, "polyint(P,[k=0]);\r\nCalculates the integral of polynomial P",
        "polyint(P)", 1, g_integralConstant),
    Row("intpoly", 2, 1, BuiltinIntpoly, CALL_A2,
        "p=intpoly(x,y);\r\nCalculates a coefficients of interpolation polynomial p of function", "intpoly(x,y)"),
};

constexpr int32_t kRowsPresent = (int32_t)(sizeof(g_rows) / sizeof(g_rows[0]));

}  // namespace

FuncLibrary PolynomialsLibrary = {"Polynomials", g_rows, kRowsPresent - 1, nullptr, 0};
