// The plot figure driven through its readers with blocks from the host's
// writer and with real plot-command records: grid, hold, bounds, sizes,
// properties, commands, malformed blocks, busy state and the drawn figure.
#include "tests/support/address_space.h"
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>

#include "devices/device_protocol.h"
#include "devices/plot_blocks.h"
#include "platform/gdi/gdi.h"
#include "platform/user/window_dc.h"
#include "platform/kernel/handles.h"
#include "platform/kernel/named_objects.h"
#include "plot_device/plot_command.h"
#include "plot_device/plot_figure.h"
#include "values/stop_probe.h"
#include "values/struct_value.h"
#include "values/value_matrix.h"

// The device library takes the host's stream from InitDll; here it is the
// process stream.
COutputStream* HostOutputStream() { return GetOutputStream(); }

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

class TestFigure : public CPlotFigure {
public:
    void GetFigureClientRect(RECT* r) override { *r = RECT{0, 0, 430, 430}; }
    void Redraw(const RECT*) override { redraws++; }
    UINT_PTR SetFigureTimer(UINT_PTR id, UINT ms) override
    {
        timerId = id;
        timerMs = ms;
        return id;
    }
    bool KillFigureTimer(UINT_PTR id) override
    {
        if (timerId != id) return false;
        timerId = 0;
        return true;
    }
    void SetFigureTitle(const std::string& t) override { title = t; }
    int redraws = 0;
    UINT_PTR timerId = 0;
    UINT timerMs = 0;
    std::string title;
};

std::vector<uint8_t> Block(const std::function<void(CPlotBlockWriter&)>& fill)
{
    std::vector<uint8_t> buf(1 << 16);
    CPlotBlockWriter w(buf.data(), buf.size());
    fill(w);
    buf.resize(w.Written());
    return buf;
}

// A plot2d block: series of (x, y) points and their options.
std::vector<uint8_t> DataBlock(const std::string& name, int col, int row, int id,
                               const std::vector<std::vector<Point2D>>& series,
                               const std::vector<PlotTextOption>& planeOptions = {},
                               const std::vector<PlotTextOption>& seriesOptions = {})
{
    return Block([&](CPlotBlockWriter& w) {
        w.Head(name, col, row, id);
        w.Options(planeOptions);
        w.U32((uint32_t)series.size());
        for (const auto& s : series) {
            w.U32((uint32_t)s.size());
            for (const Point2D& p : s) {
                w.F64(p.x);
                w.F64(p.y);
            }
            w.Options(seriesOptions);
        }
    });
}

std::vector<uint8_t> SetBlock(int col, int row, int id, const std::vector<PlotTextOption>& pairs)
{
    return Block([&](CPlotBlockWriter& w) {
        w.Head("F", col, row, id);
        w.Options(pairs);
    });
}

std::vector<uint8_t> BoundsBlock(int col, int row, double a, double b, double c, double d)
{
    return Block([&](CPlotBlockWriter& w) {
        w.Head("F", col, row, -1);
        w.F64(a);
        w.F64(b);
        w.F64(c);
        w.F64(d);
    });
}

const std::vector<Point2D> kLine = {{0, 0}, {1, 2}, {2, 1}, {3, 3}};

void Plot(CPlotFigure& f, int col, int row, uint32_t hold = 0, int id = -1)
{
    auto b = DataBlock("F", col, row, id, {kLine});
    f.ReadPlot2d(b.data(), b.size(), hold);
}

std::vector<std::pair<int, int>> Cells(const CPlotFigure& f)
{
    std::vector<std::pair<int, int>> out;
    for (const auto& p : f.m_planes) out.emplace_back(p->m_row, p->m_col);
    return out;
}

TEST(PlotFigure, NextFreeCellsAndPlaneRect)
{
    TestFigure f;
    for (int i = 0; i < 4; i++) Plot(f, -1, -1);
    EXPECT_EQ(Cells(f), (std::vector<std::pair<int, int>>{{1, 1}, {1, 2}, {2, 1}, {2, 2}}));

    TestFigure g;
    Plot(g, 1, 1);
    g.m_rows = g.m_cols = 2;
    bool created;
    CPlotPlane* p = g.GetPlane(-1, -1, created);
    ASSERT_TRUE(p && created);
    EXPECT_EQ(std::make_pair(p->m_row, p->m_col), std::make_pair(2, 1));

    TestFigure h;
    ASSERT_TRUE(h.GetPlane(3, 3, created));
    EXPECT_EQ(h.m_rows, 1);
    h.RecalcGrid();
    EXPECT_EQ(h.m_rows, 3);

    TestFigure w;
    w.m_cols = 2;
    const SIZE size{430, 100};
    RECT r = w.PlaneRect(1, 2, &size);
    EXPECT_EQ(r.left, 222);
    EXPECT_EQ(r.right, 415);

    // Positions outside -1 and 1..800 reach no grid.
    for (int bad : {0, -5, INT_MAX, INT_MIN, 801}) {
        EXPECT_EQ(w.GetPlane(bad, 1, created), nullptr) << bad;
        EXPECT_EQ(w.GetPlane(1, bad, created), nullptr) << bad;
    }
    EXPECT_TRUE(w.m_planes.empty());

    f.ClearPlot(-1, -1, -1);
    EXPECT_TRUE(f.m_planes.empty());
    EXPECT_EQ(f.m_rows, 1);
    EXPECT_EQ(f.m_cols, 1);
}

