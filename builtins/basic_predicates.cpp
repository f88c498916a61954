// Type and variable predicates of the "Basic" library: Real 1 or 0, cell by
// cell for the element-wise ones.
#include <cmath>
#include <string>

#include "builtins/basic_functions.h"
#include "builtins/cell_walk.h"
#include "interpreter/block.h"
#include "interpreter/var_table.h"
#include "values/struct_value.h"

namespace {

inline int Truth(CValue& out, bool b)
{
    out.SetReal(b ? 1.0 : 0.0);
    return 0;
}

// Element-wise predicate over any value: a Matrix maps its cells, anything
// else answers test(v); the test may refuse a type with a status.
template <int (*Test)(const CValue&, bool&)>
int ElementWise(const CValue& v, CValue& out)
{
    if (v.Type() == VT_MATRIX) return MapMatrixCells(v, out, ElementWise<Test>);
    bool b = false;
    if (int st = Test(v, b)) return st;
    return Truth(out, b);
}

int TestReal(const CValue& v, bool& b)
{
    b = v.Type() == VT_REAL || (v.Type() == VT_COMPLEX && (v.ComplexRef().im == 0 || std::isnan(v.ComplexRef().im)));
    return 0;
}

int TestCplx(const CValue& v, bool& b)
{
    b = v.Type() == VT_COMPLEX && v.ComplexRef().im != 0 && !std::isnan(v.ComplexRef().im);
    return 0;
}

int TestStr(const CValue& v, bool& b)
{
    b = v.Type() == VT_CHAR || v.Type() == VT_STRING;
    return 0;
}

int TestStruct(const CValue& v, bool& b)
{
    b = v.Type() == VT_STRUCT;
    return 0;
}

int TestHandle(const CValue& v, bool& b)
{
    b = v.Type() == VT_IDENTIFIER;
    return 0;
}

int TestNaN(const CValue& v, bool& b)
{
    if (v.Type() == VT_REAL) b = std::isnan(v.Real());
    else if (v.Type() == VT_COMPLEX) b = IsComplexNaN(v.ComplexRef());
    else return ERR_ARGUMENT_TYPE;
    return 0;
}

int TestFinite(const CValue& v, bool& b)
{
    if (v.Type() == VT_REAL) b = std::isfinite(v.Real());
    else if (v.Type() == VT_COMPLEX) b = std::isfinite(v.ComplexRef().re) && std::isfinite(v.ComplexRef().im);
    else return ERR_ARGUMENT_TYPE;
    return 0;
}

int TestInf(const CValue& v, bool& b)
{
    if (v.Type() == VT_REAL) b = std::isinf(v.Real());
    else if (v.Type() == VT_COMPLEX) b = std::isinf(v.ComplexRef().re) || std::isinf(v.ComplexRef().im);
    else return ERR_ARGUMENT_TYPE;
    return 0;
}

// ---- variable predicates: names looked up as given, cell by cell for a Matrix

thread_local CStatementBlock* g_nameContext = nullptr;  // the running block of the current walk

CVarSlot* FindLocalOrGlobal(const std::string& name)
{
    if (g_nameContext) return g_nameContext->FindVariable(name.c_str());
    return GlobalVariables.Find(name);
}

template <int (*Test)(const std::string&, bool&)>
int ByName(const CValue& v, CValue& out)
{
    if (v.Type() == VT_MATRIX) return MapMatrixCells(v, out, ByName<Test>);
    std::string name;
    if (!ReadTextArgument(v, name)) return ERR_ARGUMENT_TYPE;
    bool b = false;
    if (int st = Test(name, b)) return st;
    return Truth(out, b);
}

int TestNinit(const std::string& name, bool& b)
{
    CVarSlot* s = FindLocalOrGlobal(name);
    b = !s || !s->value || s->value->IsEmpty();
    return 0;
}

int TestVarName(const std::string& name, bool& b)
{
    b = FindLocalOrGlobal(name) != nullptr;
    return 0;
}

int TestGlobal(const std::string& name, bool& b)
{
    b = GlobalVariables.Find(name) != nullptr;
    return 0;
}

// Runs a by-name walk with the context the cell functions need.
template <int (*Test)(const std::string&, bool&)>
StatusWord WithContext(CValue* name, CValue* out, StatementContext* context)
{
    CStatementBlock* saved = g_nameContext;
    g_nameContext = context;
    StatusWord st = ByName<Test>(*name, *out);
    g_nameContext = saved;
    return st;
}

}  // namespace

StatusWord BuiltinIsReal(CValue* x, CValue* out) { return ElementWise<TestReal>(*x, *out); }
StatusWord BuiltinIsCplx(CValue* x, CValue* out) { return ElementWise<TestCplx>(*x, *out); }
StatusWord BuiltinIsStr(CValue* x, CValue* out) { return ElementWise<TestStr>(*x, *out); }
StatusWord BuiltinIsStruct(CValue* x, CValue* out) { return ElementWise<TestStruct>(*x, *out); }
StatusWord BuiltinIsNaN(CValue* x, CValue* out) { return ElementWise<TestNaN>(*x, *out); }
StatusWord BuiltinIsFinite(CValue* x, CValue* out) { return ElementWise<TestFinite>(*x, *out); }
StatusWord BuiltinIsInf(CValue* x, CValue* out) { return ElementWise<TestInf>(*x, *out); }
StatusWord BuiltinIsHandle(CValue* x, CValue* out) { return ElementWise<TestHandle>(*x, *out); }

StatusWord BuiltinIsMatrx(CValue* x, CValue* out) { return Truth(*out, x->Type() == VT_MATRIX); }

StatusWord BuiltinIsVec(CValue* x, CValue* out)
{
    bool b = x->Type() == VT_MATRIX && (x->Matrix().Rows() == 1 || x->Matrix().Cols() == 1);
    return Truth(*out, b);
}

StatusWord BuiltinIsNumeric(CValue* x, CValue* out)
{
    bool b = x->IsNumber();
    if (x->Type() == VT_MATRIX) {
        const CValueMatrix& m = x->Matrix();
        b = true;
        for (int i = 0; i < m.Rows() && b; ++i)
            for (int j = 0; j < m.Cols() && b; ++j) b = m.Cell(i, j).IsNumber();
    }
    return Truth(*out, b);
}

StatusWord BuiltinIsEmpty(CValue* x, CValue* out)
{
    bool b = x->Type() == VT_MATRIX && (x->Matrix().Rows() == 0 || x->Matrix().Cols() == 0);
    return Truth(*out, b);
}

StatusWord BuiltinIsRecord(CValue* x, CValue* name, CValue* out)
{
    std::string field;
    if (x->Type() != VT_STRUCT || !ReadTextArgument(*name, field)) return ERR_ARGUMENT_TYPE;
    return Truth(*out, x->Struct().FindFieldByName(field.c_str()) != nullptr);
}

StatusWord BuiltinIsNinit(CValue* name, CValue* out, StatementContext* context)
{
    return WithContext<TestNinit>(name, out, context);
}

StatusWord BuiltinIsVarName(CValue* name, CValue* out, StatementContext* context)
{
    return WithContext<TestVarName>(name, out, context);
}

StatusWord BuiltinIsGlobal(CValue* name, CValue* out) { return ByName<TestGlobal>(*name, *out); }
