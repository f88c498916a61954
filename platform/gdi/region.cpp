// Region arithmetic on bands of pixel runs.
#include "platform/gdi/region.h"
#include "platform/gdi/gdi.h"
#include <cmath>

namespace {

bool InRuns(const std::vector<int>& xs, double x)
{
    for (size_t i = 0; i + 1 < xs.size(); i += 2)
        if (x >= xs[i] && x < xs[i + 1]) return true;
    return false;
}

// Rows past this are never drawn on: regions built from shapes stop there.
constexpr int kRowLimit = 1 << 16;

bool Op(int mode, bool a, bool b)
{
    switch (mode) {
    case RGN_AND: return a && b;
    case RGN_OR: return a || b;
    case RGN_XOR: return a != b;
    case RGN_DIFF: return a && !b;
    default: return a;
    }
}

std::vector<int> CombineRuns(const std::vector<int>& a, const std::vector<int>& b, int mode)
{
    std::vector<int> edges(a);
    edges.insert(edges.end(), b.begin(), b.end());
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    std::vector<int> out;
    for (size_t i = 0; i + 1 < edges.size(); i++) {
        double mid = (edges[i] + (double)edges[i + 1]) / 2;
        if (!Op(mode, InRuns(a, mid), InRuns(b, mid))) continue;
        if (!out.empty() && out.back() == edges[i])
            out.back() = edges[i + 1];
        else {
            out.push_back(edges[i]);
            out.push_back(edges[i + 1]);
        }
    }
    return out;
}

}   // namespace

void CRegion::Push(int top, int bottom, std::vector<int> xs)
{
    if (top >= bottom || xs.empty()) return;
    if (!m_bands.empty() && m_bands.back().bottom == top && m_bands.back().xs == xs) {
        m_bands.back().bottom = bottom;
        return;
    }
    m_bands.push_back(Band{top, bottom, std::move(xs)});
}

CRegion CRegion::FromRect(const RECT& r)
{
    CRegion g;
    int l = std::min(r.left, r.right), ri = std::max(r.left, r.right);
    int t = std::min(r.top, r.bottom), b = std::max(r.top, r.bottom);
    if (l < ri) g.Push(t, b, {l, ri});
    return g;
}

CRegion CRegion::FromEllipse(const RECT& r)
{
    CRegion g;
    double l = std::min(r.left, r.right), ri = std::max(r.left, r.right);
    int t = std::min(r.top, r.bottom), b = std::max(r.top, r.bottom);
    double cx = (l + ri) / 2, cy = ((double)t + b) / 2.0, a = (ri - l) / 2, bb = ((double)b - t) / 2.0;
    if (a <= 0 || bb <= 0) return g;
    for (int y = std::max(t, -kRowLimit); y < std::min(b, kRowLimit); y++) {
        double dy = (y + 0.5 - cy) / bb;
        if (dy * dy >= 1) continue;
        double half = a * std::sqrt(1 - dy * dy);
        int x0 = (int)std::clamp(std::ceil(cx - half - 0.5), -1e9, 1e9);
        int x1 = (int)std::clamp(std::floor(cx + half - 0.5) + 1, -1e9, 1e9);
        if (x0 < x1) g.Push(y, y + 1, {x0, x1});
    }
    return g;
}

CRegion CRegion::FromPolygon(const POINT* pts, int count, int fillMode)
{
    CRegion g;
    if (!pts || count < 3) return g;
    int t = pts[0].y, b = pts[0].y;
    for (int i = 1; i < count; i++) t = std::min(t, (int)pts[i].y), b = std::max(b, (int)pts[i].y);
    for (int y = std::max(t, -kRowLimit); y < std::min(b, kRowLimit); y++) {
        double py = y + 0.5;
        std::vector<std::pair<double, int>> cross;
        for (int i = 0; i < count; i++) {
            POINT p = pts[i], q = pts[(i + 1) % count];
            if ((p.y <= py) == (q.y <= py)) continue;
            double x = p.x + (py - p.y) * ((double)q.x - p.x) / ((double)q.y - p.y);
            cross.push_back({x, q.y > p.y ? 1 : -1});
        }
        std::sort(cross.begin(), cross.end());
        std::vector<int> xs;
        int wind = 0;
        for (size_t i = 0; i + 1 < cross.size(); i++) {
            wind += cross[i].second;
            bool inside = fillMode == WINDING ? wind != 0 : (i % 2 == 0);
            if (!inside) continue;
            auto pixel = [](double v) { return (int)std::clamp(std::ceil(v - 0.5), -1e9, 1e9); };
            int x0 = pixel(cross[i].first), x1 = pixel(cross[i + 1].first);
            if (x0 >= x1) continue;
            if (!xs.empty() && xs.back() >= x0)
                xs.back() = std::max(xs.back(), x1);
            else {
                xs.push_back(x0);
                xs.push_back(x1);
            }
        }
        g.Push(y, y + 1, xs);
    }
    return g;
}

CRegion CRegion::Combine(const CRegion& a, const CRegion& b, int mode)
{
    if (mode == RGN_COPY) return a;
    std::vector<int> ys;
    for (const Band& x : a.m_bands) ys.push_back(x.top), ys.push_back(x.bottom);
    for (const Band& x : b.m_bands) ys.push_back(x.top), ys.push_back(x.bottom);
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
    CRegion g;
    static const std::vector<int> none;
    for (size_t i = 0; i + 1 < ys.size(); i++) {
        const Band* ba = a.BandAt(ys[i]);
        const Band* bb = b.BandAt(ys[i]);
        g.Push(ys[i], ys[i + 1], CombineRuns(ba ? ba->xs : none, bb ? bb->xs : none, mode));
    }
    return g;
}

void CRegion::Offset(int dx, int dy)
{
    for (Band& b : m_bands) {
        b.top += dy;
        b.bottom += dy;
        for (int& x : b.xs) x += dx;
    }
}

RECT CRegion::Box() const
{
    if (m_bands.empty()) return RECT{0, 0, 0, 0};
    RECT r{m_bands[0].xs.front(), m_bands.front().top, m_bands[0].xs.back(), m_bands.back().bottom};
    for (const Band& b : m_bands) {
        r.left = std::min(r.left, (LONG)b.xs.front());
        r.right = std::max(r.right, (LONG)b.xs.back());
    }
    return r;
}

int CRegion::Type() const
{
    if (m_bands.empty()) return NULLREGION;
    return m_bands.size() == 1 && m_bands[0].xs.size() == 2 ? SIMPLEREGION : COMPLEXREGION;
}

const CRegion::Band* CRegion::BandAt(int y) const
{
    auto it = std::upper_bound(m_bands.begin(), m_bands.end(), y, [](int v, const Band& b) { return v < b.bottom; });
    if (it == m_bands.end() || y < it->top) return nullptr;
    return &*it;
}

bool CRegion::Contains(int x, int y) const
{
    const Band* b = BandAt(y);
    return b && InRuns(b->xs, x + 0.5);
}
