// Text output and measurement: TextOut, ExtTextOut, tabbed text and metrics.
// Drawing and measuring share one path from bytes to shown characters
// (ShowBytes) and one set of rounded advances; the recording DC measures with
// its fixed fake metric instead of fonts.
#include "platform/gdi/fonts.h"
#include <cmath>
#include <cstring>

namespace {

// Recording DCs only log; a metafile made on one logs and draws.
bool Logging(const CDc& dc) { return dc.dcKind == DcKind::Recording || dc.logsToo; }
bool DrawsPixels(const CDc& dc) { return dc.dcKind != DcKind::Recording; }

const LOGFONT& DcLogFont(const CDc& dc)
{
    static const LOGFONT empty{};
    return dc.st.font ? dc.st.font->lf : empty;
}

// The font height in device pixels, with lfHeight's sign; 0 is the UI font's.
int DeviceFontHeight(const CDc& dc)
{
    LONG h = DcLogFont(dc).lfHeight;
    if (h == 0) return -(12 * dc.dpi / 96);
    int d = std::min(ScaleY(dc.st, h), 4096);
    return h < 0 ? -std::max(d, 1) : std::max(d, 1);
}

int FakeHeight(const CDc& dc)
{
    LONG h = DcLogFont(dc).lfHeight;
    return h == 0 ? 12 : std::max(1, std::min(ScaleY(dc.st, h), 4096));
}

CFontEntry* DcFont(CDc& dc) { return FontFor(DcLogFont(dc), DeviceFontHeight(dc)); }

int ToLogicalX(const CDcState& st, long long v)
{
    if (st.mapMode == MM_TEXT || st.vpExt.cx == 0) return (int)v;
    return (int)std::llround(std::fabs((double)v * st.winExt.cx / st.vpExt.cx));
}

int ToLogicalY(const CDcState& st, long long v)
{
    if (st.mapMode == MM_TEXT || st.vpExt.cy == 0) return (int)v;
    return (int)std::llround(std::fabs((double)v * st.winExt.cy / st.vpExt.cy));
}

std::string Quoted(const std::string& utf8)
{
    std::string s = "\"";
    for (char c : utf8) {
        if (c == '"' || c == '\\') s += '\\';
        if ((unsigned char)c < 0x20) {
            char buf[8];
            snprintf(buf, sizeof buf, "\\x%02x", (unsigned char)c);
            s += buf;
            continue;
        }
        s += c;
    }
    return s + "\"";
}

struct CGeometry {
    double ox, oy;             // baseline start
    double ax, ay, dx, dy;     // along and down unit vectors
    int width;
};

CGeometry Place(CDc& dc, POINT ref, int width, const CFontMetrics& m)
{
    double theta = DcLogFont(dc).lfEscapement / 10.0 * M_PI / 180.0;
    CGeometry g;
    g.ax = std::cos(theta), g.ay = -std::sin(theta);
    g.dx = std::sin(theta), g.dy = std::cos(theta);
    g.width = width;
    UINT al = dc.st.textAlign;
    double along = (al & 6) == TA_CENTER ? width / 2.0 : (al & 6) == TA_RIGHT ? width : 0;
    double down = (al & 24) == TA_BASELINE ? 0 : (al & 24) == TA_BOTTOM ? -m.descent : m.ascent;
    g.ox = ref.x - along * g.ax + down * g.dx;
    g.oy = ref.y - along * g.ay + down * g.dy;
    return g;
}

// Sets up a cairo context so that (0, 0) is the baseline start and x runs along the text.
void TextSpace(cairo_t* c, const CGeometry& g)
{
    cairo_translate(c, g.ox, g.oy);
    cairo_rotate(c, std::atan2(g.ay, g.ax));
}

void PaintRun(cairo_t* c, CFontEntry* font, const CShownText& shown, const std::vector<int>* dx)
{
    if (!dx) {
        PangoLayout* layout = MakeLayout(font, shown.utf8);
        cairo_move_to(c, 0, -font->pangoBaseline);
        pango_cairo_show_layout(c, layout);
        g_object_unref(layout);
        return;
    }
    double x = 0;
    for (size_t i = 0; i < shown.codePoints.size(); i++) {
        std::string one;
        AppendUtf8(one, shown.codePoints[i]);
        PangoLayout* layout = MakeLayout(font, one);
        cairo_move_to(c, x, -font->pangoBaseline);
        pango_cairo_show_layout(c, layout);
        g_object_unref(layout);
        x += (*dx)[i];
    }
}

}   // namespace

