#pragma once
// The frame's toolbar and status bar, shared by the plot and console frames:
// a flat dockable toolbar at the top made from a toolbar resource, and a
// status bar with the frame's panes. The tables the bars are made from
// (buttons, tips, prompts) stay readable for the tests.
#include <memory>
#include <string>
#include <vector>

#include "platform/afx/frame_wnd.h"

// The bars are held by pointer: the bars header defines the standard view
// command ids as macros, which the resource enums of the frames name too.
class CToolBar;
class CStatusBar;

class CDeviceFrameBars {
public:
    // Creates and docks both bars on `frame`; false (the frame is not
    // created) when a resource is missing or a bar cannot be made.
    bool Create(CFrameWnd* frame, UINT toolbarId, const UINT* panes, size_t paneCount);

    struct Button {
        UINT id = 0;            // 0: separator
        std::string toolTip;    // the command's short text
        std::string prompt;     // shown in the message pane
    };
    const std::vector<Button>& Buttons() const { return m_buttons; }
    const std::vector<UINT>& Panes() const { return m_panes; }
    SIZE ButtonSize() const { return m_buttonSize; }
    // The text of a status pane (1 is the plane read-out); out of range does nothing.
    void SetPaneText(size_t index, const std::string& text);
    std::string PaneText(size_t index) const;

    bool ToolbarVisible() const;
    bool StatusBarVisible() const;
    void ShowToolbar(bool show);
    void ShowStatusBar(bool show);
    // Both bars' visibility: 1 toolbar, 2 status bar.
    int VisibleMask() const { return (ToolbarVisible() ? 1 : 0) | (StatusBarVisible() ? 2 : 0); }

    CDeviceFrameBars();
    ~CDeviceFrameBars();
    CToolBar& ToolBar() { return *m_wndToolBar; }
    CStatusBar& StatusBar() { return *m_wndStatusBar; }

private:
    CFrameWnd* m_frame = nullptr;
    std::unique_ptr<CToolBar> m_wndToolBar;
    std::unique_ptr<CStatusBar> m_wndStatusBar;
    HIMAGELIST m_disabled = nullptr;   // the toolbar's greyed images (ours)
    std::vector<Button> m_buttons;
    std::vector<UINT> m_panes;
    SIZE m_buttonSize{0, 0};
};
