#include <gtest/gtest.h>

#include <functional>
#include <limits>

#include "support/capture.h"
#include "text_helpers.h"
#include "values/app_settings.h"

namespace {

const double kInf = std::numeric_limits<double>::infinity();

struct PlainCase {
    const char* name;
    std::function<CValue()> make;
    const char* text;
};

std::string Display(const CValue& v, const ValueTextFormat& fmt, int* result = nullptr, const char* prefix = "")
{
    std::ostringstream os;
    os << prefix;
    int r = WriteValue(os, v, fmt);
    if (result) *result = r;
    return os.str();
}

class LayoutFlags {
public:
    explicit LayoutFlags(unsigned f) : m_old(OutputLayoutFlags.exchange(f)) {}
    ~LayoutFlags() { OutputLayoutFlags = m_old; }

private:
    unsigned m_old;
};

}  // namespace

TEST(PlainWriter, Table)
{
    const PlainCase cases[] = {
        {"matrix", [] { return RealMatrix(2, 2, {1, 2, 3, 4}); }, "[1,2; 3,4]"},
        {"empty matrix", [] { CValue v; v.MakeMatrix(0, 0); return v; }, "[]"},
        {"String", [] { CValue v; v.SetString("a\"b"); return v; }, "\"a\"\"b\""},
        {"String0", [] { return Str0("it's"); }, "'it''s'"},
        {"Binary String", [] { return Bytes({0x0a, 0xff}); }, "<0a ff>"},
        {"Byte", [] { return Bytes({0x0a}); }, "<0a>"},
        {"Complex", [] { return Cplx(-2.5, -1); }, "-2.5-1i"},
        {"empty", [] { return CValue(); }, "UNK"},
        {"Char", [] { return CValue('x'); }, "x"},
        {"one-cell String", [] { return CValue(std::string("x")); }, "\"x\""},
        {"negative zero", [] { return RealMatrix(1, 2, {-0.0, 1.0 / -kInf}); }, "[0,0]"},
        {"infinities", [] { return RealMatrix(1, 3, {kInf, -kInf, std::nan("")}); }, "[INF,-INF,NAN]"},
        {"Identifier", [] { CValue v; v.SetIdentifier(4000000000u); return v; }, "#4000000000"},
        {"nested", [] {
             CValue v = RealMatrix(1, 3, {1, 2, 3});
             v.Matrix().Cell(0, 1) = RealMatrix(1, 2, {5, 6});
             v.Matrix().Cell(0, 2) = Str0("s");
             return v; }, "[1,[5,6],'s']"},
        {"Struct", [] {
             CValue v;
             v.MakeStruct().FieldValue("a").SetReal(1);
             v.Struct().FieldValue("b") = Str0("x");
             return v; }, "{a=1, b='x'}"},
        {"Integer tag", [] { CValue v; v.m_tag = VT_INTEGER; return v; }, "UNK"},
        {"Boolean tag", [] { CValue v; v.m_tag = VT_BOOLEAN; return v; }, "UNK"},
    };
    for (const PlainCase& c : cases) EXPECT_EQ(Plain(c.make()), c.text) << c.name;
}

TEST(PlainWriter, TableLayout)
{
    LayoutFlags table(LAYOUT_TABLE);
    EXPECT_EQ(Plain(RealMatrix(2, 2, {1, 2, 3, 4})), "[\n1\t2\n3\t4\n]");
    CValue empty;
    empty.MakeMatrix(0, 0);
    EXPECT_EQ(Plain(empty), "[\n\n]");
    EXPECT_EQ(Plain(Str0("it's")), "it's");
    EXPECT_EQ(Plain(Bytes({1, 2})), "01 02");
    EXPECT_EQ(Plain(Bytes({1})), "01");
    CValue s;
    s.SetString("a\"b");
    EXPECT_EQ(Plain(s), "a\"b");
    CValue st;
    st.MakeStruct().FieldValue("a").SetReal(1);
    st.Struct().FieldValue("b").SetReal(2);
    EXPECT_EQ(Plain(st), "{\na=1\nb=2\n}");
}

