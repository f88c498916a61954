// The hex editor window: its class, creation, the message map (one entry
// per message to a typed handler), focus and the public setters.
#include <algorithm>
#include <mutex>

#include "platform/afx/afx_ids.h"
#include "platform/afx/message_map.h"
#include "platform/user/user.h"
#include "ui_controls/hex_edit/hex_edit_ctrl.h"

namespace {
void RegisterHexEditClass()
{
    static std::once_flag once;
    std::call_once(once, [] {
        WNDCLASS wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = AfxWndProc;
        wc.hCursor = LoadCursor(nullptr, IDC_IBEAM);
        wc.hbrBackground = nullptr;   // every pixel is painted
        wc.lpszClassName = HEXEDIT_CLASS_NAME;
        RegisterClass(&wc);
    });
}
}

BEGIN_MESSAGE_MAP(CHexEditCtrl, CWnd)
    ON_WM_CREATE()
    ON_WM_CONTEXTMENU()
    ON_WM_DESTROY()
    ON_WM_PAINT()
    ON_WM_ERASEBKGND()
    ON_WM_SETFOCUS()
    ON_WM_KILLFOCUS()
    ON_WM_KEYDOWN()
    ON_WM_CHAR()
    ON_MESSAGE(WM_GETDLGCODE, OnGetDlgCode)
    ON_WM_LBUTTONDOWN()
    ON_WM_LBUTTONDBLCLK()
    ON_WM_LBUTTONUP()
    ON_WM_MOUSEMOVE()
    ON_MESSAGE(WM_CAPTURECHANGED, OnCaptureChanged)
    ON_WM_VSCROLL()
    ON_WM_HSCROLL()
    ON_WM_TIMER()
    ON_WM_SIZE()
    ON_COMMAND(ID_EDIT_COPY, OnEditCopy)
    ON_COMMAND(ID_EDIT_CUT, OnEditCut)
    ON_COMMAND(ID_EDIT_PASTE, OnEditPaste)
    ON_COMMAND(ID_EDIT_SELECT_ALL, OnEditSelectAll)
    ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, OnUpdateEditCopy)
    ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, OnUpdateEditCut)
    ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE, OnUpdateEditPaste)
    ON_UPDATE_COMMAND_UI(ID_EDIT_SELECT_ALL, OnUpdateEditSelectAll)
END_MESSAGE_MAP()

CHexEditCtrl::~CHexEditCtrl()
{
    if (m_hFont) DeleteObject(m_hFont);
}

BOOL CHexEditCtrl::Create(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id)
{
    RegisterHexEditClass();
    return CreateEx(exStyle ? exStyle : WS_EX_CLIENTEDGE, HEXEDIT_CLASS_NAME, nullptr,
                    style | WS_CHILD | WS_VSCROLL | WS_HSCROLL, rect, parent, id);
}

BOOL CHexEditCtrl::PreCreateWindow(CREATESTRUCT& cs)
{
    RegisterHexEditClass();
    cs.lpszClass = HEXEDIT_CLASS_NAME;
    return TRUE;
}

void CHexEditCtrl::SetItemsPerRow(int n)
{
    if (n < 0) return;
    // Ints, clamped: a 16-bit count would wrap negative past 32,767.
    m_nItemsPerRow = std::min(n, 32767);
    m_nHScroll = 0;
    Layout();
    Redraw();
}

void CHexEditCtrl::SetDigitsPerItem(int n)
{
    m_nDigits = n == 4 || n == 8 ? n : 2;
    m_nSelStart = m_nSelEnd = -1;
    m_nCaret = m_nTopItem = m_nHScroll = m_nDigitPos = 0;
    m_nMode |= kHexArea;
    Layout();
    Redraw();
}

void CHexEditCtrl::SetInsertMode(bool on)
{
    m_nMode = on ? (m_nMode | kInsertMode) : (m_nMode & ~kInsertMode);
    if (m_bFocus && !m_bReadOnly) {
        DestroyCaret();
        CreateEditCaret();
    }
}

void CHexEditCtrl::SetSelection(int start, int end)
{
    const int count = ItemCount();
    if (start < 0 || end < start || start >= count) {
        m_nSelStart = m_nSelEnd = -1;
    } else {
        m_nSelStart = start;
        m_nSelEnd = std::min(end, count - 1);
    }
    Redraw();
}

void CHexEditCtrl::SetCaret(int item)
{
    m_nCaret = item;
    m_nDigitPos = 0;
    AfterCaretMove();   // repaints only when the view scrolled
}

int CHexEditCtrl::OnCreate(CREATESTRUCT*)
{
    if (Default() == -1) return -1;
    Layout();
    return 0;
}

void CHexEditCtrl::OnDestroy()
{
    if (m_bTimer) KillTimer(1);
    m_bTimer = false;
    if (m_bFocus) DestroyCaret();
    m_bFocus = false;
    Default();
}

void CHexEditCtrl::OnSize(UINT, int, int)
{
    Default();
    Layout();
    Redraw();
}

void CHexEditCtrl::OnSetFocus(HWND)
{
    m_bFocus = true;
    CreateEditCaret();
}

void CHexEditCtrl::OnKillFocus(HWND)
{
    EndMouseSelection();
    m_bFocus = false;
    DestroyCaret();
}
