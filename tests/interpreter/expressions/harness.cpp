#include "interpreter/expressions/harness.h"

#include <cmath>

#include "interpreter/func_records.h"
#include "values/output_stream.h"

int g_fCalls = 0;

namespace {

StatusWord Twice(CValue* a, CValue* out)
{
    out->SetReal(a->Real() * 2);
    return 0;
}
StatusWord CountF(CValue* out)
{
    ++g_fCalls;
    out->SetReal(1.0);
    return 0;
}
StatusWord Fail(CValue* out)
{
    ReportError() << "boom";
    out->SetReal(0.0);
    return 0;
}
StatusWord Warn(CValue* out)
{
    ReportWarning() << "careful";
    out->SetReal(0.0);
    return 0;
}
StatusWord Add2(CValue* a, CValue* b, CValue* out)
{
    out->SetReal(a->Real() + b->Real());
    return 0;
}
StatusWord ArgCount(CValue** args, int n, CValue* out)
{
    (void)args;
    out->SetReal(n);
    return 0;
}
StatusWord Nothing(CValue*, CValue* out, StatementContext*)
{
    out->Clear();
    return 0;
}
StatusWord Pair(CValue* a, CValue* out)
{
    CValueMatrix& m = out->MakeMatrix(1, 2);
    m.Cell(0, 0) = *a;
    m.Cell(0, 1).SetReal(a->Real() + 1);
    return 0;
}

CValue g_addDefaults[] = {CValue(10.0)};

FuncEntry g_rows[] = {
    {"twice", 1, 1, AsFuncHandler(&Twice), CALL_A1, "", "", 0, nullptr},
    {"f", 0, 1, AsFuncHandler(&CountF), CALL_OUT, "", "", 0, nullptr},
    {"fail", 0, 1, AsFuncHandler(&Fail), CALL_OUT, "", "", 0, nullptr},
    {"warn", 0, 1, AsFuncHandler(&Warn), CALL_OUT, "", "", 0, nullptr},
    {"addk", 2, 1, AsFuncHandler(&Add2), CALL_A2, "", "", 1, g_addDefaults},
    {"nargs", -1, 1, AsFuncHandler(&ArgCount), CALL_VECTOR, "", "", 0, nullptr},
    {"noout", 1, 0, AsFuncHandler(&Nothing), CALL_A1_CTX, "", "", 0, nullptr},
    {"amb", 1, 1, AsFuncHandler(&Twice), CALL_A1, "", "", 0, nullptr},
    {"amb", 1, 1, AsFuncHandler(&Twice), CALL_A1, "", "", 0, nullptr},
    {"pair", 1, 2, AsFuncHandler(&Pair), CALL_A1, "", "", 0, nullptr},
};
FuncConstant g_constants[] = {{"PI", "pi", CValue(3.141592653589793)}};
FuncLibrary g_fake{"Fake", g_rows, (int32_t)(sizeof g_rows / sizeof g_rows[0]), g_constants, 1};

}  // namespace

void ExprTest::SetUp()
{
    g_fCalls = 0;
    RegisterFuncLibrary(&g_fake);
}

void ExprTest::TearDown()
{
    UnregisterFuncLibrary(&g_fake);
    EXPECT_EQ(ExpressionNestingLevel(), 0);
}

StatusWord ExprTest::Parse(const std::string& text, CCompiledExpr& holder)
{
    const char* p = text.c_str();
    return ParseExpression(holder, p, &block);
}

StatusWord ExprTest::Eval(const std::string& text, CValue& out)
{
    CCompiledExpr h;
    if (StatusWord st = Parse(text, h)) return st;
    return block.Evaluate(h.root, &out);
}

double ExprTest::Real(const std::string& text)
{
    CValue v;
    if (Eval(text, v) || v.Type() != VT_REAL) return NAN;
    return v.Real();
}

CValue* ExprTest::Var(const char* name)
{
    CVarSlot* s = block.Vars()->Find(name);
    return s ? s->value : nullptr;
}

Shape ShapeOf(const CValue& v)
{
    Shape s;
    if (v.Type() != VT_MATRIX) return s;
    const CValueMatrix& m = v.Matrix();
    s.rows = m.Rows();
    s.cols = m.Cols();
    for (int r = 0; r < m.Rows(); ++r)
        for (int c = 0; c < m.Cols(); ++c) {
            const CValue& cell = m.Cell(r, c);
            bool num = cell.Type() == VT_REAL || cell.Type() == VT_COMPLEX;
            Complex z = num ? cell.GetComplex() : Complex(NAN, NAN);
            s.re.push_back(z.re);
            s.im.push_back(z.im);
        }
    return s;
}
