#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <thread>

#include "support/capture.h"
#include "values/char_cells.h"
#include "values/struct_value.h"
#include "values/value.h"
#include "values/value_matrix.h"

TEST(ValueRecord, StringSettersFollowTheOneCharacterRule)
{
    CValue v;
    v.SetString("");
    EXPECT_EQ(v.Tag(), (uint32_t)VT_STRING);
    EXPECT_EQ(StringLength(v.Cells()), 0u);
    v.SetString("x");
    EXPECT_EQ(v.Tag(), (uint32_t)VT_CHAR);
    EXPECT_EQ(v.CharCode(), 'x');
    unsigned char b = 0x7f;
    v.SetBinaryString(&b, 1);
    EXPECT_EQ(v.Tag(), VT_BYTE);
    CValue s(std::string("x"));
    EXPECT_EQ(s.Tag(), (uint32_t)VT_STRING);
    EXPECT_EQ(StringLength(s.Cells()), 1u);
}

TEST(ValueRecord, ComplexSetters)
{
    CValue v;
    v.SetComplexNumber(Complex{3, 0});
    EXPECT_EQ(v.Type(), (uint32_t)VT_REAL);
    EXPECT_EQ(v.Real(), 3.0);
    v.SetComplex(Complex{3, 0});
    EXPECT_EQ(v.Type(), (uint32_t)VT_COMPLEX);
}

TEST(ValueRecord, BinaryBitAndTypeNames)
{
    unsigned char bytes[] = {1, 2, 3};
    CValue v;
    v.SetBinaryString(bytes, 3);
    CValue copy(v);
    EXPECT_EQ(copy.Tag(), VT_BINARY_STRING);
    EXPECT_STREQ(CValue::TypeNameOf(0x106), "Binary String");
    EXPECT_STREQ(CValue::TypeNameOf(0x108), "Byte");
    EXPECT_STREQ(CValue::TypeNameOf(16), "Unknown");
    EXPECT_STREQ(copy.TypeName(), "String");
    std::string t;
    copy.GetText(t);
    EXPECT_EQ(t, "01 02 03");
}

TEST(ValueRecord, SelfAssignmentAndAssignmentFromOwnCell)
{
    CValue x;
    CValueMatrix& m = x.MakeMatrix(2, 2);
    m.Cell(1, 0).SetReal(7.5);
    x = x;
    ASSERT_EQ(x.Type(), (uint32_t)VT_MATRIX);
    x = x.Matrix().Cell(1, 0);
    ASSERT_EQ(x.Type(), (uint32_t)VT_REAL);
    EXPECT_EQ(x.Real(), 7.5);

    CValue s;
    s.MakeStruct().FieldValue("a").SetString("hello");
    s = s.Struct().FieldValue("a");
    std::string t;
    s.GetText(t);
    EXPECT_EQ(t, "hello");
}

// Levels down to the innermost non-container value, walked without recursion.
int NestingDepth(const CValue* v)
{
    int depth = 0;
    for (;;) {
        if (v->Type() == VT_MATRIX) v = &v->Matrix().Cell(0, v->Matrix().Cols() - 1);
        else if (v->Type() == VT_STRUCT) v = &v->Struct().FieldAt(0)->m_value;
        else if (v->Type() == VT_STRING && v->Cells()[0].Type() != VT_CHAR) v = &v->Cells()[0];
        else return depth;
        ++depth;
    }
}

// Copying and freeing a deeply nested value take no stack in proportion to
// its depth: matrices, structures and strings nested 200,000 levels deep
// (mixed, too) are copied and freed on the test's own small main-thread stack.
TEST(ValueRecord, DeeplyNestedValuesAreCopiedAndFreedWithoutRecursion)
{
    const int depth = 200000;
    for (int kind = 0; kind < 4; ++kind) {
        CValue v(1.0);
        for (int i = 0; i < depth; ++i) {
            CValue outer;
            const int k = kind == 3 ? i % 3 : kind;
            if (k == 0) outer.MakeMatrix(1, 2).Cell(0, 1).Swap(v);
            else if (k == 1) outer.MakeStruct().FieldValue("a").Swap(v);
            else {
                outer.SetString("xy");
                outer.Cells()[0].Swap(v);
            }
            v.Swap(outer);
        }
        CValue copy(v);
        EXPECT_EQ(NestingDepth(&copy), depth) << kind;
        EXPECT_EQ(NestingDepth(&v), depth) << kind;
        v.Clear();
        EXPECT_TRUE(v.IsEmpty());
        EXPECT_EQ(NestingDepth(&copy), depth) << kind;
    }
    // A matrix of many nested cells: every level queued, nothing lost.
    CValue m;
    m.MakeMatrix(100, 100);
    for (int r = 0; r < 100; ++r)
        for (int c = 0; c < 100; ++c) {
            CValue s;
            s.MakeStruct().FieldValue("b").SetString("text");
            m.Matrix().Cell(r, c).Swap(s);
        }
}

