// Graph objects: defaults, point arrays, bounds, pointer placement, hit tests
// and the shape builders.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "graphics/graph.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();
const double kPi = 3.141592653589793;

void ExpectPoints(const CGraphObject& o, std::vector<Point2D> want, double tol = 0)
{
    ASSERT_EQ(o.Count(), want.size());
    for (size_t i = 0; i < want.size(); i++) {
        EXPECT_NEAR(o.Points()[i].x, want[i].x, tol) << "point " << i;
        EXPECT_NEAR(o.Points()[i].y, want[i].y, tol) << "point " << i;
    }
}

}  // namespace

TEST(GraphObject, ANewObjectIsAnEmptyVisibleLine)
{
    CGraphObject o;
    EXPECT_EQ(o.Count(), 0u);
    EXPECT_EQ(o.Points(), nullptr);
    EXPECT_EQ(o.id, -1);
    EXPECT_EQ(o.fillStyle, -2);
    EXPECT_EQ(o.kind, 1);
    EXPECT_EQ(o.marker, 0);
    EXPECT_EQ(o.visible, 1);
    EXPECT_EQ(o.inLegend, 1);
    EXPECT_EQ(o.cacheMark, -1);
}

TEST(GraphObject, AppendingGrowsByTheRuleAndClearsTheCacheMark)
{
    CGraphObject o;
    ASSERT_NE(o.AppendPoint(Point2D{1, 2}), nullptr);
    EXPECT_EQ(o.Capacity(), 100u);
    for (int i = 1; i < 100; i++) o.AppendPoint(Point2D{(double)i, 0});
    EXPECT_EQ(o.Capacity(), 100u);
    o.cacheMark = 5;
    Point2D* p = o.AppendPoint(Point2D{7, 7});
    EXPECT_EQ(o.Capacity(), 300u);  // old capacity + count + 100
    EXPECT_EQ(o.Count(), 101u);
    EXPECT_EQ(o.IndexOfPoint(p), 100);
    EXPECT_EQ(o.IndexOfPoint(nullptr), -1);
    EXPECT_EQ(o.cacheMark, -1);
    EXPECT_EQ(o.Points()[0].y, 2);

    // A copy holds exactly its points and keeps its own mark.
    o.cacheMark = 3;
    CGraphObject c(o);
    EXPECT_EQ(c.Capacity(), 101u);
    EXPECT_NE(c.Points(), o.Points());
    EXPECT_EQ(c.cacheMark, 3);
    o.SetPoints(nullptr, 0);
    EXPECT_EQ(o.cacheMark, -1);
    EXPECT_EQ(c.cacheMark, 3);

    // AllocPoints reuses an array that is big enough.
    const Point2D* before = c.Points();
    EXPECT_EQ(c.AllocPoints(50), before);
    EXPECT_EQ(c.Count(), 50u);
    EXPECT_EQ(c.Capacity(), 101u);
    EXPECT_EQ(c.cacheMark, -1);
}

TEST(GraphObject, CopyStyleKeepsThePoints)
{
    CGraphObject a, b;
    a.legend = "L";
    a.color = 0xFF;
    a.id = 9;
    a.userWord = 4;
    Point2D p[2] = {{1, 1}, {2, 2}};
    b.SetPoints(p, 2);
    b.cacheMark = 1;
    EXPECT_TRUE(b.CopyStyle(a));
    EXPECT_EQ(b.legend, "L");
    EXPECT_EQ(b.id, 9);
    EXPECT_EQ(b.userWord, 4);
    EXPECT_EQ(b.Count(), 2u);
    EXPECT_EQ(b.cacheMark, 1);
}

