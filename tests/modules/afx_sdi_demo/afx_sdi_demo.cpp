// The SDI demo library: a text document in a single-document frame, a modal
// dialog on command 0x8101, and an answer to WM_APP + 7 from other threads
// that reads this library's own string 128.
#include "platform/afx/afx.h"
#include "platform/kernel/kernel.h"

#include <atomic>

#define SDI_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

enum { IDR_SDI = 128, IDD_SDI_ASK = 200, ID_SDI_ASK = 0x8101, WM_SDI_PING = WM_APP + 7 };

CModuleState g_module("afx_sdi_demo");

const AfxStringEntry kStrings[] = {
    {IDR_SDI, "DemoSdi\nSdi\nSdi\nText Files (*.txt)\n.txt"},
    {AFX_IDS_APP_TITLE, "AfxSdiDemo"},
};
const CDialogItemTemplate kAskItems[] = {
    {"Edit", "5", 201, WS_TABSTOP, 10, 10, 60, 12, 0},
    {"Button", "OK", IDOK, WS_TABSTOP, 10, 30, 40, 14, 0},
    {"Button", "Cancel", IDCANCEL, WS_TABSTOP, 60, 30, 40, 14, 0},
};
const CDialogTemplate kAsk = {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, "Ask", 20, 20, 120, 60, kAskItems, 3};

struct Registration {
    Registration()
    {
        g_module.m_resources.AddStrings(kStrings, sizeof kStrings / sizeof kStrings[0]);
        g_module.m_resources.AddDialog(IDD_SDI_ASK, &kAsk);
    }
} g_registration;

HANDLE g_dialogOpen = CreateEvent(nullptr, TRUE, FALSE, nullptr);
std::atomic<int> g_lastModalResult{0};

class CSdiDoc : public CDocument {
    DECLARE_DYNCREATE(CSdiDoc)
public:
    std::string m_text;
    void Serialize(CArchive& ar) override
    {
        if (ar.IsLoading())
            m_text = ar.ReadAll();
        else
            ar.WriteString(m_text);
    }
};
IMPLEMENT_DYNCREATE(CSdiDoc, CDocument)

class CSdiView : public CView {
    DECLARE_DYNCREATE(CSdiView)
public:
    void OnDraw(CDC* dc) override
    {
        CSdiDoc* doc = static_cast<CSdiDoc*>(GetDocument());
        if (doc) TextOut(dc->m_hDC, 4, 4, doc->m_text.c_str(), (int)doc->m_text.size());
    }
};
IMPLEMENT_DYNCREATE(CSdiView, CView)

class CAskDialog : public CDialog {
public:
    explicit CAskDialog(CWnd* parent) : CDialog(IDD_SDI_ASK, parent) {}
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        SetEvent(g_dialogOpen);
        return TRUE;
    }
};

class CSdiFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CSdiFrame)
public:
    void OnAsk()
    {
        CAskDialog dlg(this);
        int r = (int)dlg.DoModal();
        ResetEvent(g_dialogOpen);
        g_lastModalResult = r;
    }
    LRESULT OnPing(WPARAM w, LPARAM)
    {
        // The title part of string 128, read through this window's module state.
        return (LRESULT)(w * 1000 + AfxLoadString(IDR_SDI).find('\n'));
    }

protected:
    DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CSdiFrame, CFrameWnd)
BEGIN_MESSAGE_MAP(CSdiFrame, CFrameWnd)
    ON_COMMAND(ID_SDI_ASK, OnAsk)
    ON_MESSAGE(WM_SDI_PING, OnPing)
END_MESSAGE_MAP()

class CSdiApp : public CWinApp {
public:
    CSdiApp() : CWinApp(nullptr, &g_module) {}
    HANDLE m_ready = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    HWND m_frame = nullptr;
    BOOL InitInstance() override
    {
        LoadStdProfileSettings(4);
        AddDocTemplate(new CSingleDocTemplate(IDR_SDI, RUNTIME_CLASS(CSdiDoc), RUNTIME_CLASS(CSdiFrame), RUNTIME_CLASS(CSdiView)));
        OnFileNew();
        if (m_pMainWnd) {
            m_pMainWnd->MoveWindow(RECT{900, 40, 1300, 400});
            m_frame = m_pMainWnd->m_hWnd;
        }
        SetEvent(m_ready);
        return m_pMainWnd != nullptr;
    }
};

CSdiApp* g_app = nullptr;

}  // namespace

// Starts the application on its own thread; returns its frame (null on failure).
SDI_EXPORT HWND AfxSdiDemoStart(const char* profile, HANDLE* thread)
{
    AFX_MANAGE_STATE(&g_module);
    if (g_app) return nullptr;
    g_app = new CSdiApp;
    g_app->m_pszProfileName = profile;
    if (!g_app->RunOnNewThread() || WaitForSingleObject(g_app->m_ready, 10000) != WAIT_OBJECT_0) return nullptr;
    *thread = g_app->m_hThread;
    return g_app->m_frame;
}

SDI_EXPORT HANDLE AfxSdiDemoDialogEvent() { return g_dialogOpen; }
SDI_EXPORT int AfxSdiDemoLastModalResult() { return g_lastModalResult; }
SDI_EXPORT void AfxSdiDemoResetModalResult() { g_lastModalResult = 0; }

// After the thread has ended.
SDI_EXPORT void AfxSdiDemoFinish()
{
    AFX_MANAGE_STATE(&g_module);
    if (!g_app) return;
    CloseHandle(g_app->m_ready);
    delete g_app;
    g_app = nullptr;
}
