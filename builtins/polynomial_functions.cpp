// The "Polynomials" handlers: argument checks around the value core's
// polynomial operations and root finder.
#include "builtins/polynomial_functions.h"

#include <vector>

#include "values/output_stream.h"
#include "values/poly_roots.h"
#include "values/polynomial.h"
#include "values/value_matrix.h"

namespace {

const char* const kCoefficients = "First argument must be a vector of polynomial coefficients";
const char* const kTwoVectors = "Arguments must be a vectors of polynomial coefficients";

// A one-row matrix.
bool IsCoefficientRow(const CValue& v) { return v.Type() == VT_MATRIX && v.Matrix().Rows() == 1; }

CPolynomial FromRow(const CValue& v) { return CPolynomial(v.Matrix().Row(0), v.Matrix().Cols()); }

// A 1 x n matrix of the coefficients; empty when there are none.
void WriteRow(const CPolynomial& p, CValue& out)
{
    CValue result;
    CValueMatrix& m = result.MakeMatrix(p.Count() > 0 ? 1 : 0, p.Count());
    for (int i = 0; i < m.Cols(); ++i) m.Cell(0, i) = p[i];
    out.Swap(result);
}

StatusWord Refuse(const char* text)
{
    ReportError() << text;
    return ERR_INTERNAL;
}

StatusWord AddOrSubtract(CValue* p, CValue* q, CValue* out, bool subtract)
{
    if (!IsCoefficientRow(*p) || !IsCoefficientRow(*q)) return Refuse(kTwoVectors);
    CPolynomial a = FromRow(*p);
    const CPolynomial b = FromRow(*q);
    if (int st = subtract ? a.Subtract(b) : a.Add(b)) return st;
    WriteRow(a, *out);
    return 0;
}

}  // namespace

StatusWord BuiltinPoly(CValue* p, CValue* x, CValue* out)
{
    if (!IsCoefficientRow(*p)) return Refuse("The argument of a polynomial representation must be a row-vector");
    CValue result;
    if (int st = FromRow(*p).Evaluate(result, *x)) return st;
    out->Swap(result);
    return 0;
}

StatusWord BuiltinPolyroots(CValue** args, int count, CValue* out)
{
    if (count < 1 || !IsCoefficientRow(*args[0])) return Refuse(kCoefficients);
    const CValueMatrix& m = args[0]->Matrix();
    std::vector<Complex> coeffs;
    for (int i = 0; i < m.Cols(); ++i) {
        const CValue& c = m.Cell(0, i);
        if (!c.IsNumber()) return Refuse("Polynomial coefficients must be a complex or real numbers");
        coeffs.push_back(c.GetComplex());
    }
    double tol = 1e-12;
    if (count >= 2) {
        if (!args[1]->IsRealValued()) return Refuse("Tolerance must be a scalar");
        tol = args[1]->GetComplex().re;
    }
    std::vector<Complex> roots;
    if (PolyRoots(coeffs.data(), (int)coeffs.size(), roots, tol) != 0) return ERR_INTERNAL;  // reported
    CValue result;
    CValueMatrix& r = result.MakeMatrix(roots.empty() ? 0 : 1, (int)roots.size());
    for (int i = 0; i < r.Cols(); ++i) r.Cell(0, i).SetComplex(roots[(size_t)i]);
    out->Swap(result);
    return 0;
}

StatusWord BuiltinRootspoly(CValue* r, CValue* out)
{
    if (!IsCoefficientRow(*r)) return Refuse("First argument must be a vector of polynomial roots");
    CPolynomial p;
    if (int st = p.FromRoots(r->Matrix().Row(0), r->Matrix().Cols())) return st;
    WriteRow(p, *out);
    return 0;
}

StatusWord BuiltinConv(CValue* q, CValue* p, CValue* out)
{
    if (!IsCoefficientRow(*q) || !IsCoefficientRow(*p)) return Refuse(kTwoVectors);
    CPolynomial product;
    if (int st = product.Multiply(FromRow(*q), FromRow(*p))) return st;
    WriteRow(product, *out);
    return 0;
}

StatusWord BuiltinDeconv(CValue* p, CValue* q, CValue* out)
{
    if (!IsCoefficientRow(*p) || !IsCoefficientRow(*q)) return Refuse(kTwoVectors);
    const CValueMatrix& a = p->Matrix();
    CValue* dividend = CopyValueRow(a.Cols(), a.Row(0));  // taken over by the division
    if (!dividend) return ERR_INTERNAL;
    CPolynomial quotient, remainder;
    // Remainder cells this small above the constant term count as zero.
    if (int st = quotient.Divide(dividend, a.Cols(), FromRow(*q), remainder, 1e-12)) return st;
    CValue result;
    CValueMatrix& r = result.MakeMatrix(1, 2);
    if (r.Cols() != 2) return ERR_INTERNAL;
    WriteRow(quotient, r.Cell(0, 0));
    WriteRow(remainder, r.Cell(0, 1));
    out->Swap(result);
    return 0;
}

StatusWord BuiltinPolysum(CValue* p, CValue* q, CValue* out) { return AddOrSubtract(p, q, out, false); }
StatusWord BuiltinPolysub(CValue* p, CValue* q, CValue* out) { return AddOrSubtract(p, q, out, true); }

StatusWord BuiltinPolyder(CValue* p, CValue* out)
{
    if (!IsCoefficientRow(*p)) return Refuse(kCoefficients);
    CPolynomial d;
    if (int st = d.Derivative(FromRow(*p))) return st;
    WriteRow(d, *out);
    return 0;
}

StatusWord BuiltinPolyint(CValue* p, CValue* k, CValue* out)
{
    if (!IsCoefficientRow(*p)) return Refuse(kCoefficients);
    CPolynomial integral;
    if (int st = integral.Integral(FromRow(*p), *k)) return st;
    WriteRow(integral, *out);
    return 0;
}

StatusWord BuiltinIntpoly(CValue* x, CValue* y, CValue* out)
{
    if (!IsCoefficientRow(*x) || !IsCoefficientRow(*y) || x->Matrix().Cols() != y->Matrix().Cols())
        return Refuse(kTwoVectors);
    std::vector<Complex> xs, ys, coeffs;
    for (int i = 0; i < x->Matrix().Cols(); ++i) {
        const CValue& a = x->Matrix().Cell(0, i);
        const CValue& b = y->Matrix().Cell(0, i);
        if (!a.IsNumber() || !b.IsNumber()) return Refuse("Polynomial coefficients must be a complex or real numbers");
        xs.push_back(a.GetComplex());
        ys.push_back(b.GetComplex());
    }
    if (PolyInterpolate(coeffs, xs.data(), ys.data(), (int)xs.size()) != 0) return ERR_ARGUMENT_TYPE;
    CValue result;
    CValueMatrix& r = result.MakeMatrix(1, (int)coeffs.size());
    for (int i = 0; i < r.Cols(); ++i) r.Cell(0, i).SetComplex(coeffs[(size_t)i]);
    out->Swap(result);
    return 0;
}
