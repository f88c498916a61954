// The grid's geometry, painting and scrolling.
#include <algorithm>

#include "platform/user/user.h"
#include "ui_controls/grid/grid_ctrl.h"

namespace {

// Double buffer over the target's clip box; a printer target is drawn on directly.
class CDataGridMemDC : public CDC {
public:
    explicit CDataGridMemDC(CDC* target) : m_target(target)
    {
        if (target->IsPrinting()) {
            m_hDC = m_hAttribDC = target->m_hDC;
            m_bPrinting = TRUE;
            m_direct = true;
            return;
        }
        GetClipBox(target->m_hDC, &m_clip);
        int w = m_clip.right - m_clip.left, h = m_clip.bottom - m_clip.top;
        HDC mem = w > 0 && h > 0 ? CreateCompatibleDC(target->m_hDC) : nullptr;
        m_bitmap = mem ? CreateCompatibleBitmap(target->m_hDC, w, h) : nullptr;
        if (!m_bitmap) {
            if (mem) DeleteDC(mem);
            m_hDC = m_hAttribDC = target->m_hDC;
            m_direct = true;
            return;
        }
        m_hDC = m_hAttribDC = mem;
        m_old = SelectObject(mem, m_bitmap);
        SetWindowOrgEx(mem, m_clip.left, m_clip.top, nullptr);
        HBRUSH b = CreateSolidBrush(GetBkColor(target->m_hDC));
        FillRect(mem, &m_clip, b);
        DeleteObject(b);
    }
    ~CDataGridMemDC()
    {
        if (m_direct) {
            m_hDC = m_hAttribDC = nullptr;
            return;
        }
        BitBlt(m_target->m_hDC, m_clip.left, m_clip.top, m_clip.right - m_clip.left, m_clip.bottom - m_clip.top, m_hDC,
               m_clip.left, m_clip.top, SRCCOPY);
        SelectObject(m_hDC, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_hDC);
        m_hDC = m_hAttribDC = nullptr;
    }

private:
    CDC* m_target;
    RECT m_clip{0, 0, 0, 0};
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_old = nullptr;
    bool m_direct = false;
};

void Fill(HDC dc, int l, int t, int r, int b, HBRUSH brush)
{
    RECT rc{l, t, r, b};
    FillRect(dc, &rc, brush);
}

}  // namespace

// ---------------------------------------------------------------- geometry

CDataGridCellPos CDataGridCtrl::GetTopLeftScrollCell(BOOL force)
{
    if (!force && m_topLeftCache.row >= 0 && m_topLeftCache.col >= 0) return m_topLeftCache;
    int v = GetScrollPosition(SB_VERT), h = GetScrollPosition(SB_HORZ);
    CDataGridCellPos p(m_fixedRowCount, m_fixedColumnCount);
    long x = 0;
    while (x < h && p.col < m_columnCount - 1) x += m_columnWidths[p.col++];
    long y = 0;
    while (y < v && p.row < m_rowCount - 1) y += m_rowHeights[p.row++];
    m_topLeftCache = p;
    return p;
}

CDataGridCellRange CDataGridCtrl::GetVisibleScrollRange(RECT* out)
{
    RECT client{0, 0, 0, 0};
    if (m_hWnd) GetClientRect(&client);
    CDataGridCellPos tl = GetTopLeftScrollCell();
    int y = GetFixedRowHeight();
    int row = tl.row;
    int lastRow = tl.row;
    // With no scrollable rows the top-left row lies past the end: nothing is walked.
    for (; row < m_rowCount; row++) {
        lastRow = row;
        y += (int)m_rowHeights[row];
        if (y >= client.bottom) {
            y = client.bottom;
            break;
        }
    }
    int x = GetFixedColumnWidth();
    int col = tl.col;
    int lastCol = tl.col;
    for (; col < m_columnCount; col++) {
        lastCol = col;
        x += (int)m_columnWidths[col];
        if (x >= client.right) {
            x = client.right;
            break;
        }
    }
    if (out) *out = RECT{0, 0, x, y};
    return CDataGridCellRange(tl.row, tl.col, std::min(lastRow, m_rowCount - 1), std::min(lastCol, m_columnCount - 1));
}

