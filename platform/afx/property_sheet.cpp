// Property sheets and pages.
#include "platform/afx/property_sheet.h"

#include <algorithm>

#include "platform/afx/afx_ids.h"
#include "platform/afx/resources.h"
#include "platform/user/control_messages.h"

IMPLEMENT_DYNAMIC(CPropertySheet, CDialog)

namespace {
// The id of the sheet's tab strip.
constexpr UINT kSheetTabId = 0x3020;
constexpr short kTabRow = 14;   // dialog units
}  // namespace

BEGIN_MESSAGE_MAP(CPropertySheet, CDialog)
    ON_COMMAND(ID_APPLY_NOW, OnApplyNow)
    ON_NOTIFY(TCN_SELCHANGING, kSheetTabId, OnTabChanging)
    ON_NOTIFY(TCN_SELCHANGE, kSheetTabId, OnTabChanged)
END_MESSAGE_MAP()

CPropertySheet::CPropertySheet(const char* caption, CWnd* parent, UINT selectPage)
    : m_strCaption(caption ? caption : ""), m_nSelectPage(selectPage)
{
    m_pParentWnd = parent;
}

CPropertySheet::~CPropertySheet() = default;

void CPropertySheet::AddPage(CPropertyPage* page)
{
    page->m_pSheet = this;
    m_pages.push_back(page);
}

CPropertyPage* CPropertySheet::GetActivePage() const
{
    return m_nActive >= 0 && m_nActive < (int)m_pages.size() ? m_pages[(size_t)m_nActive] : nullptr;
}

void CPropertySheet::BuildTemplate()
{
    // The largest page plus a margin and a row of buttons (dialog units).
    short w = 160, h = 80;
    for (CPropertyPage* p : m_pages)
        if (const CDialogTemplate* t = p->FindTemplate()) {
            w = std::max(w, t->cx);
            h = std::max(h, t->cy);
        }
    m_pageRect = RECT{7, 7 + kTabRow, 7 + w, 7 + kTabRow + h};
    short bw = 50, bh = 14, by = (short)(h + 14 + kTabRow + 4), right = (short)(7 + w);
    static const std::string ok = AfxLoadString(AFX_IDS_OK), cancel = AfxLoadString(AFX_IDS_CANCEL),
                             apply = AfxLoadString(AFX_IDS_APPLY);
    m_items = {
        // Clipped by the pages above it: a repaint of the strip leaves the shown page intact.
        {WC_TABCONTROL, "", kSheetTabId, WS_TABSTOP | WS_CLIPSIBLINGS, 4, 4, (short)(w + 6), (short)(h + kTabRow + 7), 0},
        {"Button", ok.c_str(), IDOK, WS_TABSTOP, (short)(right - 3 * bw - 8), by, bw, bh, 0},
        {"Button", cancel.c_str(), IDCANCEL, WS_TABSTOP, (short)(right - 2 * bw - 4), by, bw, bh, 0},
        {"Button", apply.c_str(), ID_APPLY_NOW, WS_TABSTOP | WS_DISABLED, (short)(right - bw), by, bw, bh, 0},
    };
    m_sheetTemplate = CDialogTemplate{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, WS_EX_CONTROLPARENT,
                                      m_strCaption.c_str(), 0, 0, (short)(w + 14), (short)(by + bh + 7), m_items.data(),
                                      m_items.size()};
    m_pTemplate = &m_sheetTemplate;
}

INT_PTR CPropertySheet::DoModal()
{
    BuildTemplate();
    INT_PTR r = CDialog::DoModal();
    m_nActive = -1;
    return r;
}

BOOL CPropertySheet::Create(CWnd* parent)
{
    BuildTemplate();
    return CreateIndirect(m_pTemplate, parent);
}

HWND CPropertySheet::GetTabControl() const
{
    return m_hWnd ? ::GetDlgItem(m_hWnd, (int)kSheetTabId) : nullptr;
}

void CPropertySheet::OnTabChanging(NMHDR*, LRESULT* result)
{
    CPropertyPage* cur = GetActivePage();
    *result = (cur && cur->m_hWnd && !cur->OnKillActive()) ? TRUE : FALSE;
}

void CPropertySheet::OnTabChanged(NMHDR*, LRESULT* result)
{
    ShowPage((int)::SendMessage(GetTabControl(), TCM_GETCURSEL, 0, 0));
    *result = 0;
}

BOOL CPropertySheet::OnInitDialog()
{
    if (HWND tab = GetTabControl())
        for (CPropertyPage* p : m_pages) {
            TCITEM it{};
            it.mask = TCIF_TEXT;
            it.pszText = (char*)p->m_strCaption.c_str();
            ::SendMessage(tab, TCM_INSERTITEM, (WPARAM)::SendMessage(tab, TCM_GETITEMCOUNT, 0, 0), (LPARAM)&it);
        }
    int first = m_nSelectPage < m_pages.size() ? (int)m_nSelectPage : 0;
    if (!m_pages.empty()) ShowPage(first);
    return TRUE;
}

