// Bitmaps, pattern brushes, resources, image lists, clamps and device capabilities.
#include "gdi_test_util.h"

void RegisterGdiTestBitmaps(HINSTANCE module);

namespace {

TEST(Bitmaps, MonochromePatternBrushesMapOneBitsToTheBackgroundColour)
{
    const unsigned char bits[16] = {0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};   // 8 x 8, one set bit
    HBITMAP pattern = CreateBitmap(8, 8, 1, 1, bits);
    HBRUSH brush = CreatePatternBrush(pattern);
    DeleteObject(pattern);   // the brush keeps its own copy
    CMemoryCanvas c(10, 1);
    SetTextColor(c.dc(), RGB(0, 255, 0));
    SetBkColor(c.dc(), RGB(255, 0, 0));
    RECT r{0, 0, 10, 1};
    FillRect(c.dc(), &r, brush);
    EXPECT_EQ(c.At(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(c.At(1, 0), RGB(0, 255, 0));
    EXPECT_EQ(c.At(8, 0), RGB(255, 0, 0));
    DeleteObject(brush);
    BITMAP info{};
    HBITMAP b32 = CreateBitmap(3, 2, 1, 32, nullptr);
    ASSERT_EQ(GetObject(b32, sizeof info, &info), (int)sizeof info);
    EXPECT_EQ(info.bmBitsPixel, 32);
    EXPECT_EQ(info.bmWidthBytes, 12);
    EXPECT_EQ(CreateBitmap(0, 5, 1, 24, nullptr), nullptr);
    EXPECT_EQ(CreateBitmap(5, 5, 1, 8, nullptr), nullptr);
    DeleteObject(b32);
}

TEST(Resources, EmbeddedPngsLoadPerModuleAndFeedImageLists)
{
    HINSTANCE module = (HINSTANCE)(uintptr_t)0x1234;
    RegisterGdiTestBitmaps(module);
    EXPECT_EQ(LoadBitmap(nullptr, "swatch"), nullptr);   // another module's table
    HBITMAP bm = LoadBitmap(module, "SWATCH");
    ASSERT_TRUE(bm);
    HIMAGELIST list = ImageList_Create(2, 2, ILC_COLOR24 | ILC_MASK, 2, 2);
    EXPECT_EQ(ImageList_AddMasked(list, bm, RGB(255, 0, 255)), 0);
    EXPECT_EQ(ImageList_GetImageCount(list), 2);
    CMemoryCanvas c(4, 2);
    ImageList_Draw(list, 0, c.dc(), 0, 0, ILD_TRANSPARENT);
    ImageList_Draw(list, 1, c.dc(), 2, 0, ILD_TRANSPARENT);
    EXPECT_EQ(c.At(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(c.At(1, 0), RGB(0, 255, 0));
    EXPECT_EQ(c.At(2, 0), RGB(0, 0, 255));
    EXPECT_EQ(c.At(1, 1), RGB(255, 255, 255));   // the mask colour stays transparent
    EXPECT_EQ(c.At(3, 1), RGB(0, 0, 0));
    EXPECT_TRUE(ImageList_Destroy(list));
    EXPECT_FALSE(ImageList_Destroy(list));
    DeleteObject(bm);
}

TEST(Clamps, FontSizesAndPenWidthsFromFilesAreClampedAtUse)
{
    HDC rec = CreateRecordingDC(FALSE);
    HPEN pen = CreatePen(PS_SOLID, 2000000000, 0);
    LOGPEN lp;
    GetObject(pen, sizeof lp, &lp);
    EXPECT_EQ(lp.lopnWidth.x, 2000000000);   // kept as given
    SelectObject(rec, pen);
    MoveToEx(rec, 0, 0, nullptr);
    LineTo(rec, 5, 5);
    EXPECT_NE(GetRecordingLog(rec).find("pen=SOLID,1000,"), std::string::npos) << GetRecordingLog(rec);
    HFONT huge = CreateFont(-2000000000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    SelectObject(rec, huge);
    TEXTMETRIC tm;
    GetTextMetrics(rec, &tm);
    EXPECT_EQ(tm.tmHeight, 4096);
    HDC screen = GetDC(nullptr);
    SelectObject(screen, huge);
    GetTextMetrics(screen, &tm);
    EXPECT_LT(tm.tmHeight, 6000);
    SelectObject(screen, GetStockObject(SYSTEM_FONT));
    ReleaseDC(nullptr, screen);
    DeleteDC(rec);
    DeleteObject(pen);
    DeleteObject(huge);
}

TEST(DeviceCaps, EachKindAnswersItsOwn)
{
    HDC screen = GetDC(nullptr), printer = CreateRecordingDC(TRUE);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
    EXPECT_EQ(GetDeviceCaps(screen, HORZRES), 1920);
    EXPECT_EQ(GetDeviceCaps(screen, TECHNOLOGY), DT_RASDISPLAY);
    EXPECT_EQ(GetDeviceCaps(printer, LOGPIXELSX), 600);
    EXPECT_EQ(GetDeviceCaps(printer, HORZRES), 4961);
    EXPECT_EQ(GetDeviceCaps(printer, VERTRES), 7016);
    EXPECT_EQ(GetDeviceCaps(printer, TECHNOLOGY), DT_RASPRINTER);
    HDC mem = CreateCompatibleDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(mem, BITSPIXEL), 1);   // its first bitmap is monochrome
    DeleteDC(mem);
    DeleteDC(printer);
    ReleaseDC(nullptr, screen);
}

TEST(Mapping, TextStaysUprightUnderANegativeYExtent)
{
    CMemoryCanvas flipped(80, 40), plain(80, 40);
    HFONT f = CreateFont(-16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    SelectObject(flipped.dc(), f);
    SelectObject(plain.dc(), f);
    SetMapMode(flipped.dc(), MM_ANISOTROPIC);
    SetWindowExtEx(flipped.dc(), 10, 10, nullptr);
    SetViewportExtEx(flipped.dc(), 10, -10, nullptr);
    SetViewportOrgEx(flipped.dc(), 0, 40, nullptr);
    TextOut(flipped.dc(), 5, 35, "Ab", 2);   // device (5, 5)
    TextOut(plain.dc(), 5, 5, "Ab", 2);
    EXPECT_EQ(flipped.Snapshot(), plain.Snapshot());
    SIZE s;
    GetTextExtentPoint32(flipped.dc(), "Ab", 2, &s);
    EXPECT_GT(s.cy, 0);
    SelectObject(flipped.dc(), GetStockObject(SYSTEM_FONT));
    SelectObject(plain.dc(), GetStockObject(SYSTEM_FONT));
    DeleteObject(f);
}

}   // namespace

namespace {

TEST(Edges, SunkenAndRaisedEdgesUseTheSystemColoursOuterPartFirst)
{
    CMemoryCanvas c(8, 8);
    RECT r{0, 0, 8, 8};
    DrawEdge(c.dc(), &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST | BF_MIDDLE);
    EXPECT_EQ(c.At(0, 0), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(c.At(7, 7), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(c.At(1, 1), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(c.At(6, 6), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(c.At(3, 3), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(r.left, 2);
    EXPECT_EQ(r.bottom, 6);
    RECT s{0, 0, 8, 8};
    DrawEdge(c.dc(), &s, BDR_RAISEDINNER, BF_TOP);
    EXPECT_EQ(c.At(4, 0), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(s.top, 0);   // no BF_ADJUST
}

}   // namespace
