// Enhanced metafiles on cairo recording surfaces (one unit a pixel at 96 dpi):
// creation, playback into any DC, and export as SVG (with its description as
// the title) and PNG (at most 4096 pixels a side).
#include "platform/gdi/gdi_internal.h"
#include <cairo-svg.h>
#include <cmath>
#include <cstring>

std::mutex& RecordingLock()
{
    static std::mutex* m = new std::mutex;
    return *m;
}

namespace {

constexpr int kMaxPngSide = 4096;

std::shared_ptr<CMetafile> FindMetafile(HENHMETAFILE emf) { return FindObjectOf<CMetafile>(emf, GdiKind::Metafile); }

cairo_status_t AppendToString(void* closure, const unsigned char* data, unsigned int length)
{
    ((std::string*)closure)->append((const char*)data, length);
    return CAIRO_STATUS_SUCCESS;
}

std::string XmlEscape(const std::string& s)
{
    std::string out;
    for (char c : s) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else out += c;
    }
    return out;
}

bool WriteFile(const char* path, const std::string& data)
{
    if (!path) return false;
    FILE* f = fopen(path, "wb");
    if (!f) return false;
    bool ok = fwrite(data.data(), 1, data.size(), f) == data.size();
    return fclose(f) == 0 && ok;
}

}   // namespace

HDC CreateEnhMetaFile(HDC ref, const char*, const RECT* bounds, const char* description)
{
    std::shared_ptr<CDc> refDc = ref ? FindDc(ref) : nullptr;
    if (ref && !refDc) return nullptr;
    auto dc = std::make_shared<CDc>();
    dc->dcKind = DcKind::Metafile;
    dc->dpi = 96;
    // Made on a recording DC it measures like one and keeps its log too, so
    // that playback onto a recording DC shows what was drawn.
    const bool logs = refDc && refDc->dcKind == DcKind::Recording && refDc->dpi == 96;
    if (description) dc->description = description;
    if (bounds) {
        // 0.01 mm -> pixels at 96 dpi.
        auto px = [](LONG v) { return (LONG)std::lround(v * 96.0 / 2540.0); };
        RECT b{px(std::min(bounds->left, bounds->right)), px(std::min(bounds->top, bounds->bottom)),
               px(std::max(bounds->left, bounds->right)), px(std::max(bounds->top, bounds->bottom))};
        dc->bounded = true;
        dc->boundsPx = b;
        cairo_rectangle_t ext{(double)b.left, (double)b.top, (double)(b.right - b.left), (double)(b.bottom - b.top)};
        dc->vector = cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, &ext);
        dc->size = SIZE{b.right, b.bottom};
    } else {
        dc->vector = cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, nullptr);
        dc->size = SIZE{32767, 32767};
    }
    dc->cr = cairo_create(dc->vector);
    if (logs) {
        dc->logsToo = true;
        if (!bounds) dc->size = refDc->size;
    }
    return NewDc(dc);
}

HENHMETAFILE CloseEnhMetaFile(HDC hdc)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc || dc->dcKind != DcKind::Metafile) return nullptr;
    auto mf = std::make_shared<CMetafile>();
    cairo_destroy(dc->cr);
    dc->cr = nullptr;
    mf->rec = std::make_shared<CRecording>(dc->vector);
    mf->recording = dc->vector;
    dc->vector = nullptr;
    mf->description = dc->description;
    if (dc->logsToo) mf->log = dc->log;
    if (dc->bounded) {
        mf->bounds = dc->boundsPx;
    } else {
        double x, y, w, h;
        cairo_recording_surface_ink_extents(mf->recording, &x, &y, &w, &h);
        if (w > 0 && h > 0)
        {
            auto c = [](double v) { return (LONG)std::clamp(v, -1e9, 1e9); };
            mf->bounds = RECT{c(std::floor(x)), c(std::floor(y)), c(std::ceil(x + w)), c(std::ceil(y + h))};
        }
    }
    DeleteDC(hdc);
    return (HENHMETAFILE)InsertObject(mf);
}

