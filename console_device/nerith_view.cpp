// The console view, output side.
#include "console_device/nerith_view.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sstream>

#include "console_device/nerith_resources.h"
#include "console_device/nerith_settings.h"
#include "devices/console_text.h"
#include "platform/afx/afx_ids.h"
#include "platform/controls/controls.h"
#include "values/value_text.h"

IMPLEMENT_DYNCREATE(CNerithView, CRichEditView)

BEGIN_MESSAGE_MAP(CNerithView, CRichEditView)
    ON_WM_CREATE()
    ON_COMMAND(ID_EDIT_REPEAT, OnEditRepeat)
    ON_UPDATE_COMMAND_UI(ID_EDIT_REPEAT, OnUpdateNeedText)
    ON_REGISTERED_MESSAGE("commdlg_FindReplace", OnFindRequest)
    ON_WM_KEYDOWN()
    ON_WM_CHAR()
    ON_NOTIFY_REFLECT(EN_PROTECTED, OnProtected)
END_MESSAGE_MAP()

namespace {

// How option values read as words: no brackets or quotes, 64 characters.
constexpr ValueTextFormat kOptionWordFormat = {0, 64, 0, 16, VTF_NO_ROUNDING, {0, 0}, 0};

std::string OptionWord(const CValue& v, bool lower)
{
    std::ostringstream os;
    WriteValue(os, v, kOptionWordFormat);
    std::string s = os.str();
    s.resize(strnlen(s.c_str(), s.size()));
    if (lower)
        for (char& c : s)
            if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
    return s;
}

bool OptionTruth(const CValue& v)
{
    if (v.IsEmpty()) return true;
    if (v.Type() == VT_REAL) return v.Real() != 0;
    if (v.Type() == VT_COMPLEX) return v.ComplexRef().im == 0 && v.ComplexRef().re != 0;
    return false;
}

// A twips height from a number: truncated, and 140 unless it is in 5..500.
LONG OptionHeight(const CValue& v)
{
    double x;
    if (v.Type() == VT_REAL) x = v.Real();
    else if (v.Type() == VT_COMPLEX && v.ComplexRef().im == 0) x = v.ComplexRef().re;
    else return 140;
    if (!std::isfinite(x) || x < 5 || x >= 501) return 140;
    return (LONG)std::trunc(x);
}

bool NamedColour(const std::string& word, COLORREF& c)
{
    static const struct {
        const char* name;
        COLORREF value;
    } kColours[] = {{"blue", 0xFF0000}, {"white", 0xFFFFFF}, {"red", 0x0000FF}, {"yellow", 0x00FFFF},
                    {"green", 0x00FF00}, {"magenta", 0xFF00FF}, {"cyan", 0xFFFF00}, {"black", 0}};
    for (const auto& k : kColours)
        if (word == k.name) {
            c = k.value;
            return true;
        }
    if (word.empty() || word[0] < '0' || word[0] > '9') return false;
    // A decimal COLORREF; one that does not fit 32 bits leaves the colour.
    errno = 0;
    unsigned long long n = std::strtoull(word.c_str(), nullptr, 10);
    if (errno == ERANGE || n > 0xFFFFFFFFull) return false;
    c = (COLORREF)n;
    return true;
}

}  // namespace

CNerithView::CNerithView() = default;

bool CNerithView::ControlHeld()
{
    // The thread's key state, unless the key is up by now: a Control key-up
    // that went to another window never reaches this thread's state.
    return GetKeyState(VK_CONTROL) < 0 && GetAsyncKeyState(VK_CONTROL) < 0;
}

int CNerithView::OnCreate(CREATESTRUCT* cs)
{
    if (CRichEditView::OnCreate(cs) == -1) return -1;
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    // Lines do not wrap at the window edge.
    ctrl.SetTargetDevice(nullptr, 100000);
    ctrl.SetReadOnly(TRUE);
    // Every edit path (typing, paste, drop, undo, input methods) asks before
    // it changes protected text: only the typed input may change.
    ctrl.SetEventMask(ctrl.GetEventMask() | ENM_PROTECTED);
    return 0;
}

void CNerithView::OnInitialUpdate()
{
    CRichEditView::OnInitialUpdate();
    SetDefaultCharFormat();
    m_rectMargin = RECT{720, 720, 720, 720};
    m_cancelInput = 0;
}

void CNerithView::SetDefaultCharFormat()
{
    const NerithSettings s = NerithSettingsCopy();
    m_format = CHARFORMAT{};
    m_format.cbSize = sizeof m_format;
    m_format.dwMask = CFM_ALL;
    m_format.dwEffects = CFE_PROTECTED;
    m_format.yHeight = s.fontHeight;
    m_format.yOffset = 0;
    m_format.crTextColor = GetSysColor(COLOR_WINDOWTEXT);
    m_format.bCharSet = 1;
    std::strncpy(m_format.szFaceName, s.fontFace.c_str(), sizeof m_format.szFaceName - 1);
    if (m_hWnd) {
        CHARFORMAT cf = m_format;
        GetRichEditCtrl().SetDefaultCharFormat(cf);
    }
}

