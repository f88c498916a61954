// The source editor window: creation, the text model, the caret, keyboard
// and mouse editing. Painting, colouring and scrolling: edit_paint.cpp.
#include "ui_controls/edit/edit_ctrl.h"

#include <cstring>
#include <mutex>

#include "platform/afx/message_map.h"
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

bool IsBlankByte(char c) { return c == ' ' || c == '\t'; }
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
    return CWnd::PreTranslateMessage(msg);
}

// --- creation, focus, metrics -------------------------------------------------

int KyrEditCtrl::OnCreate(CREATESTRUCT*)
{
    if (Default() == -1) return -1;
    OnSysColorChange(0, 0);
    dropTarget.ctrl = this;
    dropTarget.Register(this);
    ComputeTextRect();
    ComputeMetrics();
    std::string initial = GetWindowText();
    if (!initial.empty()) InsertText(initial, 0, KYR_INS_RESET_UNDO, true);
    ModifyStyle(0, WS_VSCROLL | WS_HSCROLL);
    SetCaretOffset(0, false, false);
    return 0;
}

void KyrEditCtrl::OnDestroy()
{
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

HFONT KyrEditCtrl::CurrentFont() const
{
    return screenFont ? screenFont : (HFONT)GetStockObject(DEFAULT_GUI_FONT);
}

HDC KyrEditCtrl::MeasureDC(bool* release)
{
    *release = false;
    HDC dc = measureDC;
    if (!dc) {
        dc = m_hWnd ? ::GetDC(m_hWnd) : ::GetDC(nullptr);
        *release = true;
    }
    SelectObject(dc, CurrentFont());
    return dc;
}

void KyrEditCtrl::ComputeMetrics()
{
    bool release;
    HDC dc = MeasureDC(&release);
    TEXTMETRIC tm{};
    GetTextMetrics(dc, &tm);
    lineHeight = std::max(1, (int)tm.tmHeight + lineSpacing);
    columnWidth = std::max(1, (int)tm.tmMaxCharWidth);
    averageWidth = std::max(1, (int)tm.tmAveCharWidth);
    widthCache = nullptr;
    widthCacheDC = nullptr;
    tabStopPixels = CharWidth(dc, " ", 0) * std::max(tabSize, 1);
    if (release) ::ReleaseDC(m_hWnd, dc);
    if (!m_hWnd) return;
    RecreateCaret();
    UpdateScrollRanges();
    if (!readOnly) SetCaretOffset(caretOffset, false, false);
}

void KyrEditCtrl::ComputeTextRect()
{
    if (!m_hWnd) return;
    RECT client;
    GetClientRect(&client);
    textRect = client;
    textRect.left = client.left + marginWidth + 2;
    if (textRect.right < textRect.left) textRect.right = textRect.left;
}

void KyrEditCtrl::GetCaretSize(SIZE* size)
{
    size->cx = GetOverwriteMode() ? columnWidth : 2;
    size->cy = lineHeight;
}

void KyrEditCtrl::RecreateCaret()
{
    if (!m_hWnd || !hasFocus || readOnly) return;
    DestroyCaret();
    SIZE s;
    GetCaretSize(&s);
    CreateCaret(m_hWnd, nullptr, s.cx, s.cy);
    PlaceSystemCaret();
    ShowCaret(m_hWnd);
}

void KyrEditCtrl::PlaceSystemCaret()
{
    if (!m_hWnd || !hasFocus || readOnly) return;
    const bool visible = caretY >= textRect.top - lineHeight && caretY < textRect.bottom && caretX >= textRect.left - 2;
    if (visible)
        SetCaretPos(caretX, caretY);
    else
        SetCaretPos(-10, -10);
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

// --- lines and columns ---------------------------------------------------------

int KyrEditCtrl::CountLines(std::string_view t) { return (int)std::count(t.begin(), t.end(), '\n'); }

int KyrEditCtrl::GetLineStartOf(int offset)
{
    offset = std::clamp(offset, 0, Length());
    if (offset == 0) return 0;
    const void* p = memrchr(text.data(), '\n', (size_t)offset);
    return p ? (int)(static_cast<const char*>(p) - text.data()) + 1 : 0;
}

// The line feed ending the line, or the text's length.
static int LineEndOf(const std::string& text, int offset)
{
    const void* p = std::memchr(text.data() + offset, '\n', text.size() - (size_t)offset);
    return p ? (int)(static_cast<const char*>(p) - text.data()) : (int)text.size();
}

int KyrEditCtrl::GetLineEndOf(int offset)
{
    offset = std::clamp(offset, 0, Length());
    const int e = LineEndOf(text, offset);
    return e < Length() ? e : std::max(Length() - 1, 0);
}

int KyrEditCtrl::GetLineEndAndColumn(int offset, int* end)
{
    offset = std::clamp(offset, 0, Length());
    const int e = LineEndOf(text, offset);
    if (end) *end = e;
    return GetColumnOfOffset(e);
}

int KyrEditCtrl::GetColumnOfOffset(int offset)
{
    offset = std::clamp(offset, 0, Length());
    int column = 0;
    for (int i = GetLineStartOf(offset); i < offset; i += EditCharLength(text, i)) {
        if (text[i] == '\t' && keepTabs)
            column += tabSize - column % std::max(tabSize, 1);
        else
            ++column;
    }
    return column;
}

int KyrEditCtrl::OffsetOfColumn(int column, int anyOffset)
{
    int i = GetLineStartOf(anyOffset);
    const int end = LineEndOf(text, i);
    int c = 0;
    while (i < end && c < column) {
        if (text[i] == '\t' && keepTabs)
            c += tabSize - c % std::max(tabSize, 1);
        else
            ++c;
        i += EditCharLength(text, i);
    }
    return i;
}

int KyrEditCtrl::LineLengthChars(int offset)
{
    const int s = GetLineStartOf(offset);
    return EditCountChars(text, s, LineEndOf(text, s));
}

int KyrEditCtrl::GetLineOfOffset(int offset)
{
    offset = std::clamp(offset, 0, Length());
    return (int)std::count(text.begin(), text.begin() + offset, '\n');
}

int KyrEditCtrl::GetLineOfOffsetCached(int offset, bool noCache)
{
    offset = std::clamp(offset, 0, Length());
    if (noCache || firstLineOffset > Length()) return GetLineOfOffset(offset);
    if (offset >= firstLineOffset)
        return firstLine + (int)std::count(text.begin() + firstLineOffset, text.begin() + offset, '\n');
    if (firstLineOffset - offset < offset)
        return firstLine - (int)std::count(text.begin() + offset, text.begin() + firstLineOffset, '\n');
    return GetLineOfOffset(offset);
}

int KyrEditCtrl::GetLineOffset(int line)
{
    if (line < 0 || line > lineCount) return -1;
    int from = 0, at = 0;
    if (line >= firstLine || firstLine - line < line) {
        from = firstLine;
        at = firstLineOffset;
    }
    while (from < line) {
        at = LineEndOf(text, at) + 1;
        ++from;
    }
    while (from > line) {
        at = GetLineStartOf(at - 1);
        --from;
    }
    return at;
}

int KyrEditCtrl::GetFirstNonBlank()
{
    int i = GetLineStartOf(caretOffset);
    const int end = LineEndOf(text, i);
    while (i < end && blankSet.find(text[i]) != std::string::npos) ++i;
    return i;
}

void KyrEditCtrl::SetFirstLine(int line)
{
    line = std::clamp(line, 0, std::max(lineCount, 0));
    while (firstLine < line) {
        const int e = LineEndOf(text, firstLineOffset);
        if (e >= Length()) break;
        firstLineOffset = e + 1;
        ++firstLine;
    }
    while (firstLine > line) {
        firstLineOffset = GetLineStartOf(firstLineOffset - 1);
        --firstLine;
    }
}

int KyrEditCtrl::VisibleLines() const
{
    return std::max(1, (int)(textRect.bottom - textRect.top) / std::max(lineHeight, 1));
}

int KyrEditCtrl::VisibleColumns() const
{
    return std::max(1, (int)(textRect.right - textRect.left) / std::max(columnWidth, 1));
}

// --- measuring and positions ----------------------------------------------------

int KyrEditCtrl::CharWidth(HDC dc, std::string_view s, int offset)
{
    if (dc != widthCacheDC || !widthCache) {
        TEXTMETRIC tm{};
        GetTextMetrics(dc, &tm);
        WidthKey key{CurrentFont(), GetDeviceCaps(dc, LOGPIXELSX), (int)tm.tmHeight, (int)tm.tmAveCharWidth,
                     (int)tm.tmMaxCharWidth};
        widthCache = &charWidths[key];
        widthCacheDC = dc;
    }
    const uint32_t cp = EditCodePoint(s, offset);
    auto it = widthCache->find(cp);
    if (it != widthCache->end()) return it->second;
    CDC cdc(dc);
    SIZE size{0, 0};
    if (IsControlPlaceholder(cp))
        GetTextExtent(cdc, &size, kControlPlaceholder, (int)strlen(kControlPlaceholder));
    else
        GetTextExtent(cdc, &size, s.data() + offset, EditCharLength(s, offset));
    cdc.Detach();
    int w = (int)size.cx;
    if (cp == '\n' && w == 0) w = columnWidth;
    widthCache->emplace(cp, w);
    return w;
}

SIZE KyrEditCtrl::GetTextExtent(CDC& dc, SIZE* size, const char* chars, int count)
{
    SIZE s{0, 0};
    if (keepTabs) {
        const int stop = tabStopPixels;
        DWORD d = GetTabbedTextExtent(dc, chars, count, 1, &stop);
        s.cx = LOWORD(d);
        s.cy = HIWORD(d);
    } else {
        GetTextExtentPoint32(dc, chars, count, &s);
    }
    if (size) *size = s;
    return s;
}

int KyrEditCtrl::WidthOf(HDC dc, int start, int end, int column)
{
    int w = 0;
    for (int i = start; i < end; i += EditCharLength(text, i)) {
        if (text[i] == '\t' && keepTabs) {
            const int n = tabSize - column % std::max(tabSize, 1);
            w += averageWidth * n;
            column += n;
        } else if (text[i] == '\n') {
            break;
        } else {
            w += CharWidth(dc, text, i);
            ++column;
        }
    }
    return w;
}

bool KyrEditCtrl::PointFromOffset(int offset, POINT* point, int* line)
{
    if (offset < 0 || offset > Length()) return false;
    const int l = GetLineOfOffsetCached(offset);
    const int start = GetLineStartOf(offset);
    bool release;
    HDC dc = MeasureDC(&release);
    const int w = WidthOf(dc, start, offset);
    if (release) ::ReleaseDC(m_hWnd, dc);
    point->x = textRect.left - firstColumn * columnWidth + w;
    point->y = (l - firstLine) * lineHeight + textRect.top;
    if (line) *line = l;
    return true;
}

int KyrEditCtrl::OffsetAtX(int lineStart, int x)
{
    bool release;
    HDC dc = MeasureDC(&release);
    const int end = LineEndOf(text, lineStart);
    int acc = 0, column = 0, i = lineStart;
    while (i < end) {
        int w;
        if (text[i] == '\t' && keepTabs) {
            const int n = tabSize - column % std::max(tabSize, 1);
            w = averageWidth * n;
            column += n;
        } else {
            w = CharWidth(dc, text, i);
            ++column;
        }
        if (x < acc + w / 2 + (w & 1)) break;
        acc += w;
        i += EditCharLength(text, i);
    }
    if (release) ::ReleaseDC(m_hWnd, dc);
    return i;
}

int KyrEditCtrl::OffsetFromPoint(POINT& point, bool snap, bool force)
{
    if (!force && (point.x < textRect.left || point.x >= textRect.right || point.y < textRect.top ||
                   point.y >= textRect.bottom))
        return -1;
    const int dy = point.y - textRect.top;
    int line = firstLine + (dy >= 0 ? dy / lineHeight : -((-dy + lineHeight - 1) / lineHeight));
    line = std::clamp(line, 0, lineCount);
    const int start = GetLineOffset(line);
    if (start < 0) return -1;
    const int offset = OffsetAtX(start, point.x - textRect.left + firstColumn * columnWidth);
    if (snap) PointFromOffset(offset, &point);
    return offset;
}

bool KyrEditCtrl::SetCaretOffset(int offset, bool scrollIntoView, bool redraw)
{
    // Never inside a character (edits by byte offset can join or split sequences).
    for (int back = 1; back <= 3 && offset - back >= 0 && offset < Length(); ++back)
        if (EditCharLength(text, offset - back) > back) {
            offset -= back;
            break;
        }
    POINT p;
    if (!PointFromOffset(offset, &p)) return false;
    caretOffset = offset;
    caretX = p.x;
    caretY = p.y;
    bool scrolled = false;
    if (scrollIntoView && m_hWnd) {
        if (caretX < textRect.left + columnWidth) {
            int move = (caretX - textRect.left) / columnWidth - hScrollMargin;
            if (move < 0) {
                int target = firstColumn + move;
                target = std::min(target, GetLineEndAndColumn(offset, nullptr) - hScrollMargin);
                target = std::max(target, 0);
                if (target != firstColumn) {
                    firstColumn = target;
                    scrolled = true;
                }
            }
        } else if (caretX >= textRect.right - columnWidth) {
            firstColumn += (caretX - textRect.right) / columnWidth + std::max(1, VisibleColumns() * hScrollPercent / 100);
            scrolled = true;
        }
        if (scrolled) {
            PointFromOffset(offset, &p);
            caretX = p.x;
            caretY = p.y;
            SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, firstColumn, 0};
            SetScrollInfo(m_hWnd, SB_HORZ, &si, TRUE);
            PlaceSystemCaret();
            OnCaretMoved();
        }
        int lines = 0;
        if (caretY < textRect.top + lineHeight)
            lines = (caretY - textRect.top) / lineHeight;
        else if (caretY >= textRect.bottom - 2 * lineHeight)
            lines = (caretY + 2 * lineHeight - textRect.bottom) / lineHeight;
        if (lines != 0) {
            const int before = firstLine;
            SetFirstLine(firstLine + lines);
            if (firstLine != before) {
                scrolled = true;
                PointFromOffset(offset, &p);
                caretX = p.x;
                caretY = p.y;
                SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, firstLine, 0};
                SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
                PlaceSystemCaret();
                OnCaretMoved();
            }
        }
    }
    caretLine = GetLineOfOffsetCached(offset);
    caretColumn = GetColumnOfOffset(offset);
    PlaceSystemCaret();
    if (redraw && scrolled && m_hWnd) Invalidate(FALSE);
    if (scrolled && m_hWnd && !redraw) Invalidate(FALSE);   // the view moved: its pixels are stale
    return true;
}

