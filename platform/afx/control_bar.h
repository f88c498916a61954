#pragma once
// Control bars: a bar docks on a side of its frame in a dock bar (rows of
// bars), or floats in a mini frame of its own. CToolBar and CStatusBar host
// the toolbar and status-bar controls; a bar's buttons and panes follow the
// command routing at idle (WM_IDLEUPDATECMDUI).
#include <string>
#include <vector>

#include "platform/afx/afx_controls.h"
#include "platform/afx/afx_ids.h"
#include "platform/afx/cmd_ui.h"
#include "platform/afx/frame_wnd.h"

// Bar styles: the low 16 bits and the gripper are the bar's own; the rest
// are window styles.
#define CBRS_ALIGN_LEFT 0x1000u
#define CBRS_ALIGN_TOP 0x2000u
#define CBRS_ALIGN_RIGHT 0x4000u
#define CBRS_ALIGN_BOTTOM 0x8000u
#define CBRS_ALIGN_ANY 0xF000u
#define CBRS_BORDER_LEFT 0x0100u
#define CBRS_BORDER_TOP 0x0200u
#define CBRS_BORDER_RIGHT 0x0400u
#define CBRS_BORDER_BOTTOM 0x0800u
#define CBRS_BORDER_ANY 0x0F00u
#define CBRS_TOOLTIPS 0x0010u
#define CBRS_FLYBY 0x0020u
#define CBRS_FLOAT_MULTI 0x0040u
#define CBRS_BORDER_3D 0x0080u
#define CBRS_HIDE_INPLACE 0x0008u
#define CBRS_SIZE_DYNAMIC 0x0004u
#define CBRS_SIZE_FIXED 0x0002u
#define CBRS_FLOATING 0x0001u
#define CBRS_GRIPPER 0x00400000u
#define CBRS_ORIENT_HORZ (CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM)
#define CBRS_ORIENT_VERT (CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT)
#define CBRS_TOP (CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM)
#define CBRS_BOTTOM (CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP)
#define CBRS_LEFT (CBRS_ALIGN_LEFT | CBRS_BORDER_RIGHT)
#define CBRS_RIGHT (CBRS_ALIGN_RIGHT | CBRS_BORDER_LEFT)
#define CBRS_ALL 0x0040FFFFu

// CalcDynamicLayout modes.
#define LM_STRETCH 0x01u
#define LM_HORZ 0x02u
#define LM_MRUWIDTH 0x04u
#define LM_HORZDOCK 0x08u
#define LM_VERTDOCK 0x10u
#define LM_LENGTHY 0x20u
#define LM_COMMIT 0x40u

#define AFX_IDW_DOCKBAR_TOP 0xE81Bu
#define AFX_IDW_DOCKBAR_LEFT 0xE81Cu
#define AFX_IDW_DOCKBAR_RIGHT 0xE81Du
#define AFX_IDW_DOCKBAR_BOTTOM 0xE81Eu
#define AFX_IDW_DOCKBAR_FLOAT 0xE81Fu
#define ID_VIEW_TOOLBAR 0xE800u
#define ID_VIEW_STATUS_BAR 0xE801u
#define ID_INDICATOR_EXT 0xE700u
#define ID_INDICATOR_CAPS 0xE701u
#define ID_INDICATOR_NUM 0xE702u
#define ID_INDICATOR_SCRL 0xE703u
#define ID_SEPARATOR 0u

// A placeholder entry of a dock bar (a bar that left it) and the row break
// in saved state.
#define AFX_BAR_PLACEHOLDER 0x10000u

class CDockBar;
class CDockContext;
class CMiniDockFrameWnd;

class CControlBar : public CWnd {
    DECLARE_DYNAMIC(CControlBar)
public:
    CControlBar();
    ~CControlBar() override;

    void EnableDocking(DWORD dockStyle);
    DWORD GetBarStyle() const { return m_dwStyle; }
    void SetBarStyle(DWORD style);
    BOOL IsFloating() const;
    BOOL IsHorz() const;
    // Visible, or to be shown at the next layout.
    BOOL IsVisible() const;
    CFrameWnd* GetDockingFrame() const;
    void DelayShow(BOOL show);

