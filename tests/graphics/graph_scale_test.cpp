// Transforms, limits, autoscale and zoom of a graph, and the arithmetic of
// its axes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <limits>

#include "graphics/graph.h"
#include "values/stop_probe.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// A graph with a 600 x 400 plot at (100, 50) and the given limits.
void Place(CGraph& g, double xmin, double xmax, double ymin, double ymax)
{
    g.SetPlotRect(RECT{100, 50, 700, 450}, RECT{0, 0, 0, 0}, 0);
    g.limits[BOX_LEFT] = xmin;
    g.limits[BOX_RIGHT] = xmax;
    g.limits[BOX_TOP] = ymax;
    g.limits[BOX_BOTTOM] = ymin;
    g.UpdateScale();
}

CGraphObject* AddObject(CGraph& g, std::vector<Point2D> pts)
{
    g.objects.emplace_back(g.NewObject(nullptr));
    g.objects.back()->SetPointsFrom(pts);
    return g.objects.back().get();
}

}  // namespace

TEST(SetLimits, CorrectsWhatAnAxisCannotShow)
{
    struct Case {
        int xLog, yLog;
        double in[4];    // xmin, ymax, xmax, ymin
        double want[4];  // NaN: just check the span is positive
    };
    const Case cases[] = {
        {1, 0, {-1, 5, -2, 1}, {1e-8, 5, 0.1, 1}},
        {0, 0, {3, 5, 3, 1}, {2.9, 5, 3.1, 1}},
        {0, 0, {0, 8, 1e306, 2}, {0, 8, 10, 2}},  // x refused: the current ones stay
        {0, 0, {kNaN, 8, 4, 2}, {0, 8, 10, 2}},
        {0, 0, {1e20, 5, 1e20, 1}, {1e20 - 1e11, 5, 1e20 + 1e11, 1}},
        {0, 1, {0, 1.1e-15, 1, 0.9e-15}, {0, 1.1e-15, 1, 0.9e-15}},
    };
    for (const Case& c : cases) {
        CGraph g;
        Place(g, 0, 10, -1, 1);
        g.xLog = c.xLog;
        g.yLog = c.yLog;
        double box[4] = {c.in[0], c.in[1], c.in[2], c.in[3]};
        EXPECT_TRUE(g.SetLimits(box));
        for (int i = 0; i < 4; i++) EXPECT_DOUBLE_EQ(box[i], c.want[i]) << i << " of case " << (&c - cases);
    }
    // A log axis squeezed to one value opens by a factor each way and stays positive.
    CGraph g;
    Place(g, 1, 10, 1, 10);
    g.yLog = 1;
    double box[4] = {1, 1e-15, 2, 1e-15};
    g.SetLimits(box);
    EXPECT_GT(box[BOX_BOTTOM], 0);
    EXPECT_GT(box[BOX_TOP], box[BOX_BOTTOM]);
    EXPECT_GT(std::log10(box[BOX_TOP] / box[BOX_BOTTOM]), 0.1);
    double lin[4] = {1e20, 7, 1e20, 7};
    g.yLog = 0;
    g.SetLimits(lin);
    EXPECT_GT(lin[BOX_RIGHT] - lin[BOX_LEFT], 0);
    EXPECT_GT(lin[BOX_TOP] - lin[BOX_BOTTOM], 0);
}

TEST(SetLimits, BoundsRefuseMovesFartherOutside)
{
    CGraph g;
    Place(g, 0, 10, 0, 10);
    g.bounds[BOX_LEFT] = -5;
    g.bounds[BOX_RIGHT] = 15;
    double ok[4] = {-4, 10, 14, 0};
    g.SetLimits(ok);
    EXPECT_EQ(ok[BOX_LEFT], -4);
    double bad[4] = {-11, 10, 9, 0};  // 6 outside the bound, the current limit is 5 inside
    g.SetLimits(bad);
    EXPECT_EQ(bad[BOX_LEFT], 0);
    EXPECT_EQ(bad[BOX_RIGHT], 10);
}

