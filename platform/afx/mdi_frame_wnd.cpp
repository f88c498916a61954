// CMDIFrameWnd.
#include "platform/afx/mdi_frame_wnd.h"
#include "platform/afx/mdi_child_wnd.h"

#include <algorithm>

#include "platform/afx/afx_ids.h"
#include "platform/afx/cmd_ui.h"
#include "platform/afx/doc_template.h"
#include "platform/afx/document.h"
#include "platform/afx/nested_loop.h"
#include "platform/afx/resources.h"
#include "platform/afx/view.h"
#include "platform/afx/win_app.h"

IMPLEMENT_DYNCREATE(CMDIFrameWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMDIFrameWnd, CFrameWnd)
    ON_COMMAND(ID_WINDOW_CASCADE, OnWindowCascade)
    ON_COMMAND(ID_WINDOW_TILE_HORZ, OnWindowTile)
    ON_COMMAND(ID_WINDOW_TILE_VERT, OnWindowTile)
    ON_COMMAND(ID_WINDOW_ARRANGE, OnWindowArrange)
    ON_UPDATE_COMMAND_UI(ID_WINDOW_CASCADE, OnUpdateMDIWindowCmd)
    ON_UPDATE_COMMAND_UI(ID_WINDOW_TILE_HORZ, OnUpdateMDIWindowCmd)
    ON_UPDATE_COMMAND_UI(ID_WINDOW_TILE_VERT, OnUpdateMDIWindowCmd)
    ON_UPDATE_COMMAND_UI(ID_WINDOW_ARRANGE, OnUpdateMDIWindowCmd)
END_MESSAGE_MAP()

BOOL CMDIFrameWnd::OnCreateClient(CREATESTRUCT*, CCreateContext*)
{
    static const char* clientClass = [] {
        WNDCLASS wc{};
        // The client answers which child is active for its frame.
        wc.lpfnWndProc = [](HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (msg == WM_MDIGETACTIVE) {
                auto* frame = DynamicDowncast<CMDIFrameWnd>(CWnd::FromHandlePermanent(::GetParent(hwnd)));
                CMDIChildWnd* active = frame ? frame->MDIGetActive() : nullptr;
                return (LRESULT)(intptr_t)(active ? active->m_hWnd : nullptr);
            }
            return ::DefWindowProc(hwnd, msg, wParam, lParam);
        };
        wc.lpszClassName = "AfxMDIClient";
        wc.hbrBackground = (HBRUSH)(uintptr_t)(COLOR_APPWORKSPACE + 1);
        RegisterClass(&wc);
        return "AfxMDIClient";
    }();
    RECT r;
    GetClientRect(&r);
    m_hWndMDIClient = CreateWindowEx(WS_EX_CLIENTEDGE, clientClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                     r.right, r.bottom, m_hWnd, (HMENU)(uintptr_t)AFX_IDW_MDICLIENT, nullptr, nullptr);
    return m_hWndMDIClient != nullptr;
}

void CMDIFrameWnd::RecalcLayout(BOOL notify) { CFrameWnd::RecalcLayout(notify); }