// --- redrawing --------------------------------------------------------------------

void KyrEditCtrl::RedrawAll()
{
    if (m_hWnd) Invalidate(FALSE);
}

void KyrEditCtrl::RedrawLines(int fromOffset, int toOffset, bool toBottom)
{
    if (!m_hWnd) return;
    const int a = GetLineOfOffsetCached(std::min(fromOffset, toOffset));
    const int b = GetLineOfOffsetCached(std::max(fromOffset, toOffset));
    RECT r = textRect;
    r.top = textRect.top + (a - firstLine) * lineHeight - 1;
    r.bottom = toBottom ? textRect.bottom : textRect.top + (b - firstLine + 1) * lineHeight + 1;
    r.left = 0;
    if (r.bottom < textRect.top || r.top > textRect.bottom) return;
    ::InvalidateRect(m_hWnd, &r, FALSE);
}

// --- text changes -----------------------------------------------------------------

void KyrEditCtrl::MarkersFollowBreak(int at)
{
    if (markers.empty()) return;
    // A forced break inside a line: the markers below it move down one line.
    OnMarkerLinesInserted((int)std::count(text.begin(), text.begin() + at, '\n'), 1, false);
}

void KyrEditCtrl::OnInsertText(int offset, const std::string& inserted)
{
    const int lines = CountLines(inserted);
    lineCount += lines;
    if (offset < firstLineOffset) {
        firstLineOffset += (int)inserted.size();
        firstLine += lines;
    }
    if (lines) OnMarkerLinesInserted(GetLineOfOffsetCached(offset), lines, GetLineStartOf(offset) == offset);
}

