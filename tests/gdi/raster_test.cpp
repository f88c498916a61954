// Pixel rules on raster targets: end rules, mixes, dashes, hatches, fills, blits, mapping.
#include "gdi_test_util.h"
#include "platform/gdi/gdi_internal.h"
#include <cairo.h>
#include <functional>
#include <random>

namespace {

TEST(RasterRules, LinesAndShapesLeaveOutTheirLastPixelAndRightBottomEdges)
{
    CMemoryCanvas c(16, 12);
    HDC dc = c.dc();
    MoveToEx(dc, 1, 1, nullptr);
    LineTo(dc, 6, 1);
    EXPECT_EQ(c.Picture(0, 1, 8, 2), ".#####..");
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, 1, 3, 6, 7);
    EXPECT_EQ(c.Picture(0, 3, 8, 8), ".#####../.#...#../.#...#../.#####../........");
    RECT r{8, 3, 11, 5};
    FillRect(dc, &r, (HBRUSH)GetStockObject(BLACK_BRUSH));
    EXPECT_EQ(c.Picture(7, 2, 12, 6), "...../.###./.###./.....");
    // A null pen leaves the filled rectangle one pixel smaller each way.
    CMemoryCanvas d(8, 8);
    SelectObject(d.dc(), GetStockObject(NULL_PEN));
    SelectObject(d.dc(), GetStockObject(BLACK_BRUSH));
    Rectangle(d.dc(), 1, 1, 5, 4);
    EXPECT_EQ(d.Picture(0, 0, 6, 5), "....../.###../.###../....../......");
    // Ellipses stay inside left..right-1, top..bottom-1 and touch each edge.
    CMemoryCanvas e(14, 14);
    Ellipse(e.dc(), 1, 1, 12, 10);
    for (int y = 0; y < 14; y++) EXPECT_FALSE(e.Black(12, y)) << y;
    for (int x = 0; x < 14; x++) EXPECT_FALSE(e.Black(x, 10)) << x;
    EXPECT_TRUE(e.Black(1, 5));
    EXPECT_TRUE(e.Black(11, 5));
    EXPECT_TRUE(e.Black(6, 1));
    EXPECT_TRUE(e.Black(6, 9));
}

TEST(RasterRules, AllSixteenMixesFollowOneBitRule)
{
    const uint32_t P = 0x0FAA33, D = 0xF0CC55;   // as COLORREF
    const uint32_t M = 0xFFFFFF;
    const uint32_t expected[17] = {0,       0,           ~(P | D) & M, ~P & D & M, ~P & M,      P & ~D & M,
                                   ~D & M,  (P ^ D),     ~(P & D) & M, P & D,      ~(P ^ D) & M, D,
                                   (~P | D) & M, P,       (P | ~D) & M, P | D,     M};
    for (int code = R2_BLACK; code <= R2_WHITE; code++) {
        CMemoryCanvas c(4, 1);
        HDC dc = c.dc();
        SetPixel(dc, 1, 0, D);
        HPEN pen = CreatePen(PS_SOLID, 1, P);
        HGDIOBJ old = SelectObject(dc, pen);
        SetROP2(dc, code);
        MoveToEx(dc, 1, 0, nullptr);
        LineTo(dc, 2, 0);
        EXPECT_EQ(c.At(1, 0), expected[code]) << "code " << code;
        EXPECT_EQ(c.At(2, 0), RGB(255, 255, 255)) << "code " << code;
        SelectObject(dc, old);
        DeleteObject(pen);
    }
}

TEST(RasterRules, XorAndPatInvertTwiceRestoreARandomImageExactly)
{
    CMemoryCanvas c(40, 30);
    HDC dc = c.dc();
    std::mt19937 rng(7);
    for (int y = 0; y < 30; y++)
        for (int x = 0; x < 40; x++) SetPixel(dc, x, y, rng() & 0xFFFFFF);
    std::vector<unsigned char> before = c.Snapshot();
    HPEN pen = CreatePen(PS_DOT, 0, RGB(10, 200, 90));
    HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, RGB(200, 30, 60));
    SelectObject(dc, pen);
    SelectObject(dc, hatch);
    SetROP2(dc, R2_XORPEN);
    POINT star[5] = {{20, 1}, {31, 28}, {2, 10}, {38, 10}, {9, 28}};
    for (int pass = 0; pass < 2; pass++) {
        Polygon(dc, star, 5);
        Ellipse(dc, 3, 3, 33, 25);
        PatBlt(dc, 5, 5, 30, 20, PATINVERT);
        RECT f{4, 4, 30, 22};
        DrawFocusRect(dc, &f);
    }
    EXPECT_EQ(c.Snapshot(), before);
    SelectObject(dc, GetStockObject(BLACK_PEN));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(pen);
    DeleteObject(hatch);
}