TEST(Transforms, WorldAndDeviceOnLinearAndLogAxes)
{
    CGraph g;
    Place(g, 0, 60, -2, 2);
    EXPECT_EQ(g.WorldToDevice(Point2D{0, 2}).y, 50);  // ymax on the top edge
    EXPECT_EQ(g.WorldToDevice(Point2D{0, -2}).y, 450);
    EXPECT_EQ(g.WorldToDevice(Point2D{60, 0}).x, 700);
    EXPECT_LT(g.yUnitsPerPixel, 0);
    EXPECT_DOUBLE_EQ(g.DeviceToWorldX(400), 30);
    EXPECT_TRUE(g.IsDrawable(Point2D{30, 0}));
    EXPECT_FALSE(g.IsDrawable(Point2D{1e9, 0}));
    EXPECT_FALSE(g.IsDrawable(Point2D{kNaN, 0}));

    g.xLog = 1;
    g.yLog = 1;
    Place(g, 1, 1000, 1, 100);
    EXPECT_EQ(g.WorldToDevice(Point2D{0, 1}).x, 50);  // left - 50
    EXPECT_EQ(g.WorldToDevice(Point2D{1, -1}).y, 500);  // bottom + 50
    EXPECT_EQ(g.WorldToDevice(Point2D{10, 10}).x, 300);
    EXPECT_EQ(g.WorldToDevice(Point2D{10, 10}).y, 250);
    EXPECT_NEAR(g.DeviceToWorldX(500), 100, 1e-12);
}

TEST(Transforms, RescaleClipsACrossingPolyline)
{
    for (int log = 0; log < 2; log++) {
        CGraph g;
        g.xLog = g.yLog = log;
        Place(g, 1, 100, 1, 100);
        CGraphObject* o = AddObject(g, {{0.5, 50}, {50, 50}, {50, 1000}});
        g.Rescale();
        ASSERT_EQ(o->DrawCount(), 3u) << log;
        ASSERT_EQ(o->ScreenPoints().size(), 3u);
        for (const POINT& p : o->ScreenPoints()) {
            EXPECT_GE(p.x, 97);
            EXPECT_LE(p.x, 702);
            EXPECT_GE(p.y, 47);
            EXPECT_LE(p.y, 452);
        }
        // The middle point is the data point itself, in world units.
        EXPECT_NEAR(o->DrawPoints()[1].x, 50, 1e-9);
        EXPECT_NEAR(o->DrawPoints()[1].y, 50, 1e-9);
        EXPECT_EQ(o->ScreenPoints()[1].x, g.WorldToDevice(Point2D{50, 50}).x);
        EXPECT_NEAR(o->DrawPoints()[2].x, 50, 1e-9);
        EXPECT_GT(o->DrawPoints()[2].y, 100);  // cut 2 units above the plot
        // Filled polygons come back closed.
        o->kind = 2;
        g.Rescale();
        EXPECT_EQ(o->DrawPoints().front().x, o->DrawPoints().back().x);
        EXPECT_EQ(o->DrawPoints().front().y, o->DrawPoints().back().y);
        EXPECT_EQ(o->DrawCount(), 6u);  // two corners cut off: five vertices, closed
    }
}

