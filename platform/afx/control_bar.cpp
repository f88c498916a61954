// Control bars, dock bars, the drag context and the mini frame.
#include "platform/afx/control_bar.h"

#include <algorithm>

#include "platform/afx/dialog_template.h"
#include "platform/afx/nested_loop.h"
#include "platform/afx/resources.h"
#include "platform/afx/module_bitmaps.h"
#include "platform/afx/app_access.h"
#include "platform/backend/drag_overlay.h"

namespace {
constexpr int kGripper = 8;
CFrameWnd* FrameOf(CWnd* w) { return w ? DynamicDowncast<CFrameWnd>(w) : nullptr; }
}  // namespace

// --- CControlBar ------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CControlBar, CWnd)

BEGIN_MESSAGE_MAP(CControlBar, CWnd)
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
END_MESSAGE_MAP()

CControlBar::CControlBar() = default;

CControlBar::~CControlBar()
{
    Unlink();
    delete m_pDockContext;
}

BOOL CControlBar::CreateBar(const char* title, DWORD style, CWnd* parent, UINT id)
{
    m_dwStyle = style & (0xFFFFu | CBRS_GRIPPER);
    DWORD wstyle = (style & ~(0xFFFFu | CBRS_GRIPPER)) | WS_CHILD | WS_CLIPCHILDREN;
    if (!CreateEx(0, nullptr, title ? title : "", wstyle, RECT{0, 0, 0, 0}, parent, id)) return FALSE;
    SetOwner(parent);
    if (CFrameWnd* f = FrameOf(parent)) {
        m_pDockSite = f;
        f->AddControlBar(this);
    }
    return TRUE;
}

void CControlBar::SetBarStyle(DWORD style)
{
    DWORD old = m_dwStyle;
    m_dwStyle = style & (0xFFFFu | CBRS_GRIPPER);
    if (old != m_dwStyle) OnBarStyleChange(old, m_dwStyle);
}

void CControlBar::EnableDocking(DWORD dockStyle)
{
    m_dwDockStyle = dockStyle & (CBRS_ALIGN_ANY | CBRS_FLOAT_MULTI);
    if (!m_pDockContext && m_dwDockStyle) m_pDockContext = new CDockContext(this);
    if (m_pDockContext && !m_pDockContext->m_pDockSite) m_pDockContext->m_pDockSite = m_pDockSite;
}

BOOL CControlBar::IsFloating() const { return m_pDockBar && m_pDockBar->m_bFloating; }

BOOL CControlBar::IsHorz() const { return (m_dwStyle & CBRS_ORIENT_HORZ) != 0 || !(m_dwStyle & CBRS_ORIENT_VERT); }

BOOL CControlBar::IsVisible() const
{
    if (m_nStateFlags & delayHide) return FALSE;
    if (m_nStateFlags & delayShow) return TRUE;
    return m_hWnd && (GetStyle() & WS_VISIBLE);
}

CFrameWnd* CControlBar::GetDockingFrame() const { return m_pDockSite; }

void CControlBar::DelayShow(BOOL show)
{
    m_nStateFlags &= ~(delayHide | delayShow);
    const bool now = m_hWnd && (GetStyle() & WS_VISIBLE);
    if (show && !now) m_nStateFlags |= delayShow;
    if (!show && now) m_nStateFlags |= delayHide;
}

SIZE CControlBar::CalcFixedLayout(BOOL, BOOL horz)
{
    RECT r{0, 0, 0, 0};
    CalcInsideRect(r, horz);
    return SIZE{r.left - r.right, r.top - r.bottom};
}

SIZE CControlBar::CalcDynamicLayout(int, DWORD mode) { return CalcFixedLayout(mode & LM_STRETCH, mode & LM_HORZ); }

void CControlBar::CalcInsideRect(RECT& r, BOOL horz) const
{
    // A floating bar has its mini frame's border instead of its own.
    const DWORD s = (m_dwStyle & CBRS_FLOATING) ? (m_dwStyle & ~CBRS_BORDER_ANY) : m_dwStyle;
    if (s & CBRS_BORDER_LEFT) r.left += 2;
    if (s & CBRS_BORDER_TOP) r.top += 2;
    if (s & CBRS_BORDER_RIGHT) r.right -= 2;
    if (s & CBRS_BORDER_BOTTOM) r.bottom -= 2;
    r.left += m_cxLeftBorder;
    r.top += m_cyTopBorder;
    r.right -= m_cxRightBorder;
    r.bottom -= m_cyBottomBorder;
    if ((s & CBRS_GRIPPER) && !(s & CBRS_FLOATING)) {
        if (horz)
            r.left += kGripper;
        else
            r.top += kGripper;
    }
}

