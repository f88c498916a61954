// CView: document link, painting, routing.
#include "platform/afx/view.h"

#include "platform/afx/afx_ids.h"
#include "platform/afx/create_context.h"
#include "platform/afx/document.h"
#include "platform/afx/print_info.h"
#include "platform/afx/view_frame.h"

IMPLEMENT_DYNAMIC(CView, CWnd)

BEGIN_MESSAGE_MAP(CView, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_PAINT()
    ON_MESSAGE(WM_INITIALUPDATE, OnInitialUpdateMessage)
    ON_MESSAGE(WM_MOUSEACTIVATE, OnMouseActivateMessage)
    ON_COMMAND(ID_FILE_PRINT, OnFilePrint)
    ON_COMMAND(ID_FILE_PRINT_PREVIEW, OnFilePrintPreview)
END_MESSAGE_MAP()

CView::CView() = default;

CView::~CView()
{
    if (m_pDocument) m_pDocument->RemoveView(this);
}

BOOL CView::Create(const char* className, const char* windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                   void* context)
{
    return CWnd::Create(className, windowName, style, rect, parent, id, context);
}

int CView::OnCreate(CREATESTRUCT* cs)
{
    if (Default() == -1) return -1;
    CCreateContext* ctx = static_cast<CCreateContext*>(cs->lpCreateParams);
    if (ctx && ctx->m_pCurrentDoc) ctx->m_pCurrentDoc->AddView(this);
    return 0;
}

void CView::OnDestroy()
{
    if (IViewFrame* f = AfxParentViewFrame(this))
        if (f->GetActiveView() == this) f->SetActiveView(nullptr, FALSE);
    Default();
}

void CView::PostNcDestroy()
{
    // The document may close with its last view, here.
    delete this;
}

void CView::OnPaint()
{
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(m_hWnd, &ps);
    {
        CDC dc(hdc);
        OnPrepareDC(&dc);
        OnDraw(&dc);
        dc.Detach();
    }
    EndPaint(m_hWnd, &ps);
}

void CView::OnPrepareDC(CDC*, CPrintInfo* info)
{
    // A job without a known last page prints one page unless the view says more.
    if (info && info->GetMaxPage() == 0xFFFF && info->m_nCurPage > 1) info->m_bContinuePrinting = FALSE;
}

void CView::OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }

void CView::OnUpdate(CView*, LPARAM, CObject*) { Invalidate(TRUE); }

void CView::OnActivateView(BOOL activate, CView*, CView*)
{
    if (activate && m_hWnd && GetFocus() != m_hWnd) ::SetFocus(m_hWnd);
}

LRESULT CView::OnInitialUpdateMessage(WPARAM, LPARAM)
{
    OnInitialUpdate();
    return 0;
}

LRESULT CView::OnMouseActivateMessage(WPARAM, LPARAM)
{
    LRESULT r = Default();
    if (IViewFrame* f = AfxParentViewFrame(this)) f->SetActiveView(this);
    return r;
}

BOOL CView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info)
{
    CRouteGuard guard(this, nID, nCode);
    if (!guard.Entered()) return FALSE;
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, info)) return TRUE;
    return m_pDocument && m_pDocument->OnCmdMsg(nID, nCode, pExtra, info);
}
