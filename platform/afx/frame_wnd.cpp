// CFrameWnd: creation, view, routing, title, close.
#include "platform/afx/frame_wnd.h"

#include "platform/afx/module_bitmap_data.h"
#include "platform/gdi/png_image.h"
#include "platform/user/window_icon.h"

#include "platform/afx/afx_ids.h"
#include "platform/afx/app_access.h"
#include "platform/afx/cmd_ui.h"
#include "platform/afx/control_bar.h"
#include "platform/afx/create_context.h"
#include "platform/afx/document.h"
#include "platform/afx/nested_loop.h"
#include "platform/afx/resources.h"
#include "platform/afx/view.h"
#include "platform/afx/win_thread.h"

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_CLOSE()
    ON_WM_SIZE()
    ON_WM_SETFOCUS()
    ON_WM_ERASEBKGND()
    ON_MESSAGE(WM_IDLEUPDATECMDUI, OnIdleUpdateCmdUI)
    ON_MESSAGE(WM_SETMESSAGESTRING, OnSetMessageString)
    ON_MESSAGE(WM_MENUSELECT, OnMenuSelectPrompt)
    ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, OnUpdateControlBarMenu)
    ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, OnUpdateControlBarMenu)
    ON_COMMAND_EX(ID_VIEW_TOOLBAR, OnBarCheck)
    ON_COMMAND_EX(ID_VIEW_STATUS_BAR, OnBarCheck)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_CAPS, OnUpdateKeyIndicator)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_NUM, OnUpdateKeyIndicator)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_SCRL, OnUpdateKeyIndicator)
END_MESSAGE_MAP()

CFrameWnd::CFrameWnd() = default;

CFrameWnd::~CFrameWnd()
{
    if (m_hAccelTable) DestroyAcceleratorTable(m_hAccelTable);
}

BOOL CFrameWnd::LoadFrame(UINT idResource, DWORD style, CWnd* parent, CCreateContext* context)
{
    CWndProtector protect(this);   // ends (if destroyed) when LoadFrame returns
    std::string full;
    AfxLoadString(idResource, full);
    m_strTitle = full.substr(0, full.find('\n'));
    HMENU menu = AfxLoadMenu(idResource);
    if (!m_hAccelTable) m_hAccelTable = AfxLoadAccelerators(idResource);
    m_nIDHelp = idResource;
    if (!Create(nullptr, m_strTitle.c_str(), style, RECT{CW_USEDEFAULT, CW_USEDEFAULT, 0, 0}, parent, nullptr, 0, context)) {
        if (menu && !m_bCreatedWindow) DestroyMenu(menu);
        return FALSE;
    }
    if (menu) {
        if (!m_hWnd) {
            DestroyMenu(menu);
            return FALSE;
        }
        ::SetMenu(m_hWnd, menu);
        m_hMenuDefault = menu;
    }
    // The module's icon of this frame ("ICON128" for resource 128) for the
    // desktop's title bar and task bar.
    const unsigned char* png = nullptr;
    size_t size = 0;
    if (m_hWnd && !(GetStyle() & WS_CHILD) &&
        AfxFindBitmapData(("ICON" + std::to_string(idResource)).c_str(), &png, &size)) {
        SIZE iconSize{};
        std::vector<uint32_t> argb;
        if (DecodePngArgb(png, size, &iconSize, &argb)) SetWindowIconImage(m_hWnd, iconSize, argb);
    }
    return m_hWnd != nullptr;
}

BOOL CFrameWnd::Create(const char* className, const char* windowName, DWORD style, const RECT& rect, CWnd* parent,
                       const char*, DWORD exStyle, CCreateContext* context)
{
    CWndProtector protect(this);
    if (windowName && m_strTitle.empty()) m_strTitle = windowName;
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT, cx = CW_USEDEFAULT, cy = CW_USEDEFAULT;
    if (rect.left != CW_USEDEFAULT) {
        x = rect.left;
        y = rect.top;
        cx = rect.right - rect.left;
        cy = rect.bottom - rect.top;
    }
    m_pCreateContext = context;
    BOOL ok = CreateEx(exStyle, className, windowName, style, x, y, cx, cy, parent ? parent->m_hWnd : nullptr, nullptr, context);
    m_pCreateContext = nullptr;
    if (m_hWnd || ok) m_bCreatedWindow = true;
    return ok;
}