CFontMetrics DcFontMetrics(CDc& dc)
{
    if (Logging(dc)) {
        CFontMetrics m;
        m.height = FakeHeight(dc);
        m.ascent = (int)std::lround(0.8 * m.height);
        m.descent = m.height - m.ascent;
        m.aveWidth = m.maxWidth = (int)std::lround(m.height / 2.0);
        return m;
    }
    return DcFont(dc)->metrics;
}

std::vector<int> DcCharAdvances(CDc& dc, const CShownText& shown)
{
    if (Logging(dc)) return std::vector<int>(shown.codePoints.size(), (int)std::lround(FakeHeight(dc) / 2.0));
    return FontAdvances(DcFont(dc), shown);
}

// Draws shown text at a device reference point by the DC's alignment and the
// font's escapement; `dx` overrides the advances; `clip` limits it further.
static void DrawRun(CDc& dc, POINT ref, const CShownText& shown, const std::vector<int>* dx, bool opaqueBox,
                    const RECT* clip)
{
    CFontMetrics m = DcFontMetrics(dc);
    std::vector<int> adv = dx ? *dx : DcCharAdvances(dc, shown);
    int width = 0;
    for (int a : adv) width += a;
    CGeometry g = Place(dc, ref, width, m);
    if (!DrawsPixels(dc)) return;
    CFontEntry* font = DcFont(dc);
    std::shared_ptr<CRegion> savedClip = dc.st.clip;
    if (clip) {
        CRegion extra = CRegion::FromRect(*clip);
        dc.st.clip = std::make_shared<CRegion>(savedClip ? CRegion::Combine(*savedClip, extra, RGN_AND) : extra);
    }
    if (IsRaster(dc)) {
        CRaster r;
        if (AcquireRaster(dc, r)) {
            // The box of the rotated text cell, with room for overhangs.
            double pad = m.height;
            double xs[4], ys[4];
            double cx[4] = {-pad, width + pad, width + pad, -pad}, cy[4] = {-m.ascent - pad, -m.ascent - pad, m.descent + pad, m.descent + pad};
            for (int i = 0; i < 4; i++) {
                xs[i] = g.ox + cx[i] * g.ax + cy[i] * g.dx;
                ys[i] = g.oy + cx[i] * g.ay + cy[i] * g.dy;
            }
            RECT box{(LONG)std::floor(*std::min_element(xs, xs + 4)), (LONG)std::floor(*std::min_element(ys, ys + 4)),
                     (LONG)std::ceil(*std::max_element(xs, xs + 4)) + 1, (LONG)std::ceil(*std::max_element(ys, ys + 4)) + 1};
            if (opaqueBox)
                FillPathRaster(dc, r, box, CAIRO_FILL_RULE_WINDING, SolidSource(ToPixel(dc.st.bk)), R2_COPYPEN,
                               [&](cairo_t* c) {
                                   TextSpace(c, g);
                                   cairo_rectangle(c, 0, -m.ascent, width, m.height);
                                   cairo_fill(c);
                               });
            box.left = std::max(box.left, r.area.left);
            box.top = std::max(box.top, r.area.top);
            box.right = std::min(box.right, r.area.right);
            box.bottom = std::min(box.bottom, r.area.bottom);
            if (box.left < box.right && box.top < box.bottom) {
                int w = box.right - box.left, h = box.bottom - box.top;
                cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
                cairo_t* c = cairo_create(mask);
                cairo_translate(c, -box.left, -box.top);
                TextSpace(c, g);
                cairo_set_source_rgba(c, 0, 0, 0, 1);
                PaintRun(c, font, shown, dx);
                cairo_destroy(c);
                cairo_surface_flush(mask);
                ApplyMask(dc, r, cairo_image_surface_get_data(mask), cairo_image_surface_get_stride(mask), box.left,
                          box.top, w, h, SolidSource(ToPixel(dc.st.text)), R2_COPYPEN, true);
                cairo_surface_destroy(mask);
            }
        }
    } else if (IsVector(dc)) {
        cairo_t* c = dc.cr;
        cairo_save(c);
        ClipVector(dc);
        TextSpace(c, g);
        if (opaqueBox) {
            SetVectorSource(dc, SolidSource(ToPixel(dc.st.bk)));
            cairo_rectangle(c, 0, -m.ascent, width, m.height);
            cairo_fill(c);
        }
        SetVectorSource(dc, SolidSource(ToPixel(dc.st.text)));
        PaintRun(c, font, shown, dx);
        cairo_restore(c);
    }
    dc.st.clip = savedClip;
}

