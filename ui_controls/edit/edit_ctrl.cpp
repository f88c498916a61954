// The source editor window: creation, focus, the window's own messages and
// the overwrite mode. The control's other concerns have their own files:
// the text model (edit_model.cpp), measuring and positions
// (edit_measure.cpp), the editing engine (edit_engine.cpp), caret moves and
// the selection (edit_caret.cpp), keyboard and mouse (edit_input.cpp), undo
// (edit_undo.cpp), painting and scrolling (edit_paint.cpp), markers,
// the clipboard, dragging and printing.
#include "ui_controls/edit/edit_ctrl.h"

#include <cstring>
#include <mutex>

#include "platform/afx/message_map.h"
#include "platform/afx/view.h"
#include "platform/user/user.h"

namespace {
const char kClassName[] = "KyrEditCtrl";
const char kWordDelimiters[] = " \t\n{}[]()!*-+=\",;:.?<>/'~`^%&";

// Overwrite mode is one flag for all editors of a thread.
thread_local bool t_overwrite = false;

void RegisterEditClass()
{
    static std::once_flag once;
    std::call_once(once, [] {
        WNDCLASS wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = AfxWndProc;
        wc.hCursor = LoadCursor(nullptr, IDC_IBEAM);
        wc.hbrBackground = nullptr;   // painting is double-buffered
        wc.lpszClassName = kClassName;
        RegisterClass(&wc);
    });
}

}   // namespace

UINT KyrEditChangeMessage()
{
    static const UINT id = RegisterWindowMessage("KYR_ON_EDITCHANGE");
    return id;
}

IMPLEMENT_DYNAMIC(KyrEditCtrl, CWnd)

BEGIN_MESSAGE_MAP(KyrEditCtrl, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_ERASEBKGND()
    ON_WM_PAINT()
    ON_MESSAGE(WM_SETCURSOR, OnSetCursorMsg)
    ON_WM_KEYDOWN()
    ON_WM_CHAR()
    ON_WM_SIZE()
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_RBUTTONDOWN()
    ON_WM_TIMER()
    ON_WM_VSCROLL()
    ON_WM_HSCROLL()
    ON_WM_MOUSEWHEEL()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_MESSAGE(WM_SYSCOLORCHANGE, OnSysColorChange)
    ON_MESSAGE(WM_GETDLGCODE, OnGetDlgCode)
    ON_MESSAGE(WM_SETFONT, OnSetFontMsg)
    ON_MESSAGE(WM_GETFONT, OnGetFontMsg)
    ON_MESSAGE(WM_SETTEXT, OnSetTextMsg)
    ON_MESSAGE(WM_GETTEXT, OnGetTextMsg)
    ON_MESSAGE(WM_GETTEXTLENGTH, OnGetTextLengthMsg)
    ON_MESSAGE(WM_CAPTURECHANGED, OnCaptureChanged)
END_MESSAGE_MAP()

KyrEditCtrl::KyrEditCtrl() : wordDelimiters(kWordDelimiters)
{
    KyrEditChangeMessage();
}

KyrEditCtrl::~KyrEditCtrl()
{
    if (m_hWnd) DestroyWindow();
}

BOOL KyrEditCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    RegisterEditClass();
    return CreateEx(0, kClassName, "", style | WS_CHILD | WS_VSCROLL | WS_HSCROLL, rect, parent, id);
}

BOOL KyrEditCtrl::PreCreateWindow(CREATESTRUCT& cs)
{
    RegisterEditClass();
    if (!cs.lpszClass) cs.lpszClass = kClassName;
    return TRUE;
}

BOOL KyrEditCtrl::PreTranslateMessage(MSG* msg)
{
    if (tooltip.m_hWnd && msg->hwnd == m_hWnd) {
        const UINT m = msg->message;
        // A move onto another word re-arms the tip before the tip sees the move.
        if (m == WM_MOUSEMOVE && hoverTips && !selecting && GetCapture() != m_hWnd)
            UpdateHoverTip(POINT{(short)LOWORD(msg->lParam), (short)HIWORD(msg->lParam)});
        if ((m >= WM_MOUSEFIRST && m <= WM_MOUSELAST && m != WM_MOUSEWHEEL) || m == WM_KEYDOWN || m == WM_SYSKEYDOWN ||
            (m >= WM_NCMOUSEMOVE && m <= WM_NCMBUTTONDBLCLK))
            tooltip.RelayEvent(msg);
    }
    return CWnd::PreTranslateMessage(msg);
}

void KyrEditCtrl::PreSubclassWindow()
{
    CWnd::PreSubclassWindow();
    if (!setUp && m_hWnd) Setup();
}

int KyrEditCtrl::OnCreate(CREATESTRUCT*)
{
    if (Default() == -1) return -1;
    Setup();
    return 0;
}

void KyrEditCtrl::Setup()
{
    setUp = true;
    OnSysColorChange(0, 0);
    dropTarget.ctrl = this;
    dropTarget.Register(this);
    ComputeTextRect();
    ComputeMetrics();
    std::string initial = GetWindowText();
    if (!initial.empty()) InsertText(initial, 0, KYR_INS_RESET_UNDO, true);
    ModifyStyle(0, WS_VSCROLL | WS_HSCROLL);
    // One tool over the client area; its text is asked for when it shows.
    if (tooltip.Create(this)) {
        tooltip.ModifyStyle(0, 7);
        RECT client;
        GetClientRect(&client);
        tooltip.AddTool(this, LPSTR_TEXTCALLBACK, client, (UINT_PTR)GetDlgCtrlID());
        if (!tipActive) tooltip.Activate(FALSE);
    }
    SetCaretOffset(0, false, false);
}