int CFrameWnd::OnCreate(CREATESTRUCT* cs)
{
    if (Default() == -1) return -1;
    CCreateContext* ctx = static_cast<CCreateContext*>(cs->lpCreateParams);
    if (!OnCreateClient(cs, ctx)) return -1;
    RecalcLayout();
    return 0;
}

BOOL CFrameWnd::OnCreateClient(CREATESTRUCT*, CCreateContext* context)
{
    if (context && context->m_pNewViewClass) return CreateView(context, AFX_IDW_PANE_FIRST) != nullptr;
    return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* context, UINT id)
{
    CWnd* view = DynamicDowncast<CWnd>(context->m_pNewViewClass->CreateObject());
    if (!view) return nullptr;
    RECT r{0, 0, 0, 0};
    bool ended = false;
    view->m_pEndedFlag = &ended;
    BOOL ok = view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, r, this, id, context);
    if (ended) return nullptr;   // it had a window, lost it, and ended itself
    view->m_pEndedFlag = nullptr;
    if (!ok) {
        if (view->m_hWnd)
            view->DestroyWindow();
        else
            delete view;
        return nullptr;
    }
    return view;
}

void CFrameWnd::InitialUpdateFrame(CDocument* doc, BOOL makeVisible)
{
    // Any step may end the window: the object stays until the scope ends.
    CWndProtector protect(this);
    auto alive = [&] { return m_hWnd != nullptr; };
    if (!GetActiveView()) {
        CWnd* pane = GetDlgItem((int)AFX_IDW_PANE_FIRST);
        if (pane && pane->IsKindOf(RUNTIME_CLASS(CView))) SetActiveView(static_cast<CView*>(pane), FALSE);
    }
    if (!alive()) return;
    SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE);
    if (!alive()) return;
    if (makeVisible) ActivateFrame();
    if (!alive()) return;
    if (doc) doc->UpdateFrameCounts();
    if (!alive()) return;
    OnUpdateFrameTitle(TRUE);
}

void CFrameWnd::ActivateFrame(int cmdShow)
{
    CWndProtector protect(this);
    if (cmdShow == -1) cmdShow = IsWindowVisible() ? SW_SHOW : SW_SHOWNORMAL;
    ShowWindow(cmdShow);
    if (m_hWnd && !(GetStyle() & WS_CHILD)) {
        BringWindowToTop(m_hWnd);
        if (m_hWnd) SetActiveWindow(m_hWnd);
    }
}

CView* CFrameWnd::GetActiveView() const { return m_pViewActive; }

void CFrameWnd::SetActiveView(CView* view, BOOL notify)
{
    CView* old = m_pViewActive;
    if (old == view) return;
    CWndProtector protect(this);
    m_pViewActive = view;
    HWND viewHwnd = view ? view->m_hWnd : nullptr;
    if (notify && old && old->m_hWnd) old->OnActivateView(FALSE, view, old);
    if (!m_hWnd || !viewHwnd || FromHandlePermanent(viewHwnd) != view) return;
    if (notify) view->OnActivateView(TRUE, view, old);
    if (notify && FromHandlePermanent(viewHwnd) == view) ::SetFocus(viewHwnd);
}

CDocument* CFrameWnd::GetActiveDocument()
{
    CView* v = GetActiveView();
    return v ? v->GetDocument() : nullptr;
}

void CFrameWnd::GetViewRect(RECT* r) { RepositionBars(r, true); }

void CFrameWnd::RecalcLayout(BOOL)
{
    if (!m_hWnd) return;
    if (m_bInRecalcLayout) {
        // Asked for from inside a layout (a bar resized): later, at idle.
        m_bLayoutDue = true;
        return;
    }
    CWndProtector protect(this);
    m_bInRecalcLayout = true;
    m_bLayoutDue = false;
    RECT r;
    RepositionBars(&r, false);
    if (m_hWnd) PlaceClient(r);
    m_bInRecalcLayout = false;
}

void CFrameWnd::PlaceClient(const RECT& r)
{
    if (HWND pane = ::GetDlgItem(m_hWnd, (int)AFX_IDW_PANE_FIRST))
        ::MoveWindow(pane, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

void CFrameWnd::OnUpdateFrameTitle(BOOL addToTitle)
{
    if (!m_hWnd) return;
    CWndProtector protect(this);
    CDocument* doc = GetActiveDocument();
    std::string title = m_strTitle;
    if (addToTitle && doc && !doc->GetTitle().empty()) title = doc->GetTitle() + (m_strTitle.empty() ? "" : " - " + m_strTitle);
    if (GetWindowText() != title && m_hWnd) SetWindowText(title);
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info)
{
    CRouteGuard guard(this, nID, nCode);
    if (!guard.Entered()) return FALSE;
    if (CView* v = GetActiveView())
        if (v->OnCmdMsg(nID, nCode, pExtra, info)) return TRUE;
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, info)) return TRUE;
    return AfxRouteToThreadAndApp(nID, nCode, pExtra, info);
}

