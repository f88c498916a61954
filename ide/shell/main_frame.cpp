// The IDE's main frame (see main_frame.h).
#include "ide/shell/main_frame.h"

#include "values/app_settings.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include "ide/shell/app.h"
#include "ide/shell/child_frame.h"
#include "ide/shell/resources.h"
#include "ide/dialogs/settings_sheet.h"
#include "ide/run/settings.h"
#include "ide/shell/veldra_doc.h"
#include "ide/shell/veldra_view.h"
#include "interpreter/program.h"
#include "platform/afx/doc_manager.h"
#include "platform/afx/settings_file.h"
#include "platform/afx/view.h"
#include "values/output_stream.h"

namespace {
std::atomic<CMainFrame*> g_mainFrame{nullptr};
constexpr const char* kBarProfile = "Brenholt";
constexpr DWORD kToolbarStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS | CBRS_FLYBY |
                                CBRS_SIZE_DYNAMIC;

uint32_t ReadU32(const std::vector<uint8_t>& b, size_t at)
{
    return (uint32_t)b[at] | (uint32_t)b[at + 1] << 8 | (uint32_t)b[at + 2] << 16 | (uint32_t)b[at + 3] << 24;
}
}  // namespace

CMainFrame* GetMainFrame() { return g_mainFrame.load(); }

IMPLEMENT_DYNCREATE(CMainFrame, CMDIFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CMDIFrameWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_DROPFILES()
    ON_MESSAGE(WM_SHOW_OUTPUT_BAR, OnShowOutputBar)
    ON_MESSAGE(WM_DDE_INITIATE, OnDDEInitiate)
    ON_MESSAGE(WM_SETICON, OnSetIconMessage)
    ON_MESSAGE(WM_HELP_NOT_SHOWN, OnHelpNotShown)
    ON_COMMAND(ID_VIEW_CALCBAR, OnViewCalcBar)
    ON_UPDATE_COMMAND_UI(ID_VIEW_CALCBAR, OnUpdateViewCalcBar)
    ON_COMMAND(ID_VIEW_OUTPUTBAR, OnViewOutputBar)
    ON_UPDATE_COMMAND_UI(ID_VIEW_OUTPUTBAR, OnUpdateViewOutputBar)
    ON_COMMAND(ID_VIEW_OUTPUT, OnViewOutput)
    ON_UPDATE_COMMAND_UI(ID_VIEW_OUTPUT, OnUpdateEnabled)
    ON_COMMAND(ID_VIEW_EDITOR, OnViewEditor)
    ON_UPDATE_COMMAND_UI(ID_VIEW_EDITOR, OnUpdateViewEditor)
    ON_COMMAND(ID_TOOLS_AUTOCALC, OnToolsAutoCalc)
    ON_UPDATE_COMMAND_UI(ID_TOOLS_AUTOCALC, OnUpdateToolsAutoCalc)
    ON_COMMAND(ID_TOOLS_SETTINGS, OnToolsSettings)
    ON_UPDATE_COMMAND_UI(ID_TOOLS_SETTINGS, OnUpdateToolsSettings)
    ON_UPDATE_COMMAND_UI(ID_INDICATOR_CURSOR, OnUpdateCursorPane)
END_MESSAGE_MAP()

CMainFrame::CMainFrame() = default;

CMainFrame::~CMainFrame()
{
    CMainFrame* self = this;
    g_mainFrame.compare_exchange_strong(self, nullptr);
}

int CMainFrame::OnCreate(CREATESTRUCT* cs)
{
    if (CMDIFrameWnd::OnCreate(cs) == -1) return -1;
    g_mainFrame.store(this);

    CSettingsFile& store = VeldraSettingsFile();
    uint32_t version = 0;
    m_nSettingsVersion = store.GetInt("Settings", "Ver", version) ? (int)version : 0;
    LoadSettings(store, CSettingsFile::IsWriteProtected(), &m_savedPlacement);

    if (!m_wndToolBar.Create(this, kToolbarStyle, AFX_IDW_TOOLBAR) || !m_wndToolBar.LoadToolBar(IDR_MAINFRAME) ||
        !m_wndToolBar.LoadButtonImages(24, IDB_MAINBAR, 0, IDB_MAINBAR_DISABLED))
        return -1;
    if (!m_wndCalcBar.Create(this, kToolbarStyle, ID_CALC_TOOLBAR) || !m_wndCalcBar.LoadToolBar(IDR_CALCBAR) ||
        !m_wndCalcBar.LoadButtonImages(24, IDB_CALCBAR, 0, IDB_CALCBAR_DISABLED))
        return -1;
    m_wndToolBar.SetWindowText("Standard");
    m_wndCalcBar.SetWindowText("Calc");
    if (!m_wndStatusBar.Create(this) ||
        !m_wndStatusBar.SetIndicators(kVeldraStatusPanes, (int)(sizeof kVeldraStatusPanes / sizeof kVeldraStatusPanes[0])))
        return -1;
    if (!m_wndOutputBar.Create(this, m_hWnd)) return -1;
    m_wndOutputBar.SetBarStyle(m_wndOutputBar.GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC);

    m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
    m_wndCalcBar.EnableDocking(CBRS_ALIGN_ANY);
    m_wndOutputBar.EnableDocking(CBRS_ALIGN_ANY);
    EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_wndToolBar);
    DockBarBeside(&m_wndCalcBar, &m_wndToolBar);
    DockControlBar(&m_wndOutputBar, AFX_IDW_DOCKBAR_BOTTOM);

    if (VerifyBarState(kBarProfile)) {
        m_wndOutputBar.LoadSizes(kBarProfile);
        LoadBarState(kBarProfile);
    }

    CProgram starter;
    starter.Init(m_hWnd);

    SetTitle("Veldra");
    OnUpdateFrameTitle(TRUE);

    if (m_nSettingsVersion != 4)
        if (CVeldraApp* app = GetVeldraApp()) app->ShowHelpContents();
    return 0;
}

