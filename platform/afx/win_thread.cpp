// CWinThread: thread entry, message loop, idle time.
#include "platform/afx/win_thread.h"

#include <vector>

#include "platform/afx/exception.h"
#include "platform/afx/app_access.h"
#include "platform/afx/wnd.h"
#include "platform/kernel/kernel.h"

void AfxIdleUpdateFrames(HWND top);

IMPLEMENT_DYNCREATE(CWinThread, CCmdTarget)

BEGIN_MESSAGE_MAP(CWinThread, CCmdTarget)
END_MESSAGE_MAP()

namespace {
thread_local CWinThread* t_thread = nullptr;

// The calling thread's top-level windows, as they are now.
std::vector<HWND> CurrentThreadWindows()
{
    std::vector<HWND> found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM l) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(l)->push_back(h);
            return TRUE;
        },
        (LPARAM)&found);
    return found;
}
}  // namespace

CWinThread* AfxGetThread() { return t_thread; }

CWinThread* AfxSetThread(CWinThread* thread)
{
    CWinThread* prev = t_thread;
    t_thread = thread;
    return prev;
}

CWinThread::CWinThread() : m_pModuleState(AfxGetModuleState())
{
    m_pOwnerApp = m_pModuleState->m_pCurrentWinApp;
}

CWinThread::CWinThread(AFX_THREADPROC proc, void* param) : CWinThread()
{
    m_pfnThreadProc = proc;
    m_pThreadParams = param;
}

CWinThread::~CWinThread()
{
    if (m_hThread) CloseHandle(m_hThread);
    if (t_thread == this) t_thread = nullptr;
}

DWORD AfxThreadEntry(void* param)
{
    CWinThread* thread = static_cast<CWinThread*>(param);
    DWORD code;
    if (thread->m_pfnThreadProc) {
        CModuleStateScope scope(thread->m_pModuleState);
        CWinThread* prev = AfxSetThread(thread);
        try {
            code = thread->m_pfnThreadProc(thread->m_pThreadParams);
        } catch (...) {
            AfxReportCurrentException();
            code = (DWORD)-1;
        }
        AfxSetThread(prev);
    } else {
        code = (DWORD)AfxRunThreadHere(thread);
    }
    CWnd::DeleteTempMap();
    if (thread->m_bAutoDelete) delete thread;
    return code;
}

int AfxRunThreadHere(CWinThread* thread)
{
    CModuleStateScope scope(thread->m_pModuleState);
    CWinThread* prev = AfxSetThread(thread);
    if (thread->m_nThreadID != GetCurrentThreadId()) thread->m_nThreadID = GetCurrentThreadId();   // run here
    int code;
    try {
        if (!thread->InitInstance())
            code = thread->ExitInstance();
        else
            code = thread->Run();
    } catch (...) {
        AfxReportCurrentException();
        code = -1;
    }
    // A loop ended by WM_QUIT may leave windows (a frame under a dialog):
    // they go now, on their own thread, so their objects end too.
    for (HWND h : CurrentThreadWindows())
        if (IsWindow(h)) DestroyWindow(h);
    CWnd::DeleteTempMap();
    AfxSetThread(prev);
    return code;
}

BOOL CWinThread::CreateThread(DWORD flags, SIZE_T stackSize)
{
    if (m_hThread) return FALSE;
    // Started held: the handle and id are stored before the thread runs (and
    // may delete this object).
    m_hThread = ::CreateThread(nullptr, stackSize, AfxThreadEntry, this, flags | CREATE_SUSPENDED, &m_nThreadID);
    if (!m_hThread) return FALSE;
    if (!(flags & CREATE_SUSPENDED)) ::ResumeThread(m_hThread);
    return TRUE;
}

DWORD CWinThread::ResumeThread() { return ::ResumeThread(m_hThread); }

BOOL CWinThread::PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::PostThreadMessage(m_nThreadID, message, wParam, lParam);
}

BOOL CWinThread::InitInstance() { return FALSE; }

CWnd* CWinThread::GetMainWnd() { return m_pMainWnd; }