BOOL CDataGridCtrl::GetCellTopLeft(int row, int col, POINT* p)
{
    if (!IsValid(row, col)) return FALSE;
    CDataGridCellPos tl = GetTopLeftScrollCell();
    if (row >= m_fixedRowCount && row < tl.row) return FALSE;
    if (col >= m_fixedColumnCount && col < tl.col) return FALSE;
    long x = 0, y = 0;
    if (col < m_fixedColumnCount) {
        for (int c = 0; c < col; c++) x += m_columnWidths[c];
    } else {
        x = GetFixedColumnWidth();
        for (int c = tl.col; c < col; c++) x += m_columnWidths[c];
    }
    if (row < m_fixedRowCount) {
        for (int r = 0; r < row; r++) y += m_rowHeights[r];
    } else {
        y = GetFixedRowHeight();
        for (int r = tl.row; r < row; r++) y += m_rowHeights[r];
    }
    p->x = (int)std::min<long>(x, 0x3FFFFFFF);
    p->y = (int)std::min<long>(y, 0x3FFFFFFF);
    return TRUE;
}

BOOL CDataGridCtrl::GetCellRect(int row, int col, RECT* r)
{
    POINT p;
    if (!GetCellTopLeft(row, col, &p)) return FALSE;
    r->left = p.x;
    r->top = p.y;
    r->right = p.x + (int)m_columnWidths[col] - 1;
    r->bottom = p.y + (int)m_rowHeights[row] - 1;
    return TRUE;
}

CDataGridCellPos CDataGridCtrl::CellFromPoint(POINT pt, BOOL allowFixed)
{
    CDataGridCellPos tl = GetTopLeftScrollCell();
    if (!allowFixed && !IsValid(tl)) return CDataGridCellPos();
    CDataGridCellPos out;
    int fw = GetFixedColumnWidth(), fh = GetFixedRowHeight();
    if (pt.x < 0) {
        out.col = -1;
    } else if (allowFixed && pt.x < fw) {
        long x = 0;
        for (int c = 0; c < m_fixedColumnCount; c++) {
            x += m_columnWidths[c];
            if (x > pt.x) {
                out.col = c;
                break;
            }
        }
    } else if (pt.x >= fw) {
        long x = fw;
        for (int c = tl.col; c >= 0 && c < m_columnCount; c++) {
            x += m_columnWidths[c];
            if (x > pt.x) {
                out.col = c;
                break;
            }
        }
    }
    if (pt.y < 0) {
        out.row = -1;
    } else if (allowFixed && pt.y < fh) {
        long y = 0;
        for (int r = 0; r < m_fixedRowCount; r++) {
            y += m_rowHeights[r];
            if (y > pt.y) {
                out.row = r;
                break;
            }
        }
    } else if (pt.y >= fh) {
        long y = fh;
        for (int r = tl.row; r >= 0 && r < m_rowCount; r++) {
            y += m_rowHeights[r];
            if (y > pt.y) {
                out.row = r;
                break;
            }
        }
    }
    return out;
}

BOOL CDataGridCtrl::IsOverRowBorder(POINT p)
{
    if (p.x >= GetFixedColumnWidth()) return FALSE;
    CDataGridCellPos c = CellFromPoint(p);
    POINT o;
    if (!IsValid(c) || !GetCellTopLeft(c.row, c.col, &o)) return FALSE;
    if (p.y - o.y < m_borderTolerance && c.row != 0) return TRUE;
    return o.y + (int)m_rowHeights[c.row] - p.y < m_borderTolerance;
}

BOOL CDataGridCtrl::IsOverColumnBorder(POINT p)
{
    if (p.y >= GetFixedRowHeight()) return FALSE;
    CDataGridCellPos c = CellFromPoint(p);
    POINT o;
    if (!IsValid(c) || !GetCellTopLeft(c.row, c.col, &o)) return FALSE;
    if (p.x - o.x < m_borderTolerance && c.col != 0) return TRUE;
    return o.x + (int)m_columnWidths[c.col] - p.x < m_borderTolerance;
}

// ---------------------------------------------------------------- scroll bars

