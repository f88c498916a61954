// The eight plot commands.
#include "plot_device/plot_command.h"

#include <algorithm>
#include <new>
#include <cmath>
#include <vector>

#include "devices/framework/device_framework.h"
#include "devices/plot_keywords.h"
#include "values/output_stream.h"
#include "values/stop_probe.h"
#include "values/struct_value.h"
#include "values/value.h"
#include "values/value_matrix.h"

namespace {

constexpr int kStatusBadOperand = 79;
constexpr int kStatusCount = 10;

int CountError()
{
    CMessageWriter(MSG_ERROR, HostOutputStream()) << "Invalid number of operands";
    return kStatusCount;
}

// A matrix operand may come as a handle of the host's own value.
const CValue& Operand(PlotExprItem* const* ops, uint32_t i)
{
    const CValue& v = ops[i]->value;
    return v.IsHandle() && v.HandleTarget() ? *v.HandleTarget() : v;
}

bool IsVector(const CValue& v)
{
    if (v.Type() != VT_MATRIX || !v.MatrixPtr()) return false;
    const CValueMatrix& m = v.Matrix();
    return m.Rows() == 1 || m.Cols() == 1 || m.IsEmpty();
}

uint32_t VectorLength(const CValue& v)
{
    const CValueMatrix& m = v.Matrix();
    if (m.IsEmpty()) return 0;
    return (uint32_t)std::max(m.Rows(), m.Cols());
}

const CValue& VectorCell(const CValue& v, uint32_t i)
{
    const CValueMatrix& m = v.Matrix();
    return m.Rows() == 1 ? m.Cell(0, (int)i) : m.Cell((int)i, 0);
}

Complex NumberOf(const CValue& v) { return v.GetComplex(); }

// A character operand: a Char, or a text of one character; 0 otherwise.
int CharacterOf(const CValue& v)
{
    if (v.Type() == VT_CHAR) return v.CharCode();
    if (v.Type() == VT_STRING || v.Type() == VT_STRING0) {
        std::string s;
        v.GetText(s);
        if (s.size() == 1) return (unsigned char)s[0];
    }
    return 0;
}

// A stop of the program while its points are copied: the command ends with
// the stop status instead of copying tens of millions of points first.
struct CPlotStopped {};

void CheckStopEvery(uint32_t i)
{
    if (RequestStoppedAt(i)) throw CPlotStopped{};
}

// The (x_i, y_i) real parts of two vectors (shorter length); false for a bad cell.
bool PairPoints(const CValue& xs, const CValue& ys, std::vector<Point2D>& out)
{
    const uint32_t n = std::min(VectorLength(xs), VectorLength(ys));
    out.resize(n);
    for (uint32_t i = 0; i < n; i++) {
        CheckStopEvery(i);
        const CValue& a = VectorCell(xs, i);
        const CValue& b = VectorCell(ys, i);
        if (!a.IsNumber() || !b.IsNumber()) return false;
        out[i] = Point2D{NumberOf(a).re, NumberOf(b).re};
    }
    return true;
}

// PairPoints straight into the object's array: no second copy of a large
// series. False for a bad cell (the object is then left without points).
// The same straight into the object's array: 0, the bad-operand status, or
// the one for points that cannot be held (never an object without its points).
int PairPointsInto(const CValue& xs, const CValue& ys, CGraphObject& o)
{
    const uint32_t n = std::min(VectorLength(xs), VectorLength(ys));
    Point2D* out = o.AllocPoints(n);
    if (!out && n > 0) return kPlotStatusNoPointMemory;
    for (uint32_t i = 0; i < n; i++) {
        CheckStopEvery(i);
        const CValue& a = VectorCell(xs, i);
        const CValue& b = VectorCell(ys, i);
        if (!a.IsNumber() || !b.IsNumber()) {
            o.FreePoints();
            return kStatusBadOperand;
        }
        out[i] = Point2D{NumberOf(a).re, NumberOf(b).re};
    }
    return 0;
}

bool IndexPoints(const CValue& ys, std::vector<Point2D>& out)
{
    const uint32_t n = VectorLength(ys);
    out.resize(n);
    for (uint32_t i = 0; i < n; i++) {
        CheckStopEvery(i);
        const CValue& b = VectorCell(ys, i);
        if (!b.IsNumber()) return false;
        out[i] = Point2D{(double)(i + 1), NumberOf(b).re};
    }
    return true;
}

// The points of a stairs or bar series: y alone or x and y.
int SeriesPoints(PlotExprItem* const* ops, uint32_t count, std::vector<Point2D>& pts)
{
    if (count == 1) {
        if (!IsVector(Operand(ops, 0)) || !IndexPoints(Operand(ops, 0), pts)) return kStatusBadOperand;
        return 0;
    }
    if (count == 2) {
        if (!IsVector(Operand(ops, 0)) || !IsVector(Operand(ops, 1)) ||
            !PairPoints(Operand(ops, 0), Operand(ops, 1), pts))
            return kStatusBadOperand;
        return 0;
    }
    return CountError();
}

const CValue* StructField(const CValue& v, const char* name)
{
    if (v.Type() != VT_STRUCT || !v.StructPtr()) return nullptr;
    CStructField* f = v.Struct().FindFieldByName(name);
    return f ? &f->m_value : nullptr;
}

class CartPlotCommand : public CPlotCommand {
public:
    using CPlotCommand::CPlotCommand;
    int Execute(CGraphObject& o, PlotExprItem* const* ops, uint32_t count) override
    {
        std::vector<Point2D> pts;
        if (count == 1) {
            const CValue& v = Operand(ops, 0);
            if (v.IsNumber()) {
                const Complex z = NumberOf(v);
                pts.push_back(Point2D{z.re, z.im});
            } else if (IsVector(v)) {
                // Straight into the object's array, as for two vectors.
                const uint32_t n = VectorLength(v);
                Point2D* out = o.AllocPoints(n);
                if (!out && n > 0) return kPlotStatusNoPointMemory;
                bool complexData = false;
                for (uint32_t i = 0; i < n; i++) {
                    CheckStopEvery(i);
                    const CValue& c = VectorCell(v, i);
                    if (!c.IsNumber()) {
                        o.FreePoints();
                        return kStatusBadOperand;
                    }
                    const Complex z = NumberOf(c);
                    if (std::fabs(z.im) > 1e-14) complexData = true;
                    out[i] = Point2D{z.re, z.im};
                }
                if (!complexData)
                    for (uint32_t i = 0; i < n; i++) out[i] = Point2D{(double)(i + 1), out[i].x};
                return 0;
            } else {
                return kStatusBadOperand;
            }
        } else if (count == 2) {
            const CValue& a = Operand(ops, 0);
            const CValue& b = Operand(ops, 1);
            if (a.IsNumber() && b.IsNumber()) {
                pts.push_back(Point2D{NumberOf(a).re, NumberOf(b).re});
            } else if (IsVector(a) && IsVector(b)) {
                return PairPointsInto(a, b, o);
            } else {
                return kStatusBadOperand;
            }
        } else {
            return CountError();
        }
        if (!o.SetPoints(pts.data(), (uint32_t)pts.size())) return kPlotStatusNoPointMemory;
        return 0;
    }
};

class PolarPlotCommand : public CPlotCommand {
public:
    PolarPlotCommand(CPlotPlane& p) : CPlotCommand(p) { p.axisStyle = AXIS_POLAR; }
    int Execute(CGraphObject& o, PlotExprItem* const* ops, uint32_t count) override
    {
        if (count != 2) return CountError();
        const CValue& a = Operand(ops, 0);
        const CValue& b = Operand(ops, 1);
        if (a.IsNumber() && b.IsNumber()) {
            const Point2D rp{NumberOf(a).re, NumberOf(b).re};
            o.SetPolarPoints(m_plane, &rp, 1);
            return 0;
        }
        if (!IsVector(a) || !IsVector(b)) return kStatusBadOperand;
        std::vector<Point2D> pts;
        if (!PairPoints(a, b, pts)) {
            o.FreePoints();
            return kStatusBadOperand;
        }
        for (Point2D& p : pts) p = m_plane.PolarToCartesian(p);
        if (!o.SetPoints(pts.data(), (uint32_t)pts.size())) return kPlotStatusNoPointMemory;
        return 0;
    }
};

class CompassPlotCommand : public CPlotCommand {
public:
    CompassPlotCommand(CPlotPlane& p) : CPlotCommand(p) { p.axisStyle = AXIS_POLAR; }
    int Execute(CGraphObject& o, PlotExprItem* const* ops, uint32_t count) override
    {
        m_first = true;
        if (count == 1) {
            const CValue& v = Operand(ops, 0);
            if (v.IsNumber()) {
                const Complex z = NumberOf(v);
                Arrow(o, z.re, z.im);
                return 0;
            }
            if (!IsVector(v)) return kStatusBadOperand;
            for (uint32_t i = 0, n = VectorLength(v); i < n; i++) {
                const CValue& c = VectorCell(v, i);
                if (!c.IsNumber()) continue;
                const Complex z = NumberOf(c);
                Arrow(o, z.re, z.im);
            }
            return 0;
        }
        if (count != 2) return CountError();
        const CValue& a = Operand(ops, 0);
        const CValue& b = Operand(ops, 1);
        if (a.IsNumber() && b.IsNumber()) {
            Arrow(o, NumberOf(a).re, NumberOf(b).re);
            return 0;
        }
        if (!IsVector(a) || !IsVector(b)) return kStatusBadOperand;
        for (uint32_t i = 0, n = std::min(VectorLength(a), VectorLength(b)); i < n; i++) {
            const CValue& u = VectorCell(a, i);
            const CValue& w = VectorCell(b, i);
            if (!u.IsNumber() || !w.IsNumber()) return kStatusBadOperand;
            Arrow(o, NumberOf(u).re, NumberOf(w).re);
        }
        return 0;
    }

private:
    void Arrow(CGraphObject& series, double x, double y)
    {
        CGraphObject* o = &series;
        if (!m_first) {
            auto extra = std::make_unique<CGraphObject>();
            extra->CopyStyle(series);
            o = extra.get();
            m_plane.m_newObjects.push_back(std::move(extra));
        }
        m_first = false;
        const Point2D pts[2] = {{0, 0}, {x, y}};
        o->kind = 3;
        o->SetPoints(pts, 2);
        o->MakeCompass(m_plane);
    }
    bool m_first = true;
};

class StairsPlotCommand : public CPlotCommand {
public:
    using CPlotCommand::CPlotCommand;
    int Execute(CGraphObject& o, PlotExprItem* const* ops, uint32_t count) override
    {
        bool filled = false;
        if (count > 0 && CharacterOf(Operand(ops, count - 1))) {
            filled = CharacterOf(Operand(ops, count - 1)) == '#';
            count--;
        }
        std::vector<Point2D> pts;
        if (int s = SeriesPoints(ops, count, pts)) return s;
        o.SetStairsPoints(pts.data(), (uint32_t)pts.size(), filled ? 1u : 0u);
        return 0;
    }
};

class BarPlotCommand : public CPlotCommand {
public:
    BarPlotCommand(CPlotPlane& p, bool created) : CPlotCommand(p)
    {
        if (created) p.axisStyle = AXIS_BOXED;
    }
    bool Prepare(CGraphObject& o) override
    {
        o.kind = 2;
        o.fillColor = 0x00FF00;
        o.fillStyle = -1;
        return true;
    }
    int Execute(CGraphObject& o, PlotExprItem* const* ops, uint32_t count) override
    {
        double width = -1.0;
        uint32_t orient = 0;
        if (count > 0 && Operand(ops, count - 1).Type() == VT_STRUCT) {
            const CValue& rec = Operand(ops, count - 1);
            if (const CValue* w = StructField(rec, "width"); w && w->IsNumber()) width = NumberOf(*w).re;
            if (const CValue* d = StructField(rec, "orient"); d && std::tolower(CharacterOf(*d)) == 'h')
                orient = 1;
            count--;
        }
        std::vector<Point2D> pts;
        if (int s = SeriesPoints(ops, count, pts)) return s;
        o.SetBarPoints(pts.data(), (uint32_t)pts.size(), width, orient);
        return 0;
    }
};

class LinePlotCommand : public CPlotCommand {
public:
    using CPlotCommand::CPlotCommand;
    int Execute(CGraphObject& o, PlotExprItem* const* ops, uint32_t count) override
    {
        if (count != 4) return CountError();
        double v[4];
        for (uint32_t i = 0; i < 4; i++) {
            if (!Operand(ops, i).IsNumber()) return kStatusBadOperand;
            v[i] = NumberOf(Operand(ops, i)).re;
        }
        const Point2D pts[2] = {{v[0], v[1]}, {v[2], v[3]}};
        o.SetPoints(pts, 2);
        return 0;
    }
};

class EllipsePlotCommand : public CPlotCommand {
public:
    EllipsePlotCommand(CPlotPlane& p, bool circle) : CPlotCommand(p), m_circle(circle) {}
    int Execute(CGraphObject& o, PlotExprItem* const* ops, uint32_t count) override
    {
        uint32_t precision = 1024;
        if (count > 0 && Operand(ops, count - 1).Type() == VT_STRUCT) {
            if (const CValue* p = StructField(Operand(ops, count - 1), "points"); p && p->IsNumber()) {
                const double v = NumberOf(*p).re;
                if (v > 1 && v < 1000000) precision = (uint32_t)v;
                else CMessageWriter(MSG_WARNING, HostOutputStream()) << "Precision parameter is out of range";
            }
            count--;
        }
        const uint32_t least = m_circle ? 3 : 4;
        if (count != least && count != least + 1) return CountError();
        double v[5] = {0, 0, 0, 0, 0};
        for (uint32_t i = 0; i < count; i++) {
            if (!Operand(ops, i).IsNumber()) return kStatusBadOperand;
            v[i] = NumberOf(Operand(ops, i)).re;
        }
        const double rx = v[2], ry = m_circle ? v[2] : v[3];
        const double angle = count == least + 1 ? v[least] : 0.0;
        o.SetEllipsePoints(Point2D{v[0], v[1]}, rx, ry, angle, precision);
        o.kind = 2;
        return 0;
    }

private:
    bool m_circle;
};

}  // namespace

