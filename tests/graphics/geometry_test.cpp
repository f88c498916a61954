// Small matrices and the plane geometry of the graphs.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "graphics/geometry.h"
#include "gdi/gdi_test_util.h"
#include "graphics/small_matrix.h"
#include "support/capture.h"

namespace {

CRealMatrix Mat(int r, int c, std::initializer_list<double> v)
{
    CRealMatrix m(r, c);
    auto it = v.begin();
    for (int i = 0; i < r; i++)
        for (int j = 0; j < c; j++) m.Cell(i, j) = *it++;
    return m;
}

std::vector<Point2D> Pts(const PointList& l) { return l.Points(); }

bool Same(const std::vector<Point2D>& a, const std::vector<Point2D>& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); i++)
        if (std::fabs(a[i].x - b[i].x) > 1e-12 || std::fabs(a[i].y - b[i].y) > 1e-12) return false;
    return true;
}

}  // namespace

TEST(SmallMatrix, InverseTakesItsPivotAlongTheRowAndReportsShapes)
{
    CCaptureStream cap;
    CRealMatrix swap = Mat(2, 2, {0, 1, 1, 0});
    EXPECT_EQ(Inverse(swap), 0);
    EXPECT_EQ(swap.Cell(0, 0), 0);
    EXPECT_EQ(swap.Cell(0, 1), 1);
    EXPECT_EQ(swap.Cell(1, 0), 1);
    EXPECT_EQ(swap.Cell(1, 1), 0);
    EXPECT_TRUE(cap.messages.empty());

    CRealMatrix wide = Mat(2, 3, {1, 2, 3, 4, 5, 6});
    EXPECT_EQ(Inverse(wide), 10);
    EXPECT_EQ(wide.Cell(1, 2), 6);
    ASSERT_EQ(cap.messages.size(), 1u);
    EXPECT_EQ(cap.messages[0], "Error: Inversion of not-square matrix");

    cap.Reset();
    CRealMatrix singular = Mat(3, 3, {0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(Inverse(singular), 0);
    ASSERT_EQ(cap.messages.size(), 1u);
    EXPECT_EQ(cap.messages[0], "Warning: Inverse: Matrix is close to singular or badly scaled");
}

TEST(SmallMatrix, MultiplyIsAProductOrElementWiseOrAnError)
{
    CCaptureStream cap;
    CRealMatrix p = Multiply(Mat(2, 2, {1, 2, 3, 4}), Mat(2, 1, {5, 6}));
    ASSERT_EQ(p.Rows(), 2);
    ASSERT_EQ(p.Cols(), 1);
    EXPECT_EQ(p.Cell(0, 0), 17);
    EXPECT_EQ(p.Cell(1, 0), 39);
    CRealMatrix e = Multiply(Mat(2, 3, {1, 2, 3, 4, 5, 6}), Mat(2, 3, {2, 2, 2, 3, 3, 3}));
    ASSERT_EQ(e.Cols(), 3);
    EXPECT_EQ(e.Cell(1, 2), 18);
    EXPECT_TRUE(cap.messages.empty());
    CRealMatrix bad = Multiply(Mat(2, 3, {1, 2, 3, 4, 5, 6}), Mat(2, 2, {1, 2, 3, 4}));
    EXPECT_EQ(bad.Rows(), 0);
    EXPECT_EQ(bad.Cols(), 0);
    ASSERT_EQ(cap.messages.size(), 1u);
    EXPECT_EQ(cap.messages[0], "Error: Multiplication, matrix dimensions must be an agree");
}

TEST(PointList, ConstructorsCloseAndOpenPolygons)
{
    Point2D tri[3] = {{0, 0}, {1, 0}, {0, 1}};
    EXPECT_EQ(PointList::ClosedPolygon(tri, 3).Count(), 4);
    EXPECT_TRUE(PointList::ClosedPolygon(tri, 3).IsClosed());
    Point2D degenerate[3] = {{0, 0}, {1, 0}, {0, 0}};
    EXPECT_EQ(PointList::ClosedPolygon(degenerate, 3).Count(), 2);
    EXPECT_EQ(PointList::ClosedPolygon(tri, 2).Count(), 2);
    PointList rect = PointList::RectPolygon(0, 1, 2, 3);
    ASSERT_EQ(rect.Count(), 5);
    EXPECT_EQ(rect[2].x, 2);
    EXPECT_EQ(rect[2].y, 3);
    EXPECT_EQ(PointList::WithoutClosingPoint(rect).Count(), 4);
    // Closed compares bytes: -0.0 is not 0.0.
    Point2D negZero[4] = {{0, 0}, {1, 0}, {1, 1}, {-0.0, 0}};
    EXPECT_FALSE(PointList(negZero, 4).IsClosed());
}

TEST(Segments, CrossingsNearestPointsAndIntersections)
{
    Point2D p{2, 0};
    EXPECT_TRUE(SegmentCrossX(Segment{2, 5, 2, 9}, p));
    EXPECT_EQ(p.y, 5);
    p = {1, 0};
    EXPECT_TRUE(SegmentCrossX(Segment{0, 0, 2, 4}, p));
    EXPECT_EQ(p.y, 2);
    p = {3, 0};
    EXPECT_FALSE(SegmentCrossX(Segment{0, 0, 2, 4}, p));
    p = {0, 2};
    EXPECT_TRUE(SegmentCrossY(Segment{0, 0, 2, 4}, p));
    EXPECT_EQ(p.x, 1);

    for (Segment s : {Segment{0, 0, 1, 1}, Segment{1, 1, 0, 0}}) {
        Point2D n = NearestPointOnSegment(s, Point2D{5, 5});
        EXPECT_EQ(n.x, 1);
        EXPECT_EQ(n.y, 1);
    }
    Point2D foot = NearestPointOnSegment(Segment{0, 0, 2, 0}, Point2D{1, 3});
    EXPECT_EQ(foot.x, 1);
    EXPECT_EQ(foot.y, 0);

    double out[4];
    EXPECT_EQ(SegmentIntersect(Segment{0, 0, 2, 2}, Segment{0, 2, 2, 0}, out), 0);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[1], 1);
    EXPECT_EQ(SegmentIntersect(Segment{0, 0, 1, 0}, Segment{1, 0, 3, 0}, out), 0);  // touching ends
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(SegmentIntersect(Segment{0, 0, 2, 0}, Segment{3, 0, 1, 0}, out), 1);  // overlap
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[2], 2);
    EXPECT_EQ(SegmentIntersect(Segment{0, 0, 2, 0}, Segment{0, 1, 2, 1}, out), -1);  // parallel
    EXPECT_EQ(SegmentIntersect(Segment{0, 0, 1, 1}, Segment{3, 0, 4, -5}, out), -1);
    // A zero-length A is a point test.
    EXPECT_EQ(SegmentIntersect(Segment{1, 1, 1, 1}, Segment{0, 0, 2, 2}, out), 0);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(SegmentIntersect(Segment{1, 2, 1, 2}, Segment{0, 0, 2, 2}, out), -1);
    EXPECT_EQ(SegmentIntersect(Segment{1, 1, 1, 1}, Segment{1, 1, 1, 1}, out), 0);
}

