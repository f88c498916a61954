// The plot view.
#include "plot_device/quorra_view.h"

#include <algorithm>
#include <cmath>

#include "platform/afx/afx_ids.h"
#include "platform/afx/win_thread.h"
#include "plot_device/graph_setting_dlg.h"
#include "plot_device/main_frame.h"
#include "plot_device/quorra_doc.h"
#include "plot_device/quorra_resources.h"

IMPLEMENT_DYNCREATE(CQuorraView, CScrollView)

BEGIN_MESSAGE_MAP(CQuorraView, CScrollView)
    ON_WM_TIMER()
    ON_WM_ERASEBKGND()
    ON_WM_SIZE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_RBUTTONDOWN()
    ON_WM_RBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_KEYDOWN()
    ON_COMMAND(ID_MODE_SELECT, OnModeSelect)
    ON_COMMAND(ID_MODE_SCALE, OnModeScale)
    ON_COMMAND(ID_MODE_EDIT, OnModeEdit)
    ON_UPDATE_COMMAND_UI(ID_MODE_SELECT, OnUpdateModeSelect)
    ON_UPDATE_COMMAND_UI(ID_MODE_SCALE, OnUpdateModeScale)
    ON_UPDATE_COMMAND_UI(ID_MODE_EDIT, OnUpdateModeEdit)
    ON_COMMAND(ID_PLOT_PROPERTIES, OnPlotProperties)
    ON_UPDATE_COMMAND_UI(ID_PLOT_PROPERTIES, OnUpdatePlotProperties)
    ON_COMMAND(ID_ZOOM_IN, OnZoomIn)
    ON_COMMAND(ID_ZOOM_OUT, OnZoomOut)
    ON_COMMAND(ID_ZOOM_IN_X, OnZoomInX)
    ON_COMMAND(ID_ZOOM_IN_Y, OnZoomInY)
    ON_COMMAND(ID_ZOOM_OUT_X, OnZoomOutX)
    ON_COMMAND(ID_ZOOM_OUT_Y, OnZoomOutY)
    ON_COMMAND(ID_OPEN_RIGHT, OnOpenRight)
    ON_COMMAND(ID_OPEN_LEFT, OnOpenLeft)
    ON_COMMAND(ID_OPEN_TOP, OnOpenTop)
    ON_COMMAND(ID_OPEN_BOTTOM, OnOpenBottom)
    ON_COMMAND(ID_ZOOM_FIT, OnZoomFit)
    ON_COMMAND(ID_POINTER_ADD, OnPointerAdd)
    ON_COMMAND(ID_POINTERS_CLEAR, OnPointersClear)
    ON_COMMAND(ID_EDIT_POINTER_DELETE, OnPointerDelete)
    ON_UPDATE_COMMAND_UI(ID_ZOOM_IN, OnUpdateHasPlanes)
    ON_UPDATE_COMMAND_UI(ID_ZOOM_OUT, OnUpdateHasPlanes)
    ON_UPDATE_COMMAND_UI(ID_ZOOM_IN_X, OnUpdateHasPlanes)
    ON_UPDATE_COMMAND_UI(ID_ZOOM_IN_Y, OnUpdateHasPlanes)
    ON_UPDATE_COMMAND_UI(ID_ZOOM_OUT_X, OnUpdateHasPlanes)
    ON_UPDATE_COMMAND_UI(ID_ZOOM_OUT_Y, OnUpdateHasPlanes)
    ON_UPDATE_COMMAND_UI(ID_OPEN_RIGHT, OnUpdateHasPlanes)
    ON_UPDATE_COMMAND_UI(ID_OPEN_LEFT, OnUpdateHasPlanes)
    ON_UPDATE_COMMAND_UI(ID_OPEN_TOP, OnUpdateHasPlanes)
    ON_UPDATE_COMMAND_UI(ID_OPEN_BOTTOM, OnUpdateHasPlanes)
    ON_UPDATE_COMMAND_UI(ID_ZOOM_FIT, OnUpdateHasPlanes)
    ON_UPDATE_COMMAND_UI(ID_POINTER_ADD, OnUpdateHasPlanes)
    ON_COMMAND(ID_EDIT_COPY, OnEditCopy)
    ON_COMMAND(ID_FILE_PRINT_PREVIEW, OnPrintPreview)
