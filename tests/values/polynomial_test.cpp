#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "support/capture.h"
#include "values/polynomial.h"
#include "values/value_matrix.h"
#include "value_builders.h"

using namespace vb;

namespace {

CPolynomial Poly(std::initializer_list<double> coefficients)
{
    CPolynomial p;
    p.Resize((int)coefficients.size());
    int i = 0;
    for (double c : coefficients) p[i++].SetReal(c);
    return p;
}

std::string Text(const CPolynomial& p)
{
    std::string s = "[";
    for (int i = 0; i < p.Count(); ++i) s += (i ? "," : "") + vb::Text(p[i]);
    return s + "]";
}

TEST(Polynomial, MultiplyDerivativeIntegralRoots)
{
    CPolynomial r;
    r.Multiply(Poly({1, 1}), Poly({1, -1}));
    EXPECT_EQ(Text(r), "[1,0,-1]");
    r.Derivative(Poly({5, 3, 2}));
    EXPECT_EQ(Text(r), "[3,4]");
    r.Derivative(Poly({5}));
    EXPECT_EQ(Text(r), "[]");
    r.Integral(Poly({3, 4}), Real(7));
    EXPECT_EQ(Text(r), "[7,3,2]");
    CValue roots[] = {Real(1), Real(2)};
    r.FromRoots(roots, 2);
    EXPECT_EQ(Text(r), "[2,-3,1]");
    CValue complexRoots[] = {Cx(0, 1), Cx(0, -1)};
    r.FromRoots(complexRoots, 2);
    EXPECT_EQ(Text(r), "[1+0i,0+0i,1]");
    r.FromRoots(nullptr, 0);
    EXPECT_EQ(Text(r), "[1]");
    // Results may be computed from the polynomial itself.
    r = Poly({1, 2, 3});
    r.Derivative(r);
    EXPECT_EQ(Text(r), "[2,6]");
}

struct DivideCase {
    const char* name;
    CPolynomial dividend, divisor;
    std::string quotient, remainder;
};

TEST(Polynomial, DivideTable)
{
    DivideCase cases[] = {
        {"exact", Poly({-1, 0, 1}), Poly({1, 1}), "[-1,1]", "[0]"},
        {"dividend of lower degree", Poly({3}), Poly({1, 1}), "[0]", "[3]"},
        {"remainder kept", Poly({1, 0, 1}), Poly({1, 1}), "[-1,1]", "[2]"},
        {"small remainder cells dropped from the top", Poly({1, 1, 0, 1}), Poly({0, 0, 1}), "[0,1]", "[1,1]"},
        {"remainder below tolerance", Poly({1, 1e-15, 0, 0, 1}), Poly({0, 0, 0, 1}), "[0,1]", "[1]"},
        {"empty dividend", CPolynomial(), Poly({1, 1}), "[0]", "[]"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        CPolynomial q, rem = Poly({9, 9});
        q.Divide(CopyValueRow(c.dividend.Count(), c.dividend.m_pCoeffs), c.dividend.Count(), c.divisor, rem, 1e-12);
        EXPECT_EQ(Text(q), c.quotient);
        EXPECT_EQ(Text(rem), c.remainder);
    }
}

TEST(Polynomial, EvaluateWithoutNesting)
{
    CPolynomial p = Poly({1, 2, 3});
    CValue out;
    p.Evaluate(out, Real(2));
    EXPECT_EQ(vb::Text(out), "17");
    p.Evaluate(out, Cx(0, 1));  // 1 + 2i - 3
    EXPECT_EQ(vb::Text(out), "-2+2i");
    CPolynomial().Evaluate(out, Real(5));
    EXPECT_EQ(vb::Text(out), "0");
    // Powers of a matrix argument are matrix powers, and the constant term is added
    // to every cell: 1 + 2 X + 3 X^2 with X = [1,1;0,1], X^2 = [1,2;0,1].
    p.Evaluate(out, Mat({{1, 1}, {0, 1}}));
    EXPECT_EQ(vb::Text(out), "[6,9;1,6]");  // value cells keep their kinds
}

TEST(Polynomial, AddSubtractTrim)
{
    CPolynomial a = Poly({1, 2, 3});
    a.Add(Poly({1, 2, -3}));
    EXPECT_EQ(Text(a), "[2,4]");
    a.Add(Poly({0, 0, 5}));
    EXPECT_EQ(Text(a), "[2,4,5]");
    a.Subtract(Poly({1, 1, 5}));
    EXPECT_EQ(Text(a), "[1,3]");
    a.Subtract(Poly({0, 0, 2}));
    EXPECT_EQ(Text(a), "[1,3,-2]");
    a.Add(a);
    EXPECT_EQ(Text(a), "[2,6,-4]");

    CPolynomial empty;
    empty.Subtract(Poly({1, 2}));
    EXPECT_EQ(Text(empty), "[]");

    CPolynomial zeros = Poly({0, 0, 0});
    EXPECT_TRUE(zeros.TrimLeadingZeros());
    EXPECT_EQ(Text(zeros), "[0]");
    EXPECT_FALSE(zeros.TrimLeadingZeros());
    EXPECT_FALSE(CPolynomial().TrimLeadingZeros());
}

TEST(Polynomial, FillResizeAndCopies)
{
    CPolynomial p;
    p.Fill(3, Real(2));
    EXPECT_EQ(Text(p), "[2,2,2]");
    CValue* block = p.m_pCoeffs;
    p.Fill(3, Real(4));
    EXPECT_EQ(p.m_pCoeffs, block);  // same count: cells assigned in place
    CPolynomial copy(p);
    copy[0].SetReal(1);
    EXPECT_EQ(Text(p), "[4,4,4]");
    p.Resize(2);
    EXPECT_EQ(Text(p), "[empty,empty]");
    p = copy;
    EXPECT_EQ(Text(p), "[1,4,4]");
    p.Clear();
    EXPECT_TRUE(p.IsEmpty());
}

}  // namespace