TEST(GraphObject, BoundsSkipWhatTheAxisCannotShow)
{
    struct Case {
        std::vector<Point2D> pts;
        bool xLog, yLog, ok;
        double box[4];
    };
    const Case cases[] = {
        {{{1, 2}, {3, -4}}, false, false, true, {1, 2, 3, -4}},
        {{{-1, 2}, {-3, 4}}, true, false, false, {}},
        // The first point needs both coordinates; later ones count per axis.
        {{{-1, 5}, {2, 3}, {4, -1}}, false, true, true, {-1, 5, 4, 3}},
        {{{-1, 5}, {2, 3}, {4, -1}}, true, true, true, {2, 3, 4, 3}},
        {{{kNaN, 1}, {1, kInf}, {2, 3}, {5, kNaN}, {-kInf, 0}}, false, false, true, {2, 3, 5, 0}},
        {{{kNaN, kNaN}}, false, false, false, {}},
    };
    for (const Case& c : cases) {
        CGraphObject o;
        o.SetPointsFrom(c.pts);
        double box[4] = {7, 7, 7, 7};
        ASSERT_EQ(o.GetBounds(box, c.xLog, c.yLog), c.ok);
        if (!c.ok) continue;
        for (int i = 0; i < 4; i++) EXPECT_EQ(box[i], c.box[i]) << i;
    }
    CGraphObject o;
    o.SetPointsFrom({{3, 4}, {kNaN, 1}, {-1, 0}});
    double box[4];
    ASSERT_TRUE(o.GetPolarBounds(box, false, false));
    EXPECT_EQ(box[0], -5);
    EXPECT_EQ(box[1], 5);
    EXPECT_EQ(box[2], 5);
    EXPECT_EQ(box[3], -5);
}

TEST(GraphObject, PointerGoesToTheFirstPositivePointOrTheFirstFinite)
{
    CGraphObject o;
    EXPECT_FALSE(o.SetPointer(3, nullptr));
    EXPECT_EQ(o.pointerFlags, 0);
    o.SetPointsFrom({{kNaN, 1}, {-1, -2}, {3, 4}});
    EXPECT_TRUE(o.SetPointer(3, nullptr));
    EXPECT_EQ(o.pointer.x, 3);
    EXPECT_EQ(o.pointerFlags, 3);
    o.SetPointsFrom({{kNaN, 1}, {-1, -2}, {0, 4}});
    EXPECT_TRUE(o.SetPointer(1, nullptr));
    EXPECT_EQ(o.pointer.x, -1);
    o.SetPointsFrom({{kNaN, kInf}});
    o.pointerFlags = 7;
    EXPECT_FALSE(o.SetPointer(1, nullptr));
    EXPECT_EQ(o.pointerFlags, 0);
    Point2D at{9, 9};
    EXPECT_TRUE(o.SetPointer(2, &at));
    EXPECT_EQ(o.pointer.y, 9);
}

TEST(GraphObject, HitTestsFollowTheSegments)
{
    CGraphObject o;
    o.SetPointsFrom({{0, 0}, {10, 0}, {10, 10}});
    EXPECT_TRUE(o.HitSegments(Point2D{5, 0.05}, {}, 0.1, 0.1));
    EXPECT_FALSE(o.HitSegments(Point2D{5, 5}, {}, 0.1, 0.1));
    EXPECT_FALSE(o.HitSegments(Point2D{5, 0.05}, {0}, 0.1, 0.1));  // excluded end breaks the chain
    EXPECT_FALSE(o.HitSegments(Point2D{5, 5}, {}, 0.1, 0.1));
    o.kind = 2;  // the closing edge counts for polygons
    EXPECT_TRUE(o.HitSegments(Point2D{5, 5.01}, {}, 0.1, 0.1));

    EXPECT_EQ(o.PointsNear(Point2D{10, 0.5}, 1, 1), std::vector<int32_t>{1});
    EXPECT_EQ(o.PointsNear(Point2D{5, 0}, 1, 1), (std::vector<int32_t>{0, 1}));
    EXPECT_TRUE(o.PointsNear(Point2D{3, 7}, 1, 1).empty());
}

