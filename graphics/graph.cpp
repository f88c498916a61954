// The graph model: its objects, copies and the default virtual operations.
#include "graphics/graph.h"

#include <algorithm>
#include <new>

#include "platform/user/window.h"

CGraphObject* CGraph::NewObject(const CGraphObject* prototype)
{
    return prototype ? new (std::nothrow) CGraphObject(*prototype) : new (std::nothrow) CGraphObject();
}

void CGraph::ToDisplayPoint(Point2D& out, const Point2D& world)
{
    if (IsPolar()) {
        Point2D rp = CartesianToPolar(world);
        out = Point2D{rp.x, rp.y * 57.29577951308232};
    } else {
        out = world;
    }
}

bool CGraph::CopyFrom(const CGraph& o)
{
    if (&o == this) return true;
    title = o.title;
    titleFont = o.titleFont;
    titleFontSize = o.titleFontSize;
    xLabel = o.xLabel;
    yLabel = o.yLabel;
    axisFont = o.axisFont;
    axisFontSize = o.axisFontSize;
    numberFormat = o.numberFormat;
    foreColor = o.foreColor;
    gridColor = o.gridColor;
    background = o.background;
    minSpan = o.minSpan;
    legendFont = o.legendFont;
    legendFontSize = o.legendFontSize;
    xLog = o.xLog;
    yLog = o.yLog;
    titlePosition = o.titlePosition;
    legendPosition = o.legendPosition;
    axisStyle = o.axisStyle;
    equalAxes = o.equalAxes;
    xAxisFlags = o.xAxisFlags;
    yAxisFlags = o.yAxisFlags;
    xTickCount = o.xTickCount;
    yTickCount = o.yTickCount;
    tickSpacing = o.tickSpacing;
    markerRadius = o.markerRadius;
    polarOffset = o.polarOffset;
    std::copy(o.limits, o.limits + 4, limits);
    std::copy(o.previousLimits, o.previousLimits + 4, previousLimits);
    std::copy(o.bounds, o.bounds + 4, bounds);
    plotRect = o.plotRect;
    outerRect = o.outerRect;
    xUnitsPerPixel = o.xUnitsPerPixel;
    yUnitsPerPixel = o.yUnitsPerPixel;
    hwnd = o.hwnd;
    persistFlag = o.persistFlag;
    stateFlag = o.stateFlag;
    // A copy is not in the middle of a mouse action of its own.
    mouseMode = 1;
    entryMaxCount = o.entryMaxCount;
    entryObject = nullptr;
    ClearObjects();
    objects.reserve(o.objects.size());
    for (size_t i = 0; i < o.objects.size(); i++) {
        CGraphObject* clone = NewObject(o.objects[i].get());
        if (!clone) {
            ClearObjects();
            return false;
        }
        objects.emplace_back(clone);
        if (o.entryObject == o.objects[i].get()) entryObject = clone;
    }
    return true;
}

void CGraph::ClearObjects()
{
    entryObject = nullptr;
    objects.clear();
    NoteObjectsChanged();
}

int CGraph::RemoveObjectsById(int32_t id, const CGraphObject* keep)
{
    int removed = 0;
    for (size_t i = 0; i < objects.size();) {
        CGraphObject* o = objects[i].get();
        if (o->id == id && o != keep) {
            if (entryObject == o) entryObject = nullptr;
            objects.erase(objects.begin() + (ptrdiff_t)i);
            removed++;
            NoteObjectsChanged();
        } else {
            i++;
        }
    }
    return removed;
}

int CGraph::IndexOfObject(const CGraphObject* object) const
{
    for (size_t i = 0; i < objects.size(); i++)
        if (objects[i].get() == object) return (int)i;
    return -1;
}

CGraphObject* CGraph::FindObjectById(int32_t id) const
{
    for (const auto& o : objects)
        if (o->id == id) return o.get();
    return nullptr;
}

bool CGraph::IsEmpty() const
{
    for (const auto& o : objects)
        if (o->Count()) return false;
    return true;
}
