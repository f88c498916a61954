// The grid's drop target, title tip and text drag.
#include "ui_controls/grid/grid_companions.h"

#include <new>

#include "platform/controls/controls.h"
#include "platform/kernel/clock.h"
#include "platform/user/user.h"
#include "ui_controls/grid/grid_ctrl.h"

// ---------------------------------------------------------------- drop target

#ifndef CS_SAVEBITS
#define CS_SAVEBITS 0x0800u
#endif

namespace {
thread_local bool t_registering = false;
LPARAM PointParam(POINT p) { return (LPARAM)(DWORD)(((WORD)(short)p.x) | ((DWORD)(WORD)(short)p.y << 16)); }
}

BOOL CDataGridOleDropTarget::Register(CWnd* wnd)
{
    if (m_registered || t_registering) return FALSE;
    t_registering = true;
    BOOL ok = FALSE;
    if (wnd && wnd->IsKindOf(RUNTIME_CLASS(CDataGridCtrl))) {
        m_targetGrid = static_cast<CDataGridCtrl*>(wnd);
        ok = m_registered = COleDropTarget::Register(wnd);
    }
    t_registering = false;
    return ok;
}

void CDataGridOleDropTarget::Revoke()
{
    m_registered = FALSE;
    COleDropTarget::Revoke();
}

bool CDataGridOleDropTarget::IsTarget(CWnd* wnd) const
{
    HWND mine = m_targetGrid ? m_targetGrid->m_hWnd : nullptr;
    return (wnd ? wnd->m_hWnd : nullptr) == mine;
}

DROPEFFECT CDataGridOleDropTarget::OnDragEnter(CWnd* wnd, COleDataObject* data, DWORD keyState, POINT pt)
{
    return IsTarget(wnd) && m_targetGrid ? m_targetGrid->OnDragEnter(data, keyState, pt) : DROPEFFECT_NONE;
}

DROPEFFECT CDataGridOleDropTarget::OnDragOver(CWnd* wnd, COleDataObject* data, DWORD keyState, POINT pt)
{
    return IsTarget(wnd) && m_targetGrid ? m_targetGrid->OnDragOver(data, keyState, pt) : DROPEFFECT_NONE;
}

BOOL CDataGridOleDropTarget::OnDrop(CWnd* wnd, COleDataObject* data, DROPEFFECT effect, POINT pt)
{
    return IsTarget(wnd) && m_targetGrid ? m_targetGrid->OnDrop(data, effect, pt) : FALSE;
}

void CDataGridOleDropTarget::OnDragLeave(CWnd* wnd)
{
    if (IsTarget(wnd) && m_targetGrid) m_targetGrid->OnDragLeave();
}

