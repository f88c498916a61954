#pragma once
// DCs over part of a backing image, the stuff the window manager makes its
// window DCs of: gdi knows no windows, and a window handle is only a tag
// to it. Also the screen DC and the recording DCs that stand in for
// window DCs in tests.
#include <memory>

#include "platform/port/backend.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/region.h"

struct CSurfaceDcTarget {
    std::shared_ptr<CSurface> surface;
    HWND surfaceOwner = nullptr;   // whose image it is, for MarkSurfaceDirty
    POINT offset{0, 0};            // where device (0, 0) sits in the image
    SIZE size{0, 0};               // the device area
    // The pixels the DC may draw on (device units); no clip ever leaves
    // them. Null: the whole device area.
    std::shared_ptr<CRegion> visible;
    HWND tag = nullptr;            // what SurfaceDcTag answers
    // Once it answers FALSE for the tag, drawing does nothing (null: never).
    BOOL (*tagAlive)(HWND) = nullptr;
};
HDC CreateSurfaceDC(const CSurfaceDcTarget& target);
bool IsSurfaceDC(HDC hdc);
// The tag of a surface DC; null for any other DC.
HWND SurfaceDcTag(HDC hdc);
// Hands what a surface DC drew since the last flush to the back end.
void FlushSurfaceDC(HDC hdc);
// Sets the clip to a region (device units) within the pixels the DC may
// draw on; returns the region type, as SelectClipRgn does.
int SelectClipRegion(HDC hdc, const CRegion& region);

// A 96-dpi DC of the screen's size for measuring; it draws nothing.
HDC CreateScreenDC();
bool IsScreenDC(HDC hdc);

// Makes a recording DC stand in for a window DC: memory DCs made compatible
// with it log into it too. False when it is no recording DC.
bool MakeStandInDC(HDC recording);
bool IsStandInDC(HDC hdc);