// The figure finds its planes by cell and knows its grid without a walk over
// them: after plots to given and to free cells and clears of cells, rows and
// columns, every answer is the one a walk over the planes gives, and a free
// cell is the first one of the last row that has one.
TEST(PlotFigure, CellIndexAnswersAsAWalkOverThePlanes)
{
    auto walk = [](const CPlotFigure& f, int row, int col) -> CPlotPlane* {
        for (const auto& p : f.m_planes)
            if (p->m_row == row && p->m_col == col) return p.get();
        return nullptr;
    };
    auto check = [&](CPlotFigure& f, int step) {
        int rows = 1, cols = 1;
        for (const auto& p : f.m_planes) {
            rows = std::max(rows, p->m_row);
            cols = std::max(cols, p->m_col);
        }
        for (int r = 1; r <= rows + 1; r++)
            for (int c = 1; c <= cols + 1; c++) ASSERT_EQ(f.FindPlane(r, c), walk(f, r, c)) << step;
        f.RecalcGrid();
        ASSERT_EQ(f.m_rows, rows) << step;
        ASSERT_EQ(f.m_cols, cols) << step;
    };
    std::mt19937 random(11);
    TestFigure f;
    for (int step = 0; step < 600; step++) {
        const int r = 1 + (int)(random() % 7), c = 1 + (int)(random() % 7);
        switch (random() % 6) {
        case 0:
        case 1: {
            int wantRow = 0, wantCol = 0;
            for (int i = 1; i <= f.m_rows; i++)
                for (int j = 1; j <= f.m_cols; j++)
                    if (!walk(f, i, j)) {
                        wantRow = i;
                        wantCol = j;
                        break;
                    }
            Plot(f, -1, -1);
            if (wantRow) ASSERT_NE(walk(f, wantRow, wantCol), nullptr) << step;
            break;
        }
        case 2: Plot(f, c, r); break;
        case 3: Plot(f, random() % 2 ? c : -1, random() % 2 ? r : -1); break;
        case 4: f.ClearPlot(r, c, -1); break;
        default: f.ClearPlot(random() % 2 ? r : -1, random() % 2 ? -1 : c, -1); break;
        }
        check(f, step);
    }
}

TEST(PlotFigure, HeldBurstCommitsOnceOnTimer)
{
    TestFigure f;
    Plot(f, -1, -1, PLOT_HOLD);
    Plot(f, -1, -1, PLOT_HOLD);
    EXPECT_EQ(f.redraws, 0);
    EXPECT_EQ(f.timerId, kPlotHoldTimer);
    EXPECT_EQ(f.timerMs, 500u);
    ASSERT_EQ(f.m_pending.size(), 2u);
    EXPECT_TRUE(f.m_planes[0]->objects.empty());
    f.OnFigureTimer(kPlotHoldTimer);
    EXPECT_EQ(f.redraws, 1);
    EXPECT_EQ(f.timerId, 0u);
    EXPECT_TRUE(f.m_pending.empty());
    EXPECT_EQ(f.m_planes[0]->objects.size(), 1u);
    EXPECT_EQ(f.m_planes[1]->objects.size(), 1u);
    f.OnFigureTimer(99);
    EXPECT_EQ(f.redraws, 1);
}

TEST(PlotFigure, SetDimBoundsAndTitle)
{
    TestFigure f;
    auto set = SetBlock(1, 1, -1, {{"graphcolor", "red"}, {"title", "T"}});
    f.ReadSet(set.data(), set.size());
    EXPECT_EQ(f.m_objectDefaults.color, 0x0000FFu);  // no plane: the defaults
    EXPECT_EQ(f.m_graphDefaults.title, "T");

    f.ReadDim(nullptr, 0, 0x012C0190);
    EXPECT_EQ(f.m_viewWidth, 400);
    EXPECT_EQ(f.m_viewHeight, 300);
    f.ReadDim(nullptr, 0, 0);
    EXPECT_EQ(f.m_viewWidth, 0);

    auto bnd = BoundsBlock(-1, -1, kNaN, kNaN, 10, 0);
    f.ReadBounds(bnd.data(), bnd.size());
    Plot(f, -1, -1);
    ASSERT_EQ(f.m_planes.size(), 1u);
    CPlotPlane& p = *f.m_planes[0];
    EXPECT_EQ(p.limits[BOX_TOP], 10);
    EXPECT_EQ(p.limits[BOX_BOTTOM], 0);
    EXPECT_EQ(p.objects[0]->color, 0xFF0000u);  // series 0 takes its own colour
    EXPECT_EQ(p.title, "T");
    EXPECT_EQ(p.titlePosition, 1);

    // (5, 1) inverted: the x range reverts to autoscale.
    auto inv = BoundsBlock(1, 1, 5, 1, kNaN, kNaN);
    f.ReadBounds(inv.data(), inv.size());
    EXPECT_LT(p.limits[BOX_LEFT], 0.0);
    EXPECT_GT(p.limits[BOX_RIGHT], 3.0);

    auto empty = DataBlock("", -1, -1, -1, {kLine});
    f.ReadPlot2d(empty.data(), empty.size(), 0);
    EXPECT_EQ(f.title, "DEFAULT");
}

