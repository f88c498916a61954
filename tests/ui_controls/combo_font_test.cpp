// The font combo: families with the outline bit and no duplicates, the mapped
// faces, selection, the dropped width under the recording DC's metric, and
// drawing that creates no fonts in style 1 and leaks none in any style.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <sstream>

#include "combo_test_util.h"
#include "ui_controls/combos/font_combo.h"

namespace {

enum { IDC_FONT = 501 };

const CDialogItemTemplate kItems[] = {
    {"ComboBox", "", IDC_FONT, CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS | WS_VSCROLL, 10, 10, 100, 90, 0},
};
const CDialogTemplate kTemplate = {WS_POPUP | WS_CAPTION, 0, "Fonts", 10, 10, 140, 110, kItems, 1};
const CDialogTemplate kEmpty = {WS_POPUP | WS_CAPTION, 0, "Fonts", 10, 10, 140, 110, nullptr, 0};

// Measures with the recording DC's fixed metric.
class CRecordedFontCombo : public CFontCombo {
public:
    explicit CRecordedFontCombo(int style) { m_style = style; }
    int measured = 0;

protected:
    HDC GetMeasureDC() override
    {
        ++measured;
        return CreateRecordingDC(FALSE);
    }
    void ReleaseMeasureDC(HDC dc) override { DeleteDC(dc); }
};

class CFontHost : public CDialog {
public:
    CFontCombo* combo = nullptr;
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        combo->SubclassDlgItem(IDC_FONT, this);
        return TRUE;
    }
};

struct FontHost {
    CFontHost dlg;
    CRecordedFontCombo combo;
    FontHost(bool fromTemplate, int style) : combo(style)
    {
        dlg.combo = &combo;
        if (fromTemplate) {
            EXPECT_TRUE(dlg.CreateIndirect(&kTemplate, nullptr));
        } else {
            EXPECT_TRUE(dlg.CreateIndirect(&kEmpty, nullptr));
            EXPECT_TRUE(combo.Create(WS_VISIBLE | WS_VSCROLL, RECT{10, 10, 200, 200}, &dlg, IDC_FONT));
        }
    }
    ~FontHost()
    {
        combo.DestroyWindow();
        dlg.DestroyWindow();
    }
};

class FontCombo : public ComboTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FontCombo, ListsFamiliesOnceWithTheOutlineBitAndTheMappedFaces)
{
    FontHost h(GetParam(), 2);
    CFontCombo& c = h.combo;
    int n = c.GetCount();
    ASSERT_GT(n, 3);
    std::vector<std::string> names;
    for (int i = 0; i < n; ++i) names.push_back(c.GetLBText(i));
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
    EXPECT_EQ(std::count(names.begin(), names.end(), "DejaVu Sans Bold"), 0);
    for (const char* want : {"DejaVu Sans", "Liberation Mono", "Courier New"}) {
        int at = c.FindStringExact(-1, want);
        ASSERT_GE(at, 0) << want;
        EXPECT_TRUE(c.GetItemData(at) & TRUETYPE_FONTTYPE) << want;
    }
    EXPECT_EQ(c.GetCurSel(), 0);
    EXPECT_TRUE(c.m_images != nullptr);
    c.SelectFont("Liberation Mono");
    EXPECT_EQ(c.GetSelectedFont(), "Liberation Mono");
    c.SelectFont("No Such Face");
    EXPECT_EQ(c.GetSelectedFont(), "Liberation Mono");
}

INSTANTIATE_TEST_SUITE_P(Paths, FontCombo, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& p) { return p.param ? "Template" : "Code"; });

