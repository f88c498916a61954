// Our own find/replace, colour and font dialogs.
#include "platform/controls/stand_in_dialogs.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/controls/control_internal.h"

namespace {
void CheckItem(HWND dlg, int id, UINT state) { ::SendMessage(::GetDlgItem(dlg, id), BM_SETCHECK, state, 0); }
bool ItemChecked(HWND dlg, int id) { return ::SendMessage(::GetDlgItem(dlg, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
void SetItemInt(HWND dlg, int id, int v) { ::SetWindowText(::GetDlgItem(dlg, id), std::to_string(v).c_str()); }
int ItemInt(HWND dlg, int id)
{
    char buf[16] = {};
    ::GetWindowText(::GetDlgItem(dlg, id), buf, sizeof buf);
    return atoi(buf);
}
}  // namespace

// --- find and replace ----------------------------------------------------------------

BEGIN_MESSAGE_MAP(CFindReplaceStandIn, CDialog)
    ON_BN_CLICKED(IDC_REPLACE, OnReplace)
    ON_BN_CLICKED(IDC_REPLACE_ALL, OnReplaceAll)
    ON_CONTROL(EN_CHANGE, IDC_FIND_WHAT, OnFindChanged)
END_MESSAGE_MAP()

CFindReplaceStandIn::CFindReplaceStandIn(CFindReplaceDialog* api, BOOL findOnly, const char* findWhat,
                                         const char* replaceWith, DWORD flags, CWnd* owner)
    : m_api(api), m_findOnly(findOnly), m_find(findWhat ? findWhat : ""), m_replace(replaceWith ? replaceWith : ""),
      m_flags(flags), m_owner(owner)
{
    RegisterControlClasses();
    m_items = {
        {WC_STATIC, "Fi&nd what:", 0xFFFF, SS_LEFT, 6, 8, 48, 8, 0},
        {WC_EDIT, "", IDC_FIND_WHAT, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL | WS_GROUP, 56, 6, 120, 12, 0},
    };
    short y = 24;
    if (!findOnly) {
        m_items.push_back({WC_STATIC, "Re&place with:", 0xFFFF, SS_LEFT, 6, 26, 48, 8, 0});
        m_items.push_back({WC_EDIT, "", IDC_REPLACE_WITH, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 56, 24, 120, 12, 0});
        y = 42;
    }
    m_items.push_back({WC_BUTTON, "Match &whole word only", IDC_WHOLE_WORD, BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, 6,
                       y, 100, 10, 0});
    m_items.push_back({WC_BUTTON, "Match &case", IDC_MATCH_CASE, BS_AUTOCHECKBOX | WS_TABSTOP, 6, (short)(y + 14), 100,
                       10, 0});
    if (findOnly) {
        m_items.push_back({WC_BUTTON, "Direction", 0xFFFF, BS_GROUPBOX, 110, (short)(y - 4), 66, 28, 0});
        m_items.push_back({WC_BUTTON, "&Up", IDC_DIR_UP, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 116,
                           (short)(y + 8), 28, 10, 0});
        m_items.push_back({WC_BUTTON, "&Down", IDC_DIR_DOWN, BS_AUTORADIOBUTTON, 146, (short)(y + 8), 28, 10, 0});
    }
    m_items.push_back({WC_BUTTON, "&Find Next", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 184, 6, 56, 14, 0});
    if (!findOnly) {
        m_items.push_back({WC_BUTTON, "&Replace", IDC_REPLACE, BS_PUSHBUTTON | WS_TABSTOP, 184, 24, 56, 14, 0});
        m_items.push_back({WC_BUTTON, "Replace &All", IDC_REPLACE_ALL, BS_PUSHBUTTON | WS_TABSTOP, 184, 42, 56, 14, 0});
    }
    m_items.push_back({WC_BUTTON, "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 184, findOnly ? (short)24 : (short)60,
                       56, 14, 0});
    m_template = CDialogTemplate{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, findOnly ? "Find" : "Replace",
                                 30, 30, 246, findOnly ? (short)62 : (short)80, m_items.data(), m_items.size()};
}

BOOL CFindReplaceStandIn::Show()
{
    if (!CreateIndirect(&m_template, m_owner)) return FALSE;
    ShowWindow(SW_SHOW);
    return TRUE;
}

BOOL CFindReplaceStandIn::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_FIND_WHAT, m_find.c_str());
    if (!m_findOnly) SetDlgItemText(IDC_REPLACE_WITH, m_replace.c_str());
    CheckItem(m_hWnd, IDC_WHOLE_WORD, (m_flags & FR_WHOLEWORD) ? BST_CHECKED : BST_UNCHECKED);
    CheckItem(m_hWnd, IDC_MATCH_CASE, (m_flags & FR_MATCHCASE) ? BST_CHECKED : BST_UNCHECKED);
    if (m_findOnly) CheckItem(m_hWnd, (m_flags & FR_DOWN) ? IDC_DIR_DOWN : IDC_DIR_UP, BST_CHECKED);
    OnFindChanged();
    return TRUE;
}

void CFindReplaceStandIn::OnFindChanged()
{
    // Nothing to find: the buttons that search wait.
    const bool any = !GetDlgItemText(IDC_FIND_WHAT).empty();
    for (int id : {(int)IDOK, IDC_REPLACE, IDC_REPLACE_ALL})
        if (HWND h = ::GetDlgItem(m_hWnd, id)) ::EnableWindow(h, any);
}

void CFindReplaceStandIn::Report(DWORD what)
{
    DWORD flags = what;
    if (ItemChecked(m_hWnd, IDC_WHOLE_WORD)) flags |= FR_WHOLEWORD;
    if (ItemChecked(m_hWnd, IDC_MATCH_CASE)) flags |= FR_MATCHCASE;
    if (!m_findOnly || ItemChecked(m_hWnd, IDC_DIR_DOWN)) flags |= FR_DOWN;
    std::string find = GetDlgItemText(IDC_FIND_WHAT);
    std::string replace = m_findOnly ? std::string() : GetDlgItemText(IDC_REPLACE_WITH);
    if (m_api) m_api->Notify(flags, find, replace);
}

void CFindReplaceStandIn::OnOK() { Report(FR_FINDNEXT); }

void CFindReplaceStandIn::OnCancel()
{
    Report(FR_DIALOGTERM);
    DestroyWindow();
}

// --- colour ------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CColorStandIn, CDialog)
    ON_MESSAGE(WM_DRAWITEM, OnDrawItemMessage)
    ON_CONTROL(EN_CHANGE, IDC_COLOR_RED, OnComponentChanged)
    ON_CONTROL(EN_CHANGE, IDC_COLOR_GREEN, OnComponentChanged)
    ON_CONTROL(EN_CHANGE, IDC_COLOR_BLUE, OnComponentChanged)
END_MESSAGE_MAP()

COLORREF CColorStandIn::BasicColor(int i)
{
    static const COLORREF kBasic[16] = {RGB(0, 0, 0),     RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
                                        RGB(0, 0, 128),   RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192),
                                        RGB(128, 128, 128), RGB(255, 0, 0), RGB(0, 255, 0),   RGB(255, 255, 0),
                                        RGB(0, 0, 255),   RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255)};
    return kBasic[std::clamp(i, 0, 15)];
}