TEST(PlotFigure, SeriesIdsAndColours)
{
    TestFigure f;
    auto two = DataBlock("F", 1, 1, -1, {kLine, kLine});
    f.ReadPlot2d(two.data(), two.size(), 0);
    CPlotPlane& p = *f.m_planes[0];
    ASSERT_EQ(p.objects.size(), 2u);
    EXPECT_EQ(p.objects[0]->id, 0x100000);
    EXPECT_EQ(p.objects[1]->id, 0x100001);
    EXPECT_EQ(p.objects[1]->color, 0x0000FFu);

    auto seven = DataBlock("F", 1, 1, 7, {kLine}, {}, {{"linewidth", "5"}});
    f.ReadPlot2d(seven.data(), seven.size(), 0);
    auto again = DataBlock("F", 1, 1, 7, {{{9, 9}}});
    f.ReadPlot2d(again.data(), again.size(), 0);
    CGraphObject* o = p.FindObject(7);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->penWidth, 5);
    EXPECT_EQ(o->Count(), 1u);
    EXPECT_EQ(p.objects.size(), 3u);

    EXPECT_EQ(CPlotPlane::DefaultSeriesColour(12), 0xFF0000u);
    EXPECT_EQ(CPlotPlane::DefaultSeriesColour(11), 0xCC00CCu);
}

// Malformed blocks change nothing.
TEST(PlotFigure, MalformedBlocksLeaveTheModel)
{
    auto good = DataBlock("F", 1, 1, -1, {kLine}, {{"title", "x"}}, {{"legend", "y"}});
    std::vector<std::pair<const char*, std::vector<uint8_t>>> cases;
    {
        auto b = good;
        uint32_t big = 1000;
        std::memcpy(b.data(), &big, 4);  // name length past the end
        cases.emplace_back("name length", b);
    }
    cases.emplace_back("series count", Block([](CPlotBlockWriter& w) {
                           w.Head("F", 1, 1, -1);
                           w.U32(0);
                           w.U32(0xFFFFFFFFu);
                       }));
    cases.emplace_back("16N wraps", Block([](CPlotBlockWriter& w) {
                           w.Head("F", 1, 1, -1);
                           w.U32(0);
                           w.U32(1);
                           w.U32(0x10000001u);
                           w.F64(1);
                           w.F64(2);
                           w.U32(0);
                       }));
    cases.emplace_back("truncated pair", std::vector<uint8_t>(good.begin(), good.end() - 3));
    cases.emplace_back("three bytes", std::vector<uint8_t>(good.begin(), good.begin() + 3));
    cases.emplace_back("column 0", DataBlock("F", 0, 1, -1, {kLine}));
    cases.emplace_back("row INT_MAX", DataBlock("F", 1, INT_MAX, -1, {kLine}));
    for (const auto& [what, block] : cases) {
        TestFigure f;
        f.ReadPlot2d(block.data(), block.size(), 0);
        EXPECT_TRUE(f.m_planes.empty()) << what;
        EXPECT_EQ(f.m_name, "") << what;
        PlotSetBlock s;
        EXPECT_FALSE(ParseSetBlock(block.data(), std::min<size_t>(block.size(), 3), s)) << what;
    }
    TestFigure f;
    f.ReadPlot2d(good.data(), good.size(), 0);
    ASSERT_EQ(f.m_planes.size(), 1u);
    EXPECT_EQ(f.m_planes[0]->title, "x");
    EXPECT_EQ(f.m_planes[0]->objects[0]->legend, "y");
}

// The reader over the host's mapping: bounded by the mapping and by a
// smaller non-zero wParam.
TEST(PlotFigure, ReaderOverTheMapping)
{
    TestFigure f;
    EXPECT_EQ(f.OnDevicePlot2d(0, 0), 0);  // no mapping: nothing happens
    auto block = DataBlock("M", 1, 1, -1, {kLine});
    HANDLE m = CreateFileMapping(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, (DWORD)block.size(),
                                 kPlotDeviceMappingName);
    ASSERT_TRUE(m);
    void* view = MapViewOfFile(m, FILE_MAP_ALL_ACCESS, 0, 0, 0);
    ASSERT_TRUE(view);
    std::memcpy(view, block.data(), block.size());
    EXPECT_EQ(f.OnDevicePlot2d(block.size() - 1, 0), 0);
    EXPECT_TRUE(f.m_planes.empty());
    EXPECT_EQ(f.OnDevicePlot2d(block.size() + 1000, 0), 0);  // the mapping bounds it
    ASSERT_EQ(f.m_planes.size(), 1u);
    EXPECT_EQ(f.m_name, "M");
    auto clear = Block([](CPlotBlockWriter& w) { w.Head("M", 1, 1, -1); });
    std::memcpy(view, clear.data(), clear.size());
    EXPECT_EQ(f.OnDeviceClrPlot(clear.size(), 0), 0);
    EXPECT_TRUE(f.m_planes.empty());
    UnmapViewOfFile(view);
    CloseHandle(m);
}