void KyrEditCtrl::OnRemoveText(int start, int end)
{
    const int lines = (int)std::count(text.begin() + start, text.begin() + end, '\n');
    if (lines) {
        const int first = GetLineOfOffsetCached(start);
        const int firstGone = GetLineStartOf(start) == start ? first : first + 1;
        OnMarkerLinesRemoved(first, lines, firstGone, first + lines - 1);
    }
    lineCount -= lines;
    if (end <= firstLineOffset) {
        firstLineOffset -= end - start;
        firstLine -= lines;
    } else if (start < firstLineOffset) {
        // The first visible line loses its start: it becomes the line of `start`.
        const int before = (int)std::count(text.begin() + start, text.begin() + firstLineOffset, '\n');
        firstLine -= before;
        firstLineOffset = GetLineStartOf(start);
    }
}

void KyrEditCtrl::NotifyEditChange(int, const std::string&, bool)
{
    if (!m_hWnd) return;
    HWND parent = ::GetParent(m_hWnd);
    if (parent) ::SendMessage(parent, KyrEditChangeMessage(), 0, 0);
}

bool KyrEditCtrl::FilterInsertText(std::string& t)
{
    t = FilterInsertedText(t, Options());
    return true;
}

void KyrEditCtrl::UpdateScrollRanges()
{
    hRange = maxLineLength;
    vRange = lineCount + ((text.empty() || text.back() != '\n') ? 1 : 0);
    if (!m_hWnd) return;
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, vRange, (UINT)VisibleLines(), firstLine, 0};
    SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
    SCROLLINFO sh{sizeof sh, SIF_RANGE | SIF_PAGE | SIF_POS, 0, hRange, (UINT)VisibleColumns(), firstColumn, 0};
    SetScrollInfo(m_hWnd, SB_HORZ, &sh, TRUE);
}

bool KyrEditCtrl::ReplaceText(int start, int end, const std::string& t)
{
    if (readOnly || t.empty() || start < 0 || end < start || end > Length()) return false;
    if (end > start) {
        if (!DeleteText(start, end)) return false;
        GroupLastUndo();   // the removal undoes with the insertion
    }
    if (!InsertText(t, start, KYR_INS_REDRAW, true)) return false;
    return SetCaretOffset(start + (int)t.size(), true, true);
}

bool KyrEditCtrl::InsertText(std::string t, int offset, unsigned flags, bool noLineBreak)
{
    offset = offset < 0 ? caretOffset : std::min(offset, Length());
    if (!FilterInsertText(t)) return false;
    if (t.empty()) return false;
    if (!noLineBreak) {
        // Generated text must not make the line where it goes too long.
        const int start = GetLineStartOf(offset);
        const bool atLineStart = offset == start;
        const bool atEnd = offset >= Length() - 1;
        const bool betweenFeeds = offset > 0 && offset < Length() && text[offset] == '\n' && text[offset - 1] == '\n';
        bool prefix = false;
        if (!atLineStart && !atEnd && !betweenFeeds) {
            const size_t lf = t.find('\n');
            const int added = EditCountChars(t, 0, lf == std::string::npos ? (int)t.size() : (int)lf);
            prefix = LineLengthChars(offset) + added >= maxLineLength;
        } else if (atEnd && !atLineStart) {
            prefix = true;
        }
        if (prefix) {
            t.insert(t.begin(), '\n');
            Event(KYR_EV_PREFIXED_BREAK);
        }
    }
    if ((int64_t)text.size() + (int64_t)t.size() > kEditorMaxBytes) return false;
    if (!CanInsert(offset, t)) return false;
    ClearSelection();
    OnInsertText(offset, t);
    text.insert((size_t)offset, t);
    TextInserted(offset, (int)t.size());
    // A line at either end of the insertion that reached the limit is broken.
    std::vector<int> breaks;
    auto breakLine = [&](int lineStart) {
        if (EditCountChars(text, lineStart, LineEndOf(text, lineStart)) < maxLineLength) return;
        const size_t before = breaks.size();
        BreakLongLine(text, lineStart, Options(), &breaks);
        for (size_t k = before; k < breaks.size(); ++k) {
            TextInserted(breaks[k], 1);
            ++lineCount;
            MarkersFollowBreak(breaks[k]);
            if (breaks[k] < firstLineOffset) ++firstLineOffset, ++firstLine;
        }
    };
    int start = offset, end = offset + (int)t.size();
    size_t seen = 0;
    auto follow = [&]() {
        for (; seen < breaks.size(); ++seen) {
            if (breaks[seen] < start)
                ++start, ++end;
            else if (breaks[seen] < end)
                ++end;
        }
    };
    const int beginLine = GetLineStartOf(offset);
    if (beginLine != offset) breakLine(beginLine);
    follow();
    breakLine(GetLineStartOf(end));
    follow();
    if (flags & KYR_INS_RESET_UNDO) {
        ClearUndo();
        undoDirty = 1;   // the history is gone but the text changed
    } else {
        // The insertion, then each forced break as it was made: undone together.
        RecordUndo(t, KYR_UNDO_INSERT, offset, true, !breaks.empty());
        for (size_t k = 0; k < breaks.size(); ++k) RecordUndo("\n", KYR_UNDO_INSERT, breaks[k], true, k + 1 < breaks.size());
    }
    const std::string inserted = text.substr((size_t)start, (size_t)(end - start));
    offset = start;
    UpdateScrollRanges();
    SetCaretOffset(end, true, false);
    if (flags & KYR_INS_REDRAW) RedrawAll();
    NotifyEditChange(offset, inserted, true);
    return true;
}