TEST(DisplayWriter, LongString0IsCutWithEllipsis)
{
    const CValue v = Str0(std::string(600, 'a').c_str());
    int r = -1;
    std::string t = Display(v, IdeDefaultTextFormat, &r);
    EXPECT_EQ(r, 1);
    EXPECT_EQ(t, "'" + std::string(511, 'a') + "...");

    // The limit counts from the start of the stream.
    t = Display(v, IdeDefaultTextFormat, &r, "abcd");
    EXPECT_EQ(r, 1);
    EXPECT_EQ(t, "abcd'" + std::string(507, 'a') + "...");

    ValueTextFormat quiet = IdeDefaultTextFormat;
    quiet.flags |= VTF_NO_ELLIPSIS;
    t = Display(v, quiet, &r);
    EXPECT_EQ(r, 1);
    EXPECT_EQ(t.size(), 512u);

    // Already past the limit, or a negative limit: nothing of the text, no crash.
    ValueTextFormat negative = IdeDefaultTextFormat;
    negative.maxLength = -5;
    EXPECT_EQ(Display(v, negative, &r), "'...");
    EXPECT_EQ(r, 1);
    EXPECT_EQ(Display(v, IdeDefaultTextFormat, &r, std::string(600, 'x').c_str()), std::string(600, 'x') + "'...");
}

TEST(DisplayWriter, ValueFormatHasNoPracticalLimit)
{
    std::string text;
    int r = -1;
    ValueFormat(Str0(std::string(600, 'a').c_str()), text, nullptr, &r);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(text.size(), 602u);
    CValue s;
    s.SetString(std::string("ab\0cd", 5));
    EXPECT_EQ(ValueFormat(s, text), "\"ab");  // cut at the first NUL
}

TEST(DisplayWriter, DisplayFormatMatrix)
{
    int r = -1;
    EXPECT_EQ(Display(RealMatrix(2, 2, {1, 2, 3, 4}), DisplayTextFormat, &r),
              "[            1,            2;\n            3,            4]");
    EXPECT_EQ(r, 0);
    // A complex or string cell doubles the cell width.
    CValue m = RealMatrix(1, 2, {0, 3});
    m.Matrix().Cell(0, 0) = Cplx(1, 2);
    EXPECT_EQ(Display(m, DisplayTextFormat), "[" + std::string(22, ' ') + "1+2i," + std::string(25, ' ') + "3]");
}

TEST(DisplayWriter, WrappingWithRowLabels)
{
    std::vector<double> cells;
    CValue m;
    m.MakeMatrix(2, 10);
    for (int i = 0; i < 20; ++i) m.Matrix().Cell(i / 10, i % 10).SetReal(i + 1);
    ValueTextFormat fmt = {VTF_NO_BRACKETS | VTF_LINE_BREAKS, 65536, 4, 6, VTF_NO_ROUNDING, {0, 0}, 0};
    EXPECT_EQ(Display(m, fmt), "1 2 3 4\n5 6 7 8\n9 10;\nRow=2\n11 12 13 14\n15 16 17 18\n19 20");
    fmt.flags = 0;
    EXPECT_EQ(Display(m, fmt), "[1,2,3,4,\n5,6,7,8,\n9,10;\n11,12,13,14,\n15,16,17,18,\n19,20]");
}

