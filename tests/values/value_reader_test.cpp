#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <vector>

#include "support/capture.h"
#include "text_helpers.h"
#include "values/app_settings.h"

namespace {

const double kInf = std::numeric_limits<double>::infinity();

struct ReadResult {
    bool ok;
    CValue value;
    std::vector<std::string> messages;
    std::string rest;
};

ReadResult Read(const std::string& text)
{
    CCaptureStream cap;
    ReadResult r;
    std::istringstream is(text);
    r.value.SetReal(-7);  // must survive a failure
    ReadValue(is, r.value);
    r.ok = !is.fail();
    is.clear();
    r.rest.assign(std::istreambuf_iterator<char>(is), std::istreambuf_iterator<char>());
    r.messages = cap.messages;
    return r;
}

using Strings = std::vector<std::string>;

}  // namespace

TEST(Reader, TooDeepANestingFailsWithOneMessage)
{
    for (const char* open : {"[", "{a="}) {
        std::string text;
        for (int i = 0; i < 2000; ++i) text += open;
        text += "1";
        for (int i = 0; i < 2000; ++i) text += open[0] == '[' ? "]" : "}";
        ReadResult r = Read(text);
        EXPECT_FALSE(r.ok) << open;
        EXPECT_EQ(r.messages, (Strings{open[0] == '[' ? "Error: Invalid matrix" : "Error: Invalid struct"})) << open;
    }
}

TEST(Reader, ErrorTexts)
{
    struct Case {
        const char* text;
        Strings messages;
    } cases[] = {
        {"[1 2]", {"Error: Invalid matrix"}},
        {"[1,x]", {"Error: Invalid value (smd)", "Error: Invalid matrix"}},
        {"[1,2;3]", {"Error: Invalid matrix"}},
        {"[1,2", {"Error: Invalid matrix"}},
        {"[1,", {"Error: Invalid value (smd)", "Error: Invalid matrix"}},
        {"inf", {"Error: Invalid value (smd)"}},
        {"-inf", {"Error: Invalid complex or real value"}},
        {"NULL", {"Error: Invalid complex or real value"}},
        {"'abc", {"Error: Invalid string (pchar)"}},
        {"\"abc", {"Error: Invalid string"}},
        {"<zz>", {"Error: Invalid binary string"}},
        {"<0a ff", {"Error: Invalid binary string"}},
        {"{a=1", {"Error: Invalid struct"}},
        {"{a=1; b=2}", {"Error: Invalid struct"}},
        {"{a=x}", {"Error: Invalid value (smd)", "Error: Invalid struct"}},
        // only the level around the failing cell adds its message
        {"[[[1,x]]]", {"Error: Invalid value (smd)", "Error: Invalid matrix"}},
        {"{a={b=[1,2;3]}}", {"Error: Invalid matrix"}},
        {"@zz", {"Error: Invalid pointer"}},
        {"#x", {"Error: Invalid identifier"}},
        {"UNX", {"Error: Invalid value (smd)"}},
        {"", {"Error: Invalid value (smd)"}},
        {"   ", {"Error: Invalid value (smd)"}},
    };
    for (const Case& c : cases) {
        ReadResult r = Read(c.text);
        EXPECT_FALSE(r.ok) << c.text;
        EXPECT_EQ(r.messages, c.messages) << c.text;
        EXPECT_EQ(r.value.Type(), (uint32_t)VT_REAL) << c.text;
        EXPECT_EQ(r.value.Real(), -7) << c.text;
    }
}

