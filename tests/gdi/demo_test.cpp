// The demo scene on every target: a headless window (pixels and a PNG), the
// recording DC (a golden log), PDF pages, and a metafile exported as SVG and PNG.
#include "demo_scene.h"
#include "gdi_test_util.h"
#include "platform/backend/headless.h"
#include "platform/user/user.h"
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace {

std::string ArtifactDir()
{
    const char* out = getenv("VELDRA_OUT");
    std::string dir = std::string(out ? out : ".") + "/../test-artifacts";
    mkdir(dir.c_str(), 0755);
    return dir;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

std::string RunCommand(const std::string& command)
{
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
    return out;
}

bool HaveTool(const char* tool) { return system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0; }

CDemoResult g_painted;

LRESULT DemoProc(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        g_painted = PaintDemo(dc);
        EndPaint(h, &ps);
        return 0;
    }
    return DefWindowProc(h, m, w, l);
}

HWND DemoWindow()
{
    static ATOM atom = [] {
        WNDCLASS wc{};
        wc.lpfnWndProc = DemoProc;
        wc.lpszClassName = "GdiDemoWindow";
        wc.hbrBackground = (HBRUSH)(uintptr_t)(COLOR_WINDOW + 1);
        return RegisterClass(&wc);
    }();
    EXPECT_NE(atom, 0);
    return CreateWindowEx(0, "GdiDemoWindow", "Demo", WS_POPUP, 0, 0, 320, 240, nullptr, nullptr, nullptr,
                          nullptr);
}

COLORREF Pixel(HWND h, int x, int y)
{
    COLORREF c = CLR_INVALID;
    HeadlessGetPixel(h, x, y, &c);
    return c;
}

const COLORREF W = RGB(255, 255, 255), K = 0, R = RGB(255, 0, 0), B = RGB(0, 0, 255), G = RGB(0, 128, 0);

TEST(DemoScene, AHeadlessWindowPaintsItAndAPixelTableMatches)
{
    HWND h = DemoWindow();
    ASSERT_TRUE(h);
    HeadlessTakeDirtyRects(h);
    InvalidateRect(h, nullptr, TRUE);
    UpdateWindow(h);
    struct {
        int x, y;
        COLORREF c;
        const char* what;
    } table[] = {
        {10, 10, K, "solid start"},      {149, 10, K, "solid last pixel"}, {150, 10, W, "solid end excluded"},
        {27, 18, K, "dash on 18"},       {28, 18, W, "dash off 6"},        {34, 18, K, "dash on again"},
        {12, 26, K, "dot on"},           {13, 26, W, "dot off"},           {80, 54, G, "wide pen centre"},
        {80, 52, G, "wide pen edge"},    {80, 49, W, "wide pen outside"},  {171, 30, B, "hatch at origin 3"},
        {172, 30, W, "hatch gap"},       {178, 30, W, "hatch gap"},        {170, 30, K, "hatch frame"},
        {60, 110, R, "inside the clip"}, {12, 72, W, "outside the clip"},  {108, 110, R, "clip edge"},
        {110, 110, W, "clip excluded"},  {270, 10, K, "blit black"},       {278, 10, W, "blit white"},
        {285, 25, K, "blit corner"},     {286, 10, W, "blit end"},         {20, 170, W, "band dot XOR black"},
        {23, 170, K, "band gap XOR"},    {299, 200, K, "band right edge"}, {300, 200, W, "band excluded"},
    };
    for (const auto& t : table) EXPECT_EQ(Pixel(h, t.x, t.y), t.c) << t.what << " at " << t.x << "," << t.y;
    // Text going up stays right of its reference and above its baseline end.
    int ink = 0, below = 0;
    for (int y = 100; y < 160; y++)
        for (int x = 118; x < 150; x++) {
            if (Pixel(h, x, y) == W) continue;
            (y <= 150 && x >= 120 ? ink : below)++;
        }
    EXPECT_GT(ink, 20);
    EXPECT_EQ(below, 0);
    // The calculated rectangle holds two lines of the UI font.
    HDC screen = GetDC(nullptr);
    SelectObject(screen, GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRIC tm;
    GetTextMetrics(screen, &tm);
    SIZE wide;
    GetTextExtentPoint32(screen, "Veldra", 6, &wide);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(g_painted.calc.bottom - g_painted.calc.top, 2 * tm.tmHeight);
    EXPECT_EQ(g_painted.calc.right - g_painted.calc.left, wide.cx);
    // EndPaint recorded what was drawn for the back end.
    std::vector<RECT> dirty = HeadlessTakeDirtyRects(h);
    ASSERT_FALSE(dirty.empty());
    EXPECT_EQ(dirty[0].left, 0);
    EXPECT_EQ(dirty[0].right, 320);
    EXPECT_TRUE(HeadlessSavePng(h, ArtifactDir() + "/gdi-demo.png"));
    // Drawing outside WM_PAINT shows at once; a dead window's DC draws nothing.
    HDC dc = GetDC(h);
    SetPixel(dc, 5, 235, RGB(9, 9, 9));
    ReleaseDC(h, dc);
    EXPECT_EQ(Pixel(h, 5, 235), RGB(9, 9, 9));
    dirty = HeadlessTakeDirtyRects(h);
    ASSERT_EQ(dirty.size(), 1u);
    EXPECT_EQ(dirty[0].left, 5);
    EXPECT_EQ(dirty[0].bottom, 236);
    dc = GetDC(h);
    std::shared_ptr<CSurface> surface = FindSurface(h);
    DestroyWindow(h);
    EXPECT_EQ(SetPixel(dc, 1, 1, 0), 0u);
    EXPECT_EQ(GetPixel(dc, 1, 1), CLR_INVALID);
    EXPECT_EQ(surface->pixels[1 * 320 + 1], 0xFFFFFFu);
    ReleaseDC(h, dc);
}

TEST(DemoScene, RecordedItEqualsTheGoldenLog)
{
    HDC rec = CreateRecordingDC(FALSE);
    PaintDemo(rec);
    std::string log = GetRecordingLog(rec);
    DeleteDC(rec);
    std::string golden = std::string(getenv("VELDRA_SOURCE")) + "/tests/gdi/golden/demo.log";
    std::string expected = ReadAll(golden);
    if (getenv("VELDRA_UPDATE_GOLDEN")) {
        std::ofstream(golden, std::ios::binary) << log;
        expected = log;
    }
    EXPECT_EQ(log, expected);
}

TEST(DemoScene, PrintedItGivesAPortraitAndALandscapeA4Page)
{
    std::string path = ArtifactDir() + "/gdi-demo.pdf";
    PRINTSETUP setup{0, 0, DMORIENT_PORTRAIT, path.c_str(), nullptr};
    HDC dc = CreatePrinterDC(&setup);
    ASSERT_TRUE(dc);
    DOCINFO info{sizeof(DOCINFO), "Demo", nullptr};
    ASSERT_GT(StartDoc(dc, &info), 0);
    for (int orientation : {DMORIENT_PORTRAIT, DMORIENT_LANDSCAPE}) {
        setup.orientation = orientation;
        ASSERT_TRUE(ResetPrinterDC(dc, &setup));
        ASSERT_GT(StartPage(dc), 0);
        SetMapMode(dc, MM_ISOTROPIC);
        SetWindowExtEx(dc, 320, 240, nullptr);
        SetViewportExtEx(dc, GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES), nullptr);
        PaintDemo(dc);
        ASSERT_GT(EndPage(dc), 0);
    }
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 600);
    ASSERT_GT(EndDoc(dc), 0);
    DeleteDC(dc);
    if (!HaveTool("pdfinfo")) GTEST_SKIP() << "pdfinfo (poppler-utils) is missing";
    std::string info1 = RunCommand("pdfinfo -f 1 -l 2 '" + path + "'");
    EXPECT_NE(info1.find("Pages:           2"), std::string::npos) << info1;
    EXPECT_NE(info1.find("Page    1 size:  595.276 x 841.89 pts (A4)"), std::string::npos) << info1;
    EXPECT_NE(info1.find("Page    2 size:  841.89 x 595.276 pts (A4)"), std::string::npos) << info1;
}

