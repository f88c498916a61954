// The GDI object table: pens, brushes, fonts, bitmaps, regions, DCs and
// metafiles behind one lock, stock objects, selection and deferred deletes.
#include "platform/gdi/gdi_internal.h"
#include "platform/gdi/png_image.h"
#include "platform/generation_table.h"
#include "platform/kernel/errors.h"
#include <cairo.h>
#include <cstring>

namespace {

using ObjectTable = CGenerationTable<std::shared_ptr<CGdiObject>>;

ObjectTable& Objects()
{
    static ObjectTable* t = new ObjectTable;
    return *t;
}

constexpr int kStockCount = 21;
constexpr int kStockMonoBitmap = 20;   // a memory DC's first bitmap
std::shared_ptr<CGdiObject> g_stock[kStockCount];
std::shared_ptr<CBrush> g_sysBrushes[COLOR_MAX_INDEX + 1];

std::shared_ptr<CBrush> SolidBrush(COLORREF c)
{
    auto b = std::make_shared<CBrush>();
    b->color = c & 0xFFFFFF;
    return b;
}

std::shared_ptr<CPen> MakePen(int style, int width, COLORREF c)
{
    auto p = std::make_shared<CPen>();
    p->style = style;
    p->width = width;
    p->color = c & 0xFFFFFF;
    return p;
}

std::shared_ptr<CFont> MakeFont(int height, const char* face, int pitch)
{
    auto f = std::make_shared<CFont>();
    f->lf.lfHeight = height;
    f->lf.lfWeight = FW_NORMAL;
    f->lf.lfCharSet = ANSI_CHARSET;
    f->lf.lfPitchAndFamily = (BYTE)pitch;
    strncpy(f->lf.lfFaceName, face, LF_FACESIZE - 1);
    return f;
}

// Under GdiLock().
void MakeStockLocked()
{
    if (g_stock[0]) return;
    g_stock[WHITE_BRUSH] = SolidBrush(RGB(255, 255, 255));
    g_stock[LTGRAY_BRUSH] = SolidBrush(RGB(192, 192, 192));
    g_stock[GRAY_BRUSH] = SolidBrush(RGB(128, 128, 128));
    g_stock[DKGRAY_BRUSH] = SolidBrush(RGB(64, 64, 64));
    g_stock[BLACK_BRUSH] = SolidBrush(RGB(0, 0, 0));
    auto nb = std::make_shared<CBrush>();
    nb->style = BS_NULL;
    g_stock[NULL_BRUSH] = nb;
    g_stock[WHITE_PEN] = MakePen(PS_SOLID, 0, RGB(255, 255, 255));
    g_stock[BLACK_PEN] = MakePen(PS_SOLID, 0, 0);
    g_stock[NULL_PEN] = MakePen(PS_NULL, 0, 0);
    g_stock[OEM_FIXED_FONT] = MakeFont(-12, "Courier New", FIXED_PITCH | FF_MODERN);
    g_stock[ANSI_FIXED_FONT] = MakeFont(-12, "Courier New", FIXED_PITCH | FF_MODERN);
    g_stock[ANSI_VAR_FONT] = MakeFont(-12, "DejaVu Sans", VARIABLE_PITCH | FF_SWISS);
    g_stock[SYSTEM_FONT] = MakeFont(-12, "System", VARIABLE_PITCH | FF_SWISS);
    g_stock[DEVICE_DEFAULT_FONT] = MakeFont(-12, "System", VARIABLE_PITCH | FF_SWISS);
    g_stock[SYSTEM_FIXED_FONT] = MakeFont(-12, "Courier New", FIXED_PITCH | FF_MODERN);
    g_stock[DEFAULT_GUI_FONT] = MakeFont(-12, "DejaVu Sans", VARIABLE_PITCH | FF_SWISS);
    auto dcb = SolidBrush(RGB(255, 255, 255));
    dcb->dcBrush = true;
    g_stock[DC_BRUSH] = dcb;
    auto dcp = MakePen(PS_SOLID, 0, 0);
    dcp->dcPen = true;
    g_stock[DC_PEN] = dcp;
    auto mono = std::make_shared<CBitmapObj>();
    mono->data = MakeBitmapData(1, 1, 1);
    g_stock[kStockMonoBitmap] = mono;
    for (auto& o : g_stock) {
        if (!o) continue;
        o->stock = true;
        o->id = Objects().Insert(o);
    }
}

int CopyOut(const void* src, int size, int bufferSize, void* buffer)
{
    if (!buffer) return size;
    if (bufferSize < size) return 0;
    memcpy(buffer, src, (size_t)size);
    return size;
}

}   // namespace

