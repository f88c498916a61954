// Whole-graph drawing: golden recorded drawings of graph-body fixtures
// (tests/graphics/render), their PNGs, the graph_render tool, the drawing
// flags and the clipboard copy.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <sys/stat.h>

#include <cmath>
#include <random>

#include "gdi/gdi_test_util.h"
#include "graph_render/render.h"
#include "graphics/graph.h"
#include "platform/gdi/gdi.h"
#include "platform/kernel/kernel.h"
#include "platform/platform_test_util.h"
#include "platform/user/user.h"
#include "values/byte_stream.h"

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

std::string Source(const std::string& rel) { return std::string(getenv("VELDRA_SOURCE")) + "/" + rel; }

std::string ArtifactDir()
{
    const char* out = getenv("VELDRA_OUT");
    std::string dir = std::string(out ? out : ".") + "/../test-artifacts";
    mkdir(dir.c_str(), 0755);
    return dir;
}

bool Updating() { return getenv("VELDRA_UPDATE_GOLDEN") != nullptr; }

// Compares with a golden file, or rewrites it when asked to.
void ExpectGolden(const std::string& rel, const std::string& actual)
{
    const std::string path = Source(rel);
    if (Updating()) std::ofstream(path, std::ios::binary) << actual;
    EXPECT_EQ(actual, ReadAll(path)) << rel;
}

CGraphObject* Add(CGraph& g, std::vector<Point2D> pts, uint8_t kind = 1, COLORREF color = 0)
{
    g.objects.emplace_back(g.NewObject(nullptr));
    CGraphObject* o = g.objects.back().get();
    o->SetPointsFrom(pts);
    o->kind = kind;
    o->color = color;
    return o;
}

void Limits(CGraph& g, double xmin, double ymax, double xmax, double ymin)
{
    g.limits[BOX_LEFT] = xmin;
    g.limits[BOX_TOP] = ymax;
    g.limits[BOX_RIGHT] = xmax;
    g.limits[BOX_BOTTOM] = ymin;
}

std::vector<Point2D> Polar(const CGraph& g, std::vector<Point2D> rp)
{
    for (auto& p : rp) p = g.PolarToCartesian(Point2D{p.x, p.y * 3.14159265358979323846 / 180});
    return rp;
}

struct Fixture {
    const char* name;
    int width, height;
    std::function<void(CGraph&)> build;
};