void CMainFrame::OnUpdateFrameTitle(BOOL addToTitle)
{
    CMDIFrameWnd::OnUpdateFrameTitle(addToTitle);
    if (!m_hWnd || !m_hMenuDefault) return;
    if (!m_hMenuDocument) m_hMenuDocument = AfxLoadMenu(IDR_VDXTYPE);
    HMENU wanted = MDIGetActive() && m_hMenuDocument ? m_hMenuDocument : m_hMenuDefault;
    if (::GetMenu(m_hWnd) != wanted) ::SetMenu(m_hWnd, wanted);
}

void CMainFrame::RecalcLayout(BOOL notify)
{
    CMDIFrameWnd::RecalcLayout(notify);
    for (CMDIChildWnd* child : Children())
        if (auto* c = dynamic_cast<CChildFrame*>(child)) c->FillClient();
}

BOOL CMainFrame::PreTranslateMessage(MSG* msg)
{
    if (PassesKeysThrough(this, msg)) return FALSE;
    return CMDIFrameWnd::PreTranslateMessage(msg);
}

void CMainFrame::OnDestroy()
{
    if (m_hMenuDocument) {
        if (::GetMenu(m_hWnd) == m_hMenuDocument) ::SetMenu(m_hWnd, m_hMenuDefault);
        DestroyMenu(m_hMenuDocument);
        m_hMenuDocument = nullptr;
    }
    // A parked document's abandoned thread may still call into the
    // interpreter: it is left standing and the process ends with _exit.
    if (!AnyParkedDocument()) ShutdownInterpreter();
    if (!CSettingsFile::IsWriteProtected()) {
        CSettingsFile& store = VeldraSettingsFile();
        CSettingsFile::CBatch batch(store);
        const std::vector<uint8_t> placement = PlacementBytes();
        SaveSettings(store, placement.size() == 44 ? &placement : nullptr);
        m_wndOutputBar.SaveSizes(kBarProfile);
        SaveBarState(kBarProfile);
        // A full disk or a read-only folder: the old file stays, the user is told.
        if (!batch.Commit()) ReportSettingsWriteFailure(store);
    }
    CMDIFrameWnd::OnDestroy();
    g_mainFrame.store(nullptr);
}

