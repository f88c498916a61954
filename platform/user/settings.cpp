// System metrics, colours and parameters: fixed tables behind a lock.
#include "platform/user/message.h"
#include "platform/user/settings.h"
#include "platform/user/window_internal.h"

#include <cstring>

namespace {

struct Settings {
    std::mutex lock;
    int metrics[SM_COUNT];
    RECT workArea;
    UINT wheelLines;
    BOOL dragFullWindows;
    BOOL gradientCaptions;
};

void FillDefaults(Settings& s)
{
    static const struct { int index, value; } metrics[] = {
        {SM_CXSCREEN, 1920}, {SM_CYSCREEN, 1080}, {SM_CXVSCROLL, 16}, {SM_CYHSCROLL, 16}, {SM_CYCAPTION, 18},
        {SM_CXBORDER, 1}, {SM_CYBORDER, 1}, {SM_CXDLGFRAME, 3}, {SM_CYDLGFRAME, 3}, {SM_CYVTHUMB, 16},
        {SM_CXHTHUMB, 16}, {SM_CXICON, 32}, {SM_CYICON, 32}, {SM_CXCURSOR, 32}, {SM_CYCURSOR, 32},
        {SM_CYMENU, 19}, {SM_CXFULLSCREEN, 1920}, {SM_CYFULLSCREEN, 1062}, {SM_CYVSCROLL, 16},
        {SM_CXHSCROLL, 16}, {SM_CXMIN, 112}, {SM_CYMIN, 27}, {SM_CXSIZE, 18}, {SM_CYSIZE, 18},
        {SM_CXFRAME, 4}, {SM_CYFRAME, 4}, {SM_CXMINTRACK, 112}, {SM_CYMINTRACK, 27}, {SM_CXDOUBLECLK, 4},
        {SM_CYDOUBLECLK, 4}, {SM_CMOUSEBUTTONS, 3}, {SM_CXEDGE, 2}, {SM_CYEDGE, 2}, {SM_CXSMICON, 16},
        {SM_CYSMICON, 16}, {SM_CYSMCAPTION, 15}, {SM_CXSMSIZE, 15}, {SM_CYSMSIZE, 15}, {SM_CXMENUSIZE, 18},
        {SM_CYMENUSIZE, 18}, {SM_CXMAXTRACK, 1932}, {SM_CYMAXTRACK, 1092}, {SM_CXMAXIMIZED, 1928},
        {SM_CYMAXIMIZED, 1088}, {SM_CXDRAG, 4}, {SM_CYDRAG, 4}, {SM_CXMENUCHECK, 13}, {SM_CYMENUCHECK, 13},
        {SM_MOUSEWHEELPRESENT, 1}, {SM_CXVIRTUALSCREEN, 1920}, {SM_CYVIRTUALSCREEN, 1080}, {SM_CMONITORS, 1},
    };
    memset(s.metrics, 0, sizeof s.metrics);
    for (auto& m : metrics) s.metrics[m.index] = m.value;
    s.workArea = RECT{0, 0, 1920, 1080};
    s.wheelLines = 3;
    s.dragFullWindows = TRUE;
    s.gradientCaptions = TRUE;
}

Settings& Table()
{
    static Settings* s = [] {
        auto* t = new Settings;
        FillDefaults(*t);
        return t;
    }();
    return *s;
}

// Every top-level window hears of a change; windows of other threads get it
// posted, so a thread that does not pump never blocks the caller.
void Announce(UINT message, WPARAM wParam)
{
    std::vector<HWND> tops;
    {
        std::lock_guard<std::mutex> g(WindowLock());
        tops = TopLevelOrderLocked();
    }
    DWORD self = GetCurrentThreadId();
    for (HWND h : tops) {
        if (std::shared_ptr<CThreadData> owner = OwnerOf(h); owner && owner->id == self)
            SendMessage(h, message, wParam, 0);
        else
            PostMessage(h, message, wParam, 0);
    }
}

}  // namespace

LOGFONT UiLogFont()
{
    LOGFONT lf{};
    lf.lfHeight = -12;
    lf.lfWeight = 400;
    strcpy(lf.lfFaceName, "DejaVu Sans");
    return lf;
}