const Fixture kFixtures[] = {
    {"classic", 400, 300,
     [](CGraph& g) {
         g.title = "Growth";
         g.xLabel = "time";
         g.yLabel = "size";
         Limits(g, -1, 10, 5, -2);
         CGraphObject* a = Add(g, {{-1, -1}, {0, 2}, {2, 3}, {4, 8}}, 1, RGB(200, 0, 0));
         a->legend = "measured";
         a->marker = 2;
         CGraphObject* b = Add(g, {{1, 1}, {3, 5}}, 0, RGB(0, 0, 200));
         b->legend = "samples";
         b->marker = 3;
         b->markerAux = 1;
     }},
    {"boxed", 300, 200,
     [](CGraph& g) {
         g.axisStyle = AXIS_BOXED;
         g.background = RGB(255, 255, 200);
         g.legendPosition = 4;
         Limits(g, 0, 1, 1, 0);
         Add(g, {{0, 0}, {0.5, 1}, {1, 0.25}}, 1, RGB(0, 128, 0))->legend = "wave";
     }},
    {"logx", 300, 200,
     [](CGraph& g) {
         g.xLog = 1;
         g.legendPosition = 0;
         Limits(g, 1, 4, 1000, 0);
         Add(g, {{1, 0}, {10, 1}, {100, 2}, {1000, 3}});
     }},
    {"time", 300, 200,
     [](CGraph& g) {
         g.xAxisFlags = (VALUE_TIME << 4) | 3;
         g.legendPosition = 0;
         Limits(g, 0, 1, 7200, 0);
         Add(g, {{0, 0}, {3600, 1}, {7200, 0.5}});
     }},
    {"hatched", 300, 200,
     [](CGraph& g) {
         g.legendPosition = 2;
         Limits(g, 0, 4, 4, 0);
         CGraphObject* o = Add(g, {{1, 1}, {3, 1}, {2, 3}}, 2, RGB(0, 0, 128));
         o->fillStyle = HS_DIAGCROSS;
         o->fillColor = RGB(255, 0, 0);
         o->legend = "area";
     }},
    {"arrows", 300, 200,
     [](CGraph& g) {
         g.legendPosition = 3;
         Limits(g, 0, 4, 4, 0);
         Add(g, {{0.5, 0.5}, {2, 3}, {3.5, 1}}, 3, RGB(128, 0, 128))->legend = "path";
         Add(g, {{1, 3.5}, {6, 3.5}}, 3)->legend = "off";   // tip outside: no head
     }},
    {"pointers", 300, 200,
     [](CGraph& g) {
         g.legendPosition = 0;
         Limits(g, 0, 4, 4, 0);
         CGraphObject* on = Add(g, {{0, 0}, {1, 1}, {3, 2}});
         on->pointerFlags = 0x13;
         on->pointer = Point2D{1, 1};   // on a point: a white box
         CGraphObject* off = Add(g, {{0, 3}, {4, 3}}, 1, RGB(0, 0, 255));
         off->pointerFlags = 0x13;
         off->pointer = Point2D{2.5, 3};   // between points: grey
     }},
    {"polar", 600, 600,
     [](CGraph& g) {
         g.axisStyle = AXIS_POLAR;
         g.background = RGB(220, 235, 255);
         g.legendPosition = 0;
         Limits(g, -2, 2, 2, -2);
         Add(g, Polar(g, {{1, 0}, {1.5, 45}, {1, 90}, {1.5, 135}, {1, 180}}), 1, RGB(200, 0, 0));
     }},
    {"polar_clockwise", 300, 300,
     [](CGraph& g) {
         g.axisStyle = AXIS_POLAR;
         g.SetPolarOffset(-90);
         g.legendPosition = 0;
         Limits(g, -2, 2, 2, -2);
         Add(g, Polar(g, {{0, 0}, {1.5, 30}}), 3);
     }},
    {"polar_pointer", 300, 300,
     [](CGraph& g) {
         g.axisStyle = AXIS_POLAR;
         g.legendPosition = 0;
         Limits(g, -2, 2, 2, -2);
         CGraphObject* o = Add(g, Polar(g, {{1, 30}, {1.5, 60}}));
         o->pointerFlags = 0x13;
         o->pointer = o->Points()[0];
     }},
};

std::string Body(const CGraph& g)
{
    CMemStream s;
    EXPECT_TRUE(g.WriteToStream(s));
    return std::string((const char*)s.Data(), s.GetLength());
}

// Pixels of a PNG, as COLORREFs, row by row.
std::vector<COLORREF> Pixels(const std::string& png, int& w, int& h)
{
    std::vector<COLORREF> px;
    HBITMAP bmp = CreateBitmapFromPng((const unsigned char*)png.data(), png.size());
    if (!bmp) return px;
    BITMAP info{};
    GetObject(bmp, sizeof info, &info);
    w = info.bmWidth;
    h = info.bmHeight;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) px.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    return px;
}

int Distance(COLORREF a, COLORREF b)
{
    return abs(GetRValue(a) - GetRValue(b)) + abs(GetGValue(a) - GetGValue(b)) + abs(GetBValue(a) - GetBValue(b));
}

}  // namespace

