#include "ide/bars/output_bar.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "ide/run/hidden_run.h"
#include "platform/afx/doc_template.h"
#include "platform/afx/win_app.h"
#include "platform/afx/doc_manager.h"
#include "platform/afx/document.h"
#include "platform/afx/mdi_child_wnd.h"
#include "platform/afx/mdi_frame_wnd.h"
#include "ui_controls/edit/edit_view.h"

#include "interpreter/status.h"
#include "values/app_settings.h"

// ---- owner documents ------------------------------------------------------

namespace {
std::map<int, CDocument*>& DocumentTable()
{
    static std::map<int, CDocument*> table;
    return table;
}
int g_lastDocumentId = 0;
MessageSourceOpener& Opener()
{
    static MessageSourceOpener opener;
    return opener;
}
}  // namespace

int RegisterProgramDocument(CDocument* doc)
{
    int id = ++g_lastDocumentId;
    DocumentTable()[id] = doc;
    return id;
}

void ForgetProgramDocument(int id) { DocumentTable().erase(id); }

CDocument* FindProgramDocument(int id)
{
    auto it = DocumentTable().find(id);
    return it == DocumentTable().end() ? nullptr : it->second;
}

void SetMessageSourceOpener(MessageSourceOpener opener) { Opener() = std::move(opener); }

// ---- the control ----------------------------------------------------------

COutputCtrl::COutputCtrl()
{
    SetTimeStamps(false);  // on once the settings are loaded
    SetOutputStream(this);
}

COutputCtrl::~COutputCtrl()
{
    if (GetOutputStream() == this) SetOutputStream(nullptr);
    if (m_hWnd) ::DestroyWindow(m_hWnd);
    if (m_font) DeleteObject(m_font);
}

BOOL COutputCtrl::Create(CWnd* parent, UINT id, const RECT& r)
{
    DWORD style = WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL | ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL |
                  ES_READONLY | ES_WANTRETURN;
    if (!CreateControl(RICHEDIT_CLASS, "", style, r, parent, id, WS_EX_CLIENTEDGE)) return FALSE;
    SetEventMask(GetEventMask() | ENM_CHANGE);
    SetTargetDevice(nullptr, 100000);
    SetOutputFont();
    SetOptions(ECOOP_OR, ECO_SAVESEL | ECO_READONLY | ECO_NOHIDESEL);
    // From here every commit is sent to this window. Messages committed
    // before (the first-start message) are shown now.
    {
        std::lock_guard<std::recursive_mutex> g(m_lock);
        m_hTarget = m_hWnd;
    }
    AppendUnshown();
    // A writer that saw no window just before may list its message only now.
    PostMessage(WM_OUTPUT_CATCH_UP);
    return TRUE;
}

void COutputCtrl::AppendUnshown()
{
    // Under the lock, so that Clear on another thread cannot free them
    // meanwhile; no send to another window happens here.
    std::lock_guard<std::recursive_mutex> g(m_lock);
    m_catchingUp = true;
    for (COutputMessage* m : m_posted)
        if (m->m_id < 0) AppendText(m);
    m_catchingUp = false;
}

void COutputCtrl::SetOutputFont()
{
    HFONT old = m_font;
    const FontSetting& setting = AppSettings::OutputFont;
    const int tenths = setting.size;
    m_font = CreateFont(-(tenths * 96 + 360) / 720, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                        setting.face.c_str());
    if (m_hWnd) {
        Send(WM_SETFONT, (WPARAM)m_font, TRUE);
        // The rich text draws in its character formats: the face and size go
        // into the default format and into every line already shown.
        CHARFORMAT cf{};
        cf.cbSize = sizeof cf;
        cf.dwMask = CFM_FACE | CFM_SIZE;
        cf.yHeight = tenths * 2;   // twips
        std::snprintf(cf.szFaceName, sizeof cf.szFaceName, "%s", setting.face.c_str());
        SetDefaultCharFormat(cf);
        Send(EM_SETCHARFORMAT, SCF_ALL, (LPARAM)&cf);
    }
    if (old) DeleteObject(old);
}

void COutputCtrl::OnMessage(COutputMessage*)
{
    // No window: the message stays in the list and is shown when the window comes.
}

void COutputCtrl::OnClear() {}