TEST(Transforms, RescaleOfWholeCurvesMatchesTheClippedForm)
{
    // A polyline that clipping leaves whole keeps no second copy of its
    // points; whatever path a curve takes, the prepared and device points are
    // those of the clip and transform spelled out here.
    CGraph g;
    Place(g, 0, 10, -1, 1);
    const double l = g.DeviceToWorldX(100 - 2), r = g.DeviceToWorldX(700 + 2);
    const double t = g.DeviceToWorldY(50 - 2), b = g.DeviceToWorldY(450 + 2);
    const std::vector<std::vector<Point2D>> cases = {
        {},
        {{5, 0}},
        {{0, -1}, {10, 1}, {3, 0.5}},
        {{l, b}, {r, t}},                       // on the clip box's corners
        {{std::nextafter(l, -1.0), 0}, {5, 0}},  // just left of it
        {{5, 0}, {5, std::nextafter(t, 9.0)}},   // just above it
        {{1, 0}, {r * 2, 0.5}, {2, 0}},
        {{1, 0}, {kNaN, 0}, {2, 0}},
        {{1, 0}, {2, kInf}},
        {{1e-300, 1e-300}, {-1e-300, -1e-300}},
    };
    for (size_t c = 0; c < cases.size(); c++) {
        for (uint8_t kind : {1, 2, 3}) {
            g.objects.clear();
            CGraphObject* o = AddObject(g, cases[c]);
            o->kind = kind;
            g.Rescale();
            PointList want = kind == 2 ? PointList::ClosedPolygon(cases[c].data(), (int32_t)cases[c].size())
                                       : PointList(cases[c].data(), (int32_t)cases[c].size());
            ClipPolyline(want, Segment{l, t, r, b});
            ASSERT_EQ(o->DrawCount(), (uint32_t)want.Count()) << "case " << c << " kind " << (int)kind;
            ASSERT_EQ(o->ScreenPoints().size(), (size_t)want.Count());
            for (int32_t i = 0; i < want.Count(); i++) {
                EXPECT_EQ(std::memcmp(&o->DrawPoints()[(size_t)i], &want[i], sizeof(Point2D)), 0) << c << " " << i;
                const POINT d = g.WorldToDevice(want[i]);
                EXPECT_EQ(o->ScreenPoints()[(size_t)i].x, d.x) << c << " " << i;
                EXPECT_EQ(o->ScreenPoints()[(size_t)i].y, d.y) << c << " " << i;
            }
        }
    }
    // A long hairline's column runs come with its device points, as the
    // reduction of those points would make them.
    g.objects.clear();
    std::vector<Point2D> curve;
    for (int i = 0; i < 20000; i++) curve.push_back(Point2D{i * 10.0 / 20000, std::sin(i * 0.01) * 0.9});
    CGraphObject* line = AddObject(g, curve);
    g.Rescale();
    std::vector<POINT> runs;
    ReduceColumnRuns(line->ScreenPoints().data(), line->ScreenPoints().size(), runs);
    ASSERT_FALSE(line->ColumnRuns().empty());
    EXPECT_EQ(std::memcmp(line->ColumnRuns().data(), runs.data(), runs.size() * sizeof(POINT)), 0);
    EXPECT_EQ(line->ColumnRuns().size(), runs.size());
    line->penWidth = 3;  // a wide line is drawn whole: no runs are made for it
    line->AppendPoint(Point2D{1, 0});
    g.Rescale();
    EXPECT_TRUE(line->ColumnRuns().empty());

    // A copy of an object prepared that way draws from its own points.
    g.objects.clear();
    CGraphObject* o = AddObject(g, {{1, 0}, {2, 0.5}});
    g.Rescale();
    CGraphObject copy(*o);
    o->FreePoints();
    ASSERT_EQ(copy.DrawCount(), 2u);
    EXPECT_EQ(copy.DrawPoints()[1].y, 0.5);
}

TEST(AutoScale, DataBoxesMarginsAndDegenerateSpans)
{
    CGraph g;
    Place(g, 0, 1, 0, 1);
    EXPECT_FALSE(g.AutoScale(0.05));  // nothing to scale to: the limits stay
    EXPECT_EQ(g.limits[BOX_RIGHT], 1);
    AddObject(g, {{2, 3}});
    ASSERT_TRUE(g.AutoScale(0.05));
    EXPECT_DOUBLE_EQ(g.limits[BOX_LEFT], 1.9);
    EXPECT_DOUBLE_EQ(g.limits[BOX_RIGHT], 2.1);
    EXPECT_DOUBLE_EQ(g.limits[BOX_BOTTOM], 2.85);
    EXPECT_DOUBLE_EQ(g.limits[BOX_TOP], 3.15);

    AddObject(g, {{0, 0}, {kNaN, 5}, {10, kInf}, {-kInf, 1}});
    ASSERT_TRUE(g.AutoScale(0.1));
    EXPECT_DOUBLE_EQ(g.limits[BOX_LEFT], -1);
    EXPECT_DOUBLE_EQ(g.limits[BOX_RIGHT], 11);
    EXPECT_DOUBLE_EQ(g.limits[BOX_BOTTOM], -0.5);  // the y of (NaN, 5) still counts
    EXPECT_DOUBLE_EQ(g.limits[BOX_TOP], 5.5);
    g.objects[1]->visible = 0;  // hidden objects do not count
    ASSERT_TRUE(g.AutoScale(0.05));
    EXPECT_DOUBLE_EQ(g.limits[BOX_LEFT], 1.9);

    // A log axis gets its margin in decades.
    CGraph lg;
    lg.yLog = 1;
    Place(lg, 0, 1, 1, 10);
    AddObject(lg, {{0, 1e-12}, {1, 1e-9}});
    ASSERT_TRUE(lg.ZoomToFit());
    EXPECT_NEAR(lg.limits[BOX_BOTTOM], 1e-12 / std::pow(10, 0.15), 1e-24);
    EXPECT_NEAR(lg.limits[BOX_TOP], 1e-9 * std::pow(10, 0.15), 1e-21);
    EXPECT_EQ(lg.previousLimits[BOX_TOP], 10);

    double box[4] = {1, 5, 1, 2}, out[4];
    ASSERT_TRUE(g.CalcAutoLimits(box, out, 0.05));
    EXPECT_DOUBLE_EQ(out[BOX_LEFT], 0.95);
    EXPECT_DOUBLE_EQ(out[BOX_RIGHT], 1.05);
    EXPECT_EQ(out[BOX_TOP], 5);  // a finite box is taken unchanged
}

