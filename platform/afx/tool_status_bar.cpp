// CToolBar and CStatusBar: the toolbar and status-bar controls inside a bar.
#include <algorithm>

#include "platform/afx/control_bar.h"
#include "platform/afx/module_bitmaps.h"
#include "platform/afx/resources.h"

// --- CToolBar ---------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CToolBar, CControlBar)

BEGIN_MESSAGE_MAP(CToolBar, CControlBar)
    ON_WM_SIZE()
END_MESSAGE_MAP()

CToolBar::CToolBar()
{
    m_ctrl.m_pBar = this;
    m_cxLeftBorder = m_cxRightBorder = 1;
    m_cyTopBorder = m_cyBottomBorder = 1;
}

CToolBar::~CToolBar()
{
    if (m_images) ImageList_Destroy(m_images);
}

BOOL CToolBar::Create(CWnd* parent, DWORD style, UINT id)
{
    if (!CreateBar("", style, parent, id)) return FALSE;
    if (!m_ctrl.Create(WS_VISIBLE | TBSTYLE_FLAT, RECT{0, 0, 0, 0}, this, id)) return FALSE;
    if ((style & CBRS_TOOLTIPS) && !m_tips.Create(this)) return FALSE;
    return TRUE;
}

void CToolBar::OnDestroyBar()
{
    if (m_tips.m_hWnd) m_tips.DestroyWindow();
}

std::string CToolBar::TipText(UINT id) const
{
    std::string s;
    AfxLoadString(id, s);
    size_t nl = s.find('\n');
    return nl == std::string::npos ? std::string() : s.substr(nl + 1);
}

void CToolBar::UpdateTools()
{
    if (!m_tips.m_hWnd || !m_ctrl.m_hWnd) return;
    for (UINT id : m_tipIds) {
        TOOLINFO ti{sizeof ti, 0, m_ctrl.m_hWnd, id, {}, nullptr, nullptr, 0};
        m_tips.Send(TTM_DELTOOL, 0, (LPARAM)&ti);
    }
    m_tipIds.clear();
    for (size_t i = 0; i < m_ids.size(); ++i) {
        if (m_ids[i] == ID_SEPARATOR) continue;
        std::string text = TipText(m_ids[i]);
        if (text.empty()) continue;
        TOOLINFO ti{sizeof ti, 0, m_ctrl.m_hWnd, m_ids[i], {}, nullptr, text.data(), 0};
        m_ctrl.Send(TB_GETITEMRECT, i, (LPARAM)&ti.rect);
        m_tips.Send(TTM_ADDTOOL, 0, (LPARAM)&ti);
        m_tipIds.push_back(m_ids[i]);
    }
}

BOOL CToolBar::SetBitmap(HBITMAP strip, int cx, int cy)
{
    if (!strip) return FALSE;
    HIMAGELIST il = ImageList_Create(cx, cy, ILC_COLOR32 | ILC_MASK, 8, 0);
    ImageList_AddMasked(il, strip, RGB(255, 0, 255));
    m_ctrl.SetImageList(il);
    if (m_images) ImageList_Destroy(m_images);
    m_images = il;
    m_sizeButton = SIZE{cx + 7, cy + 7};
    m_ctrl.Send(TB_SETBUTTONSIZE, 0, MAKELONG(m_sizeButton.cx, m_sizeButton.cy));
    return TRUE;
}

BOOL CToolBar::SetButtons(const UINT* ids, int count)
{
    while (m_ctrl.GetButtonCount() > 0) m_ctrl.Send(TB_DELETEBUTTON, 0);
    m_ids.assign(ids, ids + count);
    int image = 0;
    std::vector<TBBUTTON> bs;
    for (UINT id : m_ids) {
        TBBUTTON b{};
        b.idCommand = (int)id;
        b.iString = -1;
        if (id == ID_SEPARATOR) {
            b.fsStyle = BTNS_SEP;
            b.iBitmap = -1;
        } else {
            b.fsStyle = BTNS_BUTTON;
            b.fsState = TBSTATE_ENABLED;
            b.iBitmap = image++;
        }
        bs.push_back(b);
    }
    if (!bs.empty()) m_ctrl.AddButtons((int)bs.size(), bs.data());
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT id)
{
    AfxToolbarResource res;
    if (!AfxFindToolbar(id, res)) return FALSE;
    HBITMAP strip = AfxLoadBitmap(std::to_string(id).c_str());
    if (!strip) return FALSE;
    BOOL ok = SetBitmap(strip, res.width, res.height);
    DeleteObject(strip);
    return ok && SetButtons(res.buttons.data(), (int)res.buttons.size());
}