int CDataGridCtrl::GetScrollPosition(int bar, BOOL track) const
{
    if (!m_hWnd) return 0;
    SCROLLINFO si{sizeof si, track ? SIF_TRACKPOS : SIF_POS, 0, 0, 0, 0, 0};
    if (!GetScrollInfo(m_hWnd, bar, &si)) return 0;
    return track ? si.nTrackPos : si.nPos;
}

int CDataGridCtrl::SetScrollPosition(int bar, int pos, BOOL redraw)
{
    m_topLeftCache.row = -1;
    if (!m_hWnd) return 0;
    SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, pos, 0};
    return SetScrollInfo(m_hWnd, bar, &si, redraw);
}

void CDataGridCtrl::ShowScrollBars(int bar, BOOL show)
{
    if (!m_hWnd) return;
    if (bar == SB_HORZ || bar == SB_BOTH) {
        if (((m_scrollBarsShown & 1) != 0) != (show != 0)) {
            ShowScrollBar(m_hWnd, SB_HORZ, show);
            m_scrollBarsShown = show ? (m_scrollBarsShown | 1) : (m_scrollBarsShown & ~1);
        }
    }
    if (bar == SB_VERT || bar == SB_BOTH) {
        if (((m_scrollBarsShown & 2) != 0) != (show != 0)) {
            ShowScrollBar(m_hWnd, SB_VERT, show);
            m_scrollBarsShown = show ? (m_scrollBarsShown | 2) : (m_scrollBarsShown & ~2);
        }
    }
}

void CDataGridCtrl::UpdateScrollBars()
{
    m_topLeftCache = CDataGridCellPos();
    if (!m_drawingEnabled || !m_hWnd || !IsWindow(m_hWnd)) return;
    RECT rc;
    GetClientRect(&rc);
    if (rc.right <= rc.left || rc.bottom <= rc.top) return;
    // The client area as if no bar were shown: what the bars really take.
    DWORD style = GetStyle();
    m_scrollBarsShown = ((style & WS_HSCROLL) ? 1 : 0) | ((style & WS_VSCROLL) ? 2 : 0);
    if (style & WS_VSCROLL) rc.right += GetSystemMetrics(SM_CXVSCROLL);
    if (style & WS_HSCROLL) rc.bottom += GetSystemMetrics(SM_CYHSCROLL);
    int fw = GetFixedColumnWidth(), fh = GetFixedRowHeight();
    if (rc.right - fw <= 0 || rc.bottom - fh <= 0) {
        ShowScrollBar(m_hWnd, SB_BOTH, FALSE);
        return;
    }
    long H = GetTotalHeight() - fh, W = GetTotalWidth() - fw;
    int right = rc.bottom - fh < H ? rc.right - GetSystemMetrics(SM_CXVSCROLL) : rc.right;
    long VW = right - fw;
    int bottom = VW < W ? rc.bottom - GetSystemMetrics(SM_CYHSCROLL) : rc.bottom;
    long VH = bottom - fh;
    if (VH >= H) {
        ShowScrollBars(SB_VERT, FALSE);
        m_maxScrollY = 0;
    } else {
        ShowScrollBars(SB_VERT, TRUE);
        m_maxScrollY = (int)std::min<long>(H - 1, 0x7FFFFFFF);
    }
    if (VW >= W) {
        ShowScrollBars(SB_HORZ, FALSE);
        m_maxScrollX = 0;
    } else {
        ShowScrollBars(SB_HORZ, TRUE);
        m_maxScrollX = (int)std::min<long>(W - 1, 0x7FFFFFFF);
    }
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, 0, m_maxScrollX, m_maxScrollX ? (UINT)VW : 0u, 0, 0};
    SetScrollInfo(m_hWnd, SB_HORZ, &si, TRUE);
    // No SIF_DISABLENOSCROLL: a disabled bar would take width the layout gave to the cells.
    si = SCROLLINFO{sizeof si, SIF_RANGE | SIF_PAGE, 0, m_maxScrollY, m_maxScrollY ? (UINT)VH : 0u, 0, 0};
    SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
    m_topLeftCache = CDataGridCellPos();
}