TEST(RasterRules, DottedBlackXorBandShowsOnWhiteOnlyWhenOpaque)
{
    for (int mode : {TRANSPARENT, OPAQUE}) {
        CMemoryCanvas c(30, 3);
        HDC dc = c.dc();
        HPEN pen = CreatePen(PS_DOT, 0, RGB(0, 0, 0));
        SelectObject(dc, pen);
        SetROP2(dc, R2_XORPEN);
        SetBkMode(dc, mode);
        MoveToEx(dc, 0, 1, nullptr);
        LineTo(dc, 24, 1);
        // Dots 3 on, 3 off: black XOR white is white; white gaps XOR white are black.
        EXPECT_EQ(c.Picture(0, 1, 26, 2), mode == OPAQUE ? "...###...###...###...###.." : "..........................")
            << mode;
        SelectObject(dc, GetStockObject(BLACK_PEN));
        DeleteObject(pen);
    }
}

TEST(RasterRules, DashPhaseRunsOnAlongAPolyline)
{
    CMemoryCanvas c(30, 6);
    HPEN pen = CreatePen(PS_DOT, 0, 0);
    SelectObject(c.dc(), pen);
    POINT pts[3] = {{0, 1}, {4, 1}, {4, 5}};
    Polyline(c.dc(), pts, 3);
    EXPECT_EQ(c.Picture(0, 1, 6, 4), "###.../....../....#.");
    SelectObject(c.dc(), GetStockObject(BLACK_PEN));
    DeleteObject(pen);
}

TEST(RasterRules, HatchesAlignToTheBrushOrigin)
{
    CMemoryCanvas c(16, 2);
    HBRUSH cross = CreateHatchBrush(HS_CROSS, 0);
    RECT r{0, 1, 16, 2};
    FillRect(c.dc(), &r, cross);
    EXPECT_EQ(c.Picture(0, 1, 16, 2), "#.......#.......");
    SetBrushOrgEx(c.dc(), 3, 0, nullptr);
    FillRect(c.dc(), &r, (HBRUSH)GetStockObject(WHITE_BRUSH));
    FillRect(c.dc(), &r, cross);
    EXPECT_EQ(c.Picture(0, 1, 16, 2), "...#.......#....");
    DeleteObject(cross);
}

TEST(RasterRules, PentagramCentreIsEmptyForAlternateAndFilledForWinding)
{
    POINT star[5] = {{20, 1}, {32, 38}, {1, 14}, {39, 14}, {8, 38}};
    for (int mode : {ALTERNATE, WINDING}) {
        CMemoryCanvas c(41, 41);
        SelectObject(c.dc(), GetStockObject(BLACK_BRUSH));
        SelectObject(c.dc(), GetStockObject(NULL_PEN));
        SetPolyFillMode(c.dc(), mode);
        Polygon(c.dc(), star, 5);
        EXPECT_EQ(c.Black(20, 20), mode == WINDING) << mode;
        EXPECT_TRUE(c.Black(20, 8)) << mode;   // a point of the star
    }
}

TEST(RasterRules, BlitsTakeAnyRop3AndMonochromeSourcesUseTheTextAndBackgroundColours)
{
    CMemoryCanvas dest(8, 2);
    HDC mono = CreateCompatibleDC(nullptr);
    const unsigned char bits[4] = {0xA0, 0, 0x50, 0};   // 1010..../0101....
    HBITMAP mb = CreateBitmap(4, 2, 1, 1, bits);
    HGDIOBJ old = SelectObject(mono, mb);
    SetTextColor(dest.dc(), RGB(255, 0, 0));
    SetBkColor(dest.dc(), RGB(0, 0, 255));
    BitBlt(dest.dc(), 0, 0, 4, 2, mono, 0, 0, SRCCOPY);
    EXPECT_EQ(dest.At(0, 0), RGB(0, 0, 255));   // 1 bit: background
    EXPECT_EQ(dest.At(1, 0), RGB(255, 0, 0));   // 0 bit: text
    EXPECT_EQ(dest.At(1, 1), RGB(0, 0, 255));
    // SRCINVERT twice restores; BLACKNESS and DSTINVERT ignore the source.
    std::vector<unsigned char> before = dest.Snapshot();
    BitBlt(dest.dc(), 2, 0, 4, 2, mono, 0, 0, SRCINVERT);
    BitBlt(dest.dc(), 2, 0, 4, 2, mono, 0, 0, SRCINVERT);
    EXPECT_EQ(dest.Snapshot(), before);
    PatBlt(dest.dc(), 6, 0, 2, 2, BLACKNESS);
    EXPECT_EQ(dest.At(7, 1), 0u);
    PatBlt(dest.dc(), 6, 0, 1, 1, DSTINVERT);
    EXPECT_EQ(dest.At(6, 0), RGB(255, 255, 255));
    // A colour source into a monochrome bitmap: the source background becomes 1.
    SelectObject(mono, old);
    HBITMAP m2 = CreateBitmap(8, 1, 1, 1, nullptr);
    SelectObject(mono, m2);
    SetBkColor(dest.dc(), RGB(0, 0, 255));
    BitBlt(mono, 0, 0, 2, 1, dest.dc(), 0, 0, SRCCOPY);
    unsigned char out[2] = {0, 0};
    GetBitmapBits(m2, 2, out);
    EXPECT_EQ(out[0] & 0xC0, 0x80);
    SelectObject(mono, old);
    DeleteObject(mb);
    DeleteObject(m2);
    DeleteDC(mono);
}