TEST(GraphRender, EachFixtureIsItsGraphsBodyAndDrawsItsGoldenLog)
{
    for (const Fixture& f : kFixtures) {
        SCOPED_TRACE(f.name);
        CGraph built;
        f.build(built);
        const std::string rel = std::string("tests/graphics/render/") + f.name;
        ExpectGolden(rel + ".graph", Body(built));
        CGraph g;
        std::string error;
        ASSERT_TRUE(ReadGraphBody(ReadAll(Source(rel + ".graph")), g, error)) << error;
        CRenderedGraph out;
        ASSERT_TRUE(RenderGraph(g, f.width, f.height, 0, out, error)) << error;
        EXPECT_TRUE(out.drawn);
        ExpectGolden(rel + ".log", out.log);
        std::ofstream(ArtifactDir() + "/graph-" + f.name + ".png", std::ios::binary) << out.png;
        // The SVG has at least one path per object.
        size_t paths = 0;
        for (size_t at = out.svg.find("<path"); at != std::string::npos; at = out.svg.find("<path", at + 1)) paths++;
        EXPECT_GE(paths, g.objects.size());
        EXPECT_NE(out.svg.find("<title>Tarn graphic</title>"), std::string::npos);
    }
}

TEST(GraphRender, PngsMatchTheGoldenPicturesAndThePolarFillStaysInTheEllipse)
{
    for (const char* name : {"classic", "polar"}) {
        SCOPED_TRACE(name);
        const Fixture* f = nullptr;
        for (const Fixture& k : kFixtures)
            if (std::string(k.name) == name) f = &k;
        ASSERT_TRUE(f);
        CGraph g;
        f->build(g);
        CRenderedGraph out;
        std::string error;
        ASSERT_TRUE(RenderGraph(g, f->width, f->height, 0, out, error)) << error;
        const std::string golden = Source(std::string("tests/graphics/render/") + name + ".png");
        if (Updating()) std::ofstream(golden, std::ios::binary) << out.png;
        int w = 0, h = 0, gw = 0, gh = 0;
        std::vector<COLORREF> mine = Pixels(out.png, w, h), want = Pixels(ReadAll(golden), gw, gh);
        ASSERT_EQ(w, f->width);
        ASSERT_EQ(gw, w);
        ASSERT_EQ(gh, h);
        int far = 0;
        for (size_t i = 0; i < mine.size(); i++) far += Distance(mine[i], want[i]) > 96;
        EXPECT_LT(far, w * h / 100) << far;
        if (std::string(name) == "polar") {
            // Inside the frame the background, in the plot square's corners the page.
            const RECT& pr = g.plotRect;
            const int cx = (pr.left + pr.right) / 2, cy = (pr.top + pr.bottom) / 2;
            EXPECT_EQ(mine[(size_t)(cy + 20) * w + cx - 20], RGB(220, 235, 255));
            EXPECT_EQ(mine[(size_t)(pr.top + 3) * w + pr.left + 3], RGB(255, 255, 255));
            EXPECT_EQ(mine[(size_t)(pr.bottom - 3) * w + pr.right - 3], RGB(255, 255, 255));
        }
    }
}

TEST(GraphRender, TheToolWritesALogAnSvgAndAPng)
{
    const std::string tool = std::string(getenv("VELDRA_OUT")) + "/../graph_render";
    const std::string out = ArtifactDir() + "/graph-tool-classic";
    const std::string cmd = tool + " '" + Source("tests/graphics/render/classic.graph") + "' '" + out + "' 400 300";
    ASSERT_EQ(system(cmd.c_str()), 0) << cmd;
    EXPECT_EQ(ReadAll(out + ".log"), ReadAll(Source("tests/graphics/render/classic.log")));
    EXPECT_EQ(ReadAll(out + ".png").substr(1, 3), "PNG");
    EXPECT_NE(ReadAll(out + ".svg").find("<svg"), std::string::npos);
    // A damaged body is refused with a message, not drawn.
    std::ofstream(out + ".bad", std::ios::binary) << "\x01\x00garbage";
    EXPECT_NE(system((tool + " '" + out + ".bad' '" + out + "-bad' 2>/dev/null").c_str()), 0);
}

