#pragma once
// Polynomials with value coefficients in ascending powers: cell i is the
// coefficient of x^i. Every step uses the value operators, so coefficients may
// be any values those accept. The operations return 0.
#include <cstdint>

#include "values/value.h"

class CPolynomial {
public:
    CValue* m_pCoeffs = nullptr;  // row block (values/value_matrix.h row routines)
    int32_t m_nCount = 0;         // 0: no block

    CPolynomial() noexcept {}
    CPolynomial(const CValue* cells, int n);  // copies n cells
    CPolynomial(const CPolynomial& src);
    CPolynomial& operator=(const CPolynomial& src);
    ~CPolynomial();

    int Count() const { return m_nCount; }
    bool IsEmpty() const { return m_nCount == 0; }
    CValue& operator[](int i) const { return m_pCoeffs[i]; }

    void Fill(int n, const CValue& value);  // n cells equal to value
    void Resize(int n);                     // a new count gives n empty cells
    void Clear();
    // Drops highest-power cells equal to Real 0, keeping one; false when empty or
    // nothing was dropped.
    bool TrimLeadingZeros();

    int Multiply(const CPolynomial& a, const CPolynomial& b);  // this = a * b
    // this = quotient of the n dividend cells by divisor, remainder filled. The
    // call takes over the dividend block (made by the row routines) and frees it.
    // Remainder cells below the divisor's degree whose modulus is within tolerance
    // are dropped from the top.
    int Divide(CValue* dividend, int n, const CPolynomial& divisor, CPolynomial& remainder, double tolerance);
    // Sum of c[i] x^i with the three-operand power, so x may be a matrix.
    int Evaluate(CValue& out, const CValue& x) const;
    int Derivative(const CPolynomial& a);
    int Integral(const CPolynomial& a, const CValue& constant);
    int FromRoots(const CValue* roots, int n);  // monic, product of (x - root)
    int Add(const CPolynomial& b);
    int Subtract(const CPolynomial& b);

private:
    // Installs a new block of n cells (the count is 0 when the heap refused it).
    void Adopt(CValue* block, int n);
};
