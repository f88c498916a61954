// Print preview: pages recorded on a preview DC, shown by a window that covers
// the frame's client area while a nested loop runs.
#include "platform/afx/print_preview.h"

#include <algorithm>
#include <vector>

#include "platform/afx/afx_ids.h"
#include "platform/afx/frame_wnd.h"
#include "platform/afx/nested_loop.h"
#include "platform/afx/print_info.h"
#include "platform/afx/view.h"

void AfxRunPrintPages(CView* view, CDC* dc, CPrintInfo* info);

namespace {
class CPreviewWnd : public CWnd {
public:
    std::vector<HENHMETAFILE> m_pages;
    int m_nPage = 0;
    CNestedLoop* m_pLoop = nullptr;

    ~CPreviewWnd() override
    {
        for (HENHMETAFILE p : m_pages) DeleteEnhMetaFile(p);
    }
    void OnPaint()
    {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(m_hWnd, &ps);
        RECT rc;
        GetClientRect(&rc);
        FillRect(hdc, &rc, GetSysColorBrush(COLOR_APPWORKSPACE));
        if (m_nPage >= 0 && m_nPage < (int)m_pages.size()) {
            // The page keeps its aspect ratio inside a margin.
            RECT bounds;
            GetEnhMetaFileBounds(m_pages[(size_t)m_nPage], &bounds);
            int pw = bounds.right - bounds.left, ph = bounds.bottom - bounds.top;
            int aw = rc.right - 20, ah = rc.bottom - 20;
            if (pw > 0 && ph > 0 && aw > 0 && ah > 0) {
                double s = std::min((double)aw / pw, (double)ah / ph);
                int w = (int)(pw * s), h = (int)(ph * s);
                RECT page{(rc.right - w) / 2, (rc.bottom - h) / 2, (rc.right - w) / 2 + w, (rc.bottom - h) / 2 + h};
                FillRect(hdc, &page, (HBRUSH)GetStockObject(WHITE_BRUSH));
                PlayEnhMetaFile(hdc, m_pages[(size_t)m_nPage], &page);
            }
        }
        EndPaint(m_hWnd, &ps);
    }
    void OnKeyDown(UINT key, UINT, UINT)
    {
        if (key == VK_ESCAPE && m_pLoop) m_pLoop->End(0);
        if ((key == VK_NEXT || key == VK_RIGHT) && m_nPage + 1 < (int)m_pages.size()) ++m_nPage, Invalidate();
        if ((key == VK_PRIOR || key == VK_LEFT) && m_nPage > 0) --m_nPage, Invalidate();
    }
    void OnPreviewClose()
    {
        if (m_pLoop) m_pLoop->End(0);
    }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CPreviewWnd, CWnd)
    ON_WM_PAINT()
    ON_WM_KEYDOWN()
    ON_COMMAND(ID_PREVIEW_CLOSE, OnPreviewClose)
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
    CFrameWnd* frame = view->GetTopLevelFrame();
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
    HWND frameHwnd = frame->m_hWnd;
    if (!wnd->CreateEx(0, nullptr, "Print Preview", WS_CHILD | WS_VISIBLE, rc, frame, ID_PREVIEW_CLOSE + 0x100)) {
        delete wnd;
        return;
    }
    BringWindowToTop(wnd->m_hWnd);
    ::SetFocus(wnd->m_hWnd);
    HWND self = wnd->m_hWnd;
    {
        CNestedLoop loop;
        wnd->m_pLoop = &loop;
        MSG msg;
        while (IsWindow(self) && loop.GetMessage(&msg)) {
            if (msg.message == WM_NULL && !msg.hwnd) continue;
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        }
        if (IsWindow(self)) wnd->m_pLoop = nullptr;
    }
    if (IsWindow(self)) ::DestroyWindow(self);
    delete wnd;
    if (IsWindow(frameHwnd)) InvalidateRect(frameHwnd, nullptr, TRUE);
}
