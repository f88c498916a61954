// The number combos: counts, texts and data on both the template and the
// code path, filled once; the 5-entry one shrinks in place.
#include "combo_test_util.h"
#include "ui_controls/combos/number_combo.h"

namespace {

enum { IDC_N136 = 301, IDC_N10, IDC_N7, IDC_T5, IDC_T8 };

const CDialogItemTemplate kItems[] = {
    {"ComboBox", "", IDC_N136, CBS_DROPDOWNLIST | WS_VSCROLL, 10, 10, 60, 80, 0},
    {"ComboBox", "", IDC_N10, CBS_DROPDOWNLIST | WS_VSCROLL, 10, 30, 60, 80, 0},
    {"ComboBox", "", IDC_N7, CBS_DROPDOWNLIST | WS_VSCROLL, 10, 50, 60, 80, 0},
    {"ComboBox", "", IDC_T5, CBS_DROPDOWNLIST | WS_VSCROLL, 80, 10, 60, 80, 0},
    {"ComboBox", "", IDC_T8, CBS_DROPDOWNLIST | WS_VSCROLL, 80, 30, 60, 80, 0},
};
const CDialogTemplate kTemplate = {WS_POPUP | WS_CAPTION, 0, "Numbers", 10, 10, 160, 100, kItems, 5};
const CDialogTemplate kEmpty = {WS_POPUP | WS_CAPTION, 0, "Numbers", 10, 10, 160, 100, nullptr, 0};

struct Numbers {
    CNumberCombo136 n136;
    CNumberCombo10 n10;
    CNumberCombo7 n7;
    CNumberTableCombo5 t5;
    CNumberTableCombo8 t8;
    CComboBox* all[5] = {&n136, &n10, &n7, &t5, &t8};
};

class CNumberHost : public CDialog {
public:
    Numbers* numbers = nullptr;
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        for (int i = 0; i < 5; ++i) numbers->all[i]->SubclassDlgItem(IDC_N136 + i, this);
        return TRUE;
    }
};

RECT PlaceInParent(CWnd& w)
{
    RECT r;
    w.GetWindowRect(&r);
    POINT a{r.left, r.top}, b{r.right, r.bottom};
    ScreenToClient(::GetParent(w.m_hWnd), &a);
    ScreenToClient(::GetParent(w.m_hWnd), &b);
    return RECT{a.x, a.y, b.x, b.y};
}

class NumberCombo : public ComboTest, public ::testing::WithParamInterface<bool> {};

TEST_P(NumberCombo, FillOnceWithTheirNumbersAndTables)
{
    Numbers n;
    std::vector<LONG_PTR> data(136);
    for (int i = 0; i < 136; ++i) data[i] = 1000 + 3 * i;
    n.n136.SetItemDataTable(data);
    CNumberHost dlg;
    dlg.numbers = &n;
    if (GetParam()) {
        ASSERT_TRUE(dlg.CreateIndirect(&kTemplate, nullptr));
    } else {
        ASSERT_TRUE(dlg.CreateIndirect(&kEmpty, nullptr));
        for (int i = 0; i < 5; ++i) {
            RECT r{10 + 100 * (i / 3), 10 + 30 * (i % 3), 90 + 100 * (i / 3), 200};
            ASSERT_TRUE(n.all[i]->Create(WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWNLIST, r, &dlg, IDC_N136 + i));
        }
    }
    ASSERT_EQ(n.n136.GetCount(), 136);
    ASSERT_EQ(n.n10.GetCount(), 10);
    ASSERT_EQ(n.n7.GetCount(), 7);
    ASSERT_EQ(n.t5.GetCount(), 5);
    ASSERT_EQ(n.t8.GetCount(), 8);
    for (int i : {0, 1, 57, 135}) {
        EXPECT_EQ(n.n136.GetLBText(i), std::to_string(i));
        EXPECT_EQ((LONG_PTR)n.n136.GetItemData(i), 1000 + 3 * i);
    }
    EXPECT_EQ(n.n10.GetLBText(9), "9");
    EXPECT_EQ(n.n7.GetLBText(6), "6");
    EXPECT_EQ(n.t5.GetLBText(4), "Dash-dot-dot");
    EXPECT_EQ((LONG_PTR)n.t5.GetItemData(4), 4);
    const std::pair<const char*, LONG_PTR> fills[] = {{"No filling", -2}, {"Solid", -1},       {"Diagonal down", 3},
                                                      {"Grid", 4},        {"Diagonal grid", 5}, {"Diagonal up", 2},
                                                      {"Horizontal", 0},  {"Vertical", 1}};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(n.t8.GetLBText(i), fills[i].first);
        EXPECT_EQ((LONG_PTR)(INT_PTR)n.t8.GetItemData(i), fills[i].second);
    }
    // The 5-entry control: 4 pixels shorter than the 8-entry one of the
    // same width and column, at the place it was given.
    RECT given{80, 10, 140, 90};
    if (GetParam()) AfxMapDialogRect(&given);
    else given = RECT{110, 10, 190, 200};
    RECT five = PlaceInParent(n.t5), eight = PlaceInParent(n.t8);
    EXPECT_EQ(five.left, given.left);
    EXPECT_EQ(five.top, given.top);
    EXPECT_EQ(five.right - five.left, eight.right - eight.left);
    EXPECT_EQ(five.bottom - five.top, eight.bottom - eight.top - 4);
    for (CComboBox* c : n.all) c->DestroyWindow();
    dlg.DestroyWindow();
}

INSTANTIATE_TEST_SUITE_P(Paths, NumberCombo, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& p) { return p.param ? "Template" : "Code"; });

TEST_F(ComboTest, TheIndexedComboHasZeroDataByDefault)
{
    CNumberCombo136 c;
    CDialog dlg(&kEmpty, nullptr);
    ASSERT_TRUE(dlg.CreateIndirect(&kEmpty, nullptr));
    ASSERT_TRUE(c.Create(WS_VSCROLL | CBS_DROPDOWNLIST, RECT{0, 0, 80, 200}, &dlg, 9));
    ASSERT_EQ(c.GetCount(), 136);
    EXPECT_EQ(c.GetItemData(135), 0u);
    c.DestroyWindow();
    dlg.DestroyWindow();
}

}  // namespace