int CToolBar::CommandToIndex(UINT id) const
{
    for (size_t i = 0; i < m_ids.size(); ++i)
        if (m_ids[i] == id && id != ID_SEPARATOR) return (int)i;
    return -1;
}

UINT CToolBar::GetItemID(int index) const { return index >= 0 && index < (int)m_ids.size() ? m_ids[(size_t)index] : 0; }

void CToolBar::GetItemRect(int index, RECT* r) const
{
    *r = RECT{0, 0, 0, 0};
    if (!m_ctrl.m_hWnd || !m_ctrl.Send(TB_GETITEMRECT, (WPARAM)index, (LPARAM)r)) return;
    ::MapWindowPoints(m_ctrl.m_hWnd, m_hWnd, (POINT*)r, 2);
}

UINT CToolBar::GetButtonStyle(int index) const
{
    if (index < 0 || index >= (int)m_ids.size()) return 0;
    TBBUTTON b{};
    if (m_ctrl.m_hWnd && m_ctrl.Send(TB_GETBUTTON, (WPARAM)index, (LPARAM)&b)) return b.fsStyle;
    return m_ids[(size_t)index] == ID_SEPARATOR ? BTNS_SEP : BTNS_BUTTON;
}

void CToolBar::SetButtonStyle(int index, UINT style)
{
    if (index < 0 || index >= (int)m_ids.size() || !m_ctrl.m_hWnd || m_ids[(size_t)index] == ID_SEPARATOR) return;
    TBBUTTONINFO info{sizeof info, TBIF_STYLE, 0, 0, 0, (BYTE)style, 0, 0, nullptr, 0};
    m_ctrl.Send(TB_SETBUTTONINFO, (WPARAM)m_ids[(size_t)index], (LPARAM)&info);
}

SIZE CToolBar::ControlExtent() const
{
    SIZE s{0, 0};
    const int n = m_ctrl.m_hWnd ? m_ctrl.GetButtonCount() : 0;
    for (int i = 0; i < n; ++i) {
        RECT r{};
        m_ctrl.Send(TB_GETITEMRECT, (WPARAM)i, (LPARAM)&r);
        s.cx = std::max<LONG>(s.cx, r.right);
        s.cy = std::max<LONG>(s.cy, r.bottom);
    }
    if (n == 0) s = m_sizeButton;
    return s;
}

SIZE CToolBar::WrapButtons(int length, bool vertical)
{
    const int n = m_ctrl.m_hWnd ? m_ctrl.GetButtonCount() : 0;
    int x = 0;
    for (int i = 0; i < n; ++i) {
        const UINT id = m_ids[(size_t)i];
        const int w = id == ID_SEPARATOR ? 8 : m_sizeButton.cx;
        int state = (int)m_ctrl.Send(TB_GETSTATE, (WPARAM)id, 0);
        bool wrap;
        if (vertical) {
            wrap = i + 1 < n;   // one button per row
        } else {
            const int next = i + 1 < n ? (m_ids[(size_t)i + 1] == ID_SEPARATOR ? 8 : m_sizeButton.cx) : 0;
            wrap = length > 0 && i + 1 < n && x + w + next > length && m_ids[(size_t)i + 1] != ID_SEPARATOR;
        }
        x = wrap ? 0 : x + w;
        if (id == ID_SEPARATOR) {
            // Separators have no id to address; rebuild its state through the index.
            continue;
        }
        if (state >= 0) {
            BYTE st = (BYTE)(wrap ? (state | TBSTATE_WRAP) : (state & ~TBSTATE_WRAP));
            if (st != state) m_ctrl.Send(TB_SETSTATE, (WPARAM)id, MAKELONG(st, 0));
        }
    }
    return ControlExtent();
}

SIZE CToolBar::FromInside(SIZE inner, BOOL horz) const
{
    RECT r{0, 0, 0, 0};
    CalcInsideRect(r, horz);
    return SIZE{inner.cx + r.left - r.right, inner.cy + r.top - r.bottom};
}

SIZE CToolBar::CalcFixedLayout(BOOL, BOOL horz)
{
    return CalcDynamicLayout(-1, horz ? (LM_HORZ | LM_HORZDOCK) : LM_VERTDOCK);
}