void DrawTextRun(CDc& dc, POINT devRef, const CShownText& shown, bool opaqueBox, const RECT* clipRect)
{
    DrawRun(dc, devRef, shown, nullptr, opaqueBox, clipRect);
}

BOOL GetTextMetrics(HDC hdc, TEXTMETRIC* tm)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc || !tm) return FALSE;
    CFontMetrics m = DcFontMetrics(*dc);
    const LOGFONT& lf = DcLogFont(*dc);
    const CDcState& st = dc->st;
    *tm = TEXTMETRIC{};
    tm->tmHeight = ToLogicalY(st, m.height);
    tm->tmAscent = ToLogicalY(st, m.ascent);
    tm->tmDescent = tm->tmHeight - tm->tmAscent;
    tm->tmInternalLeading = ToLogicalY(st, m.internalLeading);
    tm->tmAveCharWidth = ToLogicalX(st, m.aveWidth);
    tm->tmMaxCharWidth = ToLogicalX(st, m.maxWidth);
    tm->tmWeight = lf.lfWeight ? lf.lfWeight : FW_NORMAL;
    tm->tmDigitizedAspectX = tm->tmDigitizedAspectY = dc->dpi;
    tm->tmFirstChar = 0x20;
    tm->tmLastChar = 0xFF;
    tm->tmDefaultChar = 0x1F;
    tm->tmBreakChar = 0x20;
    tm->tmItalic = lf.lfItalic;
    tm->tmUnderlined = lf.lfUnderline;
    tm->tmStruckOut = lf.lfStrikeOut;
    // Set bit: variable pitch (the historical inversion).
    bool fixed = !Logging(*dc) && DcFont(*dc)->family.find("Mono") != std::string::npos;
    tm->tmPitchAndFamily = (BYTE)((lf.lfPitchAndFamily & 0xF0) | (fixed ? 0 : TMPF_FIXED_PITCH));
    tm->tmCharSet = lf.lfCharSet;
    return TRUE;
}

int GetTextFace(HDC hdc, int size, char* face)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc) return 0;
    // The face as it was asked for: callers compare it ("System").
    const char* name = DcLogFont(*dc).lfFaceName;
    int n = (int)strnlen(name, LF_FACESIZE);
    if (!face) return n + 1;
    if (size <= 0) return 0;
    int k = std::min(n, size - 1);
    memcpy(face, name, (size_t)k);
    face[k] = 0;
    return k;
}

BOOL GetTextExtentExPoint(HDC hdc, const char* text, int count, int maxExtent, int* fit, int* dx, SIZE* size)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc || count < 0 || (count > 0 && !text)) return FALSE;
    CShownText shown = ShowBytes(text, (size_t)count);
    std::vector<int> adv = DcCharAdvances(*dc, shown);
    long long run = 0;
    int fitBytes = 0;
    bool fits = true;
    for (size_t i = 0; i < adv.size(); i++) {
        run += adv[i];
        int logical = ToLogicalX(dc->st, run);
        if (fits && fit && logical > maxExtent) fits = false;
        if (fits) fitBytes = shown.byteStart[i + 1];
        if (dx)
            for (int b = shown.byteStart[i]; b < shown.byteStart[i + 1]; b++) dx[b] = logical;
    }
    if (fit) *fit = fitBytes;
    if (size) *size = SIZE{ToLogicalX(dc->st, run), ToLogicalY(dc->st, DcFontMetrics(*dc).height)};
    return TRUE;
}