TEST_F(ComboTest, FontComboDroppedWidthFollowsTheStyle)
{
    struct Case {
        int style;
        bool name, sample;
        int extra;
    };
    const Case cases[] = {{0, false, false, 0}, {1, false, false, 0}, {2, true, true, 20},
                          {3, true, true, 20},  {4, false, false, 0}};
    // Made from a dialog template (subclassed) or in code alike.
    for (const Case& k : cases)
    for (bool fromTemplate : {false, true}) {
        SCOPED_TRACE(fromTemplate ? "template" : "code");
        FontHost h(fromTemplate, k.style);
        CRecordedFontCombo& c = h.combo;
        EXPECT_GT(c.measured, 0);
        // The fixed metric: each character is round(h / 2) wide; the GUI font is 12 high, the face 16.
        size_t longest = 0;
        for (int i = 0; i < c.GetCount(); ++i) longest = std::max(longest, c.GetLBText(i).size());
        int nameWidth = k.name ? 6 * (int)longest : 0;
        int sampleWidth = k.sample ? 8 * (int)c.m_sampleText.size() : 0;
        EXPECT_EQ(c.m_nameWidth, nameWidth) << k.style;
        EXPECT_EQ(c.m_sampleWidth, sampleWidth) << k.style;
        int expected = GetSystemMetrics(SM_CXVSCROLL) + 15 + nameWidth + sampleWidth + k.extra;
        c.ShowDropDown(TRUE);
        c.ShowDropDown(FALSE);
        RECT r;
        c.GetWindowRect(&r);
        EXPECT_EQ((int)c.Send(CB_GETDROPPEDWIDTH), std::max<int>(expected, r.right - r.left)) << k.style;
    }
}

TEST_F(ComboTest, FontComboDrawsWithoutLeaksAndStyleOneCreatesNoFace)
{
    for (int style = 0; style <= 4; ++style) {
        FontHost h(true, style);
        CFontCombo& c = h.combo;
        int mono = c.FindStringExact(-1, "Liberation Mono");
        ASSERT_GE(mono, 0);
        size_t before = GdiObjectCount();
        std::string all;
        for (int i = 0; i < c.GetCount(); ++i) all += RecordComboItem(c, i, i == mono ? ODS_SELECTED : 0);
        all += RecordComboItem(c, mono, ODS_COMBOBOXEDIT);
        EXPECT_EQ(GdiObjectCount(), before) << style;
        std::string one = RecordComboItem(c, mono, 0);
        bool faceUsed = one.find("font=\"Liberation Mono\",16") != std::string::npos;
        EXPECT_EQ(faceUsed, style != 1) << style << "\n" << one;
        if (style == 2) EXPECT_NE(one.find("\"abcdeABCDE\""), std::string::npos) << one;
    }
}

// Where a text was written in a recorded drawing: its left and its width.
struct Written {
    bool found = false;
    int x = 0, width = 0;
};
Written WrittenText(const std::string& log, const std::string& text)
{
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        const std::string primitive = line.substr(0, line.find(" | "));
        const std::string quoted = "\"" + text + "\"";
        if (primitive.size() < quoted.size() || primitive.compare(primitive.size() - quoted.size(), quoted.size(), quoted))
            continue;
        Written w;
        w.found = sscanf(primitive.c_str(), "%*s %d,", &w.x) == 1;
        const size_t at = primitive.find(" w=");
        if (!w.found || at == std::string::npos) return Written{};
        w.width = atoi(primitive.c_str() + at + 3);
        return w;
    }
    return Written{};
}

TEST_F(ComboTest, FontComboEditFieldKeepsTheNameAndTheSampleASpaceApart)
{
    struct Case {
        int style;
        const char* first;
        const char* second;
    };
    for (const Case& k : {Case{2, "Liberation Mono", "abcdeABCDE"}, Case{3, "abcdeABCDE", "Liberation Mono"}}) {
        SCOPED_TRACE(k.style);
        FontHost h(true, k.style);
        const int mono = h.combo.FindStringExact(-1, "Liberation Mono");
        ASSERT_GE(mono, 0);
        const std::string log = RecordComboItem(h.combo, mono, ODS_COMBOBOXEDIT, RECT{0, 0, 400, 20});
        const Written first = WrittenText(log, k.first), second = WrittenText(log, k.second);
        ASSERT_TRUE(first.found && second.found) << log;
        // The recording DC's metric gives every character of a font one width.
        const int space = first.width / (int)strlen(k.first);
        EXPECT_GT(space, 0) << log;
        EXPECT_EQ(second.x, first.x + first.width + space) << log;
    }
}

}  // namespace
