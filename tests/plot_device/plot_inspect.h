#pragma once
// Test-side reads of a plot device window: its real frame, document, view and
// planes, read on the device's own UI thread (tests/support/window_thread.h).
// The device's classes are reached through their headers: the objects are the
// library's, laid out as these headers say.
#include <cmath>
#include <cstdint>
#include <string>

#include "platform/afx/afx.h"
#include "platform/gdi/gdi.h"
#include "plot_device/quorra_doc.h"
#include "plot_device/quorra_view.h"
#include "tests/support/window_thread.h"

namespace plot_inspect {

inline CFrameWnd* Frame(HWND frame) { return static_cast<CFrameWnd*>(CWnd::FromHandlePermanent(frame)); }

// On the device thread: the figure's view, or null.
inline CQuorraView* View(HWND frame)
{
    CFrameWnd* f = Frame(frame);
    CDocument* doc = f ? f->GetActiveDocument() : nullptr;
    if (!doc || doc->Views().empty()) return nullptr;
    return static_cast<CQuorraView*>(doc->Views().front());
}

inline POINT ToScreen(HWND window, POINT p)
{
    ClientToScreen(window, &p);
    return p;
}

// How often the frame's document was made new (-1 without one).
inline int NewCount(HWND frame)
{
    return ReadOnWindowThread<int>(frame, [&] {
        CFrameWnd* f = Frame(frame);
        auto* doc = f ? static_cast<CQuorraDoc*>(f->GetActiveDocument()) : nullptr;
        return doc ? doc->m_nNewCount : -1;
    }, -1);
}

// The shown bars: 1 the toolbar, 2 the status bar (the window tree).
inline int VisibleBars(HWND frame)
{
    // Docked bars are children of the dock bars: the whole tree is searched.
    HWND found[2] = {nullptr, nullptr};
    EnumChildWindows(
        frame,
        [](HWND h, LPARAM l) {
            auto* m = reinterpret_cast<HWND*>(l);
            if (GetDlgCtrlID(h) == 0xE800 && !m[0]) m[0] = h;
            if (GetDlgCtrlID(h) == 0xE801 && !m[1]) m[1] = h;
            return TRUE;
        },
        (LPARAM)found);
    return (found[0] && IsWindowVisible(found[0]) ? 1 : 0) | (found[1] && IsWindowVisible(found[1]) ? 2 : 0);
}

// Planes of the figure, and the objects of their graphs (-1 without a view).
struct Counts {
    int planes = -1, objects = -1;
    bool operator==(const Counts&) const = default;
};
inline Counts PlanesAndObjects(HWND frame)
{
    return ReadOnWindowThread<Counts>(frame, [&] {
        Counts c;
        if (CQuorraView* v = View(frame)) {
            c.planes = (int)v->m_planes.size();
            c.objects = 0;
            for (const auto& p : v->m_planes) c.objects += (int)p->objects.size();
        }
        return c;
    });
}
inline int Planes(HWND frame) { return PlanesAndObjects(frame).planes; }

inline std::string PathName(HWND frame)
{
    return ReadOnWindowThread<std::string>(frame, [&] {
        CFrameWnd* f = Frame(frame);
        CDocument* doc = f ? f->GetActiveDocument() : nullptr;
        return doc ? doc->GetPathName() : std::string("<none>");
    });
}

inline int ViewWidth(HWND frame)
{
    return ReadOnWindowThread<int>(frame, [&] {
        CQuorraView* v = View(frame);
        return v ? (int)v->GetViewSize().cx : -1;
    }, -1);
}

// The first selected plane's index plus one, 0 for none.
inline int SelectedPlane(HWND frame)
{
    return ReadOnWindowThread<int>(frame, [&] {
        CQuorraView* v = View(frame);
        if (!v) return -1;
        for (size_t i = 0; i < v->m_planes.size(); i++)
            if (v->m_planes[i]->m_selected) return (int)i + 1;
        return 0;
    }, -1);
}

// Whether the view is tracking the mouse in a loop of its own.
inline bool Busy(HWND frame)
{
    return ReadOnWindowThread<bool>(frame, [&] {
        CQuorraView* v = View(frame);
        return v && v->IsBusy();
    });
}

struct Limits {
    double xmin = NAN, xmax = NAN;
};
inline Limits XLimits(HWND frame, size_t plane)
{
    return ReadOnWindowThread<Limits>(frame, [&] {
        CQuorraView* v = View(frame);
        if (!v || plane >= v->m_planes.size()) return Limits{};
        const CPlotPlane& p = *v->m_planes[plane];
        return Limits{p.limits[0], p.limits[BOX_RIGHT]};
    });
}

// The screen point at the centre of the plane's plot rectangle.
inline POINT PlaneCentre(HWND frame, size_t plane)
{
    return ReadOnWindowThread<POINT>(frame, [&] {
        CQuorraView* v = View(frame);
        if (!v || plane >= v->m_planes.size()) return POINT{-1, -1};
        const RECT& r = v->m_planes[plane]->plotRect;
        return ToScreen(v->m_hWnd, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }, POINT{-1, -1});
}

// The plane's plot rectangle on the screen.
inline RECT PlotRectOnScreen(HWND frame, size_t plane)
{
    return ReadOnWindowThread<RECT>(frame, [&] {
        CQuorraView* v = View(frame);
        if (!v || plane >= v->m_planes.size()) return RECT{-1, -1, -1, -1};
        const RECT& r = v->m_planes[plane]->plotRect;
        const POINT a = ToScreen(v->m_hWnd, POINT{r.left, r.top}), b = ToScreen(v->m_hWnd, POINT{r.right, r.bottom});
        return RECT{a.x, a.y, b.x, b.y};
    }, RECT{-1, -1, -1, -1});
}

// The view's client area in the frame window's own pixels (a copy of its surface).
inline RECT ViewRectInWindow(HWND frame)
{
    return ReadOnWindowThread<RECT>(frame, [&] {
        CQuorraView* v = View(frame);
        if (!v) return RECT{-1, -1, -1, -1};
        RECT r{}, w{};
        GetClientRect(v->m_hWnd, &r);
        GetWindowRect(frame, &w);
        const POINT a = ToScreen(v->m_hWnd, POINT{0, 0});
        return RECT{a.x - w.left, a.y - w.top, a.x - w.left + r.right, a.y - w.top + r.bottom};
    }, RECT{-1, -1, -1, -1});
}

inline POINT ViewOrigin(HWND frame)
{
    return ReadOnWindowThread<POINT>(frame, [&] {
        CQuorraView* v = View(frame);
        return v ? ToScreen(v->m_hWnd, POINT{0, 0}) : POINT{-1, -1};
    }, POINT{-1, -1});
}

inline std::string NumberFormat(HWND frame, size_t plane)
{
    return ReadOnWindowThread<std::string>(frame, [&] {
        CQuorraView* v = View(frame);
        return v && plane < v->m_planes.size() ? v->m_planes[plane]->numberFormat : std::string("<none>");
    });
}

// The screen point of the first pointer in the plane; (-1, -1) for none.
inline POINT FirstPointer(HWND frame, size_t plane)
{
    return ReadOnWindowThread<POINT>(frame, [&] {
        CQuorraView* v = View(frame);
        if (!v || plane >= v->m_planes.size()) return POINT{-1, -1};
        CPlotPlane& p = *v->m_planes[plane];
        for (const auto& o : p.objects) {
            if (!(o->pointerFlags & 3)) continue;
            return ToScreen(v->m_hWnd, POINT{(LONG)std::lround(p.WorldToDeviceX(o->pointer.x)),
                                             (LONG)std::lround(p.WorldToDeviceY(o->pointer.y))});
        }
        return POINT{-1, -1};
    }, POINT{-1, -1});
}

// Objects with a pointer in the figure.
inline int Pointers(HWND frame)
{
    return ReadOnWindowThread<int>(frame, [&] {
        CQuorraView* v = View(frame);
        if (!v) return -1;
        int n = 0;
        for (const auto& p : v->m_planes)
            for (const auto& o : p->objects) n += (o->pointerFlags & 3) ? 1 : 0;
        return n;
    }, -1);
}

// The plane's first object: the screen point of its second point, and its id
// (-1 when it has fewer than two points).
inline POINT SecondPointOfFirstObject(HWND frame, size_t plane)
{
    return ReadOnWindowThread<POINT>(frame, [&] {
        CQuorraView* v = View(frame);
        if (!v || plane >= v->m_planes.size()) return POINT{-1, -1};
        CPlotPlane& p = *v->m_planes[plane];
        if (p.objects.empty() || p.objects[0]->Count() < 2) return POINT{-1, -1};
        const CGraphObject& o = *p.objects[0];
        return ToScreen(v->m_hWnd, POINT{(LONG)std::lround(p.WorldToDeviceX(o.Points()[1].x)),
                                         (LONG)std::lround(p.WorldToDeviceY(o.Points()[1].y))});
    }, POINT{-1, -1});
}
inline int FirstObjectId(HWND frame, size_t plane)
{
    return ReadOnWindowThread<int>(frame, [&] {
        CQuorraView* v = View(frame);
        if (!v || plane >= v->m_planes.size()) return -1;
        CPlotPlane& p = *v->m_planes[plane];
        if (p.objects.empty() || p.objects[0]->Count() < 2) return -1;
        return (int)p.objects[0]->id;
    }, -1);
}

// Changes for an edge case, on the device thread: the plane's x span made
// zero, its centre kept.
inline void CollapseXSpan(HWND frame, size_t plane)
{
    RunOnWindowThread(frame, [&] {
        CQuorraView* v = View(frame);
        if (!v || plane >= v->m_planes.size()) return;
        CPlotPlane& p = *v->m_planes[plane];
        const double mid = (p.limits[0] + p.limits[BOX_RIGHT]) / 2;
        p.limits[0] = p.limits[BOX_RIGHT] = mid;
    });
}

// The first plane reads out (1.5, 2), through the view to the status pane.
inline void ReadOutFirstPlane(HWND frame)
{
    RunOnWindowThread(frame, [&] {
        CQuorraView* v = View(frame);
        if (v && !v->m_planes.empty()) v->m_planes.front()->ReadoutText({1.5, 2});
    });
}

// Prints the figure onto a recording A4 printer page: the log with the page
// mapping, and the number of planes printed (-1 without a view).
inline int PrintToRecording(HWND frame, std::string* log)
{
    return ReadOnWindowThread<int>(frame, [&] {
        CQuorraView* view = View(frame);
        if (!view) return -1;
        CDC dc;
        dc.Attach(CreateRecordingDC(TRUE), true);
        dc.m_bPrinting = TRUE;
        CPrintInfo info;
        view->OnBeginPrinting(&dc, &info);
        view->OnPrint(&dc, &info);
        view->OnEndPrinting(&dc, &info);
        SIZE ext{};
        POINT org{};
        GetWindowExtEx(dc.m_hDC, &ext);
        GetWindowOrgEx(dc.m_hDC, &org);
        const RECT& r = view->m_printRect;
        *log = GetRecordingLog(dc.m_hDC) + "print rect " + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
               std::to_string(r.right) + "," + std::to_string(r.bottom) + " window ext " + std::to_string(ext.cx) + "," +
               std::to_string(ext.cy) + " org " + std::to_string(org.x) + "," + std::to_string(org.y) + "\n";
        return (int)view->m_printPlanes.size();
    }, -1);
}

}  // namespace plot_inspect