void COutputCtrl::AppendText(COutputMessage* msg)
{
    if (!m_hWnd || !msg) return;
    // "Not visible" means not on screen: a hidden frame hides the bar too.
    HWND shown = m_hBar ? m_hBar : m_hWnd;
    // In the hidden run an error always opens the bar, and with it the IDE,
    // whatever "Auto open" says: otherwise the failure would go unseen.
    const bool open = AppSettings::OutputAutoOpen || (IsHiddenRun() && msg->m_color == &RedTextColor);
    if (open && m_hMainWnd && !m_catchingUp && !::IsWindowVisible(shown))
        ::SendMessage(m_hMainWnd, WM_SHOW_OUTPUT_BAR, 1, (LPARAM)msg);

    // The text waits for the frame; everything else about the message holds now.
    CHARFORMAT style{};
    style.cbSize = sizeof style;
    if (msg->m_color) {
        style.dwMask = CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_STRIKEOUT;
        style.crTextColor = msg->m_color->m_color;
        style.dwEffects = (msg->m_color->m_bold ? CFE_BOLD : 0) | (msg->m_color->m_italic ? CFE_ITALIC : 0) |
                          (msg->m_color->m_strikeout ? CFE_STRIKEOUT : 0);
    }
    // The control takes text up to a NUL, as it always did.
    const std::string_view text(msg->m_text.c_str());
    m_pending.Add(text, &style);
    m_pending.Add("\n", &style);
    msg->m_id = m_lines;
    NoteShown(msg);
    for (char c : text)
        if (c == '\n') ++m_lines;
    ++m_lines;
    m_length += (long)text.size() + 1;
    if (!m_flushTimer) m_flushTimer = ::SetTimer(m_hWnd, ID_FLUSH_TIMER, kOutputFrameMilliseconds, nullptr) != 0;
}

void COutputCtrl::FlushOutput()
{
    if (m_flushTimer) {
        ::KillTimer(m_hWnd, ID_FLUSH_TIMER);
        m_flushTimer = false;
    }
    if (m_pending.Empty() || !m_hWnd) return;
    // Taken out first: the control's own messages below flush nothing more.
    CRichAppendQueue batch = std::move(m_pending);
    m_pending.Clear();
    const int before = GetLineCount();
    long selStart = 0, selEnd = 0;
    GetSel(selStart, selEnd);
    bool endInView = true;
    {
        RECT fr{};
        GetRect(&fr);
        POINT p{};
        Send(EM_POSFROMCHAR, (WPARAM)&p, LineIndex(before - 1));
        endInView = p.y >= fr.top && p.y < fr.bottom;
    }
    HideSelection(TRUE);
    batch.PutInto(*this);
    const long length = GetTextLength();
    if (!endInView) {
        SetSel(selStart, selEnd);
        HideSelection(FALSE);
    } else {
        HideSelection(FALSE);
        SetSel(length, length);
        ScrollEndToBottom();
    }
}

void COutputCtrl::ScrollEndToBottom()
{
    // The caret's line (the empty one after the last message) ends the view:
    // as many lines above it as the formatting rectangle holds.
    const int lines = GetLineCount();
    auto topOf = [&](int line) {
        POINT p{};
        Send(EM_POSFROMCHAR, (WPARAM)&p, LineIndex(line));
        return (int)p.y;
    };
    RECT fr{};
    GetRect(&fr);
    int height = lines > 1 ? topOf(1) - topOf(0) : 0;
    if (height <= 0) height = 1;
    const int shown = std::max(1, (int)(fr.bottom - fr.top) / height);
    const int first = std::max(0, lines - shown);
    LineScroll(first - GetFirstVisibleLine());
}

void COutputCtrl::ClearText()
{
    if (!m_hWnd) return;
    m_pending.Clear();
    if (m_flushTimer) {
        ::KillTimer(m_hWnd, ID_FLUSH_TIMER);
        m_flushTimer = false;
    }
    SetWindowText("");
    NoteShownCleared();
    m_lines = 1;
    m_length = 0;
    SetSel(0, 0);
    CHARFORMAT cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_STRIKEOUT;
    cf.crTextColor = RGB(0, 0, 0);
    cf.dwEffects = 0;
    SetSelectionCharFormat(cf);
}

