#pragma once
// The grid's drop target and title tip.
#include <string>

#include "platform/afx/ole_drop_target.h"
#include "platform/afx/wnd.h"

class CDataGridCtrl;

// Forwards drag events for the grid's own window to the grid.
class CDataGridOleDropTarget : public COleDropTarget {
public:
    CDataGridCtrl* m_targetGrid = nullptr;
    BOOL m_registered = FALSE;

    // Only a grid can register; a nested call (from inside registration) fails.
    BOOL Register(CWnd* wnd);
    virtual void Revoke();
    DROPEFFECT OnDragEnter(CWnd* wnd, COleDataObject* data, DWORD keyState, POINT pt) override;
    DROPEFFECT OnDragOver(CWnd* wnd, COleDataObject* data, DWORD keyState, POINT pt) override;
    BOOL OnDrop(CWnd* wnd, COleDataObject* data, DROPEFFECT effect, POINT pt) override;
    void OnDragLeave(CWnd* wnd) override;
    // Copy with Ctrl, else move; this keeps the loop from scrolling the grid.
    virtual DROPEFFECT OnDragScroll(CWnd* wnd, DWORD keyState, POINT pt);

private:
    bool IsTarget(CWnd* wnd) const;
};

#define TITLETIP_CLASSNAME "DataGridTitleTip"

// A borderless topmost popup showing a clipped cell text in full. While
// shown it holds the capture and passes presses and keys on to the window
// under the pointer.
class CDataGridTitleTip : public CWnd {
public:
    CDataGridTitleTip();
    ~CDataGridTitleTip() override;

    virtual BOOL Create(CWnd* parent);
    // Rectangles in the grid's client coordinates.
    void Show(RECT titleRect, const std::string& text, int xOffset = 0, const RECT* hoverRect = nullptr,
              const LOGFONT* font = nullptr, COLORREF textColor = 0xFF000000u, COLORREF backColor = 0xFF000000u);
    void Hide();
    BOOL DestroyWindow() override;
    BOOL PreTranslateMessage(MSG* msg) override;

    CWnd* m_ownerGrid = nullptr;
    RECT m_hoverRect{0, 0, 0, 0};
    DWORD m_lastPressTick = 0xFFFFFFFFu;
    DWORD m_doubleClickTime;
    BOOL m_windowCreated = FALSE;

protected:
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void OnMouseMove(UINT flags, POINT p);
    // Draws the shown text on its background (WM_PAINT, WM_PRINTCLIENT).
    void Paint(HDC dc);

private:
    std::string m_shownText;   // " text ", as Show measured it
    LOGFONT m_font{};
    bool m_hasFont = false;    // else the grid's font
    COLORREF m_textColor = 0xFF000000u;
    COLORREF m_backColor = 0xFF000000u;
};
