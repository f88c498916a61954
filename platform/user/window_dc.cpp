// Window device contexts over gdi's surface DCs: GetDC, GetWindowDC,
// ReleaseDC, BeginPaint and EndPaint.
#include "platform/user/window_dc.h"

#include <algorithm>
#include <map>
#include <mutex>
#include "platform/gdi/surface_dc.h"
#include "platform/user/message.h"
#include "platform/user/input_internal.h"

namespace {

HDC MakeWindowDc(HWND hwnd, bool frame = false)
{
    CSurfaceDcTarget target;
    bool ok = frame ? WindowFrameTarget(hwnd, &target.surface, &target.surfaceOwner, &target.offset, &target.size)
                    : WindowDrawTarget(hwnd, &target.surface, &target.surfaceOwner, &target.offset, &target.size);
    if (!ok) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    target.tag = hwnd;
    // A window that went draws nothing.
    target.tagAlive = [](HWND h) -> BOOL { return FindWindowObject(h) != nullptr; };
    // The window's own visible pixels: clipped by its ancestors, siblings
    // above it (WS_CLIPSIBLINGS) and its children (WS_CLIPCHILDREN).
    std::vector<RECT> visible;
    if (WindowVisibleRects(hwnd, !frame, &visible)) {
        CRegion r;
        for (const RECT& v : visible) r = CRegion::Combine(r, CRegion::FromRect(v), RGN_OR);
        target.visible = std::make_shared<CRegion>(r);
    }
    return CreateSurfaceDC(target);
}

// Windows whose GetDC/GetWindowDC hand out a recording DC (tests).
std::mutex g_redirectLock;
std::map<HWND, HDC> g_redirects;

HDC RedirectedDc(HWND hwnd)
{
    std::lock_guard<std::mutex> g(g_redirectLock);
    auto it = g_redirects.find(hwnd);
    if (it == g_redirects.end()) return nullptr;
    if (!IsStandInDC(it->second)) {
        g_redirects.erase(it);
        return nullptr;
    }
    return it->second;
}

// Window DCs this thread got from GetDC/GetWindowDC and still holds.
thread_local std::vector<HDC> t_heldDcs;

HDC Held(HDC hdc)
{
    if (hdc) t_heldDcs.push_back(hdc);
    return hdc;
}

}  // namespace

void RedirectWindowDC(HWND hwnd, HDC recording)
{
    bool standIn = recording && MakeStandInDC(recording);
    std::lock_guard<std::mutex> g(g_redirectLock);
    if (!standIn) {
        g_redirects.erase(hwnd);
        return;
    }
    g_redirects[hwnd] = recording;
}

void FlushHeldWindowDCs()
{
    for (size_t i = 0; i < t_heldDcs.size();) {
        if (!IsSurfaceDC(t_heldDcs[i])) {
            t_heldDcs.erase(t_heldDcs.begin() + (ptrdiff_t)i);
            continue;
        }
        FlushSurfaceDC(t_heldDcs[i]);
        i++;
    }
}

HDC GetDC(HWND hwnd)
{
    if (HDC r = hwnd ? RedirectedDc(hwnd) : nullptr) {
        SaveDC(r);
        return r;
    }
    if (!hwnd) return CreateScreenDC();
    return Held(MakeWindowDc(hwnd));
}

// The whole window, frame included.
HDC GetWindowDC(HWND hwnd)
{
    if (HDC r = hwnd ? RedirectedDc(hwnd) : nullptr) {
        SaveDC(r);
        return r;
    }
    return hwnd ? Held(MakeWindowDc(hwnd, true)) : GetDC(nullptr);
}

int ReleaseDC(HWND, HDC hdc)
{
    if (IsStandInDC(hdc)) {
        // Handed out in place of a window DC: only its state is put back.
        RestoreDC(hdc, -1);
        return 1;
    }
    if (IsSurfaceDC(hdc))
        FlushSurfaceDC(hdc);
    else if (!IsScreenDC(hdc))
        return 0;
    t_heldDcs.erase(std::remove(t_heldDcs.begin(), t_heldDcs.end(), hdc), t_heldDcs.end());
    DeleteDC(hdc);
    return 1;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps)
{
    if (!ps) return nullptr;
    *ps = PAINTSTRUCT{};
    std::shared_ptr<CWindow> w = FindWindowOrFail(hwnd);
    if (!w) return nullptr;
    // The update region is taken (the window is valid again); the frame
    // paints first, and the caret hides until EndPaint.
    CRegion update;
    bool erase = false, frame = false;
    TakeUpdateRegionEx(hwnd, &update, &erase, &frame);
    if (frame) SendMessage(hwnd, WM_NCPAINT, 1, 0);
    HDC hdc = MakeWindowDc(hwnd);
    if (!hdc) return nullptr;
    CaretPaintHide(hwnd, true);
    ps->rcPaint = update.Empty() ? RECT{0, 0, 0, 0} : update.Box();
    SelectClipRegion(hdc, update);
    ps->hdc = hdc;
    ps->fErase = erase ? SendMessage(hwnd, WM_ERASEBKGND, (WPARAM)hdc, 0) == 0 : FALSE;
    return hdc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps)
{
    if (!ps || !ps->hdc) return FALSE;
    BOOL ok = ReleaseDC(hwnd, ps->hdc) != 0;
    CaretPaintHide(hwnd, false);
    return ok;
}

HWND WindowFromDC(HDC hdc) { return SurfaceDcTag(hdc); }