TEST(ValueRecord, SizeOf)
{
    CCaptureStream cap;
    CValue m;
    m.MakeMatrix(3, 4);
    CValue sz = m.SizeOf();
    ASSERT_EQ(sz.Type(), (uint32_t)VT_MATRIX);
    EXPECT_EQ(sz.Matrix().Cell(0, 0).Real(), 3.0);
    EXPECT_EQ(sz.Matrix().Cell(0, 1).Real(), 4.0);
    EXPECT_EQ(CValue(Complex{1, 2}).SizeOf().Real(), 2.0);
    CValue s0;
    s0.SetString0("abc");
    EXPECT_EQ(s0.SizeOf().Real(), 3.0);
    CValue b;
    b.m_tag = VT_BOOLEAN;
    EXPECT_TRUE(b.SizeOf().IsEmpty());
    ASSERT_EQ(cap.messages.size(), 1u);
    EXPECT_EQ(cap.messages[0], "Error: Invalid argument of size function (Boolean)");
}

TEST(ValueRecord, RoundToNearestHalvesAwayFromZero)
{
    EXPECT_EQ(RoundToNearest(2.5), 3.0);
    EXPECT_EQ(RoundToNearest(-2.5), -3.0);
    EXPECT_EQ(RoundToNearest(-2.4), -2.0);
}

TEST(ValueRecord, CheckedConversions)
{
    int i = 0;
    EXPECT_FALSE(DoubleToInt(NAN, i));
    EXPECT_FALSE(DoubleToInt(INFINITY, i));
    EXPECT_FALSE(DoubleToInt(3e9, i));
    EXPECT_TRUE(DoubleToInt(-7.9, i));
    EXPECT_EQ(i, -7);
}

TEST(CharCells, CopyConcatAndArithmetic)
{
    CValue a, b;
    a.SetString("ab");
    b.SetString("cd");
    CValue r;
    CValue* cells = r.AllocString(4);
    ConcatValueArrays(cells, a.Cells(), b.Cells());
    std::string t;
    r.GetText(t);
    EXPECT_EQ(t, "abcd");

    CValue d;
    d.SetString("\x0f\x0f\x0f");
    CValue s;
    s.SetString("\x03\x05");
    AndCharCells(d.Cells(), s.Cells());
    EXPECT_EQ(d.Cells()[0].CharCode(), 3);
    EXPECT_EQ(d.Cells()[1].CharCode(), 5);
    EXPECT_EQ(d.Cells()[2].CharCode(), 0x0f);

    CValue z;
    z.SetString("\xff");
    CValue one;
    one.SetString("\x01\x01");
    z.SetString(std::string("\xff\xff"));
    EXPECT_EQ(AddCharCells(z.Cells(), one.Cells()), 2);
    EXPECT_EQ(z.Cells()[0].CharCode(), 0);  // wraps modulo 256
}

TEST(MessageStream, TwoMessagesKeepTheirOwnTexts)
{
    CCaptureStream cap;
    ReportError() << "a rather long first message";
    ReportWarning() << "short";
    ASSERT_EQ(cap.messages.size(), 2u);
    EXPECT_EQ(cap.messages[0], "Error: a rather long first message");
    EXPECT_EQ(cap.messages[1], "Warning: short");
    EXPECT_EQ(cap.PostedCount(), 2u);
    EXPECT_NE(cap.FindMessage(-1), nullptr);
    cap.Clear();
    EXPECT_EQ(cap.clears, 1);
    EXPECT_EQ(cap.FindMessage(-1), nullptr);
    EXPECT_EQ(cap.CurrentMessage(), nullptr);
}

TEST(MessageStream, TimeStampPrefixAndCut)
{
    CCaptureStream cap(true);
    ReportError() << "boom\rcut";
    ASSERT_EQ(cap.messages.size(), 1u);
    EXPECT_TRUE(std::regex_match(cap.messages[0],
                                 std::regex(R"(\[\d\d:\d\d:\d\d\.\d\d\d\] Error: boom)")))
        << cap.messages[0];
}

TEST(MessageStream, WritersOnSeveralThreadsNeverInterleave)
{
    CCaptureStream cap;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 200; ++i) {
                CMessageWriter w(MSG_PLAIN);
                w << "thread" << t;
                w << "-" << i << "-end";
            }
        });
    for (auto& th : threads) th.join();
    ASSERT_EQ(cap.messages.size(), 800u);
    std::regex re(R"(thread\d-\d+-end)");
    for (const auto& m : cap.messages) EXPECT_TRUE(std::regex_match(m, re)) << m;
}

TEST(StructValue, DuplicateNamesAndInterning)
{
    CValue s;
    CStructValue& st = s.MakeStruct();
    st.Add(InternName("a"))->m_value.SetReal(1);
    st.Add(InternName("a"))->m_value.SetReal(2);
    EXPECT_EQ(st.Count(), 2u);
    EXPECT_EQ(st.Find("a")->m_value.Real(), 1.0);
    const std::string* p1 = nullptr;
    std::thread th([&] { p1 = InternName("shared_name"); });
    const std::string* p2 = InternName("shared_name");
    th.join();
    EXPECT_EQ(p1, p2);
    CValue c(s);
    EXPECT_EQ(c.Struct().Count(), 2u);
}