void CControlBar::DoPaint(HDC dc)
{
    RECT r;
    GetClientRect(&r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    UINT edges = 0;
    const DWORD s = (m_dwStyle & CBRS_FLOATING) ? 0 : m_dwStyle;
    if (s & CBRS_BORDER_LEFT) edges |= BF_LEFT;
    if (s & CBRS_BORDER_TOP) edges |= BF_TOP;
    if (s & CBRS_BORDER_RIGHT) edges |= BF_RIGHT;
    if (s & CBRS_BORDER_BOTTOM) edges |= BF_BOTTOM;
    if (edges) {
        RECT e = r;
        DrawEdge(dc, &e, EDGE_ETCHED, edges);
    }
    if ((m_dwStyle & CBRS_GRIPPER) && !(m_dwStyle & CBRS_FLOATING)) {
        RECT in = r;
        CalcInsideRect(in, IsHorz());
        RECT g = IsHorz() ? RECT{in.left - kGripper + 1, in.top + 1, in.left - kGripper + 4, in.bottom - 1}
                          : RECT{in.left + 1, in.top - kGripper + 1, in.right - 1, in.top - kGripper + 4};
        DrawEdge(dc, &g, BDR_RAISEDINNER, BF_RECT);
    }
}

void CControlBar::OnPaint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    DoPaint(dc);
    EndPaint(m_hWnd, &ps);
}

void CControlBar::OnSize(UINT, int, int) { Invalidate(); }

void CControlBar::OnLButtonDown(UINT, POINT pt)
{
    if (!m_pDockContext) {
        Default();
        return;
    }
    ClientToScreen(m_hWnd, &pt);
    m_pDockContext->StartDrag(pt);
}

void CControlBar::OnLButtonDblClk(UINT, POINT)
{
    if (m_pDockContext) m_pDockContext->ToggleDocking();
}

LRESULT CControlBar::OnIdleUpdateCmdUI(WPARAM wParam, LPARAM)
{
    CWndProtector protect(this);
    if (m_nStateFlags & (delayHide | delayShow)) {
        const bool show = (m_nStateFlags & delayShow) != 0;
        m_nStateFlags &= ~(delayHide | delayShow);
        ShowWindow(show ? SW_SHOWNA : SW_HIDE);
        if (!m_hWnd) return 0;
        if (IsFloating()) {
            if (CMiniDockFrameWnd* mf = DynamicDowncast<CMiniDockFrameWnd>(CWnd::FromHandlePermanent(::GetParent(m_pDockBar->m_hWnd))))
                mf->RecalcLayout();
        } else if (m_pDockSite) {
            m_pDockSite->DelayRecalcLayout();
        }
    }
    if (!m_hWnd || !(GetStyle() & WS_VISIBLE)) return 0;
    CFrameWnd* target = FrameOf(GetOwner());
    if (!target) target = GetParentFrame();
    if (target) OnUpdateCmdUI(target, (BOOL)wParam);
    return 0;
}

BOOL CControlBar::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // The bar's controls speak to the frame that owns the bar.
    CWnd* owner = GetOwner();
    if (owner && owner != this && owner->m_hWnd) {
        ::SendMessage(owner->m_hWnd, WM_COMMAND, wParam, 0);
        return TRUE;
    }
    return CWnd::OnCommand(wParam, lParam);
}

BOOL CControlBar::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (CWnd::OnNotify(wParam, lParam, result)) return TRUE;
    CWnd* owner = GetOwner();
    if (owner && owner != this && owner->m_hWnd) {
        *result = ::SendMessage(owner->m_hWnd, WM_NOTIFY, wParam, lParam);
        return TRUE;
    }
    return FALSE;
}

BOOL CControlBar::PreTranslateMessage(MSG* msg)
{
    // The frames that own the bar translate their accelerators first.
    if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST)
        for (CWnd* w = GetOwner(); w; w = w->GetParentFrame()) {
            CFrameWnd* f = FrameOf(w);
            if (f && f->m_hAccelTable && TranslateAccelerator(f->m_hWnd, f->m_hAccelTable, msg)) return TRUE;
            if (!w->GetParentFrame() || w->GetParentFrame() == w) break;
        }
    return FALSE;
}

void CControlBar::Unlink()
{
    if (m_pDockBar) {
        m_pDockBar->RemoveControlBar(this);
        m_pDockBar = nullptr;
    }
    if (m_pDockSite) {
        m_pDockSite->RemoveControlBar(this);
        m_pDockSite = nullptr;
    }
    if (m_pDockContext) m_pDockContext->m_pDockSite = nullptr;
}

BOOL CControlBar::DestroyWindow()
{
    CWndProtector protect(this);
    CMiniDockFrameWnd* mini = nullptr;
    if (IsFloating()) mini = DynamicDowncast<CMiniDockFrameWnd>(CWnd::FromHandlePermanent(::GetParent(m_pDockBar->m_hWnd)));
    Unlink();
    BOOL ok = CWnd::DestroyWindow();
    if (mini && mini->m_hWnd && mini->m_wndDockBar.GetDockedCount() == 0) mini->DestroyWindow();
    return ok;
}