TEST(Segments, CirclesSnappingAndEllipses)
{
    auto v = CircleSegmentIntersect(0, 0, 1, Segment{0, -2, 0, 2});
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[0].y, 1);  // larger root first
    EXPECT_EQ(v[1].y, -1);
    v = CircleSegmentIntersect(0, 0, 1, Segment{-2, 0, 0.5, 0});
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].x, -1);
    EXPECT_TRUE(CircleSegmentIntersect(0, 0, 1, Segment{-2, 3, 2, 3}).empty());
    EXPECT_EQ(CircleSegmentIntersect(0, 0, 5, Segment{3, 4, 3, 4}).size(), 1u);

    Point2D p{0.05, 0.02};
    EXPECT_TRUE(SnapToSegment(p, Segment{0, 0, 10, 0}, 0.1, 0.1));
    EXPECT_EQ(p.x, 0);
    p = Point2D{5, 0.001};
    EXPECT_TRUE(SnapToSegment(p, Segment{0, 0, 10, 0}, 0.1, -0.1));  // y tolerance of an upright graph
    EXPECT_NEAR(p.x, 5, 1e-6);
    EXPECT_EQ(p.y, 0);
    p = Point2D{5, 3};
    EXPECT_FALSE(SnapToSegment(p, Segment{0, 0, 10, 0}, 0.1, 0.1));

    Point2D q{4, 1};
    EXPECT_TRUE(EllipsePointToward(1, 1, 2, 1, q));
    EXPECT_NEAR(q.x, 3, 1e-15);
    EXPECT_NEAR(q.y, 1, 1e-15);
    q = Point2D{1, -5};
    EXPECT_TRUE(EllipsePointToward(1, 1, 2, 1, q));
    EXPECT_EQ(q.y, 0);
    q = Point2D{1, 1};
    EXPECT_FALSE(EllipsePointToward(1, 1, 2, 1, q));
    q = Point2D{4, 2};
    EXPECT_FALSE(EllipsePointToward(1, 1, 2, 0, q));  // flat ellipse
}

