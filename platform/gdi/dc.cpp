// Device contexts: surface, memory, screen and recording DCs, their
// attributes, SaveDC/RestoreDC, clipping and device capabilities.
#include <algorithm>
#include <mutex>
#include "platform/gdi/gdi_internal.h"
#include "platform/gdi/surface_dc.h"
#include "platform/kernel/errors.h"

namespace {

void ReleaseState(CDcState& st)
{
    SwapSelection(st.pen, nullptr);
    SwapSelection(st.brush, nullptr);
    SwapSelection(st.font, nullptr);
    SwapSelection(st.bitmap, nullptr);
    st.pen.reset();
    st.brush.reset();
    st.font.reset();
    st.bitmap.reset();
}

void DropDc(HDC hdc, const std::shared_ptr<CDc>& dc)
{
    ReleaseState(dc->st);
    RemoveObject(hdc);
}

RECT DeviceArea(const CDc& dc) { return RECT{0, 0, dc.size.cx, dc.size.cy}; }

CRegion CurrentClip(const CDc& dc)
{
    return dc.st.clip ? *dc.st.clip : CRegion::FromRect(DeviceArea(dc));
}

int ClipType(const CDc& dc)
{
    CRegion r = CRegion::Combine(CurrentClip(dc), CRegion::FromRect(DeviceArea(dc)), RGN_AND);
    return r.Type();
}

int SetClip(CDc& dc, CRegion rgn)
{
    if (dc.visible) rgn = CRegion::Combine(rgn, *dc.visible, RGN_AND);
    dc.st.clip = std::make_shared<CRegion>(std::move(rgn));
    return ClipType(dc);
}

}   // namespace

// --- surface DCs ------------------------------------------------------------

HDC CreateSurfaceDC(const CSurfaceDcTarget& target)
{
    auto dc = std::make_shared<CDc>();
    dc->dcKind = DcKind::Surface;
    dc->tag = target.tag;
    dc->tagAlive = target.tagAlive;
    dc->surfaceOwner = target.surfaceOwner;
    dc->surface = target.surface;
    dc->offset = target.offset;
    dc->size = target.size;
    dc->visible = target.visible;
    dc->st.clip = dc->visible;
    return NewDc(dc);
}

bool IsSurfaceDC(HDC hdc)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    return dc && dc->dcKind == DcKind::Surface;
}

HWND SurfaceDcTag(HDC hdc)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    return dc && dc->dcKind == DcKind::Surface ? dc->tag : nullptr;
}

void FlushSurfaceDC(HDC hdc)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc || dc->dcKind != DcKind::Surface) return;
    if (dc->dirty.right > dc->dirty.left && dc->dirty.bottom > dc->dirty.top) {
        MarkSurfaceDirty(dc->surfaceOwner, dc->dirty);
        dc->dirty = RECT{0, 0, 0, 0};
    }
}

int SelectClipRegion(HDC hdc, const CRegion& region)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc) return ERROR;
    return SetClip(*dc, region);
}

HDC CreateScreenDC()
{
    auto dc = std::make_shared<CDc>();
    dc->dcKind = DcKind::Screen;
    dc->size = Backend().ScreenSize();
    return NewDc(dc);
}

bool IsScreenDC(HDC hdc)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    return dc && dc->dcKind == DcKind::Screen;
}

bool MakeStandInDC(HDC recording)
{
    std::shared_ptr<CDc> dc = FindDc(recording);
    if (!dc || dc->dcKind != DcKind::Recording) return false;
    dc->memoryRecords = true;
    return true;
}

bool IsStandInDC(HDC hdc)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    return dc && dc->dcKind == DcKind::Recording && dc->memoryRecords;
}

HDC CreateCompatibleDC(HDC hdc)
{
    std::shared_ptr<CDc> base = hdc ? FindDc(hdc) : nullptr;
    if (hdc && !base) return nullptr;
    auto dc = std::make_shared<CDc>();
    dc->dcKind = DcKind::Memory;
    if (base && base->dcKind == DcKind::Recording && base->memoryRecords) {
        // A stand-in's double buffer: it records into the stand-in's log too.
        dc->dcKind = DcKind::Recording;
        dc->size = base->size;
        dc->logTarget = base;
    }
    return NewDc(dc);
}