std::unique_ptr<CPlotCommand> MakePlotCommand(const std::string& kind, CPlotPlane& plane, bool created)
{
    const PlotKindInfo* info = FindPlotKind(kind);
    if (!info) return nullptr;
    switch (info->id) {
    case PLOT_KIND_CART: return std::make_unique<CartPlotCommand>(plane);
    case PLOT_KIND_POLAR: return std::make_unique<PolarPlotCommand>(plane);
    case PLOT_KIND_COMPASS: return std::make_unique<CompassPlotCommand>(plane);
    case PLOT_KIND_STAIRS: return std::make_unique<StairsPlotCommand>(plane);
    case PLOT_KIND_BAR: return std::make_unique<BarPlotCommand>(plane, created);
    case PLOT_KIND_LINE: return std::make_unique<LinePlotCommand>(plane);
    case PLOT_KIND_ELLIPSE: return std::make_unique<EllipsePlotCommand>(plane, false);
    case PLOT_KIND_CIRCLE: return std::make_unique<EllipsePlotCommand>(plane, true);
    }
    return nullptr;
}

LRESULT RunPlotCommand(CPlotFigure& figure, const PlotCommandPosition& pos, const PlotCommandText& text)
{
    // The program waits for the copy and the layout of its points: its
    // stop ends them between blocks.
    const CRequestStopScope stops;
    figure.m_name = text.figure;
    bool created = false;
    CPlotPlane* plane = figure.GetPlane(pos.planeY, pos.planeX, created);
    if (!plane) return -1;
    std::unique_ptr<CPlotCommand> cmd = MakePlotCommand(text.command, *plane, created);
    if (!cmd) {
        // Only a plane this message made goes; a typo keeps an existing plot.
        if (created) {
            figure.RemovePlane(plane);
            figure.RecalcGrid();
        }
        CMessageWriter(MSG_ERROR, HostOutputStream()) << "Unrecognized plot command";
        return 10;
    }
    for (uint32_t i = 0; i < text.optionCount; i++)
        if (const PlotOptionRecord* opt = text.options[i])
            figure.ApplyPropertyValue(plane, nullptr, opt->name, opt->value, false);
    int status = 0;
    for (uint32_t s = 0; s < text.seriesCount && status == 0; s++) {
        const PlotSeriesRecord* series = text.series[s];
        if (!series) continue;
        bool made = false;
        CGraphObject* o = plane->NewPlotObject(pos.objectId, made, CPlotPlane::DefaultSeriesColour(s));
        if (!o) break;
        const size_t before = plane->m_newObjects.size();
        cmd->Prepare(*o);
        if (series->optionCount) {
            for (uint32_t i = 0; i < series->optionCount; i++)
                if (const PlotOptionRecord* opt = series->options[i])
                    figure.ApplyPropertyValue(plane, o, opt->name, opt->value, false);
        } else {
            for (uint32_t i = 0; i < text.optionCount; i++)
                if (const PlotOptionRecord* opt = text.options[i])
                    figure.ApplyPropertyValue(plane, o, opt->name, opt->value, false);
        }
        try {
            status = cmd->Execute(*o, series->items, series->itemCount);
        } catch (const std::bad_alloc&) {
            // The program sent more points than the device can hold.
            o->FreePoints();
            status = kPlotStatusNoPointMemory;
        } catch (const CPlotStopped&) {
            o->FreePoints();
            status = kPlotStatusStopped;
        }
        // Stopped while the points came over: not laid out and drawn first.
        if (status == 0 && RequestStopped()) status = kPlotStatusStopped;
        if (status == 0) continue;
        if (created && plane->objects.empty()) {
            figure.RemovePlane(plane);
            figure.RecalcGrid();
            return status;
        }
        if (pos.objectId != -1) {
            plane->RemoveObjects(pos.objectId, made ? nullptr : o);
        } else {
            // Automatic ids: only the objects this failing series made go.
            const int32_t id = o->id;
            std::vector<int32_t> extraIds;
            for (size_t k = before; k < plane->m_newObjects.size(); k++) extraIds.push_back(plane->m_newObjects[k]->id);
            if (made) plane->RemoveObjects(id, nullptr);
            for (int32_t e : extraIds) plane->RemoveObjects(e, nullptr);
        }
    }
    figure.RecalcGrid();
    auto& pending = figure.m_pending;
    if (std::find(pending.begin(), pending.end(), plane) == pending.end()) pending.push_back(plane);
    const int finished = figure.FinishPlot(pos.holdFlags);
    if (finished == kPlotStatusStopped && created && plane->objects.empty()) {
        // As when it stopped during the copy: a plane this message made goes.
        const CRunToEnd toTheEnd;
        figure.RemovePlane(plane);
        figure.RecalcGrid();
        figure.PositionPlanes();
        figure.Redraw(nullptr);
    }
    if (finished && status == 0) status = finished;
    return status;
}
