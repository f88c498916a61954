// The colour combo: its table, selection, the custom colour through the
// colour dialog, the automatic entry and its drawing.
#include "combo_test_util.h"
#include "tests/support/common_dialog_script.h"
#include "ui_controls/combos/color_combo.h"

namespace {

enum { IDC_COLOR = 201 };

const CDialogItemTemplate kItems[] = {
    {"ComboBox", "", IDC_COLOR, CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL, 10, 10, 90, 80, 0},
};
const CDialogTemplate kTemplate = {WS_POPUP | WS_CAPTION, 0, "Colours", 10, 10, 120, 100, kItems, 1};

class CColorDialogHost : public CDialog {
public:
    CColorCombo combo;
    std::string autoText;
    COLORREF autoColor = 0;
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        if (!autoText.empty()) combo.SetAutomaticEntry(autoText, autoColor);
        combo.SubclassDlgItem(IDC_COLOR, this);
        return TRUE;
    }
};

// Either a dialog whose combo comes from the template, or a combo created in
// code on a plain dialog.
struct ColorHost {
    CColorDialogHost dlg;
    CColorCombo coded;
    CColorCombo* combo = nullptr;
    explicit ColorHost(bool fromTemplate, const std::string& autoText = "", COLORREF autoColor = 0)
    {
        dlg.autoText = fromTemplate ? autoText : "";
        dlg.autoColor = autoColor;
        static const CDialogTemplate kEmpty = {WS_POPUP | WS_CAPTION, 0, "Colours", 10, 10, 120, 100, nullptr, 0};
        if (fromTemplate) {
            EXPECT_TRUE(dlg.CreateIndirect(&kTemplate, nullptr));
            combo = &dlg.combo;
        } else {
            EXPECT_TRUE(dlg.CreateIndirect(&kEmpty, nullptr));
            if (!autoText.empty()) coded.SetAutomaticEntry(autoText, autoColor);
            EXPECT_TRUE(coded.Create(WS_VISIBLE | WS_VSCROLL, RECT{10, 10, 170, 200}, &dlg, IDC_COLOR));
            combo = &coded;
        }
    }
    ~ColorHost()
    {
        coded.DestroyWindow();
        dlg.DestroyWindow();
    }
    // What a user's choice in the list reflects to the control.
    void Choose(int index)
    {
        combo->SetCurSel(index);
        dlg.SendMessage(WM_COMMAND, (WPARAM)MAKELONG(IDC_COLOR, CBN_SELCHANGE), (LPARAM)combo->m_hWnd);
    }
};

class ColorCombo : public ComboTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ColorCombo, HoldsTheTableOnceWithItemZeroSelected)
{
    ColorHost host(GetParam());
    CColorCombo& c = *host.combo;
    const char* names[] = {"Black", "Maroon", "Dark Green", "Olive", "Navy", "Purple", "Teal",
                           "Grey", "Silver", "Red", "Lime", "Yellow", "Orange", "Blue",
                           "Fushcia", "Aqua", "White", "Undefined", "..."};
    const COLORREF colors[] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000,
                               0x808080, 0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF, 0x0080FF, 0xFF0000,
                               0xFF00FF, 0xFFFF00, 0xFFFFFF, 0xFF000000u, 0xFFFFFF};
    ASSERT_EQ(c.GetCount(), 19);   // filled once though created and subclassed
    for (int i = 0; i < 19; ++i) {
        EXPECT_EQ(c.GetLBText(i), names[i]) << i;
        EXPECT_EQ((COLORREF)c.GetItemData(i), colors[i]) << i;
    }
    EXPECT_EQ(c.GetCurSel(), 0);
    EXPECT_EQ(c.GetSelectedColor(), 0u);
}

TEST_P(ColorCombo, SelectsByColourAndKeepsUnknownColoursInTheLastItem)
{
    ColorHost host(GetParam());
    CColorCombo& c = *host.combo;
    c.SetSelectedColor(0x0000FF);
    EXPECT_EQ(c.GetLBText(c.GetCurSel()), "Red");
    c.SetSelectedColor(0x123456);
    EXPECT_EQ(c.GetCurSel(), 18);
    EXPECT_EQ(c.GetSelectedColor(), 0x123456u);
    c.SetCurSel(-1);
    EXPECT_EQ(c.GetSelectedColor(), (COLORREF)CB_ERR);
}