DROPEFFECT CDataGridOleDropTarget::OnDragScroll(CWnd* wnd, DWORD keyState, POINT)
{
    if (!m_targetGrid || !IsTarget(wnd)) return DROPEFFECT_NONE;
    return (keyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

// ---------------------------------------------------------------- grid drag and drop

void CDataGridCtrl::BeginTextDrag()
{
    // Off means no drag at all: the pending press stays as it was.
    if (!m_dragDropEnabled) return;
    COleDataSource* source = CopyTextToClipboard();
    if (!source) return;
    CDataGridCellRange r = GetSelectionBounds();
    NotifyParent(r.minRow, r.minCol, LVN_BEGINDRAG);
    m_pointerState = 12;
    m_leftButtonDown = FALSE;
    if (::GetCapture() == m_hWnd) ReleaseCapture();
    DROPEFFECT effect = source->DoDragDrop(DROPEFFECT_COPY | DROPEFFECT_MOVE);
    if (effect & DROPEFFECT_MOVE) ClearSelectedCells();
    if (m_pointerState == 12) m_pointerState = 0;
    delete source;
}

DROPEFFECT CDataGridCtrl::OnDragEnter(COleDataObject* data, DWORD keyState, POINT p)
{
    if (!m_dragDropEnabled || !data || !data->IsDataAvailable(CF_TEXT)) return DROPEFFECT_NONE;
    m_dropCell = CellFromPoint(p, FALSE);
    if (!IsValid(m_dropCell) || m_dropCell.row < m_fixedRowCount || m_dropCell.col < m_fixedColumnCount ||
        !IsCellEditable(m_dropCell.row, m_dropCell.col))
        return DROPEFFECT_NONE;
    SetCellState(m_dropCell.row, m_dropCell.col, GetCellState(m_dropCell.row, m_dropCell.col) | DropHover);
    RedrawCell(m_dropCell.row, m_dropCell.col);
    return (keyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

DROPEFFECT CDataGridCtrl::OnDragOver(COleDataObject* data, DWORD keyState, POINT p)
{
    if (!m_dragDropEnabled || !m_editable || !data || !data->IsDataAvailable(CF_TEXT)) return DROPEFFECT_NONE;
    CDataGridCellPos cell = CellFromPoint(p, FALSE);
    if (!IsValid(cell) || cell.row < m_fixedRowCount || cell.col < m_fixedColumnCount) {
        OnDragLeave();
        m_dropCell = CDataGridCellPos();
        return DROPEFFECT_NONE;
    }
    if (!IsCellEditable(cell.row, cell.col)) return DROPEFFECT_NONE;
    DROPEFFECT effect = (keyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
    if (cell == m_dropCell) return effect;
    OnDragLeave();
    m_dropCell = cell;
    SetCellState(cell.row, cell.col, GetCellState(cell.row, cell.col) | DropHover);
    RedrawCell(cell.row, cell.col);
    return effect;
}

void CDataGridCtrl::OnDragLeave()
{
    if (!IsValid(m_dropCell)) return;
    SetCellState(m_dropCell.row, m_dropCell.col, GetCellState(m_dropCell.row, m_dropCell.col) & ~DropHover);
    RedrawCell(m_dropCell.row, m_dropCell.col);
}

BOOL CDataGridCtrl::OnDrop(COleDataObject* data, DROPEFFECT, POINT)
{
    m_pointerState = 0;
    if (!m_dragDropEnabled || !IsValid(m_dropCell) || !IsCellEditable(m_dropCell.row, m_dropCell.col)) return FALSE;
    OnDragLeave();
    return PasteTextFromClipboard(m_dropCell.row, m_dropCell.col, data, FALSE);
}

// ---------------------------------------------------------------- title tip

CDataGridTitleTip::CDataGridTitleTip()
{
    m_doubleClickTime = GetDoubleClickTime();
    HINSTANCE inst = AfxGetModuleState()->m_hInstance;
    WNDCLASS wc{};
    if (GetClassInfo(inst, TITLETIP_CLASSNAME, &wc)) return;
    wc.style = CS_SAVEBITS;
    wc.lpfnWndProc = ::DefWindowProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(uintptr_t)(COLOR_INFOBK + 1);
    wc.lpszClassName = TITLETIP_CLASSNAME;
    if (!RegisterClass(&wc)) throw std::bad_alloc();
}

CDataGridTitleTip::~CDataGridTitleTip()
{
    if (m_hWnd) DestroyWindow();
}

BOOL CDataGridTitleTip::Create(CWnd* parent)
{
    if (m_windowCreated) return TRUE;
    m_ownerGrid = parent;
    m_windowCreated = CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, TITLETIP_CLASSNAME, "", WS_POPUP | WS_BORDER,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr);
    return m_windowCreated;
}

BOOL CDataGridTitleTip::DestroyWindow()
{
    m_windowCreated = FALSE;
    return CWnd::DestroyWindow();
}

void CDataGridTitleTip::Show(RECT title, const std::string& text, int offset, const RECT* hover, const LOGFONT* font,
                             COLORREF textColor, COLORREF backColor)
{
    if (!m_hWnd && !Create(m_ownerGrid)) return;
    if (title.right <= title.left || title.bottom <= title.top || ::IsWindowVisible(m_hWnd)) return;
    RECT hoverGrid = hover ? *hover : title;
    hoverGrid.right++;
    hoverGrid.bottom++;
    if (!GetFocus()) return;
    HWND grid = m_ownerGrid ? m_ownerGrid->m_hWnd : nullptr;
    RECT screen = title;
    ClientToScreen(grid, reinterpret_cast<POINT*>(&screen.left));
    ClientToScreen(grid, reinterpret_cast<POINT*>(&screen.right));
    std::string shown = " " + text + " ";
    HDC dc = ::GetDC(m_hWnd);
    HFONT created = font ? CreateFontIndirect(font) : nullptr;
    HFONT use = created ? created : (HFONT)::SendMessage(grid, WM_GETFONT, 0, 0);
    HGDIOBJ old = use ? SelectObject(dc, use) : nullptr;
    SIZE size{0, 0};
    GetTextExtentPoint32(dc, shown.c_str(), (int)shown.size(), &size);
    TEXTMETRIC tm{};
    GetTextMetrics(dc, &tm);
    int w = size.cx, o = tm.tmOverhang;
    if (screen.left + 2 * offset + w + o > screen.right - offset) {
        SetWindowPos(m_hWnd, HWND_TOPMOST, screen.left + offset, screen.top, w + o + offset, screen.bottom - screen.top,
                     SWP_SHOWWINDOW | SWP_NOACTIVATE);
        // The hover area is converted once the tip stands at its new place.
        m_hoverRect = hoverGrid;
        ClientToScreen(grid, reinterpret_cast<POINT*>(&m_hoverRect.left));
        ClientToScreen(grid, reinterpret_cast<POINT*>(&m_hoverRect.right));
        ScreenToClient(m_hWnd, reinterpret_cast<POINT*>(&m_hoverRect.left));
        ScreenToClient(m_hWnd, reinterpret_cast<POINT*>(&m_hoverRect.right));
        // What the paint handler draws: a drawing made here would be gone
        // at the tip's next paint.
        m_shownText = shown;
        m_hasFont = font != nullptr;
        if (font) m_font = *font;
        m_textColor = textColor;
        m_backColor = backColor;
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
        ::UpdateWindow(m_hWnd);
        ::SetCapture(m_hWnd);
    }
    if (old) SelectObject(dc, old);
    if (created) DeleteObject(created);
    ::ReleaseDC(m_hWnd, dc);
}

void CDataGridTitleTip::Hide()
{
    if (!m_hWnd) return;
    if (::GetCapture() == m_hWnd) ReleaseCapture();
    ShowWindow(SW_HIDE);
}

void CDataGridTitleTip::Paint(HDC dc)
{
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    if (m_backColor != CLR_DEFAULT) {
        HBRUSH b = CreateSolidBrush(m_backColor);
        FillRect(dc, &rc, b);
        DeleteObject(b);
    } else {
        FillRect(dc, &rc, GetSysColorBrush(COLOR_INFOBK));
    }
    HWND grid = m_ownerGrid ? m_ownerGrid->m_hWnd : nullptr;
    HFONT created = m_hasFont ? CreateFontIndirect(&m_font) : nullptr;
    HFONT use = created ? created : (HFONT)::SendMessage(grid, WM_GETFONT, 0, 0);
    HGDIOBJ old = use ? SelectObject(dc, use) : nullptr;
    SetTextColor(dc, m_textColor != CLR_DEFAULT ? m_textColor : GetSysColor(COLOR_INFOTEXT));
    SetBkMode(dc, TRANSPARENT);
    TextOut(dc, 0, 0, m_shownText.c_str(), (int)m_shownText.size());
    if (old) SelectObject(dc, old);
    if (created) DeleteObject(created);
}

BOOL CDataGridTitleTip::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(m_hWnd, &ps);
        if (dc) Paint(dc);
        ::EndPaint(m_hWnd, &ps);
        *result = 0;
        return TRUE;
    }
    if (message == WM_PRINTCLIENT) {
        Paint((HDC)wParam);
        *result = 0;
        return TRUE;
    }
    if (message == WM_ERASEBKGND) {
        // The paint fills the whole tip.
        *result = 1;
        return TRUE;
    }
    if (message == WM_MOUSEMOVE) {
        OnMouseMove((UINT)wParam, POINT{(short)LOWORD(lParam), (short)HIWORD(lParam)});
        *result = 0;
        return TRUE;
    }
    return CWnd::OnWndMsg(message, wParam, lParam, result);
}

namespace {
// The window under a screen point; the tip itself stands for its grid.
HWND TargetUnder(POINT screen, HWND tip, CWnd* grid)
{
    HWND w = WindowFromPoint(screen);
    if (w == tip) w = grid ? grid->m_hWnd : nullptr;
    return w;
}
}  // namespace

void CDataGridTitleTip::OnMouseMove(UINT flags, POINT p)
{
    if (PtInRect(&m_hoverRect, p)) return;
    Hide();
    ClientToScreen(m_hWnd, &p);
    HWND w = TargetUnder(p, m_hWnd, m_ownerGrid);
    if (!w) return;
    LRESULT hit = ::SendMessage(w, WM_NCHITTEST, 0, PointParam(p));
    if (hit == HTCLIENT) {
        ScreenToClient(w, &p);
        ::PostMessage(w, WM_MOUSEMOVE, flags, PointParam(p));
    } else {
        ::PostMessage(w, WM_NCMOUSEMOVE, (WPARAM)hit, PointParam(p));
    }
}

BOOL CDataGridTitleTip::PreTranslateMessage(MSG* msg)
{
    HWND grid = m_ownerGrid ? m_ownerGrid->m_hWnd : nullptr;
    switch (msg->message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        Hide();
        ::PostMessage(grid, msg->message, msg->wParam, msg->lParam);
        return TRUE;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        bool dbl = false;
        if (msg->message == WM_LBUTTONDOWN) {
            DWORD now = GetTickCount();
            // Unsigned difference: right across the tick counter's wrap.
            dbl = m_lastPressTick != 0xFFFFFFFFu && (DWORD)(now - m_lastPressTick) <= m_doubleClickTime;
            m_lastPressTick = now;
        }
        POINT p{(short)LOWORD(msg->lParam), (short)HIWORD(msg->lParam)};
        ClientToScreen(msg->hwnd, &p);
        Hide();
        HWND w = TargetUnder(p, m_hWnd, m_ownerGrid);
        if (!w) return CWnd::PreTranslateMessage(msg);
        LRESULT hit = ::SendMessage(w, WM_NCHITTEST, 0, PointParam(p));
        if (hit == HTCLIENT) {
            ScreenToClient(w, &p);
            UINT m = dbl ? WM_LBUTTONDBLCLK : msg->message;
            ::PostMessage(w, m, msg->wParam, PointParam(p));
        } else {
            UINT m = msg->message == WM_LBUTTONDOWN   ? (dbl ? WM_NCLBUTTONDBLCLK : WM_NCLBUTTONDOWN)
                     : msg->message == WM_RBUTTONDOWN ? WM_NCRBUTTONDOWN
                                                      : WM_NCMBUTTONDOWN;
            ::PostMessage(w, m, (WPARAM)hit, PointParam(p));
        }
        return TRUE;
    }
    default:
        if (!GetFocus()) {
            Hide();
            return TRUE;
        }
        return CWnd::PreTranslateMessage(msg);
    }
}