TEST(RasterRules, StretchBltScalesAndHalftoneAverages)
{
    CMemoryCanvas src(2, 1), dest(8, 2);
    SetPixel(src.dc(), 0, 0, 0);
    StretchBlt(dest.dc(), 0, 0, 4, 2, src.dc(), 0, 0, 2, 1, SRCCOPY);
    EXPECT_EQ(dest.Picture(0, 0, 4, 2), "##../##..");
    SetStretchBltMode(dest.dc(), HALFTONE);
    StretchBlt(dest.dc(), 4, 0, 1, 1, src.dc(), 0, 0, 2, 1, SRCCOPY);
    EXPECT_EQ(dest.At(4, 0), RGB(128, 128, 128));
}

TEST(RasterRules, NegativeYExtentRoundTripsAndKeepsHairlinesOnePixel)
{
    CMemoryCanvas c(100, 100);
    HDC dc = c.dc();
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, 1000, 1000, nullptr);
    SetViewportExtEx(dc, 100, -100, nullptr);
    SetViewportOrgEx(dc, 0, 100, nullptr);
    POINT p[2] = {{250, 300}, {-15, 1234}};
    LPtoDP(dc, p, 2);
    EXPECT_EQ(p[0].x, 25);
    EXPECT_EQ(p[0].y, 70);
    EXPECT_EQ(p[1].x, -2);   // -1.5 rounds away from zero
    DPtoLP(dc, p, 1);
    EXPECT_EQ(p[0].x, 250);
    EXPECT_EQ(p[0].y, 300);
    MoveToEx(dc, 100, 500, nullptr);
    LineTo(dc, 900, 500);
    EXPECT_EQ(c.Picture(8, 48, 12, 53), "..../..../..##/..../....");
    // Inverted rectangles are normalised.
    Rectangle(dc, 100, 100, 300, 0);
    EXPECT_TRUE(c.Black(10, 90));
    EXPECT_TRUE(c.Black(29, 99));
    EXPECT_FALSE(c.Black(30, 95));
}

TEST(RasterRules, EllipticClipAndExcludeClipRect)
{
    CMemoryCanvas c(20, 20);
    HRGN e = CreateEllipticRgn(0, 0, 20, 20);
    SelectClipRgn(c.dc(), e);
    ExcludeClipRect(c.dc(), 8, 8, 12, 12);
    RECT all{0, 0, 20, 20};
    FillRect(c.dc(), &all, (HBRUSH)GetStockObject(BLACK_BRUSH));
    EXPECT_FALSE(c.Black(0, 0));
    EXPECT_FALSE(c.Black(19, 19));
    EXPECT_FALSE(c.Black(10, 10));
    EXPECT_TRUE(c.Black(10, 1));
    EXPECT_TRUE(c.Black(3, 10));
    RECT box;
    EXPECT_EQ(GetClipBox(c.dc(), &box), COMPLEXREGION);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right, 20);
    DeleteObject(e);
}

TEST(RasterRules, RowsThroughAClipWithAHoleTouchEachPixelOnceEitherWay)
{
    CMemoryCanvas c(40, 17);
    HDC dc = c.dc();
    HRGN clip = CreateRectRgn(2, 0, 38, 17);
    SelectClipRgn(dc, clip);
    ExcludeClipRect(dc, 10, 0, 20, 17);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    HGDIOBJ old = SelectObject(dc, pen);
    SetROP2(dc, R2_XORPEN);   // a pixel mixed twice would come back white
    struct Row {
        int x0, x1, y;
        int from, to;   // the pixels [from, to) the row covers
    } rows[] = {{0, 40, 1, 0, 40},    {39, 1, 3, 2, 40},    {-50, 100, 5, 0, 40}, {100, -50, 7, 0, 40},
                {3, 8, 9, 3, 8},      {30, 22, 11, 23, 31}, {25, 24, 13, 25, 26}, {12, 13, 15, 12, 13}};
    for (const Row& r : rows) {
        MoveToEx(dc, r.x0, r.y, nullptr);
        LineTo(dc, r.x1, r.y);
    }
    for (const Row& r : rows)
        for (int x = 0; x < 40; x++) {
            const bool inClip = x >= 2 && x < 38 && !(x >= 10 && x < 20);
            EXPECT_EQ(c.Black(x, r.y), inClip && x >= r.from && x < r.to) << "row " << r.y << " x " << x;
            EXPECT_FALSE(c.Black(x, r.y - 1)) << "row " << r.y - 1 << " x " << x;
        }
    SelectObject(dc, old);
    DeleteObject(pen);
    DeleteObject(clip);
}