void CControlBar::OnDestroy()
{
    OnDestroyBar();
    CMiniDockFrameWnd* mini = nullptr;
    if (IsFloating()) mini = DynamicDowncast<CMiniDockFrameWnd>(CWnd::FromHandlePermanent(::GetParent(m_pDockBar->m_hWnd)));
    Unlink();
    // An emptied mini frame goes at the next idle time.
    if (mini && mini->m_hWnd) mini->PostMessage(WM_IDLEUPDATECMDUI, 0, 0);
    Default();
}

void CControlBar::PostNcDestroy()
{
    if (m_bAutoDelete) delete this;
}

// --- CDockBar ---------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CDockBar, CControlBar)

CDockBar::CDockBar(BOOL floating) : m_bFloating(floating)
{
    m_bDockBar = true;
    m_cxLeftBorder = m_cxRightBorder = m_cyTopBorder = m_cyBottomBorder = 0;
}

BOOL CDockBar::Create(CWnd* parent, DWORD style, UINT id)
{
    if (!CreateBar("", style | WS_CHILD | WS_VISIBLE, parent, id)) return FALSE;
    return TRUE;
}

int CDockBar::FindBar(CControlBar* bar, int* row) const
{
    for (size_t r = 0; r < m_rows.size(); ++r)
        for (size_t i = 0; i < m_rows[r].size(); ++i)
            if (m_rows[r][i].bar == bar) {
                if (row) *row = (int)r;
                return (int)i;
            }
    return -1;
}

int CDockBar::GetDockedCount() const
{
    int n = 0;
    for (const auto& row : m_rows)
        for (const Slot& s : row) n += s.bar != nullptr;
    return n;
}

int CDockBar::GetDockedVisibleCount() const
{
    int n = 0;
    for (const auto& row : m_rows)
        for (const Slot& s : row) n += s.bar && s.bar->IsVisible();
    return n;
}

std::vector<CControlBar*> CDockBar::RowBars(size_t row) const
{
    std::vector<CControlBar*> out;
    if (row < m_rows.size())
        for (const Slot& s : m_rows[row])
            if (s.bar) out.push_back(s.bar);
    return out;
}

void CDockBar::DropEmptyRows()
{
    m_rows.erase(std::remove_if(m_rows.begin(), m_rows.end(), [](const std::vector<Slot>& r) { return r.empty(); }),
                 m_rows.end());
}

void CDockBar::RemoveControlBar(CControlBar* bar, bool placeholder)
{
    int row = -1;
    int i = FindBar(bar, &row);
    if (i < 0) return;
    if (placeholder && bar->m_hWnd)
        m_rows[(size_t)row][(size_t)i] = Slot{nullptr, (UINT)bar->GetDlgCtrlID()};
    else
        m_rows[(size_t)row].erase(m_rows[(size_t)row].begin() + i);
    DropEmptyRows();
    if (bar->m_pDockBar == this) bar->m_pDockBar = nullptr;
    if (m_pDockSite && !m_bFloating) m_pDockSite->DelayRecalcLayout();
}

void CDockBar::RemovePlaceholder(UINT id)
{
    for (auto& row : m_rows)
        row.erase(std::remove_if(row.begin(), row.end(), [&](const Slot& s) { return !s.bar && s.id == id; }), row.end());
    DropEmptyRows();
}

namespace {
SIZE DockedSize(CControlBar* bar, bool horz)
{
    if (bar->GetBarStyle() & CBRS_SIZE_DYNAMIC) return bar->CalcDynamicLayout(-1, horz ? (LM_HORZ | LM_HORZDOCK) : LM_VERTDOCK);
    return bar->CalcFixedLayout(FALSE, horz);
}

// The message loop of a captured bar drag: moves go to track, a left-button
// release tracks its point and ends the drag (true), Escape or a right press
// cancels it; Ctrl going down or up calls onCtrl. The drag's own buttons and
// keys go nowhere else; other messages are served.
template <class Track, class Ctrl>
bool RunBarDrag(CNestedLoop& loop, HWND cap, Track&& track, Ctrl&& onCtrl)
{
    MSG m;
    while (!loop.Ended() && ModalLoopGetMessage(&m, cap)) {
        if (loop.Ended()) break;
        if (m.message == WM_MOUSEMOVE) {
            track(m.pt);
        } else if (m.message == WM_LBUTTONUP) {
            track(m.pt);
            return true;
        } else if ((m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE) || m.message == WM_RBUTTONDOWN) {
            break;
        } else if ((m.message == WM_KEYDOWN || m.message == WM_KEYUP) && m.wParam == VK_CONTROL) {
            onCtrl();
        } else if (m.message != WM_LBUTTONDOWN && m.message != WM_KEYDOWN && m.message != WM_KEYUP && m.message != WM_CHAR) {
            TranslateMessage(&m);
            DispatchMessage(&m);
        }
    }
    return false;
}
}  // namespace