bool KyrEditCtrl::DeleteText(int start, int end)
{
    if (start > end) std::swap(start, end);
    start = std::clamp(start, 0, Length());
    end = std::clamp(end, 0, Length());
    if (start == end) return false;
    const std::string removed = text.substr((size_t)start, (size_t)(end - start));
    if (!CanDelete(start, removed)) return false;
    RecordUndo(removed, KYR_UNDO_DELETE, start, true, false);
    ClearSelection();
    OnRemoveText(start, end);
    text.erase((size_t)start, (size_t)(end - start));
    TextErased(start, end - start);
    NotifyEditChange(start, removed, false);
    RedrawAll();
    UpdateScrollRanges();
    SetCaretOffset(start, true, false);
    return true;
}

bool KyrEditCtrl::DeleteSelection(bool notify, bool /*toClipboard*/, bool redraw)
{
    (void)notify;
    if (!HasSelection()) {
        ClearSelection();
        Event(KYR_EV_NO_SELECTION);
        return false;
    }
    const int a = SelMin(), b = SelMax();
    if (!DeleteText(a, b)) return false;
    ClearSelection();
    boxAnchorX = boxAnchorY = boxCornerX = boxCornerY = -1;
    UpdateScrollRanges();
    if (redraw) RedrawAll();
    return true;
}

void KyrEditCtrl::SetText(std::string_view bytes)
{
    text.clear();
    RebuildDelimiterIndex();
    lineCount = 0;
    firstLine = firstLineOffset = 0;
    firstColumn = 0;
    caretOffset = 0;
    ClearSelection();
    if (!bytes.empty()) {
        std::string t(bytes);
        if (!InsertText(std::move(t), 0, KYR_INS_RESET_UNDO, true)) UpdateScrollRanges();
    } else {
        UpdateScrollRanges();
        NotifyEditChange(0, std::string(), false);
    }
    ClearUndo();
    undoDirty = 0;
    undoSaved = 0;
    modified = 0;
    firstLine = firstLineOffset = 0;
    firstColumn = 0;
    UpdateScrollRanges();
    SetCaretOffset(0, false, false);
    desiredColumn = 0;
    RedrawAll();
}

bool KyrEditCtrl::InsertLineBreak(int offset, bool redraw)
{
    if (offset < 0) offset = caretOffset;
    offset = std::clamp(offset, 0, Length());
    std::string s = "\n";
    if (autoIndent) {
        for (int i = GetLineStartOf(offset); i < offset && IsBlankByte(text[i]); ++i) s += text[i];
    }
    if ((int64_t)text.size() + (int64_t)s.size() > kEditorMaxBytes) return false;
    if (!CanInsert(offset, s)) return false;
    RecordUndo(s, KYR_UNDO_INSERT, offset, true, false);
    ClearSelection();
    OnInsertText(offset, s);
    text.insert((size_t)offset, s);
    TextInserted(offset, (int)s.size());
    NotifyEditChange(offset, s, true);
    UpdateScrollRanges();
    SetCaretOffset(offset + (int)s.size(), true, false);
    modified = 1;
    if (redraw) RedrawLines(offset, offset, true);
    return true;
}

bool KyrEditCtrl::InsertChar(uint32_t c, bool redraw)
{
    std::string s = EditUtf8(c);
    if (s.empty()) return false;
    if (!CanInsert(caretOffset, s)) return false;
    if (c == '\n') {
        if (!GetOverwriteMode()) return InsertLineBreak(caretOffset, redraw);
        MoveHome(redraw);
        return MoveLine(true, false, redraw);
    }
    if ((int64_t)text.size() + (int64_t)s.size() + 1 > kEditorMaxBytes) return false;
    if (caretColumn >= maxLineLength - 1) {
        // A bare line feed: the typed character starts the next line.
        if (hasFocus && !readOnly) HideCaret(m_hWnd);
        OnInsertText(caretOffset, "\n");
        text.insert((size_t)caretOffset, 1, '\n');
        TextInserted(caretOffset, 1);
        RecordUndo("\n", KYR_UNDO_INSERT, caretOffset, true, true);   // undone with the character
        NotifyEditChange(caretOffset, "\n", true);
        SetCaretOffset(caretOffset + 1, true, false);
        if (hasFocus && !readOnly) ShowCaret(m_hWnd);
        RedrawLines(caretOffset, caretOffset, true);
    }
    const bool nearBefore = IsNearRegionDelimiter(caretOffset);
    const int at = caretOffset;
    std::string replaced;
    if (GetOverwriteMode() && at < Length() && text[at] != '\n') replaced = text.substr((size_t)at, (size_t)EditCharLength(text, at));
    RecordTyping(s, KYR_UNDO_INSERT, at);
    text.replace((size_t)at, replaced.size(), s);
    TextErased(at, (int)replaced.size());
    TextInserted(at, (int)s.size());
    if (at < firstLineOffset) firstLineOffset += (int)s.size() - (int)replaced.size();
    int lineBreaks = 0;
    std::vector<int> breaks;
    {
        // A line that reached the limit is broken (typing inside a long line).
        const int ls = GetLineStartOf(at);
        if (EditCountChars(text, ls, LineEndOf(text, ls)) >= maxLineLength) {
            lineBreaks = BreakLongLine(text, ls, Options(), &breaks);
            lineCount += lineBreaks;
            GroupLastUndo();   // the typing and its breaks undo together
            for (size_t k = 0; k < breaks.size(); ++k) {
                const int p = breaks[k];
                TextInserted(p, 1);
                MarkersFollowBreak(p);
                RecordUndo("\n", KYR_UNDO_INSERT, p, true, k + 1 < breaks.size());
                if (p < firstLineOffset) ++firstLineOffset, ++firstLine;
            }
        }
    }
    NotifyEditChange(at, s, true);
    UpdateScrollRanges();
    int next = at + (int)s.size();
    for (int p : breaks)
        if (p <= at) ++next;   // a break before the typed character moved it
    SetCaretOffset(next, true, false);
    if (redraw) {
        if (lineBreaks || nearBefore || IsNearRegionDelimiter(caretOffset))
            RedrawAll();
        else
            RedrawLines(at, at);
    }
    desiredColumn = caretColumn;
    return true;
}

bool KyrEditCtrl::DeleteKey(bool redraw)
{
    if (HasSelection()) return DeleteSelection(true, false, redraw);
    const int at = caretOffset;
    if (at >= Length()) return false;
    if (text[at] == '\n') {
        const int next = at + 1;
        const int cols = GetColumnOfOffset(at) + GetLineEndAndColumn(next, nullptr);
        if (cols > maxLineLength - 2) {
            Event(KYR_EV_JOIN_TOO_LONG);
            return false;
        }
    }
    const int n = EditCharLength(text, at);
    const std::string removed = text.substr((size_t)at, (size_t)n);
    if (!CanDelete(at, removed)) return false;
    const bool near = IsNearRegionDelimiter(at);
    RecordUndo(removed, KYR_UNDO_DELETE, at, true, false);
    OnRemoveText(at, at + n);
    text.erase((size_t)at, (size_t)n);
    TextErased(at, n);
    NotifyEditChange(at, removed, false);
    UpdateScrollRanges();
    SetCaretOffset(at, true, false);
    if (redraw) {
        if (near || IsNearRegionDelimiter(at))
            RedrawAll();
        else
            RedrawLines(at, at, removed == "\n");
    }
    desiredColumn = caretColumn;
    return true;
}