TEST(Reader, ValuesAndTypeChoice)
{
    CValue emptyStruct;
    emptyStruct.MakeStruct();
    CValue twoFields;
    twoFields.MakeStruct().FieldValue("a").SetReal(1);
    twoFields.Struct().FieldValue("b").SetReal(2);
    CValue emptyMatrix;
    emptyMatrix.MakeMatrix(0, 0);
    CValue nested = RealMatrix(2, 2, {1, 0, 3, 4});
    nested.Matrix().Cell(0, 1) = Str0("x");
    CValue str;
    str.SetString("a\"b");
    struct Case {
        const char* text;
        CValue want;
        const char* rest;
    } cases[] = {
        {"UNK", CValue(), ""},
        {"2j", Cplx(0, 2), ""},
        {"3+4i", Cplx(3, 4), ""},
        {"3 + 4i", CValue(3.0), " + 4i"},
        {"5+0i", CValue(5.0), ""},
        {"-INF", CValue(-kInf), ""},
        {"+NAN", CValue(std::nan("")), ""},
        {"[1, 2; 3, 4]", RealMatrix(2, 2, {1, 2, 3, 4}), ""},
        {" [ ] ,", emptyMatrix, " ,"},
        {"[1,'x';3,4]", nested, ""},
        {"\"a\"\"b\"", str, ""},
        {"'it''s'", Str0("it's"), ""},
        {"''", Str0(""), ""},
        {"<0a ff>", Bytes({0x0a, 0xff}), ""},
        {"<0102 0304>", Bytes({0x02, 0x01, 0x04, 0x03}), ""},
        {"{}", emptyStruct, ""},
        {"{a=1, b = 2}", twoFields, ""},
    };
    for (const Case& c : cases) {
        ReadResult r = Read(c.text);
        EXPECT_TRUE(r.ok) << c.text;
        EXPECT_TRUE(r.messages.empty()) << c.text;
        EXPECT_TRUE(SameValue(r.value, c.want)) << c.text << " read as " << Plain(r.value);
        EXPECT_EQ(r.rest, c.rest) << c.text;
    }
    // The polar form in degrees, up to the accuracy of sine and cosine.
    ReadResult polar = Read("(2,90)");
    ASSERT_EQ(polar.value.Type(), (uint32_t)VT_COMPLEX);
    EXPECT_NEAR(polar.value.ComplexRef().re, 0, 1e-15);
    EXPECT_DOUBLE_EQ(polar.value.ComplexRef().im, 2);
}

TEST(Reader, NestingIsLimited)
{
    auto nested = [](int depth, char open, const std::string& inner, char close) {
        return std::string(depth, open) + inner + std::string(depth, close);
    };
    ReadResult ok = Read(nested(MaxReadNesting, '[', "1", ']'));
    EXPECT_TRUE(ok.ok);
    EXPECT_TRUE(ok.messages.empty());

    ReadResult deep = Read(nested(MaxReadNesting + 1, '[', "1", ']'));
    EXPECT_FALSE(deep.ok);
    ASSERT_FALSE(deep.messages.empty());
    EXPECT_EQ(deep.messages.back(), "Error: Invalid matrix");

    ReadResult huge = Read(std::string(200000, '['));
    EXPECT_FALSE(huge.ok);
    EXPECT_LE(huge.messages.size(), (size_t)MaxReadNesting + 2);
    EXPECT_EQ(huge.messages.back(), "Error: Invalid matrix");

    std::string structs;
    for (int i = 0; i < 5000; ++i) structs += "{a=";
    ReadResult st = Read(structs);
    EXPECT_FALSE(st.ok);
    ASSERT_FALSE(st.messages.empty());
    EXPECT_EQ(st.messages.back(), "Error: Invalid struct");
}

namespace {
int g_hookCalls = 0;
int HookRead(std::istream& is, CValue& v)
{
    ++g_hookCalls;
    int c = is.get();
    if (c != '@') {
        is.unget();
        return -1;
    }
    std::string name;
    is >> name;
    v.SetPointer(&g_hookCalls);
    return 0;
}
}  // namespace

TEST(Reader, HookIsAskedFirst)
{
    ReadValueHook = HookRead;
    ReadResult p = Read("@sin");
    ReadResult m = Read("[1,2]");
    ReadValueHook = nullptr;
    EXPECT_TRUE(p.ok);
    EXPECT_EQ(p.value.Type(), (uint32_t)VT_POINTER);
    EXPECT_EQ(p.value.Pointer(), &g_hookCalls);
    EXPECT_TRUE(SameValue(m.value, RealMatrix(1, 2, {1, 2})));
    EXPECT_EQ(g_hookCalls, 4);  // the matrix and its two cells
}

TEST(Reader, MatrixReadTextLeavesTargetOnFailure)
{
    CValueMatrix m(1, 1);
    m.Cell(0, 0).SetReal(9);
    std::istringstream bad("[1,2;3]");
    CCaptureStream cap;
    m.ReadText(bad);
    EXPECT_TRUE(bad.fail());
    ASSERT_EQ(m.Rows(), 1);
    EXPECT_EQ(m.Cell(0, 0).Real(), 9);
    std::istringstream notMatrix("1");
    m.ReadText(notMatrix);
    EXPECT_TRUE(notMatrix.fail());
    EXPECT_TRUE(cap.messages.empty());  // only ReadValue reports
}