std::vector<uint8_t> CMainFrame::PlacementBytes() const
{
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (!m_hWnd || !::GetWindowPlacement(m_hWnd, &wp)) return {};
    // A frame that never showed (the hidden run) keeps the command it would
    // have shown with.
    if (IsHiddenRun()) wp.showCmd = (UINT)RecordedShowCommand();
    std::vector<uint8_t> bytes(sizeof wp);
    std::memcpy(bytes.data(), &wp, sizeof wp);
    return bytes;
}

LRESULT CMainFrame::OnHelpNotShown(WPARAM, LPARAM)
{
    ReportWaitingHelpWarnings();
    return 0;
}

void CMainFrame::SetCursorPosText(unsigned line, unsigned column)
{
    if (!m_wndStatusBar.m_hWnd) return;
    char text[64];
    std::snprintf(text, sizeof text, "Ln %u, Col %u", line, column);
    m_wndStatusBar.SetPaneText(1, text);
}

void CMainFrame::OnUpdateCursorPane(CCmdUI* ui)
{
    // Without a program the pane would keep the text that only sizes it.
    if (!MDIGetActive()) ui->SetText("");
}

void CMainFrame::DockBarBeside(CControlBar* bar, CControlBar* leftBar)
{
    if (!bar || !leftBar || !leftBar->m_hWnd) return;
    // The left bar's place must be current before it is measured.
    RecalcLayout(TRUE);
    RECT r;
    leftBar->GetWindowRect(&r);
    OffsetRect(&r, 1, 0);
    const DWORD style = leftBar->GetBarStyle();
    UINT dock = AFX_IDW_DOCKBAR_TOP;
    if (style & CBRS_ALIGN_TOP) dock = AFX_IDW_DOCKBAR_TOP;
    else if (style & CBRS_ALIGN_BOTTOM) dock = AFX_IDW_DOCKBAR_BOTTOM;
    else if (style & CBRS_ALIGN_LEFT) dock = AFX_IDW_DOCKBAR_LEFT;
    else if (style & CBRS_ALIGN_RIGHT) dock = AFX_IDW_DOCKBAR_RIGHT;
    DockControlBar(bar, dock, &r);
}

bool CMainFrame::VerifyBarState(const char* profile)
{
    CWinApp* app = AfxGetApp();
    if (!app || !profile) return false;
    const std::string head = std::string(profile) + "-Bars";
    std::vector<uint8_t> ids;
    if (!app->GetProfileBinary(head.c_str(), "Ids", ids) || ids.empty() || ids.size() % 4 != 0) return false;
    for (size_t at = 0; at < ids.size(); at += 4) {
        const UINT id = ReadU32(ids, at);
        if (!GetControlBar(id)) return false;
        // A dock bar lists the bars on it (placeholders carry 0x10000).
        char section[96];
        std::snprintf(section, sizeof section, "%s-Bar-%u", profile, id);
        std::vector<uint8_t> docked;
        if (!app->GetProfileBinary(section, "Bars", docked)) continue;
        if (docked.size() % 4 != 0) return false;
        for (size_t k = 0; k < docked.size(); k += 4) {
            const UINT e = ReadU32(docked, k);
            if (e != 0 && !GetControlBar(e & 0xFFFFu)) return false;
        }
    }
    return true;
}

bool CMainFrame::OutputBarVisible() const { return m_wndOutputBar.m_hWnd && m_wndOutputBar.IsVisible(); }

LRESULT CMainFrame::OnShowOutputBar(WPARAM show, LPARAM message)
{
    auto* msg = reinterpret_cast<COutputMessage*>(message);
    if (IsHiddenRun() && msg && msg->m_color == &RedTextColor) EndHiddenRun();
    if (m_wndOutputBar.m_hWnd) ShowControlBar(&m_wndOutputBar, show ? TRUE : FALSE, FALSE);
    return 0;
}

