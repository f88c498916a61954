#pragma once
// The console view: a read-only rich-text window that the host's print
// statements append to, each run in the console's current character format.
#include <sstream>
#include <string>
#include <string_view>

#include "devices/device_protocol.h"
#include "platform/controls/rich_append.h"
#include "platform/controls/rich_edit_view.h"

class CNerithDoc;

class CNerithView : public CRichEditView {
    DECLARE_DYNCREATE(CNerithView)
public:
    CNerithView();

    void OnInitialUpdate() override;
    int OnCreate(CREATESTRUCT* cs);

    // Resets the current format to the settings' font and makes it the default.
    void SetDefaultCharFormat();
    // WM_CONSOLE_IO on this view: 0, or -1 when an input ended the request.
    LRESULT OnHostPrint(ConsoleIoRequest* request);
    bool IsInputPending() const { return m_inputStart != -1; }

    // Text in the current format; it reaches the control with the rest of
    // the display frame's output (FlushOutput).
    void AppendText(std::string_view text);
    // Puts the gathered output into the control, keeping the view on the
    // last line when it was there.
    void FlushOutput();
    bool HasPendingOutput() const { return !m_pending.Empty(); }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void BeginOutputLine();
    void EndOutputLine();
    void BeginInputLine();
    void PrintValue(const CValue& value);
    void ApplyTextOption(const ConsoleIoOption& option);
    // 0, or -1 when no input could start.
    int BeginInput(CValue* result, bool first);
    void EndInput();
    // The nested loop of one input item: true when the host value was assigned.
    bool ReadInputValue(CValue* target, bool first);

    // The line prefix for output (">> ") or input ("<< "), with the time label.
    static std::string LinePrefix(bool output, bool outStamp, bool timeStamp);
    const CHARFORMAT& CurrentFormat() const { return m_format; }

    // Find Next (F3): the last search again, or the Find dialog when none was made.
    void OnEditRepeat();
    LRESULT OnFindRequest(WPARAM wParam, LPARAM lParam);

    static bool ControlHeld();
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnProtected(NMHDR* nmhdr, LRESULT* result);
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info) override;

    CValue* m_inputTarget = nullptr;
    int32_t m_inputStart = -1;
    uint8_t m_cancelInput = 0;

protected:
    CHARFORMAT m_format{};  // the console's current character format
    enum : UINT_PTR { ID_FLUSH_TIMER = 0x7E01 };
    CRichAppendQueue m_pending;   // printed, not in the control yet
    bool m_flushTimer = false;
    std::ostringstream m_printText;   // PrintValue's, kept between prints
    struct LastFind {
        std::string what;
        bool down = true, matchCase = false, wholeWord = false;
    } m_lastFind;
    DECLARE_MESSAGE_MAP()
};