CColorStandIn::CColorStandIn(COLORREF initial, CWnd* parent) : m_color(initial & 0xFFFFFF)
{
    RegisterControlClasses();
    for (int i = 0; i < 16; ++i)
        m_items.push_back({WC_BUTTON, "", (UINT)(IDC_COLOR_BASIC + i), BS_OWNERDRAW | WS_TABSTOP,
                           (short)(6 + (i % 8) * 18), (short)(6 + (i / 8) * 16), 16, 14, 0});
    const char* labels[3] = {"&Red:", "&Green:", "&Blue:"};
    for (int k = 0; k < 3; ++k) {
        m_items.push_back({WC_STATIC, labels[k], 0xFFFF, SS_RIGHT, 6, (short)(44 + k * 16), 30, 8, 0});
        m_items.push_back({WC_EDIT, "", (UINT)(IDC_COLOR_RED + k), WS_TABSTOP | WS_BORDER | ES_NUMBER, 40,
                           (short)(42 + k * 16), 30, 12, 0});
    }
    m_items.push_back({WC_BUTTON, "", IDC_COLOR_SWATCH, BS_OWNERDRAW, 80, 42, 62, 44, 0});
    m_items.push_back({WC_BUTTON, "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 40, 96, 50, 14, 0});
    m_items.push_back({WC_BUTTON, "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 94, 96, 50, 14, 0});
    m_template = CDialogTemplate{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, "Color", 20, 20, 152, 116,
                                 m_items.data(), m_items.size()};
    m_pTemplate = &m_template;
    m_pParentWnd = parent;
}

BOOL CColorStandIn::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_updating = true;
    SetItemInt(m_hWnd, IDC_COLOR_RED, GetRValue(m_color));
    SetItemInt(m_hWnd, IDC_COLOR_GREEN, GetGValue(m_color));
    SetItemInt(m_hWnd, IDC_COLOR_BLUE, GetBValue(m_color));
    for (int id = IDC_COLOR_RED; id <= IDC_COLOR_BLUE; ++id) ::SendMessage(::GetDlgItem(m_hWnd, id), EM_LIMITTEXT, 3, 0);
    m_updating = false;
    return TRUE;
}

COLORREF CColorStandIn::Entered() const
{
    auto part = [&](int id) { return std::clamp(ItemInt(m_hWnd, id), 0, 255); };
    return RGB(part(IDC_COLOR_RED), part(IDC_COLOR_GREEN), part(IDC_COLOR_BLUE));
}

void CColorStandIn::OnComponentChanged()
{
    if (m_updating) return;
    m_color = Entered();
    if (HWND s = ::GetDlgItem(m_hWnd, IDC_COLOR_SWATCH)) ::InvalidateRect(s, nullptr, TRUE);
}

BOOL CColorStandIn::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam);
    if (HIWORD(wParam) == BN_CLICKED && id >= IDC_COLOR_BASIC && id < IDC_COLOR_BASIC + 16) {
        OnBasic(id);
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CColorStandIn::OnBasic(UINT id)
{
    m_color = BasicColor((int)id - IDC_COLOR_BASIC);
    m_updating = true;
    SetItemInt(m_hWnd, IDC_COLOR_RED, GetRValue(m_color));
    SetItemInt(m_hWnd, IDC_COLOR_GREEN, GetGValue(m_color));
    SetItemInt(m_hWnd, IDC_COLOR_BLUE, GetBValue(m_color));
    m_updating = false;
    if (HWND s = ::GetDlgItem(m_hWnd, IDC_COLOR_SWATCH)) ::InvalidateRect(s, nullptr, TRUE);
}

LRESULT CColorStandIn::OnDrawItemMessage(WPARAM, LPARAM lParam)
{
    const DRAWITEMSTRUCT* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (!dis) return FALSE;
    COLORREF c = dis->CtlID == IDC_COLOR_SWATCH ? m_color : BasicColor((int)dis->CtlID - IDC_COLOR_BASIC);
    RECT r = dis->rcItem;
    PaintSunkenFrame(dis->hDC, r);
    InflateRect(&r, -2, -2);
    HBRUSH b = CreateSolidBrush(c);
    FillRect(dis->hDC, &r, b);
    DeleteObject(b);
    if (dis->itemState & ODS_FOCUS) PaintFocus(dis->hDC, dis->rcItem);
    return TRUE;
}

void CColorStandIn::OnOK()
{
    m_color = Entered();
    CDialog::OnOK();
}

// --- font ---------------------------------------------------------------------------------

namespace {
const CDialogItemTemplate kFontItems[] = {
    {WC_STATIC, "&Font:", 0xFFFF, SS_LEFT, 6, 6, 100, 8, 0},
    {WC_LISTBOX, "", IDC_FONT_FACE, WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS, 6, 16, 110,
     90, 0},
    {WC_STATIC, "&Size:", 0xFFFF, SS_LEFT, 122, 6, 40, 8, 0},
    {WC_COMBOBOX, "", IDC_FONT_SIZE, WS_TABSTOP | CBS_DROPDOWN | CBS_HASSTRINGS, 122, 16, 40, 80, 0},
    {WC_BUTTON, "&Bold", IDC_FONT_BOLD, BS_AUTOCHECKBOX | WS_TABSTOP, 122, 36, 50, 10, 0},
    {WC_BUTTON, "&Italic", IDC_FONT_ITALIC, BS_AUTOCHECKBOX | WS_TABSTOP, 122, 50, 50, 10, 0},
    {WC_BUTTON, "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 122, 76, 50, 14, 0},
    {WC_BUTTON, "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 122, 92, 50, 14, 0},
};

int CollectFamily(const LOGFONT* lf, const TEXTMETRIC*, DWORD, LPARAM l)
{
    ((std::vector<std::string>*)l)->push_back(lf->lfFaceName);
    return 1;
}
}  // namespace

CFontStandIn::CFontStandIn(const LOGFONT* initial, CWnd* parent)
{
    RegisterControlClasses();
    if (initial) m_lf = *initial;
    if (!m_lf.lfFaceName[0]) snprintf(m_lf.lfFaceName, sizeof m_lf.lfFaceName, "%s", "DejaVu Sans");
    if (m_lf.lfHeight != 0) m_pointSize = std::max(10, (int)(std::abs((long)m_lf.lfHeight) * 720 / 96));
    m_template = CDialogTemplate{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, "Font", 20, 20, 180, 112,
                                 kFontItems, sizeof kFontItems / sizeof kFontItems[0]};
    m_pTemplate = &m_template;
    m_pParentWnd = parent;
}

std::vector<std::string> CFontStandIn::Families()
{
    std::vector<std::string> out;
    HDC dc = GetDC(nullptr);
    EnumFontFamilies(dc, nullptr, CollectFamily, (LPARAM)&out);
    ReleaseDC(nullptr, dc);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

BOOL CFontStandIn::OnInitDialog()
{
    CDialog::OnInitDialog();
    HWND faces = ::GetDlgItem(m_hWnd, IDC_FONT_FACE), sizes = ::GetDlgItem(m_hWnd, IDC_FONT_SIZE);
    ::SendMessage(faces, WM_SETREDRAW, FALSE, 0);
    for (const std::string& f : Families()) ::SendMessage(faces, LB_ADDSTRING, 0, (LPARAM)f.c_str());
    ::SendMessage(faces, WM_SETREDRAW, TRUE, 0);
    int at = (int)::SendMessage(faces, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)m_lf.lfFaceName);
    ::SendMessage(faces, LB_SETCURSEL, (WPARAM)std::max(at, 0), 0);
    for (int pt : {8, 9, 10, 11, 12, 14, 16, 18, 20, 24, 28, 36, 48, 72})
        ::SendMessage(sizes, CB_ADDSTRING, 0, (LPARAM)std::to_string(pt).c_str());
    std::string size = std::to_string(m_pointSize / 10);
    ::SetWindowText(sizes, size.c_str());
    CheckItem(m_hWnd, IDC_FONT_BOLD, m_lf.lfWeight >= 600 ? BST_CHECKED : BST_UNCHECKED);
    CheckItem(m_hWnd, IDC_FONT_ITALIC, m_lf.lfItalic ? BST_CHECKED : BST_UNCHECKED);
    return TRUE;
}

void CFontStandIn::OnOK()
{
    HWND faces = ::GetDlgItem(m_hWnd, IDC_FONT_FACE), sizes = ::GetDlgItem(m_hWnd, IDC_FONT_SIZE);
    int cur = (int)::SendMessage(faces, LB_GETCURSEL, 0, 0);
    if (cur >= 0) {
        char face[LF_FACESIZE * 4] = {};
        int n = (int)::SendMessage(faces, LB_GETTEXTLEN, (WPARAM)cur, 0);
        if (n >= 0 && n < (int)sizeof face) {
            ::SendMessage(faces, LB_GETTEXT, (WPARAM)cur, (LPARAM)face);
            snprintf(m_lf.lfFaceName, sizeof m_lf.lfFaceName, "%s", face);
        }
    }
    // The typed or chosen size; a size that is not a number from 1 to 1638 keeps the dialog open.
    char text[16] = {};
    ::GetWindowText(sizes, text, sizeof text);
    char* end = nullptr;
    double pt = strtod(text, &end);
    if (end == text || pt < 1 || pt > 1638) {
        ::SetFocus(sizes);
        return;
    }
    m_pointSize = (int)(pt * 10 + 0.5);
    m_lf.lfHeight = -(LONG)(pt * 96 / 72 + 0.5);
    m_lf.lfWeight = ItemChecked(m_hWnd, IDC_FONT_BOLD) ? 700 : 400;
    m_lf.lfItalic = ItemChecked(m_hWnd, IDC_FONT_ITALIC) ? 1 : 0;
    CDialog::OnOK();
}
