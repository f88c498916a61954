#pragma once
// The plot statement's commands: one object per message turns each series'
// host values into the points of a graphic object.
#include <cstdint>
#include <memory>
#include <string>

#include "devices/device_protocol.h"
#include "plot_device/plot_figure.h"

class CPlotCommand {
public:
    explicit CPlotCommand(CPlotPlane& plane) : m_plane(plane) {}
    virtual ~CPlotCommand() = default;
    virtual bool Hook() { return true; }
    virtual bool Prepare(CGraphObject&) { return true; }
    // 0, 79 (an operand of the wrong kind) or 10 (message written).
    virtual int Execute(CGraphObject&, PlotExprItem* const* operands, uint32_t count) = 0;

protected:
    CPlotPlane& m_plane;
};

// The command of a kind word ("" is "cart"); null for an unknown word.
std::unique_ptr<CPlotCommand> MakePlotCommand(const std::string& kind, CPlotPlane& plane, bool planeCreated);
// The whole WM_PLOT_COMMAND: its reply.
LRESULT RunPlotCommand(CPlotFigure& figure, const PlotCommandPosition& pos, const PlotCommandText& text);
