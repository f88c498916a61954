#pragma once
// CMainFrame: the IDE's MDI main window. It owns the main and Calc toolbars,
// the status bar and the output bar, loads the settings as it is created and
// saves them as it goes, and starts and shuts down the interpreter side.
#include <cstdint>
#include <vector>

#include "ide/bars/output_bar.h"
#include "platform/afx/cmd_ui.h"
#include "platform/afx/control_bar.h"
#include "platform/afx/mdi_frame_wnd.h"
#include "platform/afx/message_map.h"
#include "platform/afx/object.h"
#include "ui_controls/toolbar/drop_down_toolbar.h"

#ifndef WM_SETICON
#define WM_SETICON 0x0080u
#endif
#ifndef WM_DDE_INITIATE
#define WM_DDE_INITIATE 0x03E0u
#endif

// The Calc toolbar's control id (the main toolbar has the standard one).
constexpr UINT ID_CALC_TOOLBAR = 0xE805;

class CMainFrame : public CMDIFrameWnd {
    DECLARE_DYNCREATE(CMainFrame)
public:
    CMainFrame();
    ~CMainFrame() override;

    CStatusBar m_wndStatusBar;
    CDropDownToolBar m_wndToolBar;
    CDropDownToolBar m_wndCalcBar;
    COutputBar m_wndOutputBar;
    int m_nSettingsVersion = 0;          // "Ver" as read at start-up (0: none)
    std::vector<uint8_t> m_savedPlacement;  // a usable stored "Winpos", else empty
    HMENU m_hMenuDocument = nullptr;        // menu 129, owned

    // "Ln %u, Col %u" in the cursor pane.
    void SetCursorPosText(unsigned line, unsigned column);
    // Docks `bar` on `leftBar`'s row, right of it.
    void DockBarBeside(CControlBar* bar, CControlBar* leftBar);
    // False when no docking state is saved under `profile` or when it names
    // a bar (or a docked bar) this frame does not have.
    bool VerifyBarState(const char* profile);
    bool OutputBarVisible() const;
    // The 44-byte placement SaveSettings stores; in the hidden run the
    // recorded show command stands in it.
    std::vector<uint8_t> PlacementBytes() const;

    BOOL PreTranslateMessage(MSG* msg) override;
    // The program menu while a document is active, else the frame's own.
    void OnUpdateFrameTitle(BOOL addToTitle) override;
    // Children fill the client area (they show maximised).
    void RecalcLayout(BOOL notify = TRUE) override;
    int OnCreate(CREATESTRUCT* cs);
    void OnDestroy();
    LRESULT OnShowOutputBar(WPARAM show, LPARAM message);
    LRESULT OnDDEInitiate(WPARAM, LPARAM);
    LRESULT OnSetIconMessage(WPARAM, LPARAM) { return 0; }
    LRESULT OnHelpNotShown(WPARAM, LPARAM);
    void OnDropFiles(HANDLE drop);

    void OnUpdateCursorPane(CCmdUI* ui);
    void OnViewCalcBar();
    void OnUpdateViewCalcBar(CCmdUI* ui);
    void OnViewOutputBar();
    void OnUpdateViewOutputBar(CCmdUI* ui);
    void OnViewOutput();
    void OnViewEditor();
    void OnUpdateViewEditor(CCmdUI* ui);
    void OnUpdateEnabled(CCmdUI* ui) { ui->Enable(TRUE); }
    void OnToolsAutoCalc();
    // Tools "&Settings..." (veldra_doc_commands.cpp).
    void OnToolsSettings();
    void OnUpdateToolsSettings(CCmdUI* ui);
    void OnUpdateToolsAutoCalc(CCmdUI* ui);

protected:
    DECLARE_MESSAGE_MAP()
};
