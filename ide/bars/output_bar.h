#pragma once
// The output bar: a read-only rich edit that is also the process's message
// stream. Writers on any thread commit a message and send it here
// synchronously; a double-click on a message's first line opens its source.
#include <functional>
#include <string>
#include <vector>

#include "platform/afx/afx_controls.h"
#include "platform/controls/rich_append.h"
#include "ui_controls/bars/resizable_bar_g.h"
#include "values/output_stream.h"

class CDocument;

// Owner documents of source positions. A program document gets a small id
// (1, 2, ... never reused) that its program carries as the text base; 0 is
// no owner. GUI thread only.
int RegisterProgramDocument(CDocument* doc);
void ForgetProgramDocument(int id);  // the document closed: its old messages open nothing
CDocument* FindProgramDocument(int id);

// One source place a message names, copied out of the message.
struct MessageSourcePlace {
    std::string name;  // path or document name
    int owner = 0;     // program document id, 0 = none
    int offset = 0;    // -1 = end of the text
};

// Opens the place and selects up to the offset; true when a view was found.
// Until the program document exists the IDE installs it (tests install their own).
using MessageSourceOpener = std::function<bool(const MessageSourcePlace&)>;
void SetMessageSourceOpener(MessageSourceOpener opener);

// Messages of the control window.
constexpr UINT WM_OUTPUT_CLEAR = WM_USER + 500;
constexpr UINT WM_OUTPUT_APPEND = WM_USER + 501;
constexpr UINT WM_OUTPUT_CATCH_UP = WM_USER + 502;  // messages committed before the window, not shown yet
// To the main window: show the output bar (wParam 1, lParam the message).
constexpr UINT WM_SHOW_OUTPUT_BAR = WM_USER + 600;

class COutputCtrl : public CRichEditCtrl, public COutputStream {
public:
    COutputCtrl();
    ~COutputCtrl() override;

    // Creates the control as a child of the bar; then appends whatever the
    // stream already holds (messages committed before the window existed).
    BOOL Create(CWnd* parent, UINT id, const RECT& r = RECT{0, 0, 100, 100});
    void SetOutputFont();

    // Takes the message at once (its id, the line count, auto open); its
    // text reaches the control with the others of the same display frame.
    void AppendText(COutputMessage* msg);
    // Puts the messages taken since the last frame into the control and
    // keeps the view where it was or on the end.
    void FlushOutput();
    // Scrolls so that the last line stands at the bottom of the view.
    void ScrollEndToBottom();
    bool HasPendingOutput() const { return !m_pending.Empty(); }
    void ClearText();
    bool GotoErrorLine();
    // Opens the first source place of each of `places`.
    bool OpenMessageSource(const std::vector<MessageSourcePlace>& places);

    // Where WM_SHOW_OUTPUT_BAR goes and whose visibility counts; the bar sets it.
    HWND m_hMainWnd = nullptr;
    HWND m_hBar = nullptr;

    void OnMessage(COutputMessage* msg) override;
    void OnClear() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    int LineCount() const { return m_lines; }

    // The context menu's commands: Copy, Select All, Clear All.
    enum : UINT { ID_COPY = 57634, ID_SELECT_ALL = 57642, ID_CLEAR_ALL = 57633, ID_SHOW_OUTPUT = 32852 };
    bool OnOutputCommand(UINT id);
    bool CommandEnabled(UINT id);
    // The context menu's items answer their own updates (CommandEnabled).
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info) override;

private:
    void AppendUnshown();
    enum : UINT_PTR { ID_FLUSH_TIMER = 1 };
    CRichAppendQueue m_pending;   // taken, not in the control yet
    bool m_flushTimer = false;
    HFONT m_font = nullptr;
    bool m_catchingUp = false;
    // Lines and length of the text with what is pending, kept as text is
    // added: never counted by scanning.
    int m_lines = 1;
    long m_length = 0;
    bool m_installed = false;
};

// The docking bar (id 134, "Output bar") hosting the control, which fills
// its client area.
constexpr UINT ID_OUTPUT_BAR = 134;

class COutputBar : public CResizableBarG {
public:
    // The main window receives the bar's show requests.
    BOOL Create(CWnd* parent, HWND mainWnd, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM);
    COutputCtrl m_output;
};