std::mutex& GdiLock()
{
    static std::mutex* m = new std::mutex;
    return *m;
}

HGDIOBJ InsertObject(std::shared_ptr<CGdiObject> object)
{
    if (!object) return nullptr;
    std::lock_guard<std::mutex> g(GdiLock());
    MakeStockLocked();
    object->id = Objects().Insert(object);
    return (HGDIOBJ)(uintptr_t)object->id;
}

HGDIOBJ HandleOf(const std::shared_ptr<CGdiObject>& object) { return object ? (HGDIOBJ)(uintptr_t)object->id : nullptr; }

std::shared_ptr<CGdiObject> FindObject(const void* handle)
{
    if (!handle) return nullptr;
    std::lock_guard<std::mutex> g(GdiLock());
    MakeStockLocked();
    std::shared_ptr<CGdiObject>* o = Objects().Find((uint64_t)(uintptr_t)handle);
    return o ? *o : nullptr;
}

std::shared_ptr<CDc> FindDc(HDC hdc)
{
    std::shared_ptr<CDc> dc = FindObjectOf<CDc>(hdc, GdiKind::Dc);
    if (!dc) SetLastError(ERROR_INVALID_HANDLE);
    return dc;
}

void RemoveObject(const void* handle)
{
    std::shared_ptr<CGdiObject> released;   // destroyed after the lock
    std::lock_guard<std::mutex> g(GdiLock());
    released = Objects().Remove((uint64_t)(uintptr_t)handle);
}

std::shared_ptr<CGdiObject> StockObject(int index)
{
    if (index < 0 || index >= kStockCount) return nullptr;
    std::lock_guard<std::mutex> g(GdiLock());
    MakeStockLocked();
    return g_stock[index];
}

void SwapSelection(const std::shared_ptr<CGdiObject>& oldObject, const std::shared_ptr<CGdiObject>& newObject)
{
    std::shared_ptr<CGdiObject> released;
    std::lock_guard<std::mutex> g(GdiLock());
    if (newObject) newObject->selected++;
    if (oldObject && --oldObject->selected <= 0 && oldObject->deletePending) {
        oldObject->selected = 0;
        released = Objects().Remove(oldObject->id);
    }
}

void InitDcState(CDcState& st)
{
    st = CDcState();
    st.pen = std::static_pointer_cast<CPen>(StockObject(BLACK_PEN));
    st.brush = std::static_pointer_cast<CBrush>(StockObject(WHITE_BRUSH));
    st.font = std::static_pointer_cast<CFont>(StockObject(SYSTEM_FONT));
    SwapSelection(nullptr, st.pen);
    SwapSelection(nullptr, st.brush);
    SwapSelection(nullptr, st.font);
}

HDC NewDc(const std::shared_ptr<CDc>& dc)
{
    InitDcState(dc->st);
    if (dc->dcKind == DcKind::Memory) {
        dc->st.bitmap = std::static_pointer_cast<CBitmapObj>(StockObject(kStockMonoBitmap));
        SwapSelection(nullptr, dc->st.bitmap);
        dc->size = SIZE{1, 1};
    }
    return (HDC)InsertObject(dc);
}

CDc::~CDc()
{
    if (cr) cairo_destroy(cr);
    if (vector) cairo_surface_destroy(vector);
}