BOOL DeleteEnhMetaFile(HENHMETAFILE emf)
{
    if (!FindMetafile(emf)) return FALSE;
    RemoveObject(emf);
    return TRUE;
}

HENHMETAFILE CopyEnhMetaFile(HENHMETAFILE emf, const char*)
{
    std::shared_ptr<CMetafile> m = FindMetafile(emf);
    if (!m) return nullptr;
    auto copy = std::make_shared<CMetafile>();
    copy->rec = m->rec;
    copy->recording = m->recording;
    copy->bounds = m->bounds;
    copy->description = m->description;
    copy->log = m->log;
    return (HENHMETAFILE)InsertObject(copy);
}

UINT GetEnhMetaFileDescription(HENHMETAFILE emf, UINT size, char* buffer)
{
    std::shared_ptr<CMetafile> m = FindMetafile(emf);
    if (!m) return 0;
    if (!buffer) return (UINT)m->description.size() + 1;
    if (size == 0) return 0;
    UINT n = std::min<UINT>(size - 1, (UINT)m->description.size());
    memcpy(buffer, m->description.data(), n);
    buffer[n] = 0;
    return n;
}

BOOL GetEnhMetaFileBounds(HENHMETAFILE emf, RECT* bounds)
{
    std::shared_ptr<CMetafile> m = FindMetafile(emf);
    if (!m || !bounds) return FALSE;
    *bounds = m->bounds;
    return TRUE;
}

void PaintRecording(CDc& dc, cairo_surface_t* rec, const RECT& src, const RECT& d)
{
    int sw = src.right - src.left, sh = src.bottom - src.top;
    int dw = d.right - d.left, dh = d.bottom - d.top;
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
    std::lock_guard<std::mutex> g(RecordingLock());
    if (IsVector(dc)) {
        cairo_t* c = dc.cr;
        cairo_save(c);
        ClipVector(dc);
        cairo_translate(c, d.left, d.top);
        cairo_scale(c, (double)dw / sw, (double)dh / sh);
        cairo_set_source_surface(c, rec, -src.left, -src.top);
        cairo_paint(c);
        cairo_restore(c);
        return;
    }
    if (!IsRaster(dc)) return;
    CRaster r;
    if (!AcquireRaster(dc, r)) return;
    RECT b{std::max(d.left, r.area.left), std::max(d.top, r.area.top), std::min(d.right, r.area.right),
           std::min(d.bottom, r.area.bottom)};
    if (b.left >= b.right || b.top >= b.bottom) return;
    int w = b.right - b.left, h = b.bottom - b.top;
    cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* c = cairo_create(img);
    cairo_translate(c, d.left - b.left, d.top - b.top);
    cairo_scale(c, (double)dw / sw, (double)dh / sh);
    cairo_set_source_surface(c, rec, -src.left, -src.top);
    cairo_paint(c);
    cairo_destroy(c);
    cairo_surface_flush(img);
    const unsigned char* data = cairo_image_surface_get_data(img);
    int stride = cairo_image_surface_get_stride(img);
    for (int y = b.top; y < b.bottom; y++) {
        const uint32_t* row = (const uint32_t*)(data + (size_t)(y - b.top) * stride);
        uint32_t* dest = r.px + (size_t)(y + r.oy) * r.stride + r.ox;
        ForEachSpan(dc, r, y, b.left, b.right, [&](int x0, int x1) {
            for (int x = x0; x < x1; x++) {
                uint32_t p = row[x - b.left];
                unsigned a = p >> 24;
                if (a == 0) continue;
                uint32_t out = dest[x] & 0xFF000000u;
                for (int sh2 = 0; sh2 < 24; sh2 += 8) {
                    unsigned s = (p >> sh2) & 0xFF, dd = (dest[x] >> sh2) & 0xFF;
                    out |= std::min(255u, s + (dd * (255 - a) + 127) / 255) << sh2;   // premultiplied over
                }
                dest[x] = r.mono ? (out & 0xFF000000u) | Mono(out) : out;
            }
        });
    }
    cairo_surface_destroy(img);
    TouchDevice(dc, b);
}

