// Per-module bitmap resources (PNG data embedded at build time, registered by
// module handle) and image lists with mask colours.
#include "platform/gdi/gdi_internal.h"
#include "platform/gdi/png_image.h"
#include "platform/generation_table.h"
#include <map>

namespace {

struct ResourceKey {
    HINSTANCE module;
    std::string name;   // "#id" for integer ids
    bool operator<(const ResourceKey& o) const { return module != o.module ? module < o.module : name < o.name; }
};

struct Resources {
    std::mutex lock;
    std::map<ResourceKey, std::pair<const unsigned char*, size_t>> bitmaps;
};

Resources& Table()
{
    static Resources* r = new Resources;
    return *r;
}

std::string NameOf(const char* name)
{
    if (IS_INTRESOURCE(name)) return "#" + std::to_string((unsigned)(uintptr_t)name);
    std::string s = name;
    for (char& c : s) c = (char)toupper((unsigned char)c);   // names ignore case
    return s;
}

struct CImageList {
    int cx = 0, cy = 0;
    UINT flags = 0;
    std::vector<std::vector<uint32_t>> images;
    std::vector<std::vector<uint8_t>> masks;   // 1: transparent
};

struct ImageLists {
    std::mutex lock;
    CGenerationTable<std::shared_ptr<CImageList>> table;
};

ImageLists& Lists()
{
    static ImageLists* l = new ImageLists;
    return *l;
}

std::shared_ptr<CImageList> FindList(HIMAGELIST h)
{
    ImageLists& l = Lists();
    std::lock_guard<std::mutex> g(l.lock);
    auto* p = l.table.Find((uint64_t)(uintptr_t)h);
    return p ? *p : nullptr;
}

int AddImages(HIMAGELIST h, HBITMAP image, HBITMAP mask, bool byColor, COLORREF maskColor)
{
    std::shared_ptr<CImageList> list = FindList(h);
    auto bm = FindObjectOf<CBitmapObj>(image, GdiKind::Bitmap);
    if (!list || !bm) return -1;
    auto mb = mask ? FindObjectOf<CBitmapObj>(mask, GdiKind::Bitmap) : nullptr;
    const CBitmapData& d = *bm->data;
    int count = d.width / list->cx;
    if (count <= 0 || d.height < list->cy) return -1;
    ImageLists& l = Lists();
    std::lock_guard<std::mutex> g(l.lock);
    int first = (int)list->images.size();
    for (int i = 0; i < count; i++) {
        std::vector<uint32_t> px((size_t)list->cx * list->cy);
        std::vector<uint8_t> m(px.size(), 0);
        for (int y = 0; y < list->cy; y++)
            for (int x = 0; x < list->cx; x++) {
                int sx = i * list->cx + x;
                uint32_t p = d.pixels[(size_t)y * d.width + sx] & 0xFFFFFF;
                size_t at = (size_t)y * list->cx + x;
                px[at] = p;
                if (byColor)
                    m[at] = p == ToPixel(maskColor);
                else if (mb && sx < mb->data->width && y < mb->data->height)
                    m[at] = (mb->data->pixels[(size_t)y * mb->data->width + sx] & 0xFFFFFF) != 0;
            }
        list->images.push_back(std::move(px));
        list->masks.push_back(std::move(m));
    }
    return first;
}

}   // namespace

BOOL RegisterBitmapResource(HINSTANCE module, const char* name, const unsigned char* png, size_t size)
{
    if (!name || !png) return FALSE;
    Resources& r = Table();
    std::lock_guard<std::mutex> g(r.lock);
    r.bitmaps[ResourceKey{module, NameOf(name)}] = {png, size};
    return TRUE;
}

BOOL FindBitmapResourceData(HINSTANCE module, const char* name, const unsigned char** data, size_t* size)
{
    if (!name || !data || !size) return FALSE;
    Resources& r = Table();
    std::lock_guard<std::mutex> g(r.lock);
    auto it = r.bitmaps.find(ResourceKey{module, NameOf(name)});
    if (it == r.bitmaps.end()) return FALSE;
    *data = it->second.first;
    *size = it->second.second;
    return TRUE;
}