TEST(PolarFrame, OffsetsAndConversions)
{
    CGraph g;
    g.SetPolarOffset(450);
    EXPECT_DOUBLE_EQ(g.polarOffset, kPi / 2);
    g.SetPolarOffset(-90);
    EXPECT_DOUBLE_EQ(g.polarOffset, -kPi / 2);
    g.SetPolarOffset(0);
    Point2D rp = g.CartesianToPolar(Point2D{0, -1});
    EXPECT_DOUBLE_EQ(rp.y, 3 * kPi / 2);
    rp = g.CartesianToPolar(Point2D{0, 0});
    EXPECT_EQ(rp.x, 0);
    EXPECT_EQ(rp.y, 0);
    // Rounding of x / rho past 1 must not give NaN.
    rp = g.CartesianToPolar(Point2D{1e-300, 1e-320});
    EXPECT_FALSE(std::isnan(rp.y));

    // With -90 degrees phi 0 lies on the positive y axis and grows clockwise.
    g.SetPolarOffset(-90);
    Point2D c = g.PolarToCartesian(Point2D{1, 0});
    EXPECT_NEAR(c.x, 0, 1e-15);
    EXPECT_NEAR(c.y, 1, 1e-15);
    c = g.PolarToCartesian(Point2D{1, kPi / 2});
    EXPECT_NEAR(c.x, 1, 1e-15);
    EXPECT_NEAR(c.y, 0, 1e-15);
    rp = g.CartesianToPolar(Point2D{1, 0});
    EXPECT_NEAR(rp.y, kPi / 2, 1e-15);

    Point2D disp;
    g.axisStyle = AXIS_POLAR;
    g.ToDisplayPoint(disp, Point2D{1, 0});
    EXPECT_NEAR(disp.y, 90, 1e-12);
}

TEST(ShapePoints, CompassPolarStairsBarsAndEllipses)
{
    CGraph g;
    g.SetPolarOffset(-90);
    CGraphObject compass;
    compass.SetPointsFrom({{0, 0}, {1, 0}});
    compass.MakeCompass(g);
    EXPECT_EQ(compass.Points()[0].x, 0);  // the tail stays at the origin
    EXPECT_EQ(compass.Points()[0].y, 0);
    EXPECT_NEAR(compass.Points()[1].x, 0, 1e-15);  // angle 0 of the data is phi 0: up
    EXPECT_NEAR(compass.Points()[1].y, 1, 1e-15);
    g.SetPolarOffset(90);
    compass.SetPointsFrom({{0, 0}, {1, 0}});
    compass.MakeCompass(g);
    EXPECT_NEAR(compass.Points()[1].y, 1, 1e-15);

    CGraphObject polar;
    Point2D pairs[2] = {{2, 0}, {1, kPi / 2}};
    g.SetPolarOffset(0);
    ASSERT_TRUE(polar.SetPolarPoints(g, pairs, 2));
    ExpectPoints(polar, {{2, 0}, {0, 1}}, 1e-15);

    CGraphObject stairs;
    Point2D s[3] = {{0, 1}, {1, 1}, {2, 3}};
    stairs.SetStairsPoints(s, 3, 0);
    ExpectPoints(stairs, {{0, 1}, {2, 1}, {2, 3}});
    stairs.SetStairsPoints(s, 3, 1);
    ExpectPoints(stairs, {{0, 0}, {0, 1}, {2, 1}, {2, 3}, {2, 0}});
    stairs.SetStairsPoints(s, 3, 4);
    ExpectPoints(stairs, {{0, 1}, {1, 1}, {2, 3}});
    stairs.SetStairsPoints(s, 3, 2);
    ExpectPoints(stairs, {{0, 1}, {1, 1}, {1, 3}, {2, 3}});
    stairs.SetStairsPoints(s, 0, 0);
    EXPECT_EQ(stairs.Count(), 0u);

    CGraphObject bars;
    Point2D one[1] = {{5, 2}};
    bars.SetBarPoints(one, 1, 2, 0);
    ExpectPoints(bars, {{4.055, 0}, {4.055, 2}, {5.945, 2}, {5.945, 0}}, 1e-12);
    // A repeated x says nothing about the spacing.
    Point2D dup[3] = {{1, 1}, {1, 2}, {3, 1}};
    bars.SetBarPoints(dup, 3, -1, 2);
    ASSERT_EQ(bars.Count(), 15u);
    EXPECT_NEAR(bars.Points()[0].x, 0.1, 1e-12);  // 0.9 x spacing 2
    EXPECT_EQ(bars.Points()[2].x, 1);             // the data point joins the outline
    Point2D same[2] = {{1, 1}, {1, 2}};
    bars.SetBarPoints(same, 2, 2, 0);
    EXPECT_NEAR(bars.Points()[3].x - bars.Points()[0].x, 1.89, 1e-12);
    Point2D horiz[2] = {{2, 1}, {3, 3}};
    bars.SetBarPoints(horiz, 2, 0.5, 1);
    ExpectPoints(bars, {{0, 0.75}, {2, 0.75}, {2, 1.25}, {0, 1.25}, {0, 2.75}, {3, 2.75}, {3, 3.25}, {0, 3.25}});

    CGraphObject ell;
    ASSERT_TRUE(ell.SetEllipsePoints(Point2D{1, 2}, 3, 1, 0.5, 4));
    ASSERT_EQ(ell.Count(), 8u);
    EXPECT_NEAR(ell.Points()[0].x, 1 + 3 * std::cos(0.5), 1e-15);
    EXPECT_NEAR(ell.Points()[0].y, 2 + 3 * std::sin(0.5), 1e-15);
    EXPECT_NEAR(ell.Points()[4].x, 1 - 3 * std::cos(0.5), 1e-15);
    ell.SetEllipsePoints(Point2D{1, 2}, 3, 1, 0.5, 0);
    EXPECT_EQ(ell.Count(), 0u);
}