END_MESSAGE_MAP()

CQuorraDoc* CQuorraView::GetDocument() const { return static_cast<CQuorraDoc*>(m_pDocument); }

void CQuorraView::OnDraw(CDC* dc)
{
    HDC target = dc->GetSafeHdc();
    if (dc->IsPrinting()) {
        Draw(target, true);
        return;
    }
    // Through a buffer the size of the clip box: every pixel is painted, so
    // nothing flickers and nothing stale stays.
    RECT clip{};
    GetClipBox(target, &clip);
    const int w = std::max(1, (int)(clip.right - clip.left)), h = std::max(1, (int)(clip.bottom - clip.top));
    HDC mem = CreateCompatibleDC(target);
    HBITMAP bmp = mem ? CreateCompatibleBitmap(target, w, h) : nullptr;
    if (!mem || !bmp) {
        if (mem) DeleteDC(mem);
        Draw(target, false);
        return;
    }
    HGDIOBJ old = SelectObject(mem, bmp);
    SetMapMode(mem, GetMapMode(target));
    SetWindowOrgEx(mem, clip.left, clip.top, nullptr);
    HBRUSH back = CreateSolidBrush(GetBkColor(target));
    FillRect(mem, &clip, back);
    DeleteObject(back);
    Draw(mem, false);
    BitBlt(target, clip.left, clip.top, w, h, mem, clip.left, clip.top, SRCCOPY);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
}

void CQuorraView::OnInitialUpdate()
{
    CScrollView::OnInitialUpdate();
    const SIZE s = GetViewSize();
    if (s.cx < 0 && s.cy < 0) SetViewSize(0, 0);
    else SetViewSize(s.cx, s.cy);
    SetWindowAll(m_hWnd);
    Redraw(nullptr);
}

void CQuorraView::OnTimer(UINT_PTR id) { OnFigureTimer(id); }

void CQuorraView::SetViewSize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    CPlotFigure::SetViewSize(width, height);
    SetScrollSizes(MM_TEXT, SIZE{std::max(width, 1), height > 0 ? height : 1});
}

void CQuorraView::GetFigureClientRect(RECT* r)
{
    *r = RECT{0, 0, 0, 0};
    if (m_hWnd) CWnd::GetClientRect(r);
}

void CQuorraView::PrepareDC(HDC dc)
{
    const POINT pos = GetScrollPosition();
    SetViewportOrgEx(dc, -pos.x, -pos.y, nullptr);
}

void CQuorraView::Redraw(const RECT* r)
{
    if (!m_hWnd) return;
    if (r) {
        const POINT pos = GetScrollPosition();
        RECT shifted = *r;
        OffsetRect(&shifted, -pos.x, -pos.y);
        ::InvalidateRect(m_hWnd, &shifted, TRUE);
    } else {
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
    }
    UpdateWindow();
}

void CQuorraView::SetFigureTitle(const std::string& text)
{
    if (CDocument* doc = CView::GetDocument()) doc->SetTitle(text.c_str());
}

void CQuorraView::ShowReadout(const std::string& text)
{
    CWinThread* thread = AfxGetThread();
    if (auto* frame = dynamic_cast<CMainFrame*>(thread ? thread->m_pMainWnd : nullptr)) frame->m_bars.SetPaneText(1, text);
}

void CQuorraView::OnSize(UINT type, int cx, int cy)
{
    CScrollView::OnSize(type, cx, cy);
    if (!m_planes.empty()) PositionPlanes();
}