void CDockBar::DockControlBar(CControlBar* bar, const RECT* rect)
{
    CWndProtector protect(bar);
    const UINT id = (UINT)bar->GetDlgCtrlID();
    if (bar->m_pDockBar && bar->m_pDockBar != this) bar->m_pDockBar->RemoveControlBar(bar);
    if (bar->m_pDockBar == this) {
        int row = -1;
        int i = FindBar(bar, &row);
        if (i >= 0) m_rows[(size_t)row].erase(m_rows[(size_t)row].begin() + i);
        DropEmptyRows();
    }
    // A placeholder of the bar here marks its old place.
    int phRow = -1, phIndex = -1;
    for (size_t r = 0; r < m_rows.size() && phRow < 0; ++r)
        for (size_t i = 0; i < m_rows[r].size(); ++i)
            if (!m_rows[r][i].bar && m_rows[r][i].id == id) {
                phRow = (int)r;
                phIndex = (int)i;
                break;
            }
    const bool horz = m_bFloating || (m_dwStyle & CBRS_ORIENT_HORZ);
    DWORD style = bar->GetBarStyle() & ~(CBRS_ALIGN_ANY | CBRS_FLOATING);
    style |= m_bFloating ? (CBRS_FLOATING | (bar->GetBarStyle() & CBRS_ALIGN_ANY)) : (m_dwStyle & CBRS_ALIGN_ANY);
    if (m_bFloating && !(style & CBRS_ALIGN_ANY)) style |= CBRS_ALIGN_TOP;
    bar->SetBarStyle(style);
    if (rect && !m_bFloating) {
        RECT r = *rect;
        POINT tl{r.left, r.top}, br{r.right, r.bottom};
        ScreenToClient(m_hWnd, &tl);
        ScreenToClient(m_hWnd, &br);
        const int cross = horz ? (tl.y + br.y) / 2 : (tl.x + br.x) / 2;
        const int along = std::max(0, (int)(horz ? tl.x : tl.y));
        RemovePlaceholder(id);
        // The row under the rectangle's middle, else a new row before or after.
        int start = 0;
        size_t at = m_rows.size();
        bool join = false;
        for (size_t k = 0; k < m_rows.size(); ++k) {
            int thick = 0;
            for (const Slot& s : m_rows[k])
                if (s.bar && s.bar->IsVisible()) {
                    SIZE sz = DockedSize(s.bar, horz);
                    thick = std::max<int>(thick, horz ? sz.cy : sz.cx);
                }
            if (thick == 0) continue;
            if (cross < start) {
                at = k;
                break;
            }
            if (cross < start + thick) {
                at = k;
                join = true;
                break;
            }
            start += thick;
        }
        bar->m_nRowPos = along;
        if (join) {
            auto& row = m_rows[at];
            size_t pos = 0;
            while (pos < row.size() && (!row[pos].bar || row[pos].bar->m_nRowPos <= along)) ++pos;
            row.insert(row.begin() + (ptrdiff_t)pos, Slot{bar, id});
        } else {
            m_rows.insert(m_rows.begin() + (ptrdiff_t)at, std::vector<Slot>{Slot{bar, id}});
        }
    } else if (phRow >= 0) {
        m_rows[(size_t)phRow][(size_t)phIndex] = Slot{bar, id};
    } else {
        bar->m_nRowPos = 0;
        m_rows.push_back(std::vector<Slot>{Slot{bar, id}});
    }
    if (::GetParent(bar->m_hWnd) != m_hWnd) ::SetParent(bar->m_hWnd, m_hWnd);
    bar->m_pDockBar = this;
    if (m_pDockSite && !m_bFloating) m_pDockSite->DelayRecalcLayout();
}

int CDockBar::LayoutRows(int length, bool commit)
{
    const bool horz = m_bFloating || (m_dwStyle & CBRS_ORIENT_HORZ);
    // Sizing bars fit their rows to the length the frame gives.
    if (!m_bFloating) m_nAvailLength = length;
    int thick = 0;
    for (auto& row : m_rows) {
        int rowThick = 0, pos = 0;
        for (Slot& s : row) {
            if (!s.bar || !s.bar->IsVisible()) continue;
            SIZE sz = m_bFloating ? s.bar->CalcDynamicLayout(s.bar->m_nMRUWidth, LM_HORZ | LM_MRUWIDTH | (commit ? LM_COMMIT : 0))
                                  : DockedSize(s.bar, horz);
            const int len = horz ? sz.cx : sz.cy;
            pos = std::max(pos, std::min(s.bar->m_nRowPos, std::max(0, length - len)));
            if (commit) {
                RECT r = horz ? RECT{pos, thick, pos + sz.cx, thick + sz.cy} : RECT{thick, pos, thick + sz.cx, pos + sz.cy};
                ::SetWindowPos(s.bar->m_hWnd, nullptr, r.left, r.top, sz.cx, sz.cy, SWP_NOZORDER | SWP_NOACTIVATE);
            }
            pos += len;
            rowThick = std::max<int>(rowThick, horz ? sz.cy : sz.cx);
        }
        thick += rowThick;
    }
    return thick;
}