TEST(Zoom, InOutAxesAndBack)
{
    CGraph g;
    Place(g, 0, 10, 0, 10);
    ASSERT_TRUE(g.Zoom(0.1));
    EXPECT_DOUBLE_EQ(g.limits[BOX_LEFT], 1);
    EXPECT_DOUBLE_EQ(g.limits[BOX_RIGHT], 9);
    EXPECT_DOUBLE_EQ(g.limits[BOX_BOTTOM], 1);
    EXPECT_EQ(g.previousLimits[BOX_RIGHT], 10);
    ASSERT_TRUE(g.ZoomBack());
    EXPECT_EQ(g.limits[BOX_LEFT], 0);
    EXPECT_EQ(g.limits[BOX_RIGHT], 10);
    EXPECT_FALSE(g.ZoomBack());
    ASSERT_TRUE(g.ZoomY(-0.1));
    EXPECT_DOUBLE_EQ(g.limits[BOX_TOP], 11);
    EXPECT_EQ(g.limits[BOX_RIGHT], 10);
    g.equalAxes = 1;
    EXPECT_FALSE(g.ZoomX(0.1));
    g.equalAxes = 0;
    g.axisStyle = AXIS_POLAR;
    EXPECT_FALSE(g.ZoomX(0.1));
    g.axisStyle = AXIS_CLASSIC;
    Place(g, 5, 5, 0, 10);
    EXPECT_FALSE(g.Zoom(0.1));
    EXPECT_EQ(g.limits[BOX_LEFT], 5);
}

TEST(PlotRect, MarginsAndPolarSquares)
{
    CGraph g;
    EXPECT_TRUE(g.SetPlotRect(RECT{0, 0, 300, 200}, RECT{20, 10, 0, 30}, 0));
    EXPECT_EQ(g.plotRect.left, 20);
    EXPECT_EQ(g.plotRect.bottom, 170);
    EXPECT_FALSE(g.SetPlotRect(RECT{0, 0, 300, 200}, RECT{200, 0, 100, 0}, 0));
    EXPECT_EQ(g.outerRect.right, 0);
    g.axisStyle = AXIS_POLAR;
    EXPECT_TRUE(g.SetPlotRect(RECT{0, 0, 300, 200}, RECT{0, 0, 0, 0}, 10));
    EXPECT_EQ(g.plotRect.left, 150 - 86);
    EXPECT_EQ(g.plotRect.bottom, 100 + 86);
    EXPECT_FALSE(g.SetPlotRect(RECT{0, 0, 20, 20}, RECT{0, 0, 0, 0}, 10));
    EXPECT_EQ(g.plotRect.right, 0);
    EXPECT_EQ(g.outerRect.right, 0);
}

TEST(AxisArithmetic, NiceStepsAndRounding)
{
    EXPECT_DOUBLE_EQ(CGraph::NiceStep(0.37, 1), 0.5);
    EXPECT_DOUBLE_EQ(CGraph::NiceStep(1.4, 1), 1);
    EXPECT_DOUBLE_EQ(CGraph::NiceStep(-36, 1), -50);
    EXPECT_DOUBLE_EQ(CGraph::NiceStep(8, 1), 10);
    EXPECT_DOUBLE_EQ(CGraph::NiceStep(250, 1), 200);
    EXPECT_EQ(CGraph::NiceStep(0, 1), 0);
    EXPECT_EQ(CGraph::NiceStep(kInf, 1), kInf);
    EXPECT_EQ(CGraph::NiceStep(-kInf, 1), -kInf);
    EXPECT_TRUE(std::isnan(CGraph::NiceStep(kNaN, 1)));
    EXPECT_TRUE(std::isfinite(CGraph::NiceStep(1e-320, 1)));
    EXPECT_DOUBLE_EQ(CGraph::RoundUpTo(7, 5), 10);
    EXPECT_DOUBLE_EQ(CGraph::RoundDownTo(-7, 5), -10);
}

