// Print preview: pages recorded on a preview DC, shown by a window that covers
// the frame's client area while a nested loop runs, with its bar of buttons.
#include "platform/afx/print_preview.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "platform/afx/afx_ids.h"
#include "platform/afx/nested_loop.h"
#include "platform/afx/print_info.h"
#include "platform/afx/view.h"
#include "platform/afx/view_frame.h"
#include "platform/user/control_messages.h"

void AfxRunPrintPages(CView* view, CDC* dc, CPrintInfo* info);

namespace {

struct PreviewButton {
    UINT id;
    const char* text;
};
const PreviewButton kButtons[] = {
    {ID_PREVIEW_PRINT, "&Print..."}, {ID_PREVIEW_NEXT, "&Next Page"},  {ID_PREVIEW_PREV, "Pr&ev Page"},
    {ID_PREVIEW_NUMPAGE, "&Two Page"}, {ID_PREVIEW_ZOOMIN, "Zoom &In"}, {ID_PREVIEW_ZOOMOUT, "Zoom &Out"},
    {ID_PREVIEW_CLOSE, "&Close"},
};
constexpr int kBarHeight = 30;
constexpr int kButtonWidth = 84;
constexpr int kMaxZoom = 2;   // fit, twice, four times

class CPreviewWnd : public CWnd {
public:
    std::vector<HENHMETAFILE> m_pages;
    int m_nPage = 0;
    bool m_twoPages = false;
    int m_zoom = 0;
    int m_scrollX = 0, m_scrollY = 0;
    bool m_print = false;   // Print was chosen: the view prints once the preview is gone
    CNestedLoop* m_pLoop = nullptr;

    ~CPreviewWnd() override
    {
        for (HENHMETAFILE p : m_pages) DeleteEnhMetaFile(p);
    }

    int PageCount() const { return (int)m_pages.size(); }
    int Shown() const { return m_twoPages && m_zoom == 0 ? 2 : 1; }

    void MakeButtons()
    {
        HFONT font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
        int x = 4;
        for (const PreviewButton& b : kButtons) {
            HWND h = CreateWindowEx(0, "Button", b.text, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, x, 3, kButtonWidth,
                                    kBarHeight - 6, m_hWnd, (HMENU)(uintptr_t)b.id, nullptr, nullptr);
            if (h) ::SendMessage(h, WM_SETFONT, (WPARAM)font, 0);
            x += kButtonWidth + 4;
        }
        UpdateButtons();
    }

    void EnableButton(UINT id, bool on)
    {
        if (HWND h = ::GetDlgItem(m_hWnd, (int)id)) ::EnableWindow(h, on);
    }

    void UpdateButtons()
    {
        EnableButton(ID_PREVIEW_NEXT, m_nPage + Shown() < PageCount());
        EnableButton(ID_PREVIEW_PREV, m_nPage > 0);
        EnableButton(ID_PREVIEW_NUMPAGE, m_zoom == 0 && PageCount() > 1);
        EnableButton(ID_PREVIEW_ZOOMIN, m_zoom < kMaxZoom);
        EnableButton(ID_PREVIEW_ZOOMOUT, m_zoom > 0);
        if (HWND h = ::GetDlgItem(m_hWnd, (int)ID_PREVIEW_NUMPAGE)) ::SetWindowText(h, m_twoPages ? "&One Page" : "&Two Page");
        UpdateScrollBars();
    }

    RECT PageArea() const
    {
        RECT rc;
        ::GetClientRect(m_hWnd, &rc);
        rc.top = std::min<LONG>(rc.bottom, kBarHeight);
        return rc;
    }

    // The size a page is drawn at: fitted to the area (beside the other one
    // in two-page view), then magnified by the zoom.
    SIZE PageSize(HENHMETAFILE page) const
    {
        RECT bounds;
        GetEnhMetaFileBounds(page, &bounds);
        const RECT area = PageArea();
        const int pw = bounds.right - bounds.left, ph = bounds.bottom - bounds.top;
        const int aw = (area.right - area.left - 20) / Shown(), ah = area.bottom - area.top - 20;
        if (pw <= 0 || ph <= 0 || aw <= 0 || ah <= 0) return SIZE{0, 0};
        const double s = std::min((double)aw / pw, (double)ah / ph) * (1 << m_zoom);
        return SIZE{(LONG)(pw * s), (LONG)(ph * s)};
    }

    void UpdateScrollBars()
    {
        const RECT area = PageArea();
        SIZE size = m_nPage < PageCount() ? PageSize(m_pages[(size_t)m_nPage]) : SIZE{0, 0};
        const int viewW = area.right - area.left, viewH = area.bottom - area.top;
        auto bar = [&](int which, int content, int view, int& pos) {
            SCROLLINFO si{};
            si.cbSize = sizeof si;
            si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
            const bool need = m_zoom > 0 && content + 20 > view;
            si.nMax = need ? content + 20 : 0;
            si.nPage = need ? (UINT)view : 0;
            pos = need ? std::clamp(pos, 0, content + 20 - view) : 0;
            si.nPos = pos;
            SetScrollInfo(m_hWnd, which, &si, TRUE);
        };
        bar(SB_HORZ, size.cx, viewW, m_scrollX);
        bar(SB_VERT, size.cy, viewH, m_scrollY);
    }