BOOL GetTextExtentPoint32(HDC hdc, const char* text, int count, SIZE* size)
{
    return GetTextExtentExPoint(hdc, text, count, 0, nullptr, nullptr, size);
}

BOOL GetCharWidth32(HDC hdc, UINT first, UINT last, int* widths)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc || !widths || last < first || last - first > 0x10000) return FALSE;
    for (UINT c = first; c <= last; c++) {
        CShownText one;
        one.codePoints.push_back(c);
        AppendUtf8(one.utf8, c);
        one.byteStart = {0, 1};
        std::vector<int> adv = DcCharAdvances(*dc, one);
        widths[c - first] = ToLogicalX(dc->st, adv[0]);
    }
    return TRUE;
}

namespace {

BOOL TextAt(HDC hdc, int x, int y, UINT options, const RECT* rect, const CShownText& shown, const int* lpDx,
            const char* name)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc) return FALSE;
    CDcState& st = dc->st;
    POINT ref = (st.textAlign & TA_UPDATECP) ? st.cur : POINT{x, y};
    POINT dref = MapToDevice(st, ref.x, ref.y);
    std::vector<int> dx;
    if (lpDx) {
        // Per byte in logical units; a shown character advances by its bytes' sum.
        for (size_t i = 0; i + 1 < shown.byteStart.size(); i++) {
            long long s = 0;
            for (int b = shown.byteStart[i]; b < shown.byteStart[i + 1]; b++) s += lpDx[b];
            dx.push_back(ScaleX(st, s));
        }
    }
    std::vector<int> adv = lpDx ? dx : DcCharAdvances(*dc, shown);
    long long width = 0;
    for (int a : adv) width += a;
    RECT devRect{0, 0, 0, 0};
    if (rect) devRect = MapRect(st, *rect);
    if (Logging(*dc)) {
        std::string line = std::string(name) + " " + std::to_string(dref.x) + "," + std::to_string(dref.y);
        if (options & (ETO_OPAQUE | ETO_CLIPPED)) {
            line += std::string(" ") + ((options & ETO_OPAQUE) ? "O" : "") + ((options & ETO_CLIPPED) ? "C" : "");
            line += " " + RectText(devRect);
        }
        char align[16];
        snprintf(align, sizeof align, " ta=%u", st.textAlign);
        Record(*dc, line + align + " w=" + std::to_string(width) + " " + Quoted(shown.utf8));
    }
    if (DrawsPixels(*dc)) {
        if ((options & ETO_OPAQUE) && rect) {
            // The rectangle takes the background colour whatever the mode.
            CSource bk = SolidSource(ToPixel(st.bk));
            if (IsRaster(*dc)) {
                CRaster r;
                if (AcquireRaster(*dc, r)) FillDeviceRect(*dc, r, devRect, bk, R2_COPYPEN);
            } else if (IsVector(*dc)) {
                cairo_save(dc->cr);
                ClipVector(*dc);
                SetVectorSource(*dc, bk);
                cairo_rectangle(dc->cr, devRect.left, devRect.top, devRect.right - devRect.left, devRect.bottom - devRect.top);
                cairo_fill(dc->cr);
                cairo_restore(dc->cr);
            }
        }
        bool box = st.bkMode == OPAQUE && !(options & ETO_OPAQUE);
        DrawRun(*dc, dref, shown, lpDx ? &dx : nullptr, box, (options & ETO_CLIPPED) && rect ? &devRect : nullptr);
    }
    if (st.textAlign & TA_UPDATECP) {
        double theta = DcLogFont(*dc).lfEscapement / 10.0 * M_PI / 180.0;
        POINT end{(LONG)std::lround(dref.x + width * std::cos(theta)), (LONG)std::lround(dref.y - width * std::sin(theta))};
        if ((st.textAlign & 6) == TA_LEFT) st.cur = MapToLogical(st, end.x, end.y);
    }
    return TRUE;
}

}   // namespace

