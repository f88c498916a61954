#pragma once
// A headless MDI host for program documents: a frame with the output
// control, the program document template, and helpers that run a document
// to its end the way the view's timer does.
#include <filesystem>
#include <functional>
#include <string>

#include "ide/bars/output_bar.h"
#include "ide/shell/veldra_doc.h"
#include "ide/shell/veldra_view.h"
#include "platform/afx_test_util.h"

class CProgramHostApp : public CWinApp {
public:
    CProgramHostApp();
    ~CProgramHostApp() override;
    BOOL InitInstance() override;
    CMDIFrameWnd* Frame() const { return static_cast<CMDIFrameWnd*>(m_pMainWnd); }

    COutputCtrl* m_output = nullptr;
    CWinThread* m_previous = nullptr;
};

// The interpreter's process-wide start-up, once.
void InitInterpreterOnce(HWND main);

// Pumps until the predicate holds or the time (ms) runs out; the result of the predicate.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 20000);

// Waits for the thread's end, then runs the end of the run as timer 10 does.
bool FinishRun(CVeldraDoc* doc, DWORD timeoutMs = 60000);

// A command through the document's command routing, and its enable state by a probe.
void DoCommand(CCmdTarget* target, UINT id);
bool CommandEnabled(CCmdTarget* target, UINT id, std::string* text = nullptr);

std::string ReadFileBytes(const std::filesystem::path& p);
void WriteFileBytes(const std::filesystem::path& p, const std::string& text);