HGDIOBJ GetStockObject(int index) { return HandleOf(StockObject(index)); }

BOOL DeleteObject(HGDIOBJ object)
{
    std::shared_ptr<CGdiObject> released;
    std::lock_guard<std::mutex> g(GdiLock());
    std::shared_ptr<CGdiObject>* o = Objects().Find((uint64_t)(uintptr_t)object);
    if (!o || (*o)->stock || (*o)->kind == GdiKind::Dc || (*o)->kind == GdiKind::Metafile) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if ((*o)->selected > 0) {
        (*o)->deletePending = true;
        return TRUE;
    }
    released = Objects().Remove((uint64_t)(uintptr_t)object);
    return TRUE;
}

DWORD GetObjectType(HGDIOBJ object)
{
    std::shared_ptr<CGdiObject> o = FindObject(object);
    if (!o) return 0;
    switch (o->kind) {
    case GdiKind::Pen: return OBJ_PEN;
    case GdiKind::Brush: return OBJ_BRUSH;
    case GdiKind::Font: return OBJ_FONT;
    case GdiKind::Bitmap: return OBJ_BITMAP;
    case GdiKind::Region: return OBJ_REGION;
    case GdiKind::Metafile: return OBJ_ENHMETAFILE;
    case GdiKind::Dc: {
        auto dc = std::static_pointer_cast<CDc>(o);
        return dc->dcKind == DcKind::Memory ? OBJ_MEMDC : dc->dcKind == DcKind::Metafile ? OBJ_ENHMETADC : OBJ_DC;
    }
    }
    return 0;
}

int GetObject(HGDIOBJ object, int size, void* buffer)
{
    std::shared_ptr<CGdiObject> o = FindObject(object);
    if (!o) return 0;
    switch (o->kind) {
    case GdiKind::Pen: {
        auto p = std::static_pointer_cast<CPen>(o);
        LOGPEN lp{(UINT)p->style, POINT{p->width, 0}, p->color};
        return CopyOut(&lp, sizeof lp, size, buffer);
    }
    case GdiKind::Brush: {
        auto b = std::static_pointer_cast<CBrush>(o);
        LOGBRUSH lb{(UINT)b->style, b->sysColor >= 0 ? GetSysColor(b->sysColor) : b->color, (uintptr_t)b->hatch};
        return CopyOut(&lb, sizeof lb, size, buffer);
    }
    case GdiKind::Font: return CopyOut(&std::static_pointer_cast<CFont>(o)->lf, sizeof(LOGFONT), size, buffer);
    case GdiKind::Bitmap: {
        auto d = std::static_pointer_cast<CBitmapObj>(o)->data;
        int rowBytes = d->bpp == 1 ? ((d->width + 15) / 16) * 2 : d->width * (d->bpp / 8);
        if (d->bpp == 24) rowBytes = (rowBytes + 3) & ~3;
        BITMAP bm{0, d->width, d->height, rowBytes, 1, (WORD)d->bpp, nullptr};
        return CopyOut(&bm, sizeof bm, size, buffer);
    }
    default: return 0;
    }
}

HPEN CreatePen(int style, int width, COLORREF color)
{
    int s = style & PS_STYLE_MASK;
    if (s > PS_INSIDEFRAME) s = PS_SOLID;
    // Widths from files are unchecked: kept as given, clamped at use.
    return (HPEN)InsertObject(MakePen(s, std::max(width, 0), color));
}

HPEN CreatePenIndirect(const LOGPEN* pen)
{
    return pen ? CreatePen((int)pen->lopnStyle, pen->lopnWidth.x, pen->lopnColor) : nullptr;
}

HBRUSH CreateSolidBrush(COLORREF color) { return (HBRUSH)InsertObject(SolidBrush(color)); }