    void OnPaint()
    {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(m_hWnd, &ps);
        RECT rc;
        GetClientRect(&rc);
        RECT bar{rc.left, rc.top, rc.right, std::min<LONG>(rc.bottom, kBarHeight)};
        FillRect(hdc, &bar, GetSysColorBrush(COLOR_BTNFACE));
        const RECT area = PageArea();
        FillRect(hdc, &area, GetSysColorBrush(COLOR_APPWORKSPACE));
        const int n = std::min(Shown(), PageCount() - m_nPage);
        const int slot = (area.right - area.left) / Shown();
        for (int i = 0; i < n; ++i) {
            HENHMETAFILE page = m_pages[(size_t)(m_nPage + i)];
            const SIZE s = PageSize(page);
            if (s.cx <= 0 || s.cy <= 0) continue;
            // Centred in its slot, or moved by the scroll bars when magnified.
            int x = area.left + slot * i + (slot - s.cx) / 2, y = area.top + (area.bottom - area.top - s.cy) / 2;
            if (m_zoom > 0) {
                x = area.left + std::max(10, (slot - (int)s.cx) / 2) - m_scrollX;
                y = area.top + std::max(10, (area.bottom - area.top - (int)s.cy) / 2) - m_scrollY;
            }
            RECT r{x, y, x + s.cx, y + s.cy};
            FillRect(hdc, &r, (HBRUSH)GetStockObject(WHITE_BRUSH));
            PlayEnhMetaFile(hdc, page, &r);
        }
        EndPaint(m_hWnd, &ps);
    }

    void Turn(int by)
    {
        const int to = std::clamp(m_nPage + by, 0, std::max(0, PageCount() - 1));
        if (to == m_nPage) return;
        m_nPage = to;
        m_scrollX = m_scrollY = 0;
        UpdateButtons();
        Invalidate();
    }

    void Zoom(int by)
    {
        const int to = std::clamp(m_zoom + by, 0, kMaxZoom);
        if (to == m_zoom) return;
        m_zoom = to;
        UpdateButtons();
        Invalidate();
    }

    void Close()
    {
        if (m_pLoop) m_pLoop->End(0);
    }

    void OnKeyDown(UINT key, UINT, UINT)
    {
        if (key == VK_ESCAPE) Close();
        if (key == VK_NEXT || key == VK_RIGHT) Turn(1);
        if (key == VK_PRIOR || key == VK_LEFT) Turn(-1);
    }

    void Scroll(int which, UINT code, int thumb)
    {
        int& pos = which == SB_HORZ ? m_scrollX : m_scrollY;
        const int old = pos;
        switch (code) {
        case SB_LINEUP: pos -= 20; break;
        case SB_LINEDOWN: pos += 20; break;
        case SB_PAGEUP: pos -= 200; break;
        case SB_PAGEDOWN: pos += 200; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: pos = thumb; break;
        default: break;
        }
        UpdateScrollBars();
        if (pos != old) Invalidate();
    }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message) {
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
            case ID_PREVIEW_PRINT:
                m_print = true;
                Close();
                return 0;
            case ID_PREVIEW_NEXT: Turn(1); return 0;
            case ID_PREVIEW_PREV: Turn(-1); return 0;
            case ID_PREVIEW_NUMPAGE:
                m_twoPages = !m_twoPages;
                UpdateButtons();
                Invalidate();
                return 0;
            case ID_PREVIEW_ZOOMIN: Zoom(1); return 0;
            case ID_PREVIEW_ZOOMOUT: Zoom(-1); return 0;
            case ID_PREVIEW_CLOSE:
            case IDCANCEL: Close(); return 0;
            default: break;
            }
            break;
        case WM_HSCROLL: Scroll(SB_HORZ, LOWORD(wParam), (short)HIWORD(wParam)); return 0;
        case WM_VSCROLL: Scroll(SB_VERT, LOWORD(wParam), (short)HIWORD(wParam)); return 0;
        case WM_SIZE:
            UpdateScrollBars();
            Invalidate();
            break;
        default: break;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPreviewWnd, CWnd)
    ON_WM_PAINT()
    ON_WM_KEYDOWN()
END_MESSAGE_MAP()

HDC RecordPreview(CView* view, CPrintInfo& info)
{
    PRINTSETUP setup{info.m_paperWidth, info.m_paperLength, info.m_orientation, nullptr, nullptr};
    HDC hdc = CreatePreviewDC(&setup);
    if (!hdc) return nullptr;
    CDC dc;
    dc.Attach(hdc, false);
    dc.m_bPrinting = TRUE;
    DOCINFO di{(int)sizeof(DOCINFO), "Preview", nullptr};
    StartDoc(hdc, &di);
    AfxRunPrintPages(view, &dc, &info);
    EndDoc(hdc);
    dc.Detach();
    return hdc;
}