CPlotPlane* CQuorraView::FirstSelected() const
{
    for (const auto& p : m_planes)
        if (p->m_selected) return p.get();
    return nullptr;
}

void CQuorraView::SetMode(int mode)
{
    m_mode = mode;
    if (mode != MODE_SELECT)
        for (const auto& p : m_planes) p->m_selected = 0;
    for (const auto& p : m_planes) {
        p->mouseMode = mode == MODE_EDIT ? 2 : 1;
        for (const auto& o : p->objects) o->flagB = mode == MODE_EDIT ? 1 : 0;
    }
    Redraw(nullptr);
}

void CQuorraView::OnLButtonDown(UINT, POINT pt)
{
    Busy busy(*this);
    for (CPlotPlane* p : PlaneSnapshot()) {
        POINT l = pt;
        p->DeviceToLogical(&l, 1);
        if (p->TrackEdgeDrag(l)) return;
    }
    if (m_mode != MODE_SELECT) {
        for (CPlotPlane* p : PlaneSnapshot())
            if (p->OnLButtonDown(pt)) return;
        return;
    }
    for (CPlotPlane* p : PlaneSnapshot()) {
        POINT l = pt;
        p->DeviceToLogical(&l, 1);
        if (!PtInRect(&p->outerRect, l)) continue;
        RECT r{l.x, l.y, l.x, l.y};
        if (p->TrackZoomRect(r)) return;
        break;
    }
    const POINT pos = GetScrollPosition();
    SelectAt(pt.x + pos.x, pt.y + pos.y);
    Redraw(nullptr);
}

void CQuorraView::OnLButtonUp(UINT, POINT)
{
    // The graphs track their drags themselves; nothing takes the release.
    Busy busy(*this);
    Default();
}

void CQuorraView::OnRButtonUp(UINT, POINT)
{
    Busy busy(*this);
    Default();
}

void CQuorraView::OnLButtonDblClk(UINT, POINT)
{
    if (m_mode == MODE_SELECT) OnPlotProperties();
}

void CQuorraView::OnPlotProperties()
{
    // The sheets hold the planes while they are open: host messages that
    // remove planes or objects meanwhile only detach them.
    Busy busy(*this);
    std::vector<CPlotPlane*> selected;
    for (const auto& p : m_planes)
        if (p->m_selected) selected.push_back(p.get());
    for (CPlotPlane* p : selected) {
        if (std::none_of(m_planes.begin(), m_planes.end(), [p](const auto& q) { return q.get() == p; })) continue;
        CGraphSettingDlg sheet(p, this, this);
        sheet.DoModal();
    }
}

void CQuorraView::OnMouseMove(UINT, POINT pt)
{
    Busy busy(*this);
    const std::vector<CPlotPlane*> planes = PlaneSnapshot();
    for (CPlotPlane* p : planes) {
        POINT l = pt;
        p->DeviceToLogical(&l, 1);
        Point2D world;
        if (p->UpdateCursor(l, world)) break;
    }
    for (CPlotPlane* p : planes) p->CGraph::OnMouseMove(pt);
    // The read-out of the plane under the mouse.
    for (CPlotPlane* p : planes) {
        POINT l = pt;
        p->DeviceToLogical(&l, 1);
        if (!PtInRect(&p->plotRect, l)) continue;
        p->ReadoutAt(l);  // as during a drag: a polar plane shows rho and phi
        break;
    }
}

void CQuorraView::OnRButtonDown(UINT, POINT pt)
{
    Busy busy(*this);
    for (CPlotPlane* p : PlaneSnapshot()) {
        POINT l = pt;
        p->DeviceToLogical(&l, 1);
        bool hx = false, hy = false;
        if (CGraphObject* o = p->HitTestPointer(l, hx, hy)) {
            m_pointerObject = o;
            HMENU menu = AfxLoadMenu(IDR_POINTER_MENU);
            HMENU popup = menu ? GetSubMenu(menu, 0) : nullptr;
            POINT screen = pt;
            ClientToScreen(m_hWnd, &screen);
            if (popup) TrackPopupMenu(popup, TPM_RIGHTBUTTON, screen.x, screen.y, 0, m_hWnd, nullptr);
            if (menu) DestroyMenu(menu);
            return;
        }
    }
    for (CPlotPlane* p : PlaneSnapshot())
        if (p->HitTest(pt)) return;
}