HBRUSH CreateHatchBrush(int hatch, COLORREF color)
{
    if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) return nullptr;
    auto b = SolidBrush(color);
    b->style = BS_HATCHED;
    b->hatch = hatch;
    return (HBRUSH)InsertObject(b);
}

HBRUSH CreatePatternBrush(HBITMAP bitmap)
{
    auto bm = FindObjectOf<CBitmapObj>(bitmap, GdiKind::Bitmap);
    if (!bm) return nullptr;
    auto b = std::make_shared<CBrush>();
    b->style = BS_PATTERN;
    b->pattern = std::make_shared<CBitmapData>(*bm->data);   // the brush keeps its own copy
    return (HBRUSH)InsertObject(b);
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* lb)
{
    if (!lb) return nullptr;
    switch (lb->lbStyle) {
    case BS_SOLID: return CreateSolidBrush(lb->lbColor);
    case BS_NULL: return (HBRUSH)GetStockObject(NULL_BRUSH);
    case BS_HATCHED: return CreateHatchBrush((int)lb->lbHatch, lb->lbColor);
    case BS_PATTERN: return CreatePatternBrush((HBITMAP)lb->lbHatch);
    default: return nullptr;
    }
}

HBRUSH GetSysColorBrush(int index)
{
    if (index < 0 || index > COLOR_MAX_INDEX) return nullptr;
    std::lock_guard<std::mutex> g(GdiLock());
    MakeStockLocked();
    if (!g_sysBrushes[index]) {
        auto b = std::make_shared<CBrush>();
        b->sysColor = index;
        b->stock = true;
        b->id = Objects().Insert(b);
        g_sysBrushes[index] = b;
    }
    return (HBRUSH)(uintptr_t)g_sysBrushes[index]->id;
}

HFONT CreateFontIndirect(const LOGFONT* font)
{
    if (!font) return nullptr;
    auto f = std::make_shared<CFont>();
    f->lf = *font;
    f->lf.lfFaceName[LF_FACESIZE - 1] = 0;
    return (HFONT)InsertObject(f);
}

HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                 DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                 DWORD pitchAndFamily, const char* face)
{
    LOGFONT lf{height,
               width,
               escapement,
               orientation,
               weight,
               (BYTE)italic,
               (BYTE)underline,
               (BYTE)strikeOut,
               (BYTE)charSet,
               (BYTE)outPrecision,
               (BYTE)clipPrecision,
               (BYTE)quality,
               (BYTE)pitchAndFamily,
               {}};
    if (face) strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirect(&lf);
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    std::shared_ptr<CGdiObject> o = FindObject(object);
    if (!dc || !o) return nullptr;
    CDcState& st = dc->st;
    std::shared_ptr<CGdiObject> old;
    switch (o->kind) {
    case GdiKind::Pen:
        old = st.pen;
        st.pen = std::static_pointer_cast<CPen>(o);
        break;
    case GdiKind::Brush:
        old = st.brush;
        st.brush = std::static_pointer_cast<CBrush>(o);
        break;
    case GdiKind::Font:
        old = st.font;
        st.font = std::static_pointer_cast<CFont>(o);
        break;
    case GdiKind::Bitmap: {
        if (dc->dcKind != DcKind::Memory) return nullptr;
        auto bm = std::static_pointer_cast<CBitmapObj>(o);
        // A bitmap lives in one memory DC at a time.
        bool elsewhere;
        {
            std::lock_guard<std::mutex> g(GdiLock());
            elsewhere = bm->selected > 0 && bm != st.bitmap && !bm->stock;
        }
        if (elsewhere) return nullptr;
        old = st.bitmap;
        st.bitmap = bm;
        dc->size = SIZE{bm->data->width, bm->data->height};
        break;
    }
    case GdiKind::Region: return (HGDIOBJ)(intptr_t)SelectClipRgn(hdc, (HRGN)object);
    default: return nullptr;
    }
    if (old == o) return object;
    SwapSelection(old, o);
    return HandleOf(old);
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc) return nullptr;
    switch (type) {
    case OBJ_PEN: return HandleOf(dc->st.pen);
    case OBJ_BRUSH: return HandleOf(dc->st.brush);
    case OBJ_FONT: return HandleOf(dc->st.font);
    case OBJ_BITMAP: return HandleOf(dc->st.bitmap);
    default: return nullptr;
    }
}

