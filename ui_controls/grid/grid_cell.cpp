// Cells of the grid: attributes with default fall-backs, drawing, measuring,
// printing, and the in-place edit.
#include "ui_controls/grid/grid_cell.h"

#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "platform/user/user.h"
#include "ui_controls/grid/grid_ctrl.h"
#include "ui_controls/grid/grid_edit.h"

IMPLEMENT_DYNAMIC(CDataGridCellBase, CObject)
IMPLEMENT_DYNCREATE(CDataGridCell, CDataGridCellBase)
IMPLEMENT_DYNCREATE(CDataGridDefaultCell, CDataGridCell)

namespace {

// Fonts by their LOGFONT: creating a font per cell per paint would load
// pango faces all the time.
HFONT CachedFont(const LOGFONT& lf)
{
    static std::mutex lock;
    static std::map<std::string, HFONT>* fonts = new std::map<std::string, HFONT>;
    std::string key(reinterpret_cast<const char*>(&lf), sizeof lf);
    std::lock_guard<std::mutex> g(lock);
    auto it = fonts->find(key);
    if (it != fonts->end()) return it->second;
    HFONT f = CreateFontIndirect(&lf);
    (*fonts)[key] = f;
    return f;
}

void GrowRB(RECT& r)
{
    r.right++;
    r.bottom++;
}

void Shrink(RECT& r, int d)
{
    r.left += d;
    r.top += d;
    r.right -= d;
    r.bottom -= d;
}

}  // namespace

// ---------------------------------------------------------------- base

CDataGridDefaultCell* CDataGridCellBase::GetDefaultCell() const
{
    CDataGridCtrl* grid = GetGrid();
    if (!grid) return nullptr;
    DWORD s = GetState();
    return grid->GetDefaultCell((s & FixedRow) != 0, (s & FixedColumn) != 0);
}

void CDataGridCellBase::CopyFrom(const CDataGridCellBase& src)
{
    if (&src == this) return;
    SetGrid(src.GetGrid());
    SetText(src.GetText());
    SetImage(src.GetImage());
    SetData(src.GetData());
    SetState(src.GetState());
    SetFormat(src.GetFormat());
    SetForeColor(src.GetForeColor());
    SetBackColor(src.GetBackColor());
    SetFont(src.UsesDefaultFont() ? nullptr : src.GetFont());
    SetMargin(src.GetMargin());
}

bool CDataGridCellBase::ImageSize(int* w, int* h) const
{
    CDataGridCtrl* grid = GetGrid();
    if (!grid || !grid->m_imageList || GetImage() < 0) return false;
    if (GetImage() >= ImageList_GetImageCount(grid->m_imageList)) return false;
    return ImageList_GetIconSize(grid->m_imageList, w, h) != 0;
}

