// The shared pieces of the controls.
#include <algorithm>
#include <mutex>
#include <unordered_set>

#include "platform/controls/control_internal.h"

void RegisterControlClass(const char* name, WNDPROC proc, UINT style)
{
    WNDCLASS wc{};
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = (int)sizeof(void*);
    wc.lpszClassName = name;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    RegisterClass(&wc);
}

void NotifyParentCommand(HWND control, int code)
{
    HWND parent = GetParent(control);
    if (!parent) return;
    SendMessage(parent, WM_COMMAND, (WPARAM)(DWORD)MAKELONG((WORD)GetDlgCtrlID(control), (WORD)code), (LPARAM)control);
}

LRESULT NotifyParent(HWND control, NMHDR* hdr, int code)
{
    hdr->hwndFrom = control;
    hdr->idFrom = (UINT_PTR)GetDlgCtrlID(control);
    hdr->code = (UINT)code;
    HWND parent = GetParent(control);
    if (!parent) return 0;
    return SendMessage(parent, WM_NOTIFY, hdr->idFrom, (LPARAM)hdr);
}

HFONT ControlFont(HWND control)
{
    HFONT f = (HFONT)SendMessage(control, WM_GETFONT, 0, 0);
    return f ? f : (HFONT)GetStockObject(DEFAULT_GUI_FONT);
}

HBRUSH ControlColours(HWND control, HDC hdc, UINT msg)
{
    const bool window = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
    SetTextColor(hdc, GetSysColor(window ? COLOR_WINDOWTEXT : COLOR_BTNTEXT));
    SetBkColor(hdc, GetSysColor(window ? COLOR_WINDOW : COLOR_BTNFACE));
    HWND parent = GetParent(control);
    HBRUSH b = parent ? (HBRUSH)SendMessage(parent, msg, (WPARAM)hdc, (LPARAM)control) : nullptr;
    return b ? b : GetSysColorBrush(window ? COLOR_WINDOW : COLOR_BTNFACE);
}

void PaintBevel(HDC hdc, const RECT& r, bool pressed, bool defaultFrame)
{
    RECT in = r;
    FillRect(hdc, &in, GetSysColorBrush(COLOR_BTNFACE));
    if (defaultFrame) {
        FrameRect(hdc, &in, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&in, -1, -1);
    }
    if (pressed) {
        FrameRect(hdc, &in, GetSysColorBrush(COLOR_BTNSHADOW));
    } else {
        DrawEdge(hdc, &in, EDGE_RAISED, BF_RECT);
    }
}

void PaintSunkenFrame(HDC hdc, const RECT& r)
{
    RECT in = r;
    DrawEdge(hdc, &in, EDGE_SUNKEN, BF_RECT);
}

void PaintCheckBox(HDC hdc, const RECT& box, UINT check, bool pushed, bool disabled)
{
    RECT b = box;
    FillRect(hdc, &b, GetSysColorBrush(pushed || disabled || check == BST_INDETERMINATE ? COLOR_BTNFACE : COLOR_WINDOW));
    DrawEdge(hdc, &b, EDGE_SUNKEN, BF_RECT);
    if (check == BST_UNCHECKED) return;
    const int w = b.right - b.left;
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(disabled || check == BST_INDETERMINATE ? COLOR_GRAYTEXT
                                                                                          : COLOR_WINDOWTEXT));
    HGDIOBJ old = SelectObject(hdc, pen);
    // A tick of three strokes, two pixels apart.
    for (int k = 0; k < 3; ++k) {
        MoveToEx(hdc, b.left + w / 4, b.top + w / 2 - 1 + k, nullptr);
        LineTo(hdc, b.left + w / 2 - 1, b.top + w / 2 + 2 + k - 1);
        LineTo(hdc, b.right - w / 4, b.top + w / 4 - 1 + k);
    }
    SelectObject(hdc, old);
    DeleteObject(pen);
}

