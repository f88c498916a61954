// CDialog: creation from templates, the modal loop, OK and Cancel.
#include "platform/afx/dialog.h"

#include <algorithm>

#include "platform/afx/nested_loop.h"
#include "platform/afx/resources.h"
#include "platform/afx/app_access.h"
#include "platform/kernel/kernel.h"
#include "platform/user/control_messages.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_MESSAGE(WM_INITDIALOG, HandleInitDialog)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
    ON_WM_CLOSE()
END_MESSAGE_MAP()

namespace {
const char* DialogClass()
{
    static const char* name = [] {
        WNDCLASS wc{};
        wc.style = CS_DBLCLKS;   // as every dialog class
        wc.lpfnWndProc = AfxWndProc;
        wc.lpszClassName = "AfxDialog";
        wc.hbrBackground = (HBRUSH)(uintptr_t)(COLOR_BTNFACE + 1);
        RegisterClass(&wc);
        return "AfxDialog";
    }();
    return name;
}

// Items of classes not registered (yet) are plain windows that keep their text.
const char* ItemClass(const char* wanted)
{
    static const char* fallback = [] {
        WNDCLASS wc{};
        wc.lpfnWndProc = ::DefWindowProc;
        wc.lpszClassName = "AfxDlgItem";
        RegisterClass(&wc);
        return "AfxDlgItem";
    }();
    EnsureControlClasses();
    WNDCLASS wc{};
    if (wanted && GetClassInfo(nullptr, wanted, &wc)) return wanted;
    return fallback;
}
}  // namespace

CDialog::~CDialog()
{
    if (m_hWnd && GetWindowThreadProcessId(m_hWnd, nullptr) == GetCurrentThreadId()) ::DestroyWindow(m_hWnd);
}

const CDialogTemplate* CDialog::FindTemplate() const
{
    if (m_pTemplate) return m_pTemplate;
    return m_nIDTemplate ? AfxFindDialogTemplate(m_nIDTemplate) : nullptr;
}