TEST(PlotProperty, KeywordsAndWords)
{
    TestFigure f;
    CPlotPlane plane;
    CGraphObject o;
    auto obj = [&](const char* k, const char* v) { ParsePlotProperty(f, &plane, &o, k, v, false); };
    obj("graphcolor", "ReD");
    EXPECT_EQ(o.color, 0x0000FFu);
    obj("graphcolor", "255");
    EXPECT_EQ(o.color, 255u);
    obj("graphcolor", "purple");
    EXPECT_EQ(o.color, f.m_objectDefaults.color);
    obj("graphcolor", "4294967296000");
    EXPECT_EQ(o.color, 0xFFFFFFFFu);
    for (auto [v, w] : std::vector<std::pair<const char*, int>>{{"24", 24}, {"25", 24}, {"-1", 24}, {"0", 0},
                                                                {"99999999999999999999", 0}}) {
        obj("linewidth", v);
        EXPECT_EQ(o.penWidth, w) << v;
    }
    const std::pair<const char*, int> styles[] = {{"-", 0}, {"--", 1}, {".", 2}, {"-.", 3}, {"-:", 4}};
    for (auto [v, w] : styles) {
        obj("linestyle", v);
        EXPECT_EQ(o.penStyle, w) << v;
    }
    const std::pair<const char*, int> points[] = {{" ", 0}, {".", 1}, {"o", 2}, {"^", 4}, {"s", 3}, {"+", 5}, {"x", 6}};
    for (auto [v, w] : points) {
        obj("pointstyle", v);
        EXPECT_EQ(o.marker, w) << v;
    }
    const std::pair<const char*, int> fills[] = {{"\\", 2}, {"/", 3}, {"+", 4}, {"X", 5}, {"-", 0}, {"|", 1},
                                                 {"None", -2}, {"solid", -1}};
    for (auto [v, w] : fills) {
        obj("fillstyle", v);
        EXPECT_EQ(o.fillStyle, w) << v;
    }
    obj("pointstyle", " ");
    obj("graphtype", ".");
    EXPECT_EQ(o.kind, 0);
    EXPECT_EQ(o.marker, 1);
    const std::pair<const char*, int> types[] = {{"-", 1}, {"->", 3}, {"#", 2}};
    for (auto [v, w] : types) {
        obj("graphtype", v);
        EXPECT_EQ(o.kind, w) << v;
    }
    obj("legend", "L");
    EXPECT_EQ(o.legend, "L");
    EXPECT_EQ(o.inLegend, 1);
    obj("legendinbox", "B");
    EXPECT_EQ(o.boxLegend, "B");
    obj("fillcolor", "none");
    EXPECT_EQ(o.fillColor, f.m_objectDefaults.fillColor);

    obj("precision", "3");
    EXPECT_EQ(plane.numberFormat, "%.3g");
    obj("precision", "21");
    obj("precision", "x1");
    EXPECT_EQ(plane.numberFormat, "%.3g");
    obj("xtype", "Time");
    obj("xgrid", "0");
    EXPECT_EQ(plane.xAxisFlags, (1 << 4) | 1);
    obj("ygrid", "1");
    EXPECT_EQ(plane.yAxisFlags, 3);
    obj("polaroff", "-90");
    EXPECT_DOUBLE_EQ(plane.polarOffset, -M_PI / 2);
    obj("polaroff", "a5");
    EXPECT_DOUBLE_EQ(plane.polarOffset, -M_PI / 2);
    obj("background", "NONE");
    EXPECT_EQ(plane.background, 0x80000000u);
    obj("axiscolor", "cyan");
    EXPECT_EQ(plane.foreColor, 0xFFFF00u);
    obj("axis", "Equal");
    EXPECT_EQ(plane.equalAxes, 1);
    obj("axisstyle", "boxed");
    EXPECT_EQ(plane.axisStyle, 2);
    obj("titlefontsize", "x");
    obj("titlefontsize", "-12");
    EXPECT_EQ(plane.titleFontSize, -12);
    obj("title", "t");
    EXPECT_EQ(plane.titlePosition, 1);

    // An object keyword without an object: only the figure default, in figure mode.
    const COLORREF before = f.m_objectDefaults.color;
    ParsePlotProperty(f, &plane, nullptr, "graphcolor", "green", false);
    EXPECT_EQ(f.m_objectDefaults.color, before);
    ParsePlotProperty(f, nullptr, nullptr, "graphcolor", "green", true);
    EXPECT_EQ(f.m_objectDefaults.color, 0x00FF00u);
    ParsePlotProperty(f, nullptr, nullptr, "xtype", "logic", true);
    ParsePlotProperty(f, nullptr, nullptr, "xgrid", "0", true);
    CPlotPlane fresh;
    f.ApplyGraphDefaults(fresh);
    EXPECT_EQ(fresh.xAxisFlags, (5 << 4) | 1);

    EXPECT_EQ(ReadPlotInteger("  -99999999999999999999"), INT_MIN);
    EXPECT_EQ(ReadPlotInteger("+12abc"), 12);
    EXPECT_EQ(ReadPlotInteger("abc"), 0);
}

