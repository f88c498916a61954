// The frame's bars (see frame_bars.h).
#include "devices/framework/frame_bars.h"

#include <cstdio>

#include "platform/afx/control_bar.h"
#include "platform/afx/module_bitmaps.h"
#include "platform/controls/controls.h"

CDeviceFrameBars::CDeviceFrameBars() : m_wndToolBar(new CToolBar), m_wndStatusBar(new CStatusBar) {}

CDeviceFrameBars::~CDeviceFrameBars()
{
    if (m_disabled) ImageList_Destroy(m_disabled);
}

namespace {

// The disabled look of the strip: its transparent parts (white once loaded)
// and its magenta mask colour become the mask colour, every drawn pixel the
// shadow colour.
HIMAGELIST GreyedStrip(UINT toolbarId, int cx, int cy)
{
    char name[16];
    std::snprintf(name, sizeof name, "%u", toolbarId);
    HBITMAP strip = AfxLoadBitmap(name);
    if (!strip) return nullptr;
    BITMAP info{};
    GetObject(strip, sizeof info, &info);
    const int w = info.bmWidth, h = info.bmHeight;
    HIMAGELIST list = nullptr;
    HDC screen = GetDC(nullptr);
    HDC src = CreateCompatibleDC(screen), dst = CreateCompatibleDC(screen);
    HBITMAP grey = CreateBitmap(w > 0 ? w : 1, h > 0 ? h : 1, 1, 24, nullptr);
    HGDIOBJ oldSrc = SelectObject(src, strip), oldDst = SelectObject(dst, grey);
    const COLORREF key = RGB(255, 0, 255), shadow = GetSysColor(COLOR_BTNSHADOW);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const COLORREF px = GetPixel(src, x, y);
            SetPixel(dst, x, y, px == RGB(255, 255, 255) || px == key ? key : shadow);
        }
    SelectObject(src, oldSrc);
    SelectObject(dst, oldDst);
    DeleteDC(src);
    DeleteDC(dst);
    ReleaseDC(nullptr, screen);
    if (w >= cx && h >= cy) {
        list = ImageList_Create(cx, cy, ILC_COLOR32 | ILC_MASK, 8, 0);
        ImageList_AddMasked(list, grey, key);
    }
    DeleteObject(grey);
    DeleteObject(strip);
    return list;
}

}  // namespace

bool CDeviceFrameBars::Create(CFrameWnd* frame, UINT toolbarId, const UINT* panes, size_t paneCount)
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
    m_disabled = GreyedStrip(toolbarId, toolbar.width, toolbar.height);
    if (m_disabled) m_wndToolBar->GetToolBarCtrl().Send(TB_SETDISABLEDIMAGELIST, 0, (LPARAM)m_disabled);
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

void CDeviceFrameBars::SetPaneText(size_t index, const std::string& text)
{
    if (m_wndStatusBar->m_hWnd && index < (size_t)m_wndStatusBar->GetCount())
        m_wndStatusBar->SetPaneText((int)index, text.c_str());
}

std::string CDeviceFrameBars::PaneText(size_t index) const
{
    if (!m_wndStatusBar->m_hWnd || index >= (size_t)m_wndStatusBar->GetCount()) return {};
    return m_wndStatusBar->GetPaneText((int)index);
}

bool CDeviceFrameBars::ToolbarVisible() const { return m_wndToolBar->m_hWnd && m_wndToolBar->IsVisible(); }

bool CDeviceFrameBars::StatusBarVisible() const { return m_wndStatusBar->m_hWnd && m_wndStatusBar->IsVisible(); }

void CDeviceFrameBars::ShowToolbar(bool show)
{
    if (m_frame && m_wndToolBar->m_hWnd) m_frame->ShowControlBar(m_wndToolBar.get(), show, FALSE);
}

void CDeviceFrameBars::ShowStatusBar(bool show)
{
    if (m_frame && m_wndStatusBar->m_hWnd) m_frame->ShowControlBar(m_wndStatusBar.get(), show, FALSE);
}