TEST_P(ColorCombo, TheLastItemAsksTheColourDialogAndCancelKeepsTheColour)
{
    ColorHost host(GetParam());
    CColorCombo& c = *host.combo;
    CommonDialogAnswer ok;
    ok.result = IDOK;
    ok.color = 0x010203;
    PushCommonDialogAnswer(ok);
    host.Choose(18);
    EXPECT_EQ(c.GetSelectedColor(), 0x010203u);
    CommonDialogAnswer cancel;
    cancel.result = IDCANCEL;
    cancel.color = 0x0A0B0C;
    PushCommonDialogAnswer(cancel);
    host.Choose(18);
    EXPECT_EQ(c.GetSelectedColor(), 0x010203u);
    auto log = TakeCommonDialogLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].kind, "color");
    // Other items open no dialog.
    host.Choose(3);
    EXPECT_TRUE(TakeCommonDialogLog().empty());
}

TEST_P(ColorCombo, TheAutomaticEntryTakesTheGivenTextAndColour)
{
    ColorHost host(GetParam(), "Auto", 0xFFFFFFFFu);
    CColorCombo& c = *host.combo;
    ASSERT_EQ(c.GetCount(), 19);
    EXPECT_EQ(c.GetLBText(17), "Auto");
    EXPECT_EQ((COLORREF)c.GetItemData(17), 0xFFFFFFFFu);
    c.SetSelectedColor(0xFFFFFFFFu);
    EXPECT_EQ(c.GetCurSel(), 17);
    EXPECT_EQ(c.GetSelectedColor(), 0xFFFFFFFFu);
    // Still an outline: the swatch belongs to the index, not the value.
    std::string auto_ = RecordComboItem(c, 17, 0);
    EXPECT_NE(auto_.find("FrameRect 7,7,36,13"), std::string::npos) << auto_;
    EXPECT_EQ(auto_.find("FillRect 2,2,"), std::string::npos) << auto_;
}

INSTANTIATE_TEST_SUITE_P(Paths, ColorCombo, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& p) { return p.param ? "Template" : "Code"; });

TEST_F(ComboTest, ColourItemsDrawSwatchNameAndStateColours)
{
    ColorHost host(true);
    CColorCombo& c = *host.combo;
    // Item rect 0,0,160,20: shrunk by 2 -> 2,2,158,18; swatch 2,2,41,18.
    std::string undefined = RecordComboItem(c, 17, 0);
    EXPECT_NE(undefined.find("FrameRect 7,7,36,13"), std::string::npos) << undefined;
    EXPECT_NE(undefined.find("brush=SOLID,#000000"), std::string::npos);
    EXPECT_NE(undefined.find("\"Undefined\""), std::string::npos);

    std::string red = RecordComboItem(c, 9, 0);
    EXPECT_NE(red.find("FillRect 2,2,41,18 | pen=SOLID,0,#000000 brush=SOLID,#ff0000"), std::string::npos) << red;
    EXPECT_NE(red.find("FrameRect 2,2,41,18 | pen=SOLID,0,#000000 brush=SOLID,#000000"), std::string::npos) << red;
    auto hex = [](COLORREF c) {
        char s[8];
        std::snprintf(s, sizeof s, "#%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
        return std::string(s);
    };
    EXPECT_NE(red.find("\"Red\" | "), std::string::npos);
    EXPECT_NE(red.find("text=" + hex(GetSysColor(COLOR_WINDOWTEXT))), std::string::npos) << red;
    EXPECT_NE(red.find("FillRect 0,0,160,20 | pen=SOLID,0,#000000 brush=SOLID," + hex(GetSysColor(COLOR_WINDOW))),
              std::string::npos)
        << red;

    std::string selected = RecordComboItem(c, 9, ODS_SELECTED | ODS_FOCUS);
    EXPECT_NE(selected.find("FillRect 0,0,160,20 | pen=SOLID,0,#000000 brush=SOLID," + hex(GetSysColor(COLOR_HIGHLIGHT))),
              std::string::npos)
        << selected;
    EXPECT_NE(selected.find("text=" + hex(~GetSysColor(COLOR_WINDOWTEXT) & 0xFFFFFF)), std::string::npos) << selected;
    EXPECT_NE(selected.find("DrawFocusRect 0,0,160,20"), std::string::npos);

    std::string disabled = RecordComboItem(c, 9, ODS_DISABLED);
    EXPECT_NE(disabled.find("text=" + hex(GetSysColor(COLOR_GRAYTEXT))), std::string::npos) << disabled;
}

}  // namespace
