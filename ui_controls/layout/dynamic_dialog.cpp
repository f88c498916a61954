// Resizable dialogs and their position store.
#include "ui_controls/layout/dynamic_dialog.h"

#include <cstdio>

#include "platform/afx/settings_file.h"
#include "platform/afx/win_app.h"
#include "ui_controls/layout/size_icon_ctrl.h"

IMPLEMENT_DYNAMIC(LytDynamicDialog, CDialog)
IMPLEMENT_DYNAMIC(LytDynamicChildDlg, LytDynamicDialog)

namespace {
std::string StoreName(UINT id)
{
    if (!id) return "";
    char buf[32];
    snprintf(buf, sizeof buf, "ID=0x%08lx", (unsigned long)id);
    return buf;
}

// The settings of the running application, or null without a settings file.
CWinApp* Store()
{
    CWinApp* app = AfxGetApp();
    if (!app || app->m_strRegistryKey.empty()) return nullptr;
    return app;
}
}  // namespace

LytDynamicDialog::LytDynamicDialog(UINT templateId, CWnd* parent, int axes, int flags)
    : CDialog(templateId, parent), LytDynamicLayout(axes, flags)
{
    m_strName = StoreName(templateId);
}

LytDynamicDialog::LytDynamicDialog(const CDialogTemplate* tmpl, CWnd* parent, int axes, int flags, UINT storeId)
    : CDialog(tmpl, parent), LytDynamicLayout(axes, flags)
{
    m_strName = StoreName(storeId);
}

BOOL LytDynamicDialog::OnInitDialog()
{
    const BOOL r = CDialog::OnInitDialog();
    AttachWindow(this);
    return r;
}

BOOL LytDynamicDialog::DestroyWindow()
{
    DetachWindow();
    return CDialog::DestroyWindow();
}

LRESULT LytDynamicDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        DetachWindow();
        return CDialog::WindowProc(message, wParam, lParam);
    }
    const LRESULT r = CDialog::WindowProc(message, wParam, lParam);
    switch (message) {
    case WM_GETMINMAXINFO: LayoutOnGetMinMaxInfo((MINMAXINFO*)lParam); break;
    case WM_SIZE: LayoutOnSize((UINT)wParam); break;
    case WM_SIZING: LayoutOnSizing((UINT)wParam); break;
    case WM_TIMER: LayoutOnTimer((UINT_PTR)wParam); break;
    case WM_PARENTNOTIFY: LayoutOnParentNotify(wParam, lParam); break;
    default: break;
    }
    return r;
}

std::string LytDynamicDialog::StoreSection() const
{
    std::string base = "WindowPositions";
    if (base.back() != '\\') base += '\\';
    return base + m_strName;
}

void LytDynamicDialog::OnAttached()
{
    if (m_strName.empty()) return;
    if (!RestorePosition()) PlaceFirstTime();
}

void LytDynamicDialog::OnDetaching()
{
    if (!m_strName.empty()) StorePosition();
}

BOOL LytDynamicDialog::StorePosition()
{
    CWinApp* app = Store();
    if (!app || m_strName.empty() || !m_hWnd) return FALSE;
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (!GetWindowPlacement(m_hWnd, &wp)) return FALSE;
    const std::string s = StoreSection();
    const int state = IsIconic(m_hWnd) ? 0 : IsZoomed(m_hWnd) ? 1 : -1;
    const struct {
        const char* name;
        int value;
    } values[] = {
        {"(valid)", 0},
        {"Left", (int)wp.rcNormalPosition.left},
        {"Right", (int)wp.rcNormalPosition.right},
        {"Top", (int)wp.rcNormalPosition.top},
        {"Bottom", (int)wp.rcNormalPosition.bottom},
        {"Visibility", IsWindowVisible() ? 1 : 0},
        {"State", state},
        {"(valid)", 1},
    };
    // One write of the settings file for all of them.
    CSettingsFile::CBatch batch(app->Settings());
    for (const auto& v : values)
        if (!app->WriteProfileInt(s.c_str(), v.name, v.value)) return FALSE;
    return batch.Commit() ? TRUE : FALSE;
}

BOOL LytDynamicDialog::RestorePosition()
{
    CWinApp* app = Store();
    if (!app || m_strName.empty() || !m_hWnd) return FALSE;
    const std::string s = StoreSection();
    if ((int)app->GetProfileInt(s.c_str(), "(valid)", 0) != 1) return FALSE;
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    GetWindowPlacement(m_hWnd, &wp);
    const int state = (int)app->GetProfileInt(s.c_str(), "State", -1);
    RECT r;
    r.left = (int)app->GetProfileInt(s.c_str(), "Left", wp.rcNormalPosition.left);
    r.right = (int)app->GetProfileInt(s.c_str(), "Right", wp.rcNormalPosition.right);
    r.top = (int)app->GetProfileInt(s.c_str(), "Top", wp.rcNormalPosition.top);
    r.bottom = (int)app->GetProfileInt(s.c_str(), "Bottom", wp.rcNormalPosition.bottom);
    r = ClampRect(r);
    if (r.left > r.right) std::swap(r.left, r.right);
    if (r.top > r.bottom) std::swap(r.top, r.bottom);
    // An empty rectangle would restore an invisible window.
    if (r.right == r.left || r.bottom == r.top) return FALSE;
    const int show = state == 1 ? SW_SHOWMAXIMIZED : state == 0 ? SW_MINIMIZE : 0;
    SetWindowPos(m_hWnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER | (show ? (UINT)SWP_NOREDRAW : 0u));
    if (show) {
        wp.rcNormalPosition = r;
        wp.showCmd = (UINT)show;
        SetWindowPlacement(m_hWnd, &wp);
    }
    const int vis = (int)app->GetProfileInt(s.c_str(), "Visibility", -1);
    if (vis == 1) ShowWindow(SW_SHOW);
    if (vis == 0) ShowWindow(SW_HIDE);
    return TRUE;
}

void LytDynamicDialog::PlaceFirstTime()
{
    if (!m_hWnd) return;
    CenterWindow();
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (!GetWindowPlacement(m_hWnd, &wp)) return;
    SIZE frame{0, 0};
    if (!IsIconic(m_hWnd)) {
        RECT w, c;
        ::GetWindowRect(m_hWnd, &w);
        ::GetClientRect(m_hWnd, &c);
        frame = SIZE{(w.right - w.left) - c.right, (w.bottom - w.top) - c.bottom};
    }
    const SIZE client = QueryClientSize();
    const SIZE grow{(client.cx + frame.cx) * 10 / 100, (client.cy + frame.cy) * 10 / 100};
    RECT r = wp.rcNormalPosition;
    r.left -= grow.cx / 2;
    r.top -= grow.cy / 2;
    r.right += (grow.cx + 1) / 2;
    r.bottom += (grow.cy + 1) / 2;
    if (r.right > r.left && r.bottom > r.top)
        SetWindowPos(m_hWnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}