SIZE CToolBar::CalcDynamicLayout(int length, DWORD mode)
{
    const bool vertical = (mode & LM_VERTDOCK) != 0 && !(mode & LM_HORZ);
    const bool floating = (mode & LM_MRUWIDTH) != 0;
    RECT in{0, 0, 0, 0};
    CalcInsideRect(in, TRUE);
    const int padX = in.left - in.right, padY = in.top - in.bottom;
    int wrapAt = -1;
    if (floating && length > 0 && length < 32767) wrapAt = std::max(1, length - padX);
    if (floating && (mode & LM_LENGTHY) && length > 0) {
        // The narrowest wrap whose height fits the length.
        const int want = length - padY;
        wrapAt = -1;
        for (int w = m_sizeButton.cx; w <= 32767; w += m_sizeButton.cx) {
            SIZE e = WrapButtons(w, false);
            wrapAt = w;
            if (e.cy <= want || e.cy <= m_sizeButton.cy) break;
        }
        length = wrapAt + padX;
    }
    SIZE inner = WrapButtons(wrapAt, vertical);
    const BOOL horz = !vertical;
    SIZE out = FromInside(inner, horz);

    if (floating && (mode & LM_COMMIT) && length > 0 && length < 32767) m_nMRUWidth = length;
    // The wrap state stays as computed for the current place.
    if (!(mode & LM_COMMIT)) {
        const bool nowVert = !(m_dwStyle & CBRS_FLOATING) && (m_dwStyle & CBRS_ORIENT_VERT);
        const bool nowFloat = (m_dwStyle & CBRS_FLOATING) != 0;
        if (nowVert != vertical || nowFloat != floating)
            WrapButtons(nowFloat && m_nMRUWidth < 32767 ? std::max(1, m_nMRUWidth - padX) : -1, nowVert);
    }
    return out;
}

void CToolBar::OnSize(UINT, int cx, int cy)
{
    RECT r{0, 0, cx, cy};
    CalcInsideRect(r, IsHorz() || (m_dwStyle & CBRS_FLOATING));
    if (m_ctrl.m_hWnd) ::SetWindowPos(m_ctrl.m_hWnd, nullptr, r.left, r.top, std::max<LONG>(0, r.right - r.left),
                                      std::max<LONG>(0, r.bottom - r.top), SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateTools();
    Invalidate();
}

namespace {
class CToolCmdUI : public CCmdUI {
public:
    CToolBarCtrl* ctrl = nullptr;
    void Enable(BOOL on) override
    {
        m_bEnableChanged = TRUE;
        ctrl->EnableButton((int)m_nID, on);
    }
    void SetCheck(int check) override { ctrl->CheckButton((int)m_nID, check != 0); }
    void SetText(const char*) override {}
};
}  // namespace

void CToolBar::OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler)
{
    CToolCmdUI ui;
    ui.ctrl = &m_ctrl;
    ui.m_pOther = this;
    ui.m_nIndexMax = (UINT)m_ids.size();
    for (ui.m_nIndex = 0; ui.m_nIndex < ui.m_nIndexMax; ++ui.m_nIndex) {
        ui.m_nID = m_ids[ui.m_nIndex];
        if (ui.m_nID == ID_SEPARATOR) continue;
        ui.DoUpdate(target, disableIfNoHandler);
        if (!m_hWnd) return;
    }
}

BOOL CToolBar::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    // The drop-down reaches the bar's own map first (reflected to the bar).
    const NMHDR* h = reinterpret_cast<const NMHDR*>(lParam);
    if (h && h->hwndFrom == m_ctrl.m_hWnd && h->code == (UINT)TBN_DROPDOWN && OnChildNotify(WM_NOTIFY, wParam, lParam, result))
        return TRUE;
    return CControlBar::OnNotify(wParam, lParam, result);
}

void CToolBar::OnHover(int index)
{
    if (index == m_hover) return;
    m_hover = index;
    if (!(m_dwStyle & CBRS_FLYBY)) return;
    CFrameWnd* f = DynamicDowncast<CFrameWnd>(GetOwner());
    if (!f) return;
    const UINT id = index >= 0 ? GetItemID(index) : 0;
    if (id) {
        std::string s;
        AfxLoadString(id, s);
        f->SetMessageText(s.substr(0, s.find('\n')).c_str());
    } else {
        f->SetMessageText(AFX_IDS_IDLEMESSAGE);
    }
}