TEST(PlotPlane, ReadoutLine)
{
    CPlotPlane p;
    EXPECT_EQ(p.ReadoutLine({1.5, 2}), "x=1.5  y=2");
    p.xAxisFlags = (VALUE_LOGIC << 4) | 3;  // a logic axis gives no text
    EXPECT_EQ(p.ReadoutLine({1e308, -2}).substr(0, 8), "x=100000");
    EXPECT_NE(p.ReadoutLine({1e308, -2}).find(".00000000  y=-2"), std::string::npos);
    p.axisStyle = AXIS_POLAR;
    EXPECT_EQ(p.ReadoutLine({1, 90}).rfind("rho=", 0), 0u);
    EXPECT_NE(p.ReadoutLine({1, 90}).find("  phi="), std::string::npos);
}

// Host records of one plot statement.
struct CommandRecords {
    std::vector<std::unique_ptr<PlotExprItem>> items;
    std::vector<PlotExprItem*> itemPtrs;
    std::vector<std::unique_ptr<PlotOptionRecord>> options;
    std::vector<PlotOptionRecord*> optionPtrs;
    PlotSeriesRecord series;
    PlotSeriesRecord* seriesPtr = &series;
    PlotCommandText text;
    PlotCommandPosition pos{-1, -1, -1, 0};

    CommandRecords(const std::string& kind, std::vector<CValue> operands,
                   std::vector<std::pair<std::string, CValue>> opts = {})
    {
        for (auto& v : operands) {
            items.push_back(std::make_unique<PlotExprItem>());
            items.back()->value = v;
            itemPtrs.push_back(items.back().get());
        }
        for (auto& [n, v] : opts) {
            options.push_back(std::make_unique<PlotOptionRecord>());
            options.back()->name = n;
            options.back()->value = v;
            optionPtrs.push_back(options.back().get());
        }
        series.items = itemPtrs.data();
        series.itemCount = (uint32_t)itemPtrs.size();
        text.figure = "F";
        text.command = kind;
        text.series = &seriesPtr;
        text.seriesCount = 1;
        text.options = optionPtrs.data();
        text.optionCount = (uint32_t)optionPtrs.size();
    }
    LRESULT Run(CPlotFigure& f) { return RunPlotCommand(f, pos, text); }
};

CValue Row(std::initializer_list<double> xs)
{
    CValue v;
    CValueMatrix& m = v.MakeMatrix(1, (int)xs.size());
    int i = 0;
    for (double x : xs) m.Cell(0, i++) = CValue(x);
    return v;
}

TEST(PlotCommand, KindsStatusesAndOptions)
{
    TestFigure f;
    CommandRecords cart("", {Row({1, 2, 3})}, {{"graphcolor", CValue(std::string("red"))}});
    EXPECT_EQ(cart.Run(f), 0);
    ASSERT_EQ(f.m_planes.size(), 1u);
    CGraphObject& o = *f.m_planes[0]->objects[0];
    EXPECT_EQ(o.color, 0x0000FFu);  // the option text is not quoted
    ASSERT_EQ(o.Count(), 3u);
    EXPECT_EQ(o.Points()[2].x, 3);
    EXPECT_EQ(o.Points()[2].y, 3);

    // An unknown kind on an existing plane keeps it; on a new one removes it.
    CommandRecords foo("foo", {CValue(1.0)});
    foo.pos = {1, 1, -1, 0};
    EXPECT_EQ(foo.Run(f), 10);
    EXPECT_EQ(f.m_planes.size(), 1u);
    foo.pos = {2, 1, -1, 0};
    EXPECT_EQ(foo.Run(f), 10);
    EXPECT_EQ(f.m_planes.size(), 1u);

    CommandRecords line("line", {CValue(1.0), CValue(2.0), CValue(3.0)});
    EXPECT_EQ(line.Run(f), 10);
    CommandRecords text("cart", {CValue(std::string("abc"))});
    EXPECT_EQ(text.Run(f), 79);
    EXPECT_EQ(f.m_planes.size(), 1u);

    CommandRecords compass("compass", {[] {
                               CValue v;
                               CValueMatrix& m = v.MakeMatrix(1, 3);
                               m.Cell(0, 0) = CValue(Complex(1, 1));
                               m.Cell(0, 1) = CValue(Complex(2, -1));
                               m.Cell(0, 2) = CValue(Complex(-1, 2));
                               return v;
                           }()});
    compass.pos = {1, 2, -1, 0};
    EXPECT_EQ(compass.Run(f), 0);
    CPlotPlane* cp = f.FindPlane(2, 1);
    ASSERT_TRUE(cp);
    EXPECT_EQ(cp->objects.size(), 3u);
    EXPECT_EQ(cp->axisStyle, AXIS_POLAR);

    CommandRecords bar("bar", {Row({1, 2, 3})});
    bar.pos = {2, 2, -1, 0};
    EXPECT_EQ(bar.Run(f), 0);
    EXPECT_EQ(f.FindPlane(2, 2)->axisStyle, AXIS_BOXED);
    EXPECT_EQ(f.FindPlane(2, 2)->objects[0]->fillStyle, -1);
}

