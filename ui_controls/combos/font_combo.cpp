#include "ui_controls/combos/font_combo.h"

#include <algorithm>
#include <mutex>
#include <set>
#include <vector>

void RegisterUiControlBitmaps(HINSTANCE module);

namespace {

constexpr DWORD kAntialiasedQuality = 4;
constexpr int kImageWidth = 15;

HBITMAP LoadTrueTypeMark()
{
    static std::once_flag once;
    std::call_once(once, [] { RegisterUiControlBitmaps(nullptr); });
    return LoadBitmap(nullptr, "IDB_TTF_BMP");
}

struct FamilyList {
    std::vector<std::pair<std::string, DWORD>> faces;
};

int CollectFamily(const LOGFONT* lf, const TEXTMETRIC*, DWORD type, LPARAM lParam)
{
    reinterpret_cast<FamilyList*>(lParam)->faces.emplace_back(lf->lfFaceName, type);
    return 1;
}

int TextWidth(HDC dc, HFONT font, const std::string& text)
{
    HGDIOBJ old = SelectObject(dc, font);
    SIZE s{};
    GetTextExtentPoint32(dc, text.c_str(), (int)text.size(), &s);
    SelectObject(dc, old);
    return s.cx;
}

}  // namespace

BEGIN_MESSAGE_MAP(CFontCombo, CComboBox)
    ON_MESSAGE(WM_CREATE, OnCreateMsg)
    ON_WM_DRAWITEM_REFLECT()
    ON_WM_MEASUREITEM_REFLECT()
    ON_CONTROL_REFLECT(CBN_DROPDOWN, OnDropDown)
END_MESSAGE_MAP()

CFontCombo::~CFontCombo()
{
    if (m_hWnd) DestroyWindow();
    if (m_images) ImageList_Destroy(m_images);
}

LRESULT CFontCombo::OnCreateMsg(WPARAM, LPARAM)
{
    LRESULT r = Default();
    if (r == -1) return r;
    FillFonts();
    return r;
}

void CFontCombo::PreSubclassWindow()
{
    FillFonts();
    CComboBox::PreSubclassWindow();
}

void CFontCombo::FillFonts()
{
    if (m_filled || !m_hWnd) return;
    m_filled = true;
    if (!m_images) {
        if (HBITMAP mark = LoadTrueTypeMark()) {
            BITMAP bm{};
            GetObject(mark, sizeof bm, &bm);
            m_images = ImageList_Create(kImageWidth, bm.bmHeight, ILC_COLOR24 | ILC_MASK, 1, 1);
            if (m_images) ImageList_AddMasked(m_images, mark, RGB(255, 255, 255));
            DeleteObject(mark);
        }
    }
    HDC dc = ::GetDC(m_hWnd);
    FamilyList list;
    EnumFontFamilies(dc, nullptr, CollectFamily, (LPARAM)&list);
    ::ReleaseDC(m_hWnd, dc);

    // Installed families, and the mapped face names whose target is one of them.
    std::set<std::string> installed;
    for (auto& f : list.faces)
        if (ResolveFontFamily(f.first.c_str(), 0) == f.first) installed.insert(f.first);
    // Stored settings may name these; they draw with an installed family.
    static const std::set<std::string> kMapped = {"Arial", "MS Sans Serif", "Tahoma", "Courier New", "Times New Roman"};
    std::vector<std::pair<std::string, DWORD>> shown;
    for (auto& f : list.faces) {
        bool keep = installed.count(f.first) ||
                    (kMapped.count(f.first) && installed.count(ResolveFontFamily(f.first.c_str(), 0)));
        if (keep) shown.push_back(f);
    }
    std::sort(shown.begin(), shown.end());
    shown.erase(std::unique(shown.begin(), shown.end(),
                            [](const auto& a, const auto& b) { return a.first == b.first; }),
                shown.end());
    for (auto& f : shown) {
        int at = AddString(f.first.c_str());
        if (at == CB_ERRSPACE || at < 0) break;
        SetItemData(at, f.second);
        // Measured here as well: while a template's combo is being subclassed
        // the parent's measure request does not reach this object, and the
        // sample column would then start over the names.
        MEASUREITEMSTRUCT mis{};
        mis.CtlType = ODT_COMBOBOX;
        mis.itemID = (UINT)at;
        mis.itemData = f.second;
        MeasureItem(&mis);
        if (mis.itemHeight && (GetStyle() & CBS_OWNERDRAWVARIABLE)) Send(CB_SETITEMHEIGHT, (WPARAM)at, (LPARAM)mis.itemHeight);
    }
    SetCurSel(0);
}

void CFontCombo::SelectFont(const std::string& name)
{
    int at = FindStringExact(-1, name.c_str());
    if (at >= 0) SetCurSel(at);
}

