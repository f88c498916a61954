// The handlers inside statements: several outputs assigned at once, and the
// messages a program shows for each refusal (a handler's status 69 is followed
// by the interpreter's own message, a reported failure is not).
#include "matrix_support.h"
#include "interpreter/statements/program_harness.h"

namespace {

using namespace mt;

class MatrixProgram : public MatrixLibTest {
protected:
    CTestProgram program;

    CComplexMatrix Var(const char* name)
    {
        CVarSlot* s = program.FindVariable(name);
        if (!s || !s->value) {
            ADD_FAILURE() << "no variable " << name;
            return CComplexMatrix();
        }
        return Num(*s->value);
    }
};

TEST_F(MatrixProgram, SeveralOutputsAssignedAtOnce)
{
    GlobalVariables.Clear();
    ProgramRun r = RunProgramIn(program,
        "[U,S,V] = svd([1,2;3,4;5,6]);\n[U0,S0,V0] = svd0([1,2;3,4;5,6]);\n[R,p] = chol([1,2;2,1]);\n");
    EXPECT_TRUE(r.messages.empty());
    const struct {
        const char* name;
        int rows, cols;
    } shapes[] = {{"U", 3, 3}, {"S", 3, 2}, {"V", 2, 2}, {"U0", 3, 2}, {"S0", 2, 2}, {"V0", 2, 2}, {"R", 1, 1}};
    for (const auto& s : shapes) {
        CComplexMatrix m = Var(s.name);
        EXPECT_EQ(m.Rows(), s.rows) << s.name;
        EXPECT_EQ(m.Cols(), s.cols) << s.name;
    }
    CComplexMatrix p = Var("p"), R = Var("R");
    ASSERT_FALSE(p.IsEmpty());
    ASSERT_FALSE(R.IsEmpty());
    EXPECT_EQ(p.Cell(0, 0).re, 2.0);
    EXPECT_EQ(R.Cell(0, 0).re, 1.0);
}

TEST_F(MatrixProgram, RefusalMessages)
{
    const char* invalid = "Error: Invalid argument(s) type passing to the function";
    const struct {
        const char* text;
        std::vector<std::string> messages;
    } cases[] = {
        {"x = chol([1,2;2,1]);", {"Error: Cholesky: Matrix must be positive definite"}},
        {"x = schur([1,2,3;4,5,6]);", {"Error: Argument must be square matrix", invalid}},
        {"x = pinv(\"ab\");", {"Error: Invalid argument of pinv function; String", invalid}},
        {"x = expm(5);", {"Error: Invalid argument of expm function (Real)", invalid}},
        {"x = sqrtm(5);", {"Error: Invalid argument of sqrtm function (Real)"}},
        {"x = det(\"xy\");", {"Error: Invalid argument of det function (String)"}},
        {"x = fft2n(5);", {"Error: First argument must be a vector"}},
        {"x = fft(\"abc\");", {"Error: First argument must be a non-empty matrix"}},
        {"x = inv([1,2;2,4]);",
         {"Warning: Matrix is close to singular or badly scaled. rcond=0", "Error: The matrix is singular"}},
        {"x = logm([1,0;0,1]);", {}},
        {"x = funm([1,1;0,1],\"exp\");", {"Warning: Function funm: Result may be inaccurate. serr=1"}},
        {"x = fft2n([1,2,3,4,5,6]);", {"Warning: Vector length must be a multiply by 2^n"}},
    };
    for (const auto& c : cases) {
        ProgramRun r = RunProgram(c.text);
        EXPECT_EQ(r.messages, c.messages) << c.text;
    }
}

TEST_F(MatrixProgram, UserFunctionsAsTheFunctionArgument)
{
    GlobalVariables.Clear();
    ProgramRun r = RunProgramIn(program,
                                "function y = sq(x)\n  y = x * x;\nend\n"
                                "A = funm([4,1;0,9], \"sq\");\nB = fevam([1,2;3,4], @sq);\n");
    EXPECT_TRUE(r.messages.empty());
    EXPECT_LT(MaxDiff(Var("A"), Num(vb::Mat({{16, 13}, {0, 81}}))), 1e-12);
    EXPECT_EQ(MaxDiff(Var("B"), Num(vb::Mat({{1, 4}, {9, 16}}))), 0.0);
}

TEST_F(MatrixProgram, AmbiguousNameIsWarnedAndTheUserFunctionTaken)
{
    GlobalVariables.Clear();
    ProgramRun r = RunProgramIn(program,
                                "function y = exp(x)\n  y = x + 1;\nend\n"
                                "A = fevam([1,2], \"exp\");\n");
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].rfind("Warning: Ambiguity of the overloaded function 'exp' is detected; Ambiguity between ", 0),
              0u)
        << r.messages[0];
    EXPECT_EQ(MaxDiff(Var("A"), Num(vb::Mat({{2, 3}}))), 0.0);
}

}  // namespace