void CMDIFrameWnd::PlaceClient(const RECT& r)
{
    if (m_hWndMDIClient) ::MoveWindow(m_hWndMDIClient, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

void CMDIFrameWnd::AddChild(CMDIChildWnd* child)
{
    if (std::find(m_children.begin(), m_children.end(), child) == m_children.end()) m_children.push_back(child);
}

void CMDIFrameWnd::MDIActivate(CMDIChildWnd* child)
{
    if (child == m_pActiveChild) {
        OnUpdateFrameTitle(TRUE);
        return;
    }
    // Each step may end this frame or the children: re-checked by handle.
    CWndProtector protect(this);
    CMDIChildWnd* old = m_pActiveChild;
    m_pActiveChild = child;
    HWND oldHwnd = old ? old->m_hWnd : nullptr, childHwnd = child ? child->m_hWnd : nullptr;
    if (oldHwnd && FromHandlePermanent(oldHwnd) == old)
        if (CView* v = old->GetActiveView()) v->OnActivateView(FALSE, nullptr, v);
    if (childHwnd && m_hWnd) {
        BringWindowToTop(childHwnd);
        if (m_hWnd && FromHandlePermanent(childHwnd) == child)
            if (CView* v = child->GetActiveView()) v->OnActivateView(TRUE, v, nullptr);
    }
    if (m_hWnd) OnUpdateFrameTitle(TRUE);
}

void CMDIFrameWnd::OnChildDestroyed(CMDIChildWnd* child)
{
    m_children.erase(std::remove(m_children.begin(), m_children.end(), child), m_children.end());
    if (m_pActiveChild == child) {
        m_pActiveChild = nullptr;
        MDIActivate(m_children.empty() ? nullptr : m_children.back());
    }
}

CFrameWnd* CMDIFrameWnd::GetActiveFrame() { return m_pActiveChild ? static_cast<CFrameWnd*>(m_pActiveChild) : this; }

CView* CMDIFrameWnd::GetActiveView() const { return m_pActiveChild ? m_pActiveChild->GetActiveView() : nullptr; }

CDocument* CMDIFrameWnd::GetActiveDocument() { return m_pActiveChild ? m_pActiveChild->GetActiveDocument() : nullptr; }

void CMDIFrameWnd::OnUpdateFrameTitle(BOOL addToTitle)
{
    if (!m_hWnd) return;
    CWndProtector protect(this);
    CDocument* doc = GetActiveDocument();
    std::string title = m_strTitle;
    if (addToTitle && doc && !doc->GetTitle().empty()) title += " - " + doc->GetTitle();
    if (GetWindowText() != title && m_hWnd) SetWindowText(title);
}

BOOL CMDIFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info)
{
    // Keyed apart from this frame's own step (CFrameWnd::OnCmdMsg), which
    // would otherwise see itself already on the route and answer FALSE.
    CRouteGuard guard(reinterpret_cast<const char*>(this) + 1, nID, nCode);
    if (!guard.Entered()) return FALSE;
    if (m_pActiveChild && m_pActiveChild->OnCmdMsg(nID, nCode, pExtra, info)) return TRUE;
    return CFrameWnd::OnCmdMsg(nID, nCode, pExtra, info);
}

BOOL CMDIFrameWnd::PreTranslateMessage(MSG* msg)
{
    // The MDI keys come before the accelerators.
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_F6 && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0 &&
        !m_children.empty()) {
        MDINext(GetKeyState(VK_SHIFT) < 0);
        return TRUE;
    }
    return CFrameWnd::PreTranslateMessage(msg);
}

BOOL CMDIFrameWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam);
    if (!lParam && id >= AFX_IDM_FIRST_MDICHILD && id < AFX_IDM_FIRST_MDICHILD + AFX_MDI_LISTED_CHILDREN) {
        const size_t i = id - AFX_IDM_FIRST_MDICHILD;
        if (i < m_children.size()) MDIActivate(m_children[i]);
        return TRUE;
    }
    return CFrameWnd::OnCommand(wParam, lParam);
}

namespace {
bool IsWindowMenu(HMENU popup)
{
    const int n = GetMenuItemCount(popup);
    for (int i = 0; i < n; ++i) {
        const UINT id = GetMenuItemID(popup, i);
        if (id >= ID_WINDOW_NEW && id <= ID_WINDOW_TILE_VERT) return true;
    }
    return false;
}
}  // namespace

void CMDIFrameWnd::UpdateWindowList(HMENU popup)
{
    for (int i = GetMenuItemCount(popup) - 1; i >= 0; --i) {
        const UINT id = GetMenuItemID(popup, i);
        if (id >= AFX_IDM_FIRST_MDICHILD && id < AFX_IDM_FIRST_MDICHILD + AFX_MDI_LISTED_CHILDREN)
            DeleteMenu(popup, (UINT)i, MF_BYPOSITION);
    }
    // The separator before the list.
    const int last = GetMenuItemCount(popup) - 1;
    if (last >= 0 && (GetMenuState(popup, (UINT)last, MF_BYPOSITION) & MF_SEPARATOR)) DeleteMenu(popup, (UINT)last, MF_BYPOSITION);
    if (m_children.empty()) return;
    AppendMenu(popup, MF_SEPARATOR, 0, nullptr);
    for (size_t i = 0; i < m_children.size() && i < AFX_MDI_LISTED_CHILDREN; ++i) {
        CMDIChildWnd* child = m_children[i];
        const std::string text = "&" + std::to_string(i + 1) + " " + (child->m_hWnd ? child->GetWindowText() : std::string());
        AppendMenu(popup, MF_STRING | (child == m_pActiveChild ? MF_CHECKED : MF_UNCHECKED),
                   AFX_IDM_FIRST_MDICHILD + (UINT)i, text.c_str());
    }
}

