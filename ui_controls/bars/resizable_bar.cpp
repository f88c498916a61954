// The sizing bar: non-client layout and hit test, edge dragging, row fitting
// and the sizes in the settings file.
#include "ui_controls/bars/resizable_bar.h"

#include <algorithm>
#include <cstdio>

#include "platform/afx/win_app.h"

IMPLEMENT_DYNAMIC(CResizableBar, CControlBar)

namespace {
bool IsEdgeCode(UINT ht) { return ht == HTLEFT || ht == HTRIGHT || ht == HTTOP || ht == HTBOTTOM; }
int Len(SIZE s, bool horz) { return horz ? s.cx : s.cy; }
int& LenRef(SIZE& s, bool horz) { return horz ? s.cx : s.cy; }
int& ThickRef(SIZE& s, bool horz) { return horz ? s.cy : s.cx; }
SIZE Raised(SIZE s, SIZE min) { return SIZE{std::max(s.cx, min.cx), std::max(s.cy, min.cy)}; }
}  // namespace

CResizableBar::CResizableBar() = default;

BOOL CResizableBar::Create(const char* title, CWnd* parent, SIZE defaultSize, BOOL, UINT id, DWORD style)
{
    m_szHorz = m_szVert = m_szFloat = defaultSize;
    return Create(title, parent, id, style);
}

BOOL CResizableBar::Create(const char* title, CWnd* parent, UINT id, DWORD style)
{
    // The frame's dock bars ask sizing bars for their docked size with length -1.
    return CreateBar(title, style | CBRS_SIZE_DYNAMIC, parent, id);
}

bool CResizableBar::IsFloatingBar() const { return !m_pDockBar || m_pDockBar->m_bFloating; }

bool CResizableBar::IsHorzDocked() const
{
    if (IsFloatingBar()) return false;
    const UINT id = (UINT)m_pDockBar->GetDlgCtrlID();
    return id == AFX_IDW_DOCKBAR_TOP || id == AFX_IDW_DOCKBAR_BOTTOM;
}

bool CResizableBar::IsVertDocked() const { return !IsFloatingBar() && !IsHorzDocked(); }

// --- sizes in the settings file -------------------------------------------------------

namespace {
std::string SizeSection(const char* profile, int id)
{
    char buf[256];
    snprintf(buf, sizeof buf, "%s-SCBar-%d", profile ? profile : "", id);
    return buf;
}
const char* const kSizeNames[6] = {"sizeHorzCX", "sizeHorzCY", "sizeVertCX", "sizeVertCY", "sizeFloatCX", "sizeFloatCY"};
}  // namespace

void CResizableBar::LoadSizes(const char* profile)
{
    CWinApp* app = AfxGetApp();
    if (!app) return;
    const std::string section = SizeSection(profile, GetDlgCtrlID());
    int* values[6] = {&m_szHorz.cx, &m_szHorz.cy, &m_szVert.cx, &m_szVert.cy, &m_szFloat.cx, &m_szFloat.cy};
    const int mins[6] = {m_szMinHorz.cx, m_szMinHorz.cy, m_szMinVert.cx, m_szMinVert.cy, m_szMinFloat.cx, m_szMinFloat.cy};
    // A size from a damaged file is kept within the coordinate bound.
    for (int i = 0; i < 6; ++i)
        *values[i] = std::max(mins[i], ClampCoord((int)app->GetProfileInt(section.c_str(), kSizeNames[i], *values[i])));
}

void CResizableBar::SaveSizes(const char* profile)
{
    CWinApp* app = AfxGetApp();
    if (!app) return;
    const std::string section = SizeSection(profile, GetDlgCtrlID());
    const int values[6] = {m_szHorz.cx, m_szHorz.cy, m_szVert.cx, m_szVert.cy, m_szFloat.cx, m_szFloat.cy};
    for (int i = 0; i < 6; ++i) app->WriteProfileInt(section.c_str(), kSizeNames[i], values[i]);
}