void PaintRadio(HDC hdc, const RECT& box, bool checked, bool pushed, bool disabled)
{
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    HGDIOBJ oldPen = SelectObject(hdc, pen);
    HGDIOBJ oldBrush = SelectObject(hdc, GetSysColorBrush(pushed || disabled ? COLOR_BTNFACE : COLOR_WINDOW));
    Ellipse(hdc, box.left, box.top, box.right, box.bottom);
    if (checked) {
        const int w = box.right - box.left;
        SelectObject(hdc, GetSysColorBrush(disabled ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
        SelectObject(hdc, GetStockObject(NULL_PEN));
        Ellipse(hdc, box.left + w / 3, box.top + w / 3, box.right - w / 3 + 1, box.bottom - w / 3 + 1);
    }
    SelectObject(hdc, oldBrush);
    SelectObject(hdc, oldPen);
    DeleteObject(pen);
}

void PaintArrow(HDC hdc, const RECT& r, ArrowDir dir, bool disabled)
{
    const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    const int s = std::max(2, std::min(r.right - r.left, r.bottom - r.top) / 4);
    POINT p[3];
    switch (dir) {
    case ArrowDir::Up: p[0] = {cx - s, cy + s / 2}; p[1] = {cx + s, cy + s / 2}; p[2] = {cx, cy - s / 2 - 1}; break;
    case ArrowDir::Down: p[0] = {cx - s, cy - s / 2}; p[1] = {cx + s, cy - s / 2}; p[2] = {cx, cy + s / 2 + 1}; break;
    case ArrowDir::Left: p[0] = {cx + s / 2, cy - s}; p[1] = {cx + s / 2, cy + s}; p[2] = {cx - s / 2 - 1, cy}; break;
    case ArrowDir::Right: p[0] = {cx - s / 2, cy - s}; p[1] = {cx - s / 2, cy + s}; p[2] = {cx + s / 2 + 1, cy}; break;
    }
    const int colour = disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT;
    HGDIOBJ oldBrush = SelectObject(hdc, GetSysColorBrush(colour));
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(colour));
    HGDIOBJ oldPen = SelectObject(hdc, pen);
    Polygon(hdc, p, 3);
    SelectObject(hdc, oldPen);
    SelectObject(hdc, oldBrush);
    DeleteObject(pen);
}

void PaintFocus(HDC hdc, const RECT& r) { DrawFocusRect(hdc, &r); }

void PaintControlText(HDC hdc, HWND control, const std::string& text, RECT r, UINT format, bool disabled)
{
    HGDIOBJ oldFont = SelectObject(hdc, ControlFont(control));
    const int oldMode = SetBkMode(hdc, TRANSPARENT);
    if (disabled) {
        const COLORREF old = SetTextColor(hdc, GetSysColor(COLOR_BTNHIGHLIGHT));
        RECT e = r;
        OffsetRect(&e, 1, 1);
        DrawText(hdc, text.c_str(), (int)text.size(), &e, format);
        SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
        DrawText(hdc, text.c_str(), (int)text.size(), &r, format);
        SetTextColor(hdc, old);
    } else {
        DrawText(hdc, text.c_str(), (int)text.size(), &r, format);
    }
    SetBkMode(hdc, oldMode);
    SelectObject(hdc, oldFont);
}

void CPressable::Down(HWND hwnd, int pressedPart)
{
    tracking = true;
    pressed = true;
    part = pressedPart;
    SetCapture(hwnd);
}

bool CPressable::Move(HWND hwnd, POINT pt)
{
    if (!tracking) return false;
    RECT rc;
    GetClientRect(hwnd, &rc);
    const bool in = PtInRect(&rc, pt) != 0;
    if (in == pressed) return false;
    pressed = in;
    return true;
}

bool CPressable::Follow(int partUnderPointer)
{
    if (!tracking) return false;
    const bool in = partUnderPointer == part;
    if (in == pressed) return false;
    pressed = in;
    return true;
}

bool CPressable::Up(HWND hwnd, POINT pt)
{
    if (!tracking) return false;
    RECT rc;
    GetClientRect(hwnd, &rc);
    const bool click = PtInRect(&rc, pt) != 0;
    End(hwnd);
    return click;
}

bool CPressable::End(HWND hwnd)
{
    if (!tracking) return false;
    const bool click = pressed;
    Lost(hwnd);
    if (GetCapture() == hwnd) ReleaseCapture();
    return click;
}

bool CPressable::Lost(HWND hwnd)
{
    if (!tracking) return false;
    tracking = false;
    pressed = false;
    if (repeating) KillTimer(hwnd, kRepeatTimer);
    repeating = false;
    return true;
}

void CPressable::Cancel(HWND hwnd) { End(hwnd); }

void CPressable::StartRepeat(HWND hwnd, UINT delay)
{
    repeating = true;
    SetTimer(hwnd, kRepeatTimer, delay, nullptr);
}

bool CPressable::Repeat(HWND hwnd, WPARAM timer, UINT interval)
{
    if (timer != kRepeatTimer || !Held()) return false;
    SetTimer(hwnd, kRepeatTimer, interval, nullptr);
    return true;
}

std::string WindowTextOf(HWND hwnd)
{
    const int n = GetWindowTextLength(hwnd);
    std::string s((size_t)n + 1, '\0');
    const int got = GetWindowText(hwnd, s.data(), n + 1);
    s.resize((size_t)std::max(got, 0));
    return s;
}

std::string NormaliseLineEnds(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r') {
            out += '\n';
            if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
        } else {
            out += s[i];
        }
    }
    return out;
}

namespace {
std::mutex g_scrollMutex;
std::unordered_set<HWND>& ScrollSet()
{
    static std::unordered_set<HWND> s;
    return s;
}
std::unordered_set<HWND>& HScrollSet()
{
    static std::unordered_set<HWND> s;
    return s;
}
}  // namespace

void NoteScrollStyle(HWND hwnd, const CREATESTRUCT* cs)
{
    std::lock_guard<std::mutex> lock(g_scrollMutex);
    if (cs && (cs->style & WS_VSCROLL)) ScrollSet().insert(hwnd);
    else ScrollSet().erase(hwnd);
    if (cs && (cs->style & WS_HSCROLL)) HScrollSet().insert(hwnd);
    else HScrollSet().erase(hwnd);
}

int ControlRowHeight(HWND control, int minimum)
{
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, ControlFont(control));
    TEXTMETRIC tm{};
    GetTextMetrics(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return std::max(minimum, (int)tm.tmHeight + 3);
}

int ScrolledLine(HWND hwnd, WPARAM w, int pos, int page)
{
    switch (LOWORD(w)) {
    case SB_LINEUP: return pos - 1;
    case SB_LINEDOWN: return pos + 1;
    case SB_PAGEUP: return pos - page;
    case SB_PAGEDOWN: return pos + page;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
        GetScrollInfo(hwnd, SB_VERT, &si);
        return si.nTrackPos;
    }
    default: return pos;
    }
}

bool WantsVScroll(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(g_scrollMutex);
    return ScrollSet().count(hwnd) != 0;
}

bool WantsHScroll(HWND hwnd)
{
    std::lock_guard<std::mutex> lock(g_scrollMutex);
    return HScrollSet().count(hwnd) != 0;
}