void KyrEditCtrl::OnDestroy()
{
    if (tooltip.m_hWnd) tooltip.DestroyWindow();
    tipText.clear();
    tipHidden = 1;
    setUp = false;
    dropTarget.Revoke();
    if (autoScrollTimer >= 0) KillTimer(1);
    autoScrollTimer = -1;
    if (hasFocus && !readOnly) DestroyCaret();
    hasFocus = false;
    if (GetCapture() == m_hWnd) ReleaseCapture();
    selecting = false;
    Default();
}

LRESULT KyrEditCtrl::OnSysColorChange(WPARAM, LPARAM)
{
    selectionBack = selectionBack2 = GetSysColor(COLOR_HIGHLIGHT);
    selectionText = selectionText2 = GetSysColor(COLOR_HIGHLIGHTTEXT);
    if (m_hWnd) Invalidate(FALSE);
    return 0;
}

void KyrEditCtrl::OnSetFocus(HWND)
{
    hasFocus = true;
    if (!readOnly) {
        SIZE s;
        GetCaretSize(&s);
        CreateCaret(m_hWnd, nullptr, s.cx, s.cy);
        POINT p;
        const bool inside = PointFromOffset(caretOffset, &p) && p.y >= textRect.top && p.y < textRect.bottom &&
                            p.x >= textRect.left && p.x < textRect.right;
        SetCaretOffset(caretOffset, inside, false);
        ShowCaret(m_hWnd);
    }
    Invalidate(FALSE);
}

void KyrEditCtrl::OnKillFocus(HWND next)
{
    // A view passes the focus straight back to its editor: keep caret and
    // state (no flicker).
    CWnd* parent = GetParent();
    if (next && parent && next == parent->m_hWnd && parent->IsKindOf(RUNTIME_CLASS(CView))) return;
    savedCaretOffset = caretOffset;
    savedCaretX = caretX + firstColumn * columnWidth;
    savedCaretY = caretY + firstLine * lineHeight;
    (void)next;
    if (hasFocus && !readOnly) DestroyCaret();
    hasFocus = false;
    Invalidate(FALSE);
}

LRESULT KyrEditCtrl::OnGetDlgCode(WPARAM w, LPARAM l)
{
    if (dlgCode == -1) return CWnd::DefWindowProc(WM_GETDLGCODE, w, l);
    return dlgCode;
}

LRESULT KyrEditCtrl::OnSetFontMsg(WPARAM w, LPARAM l)
{
    screenFont = (HFONT)w;
    ComputeMetrics();
    if (LOWORD(l)) Invalidate(FALSE);
    return 0;
}

LRESULT KyrEditCtrl::OnGetFontMsg(WPARAM, LPARAM) { return (LRESULT)screenFont; }

LRESULT KyrEditCtrl::OnSetTextMsg(WPARAM, LPARAM l)
{
    const char* s = reinterpret_cast<const char*>(l);
    SetText(s ? std::string_view(s) : std::string_view());
    return TRUE;
}

LRESULT KyrEditCtrl::OnGetTextMsg(WPARAM w, LPARAM l)
{
    char* buf = reinterpret_cast<char*>(l);
    if (!buf || w == 0) return 0;
    const size_t n = std::min(text.size(), (size_t)w - 1);
    std::memcpy(buf, text.data(), n);
    buf[n] = 0;
    return (LRESULT)n;
}

LRESULT KyrEditCtrl::OnGetTextLengthMsg(WPARAM, LPARAM) { return (LRESULT)text.size(); }

void KyrEditCtrl::OnSize(UINT, int, int)
{
    Default();
    ComputeTextRect();
    UpdateScrollRanges();
    if (firstLine > 0 && lineCount + 1 <= VisibleLines()) SetFirstLine(0);
    UpdateScrollRanges();
    SetCaretOffset(caretOffset, false, false);
    if (tooltip.m_hWnd) {
        RECT client;
        GetClientRect(&client);
        tooltip.SetToolRect(this, (UINT_PTR)GetDlgCtrlID(), client);
    }
    Invalidate(FALSE);
}

void KyrEditCtrl::SetReadOnly(bool on)
{
    if ((readOnly != 0) == on) return;
    if (m_hWnd && hasFocus) {
        if (on)
            DestroyCaret();
        else {
            readOnly = 0;
            RecreateCaret();
        }
    }
    readOnly = on ? 1 : 0;
    if (m_hWnd) Invalidate(FALSE);
}

bool KyrEditCtrl::GetOverwriteMode() { return t_overwrite; }

void KyrEditCtrl::SetOverwriteMode(bool on) { t_overwrite = on; }

bool KyrEditCtrl::ToggleOverwrite()
{
    if (readOnly) {
        Event(KYR_EV_READONLY_INSERT);
        return false;
    }
    SetOverwriteMode(!GetOverwriteMode());
    RecreateCaret();
    return true;
}
