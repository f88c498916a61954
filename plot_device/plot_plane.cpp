// A plane of the plot figure.
#include "plot_device/plot_plane.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "plot_device/plot_figure.h"

namespace {
const double kNaN = std::numeric_limits<double>::quiet_NaN();
}

CPlotPlane::CPlotPlane() { std::fill(m_bounds, m_bounds + 4, kNaN); }

CPlotPlane::~CPlotPlane() = default;

void CPlotPlane::PrepareDC(HDC dc)
{
    if (m_figure) m_figure->PrepareDC(dc);
}

std::string CPlotPlane::ReadoutLine(const Point2D& world) const
{
    auto text = [](double v, bool isX, const CPlotPlane& p) {
        std::string s;
        if (isX) p.FormatTickLabelX(v, s);
        else p.FormatTickLabelY(v, s);
        if (s.empty()) {
            char buf[400];
            std::snprintf(buf, sizeof buf, "%.8f", v);
            s = buf;
        }
        return s;
    };
    const std::string x = text(world.x, true, *this), y = text(world.y, false, *this);
    return (axisStyle == AXIS_POLAR ? "rho=" : "x=") + x + (axisStyle == AXIS_POLAR ? "  phi=" : "  y=") + y;
}

void CPlotPlane::ReadoutText(const Point2D& world)
{
    if (m_figure) m_figure->ShowReadout(ReadoutLine(world));
}

bool CPlotPlane::SetLimits(double box[4]) { return CGraph::SetLimits(box); }

uint32_t CPlotPlane::NextObjectId()
{
    for (;;) {
        const uint32_t id = m_nextObjectId++;
        if (!FindObject((int32_t)id)) return id;
    }
}

CGraphObject* CPlotPlane::FindObject(int32_t id) const
{
    if (CGraphObject* o = FindObjectById(id)) return o;
    for (const auto& o : m_newObjects)
        if (o->id == id) return o.get();
    return nullptr;
}

int CPlotPlane::RemoveObjects(int32_t id, const CGraphObject* keep)
{
    int n = 0;
    // Objects a drag may hold go to the figure, which frees them when it is no longer busy.
    for (auto* list : {&objects, &m_newObjects}) {
        for (auto it = list->begin(); it != list->end();) {
            if ((*it)->id == id && it->get() != keep) {
                std::unique_ptr<CGraphObject> gone = std::move(*it);
                it = list->erase(it);
                if (m_figure) m_figure->Discard(std::move(gone));
                n++;
            } else {
                ++it;
            }
        }
    }
    if (n) NoteObjectsChanged();
    return n;
}

CGraphObject* CPlotPlane::NewPlotObject(int32_t id, bool& created, COLORREF colour)
{
    created = true;
    if (id != -1) {
        if (CGraphObject* o = FindObject(id)) {
            created = false;
            o->FreePoints();
            return o;
        }
    }
    auto o = std::make_unique<CGraphObject>();
    o->id = id != -1 ? id : (int32_t)NextObjectId();
    if (m_figure) m_figure->ApplyObjectDefaults(*o);
    o->color = colour;
    m_newObjects.push_back(std::move(o));
    return m_newObjects.back().get();
}

void CPlotPlane::ApplyBounds(bool redraw)
{
    if (!std::isfinite(m_bounds[0]) && !std::isfinite(m_bounds[1]) && !std::isfinite(m_bounds[2]) &&
        !std::isfinite(m_bounds[3])) {
        AutoScale(0.05);
        if (redraw) Rescale();
        return;
    }
    // Library boxes are (xmin, ymax, xmax, ymin); the bounds keep block order.
    double autoBox[4];
    if (!CalcAutoLimits(nullptr, autoBox, 0.05)) std::copy(limits, limits + 4, autoBox);
    double box[4] = {autoBox[0], autoBox[1], autoBox[2], autoBox[3]};
    if (std::isfinite(m_bounds[0])) box[BOX_LEFT] = m_bounds[0];
    if (std::isfinite(m_bounds[1])) box[BOX_RIGHT] = m_bounds[1];
    if (std::isfinite(m_bounds[2])) box[BOX_TOP] = m_bounds[2];
    if (std::isfinite(m_bounds[3])) box[BOX_BOTTOM] = m_bounds[3];
    if (box[BOX_LEFT] > box[BOX_RIGHT]) {
        box[BOX_LEFT] = autoBox[BOX_LEFT];
        box[BOX_RIGHT] = autoBox[BOX_RIGHT];
    }
    if (box[BOX_BOTTOM] > box[BOX_TOP]) {
        box[BOX_BOTTOM] = autoBox[BOX_BOTTOM];
        box[BOX_TOP] = autoBox[BOX_TOP];
    }
    SetLimits(box);
    std::copy(box, box + 4, limits);
    if (redraw) Rescale();
    else UpdateScale();
}

COLORREF CPlotPlane::DefaultSeriesColour(uint32_t index)
{
    static const COLORREF kColours[12] = {0xFF0000, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFFFF00, 0xFF00FF,
                                          0x0000CC, 0xCC0000, 0x00CC00, 0x00CCCC, 0xCCCC00, 0xCC00CC};
    return index < 12 ? kColours[index] : 0xFF0000;
}

bool CPlotPlane::PanX(double fraction)
{
    const double span = limits[BOX_RIGHT] - limits[BOX_LEFT];
    if (!(std::fabs(span) > minSpan)) return false;
    double box[4] = {limits[0], limits[1], limits[2], limits[3]};
    box[BOX_LEFT] += span * fraction;
    box[BOX_RIGHT] += span * fraction;
    if (!std::isfinite(box[BOX_LEFT]) || !std::isfinite(box[BOX_RIGHT])) return false;
    SetLimits(box);
    std::copy(limits, limits + 4, previousLimits);
    std::copy(box, box + 4, limits);
    Rescale();
    OnLimitsChanged();
    return true;
}

bool CPlotPlane::PanY(double fraction)
{
    const double span = limits[BOX_TOP] - limits[BOX_BOTTOM];
    if (!(std::fabs(span) > minSpan)) return false;
    double box[4] = {limits[0], limits[1], limits[2], limits[3]};
    box[BOX_TOP] -= span * fraction;
    box[BOX_BOTTOM] -= span * fraction;
    if (!std::isfinite(box[BOX_TOP]) || !std::isfinite(box[BOX_BOTTOM])) return false;
    SetLimits(box);
    std::copy(limits, limits + 4, previousLimits);
    std::copy(box, box + 4, limits);
    Rescale();
    OnLimitsChanged();
    return true;
}