TEST(RoundTrip, AtPrecision17)
{
    CValue st;
    st.MakeStruct().FieldValue("m") = RealMatrix(1, 2, {0.1, -1e-300});
    st.Struct().FieldValue("s") = Str0("a'b");
    st.Struct().FieldValue("inner").MakeStruct().FieldValue("z") = Cplx(0, -0.5);
    CValue matrix = RealMatrix(2, 2, {1.0 / 3, kInf, -kInf, std::nan("")});
    matrix.Matrix().Cell(1, 1) = st;
    CValue str;
    str.SetString("say \"hi\", [x]; {y}");
    CValue emptyString;
    emptyString.SetString("");
    CValue emptyMatrix;
    emptyMatrix.MakeMatrix(0, 0);
    CValue emptyBytes;
    emptyBytes.SetBinaryString(nullptr, 0);
    CValue id;
    id.SetIdentifier(123456);
    const std::pair<const char*, CValue> cases[] = {
        {"Real", CValue(0.1)},
        {"tiny Real", CValue(5e-324)},
        {"Complex", Cplx(1.0 / 3, -2.0 / 7)},
        {"imaginary", Cplx(0, 1e-5)},
        {"Complex NaN part", Cplx(0.1, std::nan(""))},
        {"Matrix", matrix},
        {"empty Matrix", emptyMatrix},
        {"String0", Str0("it's 'quoted'")},
        {"String", str},
        {"two-cell String", CValue(std::string("ab"))},
        {"empty String", emptyString},
        {"Binary String", Bytes({0, 0x7f, 0xff})},
        {"empty Binary String", emptyBytes},
        {"Byte", Bytes({0xfe})},
        {"Identifier", id},
        {"Struct", st},
        {"empty", CValue()},
    };
    for (const auto& [name, v] : cases) {
        const std::string text = Plain(v, 17);
        ReadResult r = Read(text);
        EXPECT_TRUE(r.ok) << name << ": " << text;
        EXPECT_TRUE(SameValue(r.value, v)) << name << ": " << text << " read as " << Plain(r.value, 17);
        EXPECT_EQ(r.rest, "") << name;
    }
}

TEST(RoundTrip, Exceptions)
{
    // A Char writes bare and does not read back.
    EXPECT_FALSE(Read(Plain(CValue('x'))).ok);
    // A Pointer keeps its address; handles come back as Pointers.
    CValue target(1.0), p, h;
    p.SetPointer(&target);
    h.SetHandle(&target);
    for (const CValue* v : {&p, &h}) {
        ReadResult r = Read(Plain(*v));
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(r.value.Tag(), (uint32_t)VT_POINTER);
        EXPECT_EQ(r.value.Pointer(), &target);
    }
    // Integer, Array, Expression and Boolean write "UNK" and read back empty.
    for (uint32_t tag : {VT_INTEGER, VT_ARRAY, VT_EXPRESSION, VT_BOOLEAN}) {
        CValue v;
        v.m_tag = tag;
        ReadResult r = Read(Plain(v));
        EXPECT_TRUE(r.ok);
        EXPECT_TRUE(r.value.IsEmpty());
        v.m_tag = 0;
    }
}

namespace {
// An attachment that carries a text ended by ";" after its type id.
class WordAttachment : public CStructAttachment {
public:
    std::string word;
    CStructAttachment* Clone(CStructField*) const override { return new WordAttachment(*this); }
    int Write(void* stream, int mode) const override
    {
        if (mode == 16) *static_cast<std::ostream*>(stream) << word << ';';
        return 0;
    }
    int Read(void* stream, int mode) override
    {
        if (mode == 16) std::getline(*static_cast<std::istream*>(stream), word, ';');
        return 0;
    }
};
CStructAttachment* MakeWord(CStructField*)
{
    auto* a = new WordAttachment;
    a->m_type = 0x2a;
    return a;
}
}  // namespace

TEST(StructText, AttachmentsWriteAndReadTheirOwnText)
{
    RegisterAttachmentFactory(0x2a, MakeWord);
    CValue st;
    CStructField* f = st.MakeStruct().Add(InternName("a"));
    f->m_value.SetReal(1);
    auto* a = static_cast<WordAttachment*>(f->SetAttachment(0x2a));
    ASSERT_NE(a, nullptr);
    a->word = "hello";
    st.Struct().Add(InternName("b"))->m_value.SetReal(2);
    const std::string text = Plain(st);
    EXPECT_EQ(text, "{a=1$2a hello;, b=2}");

    ReadResult r = Read(text);
    RegisterAttachmentFactory(0x2a, nullptr);
    ASSERT_TRUE(r.ok);
    ASSERT_TRUE(SameValue(r.value, st));
    auto* back = dynamic_cast<WordAttachment*>(r.value.Struct().FieldAt(0)->m_attachment);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->word, "hello");
    EXPECT_EQ(r.value.Struct().FieldAt(1)->m_attachment, nullptr);

    // An id nobody registered leaves the field without an attachment.
    ReadResult u = Read("{a=1$7f, b=2}");
    ASSERT_TRUE(u.ok);
    EXPECT_EQ(u.value.Struct().FieldAt(0)->m_attachment, nullptr);
    EXPECT_EQ(u.value.Struct().Count(), 2u);
}