void CDataGridCtrl::OnHScroll(UINT code, UINT, HWND)
{
    FinishFocusEdit();
    int p = GetScrollPosition(SB_HORZ);
    CDataGridCellPos tl = GetTopLeftScrollCell();
    RECT rc;
    GetClientRect(&rc);
    int fw = GetFixedColumnWidth();
    RECT scrollArea{fw, rc.top, rc.right, rc.bottom};
    switch (code) {
    case SB_LINELEFT:
        if (p > 0 && tl.col > m_fixedColumnCount) {
            int c = tl.col - 1;
            while (c > m_fixedColumnCount && m_columnWidths[c] == 0) c--;
            SetScrollPosition(SB_HORZ, std::max(p - (int)m_columnWidths[c], 0));
            InvalidateRect(m_hWnd, &scrollArea, FALSE);
        }
        break;
    case SB_LINERIGHT:
        if (p < m_maxScrollX && tl.col >= 0 && tl.col < m_columnCount) {
            int c = tl.col;
            while (c < m_columnCount - 1 && m_columnWidths[c] == 0) c++;
            SetScrollPosition(SB_HORZ, p + (int)m_columnWidths[c]);
            if (GetScrollPosition(SB_HORZ) != p) InvalidateRect(m_hWnd, &scrollArea, FALSE);
        }
        break;
    case SB_PAGELEFT:
        if (p > 0) {
            SetScrollPosition(SB_HORZ, std::max(p - (rc.right - fw), 0));
            InvalidateRect(m_hWnd, &scrollArea, FALSE);
        }
        break;
    case SB_PAGERIGHT:
        if (p < m_maxScrollX) {
            SetScrollPosition(SB_HORZ, std::min(p + (rc.right - fw), m_maxScrollX));
            InvalidateRect(m_hWnd, &scrollArea, FALSE);
        }
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        SetScrollPosition(SB_HORZ, GetScrollPosition(SB_HORZ, TRUE));
        m_topLeftCache.row = -1;
        if (GetTopLeftScrollCell() != tl) InvalidateRect(m_hWnd, &scrollArea, FALSE);
        break;
    }
    case SB_LEFT:
        if (p > 0) {
            SetScrollPosition(SB_HORZ, 0);
            Invalidate();
        }
        break;
    case SB_RIGHT:
        if (p < m_maxScrollX) {
            SetScrollPosition(SB_HORZ, m_maxScrollX);
            Invalidate();
        }
        break;
    default:
        break;
    }
}

void CDataGridCtrl::OnVScroll(UINT code, UINT, HWND)
{
    FinishFocusEdit();
    int p = GetScrollPosition(SB_VERT);
    CDataGridCellPos tl = GetTopLeftScrollCell();
    RECT rc;
    GetClientRect(&rc);
    int fh = GetFixedRowHeight();
    RECT scrollArea{rc.left, fh, rc.right, rc.bottom};
    switch (code) {
    case SB_LINEUP:
        if (p > 0 && tl.row > m_fixedRowCount) {
            int r = tl.row - 1;
            while (r > m_fixedRowCount && m_rowHeights[r] == 0) r--;
            SetScrollPosition(SB_VERT, std::max(p - (int)m_rowHeights[r], 0));
            InvalidateRect(m_hWnd, &scrollArea, FALSE);
        }
        break;
    case SB_LINEDOWN:
        if (p < m_maxScrollY && tl.row >= 0 && tl.row < m_rowCount) {
            int r = tl.row;
            while (r < m_rowCount - 1 && m_rowHeights[r] == 0) r++;
            SetScrollPosition(SB_VERT, p + (int)m_rowHeights[r]);
            if (GetScrollPosition(SB_VERT) != p) InvalidateRect(m_hWnd, &scrollArea, FALSE);
        }
        break;
    case SB_PAGEUP:
        if (p > 0) {
            SetScrollPosition(SB_VERT, std::max(p - (rc.bottom - fh), 0));
            InvalidateRect(m_hWnd, &scrollArea, FALSE);
        }
        break;
    case SB_PAGEDOWN:
        if (p < m_maxScrollY) {
            SetScrollPosition(SB_VERT, std::min(p + (rc.bottom - fh), m_maxScrollY));
            InvalidateRect(m_hWnd, &scrollArea, FALSE);
        }
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        SetScrollPosition(SB_VERT, GetScrollPosition(SB_VERT, TRUE));
        m_topLeftCache.row = -1;
        if (GetTopLeftScrollCell() != tl) InvalidateRect(m_hWnd, &scrollArea, FALSE);
        break;
    }
    case SB_TOP:
        if (p > 0) {
            SetScrollPosition(SB_VERT, 0);
            Invalidate();
        }
        break;
    case SB_BOTTOM:
        if (p < m_maxScrollY) {
            SetScrollPosition(SB_VERT, m_maxScrollY);
            Invalidate();
        }
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------- painting

BOOL CDataGridCtrl::OnEraseBkgnd(HDC) { return TRUE; }

void CDataGridCtrl::OnPaint()
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(m_hWnd, &ps);
    if (!hdc) return;
    {
        CDC dc(hdc);
        if (m_paintOffscreen) {
            CDataGridMemDC mem(&dc);
            OnDraw(&mem);
        } else {
            OnDraw(&dc);
        }
        dc.Detach();
    }
    EndPaint(m_hWnd, &ps);
}

