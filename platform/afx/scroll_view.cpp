// CScrollView over the window scroll bars.
#include "platform/afx/scroll_view.h"

#include <algorithm>
#include <vector>

IMPLEMENT_DYNAMIC(CScrollView, CView)

BEGIN_MESSAGE_MAP(CScrollView, CView)
    ON_WM_SIZE()
    ON_WM_HSCROLL()
    ON_WM_VSCROLL()
    ON_WM_MOUSEWHEEL()
END_MESSAGE_MAP()

void CScrollView::SetScrollSizes(int mapMode, SIZE total, SIZE page, SIZE line)
{
    m_nMapMode = mapMode;
    m_total = total;
    m_page = page;
    m_line = line;
    UpdateBars();
}

namespace {
// Views whose bars are being set on this thread: showing a bar resizes the
// client area, and the size message that follows is served by the loop below.
thread_local std::vector<HWND> t_updatingBars;
}  // namespace

void CScrollView::UpdateBars()
{
    if (!m_hWnd || std::find(t_updatingBars.begin(), t_updatingBars.end(), m_hWnd) != t_updatingBars.end()) return;
    const HWND self = m_hWnd;
    t_updatingBars.push_back(self);
    // Each bar's page is the client size left once both bars are settled
    // (one bar appearing may call for the other): again until nothing moves.
    for (int pass = 0; pass < 3 && m_hWnd; ++pass) {
        RECT before;
        GetClientRect(&before);
        SetBars();
        RECT after;
        GetClientRect(&after);
        if (EqualRect(&before, &after)) break;
    }
    t_updatingBars.erase(std::find(t_updatingBars.begin(), t_updatingBars.end(), self));
}

void CScrollView::SetBars()
{
    for (int bar : {SB_HORZ, SB_VERT}) {
        RECT rc;
        GetClientRect(&rc);
        int total = bar == SB_HORZ ? m_total.cx : m_total.cy;
        int client = bar == SB_HORZ ? rc.right - rc.left : rc.bottom - rc.top;
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        si.nMin = 0;
        si.nMax = total > 0 ? total - 1 : 0;
        si.nPage = (UINT)std::max(client, 0);
        LONG& pos = bar == SB_HORZ ? m_pos.x : m_pos.y;
        pos = std::clamp<LONG>(pos, 0, std::max(0, total - client));
        si.nPos = pos;
        SetScrollInfo(m_hWnd, bar, &si, TRUE);
    }
}

void CScrollView::ScrollToPosition(POINT pt)
{
    RECT rc;
    GetClientRect(&rc);
    pt.x = std::clamp<LONG>(pt.x, 0, std::max<LONG>(0, m_total.cx - rc.right));
    pt.y = std::clamp<LONG>(pt.y, 0, std::max<LONG>(0, m_total.cy - rc.bottom));
    if (pt.x == m_pos.x && pt.y == m_pos.y) return;
    m_pos = pt;
    SetScrollPos(m_hWnd, SB_HORZ, pt.x, TRUE);
    SetScrollPos(m_hWnd, SB_VERT, pt.y, TRUE);
    Invalidate(TRUE);
}

void CScrollView::OnPrepareDC(CDC* dc, CPrintInfo* info)
{
    CView::OnPrepareDC(dc, info);
    if (!dc->IsPrinting()) SetViewportOrgEx(dc->m_hDC, -m_pos.x, -m_pos.y, nullptr);
}

void CScrollView::OnSize(UINT, int, int) { UpdateBars(); }

int CScrollView::NewPos(int bar, UINT code)
{
    RECT rc;
    GetClientRect(&rc);
    int client = bar == SB_HORZ ? rc.right : rc.bottom;
    int page = bar == SB_HORZ ? m_page.cx : m_page.cy;
    int line = bar == SB_HORZ ? m_line.cx : m_line.cy;
    if (page <= 0) page = std::max(client * 9 / 10, 1);
    if (line <= 0) line = std::max(page / 10, 1);
    int pos = bar == SB_HORZ ? m_pos.x : m_pos.y;
    int total = bar == SB_HORZ ? m_total.cx : m_total.cy;
    switch (code) {
    case SB_LINEUP: return pos - line;
    case SB_LINEDOWN: return pos + line;
    case SB_PAGEUP: return pos - page;
    case SB_PAGEDOWN: return pos + page;
    case SB_TOP: return 0;
    case SB_BOTTOM: return total;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        // The 32-bit track position, not the 16-bit one in the message.
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_TRACKPOS;
        GetScrollInfo(m_hWnd, bar, &si);
        return si.nTrackPos;
    }
    default: return pos;
    }
}

void CScrollView::OnHScroll(UINT code, UINT, HWND) { ScrollToPosition(POINT{NewPos(SB_HORZ, code), m_pos.y}); }

void CScrollView::OnVScroll(UINT code, UINT, HWND) { ScrollToPosition(POINT{m_pos.x, NewPos(SB_VERT, code)}); }

BOOL CScrollView::OnMouseWheel(UINT, short delta, POINT)
{
    int line = m_line.cy > 0 ? m_line.cy : 16;
    ScrollToPosition(POINT{m_pos.x, m_pos.y - delta / WHEEL_DELTA * 3 * line});
    return TRUE;
}