TEST(DemoScene, AsAMetafileItExportsAnSvgThatRendersLikePlayback)
{
    RECT bounds{0, 0, 320 * 2540 / 96, 240 * 2540 / 96};   // 0.01 mm
    HDC mdc = CreateEnhMetaFile(nullptr, nullptr, &bounds, "Veldra demo & scene");
    ASSERT_TRUE(mdc);
    PaintDemo(mdc);
    HENHMETAFILE emf = CloseEnhMetaFile(mdc);
    ASSERT_TRUE(emf);
    RECT b;
    ASSERT_TRUE(GetEnhMetaFileBounds(emf, &b));
    EXPECT_EQ(b.right, 320);
    EXPECT_EQ(b.bottom, 240);
    char desc[64];
    GetEnhMetaFileDescription(emf, sizeof desc, desc);
    EXPECT_STREQ(desc, "Veldra demo & scene");
    std::string svgPath = ArtifactDir() + "/gdi-demo.svg", pngPath = ArtifactDir() + "/gdi-demo-svg.png";
    ASSERT_TRUE(SaveEnhMetaFileSvg(emf, svgPath.c_str()));
    EXPECT_NE(ReadAll(svgPath).find("<title>Veldra demo &amp; scene</title>"), std::string::npos);
    CMemoryCanvas played(320, 240);
    RECT target{0, 0, 320, 240};
    ASSERT_TRUE(PlayEnhMetaFile(played.dc(), emf, &target));
    EXPECT_EQ(played.At(60, 110), RGB(255, 0, 0));
    EXPECT_EQ(played.At(12, 72), RGB(255, 255, 255));
    DeleteEnhMetaFile(emf);
    if (!HaveTool("rsvg-convert")) GTEST_SKIP() << "rsvg-convert (librsvg2-bin) is missing";
    ASSERT_EQ(system(("rsvg-convert -b white -w 320 -h 240 -o '" + pngPath + "' '" + svgPath + "'").c_str()), 0);
    std::string png = ReadAll(pngPath);
    HBITMAP rendered = CreateBitmapFromPng((const unsigned char*)png.data(), png.size());
    ASSERT_TRUE(rendered);
    HDC rdc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(rdc, rendered);
    // Close: most pixels within a small distance (antialiasing differs at edges).
    int far = 0;
    std::vector<unsigned char> mine = played.Snapshot();
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++) {
            COLORREF a = GetPixel(rdc, x, y);
            const unsigned char* p = &mine[(size_t)y * 960 + (size_t)x * 3];
            int d = abs(GetRValue(a) - p[2]) + abs(GetGValue(a) - p[1]) + abs(GetBValue(a) - p[0]);
            if (d > 96) far++;
        }
    EXPECT_LT(far, 320 * 240 / 50) << far;
    SelectObject(rdc, old);
    DeleteObject(rendered);
    DeleteDC(rdc);
}

