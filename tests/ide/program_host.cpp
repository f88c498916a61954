// The headless host of the program document tests.
#include "tests/ide/program_host.h"

#include <fstream>
#include <sstream>
#include <thread>

#include "platform/afx/resources.h"

namespace {
constexpr UINT IDR_TEST_PROGRAM = 9401;

const AfxStringEntry kStrings[] = {
    {IDR_TEST_PROGRAM, "Veldra\nProgram\nProgram\nProgram Files (*.vdx)\n.vdx"},
    {AFX_IDS_APP_TITLE, "Veldra"},
};
const MenuTableItem kMenu[] = {
    {MF_POPUP | MF_END, 0, "&Program"},
    {MF_STRING, ID_PROGRAM_CALCULATE, "&Calculate\tCtrl+F5"},
    {MF_STRING, ID_PROGRAM_PAUSE, "&Pause"},
    {MF_STRING | MF_END, ID_PROGRAM_STOP, "&Stop"},
};

// A probe that records what the update handler decided.
class CProbe : public CCmdUI {
public:
    void Enable(BOOL on) override
    {
        enabled = on != FALSE;
        m_bEnableChanged = TRUE;
    }
    void SetText(const char* t) override { text = t ? t : ""; }
    bool enabled = false;
    std::string text;
};
}  // namespace

CProgramHostApp::CProgramHostApp() : CWinApp(nullptr, AfxGetProgramModuleState())
{
    static bool done = [] {
        CResourceTable& r = AfxGetProgramModuleState()->m_resources;
        r.AddStrings(kStrings, sizeof kStrings / sizeof kStrings[0]);
        r.AddMenu(IDR_TEST_PROGRAM, kMenu, sizeof kMenu / sizeof kMenu[0]);
        return true;
    }();
    (void)done;
    m_pszProfileName = "VeldraProgramHost";
    m_previous = AfxSetThread(this);
}

CProgramHostApp::~CProgramHostApp()
{
    if (m_pMainWnd && m_pMainWnd->m_hWnd) {
        CloseAllDocuments(TRUE);
        m_pMainWnd->DestroyWindow();
    }
    PumpUntilIdle();
    delete m_output;
    AfxSetThread(m_previous);
}

BOOL CProgramHostApp::InitInstance()
{
    AddDocTemplate(new CMultiDocTemplate(IDR_TEST_PROGRAM, RUNTIME_CLASS(CVeldraDoc), RUNTIME_CLASS(CMDIChildWnd),
                                         RUNTIME_CLASS(CVeldraView)));
    auto* frame = new CMDIFrameWnd;
    if (!frame->LoadFrame(IDR_TEST_PROGRAM)) return FALSE;
    m_pMainWnd = frame;
    frame->MoveWindow(RECT{0, 0, 900, 700});
    frame->ShowWindow(SW_SHOW);
    m_output = new COutputCtrl;
    if (!m_output->Create(frame, 0, RECT{0, 500, 880, 680})) return FALSE;
    InitInterpreterOnce(frame->m_hWnd);
    return TRUE;
}

void InitInterpreterOnce(HWND main)
{
    static bool done = [main] {
        CProgram p;
        p.Init(main);
        return true;
    }();
    (void)done;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        PumpUntilIdle();
        if (done()) break;
        Sleep(2);
    }
    return true;
}

bool FinishRun(CVeldraDoc* doc, DWORD timeoutMs)
{
    if (!PumpUntil([&] { return !doc->IsThreadAlive(); }, timeoutMs)) return false;
    // What timer 10 does at its next tick.
    if (CVeldraView* v = doc->GetProgramView()) v->SendMessage(WM_TIMER, TIMER_RUN_END, 0);
    PumpUntilIdle();
    return doc->GetRunState() == RunState::Idle;
}

void DoCommand(CCmdTarget* target, UINT id) { target->OnCmdMsg(id, CN_COMMAND, nullptr, nullptr); }

bool CommandEnabled(CCmdTarget* target, UINT id, std::string* text)
{
    CProbe probe;
    probe.m_nID = id;
    probe.DoUpdate(target, TRUE);
    if (text) *text = probe.text;
    return probe.enabled;
}

std::string ReadFileBytes(const std::filesystem::path& p)
{
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void WriteFileBytes(const std::filesystem::path& p, const std::string& text)
{
    std::ofstream(p, std::ios::binary) << text;
}
