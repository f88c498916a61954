// Polynomial arithmetic on value coefficients.
#include "values/polynomial.h"

#include <utility>

#include "values/elementary.h"
#include "values/operators.h"
#include "values/power.h"
#include "values/value_matrix.h"

namespace {

const CValue& RealZero()
{
    static const CValue zero(0.0);
    return zero;
}

}  // namespace

CPolynomial::CPolynomial(const CValue* cells, int n)
{
    if (n > 0) Adopt(CopyValueRow(n, cells), n);
}

CPolynomial::CPolynomial(const CPolynomial& src) : CPolynomial(src.m_pCoeffs, src.m_nCount) {}

CPolynomial& CPolynomial::operator=(const CPolynomial& src)
{
    if (this != &src) {
        Clear();
        if (src.m_nCount > 0) Adopt(CopyValueRow(src.m_nCount, src.m_pCoeffs), src.m_nCount);
    }
    return *this;
}

CPolynomial::~CPolynomial() { Clear(); }

void CPolynomial::Adopt(CValue* block, int n)
{
    FreeValueRow(m_pCoeffs, m_nCount);
    m_pCoeffs = block;
    m_nCount = block ? n : 0;
}

void CPolynomial::Clear() { Adopt(nullptr, 0); }

void CPolynomial::Fill(int n, const CValue& value)
{
    if (n == m_nCount) {
        for (int i = 0; i < n; ++i) m_pCoeffs[i] = value;
        return;
    }
    Adopt(n > 0 ? AllocValueRow(n, value) : nullptr, n);
}

void CPolynomial::Resize(int n)
{
    if (n != m_nCount) Adopt(n > 0 ? AllocEmptyValueRow(n) : nullptr, n);
}

bool CPolynomial::TrimLeadingZeros()
{
    if (m_nCount == 0) return false;
    int n = m_nCount;
    while (n >= 2 && ValueEquals(m_pCoeffs[n - 1], RealZero())) --n;
    if (n == m_nCount) return false;
    m_pCoeffs = ReallocValueRow(m_pCoeffs, m_nCount, n, CValue());
    m_nCount = n;
    return true;
}

int CPolynomial::Multiply(const CPolynomial& a, const CPolynomial& b)
{
    if (a.IsEmpty() || b.IsEmpty()) {
        Clear();
        return 0;
    }
    CPolynomial r;
    r.Fill(a.m_nCount + b.m_nCount - 1, RealZero());
    if (r.IsEmpty()) return 0;
    for (int i = a.m_nCount - 1; i >= 0; --i)
        for (int j = b.m_nCount - 1; j >= 0; --j) ValueAdd(r[i + j], ValueProduct(a[i], b[j]));
    std::swap(m_pCoeffs, r.m_pCoeffs);
    std::swap(m_nCount, r.m_nCount);
    return 0;
}

int CPolynomial::Divide(CValue* dividend, int n, const CPolynomial& divisor, CPolynomial& remainder,
                        double tolerance)
{
    CValue* a = dividend;
    if (!a) n = 0;
    const int d = divisor.m_nCount - 1;
    CPolynomial quotient, rest;
    if (d < 0) {
        // No divisor at all: nothing divides, everything remains.
        rest.Adopt(a, n);
    } else if (n - 1 < d) {
        quotient.Fill(1, RealZero());
        rest.Adopt(a, n);
    } else {
        quotient.Resize(n - d);
        if (quotient.IsEmpty()) {
            FreeValueRow(a, n);
            return 0;
        }
        for (int k = n - 1 - d; k >= 0; --k) {
            quotient[k] = ValueQuotient(a[k + d], divisor[d]);
            for (int j = d; j >= 0; --j) a[k + j] = ValueDifference(a[k + j], ValueProduct(quotient[k], divisor[j]));
        }
        int length = 1;
        if (d >= 2)
            for (int i = d - 1; i >= 1; --i)
                if (ValueGreaterReal(ValueAbs(a[i]), tolerance)) {
                    length = i + 1;
                    break;
                }
        rest = CPolynomial(a, length);
        FreeValueRow(a, n);
    }
    // Both results are built aside: the remainder may be this polynomial.
    std::swap(m_pCoeffs, quotient.m_pCoeffs);
    std::swap(m_nCount, quotient.m_nCount);
    std::swap(remainder.m_pCoeffs, rest.m_pCoeffs);
    std::swap(remainder.m_nCount, rest.m_nCount);
    return 0;
}

