// The frame's bars (see frame_bars.h).
#include "plot_device/frame_bars.h"

#include <cstdio>

bool CPlotFrameBars::Create(CFrameWnd*, UINT toolbarId, const UINT* panes, size_t paneCount)
{
    AfxToolbarResource toolbar;
    if (!AfxFindToolbar(toolbarId, toolbar)) return false;
    char name[16];
    std::snprintf(name, sizeof name, "%u", toolbarId);
    m_images = AfxLoadBitmap(name);
    if (!m_images) return false;
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
    m_paneTexts.clear();
    for (UINT id : m_panes) m_paneTexts.push_back(id ? AfxLoadString(id) : std::string());
    m_bToolbarVisible = m_bStatusBarVisible = true;
    return true;
}

CPlotFrameBars::~CPlotFrameBars()
{
    if (m_images) DeleteObject(m_images);
}
