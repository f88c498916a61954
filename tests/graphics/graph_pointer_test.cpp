// Read-out pointers placed on an object's polyline: crossings, nearest
// points, vertex snapping, log axes, and objects that offer no place.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "graphics/graph.h"
#include "platform/gdi/gdi.h"

namespace {

// A 200 x 200 plot over (0, 10) x (0, 10), or decades on a log x axis.
void Layout(CGraph& g, bool logX = false)
{
    g.legendPosition = 0;
    g.titlePosition = 0;
    g.xLog = logX;
    const double box[4] = {logX ? 1.0 : 0.0, 10, logX ? 1000.0 : 10.0, 0};
    std::copy(box, box + 4, g.limits);
    g.SetPlotRect(RECT{0, 0, 200, 200}, RECT{0, 0, 0, 0}, 0);
    g.Rescale();
}

CGraphObject* Add(CGraph& g, std::vector<Point2D> pts, uint8_t kind = 1)
{
    g.objects.emplace_back(g.NewObject(nullptr));
    g.objects.back()->SetPointsFrom(pts);
    g.objects.back()->kind = kind;
    return g.objects.back().get();
}

}  // namespace

TEST(GraphPointer, SlidingCrossesTheMouseLineAndSnapsToVertices)
{
    CGraph g;
    Layout(g);
    CGraphObject* o = Add(g, {{0, 0}, {10, 10}, {10, 0}}, 2);
    o->pointer = Point2D{0, 0};
    // x = 3 crosses the diagonal and the closing segment: the nearer wins.
    EXPECT_TRUE(o->SlidePointer(g, Point2D{3, 2.5}, true, false));
    EXPECT_DOUBLE_EQ(o->pointer.x, 3);
    EXPECT_DOUBLE_EQ(o->pointer.y, 3);
    EXPECT_EQ(o->cacheMark, -1);
    EXPECT_FALSE(o->SlidePointer(g, Point2D{3, 2.5}, true, false));   // unchanged
    EXPECT_TRUE(o->SlidePointer(g, Point2D{3, 1}, true, false));
    EXPECT_DOUBLE_EQ(o->pointer.y, 0);
    // Within a pixel of a vertex: the vertex itself, remembered.
    EXPECT_TRUE(o->SlidePointer(g, Point2D{9.97, 9}, true, false));
    EXPECT_EQ(o->pointer.x, 10);
    EXPECT_EQ(o->cacheMark, 1);
    // Along y: the diagonal's crossing is nearer than the right edge's.
    EXPECT_TRUE(o->SlidePointer(g, Point2D{4, 5}, false, true));
    EXPECT_DOUBLE_EQ(o->pointer.x, 5);
    EXPECT_DOUBLE_EQ(o->pointer.y, 5);
    // Both lines: the nearest point of the outline, the closing one included.
    EXPECT_TRUE(o->PlacePointerNearest(g, Point2D{4, 0.2}));
    EXPECT_DOUBLE_EQ(o->pointer.y, 0);
    EXPECT_DOUBLE_EQ(o->pointer.x, 4);
}

TEST(GraphPointer, ObjectsWithoutAPlaceLeaveThePointerAndSayNo)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    CGraph g;
    Layout(g);
    struct {
        std::vector<Point2D> pts;
        const char* what;
    } cases[] = {
        {{{1, 1}}, "one point"},
        {{{1, nan}, {2, 2}, {nan, 3}}, "every segment has a NaN end"},
        {{}, "no points"},
    };
    for (const auto& c : cases) {
        CGraphObject* o = Add(g, c.pts);
        o->pointer = Point2D{7, 7};
        o->cacheMark = -1;
        EXPECT_FALSE(o->SlidePointer(g, Point2D{1, 2}, true, true)) << c.what;
        EXPECT_FALSE(o->PlacePointerNearest(g, Point2D{1, 2})) << c.what;
        EXPECT_FALSE(o->SlidePointerLog(g, Point2D{1, 2}, true, false)) << c.what;
        EXPECT_EQ(o->pointer.x, 7) << c.what;
        EXPECT_EQ(o->pointer.y, 7) << c.what;
    }
}

TEST(GraphPointer, OnALogAxisTheSlideIsStraightOnTheScreen)
{
    CGraph g;
    Layout(g, true);
    CGraphObject* o = Add(g, {{1, 2}, {100, 6}, {1e9, 6}});
    EXPECT_TRUE(o->SlidePointerLog(g, Point2D{10, 0}, true, false));
    EXPECT_NEAR(o->pointer.x, 10, 1e-9);
    EXPECT_NEAR(o->pointer.y, 4, 1e-9);   // half way in decades
    // Near a vertex (within a device unit): the vertex exactly.
    EXPECT_TRUE(o->SlidePointerLog(g, Point2D{101, 0}, true, false));
    EXPECT_EQ(o->pointer.x, 100);
    EXPECT_EQ(o->cacheMark, 1);
}
