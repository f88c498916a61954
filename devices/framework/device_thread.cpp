// The UI thread of one device window and the link the host drives it through.
#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sstream>
#include <thread>

#include "devices/framework/device_app.h"
#include "devices/framework/device_frame.h"
#include "devices/framework/device_framework.h"
#include "platform/afx/control_bar.h"
#include "platform/afx/dialog.h"
#include "platform/afx/document.h"
#include "platform/afx/view.h"
#include "platform/kernel/kernel.h"
#include "platform/kernel/long_waits.h"
#include "platform/user/user.h"

// ---- CDeviceThread ------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDeviceThread, CWinThread)
    ON_COMMAND(ID_APP_EXIT, OnAppExit)
END_MESSAGE_MAP()

CDeviceThread::CDeviceThread() { m_bAutoDelete = FALSE; }

CDeviceThread::~CDeviceThread() { delete m_pDocManager; }

void CDeviceThread::AddDocTemplate(CDocTemplate* tmpl)
{
    if (!m_pDocManager) m_pDocManager = new CDocManager;
    m_pDocManager->AddDocTemplate(tmpl);
}

BOOL CDeviceThread::OnIdle(LONG count)
{
    if (count <= 0) {
        CWinThread::OnIdle(count);
        return TRUE;
    }
    CWinThread::OnIdle(count);
    return FALSE;
}

BOOL CDeviceThread::PreTranslateMessage(MSG* msg)
{
    UINT filtered = TheDeviceProfile().filteredMessage;
    // Dispatched as it is, without translation.
    if (filtered && msg->message == filtered) return FALSE;
    return CWinThread::PreTranslateMessage(msg);
}

void CDeviceThread::OnAppExit()
{
    // Only this thread's window: other windows of the library stay.
    if (m_pMainWnd && m_pMainWnd->m_hWnd) m_pMainWnd->SendMessage(WM_CLOSE, 0, 0);
}

// ---- CDeviceAppThread -------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDeviceAppThread, CDeviceThread)
    ON_COMMAND(ID_FILE_NEW, OnFileNew)
    ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
    ON_COMMAND(ID_FILE_PRINT_SETUP, OnFilePrintSetup)
    ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
END_MESSAGE_MAP()

CDeviceAppThread::CDeviceAppThread(CDeviceHostCallbacks* callbacks, uint32_t startFlags)
{
    host = callbacks;
    flags = startFlags;
    startEvent = CreateEvent(nullptr, TRUE, FALSE, nullptr);
}

CDeviceAppThread::~CDeviceAppThread()
{
    if (startEvent) CloseHandle(startEvent);
    if (windowUpEvent) CloseHandle(windowUpEvent);
    // The handle is CWinThread's: its destructor closes it.
    threadHandle = nullptr;
}

void CDeviceAppThread::Destroy() { Release(); }

void CDeviceAppThread::Release()
{
    // A late OnDestroy of an abandoned thread finds no host to call.
    std::atomic_ref<CDeviceHostCallbacks*>(host).store(nullptr);
    if (--m_refs == 0) delete this;
}

namespace {

// Every device window paints through buffers of megabytes that its thread
// frees again. With the allocator's sliding threshold such blocks soon come
// from the thread's own heap and stay there, a few megabytes per window for
// good; a fixed threshold maps them and gives them back when freed.
// Each thread would also get a heap of its own, reserving 64 MB of address
// space apiece: a program that opens a window per call in a deep recursion
// then runs out of address space under a limit, and the text library's
// helper threads abort the process when they cannot start. A heap per core
// is as fast for windows that mostly paint.
void ReturnLargeBlocksToTheSystem()
{
    static std::once_flag once;
    std::call_once(once, [] {
        mallopt(M_MMAP_THRESHOLD, 256 * 1024);
        mallopt(M_ARENA_MAX, (int)std::max(4u, std::thread::hardware_concurrency()));
    });
}

}  // namespace

bool CDeviceAppThread::StartSuspended()
{
    ReturnLargeBlocksToTheSystem();
    if (m_hThread) {
        CloseHandle(m_hThread);
        m_hThread = nullptr;
    }
    mainWindow = nullptr;
    m_pMainWnd = nullptr;
    m_shown = false;
    ResetEvent(startEvent);
    ++m_refs;  // the thread's, dropped when its code has returned
    m_hThread = ::CreateThread(nullptr, 0, ThreadEntry, this, CREATE_SUSPENDED, &m_nThreadID);
    if (!m_hThread) {
        --m_refs;
        return false;
    }
    threadHandle = m_hThread;
    threadId = m_nThreadID;
    return true;
}

