#pragma once
// CWnd: the C++ object of a window. The handle map ties a window to its
// object; windows of the framework's classes are attached at their first
// message, other windows are subclassed. Every message goes through one
// dispatcher that makes the window's module state current, catches every
// exception (the standard report, the failure value) and never touches the
// object after WM_NCDESTROY: PostNcDestroy (which may delete the object)
// runs when the window's outermost dispatch returns. A WM_DESTROY or
// WM_NCDESTROY that the window manager did not generate is ignored.
#include <string>

#include "platform/afx/cmd_target.h"
#include "platform/afx/module_state.h"
#include "platform/gdi/gdi.h"

class CFrameWnd;
class CDataExchange;

class CWnd : public CCmdTarget {
    DECLARE_DYNCREATE(CWnd)
public:
    HWND m_hWnd = nullptr;

    CWnd();
    // Destroys a window still attached (on its own thread).
    ~CWnd() override;

    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    // The permanent object of a window, else a temporary one kept until the
    // thread's next idle time. Null for null or a stale handle.
    static CWnd* FromHandle(HWND hwnd);
    static CWnd* FromHandlePermanent(HWND hwnd);
    static void DeleteTempMap();

    BOOL Attach(HWND hwnd);
    HWND Detach();
    // Routes a window of another class through this object; the old
    // procedure becomes the default.
    BOOL SubclassWindow(HWND hwnd);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();
    // Before a window of another class is routed through this object (a
    // control from a template, or one created in code).
    virtual void PreSubclassWindow() {}

    // A null class name takes the framework's own class.
    BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y, int cx, int cy,
                  HWND parent, HMENU menuOrId, void* param = nullptr);
    BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, const RECT& rect, CWnd* parent,
                  UINT id, void* param = nullptr);
    virtual BOOL Create(const char* className, const char* windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                        void* context = nullptr);
    virtual BOOL DestroyWindow();

    virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
    virtual BOOL PreTranslateMessage(MSG* msg);
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default();
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    // A notification the parent reflects back; TRUE when this control took it.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // After the window is gone; the object may delete itself here.
    virtual void PostNcDestroy() {}
    virtual void OnInitMenuPopup(HMENU popup, UINT index, BOOL sysMenu);

    // DDX/DDV over the window's children.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    virtual void DoDataExchange(CDataExchange* pDX);

    // Relations.
    CWnd* GetParent() const;
    CWnd* GetOwner() const;
    void SetOwner(CWnd* owner) { m_hWndOwner = owner ? owner->m_hWnd : nullptr; }
    CFrameWnd* GetParentFrame() const;
    CFrameWnd* GetTopLevelFrame() const;
    CWnd* GetTopLevelParent() const;
    CWnd* GetDlgItem(int id) const;
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, BOOL deep = TRUE);

    // Thin wrappers.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const { return ::SendMessage(m_hWnd, message, wParam, lParam); }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const { return ::PostMessage(m_hWnd, message, wParam, lParam); }
    void SetWindowText(const std::string& text) { ::SetWindowText(m_hWnd, text.c_str()); }
    std::string GetWindowText() const;
    void SetDlgItemText(int id, const std::string& text);
    std::string GetDlgItemText(int id) const;
    BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    void GetClientRect(RECT* r) const { ::GetClientRect(m_hWnd, r); }
    void GetWindowRect(RECT* r) const { ::GetWindowRect(m_hWnd, r); }
    void MoveWindow(const RECT& r, BOOL repaint = TRUE) { ::MoveWindow(m_hWnd, r.left, r.top, r.right - r.left, r.bottom - r.top, repaint); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
    DWORD GetStyle() const { return (DWORD)::GetWindowLongPtr(m_hWnd, GWL_STYLE); }
    DWORD GetExStyle() const { return (DWORD)::GetWindowLongPtr(m_hWnd, GWL_EXSTYLE); }
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse) { return ::SetTimer(m_hWnd, id, elapse, nullptr); }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
    HMENU GetMenu() const { return ::GetMenu(m_hWnd); }
    int MessageBox(const char* text, const char* caption = nullptr, UINT type = 0);
    void CenterWindow(CWnd* alternateOwner = nullptr);

    // The module state the window was created under; its messages run with it.
    CModuleState* m_pModuleState;
    // Set to true (when not null) just before PostNcDestroy runs: a caller
    // that may see the object end (a failed Create) watches it instead of
    // touching the object.
    bool* m_pEndedFlag = nullptr;

protected:
    DECLARE_MESSAGE_MAP()

    friend LRESULT AfxWndProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT AfxCallWndProc(CWnd*, HWND, UINT, WPARAM, LPARAM);
    friend class CWndProtector;

    WNDPROC m_pfnSuper = nullptr;
    HWND m_hWndOwner = nullptr;
    int m_nDispatchDepth = 0;
    bool m_bPostNcDestroyDue = false;
};

// Keeps a window's object alive for a scope, as a dispatch does: a window
// destroyed meanwhile has m_hWnd null, and its PostNcDestroy runs when the
// last protector (or dispatch) ends. Methods that send messages and then go
// on use it and check m_hWnd.
class CWndProtector {
public:
    explicit CWndProtector(CWnd* wnd);
    ~CWndProtector();
    CWndProtector(const CWndProtector&) = delete;
    CWndProtector& operator=(const CWndProtector&) = delete;

private:
    CWnd* m_wnd;
};

// The message being dispatched on this thread (for Default()).
const MSG* AfxGetCurrentMessage();
LRESULT AfxCallWndProc(CWnd* wnd, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// The procedure of every framework window class.
LRESULT AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Registers (once per process) and returns the framework's window class name
// for the class style (and whether it is a dialog).
const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr, HBRUSH background = nullptr, HICON icon = nullptr);
