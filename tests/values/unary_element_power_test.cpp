#include <gtest/gtest.h>

#include <cmath>

#include "support/capture.h"
#include "values/power.h"
#include "values/value.h"
#include "values/value_matrix.h"

namespace {

CValue Row(std::initializer_list<double> xs, int rows = 1)
{
    CValue v;
    int cols = (int)xs.size() / rows;
    CValueMatrix& m = v.MakeMatrix(rows, cols);
    int i = 0;
    for (double x : xs) m.Cell(i / cols, i % cols).SetReal(x), ++i;
    return v;
}

// Real parts (Complex cells included) row-major.
std::vector<double> Re(const CValue& v)
{
    std::vector<double> out;
    const CValueMatrix& m = v.Matrix();
    for (int r = 0; r < m.Rows(); ++r)
        for (int c = 0; c < m.Cols(); ++c) out.push_back(m.Cell(r, c).GetComplex().re);
    return out;
}

TEST(UnaryOperators, NotIncrementAndTruth)
{
    CValue a(0.0), b(2.5), z(Complex(0, 1)), ch('A');
    EXPECT_EQ(a.Not(), 0);
    EXPECT_EQ(a.Real(), 1);
    b.Not();
    EXPECT_EQ(b.Real(), 0);
    z.Not();  // 0+1i is true, so its NOT is false
    EXPECT_EQ(z.Type(), (uint32_t)VT_REAL);
    EXPECT_EQ(z.Real(), 0);
    ch.Not();
    EXPECT_EQ(ch.CharCode(), (unsigned char)~'A');

    CValue w(Complex(1, 2));
    EXPECT_EQ(w.Increment(), 0);
    EXPECT_EQ(w.ComplexRef().re, 2);
    CCaptureStream cap;
    CValue s(std::string("ab"));
    EXPECT_EQ(s.Increment(), 10);
    ASSERT_EQ(cap.messages.size(), 1u);
    EXPECT_EQ(cap.messages[0], "Error: Invalid operand of the increment operator (String)");

    const struct {
        CValue v;
        double truth;
    } cases[] = {{Row({1, 2, 3, 0}, 2), 0}, {Row({1, 2}), 1}, {Row({}), 0},
                 {CValue(std::string("")), 0}, {CValue(Complex(3, 4)), 5}};
    for (const auto& c : cases) EXPECT_EQ(c.v.ToBoolean(), c.truth);
    CValue bin;
    const unsigned char zeros[2] = {0, 0};
    bin.SetBinaryString(zeros, 2);
    EXPECT_EQ(bin.ToBoolean(), 0);
    double d = 7;
    cap.Reset();
    EXPECT_EQ(CValue().ToBoolean(d), 10);
    EXPECT_EQ(cap.messages.at(0), "Error: Boolean type conversion");
}

TEST(ElementAccess, GrowthAndReferences)
{
    CValue x, r;
    CValue idx[2] = {CValue(2.0), CValue(3.0)};
    ASSERT_EQ(x.GetElement(idx, 2, r), 0);
    ASSERT_EQ(x.Type(), (uint32_t)VT_MATRIX);
    EXPECT_EQ(x.Matrix().Rows(), 2);
    EXPECT_EQ(x.Matrix().Cols(), 3);
    ASSERT_EQ(r.Type(), (uint32_t)VT_HANDLE);
    EXPECT_EQ(r.HandleTarget(), &x.Matrix().Cell(1, 2));

    CValue m = Row({1, 2, 3, 4, 5, 6, 7, 8, 9}, 3), one(2.0);
    ASSERT_EQ(m.ReadElement(&one, 1, r), 0);
    EXPECT_EQ(r.HandleTarget(), &m.Matrix().Cell(1, 0));
    CValue row = Row({1, 2, 3});
    ASSERT_EQ(row.ReadElement(&one, 1, r), 0);
    EXPECT_EQ(r.HandleTarget(), &row.Matrix().Cell(0, 1));

    CValue s0;
    s0.SetString0("abc");
    CValue i0(0.0), i3(3.0);
    ASSERT_EQ(s0.ReadElement(&i0, 1, r), 0);
    EXPECT_EQ(r.Type(), (uint32_t)VT_CHAR);
    EXPECT_EQ(r.CharCode(), 'a');
    EXPECT_EQ(s0.ReadElement(&i3, 1, r), 60);

    CValue s(std::string("abc")), i1(1.0);
    ASSERT_EQ(s.ReadElement(&i1, 1, r), 0);
    EXPECT_EQ(r.HandleTarget(), &s.Cells()[0]);
    EXPECT_EQ(s.ReadElement(&i0, 1, r), 60);

    CValue real(5.0);
    EXPECT_EQ(real.ReadElement(&i1, 1, r), 61);
    ASSERT_EQ(real.GetElement(&i1, 1, r), 0);
    ASSERT_EQ(real.Type(), (uint32_t)VT_MATRIX);
    EXPECT_EQ(r.HandleTarget(), &real.Matrix().Cell(0, 0));

    // Bad indices leave the result alone and never convert a non-finite number.
    CValue bad[] = {CValue(NAN), CValue(INFINITY), CValue(-1.0), CValue(1e300)};
    for (CValue& b : bad) {
        CValue keep(1.0);
        EXPECT_EQ(m.ReadElement(&b, 1, keep), 60);
        EXPECT_EQ(keep.Type(), (uint32_t)VT_REAL);
        EXPECT_EQ(x.GetElement(&b, 1, keep), 60);
    }
    CValue notVector = Row({1, 2, 3, 4}, 2), two[2] = {notVector, CValue(1.0)};
    EXPECT_EQ(m.ReadElement(two, 2, r), 62);
}

TEST(ElementAccess, OneIndexBeyondTheRowsGrowsOnlyWhenWriting)
{
    CValue m = Row({1, 2, 3, 4, 5, 6, 7, 8, 9}, 3), five(5.0), r(7.0);
    EXPECT_EQ(m.ReadElement(&five, 1, r), 60);
    EXPECT_EQ(r.Type(), (uint32_t)VT_REAL);
    EXPECT_EQ(m.Matrix().Rows(), 3);
    ASSERT_EQ(m.GetElement(&five, 1, r), 0);
    EXPECT_EQ(m.Matrix().Rows(), 5);
    EXPECT_EQ(m.Matrix().Cols(), 3);
    EXPECT_EQ(r.HandleTarget(), &m.Matrix().Cell(4, 0));
    EXPECT_EQ(m.Matrix().Cell(4, 2).Real(), 0.0);
}

// A cell that is itself a handle passes its target on only in the vector forms
// and the writing one-index form; the other forms refer to the cell.
TEST(ElementAccess, HandleCellsPassTheirTargetOnlyWhereTheFormSaysSo)
{
    CValue target(42.0);
    CValue m = Row({1, 2, 3, 4}, 2);
    m.Matrix().Cell(1, 0).SetHandle(&target);
    CValue* cell = &m.Matrix().Cell(1, 0);
    CValue two(2.0), one(1.0), vec = Row({2});
    const struct {
        const char* name;
        bool write;
        std::vector<CValue> ix;
        bool toTarget;
    } cases[] = {
        {"write one index", true, {two}, true},
        {"read one index", false, {two}, false},
        {"write two indices", true, {two, one}, false},
        {"read two indices", false, {two, one}, false},
    };
    for (const auto& c : cases) {
        CValue r;
        int st = c.write ? m.GetElement(c.ix.data(), (int)c.ix.size(), r)
                         : m.ReadElement(c.ix.data(), (int)c.ix.size(), r);
        ASSERT_EQ(st, 0) << c.name;
        ASSERT_EQ(r.Type(), (uint32_t)VT_HANDLE) << c.name;
        EXPECT_EQ(r.HandleTarget(), c.toTarget ? &target : cell) << c.name;
    }
    for (bool write : {true, false}) {
        CValue ix[2] = {vec, one}, r;
        ASSERT_EQ(write ? m.GetElement(ix, 2, r) : m.ReadElement(ix, 2, r), 0);
        ASSERT_EQ(r.Type(), (uint32_t)VT_MATRIX);
        EXPECT_EQ(r.Matrix().Cell(0, 0).HandleTarget(), &target) << write;
    }
}

TEST(Power, ScalarsAndMatrices)
{
    CValue a(-8.0);
    ASSERT_EQ(ValuePower(a, CValue(1.0 / 3)), 0);
    ASSERT_EQ(a.Type(), (uint32_t)VT_COMPLEX);
    EXPECT_NEAR(a.ComplexRef().re, 1.0, 1e-12);
    EXPECT_NEAR(a.ComplexRef().im, std::sqrt(3.0), 1e-12);
    CValue b(-8.0);
    ValuePower(b, CValue(3.0));
    EXPECT_EQ(b.Real(), -512);

    CValue j = Row({1, 1, 0, 1}, 2);
    ASSERT_EQ(ValuePower(j, CValue(3.0)), 0);
    EXPECT_EQ(Re(j), (std::vector<double>{1, 3, 0, 1}));
    CValue id = Row({1, 1, 0, 1}, 2);
    ValuePower(id, CValue(0.0));
    EXPECT_EQ(Re(id), (std::vector<double>{1, 0, 0, 1}));
    CValue inv = Row({2, 0, 0, 4}, 2);
    ASSERT_EQ(ValuePower(inv, CValue(-1.0)), 0);
    EXPECT_EQ(Re(inv), (std::vector<double>{0.5, 0, 0, 0.25}));
    CValue rowRoot = Row({4, 9});
    ValuePower(rowRoot, CValue(0.5));
    EXPECT_EQ(Re(rowRoot), (std::vector<double>{2, 3}));
    CValue two(2.0);
    ASSERT_EQ(ValuePower(two, Row({1, 2})), 0);
    EXPECT_EQ(Re(two), (std::vector<double>{2, 4}));

    CValue root = Row({4, 0, 0, 9}, 2);
    ASSERT_EQ(ValuePower(root, CValue(0.5)), 0);
    std::vector<double> r = Re(root);
    EXPECT_NEAR(r[0], 2, 1e-12);
    EXPECT_NEAR(r[1], 0, 1e-12);
    EXPECT_NEAR(r[3], 3, 1e-12);
    CValue big = Row({1, 1, 0, 1}, 2);
    ASSERT_EQ(ValuePower(big, CValue(1e9)), 0);  // no billion products
    EXPECT_EQ(Re(big)[1], 1e9);
    CValue expo(2.0);
    ASSERT_EQ(ValuePower(expo, Row({0, 0, 0, 0}, 2)), 0);
    r = Re(expo);
    EXPECT_NEAR(r[0], 1, 1e-12);
    EXPECT_NEAR(r[1], 0, 1e-12);

    // An infinite exponent is not whole: it must end, not loop forever.
    CValue inf = Row({0.5, 0, 0, 0.25}, 2);
    EXPECT_EQ(ValuePower(inf, CValue(INFINITY)), 0);
    // A square matrix with a non-number cell goes through the value-cell path.
    CValue mixed = Row({1, 1, 0, 1}, 2);
    mixed.Matrix().Cell(1, 0).SetComplex(Complex{0, 0});
    mixed.Matrix().Cell(0, 0) = Row({1});
    EXPECT_EQ(ValuePower(mixed, CValue(2.0)), 0);

    CValue e = Row({1, 2});
    ASSERT_EQ(ValueArrayPower(e, Row({2, 3})), 0);
    EXPECT_EQ(Re(e), (std::vector<double>{1, 8}));

    CCaptureStream cap;
    CValue f = Row({1, 2});
    EXPECT_EQ(ValueArrayPower(f, Row({2, 3, 4})), 10);
    CValue s(std::string("ab"));
    EXPECT_EQ(ValuePower(s, CValue(2.0)), 10);
    ASSERT_EQ(cap.messages.size(), 2u);
    EXPECT_EQ(cap.messages[0], "Error: Array power, matrices must be a same sizes");
    EXPECT_EQ(cap.messages[1], "Error: Calculating a raise to the power, String and Real type");
}

}  // namespace
