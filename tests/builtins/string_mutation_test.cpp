// Strings whose cells an indexed assignment (or a damaged value) has changed:
// every text and conversion built-in gives a value or its error, never a
// crash, and leaves its arguments as valid values.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "builtins/basic_functions.h"
#include "builtins/string_functions.h"
#include "support/capture.h"
#include "support/fuzz_support.h"
#include "values/char_cells.h"
#include "values/struct_value.h"
#include "values/value_builders.h"
#include "values/value_matrix.h"
#include "values/value_text.h"

namespace {

using Handler = std::function<StatusWord(CValue*, CValue*, CValue*, CValue*)>;

struct Row {
    const char* name;
    Handler call;
};

std::vector<Row> Handlers()
{
    return {
        {"num2str", [](CValue* x, CValue* a, CValue*, CValue* o) { return BuiltinNum2Str(x, a, o); }},
        {"str2num", [](CValue* x, CValue*, CValue*, CValue* o) { return BuiltinStr2Num(x, o); }},
        {"smid", [](CValue* x, CValue* a, CValue* b, CValue* o) { return BuiltinSmid(x, a, b, o); }},
        {"sleft", [](CValue* x, CValue* a, CValue*, CValue* o) { return BuiltinSleft(x, a, o); }},
        {"sright", [](CValue* x, CValue* a, CValue*, CValue* o) { return BuiltinSright(x, a, o); }},
        {"str2upper", [](CValue* x, CValue*, CValue*, CValue* o) { return BuiltinStr2Upper(x, o); }},
        {"str2lower", [](CValue* x, CValue*, CValue*, CValue* o) { return BuiltinStr2Lower(x, o); }},
        {"sdelim", [](CValue* x, CValue* a, CValue* b, CValue* o) { return BuiltinSdelim(x, a, b, o); }},
        {"str2bin", [](CValue* x, CValue*, CValue*, CValue* o) { return BuiltinStr2Bin(x, o); }},
        {"bin2str", [](CValue* x, CValue*, CValue*, CValue* o) { return BuiltinBin2Str(x, o); }},
        {"view2bin", [](CValue* x, CValue*, CValue*, CValue* o) { return BuiltinView2Bin(x, o); }},
        {"bin2view", [](CValue* x, CValue*, CValue*, CValue* o) { return BuiltinBin2View(x, o); }},
        {"bin2int", [](CValue* x, CValue* a, CValue*, CValue* o) { return BuiltinBin2Int(x, a, o); }},
        {"int2bin", [](CValue* x, CValue* a, CValue*, CValue* o) { return BuiltinInt2Bin(x, a, o); }},
        {"bin2float", [](CValue* x, CValue* a, CValue*, CValue* o) { return BuiltinBin2Float(x, a, o); }},
        {"float2bin", [](CValue* x, CValue* a, CValue*, CValue* o) { return BuiltinFloat2Bin(x, a, o); }},
        {"isstr", [](CValue* x, CValue*, CValue*, CValue* o) { return BuiltinIsStr(x, o); }},
        {"isrecord", [](CValue* x, CValue* a, CValue*, CValue* o) { return BuiltinIsRecord(a, x, o); }},
        {"isglobal", [](CValue* x, CValue*, CValue*, CValue* o) { return BuiltinIsGlobal(x, o); }},
        {"warning", [](CValue* x, CValue*, CValue*, CValue* o) { return BuiltinWarning(x, o); }},
        {"trace", [](CValue* x, CValue* a, CValue*, CValue* o) { return BuiltinTrace(a, x, o); }},
        {"op_plus", [](CValue* x, CValue* a, CValue*, CValue* o) {
             CValue* args[2] = {x, a};
             return BuiltinOpPlus(args, 2, o);
         }},
        {"op_minus", [](CValue* x, CValue* a, CValue*, CValue* o) {
             CValue* args[2] = {a, x};
             return BuiltinOpMinus(args, 2, o);
         }},
        {"op_cmpeq", [](CValue* x, CValue* a, CValue*, CValue* o) { return BuiltinOpCmpEQ(x, a, o); }},
        {"op_cmpl", [](CValue* x, CValue* a, CValue*, CValue* o) { return BuiltinOpCmpLT(a, x, o); }},
        {"op_uminus", [](CValue* x, CValue*, CValue*, CValue* o) { return BuiltinOpUminus(x, o); }},
    };
}

class CCellMutator {
public:
    explicit CCellMutator(uint32_t seed) : m_rng(seed) {}
    int Below(int n) { return n <= 0 ? 0 : (int)(m_rng() % (uint32_t)n); }