SIZE CDockBar::CalcFixedLayout(BOOL, BOOL horz)
{
    int thick = LayoutRows(m_nAvailLength, false);
    return horz ? SIZE{m_nAvailLength, thick} : SIZE{thick, m_nAvailLength};
}

void CDockBar::DoPaint(HDC dc)
{
    RECT r;
    GetClientRect(&r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
}

// --- CDockContext -----------------------------------------------------------------------

CDockContext::CDockContext(CControlBar* bar) : m_pBar(bar), m_pDockSite(bar->m_pDockSite) {}

CDockBar* CDockContext::DockBarAt(POINT pt, RECT* outline)
{
    CFrameWnd* site = m_pDockSite;
    if (!site || !site->m_hWnd) return nullptr;
    RECT client;
    site->GetClientRect(&client);
    POINT o{0, 0};
    ClientToScreen(site->m_hWnd, &o);
    OffsetRect(&client, o.x, o.y);
    if (!PtInRect(&client, pt)) return nullptr;
    constexpr int kZone = 16;
    static const UINT order[] = {AFX_IDW_DOCKBAR_TOP, AFX_IDW_DOCKBAR_BOTTOM, AFX_IDW_DOCKBAR_LEFT, AFX_IDW_DOCKBAR_RIGHT};
    static const DWORD align[] = {CBRS_ALIGN_TOP, CBRS_ALIGN_BOTTOM, CBRS_ALIGN_LEFT, CBRS_ALIGN_RIGHT};
    for (int k = 0; k < 4; ++k) {
        if (!(m_pBar->m_dwDockStyle & align[k])) continue;
        CDockBar* d = DynamicDowncast<CDockBar>(site->GetControlBar(order[k]));
        if (!d || !d->m_hWnd) continue;
        RECT r;
        d->GetWindowRect(&r);
        if (!(d->GetStyle() & WS_VISIBLE) || r.right - r.left <= 0 || r.bottom - r.top <= 0) {
            // An empty side: a zone along the frame's edge.
            switch (k) {
            case 0: r = RECT{client.left, client.top, client.right, client.top}; break;
            case 1: r = RECT{client.left, client.bottom, client.right, client.bottom}; break;
            case 2: r = RECT{client.left, client.top, client.left, client.bottom}; break;
            default: r = RECT{client.right, client.top, client.right, client.bottom}; break;
            }
        }
        // Past the rows by a zone: a new row.
        RECT z = r;
        if (k == 0) z.bottom += kZone;
        if (k == 1) z.top -= kZone;
        if (k == 2) z.right += kZone;
        if (k == 3) z.left -= kZone;
        if (PtInRect(&z, pt)) {
            if (outline) *outline = r;
            return d;
        }
    }
    return nullptr;
}

BOOL CDockContext::StartDrag(POINT pt)
{
    CControlBar* bar = m_pBar;
    if (!m_pDockSite) m_pDockSite = bar->m_pDockSite;
    if (!m_pDockSite || !bar->m_hWnd) return FALSE;
    CWndProtector protectBar(bar);
    CWndProtector protectSite(m_pDockSite);
    HWND cap = bar->m_hWnd;
    RECT start;
    bar->GetWindowRect(&start);
    const SIZE horzSize = bar->CalcDynamicLayout(-1, LM_HORZ | LM_HORZDOCK);
    const SIZE vertSize = bar->CalcDynamicLayout(-1, LM_VERTDOCK);
    SIZE floatSize = bar->CalcDynamicLayout(bar->m_nMRUWidth, LM_HORZ | LM_MRUWIDTH);
    const POINT grab{pt.x - start.left, pt.y - start.top};
    const int dx = GetSystemMetrics(SM_CXDRAG), dy = GetSystemMetrics(SM_CYDRAG);
    SetCapture(cap);
    m_bDragging = TRUE;
    m_bCancelled = FALSE;
    CNestedLoop loop;
    bool moved = false, dropped = false;
    CDockBar* target = nullptr;
    RECT drop{};
    POINT last = pt;
    auto track = [&](POINT p) {
        last = p;
        if (!moved && std::abs(p.x - pt.x) <= dx && std::abs(p.y - pt.y) <= dy) return;
        moved = true;
        const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
        target = ctrl ? nullptr : DockBarAt(p, nullptr);
        SIZE sz = !target ? floatSize : (target->GetBarStyle() & CBRS_ORIENT_HORZ) ? horzSize : vertSize;
        const int gx = std::min<int>(grab.x, std::max<LONG>(sz.cx - 1, 0)), gy = std::min<int>(grab.y, std::max<LONG>(sz.cy - 1, 0));
        drop = RECT{p.x - gx, p.y - gy, p.x - gx + sz.cx, p.y - gy + sz.cy};
        ShowDragOverlay(drop, target == nullptr);
    };
    dropped = RunBarDrag(loop, cap, track, [&] {
        if (moved) track(last);
    });
    HideDragOverlay();
    m_bDragging = FALSE;
    if (GetCapture() == cap) ReleaseCapture();
    if (!dropped || !moved || loop.Ended() || !bar->m_hWnd || !m_pDockSite || !m_pDockSite->m_hWnd) {
        m_bCancelled = moved;
        return FALSE;
    }
    if (target)
        m_pDockSite->DockControlBar(bar, (UINT)target->GetDlgCtrlID(), &drop);
    else
        m_pDockSite->FloatControlBar(bar, POINT{drop.left, drop.top});
    return TRUE;
}

void CDockContext::ToggleDocking()
{
    CControlBar* bar = m_pBar;
    if (!m_pDockSite) m_pDockSite = bar->m_pDockSite;
    if (!m_pDockSite) return;
    if (bar->IsFloating()) {
        RECT r;
        bar->GetWindowRect(&r);
        m_ptMRUFloatPos = POINT{r.left, r.top};
        if (CMiniDockFrameWnd* mf = DynamicDowncast<CMiniDockFrameWnd>(CWnd::FromHandlePermanent(::GetParent(bar->m_pDockBar->m_hWnd)))) {
            RECT w;
            mf->GetWindowRect(&w);
            m_ptMRUFloatPos = POINT{w.left, w.top};
        }
        UINT id = m_uMRUDockID ? m_uMRUDockID : AFX_IDW_DOCKBAR_TOP;
        CDockBar* d = DynamicDowncast<CDockBar>(m_pDockSite->GetControlBar(id));
        bool placeholder = false;
        if (d)
            for (const auto& row : d->Rows())
                for (const auto& s : row) placeholder |= !s.bar && s.id == (UINT)bar->GetDlgCtrlID();
        m_pDockSite->DockControlBar(bar, id, placeholder || IsRectEmpty(&m_rectMRUDockPos) ? nullptr : &m_rectMRUDockPos);
    } else {
        POINT p = m_ptMRUFloatPos;
        if (p.x == CW_USEDEFAULT) {
            RECT r;
            bar->GetWindowRect(&r);
            p = POINT{r.left + 20, r.top + 20};
        }
        m_pDockSite->FloatControlBar(bar, p);
    }
}

BOOL CDockContext::StartResize(int hit, POINT pt)
{
    CControlBar* bar = m_pBar;
    if (!bar->IsFloating()) return FALSE;
    CMiniDockFrameWnd* mf = DynamicDowncast<CMiniDockFrameWnd>(CWnd::FromHandlePermanent(::GetParent(bar->m_pDockBar->m_hWnd)));
    if (!mf || !mf->m_hWnd) return FALSE;
    const bool left = hit == HTLEFT || hit == HTTOPLEFT || hit == HTBOTTOMLEFT;
    const bool right = hit == HTRIGHT || hit == HTTOPRIGHT || hit == HTBOTTOMRIGHT;
    const bool top = hit == HTTOP || hit == HTTOPLEFT || hit == HTTOPRIGHT;
    const bool bottom = hit == HTBOTTOM || hit == HTBOTTOMLEFT || hit == HTBOTTOMRIGHT;
    if (!left && !right && !top && !bottom) return FALSE;
    CWndProtector protectBar(bar);
    CWndProtector protectFrame(mf);
    HWND cap = mf->m_hWnd;
    RECT start;
    mf->GetWindowRect(&start);
    RECT nc{0, 0, 0, 0};
    AdjustWindowRectEx(&nc, mf->GetStyle(), FALSE, mf->GetExStyle());
    const int ncx = nc.right - nc.left, ncy = nc.bottom - nc.top;
    SetCapture(cap);
    m_bDragging = TRUE;
    m_bCancelled = FALSE;
    CNestedLoop loop;
    bool done = false, moved = false;
    int length = -1;
    DWORD mode = LM_HORZ | LM_MRUWIDTH;
    RECT outline = start;
    auto track = [&](POINT p) {
        moved = true;
        RECT r = start;
        if (left) r.left += p.x - pt.x;
        if (right) r.right += p.x - pt.x;
        if (top) r.top += p.y - pt.y;
        if (bottom) r.bottom += p.y - pt.y;
        // A side edge sets the width; the top or bottom edge sets the height.
        if (left || right) {
            length = std::max(1, (int)(r.right - r.left) - ncx);
            mode = LM_HORZ | LM_MRUWIDTH;
        } else {
            length = std::max(1, (int)(r.bottom - r.top) - ncy);
            mode = LM_HORZ | LM_MRUWIDTH | LM_LENGTHY;
        }
        SIZE sz = bar->CalcDynamicLayout(length, mode);
        outline = RECT{left ? start.right - sz.cx - ncx : start.left, top ? start.bottom - sz.cy - ncy : start.top, 0, 0};
        outline.right = outline.left + sz.cx + ncx;
        outline.bottom = outline.top + sz.cy + ncy;
        ShowDragOverlay(outline, true);
    };
    done = RunBarDrag(loop, cap, track, [] {});
    HideDragOverlay();
    m_bDragging = FALSE;
    if (GetCapture() == cap) ReleaseCapture();
    if (!done || !moved || loop.Ended() || !bar->m_hWnd || !mf->m_hWnd) {
        m_bCancelled = moved;
        // The layout of the bar goes back to its committed width.
        if (bar->m_hWnd) bar->CalcDynamicLayout(bar->m_nMRUWidth, LM_HORZ | LM_MRUWIDTH);
        return FALSE;
    }
    bar->CalcDynamicLayout(length, mode | LM_COMMIT);
    mf->RecalcLayout();
    ::SetWindowPos(mf->m_hWnd, nullptr, outline.left, outline.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

// --- CMiniDockFrameWnd ------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CMiniDockFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CMiniDockFrameWnd, CWnd)
    ON_WM_CLOSE()
    ON_WM_SIZE()
    ON_MESSAGE(WM_NCLBUTTONDOWN, OnNcLButtonDown)
    ON_MESSAGE(WM_NCLBUTTONDBLCLK, OnNcLButtonDblClk)
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
END_MESSAGE_MAP()

CMiniDockFrameWnd::CMiniDockFrameWnd() { m_wndDockBar.m_bAutoDelete = FALSE; }

BOOL CMiniDockFrameWnd::Create(CFrameWnd* parent, DWORD)
{
    m_pDockSite = parent;
    if (!CreateEx(WS_EX_TOOLWINDOW, nullptr, "", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME, 0, 0, 10, 10,
                  parent->m_hWnd, nullptr))
        return FALSE;
    if (!m_wndDockBar.CreateBar("", WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, this, AFX_IDW_DOCKBAR_FLOAT)) return FALSE;
    m_wndDockBar.SetOwner(parent);
    m_wndDockBar.m_pDockSite = parent;
    return TRUE;
}

CControlBar* CMiniDockFrameWnd::GetBar() const
{
    for (const auto& row : m_wndDockBar.Rows())
        for (const auto& s : row)
            if (s.bar) return s.bar;
    return nullptr;
}

void CMiniDockFrameWnd::RecalcLayout(BOOL)
{
    if (!m_hWnd) return;
    CWndProtector protect(this);
    CControlBar* bar = GetBar();
    if (!bar) return;
    SIZE sz = bar->CalcDynamicLayout(bar->m_nMRUWidth, LM_HORZ | LM_MRUWIDTH | LM_COMMIT);
    RECT r{0, 0, sz.cx, sz.cy};
    AdjustWindowRectEx(&r, GetStyle(), FALSE, GetExStyle());
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The window manager may keep a caption wider than the bar: the bar fills it.
    RECT client;
    GetClientRect(&client);
    ::SetWindowPos(m_wndDockBar.m_hWnd, nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    ::SetWindowPos(bar->m_hWnd, nullptr, 0, 0, client.right, client.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
    std::string title = bar->GetWindowText();
    if (GetWindowText() != title) SetWindowText(title);
    const bool show = bar->IsVisible();
    if (show != (bool)(GetStyle() & WS_VISIBLE)) ShowWindow(show ? SW_SHOWNA : SW_HIDE);
}

void CMiniDockFrameWnd::OnSize(UINT, int cx, int cy)
{
    if (m_wndDockBar.m_hWnd) ::SetWindowPos(m_wndDockBar.m_hWnd, nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMiniDockFrameWnd::OnClose()
{
    // The close box hides the bar; the frame follows.
    if (CControlBar* bar = GetBar()) {
        if (m_pDockSite) m_pDockSite->ShowControlBar(bar, FALSE, FALSE);
        return;
    }
    DestroyWindow();
}

LRESULT CMiniDockFrameWnd::OnNcLButtonDown(WPARAM wParam, LPARAM lParam)
{
    CControlBar* bar = GetBar();
    if (wParam == HTCAPTION && bar && bar->m_pDockContext) {
        // The caption drags the bar (docking), never a move of the window.
        bar->m_pDockContext->StartDrag(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    }
    if (wParam >= HTLEFT && wParam <= HTBOTTOMRIGHT && bar && bar->m_pDockContext) {
        // Sizing the frame rewraps the bar; the window manager never sizes it.
        bar->m_pDockContext->StartResize((int)wParam, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    }
    return Default();
}

LRESULT CMiniDockFrameWnd::OnNcLButtonDblClk(WPARAM wParam, LPARAM)
{
    CControlBar* bar = GetBar();
    if (wParam == HTCAPTION && bar && bar->m_pDockContext) {
        bar->m_pDockContext->ToggleDocking();
        return 0;
    }
    return Default();
}

LRESULT CMiniDockFrameWnd::OnIdleUpdateCmdUI(WPARAM, LPARAM)
{
    if (m_wndDockBar.GetDockedCount() == 0) {
        DestroyWindow();
        return 0;
    }
    RecalcLayout();
    return 0;
}

void CMiniDockFrameWnd::PostNcDestroy() { delete this; }

// --- CDialogBar ----------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CDialogBar, CControlBar)

BOOL CDialogBar::Create(CWnd* parent, UINT templateId, DWORD style, UINT id)
{
    const CDialogTemplate* tmpl = AfxFindDialogTemplate(templateId);
    if (!tmpl) return FALSE;
    RECT r{0, 0, tmpl->cx, tmpl->cy};
    AfxMapDialogRect(&r);
    m_sizeDefault = SIZE{r.right, r.bottom};
    m_cxLeftBorder = m_cxRightBorder = m_cyTopBorder = m_cyBottomBorder = 0;
    if (!CreateBar("", style, parent, id)) return FALSE;
    ::SetWindowLongPtr(m_hWnd, GWL_EXSTYLE, GetExStyle() | WS_EX_CONTROLPARENT);
    HWND self = m_hWnd;
    EnsureControlClasses();
    for (size_t i = 0; i < tmpl->count; ++i) {
        const CDialogItemTemplate& it = tmpl->items[i];
        RECT ir{it.x, it.y, it.x + it.cx, it.y + it.cy};
        AfxMapDialogRect(&ir);
        CreateWindowEx(it.exStyle, it.className, it.text ? it.text : "", it.style | WS_CHILD | WS_VISIBLE, ir.left, ir.top,
                       ir.right - ir.left, ir.bottom - ir.top, self, (HMENU)(uintptr_t)it.id, nullptr, nullptr);
        if (!IsWindow(self)) return FALSE;
    }
    return TRUE;
}

SIZE CDialogBar::CalcFixedLayout(BOOL stretch, BOOL horz)
{
    if (stretch) return horz ? SIZE{32767, m_sizeDefault.cy} : SIZE{m_sizeDefault.cx, 32767};
    return m_sizeDefault;
}

void CDialogBar::OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler)
{
    AfxUpdateDialogControls(this, target, disableIfNoHandler);
}

BOOL CDialogBar::PreTranslateMessage(MSG* msg)
{
    if (CControlBar::PreTranslateMessage(msg)) return TRUE;
    // Tab and arrows move among the bar's controls.
    return m_hWnd && ::IsChild(m_hWnd, msg->hwnd) && ::IsDialogMessage(m_hWnd, msg);
}

// --- UpdateDialogControls ---------------------------------------------------------------

namespace {
class CControlCmdUI : public CCmdUI {
public:
    void Enable(BOOL on) override
    {
        m_bEnableChanged = TRUE;
        if (m_pOther && !on && ::GetFocus() == m_pOther->m_hWnd) ::SetFocus(::GetParent(m_pOther->m_hWnd));
        if (m_pOther) m_pOther->EnableWindow(on);
    }
    void SetCheck(int check) override
    {
        if (m_pOther) m_pOther->SendMessage(BM_SETCHECK, (WPARAM)check, 0);
    }
    void SetText(const char* text) override
    {
        if (m_pOther && text && m_pOther->GetWindowText() != text) m_pOther->SetWindowText(text);
    }
};
}  // namespace

void AfxUpdateDialogControls(CWnd* dialog, CCmdTarget* target, BOOL disableIfNoHandler)
{
    if (!dialog || !dialog->m_hWnd) return;
    CControlCmdUI ui;
    for (HWND h = ::GetWindow(dialog->m_hWnd, GW_CHILD); h; h = ::GetWindow(h, GW_HWNDNEXT)) {
        ui.m_nID = (UINT)::GetDlgCtrlID(h);
        if (ui.m_nID == 0 || ui.m_nID == 0xFFFFu) continue;
        ui.m_pOther = CWnd::FromHandle(h);
        ui.DoUpdate(target, disableIfNoHandler);
    }
}
