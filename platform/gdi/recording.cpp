// The recording DC's log: one line per primitive in device coordinates,
// followed by the state that shapes it (pen, brush and origin, font,
// colours, background mode, mix, clip box).
#include "platform/gdi/gdi_internal.h"
#include <cstdio>

namespace {

std::string Hex(COLORREF c)
{
    char buf[8];
    snprintf(buf, sizeof buf, "#%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
    return buf;
}

const char* PenStyleName(int s)
{
    static const char* names[] = {"SOLID", "DASH", "DOT", "DASHDOT", "DASHDOTDOT", "NULL", "INSIDEFRAME"};
    return s >= 0 && s <= 6 ? names[s] : "SOLID";
}

const char* HatchName(int h)
{
    static const char* names[] = {"HORIZONTAL", "VERTICAL", "FDIAGONAL", "BDIAGONAL", "CROSS", "DIAGCROSS"};
    return h >= 0 && h <= 5 ? names[h] : "?";
}

const char* Rop2Name(int r)
{
    static const char* names[] = {"?",         "BLACK",   "NOTMERGEPEN", "MASKNOTPEN",  "NOTCOPYPEN", "MASKPENNOT",
                                  "NOT",       "XORPEN",  "NOTMASKPEN",  "MASKPEN",     "NOTXORPEN",  "NOP",
                                  "MERGENOTPEN", "COPYPEN", "MERGEPENNOT", "MERGEPEN",  "WHITE"};
    return r >= 1 && r <= 16 ? names[r] : "?";
}

std::string StateText(CDc& dc)
{
    const CDcState& st = dc.st;
    std::string s = "pen=";
    if (st.pen)
        s += std::string(PenStyleName(st.pen->style)) + "," + std::to_string(PenDeviceWidth(dc)) + "," +
             Hex(PenColor(dc, *st.pen));
    s += " brush=";
    if (!st.brush || st.brush->style == BS_NULL)
        s += "NULL";
    else if (st.brush->style == BS_HATCHED)
        s += std::string("HATCH,") + HatchName(st.brush->hatch) + "," + Hex(BrushColor(dc, *st.brush));
    else if (st.brush->style == BS_PATTERN)
        s += "PATTERN";
    else
        s += "SOLID," + Hex(BrushColor(dc, *st.brush));
    s += " org=" + std::to_string(st.brushOrg.x) + "," + std::to_string(st.brushOrg.y);
    if (st.font) {
        const LOGFONT& lf = st.font->lf;
        int h = ScaleY(st, lf.lfHeight);
        s += " font=\"" + std::string(lf.lfFaceName) + "\"," + std::to_string(lf.lfHeight < 0 ? -h : h) + "," +
             std::to_string(lf.lfEscapement) + "," + std::to_string(lf.lfWeight);
    }
    s += " text=" + Hex(st.text) + " bk=" + Hex(st.bk) + (st.bkMode == OPAQUE ? " OPAQUE" : " TRANSPARENT");
    s += std::string(" rop=") + Rop2Name(st.rop2);
    RECT area{0, 0, dc.size.cx, dc.size.cy};
    RECT clip = st.clip ? CRegion::Combine(*st.clip, CRegion::FromRect(area), RGN_AND).Box() : area;
    s += " clip=" + RectText(clip);
    return s;
}

}   // namespace

std::string PointsText(const std::vector<POINT>& pts)
{
    std::string s;
    for (size_t i = 0; i < pts.size(); i++) {
        if (i) s += " ";
        s += std::to_string(pts[i].x) + "," + std::to_string(pts[i].y);
    }
    return s;
}

std::string RectText(const RECT& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

void Record(CDc& dc, const std::string& primitive)
{
    std::shared_ptr<CDc> target = dc.logTarget.lock();
    std::string& log = target ? target->log : dc.log;
    log += primitive;
    log += " | ";
    log += StateText(dc);
    log += "\n";
}

std::string GetRecordingLog(HDC hdc)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    return dc ? dc->log : std::string();
}

void ClearRecordingLog(HDC hdc)
{
    if (std::shared_ptr<CDc> dc = FindDc(hdc)) dc->log.clear();
}
