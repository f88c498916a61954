// Our own find/replace, colour, font, file and print dialogs.
#include "platform/afx/stand_in_dialogs.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fnmatch.h>

#include "platform/afx/print_info.h"
#include "platform/gdi/gdi.h"

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
    EnsureControlClasses();
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
        // Wide enough for the box and the whole word at the UI font.
        m_items.push_back({WC_BUTTON, "Direction", 0xFFFF, BS_GROUPBOX, 108, (short)(y - 4), 72, 28, 0});
        m_items.push_back({WC_BUTTON, "&Up", IDC_DIR_UP, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 112,
                           (short)(y + 8), 26, 10, 0});
        m_items.push_back({WC_BUTTON, "&Down", IDC_DIR_DOWN, BS_AUTORADIOBUTTON, 140, (short)(y + 8), 38, 10, 0});
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

void CFindReplaceStandIn::PostNcDestroy()
{
    if (m_api) m_api->WindowGone();
    delete this;
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
    EnsureControlClasses();
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
    RECT frame = r;
    DrawEdge(dis->hDC, &frame, EDGE_SUNKEN, BF_RECT);
    InflateRect(&r, -2, -2);
    HBRUSH b = CreateSolidBrush(c);
    FillRect(dis->hDC, &r, b);
    DeleteObject(b);
    if (dis->itemState & ODS_FOCUS) DrawFocusRect(dis->hDC, &dis->rcItem);
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
    EnsureControlClasses();
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
    if (at < 0) {
        // A face that is not installed shows as the family it draws with.
        const std::string family = ResolveFontFamily(m_lf.lfFaceName, m_lf.lfPitchAndFamily);
        at = (int)::SendMessage(faces, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)family.c_str());
    }
    ::SendMessage(faces, LB_SETCURSEL, (WPARAM)std::max(at, 0), 0);
    for (int pt : {8, 9, 10, 11, 12, 14, 16, 18, 20, 24, 28, 36, 48, 72})
        ::SendMessage(sizes, CB_ADDSTRING, 0, (LPARAM)std::to_string(pt).c_str());
    // Tenths shown when there are any, so that OK gives the same height back.
    std::string size = std::to_string(m_pointSize / 10);
    if (m_pointSize % 10) size += "." + std::to_string(m_pointSize % 10);
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

// --- file ----------------------------------------------------------------------------------