// --- bitmaps -----------------------------------------------------------------

std::shared_ptr<CBitmapData> MakeBitmapData(int width, int height, int bpp)
{
    auto d = std::make_shared<CBitmapData>();
    d->width = width;
    d->height = height;
    d->bpp = bpp;
    d->pixels.assign((size_t)width * (size_t)height, 0);
    return d;
}

namespace {

int RowBytes(const CBitmapData& d)
{
    if (d.bpp == 1) return ((d.width + 15) / 16) * 2;
    if (d.bpp == 24) return (d.width * 3 + 3) & ~3;
    return d.width * 4;
}

}   // namespace

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bpp, const void* bits)
{
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767 || planes != 1 ||
        (bpp != 1 && bpp != 24 && bpp != 32) || (long long)width * height > (1LL << 28)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto b = std::make_shared<CBitmapObj>();
    b->data = MakeBitmapData(width, height, (int)bpp);
    HBITMAP h = (HBITMAP)InsertObject(b);
    if (bits) SetBitmapBits(h, (DWORD)(RowBytes(*b->data) * height), bits);
    return h;
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc) return nullptr;
    int bpp = 24;
    if (dc->dcKind == DcKind::Memory && dc->st.bitmap) bpp = dc->st.bitmap->data->bpp;
    HBITMAP h = CreateBitmap(std::max(width, 1), std::max(height, 1), 1, (UINT)bpp, nullptr);
    return h;
}

LONG GetBitmapBits(HBITMAP bitmap, LONG size, void* bits)
{
    auto b = FindObjectOf<CBitmapObj>(bitmap, GdiKind::Bitmap);
    if (!b || size < 0) return 0;
    const CBitmapData& d = *b->data;
    int row = RowBytes(d);
    long long total = (long long)row * d.height;
    if (!bits) return (LONG)total;
    auto* out = (unsigned char*)bits;
    long long n = std::min<long long>(size, total);
    memset(out, 0, (size_t)n);
    for (int y = 0; y < d.height; y++)
        for (int x = 0; x < d.width; x++) {
            uint32_t p = d.pixels[(size_t)y * d.width + x];
            long long at;
            if (d.bpp == 1) {
                at = (long long)y * row + x / 8;
                if (at < n && (p & 0xFFFFFF)) out[at] |= (unsigned char)(0x80 >> (x % 8));
                continue;
            }
            int step = d.bpp / 8;
            at = (long long)y * row + (long long)x * step;
            if (at + step > n) continue;
            out[at] = p & 0xFF;   // blue, green, red(, alpha) as in memory
            out[at + 1] = (p >> 8) & 0xFF;
            out[at + 2] = (p >> 16) & 0xFF;
            if (step == 4) out[at + 3] = (p >> 24) & 0xFF;
        }
    return (LONG)n;
}

LONG SetBitmapBits(HBITMAP bitmap, DWORD size, const void* bits)
{
    auto b = FindObjectOf<CBitmapObj>(bitmap, GdiKind::Bitmap);
    if (!b || !bits) return 0;
    CBitmapData& d = *b->data;
    int row = RowBytes(d);
    long long n = std::min<long long>(size, (long long)row * d.height);
    const auto* in = (const unsigned char*)bits;
    for (int y = 0; y < d.height; y++)
        for (int x = 0; x < d.width; x++) {
            uint32_t& p = d.pixels[(size_t)y * d.width + x];
            if (d.bpp == 1) {
                long long at = (long long)y * row + x / 8;
                if (at < n) p = (in[at] & (0x80 >> (x % 8))) ? 0xFFFFFFu : 0;
                continue;
            }
            int step = d.bpp / 8;
            long long at = (long long)y * row + (long long)x * step;
            if (at + step > n) continue;
            p = in[at] | (in[at + 1] << 8) | (in[at + 2] << 16) | (step == 4 ? (uint32_t)in[at + 3] << 24 : 0);
        }
    return (LONG)n;
}

