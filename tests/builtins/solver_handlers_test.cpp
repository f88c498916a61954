#include <gtest/gtest.h>

#include <cmath>

#include "builtins/nonlinear_library.h"
#include "builtins/solver_frame.h"
#include "support/capture.h"
#include "test_context.h"
#include "values/struct_value.h"

namespace {

StatusWord SinHandler(CValue* a, CValue* out)
{
    out->SetComplexNumber(ComplexSin(a->GetComplex()));
    return 0;
}

FuncEntry g_testRows[] = {
    {"sin", 1, 1, AsFuncHandler(SinHandler), CALL_A1, "sin(X);\r\n", "sin(X)", 0, nullptr},
};
FuncLibrary g_testLibrary = {"Test", g_testRows, 1, nullptr, 0};

class SolverHandlers : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterFuncLibrary(&g_testLibrary);
        RegisterFuncLibrary(&NonlinearSolutionsLibrary);
    }
    void TearDown() override
    {
        UnregisterFuncLibrary(&NonlinearSolutionsLibrary);
        UnregisterFuncLibrary(&g_testLibrary);
    }
    CValue SinPointer()
    {
        CValue v;
        v.SetPointer(&g_testRows[0]);
        return v;
    }
    TestContext ctx;
    CCaptureStream cap;
};

CValue Options(std::initializer_list<std::pair<const char*, CValue>> fields)
{
    CValue v;
    CStructValue& s = v.MakeStruct();
    for (const auto& f : fields) s.FieldValue(f.first) = f.second;
    return v;
}

}  // namespace

// ---- options and start vectors -----------------------------------------------