BOOL CDataGridCellBase::Draw(CDC* pdc, int row, int col, RECT rect, BOOL erase)
{
    CDataGridCtrl* grid = GetGrid();
    if (!grid || !pdc || !pdc->m_hDC) return FALSE;
    if (rect.right - rect.left <= 0 || rect.bottom - rect.top <= 0) return FALSE;
    HDC dc = pdc->m_hDC;
    int saved = SaveDC(dc);
    SetBkMode(dc, TRANSPARENT);
    CDataGridDefaultCell* def = GetDefaultCell();
    if (!def) {
        RestoreDC(dc, saved);
        return FALSE;
    }
    COLORREF text = GetForeColor() == CLR_DEFAULT ? def->GetForeColor() : GetForeColor();
    COLORREF back;
    if (GetBackColor() == CLR_DEFAULT) {
        back = def->GetBackColor();
    } else {
        back = GetBackColor();
        erase = TRUE;
    }
    DWORD state = GetState();
    if (!(state & (Focused | DropHover))) {
        RECT r = rect;
        GrowRB(r);
        if (!(state & Selected)) {
            if (erase) {
                HBRUSH b = CreateSolidBrush(back);
                FillRect(dc, &r, b);
                DeleteObject(b);
            }
        } else {
            FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
            text = GetSysColor(COLOR_HIGHLIGHTTEXT);
        }
        SetTextColor(dc, text);
    } else {
        if (state & Selected) {
            back = GetSysColor(COLOR_HIGHLIGHT);
            text = GetSysColor(COLOR_HIGHLIGHTTEXT);
            erase = TRUE;
        }
        GrowRB(rect);
        if (erase) {
            HBRUSH b = CreateSolidBrush(back);
            FillRect(dc, &rect, b);
            DeleteObject(b);
        }
        if (grid->m_linesShown) {
            rect.right--;
            rect.bottom--;
        }
        if (grid->m_outlineFocusCell) {
            HBRUSH b = CreateSolidBrush(text);
            FrameRect(dc, &rect, b);
            DeleteObject(b);
        }
        if (!grid->m_linesShown) {
            rect.right--;
            rect.bottom--;
        }
        SetTextColor(dc, text);
    }

    if ((state & Fixed) && grid->m_linesShown) {
        CDataGridCellPos focus = grid->GetFocusCell();
        if (grid->m_highlightFocusHeaders && grid->IsValid(focus) && (focus.row == row || focus.col == col)) {
            GrowRB(rect);
            DrawEdge(dc, &rect, BDR_SUNKENINNER, BF_RECT);
            Shrink(rect, 1);
        } else {
            HPEN light = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DHIGHLIGHT));
            HPEN dark = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DDKSHADOW));
            HGDIOBJ old = SelectObject(dc, light);
            MoveToEx(dc, rect.right, rect.top, nullptr);
            LineTo(dc, rect.left, rect.top);
            LineTo(dc, rect.left, rect.bottom);
            SelectObject(dc, dark);
            MoveToEx(dc, rect.right, rect.top, nullptr);
            LineTo(dc, rect.right, rect.bottom);
            LineTo(dc, rect.left, rect.bottom);
            SelectObject(dc, old);
            DeleteObject(light);
            DeleteObject(dark);
            Shrink(rect, 1);
        }
    }

    if (!pdc->IsPrinting()) {
        if (HFONT f = GetGdiFont()) SelectObject(dc, f);
    }
    int margin = (int)GetMargin();
    Shrink(rect, margin);
    GrowRB(rect);

    int iw = 0, ih = 0;
    if (ImageSize(&iw, &ih) && rect.left + iw <= rect.right && rect.top + ih <= rect.bottom)
        ImageList_Draw(grid->m_imageList, GetImage(), dc, rect.left, rect.top, ILD_NORMAL);

    if (row == 0 && col == grid->GetSortColumn()) {
        SIZE m{0, 0};
        GetTextExtentPoint32(dc, "M", 1, &m);
        int s = m.cy - 4;
        int h = rect.bottom - rect.top;
        if (s >= h) s = h - 4;
        const LOGFONT* lf = GetFont();
        bool vertical = lf && lf->lfEscapement == 900;
        // Small rectangles give no arrow at all.
        if (s > 0 && rect.left + s < rect.right) {
            int y0 = rect.bottom - s - 2;
            int x0 = vertical ? (rect.right - s + rect.left) / 2 : rect.right - s;
            HPEN shadow = CreatePen(PS_SOLID, 0, GetSysColor(COLOR_3DSHADOW));
            HPEN light = CreatePen(PS_SOLID, 0, GetSysColor(COLOR_3DHIGHLIGHT));
            HGDIOBJ old = SelectObject(dc, light);
            if (grid->GetSortAscending()) {
                POINT hl[] = {{x0 + 1, y0 + s + 1}, {x0 + s / 2 + 1, y0 + 1}, {x0 + s + 1, y0 + s + 1}, {x0 + 1, y0 + s + 1}};
                Polyline(dc, hl, 4);
                SelectObject(dc, shadow);
                POINT sh[] = {{x0, y0 + s}, {x0 + s / 2, y0}, {x0 + s, y0 + s}, {x0, y0 + s}};
                Polyline(dc, sh, 4);
            } else {
                POINT hl[] = {{x0 + 1, y0 + 1}, {x0 + s / 2 + 1, y0 + s + 1}, {x0 + s + 1, y0 + 1}, {x0 + 1, y0 + 1}};
                Polyline(dc, hl, 4);
                SelectObject(dc, shadow);
                POINT sh[] = {{x0, y0}, {x0 + s / 2, y0 + s}, {x0 + s, y0}, {x0, y0}};
                Polyline(dc, sh, 4);
            }
            SelectObject(dc, old);
            DeleteObject(shadow);
            DeleteObject(light);
            if (!vertical) rect.right -= s;
        }
    }

    GetTextRect(&rect);
    GrowRB(rect);
    DrawText(dc, GetText(), -1, &rect, GetFormat() | DT_NOPREFIX);
    RestoreDC(dc, saved);
    return TRUE;
}

BOOL CDataGridCellBase::GetTextRect(RECT* rect)
{
    int iw = 0, ih = 0;
    if (ImageSize(&iw, &ih)) rect->left += (int)GetMargin() + iw + 1;
    return TRUE;
}

