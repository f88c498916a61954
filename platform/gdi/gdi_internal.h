#pragma once
// GDI object records, DC records and the shared drawing helpers (internal).
#include "platform/port/backend.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/region.h"
#include <cairo.h>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

enum class GdiKind { Pen = 1, Brush, Font, Bitmap, Region, Dc, Metafile };

struct CGdiObject {
    explicit CGdiObject(GdiKind k) : kind(k) {}
    virtual ~CGdiObject() = default;
    GdiKind kind;
    uint64_t id = 0;
    bool stock = false;
    // Guarded by GdiLock(): selections into DCs, and a delete waiting for them.
    int selected = 0;
    bool deletePending = false;
};

// Pixels 0x00RRGGBB row by row (for 32 bpp the top byte is kept as it is);
// a monochrome bitmap holds only 0 and 0xFFFFFF.
struct CBitmapData {
    int width = 0;
    int height = 0;
    int bpp = 24;
    std::vector<uint32_t> pixels;
};

struct CPen : CGdiObject {
    CPen() : CGdiObject(GdiKind::Pen) {}
    int style = PS_SOLID;
    int width = 0;
    COLORREF color = 0;
    bool dcPen = false;   // DC_PEN: the DC's pen colour
};

struct CBrush : CGdiObject {
    CBrush() : CGdiObject(GdiKind::Brush) {}
    int style = BS_SOLID;
    COLORREF color = 0;
    int hatch = 0;
    std::shared_ptr<CBitmapData> pattern;
    int sysColor = -1;    // read from the system colour table at use
    bool dcBrush = false; // DC_BRUSH: the DC's brush colour
};

struct CFont : CGdiObject {
    CFont() : CGdiObject(GdiKind::Font) {}
    LOGFONT lf{};
};

struct CBitmapObj : CGdiObject {
    CBitmapObj() : CGdiObject(GdiKind::Bitmap) {}
    std::shared_ptr<CBitmapData> data;
};

struct CRegionObj : CGdiObject {
    CRegionObj() : CGdiObject(GdiKind::Region) {}
    CRegion rgn;
};

// A recording surface shared by a metafile and its copies.
struct CRecording {
    explicit CRecording(cairo_surface_t* s) : surface(s) {}
    ~CRecording() { cairo_surface_destroy(surface); }
    CRecording(const CRecording&) = delete;
    CRecording& operator=(const CRecording&) = delete;
    cairo_surface_t* surface;
};
// Held while a recording is a source: cairo's reference count on it must
// change only under our eyes (see GetEnhMetaFileSvg).
std::mutex& RecordingLock();

struct CMetafile : CGdiObject {
    CMetafile() : CGdiObject(GdiKind::Metafile) {}
    std::shared_ptr<CRecording> rec;
    cairo_surface_t* recording = nullptr;   // rec->surface
    RECT bounds{0, 0, 0, 0};   // pixels
    std::string description;
    std::string log;   // made on a recording DC: what playback onto one logs
};

enum class DcKind { Surface, Memory, Screen, Printer, Preview, Metafile, Recording };

struct CDcState {
    std::shared_ptr<CPen> pen;
    std::shared_ptr<CBrush> brush;
    std::shared_ptr<CFont> font;
    std::shared_ptr<CBitmapObj> bitmap;
    COLORREF text = 0;
    COLORREF bk = 0xFFFFFF;
    COLORREF dcPen = 0;
    COLORREF dcBrush = 0xFFFFFF;
    int bkMode = OPAQUE;
    int rop2 = R2_COPYPEN;
    int mapMode = MM_TEXT;
    int polyFill = ALTERNATE;
    int stretchMode = BLACKONWHITE;
    UINT textAlign = 0;
    POINT winOrg{0, 0}, vpOrg{0, 0}, brushOrg{0, 0}, cur{0, 0};
    SIZE winExt{1, 1}, vpExt{1, 1};
    std::shared_ptr<CRegion> clip;   // device units; null: no clip
};

struct CDc : CGdiObject {
    CDc() : CGdiObject(GdiKind::Dc) {}
    ~CDc() override;
    DcKind dcKind = DcKind::Screen;
    // Surface DCs (see surface_dc.h): the tag, the image, whose image it is
    // and where the device area sits in it.
    HWND tag = nullptr;
    BOOL (*tagAlive)(HWND) = nullptr;
    HWND surfaceOwner = nullptr;
    std::shared_ptr<CSurface> surface;
    POINT offset{0, 0};
    RECT dirty{0, 0, 0, 0};   // surface coordinates, drawn since the last flush
    std::shared_ptr<CRegion> visible;   // surface DCs: the pixels they may draw on (device units)
    // The device area in device pixels and its resolution.
    SIZE size{0, 0};
    int dpi = 96;
    // Vector targets.
    cairo_surface_t* vector = nullptr;
    cairo_t* cr = nullptr;
    // Printer and preview.
    PRINTSETUP setup{};
    double pageWidthPt = 0, pageHeightPt = 0;   // the paper exactly, in points
    std::string outputFile, printerName, tempFile;
    bool docStarted = false, pageStarted = false;
    int pages = 0;
    std::vector<std::shared_ptr<CMetafile>> previewPages;
    // Metafile DCs.
    bool bounded = false;
    RECT boundsPx{0, 0, 0, 0};
    std::string description;
    // Recording DCs.
    std::string log;
    bool logsToo = false;   // a metafile made on a recording DC keeps the log as well
    // Stands in for a window DC (MakeStandInDC): compatible DCs record too,
    // into its log.
    bool memoryRecords = false;
    std::weak_ptr<CDc> logTarget;
    CDcState st;
    std::vector<CDcState> saved;
};