TEST(AxisText, NumbersTimesAndFormats)
{
    setenv("TZ", "UTC", 1);
    tzset();
    struct Case {
        int type;
        double v;
        const char* want;
    };
    const Case cases[] = {
        {VALUE_REAL, 0.5, "0.5"},
        {VALUE_TIME, 3725.5, "01:02:05.500"},
        {VALUE_TIME, 5e6, "20:53:20.000"},
        {VALUE_TIME, -1, "IND"},
        {VALUE_TIME, kNaN, "IND"},
        {VALUE_TIME, 1e300, "IND"},
        {VALUE_MINTIME, 3725.5, "02:05.500"},
        {VALUE_MINTIME, -kInf, "IND"},
        {VALUE_DAYTIME, 0, "00:00:00\n01-Jan, 1970"},
        {VALUE_DAYTIME, 86399.6, "00:00:00\n02-Jan, 1970"},
        {VALUE_DAYTIME, kNaN, "IND"},
        {VALUE_DAYTIME, 1e300, "IND"},
        {VALUE_LOGIC, 1, ""},
        {4, 1, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatAxisValue(c.v, c.type, "%.6g"), c.want) << c.type << " " << c.v;

    EXPECT_EQ(SafeNumberFormat("%s%n%s"), "%.6g");
    EXPECT_EQ(FormatAxisValue(2, VALUE_REAL, "%s%n%s"), "2");
    const char* good[] = {"%.3f", "%-+ #08.12e", "x=%g%%", "%%%A", "%5G"};
    for (const char* f : good) EXPECT_EQ(SafeNumberFormat(f), f);
    const char* bad[] = {"%d", "%f %f", "%123f", "%.123f", "no conversion", "%lf", "%", "%*f", "%.f%"};
    for (const char* f : bad) EXPECT_EQ(SafeNumberFormat(f), "%.6g") << f;
    EXPECT_EQ(SafeNumberFormat(std::string("%.6\0f", 5)), "%.6g");  // printf would stop at the NUL
    EXPECT_EQ(SafeNumberFormat(std::string("%g\0%s", 5)), "%.6g");

    CGraph g;
    g.yAxisFlags = (VALUE_TIME << 4) | 3;
    std::string t;
    g.FormatTickLabelX(1.5, t);
    EXPECT_EQ(t, "1.5");
    g.FormatTickLabelY(1.5, t);
    EXPECT_EQ(t, "00:00:01.500");
}

TEST(Snapping, DraggedPointsTouchOtherSegmentsWithinTwoUnits)
{
    for (int log = 0; log < 2; log++) {
        CGraph g;
        g.xLog = g.yLog = log;
        Place(g, 1, 100, 1, 100);
        AddObject(g, {{10, 50}, {90, 50}});
        CGraphObject* dragged = AddObject(g, {{20, 20}, {30, 30}});
        Point2D near{0, 50.0 - 20 + 1e-3};
        EXPECT_TRUE(g.FindPointNear(dragged, {0}, near)) << log;
        EXPECT_EQ(near.x, 0);  // the offset stays as it was
        Point2D far{0, 10};
        EXPECT_FALSE(g.FindPointNear(dragged, {0}, far)) << log;
        // The dragged point's own segments do not count.
        Point2D self{5, 5};
        EXPECT_FALSE(g.FindPointNear(dragged, {0}, self)) << log;
    }
}

// A device's layout for a program that has stopped gives up between blocks
// of points: the bounds cover only the first block, the points are left
// unprepared (whichever way they would be prepared), and the same work
// outside the request, or under CRunToEnd, runs in full.
TEST(RequestStop, BoundsAndRescaleGiveUpBetweenBlocks)
{
    constexpr int n = 300000;
    struct Case {
        const char* name;
        double ymin, ymax;  // the limits: the points reach 0..1
        int yLog;
    };
    const Case cases[] = {
        {"inside", -1, 2, 0},
        {"clipped", 0.25, 0.75, 0},
        {"log", 1e-3, 2, 1},
    };
    std::vector<Point2D> pts(n);
    for (int i = 0; i < n; i++) pts[i] = Point2D{(double)i + 1, (i % 2) ? 1.0 : 0.5};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CGraph g;
        Place(g, 0, n + 1, c.ymin, c.ymax);
        g.yLog = c.yLog;
        CGraphObject* o = AddObject(g, pts);
        double box[4];
        {
            const CRequestStopScope request;
            NoteProgramStopBroadcast();
            ASSERT_TRUE(RequestStopped());
            ASSERT_TRUE(o->GetBounds(box, false, false));
            EXPECT_LT(box[2], n) << "the last point was looked at";
            g.Rescale();
            EXPECT_TRUE(o->ScreenPoints().empty());
            {
                const CRunToEnd toTheEnd;
                EXPECT_FALSE(RequestStopped());
                ASSERT_TRUE(o->GetBounds(box, false, false));
                EXPECT_EQ(box[2], n);
            }
        }
        EXPECT_FALSE(RequestStopped());
        g.Rescale();
        EXPECT_FALSE(o->ScreenPoints().empty());
    }
}