void CMDIFrameWnd::OnInitMenuPopup(HMENU popup, UINT index, BOOL sysMenu)
{
    if (!sysMenu && popup && IsWindowMenu(popup)) UpdateWindowList(popup);
    CFrameWnd::OnInitMenuPopup(popup, index, sysMenu);
}

void CMDIFrameWnd::OnUpdateMDIWindowCmd(CCmdUI* ui) { ui->Enable(m_pActiveChild != nullptr); }

void CMDIFrameWnd::MDINext(BOOL previous)
{
    if (m_children.empty()) return;
    const size_t n = m_children.size();
    auto at = std::find(m_children.begin(), m_children.end(), m_pActiveChild);
    size_t i = at == m_children.end() ? 0 : (size_t)(at - m_children.begin());
    i = previous ? (i + n - 1) % n : (i + 1) % n;
    MDIActivate(m_children[i]);
}

namespace {
// The children in the order to arrange them: the active one last, on top.
std::vector<HWND> ArrangeOrder(const std::vector<CMDIChildWnd*>& children, CMDIChildWnd* active)
{
    std::vector<HWND> out;
    for (CMDIChildWnd* c : children)
        if (c != active && c->m_hWnd && !IsIconic(c->m_hWnd)) out.push_back(c->m_hWnd);
    if (active && active->m_hWnd && !IsIconic(active->m_hWnd)) out.push_back(active->m_hWnd);
    return out;
}
}  // namespace

void CMDIFrameWnd::MDICascade()
{
    CWndProtector protect(this);
    const std::vector<HWND> order = ArrangeOrder(m_children, m_pActiveChild);
    if (order.empty() || !m_hWndMDIClient) return;
    RECT client;
    ::GetClientRect(m_hWndMDIClient, &client);
    const int step = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME);
    const int span = step * (int)(order.size() - 1);
    const int w = std::max<int>(client.right - span, 200), h = std::max<int>(client.bottom - span, 150);
    for (size_t i = 0; i < order.size(); ++i) {
        if (!IsWindow(order[i])) continue;
        if (IsZoomed(order[i])) ::ShowWindow(order[i], SW_RESTORE);
        const int at = step * (int)i;
        ::SetWindowPos(order[i], HWND_TOP, at, at, w, h, SWP_NOACTIVATE);
    }
}

void CMDIFrameWnd::MDITile()
{
    CWndProtector protect(this);
    const std::vector<HWND> order = ArrangeOrder(m_children, m_pActiveChild);
    if (order.empty() || !m_hWndMDIClient) return;
    RECT client;
    ::GetClientRect(m_hWndMDIClient, &client);
    const int n = (int)order.size();
    // The active one on top of the column, the others below in their order.
    for (int i = 0; i < n; ++i) {
        const HWND h = order[(size_t)((i + n - 1) % n)];
        if (!IsWindow(h)) continue;
        if (IsZoomed(h)) ::ShowWindow(h, SW_RESTORE);
        const int top = client.bottom * i / n, bottom = client.bottom * (i + 1) / n;
        ::SetWindowPos(h, nullptr, 0, top, client.right, bottom - top, SWP_NOACTIVATE | SWP_NOZORDER);
    }
}

void CMDIFrameWnd::MDIIconArrange()
{
    if (!m_hWndMDIClient) return;
    RECT client;
    ::GetClientRect(m_hWndMDIClient, &client);
    int x = 0;
    for (CMDIChildWnd* c : m_children) {
        if (!c->m_hWnd || !IsIconic(c->m_hWnd)) continue;
        RECT r;
        ::GetWindowRect(c->m_hWnd, &r);
        const int w = r.right - r.left, h = r.bottom - r.top;
        ::SetWindowPos(c->m_hWnd, nullptr, x, client.bottom - h, 0, 0, SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOSIZE);
        x += w;
    }
}
