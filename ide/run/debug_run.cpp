#include "ide/run/debug_run.h"

#include <algorithm>

#include "interpreter/program.h"
#include "interpreter/statement_module.h"
#include "interpreter/user_function.h"
#include "platform/afx/app_access.h"
#include "platform/afx/wnd.h"
#include "platform/kernel/clock.h"
#include "platform/user/input.h"
#include "platform/user/message.h"
#include "platform/user/message_box.h"
#include "platform/user/window.h"
#include "values/app_settings.h"

namespace {

// A statement of a library function has no text in any document.
bool HasSource(CStatement* st)
{
    if (!st || !st->owner) return false;
    CStatementBlock* root = st->owner->Context();
    if (root->GetKind() == 2) return static_cast<CUserFunction*>(root)->sourceFile.empty();
    return true;
}

HWND MainWindow()
{
    CWnd* main = AfxGetMainWnd();
    return main ? main->m_hWnd : nullptr;
}

}  // namespace

UINT ProgramRequestMessage()
{
    static const UINT id = RegisterWindowMessage(kProgramRequestName);
    return id;
}

void CDebugRun::Begin(HWND view)
{
    runView = view;
    sinceBreak = -1;
    foregroundAtBreak = nullptr;
}

void CDebugRun::End()
{
    foregroundAtBreak = nullptr;
    sinceBreak = -1;
}

// slot 8: a failed statement under the debugger breaks and runs again.
int CDebugRun::AfterStatement(CStatement* st, StatusWord* status)
{
    if (status && IsErrorStatus(*status) && m_program.debugging && !m_program.stopRequested) {
        m_program.StepInto();
        *status = 0;
        if (runView) ::SendMessage(runView, ProgramRequestMessage(), REQUEST_ERROR_BOX, 0);
        return 1;
    }
    (void)st;
    const DWORD now = GetTickCount();
    if (now - lastRefreshTick >= (DWORD)std::max(0, AppSettings::VariablesUpdatePeriod)) {
        if (runView) ::SendMessage(runView, WM_VELDRA_REFRESH, 2, (LPARAM)&m_program);
        lastRefreshTick = now;
    }
    return 0;
}

// slot 22
bool CDebugRun::IsBreakpoint(CStatement* st)
{
    if (!HasSource(st) || !runView) return false;
    return ::SendMessage(runView, WM_VELDRA_IS_BREAKPOINT, 0, (LPARAM)st) != 0;
}

// slot 23
int CDebugRun::OnBreak(CStatement* st)
{
    if (!HasSource(st) || !runView) {
        if (runView) ::SendMessage(runView, ProgramRequestMessage(), REQUEST_NO_SOURCE_BOX, 0);
        return m_program.WaitResume();
    }
    ::SendMessage(runView, WM_VELDRA_SHOW_STATEMENT, 0, (LPARAM)st);
    ::SendMessage(runView, WM_VELDRA_REFRESH, 0x200E, (LPARAM)&m_program);
    ::SendMessage(runView, ProgramRequestMessage(), REQUEST_FOREGROUND, 0);
    m_program.WaitResume();
    ::SendMessage(runView, WM_VELDRA_REFRESH, 0x2008, (LPARAM)&m_program);
    sinceBreak = 0;
    return 0;
}

// slot 7: after a break, a device window that had the foreground gets it back
// before the seventh statement.
void CDebugRun::CountAfterBreak()
{
    if (!m_program.debugging || sinceBreak == -1) return;
    if (sinceBreak > 5 && foregroundAtBreak.load()) {
        if (runView) ::SendMessage(runView, ProgramRequestMessage(), REQUEST_GIVE_BACK, 0);
        sinceBreak = -1;
    } else {
        ++sinceBreak;
    }
}

LRESULT CDebugRun::OnRequest(WPARAM kind, bool stopping, IDebugHost& host)
{
    // A stop may have come while the request waited.
    if (m_program.stopRequested || stopping) return 0;
    switch (kind) {
    case REQUEST_ERROR_BOX:
        ::MessageBox(MainWindow(), "Veldra error is occured", AfxGetAppName(), MB_OK | MB_ICONERROR);
        return 0;
    case REQUEST_NO_SOURCE_BOX:
        ::MessageBox(MainWindow(), "No a contents to view", AfxGetAppName(), MB_OK | MB_ICONERROR);
        return 0;
    case REQUEST_FOREGROUND: {
        HWND fg = ::GetForegroundWindow();
        if (fg && CStatementModuleList::FindDeviceByWindow(fg)) foregroundAtBreak = fg;
        if (HWND main = MainWindow()) ::SetForegroundWindow(main);
        host.FocusProgramEditor();
        return 0;
    }
    case REQUEST_GIVE_BACK: {
        HWND back = foregroundAtBreak.exchange(nullptr);
        if (back && ::IsWindow(back)) ::SetForegroundWindow(back);
        return 0;
    }
    default: return 0;
    }
}
