// Line markers: kept sorted by line and type, moved with the text, drawn in
// the margin.
#include "ui_controls/edit/edit_marker.h"

#include "ui_controls/edit/edit_ctrl.h"

IMPLEMENT_SERIAL(KyrMarker, CObject, 1)
IMPLEMENT_SERIAL(KyrMarkerEx, KyrMarker, 1)

void KyrMarker::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << (int32_t)line << (uint32_t)type;
    } else {
        int32_t l = 0;
        uint32_t t = 0;
        ar >> l >> t;
        line = l;
        type = t;
    }
    SerializeData(ar);
}

void KyrMarker::SerializeData(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << (int32_t)data;
    } else {
        int32_t d = 0;
        ar >> d;
        data = d;
    }
}

void KyrMarkerEx::SerializeData(CArchive& ar)
{
    KyrMarker::SerializeData(ar);
    if (ar.IsStoring()) {
        ar << (uint32_t)foreground << (uint32_t)background << (int32_t)extent << (int32_t)fillLine;
    } else {
        uint32_t f = 0, b = 0;
        int32_t e = 0, fl = 0;
        ar >> f >> b >> e >> fl;
        foreground = f;
        background = b;
        extent = e;
        fillLine = fl;
    }
}

namespace {
bool MarkerBefore(const std::unique_ptr<KyrMarker>& a, const std::unique_ptr<KyrMarker>& b)
{
    return a->line != b->line ? a->line < b->line : a->type < b->type;
}
}   // namespace

std::vector<KyrMarker*> KyrEditCtrl::Markers() const
{
    std::vector<KyrMarker*> out;
    for (auto& m : markers) out.push_back(m.get());
    return out;
}

void KyrEditCtrl::SortMarkers() { markers.sort(MarkerBefore); }

KyrMarker* KyrEditCtrl::AddMarker(KyrMarker* marker, bool redraw)
{
    if (!marker || (marker->type & ~0xFu)) return nullptr;   // refused: still the caller's
    auto it = markers.begin();
    while (it != markers.end() && !((*it)->line > marker->line || ((*it)->line == marker->line && (*it)->type >= marker->type)))
        ++it;
    markers.insert(it, std::unique_ptr<KyrMarker>(marker));
    if (redraw) RedrawMarkerLine(marker->line, (marker->type & KYR_MARK_HIGHLIGHT) != 0);
    return marker;
}

KyrMarker* KyrEditCtrl::InsertMarker(KyrMarker* marker, int line, bool redraw)
{
    if (!marker) return nullptr;
    const int old = marker->line;
    marker->line = line < 0 ? caretLine : line;
    KyrMarker* at = AddMarker(marker, redraw);
    if (!at) marker->line = old;
    return at;
}

bool KyrEditCtrl::ToggleMarker(int line, unsigned type, int data)
{
    if (FindMarker(line, type)) {
        for (auto it = markers.begin(); it != markers.end();) {
            if ((*it)->line == line && ((*it)->type & type))
                it = markers.erase(it);
            else
                ++it;
        }
        RedrawMarkerLine(line, (type & KYR_MARK_HIGHLIGHT) != 0);
        return false;
    }
    auto* m = new KyrMarker(line, type, data);
    if (!AddMarker(m, true)) {
        delete m;
        return false;
    }
    return true;
}

KyrMarker* KyrEditCtrl::FindMarker(int line, unsigned mask, KyrMarker** out)
{
    for (auto& m : markers) {
        if ((m->type & mask) && m->IsInRange(line, line)) {
            if (out) *out = m.get();
            return m.get();
        }
    }
    if (out) *out = nullptr;
    return nullptr;
}

void KyrEditCtrl::CollectMarkersOnLines(int first, int last, unsigned mask, std::vector<KyrMarker*>& list)
{
    if (last < 0) last = first;
    for (auto& m : markers)
        if ((m->type & mask) && m->IsInRange(first, last)) list.push_back(m.get());
}

void KyrEditCtrl::GetMarkersOfType(std::vector<KyrMarker*>& list, unsigned mask)
{
    for (auto& m : markers)
        if (m->type & mask) list.push_back(m.get());
}

bool KyrEditCtrl::RemoveMarkers(int line, unsigned mask, bool redraw)
{
    bool removed = false, highlight = false;
    for (auto it = markers.begin(); it != markers.end();) {
        KyrMarker* m = it->get();
        if (m->line == line && (m->type & mask) && CanDeleteMarker(m, m)) {
            highlight |= (m->type & KYR_MARK_HIGHLIGHT) != 0;
            it = markers.erase(it);
            removed = true;
        } else {
            ++it;
        }
    }
    if (redraw && removed) RedrawMarkerLine(line, highlight);
    return removed;
}

void KyrEditCtrl::RemoveMarkerAt(KyrMarker* position)
{
    for (auto it = markers.begin(); it != markers.end(); ++it) {
        if (it->get() == position) {
            CanDeleteMarker(position, position);   // asked, but the marker goes
            markers.erase(it);
            return;
        }
    }
}

void KyrEditCtrl::RemoveMarkersOfType(unsigned mask, bool redraw)
{
    for (auto it = markers.begin(); it != markers.end();) {
        if (mask == (unsigned)-1 || ((*it)->type & mask))
            it = markers.erase(it);
        else
            ++it;
    }
    if (redraw) {
        RedrawMarkerLine(-1, false);
        RedrawAll();
    }
}