BOOL ExtTextOut(HDC hdc, int x, int y, UINT options, const RECT* rect, const char* text, UINT count, const int* dx)
{
    if (count > 0 && !text) return FALSE;
    return TextAt(hdc, x, y, options, rect, ShowBytes(text, count), dx, "ExtTextOut");
}

BOOL TextOut(HDC hdc, int x, int y, const char* text, int count)
{
    if (count < 0 || (count > 0 && !text)) return FALSE;
    return TextAt(hdc, x, y, 0, nullptr, ShowBytes(text, (size_t)count), nullptr, "TextOut");
}

BOOL TextOutChar(HDC hdc, int x, int y, UINT codePoint)
{
    if (codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return FALSE;
    CShownText one;
    one.codePoints.push_back(codePoint);
    AppendUtf8(one.utf8, codePoint);
    one.byteStart = {0, 1};
    return TextAt(hdc, x, y, 0, nullptr, one, nullptr, "TextOut");
}

// --- tabbed text ------------------------------------------------------------------

namespace {

int NextTab(int x, int tabCount, const int* tabs, int origin, int defaultTab)
{
    int rel = x - origin;
    if (tabCount <= 0 || !tabs) return origin + (rel / defaultTab + 1) * defaultTab;
    if (tabCount == 1) {
        int t = std::max(1, tabs[0]);
        return origin + (rel / t + 1) * t;
    }
    for (int i = 0; i < tabCount; i++)
        if (tabs[i] > rel) return origin + tabs[i];
    int last = std::max(1, tabs[tabCount - 1]);
    return origin + (rel / last + 1) * last;
}

LONG Tabbed(HDC hdc, int x, int y, const char* text, int count, int tabCount, const int* tabs, int origin, bool draw)
{
    if (count < 0 || (count > 0 && !text)) return 0;
    TEXTMETRIC tm;
    if (!GetTextMetrics(hdc, &tm)) return 0;
    int defaultTab = std::max(1, 8 * (int)tm.tmAveCharWidth);
    int pos = x;
    int start = 0;
    for (int i = 0; i <= count; i++) {
        if (i < count && text[i] != '\t') continue;
        SIZE sz{0, 0};
        GetTextExtentPoint32(hdc, text + start, i - start, &sz);
        if (draw && i > start) TextOut(hdc, pos, y, text + start, i - start);
        pos += sz.cx;
        if (i < count) pos = NextTab(pos, tabCount, tabs, origin, defaultTab);
        start = i + 1;
    }
    return MAKELONG((WORD)(pos - x), (WORD)tm.tmHeight);
}

}   // namespace

LONG TabbedTextOut(HDC hdc, int x, int y, const char* text, int count, int tabCount, const int* tabs, int origin)
{
    return Tabbed(hdc, x, y, text, count, tabCount, tabs, origin, true);
}

DWORD GetTabbedTextExtent(HDC hdc, const char* text, int count, int tabCount, const int* tabs)
{
    return (DWORD)Tabbed(hdc, 0, 0, text, count, tabCount, tabs, 0, false);
}

int EnumFontFamilies(HDC hdc, const char* family, FONTFAMPROC proc, LPARAM lParam)
{
    if (!proc || !FindDc(hdc)) return 0;
    int last = 1;
    for (const std::string& f : FontFamilies()) {
        if (family && strcasecmp(family, f.c_str()) != 0) continue;
        LOGFONT lf{};
        lf.lfHeight = -12;
        lf.lfWeight = FW_NORMAL;
        strncpy(lf.lfFaceName, f.c_str(), LF_FACESIZE - 1);
        TEXTMETRIC tm{};
        CFontEntry* e = FontFor(lf, -12);
        tm.tmHeight = e->metrics.height;
        tm.tmAscent = e->metrics.ascent;
        tm.tmDescent = e->metrics.descent;
        tm.tmAveCharWidth = e->metrics.aveWidth;
        tm.tmWeight = FW_NORMAL;
        last = proc(&lf, &tm, 4 /* outline font */, lParam);
        if (!last) break;
    }
    return last;
}