TEST(GdiObjects, SelectedObjectsOutliveDeleteAndStockObjectsNeverDie)
{
    CMemoryCanvas c(4, 4);
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    SelectObject(c.dc(), pen);
    EXPECT_TRUE(DeleteObject(pen));
    EXPECT_EQ(GetObjectType(pen), (DWORD)OBJ_PEN);   // still selected
    MoveToEx(c.dc(), 0, 0, nullptr);
    LineTo(c.dc(), 2, 0);
    EXPECT_EQ(c.At(0, 0), RGB(255, 0, 0));
    SelectObject(c.dc(), GetStockObject(BLACK_PEN));
    EXPECT_EQ(GetObjectType(pen), 0u);   // freed on deselection
    EXPECT_FALSE(DeleteObject(GetStockObject(BLACK_BRUSH)));
    EXPECT_EQ(GetObjectType(GetStockObject(BLACK_BRUSH)), (DWORD)OBJ_BRUSH);
    // SaveDC/RestoreDC bring back every attribute.
    int level = SaveDC(c.dc());
    SetROP2(c.dc(), R2_XORPEN);
    SetTextColor(c.dc(), RGB(1, 2, 3));
    SetMapMode(c.dc(), MM_ANISOTROPIC);
    SelectObject(c.dc(), GetStockObject(NULL_PEN));
    EXPECT_TRUE(RestoreDC(c.dc(), level));
    EXPECT_EQ(GetROP2(c.dc()), R2_COPYPEN);
    EXPECT_EQ(GetTextColor(c.dc()), 0u);
    EXPECT_EQ(GetMapMode(c.dc()), MM_TEXT);
    EXPECT_EQ(GetCurrentObject(c.dc(), OBJ_PEN), GetStockObject(BLACK_PEN));
    EXPECT_FALSE(RestoreDC(c.dc(), level));
}

TEST(GdiObjects, SystemColourBrushesReadTheTableAtUse)
{
    CMemoryCanvas c(2, 1);
    int index = COLOR_BTNFACE;
    COLORREF color = RGB(12, 34, 56);
    SetSysColors(1, &index, &color);
    RECT r{0, 0, 1, 1};
    FillRect(c.dc(), &r, GetSysColorBrush(COLOR_BTNFACE));
    EXPECT_EQ(c.At(0, 0), color);
    EXPECT_FALSE(DeleteObject(GetSysColorBrush(COLOR_BTNFACE)));
    ResetSysColors();
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(240, 240, 240));
}

}   // namespace

namespace {

TEST(RasterRules, FarOffLinesCostNothingAndKeepTheirDashPhase)
{
    CMemoryCanvas c(12, 12);
    MoveToEx(c.dc(), -2000000000, 5, nullptr);
    LineTo(c.dc(), 2000000000, 5);
    MoveToEx(c.dc(), -1000000000, -1000000000, nullptr);
    LineTo(c.dc(), 1000000000, 1000000000);
    for (int x = 0; x < 12; x++) {
        EXPECT_TRUE(c.Black(x, 5)) << x;
        EXPECT_TRUE(c.Black(x, x)) << x;
    }
    EXPECT_FALSE(c.Black(3, 4));
    HPEN dot = CreatePen(PS_DOT, 0, 0);
    SelectObject(c.dc(), dot);
    MoveToEx(c.dc(), -100, 1, nullptr);
    LineTo(c.dc(), 30, 1);
    for (int x = 0; x < 12; x++) EXPECT_EQ(c.Black(x, 1), (x + 100) % 6 < 3) << x;
    SelectObject(c.dc(), GetStockObject(BLACK_PEN));
    DeleteObject(dot);
    // Huge shapes, regions and sources neither hang nor allocate without bound.
    RECT huge{-2000000000, -2000000000, 2000000000, 2000000000};
    DrawFocusRect(c.dc(), &huge);
    HRGN rgn = CreateEllipticRgn(-2000000000, -2000000000, 2000000000, 2000000000);
    EXPECT_TRUE(rgn);
    DeleteObject(rgn);
    Ellipse(c.dc(), -2000000000, -2000000000, 2000000000, 2000000000);
    EXPECT_FALSE(StretchBlt(c.dc(), 0, 0, 10, 10, c.dc(), 0, 0, 2000000000, 2000000000, SRCCOPY));
}

}   // namespace

