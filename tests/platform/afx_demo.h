#pragma once
// The framework demos: a text document, a scrolling view that logs what it
// paints and prints, an MDI application (the test executable's module) and
// an SDI application in a module state of its own, run on its own thread.
#include <atomic>
#include <string>
#include <vector>

#include "platform/afx/afx.h"

enum {
    IDR_DEMO = 128,
    IDD_DEMO_ASK = 200,
    IDC_DEMO_NUMBER = 201,
    ID_DEMO_ASK = 0x8101,
    WM_DEMO_PING = WM_APP + 7,
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

// The SDI frame: a modal dialog on ID_DEMO_ASK, and an answer to
// WM_DEMO_PING from other threads.
class CDemoSdiFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CDemoSdiFrame)
public:
    void OnAsk();
    LRESULT OnPing(WPARAM w, LPARAM);
    static std::atomic<int> s_lastModalResult;
    static HANDLE s_dialogOpen;   // set while the dialog shows

protected:
    DECLARE_MESSAGE_MAP()
};

class CDemoMdiApp : public CWinApp {
public:
    explicit CDemoMdiApp(std::string profile);
    BOOL InitInstance() override;
    CMDIFrameWnd* Frame() const { return static_cast<CMDIFrameWnd*>(m_pMainWnd); }
};

class CDemoSdiApp : public CWinApp {
public:
    explicit CDemoSdiApp(std::string profile);
    BOOL InitInstance() override;
    HANDLE m_ready;                 // set once the frame is up
    std::atomic<HWND> m_frame{nullptr};
};

CModuleState* DemoSdiModule();
// Registers the program module's demo resources (once).
void RegisterDemoMdiResources();
