// Dialog bars: a sizing caption bar filled by a resizable dialog.
#include "ui_controls/bars/dynamic_bar.h"

IMPLEMENT_DYNAMIC(LytDynamicBarDlg, LytDynamicChildDlg)
IMPLEMENT_DYNAMIC(LytDynamicBar, CResizableBarCF)

LytDynamicBarDlg::LytDynamicBarDlg(UINT templateId, CWnd* parent, int axes, int flags)
    : LytDynamicChildDlg(templateId, parent, axes, flags), m_nTemplateId(templateId)
{
}

LytDynamicBarDlg::LytDynamicBarDlg(const CDialogTemplate* tmpl, CWnd* parent, int axes, int flags, UINT storeId)
    : LytDynamicChildDlg(tmpl, parent, axes, flags, storeId), m_nTemplateId(storeId)
{
}

BOOL LytDynamicBarDlg::Create(CWnd* parent)
{
    const CDialogTemplate* t = m_pTemplate ? m_pTemplate : FindTemplate();
    if (!t || !parent) return FALSE;
    m_pParentWnd = parent;
    if (!CreateFromTemplate(t, parent->m_hWnd, WS_CHILD, DS_CONTROL | WS_POPUP | WS_CAPTION | WS_THICKFRAME)) return FALSE;
    // A bar's content is always shown.
    ShowWindow(SW_SHOWNA);
    return TRUE;
}

void LytDynamicBarDlg::OnUpdateCmdUI(CFrameWnd* target, BOOL)
{
    // The frame's routing does not know the dialog's own handlers: a control
    // nobody there handles stays as the dialog set it (edits and lists
    // would otherwise be disabled under the user's hands).
    AfxUpdateDialogControls(this, target, FALSE);
}

BOOL LytDynamicBarDlg::PreTranslateMessage(MSG* msg)
{
    // The bar and the frames above it (their accelerators) come first.
    for (CWnd* p = GetParent(); p; p = p->GetParent())
        if (p->PreTranslateMessage(msg)) return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

LRESULT LytDynamicBarDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        OnCancel();
        return 0;
    }
    return LytDynamicChildDlg::WindowProc(message, wParam, lParam);
}

LRESULT LytDynamicBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_CREATE) return CResizableBarCF::WindowProc(message, wParam, lParam);
    if (CResizableBarCF::WindowProc(message, wParam, lParam) == -1) return -1;
    m_dwSCBStyle = (m_dwSCBStyle & ~(DWORD)SizableAll) | FitChild;
    // A bar without its dialog cannot be made.
    if (!m_pDialog || !m_pDialog->Create(this)) return -1;
    m_pDialog->m_flags |= LytDynamicLayout::CopyBits;
    const SIZE min = m_pDialog->m_szMin;
    const UINT ids[3] = {AFX_IDW_DOCKBAR_FLOAT, AFX_IDW_DOCKBAR_LEFT, AFX_IDW_DOCKBAR_TOP};
    SIZE* sizes[3][2] = {{&m_szFloat, &m_szMinFloat}, {&m_szVert, &m_szMinVert}, {&m_szHorz, &m_szMinHorz}};
    const DWORD keep = m_dwSCBStyle;
    for (int i = 0; i < 3; ++i) {
        RECT r{0, 0, 0, 0};
        ComputeClientArea(r, ids[i]);
        // The gripper or caption of the docked states.
        if (ids[i] == AFX_IDW_DOCKBAR_LEFT) r.top += m_cyGripper;
        if (ids[i] == AFX_IDW_DOCKBAR_TOP) r.left += m_cyGripper;
        const SIZE nc{-(r.right - r.left), -(r.bottom - r.top)};
        *sizes[i][0] = *sizes[i][1] = SIZE{min.cx + nc.cx, min.cy + nc.cy};
    }
    m_dwSCBStyle = keep;
    return 0;
}

void LytDynamicBar::OnUpdateCmdUI(CFrameWnd* target, BOOL disable)
{
    CResizableBarCF::OnUpdateCmdUI(target, disable);
    if (m_pDialog && m_pDialog->m_hWnd) m_pDialog->OnUpdateCmdUI(target, disable);
}

namespace {
// While a command goes to the dialog, a dialog that hands it back to its
// parent (the bar) must not send it round again.
struct RouteGuard {
    explicit RouteGuard(bool& flag) : m_flag(flag) { m_flag = true; }
    ~RouteGuard() { m_flag = false; }
    bool& m_flag;
};
}  // namespace

BOOL LytDynamicBar::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info)
{
    if (!m_bRouting && m_pDialog && m_pDialog->m_hWnd) {
        RouteGuard guard(m_bRouting);
        if (m_pDialog->OnCmdMsg(nID, nCode, pExtra, info)) return TRUE;
    }
    return CResizableBarCF::OnCmdMsg(nID, nCode, pExtra, info);
}

BOOL LytDynamicBar::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (!m_bRouting && m_pDialog && m_pDialog->m_hWnd) {
        RouteGuard guard(m_bRouting);
        if (m_pDialog->OnCommand(wParam, lParam)) return TRUE;
    }
    return CResizableBarCF::OnCommand(wParam, lParam);
}