namespace {

std::string Record(CGraph& g, int flags, bool* drawn = nullptr)
{
    HDC rec = CreateRecordingDC(FALSE);
    g.ResizeWithDC(rec, RECT{0, 0, 300, 200});
    bool d = g.DrawGraph(rec, flags);
    if (drawn) *drawn = d;
    std::string log = GetRecordingLog(rec);
    DeleteDC(rec);
    return log;
}

size_t Count(const std::string& log, const std::string& what)
{
    size_t n = 0;
    for (size_t at = log.find(what); at != std::string::npos; at = log.find(what, at + 1)) n++;
    return n;
}

}  // namespace

TEST(GraphDraw, EmptyGraphsDrawNothingAndTheFlagsLeaveOutWhatTheySay)
{
    CGraph empty;
    Limits(empty, 0, 1, 1, 0);
    Add(empty, {});
    bool drawn = true;
    EXPECT_EQ(Record(empty, 0, &drawn), "");
    EXPECT_FALSE(drawn);

    CGraph g;
    g.background = RGB(1, 2, 3);
    Limits(g, 0, 4, 4, 0);
    CGraphObject* o = Add(g, {{1, 1}, {3, 3}});
    o->pointerFlags = 3;
    o->pointer = Point2D{2, 2};
    const std::string all = Record(g, 0);
    EXPECT_EQ(Count(all, "brush=SOLID,#010203"), 1u) << all;
    EXPECT_EQ(Count(Record(g, 4), "brush=SOLID,#010203"), 0u);
    // The pointer lines are the only lines of width 0 drawn in black after the axes.
    const size_t withPointers = Count(all, "LineTo"), without = Count(Record(g, 1), "LineTo");
    EXPECT_EQ(withPointers, without + 2);
}

TEST(GraphDraw, TwoPointPolygonsAreLinesAndUnfilledCurvesOnlyLines)
{
    CGraph g;
    g.legendPosition = 0;
    Limits(g, 0, 4, 4, 0);
    CGraphObject* o = Add(g, {{1, 1}, {3, 3}}, 2);
    o->fillStyle = -1;
    std::string log = Record(g, 0);
    EXPECT_EQ(Count(log, "Polygon"), 0u) << log;
    EXPECT_EQ(Count(log, "Polyline"), 1u) << log;
    // Labels are user text: an ampersand is shown, not taken as a prefix.
    g.xLabel = "R&D";
    g.Rescale();
    EXPECT_EQ(Count(Record(g, 0), "\"R&D\""), 1u);
    o->kind = 1;
    o->fillStyle = -2;
    o->SetPointsFrom({{1, 1}, {3, 3}, {3, 1}});
    g.Rescale();
    log = Record(g, 0);
    EXPECT_EQ(Count(log, "Polygon"), 0u);
    EXPECT_EQ(Count(log, "Polyline"), 1u);
}

TEST(GraphDraw, ManyPolarDivisionsEndAndRingsStopWhenTheyPileUp)
{
    CGraph g;
    g.axisStyle = AXIS_POLAR;
    g.xAxisFlags = g.yAxisFlags = AXIS_GRID;   // counts as stored
    g.xTickCount = 1000000;
    g.yTickCount = 1000000;
    g.legendPosition = 0;
    g.titlePosition = 0;
    Limits(g, -1e6, 1e6, 1e6, -1e6);
    Add(g, {{0, 0}, {1, 1}});
    HDC rec = CreateRecordingDC(FALSE);
    g.ResizeWithDC(rec, RECT{0, 0, 40, 40});
    g.DrawGraph(rec, 0);
    const std::string log = GetRecordingLog(rec);
    DeleteDC(rec);
    EXPECT_LE(Count(log, "Ellipse"), 40u);
    EXPECT_LE(Count(log, "LineTo"), 2u * 360 + 10);
}