int GetSystemMetrics(int index)
{
    if (index < 0 || index >= SM_COUNT) return 0;
    Settings& s = Table();
    std::lock_guard<std::mutex> g(s.lock);
    return s.metrics[index];
}

void SetSystemMetric(int index, int value)
{
    if (index < 0 || index >= SM_COUNT) return;
    {
        Settings& s = Table();
        std::lock_guard<std::mutex> g(s.lock);
        s.metrics[index] = value;
    }
    Announce(WM_SETTINGCHANGE, 0);
}

void ResetSystemSettings()
{
    Settings& s = Table();
    {
        std::lock_guard<std::mutex> g(s.lock);
        FillDefaults(s);
    }
    ResetSysColors();
}

BOOL SystemParametersInfo(UINT action, UINT uiParam, void* pv, UINT winIni)
{
    Settings& s = Table();
    bool changed = false;
    {
        std::lock_guard<std::mutex> g(s.lock);
        switch (action) {
        case SPI_GETWORKAREA:
            if (!pv) return FALSE;
            *(RECT*)pv = s.workArea;
            return TRUE;
        case SPI_SETWORKAREA:
            if (!pv) return FALSE;
            s.workArea = *(const RECT*)pv;
            changed = true;
            break;
        case SPI_GETWHEELSCROLLLINES:
            if (!pv) return FALSE;
            *(UINT*)pv = s.wheelLines;
            return TRUE;
        case SPI_SETWHEELSCROLLLINES:
            s.wheelLines = uiParam;
            changed = true;
            break;
        case SPI_GETDRAGFULLWINDOWS:
            if (!pv) return FALSE;
            *(BOOL*)pv = s.dragFullWindows;
            return TRUE;
        case SPI_SETDRAGFULLWINDOWS:
            s.dragFullWindows = uiParam != 0;
            changed = true;
            break;
        case SPI_GETGRADIENTCAPTIONS:
            if (!pv) return FALSE;
            *(BOOL*)pv = s.gradientCaptions;
            return TRUE;
        case SPI_SETGRADIENTCAPTIONS:
            s.gradientCaptions = pv != nullptr;
            changed = true;
            break;
        case SPI_GETBORDER:
            if (!pv) return FALSE;
            *(int*)pv = 1;
            return TRUE;
        case SPI_GETKEYBOARDCUES:
        case SPI_GETFLATMENU:
            if (!pv) return FALSE;
            *(BOOL*)pv = FALSE;
            return TRUE;
        case SPI_GETICONTITLELOGFONT:
            if (!pv) return FALSE;
            *(LOGFONT*)pv = UiLogFont();
            return TRUE;
        case SPI_GETNONCLIENTMETRICS: {
            auto* m = (NONCLIENTMETRICS*)pv;
            if (!m) return FALSE;
            UINT size = m->cbSize;
            *m = NONCLIENTMETRICS{};
            m->cbSize = size;
            m->iBorderWidth = 1;
            m->iScrollWidth = s.metrics[SM_CXVSCROLL];
            m->iScrollHeight = s.metrics[SM_CYHSCROLL];
            m->iCaptionWidth = s.metrics[SM_CXSIZE];
            m->iCaptionHeight = s.metrics[SM_CYCAPTION];
            m->iSmCaptionWidth = s.metrics[SM_CXSMSIZE];
            m->iSmCaptionHeight = s.metrics[SM_CYSMCAPTION];
            m->iMenuWidth = s.metrics[SM_CXMENUSIZE];
            m->iMenuHeight = s.metrics[SM_CYMENUSIZE];
            m->lfCaptionFont = m->lfSmCaptionFont = m->lfMenuFont = m->lfStatusFont = m->lfMessageFont = UiLogFont();
            m->lfCaptionFont.lfWeight = 700;
            return TRUE;
        }
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
    }
    if (changed && (winIni & SPIF_SENDCHANGE)) Announce(WM_SETTINGCHANGE, action);
    return TRUE;
}