namespace {

// The column runs of a whole line made one point after another: given up once
// they keep more than a quarter of the points so far (plus 4096), or more than
// half of all at the end.
std::vector<POINT> RunsOneByOne(const std::vector<POINT>& s)
{
    std::vector<POINT> runs;
    CColumnRunReducer r(runs);
    for (size_t i = 0; i < s.size(); i++) {
        r.Add(s[i]);
        if (runs.size() > i / 4 + 4096) return {};
    }
    r.Finish();
    if (runs.size() > s.size() / 2) return {};
    return runs;
}

}  // namespace

// Lines of a million points and more are prepared in slices at once: the
// device points and column runs are those of the one pass, whatever the
// slices cut (a column longer than a slice, columns across the cuts, data
// that turns scattered where no slice alone would see it).
TEST(Transforms, LargeLinesPreparedInSlicesMatchTheOnePass)
{
    constexpr int n = (1 << 20) + 4321;
    struct Case {
        const char* name;
        std::function<Point2D(int)> at;
        bool runsKept;
    };
    // 600 device columns over x in 0..600: x = column + 0.5 lands in it.
    const Case cases[] = {
        {"noisy sine", [](int i) { return Point2D{i * 600.0 / n, std::sin(i * 1e-4) * 0.8 + ((i * 7919LL) % 13) * 0.01}; }, true},
        {"one column", [](int i) { return Point2D{300.5, ((i * 31LL) % 101) / 101.0 - 0.5}; }, true},
        {"columns across the cuts", [](int i) { return Point2D{i / 99991 + 0.5, ((i * 17LL) % 23) / 23.0 - 0.5}; }, true},
        {"scattered", [](int i) { return Point2D{(double)((i * 7919LL) % 600) + 0.5, ((i * 31LL) % 97) / 97.0 - 0.5}; }, false},
        // Columns of 20 points, then of 4 from six tenths on: the slices
        // after that alone stay below the limit, the whole line does not.
        {"scattered late",
         [](int i) {
             const int cut = n / 10 * 6, col = i < cut ? i / 20 : cut / 20 + (i - cut) / 4;
             return Point2D{(col % 600) + 0.5, ((i * 37LL) % 41) / 41.0 - 0.5};
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CGraph g;
        Place(g, 0, 600, -1, 1);
        std::vector<Point2D> pts(n);
        for (int i = 0; i < n; i++) pts[i] = c.at(i);
        CGraphObject* o = AddObject(g, pts);
        g.Rescale();
        ASSERT_EQ(o->ScreenPoints().size(), (size_t)n);
        int differ = 0;
        std::vector<POINT> want(n);
        for (int i = 0; i < n; i++) {
            want[i] = g.WorldToDevice(pts[i]);
            if ((want[i].x != o->ScreenPoints()[i].x || want[i].y != o->ScreenPoints()[i].y) && differ++ < 3)
                ADD_FAILURE() << "point " << i;
        }
        EXPECT_EQ(differ, 0);
        const std::vector<POINT> runs = RunsOneByOne(want);
        EXPECT_EQ(!runs.empty(), c.runsKept);
        ASSERT_EQ(o->ColumnRuns().size(), runs.size());
        for (size_t i = 0; i < runs.size(); i++)
            ASSERT_TRUE(o->ColumnRuns()[i].x == runs[i].x && o->ColumnRuns()[i].y == runs[i].y) << "run point " << i;
    }
}