HDC CreateRecordingDC(BOOL printer)
{
    auto dc = std::make_shared<CDc>();
    dc->dcKind = DcKind::Recording;
    if (printer) {
        dc->dpi = 600;
        dc->size = SIZE{4961, 7016};   // A4 at 600 dpi
    } else {
        dc->size = SIZE{1920, 1080};   // fixed, so logs do not depend on the display
    }
    return NewDc(dc);
}

BOOL DeleteDC(HDC hdc)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc) return FALSE;
    if (dc->dcKind == DcKind::Printer && dc->docStarted) AbortDoc(hdc);
    DropDc(hdc, dc);
    return TRUE;
}

// --- state ------------------------------------------------------------------

int SaveDC(HDC hdc)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc) return 0;
    dc->saved.push_back(dc->st);
    return (int)dc->saved.size();
}

BOOL RestoreDC(HDC hdc, int level)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc) return FALSE;
    int n = (int)dc->saved.size();
    if (level < 0) level = n + 1 + level;
    if (level < 1 || level > n) return FALSE;
    CDcState st = dc->saved[level - 1];
    dc->saved.resize(level - 1);
    SwapSelection(dc->st.pen, st.pen);
    SwapSelection(dc->st.brush, st.brush);
    SwapSelection(dc->st.font, st.font);
    if (dc->dcKind == DcKind::Memory) {
        SwapSelection(dc->st.bitmap, st.bitmap);
        if (st.bitmap) dc->size = SIZE{st.bitmap->data->width, st.bitmap->data->height};
    }
    dc->st = std::move(st);
    return TRUE;
}

#define WITH_DC(hdc, fail)                   \
    std::shared_ptr<CDc> dc = FindDc(hdc); \
    if (!dc) return fail;                    \
    CDcState& st = dc->st;

COLORREF SetTextColor(HDC hdc, COLORREF c)
{
    WITH_DC(hdc, CLR_INVALID);
    COLORREF old = st.text;
    st.text = c & 0xFFFFFF;
    return old;
}

COLORREF GetTextColor(HDC hdc)
{
    WITH_DC(hdc, CLR_INVALID);
    return st.text;
}

COLORREF SetBkColor(HDC hdc, COLORREF c)
{
    WITH_DC(hdc, CLR_INVALID);
    COLORREF old = st.bk;
    st.bk = c & 0xFFFFFF;
    return old;
}

COLORREF GetBkColor(HDC hdc)
{
    WITH_DC(hdc, CLR_INVALID);
    return st.bk;
}

int SetBkMode(HDC hdc, int mode)
{
    WITH_DC(hdc, 0);
    if (mode != OPAQUE && mode != TRANSPARENT) return 0;
    int old = st.bkMode;
    st.bkMode = mode;
    return old;
}

int GetBkMode(HDC hdc)
{
    WITH_DC(hdc, 0);
    return st.bkMode;
}

int SetROP2(HDC hdc, int mode)
{
    WITH_DC(hdc, 0);
    if (mode < R2_BLACK || mode > R2_WHITE) return 0;
    int old = st.rop2;
    st.rop2 = mode;
    return old;
}

int GetROP2(HDC hdc)
{
    WITH_DC(hdc, 0);
    return st.rop2;
}

int SetPolyFillMode(HDC hdc, int mode)
{
    WITH_DC(hdc, 0);
    if (mode != ALTERNATE && mode != WINDING) return 0;
    int old = st.polyFill;
    st.polyFill = mode;
    return old;
}

int GetPolyFillMode(HDC hdc)
{
    WITH_DC(hdc, 0);
    return st.polyFill;
}

int SetStretchBltMode(HDC hdc, int mode)
{
    WITH_DC(hdc, 0);
    if (mode < BLACKONWHITE || mode > HALFTONE) return 0;
    int old = st.stretchMode;
    st.stretchMode = mode;
    return old;
}

UINT SetTextAlign(HDC hdc, UINT align)
{
    WITH_DC(hdc, 0xFFFFFFFFu);
    UINT old = st.textAlign;
    st.textAlign = align;
    return old;
}

UINT GetTextAlign(HDC hdc)
{
    WITH_DC(hdc, 0xFFFFFFFFu);
    return st.textAlign;
}

COLORREF SetDCPenColor(HDC hdc, COLORREF c)
{
    WITH_DC(hdc, CLR_INVALID);
    COLORREF old = st.dcPen;
    st.dcPen = c & 0xFFFFFF;
    return old;
}