LRESULT CMainFrame::OnDDEInitiate(WPARAM wParam, LPARAM lParam)
{
    // A hidden run serves its one document only.
    if (IsHiddenRun())
        if (CWinApp* app = AfxGetApp(); app && app->m_pDocManager && app->m_pDocManager->GetOpenDocumentCount() > 0)
            return 0;
    return DefWindowProc(WM_DDE_INITIATE, wParam, lParam);
}

void CMainFrame::OnDropFiles(HANDLE drop)
{
    auto* h = static_cast<HDROP>(drop);
    const UINT count = DragQueryFile(h, 0xFFFFFFFFu, nullptr, 0);
    std::vector<std::string> files;
    for (UINT i = 0; i < count; ++i) {
        const UINT n = DragQueryFile(h, i, nullptr, 0);
        std::string name(n + 1, '\0');
        DragQueryFile(h, i, name.data(), n + 1);
        name.resize(n);
        files.push_back(name);
    }
    DragFinish(h);
    SetForegroundWindow(m_hWnd);
    if (CWinApp* app = AfxGetApp())
        for (const std::string& f : files) app->OpenDocumentFile(f.c_str());
}

// Without a document: the default of new documents (setting "109").
void CMainFrame::OnToolsAutoCalc()
{
    AppSettings::AutoCalculate = !AppSettings::AutoCalculate;
    if (CWinApp* app = AfxGetApp()) app->WriteProfileInt("Settings", "109", AppSettings::AutoCalculate ? 1 : 0);
}

void CMainFrame::OnUpdateToolsAutoCalc(CCmdUI* ui) { ui->SetCheck(AppSettings::AutoCalculate ? 1 : 0); }

void CMainFrame::OnViewCalcBar() { ShowControlBar(&m_wndCalcBar, !m_wndCalcBar.IsVisible(), FALSE); }

void CMainFrame::OnUpdateViewCalcBar(CCmdUI* ui) { ui->SetCheck(m_wndCalcBar.IsVisible() ? 1 : 0); }

void CMainFrame::OnViewOutputBar() { ShowControlBar(&m_wndOutputBar, !m_wndOutputBar.IsVisible(), FALSE); }

void CMainFrame::OnUpdateViewOutputBar(CCmdUI* ui) { ui->SetCheck(OutputBarVisible() ? 1 : 0); }

void CMainFrame::OnViewOutput()
{
    ShowControlBar(&m_wndOutputBar, TRUE, FALSE);
    if (m_wndOutputBar.m_output.m_hWnd) m_wndOutputBar.m_output.SetFocus();
}

void CMainFrame::OnViewEditor()
{
    if (CMDIChildWnd* child = MDIGetActive())
        if (CView* view = child->GetActiveView()) view->SetFocus();
}

void CMainFrame::OnUpdateViewEditor(CCmdUI* ui) { ui->Enable(MDIGetActive() != nullptr); }

// ---- Tools Settings -------------------------------------------------------------

void CMainFrame::OnToolsSettings()
{
    if (!RunSettingsSheet(this)) return;
    ForEachProgramDocument([](CVeldraDoc* doc) {
        if (CVeldraView* view = doc->GetProgramView()) view->ApplySettings();
        if (doc->IsThreadAlive() && !doc->IsAtBreak()) return;
        doc->RefreshVariablesBars(2);
        doc->UpdateWatcherBars(32);
        doc->RefreshVariablesBars(64);
        doc->UpdateWatcherBars(64);
    });
    m_wndOutputBar.m_output.SetOutputFont();
}

void CMainFrame::OnUpdateToolsSettings(CCmdUI* ui)
{
    bool running = false;
    ForEachProgramDocument([&](CVeldraDoc* doc) { running = running || (doc->IsThreadAlive() && !doc->IsAtBreak()); });
    ui->Enable(!running);
}
