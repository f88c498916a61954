#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "support/capture.h"
#include "values/elementary.h"
#include "values/value_matrix.h"
#include "value_builders.h"

using namespace vb;

namespace {

using ByValue = CValue (*)(const CValue&);

struct ElementaryCase {
    const char* name;
    ByValue fn;
    CValue arg;
    std::string result;  // Text(); Real and Complex are told apart by the "i"
};

TEST(ElementaryFunctions, Table)
{
    const double nan = std::nan("");
    const double inf = INFINITY;
    CValue mixed = Mat({{-1, 2}});
    mixed.Matrix().Cell(0, 1) = Cx(2, 0);
    ElementaryCase cases[] = {
        {"abs real", ValueAbs, Real(-3), "3"},
        {"abs complex is real", ValueAbs, Cx(3, 4), "5"},
        {"abs of mixed cells gives reals", ValueAbs, mixed, "[1,2]"},
        {"log of 0", ValueLog, Real(0), "-inf"},
        {"log of e", ValueLog, Real(std::exp(1.0)), "1"},
        {"log of -1 is complex", ValueLog, Real(-1), "0+3.14159i"},
        {"log of NaN takes the complex path", ValueLog, Real(nan), "NAN+NANi"},
        {"log of complex", ValueLog, Cx(0, 1), "0+1.5708i"},
        {"sqrt of 4", ValueSqrt, Real(4), "2"},
        {"sqrt of -4", ValueSqrt, Real(-4), "0+2i"},
        {"sqrt of matrix", ValueSqrt, Mat({{4, -9}}), "[2,0+3i]"},
        {"sqrt of inf", ValueSqrt, Real(inf), "inf"},
        {"sqr real", ValueSqr, Real(-3), "9"},
        {"sqr complex", ValueSqr, Cx(1, 2), "-3+4i"},
        {"round half up", ValueRound, Real(2.5), "3"},
        {"round half down", ValueRound, Real(-2.5), "-3"},
        {"round below half", ValueRound, Real(2.49), "2"},
        {"round complex", ValueRound, Cx(1.5, -0.4), "2+0i"},
        {"real of complex", ValueReal, Cx(1, 2), "1"},
        {"imag of real", ValueImag, Real(5), "0"},
        {"imag of complex", ValueImag, Cx(1, 2), "2"},
        {"conj real", ValueConj, Real(5), "5"},
        {"conj complex", ValueConj, Cx(1, 2), "1-2i"},
        {"nested matrix mapped again", ValueAbs, Mat({{-1}}), "[1]"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        CCaptureStream cap;
        EXPECT_EQ(Text(c.fn(c.arg)), c.result);
        EXPECT_TRUE(cap.messages.empty()) << cap.Text();
    }
}

TEST(ElementaryFunctions, BadArgumentsReportAndGiveEmpty)
{
    struct {
        ByValue fn;
        const char* message;
    } cases[] = {
        {ValueAbs, "Error: Invalid argument of abs function (String)"},
        {ValueLog, "Error: Invalid argument of log function (String)"},
        {ValueSqrt, "Error: Invalid argument of sqrt function (String)"},
        {ValueSqr, "Error: Invalid argument of sqr function (String)"},
        {ValueRound, "Error: Invalid argument of round function (String)"},
        {ValueReal, "Error: Invalid argument of real function (String)"},
        {ValueImag, "Error: Invalid argument of imag function (String)"},
        {ValueConj, "Error: Invalid argument of conj function (String)"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.message);
        CCaptureStream cap;
        EXPECT_TRUE(c.fn(Str("ab")).IsEmpty());
        EXPECT_TRUE(c.fn(Bin({1, 2})).IsEmpty());  // binary strings are named by their plain type
        EXPECT_EQ(cap.Text(), std::string(c.message) + "\n" + c.message);
    }
}

TEST(ElementaryFunctions, BadCellHoldsEmptyAndOthersAreMapped)
{
    CCaptureStream cap;
    CValue m = Mat({{-1, 0, -3}});
    m.Matrix().Cell(0, 1) = Chr('a');
    CValue r = ValueAbs(m);
    EXPECT_EQ(Text(r), "[1,empty,3]");
    EXPECT_EQ(cap.Text(), "Error: Invalid argument of abs function (Char)");
}

TEST(ValueIsNaN, NumbersMatricesAndErrors)
{
    const double nan = std::nan("");
    CCaptureStream cap;
    EXPECT_EQ(ValueIsNaN(Real(1)), 0);
    EXPECT_EQ(ValueIsNaN(Real(nan)), 1);
    EXPECT_EQ(ValueIsNaN(Cx(1, nan)), 1);
    EXPECT_EQ(ValueIsNaN(Mat({{1, nan}})), 1);
    EXPECT_EQ(ValueIsNaN(Mat({{1, 2}})), 0);
    EXPECT_TRUE(cap.messages.empty());

    EXPECT_EQ(ValueIsNaN(Str("ab")), -1);
    EXPECT_EQ(cap.Text(), "Error: Invalid argument of the function of determination the NAN status");
    cap.Reset();
    CValue m = Mat({{1, 2}});
    m.Matrix().Cell(0, 0) = Str("ab");
    EXPECT_EQ(ValueIsNaN(m), 1);  // the failed cell ends the scan
    EXPECT_EQ(cap.messages.size(), 1u);
}

TEST(PartReferences, WriteInPlace)
{
    CValue r = Real(5);
    ValueRealPart(r) = 7;
    EXPECT_EQ(Text(r), "7");
    CValue z = Cx(1, 2);
    ValueRealPart(z) = 3;
    ValueImagPart(z) = 4;
    EXPECT_EQ(Text(z), "3+4i");
    // A Real becomes Complex through its imaginary part.
    CValue x = Real(5);
    double& im = ValueImagPart(x);
    EXPECT_EQ(Text(x), "5+0i");
    im = -1;
    EXPECT_EQ(Text(x), "5-1i");
}

TEST(PartReferences, ErrorsGiveTheResetSharedDouble)
{
    CCaptureStream cap;
    CValue s = Str("ab");
    double& a = ValueRealPart(s);
    EXPECT_EQ(a, 0.0);
    a = 9;  // only the shared double changes
    EXPECT_EQ(Text(s), "?");
    double& b = ValueImagPart(s);
    EXPECT_EQ(&a, &b);
    EXPECT_EQ(b, 0.0);
    EXPECT_EQ(cap.Text(),
              "Error: Invalid argument of real function (String)\nError: Invalid argument of imag function (String)");
}

TEST(ExtremeCells, MatricesAndOtherValues)
{
    CValue m = Mat({{1, 5}, {-2, 5}});
    EXPECT_EQ(&ValueMaxOf(m), &m.Matrix().Cell(0, 1));
    EXPECT_EQ(&ValueMinOf(m), &m.Matrix().Cell(1, 0));
    CValue r = Real(3);
    EXPECT_EQ(&ValueMaxOf(r), &r);
    EXPECT_EQ(&ValueMinOf(r), &r);
}

TEST(RealCoth, Values)
{
    EXPECT_NEAR(RealCoth(1.0), std::cosh(1.0) / std::sinh(1.0), 1e-15);
    EXPECT_NEAR(RealCoth(-0.5), std::cosh(-0.5) / std::sinh(-0.5), 1e-14);
    EXPECT_TRUE(std::isinf(RealCoth(0.0)));
}

}  // namespace