TEST(Clipping, PolylinesAndPolygonsAgainstARectangle)
{
    const Segment box{0, 10, 10, 0};  // y1 above y2
    Point2D tri[3] = {{1, 1}, {5, 1}, {3, 4}};
    PointList closed = PointList::ClosedPolygon(tri, 3);
    ClipPolyline(closed, box);
    EXPECT_TRUE(Same(Pts(closed), Pts(PointList::ClosedPolygon(tri, 3))));
    EXPECT_TRUE(closed.IsClosed());

    Point2D outside[2] = {{20, 20}, {30, 25}};
    PointList gone(outside, 2);
    ClipPolyline(gone, box);
    EXPECT_EQ(gone.Count(), 0);

    Point2D crossing[2] = {{-5, 5}, {5, 5}};
    PointList line(crossing, 2);
    ClipPolyline(line, box);
    EXPECT_TRUE(Same(Pts(line), {{0, 5}, {5, 5}}));

    // A square larger than the box is cut to the box, still closed.
    Point2D big[4] = {{-5, -5}, {15, -5}, {15, 15}, {-5, 15}};
    PointList sq = PointList::ClosedPolygon(big, 4);
    ClipPolyline(sq, box);
    EXPECT_TRUE(sq.IsClosed());
    for (const Point2D& p : sq.Points()) {
        EXPECT_GE(p.x, 0);
        EXPECT_LE(p.x, 10);
        EXPECT_GE(p.y, 0);
        EXPECT_LE(p.y, 10);
    }

    // A convex clip polygon: a triangle keeps the part of a line inside it.
    Point2D clipTri[3] = {{0, 0}, {10, 0}, {0, 10}};
    PointList q = PointList::ClosedPolygon(clipTri, 3);
    Point2D seg[2] = {{-5, 2}, {20, 2}};
    PointList l2(seg, 2);
    CCaptureStream cap;
    ClipPolygon(l2, q);
    EXPECT_TRUE(Same(Pts(l2), {{0, 2}, {8, 2}}));
    EXPECT_TRUE(cap.messages.empty());
}

TEST(Clipping, LinesSidesAndIntegerRectangles)
{
    Point2D x = LineIntersection({0, 0}, {2, 2}, {0, 2}, {2, 0});
    EXPECT_DOUBLE_EQ(x.x, 1);
    EXPECT_DOUBLE_EQ(x.y, 1);
    EXPECT_EQ(SideOfLine({0, 1}, {0, 0}, {1, 0}), 1);  // left of the direction a -> b
    EXPECT_EQ(SideOfLine({0, -1}, {0, 0}, {1, 0}), -1);
    EXPECT_EQ(SideOfLine({5, 0}, {0, 0}, {1, 0}), 0);

    RECT r{0, 0, 0, 0};
    UnionRectInt(r, RECT{1, 2, 3, 4});
    EXPECT_EQ(r.left, 1);
    UnionRectInt(r, RECT{7, 7, 7, 7});
    EXPECT_EQ(r.right, 3);
    UnionRectInt(r, RECT{0, 5, 9, 6});
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.bottom, 6);
    EXPECT_EQ(r.right, 9);
    EXPECT_TRUE(InRange(3, 5, 1));
    EXPECT_FALSE(InRange(6, 5, 1));
    EXPECT_TRUE(RectsOverlap(RECT{0, 0, 10, 10}, RECT{5, 5, 20, 20}));
    EXPECT_TRUE(RectsOverlap(RECT{0, 0, 10, 10}, RECT{2, 2, 3, 3}));  // inside
    EXPECT_FALSE(RectsOverlap(RECT{0, 0, 10, 10}, RECT{11, 0, 20, 10}));
}

