#pragma once
// The IDE application: start-up order, the hidden run, help and the About box,
// and the process-wide state the frames, documents and views share.
#include <string>
#include <vector>

#include "ide/run/hidden_run.h"
#include "ide/shell/program_shell.h"
#include "platform/afx/cmd_ui.h"
#include "platform/afx/doc_template.h"
#include "platform/afx/message_map.h"
#include "platform/afx/win_app.h"

class CMainFrame;

// Ends the hidden run (an error message, or a run that failed): the main
// frame shows with the recorded show command. GUI thread.
void EndHiddenRun();

// The IDE's main frame; null before it exists and after it is gone.
CMainFrame* GetMainFrame();

// Help contexts of the windows.
enum : unsigned {
    HELP_CONTEXT_DEFAULT = 0x20080,
    HELP_CONTEXT_EDITOR = 0x20081,
};

// The context a window's help context opens (the program editor's is
// answered by keyword help first; see CVeldraApp::WinHelp).
unsigned HelpContextTarget(unsigned context);
// The page fragment of a context's topic: empty for the contents (the page's
// top), else "context-<hex>".
std::string HelpContextFragment(unsigned context);

// The help page: <program folder>/Hlp/Veldra.html unless set otherwise.
std::string HelpFilePath();
void SetHelpFilePath(const std::string& path);
// Opens the help page, with "#fragment" when not empty, through xdg-open. A
// missing page or command, or xdg-open reporting that nothing could show the
// page, is a warning in the output bar (never a box: the main window may not
// be up yet). False when nothing was opened.
bool OpenHelpPage(const std::string& fragment);
// Opens an address with xdg-open; a failure is a warning as for the help.
bool OpenWebPage(const std::string& address);
// Sent to the main frame when xdg-open failed later: the warnings waiting
// are written to the output bar.
constexpr UINT WM_HELP_NOT_SHOWN = WM_USER + 610;
void ReportWaitingHelpWarnings();
// Whether the page holds an element with id `word`.
bool HelpPageHasId(const std::string& word);

// The command line of the IDE forms.
struct IdeCommandLine {
    std::vector<std::string> files;  // documents to open
    bool hiddenRun = false;          // --hidden-run FILE: the first file runs hidden
};

class CVeldraApp : public CWinApp, public IProgramShell {
public:
    explicit CVeldraApp(IdeCommandLine commandLine = {});
    ~CVeldraApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;

    IdeCommandLine m_commandLine;
    // The show command the frame starts with; hidden in the hidden run.
    int m_nCmdShow = SW_SHOWNORMAL;
    // Desktop files are written on an interactive start (tests may turn it off).
    bool m_bRegisterShell = true;
    CMultiDocTemplate* m_pDocTemplate = nullptr;
    // Set once InitInstance has succeeded.
    bool m_bStarted = false;

    // Context help: the editor's keyword, else the topic of the context.
    void WinHelp(unsigned context);
    // The word at the caret of the active program view.
    std::string GetHelpKeyword();
    // "#word" when the page holds that id, else the warning box and the page.
    void KeywordHelp(const std::string& word);
    void ShowHelpContents();
    // The help context of the window with the focus.
    unsigned FocusHelpContext();

    void OnHelpContents();
    void OnHelpIndex();
    void OnHelpWebPage();
    void OnAppAbout();
    void OnHelpF1();
    void OnUpdateHelp(CCmdUI* ui) { ui->Enable(TRUE); }

    // ---- the program documents' shell: the main frame, while it is up
    void SetStatusText(const char* text) override;
    bool SetCursorPosText(unsigned line, unsigned column) override;
    CMDIChildWnd* ActiveChildFrame() override;
    bool OutputBarVisible() override;
    void ShowOutputBar(bool show) override;
    void LeaveHiddenRun() override;

protected:
    DECLARE_MESSAGE_MAP()
};

// The application object; null outside the IDE.
CVeldraApp* GetVeldraApp();

// The web addresses of the About box and Help "&Web-page".
extern const char* const kVeldraSiteAddress;
extern const char* const kVeldraUpdatesAddress;