TEST(DemoScene, AHugeMetafileExportsAPngOfAtMost4096PixelsASide)
{
    RECT bounds{0, 0, 32767 * 2540 / 96, 32767 * 2540 / 96};
    HDC mdc = CreateEnhMetaFile(nullptr, nullptr, &bounds, "big");
    MoveToEx(mdc, 0, 0, nullptr);
    LineTo(mdc, 32767, 32767);
    HENHMETAFILE emf = CloseEnhMetaFile(mdc);
    std::string png;
    ASSERT_TRUE(GetEnhMetaFilePng(emf, &png));
    ASSERT_GT(png.size(), 24u);
    auto be32 = [&](size_t at) {
        return (uint32_t)(unsigned char)png[at] << 24 | (uint32_t)(unsigned char)png[at + 1] << 16 |
               (uint32_t)(unsigned char)png[at + 2] << 8 | (unsigned char)png[at + 3];
    };
    EXPECT_EQ(be32(16), 4096u);   // IHDR width and height
    EXPECT_EQ(be32(20), 4096u);
    DeleteEnhMetaFile(emf);
    // Without bounds the ink decides.
    mdc = CreateEnhMetaFile(nullptr, nullptr, nullptr, nullptr);
    RECT r{10, 20, 30, 25};
    FillRect(mdc, &r, (HBRUSH)GetStockObject(BLACK_BRUSH));
    emf = CloseEnhMetaFile(mdc);
    RECT b;
    GetEnhMetaFileBounds(emf, &b);
    EXPECT_EQ(b.left, 10);
    EXPECT_EQ(b.top, 20);
    EXPECT_EQ(b.right, 30);
    EXPECT_EQ(b.bottom, 25);
    DeleteEnhMetaFile(emf);
}

TEST(Printing, PreviewKeepsPagesAsMetafilesAndAPrinterGetsTheFileThroughLp)
{
    HDC dc = CreatePreviewDC(nullptr);
    DOCINFO info{sizeof(DOCINFO), "Preview", nullptr};
    ASSERT_GT(StartDoc(dc, &info), 0);
    StartPage(dc);
    Rectangle(dc, 100, 100, 600, 600);
    EndPage(dc);
    EndDoc(dc);
    ASSERT_EQ(GetPreviewPageCount(dc), 1);
    HENHMETAFILE page = GetPreviewPage(dc, 0);
    RECT b;
    GetEnhMetaFileBounds(page, &b);
    EXPECT_EQ(b.right, 4961);
    EXPECT_EQ(b.bottom, 7016);
    DeleteEnhMetaFile(page);
    DeleteDC(dc);
    // A printer that cannot take the job is a failure, not a success.
    PRINTSETUP setup{0, 0, DMORIENT_PORTRAIT, nullptr, "no-such-printer-veldra"};
    dc = CreatePrinterDC(&setup);
    ASSERT_GT(StartDoc(dc, &info), 0);
    StartPage(dc);
    EndPage(dc);
    EXPECT_LT(EndDoc(dc), 0);
    DeleteDC(dc);
}

}   // namespace