    virtual SIZE CalcFixedLayout(BOOL stretch, BOOL horz);
    virtual SIZE CalcDynamicLayout(int length, DWORD mode);
    virtual void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) = 0;
    // The rectangle inside the borders and the gripper.
    virtual void CalcInsideRect(RECT& rect, BOOL horz) const;
    virtual void DoPaint(HDC dc);
    BOOL IsDockBar() const { return m_bDockBar; }
    virtual void OnBarStyleChange(DWORD, DWORD) {}
    // The bar's window is going (before its children).
    virtual void OnDestroyBar() {}

    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    BOOL DestroyWindow() override;
    void PostNcDestroy() override;

    void OnPaint();
    BOOL OnEraseBkgnd(HDC) { return TRUE; }
    void OnLButtonDown(UINT flags, POINT pt);
    void OnLButtonDblClk(UINT flags, POINT pt);
    void OnDestroy();
    LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);
    void OnSize(UINT, int, int);

    DWORD m_dwStyle = 0;
    DWORD m_dwDockStyle = 0;
    CFrameWnd* m_pDockSite = nullptr;
    CDockBar* m_pDockBar = nullptr;
    CDockContext* m_pDockContext = nullptr;
    BOOL m_bAutoDelete = FALSE;
    enum StateFlags { delayHide = 1, delayShow = 2 };
    UINT m_nStateFlags = 0;
    int m_cxLeftBorder = 2, m_cxRightBorder = 2, m_cyTopBorder = 2, m_cyBottomBorder = 2;
    // The bar's offset along its dock row (set by a drop, kept by the layout).
    int m_nRowPos = 0;
    // The size the bar took in its last floating layout.
    int m_nMRUWidth = 32767;

    // Creates the bar's window (style: bar and window bits) on `parent`.
    BOOL CreateBar(const char* title, DWORD style, CWnd* parent, UINT id);

protected:
    DECLARE_MESSAGE_MAP()
    bool m_bDockBar = false;
    void Unlink();
};

// One side of a frame (or the inside of a mini frame): rows of bars. A row
// holds bars and placeholders (the ids of bars that left this dock bar and
// return to it).
class CDockBar : public CControlBar {
    DECLARE_DYNAMIC(CDockBar)
public:
    struct Slot {
        CControlBar* bar;   // null: a placeholder
        UINT id;
    };
    explicit CDockBar(BOOL floating = FALSE);
    BOOL Create(CWnd* parent, DWORD style, UINT id);

    // Docks the bar here: at the row and position of `rect` (screen), else
    // in a new last row.
    void DockControlBar(CControlBar* bar, const RECT* rect = nullptr);
    // Takes the bar out; with `placeholder` its place is kept for its return.
    void RemoveControlBar(CControlBar* bar, bool placeholder = false);
    void RemovePlaceholder(UINT id);
    int FindBar(CControlBar* bar, int* row = nullptr) const;
    int GetDockedCount() const;
    int GetDockedVisibleCount() const;
    // Every bar of one row, visible or hidden (placeholders excluded).
    std::vector<CControlBar*> RowBars(size_t row) const;
    const std::vector<std::vector<Slot>>& Rows() const { return m_rows; }
    std::vector<std::vector<Slot>>& Rows() { return m_rows; }

    SIZE CalcFixedLayout(BOOL stretch, BOOL horz) override;
    void OnUpdateCmdUI(CFrameWnd*, BOOL) override {}
    void DoPaint(HDC dc) override;
    // Lays the rows out in `length` along the side; returns the thickness.
    int LayoutRows(int length, bool commit);

    BOOL m_bFloating;
    // The length the frame gives (set before CalcFixedLayout).
    int m_nAvailLength = 0;

protected:
    std::vector<std::vector<Slot>> m_rows;
    void DropEmptyRows();
};

// Dragging a bar: the overlay shows where it will go; release docks or
// floats it, Ctrl keeps it floating, Esc or a lost capture cancels.
class CDockContext {
public:
    explicit CDockContext(CControlBar* bar);
    // Runs the drag loop from a press at `pt` (screen); TRUE when the bar moved.
    BOOL StartDrag(POINT pt);
    // Floating <-> its last docked place.
    void ToggleDocking();
    // Resizes a floating frame by the edge of `hitTest`.
    BOOL StartResize(int hitTest, POINT pt);

    CControlBar* m_pBar;
    CFrameWnd* m_pDockSite;
    UINT m_uMRUDockID = 0;
    RECT m_rectMRUDockPos{};   // screen, of the last docked place
    POINT m_ptMRUFloatPos{CW_USEDEFAULT, CW_USEDEFAULT};
    BOOL m_bDragging = FALSE;
    BOOL m_bCancelled = FALSE;

private:
    // The dock bar under the point that takes the bar, else null.
    CDockBar* DockBarAt(POINT pt, RECT* outline);
};

// The frame of a floating bar: a frameless tool window whose caption, close
// box and thick frame our window manager draws.
class CMiniDockFrameWnd : public CWnd {
    DECLARE_DYNAMIC(CMiniDockFrameWnd)
public:
    CMiniDockFrameWnd();
    BOOL Create(CFrameWnd* parent, DWORD barStyle);
    // Fits the frame to its bar and follows its title and visibility.
    void RecalcLayout(BOOL notify = TRUE);
    CControlBar* GetBar() const;
    void PostNcDestroy() override;

    void OnClose();
    void OnSize(UINT, int, int);
    LRESULT OnNcLButtonDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnNcLButtonDblClk(WPARAM wParam, LPARAM lParam);
    LRESULT OnIdleUpdateCmdUI(WPARAM wParam, LPARAM lParam);