std::string CNerithView::LinePrefix(bool output, bool outStamp, bool timeStamp)
{
    std::string prefix;
    if (timeStamp) {
        using namespace std::chrono;
        const auto now = system_clock::now();
        const std::time_t t = system_clock::to_time_t(now);
        std::tm tm{};
        localtime_r(&t, &tm);
        const unsigned ms = (unsigned)(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
        char buf[32];
        std::snprintf(buf, sizeof buf, "[%02u:%02u:%02u.%03u] ", (unsigned)tm.tm_hour, (unsigned)tm.tm_min,
                      (unsigned)tm.tm_sec, ms);
        prefix = buf;
    }
    if (outStamp) prefix += output ? ">> " : "<< ";
    return prefix;
}

void CNerithView::BeginOutputLine()
{
    const NerithLineSettings s = NerithLineSettingsCopy();
    std::string prefix = LinePrefix(true, s.outStamp, s.timeStamp);
    if (!prefix.empty()) AppendText(prefix);
}

void CNerithView::BeginInputLine()
{
    const NerithLineSettings s = NerithLineSettingsCopy();
    std::string prefix = LinePrefix(false, s.outStamp, s.timeStamp);
    if (!prefix.empty()) AppendText(prefix);
}

void CNerithView::EndOutputLine() { AppendText("\n"); }

void CNerithView::PrintValue(const CValue& value)
{
    const ValueTextFormat format = NerithLineSettingsCopy().format;
    // One stream for every print: making a stream costs more than the text.
    m_printText.str(std::string());
    m_printText.clear();
    WriteValue(m_printText, value, format);
    // Up to a NUL, as the control takes it.
    const std::string_view text = m_printText.view();
    AppendText(text.substr(0, text.find('\0')));
}

void CNerithView::AppendText(std::string_view text)
{
    if (!m_hWnd) return;
    // The run keeps the format of this moment: an option never restyles what
    // was printed before it.
    m_pending.Add(text, &m_format);
    if (!m_flushTimer) m_flushTimer = ::SetTimer(m_hWnd, ID_FLUSH_TIMER, kOutputFrameMilliseconds, nullptr) != 0;
}

void CNerithView::FlushOutput()
{
    if (m_flushTimer) {
        ::KillTimer(m_hWnd, ID_FLUSH_TIMER);
        m_flushTimer = false;
    }
    if (m_pending.Empty() || !m_hWnd) return;
    // Taken out first: the control's own messages below flush nothing more.
    CRichAppendQueue batch = std::move(m_pending);
    m_pending.Clear();
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    // Whether the start of the last line is in view, decided before the text grows.
    RECT r{};
    ctrl.GetRect(&r);
    const int lastLineStart = ctrl.LineIndex(ctrl.GetLineCount() - 1);
    const POINT pt = ctrl.GetCharPos(lastLineStart < 0 ? 0 : lastLineStart);
    const bool endVisible = pt.y >= r.top && pt.y <= r.bottom;
    long selStart = 0, selEnd = 0;
    ctrl.GetSel(selStart, selEnd);

    ctrl.HideSelection(TRUE);
    CHARFORMAT next = m_format;
    batch.PutInto(ctrl, &next);
    const long end = ctrl.GetTextLength();
    if (endVisible) {
        // Scroll only as far as puts the last line at the bottom: the text
        // above it stays in view.
        for (int guard = 0; guard < 4; ++guard) {
            const int count = ctrl.GetLineCount();
            const POINT last = ctrl.GetCharPos(ctrl.LineIndex(count - 1));
            const POINT prev = count > 1 ? ctrl.GetCharPos(ctrl.LineIndex(count - 2)) : POINT{0, last.y - 16};
            const int lineHeight = last.y - prev.y > 0 ? last.y - prev.y : 16;
            const int below = last.y + lineHeight - r.bottom;
            if (below <= 0) break;
            ctrl.LineScroll((below + lineHeight - 1) / lineHeight);
        }
        ctrl.SetSel(end, end);
    } else {
        ctrl.SetSel(selStart, selEnd);
    }
    ctrl.HideSelection(FALSE);
    // The focus only within a console window the user is already in: never
    // an activation that takes the IDE's place.
    HWND top = GetAncestor(m_hWnd, GA_ROOT);
    if (top && GetForegroundWindow() == top && ::GetFocus() != m_hWnd) ::SetFocus(m_hWnd);
}

LRESULT CNerithView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER && wParam == ID_FLUSH_TIMER) {
        FlushOutput();
        return 0;
    }
    // Whatever is asked of the view (text, input, paint, saving, printing)
    // sees every line printed so far.
    if (!m_pending.Empty()) FlushOutput();
    return CRichEditView::WindowProc(message, wParam, lParam);
}

