#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "values/struct_value.h"
#include "values/value.h"

namespace {
class CTagAttachment : public CStructAttachment {
public:
    CStructField* owner;
    int data;
    CTagAttachment(CStructField* o, int d) : owner(o), data(d) { m_type = 0x77; }
    CStructAttachment* Clone(CStructField* o) const override { return new CTagAttachment(o, data); }
    int Write(void*, int) const override { return 0; }
    int Read(void*, int) override { return 0; }
};
CStructAttachment* MakeTag(CStructField* owner) { return new CTagAttachment(owner, 5); }
}  // namespace

TEST(StructValue, DuplicateNamesAllowedAndLookupsTakeTheFirst)
{
    CStructValue s;
    CValue one(1.0), two(2.0);
    s.Append(CStructValue::NewField(InternName("a"), &one));
    s.Append(CStructValue::NewField(InternName("a"), &two));
    s.Append(CStructValue::NewField(nullptr, nullptr, 3));
    ASSERT_EQ(s.Count(), 3u);
    EXPECT_EQ(s.FindField(InternName("a")), s.FieldAt(0));
    EXPECT_EQ(s.FindFieldByName("a"), s.FieldAt(0));
    EXPECT_EQ(s.FieldAt(1)->m_value.Real(), 2.0);
    EXPECT_EQ(s.FieldAt(2)->GetName(), EmptyName());
    EXPECT_TRUE(s.FieldAt(2)->m_value.IsEmpty());
    EXPECT_EQ(s.FieldAt(2)->m_flags, 3u);
    EXPECT_EQ(s.FindFieldByName("zz"), nullptr);
    EXPECT_EQ(s.FindFieldByName(""), s.FieldAt(2));
    EXPECT_EQ(*EmptyName(), "");
}

TEST(StructValue, NamesInternToOneAddressAcrossThreads)
{
    const size_t before = NameListCount();
    std::vector<std::vector<const std::string*>> seen(8);
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([t, &seen] {
            for (int i = 0; i < 200; ++i) seen[t].push_back(InternName("thread_name_" + std::to_string(i % 50)));
        });
    for (auto& th : threads) th.join();
    for (int t = 1; t < 8; ++t) EXPECT_EQ(seen[t], seen[0]);
    EXPECT_EQ(NameListCount(), before + 50);
    EXPECT_EQ(*seen[0][7], "thread_name_7");
    EXPECT_EQ(InternName(std::string("thread_name_7")), seen[0][7]);
}

TEST(StructValue, CopiesCloneFieldsAndAttachments)
{
    RegisterAttachmentFactory(0x77, MakeTag);
    CStructValue s;
    s.FieldValue("x").SetReal(1.0);
    CStructField* f = s.Find("x");
    CStructAttachment* a = f->SetAttachment(0x77);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(static_cast<CTagAttachment*>(a)->owner, f);
    EXPECT_EQ(s.Add(InternName("y"))->SetAttachment(0x1234), nullptr);  // not registered

    CStructValue c(s);
    ASSERT_EQ(c.Count(), 2u);
    auto* ca = static_cast<CTagAttachment*>(c.FieldAt(0)->m_attachment);
    ASSERT_NE(ca, nullptr);
    EXPECT_NE(ca, a);
    EXPECT_EQ(ca->owner, c.FieldAt(0));
    EXPECT_EQ(c.FieldAt(1)->m_attachment, nullptr);
    s.FieldValue("x").SetReal(9.0);
    EXPECT_EQ(c.FieldAt(0)->m_value.Real(), 1.0);

    CStructField* cf = CStructValue::CloneField(f);
    EXPECT_EQ(static_cast<CTagAttachment*>(cf->m_attachment)->owner, cf);
    delete cf;
    RegisterAttachmentFactory(0x77, nullptr);
    EXPECT_EQ(CreateAttachment(nullptr, 0x77), nullptr);
}

TEST(StructValue, AssignmentFromANestedStructure)
{
    CStructValue s;
    CStructValue& inner = s.FieldValue("in").MakeStruct();
    inner.FieldValue("p").SetReal(1.0);
    inner.FieldValue("q").SetReal(2.0);
    s.FieldValue("other").SetReal(3.0);
    s = s.Find("in")->m_value.Struct();
    ASSERT_EQ(s.Count(), 2u);
    EXPECT_EQ(*s.FieldAt(1)->GetName(), "q");
    CStructValue& same = s;
    s = same;
    EXPECT_EQ(s.Count(), 2u);
    s.RemoveAll();
    EXPECT_EQ(s.Count(), 0u);
}
