// The IDE application object and the state the IDE's windows share.
#include "ide/shell/app.h"

#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>

#include <unistd.h>

#include "devices/install_program_steps.h"
#include "ide/shell/bitmap_picture.h"
#include "ide/shell/child_frame.h"
#include "ide/shell/main_frame.h"
#include "ide/shell/resources.h"
#include "ide/shell/shell_registration.h"
#include "ide/shell/veldra_doc.h"
#include "ide/shell/veldra_view.h"
#include "interpreter/user_function.h"
#include "platform/afx/resources.h"
#include "platform/afx/settings_file.h"
#include "platform/afx/spawn.h"
#include "platform/kernel/library.h"
#include "ui_controls/edit/edit_view.h"
#include "ui_controls/link/link_static.h"
#include "values/output_stream.h"


const char* const kVeldraSiteAddress = "https://veldra.example.org/";
const char* const kVeldraUpdatesAddress = "https://veldra.example.org/updates";

namespace {
CVeldraApp* g_app = nullptr;
std::mutex g_helpLock;
std::string g_helpFile;

// A start without a stored placement: two thirds of the work area, centred,
// so that the toolbars and a few windows beside the frame fit.
void PlaceFrameOnFirstStart(HWND frame)
{
    RECT work;
    SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
    const int w = (work.right - work.left) * 2 / 3, h = (work.bottom - work.top) * 2 / 3;
    SetWindowPos(frame, nullptr, work.left + (work.right - work.left - w) / 2, work.top + (work.bottom - work.top - h) / 2,
                 w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string ReadFileText(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    if (!f) return std::string();
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

// Percent-encodes every byte but the unreserved ones and `keep`.
std::string UriEscape(const std::string& text, const char* keep)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~' || (c && std::strchr(keep, c))) {
            out += (char)c;
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

// The About box: the picture, the name and version, and the two links.
class CAboutDlg : public CDialog {
public:
    CAboutDlg() : CDialog(IDD_ABOUTBOX, AfxGetMainWnd()) {}
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        m_picture.SubclassDlgItem(IDC_ABOUT_PICTURE, this);
        m_picture.SetBitmap(IDB_ABOUT, 96, 96);
        m_site.SubclassDlgItem(IDC_ABOUT_SITE, this);
        m_site.SetLinkAddress(kVeldraSiteAddress);
        m_updates.SubclassDlgItem(IDC_ABOUT_UPDATES, this);
        m_updates.SetLinkAddress(kVeldraUpdatesAddress);
        return TRUE;
    }
    CBitmapPicture m_picture;
    CLinkStatic m_site;
    CLinkStatic m_updates;
};

// The program documents' template hands each document the shell.
class CProgramDocTemplate : public CMultiDocTemplate {
public:
    explicit CProgramDocTemplate(IProgramShell* shell)
        : CMultiDocTemplate(IDR_VDXTYPE, RUNTIME_CLASS(CVeldraDoc), RUNTIME_CLASS(CChildFrame),
                            RUNTIME_CLASS(CVeldraView)),
          m_pShell(shell)
    {
    }
    CDocument* CreateNewDocument() override
    {
        CDocument* doc = CMultiDocTemplate::CreateNewDocument();
        if (auto* program = dynamic_cast<CVeldraDoc*>(doc)) program->m_pShell = m_pShell;
        return doc;
    }

private:
    IProgramShell* m_pShell;
};

}  // namespace

void EndHiddenRun()
{
    if (!TakeHiddenRun()) return;
    // The IDE becomes visible as it would have started.
    CMainFrame* frame = GetMainFrame();
    if (frame && frame->m_hWnd && ::GetWindowThreadProcessId(frame->m_hWnd, nullptr) == ::GetCurrentThreadId()) {
        frame->ShowWindow(RecordedShowCommand());
        frame->UpdateWindow();
    }
}
CVeldraApp* GetVeldraApp() { return g_app; }

unsigned HelpContextTarget(unsigned context)
{
    switch (context) {
    case 0x20096:
    case 0x20097: return 0x20097;
    case 0x20098: return 0x20098;
    case 0x20099:
    case 0x2009B:
    case 0x2009D:
    case 0x2009E: return 0x20099;
    case 0x2009F:
    case 0x200A0:
    case 0x200A1: return 0x2009F;
    default: return HELP_CONTEXT_DEFAULT;
    }
}

std::string HelpContextFragment(unsigned context)
{
    const unsigned target = HelpContextTarget(context);
    if (target == HELP_CONTEXT_DEFAULT) return std::string();
    char text[32];
    std::snprintf(text, sizeof text, "context-%x", target);
    return text;
}

std::string HelpFilePath()
{
    std::lock_guard<std::mutex> g(g_helpLock);
    return g_helpFile.empty() ? GetProgramFolder() + "/Hlp/Veldra.html" : g_helpFile;
}

void SetHelpFilePath(const std::string& path)
{
    std::lock_guard<std::mutex> g(g_helpLock);
    g_helpFile = path;
}

namespace {
std::mutex g_helpWarningLock;
std::vector<std::string> g_helpWarnings;

void HelpWarning(const std::string& text) { ReportWarning() << text; }

// Opens the target; a failure now or reported later by xdg-open is the warning.
bool OpenOrWarn(const std::string& target, const std::string& failure)
{
    CMainFrame* frame = GetMainFrame();
    HWND main = frame ? frame->m_hWnd : nullptr;
    const bool started = AfxOpenExternal(target, [main, failure](int) {
        {
            std::lock_guard<std::mutex> g(g_helpWarningLock);
            g_helpWarnings.push_back(failure);
        }
        if (main) ::PostMessage(main, WM_HELP_NOT_SHOWN, 0, 0);
    });
    if (started) return true;
    HelpWarning(AfxCommandExists("xdg-open") ? failure : "Cannot show the help: the command xdg-open is missing.");
    return false;
}
}  // namespace

void ReportWaitingHelpWarnings()
{
    std::vector<std::string> texts;
    {
        std::lock_guard<std::mutex> g(g_helpWarningLock);
        texts.swap(g_helpWarnings);
    }
    for (const std::string& t : texts) HelpWarning(t);
}

bool OpenHelpPage(const std::string& fragment)
{
    const std::string page = HelpFilePath();
    std::ifstream probe(page);
    if (!probe) {
        HelpWarning("Cannot open the help file " + page + ".");
        return false;
    }
    std::string target = "file://" + UriEscape(page, "/");
    if (!fragment.empty()) target += "#" + UriEscape(fragment, "");
    return OpenOrWarn(target, "Cannot show the help page " + page + ": nothing opened it.");
}

bool OpenWebPage(const std::string& address)
{
    return OpenOrWarn(address, "Cannot show the web page " + address + ": nothing opened it.");
}

bool HelpPageHasId(const std::string& word)
{
    if (word.empty()) return false;
    const std::string text = ReadFileText(HelpFilePath());
    return text.find("id=\"" + word + "\"") != std::string::npos || text.find("id='" + word + "'") != std::string::npos;
}

// ---- the application -------------------------------------------------------

BEGIN_MESSAGE_MAP(CVeldraApp, CWinApp)
    ON_COMMAND(ID_HELP_CONTENTS, OnHelpContents)
    ON_COMMAND(ID_HELP_INDEX, OnHelpIndex)
    ON_COMMAND(ID_HELP_INDEX_ALT, OnHelpIndex)
    ON_COMMAND(ID_HELP_WEBPAGE, OnHelpWebPage)
    ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
    ON_COMMAND(ID_HELP_F1, OnHelpF1)
    ON_COMMAND(ID_CONTEXT_HELP, OnHelpF1)
    ON_UPDATE_COMMAND_UI(ID_HELP_CONTENTS, OnUpdateHelp)
    ON_UPDATE_COMMAND_UI(ID_HELP_INDEX, OnUpdateHelp)
    ON_UPDATE_COMMAND_UI(ID_HELP_INDEX_ALT, OnUpdateHelp)
    ON_UPDATE_COMMAND_UI(ID_HELP_WEBPAGE, OnUpdateHelp)
    ON_UPDATE_COMMAND_UI(ID_HELP_F1, OnUpdateHelp)
    ON_UPDATE_COMMAND_UI(ID_CONTEXT_HELP, OnUpdateHelp)
END_MESSAGE_MAP()

CVeldraApp::CVeldraApp(IdeCommandLine commandLine)
    : CWinApp("Veldra", VeldraModuleState()), m_commandLine(std::move(commandLine))
{
    g_app = this;
}

CVeldraApp::~CVeldraApp()
{
    if (g_app == this) g_app = nullptr;
}

BOOL CVeldraApp::InitInstance()
{
    // 1. Function pointers as value text, for the devices and modules too;
    // the libraries, devices and modules behind the program's steps.
    InstallFunctionPointerText();
    InstallProgramSteps();
    // 2-3. No OLE, control container or 3-D controls to set up here.
    // 4. The help page is beside the program (HelpFilePath).
    // 5. Settings key and the recent files.
    SetRegistryKey("Brenholt");
    m_pszProfileName = "Veldra";
    LoadStdProfileSettings(8);
    // 6. The program documents.
    m_pDocTemplate = new CProgramDocTemplate(this);
    AddDocTemplate(m_pDocTemplate);
    if (m_bRegisterShell && !CSettingsFile::IsWriteProtected()) RegisterShellFiles(GetProgramPath());
    // 7. A file from the shell runs hidden.
    const bool hidden = m_commandLine.hiddenRun && !m_commandLine.files.empty();
    SetHiddenRun(hidden);
    SetRecordedShowCommand(m_nCmdShow);
    if (hidden) m_nCmdShow = SW_HIDE;
    // 8. The main frame, hidden until step 10.
    auto* frame = new CMainFrame;
    m_pMainWnd = frame;
    if (!frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW)) {
        m_pMainWnd = nullptr;
        return FALSE;
    }
    DragAcceptFiles(frame->m_hWnd, TRUE);
    // 9. The documents of the command line. A hidden run that could not open
    // its file has nothing to run: it shows the frame instead.
    for (const std::string& file : m_commandLine.files)
        if (!OpenDocumentFile(file.c_str()) && hidden) EndHiddenRun();
    if (!::IsWindow(frame->m_hWnd)) return FALSE;
    // 10. The stored placement, else the start-up show command. An error that
    // ended the hidden run during step 9 showed the frame already.
    const std::vector<uint8_t>& stored = frame->m_savedPlacement;
    if (stored.size() == sizeof(WINDOWPLACEMENT)) {
        WINDOWPLACEMENT wp;
        std::memcpy(&wp, stored.data(), sizeof wp);
        if (IsHiddenRun()) {
            SetRecordedShowCommand((int)wp.showCmd);
            wp.showCmd = SW_HIDE;
        } else if (hidden) {
            // The run ended the hidden mode before the placement was known.
            SetRecordedShowCommand((int)wp.showCmd);
        }
        ::SetWindowPlacement(frame->m_hWnd, &wp);
    } else if (IsHiddenRun()) {
        PlaceFrameOnFirstStart(frame->m_hWnd);
        frame->ShowWindow(SW_HIDE);
    } else {
        PlaceFrameOnFirstStart(frame->m_hWnd);
        frame->ShowWindow(RecordedShowCommand() == SW_HIDE ? SW_SHOWNORMAL : RecordedShowCommand());
    }
    // 11.
    frame->UpdateWindow();
    m_bStarted = true;
    return TRUE;
}

int CVeldraApp::ExitInstance()
{
    const int code = CSettingsFile::IsWriteProtected() ? CWinThread::ExitInstance() : CWinApp::ExitInstance();
    // An abandoned program thread may still run a closed document's
    // statements: the settings are saved, nothing is torn down under it.
    if (AnyParkedDocument()) {
        std::fflush(nullptr);
        _exit(code);
    }
    return code;
}

void CVeldraApp::ShowHelpContents()
{
    if (CMainFrame* frame = GetMainFrame(); frame && frame->m_hWnd) frame->PostMessage(WM_IDLEUPDATECMDUI);
    OpenHelpPage(std::string());
}

void CVeldraApp::OnHelpContents() { ShowHelpContents(); }

void CVeldraApp::OnHelpIndex() { OpenHelpPage("index"); }

void CVeldraApp::OnHelpWebPage() { OpenWebPage(kVeldraSiteAddress); }

void CVeldraApp::OnAppAbout()
{
    CAboutDlg dlg;
    dlg.DoModal();
}

std::string CVeldraApp::GetHelpKeyword()
{
    CMainFrame* frame = GetMainFrame();
    CMDIChildWnd* child = frame ? frame->MDIGetActive() : nullptr;
    auto* view = child ? dynamic_cast<KyrEditView*>(child->GetActiveView()) : nullptr;
    KyrEditCtrl* edit = view ? view->GetEditCtrl() : nullptr;
    return edit ? edit->GetWordAt(edit->CaretOffset()) : std::string();
}

void CVeldraApp::KeywordHelp(const std::string& word)
{
    if (HelpPageHasId(word)) {
        OpenHelpPage(word);
        return;
    }
    // Index on failure: the box, then the page.
    ::MessageBox(nullptr, "Identifier or keyword is not find", "Warning", MB_OK | MB_ICONEXCLAMATION);
    OpenHelpPage(std::string());
}

void CVeldraApp::WinHelp(unsigned context)
{
    if (CMainFrame* frame = GetMainFrame(); frame && frame->m_hWnd) frame->PostMessage(WM_IDLEUPDATECMDUI);
    if (context == HELP_CONTEXT_EDITOR) {
        const std::string word = GetHelpKeyword();
        if (!word.empty()) {
            KeywordHelp(word);
            return;
        }
    }
    OpenHelpPage(HelpContextFragment(context));
}

unsigned CVeldraApp::FocusHelpContext()
{
    CMainFrame* frame = GetMainFrame();
    CMDIChildWnd* child = frame ? frame->MDIGetActive() : nullptr;
    CView* view = child ? child->GetActiveView() : nullptr;
    HWND focus = ::GetFocus();
    if (view && view->m_hWnd && focus && (focus == view->m_hWnd || ::IsChild(view->m_hWnd, focus)))
        return HELP_CONTEXT_EDITOR;
    return HELP_CONTEXT_DEFAULT;
}

void CVeldraApp::OnHelpF1() { WinHelp(FocusHelpContext()); }

// ---- the program documents' shell

void CVeldraApp::SetStatusText(const char* text)
{
    CMainFrame* frame = GetMainFrame();
    if (!frame || !frame->m_hWnd) return;
    if (text) frame->SetMessageText(text);
    else frame->SetMessageText(AFX_IDS_IDLEMESSAGE);
}

bool CVeldraApp::SetCursorPosText(unsigned line, unsigned column)
{
    CMainFrame* frame = GetMainFrame();
    if (!frame || !frame->m_hWnd) return false;
    frame->SetCursorPosText(line, column);
    return true;
}

CMDIChildWnd* CVeldraApp::ActiveChildFrame()
{
    CMainFrame* frame = GetMainFrame();
    return frame && frame->m_hWnd ? frame->MDIGetActive() : nullptr;
}

bool CVeldraApp::OutputBarVisible()
{
    CMainFrame* frame = GetMainFrame();
    return frame && frame->m_hWnd && frame->OutputBarVisible();
}

void CVeldraApp::ShowOutputBar(bool show)
{
    CMainFrame* frame = GetMainFrame();
    if (frame && frame->m_hWnd && frame->m_wndOutputBar.m_hWnd)
        frame->ShowControlBar(&frame->m_wndOutputBar, show ? TRUE : FALSE, FALSE);
}

void CVeldraApp::LeaveHiddenRun()
{
    if (!IsHiddenRun()) return;
    EndHiddenRun();
    if (CMainFrame* frame = GetMainFrame(); frame && frame->m_hWnd && !::IsWindowVisible(frame->m_hWnd)) {
        frame->ShowWindow(RecordedShowCommand());
        frame->UpdateWindow();
    }
}