// --- moves --------------------------------------------------------------------------

bool KyrEditCtrl::MoveCharLeft(bool redraw)
{
    if (caretOffset <= 0) {
        Event(KYR_EV_AT_START);
        return false;
    }
    SetCaretOffset(EditPrevChar(text, caretOffset), true, redraw);
    desiredColumn = caretColumn;
    return true;
}

bool KyrEditCtrl::MoveCharRight(bool redraw)
{
    if (caretOffset >= Length()) {
        Event(KYR_EV_AT_END);
        return false;
    }
    SetCaretOffset(caretOffset + EditCharLength(text, caretOffset), true, redraw);
    desiredColumn = caretColumn;
    return true;
}

bool KyrEditCtrl::KeepColumn(int offset, bool redraw)
{
    const int column = GetColumnOfOffset(offset);
    int target = offset;
    if (desiredColumn > column) target = OffsetOfColumn(desiredColumn, offset);
    return SetCaretOffset(target, true, redraw);
}

bool KyrEditCtrl::MoveLine(bool down, bool keepDesired, bool redraw)
{
    if (text.empty() || (!down && caretLine == 0) || (down && caretLine >= lineCount)) {
        Event(down ? KYR_EV_NO_LINE_DOWN : KYR_EV_NO_LINE_UP);
        return false;
    }
    const int x = caretX - textRect.left + firstColumn * columnWidth;
    const int start = down ? LineEndOf(text, caretOffset) + 1 : GetLineStartOf(GetLineStartOf(caretOffset) - 1);
    const int target = OffsetAtX(start, x);
    if (keepDesired) return KeepColumn(target, redraw);
    SetCaretOffset(target, true, redraw);
    desiredColumn = caretColumn;
    return true;
}

bool KyrEditCtrl::MoveHome(bool redraw)
{
    if (text.empty()) {
        Event(KYR_EV_HOME_EMPTY);
        return false;
    }
    if (firstColumn != 0) {
        firstColumn = 0;
        UpdateScrollRanges();
        RedrawAll();
    }
    const int nonBlank = GetFirstNonBlank();
    SetCaretOffset(caretOffset == nonBlank ? GetLineStartOf(caretOffset) : nonBlank, true, redraw);
    desiredColumn = caretColumn;
    return true;
}

bool KyrEditCtrl::MoveEnd(bool redraw)
{
    SetCaretOffset(LineEndOf(text, caretOffset), true, redraw);
    desiredColumn = caretColumn;
    return true;
}

void KyrEditCtrl::MoveToTextStart(bool redraw)
{
    firstColumn = 0;
    SetFirstLine(0);
    UpdateScrollRanges();
    SetCaretOffset(0, true, false);
    desiredColumn = 0;
    if (redraw) RedrawAll();
}

void KyrEditCtrl::MoveToTextEnd(bool redraw)
{
    SetCaretOffset(Length(), true, redraw);
    desiredColumn = caretColumn;
}

bool KyrEditCtrl::PageUp(bool redraw)
{
    if (text.empty()) {
        Event(KYR_EV_NO_PAGE_UP);
        return false;
    }
    const int page = VisibleLines();
    const int rowY = caretY;
    if (firstLine == 0 && caretLine < page) {
        KeepColumn(OffsetAtX(0, caretX - textRect.left + firstColumn * columnWidth), redraw);
        return true;
    }
    ScrollBar(SB_VERT, SB_PAGEUP, 0);
    RedrawAll();
    POINT p{caretX, rowY};
    const int target = OffsetFromPoint(p, false, true);
    KeepColumn(target, redraw);
    return true;
}

bool KyrEditCtrl::PageDown(bool redraw)
{
    const int rowY = caretY;
    if (ScrollBar(SB_VERT, SB_PAGEDOWN, 0)) {
        RedrawAll();
        POINT p{caretX, rowY};
        const int target = OffsetFromPoint(p, false, true);
        KeepColumn(target, redraw);
        return true;
    }
    if (caretOffset >= Length()) {
        Event(KYR_EV_NO_PAGE_DOWN);
        return false;
    }
    MoveToTextEnd(redraw);
    return true;
}

bool KyrEditCtrl::NextWord(bool redraw)
{
    int p = caretOffset;
    if (p >= Length() - 1) {
        Event(KYR_EV_NO_NEXT_WORD);
        return false;
    }
    const unsigned char c = (unsigned char)text[p];
    auto inRun = [&](unsigned char ch) { return runChars.find((char)ch) != std::string::npos; };
    if (!IsDelimiter(c)) {
        while (p < Length() && !IsDelimiter((unsigned char)text[p])) ++p;
    } else if (!inRun(c) && c != ' ') {
        while (p < Length() && IsDelimiter((unsigned char)text[p]) && !inRun((unsigned char)text[p]) && text[p] != ' ') ++p;
    } else if (inRun(c)) {
        if (c == '\n')
            ++p;
        else
            while (p < Length() && (unsigned char)text[p] == c) ++p;
    }
    while (p < Length() && IsBlankByte(text[p])) ++p;
    SetCaretOffset(p, true, redraw);
    desiredColumn = caretColumn;
    return true;
}

bool KyrEditCtrl::PreviousWord(bool redraw)
{
    int p = caretOffset;
    if (p <= 0) {
        Event(KYR_EV_NO_PREV_WORD);
        return false;
    }
    while (p > 0 && IsBlankByte(text[p - 1])) --p;
    if (p > 0) {
        const unsigned char c = (unsigned char)text[p - 1];
        auto inRun = [&](unsigned char ch) { return runChars.find((char)ch) != std::string::npos; };
        if (c == '\n') {
            --p;
        } else if (!IsDelimiter(c)) {
            while (p > 0 && !IsDelimiter((unsigned char)text[p - 1])) --p;
        } else if (inRun(c)) {
            while (p > 0 && (unsigned char)text[p - 1] == c) --p;
        } else {
            while (p > 0 && IsDelimiter((unsigned char)text[p - 1]) && !inRun((unsigned char)text[p - 1]) &&
                   !IsBlankByte(text[p - 1]))
                --p;
        }
    }
    SetCaretOffset(p, true, redraw);
    desiredColumn = caretColumn;
    return true;
}

// --- selection ----------------------------------------------------------------------

bool KyrEditCtrl::CollapseSelection(bool toStart, bool keepCaret, bool redraw)
{
    if (selAnchor < 0 || selEnd < 0) return false;
    const int anchor = selAnchor, end = selEnd;
    ClearSelection();
    boxAnchorX = boxAnchorY = boxCornerX = boxCornerY = -1;
    modified = 1;
    if (end < anchor) toStart = !toStart;
    if (toStart && !keepCaret) SetCaretOffset(std::clamp(anchor, 0, Length()), true, false);
    if (redraw) RedrawAll();
    return true;
}