namespace {
const CDialogItemTemplate kFileItems[] = {
    {WC_STATIC, "", IDC_FILE_FOLDER, SS_LEFT | SS_NOPREFIX, 6, 6, 220, 8, 0},
    {WC_LISTBOX, "", IDC_FILE_LIST, WS_TABSTOP | WS_BORDER | WS_VSCROLL | LBS_NOTIFY | LBS_HASSTRINGS, 6, 18, 220, 90,
     0},
    {WC_STATIC, "File &name:", 0xFFFF, SS_LEFT, 6, 114, 44, 8, 0},
    {WC_EDIT, "", IDC_FILE_NAME, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 52, 112, 120, 12, 0},
    {WC_STATIC, "Files of &type:", 0xFFFF, SS_LEFT, 6, 130, 44, 8, 0},
    {WC_COMBOBOX, "", IDC_FILE_TYPE, WS_TABSTOP | CBS_DROPDOWNLIST | CBS_HASSTRINGS, 52, 128, 120, 60, 0},
    {WC_BUTTON, "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 176, 112, 50, 14, 0},
    {WC_BUTTON, "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 176, 128, 50, 14, 0},
};
}  // namespace

BEGIN_MESSAGE_MAP(CFileStandIn, CDialog)
    ON_CONTROL(LBN_DBLCLK, IDC_FILE_LIST, OnListDblClk)
    ON_CONTROL(LBN_SELCHANGE, IDC_FILE_LIST, OnListSelChange)
    ON_CONTROL(CBN_SELCHANGE, IDC_FILE_TYPE, OnTypeChange)
END_MESSAGE_MAP()

CFileStandIn::CFileStandIn(BOOL open, const char* fileName, const char* filter, const char* folder, CWnd* parent)
    : m_bOpen(open), m_fileName(fileName ? fileName : "")
{
    EnsureControlClasses();
    std::error_code ec;
    m_folder = folder && *folder ? folder : std::filesystem::current_path(ec).string();
    // "label|patterns|label|patterns||"
    std::string f = filter ? filter : "";
    size_t at = 0;
    while (at < f.size()) {
        size_t a = f.find('|', at);
        if (a == std::string::npos || a == at) break;
        size_t b = f.find('|', a + 1);
        if (b == std::string::npos) b = f.size();
        m_types.emplace_back(f.substr(at, a - at), f.substr(a + 1, b - a - 1));
        at = b + 1;
    }
    if (m_types.empty()) m_types.emplace_back("All Files (*.*)", "*");
    m_template = CDialogTemplate{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, open ? "Open" : "Save As", 20,
                                 20, 232, 148, kFileItems, sizeof kFileItems / sizeof kFileItems[0]};
    m_pTemplate = &m_template;
    m_pParentWnd = parent;
}

bool CFileStandIn::Matches(const std::string& name, const std::string& patterns)
{
    size_t at = 0;
    while (at <= patterns.size()) {
        size_t e = patterns.find(';', at);
        if (e == std::string::npos) e = patterns.size();
        std::string p = patterns.substr(at, e - at);
        if (p == "*.*") p = "*";
        if (!p.empty() && fnmatch(p.c_str(), name.c_str(), FNM_CASEFOLD) == 0) return true;
        at = e + 1;
    }
    return false;
}

void CFileStandIn::Fill()
{
    HWND list = ::GetDlgItem(m_hWnd, IDC_FILE_LIST);
    int type = (int)::SendMessage(::GetDlgItem(m_hWnd, IDC_FILE_TYPE), CB_GETCURSEL, 0, 0);
    const std::string& patterns = m_types[(size_t)std::clamp(type, 0, (int)m_types.size() - 1)].second;
    std::vector<std::string> dirs{"[..]"}, files;
    std::error_code ec;
    std::filesystem::directory_iterator it(m_folder, std::filesystem::directory_options::skip_permission_denied, ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        std::error_code e2;
        const std::string name = it->path().filename().string();
        if (it->is_directory(e2)) dirs.push_back("[" + name + "]");
        else if (Matches(name, patterns)) files.push_back(name);
        if (dirs.size() + files.size() > 20000) break;
    }
    std::sort(dirs.begin() + 1, dirs.end());
    std::sort(files.begin(), files.end());
    ::SendMessage(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessage(list, LB_RESETCONTENT, 0, 0);
    for (const auto& d : dirs) ::SendMessage(list, LB_ADDSTRING, 0, (LPARAM)d.c_str());
    for (const auto& f : files) ::SendMessage(list, LB_ADDSTRING, 0, (LPARAM)f.c_str());
    ::SendMessage(list, WM_SETREDRAW, TRUE, 0);
    SetDlgItemText(IDC_FILE_FOLDER, m_folder);
}

void CFileStandIn::Enter(const std::string& folder)
{
    std::error_code ec;
    std::filesystem::path p = std::filesystem::weakly_canonical(std::filesystem::path(m_folder) / folder, ec);
    if (ec || !std::filesystem::is_directory(p, ec)) return;
    m_folder = p.string();
    Fill();
}

BOOL CFileStandIn::OnInitDialog()
{
    CDialog::OnInitDialog();
    HWND types = ::GetDlgItem(m_hWnd, IDC_FILE_TYPE);
    for (const auto& t : m_types) ::SendMessage(types, CB_ADDSTRING, 0, (LPARAM)t.first.c_str());
    ::SendMessage(types, CB_SETCURSEL, 0, 0);
    SetDlgItemText(IDC_FILE_NAME, m_fileName);
    Fill();
    return TRUE;
}

namespace {
std::string ListText(HWND list, int i)
{
    int n = (int)::SendMessage(list, LB_GETTEXTLEN, (WPARAM)i, 0);
    if (n < 0) return {};
    std::string s((size_t)n + 1, '\0');
    ::SendMessage(list, LB_GETTEXT, (WPARAM)i, (LPARAM)s.data());
    s.resize((size_t)n);
    return s;
}
}  // namespace

void CFileStandIn::OnListSelChange()
{
    HWND list = ::GetDlgItem(m_hWnd, IDC_FILE_LIST);
    std::string t = ListText(list, (int)::SendMessage(list, LB_GETCURSEL, 0, 0));
    if (!t.empty() && t.front() != '[') SetDlgItemText(IDC_FILE_NAME, t);
}

void CFileStandIn::OnListDblClk()
{
    HWND list = ::GetDlgItem(m_hWnd, IDC_FILE_LIST);
    std::string t = ListText(list, (int)::SendMessage(list, LB_GETCURSEL, 0, 0));
    if (t.size() > 2 && t.front() == '[') Enter(t.substr(1, t.size() - 2));
    else if (!t.empty()) OnOK();
}

void CFileStandIn::OnOK()
{
    std::string name = GetDlgItemText(IDC_FILE_NAME);
    if (name.empty()) return;
    std::filesystem::path p = name.front() == '/' ? std::filesystem::path(name) : std::filesystem::path(m_folder) / name;
    std::error_code ec;
    // A folder typed as the name is entered instead of chosen.
    if (std::filesystem::is_directory(p, ec)) {
        Enter(p.string());
        SetDlgItemText(IDC_FILE_NAME, std::string());
        return;
    }
    if (m_bOpen && !std::filesystem::exists(p, ec)) {
        ::SetFocus(::GetDlgItem(m_hWnd, IDC_FILE_NAME));
        ::SendMessage(::GetDlgItem(m_hWnd, IDC_FILE_NAME), EM_SETSEL, 0, -1);
        return;
    }
    m_path = p.lexically_normal().string();
    CDialog::OnOK();
}

// --- print --------------------------------------------------------------------------------

namespace {
const CDialogItemTemplate kPrintItems[] = {
    {WC_STATIC, "&Printer:", 0xFFFF, SS_LEFT, 6, 8, 40, 8, 0},
    {WC_COMBOBOX, "", IDC_PRINT_PRINTER, WS_TABSTOP | CBS_DROPDOWNLIST | CBS_HASSTRINGS, 48, 6, 130, 60, 0},
    {WC_STATIC, "&File:", 0xFFFF, SS_LEFT, 6, 26, 40, 8, 0},
    {WC_EDIT, "", IDC_PRINT_OUTPUT, WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, 48, 24, 130, 12, 0},
    {WC_STATIC, "&Copies:", 0xFFFF, SS_LEFT, 6, 44, 40, 8, 0},
    {WC_EDIT, "1", IDC_PRINT_COPIES, WS_TABSTOP | WS_BORDER | ES_NUMBER, 48, 42, 30, 12, 0},
    {UPDOWN_CLASS, "", IDC_PRINT_COPIES_SPIN, UDS_SETBUDDYINT | UDS_ARROWKEYS, 78, 42, 10, 12, 0},
    {WC_BUTTON, "Paper", 0xFFFF, BS_GROUPBOX, 96, 38, 82, 30, 0},
    {WC_BUTTON, "A&4", IDC_PRINT_A4, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 102, 50, 30, 10, 0},
    {WC_BUTTON, "&Letter", IDC_PRINT_LETTER, BS_AUTORADIOBUTTON, 136, 50, 38, 10, 0},
    {WC_BUTTON, "Orientation", 0xFFFF, BS_GROUPBOX, 6, 72, 172, 30, 0},
    {WC_BUTTON, "P&ortrait", IDC_PRINT_PORTRAIT, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 12, 84, 60, 10, 0},
    {WC_BUTTON, "L&andscape", IDC_PRINT_LANDSCAPE, BS_AUTORADIOBUTTON, 80, 84, 60, 10, 0},
    {WC_BUTTON, "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 74, 110, 50, 14, 0},
    {WC_BUTTON, "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 128, 110, 50, 14, 0},
};

// Print setup: the printer, paper and orientation only.
const CDialogItemTemplate kPrintSetupItems[] = {
    {WC_STATIC, "&Printer:", 0xFFFF, SS_LEFT, 6, 8, 40, 8, 0},
    {WC_COMBOBOX, "", IDC_PRINT_PRINTER, WS_TABSTOP | CBS_DROPDOWNLIST | CBS_HASSTRINGS, 48, 6, 130, 60, 0},
    {WC_BUTTON, "Paper", 0xFFFF, BS_GROUPBOX, 6, 24, 172, 30, 0},
    {WC_BUTTON, "A&4", IDC_PRINT_A4, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 12, 36, 60, 10, 0},
    {WC_BUTTON, "&Letter", IDC_PRINT_LETTER, BS_AUTORADIOBUTTON, 80, 36, 60, 10, 0},
    {WC_BUTTON, "Orientation", 0xFFFF, BS_GROUPBOX, 6, 58, 172, 30, 0},
    {WC_BUTTON, "P&ortrait", IDC_PRINT_PORTRAIT, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 12, 70, 60, 10, 0},
    {WC_BUTTON, "L&andscape", IDC_PRINT_LANDSCAPE, BS_AUTORADIOBUTTON, 80, 70, 60, 10, 0},
    {WC_BUTTON, "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 74, 96, 50, 14, 0},
    {WC_BUTTON, "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 128, 96, 50, 14, 0},
};
}  // namespace

CPrintStandIn::CPrintStandIn(CWnd* parent, bool setup) : m_setup(setup)
{
    EnsureControlClasses();
    if (setup)
        m_template = CDialogTemplate{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, "Print Setup", 20, 20, 184, 116,
                                     kPrintSetupItems, sizeof kPrintSetupItems / sizeof kPrintSetupItems[0]};
    else
        m_template = CDialogTemplate{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, "Print", 20, 20, 184, 130,
                                     kPrintItems, sizeof kPrintItems / sizeof kPrintItems[0]};
    m_pTemplate = &m_template;
    m_pParentWnd = parent;
}

BOOL CPrintStandIn::OnInitDialog()
{
    CDialog::OnInitDialog();
    HWND printers = ::GetDlgItem(m_hWnd, IDC_PRINT_PRINTER);
    for (const std::string& p : AfxPrinterNames()) ::SendMessage(printers, CB_ADDSTRING, 0, (LPARAM)p.c_str());
    int at = m_printer.empty() ? 0 : (int)::SendMessage(printers, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)m_printer.c_str());
    ::SendMessage(printers, CB_SETCURSEL, (WPARAM)std::max(at, 0), 0);
    if (!m_setup) {
        HWND spin = ::GetDlgItem(m_hWnd, IDC_PRINT_COPIES_SPIN);
        ::SendMessage(spin, UDM_SETBUDDY, (WPARAM)::GetDlgItem(m_hWnd, IDC_PRINT_COPIES), 0);
        ::SendMessage(spin, UDM_SETRANGE32, 1, 999);
        ::SendMessage(spin, UDM_SETPOS32, 0, m_copies);
        SetDlgItemText(IDC_PRINT_OUTPUT, m_output);
    }
    CheckItem(m_hWnd, m_letter ? IDC_PRINT_LETTER : IDC_PRINT_A4, BST_CHECKED);
    CheckItem(m_hWnd, m_landscape ? IDC_PRINT_LANDSCAPE : IDC_PRINT_PORTRAIT, BST_CHECKED);
    return TRUE;
}

void CPrintStandIn::OnOK()
{
    HWND printers = ::GetDlgItem(m_hWnd, IDC_PRINT_PRINTER);
    char name[256] = {};
    ::GetWindowText(printers, name, sizeof name);
    if (!m_setup) {
        const int copies = ItemInt(m_hWnd, IDC_PRINT_COPIES);
        std::string output = GetDlgItemText(IDC_PRINT_OUTPUT);
        // Copies from 1 to 999, and a file name when printing to a file.
        if (copies < 1 || copies > 999) {
            ::SetFocus(::GetDlgItem(m_hWnd, IDC_PRINT_COPIES));
            return;
        }
        if (std::string(name) == AFX_PRINTER_PDF && output.empty()) {
            ::SetFocus(::GetDlgItem(m_hWnd, IDC_PRINT_OUTPUT));
            return;
        }
        m_output = output;
        m_copies = copies;
    }
    m_printer = name;
    m_letter = ItemChecked(m_hWnd, IDC_PRINT_LETTER);
    m_landscape = ItemChecked(m_hWnd, IDC_PRINT_LANDSCAPE);
    CDialog::OnOK();
}