HBITMAP LoadBitmap(HINSTANCE module, const char* name)
{
    if (!name) return nullptr;
    std::pair<const unsigned char*, size_t> data{nullptr, 0};
    {
        Resources& r = Table();
        std::lock_guard<std::mutex> g(r.lock);
        auto it = r.bitmaps.find(ResourceKey{module, NameOf(name)});
        if (it == r.bitmaps.end()) return nullptr;
        data = it->second;
    }
    return CreateBitmapFromPng(data.first, data.second);
}

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int, int)
{
    if (cx <= 0 || cy <= 0 || cx > 4096 || cy > 4096) return nullptr;
    auto l = std::make_shared<CImageList>();
    l->cx = cx;
    l->cy = cy;
    l->flags = flags;
    ImageLists& ls = Lists();
    std::lock_guard<std::mutex> g(ls.lock);
    return (HIMAGELIST)(uintptr_t)ls.table.Insert(l);
}

BOOL ImageList_Destroy(HIMAGELIST list)
{
    ImageLists& ls = Lists();
    std::shared_ptr<CImageList> released;
    std::lock_guard<std::mutex> g(ls.lock);
    released = ls.table.Remove((uint64_t)(uintptr_t)list);
    return released != nullptr;
}

int ImageList_GetImageCount(HIMAGELIST list)
{
    std::shared_ptr<CImageList> l = FindList(list);
    if (!l) return 0;
    std::lock_guard<std::mutex> g(Lists().lock);
    return (int)l->images.size();
}

BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy)
{
    std::shared_ptr<CImageList> l = FindList(list);
    if (!l || !cx || !cy) return FALSE;
    *cx = l->cx;
    *cy = l->cy;
    return TRUE;
}

int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask) { return AddImages(list, image, mask, false, 0); }

int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF mask) { return AddImages(list, image, nullptr, true, mask); }

BOOL ImageList_Draw(HIMAGELIST list, int index, HDC hdc, int x, int y, UINT)
{
    std::shared_ptr<CImageList> l = FindList(list);
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!l || !dc) return FALSE;
    std::vector<uint32_t> px;
    std::vector<uint8_t> mask;
    {
        std::lock_guard<std::mutex> g(Lists().lock);
        if (index < 0 || index >= (int)l->images.size()) return FALSE;
        px = l->images[(size_t)index];
        mask = l->masks[(size_t)index];
    }
    bool masked = (l->flags & ILC_MASK) != 0;
    POINT p = MapToDevice(dc->st, x, y);
    if (dc->dcKind == DcKind::Recording || dc->logsToo) {
        Record(*dc, "ImageList_Draw " + std::to_string(index) + " " + std::to_string(p.x) + "," + std::to_string(p.y));
        if (dc->dcKind == DcKind::Recording) return TRUE;
    }
    if (IsRaster(*dc)) {
        CRaster r;
        if (!AcquireRaster(*dc, r)) return FALSE;
        for (int yy = 0; yy < l->cy; yy++)
            for (int xx = 0; xx < l->cx; xx++) {
                size_t at = (size_t)yy * l->cx + xx;
                if (masked && mask[at]) continue;
                PlotPixel(*dc, r, p.x + xx, p.y + yy, px[at], R2_COPYPEN);
            }
        TouchDevice(*dc, RECT{p.x, p.y, p.x + l->cx, p.y + l->cy});
        return TRUE;
    }
    if (!IsVector(*dc)) return TRUE;
    cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, l->cx, l->cy);
    uint32_t* ip = (uint32_t*)cairo_image_surface_get_data(img);
    int stride = cairo_image_surface_get_stride(img) / 4;
    for (int yy = 0; yy < l->cy; yy++)
        for (int xx = 0; xx < l->cx; xx++) {
            size_t at = (size_t)yy * l->cx + xx;
            ip[yy * stride + xx] = masked && mask[at] ? 0 : 0xFF000000u | px[at];
        }
    cairo_surface_mark_dirty(img);
    cairo_save(dc->cr);
    ClipVector(*dc);
    cairo_set_source_surface(dc->cr, img, p.x, p.y);
    cairo_paint(dc->cr);
    cairo_restore(dc->cr);
    cairo_surface_destroy(img);
    return TRUE;
}