void CDataGridCtrl::PaintBackground(CDC* pdc)
{
    HDC dc = pdc->m_hDC;
    RECT k;
    if (GetClipBox(dc, &k) == ERROR) return;
    RECT v;
    GetVisibleScrollRange(&v);
    int fw = GetFixedColumnWidth(), fh = GetFixedRowHeight();
    HBRUSH corner = CreateSolidBrush(m_defaultCornerCell.GetBackColor());
    HBRUSH fixedRow = CreateSolidBrush(m_defaultFixedRowCell.GetBackColor());
    HBRUSH fixedCol = CreateSolidBrush(m_defaultFixedColumnCell.GetBackColor());
    HBRUSH cells = CreateSolidBrush(m_defaultCell.GetBackColor());
    HBRUSH empty = CreateSolidBrush(m_emptyAreaColor);
    if (k.left < fw && k.top < fh) Fill(dc, k.left, k.top, fw, fh, corner);
    if (k.left < fw && k.top < v.bottom) Fill(dc, k.left, k.top, fw, v.bottom, fixedCol);
    if (k.top < fh && k.right > fw && k.left < v.right) Fill(dc, fw - 1, k.top, v.right, fh, fixedRow);
    RECT c{std::max<int>(std::max(v.left, k.left), fw), std::max<int>(std::max(v.top, k.top), fh), std::min(v.right, k.right),
           std::min(v.bottom, k.bottom)};
    if (c.left < c.right && c.top < c.bottom) FillRect(dc, &c, cells);
    if (v.right < k.right) Fill(dc, v.right, k.top, k.right, k.bottom, empty);
    if (v.bottom < k.bottom && k.left < v.right) Fill(dc, k.left, v.bottom, v.right, k.bottom, empty);
    for (HBRUSH b : {corner, fixedRow, fixedCol, cells, empty}) DeleteObject(b);
}