// A failing series with automatic ids takes only its own object with it.
TEST(PlotCommand, FailingSecondSeriesKeepsTheFirst)
{
    TestFigure f;
    CommandRecords good("", {Row({1, 2})});
    good.pos = {1, 1, -1, 0};
    EXPECT_EQ(good.Run(f), 0);
    CommandRecords two("", {Row({1, 2, 3})});
    CommandRecords bad("", {CValue(std::string("abc"))});
    PlotSeriesRecord* both[2] = {&two.series, &bad.series};
    two.text.series = both;
    two.text.seriesCount = 2;
    two.pos = {1, 1, -1, 0};
    EXPECT_EQ(two.Run(f), 79);
    CPlotPlane& p = *f.m_planes[0];
    ASSERT_EQ(p.objects.size(), 2u);
    EXPECT_EQ(p.objects[0]->id, 0x100000);
    EXPECT_EQ(p.objects[1]->id, 0x100001);
    EXPECT_EQ(p.objects[1]->Count(), 3u);
    EXPECT_EQ(p.FindObject(0x100002), nullptr);
}

TEST(PlotCommand, FailingSeriesWhileBusyFreesWhenIdle)
{
    TestFigure f;
    CommandRecords ok("", {Row({1, 2})});
    ok.pos = {1, 1, 4, 0};
    EXPECT_EQ(ok.Run(f), 0);
    f.EnterBusy();
    CGraphObject* held = f.m_planes[0]->objects[0].get();
    CommandRecords bad("", {CValue(std::string("abc"))});
    bad.pos = {1, 1, 9, 0};
    EXPECT_EQ(bad.Run(f), 79);
    EXPECT_EQ(f.m_planes[0]->FindObject(9), nullptr);
    f.ClearPlot(1, 1, -1);
    EXPECT_TRUE(f.m_planes.empty());
    EXPECT_EQ(held->id, 4);  // still alive: a drag may hold it
    f.LeaveBusy();
}

// A program that stops while its plot is laid out: the stop comes as the
// command commits its object. The command ends with the stop status; what it
// made goes (its plane too), an older plot of the plane stays as it was, and
// the figure is laid out in full again.
class StoppingFigure : public TestFigure {
public:
    void OnObjectCommitted(CGraphObject&) override
    {
        if (stopAtCommit) NoteProgramStopBroadcast();
    }
    bool stopAtCommit = false;
};

CValue Ramp(int n)
{
    CValue v;
    CValueMatrix& m = v.MakeMatrix(1, n);
    for (int i = 0; i < n; i++) m.Cell(0, i) = CValue((double)i);
    return v;
}

TEST(PlotCommand, AStopDuringTheLayoutDropsWhatTheCommandMade)
{
    constexpr int n = 300000;
    {
        StoppingFigure f;
        f.stopAtCommit = true;
        CommandRecords big("", {Ramp(n)});
        EXPECT_EQ(big.Run(f), kPlotStatusStopped);
        EXPECT_TRUE(f.m_planes.empty());
    }
    StoppingFigure f;
    CommandRecords small("", {Row({1, 5, 2})});
    small.pos = {1, 1, -1, 0};
    ASSERT_EQ(small.Run(f), 0);
    CPlotPlane& p = *f.m_planes[0];
    const std::vector<double> limits(p.limits, p.limits + 4);
    f.stopAtCommit = true;
    CommandRecords big("", {Ramp(n)});
    big.pos = {1, 1, -1, 0};
    EXPECT_EQ(big.Run(f), kPlotStatusStopped);
    ASSERT_EQ(f.m_planes.size(), 1u);
    ASSERT_EQ(p.objects.size(), 1u);
    EXPECT_EQ(p.objects[0]->Count(), 3u);
    EXPECT_EQ(std::vector<double>(p.limits, p.limits + 4), limits);
    EXPECT_EQ(p.objects[0]->ScreenPoints().size(), 3u);
    // Without a stop the same command keeps its points.
    f.stopAtCommit = false;
    EXPECT_EQ(big.Run(f), 0);
    EXPECT_EQ(p.objects.size(), 2u);
}

std::filesystem::path ArtifactDir()
{
    const char* out = getenv("VELDRA_OUT");
    std::filesystem::path d = std::filesystem::path(out ? out : "build/out").parent_path() / "test-artifacts";
    std::filesystem::create_directories(d);
    return d;
}