namespace {

// A long self-crossing polyline with a wide pen is stroked in runs of
// segments: the picture is the one the whole path gives at once (each pixel
// whose centre lies in the round-joined, round-capped stroke), and with XOR
// every pixel still flips once.
TEST(RasterRules, WidePolylinesInRunsGiveTheWholePathsPicture)
{
    const int W = 160, H = 120, width = 9;
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> x(0, W - 1), y(0, H - 1);
    std::vector<POINT> pts(700);
    for (POINT& p : pts) p = POINT{x(rng), y(rng)};
    for (bool closed : {false, true}) {
        SCOPED_TRACE(closed ? "closed" : "open");
        CMemoryCanvas c(W, H), flipped(W, H);
        for (CMemoryCanvas* canvas : {&c, &flipped}) {
            HPEN pen = CreatePen(PS_SOLID, width, canvas == &flipped ? RGB(255, 255, 255) : 0);
            HGDIOBJ old = SelectObject(canvas->dc(), pen);
            if (canvas == &flipped) SetROP2(canvas->dc(), R2_XORPEN);
            if (closed) {
                SelectObject(canvas->dc(), GetStockObject(NULL_BRUSH));
                Polygon(canvas->dc(), pts.data(), (int)pts.size());
            } else {
                Polyline(canvas->dc(), pts.data(), (int)pts.size());
            }
            SelectObject(canvas->dc(), old);
            DeleteObject(pen);
        }
        // The same path stroked whole by the library, on a mask of its own.
        cairo_surface_t* m = cairo_image_surface_create(CAIRO_FORMAT_A8, W, H);
        cairo_t* cr = cairo_create(m);
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        for (size_t i = 0; i < pts.size(); i++)
            (i ? cairo_line_to : cairo_move_to)(cr, pts[i].x + 0.5, pts[i].y + 0.5);
        if (closed) cairo_close_path(cr);
        cairo_set_line_width(cr, width);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_stroke(cr);
        cairo_destroy(cr);
        cairo_surface_flush(m);
        const unsigned char* mask = cairo_image_surface_get_data(m);
        const int stride = cairo_image_surface_get_stride(m);
        int differ = 0, inked = 0;
        for (int py = 0; py < H; py++)
            for (int px = 0; px < W; px++) {
                const bool in = mask[py * stride + px] != 0;
                inked += in;
                if (in != c.Black(px, py) || in != (flipped.At(px, py) == 0)) differ++;
            }
        cairo_surface_destroy(m);
        EXPECT_GT(inked, W * H / 2);
        EXPECT_EQ(differ, 0);
    }
}

}  // namespace

namespace {

// Where a white W x H canvas is black against the pixels expected drawn:
// each difference is reported (the first few) through report, and counted.
int CountDifferences(const CMemoryCanvas& c, int W, int H, const std::vector<int>& expected,
                     const std::function<void(int, int, bool)>& report, int shown)
{
    const std::vector<unsigned char> bits = c.Snapshot();
    const size_t stride = ((size_t)W * 3 + 3) & ~(size_t)3;
    int differ = 0;
    for (int py = 0; py < H; py++)
        for (int px = 0; px < W; px++) {
            const unsigned char* q = &bits[(size_t)py * stride + (size_t)px * 3];
            const bool black = q[0] == 0 && q[1] == 0 && q[2] == 0;
            if (black != (expected[(size_t)py * W + px] != 0) && differ++ < shown) report(px, py, black);
        }
    return differ;
}

// Hairlines through a clip of many rectangles are walked per rectangle: the
// pixels are those of the one walk over the segment (the minor coordinate
// rounded halves away from the start, the end left out) that lie in the
// clip, each mixed once (XOR), with the dash phase running on along the
// polyline; segments far out of the picture and steep and shallow ones alike.
TEST(RasterRules, HairlinesThroughAComplexClipTouchTheWalksPixelsOnce)
{
    const int W = 150, H = 110;
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> x(-40, W + 40), y(-40, H + 40);
    std::vector<POINT> pts(400);
    for (POINT& p : pts) p = POINT{x(rng), y(rng)};
    pts[100] = POINT{-3000000, 50};
    pts[101] = POINT{3000000, 51};
    pts[200] = POINT{70, -2000000000};
    for (int style : {PS_SOLID, PS_DOT, PS_DASHDOT}) {
        CMemoryCanvas c(W, H);
        HDC dc = c.dc();
        HRGN clip = CreateEllipticRgn(5, 3, 146, 108);
        HRGN hole = CreateRectRgn(40, 30, 90, 60);
        HRGN both = CreateRectRgn(0, 0, 0, 0);
        CombineRgn(both, clip, hole, RGN_DIFF);
        SelectClipRgn(dc, both);
        HPEN pen = CreatePen(style, 1, RGB(255, 255, 255));
        HGDIOBJ old = SelectObject(dc, pen);
        SetROP2(dc, R2_XORPEN);   // white on white: each mix flips a pixel to black and back
        SetBkMode(dc, TRANSPARENT);
        Polyline(dc, pts.data(), (int)pts.size());
        SelectObject(dc, old);
        DeleteObject(pen);

        const std::vector<int> pattern = style == PS_DOT ? std::vector<int>{3, 3}
                                         : style == PS_DASHDOT ? std::vector<int>{9, 6, 3, 6} : std::vector<int>{};
        long long period = 0;
        for (int v : pattern) period += v;
        auto on = [&](long long walked) {
            if (!period) return true;
            long long at = walked % period;
            for (size_t i = 0; i < pattern.size(); i++) {
                if (at < pattern[i]) return i % 2 == 0;
                at -= pattern[i];
            }
            return true;
        };
        std::vector<int> flips((size_t)W * H, 0);
        long long walked = 0;
        for (size_t k = 0; k + 1 < pts.size(); k++) {
            const long long dx = (long long)pts[k + 1].x - pts[k].x, dy = (long long)pts[k + 1].y - pts[k].y;
            const bool xMajor = std::llabs(dx) >= std::llabs(dy);
            const long long n = std::max(std::llabs(dx), std::llabs(dy));
            const long long dm = std::llabs(xMajor ? dy : dx);
            const int ms = (xMajor ? dx : dy) < 0 ? -1 : 1, ns = (xMajor ? dy : dx) < 0 ? -1 : 1;
            const long long ma = xMajor ? pts[k].x : pts[k].y, mi = xMajor ? pts[k].y : pts[k].x;
            // Only the steps that can land in the picture: the far segments are long.
            const long long lo = xMajor ? 0 : 0, hi = xMajor ? W : H;
            long long i0 = 0, i1 = n;
            if (n > 100000) {
                i0 = std::max(0LL, ms > 0 ? lo - ma : ma - hi + 1);
                i1 = std::min(n, ms > 0 ? hi - ma : ma - lo + 1);
            }
            for (long long i = i0; i < i1; i++) {
                const long long M = ma + ms * i;
                const long long m = mi + ns * (long long)(((__int128)2 * i * dm + n) / (2 * (__int128)n));
                const long long px = xMajor ? M : m, py = xMajor ? m : M;
                if (px < 0 || px >= W || py < 0 || py >= H || !PtInRegion(both, (int)px, (int)py)) continue;
                if (on(walked + i)) flips[(size_t)py * W + px] ^= 1;
            }
            walked += n;
        }
        const int differ = CountDifferences(c, W, H, flips, [&](int px, int py, bool) {
            ADD_FAILURE() << "style " << style << " pixel " << px << "," << py;
        }, 5);
        EXPECT_EQ(differ, 0) << "style " << style;
        DeleteObject(both);
        DeleteObject(hole);
        DeleteObject(clip);
    }
}

}   // namespace

