// Mouse tracking on a headless window whose WM_PAINT draws the graph: whole
// press-move-release sequences are injected, then pumped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <sys/stat.h>

#include "graphics/graph.h"
#include "platform/backend/headless.h"
#include "platform/gdi/gdi.h"
#include "platform/wm_test_util.h"

namespace {

// Hooks of a derived graph, as a plot plane would have them.
class CTestGraph : public CGraph {
public:
    std::function<void(POINT)> onTrackPoint;
    std::function<void()> onPointsMoved;
    void OnTrackPoint(POINT p) override
    {
        if (onTrackPoint) onTrackPoint(p);
    }
    void OnPointsMoved(CGraphObject*, const std::vector<int32_t>&) override
    {
        if (onPointsMoved) onPointsMoved();
    }
};

std::string ArtifactDir()
{
    const char* out = getenv("VELDRA_OUT");
    std::string dir = std::string(out ? out : ".") + "/../test-artifacts";
    mkdir(dir.c_str(), 0755);
    return dir;
}

constexpr int kLeft = 50, kTop = 40;   // the window on the screen

class GraphMouse : public WmTest {
protected:
    CTestGraph* graph = new CTestGraph;
    HWND hwnd = nullptr;
    std::function<LRESULT(UINT, WPARAM, LPARAM)> extra;
    Handler proc = [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (extra) {
            LRESULT r = extra(m, w, l);
            if (r) return r;
        }
        POINT p{GET_X_LPARAM(l), GET_Y_LPARAM(l)};
        switch (m) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            if (graph) {
                graph->PrepareDC(dc);
                graph->DrawGraph(dc, 0);
            }
            EndPaint(h, &ps);
            return 0;
        }
        case WM_ERASEBKGND: {
            RECT r;
            GetClientRect(h, &r);
            FillRect((HDC)w, &r, (HBRUSH)GetStockObject(WHITE_BRUSH));
            return 1;
        }
        case WM_LBUTTONDOWN:
            if (graph) graph->OnLButtonDown(p);
            return 0;
        case WM_RBUTTONDOWN:
            if (graph) graph->HitTest(p);
            return 0;
        case WM_MOUSEMOVE:
            if (graph) graph->OnMouseMove(p);
            return 0;
        case WM_SETCURSOR: return TRUE;
        default: return DefWindowProc(h, m, w, l);
        }
    };

    void SetUp() override
    {
        WmTest::SetUp();
        hwnd = MakeAt(&proc, WS_POPUP | WS_VISIBLE, RECT{kLeft, kTop, kLeft + 400, kTop + 300});
        ASSERT_TRUE(hwnd);
        SetForegroundWindow(hwnd);
        SetActiveWindow(hwnd);
        SetFocus(hwnd);
        graph->SetWindow(hwnd);
        graph->legendPosition = 0;
        graph->titlePosition = 0;
        graph->limits[BOX_LEFT] = 0;
        graph->limits[BOX_TOP] = 10;
        graph->limits[BOX_RIGHT] = 10;
        graph->limits[BOX_BOTTOM] = 0;
    }
    void TearDown() override
    {
        if (hwnd) DestroyWindow(hwnd);
        delete graph;
        WmTest::TearDown();
    }
    CGraphObject* Add(std::vector<Point2D> pts)
    {
        graph->objects.emplace_back(graph->NewObject(nullptr));
        graph->objects.back()->SetPointsFrom(pts);
        return graph->objects.back().get();
    }
    // Lays out and paints; the plot is (0, 0)-(400, 300) less the axis margins.
    void Show()
    {
        graph->Resize(RECT{0, 0, 400, 300});
        InvalidateRect(hwnd, nullptr, TRUE);
        UpdateWindow(hwnd);
        PumpUntilIdle();
    }
    POINT At(double x, double y) const { return graph->WorldToDevice(Point2D{x, y}); }
    void Press(POINT p, UINT b = VK_LBUTTON) { InjectButton(b, true, kLeft + p.x, kTop + p.y); }
    void Release(POINT p, UINT b = VK_LBUTTON) { InjectButton(b, false, kLeft + p.x, kTop + p.y); }
    void Move(POINT p) { InjectMouseMove(kLeft + p.x, kTop + p.y); }
    std::vector<uint32_t> Image()
    {
        std::vector<uint32_t> px;
        SIZE s;
        HeadlessCopySurface(hwnd, &px, &s);
        return px;
    }
    std::vector<double> Limits() const { return std::vector<double>(graph->limits, graph->limits + 4); }
};

}  // namespace