COLORREF SetDCBrushColor(HDC hdc, COLORREF c)
{
    WITH_DC(hdc, CLR_INVALID);
    COLORREF old = st.dcBrush;
    st.dcBrush = c & 0xFFFFFF;
    return old;
}

BOOL SetBrushOrgEx(HDC hdc, int x, int y, POINT* old)
{
    WITH_DC(hdc, FALSE);
    if (old) *old = st.brushOrg;
    st.brushOrg = POINT{x, y};
    return TRUE;
}

BOOL GetBrushOrgEx(HDC hdc, POINT* org)
{
    WITH_DC(hdc, FALSE);
    if (org) *org = st.brushOrg;
    return TRUE;
}

BOOL MoveToEx(HDC hdc, int x, int y, POINT* old)
{
    WITH_DC(hdc, FALSE);
    if (old) *old = st.cur;
    st.cur = POINT{x, y};
    return TRUE;
}

BOOL GetCurrentPositionEx(HDC hdc, POINT* p)
{
    WITH_DC(hdc, FALSE);
    if (p) *p = st.cur;
    return TRUE;
}

int GetDeviceCaps(HDC hdc, int index)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc) return 0;
    bool printer = dc->dcKind == DcKind::Printer || dc->dcKind == DcKind::Preview ||
                   (dc->dcKind == DcKind::Recording && dc->dpi == 600);
    SIZE res = dc->size;
    if (dc->dcKind == DcKind::Screen) res = Backend().ScreenSize();
    if (dc->dcKind == DcKind::Memory || dc->dcKind == DcKind::Metafile || dc->dcKind == DcKind::Surface)
        res = Backend().ScreenSize();
    switch (index) {
    case DRIVERVERSION: return 0x4000;
    case TECHNOLOGY: return printer ? DT_RASPRINTER : dc->dcKind == DcKind::Metafile ? DT_METAFILE : DT_RASDISPLAY;
    case HORZRES: return res.cx;
    case VERTRES: return res.cy;
    case HORZSIZE: return (int)(res.cx * 25.4 / dc->dpi + 0.5);
    case VERTSIZE: return (int)(res.cy * 25.4 / dc->dpi + 0.5);
    case BITSPIXEL:
        return dc->dcKind == DcKind::Memory && dc->st.bitmap ? (dc->st.bitmap->data->bpp == 1 ? 1 : 24) : 24;
    case PLANES: return 1;
    case NUMCOLORS:   // a monochrome bitmap is a two-colour device
        return dc->dcKind == DcKind::Memory && dc->st.bitmap && dc->st.bitmap->data->bpp == 1 ? 2 : -1;
    case RASTERCAPS: return RC_BITBLT | RC_STRETCHBLT;
    case LOGPIXELSX:
    case LOGPIXELSY: return dc->dpi;
    case SIZEPALETTE: return 0;
    case PHYSICALWIDTH: return printer ? res.cx : 0;
    case PHYSICALHEIGHT: return printer ? res.cy : 0;
    case PHYSICALOFFSETX:
    case PHYSICALOFFSETY: return 0;
    default: return 0;
    }
}

// --- clipping -----------------------------------------------------------------

int SelectClipRgn(HDC hdc, HRGN rgn)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc) return ERROR;
    if (!rgn) {
        dc->st.clip = dc->visible;   // a surface DC never leaves the pixels it may draw on
        return SIMPLEREGION;
    }
    auto r = FindObjectOf<CRegionObj>(rgn, GdiKind::Region);
    if (!r) return ERROR;
    return SetClip(*dc, r->rgn);
}

int ExtSelectClipRgn(HDC hdc, HRGN rgn, int mode)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc) return ERROR;
    if (mode == RGN_COPY) return SelectClipRgn(hdc, rgn);
    auto r = FindObjectOf<CRegionObj>(rgn, GdiKind::Region);
    if (!r) return ERROR;
    return SetClip(*dc, CRegion::Combine(CurrentClip(*dc), r->rgn, mode));
}

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc) return ERROR;
    RECT d = MapRect(dc->st, RECT{left, top, right, bottom});
    return SetClip(*dc, CRegion::Combine(CurrentClip(*dc), CRegion::FromRect(d), RGN_AND));
}

int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc) return ERROR;
    RECT d = MapRect(dc->st, RECT{left, top, right, bottom});
    return SetClip(*dc, CRegion::Combine(CurrentClip(*dc), CRegion::FromRect(d), RGN_DIFF));
}