void SavePng(CPlotFigure& f, int w, int h, const char* name)
{
    HDC screen = GetDC(nullptr);
    for (const auto& p : f.m_planes) p->ResizeWithDC(screen, p->outerRect);
    ReleaseDC(nullptr, screen);
    RECT bounds{0, 0, w * 2540 / 96, h * 2540 / 96};
    HDC mdc = CreateEnhMetaFile(nullptr, nullptr, &bounds, "Tarn graphic");
    ASSERT_TRUE(mdc);
    const RECT area{0, 0, w, h};
    FillRect(mdc, &area, (HBRUSH)GetStockObject(WHITE_BRUSH));
    f.Draw(mdc, true);
    HENHMETAFILE emf = CloseEnhMetaFile(mdc);
    ASSERT_TRUE(emf);
    EXPECT_TRUE(SaveEnhMetaFilePng(emf, (ArtifactDir() / name).string().c_str()));
    DeleteEnhMetaFile(emf);
}

TEST(PlotFigureDraw, SelectedPlaneFrameAndPointerPass)
{
    TestFigure f;
    for (int i = 0; i < 4; i++) {
        auto b = DataBlock("F", -1, -1, -1, {kLine, {{0, 3}, {3, 0}}}, {{"title", "plane " + std::to_string(i + 1)}});
        f.ReadPlot2d(b.data(), b.size(), 0);
    }
    f.SelectAt(300, 300);
    ASSERT_TRUE(f.FindPlane(2, 2)->m_selected);
    f.SelectNeighbour(true, false, false, false);
    ASSERT_TRUE(f.FindPlane(1, 2)->m_selected);
    // A pointer whose line reaches the client edges is drawn again on top.
    f.FindPlane(1, 1)->objects[0]->SetPointer(0x0D, nullptr);

    HDC rec = CreateRecordingDC(FALSE);
    f.Draw(rec, false);
    const std::string log = GetRecordingLog(rec);
    DeleteDC(rec);
    std::istringstream in(log);
    std::string line;
    int frames = 0, handles = 0;
    while (std::getline(in, line)) {
        if (line.rfind("Rectangle", 0) != 0) continue;
        if (line.find("pen=DOT") != std::string::npos && line.find("rop=NOTXORPEN") != std::string::npos) frames++;
        if (line.find("rop=NOTMERGEPEN") != std::string::npos) handles++;
    }
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(handles, 8);
    std::ofstream(ArtifactDir() / "plot_figure_2x2.log") << log;
    // The golden drawing: four planes, the frame of the selected one, and
    // plane (1, 1) drawing its objects and pointer again last.
    const std::string golden = std::string(getenv("VELDRA_SOURCE")) + "/tests/plot_device/data/figure_2x2.log";
    if (getenv("VELDRA_UPDATE_GOLDEN")) std::ofstream(golden, std::ios::binary) << log;
    std::ifstream g(golden, std::ios::binary);
    std::stringstream want;
    want << g.rdbuf();
    EXPECT_EQ(log, want.str());

    SavePng(f, 430, 430, "plot_figure_2x2.png");
}

TEST(PlotFigureDraw, PolarAndBoxedPlanesToPng)
{
    TestFigure f;
    f.m_viewWidth = 800;
    f.m_viewHeight = 400;
    CValue r, phi;
    {
        CValueMatrix& a = r.MakeMatrix(1, 64);
        CValueMatrix& b = phi.MakeMatrix(1, 64);
        for (int i = 0; i < 64; i++) {
            a.Cell(0, i) = CValue(1 + std::sin(i * 0.3));
            b.Cell(0, i) = CValue(i * 0.1);
        }
    }
    CommandRecords polar("polar", {r, phi});
    EXPECT_EQ(polar.Run(f), 0);
    CommandRecords bar("bar", {Row({3, 1, 4, 1, 5, 9, 2, 6})}, {{"title", CValue(std::string("bars"))}});
    EXPECT_EQ(bar.Run(f), 0);
    SavePng(f, 800, 400, "plot_figure_polar_bar.png");
    HDC rec = CreateRecordingDC(FALSE);
    f.Draw(rec, true);
    std::ofstream(ArtifactDir() / "plot_figure_polar_bar.log") << GetRecordingLog(rec);
    DeleteDC(rec);
}

// Tick numbers at the plot's edges stay inside the plane (the 15-pixel gaps
// around it are all that is left before the window's edge).
TEST(PlotFigureDraw, WideTickNumbersStayInTheWindow)
{
    for (const char* style : {"boxed", "classic"}) {
        TestFigure f;
        f.m_viewWidth = 400;
        f.m_viewHeight = 300;
        auto b = DataBlock("F", 1, 1, -1, {{{100000, 0.000125}, {500000, 0.000875}}}, {{"axisstyle", style}});
        f.ReadPlot2d(b.data(), b.size(), 0);
        SavePng(f, 400, 300, (std::string("plot_figure_wide_") + style + ".png").c_str());
        HDC rec = CreateRecordingDC(FALSE);
        f.Draw(rec, true);
        std::istringstream in(GetRecordingLog(rec));
        DeleteDC(rec);
        std::string line;
        while (std::getline(in, line)) {
            int x, y, w;
            if (std::sscanf(line.c_str(), "TextOut %d,%d ta=0 w=%d", &x, &y, &w) != 3) continue;
            const RECT& o = f.m_planes[0]->outerRect;
            EXPECT_GE(x, o.left) << style << ": " << line.substr(0, 40);
            EXPECT_LE(x + w, o.right) << style << ": " << line.substr(0, 40);
            EXPECT_GE(y, o.top) << style << ": " << line.substr(0, 40);
        }
    }
}

}  // namespace