SIZE CDataGridCellBase::GetTextExtent(const char* text, CDC* pdc)
{
    CDataGridCtrl* grid = GetGrid();
    CDataGridDefaultCell* def = GetDefaultCell();
    SIZE defSize = def ? SIZE{def->GetWidth(), def->GetHeight()} : SIZE{40, 16};
    if (!text) return defSize;
    HDC dc = pdc ? pdc->m_hDC : nullptr;
    HWND owner = nullptr;
    if (!dc) {
        // A detached cell measures on the screen.
        owner = grid ? grid->m_hWnd : nullptr;
        dc = GetDC(owner);
        if (!dc) return defSize;
    }
    HGDIOBJ oldFont = nullptr;
    if (HFONT f = GetGdiFont()) oldFont = SelectObject(dc, f);
    DWORD format = GetFormat();
    SIZE size{0, 0};
    if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE)) {
        int w = 0;
        const char* p = text;
        while (true) {
            const char* e = strchr(p, '\n');
            int n = e ? (int)(e - p) : (int)strlen(p);
            SIZE s{0, 0};
            GetTextExtentPoint32(dc, p, n, &s);
            if (s.cx > w) w = s.cx;
            if (!e) break;
            p = e + 1;
        }
        RECT r{0, 0, w + 1, 0};
        DrawText(dc, text, -1, &r, format | DT_CALCRECT);
        size = SIZE{r.right - r.left, r.bottom - r.top};
    } else {
        GetTextExtentPoint32(dc, text, (int)strlen(text), &size);
    }
    if (oldFont) SelectObject(dc, oldFont);
    if (!pdc) ReleaseDC(owner, dc);
    int m = (int)GetMargin();
    if (m < 0) m = 0;
    size.cx += 2 * m;
    size.cy += 2 * m;
    const LOGFONT* lf = GetFont();
    if (lf && (lf->lfEscapement == 900 || lf->lfEscapement == -900)) {
        LONG cx = size.cx;
        size.cx = size.cy;
        size.cy = cx + 4 * m;
    }
    return size;
}

SIZE CDataGridCellBase::GetContentSize(CDC* dc)
{
    SIZE size = GetTextExtent(GetText(), dc);
    int w = 0, h = 0;
    int m = (int)GetMargin();
    if (ImageSize(&w, &h)) {
        int iw = size.cx > 2 * m ? w + m : w;
        int ih = h + 2 * m;
        size.cx += iw + 1;
        size.cy = std::max((int)size.cy, ih) + 1;
    } else {
        size.cx += 1;
        size.cy += 1;
    }
    if (IsFixed()) {
        size.cx++;
        size.cy++;
    }
    return size;
}

BOOL CDataGridCellBase::PrintCell(CDC* pdc, int row, int col, RECT rect)
{
    (void)row;
    (void)col;
    CDataGridCtrl* grid = GetGrid();
    if (!grid || !pdc || !pdc->m_hDC) return FALSE;
    if (rect.right < rect.left || rect.bottom < rect.top) return FALSE;
    HDC dc = pdc->m_hDC;
    int saved = SaveDC(dc);
    SetBkMode(dc, TRANSPARENT);
    COLORREF text = 0;
    bool hasBack = false;
    COLORREF back = 0;
    if (grid->m_printInColor) {
        CDataGridDefaultCell* def = GetDefaultCell();
        if (!def) {
            RestoreDC(dc, saved);
            return FALSE;
        }
        if (IsFixed()) {
            hasBack = true;
            back = GetBackColor() == CLR_DEFAULT ? def->GetBackColor() : GetBackColor();
        } else if (GetBackColor() != CLR_DEFAULT && GetBackColor() != def->GetBackColor()) {
            hasBack = true;
            back = GetBackColor();
        }
        text = GetBackColor() != CLR_DEFAULT ? GetForeColor() : def->GetForeColor();
        // The marker is not a colour: it resolves to the default cell's.
        if (text == CLR_DEFAULT) text = def->GetForeColor();
    }
    if (GetDeviceCaps(dc, NUMCOLORS) == 2 && !hasBack) {
        text = RGB((int)(0.3 * GetRValue(text)), (int)(0.59 * GetGValue(text)), (int)(0.11 * GetBValue(text)));
    } else if (hasBack) {
        RECT r = rect;
        GrowRB(r);
        HBRUSH b = CreateSolidBrush(back);
        FillRect(dc, &r, b);
        DeleteObject(b);
    }
    SetTextColor(dc, text);
    if (HFONT f = GetGdiFont()) SelectObject(dc, f);
    if (grid->m_linesShown && IsFixed()) {
        HPEN light = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DHIGHLIGHT));
        HPEN dark = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DDKSHADOW));
        HGDIOBJ old = SelectObject(dc, light);
        MoveToEx(dc, rect.right, rect.top, nullptr);
        LineTo(dc, rect.left, rect.top);
        LineTo(dc, rect.left, rect.bottom);
        SelectObject(dc, dark);
        MoveToEx(dc, rect.right, rect.top, nullptr);
        LineTo(dc, rect.right, rect.bottom);
        LineTo(dc, rect.left, rect.bottom);
        SelectObject(dc, old);
        DeleteObject(light);
        DeleteObject(dark);
        Shrink(rect, 1);
    }
    int m = (int)GetMargin();
    rect.left += m;
    rect.right -= m;
    int iw = 0, ih = 0;
    if (ImageSize(&iw, &ih)) {
        ImageList_Draw(grid->m_imageList, GetImage(), dc, rect.left, rect.top, ILD_NORMAL);
        rect.left += m + iw;
    }
    DrawText(dc, GetText(), -1, &rect, GetFormat() | DT_NOPREFIX);
    RestoreDC(dc, saved);
    return TRUE;
}