void CResizableBar::SaveAllSizes(CFrameWnd* frame, const char* profile)
{
    if (!frame) return;
    for (CControlBar* b : frame->ControlBars())
        if (CResizableBar* s = DynamicDowncast<CResizableBar>(b)) s->SaveSizes(profile);
}

// --- non-client layout -------------------------------------------------------------------

void CResizableBar::ComputeClientArea(RECT& r, UINT dockBarId)
{
    const bool floating = dockBarId != AFX_IDW_DOCKBAR_TOP && dockBarId != AFX_IDW_DOCKBAR_LEFT &&
                          dockBarId != AFX_IDW_DOCKBAR_RIGHT && dockBarId != AFX_IDW_DOCKBAR_BOTTOM;
    r.left += 3;
    r.top += 5;
    r.right -= 3;
    r.bottom -= 3;
    if (!floating) {
        r.left += 2;
        r.right -= 2;
        r.bottom -= 2;
    }
    switch (dockBarId) {
    case AFX_IDW_DOCKBAR_TOP: m_dwSCBStyle |= SizableBottom; break;
    case AFX_IDW_DOCKBAR_LEFT: m_dwSCBStyle |= SizableRight; break;
    case AFX_IDW_DOCKBAR_RIGHT: m_dwSCBStyle |= SizableLeft; break;
    case AFX_IDW_DOCKBAR_BOTTOM: m_dwSCBStyle |= SizableTop; break;
    default: break;
    }
    if (m_dwSCBStyle & PaintEdges) {
        if (m_dwSCBStyle & SizableLeft) r.left += m_cxEdge;
        if (m_dwSCBStyle & SizableTop) r.top += m_cxEdge;
        if (m_dwSCBStyle & SizableRight) r.right -= m_cxEdge;
        if (m_dwSCBStyle & SizableBottom) r.bottom -= m_cxEdge;
    }
}

std::vector<CResizableBar*> CResizableBar::RowSizingBars(std::vector<CControlBar*>* all) const
{
    std::vector<CResizableBar*> out;
    if (!m_pDockBar) return out;
    int row = -1;
    if (m_pDockBar->FindBar(const_cast<CResizableBar*>(this), &row) < 0 || row < 0) return out;
    for (CControlBar* b : m_pDockBar->RowBars((size_t)row)) {
        if (!b->IsVisible()) continue;
        if (all) all->push_back(b);
        if (CResizableBar* s = DynamicDowncast<CResizableBar>(b)) out.push_back(s);
    }
    return out;
}

bool CResizableBar::GetEdgeRect(const RECT& w, UINT ht, RECT& e) const
{
    RECT r = w;
    if (m_dwSCBStyle & PaintEdges) {
        r.left += 1;
        r.top += 1;
        r.right -= 1;
        r.bottom -= 1;
    }
    const bool horz = IsHorzDocked();
    switch (ht) {
    case HTLEFT:
        if (!(m_dwSCBStyle & SizableLeft)) return false;
        e = RECT{r.left, r.top, r.left + m_cxEdge, r.bottom};
        if (horz) e.top += m_cxEdge, e.bottom -= m_cxEdge;
        return true;
    case HTRIGHT:
        if (!(m_dwSCBStyle & SizableRight)) return false;
        e = RECT{r.right - m_cxEdge, r.top, r.right, r.bottom};
        if (horz) e.top += m_cxEdge, e.bottom -= m_cxEdge;
        return true;
    case HTTOP:
        if (!(m_dwSCBStyle & SizableTop)) return false;
        e = RECT{r.left, r.top, r.right, r.top + m_cxEdge};
        if (!horz) e.left += m_cxEdge, e.right -= m_cxEdge;
        return true;
    case HTBOTTOM:
        if (!(m_dwSCBStyle & SizableBottom)) return false;
        e = RECT{r.left, r.bottom - m_cxEdge, r.right, r.bottom};
        if (!horz) e.left += m_cxEdge, e.right -= m_cxEdge;
        return true;
    default: return false;
    }
}