void KyrEditCtrl::SetSel(int start, int end, bool keepCaret)
{
    if (text.empty()) return;
    if (start == -1) {
        ClearSelection();
        RedrawAll();
        return;
    }
    if (start < 0) start = 0;
    start = std::min(start, Length());
    if (end == -1 || end > Length()) end = Length() - 1;
    if (end < 0) end = 0;
    selAnchor = start;
    selEnd = end;
    if (!keepCaret) SetCaretOffset(end, true, false);
    RedrawAll();
}

bool KyrEditCtrl::ExtendSelection(int kind)
{
    if (caretOffset >= Length() && (kind == 1 || kind == 3 || kind == 5 || kind == 7)) {
        Event(KYR_EV_EXTEND_FAILED);
        return false;
    }
    const int anchor = (selAnchor >= 0 && selEnd >= 0) ? selAnchor : caretOffset;
    const int old = caretOffset;
    const int oldFirst = firstLine, oldColumn = firstColumn;
    bool ok = true;
    switch (kind) {
    case 0: ok = PreviousWord(false); break;
    case 1: ok = NextWord(false); break;
    case 2: ok = MoveCharLeft(false); break;
    case 3: ok = MoveCharRight(false); break;
    case 4: ok = MoveLine(false, true, false); break;
    case 5: ok = MoveLine(true, true, false); break;
    case 6: ok = PageUp(false); break;
    case 7: ok = PageDown(false); break;
    case 8: ok = MoveHome(false); break;
    case 9: ok = MoveEnd(false); break;
    case 10: MoveToTextStart(false); break;
    case 11: MoveToTextEnd(false); break;
    case 12:
        SetCaretOffset(0, true, false);
        selAnchor = Length();
        selEnd = 0;
        RedrawAll();
        return true;
    default: ok = false;
    }
    if (!ok) {
        Event(KYR_EV_EXTEND_FAILED);
        return false;
    }
    selAnchor = anchor;
    selEnd = caretOffset;
    if (firstLine == oldFirst && firstColumn == oldColumn)
        RedrawLines(old, caretOffset);
    else
        RedrawAll();
    return true;
}

std::string KyrEditCtrl::GetSelectedText() const
{
    if (!HasSelection()) return std::string();
    return text.substr((size_t)SelMin(), (size_t)(SelMax() - SelMin()));
}

std::string KyrEditCtrl::GetWordAt(int offset)
{
    int a, b;
    GetWordBounds(offset, &a, &b);
    if (a >= b || IsDelimiter((unsigned char)text[a])) return std::string();
    return text.substr((size_t)a, (size_t)(b - a));
}

int KyrEditCtrl::OffsetWithoutCR(int offset) const
{
    int crlf = 0, i = 0;
    for (; i < Length() && crlf < offset; ++i) crlf += text[i] == '\n' ? 2 : 1;
    return i;
}

void KyrEditCtrl::GetWordBounds(int offset, int* start, int* end)
{
    offset = std::clamp(offset, 0, Length());
    int a = offset, b = offset;
    if (offset < Length() && IsDelimiter((unsigned char)text[offset])) {
        b = offset + 1;
    } else {
        while (a > 0 && !IsDelimiter((unsigned char)text[a - 1])) --a;
        while (b < Length() && !IsDelimiter((unsigned char)text[b])) ++b;
    }
    *start = a;
    *end = b;
}

bool KyrEditCtrl::IsBlock()
{
    if (!HasSelection() || boxMode) return false;
    return GetLineOfOffsetCached(SelMin()) != GetLineOfOffsetCached(SelMax());
}

bool KyrEditCtrl::IndentBlock(bool indent)
{
    if (!IsBlock()) {
        Event(KYR_EV_BLOCK_REFUSED);
        return false;
    }
    const bool backwards = selEnd < selAnchor;
    const int lo = SelMin(), hi = SelMax();
    int lastLine = GetLineOfOffsetCached(hi);
    if (GetLineStartOf(hi) == hi) --lastLine;
    const int first = GetLineOfOffsetCached(lo);
    const std::string indentText = keepTabs ? std::string("\t") : std::string((size_t)std::max(indentWidth, 0), ' ');
    // Indenting may not make a line longer than the limit.
    if (indent) {
        int ls = GetLineStartOf(lo);
        for (int l = first; l <= lastLine; ++l) {
            const int e = LineEndOf(text, ls);
            if (GetColumnOfOffset(e) + indentWidth > maxLineLength - 1) {
                Event(KYR_EV_TAB_TOO_LONG);
                return false;
            }
            ls = e + 1;
        }
    }
    SetLastAction(indent ? KYR_ACT_INDENT : KYR_ACT_UNINDENT);
    const int firstStart = GetLineStartOf(lo);
    std::vector<std::string> changes;
    struct LineEdit {
        int offset;
        std::string text;
    };
    std::vector<LineEdit> edits;   // in the order made, so each offset is exact
    int ls = firstStart;
    for (int l = first; l <= lastLine && ls <= Length(); ++l) {
        int nb = ls;
        const int e = LineEndOf(text, ls);
        while (nb < e && IsBlankByte(text[nb])) ++nb;
        std::string change;
        int delta = 0;
        if (indent) {
            if (CanInsert(nb, indentText)) {
                OnInsertText(nb, indentText);
                text.insert((size_t)nb, indentText);
                TextInserted(nb, (int)indentText.size());
                change = indentText;
                edits.push_back({nb, indentText});
                delta = (int)indentText.size();
                NotifyEditChange(nb, indentText, true);
            }
        } else {
            int from = nb;
            if (!keepTabs) {
                from = nb - std::min(indentWidth, nb - ls);
            } else {
                int gone = 0;
                while (from > ls && gone < indentWidth) {
                    const int colBefore = GetColumnOfOffset(from - 1);
                    const int w = text[from - 1] == '\t' ? tabSize - colBefore % std::max(tabSize, 1) : 1;
                    gone += w;
                    --from;
                }
            }
            if (from < nb) {
                const std::string removed = text.substr((size_t)from, (size_t)(nb - from));
                if (CanDelete(from, removed)) {
                    OnRemoveText(from, nb);
                    text.erase((size_t)from, (size_t)(nb - from));
                    TextErased(from, nb - from);
                    change = removed;
                    edits.push_back({from, removed});
                    delta = -(int)removed.size();
                    NotifyEditChange(from, removed, false);
                }
            }
        }
        changes.push_back(change);
        ls = LineEndOf(text, ls) + 1;
        (void)delta;
    }
    const int lastEnd = std::min(ls, Length());
    auto block = std::make_unique<KyrUndoBlock>();
    block->firstLineOffset = firstStart;
    block->lastLineOffset = GetLineStartOf(std::max(lastEnd - 1, firstStart));
    block->indent = indent ? 1 : 0;
    block->changes = std::move(changes);
    // One group of exact per-line edits: undo and redo replay them.
    for (size_t k = 0; k < edits.size(); ++k)
        RecordUndo(edits[k].text, (indent ? KYR_UNDO_INSERT : KYR_UNDO_DELETE) | KYR_UNDO_BLOCK, edits[k].offset, true,
                   k + 1 < edits.size());
    UpdateScrollRanges();
    if (backwards) {
        selAnchor = lastEnd;
        selEnd = firstStart;
    } else {
        selAnchor = firstStart;
        selEnd = lastEnd;
    }
    SetCaretOffset(selEnd, true, false);
    RedrawAll();
    return true;
}

