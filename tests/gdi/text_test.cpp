// Fonts, metrics, the display rule, text extents and DrawText layout.
#include "gdi_test_util.h"
#include <cstring>
#include <thread>
#include <vector>

namespace {

HFONT Font(int height, const char* face, int escapement = 0)
{
    return CreateFont(height, 0, escapement, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, face);
}

TEST(Fonts, FacesMapToInstalledFamiliesAndHeightsFollowTheirSign)
{
    EXPECT_EQ(ResolveFontFamily("Arial", 0), "Liberation Sans");
    EXPECT_EQ(ResolveFontFamily("tahoma", 0), "Liberation Sans");
    EXPECT_EQ(ResolveFontFamily("Courier New", 0), "Liberation Mono");
    EXPECT_EQ(ResolveFontFamily("Times New Roman", 0), "Liberation Serif");
    EXPECT_EQ(ResolveFontFamily("", FF_ROMAN), "Liberation Serif");
    EXPECT_EQ(ResolveFontFamily("", FIXED_PITCH | FF_MODERN), "Liberation Mono");
    HDC dc = GetDC(nullptr);
    HFONT em = Font(-20, "Arial"), cell = Font(20, "Arial");
    TEXTMETRIC tm;
    SelectObject(dc, em);
    ASSERT_TRUE(GetTextMetrics(dc, &tm));
    EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 20);
    EXPECT_GT(tm.tmHeight, 20);
    SelectObject(dc, cell);
    ASSERT_TRUE(GetTextMetrics(dc, &tm));
    EXPECT_EQ(tm.tmHeight, 20);
    EXPECT_EQ(tm.tmAscent + tm.tmDescent, 20);
    // The LOGFONT comes back as it was given.
    LOGFONT lf;
    ASSERT_EQ(GetObject(cell, sizeof lf, &lf), (int)sizeof(LOGFONT));
    EXPECT_EQ(lf.lfHeight, 20);
    EXPECT_STREQ(lf.lfFaceName, "Arial");
    // The system font reads "System" and measures as the UI font.
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    char face[LF_FACESIZE];
    GetTextFace(dc, sizeof face, face);
    EXPECT_STREQ(face, "System");
    SIZE a, b;
    GetTextExtentPoint32(dc, "Hello", 5, &a);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    GetTextExtentPoint32(dc, "Hello", 5, &b);
    EXPECT_EQ(a.cx, b.cx);
    EXPECT_EQ(a.cy, b.cy);
    ReleaseDC(nullptr, dc);
    DeleteObject(em);
    DeleteObject(cell);
}

TEST(Fonts, ExtentsAddUpWithoutKerning)
{
    HDC dc = GetDC(nullptr);
    HFONT f = Font(-20, "Arial");
    SelectObject(dc, f);
    SIZE whole, a, v;
    GetTextExtentPoint32(dc, "AVAV", 4, &whole);
    GetTextExtentPoint32(dc, "A", 1, &a);
    GetTextExtentPoint32(dc, "V", 1, &v);
    EXPECT_EQ(whole.cx, 2 * a.cx + 2 * v.cx);
    int fit = 0, dx[4];
    GetTextExtentExPoint(dc, "AVAV", 4, a.cx + v.cx, &fit, dx, &whole);
    EXPECT_EQ(fit, 2);
    EXPECT_EQ(dx[0], a.cx);
    EXPECT_EQ(dx[3], whole.cx);
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    DeleteObject(f);
    ReleaseDC(nullptr, dc);
}

TEST(DisplayRule, Utf8WhereValidOtherBytesAsWindows1252)
{
    CShownText cafe = ShowBytes("caf\xC3\xA9", 5);
    ASSERT_EQ(cafe.codePoints.size(), 4u);
    EXPECT_EQ(cafe.codePoints[3], 0xE9u);
    EXPECT_EQ(cafe.byteStart, (std::vector<int>{0, 1, 2, 3, 5}));
    EXPECT_EQ(ShowBytes("\x80", 1).codePoints, std::vector<uint32_t>{0x20AC});
    EXPECT_EQ(ShowBytes("\x81\xE9", 2).codePoints, (std::vector<uint32_t>{0x81, 0xE9}));   // hole, lone Latin-1
    EXPECT_EQ(ShowBytes("\xC3", 1).codePoints, std::vector<uint32_t>{0xC3});             // cut sequence
    EXPECT_EQ(ShowBytes("\xED\xA0\x80", 3).codePoints.size(), 3u);                        // surrogate: bytes
    // Measuring counts shown characters: the recording DC gives each h/2.
    HDC rec = CreateRecordingDC(FALSE);
    HFONT f = Font(-20, "Arial");
    SelectObject(rec, f);
    SIZE s;
    GetTextExtentPoint32(rec, "caf\xC3\xA9", 5, &s);
    EXPECT_EQ(s.cx, 40);
    EXPECT_EQ(s.cy, 20);
    TEXTMETRIC tm;
    GetTextMetrics(rec, &tm);
    EXPECT_EQ(tm.tmAscent, 16);
    EXPECT_EQ(tm.tmDescent, 4);
    SelectObject(rec, GetStockObject(SYSTEM_FONT));
    GetTextMetrics(rec, &tm);
    EXPECT_EQ(tm.tmHeight, 12);
    DeleteDC(rec);
    DeleteObject(f);
}

