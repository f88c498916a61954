// Axis layout, margins and the drawing primitives, read from the recording
// DC's log (fixed fake metric: a character is round(h / 2) wide, a line h
// high; the axis font is 14, so a digit is 7 x 14).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "graphics/graph.h"
#include "platform/gdi/gdi.h"

namespace {

struct Text {
    int x, y;
    std::string s;
};

class RecordingDC {
public:
    RecordingDC() : dc(CreateRecordingDC(FALSE)) {}
    ~RecordingDC() { DeleteDC(dc); }
    std::vector<std::string> Lines() const
    {
        std::vector<std::string> out;
        std::istringstream in(GetRecordingLog(dc));
        for (std::string l; std::getline(in, l);)
            if (!l.empty()) out.push_back(l.substr(0, l.find(" | ")));
        return out;
    }
    std::vector<Text> Texts() const
    {
        std::vector<Text> out;
        for (const std::string& l : Lines()) {
            if (l.rfind("TextOut ", 0) != 0) continue;
            Text t{};
            std::sscanf(l.c_str(), "TextOut %d,%d", &t.x, &t.y);
            size_t q = l.find('"');
            t.s = l.substr(q + 1, l.rfind('"') - q - 1);
            out.push_back(t);
        }
        return out;
    }
    // Number rectangles (the fake metric: a line is 14 high) and dotted grid segments.
    std::vector<RECT> NumberRects() const
    {
        std::vector<RECT> out;
        for (const std::string& l : Lines()) {
            int x, y, w;
            if (std::sscanf(l.c_str(), "TextOut %d,%d ta=%*d w=%d", &x, &y, &w) == 3) out.push_back(RECT{x, y, x + w, y + 14});
        }
        return out;
    }
    std::vector<RECT> GridSegments() const
    {
        std::vector<RECT> out;
        std::istringstream in(GetRecordingLog(dc));
        for (std::string l; std::getline(in, l);) {
            int x1, y1, x2, y2;
            if (l.find("pen=DOT") == std::string::npos) continue;
            if (std::sscanf(l.c_str(), "LineTo %d,%d %d,%d", &x1, &y1, &x2, &y2) == 4)
                out.push_back(RECT{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)});
        }
        return out;
    }
    // Horizontal tick marks (solid, at most 6 long) as the pixels they cover:
    // left, y, right (exclusive; a line leaves out its last point).
    std::vector<RECT> HorizontalTicks() const
    {
        std::vector<RECT> out;
        std::istringstream in(GetRecordingLog(dc));
        for (std::string l; std::getline(in, l);) {
            int x1, y1, x2, y2;
            if (l.find("pen=SOLID") == std::string::npos) continue;
            if (std::sscanf(l.c_str(), "LineTo %d,%d %d,%d", &x1, &y1, &x2, &y2) == 4 && y1 == y2 && std::abs(x2 - x1) <= 6)
                out.push_back(x2 > x1 ? RECT{x1, y1, x2, y1 + 1} : RECT{x2 + 1, y1, x1 + 1, y1 + 1});
        }
        return out;
    }
    std::vector<std::string> Strings() const
    {
        std::vector<std::string> out;
        for (const Text& t : Texts()) out.push_back(t.s);
        return out;
    }
    HDC dc;
};

// A graph whose plot is (0, 0)-(w, h) with the given limits.
void Place(CGraph& g, int w, int h, double xmin, double xmax, double ymin, double ymax)
{
    g.SetPlotRect(RECT{0, 0, w, h}, RECT{0, 0, 0, 0}, 0);
    g.limits[BOX_LEFT] = xmin;
    g.limits[BOX_RIGHT] = xmax;
    g.limits[BOX_TOP] = ymax;
    g.limits[BOX_BOTTOM] = ymin;
    g.UpdateScale();
}

const uint8_t kLogicNoTicks = (VALUE_LOGIC << 4);  // y axis without numbers or ticks

}  // namespace