// --- keyboard ------------------------------------------------------------------------

bool KyrEditCtrl::InsertTab()
{
    SetLastAction(KYR_ACT_TAB);
    const int lineLen = GetLineEndAndColumn(caretOffset, nullptr);
    if (caretColumn + indentWidth > maxLineLength - 1 || (!GetOverwriteMode() && lineLen + indentWidth > maxLineLength - 1)) {
        Event(KYR_EV_TAB_TOO_LONG);
        return false;
    }
    if (GetOverwriteMode()) {
        SetCaretOffset(OffsetOfColumn(caretColumn + indentWidth, caretOffset), true, true);
        desiredColumn = caretColumn;
        return true;
    }
    const std::string s = keepTabs ? std::string("\t") : std::string((size_t)std::max(indentWidth, 0), ' ');
    if (!CanInsert(caretOffset, s)) return false;
    const int at = caretOffset;
    OnInsertText(at, s);
    text.insert((size_t)at, s);
    TextInserted(at, (int)s.size());
    RecordUndo(s, KYR_UNDO_INSERT, at, true, false);
    NotifyEditChange(at, s, true);
    UpdateScrollRanges();
    SetCaretOffset(at + (int)s.size(), true, false);
    RedrawLines(at, at);
    desiredColumn = caretColumn;
    return true;
}

bool KyrEditCtrl::BackTab()
{
    if (caretColumn == 0) {
        Event(KYR_EV_BACKTAB_COL0);
        return false;
    }
    int n = caretColumn % std::max(indentWidth, 1);
    if (n == 0) n = indentWidth;
    const int target = caretColumn - n;
    int p = caretOffset;
    const int ls = GetLineStartOf(p);
    while (p > ls && GetColumnOfOffset(p) > target) p = EditPrevChar(text, p);
    SetCaretOffset(p, true, true);
    desiredColumn = caretColumn;
    return true;
}

void KyrEditCtrl::ScrollLines(int delta)
{
    OnVScroll(delta > 0 ? SB_LINEDOWN : SB_LINEUP, 0, nullptr);
}

void KyrEditCtrl::OnKeyDown(UINT vk, UINT, UINT)
{
    if (vk >= 0x1C && vk <= 0x8F) HideToolTip();
    const bool shift = GetKeyState(VK_SHIFT) & 0x8000;
    const bool ctrl = GetKeyState(VK_CONTROL) & 0x8000;
    if (readOnly) {
        switch (vk) {
        case VK_TAB:
            if (shift)
                OnVScroll(SB_PAGEUP, 0, nullptr);
            else
                OnVScroll(SB_PAGEDOWN, 0, nullptr);
            break;
        case VK_NEXT: OnVScroll(SB_PAGEDOWN, 0, nullptr); break;
        case VK_PRIOR: OnVScroll(SB_PAGEUP, 0, nullptr); break;
        case VK_END: OnVScroll(SB_BOTTOM, 0, nullptr); break;
        case VK_HOME:
            OnVScroll(SB_TOP, 0, nullptr);
            OnHScroll(SB_TOP, 0, nullptr);
            break;
        case VK_UP: OnVScroll(SB_LINEUP, 0, nullptr); break;
        case VK_DOWN: OnVScroll(SB_LINEDOWN, 0, nullptr); break;
        case VK_LEFT: OnHScroll(SB_LINEUP, 0, nullptr); break;
        case VK_RIGHT: OnHScroll(SB_LINEDOWN, 0, nullptr); break;
        case VK_INSERT: ToggleOverwrite(); break;
        default: Default();
        }
        return;
    }
    previousKey = lastKey;
    lastKey = (int)vk;
    const bool sel = HasSelection();
    if (sel && (vk == VK_ESCAPE || vk == VK_DELETE || vk == VK_UP || vk == VK_DOWN || vk == VK_PRIOR || vk == VK_NEXT)) {
        if (caretX < textRect.left || caretX >= textRect.right || caretY < textRect.top || caretY >= textRect.bottom)
            SetCaretOffset(caretOffset, true, true);
    }
    switch (vk) {
    case VK_BACK:
        if (ctrl) break;   // Ctrl+Backspace neither deletes nor types
        if (HasSelection()) {
            SetLastAction(KYR_ACT_BACKSPACE);
            DeleteSelection(true, false, true);
        } else if (caretOffset > 0) {
            const int old = caretOffset;
            SetCaretOffset(EditPrevChar(text, caretOffset), true, false);
            SetLastAction(KYR_ACT_BACKSPACE);
            if (!DeleteKey(true)) SetCaretOffset(old, true, false);
        } else {
            Event(KYR_EV_AT_START);
        }
        break;
    case VK_TAB:
        if (ctrl) break;
        if (HasSelection()) {
            // Only a selection that is no block of lines is replaced by an
            // indent; a block too long to indent stays as it is.
            const bool block = IsBlock();
            if (!IndentBlock(!shift) && !shift && !block) {
                DeleteSelection(true, false, true);
                InsertTab();
            }
        } else if (shift) {
            BackTab();
        } else {
            InsertTab();
        }
        break;
    case VK_RETURN:
        if (HasSelection()) DeleteSelection(true, false, true);
        if (!GetOverwriteMode()) {
            SetLastAction(KYR_ACT_ENTER);
            InsertLineBreak(caretOffset, true);
        } else {
            MoveLine(true, false, true);
            MoveHome(true);
        }
        desiredColumn = caretColumn;
        break;
    case VK_ESCAPE: CollapseSelection(false, true, true); break;
    case VK_PRIOR:
    case VK_NEXT:
        if (ctrl) break;
        if (shift) {
            ExtendSelection(vk == VK_PRIOR ? 6 : 7);
        } else {
            CollapseSelection(true, false, true);
            if (vk == VK_PRIOR)
                PageUp(true);
            else
                PageDown(true);
        }
        break;
    case VK_END:
        if (shift)
            ExtendSelection(ctrl ? 11 : 9);
        else {
            CollapseSelection(false, false, true);
            if (ctrl)
                MoveToTextEnd(true);
            else
                MoveEnd(true);
        }
        break;
    case VK_HOME:
        if (shift)
            ExtendSelection(ctrl ? 10 : 8);
        else {
            CollapseSelection(true, false, true);
            if (ctrl)
                MoveToTextStart(true);
            else
                MoveHome(true);
        }
        break;
    case VK_LEFT:
        if (shift)
            ExtendSelection(ctrl ? 0 : 2);
        else if (ctrl) {
            CollapseSelection(true, false, true);
            PreviousWord(true);
        } else if (!CollapseSelection(true, false, true)) {
            MoveCharLeft(true);
        }
        break;
    case VK_RIGHT:
        if (shift)
            ExtendSelection(ctrl ? 1 : 3);
        else if (ctrl) {
            CollapseSelection(false, false, true);
            NextWord(true);
        } else if (!CollapseSelection(false, false, true)) {
            MoveCharRight(true);
        }
        break;
    case VK_UP:
    case VK_DOWN: {
        const bool down = vk == VK_DOWN;
        if (ctrl && shift) break;
        if (shift) {
            ExtendSelection(down ? 5 : 4);
        } else if (ctrl) {
            ScrollLines(down ? 1 : -1);
            if (caretY < textRect.top || caretY + lineHeight > textRect.bottom) MoveLine(down, true, true);
        } else {
            const bool had = CollapseSelection(!down, false, true);
            MoveLine(down, !had, true);
        }
        break;
    }
    case VK_INSERT: ToggleOverwrite(); break;
    case VK_DELETE:
        SetLastAction(KYR_ACT_DELETE);
        DeleteKey(true);
        break;
    default: Default(); break;
    }
}