// A polar graph's title stands above the "90" over its circle, however
// tight the rectangle (fake metric: a line is as high as the font size).
TEST(GraphDraw, PolarTitleStaysAboveTheAngleNumbers)
{
    for (int height : {200, 260, 400}) {
        SCOPED_TRACE(height);
        CGraph g;
        g.axisStyle = AXIS_POLAR;
        g.legendPosition = 0;
        g.title = "Polar";
        Limits(g, -1, 1, 1, -1);
        Add(g, {{0, 0}, {1, 1}});
        HDC rec = CreateRecordingDC(FALSE);
        ASSERT_TRUE(g.ResizeWithDC(rec, RECT{0, 0, 300, height}));
        g.DrawGraph(rec, 0);
        std::istringstream lines(GetRecordingLog(rec));
        DeleteDC(rec);
        int titleBottom = -1, ninetyTop = -1;
        for (std::string l; std::getline(lines, l);) {
            int x, y;
            if (std::sscanf(l.c_str(), "TextOut %d,%d", &x, &y) != 2) continue;
            if (l.find("\"Polar\"") != std::string::npos) titleBottom = y + g.titleFontSize;
            if (l.find("\"90\"") != std::string::npos) ninetyTop = y;
        }
        ASSERT_GE(titleBottom, 0);
        ASSERT_GE(ninetyTop, 0);
        EXPECT_LE(titleBottom, ninetyTop);
    }
}

// ---- Clipboard ----

namespace {

// The bytes of a white 24-bit memory bitmap after draw.
std::vector<unsigned char> Canvas(int w, int h, const std::function<void(HDC)>& draw)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateBitmap(w, h, 1, 24, nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    RECT r{0, 0, w, h};
    FillRect(dc, &r, (HBRUSH)GetStockObject(WHITE_BRUSH));
    draw(dc);
    std::vector<unsigned char> bits((size_t)(((w * 3 + 3) & ~3) * h));
    GetBitmapBits(bmp, (LONG)bits.size(), bits.data());
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    return bits;
}

}  // namespace

// Another thread can open the clipboard: nobody holds it.
bool OpenableElsewhere()
{
    bool ok = false;
    JoinThread(StartThread([&]() -> DWORD {
        ok = OpenClipboard(nullptr);
        if (ok) CloseClipboard();
        return 0;
    }));
    return ok;
}

class GraphClipboard : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetClipboardForTest();
        TakeMessageBoxLog();
    }
    void TearDown() override { ResetClipboardForTest(); }
};

TEST_F(GraphClipboard, ACopyHoldsATarnGraphicWhoseSvgHasThePaths)
{
    CGraph g;
    kFixtures[0].build(g);
    HDC screen = GetDC(nullptr);
    g.ResizeWithDC(screen, RECT{0, 0, 400, 300});
    ASSERT_TRUE(g.CopyToClipboard(screen));
    ReleaseDC(nullptr, screen);
    EXPECT_TRUE(TakeMessageBoxLog().empty());
    ASSERT_TRUE(OpenClipboard(nullptr));
    HENHMETAFILE emf = (HENHMETAFILE)GetClipboardData(CF_ENHMETAFILE);
    ASSERT_TRUE(emf);
    char desc[32] = {};
    GetEnhMetaFileDescription(emf, sizeof desc, desc);
    EXPECT_STREQ(desc, "Tarn graphic");
    std::string svg;
    ASSERT_TRUE(GetEnhMetaFileSvg(emf, &svg));
    EXPECT_GE(Count(svg, "<path"), g.objects.size());
    RECT b;
    ASSERT_TRUE(GetEnhMetaFileBounds(emf, &b));
    EXPECT_GT(b.right - b.left, 100);   // the ink, not the 32767 page
    EXPECT_LE(b.right, 402);
    // Played back where its ink was, it draws what DrawGraph with flags 2 does.
    std::vector<unsigned char> played = Canvas(400, 300, [&](HDC dc) { PlayEnhMetaFile(dc, emf, &b); });
    std::vector<unsigned char> direct = Canvas(400, 300, [&](HDC dc) { g.DrawGraph(dc, 2); });
    size_t far = 0;
    for (size_t i = 0; i < played.size(); i++) far += abs(played[i] - direct[i]) > 96;
    EXPECT_LT(far, played.size() / 100) << far;
    CloseClipboard();
}