void CQuorraView::OnKeyDown(UINT key, UINT, UINT)
{
    if (m_mode == MODE_SELECT && (key == VK_UP || key == VK_DOWN || key == VK_LEFT || key == VK_RIGHT)) {
        SelectNeighbour(key == VK_UP, key == VK_DOWN, key == VK_LEFT, key == VK_RIGHT);
        Redraw(nullptr);
    }
    Default();
}

void CQuorraView::OnPointerAdd()
{
    CPlotPlane* plane = FirstSelected();
    if (!plane && !m_planes.empty()) plane = m_planes.front().get();
    if (!plane) return;
    for (const auto& o : plane->objects) {
        if ((o->pointerFlags & 3) == 0) {
            o->SetPointer(31, nullptr);
            break;
        }
    }
    Redraw(nullptr);
}

void CQuorraView::OnPointersClear()
{
    CPlotPlane* selected = FirstSelected();
    for (const auto& p : m_planes)
        if (!selected || p.get() == selected)
            for (const auto& o : p->objects) o->pointerFlags &= ~3;
    Redraw(nullptr);
}

void CQuorraView::OnPointerDelete()
{
    CGraphObject* o = m_pointerObject;
    m_pointerObject = nullptr;
    CPlotPlane* p = o ? FindPlaneOfObject(o) : nullptr;
    if (!p) return;
    const bool placed = (o->pointerFlags & 0x0C) != 0;
    o->pointerFlags &= ~3;
    if (placed) {
        Redraw(nullptr);
    } else {
        RECT r = p->outerRect;
        Redraw(&r);
    }
}

void CQuorraView::OnEditCopy()
{
    std::vector<CPlotPlane*> selected;
    for (const auto& p : m_planes)
        if (p->m_selected) selected.push_back(p.get());
    if (!selected.empty()) {
        HDC ref = ::GetDC(m_hWnd);
        for (CPlotPlane* p : selected) p->CopyToClipboard(ref);
        ::ReleaseDC(m_hWnd, ref);
        return;
    }
    SIZE size = GetFigureSize();
    RECT bounds{0, 0, std::max<LONG>(1, size.cx) * 2540 / 96, std::max<LONG>(1, size.cy) * 2540 / 96};
    HDC rec = CreateEnhMetaFile(nullptr, nullptr, &bounds, "Tarn graphic");
    HENHMETAFILE emf = nullptr;
    if (rec) {
        for (const auto& p : m_planes) {
            p->FillBackground(rec);
            p->DrawGraph(rec, 4);
        }
        emf = CloseEnhMetaFile(rec);
    }
    bool ok = false;
    if (emf && OpenClipboard(m_hWnd)) {
        if (EmptyClipboard() && SetClipboardData(CF_ENHMETAFILE, (HANDLE)emf)) {
            emf = nullptr;  // the clipboard owns it now
            ok = true;
        }
        // Closed after every successful open, whatever failed in between.
        if (!CloseClipboard()) ok = false;
    }
    if (emf) DeleteEnhMetaFile(emf);
    if (!ok) ::MessageBox(m_hWnd, "Failed to copy a data to the clipboard. Please try later", "Error", MB_ICONEXCLAMATION);
}

BOOL CQuorraView::OnPreparePrinting(CPrintInfo* info)
{
    info->SetMinPage(1);
    info->SetMaxPage(1);
    return DoPreparePrinting(info);
}