void KyrEditCtrl::RemoveAllMarkers()
{
    while (!markers.empty()) {
        CanDeleteMarker(markers.front().get(), markers.front().get());
        markers.pop_front();
    }
}

KyrMarker* KyrEditCtrl::FindMarkerOfType(int value)
{
    for (auto& m : markers)
        if (m->HasData(value)) return m.get();
    return nullptr;
}

void KyrEditCtrl::CollectMarkersOfType(int value, std::vector<KyrMarker*>& list)
{
    for (auto& m : markers)
        if (m->HasData(value)) list.push_back(m.get());
}

bool KyrEditCtrl::GoToLine(KyrMarker* marker)
{
    if (!marker || marker->line < 0 || marker->line > lineCount) return false;
    ClearSelection();
    const bool ok = SetCaretOffset(GetLineOffset(marker->line), true, true);
    desiredColumn = caretColumn;
    return ok;
}

void KyrEditCtrl::RedrawMarkerLine(int line, bool wholeLine)
{
    if (!m_hWnd) return;
    RECT r;
    GetClientRect(&r);
    if (!wholeLine) r.right = textRect.left;
    if (line >= 0) {
        r.top = textRect.top + (line - firstLine) * lineHeight;
        r.bottom = r.top + lineHeight;
    }
    ::InvalidateRect(m_hWnd, &r, FALSE);
    UpdateWindow();
}

void KyrEditCtrl::OnMarkerLinesInserted(int line, int count, bool atLineStart)
{
    const int from = atLineStart ? line : line + 1;
    bool moved = false;
    for (auto& m : markers) {
        if (m->line >= from && CanMoveMarker(m.get())) {
            m->line += count;
            moved = true;
        }
    }
    if (moved) SortMarkers();
}

void KyrEditCtrl::OnMarkerLinesRemoved(int startLine, int removedFeeds, int firstGone, int lastGone)
{
    if (markers.empty()) return;
    for (auto it = markers.begin(); it != markers.end();) {
        KyrMarker* m = it->get();
        const int r = firstGone <= lastGone ? m->IsInRange(firstGone, lastGone) : 0;
        if (r == 1 && CanRemoveMarker(m)) {
            it = markers.erase(it);
            continue;
        }
        if (r == 2 && CanMoveMarker(m)) m->MoveLines(firstGone, lastGone);
        ++it;
    }
    for (auto& m : markers)
        if (m->line >= startLine + removedFeeds && CanMoveMarker(m.get())) m->line -= removedFeeds;
    SortMarkers();
}

bool KyrEditCtrl::GetLineHighlight(int line, COLORREF* foreground, COLORREF* background, bool* fill)
{
    for (auto& m : markers) {
        if (!(m->type & KYR_MARK_HIGHLIGHT)) continue;
        auto* ex = dynamic_cast<KyrMarkerEx*>(m.get());
        if (!ex) continue;
        if (line < ex->line || line > ex->line + std::max(ex->extent, 0)) continue;
        *foreground = ex->foreground;
        *background = ex->background;
        if (fill) *fill = ex->fillLine != 0;
        return true;
    }
    return false;
}

void KyrEditCtrl::DrawMargin(CDC& dc)
{
    if (markers.empty() || lineHeight <= 0) return;
    const int lastVisible = firstLine + (textRect.bottom - textRect.top) / lineHeight;
    for (auto& m : markers) {
        if (m->line < std::max(firstLine, 0) || m->line > lastVisible + 1) continue;
        const int top = textRect.top + (m->line - firstLine) * lineHeight;
        RECT cell{0, top, marginWidth, top + lineHeight};
        DrawMarker(dc, cell, m.get());
    }
}

void KyrEditCtrl::DrawMarker(CDC& dc, const RECT& cell, KyrMarker* marker)
{
    if (!marker) return;
    const int mid = cell.top + (cell.bottom - cell.top) / 2 - 1;
    const int x = cell.left;
    COLORREF colour;
    if (marker->type & KYR_MARK_BREAK)
        colour = RGB(128, 0, 0);
    else if (marker->type & KYR_MARK_POSITION)
        colour = RGB(0, 255, 0);
    else if (marker->type & KYR_MARK_CURRENT)
        colour = RGB(255, 255, 0);
    else
        return;
    HBRUSH brush = CreateSolidBrush(colour);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    if (marker->type & KYR_MARK_BREAK) {
        const int d = (cell.right - cell.left) - (cell.bottom - cell.top);
        const int dx = 3 + std::max(d, 0) / 2;
        const int dy = lineSpacing / 2 + lineSpacing % 2 + 1 + std::max(-d, 0) / 2;
        Ellipse(dc, cell.left + dx, cell.top + dy, cell.right - dx, cell.bottom - dy);
    } else if (marker->type & KYR_MARK_POSITION) {
        POINT pts[3] = {{x + 5, mid - 7}, {x + 16, mid}, {x + 5, mid + 7}};
        Polygon(dc, pts, 3);
    } else {
        POINT pts[7] = {{x + 4, mid - 2}, {x + 10, mid - 2}, {x + 10, mid - 4}, {x + 15, mid},
                        {x + 10, mid + 4}, {x + 10, mid + 2}, {x + 4, mid + 2}};
        Polygon(dc, pts, 7);
    }
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
}