TEST_F(GraphClipboard, ACopyMadeOnARecordingDcReplaysTheLogOfDrawGraphWithFlags2)
{
    for (const Fixture& f : kFixtures) {
        SCOPED_TRACE(f.name);
        ResetClipboardForTest();
        CGraph g;
        f.build(g);
        HDC rec = CreateRecordingDC(FALSE);
        g.ResizeWithDC(rec, RECT{0, 0, f.width, f.height});
        ASSERT_TRUE(g.CopyToClipboard(rec));
        g.DrawGraph(rec, 2);
        const std::string direct = GetRecordingLog(rec);
        ClearRecordingLog(rec);
        ASSERT_TRUE(OpenClipboard(nullptr));
        HENHMETAFILE emf = (HENHMETAFILE)GetClipboardData(CF_ENHMETAFILE);
        RECT b;
        ASSERT_TRUE(emf && GetEnhMetaFileBounds(emf, &b));
        PlayEnhMetaFile(rec, emf, &b);
        CloseClipboard();
        EXPECT_FALSE(direct.empty());
        EXPECT_EQ(GetRecordingLog(rec), direct);
        DeleteDC(rec);
    }
}

TEST_F(GraphClipboard, AClipboardHeldElsewhereGivesTheMessageBoxAndFalse)
{
    CGraph g;
    kFixtures[0].build(g);
    HDC screen = GetDC(nullptr);
    g.ResizeWithDC(screen, RECT{0, 0, 400, 300});
    HANDLE opened = CreateEvent(nullptr, TRUE, FALSE, nullptr), release = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    HANDLE t = StartThread([&]() -> DWORD {
        OpenClipboard(nullptr);
        SetEvent(opened);
        WaitForSingleObject(release, INFINITE);
        CloseClipboard();
        return 0;
    });
    WaitForSingleObject(opened, INFINITE);
    EXPECT_FALSE(g.CopyToClipboard(screen));
    std::vector<MessageBoxRecord> boxes = TakeMessageBoxLog();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Failed to copy data to clipboard now. Try later");
    EXPECT_EQ(boxes[0].caption, "Krv Clipboard Error");
    EXPECT_EQ(boxes[0].type & 0xF0u, (UINT)MB_ICONEXCLAMATION);
    SetEvent(release);
    JoinThread(t);
    CloseHandle(opened);
    CloseHandle(release);
    EXPECT_TRUE(g.CopyToClipboard(screen));
    ReleaseDC(nullptr, screen);
    EXPECT_TRUE(OpenableElsewhere());   // the copy closed it again
    // No metafile (a reference DC that is gone): the failure path, nothing left open.
    HDC gone = CreateRecordingDC(FALSE);
    DeleteDC(gone);
    EXPECT_FALSE(g.CopyToClipboard(gone));
    ASSERT_EQ(TakeMessageBoxLog().size(), 1u);
    EXPECT_TRUE(OpenableElsewhere());
}