TEST_F(SolverHandlers, OptionParsing)
{
    struct Case {
        const char* what;
        CValue option;
        bool ok;
        double tol;
        int iter;
    } cases[] = {
        {"real", CValue(1e-3), true, 1e-3, 1000},
        {"iter only, truncated", Options({{"iter", CValue(10.9)}}), true, 1e-8, 10},
        {"complex tol with zero imaginary part", Options({{"tol", CValue(Complex(1e-3, 0))}}), true, 1e-3, 1000},
        {"unknown fields ignored", Options({{"step", Text("x")}, {"atol", CValue(1.0)}}), true, 1e-8, 1000},
        {"tiny imaginary part", Options({{"tol", CValue(Complex(1e-3, 1e-300))}, {"iter", CValue(7.0)}}), false,
         1e-8, 7},
        {"string", Text("abc"), false, 1e-8, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        cap.Reset();
        double tol = 1e-8;
        int iter = 1000;
        StatusWord s = ParseSolverOptions(&c.option, "Third", &tol, &iter, nullptr, nullptr);
        EXPECT_EQ(s, c.ok ? 0 : 10);
        EXPECT_EQ(tol, c.tol);
        EXPECT_EQ(iter, c.iter);  // good fields are stored even next to a bad one
        if (!c.ok) {
            ASSERT_EQ(cap.messages.size(), 1u);
            EXPECT_EQ(cap.messages[0],
                      "Error: Third argument must be a real-valued tolerance or the argument is invalid structure of "
                      "options");
        }
    }
}

TEST_F(SolverHandlers, StartVectors)
{
    CValue square;
    square.MakeMatrix(3, 3);
    CallArgs args{CValue(0.0), Column({1, 2, 3}), square, Row({1, 0})};
    args.values[3].Matrix().Cell(0, 1) = Text("ab");
    std::vector<double> x;
    ASSERT_EQ(ParseInitialVector(x, args.data(), args.count(), 1, false), 0);
    EXPECT_EQ(x, (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(ParseInitialVector(x, args.data(), args.count(), 2, false), 10);
    std::vector<Complex> z;
    EXPECT_EQ(ParseComplexInitialVector(z, args.data(), args.count(), 3, false), 10);
    EXPECT_EQ(ParseInitialVector(x, args.data(), args.count(), 4, false), 0);  // absent
    EXPECT_TRUE(x.empty());
    EXPECT_EQ(cap.messages, (std::vector<std::string>{
                                "Error: Second argument must be a scalar or initial vector of scalars",
                                "Error: Elements of initial vector must be a real or complex numbers"}));
}

// ---- fzero, fmin, fming ----------------------------------------------------------

TEST_F(SolverHandlers, FzeroFindsZerosThroughUserAndBuiltinFunctions)
{
    std::vector<double> points;
    CValue f = ctx.Function(1, [&](CValue** a, int, CValue* r) {
        double x = a[0]->GetComplex().re;
        points.push_back(x);
        r->SetReal(x * x - 30.0);
        return 0;
    });
    CallArgs args{f, CValue(5.0)};
    CValue out;
    ASSERT_EQ(BuiltinFzero(args.data(), args.count(), &out, &ctx), 0);
    ASSERT_GE(points.size(), 3u);
    EXPECT_EQ(points[0], 5.5);
    EXPECT_EQ(points[1], 4.5);
    EXPECT_EQ(points[2], 5.0);
    ASSERT_EQ(out.Type(), VT_REAL);
    EXPECT_NEAR(out.Real(), std::sqrt(30.0), 1e-8);

    CallArgs sinArgs{SinPointer(), CValue(3.0)};
    ASSERT_EQ(BuiltinFzero(sinArgs.data(), sinArgs.count(), &out, &ctx), 0);
    EXPECT_NEAR(out.Real(), M_PI, 1e-9);

    // Extra arguments follow the point: f(x, a, b) = x^2 - a b in complex arithmetic.
    int seen = 0;
    CValue g = ctx.Function(3, [&](CValue** a, int n, CValue* r) {
        seen = n;
        Complex z = a[0]->GetComplex(), z2 = z;
        z2 *= z;
        z2.re -= a[1]->Real() * a[2]->Real();
        r->SetComplexNumber(z2);
        return 0;
    });
    CallArgs extra{g, CValue(1.0), CValue(1e-10), CValue(2.0), CValue(3.0)};
    ASSERT_EQ(BuiltinFzero(extra.data(), extra.count(), &out, &ctx), 0);
    EXPECT_EQ(seen, 3);
    EXPECT_NEAR(out.GetComplex().re, std::sqrt(6.0), 1e-9);
    EXPECT_NEAR(out.GetComplex().im, 0.0, 1e-9);
    EXPECT_TRUE(cap.messages.empty());
}

TEST_F(SolverHandlers, FzeroFailures)
{
    CValue ident = ctx.RealFunction([](double x) { return x; });
    CValue noRealZero = ctx.RealFunction([](double) { return 1.0; });
    CallArgs two{noRealZero, Row({0.5, 0.7})};
    CValue out;
    ASSERT_EQ(BuiltinFzero(two.data(), two.count(), &out, &ctx), 0);
    ASSERT_EQ(out.Type(), VT_MATRIX);
    EXPECT_TRUE(std::isnan(out.Matrix().Cell(0, 0).Real()));
    EXPECT_EQ(cap.messages, (std::vector<std::string>{"Warning: fzero: search is failed"}));

    CValue text = ctx.Function(1, [](CValue**, int, CValue* r) {
        r->SetString(std::string("no"));
        return 0;
    });
    CallArgs wrongType{text, CValue(1.0)};
    EXPECT_EQ(BuiltinFzero(wrongType.data(), wrongType.count(), &out, &ctx), ERR_RETURN_MISMATCH);

    CValue square;
    square.MakeMatrix(3, 3);
    struct Case {
        CallArgs args;
        const char* message;
    } cases[] = {
        {{ident, CValue(1.0), Text("x")},
         "Error: Third argument must be a real-valued tolerance or the argument is invalid structure of options"},
        {{ident, square}, "Error: Second argument must be a scalar or initial vector of scalars"},
        {{CValue(2.0), CValue(1.0)}, "Error: First argument must be a pointer to the function"},
        {{ident, CValue(1.0), CValue(1e-6), CValue(4.0)},
         "Error: Invalid pointer to the function a defined by first argument"},
    };
    for (Case& c : cases) {
        cap.Reset();
        EXPECT_EQ(BuiltinFzero(c.args.data(), c.args.count(), &out, &ctx), 10);
        EXPECT_EQ(cap.messages, (std::vector<std::string>{c.message}));
    }
}

TEST_F(SolverHandlers, FminAndFming)
{
    CValue cosine = ctx.RealFunction([](double x) { return std::cos(x); });
    CallArgs args{cosine, CValue(2.0), CValue(4.0)};
    CValue out;
    ASSERT_EQ(BuiltinFmin(args.data(), args.count(), &out, &ctx), 0);
    EXPECT_NEAR(out.Real(), M_PI, 1e-7);

    CallArgs noIter{cosine, CValue(2.0), CValue(4.0), Options({{"iter", CValue(0.0)}})};
    ASSERT_EQ(BuiltinFmin(noIter.data(), noIter.count(), &out, &ctx), 0);
    EXPECT_EQ(out.Real(), 3.0);
    EXPECT_EQ(cap.messages, (std::vector<std::string>{
                                "Warning: fmin: search is failed. The maximum number of steps is exceeded. Inaccuracy "
                                "result"}));

    // Complex results are truncated with one warning per call.
    cap.Reset();
    CValue complexValued = ctx.Function(1, [](CValue** a, int, CValue* r) {
        r->SetComplex(Complex(std::cos(a[0]->Real()), 1.0));
        return 0;
    });
    CallArgs cx{complexValued, CValue(2.0), CValue(4.0)};
    ASSERT_EQ(BuiltinFmin(cx.data(), cx.count(), &out, &ctx), 0);
    EXPECT_EQ(cap.messages,
              (std::vector<std::string>{"Warning: Complex number returned by the function is truncated to real"}));

    const char* range =
        "Error: Invalid range. Second and third argument makes the range over which a function is minimized (x1<x<x2)";
    for (double x2 : {1.0, 2.0}) {
        cap.Reset();
        CallArgs bad{cosine, CValue(2.0), CValue(x2)};
        EXPECT_EQ(BuiltinFmin(bad.data(), bad.count(), &out, &ctx), 10);
        EXPECT_EQ(cap.messages, (std::vector<std::string>{range}));
    }

    CValue wells = ctx.RealFunction([](double x) { return std::cos(x) + 0.01 * x; });
    CallArgs two{wells, CValue(2.0), CValue(10 * M_PI + 1), Options({{"pts", CValue(2.0)}})};
    ASSERT_EQ(BuiltinFming(two.data(), two.count(), &out, &ctx), 0);
    ASSERT_EQ(out.Type(), VT_MATRIX);
    EXPECT_EQ(out.Matrix().Rows(), 1);
    EXPECT_EQ(out.Matrix().Cols(), 2);

    cap.Reset();
    CallArgs none{wells, CValue(2.0), CValue(3.0), Options({{"pts", CValue(0.0)}})};
    EXPECT_EQ(BuiltinFming(none.data(), none.count(), &out, &ctx), 10);
    EXPECT_EQ(cap.messages.size(), 1u);
}

// ---- multi-dimensional minimisers ------------------------------------------------

TEST_F(SolverHandlers, MultiMinimisersReturnRowsOrReals)
{
    CValue bowl = ctx.Function(1, [](CValue** a, int, CValue* r) {
        const CValueMatrix& m = a[0]->Matrix();
        double x = m.Cell(0, 0).Real(), y = m.Cell(0, 1).Real();
        r->SetReal((x - 1) * (x - 1) + 2 * (y + 2) * (y + 2));
        return 0;
    });
    StatusWord (*handlers[3])(CValue**, int, CValue*, StatementContext*) = {BuiltinFmins, BuiltinFmins2,
                                                                            BuiltinFmins3e};
    for (auto h : handlers) {
        CallArgs args{bowl, Row({0, 0})};
        CValue out;
        ASSERT_EQ(h(args.data(), args.count(), &out, &ctx), 0);
        ASSERT_EQ(out.Type(), VT_MATRIX);
        EXPECT_NEAR(out.Matrix().Cell(0, 0).Real(), 1.0, 1e-2);
        EXPECT_NEAR(out.Matrix().Cell(0, 1).Real(), -2.0, 1e-2);
    }
    // A 1 x 1 start is a Real start and gives a Real; a constant converges at once.
    CValue flat = ctx.RealFunction([](double) { return 1.0; });
    CallArgs one{flat, Row({0.25})};
    CValue out;
    ASSERT_EQ(BuiltinFmins3e(one.data(), one.count(), &out, &ctx), 0);
    EXPECT_EQ(out.Type(), VT_REAL);
    EXPECT_TRUE(cap.messages.empty());

    CallArgs limited{bowl, Row({0, 0}), Options({{"iter", CValue(2.0)}})};
    ASSERT_EQ(BuiltinFmins2(limited.data(), limited.count(), &out, &ctx), 0);
    EXPECT_EQ(cap.messages, (std::vector<std::string>{
                                "Warning: fmins: search is failed. The maximum number of steps is exceeded. "
                                "Inaccuracy result"}));
}

// ---- nlsolve ---------------------------------------------------------------------

TEST_F(SolverHandlers, NlsolveSolvesAndChecks)
{
    CValue sq = ctx.Function(1, [](CValue** a, int, CValue* r) {
        Complex z = a[0]->GetComplex(), z2 = z;
        z2 *= z;
        z2.re -= 4.0;
        r->SetComplexNumber(z2);
        return 0;
    });
    CallArgs args{sq};
    CValue out;
    ASSERT_EQ(BuiltinNlsolve(args.data(), args.count(), &out, &ctx), 0);
    ASSERT_EQ(out.Type(), VT_COMPLEX);
    EXPECT_NEAR(out.ComplexRef().re, -2.0, 1e-9);
    EXPECT_EQ(out.ComplexRef().im, 0.0);

    CallArgs once{sq, CValue(1e-6), CValue(3.0), CValue(1.0)};
    ASSERT_EQ(BuiltinNlsolve(once.data(), once.count(), &out, &ctx), 0);
    EXPECT_TRUE(std::isnan(out.ComplexRef().re));

    // Two equations, two pointers in a row; a start containing 0.
    CValue f1 = ctx.Function(2, [](CValue** a, int, CValue* r) {
        r->SetReal(a[0]->GetComplex().re + a[1]->GetComplex().re - 3.0);
        return 0;
    });
    CValue f2 = ctx.Function(2, [](CValue** a, int, CValue* r) {
        r->SetReal(a[0]->GetComplex().re - a[1]->GetComplex().re - 1.0);
        return 0;
    });
    CValue funs;
    funs.MakeMatrix(1, 2);
    funs.Matrix().Cell(0, 0) = f1;
    funs.Matrix().Cell(0, 1) = f2;
    CallArgs sys{funs, CValue(1e-8), Row({0, 0})};
    ASSERT_EQ(BuiltinNlsolve(sys.data(), sys.count(), &out, &ctx), 0);
    ASSERT_EQ(out.Type(), VT_MATRIX);
    EXPECT_NEAR(out.Matrix().Cell(0, 0).ComplexRef().re, 2.0, 1e-9);
    EXPECT_NEAR(out.Matrix().Cell(0, 1).ComplexRef().re, 1.0, 1e-9);

    CValue column;
    column.MakeMatrix(2, 1);
    column.Matrix().Cell(0, 0) = f1;
    column.Matrix().Cell(1, 0) = f2;
    struct Case {
        CallArgs args;
        StatusWord status;
        const char* message;
    } cases[] = {
        {{column}, 10, "Error: First parameter must be a pointer to a function"},
        {{sq, Text("a")}, 10, "Error: Tolerance must be a scalar"},
        {{sq, CValue(1e-6), Row({1, 2})}, 10, "Error: Invalid dimension of a vector of initial roots"},
        {{sq, CValue(1e-6), CValue(1.0), Text("n")}, 10, "Error: Number of iterations must be a scalar"},
        {{f1}, ERR_PROTOTYPE, "Error: Invalid function prototype of at least one pointer to a function"},
    };
    for (Case& c : cases) {
        cap.Reset();
        EXPECT_EQ(BuiltinNlsolve(c.args.data(), c.args.count(), &out, &ctx), c.status);
        EXPECT_EQ(cap.messages, (std::vector<std::string>{c.message}));
    }
}

// ---- stop and the library record -------------------------------------------------

TEST_F(SolverHandlers, StopEndsASolveAtTheNextEvaluation)
{
    CValue slow = ctx.RealFunction([](double x) { return x * x + 1.0; });
    ctx.stopAfter = 5;
    CallArgs args{slow, CValue(5.0)};
    CValue out;
    EXPECT_EQ(BuiltinFzero(args.data(), args.count(), &out, &ctx), ERR_STOPPED);
    EXPECT_EQ(ctx.calls, 5);
}

TEST_F(SolverHandlers, LibraryRecord)
{
    EXPECT_STREQ(NonlinearSolutionsLibrary.name, "Nonlinear Numerical Solutions");
    EXPECT_EQ(NonlinearSolutionsLibrary.count, 13);
    const char* names[] = {"nlsolve", "fzero", "fmin", "fming", "fmins", "fmins2", "fmins3e",
                           "quad", "quad2", "quad3", "quadm", "ode5", "ode4s"};
    for (const char* name : names) {
        const void* found = nullptr;
        FindBuiltinOverload(name, 7, 1, found);
        EXPECT_NE(found, nullptr) << name;
    }
    const void* hidden = nullptr;
    FindBuiltinOverload("_ode", 3, -1, hidden);
    EXPECT_EQ(hidden, nullptr);
    EXPECT_EQ(ctx.ClassifyPointer(&NonlinearSolutionsLibrary.table[13]), PTR_OTHER);
}
