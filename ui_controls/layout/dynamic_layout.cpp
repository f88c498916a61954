// The layout engine of resizable windows.
#include "ui_controls/layout/dynamic_layout.h"

#include "platform/afx/afx_controls.h"
#include "ui_controls/layout/size_icon_ctrl.h"

IMPLEMENT_DYNAMIC(LytDynamicLayoutInfo, CObject)

namespace {
constexpr UINT kMoveFlags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;

bool NormalRect(HWND h, RECT& r)
{
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (!GetWindowPlacement(h, &wp)) return false;
    r = wp.rcNormalPosition;
    return true;
}

void ModePair(int mode, signed char& a, signed char& b)
{
    switch (mode) {
    case 1: a = 0, b = 100; break;
    case 2: a = 100, b = 100; break;
    case 3: a = 50, b = 50; break;
    default: a = 0, b = 0; break;
    }
}
}  // namespace

void LytEntryPercentages(const LayoutTableEntry& e, signed char pct[4])
{
    if (e.kind == 1) {
        for (int i = 0; i < 4; ++i) pct[i] = e.b[i];
    } else if (e.kind == 2) {
        ModePair(e.b[0], pct[0], pct[2]);
        ModePair(e.b[1], pct[1], pct[3]);
    }
}

LytDynamicLayout::~LytDynamicLayout() { delete m_pSizeGrip; }

bool LytDynamicLayout::LayoutValid() const { return m_pLayoutWnd && m_pLayoutWnd->m_hWnd && IsWindow(m_pLayoutWnd->m_hWnd); }