#include "support/fuzz_support.h"
#include "support/mutator.h"

namespace {

// Mutated transfer blocks of every kind, one figure for all of them: each is
// applied whole or not at all, never read past its bytes, and nothing is
// allocated beyond what the block's own length can hold.
TEST(PlotFigure, MutatedTransferBlocksNeverCrash)
{
    auto text = [](const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); };
    const std::vector<std::string> seeds = {
        text(DataBlock("F", 1, 1, -1, {kLine, {{5, 5}}}, {{"title", "t"}, {"xlog", "1"}}, {{"graphcolor", "red"}})),
        text(DataBlock("G", 2, 1, 3, {kLine})),
        text(SetBlock(1, 1, -1, {{"linewidth", "3"}, {"xgrid", "1"}, {"title", "s"}})),
        text(SetBlock(-1, -1, 2, {{"pointstyle", "o"}})),
        text(BoundsBlock(1, 1, 0, 10, -5, 5)),
        text(Block([](CPlotBlockWriter& w) { w.Head("F", 1, 1, -1); })),
    };
    int rounds = 4000;
    CMutator m(FuzzSeed(65, rounds));
    TestFigure f;
    for (int i = 0; i < rounds; i++) {
        const std::string bytes = m.Mutate(seeds[(size_t)m.Below((int)seeds.size())], seeds);
        FuzzInput current(bytes);
        // Exact-size copies so ASan sees any read past the block.
        std::vector<uint8_t> exact(bytes.begin(), bytes.end());
        const uint8_t* p = exact.empty() ? nullptr : exact.data();
        switch (i % 5) {
        case 0: f.ReadPlot2d(p, exact.size(), 0); break;
        case 1: f.ReadSet(p, exact.size()); break;
        case 2: f.ReadBounds(p, exact.size()); break;
        case 3: f.ReadClear(p, exact.size()); break;
        default: f.ReadDim(p, exact.size(), (uint32_t)m.Below(1 << 30)); break;
        }
        if (f.m_planes.size() > 40) f.Reset();
    }
}

}  // namespace

#include <malloc.h>
#include <sys/resource.h>

namespace {

// Points that cannot be held are reported as plot2d reports them (90,
// "Internal error, failed to create external-buffer"), never taken as a plot
// without its data. The allocation fails in a child whose address space
// leaves room for one copy of the points but not for a second.
TEST(PlotFigureDeathTest, PointsThatCannotBeHeldAreReported)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator ends the process on a failed allocation";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const int n = 2000000;   // 32 MB of points
    CValue xs;
    CValueMatrix& m = xs.MakeMatrix(1, n);
    for (int i = 0; i < n; i++) m.Cell(0, i) = CValue((double)i);
    CommandRecords cart("", {xs, xs});
    std::vector<uint8_t> block((size_t)n * 16 + 4096);
    {
        CPlotBlockWriter w(block.data(), block.size());
        w.Head("F", 1, 1, -1);
        w.Options({});
        w.U32(1);
        w.U32((uint32_t)n);
        for (int i = 0; i < n; i++) {
            w.F64(i);
            w.F64(-i);
        }
        w.Options({});
        block.resize(w.Written());
    }
    // Less room than one copy of the points needs: the plot fails at
    // whichever step first allocates them.
    auto limited = [](size_t headroom) {
        // Large blocks mapped afresh, never taken from memory freed before.
        mallopt(M_MMAP_THRESHOLD, 128 * 1024);
        malloc_trim(0);
        const rlimit r{AddressSpaceNow() + headroom, RLIM_INFINITY};
        setrlimit(RLIMIT_AS, &r);
    };
    auto nothingKept = [](const CPlotFigure& f) {
        for (const auto& p : f.m_planes)
            if (!p->objects.empty() || !p->m_newObjects.empty()) return false;
        return true;
    };
    for (size_t headroom : {size_t(4) << 20, size_t(12) << 20}) {
        SCOPED_TRACE(headroom >> 20);
        EXPECT_EXIT(
            {
                TestFigure f;
                limited(headroom);
                const LRESULT st = cart.Run(f);
                std::exit(st == 90 && nothingKept(f) ? 90 : 100 + (int)st);
            },
            ::testing::ExitedWithCode(90), "");
        EXPECT_EXIT(
            {
                TestFigure f;
                limited(headroom);
                const LRESULT st = f.ReadPlot2d(block.data(), block.size(), 0);
                std::exit(st == 90 && nothingKept(f) ? 90 : 100 + (int)st);
            },
            ::testing::ExitedWithCode(90), "");
    }
#endif
}

}  // namespace