bool COutputCtrl::GotoErrorLine()
{
    long a = 0, b = 0;
    GetSel(a, b);
    long line = LineFromChar(b);
    int start = LineIndex((int)line);
    int length = LineLength(start);
    // Copy the places under the lock: the program thread's clc or Clear All
    // may free the message as soon as the lock is released.
    std::vector<MessageSourcePlace> places;
    bool found = false;
    Lock();
    if (COutputMessage* m = FindMessage((int)line + 1)) {
        found = true;
        for (COutputAttribute* at : m->m_attachments)
            if (at && at->GetKind() == 2) {
                auto* sp = static_cast<CSourcePosition*>(at);
                places.push_back({sp->name, sp->base, sp->offset});
            }
    }
    Unlock();
    if (!found || !OpenMessageSource(places)) return false;
    SetSel(start, start + length);
    return true;
}

namespace {

CDocTemplate* ProgramTemplate()
{
    CWinApp* app = AfxGetApp();
    if (!app || !app->m_pDocManager) return nullptr;
    for (CDocTemplate* t : app->m_pDocManager->Templates()) {
        std::string id;
        if (t->GetDocString(id, CDocTemplate::regFileTypeId) && id == "Veldra.Document") return t;
    }
    return nullptr;
}

// The place in the program document's editor: the owner document, else the
// document of that path, opened when it is not open yet.
KyrEditView* ShowPlace(const MessageSourcePlace& p)
{
    CDocTemplate* t = ProgramTemplate();
    if (!t) return nullptr;
    CDocument* doc = nullptr;
    const std::vector<CDocument*>& docs = t->Documents();
    if (p.owner != 0) {
        CDocument* owner = FindProgramDocument(p.owner);
        if (std::find(docs.begin(), docs.end(), owner) != docs.end()) doc = owner;
    } else {
        for (CDocument* d : docs)
            if (d->GetPathName() == p.name) doc = d;
        if (!doc && !p.name.empty()) doc = t->OpenDocumentFile(p.name.c_str());
    }
    if (!doc || doc->Views().empty()) return nullptr;
    auto* view = DynamicDowncast<KyrEditView>(doc->Views().front());
    KyrEditCtrl* edit = view ? view->GetEditCtrl() : nullptr;
    if (!edit || !edit->m_hWnd) return nullptr;
    // Library sources are read through the editor's filter, so offsets are
    // the editor's as they stand.
    const int length = (int)::SendMessage(edit->m_hWnd, WM_GETTEXTLENGTH, 0, 0);
    const int offset = p.offset < 0 ? length : std::min(p.offset, length);
    const int start = edit->GetLineStartOf(offset);
    if (offset == start) {
        std::string text((size_t)length + 1, '\0');
        text.resize((size_t)::SendMessage(edit->m_hWnd, WM_GETTEXT, text.size(), (LPARAM)text.data()));
        size_t nl = text.find('\n', (size_t)start);
        int end = nl == std::string::npos ? (int)text.size() : (int)nl;
        edit->SetSel(start, end);
    } else {
        edit->SetSel(start, offset);
    }
    return view;
}

}  // namespace

bool COutputCtrl::OpenMessageSource(const std::vector<MessageSourcePlace>& places)
{
    bool any = false;
    KyrEditView* shown = nullptr;
    for (const MessageSourcePlace& p : places) {
        // A closed document's id maps to nothing: its old messages open nothing.
        if (p.owner != 0 && !FindProgramDocument(p.owner)) continue;
        if (Opener()) {
            if (Opener()(p)) any = true;
        } else if (KyrEditView* v = ShowPlace(p)) {
            shown = v;
            any = true;
        }
    }
    if (shown) {
        CFrameWnd* child = shown->GetParentFrame();
        auto* mdiChild = DynamicDowncast<CMDIChildWnd>(child);
        auto* mdi = mdiChild ? DynamicDowncast<CMDIFrameWnd>(mdiChild->GetParentFrame()) : nullptr;
        if (mdi && mdi->MDIGetActive() != mdiChild) mdi->MDIActivate(mdiChild);
        // The keyboard goes to the editor at the place: the user fixes the line there.
        KyrEditCtrl* edit = shown->GetEditCtrl();
        if (edit && ::IsWindow(edit->m_hWnd)) ::SetFocus(edit->m_hWnd);
    }
    return any;
}