LRESULT CResizableBar::OnNcHitTest(POINT pt)
{
    if (IsFloatingBar()) return HTCLIENT;
    RECT w;
    GetWindowRect(&w);
    for (UINT ht : {(UINT)HTLEFT, (UINT)HTTOP, (UINT)HTRIGHT, (UINT)HTBOTTOM}) {
        RECT e;
        if (GetEdgeRect(w, ht, e) && PtInRect(&e, pt)) return ht;
    }
    return HTCLIENT;
}

void CResizableBar::DrawNcInto(HDC dc, const RECT& w)
{
    RECT all{0, 0, w.right - w.left, w.bottom - w.top};
    FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
    if (m_dwSCBStyle & PaintEdges) {
        for (UINT ht : {(UINT)HTLEFT, (UINT)HTTOP, (UINT)HTRIGHT, (UINT)HTBOTTOM}) {
            RECT e;
            if (!GetEdgeRect(all, ht, e)) continue;
            DrawEdge(dc, &e, BDR_RAISEDINNER, BF_RECT);
        }
    }
    RECT c;
    GetClientRect(&c);
    POINT o{0, 0};
    ClientToScreen(m_hWnd, &o);
    OffsetRect(&c, o.x - w.left, o.y - w.top);
    PaintGripperArea(dc, c);
}