BOOL CDataGridCellBase::OnSetCursor()
{
    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    return TRUE;
}

// ---------------------------------------------------------------- stored cell

CDataGridCell::CDataGridCell() = default;

CDataGridCell::~CDataGridCell() { delete m_font; }

void CDataGridCell::SetFont(const LOGFONT* lf)
{
    if (!lf) {
        delete m_font;
        m_font = nullptr;
        return;
    }
    if (!m_font) m_font = new LOGFONT;
    *m_font = *lf;
}

DWORD CDataGridCell::GetFormat() const
{
    if (m_format != 0xFFFFFFFFu) return m_format;
    CDataGridDefaultCell* def = GetDefaultCell();
    return def ? def->GetFormat() : 0xFFFFFFFFu;
}

const LOGFONT* CDataGridCell::GetFont() const
{
    if (m_font) return m_font;
    CDataGridDefaultCell* def = GetDefaultCell();
    return def ? def->GetFont() : nullptr;
}

HFONT CDataGridCell::GetGdiFont() const
{
    if (m_font) return CachedFont(*m_font);
    CDataGridDefaultCell* def = GetDefaultCell();
    return def ? def->GetGdiFont() : nullptr;
}

UINT CDataGridCell::GetMargin() const
{
    if (m_margin != 0xFFFFFFFFu) return m_margin;
    CDataGridDefaultCell* def = GetDefaultCell();
    return def ? def->GetMargin() : 0xFFFFFFFFu;
}

void CDataGridCell::Reset()
{
    CDataGridCellBase::Reset();
    m_text.clear();
    m_data = 0;
    m_image = -1;
    m_format = 0xFFFFFFFFu;
    m_foreColor = m_backColor = CLR_DEFAULT;
    delete m_font;
    m_font = nullptr;
    m_margin = 0xFFFFFFFFu;
    m_editing = FALSE;
    m_grid = nullptr;
    m_editWnd = nullptr;
}

// ---------------------------------------------------------------- default cell

CDataGridDefaultCell::CDataGridDefaultCell()
{
    m_format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
    m_foreColor = m_backColor = CLR_DEFAULT;
    NONCLIENTMETRICS ncm{};
    ncm.cbSize = sizeof ncm;
    if (SystemParametersInfo(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) SetFont(&ncm.lfMessageFont);
}

CDataGridDefaultCell::~CDataGridDefaultCell() = default;

void CDataGridDefaultCell::SetFont(const LOGFONT* lf)
{
    if (!lf) return;
    m_hFont = CachedFont(*lf);
    CDataGridCell::SetFont(lf);
    HDC dc = GetDC(nullptr);
    if (!dc) {
        m_margin = 3;
        m_width = 40;
        m_height = 16;
        return;
    }
    HGDIOBJ old = SelectObject(dc, m_hFont);
    SIZE s{0, 0};
    GetTextExtentPoint32(dc, " ", 1, &s);
    m_margin = (UINT)s.cx;
    GetTextExtentPoint32(dc, " XXXXXXXXXXXX ", 14, &s);
    m_width = s.cx;
    m_height = s.cy * 3 / 2;
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
}

// ---------------------------------------------------------------- editing

BOOL CDataGridCell::Edit(int row, int col, RECT rect, POINT, UINT id, UINT character)
{
    if (m_editing && m_editWnd) {
        m_editWnd->SendMessage(WM_CHAR, character & ~CDataGridCtrl::kEditKeyFlag, 0);
        return TRUE;
    }
    DWORD format = GetFormat();
    DWORD style = (format & DT_RIGHT) ? ES_RIGHT : (format & DT_CENTER) ? ES_CENTER : 0;
    m_editing = TRUE;
    auto* box = new CDataGridEditBox(m_grid, rect, style, id, row, col, GetText(), character);
    if (!box->m_hWnd) {
        // A box without a window would never end the edit: drop it.
        delete box;
        m_editing = FALSE;
        m_editWnd = nullptr;
        return FALSE;
    }
    // The box may already have ended (a posted key is still queued, so not yet).
    m_editWnd = box;
    return TRUE;
}

void CDataGridCell::FinishEdit()
{
    if (m_editWnd) static_cast<CDataGridEditBox*>(m_editWnd)->FinishEdit();
}
