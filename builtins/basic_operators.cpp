// Operators as callable functions, the conditional, random scaling, colour
// packing and sizes of the "Basic" library.
#include <cmath>

#include "builtins/basic_functions.h"
#include "builtins/cell_walk.h"
#include "values/operators.h"
#include "values/power.h"
#include "values/random15.h"

namespace {

typedef int (*InPlaceOp)(CValue&, const CValue&);

StatusWord Fold(CValue** args, int count, CValue* out, InPlaceOp op)
{
    if (count < 1 || !args || !args[0]) return ERR_ARGUMENT_TYPE;
    CValue acc(*args[0]);
    StatusWord st = 0;
    for (int i = 1; i < count && !st; ++i)
        if (args[i]) st = op(acc, *args[i]);
    out->Swap(acc);
    return st;
}

StatusWord Binary(CValue* x, CValue* y, CValue* out, InPlaceOp op)
{
    CValue acc(*x);
    StatusWord st = op(acc, *y);
    out->Swap(acc);
    return st;
}

// 1/32767: a draw of 0..32767 scaled to 0..1.
constexpr double kRandScale = 3.051850947599719e-5;

int RndCell(const CValue& x, CValue& out)
{
    switch (x.Type()) {
    case VT_REAL: out.SetReal(Rand15() * kRandScale * x.Real()); return 0;
    case VT_COMPLEX: {
        Complex z = x.ComplexRef();
        z.re = Rand15() * kRandScale * z.re;  // real part draws first
        z.im = Rand15() * kRandScale * z.im;
        out.SetComplex(z);
        return 0;
    }
    case VT_MATRIX: return MapMatrixCells(x, out, RndCell);
    default: return ERR_ARGUMENT_TYPE;
    }
}

// Truncated toward zero and cut to its low 8 bits.
int ColourByte(const CValue& v)
{
    double d = v.Type() == VT_REAL ? v.Real() : v.ComplexRef().re;
    return SaturateToInt(d) & 0xFF;
}

int RgbCell(const CValue& r, const CValue& g, const CValue& b, CValue& out)
{
    if (r.IsNumber() && g.IsNumber() && b.IsNumber()) {
        out.SetReal(ColourByte(b) * 65536.0 + ColourByte(g) * 256.0 + ColourByte(r));
        return 0;
    }
    if (r.Type() == VT_MATRIX && g.Type() == VT_MATRIX && b.Type() == VT_MATRIX) {
        CValue res;
        int st = res.GetMatrix().ApplyElementwise3(RgbCell, r.Matrix(), g.Matrix(), b.Matrix());
        out.Swap(res);
        return st;
    }
    return ERR_ARGUMENT_TYPE;
}

}  // namespace

StatusWord BuiltinOpUplus(CValue* x, CValue* out)
{
    if (out != x) *out = *x;
    return 0;
}

StatusWord BuiltinOpUminus(CValue* x, CValue* out)
{
    CValue acc(*x);
    StatusWord st = acc.Negate();
    out->Swap(acc);
    return st;
}

StatusWord BuiltinOpPlus(CValue** args, int count, CValue* out) { return Fold(args, count, out, ValueAdd); }
StatusWord BuiltinOpMinus(CValue** args, int count, CValue* out) { return Fold(args, count, out, ValueSub); }
StatusWord BuiltinOpMulti(CValue** args, int count, CValue* out) { return Fold(args, count, out, ValueMul); }
StatusWord BuiltinOpDivide(CValue** args, int count, CValue* out) { return Fold(args, count, out, ValueDiv); }

StatusWord BuiltinOpPower(CValue* x, CValue* y, CValue* out) { return Binary(x, y, out, ValuePower); }
StatusWord BuiltinOpCmpLE(CValue* x, CValue* y, CValue* out) { return Binary(x, y, out, ValueCompareLessEqual); }
StatusWord BuiltinOpCmpGE(CValue* x, CValue* y, CValue* out) { return Binary(x, y, out, ValueCompareGreaterEqual); }
StatusWord BuiltinOpCmpLT(CValue* x, CValue* y, CValue* out) { return Binary(x, y, out, ValueCompareLess); }
StatusWord BuiltinOpCmpGT(CValue* x, CValue* y, CValue* out) { return Binary(x, y, out, ValueCompareGreater); }
StatusWord BuiltinOpCmpNE(CValue* x, CValue* y, CValue* out) { return Binary(x, y, out, ValueCompareNotEqual); }
StatusWord BuiltinOpCmpEQ(CValue* x, CValue* y, CValue* out) { return Binary(x, y, out, ValueCompareEqual); }
StatusWord BuiltinOpLogAnd(CValue* x, CValue* y, CValue* out) { return Binary(x, y, out, ValueAnd); }
StatusWord BuiltinOpLogOr(CValue* x, CValue* y, CValue* out) { return Binary(x, y, out, ValueOr); }
StatusWord BuiltinOpLogXor(CValue* x, CValue* y, CValue* out) { return Binary(x, y, out, ValueXor); }

StatusWord BuiltinQif(CValue* cond, CValue* xif, CValue* xelse, CValue* out)
{
    double b = 0.0;
    if (int st = cond->ToBoolean(b)) return st;
    // NaN is not true.
    const CValue* pick = (b != 0.0 && !std::isnan(b)) ? xif : xelse;
    if (out != pick) *out = *pick;
    return 0;
}

StatusWord BuiltinRnd(CValue* x, CValue* out) { return RndCell(*x, *out); }

StatusWord BuiltinRGB(CValue* r, CValue* g, CValue* b, CValue* out) { return RgbCell(*r, *g, *b, *out); }

StatusWord BuiltinSize(CValue* x, CValue* out)
{
    CValue s = x->SizeOf();
    // An empty answer means the core has reported the type.
    if (s.IsEmpty()) return ERR_INTERNAL;
    out->Swap(s);
    return 0;
}

StatusWord BuiltinRow(CValue* x, CValue* out)
{
    out->SetReal(x->Type() == VT_MATRIX ? x->Matrix().Rows() : 1);
    return 0;
}

StatusWord BuiltinCol(CValue* x, CValue* out)
{
    out->SetReal(x->Type() == VT_MATRIX ? x->Matrix().Cols() : 1);
    return 0;
}