TEST(DisplayWriter, TextKindsTable)
{
    CValue quoteString;
    quoteString.SetString("a\"b");
    CValue nested = RealMatrix(1, 2, {1, 2});
    CValue st;
    st.MakeStruct().FieldValue("a").SetReal(1);
    st.Struct().FieldValue("m") = nested;
    const ValueTextFormat q = IdeDefaultTextFormat;
    ValueTextFormat bare = q;
    bare.flags = 0;
    ValueTextFormat wrap2 = q;
    wrap2.cellsPerLine = 2;
    ValueTextFormat lines = {VTF_LINE_BREAKS, 512, 0, 6, VTF_NO_ROUNDING, {0, 0}, 0};
    ValueTextFormat round2 = q;
    round2.roundDigits = 2;
    ValueTextFormat point = q;
    point.flags |= VTF_SHOW_POINT;
    ValueTextFormat leftWidth = {VTF_REAL_WIDTH | VTF_LEFT, 512, 0, 6, VTF_NO_ROUNDING, {0, 0}, 6};
    struct Case {
        const char* name;
        CValue v;
        const ValueTextFormat* fmt;
        const char* text;
    } cases[] = {
        {"quoted String keeps inner quote", quoteString, &q, "\"a\"b\""},
        {"bare String", quoteString, &bare, "a\"b"},
        {"Char quoted", CValue('x'), &q, "\"x\""},
        {"Byte quoted", Bytes({0xab}), &q, "<ab>"},
        {"Byte bare", Bytes({0xab}), &bare, "ab"},
        {"bytes wrap", Bytes({0, 1, 2, 3, 4}), &wrap2, "<00 01\n02 03\n04>"},
        {"struct", st, &q, "{a=1, m=[1,2]}"},
        {"struct lines", st, &lines, "{a=1, \nm=\n[1,2]}"},
        {"rounded Real", CValue(3.14159), &round2, "3.14"},
        {"rounded Complex", Cplx(1.006, -2.004), &round2, "1.01-2i"},
        {"negative zero after rounding", CValue(-0.001), &round2, "0"},
        {"decimal point", CValue(2.0), &point, "2.00000"},
        {"left in width", CValue(1.0), &leftWidth, "1     "},
        {"empty", CValue(), &q, "UNK"},
    };
    for (const Case& c : cases) EXPECT_EQ(Display(c.v, *c.fmt), c.text) << c.name;
}

TEST(DisplayWriter, CutMatrixAndStruct)
{
    CValue m;
    m.MakeMatrix(1, 100);
    for (int i = 0; i < 100; ++i) m.Matrix().Cell(0, i).SetReal(i);
    ValueTextFormat fmt = IdeDefaultTextFormat;
    fmt.maxLength = 10;
    int r = -1;
    EXPECT_EQ(Display(m, fmt, &r), "[0,1,2,3,4...]");
    EXPECT_EQ(r, 1);

    CValue st;
    st.MakeStruct().FieldValue("alpha").SetReal(1);
    st.Struct().FieldValue("b").SetReal(2);
    fmt.maxLength = 6;
    EXPECT_EQ(Display(st, fmt, &r), "{alpha=...}");
    EXPECT_EQ(r, 1);
}

TEST(DisplayWriter, FailedStreamGivesTwo)
{
    std::ostringstream os;
    os.setstate(std::ios::badbit);
    for (const CValue& v : {CValue(1.0), Cplx(1, 1), RealMatrix(1, 1, {1}), Str0("abc"), CValue()})
        EXPECT_EQ(WriteValue(os, v, IdeDefaultTextFormat), 2);
}

namespace {
int HookWrite(std::ostream& os, const CValue& v, const ValueTextFormat*)
{
    if (v.Type() != VT_POINTER) return -1;
    os << "@fn";
    return 0;
}
}  // namespace

TEST(DisplayWriter, RestoresStreamStateAndAsksTheHookFirst)
{
    WriteValueHook = HookWrite;
    CValue p;
    p.SetPointer(&p);
    std::ostringstream os;
    os.precision(3);
    os.setf(std::ios::hex | std::ios::internal | std::ios::showpos);
    const auto flags = os.flags();
    ValueTextFormat fmt = {VTF_SHOW_POINT | VTF_LEFT, 4, 0, 12, VTF_NO_ROUNDING, {0, 0}, 0};
    for (const CValue& v : {p, CValue(1.0 / 3), Str0("long text")}) {
        WriteValue(os, v, fmt);
        EXPECT_EQ(os.precision(), 3);
        EXPECT_EQ(os.flags(), flags);
    }
    EXPECT_EQ(Plain(p), "@fn");
    WriteValueHook = nullptr;
    EXPECT_EQ(Plain(p).substr(0, 3), "@0x");
}