BOOL CFrameWnd::PreTranslateMessage(MSG* msg)
{
    if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && m_hAccelTable)
        return TranslateAccelerator(m_hWnd, m_hAccelTable, msg) ? TRUE : FALSE;
    return FALSE;
}

bool CFrameWnd::IsMainFrame() const
{
    CWinThread* t = AfxGetThread();
    return t && t->m_pMainWnd == this;
}

void CFrameWnd::OnClose()
{
    // A frame never closes under its own nested loop: end the loop first.
    if (AfxEndLoopBeforeClose(m_hWnd)) return;
    if (IsMainFrame() && AfxIsAppMainWnd(this)) {
        if (!AfxSaveAllModified()) return;
        HWND self = m_hWnd;
        AfxCloseAllDocuments(FALSE);
        if (IsWindow(self)) ::DestroyWindow(self);
        return;
    }
    CDocument* doc = GetActiveDocument();
    if (doc && !doc->CanCloseFrame(this)) return;
    if (IsMainFrame() && AfxGetDocManager()) {
        HWND self = m_hWnd;
        AfxDocManagerCloseAllDocuments(FALSE);
        if (IsWindow(self)) ::DestroyWindow(self);
        return;
    }
    DestroyWindow();
}

void CFrameWnd::OnDestroy()
{
    m_pViewActive = nullptr;
    DestroyFloatingBars();
    CWinThread* t = AfxGetThread();
    if (t && t->m_pMainWnd == this) {
        t->m_pMainWnd = nullptr;
        AfxPostQuitMessage(0);
    }
    Default();
}

void CFrameWnd::OnSize(UINT, int, int) { RecalcLayout(); }

void CFrameWnd::OnSetFocus(HWND)
{
    if (CView* v = GetActiveView())
        if (v->m_hWnd) ::SetFocus(v->m_hWnd);
}

void CFrameWnd::PostNcDestroy() { delete this; }

// CWnd members that look for frames live here, so that the window class
// below them does not see CFrameWnd.
namespace {
// Routes to a window first, then to its frame (pop-ups tracked by controls).
class CChainTarget : public CCmdTarget {
public:
    CChainTarget(CCmdTarget* first, CCmdTarget* second) : m_first(first), m_second(second) {}
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info) override
    {
        if (m_first->OnCmdMsg(nID, nCode, pExtra, info)) return TRUE;
        return m_second && m_second->OnCmdMsg(nID, nCode, pExtra, info);
    }

private:
    CCmdTarget* m_first;
    CCmdTarget* m_second;
};
}  // namespace

void CWnd::OnInitMenuPopup(HMENU popup, UINT, BOOL sysMenu)
{
    if (sysMenu || !popup) return;
    // A frame's menus grey what nobody handles; any other window's pop-up
    // keeps the states its owner gave the items unless a handler answers.
    auto* self = DynamicDowncast<CFrameWnd>(this);
    CFrameWnd* frame = GetTopLevelFrame();
    CChainTarget chain(this, frame && static_cast<CWnd*>(frame) != this ? frame : nullptr);
    AfxUpdateMenu(popup, &chain, self ? self->m_bAutoMenuEnable : FALSE);
}

CFrameWnd* CWnd::GetParentFrame() const
{
    for (HWND h = ::GetParent(m_hWnd); h; h = ::GetParent(h)) {
        CWnd* w = FromHandlePermanent(h);
        if (w && w->IsKindOf(RUNTIME_CLASS(CFrameWnd))) return static_cast<CFrameWnd*>(w);
    }
    return nullptr;
}

CFrameWnd* CWnd::GetTopLevelFrame() const
{
    CFrameWnd* frame = IsKindOf(RUNTIME_CLASS(CFrameWnd)) ? (CFrameWnd*)this : GetParentFrame();
    while (frame) {
        CFrameWnd* up = frame->GetParentFrame();
        if (!up) break;
        frame = up;
    }
    return frame;
}