void CResizableBar::OnNcPaintBar()
{
    RECT w;
    GetWindowRect(&w);
    const int cx = w.right - w.left, cy = w.bottom - w.top;
    if (cx <= 0 || cy <= 0) return;
    HDC wdc = GetWindowDC(m_hWnd);
    if (!wdc) return;
    HDC mem = CreateCompatibleDC(wdc);
    HBITMAP bmp = CreateCompatibleBitmap(wdc, cx, cy);
    HGDIOBJ old = SelectObject(mem, bmp);
    DrawNcInto(mem, w);
    RECT c;
    GetClientRect(&c);
    POINT o{0, 0};
    ClientToScreen(m_hWnd, &o);
    OffsetRect(&c, o.x - w.left, o.y - w.top);
    ExcludeClipRect(wdc, c.left, c.top, c.right, c.bottom);
    BitBlt(wdc, 0, 0, cx, cy, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(m_hWnd, wdc);
}

// --- layout -----------------------------------------------------------------------------

SIZE CResizableBar::CalcFixedLayout(BOOL stretch, BOOL horz)
{
    if (stretch) return horz ? SIZE{32767, m_szHorz.cy} : SIZE{m_szVert.cx, 32767};
    if (IsVisible() && !IsFloatingBar() && m_bParentSizing) {
        const bool h = IsHorzDocked();
        std::vector<CResizableBar*> row = RowSizingBars();
        if (!row.empty() && row.front() == this && FitRow(m_pDockBar->m_nAvailLength, h)) AlignRowBars();
    }
    m_bParentSizing = FALSE;
    return horz ? Raised(m_szHorz, m_szMinHorz) : Raised(m_szVert, m_szMinVert);
}

SIZE CResizableBar::CalcDynamicLayout(int length, DWORD mode)
{
    if (mode & (LM_HORZDOCK | LM_VERTDOCK)) {
        if (length == -1) m_bParentSizing = TRUE;
        return CalcFixedLayout(mode & LM_STRETCH, (mode & LM_HORZ) != 0);
    }
    // The dock context sizes a floating frame with a length per move and
    // commits the last; a length equal to the most recent width only asks.
    SIZE s = m_szFloat;
    if (length > 0 && ((mode & LM_LENGTHY) || length != m_nMRUWidth)) {
        if (mode & LM_LENGTHY)
            s.cy = length;
        else
            s.cx = length;
    }
    s = Raised(s, m_szMinFloat);
    if ((mode & LM_COMMIT) || !(mode & LM_MRUWIDTH)) m_szFloat = s;
    return s;
}

BOOL CResizableBar::FitRow(int avail, bool horz)
{
    if (!m_pDockBar) return FALSE;
    int rowIndex = -1;
    if (m_pDockBar->FindBar(this, &rowIndex) < 0) return FALSE;
    auto& rows = m_pDockBar->Rows();
    // Breaks row `rowIndex` before the visible bar `bar`.
    auto breakBefore = [&](CControlBar* bar) {
        auto& row = rows[(size_t)rowIndex];
        for (size_t i = 1; i < row.size(); ++i)
            if (row[i].bar == bar) {
                std::vector<CDockBar::Slot> rest(row.begin() + (ptrdiff_t)i, row.end());
                row.erase(row.begin() + (ptrdiff_t)i, row.end());
                rows.insert(rows.begin() + rowIndex + 1, rest);
                return;
            }
    };
    std::vector<CControlBar*> all;
    std::vector<CResizableBar*> sizing = RowSizingBars(&all);
    auto lengthOf = [&](CControlBar* b) {
        if (CResizableBar* s = DynamicDowncast<CResizableBar>(b)) return Len(s->DockedSize(horz), horz);
        return Len(b->CalcFixedLayout(FALSE, horz), horz);
    };
    // Overflow by minimums: the row breaks.
    const auto me = std::find(all.begin(), all.end(), static_cast<CControlBar*>(this)) - all.begin();
    int sum = 0;
    for (size_t i = 0; i < all.size(); ++i) {
        CResizableBar* s = DynamicDowncast<CResizableBar>(all[i]);
        sum += s ? Len(s->MinSize(horz), horz) : lengthOf(all[i]);
        if (sum <= avail) continue;
        if ((ptrdiff_t)i < me) {
            if (i + 1 < all.size()) breakBefore(all[i + 1]);
            m_pDockSite->DelayRecalcLayout();
            return FALSE;
        }
        if ((ptrdiff_t)i == me) {
            LenRef(DockedSize(horz), horz) = Len(MinSize(horz), horz);
            if (i + 1 < all.size()) breakBefore(all[i + 1]);
            return TRUE;
        }
        breakBefore(all[i]);
        all.resize(i);
        sizing = RowSizingBars();
        break;
    }
    int diff = avail;
    for (CControlBar* b : all) diff -= lengthOf(b);
    int thick = 0;
    for (CResizableBar* s : sizing) thick = std::max(thick, Len(s->DockedSize(horz), !horz));
    for (CResizableBar* s : sizing) ThickRef(s->DockedSize(horz), horz) = thick;
    if (sizing.size() == 1 && all.size() == 1) {
        int& l = LenRef(DockedSize(horz), horz);
        l = std::max(Len(MinSize(horz), horz), l + diff);
        m_bKeepSize = FALSE;
        return TRUE;
    }
    bool clearedOnce = false;
    while (diff != 0) {
        bool changed = false;
        for (CResizableBar* s : sizing) {
            if (diff == 0) break;
            if (s->m_bKeepSize) continue;
            int& l = LenRef(s->DockedSize(horz), horz);
            if (diff < 0) {
                if (l <= Len(s->MinSize(horz), horz)) continue;
                --l;
                ++diff;
            } else {
                ++l;
                --diff;
            }
            changed = true;
        }
        if (changed) continue;
        // Nothing could give a pixel: free the held bars once, then stop.
        bool anyHeld = false;
        for (CResizableBar* s : sizing) anyHeld |= s->m_bKeepSize != FALSE, s->m_bKeepSize = FALSE;
        if (anyHeld && !clearedOnce) {
            clearedOnce = true;
            continue;
        }
        if (diff < 0 && all.size() > 1) breakBefore(all.back());
        break;
    }
    return TRUE;
}

void CResizableBar::AlignRowBars()
{
    std::vector<CControlBar*> all;
    RowSizingBars(&all);
    const bool horz = IsHorzDocked();
    int pos = 0;
    bool moved = false;
    for (CControlBar* b : all) {
        if (b->m_nRowPos != pos) moved = true;
        b->m_nRowPos = pos;
        CResizableBar* s = DynamicDowncast<CResizableBar>(b);
        pos += s ? Len(s->DockedSize(horz), horz) : Len(b->CalcFixedLayout(FALSE, horz), horz);
    }
    if (moved && m_pDockSite) m_pDockSite->DelayRecalcLayout();
}

// --- edge dragging ------------------------------------------------------------------------

void CResizableBar::BeginEdgeDrag(UINT ht, POINT pt)
{
    if (!m_pDockSite) return;
    SetCapture(m_hWnd);
    if (!m_bDragShowContent) RedrawWindow(m_pDockSite->m_hWnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    m_htEdge = ht;
    m_bTracking = TRUE;
    const bool lr = ht == HTLEFT || ht == HTRIGHT;
    m_nTrackPosOld = m_nTrackStart = lr ? pt.x : pt.y;
    m_nTrackPosMin = m_nTrackPosMax = m_nTrackPosOld;
    const bool horz = IsHorzDocked();
    const bool across = horz == lr;
    std::vector<CResizableBar*> row = RowSizingBars();
    RECT w;
    GetWindowRect(&w);
    RECT strip{};
    GetEdgeRect(w, ht, strip);
    if (across) {
        const auto me = std::find(row.begin(), row.end(), this) - row.begin();
        const bool farEdge = ht == HTRIGHT || ht == HTBOTTOM;
        for (ptrdiff_t i = 0; i < (ptrdiff_t)row.size(); ++i) {
            const int spare = Len(row[(size_t)i]->DockedSize(horz), horz) - Len(row[(size_t)i]->MinSize(horz), horz);
            const bool near = i < me || (farEdge && i == me);
            if (near)
                m_nTrackPosMin -= std::max(0, spare);
            else
                m_nTrackPosMax += std::max(0, spare);
        }
    } else {
        RECT left;
        m_pDockSite->RepositionBars(&left, true);
        const int free = (horz ? left.bottom - left.top : left.right - left.left) - 2;
        int minThick = 0;
        for (CResizableBar* s : row) minThick = std::max(minThick, Len(s->MinSize(horz), !horz));
        const int spare = std::max(0, Len(DockedSize(horz), !horz) - minThick);
        if (ht == HTLEFT || ht == HTTOP) {
            m_nTrackPosMin = m_nTrackPosOld - std::max(0, free);
            m_nTrackPosMax = m_nTrackPosOld + spare;
        } else {
            m_nTrackPosMin = m_nTrackPosOld - spare;
            m_nTrackPosMax = m_nTrackPosOld + std::max(0, free);
        }
        // The tracker spans the whole row.
        for (CResizableBar* s : row) {
            RECT o;
            s->GetWindowRect(&o);
            if (horz) {
                strip.left = std::min(strip.left, o.left);
                strip.right = std::max(strip.right, o.right);
            } else {
                strip.top = std::min(strip.top, o.top);
                strip.bottom = std::max(strip.bottom, o.bottom);
            }
        }
    }
    m_rcTrackStrip = strip;
    m_bTrackerShown = false;
    InvertDragTracker();
}

void CResizableBar::UpdateEdgeDrag(POINT pt)
{
    if (!m_bTracking) return;
    const bool lr = m_htEdge == HTLEFT || m_htEdge == HTRIGHT;
    const int pos = std::clamp(lr ? (int)pt.x : (int)pt.y, m_nTrackPosMin, std::max(m_nTrackPosMin, m_nTrackPosMax));
    if (pos == m_nTrackPosOld) return;
    InvertDragTracker();   // erase
    const int change = pos - m_nTrackPosOld;
    m_nTrackPosOld = pos;
    const bool horz = IsHorzDocked();
    std::vector<CResizableBar*> row = RowSizingBars();
    if (horz == lr) {
        const auto me = std::find(row.begin(), row.end(), this) - row.begin();
        // The edge lies between row[e - 1] and row[e].
        const ptrdiff_t e = (m_htEdge == HTRIGHT || m_htEdge == HTBOTTOM) ? me + 1 : me;
        if (e >= 1 && e < (ptrdiff_t)row.size()) {
            int need = std::abs(change);
            int given = 0;
            if (change > 0) {
                for (ptrdiff_t i = e; i < (ptrdiff_t)row.size() && need > 0; ++i) {
                    int& l = LenRef(row[(size_t)i]->DockedSize(horz), horz);
                    const int take = std::min(need, std::max(0, l - Len(row[(size_t)i]->MinSize(horz), horz)));
                    l -= take, need -= take, given += take;
                }
                LenRef(row[(size_t)e - 1]->DockedSize(horz), horz) += given;
            } else {
                for (ptrdiff_t i = e - 1; i >= 0 && need > 0; --i) {
                    int& l = LenRef(row[(size_t)i]->DockedSize(horz), horz);
                    const int take = std::min(need, std::max(0, l - Len(row[(size_t)i]->MinSize(horz), horz)));
                    l -= take, need -= take, given += take;
                }
                LenRef(row[(size_t)e]->DockedSize(horz), horz) += given;
            }
        }
    } else {
        const int delta = (m_htEdge == HTLEFT || m_htEdge == HTTOP) ? -change : change;
        const int thick = Len(DockedSize(horz), !horz) + delta;
        for (CResizableBar* s : row) ThickRef(s->DockedSize(horz), horz) = thick;
    }
    InvertDragTracker();   // draw at the new place
    if (m_bDragShowContent && m_pDockSite) m_pDockSite->RecalcLayout();
}

void CResizableBar::EndEdgeDrag()
{
    if (!m_bTracking) return;
    if (m_bTrackerShown) InvertDragTracker();
    m_bTracking = FALSE;
    if (GetCapture() == m_hWnd) ReleaseCapture();
    if (m_pDockSite) m_pDockSite->RecalcLayout();
}

void CResizableBar::InvertDragTracker()
{
    if (m_bDragShowContent || !m_pDockSite || !m_pDockSite->m_hWnd) return;
    RECT r = m_rcTrackStrip;
    const int shift = m_nTrackPosOld - m_nTrackStart;
    if (m_htEdge == HTLEFT || m_htEdge == HTRIGHT)
        OffsetRect(&r, shift, 0);
    else
        OffsetRect(&r, 0, shift);
    if (m_trackerLog.size() > 4096) m_trackerLog.clear();
    m_trackerLog.push_back(r);
    RECT fw;
    ::GetWindowRect(m_pDockSite->m_hWnd, &fw);
    OffsetRect(&r, -fw.left, -fw.top);
    HDC dc = GetWindowDC(m_pDockSite->m_hWnd);
    if (!dc) return;
    static const uint16_t kPattern[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    HBITMAP bits = CreateBitmap(8, 8, 1, 1, kPattern);
    HBRUSH brush = CreatePatternBrush(bits);
    HGDIOBJ old = SelectObject(dc, brush);
    PatBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, PATINVERT);
    SelectObject(dc, old);
    DeleteObject(brush);
    DeleteObject(bits);
    ReleaseDC(m_pDockSite->m_hWnd, dc);
    m_bTrackerShown = !m_bTrackerShown;
}

void CResizableBar::OnUpdateCmdUI(CFrameWnd*, BOOL) {}

// --- messages ---------------------------------------------------------------------------

LRESULT CResizableBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: {
        const LRESULT r = CControlBar::WindowProc(message, wParam, lParam);
        if (r == -1) return -1;
        BOOL full = TRUE;
        SystemParametersInfo(SPI_GETDRAGFULLWINDOWS, 0, &full, 0);
        m_bDragShowContent = full;
        return r;
    }
    case WM_SETTINGCHANGE: {
        BOOL full = TRUE;
        SystemParametersInfo(SPI_GETDRAGFULLWINDOWS, 0, &full, 0);
        m_bDragShowContent = full;
        break;
    }
    case WM_CLOSE: return 0;
    case WM_MOUSEMOVE:
        if (m_bTracking) {
            POINT pt{(short)LOWORD(lParam), (short)HIWORD(lParam)};
            ClientToScreen(m_hWnd, &pt);
            UpdateEdgeDrag(pt);
            return 0;
        }
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
        if (m_bTracking) {
            EndEdgeDrag();
            return 0;
        }
        break;
    case WM_CAPTURECHANGED:
        if (m_bTracking && (HWND)lParam != m_hWnd) {
            EndEdgeDrag();
            return 0;
        }
        break;
    case WM_WINDOWPOSCHANGING: {
        auto* wp = (WINDOWPOS*)lParam;
        wp->flags |= SWP_FRAMECHANGED;
        HWND parent = ::GetParent(m_hWnd);
        m_nDockBarID = parent ? (UINT)::GetDlgCtrlID(parent) : 0;
        if (!IsFloatingBar() && (wp->flags & SWP_SHOWWINDOW)) m_bKeepSize = TRUE;
        break;
    }
    case WM_SIZE: {
        const LRESULT r = CControlBar::WindowProc(message, wParam, lParam);
        if ((m_dwSCBStyle & FitChild) && m_hWnd) {
            if (HWND child = ::GetWindow(m_hWnd, GW_CHILD)) {
                RECT c;
                GetClientRect(&c);
                ::SetWindowPos(child, nullptr, 0, 0, c.right, c.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
            }
        }
        return r;
    }
    case WM_NCCALCSIZE: {
        RECT* r = (RECT*)lParam;
        const UINT dockId = m_pDockBar && !m_pDockBar->m_bFloating ? (UINT)m_pDockBar->GetDlgCtrlID() : AFX_IDW_DOCKBAR_FLOAT;
        m_dwSCBStyle &= ~(DWORD)SizableAll;
        if (!IsFloatingBar()) {
            std::vector<CControlBar*> all;
            RowSizingBars(&all);
            const auto it = std::find(all.begin(), all.end(), static_cast<CControlBar*>(this));
            if (it != all.end()) {
                const bool horz = IsHorzDocked();
                if (it != all.begin()) m_dwSCBStyle |= horz ? SizableLeft : SizableTop;
                if (it + 1 != all.end()) m_dwSCBStyle |= horz ? SizableRight : SizableBottom;
            }
        }
        ComputeClientArea(*r, dockId);
        if (r->right < r->left) r->right = r->left;
        if (r->bottom < r->top) r->bottom = r->top;
        return 0;
    }
    case WM_NCHITTEST: return OnNcHitTest(POINT{(short)LOWORD(lParam), (short)HIWORD(lParam)});
    case WM_NCPAINT: OnNcPaintBar(); return 0;
    case WM_NCLBUTTONDOWN:
        if (!m_bTracking && !IsFloatingBar() && IsEdgeCode((UINT)wParam))
            BeginEdgeDrag((UINT)wParam, POINT{(short)LOWORD(lParam), (short)HIWORD(lParam)});
        return 0;
    case WM_SETTEXT: {
        const LRESULT r = CControlBar::WindowProc(message, wParam, lParam);
        if (IsFloatingBar() && m_pDockBar)
            if (CMiniDockFrameWnd* mf = DynamicDowncast<CMiniDockFrameWnd>(m_pDockBar->GetParent())) mf->RecalcLayout();
        ::SendMessage(m_hWnd, WM_NCPAINT, 0, 0);
        return r;
    }
    default: break;
    }
    return CControlBar::WindowProc(message, wParam, lParam);
}