namespace {

// A one-pixel solid polyline on a white 24-bit canvas, as the pixels it leaves.
std::vector<unsigned char> Hairline(const std::vector<POINT>& pts, int width)
{
    CMemoryCanvas canvas(96, 96);
    HPEN pen = CreatePen(PS_SOLID, width, RGB(0, 0, 0));
    HGDIOBJ old = SelectObject(canvas.dc(), pen);
    Polyline(canvas.dc(), pts.data(), (int)pts.size());
    SelectObject(canvas.dc(), old);
    DeleteObject(pen);
    return canvas.Snapshot();
}

}  // namespace

TEST(ColumnRuns, AHairlineThroughTheRunsCoversTheSamePixels)
{
    // Seeded curves of every shape a column run takes: dense noisy data, slow
    // and steep walks, repeated points, spikes, columns left and entered
    // again, runs that end the line, coordinates beyond the canvas.
    std::mt19937 rng(2024);
    auto pick = [&](int lo, int hi) { return lo + (int)(rng() % (unsigned)(hi - lo + 1)); };
    for (int curve = 0; curve < 400; curve++) {
        std::vector<POINT> pts;
        const int kind = curve % 5;
        const int n = pick(1, 600);
        LONG x = pick(-10, 100), y = pick(-10, 100);
        for (int i = 0; i < n; i++) {
            switch (kind) {
            case 0: x = -4 + i * 105 / n; y = 48 + pick(-30, 30); break;   // dense measured data
            case 1: x += pick(-1, 1); y += pick(-3, 3); break;             // a walk over columns
            case 2: if (pick(0, 6) == 0) x++; y = pick(0, 3) ? y : pick(-20, 120); break;  // spikes
            case 3: if (pick(0, 3) == 0) x = pick(0, 95); y = pick(0, 95); break;          // jumps
            default: if (pick(0, 2) == 0) y = pick(40, 44); break;          // repeated points
            }
            pts.push_back(POINT{x, y});
        }
        std::vector<POINT> runs;
        ReduceColumnRuns(pts.data(), pts.size(), runs);
        ASSERT_LE(runs.size(), pts.size());
        for (int width : {0, 1})
            ASSERT_TRUE(Hairline(runs, width) == Hairline(pts, width)) << "curve " << curve << " width " << width;
    }
}

TEST(ColumnRuns, EachRunKeepsItsEndsAndExtremesInOrder)
{
    const std::vector<POINT> pts = {{0, 5}, {0, 9}, {0, 1}, {0, 4}, {0, 7}, {1, 3}, {2, 2}, {2, 2}, {2, 6},
                                    {0, 0}, {4, 3}, {4, 8}, {4, 5}, {4, 8}};
    std::vector<POINT> runs;
    ReduceColumnRuns(pts.data(), pts.size(), runs);
    std::string text;
    for (const POINT& p : runs) text += std::to_string(p.x) + "," + std::to_string(p.y) + " ";
    // Column 0: first 5, highest 9, lowest 1, last 7; a lone point; a run
    // whose first point is its lowest; the column entered again; the line's
    // last run comes back to its highest point after leaving it.
    EXPECT_EQ(text, "0,5 0,9 0,1 0,7 1,3 2,2 2,6 0,0 4,3 4,8 4,5 4,8 ");
}