namespace {

// The one walk over a segment, step by step (the minor coordinate rounded
// halves away from the start, the end left out), in exact arithmetic: the
// pixels that lie in the picture and in the clip, in the order walked.
void ReferenceWalk(POINT a, POINT b, int W, int H, HRGN clip, const std::function<void(int, int)>& pixel)
{
    const long long dx = (long long)b.x - a.x, dy = (long long)b.y - a.y;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const long long n = std::max(std::llabs(dx), std::llabs(dy));
    const long long dm = std::llabs(xMajor ? dy : dx);
    const int ms = (xMajor ? dx : dy) < 0 ? -1 : 1, ns = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const long long ma = xMajor ? a.x : a.y, mi = xMajor ? a.y : a.x;
    // Only the steps whose major coordinate lands in the picture.
    const long long hi = xMajor ? W : H;
    const long long i0 = std::max(0LL, ms > 0 ? -ma : ma - hi + 1), i1 = std::min(n, ms > 0 ? hi - ma : ma + 1);
    for (long long i = i0; i < i1; i++) {
        const long long M = ma + ms * i;
        const long long m = mi + ns * (long long)(((__int128)2 * i * dm + n) / (2 * (__int128)n));
        const long long px = xMajor ? M : m, py = xMajor ? m : M;
        if (px < 0 || px >= W || py < 0 || py >= H || !PtInRegion(clip, (int)px, (int)py)) continue;
        pixel((int)px, (int)py);
    }
}

// A clip of several bands: rectangles and ellipses joined, with holes cut.
HRGN RandomClip(std::mt19937& rng, int W, int H)
{
    std::uniform_int_distribution<int> x(-10, W + 10), y(-10, H + 10), kind(0, 3);
    HRGN all = CreateRectRgn(0, 0, 0, 0);
    for (int k = 0; k < 6; k++) {
        int l = x(rng), r = x(rng), t = y(rng), b = y(rng);
        if (l > r) std::swap(l, r);
        if (t > b) std::swap(t, b);
        HRGN part = kind(rng) == 0 ? CreateEllipticRgn(l, t, r + 2, b + 2) : CreateRectRgn(l, t, r + 1, b + 1);
        CombineRgn(all, all, part, k >= 4 ? RGN_DIFF : k == 3 ? RGN_XOR : RGN_OR);
        DeleteObject(part);
    }
    return all;
}

// Hairlines walk each clip rectangle's part of a segment from its first
// step on: a table of segment kinds through random clips of several bands,
// each drawn XOR (every pixel of the walk flips once) and with a plain copy
// pen, against the one walk per segment.
TEST(RasterRules, HairlineSegmentsMatchTheOneWalkThroughRandomClips)
{
    const int W = 97, H = 71;
    const LONG kMax = INT32_MAX, kMin = INT32_MIN;
    struct Kind {
        const char* name;
        std::function<std::pair<POINT, POINT>(std::mt19937&)> make;
    };
    auto in = [&](std::mt19937& g, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(g); };
    const std::vector<Kind> kinds{
        {"inside", [&](std::mt19937& g) { return std::pair{POINT{in(g, 0, W - 1), in(g, 0, H - 1)}, POINT{in(g, 0, W - 1), in(g, 0, H - 1)}}; }},
        {"partly outside", [&](std::mt19937& g) { return std::pair{POINT{in(g, -60, W + 60), in(g, -60, H + 60)}, POINT{in(g, 0, W - 1), in(g, 0, H - 1)}}; }},
        {"vertical", [&](std::mt19937& g) { const int x = in(g, -2, W + 1); return std::pair{POINT{x, in(g, -30, H + 30)}, POINT{x, in(g, -30, H + 30)}}; }},
        {"horizontal", [&](std::mt19937& g) { const int y = in(g, -2, H + 1); return std::pair{POINT{in(g, -30, W + 30), y}, POINT{in(g, -30, W + 30), y}}; }},
        {"diagonal", [&](std::mt19937& g) {
             const int x = in(g, -20, W + 20), y = in(g, -20, H + 20), d = in(g, -90, 90), s = in(g, 0, 1) ? 1 : -1;
             return std::pair{POINT{x, y}, POINT{x + d, y + s * d}};
         }},
        {"half slopes", [&](std::mt19937& g) {
             // Every step lands on a half: the rounding's direction shows.
             const int x = in(g, -20, W + 20), y = in(g, -20, H + 20), d = in(g, -40, 40), s = in(g, 0, 1) ? 1 : -1;
             return in(g, 0, 1) ? std::pair{POINT{x, y}, POINT{x + 2 * d, y + s * d}}
                                : std::pair{POINT{x, y}, POINT{x + s * d, y + 2 * d}};
         }},
        {"huge", [&](std::mt19937& g) {
             // Far ends of the coordinate range, through or past the picture.
             const LONG far[] = {kMin, kMax, kMin + 1, kMax - 1, -(1 << 30), 1 << 30, -3000001, 3000001};
             auto pick = [&] { return far[in(g, 0, 7)]; };
             switch (in(g, 0, 3)) {
             case 0: return std::pair{POINT{pick(), in(g, 0, H - 1)}, POINT{pick(), in(g, 0, H - 1)}};
             case 1: return std::pair{POINT{in(g, 0, W - 1), pick()}, POINT{in(g, 0, W - 1), pick()}};
             case 2: return std::pair{POINT{pick(), pick()}, POINT{in(g, 0, W - 1), in(g, 0, H - 1)}};
             default: return std::pair{POINT{pick(), pick()}, POINT{pick(), pick()}};
             }
         }},
    };
    for (int seed = 1; seed <= 12; seed++) {
        std::mt19937 rng(seed);
        HRGN clip = RandomClip(rng, W, H);
        for (const Kind& kind : kinds) {
            std::vector<std::pair<POINT, POINT>> segs;
            for (int k = 0; k < 25; k++) segs.push_back(kind.make(rng));
            for (int rop : {R2_XORPEN, R2_COPYPEN}) {
                CMemoryCanvas c(W, H);
                HDC dc = c.dc();
                SelectClipRgn(dc, clip);
                // White on white flips each pixel of a XOR walk to black and back.
                HPEN pen = CreatePen(PS_SOLID, 1, rop == R2_XORPEN ? RGB(255, 255, 255) : RGB(0, 0, 0));
                HGDIOBJ old = SelectObject(dc, pen);
                SetROP2(dc, rop);
                std::vector<int> expect((size_t)W * H, 0);
                for (const auto& [a, b] : segs) {
                    POINT two[2] = {a, b};
                    Polyline(dc, two, 2);
                    // Device coordinates stop at 2^29 either way.
                    auto device = [](POINT p) {
                        return POINT{std::clamp<LONG>(p.x, -(1 << 29), 1 << 29), std::clamp<LONG>(p.y, -(1 << 29), 1 << 29)};
                    };
                    ReferenceWalk(device(a), device(b), W, H, clip, [&](int x, int y) {
                        int& e = expect[(size_t)y * W + x];
                        e = rop == R2_XORPEN ? e ^ 1 : 1;
                    });
                }
                SelectObject(dc, old);
                DeleteObject(pen);
                const int differ = CountDifferences(c, W, H, expect, [&](int px, int py, bool black) {
                    ADD_FAILURE() << kind.name << ", seed " << seed << ", rop " << rop << ": pixel " << px << ","
                                  << py << (black ? " drawn" : " missing");
                }, 3);
                EXPECT_EQ(differ, 0) << kind.name << ", seed " << seed << ", rop " << rop;
            }
        }
        DeleteObject(clip);
    }
}

}   // namespace