BOOL CPropertySheet::ShowPage(int index)
{
    if (index < 0 || index >= (int)m_pages.size()) return FALSE;
    CPropertyPage* page = m_pages[(size_t)index];
    if (!page->m_hWnd) {
        const CDialogTemplate* t = page->FindTemplate();
        if (!t) return FALSE;
        // A page is a child dialog placed in the page area.
        CDialogTemplate child = *t;
        child.x = (short)m_pageRect.left;
        child.y = (short)m_pageRect.top;
        child.caption = nullptr;
        if (!page->CreateFromTemplate(&child, m_hWnd, WS_CHILD | DS_CONTROL, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE))
            return FALSE;
    }
    if (CPropertyPage* old = GetActivePage())
        if (old != page && old->m_hWnd) old->ShowWindow(SW_HIDE);
    m_nActive = index;
    // The page lies above the tab strip's body.
    ::SetWindowPos(page->m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (HWND tab = GetTabControl()) ::SendMessage(tab, TCM_SETCURSEL, (WPARAM)index, 0);
    page->ShowWindow(SW_SHOW);
    page->OnSetActive();
    return TRUE;
}

BOOL CPropertySheet::PreTranslateMessage(MSG* msg)
{
    if (msg->message == WM_KEYDOWN && GetKeyState(VK_CONTROL) < 0 && m_pages.size() > 1 && m_hWnd &&
        (msg->hwnd == m_hWnd || ::IsChild(m_hWnd, msg->hwnd))) {
        int step = 0;
        if (msg->wParam == VK_TAB) step = GetKeyState(VK_SHIFT) < 0 ? -1 : 1;
        else if (msg->wParam == VK_NEXT) step = 1;
        else if (msg->wParam == VK_PRIOR) step = -1;
        if (step) {
            const int n = (int)m_pages.size();
            if (SetActivePage(((m_nActive < 0 ? 0 : m_nActive) + step + n) % n))
                if (HWND tab = GetTabControl()) ::SetFocus(tab);
            return TRUE;
        }
    }
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_TAB && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0 &&
        m_hWnd && (msg->hwnd == m_hWnd || ::IsChild(m_hWnd, msg->hwnd)) &&
        !(::SendMessage(msg->hwnd, WM_GETDLGCODE, VK_TAB, (LPARAM)msg) & (DLGC_WANTTAB | DLGC_WANTALLKEYS)))
        return TabFrom(msg->hwnd, GetKeyState(VK_SHIFT) < 0);
    return CDialog::PreTranslateMessage(msg);
}

BOOL CPropertySheet::TabFrom(HWND from, bool previous)
{
    // The order a user meets: the tab strip, the shown page's controls, then
    // the sheet's buttons.
    std::vector<HWND> order;
    auto usable = [](HWND h) {
        const LONG_PTR st = ::GetWindowLongPtr(h, GWL_STYLE);
        return h && (st & WS_VISIBLE) && !(st & WS_DISABLED) && (st & WS_TABSTOP);
    };
    if (HWND tab = GetTabControl()) order.push_back(tab);
    if (CPropertyPage* page = GetActivePage(); page && page->m_hWnd)
        for (HWND h = ::GetWindow(page->m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT))
            if (usable(h)) order.push_back(h);
    for (int id : {(int)IDOK, (int)IDCANCEL, (int)ID_APPLY_NOW})
        if (HWND h = ::GetDlgItem(m_hWnd, id); usable(h)) order.push_back(h);
    if (order.empty()) return FALSE;
    int at = -1;
    for (HWND h = from; h && h != m_hWnd && at < 0; h = ::GetParent(h))
        for (size_t i = 0; i < order.size(); ++i)
            if (order[i] == h) at = (int)i;
    const int n = (int)order.size();
    const int next = at < 0 ? (previous ? n - 1 : 0) : (at + (previous ? n - 1 : 1)) % n;
    ::SendMessage(m_hWnd, WM_NEXTDLGCTL, (WPARAM)order[(size_t)next], TRUE);
    return TRUE;
}

BOOL CPropertySheet::SetActivePage(int index)
{
    if (index < 0 || index >= (int)m_pages.size()) return FALSE;
    if (!m_hWnd) {
        m_nSelectPage = (UINT)index;
        return TRUE;
    }
    if (CPropertyPage* cur = GetActivePage())
        if (index != m_nActive && cur->m_hWnd && !cur->OnKillActive()) return FALSE;
    return ShowPage(index);
}

BOOL CPropertySheet::Apply()
{
    if (CPropertyPage* cur = GetActivePage())
        if (cur->m_hWnd && !cur->OnKillActive()) return FALSE;
    for (int i = 0; i < (int)m_pages.size(); ++i) {
        CPropertyPage* p = m_pages[(size_t)i];
        if (!p->m_hWnd) continue;
        if (!p->OnApply()) {
            ShowPage(i);
            return FALSE;
        }
    }
    if (HWND apply = ::GetDlgItem(m_hWnd, (int)ID_APPLY_NOW)) ::EnableWindow(apply, FALSE);
    return TRUE;
}

void CPropertySheet::OnOK()
{
    if (Apply()) EndDialog(IDOK);
}

void CPropertySheet::OnCancel()
{
    for (CPropertyPage* p : m_pages)
        if (p->m_hWnd) p->OnReset();
    EndDialog(IDCANCEL);
}

void CPropertySheet::OnUpdateApply() {}

BOOL CPropertySheet::PressButton(int button)
{
    UINT id = button == PSBTN_OK ? IDOK : button == PSBTN_APPLYNOW ? ID_APPLY_NOW : button == PSBTN_CANCEL ? IDCANCEL : 0;
    if (!id || !m_hWnd) return FALSE;
    PostMessage(WM_COMMAND, id, 0);
    return TRUE;
}
