// The plot view.
#include "plot_device/quorra_view.h"

#include "plot_device/main_frame.h"
#include "plot_device/quorra_doc.h"

IMPLEMENT_DYNCREATE(CQuorraView, CView)

BEGIN_MESSAGE_MAP(CQuorraView, CView)
    ON_WM_TIMER()
END_MESSAGE_MAP()

CQuorraDoc* CQuorraView::GetDocument() const { return static_cast<CQuorraDoc*>(m_pDocument); }

void CQuorraView::OnDraw(CDC* dc) { Draw(dc->GetSafeHdc(), false); }

void CQuorraView::OnTimer(UINT_PTR id) { OnFigureTimer(id); }

void CQuorraView::GetFigureClientRect(RECT* r)
{
    *r = RECT{0, 0, 0, 0};
    if (m_hWnd) CWnd::GetClientRect(r);
}

void CQuorraView::Redraw(const RECT* r)
{
    if (!m_hWnd) return;
    ::InvalidateRect(m_hWnd, r, TRUE);
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