namespace {

// The walk's quotients, in 64 bits where the product fits and past it, against
// 128-bit arithmetic: edges of the estimate (exact multiples, one below) too.
TEST(RasterRules, WalkQuotientsAreExactBeyondSixtyFourBits)
{
    std::mt19937_64 rng(5);
    auto below = [&](int bits) { return (long long)(rng() >> (64 - bits)); };
    int wide = 0;
    for (int k = 0; k < 20000; k++) {
        const int bits = 20 + k % 15;   // operands up to 2^34: products up to 2^68
        long long a = below(bits), b = below(bits), c = below(bits), d = below(bits) + 1;
        if (k % 7 == 0) c = d - 1 - (long long)(((__int128)a * b) % d);   // the sum one below a multiple
        if (k % 11 == 0) c = d - (long long)(((__int128)a * b) % d);      // a multiple exactly
        const __int128 num = (__int128)a * b + c;
        wide += num > INT64_MAX;
        long long rem = -1;
        const long long q = MulAddDiv(a, b, c, d, &rem);
        ASSERT_EQ((__int128)q, num / d) << a << " * " << b << " + " << c << " / " << d;
        ASSERT_EQ((__int128)rem, num % d) << a << " * " << b << " + " << c << " / " << d;
    }
    EXPECT_GT(wide, 1000);
}

}   // namespace