namespace {

std::vector<std::string> Lines(const std::string& log)
{
    std::vector<std::string> out;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

// The device points of a recorded "Polyline x,y x,y ... | state" line.
std::vector<POINT> PolylinePoints(const std::string& line)
{
    std::vector<POINT> pts;
    std::istringstream in(line.substr(std::string("Polyline ").size(), line.find(" | ") - 9));
    long x, y;
    char comma;
    while (in >> x >> comma >> y) pts.push_back(POINT{(LONG)x, (LONG)y});
    return pts;
}

// The pixels one polyline leaves with the recorded pen of its line.
std::vector<unsigned char> Rasterised(const std::vector<POINT>& pts, int width, int height)
{
    CMemoryCanvas canvas(width, height);
    HPEN pen = CreatePen(PS_SOLID, 0, RGB(0, 0, 0));
    HGDIOBJ old = SelectObject(canvas.dc(), pen);
    Polyline(canvas.dc(), pts.data(), (int)pts.size());
    SelectObject(canvas.dc(), old);
    DeleteObject(pen);
    return canvas.Snapshot();
}

// A noisy curve of n points across the plane, as measured data looks.
std::vector<Point2D> NoisyCurve(uint32_t n)
{
    std::vector<Point2D> p(n);
    std::mt19937 rng(5);
    for (uint32_t i = 0; i < n; i++)
        p[i] = Point2D{(double)i, std::sin(i * 6.0 / n) + 0.3 * ((double)(rng() % 1000) / 1000 - 0.5)};
    return p;
}

}  // namespace

TEST(GraphDraw, LongHairlinesDrawnFromColumnRunsLeaveTheSamePixels)
{
    // The same graph recorded with every point (flag 8) and as the screen
    // draws it: the logs differ only in the curve's polyline, whose reduced
    // points rasterise to exactly the pixels of the full ones.
    CGraph g;
    g.legendPosition = 0;
    CGraphObject* o = Add(g, NoisyCurve(20000), 1, RGB(0, 0, 0));
    Add(g, {{0, 0}, {19999, 1}}, 1, RGB(0, 0, 255));  // short lines stay as they are
    ASSERT_TRUE(g.AutoScale(0.05));
    const std::vector<std::string> exact = Lines(Record(g, 8)), reduced = Lines(Record(g, 0));
    ASSERT_EQ(exact.size(), reduced.size());
    int differing = 0;
    for (size_t i = 0; i < exact.size(); i++) {
        if (exact[i] == reduced[i]) continue;
        differing++;
        ASSERT_EQ(exact[i].rfind("Polyline ", 0), 0u) << exact[i].substr(0, 80);
        ASSERT_EQ(exact[i].substr(exact[i].find(" | ")), reduced[i].substr(reduced[i].find(" | ")));
        const std::vector<POINT> all = PolylinePoints(exact[i]), runs = PolylinePoints(reduced[i]);
        EXPECT_EQ(all.size(), o->ScreenPoints().size());
        EXPECT_LT(runs.size(), all.size() / 10);
        EXPECT_TRUE(Rasterised(runs, 300, 200) == Rasterised(all, 300, 200));
    }
    EXPECT_EQ(differing, 1);

    // Wide, dashed and filled lines, markers and printer pages keep every point.
    auto same = [&](const char* what, std::function<void(CGraphObject&)> style, BOOL printer) {
        CGraph h;
        h.legendPosition = 0;
        CGraphObject* c = Add(h, NoisyCurve(5000));
        style(*c);
        ASSERT_TRUE(h.AutoScale(0.05));
        HDC a = CreateRecordingDC(printer), b = CreateRecordingDC(printer);
        h.ResizeWithDC(a, RECT{0, 0, 300, 200});
        h.DrawGraph(a, 0);
        h.DrawGraph(b, 8);
        EXPECT_EQ(GetRecordingLog(a) == GetRecordingLog(b), !!printer || std::string(what) != "markers") << what;
        DeleteDC(a);
        DeleteDC(b);
    };
    same("wide", [](CGraphObject& c) { c.penWidth = 2; }, FALSE);
    same("dashed", [](CGraphObject& c) { c.penStyle = 1; }, FALSE);
    same("filled", [](CGraphObject& c) { c.fillStyle = -1; }, FALSE);
    same("markers", [](CGraphObject& c) { c.marker = 2; }, FALSE);  // the line is reduced, each marker drawn
    same("printer", [](CGraphObject&) {}, TRUE);
}