TEST(AxisLayout, AutomaticCountAndOneZeroAtTheCrossing)
{
    CGraph g;
    Place(g, 640, 400, -1, 5, -1, 2);
    RecordingDC rec;
    g.LayoutAxis(rec.dc);
    EXPECT_EQ(g.xTickCount, 6);
    EXPECT_EQ(g.yTickCount, 4);
    std::vector<std::string> s = rec.Strings();
    EXPECT_EQ(std::count(s.begin(), s.end(), "0"), 1);
    EXPECT_EQ(s, (std::vector<std::string>{"-1", "0", "1", "2", "3", "4", "5", "-1", "1", "2"}));
    // x numbers centred under their ticks, 4 below the axis line at y = 0 (row 266).
    EXPECT_EQ(rec.Texts()[2].x, 213 - 3);
    EXPECT_EQ(rec.Texts()[2].y, 266 + 4);
    // y numbers left of the axis line at x = 0 (column 106), centred on their
    // ticks, 4 clear of the tick mark's end (column 103).
    EXPECT_EQ(rec.Texts()[8].x, 106 - 3 - 4 - 7);
    EXPECT_EQ(rec.Texts()[8].y, 133 - 7);
    // The axis lines: the x line first, the y line after the x ticks.
    std::vector<std::string> lines = rec.Lines();
    EXPECT_EQ(lines.front(), "LineTo 0,266 641,266");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "LineTo 106,0 106,401"), lines.end());
    // No tick mark at the crossing.
    EXPECT_EQ(std::find(lines.begin(), lines.end(), "LineTo 106,263 106,269"), lines.end());
}

TEST(AxisLayout, ARealTickOnTheCrossingShowsZeroNotAResidue)
{
    CGraph g;
    g.yAxisFlags = kLogicNoTicks;
    Place(g, 600, 300, -0.3, 0.3, 0, 1);
    g.xAxisFlags = 2;  // manual count, grid
    g.xTickCount = 6;  // step 0.1: -0.3 + 3 x 0.1 is not exactly 0
    RecordingDC rec;
    g.LayoutAxis(rec.dc);
    std::vector<std::string> s = rec.Strings();
    EXPECT_NE(std::find(s.begin(), s.end(), "0"), s.end());
    for (const std::string& t : s) EXPECT_EQ(t.find("e-"), std::string::npos) << t;
}

TEST(AxisLayout, LogAxisThinsItsNumbersAndMultipliesTheStepAtDecades)
{
    std::vector<std::string> logs;
    for (int xLog : {1, 10}) {  // the plot device stores 1
        CGraph g;
        g.xLog = xLog;
        g.yAxisFlags = kLogicNoTicks;
        Place(g, 640, 300, 1, 1000, 0, 1);
        RecordingDC rec;
        g.LayoutAxis(rec.dc);
        EXPECT_EQ(g.xTickCount, 6);
        EXPECT_EQ(rec.Strings(), (std::vector<std::string>{"10", "20", "30", "100", "200", "300", "1000"})) << xLog;
        // Ticks stand at 10, 20, ..., 90, 100, 200, ..., 1000.
        int ticks = 0;
        for (const std::string& l : rec.Lines())
            if (l.rfind("LineTo ", 0) == 0 && l.find(",297 ") != std::string::npos) ticks++;
        EXPECT_EQ(ticks, 19) << xLog;
        logs.push_back(GetRecordingLog(rec.dc));
    }
    EXPECT_EQ(logs[0], logs[1]);  // a decade multiplies the step by 10, whatever the flag's value
}

TEST(AxisLayout, PlacementsOnTheEdgeAndInABox)
{
    // y = 0 below the plot: the x line runs on the bottom edge, numbers above it.
    CGraph g;
    g.yAxisFlags = kLogicNoTicks;
    Place(g, 640, 300, 0, 6, 1, 2);
    RecordingDC rec;
    g.LayoutAxis(rec.dc);
    ASSERT_FALSE(rec.Texts().empty());
    EXPECT_EQ(rec.Texts()[1].y, 300 - 14 - 4);

    CGraph b;
    b.axisStyle = AXIS_BOXED;
    Place(b, 640, 400, -1, 5, -1, 2);
    RecordingDC box;
    b.LayoutAxis(box.dc);
    std::vector<Text> t = box.Texts();
    // A boxed graph writes the crossing's number on both axes; the y "-1" in
    // the corner would clash with the x "-1" and is left out.
    ASSERT_EQ(t.size(), 10u);
    EXPECT_EQ(std::count_if(t.begin(), t.end(), [](const Text& x) { return x.s == "0"; }), 2);
    EXPECT_EQ(t[0].y, 400 - 14 - 4);  // x numbers inside the frame
    EXPECT_EQ(t.back().x, 9);         // y numbers 4 right of the 5 long tick marks
    std::vector<std::string> lines = box.Lines();
    EXPECT_EQ(lines.back(), "Rectangle 0,0,641,401");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "LineTo 213,0 213,5"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "LineTo 213,400 213,395"), lines.end());
}