void KyrEditCtrl::OnChar(UINT ch, UINT, UINT)
{
    const bool control = ch < 0x20 || ch == 0x7F || (ch >= 0x80 && ch <= 0x9F);
    const bool nonCharacter = (ch >= 0xFDD0 && ch <= 0xFDEF) || (ch & 0xFFFE) == 0xFFFE || (ch >= 0xD800 && ch <= 0xDFFF) ||
                              ch > 0x10FFFF;
    if (control || nonCharacter || readOnly) {
        Default();
        return;
    }
    if (HasSelection()) DeleteSelection(true, false, true);
    SetLastAction(KYR_ACT_TYPED);
    InsertChar(ch, true);
}

// --- mouse ---------------------------------------------------------------------------

void KyrEditCtrl::OnLButtonDown(UINT flags, POINT pt)
{
    SetFocus();
    (void)(GetKeyState(VK_MENU) & 0x8000);   // Alt state read, box mode not entered
    if (HasSelection()) {
        RECT unused;
        (void)unused;
        const int lo = SelMin(), hi = SelMax();
        POINT p = pt;
        const int at = OffsetFromPoint(p, false, false);
        if (at >= lo && at < hi) {
            DragOutSelection(pt);
            return;
        }
    }
    if (pt.x < textRect.left && pt.x >= 0) pt.x = textRect.left;
    POINT p = pt;
    const int at = OffsetFromPoint(p, false, true);
    if (at >= 0) SetCaretOffset(at, true, false);
    desiredColumn = caretColumn;
    if (flags & MK_LBUTTON) {
        ::SetCapture(m_hWnd);
        selecting = true;
        lastHitOffset = -1;
    }
    if (selAnchor >= 0 || selEnd >= 0) {
        ClearSelection();
        RedrawAll();
    }
}

void KyrEditCtrl::MouseSelectTo(POINT pt)
{
    if (pt.x < textRect.left) pt.x = textRect.left;
    if (pt.x >= textRect.right) pt.x = textRect.right - 1;
    if (selAnchor < 0 || selEnd < 0) {
        selAnchor = selEnd = caretOffset;
        lastHitOffset = caretOffset;
    }
    POINT p = pt;
    const int at = OffsetFromPoint(p, false, true);
    if (at < 0 || at == selEnd) return;
    const int old = selEnd;
    const int oldFirst = firstLine;
    selEnd = at;
    lastHitOffset = at;
    SetCaretOffset(at, true, false);
    if (oldFirst != firstLine)
        RedrawAll();
    else
        RedrawLines(old, at);
}

void KyrEditCtrl::OnMouseMove(UINT flags, POINT pt)
{
    if (selecting && (flags & MK_LBUTTON) && GetCapture() == m_hWnd) {
        const bool inside = pt.x >= textRect.left && pt.x < textRect.right && pt.y >= textRect.top && pt.y < textRect.bottom;
        if (!inside && autoScrollTimer < 0) {
            SetTimer(1, (UINT)autoScrollInterval);
            autoScrollTimer = 1;
        } else if (inside && autoScrollTimer >= 0) {
            KillTimer(1);
            autoScrollTimer = -1;
        }
        MouseSelectTo(pt);
        return;
    }
    if (hoverTips && !selecting) UpdateHoverTip(pt);
}

void KyrEditCtrl::OnTimer(UINT_PTR id)
{
    if (id != 1 || !selecting) {
        Default();
        return;
    }
    POINT p;
    GetCursorPos(&p);
    ::ScreenToClient(m_hWnd, &p);
    PostMessage(WM_MOUSEMOVE, MK_LBUTTON, (LPARAM)((DWORD)(WORD)(short)p.x | ((DWORD)(WORD)(short)p.y << 16)));
}

// A capture taken away (a menu, another window) ends the mouse selection.
LRESULT KyrEditCtrl::OnCaptureChanged(WPARAM, LPARAM l)
{
    if ((HWND)l != m_hWnd && selecting) {
        if (autoScrollTimer >= 0) KillTimer(1);
        autoScrollTimer = -1;
        selecting = false;
        if (selAnchor >= 0 && selAnchor == selEnd) ClearSelection();
    }
    return 0;
}

void KyrEditCtrl::OnLButtonUp(UINT, POINT)
{
    if (GetCapture() == m_hWnd) ReleaseCapture();
    if (autoScrollTimer >= 0) KillTimer(1);
    autoScrollTimer = -1;
    selecting = false;
    desiredColumn = caretColumn;
    if (selAnchor >= 0 && selAnchor == selEnd) ClearSelection();
}

void KyrEditCtrl::OnLButtonDblClk(UINT, POINT pt)
{
    POINT p = pt;
    const int at = OffsetFromPoint(p, false, false);
    if (at < 0 || at >= Length()) return;
    int a = at, b = at;
    if (IsBlankByte(text[at])) {
        while (a > 0 && IsBlankByte(text[a - 1])) --a;
        while (b < Length() && IsBlankByte(text[b])) ++b;
        if (b - a < 2) GetWordBounds(at, &a, &b);
    } else {
        GetWordBounds(at, &a, &b);
    }
    if (a == b) return;
    selAnchor = a;
    selEnd = b;
    SetCaretOffset(b, true, false);
    desiredColumn = caretColumn;
    RedrawAll();
}

void KyrEditCtrl::OnRButtonDown(UINT, POINT pt)
{
    POINT p = pt;
    const int at = OffsetFromPoint(p, false, false);
    if (HasSelection() && at >= SelMin() && at < SelMax()) return;
    if (selAnchor >= 0) {
        ClearSelection();
        RedrawAll();
    }
    if (at >= 0) SetCaretOffset(at, true, false);
    if (GetCapture() == m_hWnd) ReleaseCapture();
    if (autoScrollTimer >= 0) KillTimer(1);
    autoScrollTimer = -1;
    selecting = false;
}

LRESULT KyrEditCtrl::OnSetCursorMsg(WPARAM w, LPARAM l)
{
    if ((HWND)w != m_hWnd || LOWORD(l) != HTCLIENT) return CWnd::DefWindowProc(WM_SETCURSOR, w, l);
    POINT pt;
    GetCursorPos(&pt);
    ::ScreenToClient(m_hWnd, &pt);
    const bool inText = pt.x >= textRect.left && pt.x < textRect.right && pt.y >= textRect.top && pt.y < textRect.bottom;
    POINT p = pt;
    const int at = inText ? OffsetFromPoint(p, true, false) : -1;
    const bool onSel = HasSelection() && at >= SelMin() && at < SelMax();
    bool ibeam = inText && !onSel;
    if (ibeam && readOnly) ibeam = at >= 0 && std::abs(pt.x - p.x) <= columnWidth && std::abs(pt.y - p.y) <= lineHeight;
    SetCursor(LoadCursor(nullptr, ibeam ? IDC_IBEAM : IDC_ARROW));
    return TRUE;
}