// A dialog goes fully onto the screen (its work area) wherever its template,
// its owner or a stored position put it; one larger than the screen keeps
// its top left corner on it.
static void KeepOnScreen(HWND dlg)
{
    RECT r, work;
    if (!GetWindowRect(dlg, &r) || IsIconic(dlg)) return;
    SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int x = std::max((int)work.left, std::min((int)r.left, (int)work.right - w));
    const int y = std::max((int)work.top, std::min((int)r.top, (int)work.bottom - h));
    if (x != r.left || y != r.top) SetWindowPos(dlg, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CDialog::CreateFromTemplate(const CDialogTemplate* tmpl, HWND parent, DWORD forceStyle, DWORD removeStyle)
{
    if (!tmpl) return FALSE;
    CWndProtector protect(this);
    RECT r{tmpl->x, tmpl->y, tmpl->x + tmpl->cx, tmpl->y + tmpl->cy};
    AfxMapDialogRect(&r);
    DWORD style = ((tmpl->style & ~removeStyle) | forceStyle) & ~WS_VISIBLE;
    bool child = (style & WS_CHILD) != 0;
    if (!child) {
        if (!(style & WS_POPUP)) style |= WS_POPUP;
        RECT outer = r;
        AdjustWindowRectEx(&outer, style, FALSE, tmpl->exStyle);
        int w = outer.right - outer.left, h = outer.bottom - outer.top;
        r.right = r.left + w;
        r.bottom = r.top + h;
        if (parent) {
            // Placed relative to the owner's client area, as dialog positions are.
            POINT pt{r.left, r.top};
            ClientToScreen(parent, &pt);
            r = RECT{pt.x, pt.y, pt.x + w, pt.y + h};
        }
    }
    // A dialog inside a dialog (a property page) lends its controls to the
    // outer one's keyboard interface.
    const DWORD exStyle = tmpl->exStyle | ((style & DS_CONTROL) ? WS_EX_CONTROLPARENT : 0u);
    if (!CreateEx(exStyle, DialogClass(), tmpl->caption ? tmpl->caption : "", style, r.left, r.top,
                  r.right - r.left, r.bottom - r.top, parent, nullptr, nullptr))
        return FALSE;
    HWND self = m_hWnd;
    for (size_t i = 0; i < tmpl->count; ++i) {
        const CDialogItemTemplate& it = tmpl->items[i];
        RECT ir{it.x, it.y, it.x + it.cx, it.y + it.cy};
        AfxMapDialogRect(&ir);
        CreateWindowEx(it.exStyle, ItemClass(it.className), it.text ? it.text : "", it.style | WS_CHILD | WS_VISIBLE, ir.left,
                       ir.top, ir.right - ir.left, ir.bottom - ir.top, self, (HMENU)(uintptr_t)it.id, nullptr, nullptr);
        if (!IsWindow(self)) return FALSE;
    }
    if (!child && (tmpl->style & DS_CENTER)) CenterWindow();
    LRESULT focusDefault = ::SendMessage(self, WM_INITDIALOG, 0, 0);
    if (!IsWindow(self)) return FALSE;
    if (!child) KeepOnScreen(self);
    if (focusDefault) {
        // Through the dialog manager: an edit box that takes the focus so
        // has its text selected, and typing replaces it.
        HWND first = GetNextDlgTabItem(self, nullptr, FALSE);
        if (first) ::SendMessage(self, WM_NEXTDLGCTL, (WPARAM)first, TRUE);
    }
    if (tmpl->style & WS_VISIBLE) ShowWindow(SW_SHOW);
    return TRUE;
}

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) { return OnInitDialog(); }

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

BOOL CDialog::Create(UINT idTemplate, CWnd* parent)
{
    m_nIDTemplate = idTemplate;
    m_pParentWnd = parent;
    return CreateIndirect(FindTemplate(), parent);
}

BOOL CDialog::CreateIndirect(const CDialogTemplate* tmpl, CWnd* parent)
{
    m_pParentWnd = parent;
    return CreateFromTemplate(tmpl, parent ? parent->m_hWnd : nullptr);
}

static HWND ModalOwner(CWnd* parent)
{
    HWND h = parent ? parent->m_hWnd : nullptr;
    if (!h) {
        // Without a parent, the window the user works in: a dialog opened
        // from a modal sheet belongs to the sheet, not to the main window.
        HWND active = ::GetActiveWindow();
        if (active && ::IsWindowVisible(active) && ::IsWindowEnabled(active)) return GetAncestor(active, GA_ROOT);
        CWnd* main = AfxGetMainWnd();
        h = main ? main->m_hWnd : nullptr;
    }
    if (!h || GetWindowThreadProcessId(h, nullptr) != GetCurrentThreadId()) return nullptr;
    return GetAncestor(h, GA_ROOT);
}

INT_PTR CDialog::DoModal()
{
    const CDialogTemplate* tmpl = FindTemplate();
    if (!tmpl || m_hWnd) return -1;
    HWND owner = ModalOwner(m_pParentWnd);
    const HWND focusBefore = ::GetFocus();
    bool reenable = owner && ::IsWindowEnabled(owner);
    if (reenable) ::EnableWindow(owner, FALSE);
    INT_PTR result = -1;
    CNestedLoop loop;
    m_pLoop = &loop;
    m_nModalResult = -1;
    if (CreateFromTemplate(tmpl, owner, 0, WS_CHILD) && !loop.Ended()) {
        ShowWindow(SW_SHOW);
        result = RunModalLoop(owner);
    } else if (loop.Ended()) {
        result = loop.Cancelled() ? IDCANCEL : m_nModalResult;
    }
    m_pLoop = nullptr;
    if (reenable && IsWindow(owner)) ::EnableWindow(owner, TRUE);
    if (m_hWnd) ::DestroyWindow(m_hWnd);
    if (owner && IsWindow(owner)) {
        SetActiveWindow(owner);
        // The control of the owner that had the focus takes it back.
        if (focusBefore && IsWindow(focusBefore) && (focusBefore == owner || IsChild(owner, focusBefore)))
            ::SetFocus(focusBefore);
    }
    return result;
}

namespace {

bool IsOwnerlessPopup(HWND h)
{
    return (::GetWindowLongPtr(h, GWL_STYLE) & (WS_POPUP | WS_CHILD)) == WS_POPUP && !::GetWindow(h, GW_OWNER) &&
           ::IsWindowEnabled(h) && GetWindowThreadProcessId(h, nullptr) == GetCurrentThreadId();
}

}   // namespace

INT_PTR CDialog::RunModalLoop(HWND)
{
    CNestedLoop& loop = *m_pLoop;
    MSG msg;
    while (!loop.Ended() && m_hWnd) {
        if (!loop.GetMessage(&msg)) break;
        if (msg.message == WM_NULL && !msg.hwnd) continue;
        // Only the dialog's own windows translate: the owner's accelerators
        // stay off while the dialog is modal.
        BOOL taken = FALSE;
        for (HWND h = msg.hwnd; h && !taken; h = ::GetParent(h)) {
            if (h != m_hWnd && !IsChild(m_hWnd, h)) break;
            if (CWnd* w = FromHandlePermanent(h)) taken = w->PreTranslateMessage(&msg);
            if (h == m_hWnd || !m_hWnd) break;
        }
        // A pop-up of no owner (a control's tip over the dialog) forwards
        // what it is given to its control: it translates for itself.
        if (!taken && msg.hwnd && msg.hwnd != m_hWnd && !IsChild(m_hWnd, msg.hwnd) && IsOwnerlessPopup(msg.hwnd))
            if (CWnd* w = FromHandlePermanent(msg.hwnd)) taken = w->PreTranslateMessage(&msg);
        if (!taken && m_hWnd && IsDialogMessage(m_hWnd, &msg)) taken = TRUE;
        if (!taken) {
            TranslateMessage(&msg);
            DispatchMessage(&msg);
        }
    }
    if (loop.Cancelled() || !loop.Ended()) return IDCANCEL;
    return m_nModalResult;
}

void CDialog::EndDialog(int result)
{
    m_nModalResult = result;
    if (m_pLoop) {
        m_pLoop->End(result);
        return;
    }
    if (m_hWnd) DestroyWindow();
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::PreTranslateMessage(MSG* msg)
{
    // A modeless dialog's keyboard interface; a dialog inside a dialog (a
    // property page) leaves it to the outer one, whose controls it shares.
    if (!m_pLoop && m_hWnd && msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST &&
        !(GetExStyle() & WS_EX_CONTROLPARENT && GetStyle() & WS_CHILD))
        return IsDialogMessage(m_hWnd, msg);
    return FALSE;
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper) return CWnd::DefWindowProc(message, wParam, lParam);
    return DefDlgProc(m_hWnd, message, wParam, lParam);
}