std::mutex& GdiLock();
HGDIOBJ InsertObject(std::shared_ptr<CGdiObject> object);
std::shared_ptr<CGdiObject> FindObject(const void* handle);
template <class T>
std::shared_ptr<T> FindObjectOf(const void* handle, GdiKind kind)
{
    std::shared_ptr<CGdiObject> o = FindObject(handle);
    return o && o->kind == kind ? std::static_pointer_cast<T>(o) : nullptr;
}
std::shared_ptr<CDc> FindDc(HDC hdc);
void RemoveObject(const void* handle);
// Moves a selection from old to new, freeing old when its delete was waiting.
void SwapSelection(const std::shared_ptr<CGdiObject>& oldObject, const std::shared_ptr<CGdiObject>& newObject);
std::shared_ptr<CGdiObject> StockObject(int index);
HGDIOBJ HandleOf(const std::shared_ptr<CGdiObject>& object);
void InitDcState(CDcState& st);
HDC NewDc(const std::shared_ptr<CDc>& dc);

std::shared_ptr<CBitmapData> MakeBitmapData(int width, int height, int bpp);

// Colours: COLORREF 0x00BBGGRR <-> pixel 0x00RRGGBB.
inline uint32_t ToPixel(COLORREF c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); }
inline COLORREF ToColorRef(uint32_t p) { return ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF); }
inline uint32_t Mono(uint32_t p)
{
    unsigned sum = ((p >> 16) & 0xFF) * 299 + ((p >> 8) & 0xFF) * 587 + (p & 0xFF) * 114;
    return sum >= 128000 ? 0xFFFFFFu : 0;
}
uint32_t ApplyRop2(int code, uint32_t pen, uint32_t dest);
// One pixel of the target through the mix (no clip test), as PlotPixel does.
inline void CombinePixel(uint32_t& d, uint32_t p, int rop2, bool mono)
{
    if (mono) p = Mono(p);
    d = (d & 0xFF000000u) | (rop2 == R2_COPYPEN ? p & 0xFFFFFFu : ApplyRop2(rop2, p, d));
}
uint32_t ApplyRop3(DWORD rop, uint32_t pattern, uint32_t source, uint32_t dest);

// floor((a * b + c) / d) and its remainder, for a, b, c >= 0 and d > 0 with
// the quotient within 64 bits. The line walk's products stay in 64 bits for
// device coordinates (at most 2^29 either way); past 63 bits the quotient
// comes from a long double estimate put right with exact products, never a
// 128-bit division (a library call).
inline long long MulAddDiv(long long a, long long b, long long c, long long d, long long* rem)
{
    long long ab, num;
    if (!__builtin_mul_overflow(a, b, &ab) && !__builtin_add_overflow(ab, c, &num)) {
        *rem = num % d;
        return num / d;
    }
    const __int128 exact = (__int128)a * b + c;
    long long q = (long long)(((long double)a * b + c) / d);
    while ((__int128)q * d > exact) q--;
    while ((__int128)(q + 1) * d <= exact) q++;
    *rem = (long long)(exact - (__int128)q * d);
    return q;
}

// --- mapping (mapping.cpp) ---
POINT MapToDevice(const CDcState& st, LONG x, LONG y);
POINT MapToLogical(const CDcState& st, LONG x, LONG y);
// A logical length along x or y in device pixels (absolute, rounded).
int ScaleX(const CDcState& st, long long v);
int ScaleY(const CDcState& st, long long v);
RECT MapRect(const CDcState& st, const RECT& r);   // normalised
bool YFlipped(const CDcState& st);

// --- raster access (raster.cpp) ---
// A locked view of a raster DC's pixels. Device (0,0) sits at (ox, oy) in the
// buffer; `area` is the drawable device rectangle.
struct CRaster {
    uint32_t* px = nullptr;
    int stride = 0;   // in pixels
    int ox = 0, oy = 0;
    RECT area{0, 0, 0, 0};
    bool mono = false;
    std::unique_lock<std::mutex> lock;
};
bool IsRaster(const CDc& dc);
bool IsVector(const CDc& dc);
bool AcquireRaster(CDc& dc, CRaster& r);
// Adds a device rectangle to a surface DC's dirty area.
void TouchDevice(CDc& dc, const RECT& r);

