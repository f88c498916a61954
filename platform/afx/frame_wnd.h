#pragma once
// CFrameWnd: a frame with a menu, accelerators, a title and a view in its
// client area. Commands route active view (then its document and template),
// frame, thread/application. The title is "<doc title> - <app title>".
// WM_CLOSE first ends the thread's innermost nested loop as cancelled; only
// a WM_CLOSE with no loop running closes the frame. Docking bars (a later
// layer) take their space in RecalcLayout before the view gets the rest.
#include <string>
#include <vector>

#include "platform/afx/view_frame.h"
#include "platform/afx/wnd.h"

class CView;
class CControlBar;
class CCmdUI;
class CDocument;
struct CCreateContext;

// Sent to every descendant once the frame has its document.
#define WM_INITIALUPDATE 0x0364u
// wParam: a string id, or 0 with lParam the text; for the message pane.
#define WM_SETMESSAGESTRING 0x0362u

class CFrameWnd : public CWnd, public IViewFrame {
    DECLARE_DYNCREATE(CFrameWnd)
public:
    CFrameWnd();
    ~CFrameWnd() override;

    // Title (first part of the string), menu and accelerators of the id.
    virtual BOOL LoadFrame(UINT idResource, DWORD style = WS_OVERLAPPEDWINDOW, CWnd* parent = nullptr,
                           CCreateContext* context = nullptr);
    BOOL Create(const char* className, const char* windowName, DWORD style = WS_OVERLAPPEDWINDOW,
                const RECT& rect = RECT{CW_USEDEFAULT, CW_USEDEFAULT, 0, 0}, CWnd* parent = nullptr, const char* menuName = nullptr,
                DWORD exStyle = 0, CCreateContext* context = nullptr);
    virtual BOOL OnCreateClient(CREATESTRUCT* cs, CCreateContext* context);
    CWnd* CreateView(CCreateContext* context, UINT id = 0xE900u);
    virtual void InitialUpdateFrame(CDocument* doc, BOOL makeVisible);
    virtual void ActivateFrame(int cmdShow = -1);

    CView* GetActiveView() const override;
    void SetActiveView(CView* view, BOOL notify = TRUE) override;
    virtual CDocument* GetActiveDocument();
    virtual CFrameWnd* GetActiveFrame() { return this; }

    void RecalcLayout(BOOL notify = TRUE) override;
    // The client rectangle left for the view once bars have taken theirs.
    virtual void GetViewRect(RECT* r);
    void OnUpdateFrameTitle(BOOL addToTitle) override;
    CWnd* FrameWnd() override { return this; }
    void SetTitle(const char* title) { m_strTitle = title ? title : ""; }
    const std::string& GetTitle() const { return m_strTitle; }

    // Bars: dock bars on the sides the style allows, docking, floating,
    // showing. A layout asked for during a layout runs at idle.
    void EnableDocking(DWORD dockStyle);
    void DockControlBar(CControlBar* bar, UINT dockBarId = 0, const RECT* rect = nullptr);
    void FloatControlBar(CControlBar* bar, POINT pt, DWORD style = 0x2000u);
    void ShowControlBar(CControlBar* bar, BOOL show, BOOL delay);
    CControlBar* GetControlBar(UINT id) const;
    const std::vector<CControlBar*>& ControlBars() const { return m_listControlBars; }
    void AddControlBar(CControlBar* bar);
    void RemoveControlBar(CControlBar* bar);
    void DelayRecalcLayout(BOOL notify = TRUE);
    // Places the bars (unless `query`) and returns the rectangle left over.
    void RepositionBars(RECT* leftOver, bool query);
    void SetMessageText(const char* text);
    void SetMessageText(UINT id);
    BOOL OnBarCheck(UINT id);
    void OnUpdateControlBarMenu(CCmdUI* ui);
    void OnUpdateKeyIndicator(CCmdUI* ui);
    LRESULT OnIdleUpdateCmdUI(WPARAM, LPARAM);
    LRESULT OnSetMessageString(WPARAM, LPARAM);
    // The highlighted menu item's prompt goes to the message pane.
    LRESULT OnMenuSelectPrompt(WPARAM, LPARAM);
    // Saved bar state: sections "<name>-Bars" and "<name>-Bar-<id>" of the
    // application's settings file.
    void SaveBarState(const char* name) const;
    // FALSE (and nothing changed) when the saved state is absent or does not
    // fit this frame's bars.
    BOOL LoadBarState(const char* name);

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    void PostNcDestroy() override;

    HACCEL m_hAccelTable = nullptr;
    HMENU m_hMenuDefault = nullptr;
    UINT m_nIDHelp = 0;
    bool m_bCreatedWindow = false;
    BOOL m_bAutoMenuEnable = TRUE;

    int OnCreate(CREATESTRUCT* cs);
    void OnDestroy();
    void OnClose();
    void OnSize(UINT type, int cx, int cy);
    void OnSetFocus(HWND old);
    BOOL OnEraseBkgnd(HDC) { return TRUE; }

protected:
    DECLARE_MESSAGE_MAP()
    // Whether closing this frame ends the thread's application.
    bool IsMainFrame() const;

    std::string m_strTitle;
    CView* m_pViewActive = nullptr;
    CCreateContext* m_pCreateContext = nullptr;
    std::vector<CControlBar*> m_listControlBars;
    bool m_bInRecalcLayout = false;
    bool m_bLayoutDue = false;
    // Moves the client window (view or MDI client) into the rectangle.
    virtual void PlaceClient(const RECT& r);
    // The frame is going: floating bars go first, the rest forget it.
    void DestroyFloatingBars();
};