    CDockBar m_wndDockBar{TRUE};
    CFrameWnd* m_pDockSite = nullptr;

protected:
    DECLARE_MESSAGE_MAP()
};

class CToolBar : public CControlBar {
    DECLARE_DYNAMIC(CToolBar)
public:
    CToolBar();
    ~CToolBar() override;
    BOOL Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT id = AFX_IDW_TOOLBAR);
    // Buttons, separators and the image strip of the current module's toolbar.
    BOOL LoadToolBar(UINT id);
    BOOL SetButtons(const UINT* ids, int count);
    BOOL SetBitmap(HBITMAP strip, int cx, int cy);
    CToolBarCtrl& GetToolBarCtrl() { return m_ctrl; }
    int CommandToIndex(UINT id) const;
    UINT GetItemID(int index) const;
    void GetItemRect(int index, RECT* r) const;   // bar client coordinates
    UINT GetButtonStyle(int index) const;
    void SetButtonStyle(int index, UINT style);
    int GetCount() const { return (int)m_ids.size(); }

    SIZE CalcFixedLayout(BOOL stretch, BOOL horz) override;
    SIZE CalcDynamicLayout(int length, DWORD mode) override;
    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnSize(UINT, int, int);

    // Called by the control's hover tracking.
    void OnHover(int index);
    // The tooltip window (CBRS_TOOLTIPS), and the text it last showed.
    HWND GetToolTips() const { return m_tips.m_hWnd; }
    const std::string& LastTip() const { return m_lastTip; }
    void OnDestroyBar() override;

protected:
    DECLARE_MESSAGE_MAP()
    class CInnerCtrl : public CToolBarCtrl {
    public:
        CToolBar* m_pBar = nullptr;
        LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    };
    CInnerCtrl m_ctrl;
    std::vector<UINT> m_ids;
    HIMAGELIST m_images = nullptr;
    SIZE m_sizeButton{23, 22};
    int m_hover = -1;
    CToolTipCtrl m_tips;
    std::vector<UINT> m_tipIds;
    std::string m_lastTip;
    // The tips follow the buttons' places.
    void UpdateTools();
    std::string TipText(UINT id) const;
    // Wraps the buttons into `length` (horizontal) or one per row.
    SIZE WrapButtons(int length, bool vertical);
    SIZE ControlExtent() const;
    SIZE FromInside(SIZE inner, BOOL horz) const;
};

#define SBPS_NORMAL 0x0000u
#define SBPS_NOBORDERS 0x0100u
#define SBPS_POPOUT 0x0200u
#define SBPS_DISABLED 0x04000000u
#define SBPS_STRETCH 0x08000000u

class CStatusBar : public CControlBar {
    DECLARE_DYNAMIC(CStatusBar)
public:
    CStatusBar();
    BOOL Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, UINT id = AFX_IDW_STATUS_BAR);
    // One pane per id (ID_SEPARATOR: the stretching message pane); the
    // width is that of the id's string.
    BOOL SetIndicators(const UINT* ids, int count);
    BOOL SetPaneText(int index, const char* text, BOOL update = TRUE);
    std::string GetPaneText(int index) const;
    void SetPaneInfo(int index, UINT id, UINT style, int width);
    void GetPaneInfo(int index, UINT& id, UINT& style, int& width) const;
    int CommandToIndex(UINT id) const;
    UINT GetItemID(int index) const;
    int GetCount() const { return (int)m_panes.size(); }
    CStatusBarCtrl& GetStatusBarCtrl() { return m_ctrl; }

    SIZE CalcFixedLayout(BOOL stretch, BOOL horz) override;
    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;
    void CalcInsideRect(RECT& rect, BOOL horz) const override;
    void OnSize(UINT, int, int);

protected:
    DECLARE_MESSAGE_MAP()
    struct Pane {
        UINT id;
        UINT style;
        int width;
        std::string text;
    };
    std::vector<Pane> m_panes;
    CStatusBarCtrl m_ctrl;
    void UpdateParts();
};

// A bar made from a dialog template: its controls update at idle through
// the frame's routing (a control whose command nobody handles is disabled);
// keys go to the frames' accelerators before dialog navigation.
class CDialogBar : public CControlBar {
    DECLARE_DYNAMIC(CDialogBar)
public:
    BOOL Create(CWnd* parent, UINT templateId, DWORD style, UINT id);
    SIZE CalcFixedLayout(BOOL stretch, BOOL horz) override;
    void OnUpdateCmdUI(CFrameWnd* target, BOOL disableIfNoHandler) override;
    BOOL PreTranslateMessage(MSG* msg) override;
    SIZE m_sizeDefault{0, 0};
};

// Updates every child control of `dialog` through `target`'s routing.
void AfxUpdateDialogControls(CWnd* dialog, CCmdTarget* target, BOOL disableIfNoHandler);