// A key the preview answers wherever its focus is (a clicked button keeps it).
bool PreviewKey(const MSG& msg)
{
    if (msg.message != WM_KEYDOWN) return false;
    return msg.wParam == VK_ESCAPE || msg.wParam == VK_NEXT || msg.wParam == VK_PRIOR;
}

// Alt+letter, or the letter alone, presses the button it underlines.
bool PressMnemonic(HWND preview, const MSG& msg)
{
    if (msg.message != WM_SYSCHAR && msg.message != WM_CHAR) return false;
    const char c = (char)std::tolower((unsigned char)msg.wParam);
    for (const PreviewButton& b : kButtons) {
        HWND h = ::GetDlgItem(preview, (int)b.id);
        if (!h || !::IsWindowEnabled(h)) continue;
        char buf[64] = {};
        ::GetWindowText(h, buf, sizeof buf);
        const std::string text = buf;
        const size_t amp = text.find('&');
        if (amp == std::string::npos || amp + 1 >= text.size()) continue;
        if (std::tolower((unsigned char)text[amp + 1]) != c) continue;
        ::SendMessage(preview, WM_COMMAND, MAKELONG(b.id, BN_CLICKED), (LPARAM)h);
        return true;
    }
    return false;
}
}  // namespace

int AfxPreviewPageCount(CView* view)
{
    CPrintInfo info;
    info.m_bPreview = TRUE;
    if (!view->OnPreparePrinting(&info)) return 0;
    HDC hdc = RecordPreview(view, info);
    if (!hdc) return 0;
    int n = GetPreviewPageCount(hdc);
    DeleteDC(hdc);
    return n;
}

void AfxShowPrintPreview(CView* view)
{
    IViewFrame* topFrame = AfxTopLevelViewFrame(view);
    CWnd* frame = topFrame ? topFrame->FrameWnd() : nullptr;
    if (!frame || !frame->m_hWnd) return;
    CPrintInfo info;
    info.m_bPreview = TRUE;
    if (!view->OnPreparePrinting(&info)) return;
    HDC hdc = RecordPreview(view, info);
    if (!hdc) return;
    CPreviewWnd* wnd = new CPreviewWnd;
    for (int i = 0; i < GetPreviewPageCount(hdc); ++i) wnd->m_pages.push_back(GetPreviewPage(hdc, i));
    DeleteDC(hdc);
    RECT rc;
    frame->GetClientRect(&rc);
    HWND frameHwnd = frame->m_hWnd, viewHwnd = view->m_hWnd;
    if (!wnd->CreateEx(0, nullptr, "Print Preview", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, rc, frame,
                       ID_PREVIEW_CLOSE + 0x100)) {
        delete wnd;
        return;
    }
    wnd->MakeButtons();
    BringWindowToTop(wnd->m_hWnd);
    HWND self = wnd->m_hWnd;
    // The frame's other children (view, bars, MDI client) hide while the
    // preview covers them: a sibling that repaints would draw over it.
    std::vector<HWND> hidden;
    for (HWND c = ::GetWindow(frameHwnd, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
        if (c != self && ::IsWindowVisible(c)) hidden.push_back(c);
    HWND focus = ::GetFocus();
    for (HWND c : hidden) ::ShowWindow(c, SW_HIDE);
    ::SetFocus(self);
    bool print = false;
    {
        CNestedLoop loop;
        wnd->m_pLoop = &loop;
        MSG msg;
        while (IsWindow(self) && loop.GetMessage(&msg)) {
            if (msg.message == WM_NULL && !msg.hwnd) continue;
            const bool inPreview = msg.hwnd == self || IsChild(self, msg.hwnd);
            if (inPreview && PreviewKey(msg)) {
                wnd->OnKeyDown((UINT)msg.wParam, 0, 0);
                continue;
            }
            if (inPreview && PressMnemonic(self, msg)) continue;
            TranslateMessage(&msg);
            DispatchMessage(&msg);
            // The preview keeps covering the frame's client area as it is resized.
            RECT now{}, at{};
            if (IsWindow(self) && IsWindow(frameHwnd) && ::GetClientRect(frameHwnd, &now) && ::GetClientRect(self, &at) &&
                (now.right != at.right || now.bottom != at.bottom))
                ::MoveWindow(self, 0, 0, now.right, now.bottom, TRUE);
        }
        if (IsWindow(self)) {
            wnd->m_pLoop = nullptr;
            print = wnd->m_print;
        }
    }
    if (IsWindow(self)) ::DestroyWindow(self);
    delete wnd;
    for (HWND c : hidden)
        if (::IsWindow(c)) ::ShowWindow(c, SW_SHOWNA);
    if (IsWindow(frameHwnd)) {
        // Bars laid out while hidden take their space again.
        if (CWnd::FromHandlePermanent(frameHwnd) == frame) topFrame->RecalcLayout();
        RedrawWindow(frameHwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        if (focus && ::IsWindow(focus) && ::IsWindowVisible(focus)) ::SetFocus(focus);
    }
    // Print from the preview: the view's own print command, dialog and all.
    if (print && IsWindow(viewHwnd)) ::SendMessage(viewHwnd, WM_COMMAND, ID_FILE_PRINT, 0);
}