int CPolynomial::Evaluate(CValue& out, const CValue& x) const
{
    if (IsEmpty()) {
        out.SetReal(0.0);
        return 0;
    }
    CValue acc(m_pCoeffs[0]);
    for (int i = 1; i < m_nCount; ++i) ValueAdd(acc, ValueProduct(m_pCoeffs[i], ValuePowerOf(x, CValue((double)i))));
    out.Swap(acc);
    return 0;
}

int CPolynomial::Derivative(const CPolynomial& a)
{
    CPolynomial r;
    if (a.m_nCount > 1) {
        r.Resize(a.m_nCount - 1);
        for (int i = 1; i <= r.m_nCount; ++i) r[i - 1] = ValueProduct(a[i], CValue((double)i));
    }
    std::swap(m_pCoeffs, r.m_pCoeffs);
    std::swap(m_nCount, r.m_nCount);
    return 0;
}

int CPolynomial::Integral(const CPolynomial& a, const CValue& constant)
{
    CPolynomial r;
    r.Resize(a.m_nCount + 1);
    if (!r.IsEmpty()) {
        r[0] = constant;
        for (int i = 1; i < r.m_nCount; ++i) r[i] = ValueQuotient(a[i - 1], CValue((double)i));
    }
    std::swap(m_pCoeffs, r.m_pCoeffs);
    std::swap(m_nCount, r.m_nCount);
    return 0;
}

int CPolynomial::FromRoots(const CValue* roots, int n)
{
    CPolynomial c;
    if (n <= 0) {
        c.Fill(1, CValue(1.0));
    } else {
        c.Resize(n + 1);
        if (c.IsEmpty()) {
            Clear();
            return 0;
        }
        c[0] = ValueNegated(roots[0]);
        c[1].SetReal(1.0);
        for (int k = 2; k <= n; ++k) {
            c[k].SetReal(1.0);
            const CValue& t = roots[k - 1];
            for (int j = k - 1; j >= 1; --j) c[j] = ValueDifference(c[j - 1], ValueProduct(t, c[j]));
            c[0] = ValueProduct(ValueNegated(t), c[0]);
        }
    }
    std::swap(m_pCoeffs, c.m_pCoeffs);
    std::swap(m_nCount, c.m_nCount);
    return 0;
}

int CPolynomial::Add(const CPolynomial& other)
{
    const CPolynomial b(other);  // other may be this polynomial
    if (b.m_nCount > m_nCount) {
        CPolynomial old;
        std::swap(old.m_pCoeffs, m_pCoeffs);
        std::swap(old.m_nCount, m_nCount);
        *this = b;
        for (int i = 0; i < old.m_nCount && i < m_nCount; ++i) ValueAdd(m_pCoeffs[i], old[i]);
    } else {
        for (int i = 0; i < b.m_nCount; ++i) ValueAdd(m_pCoeffs[i], b[i]);
    }
    TrimLeadingZeros();
    return 0;
}

int CPolynomial::Subtract(const CPolynomial& other)
{
    const CPolynomial b(other);
    if (b.m_nCount <= m_nCount) {
        for (int i = 0; i < b.m_nCount; ++i) ValueSub(m_pCoeffs[i], b[i]);
    } else if (m_nCount > 0) {
        CPolynomial r;
        r.Resize(b.m_nCount);
        if (r.IsEmpty()) return 0;
        for (int i = 0; i < b.m_nCount; ++i)
            r[i] = i < m_nCount ? ValueDifference(m_pCoeffs[i], b[i]) : ValueNegated(b[i]);
        std::swap(m_pCoeffs, r.m_pCoeffs);
        std::swap(m_nCount, r.m_nCount);
    }
    TrimLeadingZeros();
    return 0;
}
