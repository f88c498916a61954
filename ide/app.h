#pragma once
// The IDE application: start-up order, the hidden run, help and the About box,
// and the process-wide state the frames, documents and views share.
#include <string>
#include <vector>

#include "platform/afx/afx.h"

class CMainFrame;

// The hidden run: a program opened from the shell runs with no visible window
// until an error shows the frame; set once at start-up.
bool IsHiddenRun();
void SetHiddenRun(bool on);
// Ends the hidden run (an error showed the frame, or the run failed).
void EndHiddenRun();

// The show command the frame uses when it must become visible (SW_*).
int RecordedShowCommand();
void SetRecordedShowCommand(int cmd);

// The IDE's main frame; null before it exists and after it is gone.
CMainFrame* GetMainFrame();

// Help contexts of the windows (the program editor and the tool windows).
enum : unsigned {
    HELP_CONTEXT_EDITOR = 0x20081,
    HELP_CONTEXT_DEFAULT = 0x20080,
};

// The help page fragment for a window's help context (empty: the page top).
// The program editor's context is answered by keyword help, not by this map.
unsigned HelpContextTarget(unsigned context);
std::string HelpContextFragment(unsigned context);

// The help page: <program folder>/Hlp/Veldra.html.
std::string HelpFilePath();
// Opens the help page (with "#fragment" when not empty): xdg-open, or, when
// VELDRA_HEADLESS=1, a record the tests read. A missing page or command gives
// a message box. Returns false when nothing was opened.
bool OpenHelpPage(const std::string& fragment);
// The opens recorded so far in this process (headless).
const std::vector<std::string>& RecordedHelpOpens();
void ClearRecordedHelpOpens();

class CVeldraApp : public CWinApp {
public:
    CVeldraApp();
    ~CVeldraApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;

    // The documents named on the command line; `hidden` makes it a hidden run
    // of the first one.
    std::vector<std::string> m_filesToOpen;
    bool m_hiddenRunRequested = false;
    // The show command the frame starts with (SW_SHOWNORMAL unless hidden).
    int m_nCmdShow = 1;

    CMultiDocTemplate* m_pDocTemplate = nullptr;

    // Context help of a window; see HelpContextFragment.
    void WinHelp(DWORD_PTR data, UINT command);
    // The word at the caret of the active program view.
    std::string GetHelpKeyword();
    // Keyword help: "#word" when the page holds that id, else the warning box
    // and the page.
    void KeywordHelp(const std::string& word);

protected:
    DECLARE_MESSAGE_MAP()
    void OnHelpContents();
    void OnHelpIndex();
    void OnHelpWebPage();
    void OnAppAbout();
    void OnHelpF1();
    void OnUpdateHelp(CCmdUI* ui);
};

// The application object; null outside the IDE.
CVeldraApp* GetVeldraApp();