void CDataGridCtrl::OnDraw(CDC* pdc)
{
    if (!m_drawingEnabled) return;
    HDC dc = pdc->m_hDC;
    RECT clip;
    if (GetClipBox(dc, &clip) == ERROR || clip.right <= clip.left || clip.bottom <= clip.top) return;
    PaintBackground(pdc);
    int fh = GetFixedRowHeight(), fw = GetFixedColumnWidth();
    RECT visRect;
    CDataGridCellRange vis = GetVisibleScrollRange(&visRect);
    bool anyRows = vis.minRow >= 0 && vis.minRow < m_rowCount;
    bool anyCols = vis.minCol >= 0 && vis.minCol < m_columnCount;
    if (m_virtualMode) SendCacheHint(CDataGridCellRange(vis.minRow, vis.minCol, vis.maxRow, vis.maxCol));

    auto drawCell = [&](int row, int col, const RECT& r) {
        if (CDataGridCellBase* cell = GetCell(row, col)) {
            cell->SetLocation(row, col);
            cell->Draw(pdc, row, col, r, FALSE);
        }
    };
    // Runs of rows and columns, skipping hidden ones; `clipped` stops past the clip box.
    auto walk = [&](int r0, int r1, int y0, int c0, int c1, int x0, bool clipped) {
        int y = y0;
        for (int row = r0; row <= r1 && row < m_rowCount; row++) {
            int h = (int)m_rowHeights[row];
            if (h == 0) continue;
            RECT r;
            r.top = y;
            r.bottom = y + h - 1;
            y += h;
            if (clipped && r.top > clip.bottom) break;
            if (clipped && r.bottom < clip.top) continue;
            int x = x0;
            for (int col = c0; col <= c1 && col < m_columnCount; col++) {
                int w = (int)m_columnWidths[col];
                if (w == 0) continue;
                r.left = x;
                r.right = x + w - 1;
                x += w;
                if (clipped && r.left > clip.right) break;
                if (clipped && r.right < clip.left) continue;
                drawCell(row, col, r);
            }
        }
    };
    walk(0, m_fixedRowCount - 1, 0, 0, m_fixedColumnCount - 1, 0, false);
    if (anyRows) walk(vis.minRow, vis.maxRow, fh, 0, m_fixedColumnCount - 1, 0, true);
    if (anyCols) walk(0, m_fixedRowCount - 1, 0, vis.minCol, vis.maxCol, fw, true);
    if (anyRows && anyCols) walk(vis.minRow, vis.maxRow, fh, vis.minCol, vis.maxCol, fw, true);

    HPEN pen = CreatePen(PS_SOLID, 0, m_lineColor);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    if ((m_linesShown == 2 || m_linesShown == 3) && anyCols) {
        int x = fw;
        for (int col = vis.minCol; col <= vis.maxCol; col++) {
            if (m_columnWidths[col] == 0) continue;
            x += (int)m_columnWidths[col];
            MoveToEx(dc, x - 1, fh, nullptr);
            LineTo(dc, x - 1, visRect.bottom);
        }
    }
    if ((m_linesShown == 1 || m_linesShown == 3) && anyRows) {
        int y = fh;
        for (int row = vis.minRow; row <= vis.maxRow; row++) {
            if (m_rowHeights[row] == 0) continue;
            y += (int)m_rowHeights[row];
            MoveToEx(dc, fw, y - 1, nullptr);
            LineTo(dc, visRect.right, y - 1);
        }
    }
    SelectObject(dc, GetStockObject(NULL_PEN));
    DeleteObject(pen);
    (void)oldPen;
    if (m_virtualMode) SendCacheHint();
}

BOOL CDataGridCtrl::RepaintCell(int row, int col, CDC* pdc)
{
    if (!m_drawingEnabled || !m_hWnd || !IsValid(row, col)) return FALSE;
    RECT r;
    if (!IsCellVisible(row, col) || !GetCellRect(row, col, &r)) return FALSE;
    if (m_rowHeights[row] == 0 || m_columnWidths[col] == 0) return FALSE;
    CDataGridCellBase* cell = GetCell(row, col);
    if (!cell) return FALSE;
    HDC own = nullptr;
    CDC local;
    if (!pdc) {
        own = GetDC(m_hWnd);
        if (!own) {
            RECT inv = r;
            inv.right++;
            inv.bottom++;
            InvalidateRect(m_hWnd, &inv, TRUE);
            return TRUE;
        }
        local.Attach(own);
        pdc = &local;
    }
    cell->SetLocation(row, col);
    cell->Draw(pdc, row, col, r, TRUE);
    if (row >= m_fixedRowCount && col >= m_fixedColumnCount) {
        HDC dc = pdc->m_hDC;
        HPEN pen = CreatePen(PS_SOLID, 0, m_lineColor);
        HGDIOBJ old = SelectObject(dc, pen);
        if (m_linesShown == 1 || m_linesShown == 3) {
            MoveToEx(dc, r.left, r.bottom, nullptr);
            LineTo(dc, r.right + 1, r.bottom);
        }
        if (m_linesShown == 2 || m_linesShown == 3) {
            MoveToEx(dc, r.right, r.top, nullptr);
            LineTo(dc, r.right, r.bottom + 1);
        }
        SelectObject(dc, old);
        DeleteObject(pen);
    }
    if (own) {
        local.Detach();
        ReleaseDC(m_hWnd, own);
    }
    return TRUE;
}