namespace {
// Looks whether the mouse is still over the bar (no message says it left).
constexpr UINT_PTR kLeaveCheckTimer = 0xE001;
}  // namespace

LRESULT CToolBar::CInnerCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pBar && m_pBar->m_tips.m_hWnd &&
        (message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN)) {
        MSG m{m_hWnd, message, wParam, lParam, 0, {}};
        m_pBar->m_tips.RelayEvent(&m);
    }
    if (message == WM_NOTIFY && m_pBar && lParam) {
        const NMHDR* h = reinterpret_cast<const NMHDR*>(lParam);
        if (h->hwndFrom == m_pBar->m_tips.m_hWnd) {
            if (h->code == (UINT)TTN_SHOW) m_pBar->m_lastTip = m_pBar->TipText((UINT)h->idFrom);
            return 0;
        }
    }
    if (message == WM_MOUSEMOVE && m_pBar) {
        POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        int i = (int)::SendMessage(m_hWnd, TB_HITTEST, 0, (LPARAM)&pt);
        if (!(GetKeyState(VK_LBUTTON) & 0x8000)) {
            m_pBar->OnHover(i);
            // No move tells that the mouse has left the bar: look now and then.
            if (m_pBar->m_hover >= 0) ::SetTimer(m_hWnd, kLeaveCheckTimer, 200, nullptr);
        }
    }
    if (message == WM_TIMER && wParam == kLeaveCheckTimer) {
        POINT pt{};
        ::GetCursorPos(&pt);
        const HWND under = ::WindowFromPoint(pt);
        if (!m_pBar || m_pBar->m_hover < 0 || (under != m_hWnd && !::IsChild(m_hWnd, under))) {
            ::KillTimer(m_hWnd, kLeaveCheckTimer);
            if (m_pBar) m_pBar->OnHover(-1);
        }
        return 0;
    }
    return CToolBarCtrl::WindowProc(message, wParam, lParam);
}

// --- CStatusBar -------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)

BEGIN_MESSAGE_MAP(CStatusBar, CControlBar)
    ON_WM_SIZE()
END_MESSAGE_MAP()

CStatusBar::CStatusBar() { m_cxLeftBorder = m_cxRightBorder = m_cyTopBorder = m_cyBottomBorder = 0; }

BOOL CStatusBar::Create(CWnd* parent, DWORD style, UINT id)
{
    if (!CreateBar("", style, parent, id)) return FALSE;
    DWORD grip = 0;
    if (CWnd* top = GetTopLevelParent())
        if (top->GetStyle() & WS_THICKFRAME) grip = SBARS_SIZEGRIP;
    return m_ctrl.Create(WS_VISIBLE | grip, RECT{0, 0, 0, 0}, this, id);
}

BOOL CStatusBar::SetIndicators(const UINT* ids, int count)
{
    m_panes.clear();
    HDC dc = GetDC(m_hWnd);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    for (int i = 0; i < count; ++i) {
        Pane p{ids[i], 0, 0, std::string()};
        if (ids[i] == ID_SEPARATOR) {
            p.style = SBPS_STRETCH | SBPS_NOBORDERS;
        } else {
            AfxLoadString(ids[i], p.text);
            SIZE sz{0, 0};
            GetTextExtentPoint32(dc, p.text.c_str(), (int)p.text.size(), &sz);
            p.width = sz.cx + 8;
        }
        m_panes.push_back(p);
    }
    SelectObject(dc, old);
    ReleaseDC(m_hWnd, dc);
    if (!m_panes.empty() && m_panes[0].id == ID_SEPARATOR) m_panes[0].text = AfxLoadString(AFX_IDS_IDLEMESSAGE);
    UpdateParts();
    return TRUE;
}

void CStatusBar::UpdateParts()
{
    if (!m_ctrl.m_hWnd || m_panes.empty()) return;
    RECT r;
    m_ctrl.GetClientRect(&r);
    int fixed = 0;
    for (const Pane& p : m_panes)
        if (!(p.style & SBPS_STRETCH)) fixed += p.width;
    const int grip = (m_ctrl.GetStyle() & SBARS_SIZEGRIP) ? 16 : 0;
    int stretch = std::max(0, (int)(r.right - grip) - fixed);
    std::vector<int> rights;
    int x = 0;
    for (const Pane& p : m_panes) {
        x += (p.style & SBPS_STRETCH) ? stretch : p.width;
        rights.push_back(x);
    }
    rights.back() = -1;
    m_ctrl.SetParts((int)rights.size(), rights.data());
    for (size_t i = 0; i < m_panes.size(); ++i)
        m_ctrl.SetText((m_panes[i].style & SBPS_DISABLED) ? "" : m_panes[i].text.c_str(), (int)i);
}