TEST(DrawTextLayout, CalcRectEllipsisPrefixAndWordBreak)
{
    HDC rec = CreateRecordingDC(FALSE);   // 12 px font: characters 6 px wide
    RECT r{10, 20, 10, 20};
    EXPECT_EQ(DrawText(rec, "ab\nlonger", -1, &r, DT_CALCRECT), 24);
    EXPECT_EQ(r.right, 10 + 36);
    EXPECT_EQ(r.bottom, 44);
    char text[] = "abcdefghij";
    RECT e{0, 0, 40, 12};
    DrawTextEx(rec, text, -1, &e, DT_SINGLELINE | DT_END_ELLIPSIS | DT_MODIFYSTRING, nullptr);
    EXPECT_STREQ(text, "abc...");   // 18 + 18 <= 40
    RECT w{0, 0, 50, 0};
    EXPECT_EQ(DrawText(rec, "one two three four", -1, &w, DT_WORDBREAK | DT_CALCRECT), 36);
    ClearRecordingLog(rec);
    RECT p{0, 0, 100, 12};
    DrawText(rec, "&File && more", -1, &p, DT_SINGLELINE);
    std::string log = GetRecordingLog(rec);
    EXPECT_NE(log.find("\"File & more\""), std::string::npos) << log;
    EXPECT_NE(log.find("LineTo 0,11 6,11"), std::string::npos) << log;   // the underlined F
    LONG t = GetTabbedTextExtent(rec, "a\tb", 3, 0, nullptr);
    EXPECT_EQ(LOWORD(t), 48 + 6);
    // Rectangles at the ends of the 32-bit range: positions stay bounded.
    for (UINT format : {UINT(DT_CENTER | DT_VCENTER | DT_SINGLELINE), UINT(DT_RIGHT | DT_BOTTOM | DT_SINGLELINE),
                        UINT(DT_CALCRECT), UINT(DT_WORDBREAK | DT_END_ELLIPSIS)}) {
        RECT x{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
        DrawText(rec, "edge", -1, &x, format);
        RECT y{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
        DrawText(rec, "edge", -1, &y, format);
    }
    DeleteDC(rec);
}

TEST(Fonts, TwoThreadsShareFontsWhileDrawingText)
{
    HFONT shared = Font(-14, "Arial");
    struct Result {
        std::vector<SIZE> sizes;
        std::string picture;
    };
    auto work = [shared](Result* out) {
        CMemoryCanvas c(200, 40);
        SelectObject(c.dc(), shared);
        for (int i = 0; i < 30; i++) {
            SIZE s{};
            GetTextExtentPoint32(c.dc(), "Shared font text", 16, &s);
            out->sizes.push_back(s);
            TextOut(c.dc(), 2, 2, "Shared font text", 16);
        }
        out->picture = c.Picture(0, 0, 200, 40);
        SelectObject(c.dc(), GetStockObject(SYSTEM_FONT));
        ReleaseThreadFonts();
    };
    // What one thread alone measures and draws, then two at once.
    Result alone;
    std::thread(work, &alone).join();
    ASSERT_EQ(alone.sizes.size(), 30u);
    ASSERT_GT(alone.sizes[0].cx, 0);
    ASSERT_NE(alone.picture.find('#'), std::string::npos);
    Result ra, rb;
    std::thread a(work, &ra), b(work, &rb);
    a.join();
    b.join();
    DeleteObject(shared);

    for (const Result* r : {&ra, &rb}) {
        ASSERT_EQ(r->sizes.size(), 30u);
        for (const SIZE& s : r->sizes) {
            EXPECT_EQ(s.cx, alone.sizes[0].cx);
            EXPECT_EQ(s.cy, alone.sizes[0].cy);
        }
        EXPECT_EQ(r->picture, alone.picture);
    }
}

}   // namespace

namespace {

int CollectFamily(const LOGFONT* lf, const TEXTMETRIC* tm, DWORD, LPARAM l)
{
    auto* names = (std::vector<std::string>*)l;
    names->push_back(lf->lfFaceName);
    EXPECT_GT(tm->tmHeight, 0);
    return 1;
}

TEST(Fonts, EnumerationListsFontconfigFamiliesAndTheMappedFaces)
{
    HDC dc = GetDC(nullptr);
    std::vector<std::string> names;
    EXPECT_EQ(EnumFontFamilies(dc, nullptr, CollectFamily, (LPARAM)&names), 1);
    auto has = [&](const char* n) { return std::find(names.begin(), names.end(), n) != names.end(); };
    EXPECT_TRUE(has("DejaVu Sans"));
    EXPECT_TRUE(has("Liberation Mono"));
    EXPECT_TRUE(has("Arial"));
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    names.clear();
    EnumFontFamilies(dc, "courier new", CollectFamily, (LPARAM)&names);
    EXPECT_EQ(names, std::vector<std::string>{"Courier New"});
    ReleaseDC(nullptr, dc);
}

}   // namespace

// Editors measure a run as the sum of its characters: no kerning, no
// ligatures, for a monospaced and a proportional face and a non-ASCII letter.
TEST(Fonts, RunExtentIsTheSumOfItsCharacters)
{
    HDC dc = GetDC(nullptr);
    for (const char* face : {"Liberation Mono", "DejaVu Sans"}) {
        SCOPED_TRACE(face);
        HFONT f = Font(-13, face);
        SelectObject(dc, f);
        const std::string text = "AVAWfi.\xC3\xA9";
        SIZE whole;
        GetTextExtentPoint32(dc, text.c_str(), (int)text.size(), &whole);
        long sum = 0;
        for (size_t i = 0; i < text.size();) {
            const size_t n = (unsigned char)text[i] >= 0xC0 ? 2 : 1;
            SIZE one;
            GetTextExtentPoint32(dc, text.c_str() + i, (int)n, &one);
            sum += one.cx;
            i += n;
        }
        EXPECT_EQ(whole.cx, sum);
        SelectObject(dc, GetStockObject(SYSTEM_FONT));
        DeleteObject(f);
    }
    ReleaseDC(nullptr, dc);
}
