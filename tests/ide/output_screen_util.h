#pragma once
// Reading what the output bar shows: the pixels of one of its lines in the
// headless back end's image, after the control has painted everything.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "ide/bars/output_bar.h"
#include "platform/backend/headless.h"
#include "platform/backend/headless_input.h"

namespace output_screen {

// What the screen shows of one output line: pixels of the control's line
// box in its top-level window's image, sorted by hue.
struct LineInk {
    int red = 0, green = 0, dark = 0;   // dark: black ink (grey never gets this dark)
    int left = INT32_MAX, right = -1;   // ink columns, control client coordinates
    int top = INT32_MAX, bottom = -1;   // ink rows
};

// Pumps until the control has put everything on the screen: no output left
// for the next frame and nothing left to paint.
inline void PumpUntilShown(COutputCtrl* out)
{
    for (int round = 0; round < 500; ++round) {
        PumpUntilIdle();
        RECT r;
        if (!out->HasPendingOutput() && !GetUpdateRect(out->m_hWnd, &r, FALSE)) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    ADD_FAILURE() << "the output never reached the screen";
}

inline LineInk InkOfLine(COutputCtrl* out, int line)
{
    LineInk ink;
    POINT a{}, b{};
    out->Send(EM_POSFROMCHAR, (WPARAM)&a, out->LineIndex(line));
    out->Send(EM_POSFROMCHAR, (WPARAM)&b, out->LineIndex(line + 1));
    RECT client;
    out->GetClientRect(&client);
    HWND top = GetAncestor(out->m_hWnd, GA_ROOT);
    std::vector<uint32_t> pixels;
    SIZE size{};
    if (!HeadlessCopySurface(top, &pixels, &size)) return ink;
    POINT origin{0, 0};
    ClientToScreen(out->m_hWnd, &origin);
    RECT win;
    GetWindowRect(top, &win);
    for (int y = std::max(0, (int)a.y); y < std::min((int)b.y, (int)client.bottom); ++y)
        for (int x = 0; x < client.right; ++x) {
            const int ix = origin.x - win.left + x, iy = origin.y - win.top + y;
            if (ix < 0 || iy < 0 || ix >= size.cx || iy >= size.cy) continue;
            const uint32_t p = pixels[(size_t)iy * size.cx + ix];
            const int r = (int)(p >> 16 & 0xFF), g = (int)(p >> 8 & 0xFF), bl = (int)(p & 0xFF);
            const int hi = std::max({r, g, bl}), lo = std::min({r, g, bl});
            if (hi - lo < 24 && hi < 90) ++ink.dark;
            else if (r - std::max(g, bl) > 60) ++ink.red;
            else if (g - std::max(r, bl) > 40) ++ink.green;
            else continue;
            ink.left = std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.top = std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
        }
    return ink;
}

// Pixels of the line drawn in exactly this colour (0x00RRGGBB), such as a
// selection's highlight.
inline int PixelsOfColour(COutputCtrl* out, int line, uint32_t rgb)
{
    POINT a{}, b{};
    out->Send(EM_POSFROMCHAR, (WPARAM)&a, out->LineIndex(line));
    out->Send(EM_POSFROMCHAR, (WPARAM)&b, out->LineIndex(line + 1));
    RECT client;
    out->GetClientRect(&client);
    HWND top = GetAncestor(out->m_hWnd, GA_ROOT);
    std::vector<uint32_t> pixels;
    SIZE size{};
    if (!HeadlessCopySurface(top, &pixels, &size)) return 0;
    POINT origin{0, 0};
    ClientToScreen(out->m_hWnd, &origin);
    RECT win;
    GetWindowRect(top, &win);
    int n = 0;
    for (int y = std::max(0, (int)a.y); y < std::min((int)b.y, (int)client.bottom); ++y)
        for (int x = 0; x < client.right; ++x) {
            const int ix = origin.x - win.left + x, iy = origin.y - win.top + y;
            if (ix >= 0 && iy >= 0 && ix < size.cx && iy < size.cy && (pixels[(size_t)iy * size.cx + ix] & 0xFFFFFF) == rgb) ++n;
        }
    return n;
}

}  // namespace output_screen
