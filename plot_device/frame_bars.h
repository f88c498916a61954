#pragma once
// The frame's toolbar and status bar. The control bars of the framework
// (CToolBar, CStatusBar, docking) are not there yet: this seam keeps what
// they are made from (toolbar 128, the five panes) and their shown state,
// so the View menu works and the frame reads back; Create is where the real
// bars are made once they exist.
#include <string>
#include <vector>

#include "platform/afx/afx.h"

class CPlotFrameBars {
public:
    // Loads toolbar 128 and the panes; false (the frame is not created) when
    // a resource is missing.
    bool Create(CFrameWnd* frame, UINT toolbarId, const UINT* panes, size_t paneCount);

    struct Button {
        UINT id = 0;            // 0: separator
        std::string toolTip;    // the command's short text
        std::string prompt;     // shown in the message pane
    };
    const std::vector<Button>& Buttons() const { return m_buttons; }
    const std::vector<UINT>& Panes() const { return m_panes; }
    const std::vector<std::string>& PaneTexts() const { return m_paneTexts; }
    SIZE ButtonSize() const { return m_buttonSize; }
    bool HasImages() const { return m_images != nullptr; }
    // The text of a status pane (1 is the plane read-out); out of range does nothing.
    void SetPaneText(size_t index, const std::string& text)
    {
        if (index < m_paneTexts.size()) m_paneTexts[index] = text;
    }

    bool m_bToolbarVisible = false;
    bool m_bStatusBarVisible = false;

    ~CPlotFrameBars();

private:
    std::vector<Button> m_buttons;
    std::vector<UINT> m_panes;
    std::vector<std::string> m_paneTexts;
    SIZE m_buttonSize{0, 0};
    HBITMAP m_images = nullptr;
};