int GetClipBox(HDC hdc, RECT* rect)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc || !rect) return ERROR;
    CRegion r = CRegion::Combine(CurrentClip(*dc), CRegion::FromRect(DeviceArea(*dc)), RGN_AND);
    RECT b = r.Box();
    POINT a = MapToLogical(dc->st, b.left, b.top), c = MapToLogical(dc->st, b.right, b.bottom);
    *rect = RECT{std::min(a.x, c.x), std::min(a.y, c.y), std::max(a.x, c.x), std::max(a.y, c.y)};
    return r.Type();
}

int GetClipRgn(HDC hdc, HRGN rgn)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    auto r = FindObjectOf<CRegionObj>(rgn, GdiKind::Region);
    if (!dc || !r) return -1;
    if (!dc->st.clip) return 0;
    r->rgn = *dc->st.clip;
    return 1;
}

// --- regions ------------------------------------------------------------------

namespace {

HRGN NewRegion(CRegion rgn)
{
    auto o = std::make_shared<CRegionObj>();
    o->rgn = std::move(rgn);
    return (HRGN)InsertObject(o);
}

}   // namespace

HRGN CreateRectRgn(int l, int t, int r, int b) { return NewRegion(CRegion::FromRect(RECT{l, t, r, b})); }
HRGN CreateRectRgnIndirect(const RECT* r) { return r ? CreateRectRgn(r->left, r->top, r->right, r->bottom) : nullptr; }
HRGN CreateEllipticRgn(int l, int t, int r, int b) { return NewRegion(CRegion::FromEllipse(RECT{l, t, r, b})); }
HRGN CreateEllipticRgnIndirect(const RECT* r)
{
    return r ? CreateEllipticRgn(r->left, r->top, r->right, r->bottom) : nullptr;
}
HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode)
{
    if (!points || count < 0) return nullptr;
    return NewRegion(CRegion::FromPolygon(points, count, fillMode));
}

int CombineRgn(HRGN dest, HRGN a, HRGN b, int mode)
{
    auto d = FindObjectOf<CRegionObj>(dest, GdiKind::Region);
    auto ra = FindObjectOf<CRegionObj>(a, GdiKind::Region);
    auto rb = mode == RGN_COPY ? ra : FindObjectOf<CRegionObj>(b, GdiKind::Region);
    if (!d || !ra || !rb || mode < RGN_AND || mode > RGN_COPY) return ERROR;
    CRegion result = CRegion::Combine(ra->rgn, rb->rgn, mode);
    std::lock_guard<std::mutex> g(GdiLock());
    d->rgn = std::move(result);
    return d->rgn.Type();
}

int OffsetRgn(HRGN rgn, int dx, int dy)
{
    auto r = FindObjectOf<CRegionObj>(rgn, GdiKind::Region);
    if (!r) return ERROR;
    r->rgn.Offset(dx, dy);
    return r->rgn.Type();
}

int GetRgnBox(HRGN rgn, RECT* rect)
{
    auto r = FindObjectOf<CRegionObj>(rgn, GdiKind::Region);
    if (!r || !rect) return ERROR;
    *rect = r->rgn.Box();
    return r->rgn.Type();
}

BOOL PtInRegion(HRGN rgn, int x, int y)
{
    auto r = FindObjectOf<CRegionObj>(rgn, GdiKind::Region);
    return r && r->rgn.Contains(x, y);
}

BOOL SetRectRgn(HRGN rgn, int l, int t, int rr, int b)
{
    auto r = FindObjectOf<CRegionObj>(rgn, GdiKind::Region);
    if (!r) return FALSE;
    r->rgn = CRegion::FromRect(RECT{l, t, rr, b});
    return TRUE;
}

bool GetRegionOf(HRGN rgn, CRegion* out)
{
    auto r = FindObjectOf<CRegionObj>(rgn, GdiKind::Region);
    if (!r) return false;
    std::lock_guard<std::mutex> g(GdiLock());
    *out = r->rgn;
    return true;
}

bool SetRegionOf(HRGN rgn, const CRegion& region)
{
    auto r = FindObjectOf<CRegionObj>(rgn, GdiKind::Region);
    if (!r) return false;
    std::lock_guard<std::mutex> g(GdiLock());
    r->rgn = region;
    return true;
}