BOOL PlayEnhMetaFile(HDC hdc, HENHMETAFILE emf, const RECT* rect)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    std::shared_ptr<CMetafile> m = FindMetafile(emf);
    if (!dc || !m || !rect) return FALSE;
    RECT d = MapRect(dc->st, *rect);
    if (dc->dcKind == DcKind::Recording) {
        // At its own place and size a logged metafile replays its lines.
        const RECT& b = m->bounds;
        if (!m->log.empty() && d.left == b.left && d.top == b.top && d.right == b.right && d.bottom == b.bottom)
            dc->log += m->log;
        else Record(*dc, "PlayEnhMetaFile " + RectText(d) + " \"" + m->description + "\"");
        return TRUE;
    }
    PaintRecording(*dc, m->recording, m->bounds, d);
    return TRUE;
}

BOOL GetEnhMetaFileSvg(HENHMETAFILE emf, std::string* svg)
{
    std::shared_ptr<CMetafile> m = FindMetafile(emf);
    if (!m || !svg) return FALSE;
    int w = std::max(1, (int)(m->bounds.right - m->bounds.left)), h = std::max(1, (int)(m->bounds.bottom - m->bounds.top));
    std::string out;
    std::lock_guard<std::mutex> g(RecordingLock());
    unsigned refs = cairo_surface_get_reference_count(m->recording);
    cairo_surface_t* s = cairo_svg_surface_create_for_stream(AppendToString, &out, w, h);
    cairo_svg_surface_set_document_unit(s, CAIRO_SVG_UNIT_PX);
    cairo_t* c = cairo_create(s);
    cairo_set_source_surface(c, m->recording, -m->bounds.left, -m->bounds.top);
    cairo_paint(c);
    cairo_destroy(c);
    cairo_surface_finish(s);
    bool ok = cairo_surface_status(s) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(s);
    // The SVG back end keeps a reference to a recording source that nothing
    // ever drops; with the surface gone nobody holds it, so it is dropped here.
    for (unsigned now = cairo_surface_get_reference_count(m->recording); now > refs; now--)
        cairo_surface_destroy(m->recording);
    if (!ok) return FALSE;
    size_t open = out.find("<svg");
    size_t end = open == std::string::npos ? std::string::npos : out.find('>', open);
    if (end == std::string::npos) return FALSE;
    out.insert(end + 1, "\n<title>" + XmlEscape(m->description) + "</title>");
    *svg = std::move(out);
    return TRUE;
}

BOOL SaveEnhMetaFileSvg(HENHMETAFILE emf, const char* path)
{
    std::string svg;
    return GetEnhMetaFileSvg(emf, &svg) && WriteFile(path, svg);
}

BOOL GetEnhMetaFilePng(HENHMETAFILE emf, std::string* png)
{
    std::shared_ptr<CMetafile> m = FindMetafile(emf);
    if (!m || !png) return FALSE;
    double w = std::max(1L, (long)(m->bounds.right - m->bounds.left)), h = std::max(1L, (long)(m->bounds.bottom - m->bounds.top));
    // Large figures are scaled down: an unbounded PNG could take gigabytes.
    double scale = std::min(1.0, kMaxPngSide / std::max(w, h));
    int pw = std::clamp((int)std::lround(w * scale), 1, kMaxPngSide), ph = std::clamp((int)std::lround(h * scale), 1, kMaxPngSide);
    cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pw, ph);
    std::unique_lock<std::mutex> g(RecordingLock());
    cairo_t* c = cairo_create(img);
    cairo_scale(c, pw / w, ph / h);
    cairo_set_source_surface(c, m->recording, -m->bounds.left, -m->bounds.top);
    cairo_paint(c);
    cairo_destroy(c);
    g.unlock();
    std::string out;
    cairo_status_t st = cairo_surface_write_to_png_stream(img, AppendToString, &out);
    cairo_surface_destroy(img);
    if (st != CAIRO_STATUS_SUCCESS) return FALSE;
    *png = std::move(out);
    return TRUE;
}

BOOL SaveEnhMetaFilePng(HENHMETAFILE emf, const char* path)
{
    std::string png;
    return GetEnhMetaFilePng(emf, &png) && WriteFile(path, png);
}
