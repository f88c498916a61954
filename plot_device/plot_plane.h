#pragma once
// One cell of a figure's grid: a graph that knows its cell, keeps the objects
// of the current message burst until the figure commits them, and the limits
// bndplot asked for.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/graph.h"

class CPlotFigure;

class CPlotPlane : public CGraph {
public:
    std::vector<std::unique_ptr<CGraphObject>> m_newObjects;
    int32_t m_col = 1;
    int32_t m_row = 1;
    uint32_t m_nextObjectId = 0x100000;
    // Block order: xmin, xmax, ymax, ymin; NaN = autoscale.
    double m_bounds[4];
    uint8_t m_selected = 0;
    CPlotFigure* m_figure = nullptr;  // set by GetPlane and Load

    CPlotPlane();
    ~CPlotPlane() override;

    void PrepareDC(HDC dc) override;
    void ReadoutText(const Point2D& world) override;
    bool SetLimits(double box[4]) override;

    uint32_t NextObjectId();
    CGraphObject* FindObject(int32_t id) const;
    // Every object with id but keep; the figure's busy state decides when
    // graph objects are freed. The count removed.
    int RemoveObjects(int32_t id, const CGraphObject* keep);
    // An existing object with id (its points freed) or a new one in m_newObjects.
    CGraphObject* NewPlotObject(int32_t id, bool& created, COLORREF colour);
    void ApplyBounds(bool redraw);
    static COLORREF DefaultSeriesColour(uint32_t index);
    bool PanX(double fraction);
    bool PanY(double fraction);
    // The read-out line of a world point.
    std::string ReadoutLine(const Point2D& world) const;
};