TEST_F(GraphMouse, ARubberBandZoomsAClickAutoscalesAndEscapeLeavesNoTrace)
{
    Add({{1, 1}, {4, 6}, {9, 2}});
    Show();
    const std::vector<double> old = Limits();
    const double box[4] = {graph->DeviceToWorldX(100), graph->DeviceToWorldY(100), graph->DeviceToWorldX(300),
                           graph->DeviceToWorldY(200)};
    Press({100, 100});
    Move({250, 150});
    Move({300, 200});
    Release({300, 200});
    PumpUntilIdle();
    for (int i = 0; i < 4; i++) {
        EXPECT_DOUBLE_EQ(graph->limits[i], box[i]) << i;
        EXPECT_EQ(graph->previousLimits[i], old[i]) << i;
    }
    EXPECT_EQ(GetCapture(), nullptr);

    // A click autoscales the data with a margin of 0.05.
    double expect[4];
    ASSERT_TRUE(graph->CalcAutoLimits(nullptr, expect, 0.05));
    Press({150, 150});
    Release({150, 150});
    PumpUntilIdle();
    for (int i = 0; i < 4; i++) EXPECT_DOUBLE_EQ(graph->limits[i], expect[i]) << i;

    // Escape after moves: the band showed during the drag, nothing after it.
    Show();
    const std::vector<double> before = Limits();
    const std::vector<uint32_t> image = Image();
    // The band's top edge, from the press to the corner, with the default
    // black fore colour: its dots, the first at the press, are the inverse of
    // what lies under them, its gaps leave it.
    int dots = -1, gaps = -1, other = -1;
    graph->onTrackPoint = [&](POINT p) {
        if (p.x != 260) return;
        const std::vector<uint32_t> now = Image();
        dots = gaps = other = 0;
        for (int x = 120; x < 258; x++) {
            const uint32_t was = image[100 * 400 + x], is = now[100 * 400 + x];
            if (is == (~was & 0xFFFFFF)) dots++;
            else if (is == was) gaps++;
            else other++;
            if (x == 120) EXPECT_EQ(is, ~was & 0xFFFFFF) << "the press point is a dot";
        }
        HeadlessSavePng(hwnd, ArtifactDir() + "/graph-zoom-band.png");
    };
    Press({120, 100});
    Move({200, 160});
    Move({260, 200});
    InjectKeyStroke(VK_ESCAPE);
    Release({260, 200});
    PumpUntilIdle();
    EXPECT_EQ(graph->foreColor, 0u);
    EXPECT_GT(dots, 30) << "the band does not show";
    EXPECT_GT(gaps, 30) << "the band is not dotted";
    EXPECT_EQ(other, 0);
    EXPECT_EQ(Limits(), before);
    EXPECT_TRUE(Image() == image);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(GraphMouse, ARightDragPansAndStopsAtABoundOnOneAxisOnly)
{
    Add({{1, 1}, {9, 9}});
    Show();
    const std::vector<double> start = Limits();
    const double xu = graph->xUnitsPerPixel, yu = graph->yUnitsPerPixel;
    // Outside the window the capture still brings the mouse, with negative
    // client coordinates.
    Press({200, 150}, VK_RBUTTON);
    Move({-20, -10});
    Release({-20, -10}, VK_RBUTTON);
    PumpUntilIdle();
    EXPECT_NEAR(graph->limits[BOX_LEFT], start[BOX_LEFT] + 220 * xu, 1e-9);
    EXPECT_NEAR(graph->limits[BOX_RIGHT], start[BOX_RIGHT] + 220 * xu, 1e-9);
    EXPECT_NEAR(graph->limits[BOX_TOP], start[BOX_TOP] + 160 * yu, 1e-9);

    // Bounded x at the current range: a pan to the right would pass xmin.
    graph->bounds[BOX_LEFT] = graph->limits[BOX_LEFT];
    graph->bounds[BOX_RIGHT] = graph->limits[BOX_RIGHT];
    const std::vector<double> here = Limits();
    Press({200, 150}, VK_RBUTTON);
    Move({230, 170});
    Release({230, 170}, VK_RBUTTON);
    PumpUntilIdle();
    EXPECT_EQ(graph->limits[BOX_LEFT], here[BOX_LEFT]);
    EXPECT_EQ(graph->limits[BOX_RIGHT], here[BOX_RIGHT]);
    EXPECT_NEAR(graph->limits[BOX_TOP], here[BOX_TOP] - 20 * yu, 1e-9);

    // Escape puts the ranges back.
    const std::vector<double> again = Limits();
    Press({200, 150}, VK_RBUTTON);
    Move({150, 100});
    InjectKeyStroke(VK_ESCAPE);
    Release({150, 100}, VK_RBUTTON);
    PumpUntilIdle();
    EXPECT_EQ(Limits(), again);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(GraphMouse, PointersAreHitWithinThreeUnitsAndSlideAlongTheirCurve)
{
    CGraphObject* o = Add({{0, 0}, {10, 10}});
    o->pointerFlags = 1;
    o->pointer = Point2D{5, 5};
    Show();
    const POINT at = At(5, 5);
    bool hx, hy;
    EXPECT_EQ(graph->HitTestPointer(POINT{at.x + 3, at.y + 40}, hx, hy), o);
    EXPECT_TRUE(hx && !hy);
    EXPECT_EQ(graph->HitTestPointer(POINT{at.x - 4, at.y}, hx, hy), nullptr);

    // The cursor over the line sizes west-east.
    Move({at.x + 1, at.y - 30});
    PumpUntilIdle();
    EXPECT_EQ(CurrentCursorName(), "IDC:32644");

    // A drag slides along the curve; the left button keeps it.
    const POINT to = At(7, 7);
    Press({at.x, at.y - 30});
    Move({to.x, at.y - 30});
    Release({to.x, at.y - 30});
    PumpUntilIdle();
    EXPECT_NEAR(o->pointer.x, 7, 0.05);
    EXPECT_NEAR(o->pointer.y, o->pointer.x, 1e-9);
    // The right button puts it back.
    const Point2D kept = o->pointer;
    Press({to.x, at.y});
    Move({at.x - 40, at.y});
    Release({at.x - 40, at.y}, VK_RBUTTON);
    PumpUntilIdle();
    EXPECT_EQ(o->pointer.x, kept.x);
    EXPECT_EQ(o->pointer.y, kept.y);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(GraphMouse, OnAPolarGraphOnlyBothLinesHit)
{
    graph->axisStyle = AXIS_POLAR;
    graph->limits[BOX_LEFT] = -2;
    graph->limits[BOX_TOP] = 2;
    graph->limits[BOX_RIGHT] = 2;
    graph->limits[BOX_BOTTOM] = -2;
    CGraphObject* o = Add({{0, 0}, {1, 1}});
    o->pointerFlags = 3;
    o->pointer = Point2D{1, 1};
    Show();
    const POINT at = At(1, 1);
    bool hx, hy;
    EXPECT_EQ(graph->HitTestPointer(POINT{at.x + 2, at.y - 2}, hx, hy), o);
    EXPECT_EQ(graph->HitTestPointer(POINT{at.x + 2, at.y - 30}, hx, hy), nullptr);
}

TEST_F(GraphMouse, AnObjectDragMovesThePointsUnderThePressAndRightUpRestoresThem)
{
    CGraphObject* o = Add({{2, 2}, {5, 5}, {8, 2}});
    Show();
    const POINT p = At(5, 5);
    const double xu = graph->xUnitsPerPixel, yu = graph->yUnitsPerPixel;
    Press(p);
    Move({p.x + 10, p.y});
    Move({p.x + 20, p.y + 10});
    Release({p.x + 20, p.y + 10});
    PumpUntilIdle();
    EXPECT_NEAR(o->Points()[1].x, 5 + 20 * xu, 1e-9);
    EXPECT_NEAR(o->Points()[1].y, 5 + 10 * yu, 1e-9);
    EXPECT_EQ(o->Points()[0].x, 2);
    EXPECT_EQ(o->Points()[2].x, 8);

    const Point2D moved = o->Points()[1];
    const POINT q = At(moved.x, moved.y);
    double during = moved.x;
    graph->onPointsMoved = [&] { during = std::min(during, o->Points()[1].x); };
    Press(q);
    Move({q.x - 30, q.y - 30});
    Release({q.x - 30, q.y - 30}, VK_RBUTTON);
    PumpUntilIdle();
    EXPECT_NE(during, moved.x);
    EXPECT_EQ(o->Points()[1].x, moved.x);
    EXPECT_EQ(o->Points()[1].y, moved.y);

    // Another window taking the capture undoes the drag.
    Handler other = [](HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProc(h, m, w, l); };
    HWND thief = MakeAt(&other, WS_POPUP, RECT{0, 0, 10, 10});
    graph->onPointsMoved = [&] { SetCapture(thief); };
    Press(q);
    Move({q.x + 15, q.y});
    Move({q.x + 25, q.y});
    Release({q.x + 25, q.y});
    PumpUntilIdle();
    EXPECT_EQ(o->Points()[1].x, moved.x);
    EXPECT_EQ(o->Points()[1].y, moved.y);
    ReleaseCapture();
    DestroyWindow(thief);
}

TEST_F(GraphMouse, PointEntryEndsAcceptedAtTheMaximumAndAFullObjectIsRefused)
{
    Add({{1, 1}, {9, 9}});
    CGraphObject* e = Add({});
    graph->mouseMode = 2;
    graph->entryObject = e;
    graph->entryMaxCount = 3;
    Show();
    Press({100, 100});
    Release({100, 100});
    Move({150, 120});
    Press({150, 120});
    Release({150, 120});
    Move({200, 60});
    Press({200, 60});
    Release({200, 60});
    Press({260, 60});   // one too many: ends the entry
    Release({260, 60});
    PumpUntilIdle();
    // The last point follows the mouse until the next press fixes it.
    ASSERT_EQ(e->Count(), 3u);
    EXPECT_NEAR(e->Points()[0].x, graph->DeviceToWorldX(150), 1e-9);
    EXPECT_NEAR(e->Points()[0].y, graph->DeviceToWorldY(120), 1e-9);
    EXPECT_NEAR(e->Points()[1].x, graph->DeviceToWorldX(200), 1e-9);
    EXPECT_NEAR(e->Points()[1].y, graph->DeviceToWorldY(60), 1e-9);
    EXPECT_EQ(graph->mouseMode, 1);
    EXPECT_EQ(GetCapture(), nullptr);

    EXPECT_FALSE(graph->TrackAddPoints(e, POINT{300, 100}, 3));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(e->Count(), 3u);

    // In mode 2 the cursor over one point is the graph's own.
    RegisterGraphResources(nullptr);
    graph->mouseMode = 2;
    Move(At(e->Points()[0].x, e->Points()[0].y));
    PumpUntilIdle();
    EXPECT_EQ(CurrentCursorName(), "CURSOR_NSWE");
}

namespace {

// Starts a thread that sends msg to target and returns once the send waits
// in this thread's queue: the drag loop serves it next.
void SendFromAnotherThread(HWND target, UINT msg)
{
    CloseHandle(StartThread([target, msg]() -> DWORD {
        SendMessage(target, msg, 0, 0);
        return 0;
    }));
    for (int i = 0; i < 5000 && !(GetQueueStatus(QS_SENDMESSAGE) & (QS_SENDMESSAGE | (QS_SENDMESSAGE << 16))); i++)
        Sleep(1);
}

}  // namespace

TEST_F(GraphMouse, ASendThatFreesThePointsOrTheGraphEndsTheDragSafely)
{
    CGraphObject* o = Add({{2, 2}, {5, 5}, {8, 2}});
    Show();
    const POINT p = At(5, 5);
    const UINT kFree = WM_USER + 1, kDelete = WM_USER + 2;
    extra = [&](UINT m, WPARAM, LPARAM) -> LRESULT {
        if (m == kFree) {
            graph->objects[0]->SetPointsFrom({});
            return 1;
        }
        if (m == kDelete) {
            delete graph;
            graph = nullptr;
            return 1;
        }
        return 0;
    };
    int moves = 0;
    graph->onPointsMoved = [&] {
        if (moves++ == 0) SendFromAnotherThread(hwnd, kFree);
    };
    Press(p);
    Move({p.x + 10, p.y});
    Move({p.x + 20, p.y});
    Move({p.x + 30, p.y});
    Release({p.x + 30, p.y});
    PumpUntilIdle();
    EXPECT_EQ(moves, 1);   // the drag ended at the send, kept as it was
    EXPECT_EQ(o->Count(), 0u);
    EXPECT_EQ(GetCapture(), nullptr);

    o->SetPointsFrom({{2, 2}, {5, 5}, {8, 2}});
    graph->Rescale();
    graph->onPointsMoved = [&] { SendFromAnotherThread(hwnd, kDelete); };
    Press(p);
    Move({p.x + 10, p.y});
    Move({p.x + 20, p.y});
    Release({p.x + 20, p.y});
    PumpUntilIdle();
    EXPECT_EQ(graph, nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(GraphMouse, AQuitDuringADragReachesTheOuterLoop)
{
    Add({{1, 1}, {9, 9}});
    Show();
    const std::vector<double> before = Limits();
    graph->onTrackPoint = [](POINT) { PostQuitMessage(7); };
    Press({100, 100});
    Move({200, 200});
    MSG m{};
    int r = 1;
    for (int i = 0; i < 1000 && (r = GetMessage(&m, nullptr, 0, 0)) > 0; i++) DispatchMessage(&m);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(m.message, (UINT)WM_QUIT);
    EXPECT_EQ(m.wParam, 7u);
    EXPECT_EQ(Limits(), before);
    EXPECT_EQ(GetCapture(), nullptr);
    PumpUntilIdle();
}

// Every drag, with the graph deleted by its window's n-th paint for n = 1, 2,
// ... until a run ends with the graph alive: nothing is touched after.
TEST_F(GraphMouse, APaintThatDeletesTheGraphAnywhereInADragIsSafe)
{
    struct Drag {
        const char* name;
        std::function<void()> setup;
        std::function<void()> inject;
    };
    const Drag drags[] = {
        {"zoom", [] {},
         [&] {
             Press({100, 100});
             Move({200, 150});
             Release({200, 150});
         }},
        {"cancelled zoom", [] {},
         [&] {
             Press({100, 100});
             Move({200, 150});
             InjectKeyStroke(VK_ESCAPE);
         }},
        {"pan", [] {},
         [&] {
             Press({200, 150}, VK_RBUTTON);
             Move({180, 140});
             Move({160, 130});
             Release({160, 130}, VK_RBUTTON);
         }},
        {"pointer", [&] {
             graph->objects[0]->pointerFlags = 1;
             graph->objects[0]->pointer = Point2D{5, 5};
         },
         [&] {
             const POINT at = At(5, 5);
             Press(at);
             Move({at.x + 20, at.y});
             Release({at.x + 20, at.y}, VK_RBUTTON);
         }},
        {"points", [] {},
         [&] {
             const POINT at = At(5, 5);
             Press(at);
             Move({at.x + 20, at.y});
             Move({at.x + 30, at.y});
             Release({at.x + 30, at.y}, VK_RBUTTON);
         }},
        {"entry", [&] {
             graph->mouseMode = 2;
             graph->objects.emplace_back(graph->NewObject(nullptr));
             graph->entryObject = graph->objects.back().get();
             graph->entryMaxCount = 2;
         },
         [&] {
             Press({100, 250});
             Move({150, 250});
             Press({150, 250});
             Press({200, 250});
         }},
    };
    int paints = 0, deleteAt = 0;
    extra = [&](UINT m, WPARAM, LPARAM) -> LRESULT {
        if (m == WM_PAINT && ++paints == deleteAt) {
            delete graph;
            graph = nullptr;
        }
        return 0;
    };
    for (const Drag& d : drags) {
        SCOPED_TRACE(d.name);
        for (deleteAt = 1; deleteAt < 100; deleteAt++) {
            delete graph;
            graph = new CTestGraph;
            graph->SetWindow(hwnd);
            graph->legendPosition = 0;
            graph->titlePosition = 0;
            const double box[4] = {0, 10, 10, 0};
            std::copy(box, box + 4, graph->limits);
            Add({{0, 0}, {5, 5}, {10, 0}});
            d.setup();
            const int keep = deleteAt;
            deleteAt = 0;
            Show();
            deleteAt = keep;
            paints = 0;
            d.inject();
            PumpUntilIdle();
            EXPECT_EQ(GetCapture(), nullptr) << deleteAt;
            ResetHeadlessInput();
            if (graph) break;   // the drag ended with fewer paints
        }
        EXPECT_GT(deleteAt, 1);   // some paint did delete it
    }
    extra = nullptr;
}