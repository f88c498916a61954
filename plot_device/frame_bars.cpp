// The frame's bars (see frame_bars.h).
#include "plot_device/frame_bars.h"

#include "platform/afx/control_bar.h"

CPlotFrameBars::CPlotFrameBars() : m_wndToolBar(new CToolBar), m_wndStatusBar(new CStatusBar) {}

CPlotFrameBars::~CPlotFrameBars() = default;

bool CPlotFrameBars::Create(CFrameWnd* frame, UINT toolbarId, const UINT* panes, size_t paneCount)
{
    m_frame = frame;
    AfxToolbarResource toolbar;
    if (!frame || !AfxFindToolbar(toolbarId, toolbar)) return false;
    m_buttonSize = SIZE{toolbar.width, toolbar.height};
    m_buttons.clear();
    for (UINT id : toolbar.buttons) {
        Button b;
        b.id = id;
        if (id) {
            std::string text = AfxLoadString(id);
            size_t nl = text.find('\n');
            b.prompt = text.substr(0, nl);
            b.toolTip = nl == std::string::npos ? std::string() : text.substr(nl + 1);
        }
        m_buttons.push_back(b);
    }
    m_panes.assign(panes, panes + paneCount);

    const DWORD barStyle = WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS | CBRS_FLYBY |
                           CBRS_SIZE_DYNAMIC;
    if (!m_wndToolBar->Create(frame, barStyle, AFX_IDW_TOOLBAR) || !m_wndToolBar->LoadToolBar(toolbarId))
        return false;
    if (!m_wndStatusBar->Create(frame, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR) ||
        !m_wndStatusBar->SetIndicators(panes, (int)paneCount))
        return false;
    // Only the message pane stretches; a second separator (the plot read-out)
    // gets a fixed width wide enough for "x = ..., y = ...".
    for (int i = 1; i < (int)paneCount; ++i)
        if (panes[i] == ID_SEPARATOR) m_wndStatusBar->SetPaneInfo(i, ID_SEPARATOR, SBPS_NORMAL, 200);

    m_wndToolBar->EnableDocking(CBRS_ALIGN_ANY);
    frame->EnableDocking(CBRS_ALIGN_ANY);
    frame->DockControlBar(m_wndToolBar.get());
    return true;
}

void CPlotFrameBars::SetPaneText(size_t index, const std::string& text)
{
    if (m_wndStatusBar->m_hWnd && index < (size_t)m_wndStatusBar->GetCount())
        m_wndStatusBar->SetPaneText((int)index, text.c_str());
}

std::string CPlotFrameBars::PaneText(size_t index) const
{
    if (!m_wndStatusBar->m_hWnd || index >= (size_t)m_wndStatusBar->GetCount()) return {};
    return m_wndStatusBar->GetPaneText((int)index);
}

bool CPlotFrameBars::ToolbarVisible() const { return m_wndToolBar->m_hWnd && m_wndToolBar->IsVisible(); }

bool CPlotFrameBars::StatusBarVisible() const { return m_wndStatusBar->m_hWnd && m_wndStatusBar->IsVisible(); }

void CPlotFrameBars::ShowToolbar(bool show)
{
    if (m_frame && m_wndToolBar->m_hWnd) m_frame->ShowControlBar(m_wndToolBar.get(), show, FALSE);
}

void CPlotFrameBars::ShowStatusBar(bool show)
{
    if (m_frame && m_wndStatusBar->m_hWnd) m_frame->ShowControlBar(m_wndStatusBar.get(), show, FALSE);
}