TEST(GraphModel, DefaultsRemovalAndCopies)
{
    CGraph g;
    EXPECT_EQ(g.titlePosition, 1);
    EXPECT_EQ(g.legendPosition, 1);
    EXPECT_EQ(g.axisStyle, AXIS_CLASSIC);
    EXPECT_EQ(g.xAxisFlags, 3);
    EXPECT_EQ(g.yAxisFlags, 3);
    EXPECT_EQ(g.gridColor, 0x646464u);
    EXPECT_EQ(g.background, 0x80000000u);
    EXPECT_EQ(g.entryMaxCount, 0u);
    EXPECT_EQ(g.titleFont, "Arial");

    for (int i = 0; i < 3; i++) {
        g.objects.emplace_back(g.NewObject(nullptr));
        g.objects.back()->id = i == 2 ? 5 : 4;
        g.objects.back()->SetPointsFrom({{(double)i, 1}});
    }
    EXPECT_FALSE(g.IsEmpty());
    EXPECT_EQ(g.RemoveObjectsById(77, nullptr), 0);
    EXPECT_EQ(g.FindObjectById(5), g.objects[2].get());
    EXPECT_EQ(g.IndexOfObject(g.objects[1].get()), 1);

    g.entryObject = g.objects[1].get();
    g.mouseMode = 2;
    g.entryMaxCount = 7;
    CGraph c;
    ASSERT_TRUE(c.CopyFrom(g));
    ASSERT_EQ(c.objects.size(), 3u);
    for (size_t i = 0; i < 3; i++) {
        EXPECT_NE(c.objects[i].get(), g.objects[i].get());
        EXPECT_EQ(c.objects[i]->id, g.objects[i]->id);
        EXPECT_EQ(c.objects[i]->Points()[0].x, (double)i);
    }
    EXPECT_EQ(c.entryObject, c.objects[1].get());
    EXPECT_EQ(c.mouseMode, 1);
    EXPECT_EQ(c.entryMaxCount, 7u);

    CGraphObject* keep = g.objects[0].get();
    EXPECT_EQ(g.RemoveObjectsById(4, keep), 1);
    ASSERT_EQ(g.objects.size(), 2u);
    EXPECT_EQ(g.objects[0].get(), keep);
    EXPECT_EQ(g.entryObject, nullptr);
    g.ClearObjects();
    EXPECT_TRUE(g.IsEmpty());
}