namespace {

// Page units are tenths of a millimetre and the mapping scales fonts, pens
// and tick spacing with them; the graph keeps these in screen pixels. A print
// copy takes them in page units, as they would measure on a 96-dpi screen.
void ScaleToPageUnits(CGraph& g)
{
    constexpr double k = 254.0 / 96;
    auto scale = [](int32_t v) { return (int32_t)std::clamp(std::lround(v * k), -100000L, 100000L); };
    g.titleFontSize = scale(g.titleFontSize);
    g.axisFontSize = scale(g.axisFontSize);
    g.legendFontSize = scale(g.legendFontSize);
    g.tickSpacing = scale(g.TickSpacingInUse());
    g.markerRadius = scale(g.markerRadius);
    for (const auto& o : g.objects)
        if (o->penWidth > 0) o->penWidth = scale(o->penWidth);
}

}  // namespace

void CQuorraView::OnBeginPrinting(CDC* dc, CPrintInfo* info)
{
    m_printPlanes.clear();
    m_printRect = RECT{0, 0, 0, 0};
    int w = info->m_paperWidth > 0 ? info->m_paperWidth : 2100;
    int h = info->m_paperLength > 0 ? info->m_paperLength : 2970;
    if (info->m_orientation == 2) std::swap(w, h);
    m_pageSize = SIZE{w, h};
    // The rectangles first: the copies are laid out under the page mapping,
    // so that their fonts and ticks are measured as they will print.
    std::vector<std::pair<CPlotPlane*, RECT>> rects;
    if (CPlotPlane* selected = FirstSelected()) {
        if (!selected->IsEmpty()) rects.emplace_back(selected, RECT{0, 0, w, h});
        m_printRect = RECT{0, 0, w, h};
    } else {
        for (CPlotPlane* p : PlaneSnapshot()) {
            if (p->IsEmpty()) continue;
            rects.emplace_back(p, PlaneRect(p->m_row, p->m_col, &m_pageSize));
            UnionRect(&m_printRect, &m_printRect, &rects.back().second);
        }
    }
    if (rects.empty() || IsRectEmpty(&m_printRect)) return;
    HDC hdc = dc->GetSafeHdc();
    const int saved = SaveDC(hdc);
    SetPrintMapping(hdc);
    for (auto& [plane, rect] : rects) {
        auto copy = std::make_unique<CGraph>();
        if (!copy->CopyFrom(*plane)) continue;
        ScaleToPageUnits(*copy);
        copy->SetWindow(nullptr);
        copy->ResizeWithDC(hdc, rect);
        m_printPlanes.push_back(PrintRecord{plane, std::move(copy)});
    }
    RestoreDC(hdc, saved);
}

void CQuorraView::SetPrintMapping(HDC hdc)
{
    // Page units with margins: 10 around and 100 more at the top.
    SetMapMode(hdc, MM_ANISOTROPIC);
    SetWindowExtEx(hdc, m_printRect.right - m_printRect.left + 20, m_printRect.bottom - m_printRect.top + 120, nullptr);
    SetViewportExtEx(hdc, GetDeviceCaps(hdc, HORZRES), GetDeviceCaps(hdc, VERTRES), nullptr);
    SetViewportOrgEx(hdc, 0, 0, nullptr);
    SetWindowOrgEx(hdc, m_printRect.left - 10, m_printRect.top - 110, nullptr);
}

void CQuorraView::OnPrint(CDC* dc, CPrintInfo*)
{
    if (m_printPlanes.empty() || IsRectEmpty(&m_printRect)) return;
    HDC hdc = dc->GetSafeHdc();
    SetPrintMapping(hdc);
    for (auto& r : m_printPlanes) {
        r.copy->DrawGraph(hdc, 1);
        r.copy->DrawObjects(hdc, &m_printRect);
    }
}

void CQuorraView::OnPrintPreview()
{
    // The preview's loop runs device messages: the figure stays busy, so a
    // clear waits and the frame's close only ends the preview.
    Busy busy(*this);
    OnFilePrintPreview();
}