DWORD CDeviceAppThread::ThreadEntry(void* param)
{
    auto* self = static_cast<CDeviceAppThread*>(param);
    // Module state and current thread are set by the run: id 128 and the
    // current application resolve inside this library.
    DWORD code = (DWORD)AfxRunThreadHere(self);
    {
        CModuleStateScope scope(self->m_pModuleState);
        self->ReleaseOrphans();
    }
    CWnd::DeleteTempMap();
    // Whichever comes last, DeleteApp or this, frees the object.
    if (--self->m_refs == 0) delete self;
    return code;
}

void CDeviceAppThread::ReleaseOrphans()
{
    // The run is over. A main window that never got WM_DESTROY belongs to an
    // abandoned thread: the kernel removes (or is removing) its windows
    // without messages, so the frame, its views and documents end here, on
    // their own thread, detached from handles that no longer answer.
    CWnd* main = m_pMainWnd;
    if (!main) return;
    m_pMainWnd = nullptr;
    auto drop = [](CWnd* w) {
        if (w->m_hWnd) w->Detach();
        delete w;
    };
    // Its control bars still have live windows here: destroying them now
    // frees the bars and their controls, which the silent removal would keep.
    std::vector<CDockBar*> silentDockBars;
    if (auto* frame = dynamic_cast<CFrameWnd*>(main)) {
        const std::vector<CControlBar*> bars = frame->ControlBars();
        for (CControlBar* bar : bars) {
            // One may have gone with an earlier one (a dock bar deletes itself).
            const std::vector<CControlBar*>& now = frame->ControlBars();
            if (std::find(now.begin(), now.end(), bar) == now.end()) continue;
            if (bar->m_hWnd && IsWindow(bar->m_hWnd)) {
                bar->DestroyWindow();
            } else if (auto* dock = dynamic_cast<CDockBar*>(bar)) {
                // Its window went silently with the thread's. The frame made
                // it and nothing else frees it; the bars docked in it leave it
                // as the frame ends, so it goes after the frame.
                frame->RemoveControlBar(dock);
                dock->m_pDockSite = nullptr;
                if (dock->m_hWnd) dock->Detach();
                silentDockBars.push_back(dock);
            }
        }
    }
    if (m_pDocManager) {
        for (CDocTemplate* tmpl : m_pDocManager->Templates()) {
            const std::vector<CDocument*> docs = tmpl->Documents();
            for (CDocument* doc : docs) {
                const std::vector<CView*> views = doc->Views();
                for (CView* view : views) drop(view);
                // Its last view may have closed it already.
                const std::vector<CDocument*>& left = tmpl->Documents();
                if (std::find(left.begin(), left.end(), doc) != left.end()) delete doc;
            }
        }
    }
    drop(main);
    for (CDockBar* dock : silentDockBars) delete dock;
}

HANDLE CDeviceAppThread::WaitForWindow()
{
    HANDLE both[2] = {windowUpEvent, m_hThread};
    // An early death of the thread ends the wait as well.
    WaitForMultipleObjects(2, both, FALSE, LongWaitMs(LongWait::DeviceWindow));
    HWND w = mainWindow;
    if (w && IsWindow(w)) return m_hThread;
    if (WaitForSingleObject(m_hThread, LongWaitMs(LongWait::DeviceThreadEnd)) == WAIT_TIMEOUT)
        TerminateThread(m_hThread, (DWORD)-1);
    return nullptr;
}