// Numbers never overlap each other (the y number in the corner where the
// axes meet against the first x number), and grid lines pass around them.
TEST(AxisLayout, NumbersKeepApartAndGridLinesPassAroundThem)
{
    struct Case {
        const char* name;
        uint8_t style;
        int w, h;
        double xmin, xmax, ymin, ymax;
    };
    const Case cases[] = {
        {"corner at the plot's left and bottom", AXIS_CLASSIC, 400, 300, 0, 10, 1, 2.2},
        {"axes crossing inside", AXIS_CLASSIC, 640, 400, -1, 5, -1, 2},
        {"y axis at the right edge", AXIS_CLASSIC, 400, 300, -10, 0, 1, 2.2},
        {"x axis at the top edge", AXIS_CLASSIC, 400, 300, 0, 10, -2.2, -1},
        {"boxed", AXIS_BOXED, 640, 400, -1, 5, -1, 2},
        {"boxed and small", AXIS_BOXED, 120, 90, 0.5, 9.5, 10, 20},
        {"long numbers", AXIS_CLASSIC, 300, 200, 1000.25, 1000.75, 123456, 123457},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CGraph g;
        g.axisStyle = c.style;
        Place(g, c.w, c.h, c.xmin, c.xmax, c.ymin, c.ymax);
        RecordingDC rec;
        g.LayoutAxis(rec.dc);
        const std::vector<RECT> numbers = rec.NumberRects();
        ASSERT_GE(numbers.size(), 2u);
        for (size_t i = 0; i < numbers.size(); i++) {
            const RECT& a = numbers[i];
            // On the plot, so the plot's clip leaves it whole.
            EXPECT_TRUE(a.left >= 0 && a.top >= 0 && a.right <= c.w && a.bottom <= c.h)
                << rec.Texts()[i].s << " at " << a.left << "," << a.top;
            for (size_t j = i + 1; j < numbers.size(); j++) {
                const RECT& b = numbers[j];
                EXPECT_FALSE(a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom)
                    << rec.Texts()[i].s << " and " << rec.Texts()[j].s;
            }
        }
        // A number stands 4 units clear of a tick mark on its row, which
        // would otherwise read as a minus sign.
        for (const RECT& t : rec.HorizontalTicks())
            for (size_t i = 0; i < numbers.size(); i++) {
                const RECT& n = numbers[i];
                if (t.top < n.top || t.top >= n.bottom) continue;
                const int gap = n.left >= t.right ? n.left - t.right : t.left - n.right;
                EXPECT_GE(gap, 4) << "tick " << t.left << ".." << t.right << " at " << t.top << " beside " << rec.Texts()[i].s;
            }
        const std::vector<RECT> grid = rec.GridSegments();
        EXPECT_FALSE(grid.empty());
        // Nor does a grid line run up to a number beside it.
        for (const RECT& g : grid)
            for (size_t i = 0; i < numbers.size(); i++) {
                const RECT& n = numbers[i];
                if (g.top != g.bottom || g.top < n.top || g.top >= n.bottom) continue;
                if (g.right <= n.left) EXPECT_GE(n.left - g.right, 4) << "grid line to " << g.right << " beside " << rec.Texts()[i].s;
                if (g.left >= n.right) EXPECT_GE(g.left - n.right, 3) << "grid line from " << g.left << " beside " << rec.Texts()[i].s;
            }
        for (const RECT& s : grid)
            for (size_t i = 0; i < numbers.size(); i++) {
                const RECT& n = numbers[i];
                // A segment runs from its first point up to, not through, its last.
                const bool vertical = s.left == s.right;
                const bool crosses = vertical ? (s.left >= n.left && s.left < n.right && s.top < n.bottom && n.top < s.bottom)
                                              : (s.top >= n.top && s.top < n.bottom && s.left < n.right && n.left < s.right);
                EXPECT_FALSE(crosses) << "grid line " << s.left << "," << s.top << " - " << s.right << "," << s.bottom
                                      << " through " << rec.Texts()[i].s;
            }
    }
}