namespace {

// A plain copy between 32-bit bitmaps through a clip of several bands, from
// places partly outside the source (black there) to places partly outside the
// target: the source's colours where the clip lets them through, the
// target's own top bytes kept, everything else untouched.
TEST(RasterRules, CopyBlitsThroughAClipKeepTheTargetsTopBytes)
{
    const int SW = 41, SH = 29, DW = 53, DH = 37;
    std::mt19937 rng(3);
    auto bitmap = [&](int w, int h, std::vector<uint32_t>& px) {
        px.resize((size_t)w * h);
        for (uint32_t& p : px) p = (uint32_t)rng();
        HBITMAP b = CreateBitmap(w, h, 1, 32, nullptr);
        SetBitmapBits(b, (LONG)(px.size() * 4), px.data());
        return b;
    };
    struct Case {
        int x, y, w, h, sx, sy;
    };
    const Case cases[] = {{0, 0, SW, SH, 0, 0}, {5, 3, 30, 20, 4, 2}, {-7, -5, 30, 25, 0, 0}, {30, 20, 40, 30, 10, 5},
                          {2, 4, 20, 15, -6, -3}, {10, 8, 30, 25, 25, 18}, {0, 0, 1, 1, 40, 28}};
    for (const Case& k : cases) {
        std::vector<uint32_t> src, dest;
        HBITMAP sb = bitmap(SW, SH, src), db = bitmap(DW, DH, dest);
        HDC sdc = CreateCompatibleDC(nullptr), ddc = CreateCompatibleDC(nullptr);
        HGDIOBJ so = SelectObject(sdc, sb), dold = SelectObject(ddc, db);
        HRGN clip = CreateEllipticRgn(-4, 2, 50, 36);
        HRGN hole = CreateRectRgn(12, 10, 30, 16);
        CombineRgn(clip, clip, hole, RGN_DIFF);
        SelectClipRgn(ddc, clip);
        ASSERT_TRUE(BitBlt(ddc, k.x, k.y, k.w, k.h, sdc, k.sx, k.sy, SRCCOPY));
        std::vector<uint32_t> got(dest.size());
        GetBitmapBits(db, (LONG)(got.size() * 4), got.data());
        int differ = 0;
        for (int y = 0; y < DH; y++)
            for (int x = 0; x < DW; x++) {
                uint32_t want = dest[(size_t)y * DW + x];
                if (x >= k.x && x < k.x + k.w && y >= k.y && y < k.y + k.h && PtInRegion(clip, x, y)) {
                    const int sx = k.sx + x - k.x, sy = k.sy + y - k.y;
                    const uint32_t s = sx >= 0 && sx < SW && sy >= 0 && sy < SH ? src[(size_t)sy * SW + sx] : 0;
                    want = (want & 0xFF000000u) | (s & 0xFFFFFFu);
                }
                if (got[(size_t)y * DW + x] != want && differ++ < 3)
                    ADD_FAILURE() << "blit at " << k.x << "," << k.y << " from " << k.sx << "," << k.sy << ": pixel " << x
                                  << "," << y << std::hex << " is " << got[(size_t)y * DW + x] << ", not " << want;
            }
        EXPECT_EQ(differ, 0);
        SelectObject(sdc, so);
        SelectObject(ddc, dold);
        DeleteDC(sdc);
        DeleteDC(ddc);
        DeleteObject(sb);
        DeleteObject(db);
        DeleteObject(clip);
        DeleteObject(hole);
    }
}

}   // namespace