SIZE LytDynamicLayout::QueryClientSize() const
{
    if (!LayoutValid()) return SIZE{0, 0};
    RECT r;
    ::GetClientRect(m_pLayoutWnd->m_hWnd, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

const LayoutRecord* LytDynamicLayout::FindRecord(HWND h) const
{
    auto it = m_controls.find(h);
    return it == m_controls.end() ? nullptr : &it->second;
}

LytDynamicLayoutInfo* LytDynamicLayout::BuildLayoutInfo() const
{
    auto* info = new LytDynamicLayoutInfo;
    info->count = CountRecords();
    info->init = m_szInit;
    info->followScroll = m_bFollowScroll;
    // A missing or minimised window carries no sizes: no change.
    if (!LayoutValid() || IsIconic(m_pLayoutWnd->m_hWnd)) {
        info->cur = m_szInit;
        return info;
    }
    info->cur = QueryClientSize();
    info->change = SIZE{info->cur.cx - m_szInit.cx, info->cur.cy - m_szInit.cy};
    if (m_bFollowScroll) {
        info->hScroll = GetScrollPos(m_pLayoutWnd->m_hWnd, SB_HORZ);
        info->vScroll = GetScrollPos(m_pLayoutWnd->m_hWnd, SB_VERT);
    }
    return info;
}

bool LytDynamicLayout::ComputeControlRect(HWND h, UINT, RECT& rc, const LytDynamicLayoutInfo* info) const
{
    const LayoutRecord* rec = FindRecord(h);
    if (!rec || !info) return false;
    // Sizes come from stored settings: computed in 64 bits, clamped at the end.
    int64_t left = rec->rc.left, top = rec->rc.top, right = rec->rc.right, bottom = rec->rc.bottom;
    const int64_t dx = info->change.cx, dy = info->change.cy;
    const int64_t pl = rec->pct[0], pt = rec->pct[1], pr = rec->pct[2], pb = rec->pct[3];
    if (!info->followScroll) {
        left += pl * dx / 100;
        right += pr * dx / 100;
        top += pt * dy / 100;
        bottom += pb * dy / 100;
    } else {
        left -= info->hScroll;
        right -= info->hScroll;
        top -= info->vScroll;
        bottom -= info->vScroll;
        if (dx >= 0) left += pl * dx / 100, right += pr * dx / 100;
        if (dy >= 0) top += pt * dy / 100, bottom += pb * dy / 100;
    }
    // Too small: out of sight on the left or top.
    if (left + rec->minSize.cx >= right) {
        right = -10;
        left = -10 - (int64_t)rec->minSize.cx;
    }
    if (top + rec->minSize.cy >= bottom) {
        bottom = -10;
        top = -10 - (int64_t)rec->minSize.cy;
    }
    rc = RECT{ClampCoord(left), ClampCoord(top), ClampCoord(right), ClampCoord(bottom)};
    return true;
}

bool LytDynamicLayout::SetControlRecord(HWND h, const LayoutRecord& rec, bool reposition)
{
    if (!LayoutValid() || !h || !IsWindow(h)) return false;
    m_controls[h] = rec;
    if (reposition) {
        LytDynamicLayoutInfo* info = BuildLayoutInfo();
        const bool atInit = info->change.cx == 0 && info->change.cy == 0 && info->hScroll == 0 && info->vScroll == 0;
        RECT cur, r;
        if (!atInit && NormalRect(h, cur) && ComputeControlRect(h, (UINT)GetDlgCtrlID(h), r, info) && !EqualRect(&cur, &r))
            SetWindowPos(h, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, kMoveFlags);
        delete info;
    }
    return true;
}

void LytDynamicLayout::DropControlRecord(HWND h)
{
    m_controls.erase(h);
    if (m_controls.empty()) m_controls = {};
}

void LytDynamicLayout::ArrangeControls()
{
    if (!LayoutValid()) return;
    LytDynamicLayoutInfo* info = BuildLayoutInfo();
    if (!info) return;
    const UINT flags = kMoveFlags | ((m_flags & CopyBits) ? 0u : (UINT)SWP_NOCOPYBITS);
    HDWP dwp = BeginDeferWindowPos((int)m_controls.size());
    for (HWND c = ::GetWindow(m_pLayoutWnd->m_hWnd, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        RECT cur, r;
        if (!NormalRect(c, cur)) continue;
        if (!ComputeControlRect(c, (UINT)GetDlgCtrlID(c), r, info) || EqualRect(&cur, &r)) continue;
        if (dwp) {
            HDWP next = DeferWindowPos(dwp, c, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, flags);
            if (next) {
                dwp = next;
                continue;
            }
            dwp = nullptr;
        }
        SetWindowPos(c, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, flags);
    }
    if (dwp) EndDeferWindowPos(dwp);
    delete info;
}

int LytDynamicLayout::AddChildRecords(const signed char pct[4], bool overwrite, bool relayout)
{
    if (!LayoutValid()) return 0;
    int added = 0;
    for (HWND c = ::GetWindow(m_pLayoutWnd->m_hWnd, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
        if (!overwrite && FindRecord(c)) continue;
        LayoutRecord rec{};
        if (!NormalRect(c, rec.rc)) continue;
        for (int i = 0; i < 4; ++i) rec.pct[i] = pct[i];
        if (SetControlRecord(c, rec, false)) ++added;
    }
    if (added && relayout) ArrangeControls();
    return added;
}

void LytDynamicLayout::AttachWindow(CWnd* wnd)
{
    m_pLayoutWnd = wnd;
    m_nDisabled = 0;
    m_szInit = m_szMin = QueryClientSize();
    const int n = CountRecords();
    if (const LayoutTableEntry* e = GetLayoutTable()) {
        signed char pct[4] = {0, 0, 0, 0};
        for (; e->kind != 0; ++e) {
            LytEntryPercentages(*e, pct);
            if (e->id == 0) {
                AddChildRecords(pct, false, false);
                continue;
            }
            HWND item = GetDlgItem(wnd->m_hWnd, (int)e->id);
            if (!item) continue;
            LayoutRecord rec{};
            WINDOWPLACEMENT wp{};
            wp.length = sizeof wp;
            if (!GetWindowPlacement(item, &wp)) continue;
            rec.rc = wp.rcNormalPosition;
            for (int i = 0; i < 4; ++i) rec.pct[i] = pct[i];
            SetControlRecord(item, rec, false);
        }
    }
    if (m_flags & CreateGrip) {
        auto* grip = new LytSizeIconCtrl;
        if (grip->Create(wnd, m_nGripId)) {
            m_pSizeGrip = grip;
            LayoutRecord rec{};
            NormalRect(grip->m_hWnd, rec.rc);
            for (int i = 0; i < 4; ++i) rec.pct[i] = 100;
            SetControlRecord(grip->m_hWnd, rec, false);
            grip->ShowWindow(SW_SHOW);
        } else {
            delete grip;
        }
    }
    m_bStyleChanged = false;
    m_nTimerId = 0x7164;
    OnAttached();
    if (CountRecords() > n) ArrangeControls();
}

void LytDynamicLayout::DetachWindow()
{
    if (LayoutValid()) OnDetaching();
    if (m_pLayoutWnd && m_nTimerId && m_pLayoutWnd->m_hWnd) KillTimer(m_pLayoutWnd->m_hWnd, m_nTimerId);
    // Closed in the middle of a drag: the shared class gets its style back.
    if (m_bStyleChanged && m_pLayoutWnd && m_pLayoutWnd->m_hWnd)
        SetClassLongPtr(m_pLayoutWnd->m_hWnd, GCL_STYLE, (LONG_PTR)m_nSavedClassStyle);
    m_bStyleChanged = false;
    m_nDisabled = 1;
    m_pLayoutWnd = nullptr;
    m_controls = {};
    if (m_pSizeGrip) {
        if (m_pSizeGrip->m_hWnd) m_pSizeGrip->DestroyWindow();
        delete m_pSizeGrip;
        m_pSizeGrip = nullptr;
    }
}

void LytDynamicLayout::LayoutOnSize(UINT type)
{
    if (m_nDisabled == 0 && LayoutValid() && type != SIZE_MINIMIZED) ArrangeControls();
}

void LytDynamicLayout::LayoutOnGetMinMaxInfo(MINMAXINFO* mmi)
{
    if (!LayoutValid() || m_nDisabled > 0 || !mmi) return;
    SIZE frame{0, 0};
    if (!IsIconic(m_pLayoutWnd->m_hWnd)) {
        RECT w, c;
        ::GetWindowRect(m_pLayoutWnd->m_hWnd, &w);
        ::GetClientRect(m_pLayoutWnd->m_hWnd, &c);
        frame = SIZE{(w.right - w.left) - c.right, (w.bottom - w.top) - c.bottom};
    }
    mmi->ptMinTrackSize.x = m_szMin.cx + frame.cx;
    mmi->ptMinTrackSize.y = m_szMin.cy + frame.cy;
    if (m_axes & 1) {
        if (m_szMax.cx > 0) mmi->ptMaxTrackSize.x = m_szMax.cx + frame.cx;
    } else {
        mmi->ptMaxTrackSize.x = mmi->ptMinTrackSize.x;
    }
    if (m_axes & 2) {
        if (m_szMax.cy > 0) mmi->ptMaxTrackSize.y = m_szMax.cy + frame.cy;
    } else {
        mmi->ptMaxTrackSize.y = mmi->ptMinTrackSize.y;
    }
}

void LytDynamicLayout::AdjustClassRedraw(bool rightOrBottom)
{
    if (!LayoutValid()) return;
    HWND h = m_pLayoutWnd->m_hWnd;
    KillTimer(h, m_nTimerId);
    SetTimer(h, m_nTimerId, 120, nullptr);
    if (m_bStyleChanged) return;
    // The class is shared by every dialog: only the redraw bits change, and
    // the whole style is put back when the timer fires.
    m_nSavedClassStyle = (UINT)GetClassLongPtr(h, GCL_STYLE);
    const UINT redraw = CS_HREDRAW | CS_VREDRAW;
    const UINT style = rightOrBottom ? (m_nSavedClassStyle & ~redraw) : (m_nSavedClassStyle | redraw);
    SetClassLongPtr(h, GCL_STYLE, (LONG_PTR)style);
    m_bStyleChanged = true;
}

void LytDynamicLayout::LayoutOnSizing(UINT edge)
{
    if (!m_nTimerId || m_nDisabled > 0 || !LayoutValid() || !(m_flags & AdjustRedraw)) return;
    AdjustClassRedraw(edge == WMSZ_RIGHT || edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMRIGHT);
}

void LytDynamicLayout::LayoutOnTimer(UINT_PTR id)
{
    if (id != m_nTimerId || !m_nTimerId || !LayoutValid()) return;
    KillTimer(m_pLayoutWnd->m_hWnd, m_nTimerId);
    if (m_bStyleChanged) SetClassLongPtr(m_pLayoutWnd->m_hWnd, GCL_STYLE, (LONG_PTR)m_nSavedClassStyle);
    m_bStyleChanged = false;
}

void LytDynamicLayout::LayoutOnParentNotify(WPARAM wParam, LPARAM lParam)
{
    if (LOWORD(wParam) == WM_DESTROY && lParam) DropControlRecord((HWND)lParam);
}