// A span that one tick step of the automatic count would overstep (the
// demo's sine plane zoomed in, about 245 high) still gets two ticks or more,
// each with its number and grid line.
TEST(AxisLayout, EveryAxisShowsAtLeastTwoTicks)
{
    struct Case {
        bool isX;
        int size;
        double lo, hi;
        uint8_t flags;
        int count;  // the stored count, for a manual axis
        bool log;
    };
    const Case cases[] = {
        {false, 245, 0.1, 1.7, 3, 0, false},  // step 1 of 2 intervals: one tick at 1
        {true, 245, 0.1, 1.7, 3, 0, false},
        {false, 120, 0.31, 0.69, 3, 0, false},
        {true, 600, 3.1, 5.9, 2, 1, false},   // manual count 1: step = span
        {true, 100, 2, 2.5, 3, 0, true},      // log: a step of two tick spacings
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.size) + (c.isX ? " wide " : " high ") + std::to_string(c.lo));
        CGraph g;
        (c.isX ? g.yAxisFlags : g.xAxisFlags) = kLogicNoTicks;
        (c.isX ? g.xAxisFlags : g.yAxisFlags) = c.flags;
        (c.isX ? g.xTickCount : g.yTickCount) = c.count;
        (c.isX ? g.xLog : g.yLog) = c.log;
        if (c.isX) Place(g, c.size, 300, c.lo, c.hi, 1, 2);
        else Place(g, 300, c.size, 1, 2, c.lo, c.hi);
        RecordingDC rec;
        g.LayoutAxis(rec.dc);
        EXPECT_GE(rec.Texts().size(), 2u);
        EXPECT_GE(rec.GridSegments().size(), 2u);
    }
}

TEST(AxisLayout, DegenerateAxesEndAtOnce)
{
    CGraph g;
    g.xAxisFlags = 0;  // manual count of 0
    g.xTickCount = 0;
    g.yAxisFlags = 0;
    g.yTickCount = 0;
    Place(g, 640, 400, -1, 5, -1, 2);
    RecordingDC rec;
    g.LayoutAxis(rec.dc);
    EXPECT_EQ(rec.Lines(), (std::vector<std::string>{"LineTo 0,266 641,266", "LineTo 106,0 106,401"}));

    CGraph small;
    Place(small, 40, 40, 0, 1, 0, 1);
    RecordingDC r2;
    small.LayoutAxis(r2.dc);
    EXPECT_EQ(small.xTickCount, 0);
    EXPECT_TRUE(r2.Texts().empty());

    CGraph huge;
    huge.xLog = huge.yLog = 1;
    Place(huge, 60, 60, 1e-300, 1e300, 1e-300, 1e300);
    RecordingDC r3;
    huge.LayoutAxis(r3.dc);
    EXPECT_LT(r3.Lines().size(), 200u);

    CGraph none;
    none.axisStyle = AXIS_NONE;
    Place(none, 640, 400, -1, 5, -1, 2);
    RecordingDC r4;
    none.LayoutAxis(r4.dc);
    EXPECT_TRUE(r4.Lines().empty());
}

TEST(AxisLayout, TimeAxesWriteTheirZeroAtTheCrossing)
{
    CGraph g;
    g.xAxisFlags = (VALUE_TIME << 4) | 1;
    g.yAxisFlags = kLogicNoTicks;
    Place(g, 600, 300, -1, 5, -1, 1);
    RecordingDC rec;
    g.LayoutAxis(rec.dc);
    std::vector<std::string> s = rec.Strings();
    ASSERT_GE(s.size(), 3u);
    EXPECT_EQ(s[0], "IND");
    EXPECT_EQ(s[1], "00:00:00.000");
    EXPECT_EQ(s[2], "00:00:01.000");
}

