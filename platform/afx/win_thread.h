#pragma once
// CWinThread: a user-interface thread with its own message loop, idle time and
// the PreTranslateMessage chain; or a worker running a function. The thread
// entry makes the creator's module state current and is an exception
// boundary. The current CWinThread is per thread, never a swapped global.
#include "platform/afx/cmd_target.h"
#include "platform/afx/module_state.h"

class CWnd;
class CWinApp;
class CDocManager;

typedef DWORD (*AFX_THREADPROC)(void* param);

class CWinThread : public CCmdTarget {
    DECLARE_DYNCREATE(CWinThread)
public:
    CWinThread();
    explicit CWinThread(AFX_THREADPROC proc, void* param);
    ~CWinThread() override;

    // Starts the thread (flags: CREATE_SUSPENDED); FALSE when it could not.
    BOOL CreateThread(DWORD flags = 0, SIZE_T stackSize = 0);
    DWORD ResumeThread();
    BOOL PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam);

    virtual BOOL InitInstance();
    virtual int Run();
    virtual BOOL PreTranslateMessage(MSG* msg);
    // Walks from the message's window up to the main window.
    BOOL PreTranslateChain(MSG* msg);
    virtual BOOL OnIdle(LONG count);
    virtual BOOL IsIdleMessage(MSG* msg);
    virtual int ExitInstance();
    // FALSE on WM_QUIT.
    virtual BOOL PumpMessage();
    virtual CWnd* GetMainWnd();
    // A document manager of the thread's own (device threads), else null:
    // one library may serve several UI threads, each with its documents.
    virtual CDocManager* GetThreadDocManager() { return nullptr; }

    CWnd* m_pMainWnd = nullptr;
    CWnd* m_pActiveWnd = nullptr;
    HANDLE m_hThread = nullptr;
    DWORD m_nThreadID = 0;
    BOOL m_bAutoDelete = TRUE;
    MSG m_msgCur{};
    // The application this thread serves (itself for a CWinApp).
    CWinApp* m_pOwnerApp = nullptr;
    CModuleState* m_pModuleState;

    AFX_THREADPROC m_pfnThreadProc = nullptr;
    void* m_pThreadParams = nullptr;

protected:
    DECLARE_MESSAGE_MAP()
    friend DWORD AfxThreadEntry(void* param);
    friend int AfxRunThreadHere(CWinThread* thread);
    POINT m_ptCursorLast{-1, -1};
    UINT m_nMsgLast = 0;
};

// The calling thread's CWinThread (null on a thread the framework did not start).
CWinThread* AfxGetThread();
// Makes `thread` the calling thread's CWinThread; returns the previous one.
CWinThread* AfxSetThread(CWinThread* thread);
// Runs InitInstance and Run on the calling thread with the thread's module
// state current; returns the exit code.
int AfxRunThreadHere(CWinThread* thread);

CWinThread* AfxBeginThread(AFX_THREADPROC proc, void* param, int priority = 0, SIZE_T stackSize = 0, DWORD flags = 0);
CWinThread* AfxBeginThread(const CRuntimeClass* threadClass, int priority = 0, SIZE_T stackSize = 0, DWORD flags = 0);
