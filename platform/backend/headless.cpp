// The headless back end: a virtual 1920 x 1080 screen whose windows are only
// their backing images, read back by tests.
#include "platform/backend/headless.h"
#include <cairo.h>

#include <map>

namespace {

struct Icons {
    std::mutex lock;
    std::map<HWND, std::pair<SIZE, std::vector<uint32_t>>> byWindow;
};

Icons& IconTable()
{
    static auto* t = new Icons;
    return *t;
}

class CHeadlessBackend : public CBackend {
public:
    const char* Name() const override { return "headless"; }
    SIZE ScreenSize() const override { return SIZE{1920, 1080}; }
    void SurfaceCreated(HWND, const std::shared_ptr<CSurface>&) override {}
    void SurfaceDestroyed(HWND hwnd) override
    {
        std::lock_guard<std::mutex> g(IconTable().lock);
        IconTable().byWindow.erase(hwnd);
    }
    void WindowIconChanged(HWND hwnd, SIZE size, const std::vector<uint32_t>& argb) override
    {
        std::lock_guard<std::mutex> g(IconTable().lock);
        IconTable().byWindow[hwnd] = {size, argb};
    }
    // The dirty list in the surface is the whole record; tests take it.
    void SurfaceChanged(HWND, const RECT&) override {}
};

}   // namespace

std::unique_ptr<CBackend> MakeHeadlessBackend() { return std::make_unique<CHeadlessBackend>(); }

BOOL HeadlessGetPixel(HWND hwnd, int x, int y, COLORREF* color)
{
    std::shared_ptr<CSurface> s = FindSurface(hwnd);
    if (!s || !color) return FALSE;
    std::lock_guard<std::mutex> g(s->lock);
    if (x < 0 || y < 0 || x >= s->width || y >= s->height) return FALSE;
    uint32_t p = s->pixels[(size_t)y * s->width + x];
    *color = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    return TRUE;
}

BOOL HeadlessGetSurfaceSize(HWND hwnd, SIZE* size)
{
    std::shared_ptr<CSurface> s = FindSurface(hwnd);
    if (!s || !size) return FALSE;
    std::lock_guard<std::mutex> g(s->lock);
    *size = SIZE{s->width, s->height};
    return TRUE;
}

BOOL HeadlessCopySurface(HWND hwnd, std::vector<uint32_t>* pixels, SIZE* size)
{
    std::shared_ptr<CSurface> s = FindSurface(hwnd);
    if (!s || !pixels) return FALSE;
    std::lock_guard<std::mutex> g(s->lock);
    *pixels = s->pixels;
    if (size) *size = SIZE{s->width, s->height};
    return TRUE;
}

std::vector<RECT> HeadlessTakeDirtyRects(HWND hwnd)
{
    std::shared_ptr<CSurface> s = FindSurface(hwnd);
    std::vector<RECT> out;
    if (!s) return out;
    std::lock_guard<std::mutex> g(s->lock);
    out.swap(s->dirty);
    return out;
}

BOOL HeadlessSavePng(HWND hwnd, const std::string& path)
{
    std::vector<uint32_t> pixels;
    SIZE size;
    if (!HeadlessCopySurface(hwnd, &pixels, &size)) return FALSE;
    cairo_surface_t* img = cairo_image_surface_create_for_data((unsigned char*)pixels.data(), CAIRO_FORMAT_RGB24,
                                                               size.cx, size.cy, size.cx * 4);
    cairo_status_t st = cairo_surface_write_to_png(img, path.c_str());
    cairo_surface_destroy(img);
    return st == CAIRO_STATUS_SUCCESS;
}

BOOL HeadlessGetWindowIcon(HWND hwnd, SIZE* size, std::vector<uint32_t>* argb)
{
    std::lock_guard<std::mutex> g(IconTable().lock);
    auto it = IconTable().byWindow.find(hwnd);
    if (it == IconTable().byWindow.end()) return FALSE;
    if (size) *size = it->second.first;
    if (argb) *argb = it->second.second;
    return TRUE;
}