TEST(Margins, ResizeMeasuresLabelsLegendAndTitle)
{
    CGraph g;
    g.xLabel = "x";
    g.yLabel = "a long y label";  // its unrotated height, not its length, widens the margin
    g.title = "Title";
    g.objects.emplace_back(g.NewObject(nullptr));
    g.objects[0]->legend = "curve";
    g.objects[0]->SetPointsFrom({{0, 0}});
    g.objects.emplace_back(g.NewObject(nullptr));
    g.objects[1]->legend = "thick";
    g.objects[1]->penWidth = 25;
    g.objects[1]->SetPointsFrom({{0, 0}});
    g.objects.emplace_back(g.NewObject(nullptr));  // no points: no entry
    RecordingDC rec;
    ASSERT_TRUE(g.ResizeWithDC(rec.dc, RECT{0, 0, 800, 600}));
    EXPECT_EQ(g.plotRect.left, 14 + 2);
    EXPECT_EQ(g.plotRect.top, 30 + 5);
    EXPECT_EQ(g.plotRect.right, 800);
    EXPECT_EQ(g.plotRect.bottom, 600 - (14 + 2) - (5 + 18) - (2 + 25));
    EXPECT_EQ(g.outerRect.right, 800);

    g.legendPosition = 4;
    ASSERT_TRUE(g.ResizeWithDC(rec.dc, RECT{0, 0, 800, 600}));
    EXPECT_EQ(g.plotRect.right, 800 - (5 * 9 + 55));

    g.axisStyle = AXIS_POLAR;  // a square around the centre, one character (7 x 14) inside
    g.legendPosition = 0;
    ASSERT_TRUE(g.ResizeWithDC(rec.dc, RECT{0, 0, 800, 600}));
    EXPECT_EQ(g.plotRect.right - g.plotRect.left, g.plotRect.bottom - g.plotRect.top);

    EXPECT_FALSE(g.ResizeWithDC(rec.dc, RECT{0, 0, 30, 30}));
    EXPECT_EQ(g.plotRect.right, 0);
    EXPECT_TRUE(rec.Lines().empty());  // measuring draws nothing

    // Without a window the screen measures.
    CGraph s;
    EXPECT_TRUE(s.Resize(RECT{0, 0, 400, 300}));
    EXPECT_GT(s.plotRect.top, 0);
    EXPECT_EQ(s.plotRect.right, 400);
}

TEST(Primitives, MarkersAndArrowHeads)
{
    struct Case {
        int shape;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {1, {"Rectangle 9,19,11,21"}},
        {2, {"Ellipse 7,17,13,23"}},
        {3, {"Rectangle 7,17,13,23"}},
        {4, {"LineTo 10,17 7,22", "LineTo 7,22 13,22", "LineTo 13,22 10,17"}},
        {5, {"LineTo 10,17 10,23", "LineTo 7,20 13,20"}},
        {6, {"LineTo 7,17 13,23", "LineTo 13,17 7,23"}},
        {0, {}},
        {7, {}},
    };
    for (const Case& c : cases) {
        RecordingDC rec;
        MoveToEx(rec.dc, 100, 200, nullptr);
        CGraphObject::DrawMarker(rec.dc, 10, 20, c.shape);
        EXPECT_EQ(rec.Lines(), c.lines) << c.shape;
        POINT at;
        GetCurrentPositionEx(rec.dc, &at);
        EXPECT_EQ(at.x, 100);
        EXPECT_EQ(at.y, 200);
    }
    // A larger radius (a printed page's) scales the dot and the triangle's base too.
    {
        RecordingDC big;
        CGraphObject::DrawMarker(big.dc, 10, 20, 4, 8);
        CGraphObject::DrawMarker(big.dc, 10, 20, 1, 8);
        EXPECT_EQ(big.Lines(), (std::vector<std::string>{"LineTo 10,12 2,25", "LineTo 2,25 18,25", "LineTo 18,25 10,12",
                                                         "Rectangle 7,17,13,23"}));
    }
    RecordingDC rec;
    CGraphObject::DrawArrowHead(rec.dc, POINT{0, 0}, POINT{100, 0});
    CGraphObject::DrawArrowHead(rec.dc, POINT{5, 5}, POINT{5, 5});  // no direction: nothing
    ASSERT_EQ(rec.Lines().size(), 1u);
    EXPECT_EQ(rec.Lines()[0], "Polygon ALTERNATE 100,0 90,-5 90,5");
    EXPECT_NE(GetRecordingLog(rec.dc).find("brush=SOLID,#ffffff"), std::string::npos);
}

TEST(Primitives, LogicalSizes)
{
    RecordingDC rec;
    SetMapMode(rec.dc, MM_ANISOTROPIC);
    SetWindowExtEx(rec.dc, 100, 100, nullptr);
    SetViewportExtEx(rec.dc, 200, -50, nullptr);
    SIZE s = CGraph::LogicalToDeviceSize(rec.dc, 10, 10);
    EXPECT_EQ(s.cx, 20);
    EXPECT_EQ(s.cy, -5);
}