bool COutputCtrl::CommandEnabled(UINT id)
{
    switch (id) {
    case ID_COPY: {
        long a = 0, b = 0;
        GetSel(a, b);
        return a != b;
    }
    case ID_CLEAR_ALL: return m_length > 0;
    default: return true;
    }
}

BOOL COutputCtrl::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info)
{
    if (nCode == CN_UPDATE_COMMAND_UI && pExtra && !info &&
        (nID == ID_COPY || nID == ID_SELECT_ALL || nID == ID_CLEAR_ALL)) {
        static_cast<CCmdUI*>(pExtra)->Enable(CommandEnabled(nID));
        return TRUE;
    }
    return CRichEditCtrl::OnCmdMsg(nID, nCode, pExtra, info);
}

bool COutputCtrl::OnOutputCommand(UINT id)
{
    switch (id) {
    case ID_COPY:
        if (CommandEnabled(id)) Send(WM_COPY);
        return true;
    case ID_SELECT_ALL: SetSel(0, -1); return true;
    case ID_CLEAR_ALL:
        if (CommandEnabled(id)) COutputStream::Clear();
        return true;
    case ID_SHOW_OUTPUT:
        if (m_hMainWnd) ::SendMessage(m_hMainWnd, WM_COMMAND, ID_SHOW_OUTPUT, 0);
        return true;
    default: return false;
    }
}

LRESULT COutputCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Whatever is asked of the control (text, lines, paint, input) sees
    // every message taken so far.
    if (!m_pending.Empty() && message != WM_OUTPUT_APPEND && message != WM_OUTPUT_CLEAR) FlushOutput();
    switch (message) {
    case WM_TIMER:
        if (wParam == ID_FLUSH_TIMER) {
            FlushOutput();
            return 0;
        }
        break;
    case WM_COMMAND:
        if (OnOutputCommand(LOWORD(wParam))) return 0;
        break;
    case WM_CONTEXTMENU: {
        HMENU menu = CreatePopupMenu();
        auto add = [&](UINT id, const char* text) {
            AppendMenu(menu, MF_STRING | (CommandEnabled(id) ? 0 : MF_GRAYED), id, text);
        };
        add(ID_COPY, "&Copy");
        add(ID_SELECT_ALL, "&Select All");
        add(ID_CLEAR_ALL, "Clear &All");
        POINT p{(short)LOWORD(lParam), (short)HIWORD(lParam)};
        TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, p.x, p.y, 0, m_hWnd, nullptr);
        DestroyMenu(menu);
        return 0;
    }
    case WM_OUTPUT_APPEND: AppendText((COutputMessage*)wParam); return 0;
    case WM_OUTPUT_CLEAR: ClearText(); return 0;
    case WM_OUTPUT_CATCH_UP: AppendUnshown(); return 0;
    case WM_LBUTTONDBLCLK: {
        LRESULT r = CRichEditCtrl::WindowProc(message, wParam, lParam);
        GotoErrorLine();
        return r;
    }
    case WM_KEYDOWN:
        if (wParam == VK_RETURN) {
            GotoErrorLine();
            return 0;
        }
        break;
    case WM_DESTROY: {
        // Writers left behind (an abandoned program thread, a device thread)
        // must not reach a window that is gone.
        std::lock_guard<std::recursive_mutex> g(m_lock);
        m_hTarget = nullptr;
        if (GetOutputStream() == this) SetOutputStream(nullptr);
        break;
    }
    default: break;
    }
    return CRichEditCtrl::WindowProc(message, wParam, lParam);
}

// ---- the bar --------------------------------------------------------------

BOOL COutputBar::Create(CWnd* parent, HWND mainWnd, DWORD style)
{
    if (!CResizableBarG::Create("Output bar", parent, ID_OUTPUT_BAR, style)) return FALSE;
    m_dwSCBStyle = (m_dwSCBStyle & ~(DWORD)SizableAll) | PaintEdges | FitChild;
    m_output.m_hBar = m_hWnd;
    m_output.m_hMainWnd = mainWnd;
    RECT r{};
    GetClientRect(&r);
    if (!m_output.Create(this, 0, r)) {
        DestroyWindow();
        return FALSE;
    }
    return TRUE;
}
