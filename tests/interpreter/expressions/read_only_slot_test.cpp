// A parameter slot bound read-only to a caller's value: writes are refused,
// reads happen in place, and whatever could change the value (growing it by an
// index, adding a field) first gives the slot a copy of its own. Bodies that
// write a parameter never get such a slot; these are the guards behind that.
#include <cmath>

#include "interpreter/expressions/harness.h"
#include "interpreter/var_table.h"

namespace {

class ReadOnlySlotTest : public ExprTest {
protected:
    CValue callers;  // the caller's value the slot is bound to
    CVarSlot* slot = nullptr;
    CValue* own = nullptr;
    unsigned char owned = 0;

    void Bind()
    {
        ASSERT_EQ(Eval("a = 0"), 0);
        slot = block.Vars()->Find("a");
        ASSERT_NE(slot, nullptr);
        own = slot->value;
        owned = slot->owned;
        ASSERT_EQ(Eval("c = [5, 6]", callers), 0);
        slot->value = &callers;
        slot->owned = 0;
        slot->readOnly = 1;
    }
    void TearDown() override
    {
        if (slot) {
            if (slot->owned) delete slot->value;
            slot->value = own;
            slot->owned = owned;
            slot->readOnly = 0;
        }
        ExprTest::TearDown();
    }
    bool CallersIntact() const
    {
        const Shape s = ShapeOf(callers);
        return s.rows == 1 && s.cols == 2 && s.re[0] == 5 && s.re[1] == 6;
    }
};

TEST_F(ReadOnlySlotTest, WritesAreRefusedAndReadsStayInPlace)
{
    Bind();
    for (const char* write : {"a = 3", "a += 1", "a++", "--a", "[a, b] = [1, 2]"}) {
        EXPECT_EQ(Eval(write), 48) << write;
        EXPECT_TRUE(CallersIntact()) << write;
        EXPECT_EQ(slot->value, &callers) << write;
    }
    EXPECT_EQ(Real("a[2]"), 6);
    EXPECT_EQ(Real("a[1, 1] + a[1, 2]"), 11);
    EXPECT_EQ(slot->value, &callers);  // no copy for reading
    EXPECT_EQ(slot->readOnly, 1);
}

TEST_F(ReadOnlySlotTest, GrowthAndCellWritesWorkOnACopy)
{
    Bind();
    EXPECT_EQ(Real("a[4]"), 0);  // reading past the end grows the copy
    EXPECT_TRUE(CallersIntact());
    EXPECT_NE(slot->value, &callers);
    EXPECT_EQ(slot->readOnly, 0);
    EXPECT_EQ(ShapeOf(*slot->value).cols, 4);
    ASSERT_EQ(Eval("a[1] = 9"), 0);
    EXPECT_EQ(Real("a[1]"), 9);
    EXPECT_TRUE(CallersIntact());
}

TEST_F(ReadOnlySlotTest, CellAndFieldWritesNeverReachTheCallersValue)
{
    Bind();
    EXPECT_EQ(Eval("a[2] = 7"), 48);  // the cell is read in place, through a read-only handle
    EXPECT_TRUE(CallersIntact());
    ASSERT_EQ(Eval("a.f = 1"), 0);  // a new field needs a structure: made of a copy
    EXPECT_TRUE(CallersIntact());
    EXPECT_NE(slot->value, &callers);
}

}  // namespace