BOOL CStatusBar::SetPaneText(int index, const char* text, BOOL)
{
    if (index < 0 || index >= (int)m_panes.size()) return FALSE;
    Pane& p = m_panes[(size_t)index];
    std::string t = text ? text : "";
    if (p.text == t) return TRUE;
    p.text = t;
    if (m_ctrl.m_hWnd) m_ctrl.SetText((p.style & SBPS_DISABLED) ? "" : t.c_str(), index);
    return TRUE;
}

std::string CStatusBar::GetPaneText(int index) const
{
    return index >= 0 && index < (int)m_panes.size() ? m_panes[(size_t)index].text : std::string();
}

void CStatusBar::SetPaneInfo(int index, UINT id, UINT style, int width)
{
    if (index < 0 || index >= (int)m_panes.size()) return;
    Pane& p = m_panes[(size_t)index];
    p.id = id;
    p.style = style;
    p.width = width;
    UpdateParts();
}

void CStatusBar::GetPaneInfo(int index, UINT& id, UINT& style, int& width) const
{
    if (index < 0 || index >= (int)m_panes.size()) return;
    id = m_panes[(size_t)index].id;
    style = m_panes[(size_t)index].style;
    width = m_panes[(size_t)index].width;
}

int CStatusBar::CommandToIndex(UINT id) const
{
    for (size_t i = 0; i < m_panes.size(); ++i)
        if (m_panes[i].id == id) return (int)i;
    return -1;
}

UINT CStatusBar::GetItemID(int index) const { return index >= 0 && index < (int)m_panes.size() ? m_panes[(size_t)index].id : 0; }

void CStatusBar::CalcInsideRect(RECT& r, BOOL horz) const { CControlBar::CalcInsideRect(r, horz); }

SIZE CStatusBar::CalcFixedLayout(BOOL, BOOL)
{
    TEXTMETRIC tm{};
    HDC dc = GetDC(m_hWnd);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    GetTextMetrics(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(m_hWnd, dc);
    return SIZE{32767, std::max<LONG>(tm.tmHeight + 8, 20)};
}

void CStatusBar::OnSize(UINT, int cx, int cy)
{
    if (m_ctrl.m_hWnd) ::SetWindowPos(m_ctrl.m_hWnd, nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateParts();
}

namespace {
class CPaneCmdUI : public CCmdUI {
public:
    CStatusBar* bar = nullptr;
    void Enable(BOOL on) override
    {
        m_bEnableChanged = TRUE;
        UINT id, style;
        int width;
        bar->GetPaneInfo((int)m_nIndex, id, style, width);
        UINT ns = on ? (style & ~SBPS_DISABLED) : (style | SBPS_DISABLED);
        if (ns != style) bar->SetPaneInfo((int)m_nIndex, id, ns, width);
    }
    void SetCheck(int check) override
    {
        UINT id, style;
        int width;
        bar->GetPaneInfo((int)m_nIndex, id, style, width);
        UINT ns = check ? (style | SBPS_POPOUT) : (style & ~SBPS_POPOUT);
        if (ns != style) bar->SetPaneInfo((int)m_nIndex, id, ns, width);
    }
    void SetText(const char* text) override { bar->SetPaneText((int)m_nIndex, text); }
};
}  // namespace

void CStatusBar::OnUpdateCmdUI(CFrameWnd* target, BOOL)
{
    CPaneCmdUI ui;
    ui.bar = this;
    ui.m_pOther = this;
    ui.m_nIndexMax = (UINT)m_panes.size();
    for (ui.m_nIndex = 0; ui.m_nIndex < ui.m_nIndexMax; ++ui.m_nIndex) {
        ui.m_nID = m_panes[ui.m_nIndex].id;
        if (ui.m_nID == ID_SEPARATOR) continue;
        // A pane is updated by its handler only: one without keeps the text
        // its owner writes there.
        ui.DoUpdate(target, FALSE);
        if (!m_hWnd) return;
    }
}