void CNerithView::ApplyTextOption(const ConsoleIoOption& option)
{
    std::string name = option.name;
    for (char& c : name)
        if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
    const CValue& v = option.value;
    if (name == "color") {
        COLORREF c;
        if (NamedColour(OptionWord(v, true), c)) {
            m_format.dwMask |= CFM_COLOR;
            m_format.dwEffects &= ~CFE_AUTOCOLOR;
            m_format.crTextColor = c;
        }
    } else if (name == "ul" || name == "bd" || name == "it" || name == "so") {
        const DWORD bit = name == "ul" ? CFE_UNDERLINE : name == "bd" ? CFE_BOLD : name == "it" ? CFE_ITALIC
                                                                                               : CFE_STRIKEOUT;
        m_format.dwMask |= bit;
        if (OptionTruth(v)) m_format.dwEffects |= bit;
        else m_format.dwEffects &= ~bit;
    } else if (name == "height") {
        m_format.dwMask |= CFM_SIZE;
        m_format.yHeight = OptionHeight(v);
    } else if (name == "font") {
        const std::string face = OptionWord(v, false);
        if (face.size() < 31) {
            m_format.dwMask |= CFM_FACE;
            std::memset(m_format.szFaceName, 0, sizeof m_format.szFaceName);
            std::memcpy(m_format.szFaceName, face.data(), face.size());
        }
    } else if (name == "sub" || name == "sup") {
        m_format.dwMask |= CFM_OFFSET;
        m_format.yOffset = name == "sub" ? -100 : 100;
    } else if (name == "otype") {
        const std::string word = OptionWord(v, true);
        if (word == "print") UpdateNerithSettings([](NerithSettings& s) { s.format.flags |= 3u; });
        else if (word == "stream") UpdateNerithSettings([](NerithSettings& s) { s.format.flags &= ~3u; });
    }
    if (m_hWnd) {
        CHARFORMAT cf = m_format;
        GetRichEditCtrl().SetSelectionCharFormat(cf);
    }
}

LRESULT CNerithView::OnHostPrint(ConsoleIoRequest* request)
{
    if (!request) return 0;
    // The same title again changes nothing: no frame update per print.
    if (CDocument* doc = GetDocument(); doc && doc->GetTitle() != request->title) doc->SetTitle(request->title.c_str());
    if (request->itemCount == 0 || !request->items) return 0;
    bool lineBegun = false;
    for (uint32_t i = 0; i < request->itemCount; ++i) {
        ConsoleIoItem& item = request->items[i];
        for (uint32_t k = 0; k < item.optionCount && item.options; ++k) ApplyTextOption(item.options[k]);
        if (item.target) {
            if (!ReadInputValue(item.target, i == 0)) {
                // Cancelled or quit: no value for this item or any later one.
                for (uint32_t j = i; j < request->itemCount; ++j) request->items[j].target = nullptr;
                return -1;
            }
            continue;
        }
        if (!lineBegun) {
            BeginOutputLine();
            lineBegun = true;
        }
        PrintValue(item.value);
        if (i + 1 == request->itemCount) EndOutputLine();
    }
    return 0;
}

LRESULT CNerithView::OnFindRequest(WPARAM wParam, LPARAM lParam)
{
    if (CFindReplaceDialog* d = CFindReplaceDialog::GetNotifier(lParam); d && !d->IsTerminating() && d->FindNext())
        m_lastFind = LastFind{d->GetFindString(), d->SearchDown() != FALSE, d->MatchCase() != FALSE,
                              d->MatchWholeWord() != FALSE};
    return OnFindReplaceCmd(wParam, lParam);
}

void CNerithView::OnEditRepeat()
{
    if (m_lastFind.what.empty()) OnEditFind();
    else FindNext(m_lastFind.what, m_lastFind.down, m_lastFind.matchCase, m_lastFind.wholeWord);
}

