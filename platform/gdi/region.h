#pragma once
// Regions as exact pixel spans: bands of rows sharing the same runs.
#include "platform/types.h"
#include <algorithm>
#include <vector>

class CRegion {
public:
    struct Band {
        int top, bottom;
        std::vector<int> xs;   // pairs of [x0, x1), sorted, disjoint
    };

    static CRegion FromRect(const RECT& r);
    // Pixels whose centres lie inside the ellipse inscribed in r.
    static CRegion FromEllipse(const RECT& r);
    // Pixels whose centres lie inside the polygon (ALTERNATE or WINDING).
    static CRegion FromPolygon(const POINT* pts, int count, int fillMode);
    // RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF, RGN_COPY (a).
    static CRegion Combine(const CRegion& a, const CRegion& b, int mode);

    void Offset(int dx, int dy);
    RECT Box() const;
    bool Empty() const { return m_bands.empty(); }
    // NULLREGION, SIMPLEREGION or COMPLEXREGION.
    int Type() const;
    bool Contains(int x, int y) const;
    const std::vector<Band>& Bands() const { return m_bands; }

    template <class F>
    void ForEachSpan(int y, int x0, int x1, F fn) const
    {
        const Band* b = BandAt(y);
        if (!b) return;
        for (size_t i = 0; i + 1 < b->xs.size(); i += 2) {
            int a = std::max(x0, b->xs[i]), e = std::min(x1, b->xs[i + 1]);
            if (a < e) fn(a, e);
        }
    }

private:
    const Band* BandAt(int y) const;
    void Push(int top, int bottom, std::vector<int> xs);
    std::vector<Band> m_bands;
};

// What a region handle holds, for the window manager's update regions;
// false for a stale handle.
typedef struct HRGN__* HRGN;
bool GetRegionOf(HRGN rgn, CRegion* out);
bool SetRegionOf(HRGN rgn, const CRegion& region);
