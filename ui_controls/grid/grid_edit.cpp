// The in-place edit box.
#include "ui_controls/grid/grid_edit.h"

#include <algorithm>

#include "platform/user/user.h"
#include "ui_controls/grid/grid_types.h"

namespace {
thread_local int t_liveBoxes = 0;
// FinishEdit closes the window, which loses the focus and would finish again.
thread_local bool t_finishing = false;
}  // namespace

int CDataGridEditBox::LiveCount() { return t_liveBoxes; }

CDataGridEditBox::CDataGridEditBox(CWnd* parent, const RECT& rect, DWORD style, UINT id, int row, int col,
                                   const std::string& text, UINT firstChar)
    : m_editRow(row), m_editColumn(col), m_originalText(text), m_editRect(rect)
{
    t_liveBoxes++;
    bool flagged = (firstChar & kGridEditKeyFlag) != 0;
    UINT ch = firstChar & ~kGridEditKeyFlag;
    m_navKeysExit = ch != VK_LBUTTON;
    if (!Create(style | WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, rect, parent, id)) return;
    HFONT font = (HFONT)::SendMessage(parent->m_hWnd, WM_GETFONT, 0, 0);
    SendMessage(WM_SETFONT, (WPARAM)font, TRUE);
    SetWindowText(text);
    SetFocus();
    int len = (int)text.size();
    // Navigation keys (and F2) carry the flag; only a typed character is posted.
    if (flagged && ch != VK_LBUTTON) {
        SetSel(0, -1);
        SendMessage(EM_SCROLLCARET);
        return;
    }
    switch (ch) {
    case VK_LBUTTON:
    case '\r':
        SetSel(len, -1);
        SendMessage(EM_SCROLLCARET);
        break;
    case '\b':
        SetSel(len, -1);
        SendMessage(EM_SCROLLCARET);
        PostMessage(WM_CHAR, ch, 0);
        break;
    case '\t':
    case ' ':
        SetSel(0, -1);
        SendMessage(EM_SCROLLCARET);
        break;
    default:
        SetSel(0, -1);
        SendMessage(EM_SCROLLCARET);
        PostMessage(WM_CHAR, ch, 0);
        break;
    }
}

CDataGridEditBox::~CDataGridEditBox() { t_liveBoxes--; }

void CDataGridEditBox::PostNcDestroy()
{
    CEdit::PostNcDestroy();
    delete this;
}

BOOL CDataGridEditBox::PreTranslateMessage(MSG* msg)
{
    if (msg->message == WM_SYSCHAR) return TRUE;
    return CEdit::PreTranslateMessage(msg);
}

BOOL CDataGridEditBox::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    switch (message) {
    case WM_KEYDOWN:
        OnKeyDown((UINT)wParam);
        *result = 0;
        return TRUE;
    case WM_CHAR:
    case WM_IME_CHAR:   // an input method's character grows the box as a typed one
        OnChar((UINT)wParam);
        *result = 0;
        return TRUE;
    case WM_KILLFOCUS:
        Default();
        *result = 0;
        FinishEdit();   // may destroy this object: touch nothing after it
        return TRUE;
    case WM_GETDLGCODE:
        *result = DLGC_WANTALLKEYS;
        return TRUE;
    default:
        return CEdit::OnWndMsg(message, wParam, lParam, result);
    }
}

void CDataGridEditBox::EndWith(UINT key)
{
    m_endKey = key;
    if (CWnd* p = GetParent()) p->SetFocus();
}

void CDataGridEditBox::OnKeyDown(UINT key)
{
    if ((key == VK_PRIOR || key == VK_NEXT || (key >= VK_LEFT && key <= VK_DOWN)) &&
        (m_navKeysExit || (GetKeyState(VK_CONTROL) & 0x8000))) {
        EndWith(key);
        return;
    }
    Default();
}

void CDataGridEditBox::OnChar(UINT ch)
{
    if (ch == '\t' || ch == '\r') {
        EndWith(ch);
        return;
    }
    if (ch == 27) {
        SetWindowText(m_originalText);
        EndWith(27);
        return;
    }
    Default();
    GrowToText();
}

void CDataGridEditBox::GrowToText()
{
    if (!m_hWnd) return;
    std::string text = GetWindowText() + "  ";
    HDC dc = ::GetDC(m_hWnd);
    HGDIOBJ old = SelectObject(dc, (HGDIOBJ)SendMessage(WM_GETFONT));
    SIZE size{0, 0};
    GetTextExtentPoint32(dc, text.c_str(), (int)text.size(), &size);
    SelectObject(dc, old);
    ::ReleaseDC(m_hWnd, dc);
    if (size.cx <= m_editRect.right - m_editRect.left) return;
    RECT client{};
    if (CWnd* p = GetParent()) p->GetClientRect(&client);
    m_editRect.right = std::min<LONG>(m_editRect.left + size.cx, client.right);
    MoveWindow(m_editRect, TRUE);
}

void CDataGridEditBox::FinishEdit()
{
    if (t_finishing) return;
    t_finishing = true;
    HWND hwnd = m_hWnd;
    GridDispInfo info{};
    info.hdr.hwndFrom = hwnd;
    info.hdr.idFrom = (UINT_PTR)GetDlgCtrlID();
    info.hdr.code = (UINT)GVN_ENDLABELEDIT;
    info.item.mask = 5;
    info.item.row = m_editRow;
    info.item.column = m_editColumn;
    info.item.param = (LPARAM)m_endKey;
    info.item.text = GetWindowText();
    HWND target = ::GetWindow(hwnd, GW_OWNER);
    if (!target) target = ::GetParent(hwnd);
    // The receiver may open the next box; this one is closed afterwards.
    ::SendMessage(target, WM_NOTIFY, info.hdr.idFrom, (LPARAM)&info);
    if (::IsWindow(hwnd)) ::SendMessage(hwnd, WM_CLOSE, 0, 0);
    t_finishing = false;
}