std::string CFontCombo::GetSelectedFont() const
{
    int sel = GetCurSel();
    return sel >= 0 ? GetLBText(sel) : std::string();
}

HFONT CFontCombo::CreateFace(const std::string& name) const
{
    return CreateFont(m_fontHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, kAntialiasedQuality,
                      DEFAULT_PITCH, name.c_str());
}

void CFontCombo::MeasureItem(MEASUREITEMSTRUCT* mis)
{
    std::string name = (int)mis->itemID >= 0 ? GetLBText((int)mis->itemID) : std::string();
    HFONT face = CreateFace(name);
    if (!face) return;
    HDC dc = GetMeasureDC();
    HGDIOBJ old = SelectObject(dc, face);
    TEXTMETRIC tm{};
    GetTextMetrics(dc, &tm);
    SelectObject(dc, old);
    mis->itemHeight = (UINT)(tm.tmHeight + 4);
    if (m_style == 2 || m_style == 3) {
        m_nameWidth = std::max(m_nameWidth, TextWidth(dc, (HFONT)GetStockObject(DEFAULT_GUI_FONT), name));
        m_sampleWidth = std::max(m_sampleWidth, TextWidth(dc, face, m_sampleText));
    }
    ReleaseMeasureDC(dc);
    DeleteObject(face);
}

void CFontCombo::OnDropDown()
{
    int width = GetSystemMetrics(SM_CXVSCROLL) + 15;
    switch (m_style) {
    case 0:
    case 1: width += m_nameWidth; break;
    case 2:
    case 3: width += m_nameWidth + m_sampleWidth + 20; break;
    default: width += m_sampleWidth; break;
    }
    Send(CB_SETDROPPEDWIDTH, (WPARAM)width);
}

void CFontCombo::DrawItem(DRAWITEMSTRUCT* dis)
{
    HDC dc = dis->hDC;
    RECT rc = dis->rcItem;
    const bool selected = (dis->itemState & ODS_SELECTED) != 0;
    const bool inEdit = (dis->itemState & ODS_COMBOBOXEDIT) != 0;
    if (dis->itemState & ODS_FOCUS) DrawFocusRect(dc, &rc);
    COLORREF back = selected ? GetSysColor(COLOR_HIGHLIGHT) : GetBkColor(dc);
    COLORREF text = selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : GetSysColor(COLOR_WINDOWTEXT);
    HBRUSH brush = CreateSolidBrush(back);
    FillRect(dc, &rc, brush);
    DeleteObject(brush);
    if ((int)dis->itemID < 0) return;

    std::string name = GetLBText((int)dis->itemID);
    int x = rc.left;
    if ((dis->itemData & TRUETYPE_FONTTYPE) && m_images) ImageList_Draw(m_images, 0, dc, rc.left + 5, rc.top + 4, ILD_TRANSPARENT);
    x += 15 + 10;

    HFONT face = nullptr;
    if (m_style != 1) {
        face = CreateFace(name);
        if (!face) return;
    }
    HFONT controlFont = (HFONT)SendMessage(WM_GETFONT);
    if (!controlFont) controlFont = (HFONT)GetStockObject(DEFAULT_GUI_FONT);

    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldText = SetTextColor(dc, text);
    HGDIOBJ oldFont = GetCurrentObject(dc, OBJ_FONT);
    auto put = [&](HFONT font, const std::string& s, int left, COLORREF color) {
        SelectObject(dc, font);
        SetTextColor(dc, color);
        RECT r{left, rc.top, rc.right, rc.bottom};
        DrawText(dc, s.c_str(), (int)s.size(), &r, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
        SIZE sz{};
        GetTextExtentPoint32(dc, s.c_str(), (int)s.size(), &sz);
        return left + sz.cx;
    };
    // In the edit field the second text follows the first a space apart (in
    // the font just written): butted together they read as one word.
    auto space = [&] {
        SIZE sz{};
        GetTextExtentPoint32(dc, " ", 1, &sz);
        return (int)sz.cx;
    };
    COLORREF sample = selected ? text : m_sampleColor;
    switch (m_style) {
    case 0: put(face, name, x, text); break;
    case 1: put(controlFont, name, x, text); break;
    case 2: {
        int end = put(controlFont, name, x, text);
        put(face, m_sampleText, inEdit ? end + space() : x + m_nameWidth + 20, sample);
        break;
    }
    case 3: {
        int end = put(face, m_sampleText, x, sample);
        put(controlFont, name, inEdit ? end + space() : x + m_sampleWidth + 20, text);
        break;
    }
    default: put(face, m_sampleText, x, sample); break;
    }
    SelectObject(dc, oldFont);
    SetTextColor(dc, oldText);
    SetBkMode(dc, oldMode);
    if (face) DeleteObject(face);
}