namespace {

struct PngReader {
    const unsigned char* data;
    size_t size, at;
};

cairo_status_t ReadPng(void* closure, unsigned char* out, unsigned int length)
{
    auto* r = (PngReader*)closure;
    if (r->size - r->at < length) return CAIRO_STATUS_READ_ERROR;
    memcpy(out, r->data + r->at, length);
    r->at += length;
    return CAIRO_STATUS_SUCCESS;
}

}   // namespace

HBITMAP CreateBitmapFromPng(const unsigned char* data, size_t size)
{
    if (!data) return nullptr;
    PngReader r{data, size, 0};
    cairo_surface_t* s = cairo_image_surface_create_from_png_stream(ReadPng, &r);
    HBITMAP h = nullptr;
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
        int w = cairo_image_surface_get_width(s), hh = cairo_image_surface_get_height(s);
        h = CreateBitmap(w, hh, 1, 24, nullptr);
        auto b = FindObjectOf<CBitmapObj>(h, GdiKind::Bitmap);
        if (b) {
            cairo_surface_flush(s);
            const unsigned char* px = cairo_image_surface_get_data(s);
            int stride = cairo_image_surface_get_stride(s);
            bool alpha = cairo_image_surface_get_format(s) == CAIRO_FORMAT_ARGB32;
            for (int y = 0; y < hh; y++)
                for (int x = 0; x < w; x++) {
                    uint32_t p = ((const uint32_t*)(px + (size_t)y * stride))[x];
                    if (alpha) {
                        // Premultiplied over white, as an opaque picture shows.
                        uint32_t a = p >> 24, out = 0;
                        for (int sh = 0; sh < 24; sh += 8)
                            out |= std::min<uint32_t>(255, ((p >> sh) & 0xFF) + (255 - a)) << sh;
                        p = out;
                    }
                    b->data->pixels[(size_t)y * w + x] = p & 0xFFFFFF;
                }
        }
    }
    cairo_surface_destroy(s);
    return h;
}

BOOL DecodePngArgb(const unsigned char* data, size_t size, SIZE* imageSize, std::vector<uint32_t>* argb)
{
    if (!data || !imageSize || !argb) return FALSE;
    PngReader r{data, size, 0};
    cairo_surface_t* s = cairo_image_surface_create_from_png_stream(ReadPng, &r);
    BOOL ok = FALSE;
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
        const int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
        cairo_surface_flush(s);
        const unsigned char* px = cairo_image_surface_get_data(s);
        const int stride = cairo_image_surface_get_stride(s);
        const bool alpha = cairo_image_surface_get_format(s) == CAIRO_FORMAT_ARGB32;
        argb->assign((size_t)w * h, 0);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                uint32_t p = ((const uint32_t*)(px + (size_t)y * stride))[x];
                const uint32_t a = alpha ? p >> 24 : 255;
                uint32_t out = a << 24;
                // cairo keeps colours premultiplied: undo that.
                for (int sh = 0; sh < 24; sh += 8) {
                    const uint32_t c = (p >> sh) & 0xFF;
                    out |= (a ? std::min<uint32_t>(255, (c * 255 + a / 2) / a) : 0) << sh;
                }
                (*argb)[(size_t)y * w + x] = out;
            }
        *imageSize = SIZE{w, h};
        ok = TRUE;
    }
    cairo_surface_destroy(s);
    return ok;
}

size_t GdiObjectCount()
{
    std::lock_guard<std::mutex> g(GdiLock());
    size_t n = 0;
    Objects().ForEach([&](const std::shared_ptr<CGdiObject>&) { ++n; });
    return n;
}
