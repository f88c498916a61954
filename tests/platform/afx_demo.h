#pragma once
// The framework demos in the test executable: a text document, a scrolling
// view that logs what it paints and prints, an MDI application (the program
// module) and an SDI application in a module state of its own. The SDI demo
// that runs on its own thread is a library (tests/modules/afx_sdi_demo).
#include <atomic>
#include <string>
#include <vector>

#include "platform/afx/afx.h"
#include "platform/afx/control_bar.h"

enum {
    IDR_DEMO = 128,
    ID_DEMO_ASK = 0x8101,
    WM_DEMO_PING = WM_APP + 7,
    ID_DEMO_UNHANDLED = 0x8102,   // on the toolbar, with no handler anywhere
    ID_BAR_A = 0xE810,
    ID_BAR_B = 0xE811,
};

class CDemoDoc : public CDocument {
    DECLARE_DYNCREATE(CDemoDoc)
public:
    std::string m_text;
    bool m_failSave = false;
    void Serialize(CArchive& ar) override;
    void DeleteContents() override { m_text.clear(); }
    void Append(const std::string& s);
};

class CDemoView : public CScrollView {
    DECLARE_DYNCREATE(CDemoView)
public:
    CDemoDoc* GetDoc() const { return static_cast<CDemoDoc*>(GetDocument()); }
    std::vector<std::string> Lines() const;
    void OnDraw(CDC* dc) override;
    void OnInitialUpdate() override;
    void OnUpdate(CView* sender, LPARAM hint, CObject* obj) override;
    BOOL OnPreparePrinting(CPrintInfo* info) override;
    void OnBeginPrinting(CDC* dc, CPrintInfo* info) override;
    void OnPrint(CDC* dc, CPrintInfo* info) override;
    void OnChar(UINT ch, UINT, UINT);

    static constexpr int kLinesPerPage = 40;
    std::vector<std::string> m_paintLog;               // lines of the last paint
    std::vector<std::vector<std::string>> m_pageLog;   // lines per printed page

protected:
    DECLARE_MESSAGE_MAP()
};

class CDemoSdiFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CDemoSdiFrame)
};

// The MDI frame with bars: toolbar 128 of the program module, a status bar
// and two test bars, all docked on top in rows of their own.
class CDemoMdiFrame : public CMDIFrameWnd {
public:
    CToolBar m_wndToolBar, m_wndBarA, m_wndBarB;
    CStatusBar m_wndStatusBar;
    int OnCreate(CREATESTRUCT* cs);

protected:
    DECLARE_MESSAGE_MAP()
};

class CDemoMdiApp : public CWinApp {
public:
    explicit CDemoMdiApp(std::string profile, bool bars = false);
    bool m_bBars;
    BOOL InitInstance() override;
    CMDIFrameWnd* Frame() const { return static_cast<CMDIFrameWnd*>(m_pMainWnd); }
};

class CDemoSdiApp : public CWinApp {
public:
    explicit CDemoSdiApp(std::string profile);
    BOOL InitInstance() override;
    HWND m_frame = nullptr;
};

CModuleState* DemoSdiModule();
// Registers the program module's demo resources (once).
void RegisterDemoMdiResources();
