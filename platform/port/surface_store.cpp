// The surface store: backing images of top-level windows, keyed by handle.
#include "platform/port/backend.h"
#include <algorithm>
#include <map>

namespace {

struct SurfaceTable {
    std::mutex lock;
    std::map<HWND, std::shared_ptr<CSurface>> surfaces;
};

SurfaceTable& Surfaces()
{
    static SurfaceTable* t = new SurfaceTable;   // outlives every thread
    return *t;
}

std::mutex& BackendLock()
{
    static std::mutex* m = new std::mutex;
    return *m;
}

std::unique_ptr<CBackend>& BackendSlot()
{
    static std::unique_ptr<CBackend>* b = new std::unique_ptr<CBackend>;
    return *b;
}

int ClampSide(int v) { return std::clamp(v, 1, 32767); }

void Allocate(CSurface& s, int width, int height)
{
    s.width = ClampSide(width);
    s.height = ClampSide(height);
    s.stride = s.width * 4;
    s.pixels.assign((size_t)s.width * (size_t)s.height, 0x00FFFFFFu);
}

}   // namespace

CBackend& Backend()
{
    std::lock_guard<std::mutex> g(BackendLock());
    std::unique_ptr<CBackend>& b = BackendSlot();
    if (!b) b = MakeHeadlessBackend();
    return *b;
}

void SetBackend(std::unique_ptr<CBackend> backend)
{
    std::lock_guard<std::mutex> g(BackendLock());
    BackendSlot() = backend ? std::move(backend) : MakeHeadlessBackend();
}

std::shared_ptr<CSurface> CreateSurface(HWND hwnd, int width, int height)
{
    auto s = std::make_shared<CSurface>();
    Allocate(*s, width, height);
    {
        SurfaceTable& t = Surfaces();
        std::lock_guard<std::mutex> g(t.lock);
        auto it = t.surfaces.find(hwnd);
        if (it != t.surfaces.end()) {
            std::lock_guard<std::mutex> sg(it->second->lock);
            it->second->alive = false;
        }
        t.surfaces[hwnd] = s;
    }
    Backend().SurfaceCreated(hwnd, s);
    return s;
}

std::shared_ptr<CSurface> FindSurface(HWND hwnd)
{
    SurfaceTable& t = Surfaces();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.surfaces.find(hwnd);
    return it == t.surfaces.end() ? nullptr : it->second;
}

bool ResizeSurface(HWND hwnd, int width, int height)
{
    std::shared_ptr<CSurface> s = FindSurface(hwnd);
    if (!s) return false;
    RECT all;
    {
        std::lock_guard<std::mutex> g(s->lock);
        CSurface old;
        old.width = s->width;
        old.height = s->height;
        old.pixels.swap(s->pixels);
        Allocate(*s, width, height);
        int w = std::min(old.width, s->width), h = std::min(old.height, s->height);
        for (int y = 0; y < h; y++)
            std::copy_n(&old.pixels[(size_t)y * old.width], w, &s->pixels[(size_t)y * s->width]);
        all = RECT{0, 0, s->width, s->height};
        s->dirty.assign(1, all);
    }
    Backend().SurfaceChanged(hwnd, all);
    return true;
}

void DestroySurface(HWND hwnd)
{
    std::shared_ptr<CSurface> s;
    {
        SurfaceTable& t = Surfaces();
        std::lock_guard<std::mutex> g(t.lock);
        auto it = t.surfaces.find(hwnd);
        if (it == t.surfaces.end()) return;
        s = it->second;
        t.surfaces.erase(it);
    }
    {
        std::lock_guard<std::mutex> g(s->lock);
        s->alive = false;
        s->dirty.clear();
    }
    Backend().SurfaceDestroyed(hwnd);
}

void MarkSurfaceDirty(HWND hwnd, const RECT& rect)
{
    std::shared_ptr<CSurface> s = FindSurface(hwnd);
    if (!s) return;
    RECT r;
    {
        std::lock_guard<std::mutex> g(s->lock);
        r = RECT{std::max(rect.left, (LONG)0), std::max(rect.top, (LONG)0), std::min(rect.right, (LONG)s->width),
                 std::min(rect.bottom, (LONG)s->height)};
        if (r.left >= r.right || r.top >= r.bottom || !s->alive) return;
        // A rectangle already covered adds nothing.
        for (const RECT& d : s->dirty)
            if (d.left <= r.left && d.top <= r.top && d.right >= r.right && d.bottom >= r.bottom) return;
        s->dirty.push_back(r);
    }
    Backend().SurfaceChanged(hwnd, r);
}