int CNerithView::BeginInput(CValue* result, bool first)
{
    if (first) BeginInputLine();
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    const long end = ctrl.GetTextLength();
    if (end < 0) return -1;
    ctrl.SetSel(end, end);
    m_inputStart = (int32_t)end;
    m_cancelInput = 0;
    m_inputTarget = result;
    HWND top = GetAncestor(m_hWnd, GA_ROOT);
    if (top) {
        // The waiting input shows its window above the others, back from the
        // task bar if need be, but takes no activation: the user may be
        // typing in another window.
        if (IsIconic(top) || !::IsWindowVisible(top)) ::ShowWindow(top, SW_SHOWNOACTIVATE);
        ::SetWindowPos(top, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    // Writable once it shows: whoever sees the input open sees its window too.
    ctrl.SetReadOnly(FALSE);
    // The keys come here when the user is in one of this program's main
    // windows (the IDE that started the run, a plot or this console); never
    // from another application or from a dialog. The desktop decides where
    // the user is: its focus may not have reached our windows yet.
    const HWND fg = GetForegroundWindow();
    if (top && fg && fg != top && ::IsWindow(fg) && !::GetWindow(fg, GW_OWNER) && ::IsWindowEnabled(fg) &&
        DesktopFocusIsOurs())
        ::SetForegroundWindow(top);
    if (top) WantKeys(top);
    if (top && GetForegroundWindow() == top && ::GetFocus() != m_hWnd) ::SetFocus(m_hWnd);
    return 0;
}

void CNerithView::EndInput()
{
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    m_inputStart = -1;
    m_inputTarget = nullptr;
    AppendText("\n");
    ctrl.SetReadOnly(TRUE);
}

bool CNerithView::ReadInputValue(CValue* target, bool first)
{
    CValue local;
    if (BeginInput(&local, first) != 0) return false;
    bool ok = true, quit = false;
    int exitCode = 0;
    MSG msg{};
    while (m_inputStart != -1) {
        // Sent messages are served inside GetMessage; the frame's
        // accelerators are not applied here.
        const BOOL got = GetMessage(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            quit = got == 0;
            exitCode = (int)msg.wParam;
            ok = false;
            break;
        }
        TranslateMessage(&msg);
        DispatchMessage(&msg);
        if (m_cancelInput) {
            m_cancelInput = 0;
            ok = m_inputStart == -1;
            break;
        }
    }
    if (m_inputStart != -1) EndInput();
    // The thread's own loop still has to see the quit.
    if (quit) PostQuitMessage(exitCode);
    if (!ok) return false;
    *target = local;
    return true;
}

void CNerithView::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    if (m_inputStart == -1) {
        Default();
        return;
    }
    const bool ctrlDown = ControlHeld();
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    if (nChar == VK_HOME && !ctrlDown) {
        ctrl.SetSel(m_inputStart, m_inputStart);
        return;
    }
    if (nChar == VK_ESCAPE) {
        // The input ends empty; the character TranslateMessage queued for
        // this key must not end the next input of the request.
        EndInput();
        MSG pending{};
        if (PeekMessage(&pending, m_hWnd, WM_CHAR, WM_CHAR, PM_NOREMOVE) && pending.wParam == 27)
            PeekMessage(&pending, m_hWnd, WM_CHAR, WM_CHAR, PM_REMOVE);
        return;
    }
    if (nChar == VK_BACK) {
        long a = 0, b = 0;
        ctrl.GetSel(a, b);
        if (a == m_inputStart || b == m_inputStart) return;
    }
    (void)nRepCnt;
    (void)nFlags;
    Default();
}

void CNerithView::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags)
{
    (void)nRepCnt;
    (void)nFlags;
    if (m_inputStart == -1) {
        Default();
        return;
    }
    CRichEditCtrl& ctrl = GetRichEditCtrl();
    long a = 0, b = 0;
    ctrl.GetSel(a, b);
    // Select-all and copy keep the selection; everything else edits at the input.
    if (a < m_inputStart && nChar != 1 && nChar != 3) ctrl.SetSel(std::max<long>(a, m_inputStart), std::max<long>(b, m_inputStart));
    // A line feed is Enter translated under a stale Control state.
    if ((nChar == 13 || nChar == 27 || nChar == 10) && !ControlHeld()) {
        const std::string typed = ctrl.GetTextRange(m_inputStart, ctrl.GetTextLength());
        if (m_inputTarget) ConsoleTextToValue(typed, *m_inputTarget);
        EndInput();
        return;
    }
    Default();
}

void CNerithView::OnProtected(NMHDR* nmhdr, LRESULT* result)
{
    const auto* en = reinterpret_cast<const ENPROTECTED*>(nmhdr);
    // Only the typed input may change: never text before the input start.
    *result = m_inputStart == -1 || en->chrg.cpMin < m_inputStart ? 1 : 0;
}

BOOL CNerithView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info)
{
    // New, Open and Print Preview would replace or hold the text under a
    // waiting input: off and refused until it ends.
    if (IsInputPending() && (nID == ID_FILE_NEW || nID == ID_FILE_OPEN || nID == ID_FILE_PRINT_PREVIEW)) {
        if (nCode == CN_UPDATE_COMMAND_UI && pExtra) static_cast<CCmdUI*>(pExtra)->Enable(FALSE);
        return TRUE;
    }
    return CRichEditView::OnCmdMsg(nID, nCode, pExtra, info);
}
