#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "interpreter/name_index.h"
#include "interpreter/var_table.h"

namespace {

struct GlobalsGuard {
    ~GlobalsGuard() { GlobalVariables.Clear(); }
};

TEST(VarTable, FindOrAddPrefersLocalThenGlobal)
{
    GlobalsGuard g;
    CVarSlot* global = GlobalVariables.Add("shared", true);
    CVarTable t;
    EXPECT_EQ(t.FindOrAdd("shared"), global);
    EXPECT_EQ(t.Count(), 0);
    CVarSlot* local = t.Add("shared", true);
    EXPECT_EQ(t.FindOrAdd("shared"), local);
    CVarSlot* fresh = t.FindOrAdd("x");
    ASSERT_NE(fresh, nullptr);
    EXPECT_TRUE(fresh->owned);
    ASSERT_NE(fresh->value, nullptr);
    EXPECT_TRUE(fresh->value->IsEmpty());
    CVarSlot* upper = t.FindOrAdd("X");  // names are case-sensitive
    EXPECT_NE(upper, fresh);
    EXPECT_EQ(upper, t.At(2));
    EXPECT_EQ(t.Count(), 3);
}

TEST(VarTable, BlockedTableCreatesNothing)
{
    CVarTable t;
    t.blocked = 1;
    EXPECT_EQ(t.FindOrAdd("nowhere"), nullptr);
    EXPECT_EQ(t.Count(), 0);
}

TEST(VarTable, DuplicateAddFindsTheFirst)
{
    CVarTable t;
    CVarSlot* first = t.Add("a", true);
    CVarSlot* second = t.Add("a", false);
    EXPECT_NE(first, second);
    EXPECT_EQ(t.Find("a"), first);
    EXPECT_EQ(second->value, nullptr);
    EXPECT_FALSE(second->owned);
}

TEST(VarTable, SlotAddressesSurviveGrowth)
{
    CVarTable t;
    CVarSlot* s = t.Add("keep", true);
    s->value->SetReal(4.0);
    for (int i = 0; i < 100; ++i) t.Add(std::to_string(i), true);
    EXPECT_EQ(t.Find("keep"), s);
    EXPECT_EQ(s->value->Real(), 4.0);
    t.RemoveLast(0);
    EXPECT_EQ(t.Count(), 101);
    t.RemoveLast(100);
    EXPECT_EQ(t.Count(), 1);
    t.RemoveLast(5);  // more than there are
    EXPECT_EQ(t.Count(), 0);
}

TEST(VarTable, SaveAndRestoreBringsValuesAndTargetsBack)
{
    CVarTable t;
    CValue outside1(1.0), outside2(2.0);
    CVarSlot* owned = t.Add("v", true);
    CVarSlot* ref = t.Add("r", false);
    owned->value->SetReal(10.0);
    ref->value = &outside1;
    CValue* ownedAddress = owned->value;

    int n = 0;
    CSavedValue* saved = t.SaveValues(n);
    ASSERT_EQ(n, 2);
    EXPECT_NE(saved[0].value, owned->value);  // a deep copy
    EXPECT_EQ(saved[1].value, &outside1);

    owned->value->SetReal(99.0);
    ref->value = &outside2;
    t.RestoreValues(saved, n);
    EXPECT_EQ(owned->value, ownedAddress);  // assigned into, not replaced
    EXPECT_EQ(owned->value->Real(), 10.0);
    EXPECT_EQ(ref->value, &outside1);
    EXPECT_FALSE(ref->owned);
}

TEST(VarTable, RestoreIntoASlotRebound)
{
    // A value slot bound to a reference during a call, and the other way round.
    CVarTable t;
    CValue outside(5.0);
    CVarSlot* a = t.Add("a", true);
    CVarSlot* b = t.Add("b", false);
    a->value->SetReal(1.0);
    b->value = &outside;
    int n = 0;
    CSavedValue* saved = t.SaveValues(n);
    CValueRef byRef, byValue;
    byRef.value = &outside;
    byValue.value = new CValue(7.0);
    byValue.owned = 1;
    CVarTable::AssignSlot(*a, byRef);
    CVarTable::AssignSlot(*b, byValue);
    t.RestoreValues(saved, n);
    ASSERT_TRUE(a->owned);
    EXPECT_EQ(a->value->Real(), 1.0);
    EXPECT_FALSE(b->owned);
    EXPECT_EQ(b->value, &outside);
    EXPECT_EQ(outside.Real(), 5.0);
}

TEST(VarTable, AssignSlotCopiesOwnedAndSharesUnowned)
{
    CVarSlot dst, src;
    src.value = new CValue(3.0);
    src.owned = 1;
    CVarTable::AssignSlot(dst, src);
    ASSERT_TRUE(dst.owned);
    EXPECT_NE(dst.value, src.value);
    EXPECT_EQ(dst.value->Real(), 3.0);
    CValue shared(8.0);
    CValueRef unowned;
    unowned.value = &shared;
    CVarTable::AssignSlot(dst, unowned);  // frees the owned copy
    EXPECT_FALSE(dst.owned);
    EXPECT_EQ(dst.value, &shared);
}

TEST(VarTable, CopyValuesFromAShorterTableStopsAtItsEnd)
{
    CVarTable longer, shorter;
    for (const char* n : {"a", "b", "c"}) longer.Add(n, true)->value->SetReal(1.0);
    shorter.Add("a", true)->value->SetReal(5.0);
    longer.CopyValuesFrom(shorter);
    EXPECT_EQ(longer.At(0)->value->Real(), 5.0);
    EXPECT_EQ(longer.At(1)->value->Real(), 1.0);
    EXPECT_EQ(longer.At(2)->value->Real(), 1.0);
    shorter.CopyValuesFrom(longer);
    EXPECT_EQ(shorter.Count(), 1);
}

TEST(VarTable, CopyNamesThenLoadValues)
{
    CVarTable src, view;
    src.Add("x", true)->value->SetReal(2.0);
    src.Add("y", false);
    view.CopyNames(src);
    ASSERT_EQ(view.Count(), 2);
    EXPECT_EQ(view.At(1)->name, "y");
    EXPECT_EQ(view.At(0)->value, nullptr);
    int n = 0;
    CSavedValue* saved = src.SaveValues(n);
    view.LoadValues(saved, n);
    delete[] saved;  // the view keeps its own copies
    ASSERT_TRUE(view.At(0)->owned);
    EXPECT_EQ(view.At(0)->value->Real(), 2.0);
}

// The first slot of a name, and the place of a slot, found by walking the
// table: what Find and IndexOf answer whether or not a table is indexed.
CVarSlot* ScanFind(const CVarTable& t, const std::string& name)
{
    for (CVarSlot* s : t.slots)
        if (s->name == name) return s;
    return nullptr;
}

TEST(VarTable, LookupsAgreeWithAScanThroughGrowthAndShrinking)
{
    // A seeded walk of adds (duplicate names among them), removals from the
    // end and clears, across the size where the table starts indexing.
    std::mt19937 rng(7);
    CVarTable t;
    for (int step = 0; step < 4000; ++step) {
        const int op = (int)(rng() % 10);
        if (op < 6) {
            t.Add("v" + std::to_string(rng() % 60), rng() % 2 == 0);
        } else if (op < 9) {
            t.RemoveLast((int)(rng() % 4));
        } else if (rng() % 20 == 0) {
            t.Clear();
        }
        for (int k = 0; k < 64; ++k) {
            const std::string name = "v" + std::to_string(k);
            ASSERT_EQ(t.Find(name), ScanFind(t, name)) << "step " << step << ", " << name;
        }
        for (int i = 0; i < t.Count(); ++i) ASSERT_EQ(t.IndexOf(t.At(i)), i) << "step " << step;
        CVarSlot stranger;
        stranger.name = "v1";
        ASSERT_EQ(t.IndexOf(&stranger), -1);
    }
}

TEST(VarTable, GlobalLookupsOfALargeTable)
{
    GlobalsGuard g;
    std::vector<CVarSlot*> made;
    for (int i = 0; i < 1000; ++i) made.push_back(GlobalVariables.Add("g" + std::to_string(i), true));
    CVarSlot* again = GlobalVariables.Add("g500", true);  // a second slot of the name
    CVarTable local;
    EXPECT_EQ(local.FindOrAdd("g500"), made[500]);
    EXPECT_EQ(local.Count(), 0);
    EXPECT_EQ(GlobalVariables.IndexOf(again), 1000);
    EXPECT_EQ(GlobalVariables.IndexOf(made[999]), 999);
    GlobalVariables.RemoveLast(2);
    EXPECT_EQ(GlobalVariables.Find("g999"), nullptr);
    EXPECT_EQ(GlobalVariables.Find("g500"), made[500]);
}

TEST(NameIndex, AgreesWithAMapThroughInsertsAndErasesInAnyOrder)
{
    // Positions are inserted once each; erased in any order (a table drops
    // its last records, but the array's runs are in any order after growth),
    // so that runs of the probed array meet, wrap and are cut in the middle.
    std::mt19937 rng(99);
    std::vector<std::string> names;  // by position
    std::map<std::string, uint32_t> model;  // what the index must answer
    std::vector<uint32_t> live;
    CNameIndex index;
    auto nameAt = [&](uint32_t i) { return std::string_view(names[i]); };
    size_t target = 40;
    for (int step = 0; step < 40000; step++) {
        if (step % 4000 == 0) target = 10 + rng() % 300;
        if (live.size() < target ? rng() % 4 != 0 : rng() % 4 == 0) {
            const bool again = !names.empty() && rng() % 8 == 0;
            names.push_back(again ? names[rng() % names.size()] : "n" + std::to_string(rng() % 1000000));
            const uint32_t at = (uint32_t)(names.size() - 1);
            index.Insert(at, nameAt);
            model.try_emplace(names[at], at);  // the first stays
            live.push_back(at);
        } else if (!live.empty()) {
            const size_t k = rng() % live.size();
            const uint32_t at = live[k];
            live.erase(live.begin() + (ptrdiff_t)k);
            index.Erase(at, nameAt);
            if (auto it = model.find(names[at]); it != model.end() && it->second == at) model.erase(it);
        }
        for (uint32_t at : live) {
            auto it = model.find(names[at]);
            ASSERT_EQ(index.Find(names[at], nameAt), it == model.end() ? -1 : (int64_t)it->second) << "step " << step;
        }
        ASSERT_EQ(index.Find("absent", nameAt), -1);
    }
}

TEST(VarTable, ClearValuesKeepsSlots)
{
    CVarTable t;
    CVarSlot* s = t.Add("a", true);
    s->value->SetReal(1.0);
    t.Add("none", false);
    t.ClearValues();
    EXPECT_EQ(t.Count(), 2);
    EXPECT_TRUE(s->value->IsEmpty());
    t.Clear();
    EXPECT_EQ(t.Count(), 0);
}

}  // namespace