void CDeviceAppThread::ServeUntilStarted()
{
    // Serves what other threads send (a ping, the host's Close) while it waits.
    for (;;) {
        DWORD r = MsgWaitForMultipleObjectsEx(1, &startEvent, INFINITE, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        if (r == WAIT_OBJECT_0 || r == WAIT_FAILED) return;
        MSG msg;
        PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

BOOL CDeviceAppThread::InitInstance()
{
    const DeviceProfile& profile = TheDeviceProfile();
    auto* tmpl = new CSingleDocTemplate(profile.templateId, profile.docClass, profile.frameClass, profile.viewClass);
    AddDocTemplate(tmpl);
    // Hidden until Start: the show hook activates the frame.
    std::string path = profile.hasStartDocument ? startDocument : std::string();
    CDocument* doc = tmpl->OpenDocumentFile(path.empty() ? nullptr : path.c_str(), FALSE);
    if (!doc || !m_pMainWnd || !m_pMainWnd->m_hWnd) {
        if (windowUpEvent) SetEvent(windowUpEvent);
        return FALSE;
    }
    mainWindow = m_pMainWnd->m_hWnd;
    if (profile.honoursReadyEvent && (flags & DEVICE_START_READY_EVENT)) {
        char name[128];
        std::snprintf(name, sizeof name, kDeviceReadyEventFormat, profile.mappingName, (unsigned)GetCurrentProcessId());
        if (HANDLE ready = CreateEvent(nullptr, TRUE, FALSE, name)) SetEvent(ready);  // never closed
    }
    if (windowUpEvent) SetEvent(windowUpEvent);
    if (flags & DEVICE_START_WAIT_START) ServeUntilStarted();
    startDocument.clear();
    if (!m_pMainWnd || !m_pMainWnd->m_hWnd) return FALSE;  // closed while it waited
    ShowMainWindow();
    return TRUE;
}

void CDeviceAppThread::ShowMainWindow()
{
    if (m_shown || !m_pMainWnd || !m_pMainWnd->m_hWnd) return;
    m_shown = true;
    if (auto* frame = dynamic_cast<CDeviceFrame*>(m_pMainWnd)) frame->ShowOnStart();
    else {
        m_pMainWnd->ShowWindow(SW_SHOW);
        m_pMainWnd->UpdateWindow();
    }
}

void CDeviceAppThread::ShowIfStarted()
{
    if (!(flags & DEVICE_START_WAIT_START) || WaitForSingleObject(startEvent, 0) == WAIT_OBJECT_0) ShowMainWindow();
}

int CDeviceAppThread::ExitInstance()
{
    if (auto* app = dynamic_cast<CDeviceApp*>(AfxGetApp())) app->SaveOnThreadExit();
    return CDeviceThread::ExitInstance();
}

void CDeviceAppThread::Start() { SetEvent(startEvent); }

int CDeviceAppThread::Close()
{
    SetEvent(startEvent);
    HANDLE thread = threadHandle;
    if (!thread) return 1;
    // Only handles cross from here: the device's window objects are its thread's.
    HWND window = mainWindow;
    if (window && IsWindow(window))
        PostMessage(window, WM_CLOSE, 0, 0);
    else
        ::PostThreadMessage(threadId, WM_QUIT, (WPARAM)-1, 0);
    const uint64_t start = GetTickCount64();
    bool sawQuit = false;
    WPARAM quitCode = 0;
    int result = 1;
    while (IsThreadAlive(thread)) {
        DWORD r = MsgWaitForMultipleObjectsEx(1, &thread, LongWaitMs(LongWait::CloseSlice),
                                              QS_SENDMESSAGE | QS_PAINT | QS_MOUSEMOVE, MWMO_INPUTAVAILABLE);
        if (r == WAIT_OBJECT_0 + 1) {
            // Input is dropped, paint and mouse moves are served, and sends
            // are delivered while the queue is emptied.
            MSG msg;
            while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    sawQuit = true;
                    quitCode = msg.wParam;
                } else if (msg.message == WM_PAINT || msg.message == WM_MOUSEMOVE) {
                    TranslateMessage(&msg);
                    DispatchMessage(&msg);
                }
            }
        }
        if (!IsThreadAlive(thread)) break;
        const uint64_t elapsed = GetTickCount64() - start;
        if (elapsed > LongWaitMs(LongWait::DeviceThreadEnd)) {
            TerminateThread(thread, (DWORD)-1);
            result = -1;
            break;
        }
        if (elapsed > LongWaitMs(LongWait::CloseSlice) && IsWindow(window)) PostMessage(window, WM_CLOSE, 0, 0);
    }
    if (sawQuit) PostQuitMessage((int)quitCode);
    return result;
}

void CDeviceAppThread::OnFileNew()
{
    if (m_pDocManager) m_pDocManager->OnFileNew();
}

void CDeviceAppThread::OnFileOpen()
{
    if (m_pDocManager) m_pDocManager->OnFileOpen();
}

void CDeviceAppThread::OnFilePrintSetup()
{
    // The printer chosen is the application's: every window of the library prints with it.
    if (CWinApp* app = AfxGetApp()) app->OnFilePrintSetup();
}

void CDeviceAppThread::OnAppAbout()
{
    CDialog dlg(kDeviceAboutDialogId, m_pMainWnd);
    dlg.DoModal();
}