int CWinThread::Run()
{
    // What other threads send is served while the loop waits; the state it
    // changed (a run that ended, a device that opened) shows at the next
    // idle update, at most this often while sends keep coming.
    const DWORD kSendIdleGap = 100;
    bool idle = true;
    LONG idleCount = 0;
    bool sendsServed = false;
    DWORD lastIdle = GetTickCount();
    MSG peek;
    for (;;) {
        // PeekMessage serves sends, so the thread answers other threads
        // while it idles.
        while (idle && !PeekMessage(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
            BOOL more = FALSE;
            try {
                more = OnIdle(idleCount++);
            } catch (...) {
                AfxReportCurrentException();
            }
            lastIdle = GetTickCount();
            sendsServed = false;
            if (!more) idle = false;
        }
        if (!idle) {
            const DWORD since = GetTickCount() - lastIdle;
            const DWORD wait = sendsServed ? (since >= kSendIdleGap ? 0 : kSendIdleGap - since) : INFINITE;
            const CMessageWait woke = WaitForMessageServingSends(wait);
            if (woke == CMessageWait::SendsServed) {
                sendsServed = true;
                continue;
            }
            if (woke == CMessageWait::Timeout) {
                idle = true;
                idleCount = 0;
                continue;
            }
        }
        do {
            if (!PumpMessage()) return ExitInstance();
            if (IsIdleMessage(&m_msgCur)) {
                idle = true;
                idleCount = 0;
            }
        } while (PeekMessage(&peek, nullptr, 0, 0, PM_NOREMOVE));
    }
}

BOOL CWinThread::PumpMessage()
{
    if (!GetMessage(&m_msgCur, nullptr, 0, 0)) return FALSE;
    if (!m_msgCur.hwnd) {
        // A thread message: the thread's own map.
        try {
            DispatchMessageEntry(m_msgCur.message, m_msgCur.wParam, m_msgCur.lParam, nullptr);
        } catch (...) {
            AfxReportCurrentException();
        }
        return TRUE;
    }
    BOOL taken = FALSE;
    try {
        taken = PreTranslateMessage(&m_msgCur);
    } catch (...) {
        AfxReportCurrentException();
        taken = TRUE;
    }
    if (!taken) {
        TranslateMessage(&m_msgCur);
        DispatchMessage(&m_msgCur);
    }
    return TRUE;
}

BOOL CWinThread::PreTranslateMessage(MSG* msg) { return PreTranslateChain(msg); }

BOOL CWinThread::PreTranslateChain(MSG* msg)
{
    CWnd* main = GetMainWnd();
    HWND mainHwnd = main ? main->m_hWnd : nullptr;
    DWORD self = GetCurrentThreadId();
    for (HWND h = msg->hwnd; h; h = GetParent(h)) {
        if (GetWindowThreadProcessId(h, nullptr) != self) break;
        CWnd* w = CWnd::FromHandlePermanent(h);
        if (w && w->PreTranslateMessage(msg)) return TRUE;
        if (h == mainHwnd) return FALSE;
        if (!IsWindow(msg->hwnd)) return FALSE;
    }
    if (main && mainHwnd && IsWindow(mainHwnd) && GetWindowThreadProcessId(mainHwnd, nullptr) == self)
        return main->PreTranslateMessage(msg);
    return FALSE;
}

BOOL CWinThread::IsIdleMessage(MSG* msg)
{
    // Repeated mouse moves at one place and painting do not restart idle
    // time; a timer does, since it may find state changed (a run that ended).
    if (msg->message == WM_MOUSEMOVE) {
        if (msg->pt.x == m_ptCursorLast.x && msg->pt.y == m_ptCursorLast.y && m_nMsgLast == WM_MOUSEMOVE) return FALSE;
        m_ptCursorLast = msg->pt;
    }
    m_nMsgLast = msg->message;
    return msg->message != WM_PAINT;
}

BOOL CWinThread::OnIdle(LONG count)
{
    if (count <= 0) {
        // Every visible top-level window of the thread: frames, their floating bars.
        for (HWND h : CurrentThreadWindows())
            if (IsWindow(h) && !(GetWindowLongPtr(h, GWL_STYLE) & WS_CHILD)) AfxIdleUpdateFrames(h);
        return TRUE;
    }
    CWnd::DeleteTempMap();
    return FALSE;
}

int CWinThread::ExitInstance()
{
    CWnd::DeleteTempMap();
    return (int)m_msgCur.wParam;
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, void* param, int priority, SIZE_T stackSize, DWORD flags)
{
    CWinThread* t = new CWinThread(proc, param);
    if (!t->CreateThread(flags | CREATE_SUSPENDED, stackSize)) {
        delete t;
        return nullptr;
    }
    SetThreadPriority(t->m_hThread, priority);
    if (!(flags & CREATE_SUSPENDED)) t->ResumeThread();
    return t;
}

CWinThread* AfxBeginThread(const CRuntimeClass* threadClass, int priority, SIZE_T stackSize, DWORD flags)
{
    CObject* o = threadClass ? threadClass->CreateObject() : nullptr;
    CWinThread* t = o ? DynamicDowncast<CWinThread>(o) : nullptr;
    if (!t) {
        delete o;
        return nullptr;
    }
    if (!t->CreateThread(flags | CREATE_SUSPENDED, stackSize)) {
        delete t;
        return nullptr;
    }
    SetThreadPriority(t->m_hThread, priority);
    if (!(flags & CREATE_SUSPENDED)) t->ResumeThread();
    return t;
}