// A fill source: the brush or a plain colour, resolved per device pixel.
struct CSource {
    int kind = 0;   // 0 solid, 1 hatch, 2 pattern, 3 none
    uint32_t color = 0, bk = 0, text = 0;
    bool opaque = true;
    int hatch = 0;
    POINT org{0, 0};
    std::shared_ptr<CBitmapData> pattern;
    // The pixel at device (x, y); false where the source leaves the pixel alone.
    bool At(int x, int y, uint32_t* out) const;
};
CSource BrushSource(const CDc& dc, const std::shared_ptr<CBrush>& brush);
CSource SolidSource(uint32_t pixel);
COLORREF BrushColor(const CDc& dc, const CBrush& brush);
COLORREF PenColor(const CDc& dc, const CPen& pen);
bool HatchBit(int hatch, int px, int py);

// Combines an A8 coverage mask (device rectangle mx, my, mw x mh) into the
// target: coverage >= 128 through the DC's mix, or blended when `blend`.
void ApplyMask(CDc& dc, CRaster& r, const uint8_t* mask, int stride, int mx, int my, int mw, int mh,
               const CSource& src, int rop2, bool blend);
// Fills a device rectangle (clipped) with the source through the mix.
void FillDeviceRect(CDc& dc, CRaster& r, RECT rect, const CSource& src, int rop2);
// Calls fn(x0, x1) for the parts of row y in [x0, x1) that are drawable.
template <class F>
void ForEachSpan(const CDc& dc, const CRaster& r, int y, int x0, int x1, F fn)
{
    if (y < r.area.top || y >= r.area.bottom) return;
    x0 = std::max(x0, (int)r.area.left);
    x1 = std::min(x1, (int)r.area.right);
    if (x0 >= x1) return;
    if (!dc.st.clip) {
        fn(x0, x1);
        return;
    }
    dc.st.clip->ForEachSpan(y, x0, x1, fn);
}
// One pixel through the mix (clipped).
void PlotPixel(CDc& dc, CRaster& r, int x, int y, uint32_t color, int rop2);
// The pixels [x0, x1) of row y through the mix (clipped), as PlotPixel on each.
void PlotRow(CDc& dc, CRaster& r, int y, int x0, int x1, uint32_t color, int rop2);

// Runs `paint` (fills or strokes in device coordinates, opaque) on a mask
// without antialiasing and applies the mask.
template <class F>
void FillPathRaster(CDc& dc, CRaster& r, RECT bounds, cairo_fill_rule_t rule, const CSource& src, int rop2, F path);
void ClipVector(CDc& dc);
void SetVectorSource(CDc& dc, const CSource& src);

// --- hairlines and pens (lines.cpp) ---
// Draws a polyline with the DC's pen in device points (last pixel left out
// unless `closed`); the dash phase runs on along the whole polyline.
void StrokePolyline(CDc& dc, const std::vector<POINT>& pts, bool closed);
int PenDeviceWidth(const CDc& dc);

// --- recording (recording.cpp) ---
void Record(CDc& dc, const std::string& primitive);
std::string PointsText(const std::vector<POINT>& pts);
std::string RectText(const RECT& r);

// --- text (text.cpp) ---
struct CFontMetrics {
    int height = 0, ascent = 0, descent = 0, internalLeading = 0, aveWidth = 0, maxWidth = 0;
};
CFontMetrics DcFontMetrics(CDc& dc);
// Advances of the shown characters in device pixels.
std::vector<int> DcCharAdvances(CDc& dc, const CShownText& shown);
void DrawTextRun(CDc& dc, POINT devRef, const CShownText& shown, bool opaqueBox, const RECT* clipRect);

// --- metafiles (metafile.cpp) ---
void PaintRecording(CDc& dc, cairo_surface_t* recording, const RECT& srcBounds, const RECT& devRect);

template <class F>
void FillPathRaster(CDc& dc, CRaster& r, RECT b, cairo_fill_rule_t rule, const CSource& src, int rop2, F path)
{
    b.left = std::max(b.left, r.area.left);
    b.top = std::max(b.top, r.area.top);
    b.right = std::min(b.right, r.area.right);
    b.bottom = std::min(b.bottom, r.area.bottom);
    if (b.left >= b.right || b.top >= b.bottom) return;
    int w = b.right - b.left, h = b.bottom - b.top;
    cairo_surface_t* m = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
    if (cairo_surface_status(m) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(m);
        return;
    }
    cairo_t* c = cairo_create(m);
    cairo_set_antialias(c, CAIRO_ANTIALIAS_NONE);
    cairo_set_fill_rule(c, rule);
    cairo_translate(c, -b.left, -b.top);
    path(c);
    cairo_destroy(c);
    cairo_surface_flush(m);
    ApplyMask(dc, r, cairo_image_surface_get_data(m), cairo_image_surface_get_stride(m), b.left, b.top, w, h, src,
              rop2, false);
    cairo_surface_destroy(m);
}
