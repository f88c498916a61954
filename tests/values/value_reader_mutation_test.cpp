// Damaged value texts: the reader gives a value or its error, never a crash,
// and a failed read leaves the destination as it was.
#include <gtest/gtest.h>

#include <limits>

#include "support/fuzz_support.h"
#include "support/mutator.h"
#include "support/capture.h"
#include "values/struct_value.h"
#include "values/text_helpers.h"

namespace {

struct ReadOutcome {
    bool ok;
    CValue value;
    std::vector<std::string> messages;
};

ReadOutcome ReadText(const std::string& text)
{
    FuzzInput current(text);
    CCaptureStream cap;
    ReadOutcome r;
    r.value.SetReal(-7);
    std::istringstream is(text);
    ReadValue(is, r.value);
    r.ok = !is.fail();
    r.messages = cap.messages;
    return r;
}

// A lone character is written bare, so it does not read back as itself.
bool HasChar(const CValue& v)
{
    if (v.Type() == VT_CHAR) return true;
    if (v.Type() == VT_MATRIX && !v.Matrix().IsEmpty())
        for (int r = 0; r < v.Matrix().Rows(); ++r)
            for (int c = 0; c < v.Matrix().Cols(); ++c)
                if (HasChar(v.Matrix().Cell(r, c))) return true;
    if (v.Type() == VT_STRUCT)
        for (size_t i = 0; i < v.Struct().Count(); ++i)
            if (HasChar(v.Struct().FieldAt(i)->m_value)) return true;
    return false;
}

// A failed read reports an error and leaves the value alone; a read that
// succeeds is silent and, but for lone characters, its value reads back from
// its own text.
void CheckRead(const std::string& text)
{
    ReadOutcome r = ReadText(text);
    if (!r.ok) {
        ASSERT_FALSE(r.messages.empty()) << Escaped(text);
        EXPECT_EQ(r.messages.back().rfind("Error: ", 0), 0u) << Escaped(text);
        EXPECT_TRUE(r.value.Type() == VT_REAL && r.value.Real() == -7) << Escaped(text);
        return;
    }
    EXPECT_TRUE(r.messages.empty()) << Escaped(text);
    if (HasChar(r.value)) return;
    std::ostringstream os;
    os.precision(17);
    os << r.value;
    ReadOutcome back = ReadText(os.str());
    EXPECT_TRUE(back.ok) << Escaped(text) << " wrote " << Escaped(os.str());
    if (back.ok) {
        EXPECT_TRUE(SameValue(back.value, r.value)) << Escaped(text) << " wrote " << Escaped(os.str());
    }
}

std::vector<std::string> SeedTexts()
{
    std::vector<CValue> values;
    values.emplace_back(2.5);
    values.emplace_back(-1e300);
    values.emplace_back(std::numeric_limits<double>::infinity());
    values.push_back(Cplx(3, -4));
    values.push_back(Cplx(0, 1e-9));
    values.push_back(RealMatrix(2, 3, {1, 2, 3, 4.5, -5, 6e10}));
    values.push_back(RealMatrix(0, 0, {}));
    CValue quoted;
    quoted.SetString("say \"hi\", 'there'");
    values.push_back(quoted);
    values.push_back(Str0("it's ''odd''"));
    values.push_back(Bytes({0x00, 0x7f, 0x80, 0xff, 0x10}));
    CValue nested = RealMatrix(2, 2, {1, 2, 3, 4});
    nested.Matrix().Cell(0, 1) = Str0("x;y]");
    nested.Matrix().Cell(1, 0) = Cplx(1, 2);
    nested.Matrix().Cell(1, 1) = RealMatrix(1, 2, {7, 8});
    values.push_back(nested);
    CValue st;
    st.MakeStruct().FieldValue("a").SetReal(1);
    st.Struct().FieldValue("name") = quoted;
    st.Struct().FieldValue("m") = nested;
    CValue inner;
    inner.MakeStruct().FieldValue("deep") = Bytes({1, 2});
    st.Struct().FieldValue("s") = inner;
    values.push_back(st);
    CValue cellWithStruct = RealMatrix(1, 2, {0, 5});
    cellWithStruct.Matrix().Cell(0, 0) = st;
    values.push_back(cellWithStruct);

    std::vector<std::string> texts;
    for (const CValue& v : values) {
        std::ostringstream os;
        os.precision(17);
        os << v;
        texts.push_back(os.str());
    }
    for (const char* t : {"(2,90)", "-INF", "+NAN", "UNK", "#12", "3+4i", "2j", "[[1],[2;3]]", "{}", "[ ]",
                          "<0102 0304>", "{a={b={c=[1,'q''']}}}"})
        texts.push_back(t);
    return texts;
}

}  // namespace

TEST(ValueReaderMutation, DamagedTextsGiveAValueOrTheError)
{
    std::vector<std::string> seeds = SeedTexts();
    for (const std::string& s : seeds) CheckRead(s);
    int rounds = 300;
    CMutator mutator(FuzzSeed(4242, rounds));
    for (int round = 0; round < rounds; ++round)
        for (const std::string& seed : seeds) CheckRead(mutator.Mutate(seed, seeds));
}