    // One of the values a string cell can be given.
    CValue Intruder()
    {
        CValue v;
        switch (Below(12)) {
        case 0: v.SetReal(Below(2) ? 5.0 : std::numeric_limits<double>::quiet_NaN()); break;
        case 1: v = vb::Cx(1, -2); break;
        case 2: v = vb::Mat({{1, 2}}); break;
        case 3: v.MakeStruct().FieldValue("a").SetString("zz"); break;
        case 4: v = vb::Str0("p0"); break;
        case 5: v.SetString("inner"); break;
        case 6: v = vb::Bin({0x00, 0xff}); break;
        case 7: v = vb::Chr((unsigned)Below(256), Below(2) != 0); break;
        case 8:  // a character whose payload word has high bits set
            v = vb::Chr('A');
            v.m_payload = 0x7fffff00u | (uintptr_t)Below(256);
            break;
        case 9: v.SetPointer(nullptr); break;
        case 10: break;  // an empty cell: the string ends early
        default: {
            CValue m;
            m.MakeMatrix(1, 1).Cell(0, 0).SetString("x");
            v.Swap(m);
            break;
        }
        }
        return v;
    }

    // A text value with one to three cells changed.
    CValue Mutate(const CValue& seed)
    {
        CValue v = seed;
        CValue* target = &v;
        if (v.Type() == VT_MATRIX && !v.Matrix().IsEmpty()) {
            CValueMatrix& m = v.Matrix();
            target = &m.Cell(Below(m.Rows()), Below(m.Cols()));
        }
        if (target->Type() == VT_CHAR) {
            if (Below(2)) *target = Intruder();
            else target->m_tag ^= VT_BINARY_BIT;
            return v;
        }
        if (target->Type() != VT_STRING) return v;
        const int len = (int)StringLength(target->Cells());
        if (len == 0) return v;
        for (int edits = 1 + Below(3); edits > 0; --edits) {
            CValue& cell = target->Cells()[Below(len)];
            if (cell.Type() != VT_CHAR) continue;  // an empty cell ends the walk there
            switch (Below(3)) {
            case 0: cell.m_tag ^= VT_BINARY_BIT; break;
            case 1: cell.m_payload |= (uintptr_t)Below(0x10000) << 8; break;
            default: cell = Intruder(); break;
            }
        }
        return v;
    }

    CValue Argument()
    {
        static const double numbers[] = {0, 1, 2, 3, -1, 8, -8, 52, 53, 0.5, 1e10, -1e300};
        CValue v;
        switch (Below(8)) {
        case 0: v.SetReal(std::numeric_limits<double>::quiet_NaN()); break;
        case 1: v.SetReal(Below(2) ? INFINITY : -INFINITY); break;
        case 2: v = vb::Cx(2, Below(2)); break;
        case 3: v.SetString(Below(2) ? "a,b" : "()"); break;
        case 4: v.MakeMatrix(0, 0); break;
        default: v.SetReal(numbers[Below((int)(sizeof numbers / sizeof *numbers))]); break;
        }
        return v;
    }

private:
    std::mt19937 m_rng;
};

std::vector<CValue> Seeds()
{
    std::vector<CValue> seeds;
    seeds.emplace_back(std::string("abc"));
    seeds.emplace_back(std::string("Hello, World (x)"));
    seeds.push_back(vb::Bin({0x01, 0x02, 0x7f, 0x80, 0xff, 0x00, 0x10, 0x20}));
    seeds.push_back(vb::Chr('q'));
    seeds.push_back(vb::Chr(0x41, true));
    seeds.emplace_back(std::string("[1,2;3,4]"));
    CValue m;
    m.MakeMatrix(1, 3);
    m.Matrix().Cell(0, 0).SetString("ab");
    m.Matrix().Cell(0, 1) = vb::Bin({1, 2, 3, 4});
    m.Matrix().Cell(0, 2).SetString("{a=1}");
    seeds.push_back(m);
    return seeds;
}

std::string Describe(const char* name, const CValue& x, const CValue& a, const CValue& b)
{
    std::ostringstream os;
    os << name << "(" << x << ", " << a << ", " << b << ")";
    return os.str();
}

}  // namespace

TEST(StringMutation, BuiltinsGiveAValueOrTheirError)
{
    const std::vector<Row> rows = Handlers();
    const std::vector<CValue> seeds = Seeds();
    int rounds = 300;
    CCellMutator mutator(FuzzSeed(2025, rounds));
    CCaptureStream cap;
    for (int round = 0; round < rounds; ++round) {
        for (const CValue& seed : seeds) {
            const CValue mutant = mutator.Mutate(seed);
            const CValue a0 = mutator.Argument(), b0 = mutator.Argument();
            for (const Row& row : rows) {
                CValue x = mutant, a = mutator.Below(2) ? a0 : mutant, b = b0, out;
                const std::string what = Describe(row.name, x, a, b);
                FuzzInput current(what);
                cap.Reset();
                const StatusWord st = row.call(&x, &a, &b, &out);
                // A result, or a failure with its message (a cell's error and
                // its matrix's at most); either way every value involved can
                // still be written and freed.
                if (st != 0) {
                    EXPECT_LE(cap.messages.size(), 2u) << what;
                }
                std::ostringstream os;
                os << x << a << b << out;
                CValue copy = out;
                (void)copy;
            }
        }
    }
}
