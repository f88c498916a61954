// Printing the grid page by page, and the drag image of the focus cell.
#include <clocale>
#include <cstdio>
#include <ctime>
#include <locale.h>
#include <vector>

#include "platform/afx/resources.h"
#include "platform/user/user.h"
#include "ui_controls/grid/grid_ctrl.h"

namespace {

const UINT kAppTitleString = 57344;

void Line(HDC dc, int x0, int y0, int x1, int y1)
{
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
}

// The start of each run of sizes that fits `limit`: a size whose running sum
// passes the limit begins the next run.
std::vector<int> RunStarts(const std::vector<unsigned>& sizes, int first, int limit)
{
    std::vector<int> starts{first};
    long sum = 0;
    for (int i = first; i < (int)sizes.size(); i++) {
        sum += sizes[i];
        if (sum > limit) {
            starts.push_back(i);
            sum = sizes[i];
        }
    }
    return starts;
}

HFONT BoldCopy(HFONT font)
{
    LOGFONT lf;
    if (GetObject(font, sizeof lf, &lf) != (int)sizeof lf) return nullptr;
    lf.lfWeight = FW_BOLD;
    return CreateFontIndirect(&lf);
}

}  // namespace

void CDataGridCtrl::SetPrintLayout(int header, int footer, int left, int right, int top, int bottom, int gap)
{
    if (header > -1) m_printHeaderLines = header;
    if (footer > -1) m_printFooterLines = footer;
    if (left > -1) m_printLeftChars = left;
    if (right > -1) m_printRightChars = right;
    if (top > -1) m_printTopLines = top;
    if (bottom > -1) m_printBottomLines = bottom;
    if (gap > -1) m_printGapLines = gap;
}

void CDataGridCtrl::BeginPrinting(CDC* pdc, CPrintInfo* info)
{
    if (!pdc || !pdc->m_hDC || !info) return;
    HDC screen = GetDC(m_hWnd);
    if (!screen) return;
    HDC dc = pdc->m_hDC;
    int printerX = GetDeviceCaps(dc, LOGPIXELSX), printerY = GetDeviceCaps(dc, LOGPIXELSY);
    int screenX = GetDeviceCaps(screen, LOGPIXELSX), screenY = GetDeviceCaps(screen, LOGPIXELSY);
    if (m_printFont) DeleteObject(m_printFont);
    m_printFont = CreateFont(-10, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 2, 2, 0, 0, "Arial");
    HGDIOBJ old = SelectObject(dc, m_printFont);
    const char* letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    SIZE s{0, 0};
    GetTextExtentPoint32(dc, letters, 52, &s);
    m_printCharSize = SIZE{s.cx / 52, s.cy};
    int margins = (m_printLeftChars + m_printRightChars) * m_printCharSize.cx;
    m_printPaperSize = SIZE{GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
    if (m_printTiled && printerX > 0 && printerY > 0) {
        m_printLogicalPage.cx = m_printPaperSize.cx * screenX / printerX * 3 / 4;
        m_printLogicalPage.cy = m_printPaperSize.cy * screenY / printerY * 3 / 4;
    } else {
        m_printLogicalPage.cx = (int)GetTotalWidth() + margins;
        m_printLogicalPage.cy =
            m_printPaperSize.cx ? (int)((long long)m_printLogicalPage.cx * m_printPaperSize.cy / m_printPaperSize.cx) : 0;
    }
    m_printBodyHeight = m_printLogicalPage.cy -
                        (m_printHeaderLines + m_printFooterLines + 2 * m_printGapLines) * m_printCharSize.cy -
                        GetFixedRowHeight();
    int vertical = (int)RunStarts(m_rowHeights, m_fixedRowCount, m_printBodyHeight).size();
    m_printBodyWidth = m_printLogicalPage.cx - GetFixedColumnWidth() - margins;
    m_printPagesAcross = 1;
    if (m_printTiled) m_printPagesAcross = (int)RunStarts(m_columnWidths, m_fixedColumnCount, m_printBodyWidth).size();
    m_printPageCount = vertical * m_printPagesAcross;
    info->SetMaxPage((UINT)m_printPageCount);
    info->m_nCurPage = 1;
    ReleaseDC(m_hWnd, screen);
    SelectObject(dc, old);
}

void CDataGridCtrl::PrintPage(CDC* pdc, CPrintInfo* info)
{
    if (!pdc || !pdc->m_hDC || !info || !m_printFont) return;
    HDC dc = pdc->m_hDC;
    int page = (int)info->m_nCurPage;
    int cx = m_printCharSize.cx, cy = m_printCharSize.cy;
    int margins = (m_printLeftChars + m_printRightChars) * cx;
    int fh = GetFixedRowHeight(), fw = GetFixedColumnWidth();
    HGDIOBJ oldFont = SelectObject(dc, m_printFont);
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, m_printLogicalPage.cx, m_printLogicalPage.cy, nullptr);
    SetViewportExtEx(dc, m_printPaperSize.cx, m_printPaperSize.cy, nullptr);
    SetWindowOrgEx(dc, -m_printLeftChars * cx, 0, nullptr);
    info->m_rectDraw = RECT{0, 0, m_printLogicalPage.cx - margins, m_printHeaderLines * cy};
    PrintHeader(pdc, info);
    OffsetWindowOrgEx(dc, 0, -(m_printHeaderLines * cy + m_printGapLines * cy + fh), nullptr);

    int across = std::max(m_printPagesAcross, 1);
    int v = (page + across - 1) / across;
    int h = (page - 1) % across;
    std::vector<int> rowStarts = RunStarts(m_rowHeights, m_fixedRowCount, m_printBodyHeight);
    std::vector<int> colStarts = RunStarts(m_columnWidths, m_fixedColumnCount, m_printBodyWidth);
    m_pageFirstRow = v - 1 < (int)rowStarts.size() ? rowStarts[v - 1] : m_rowCount;
    if (v < 1) m_pageFirstRow = m_rowCount;
    m_pageFirstColumn = h < (int)colStarts.size() ? colStarts[h] : m_columnCount;

    PrintFixedColumns(pdc, info);

    info->m_rectDraw.bottom = fh;
    OffsetWindowOrgEx(dc, 0, fh, nullptr);
    int savedBody = m_printBodyWidth, savedFirst = m_pageFirstColumn;
    m_printBodyWidth += fw;
    if (m_pageFirstColumn == m_fixedColumnCount) m_pageFirstColumn = 0;
    PrintFixedRows(pdc, info);
    m_printBodyWidth = savedBody;
    m_pageFirstColumn = savedFirst;
    OffsetWindowOrgEx(dc, -fw, -fh, nullptr);

    if (m_pageFirstRow < m_rowCount) {
        bool hl = m_linesShown == 1 || m_linesShown == 3, vl = m_linesShown == 2 || m_linesShown == 3;
        int top = 0;
        bool firstRow = true;
        for (int row = m_pageFirstRow; row < m_rowCount; row++) {
            int rh = (int)m_rowHeights[row];
            if (rh == 0) continue;
            // Only rows that fit whole: the page count put the others on the next page.
            if (top + rh > m_printBodyHeight) break;
            int left = 0;
            for (int col = m_pageFirstColumn; col < m_columnCount; col++) {
                int cw = (int)m_columnWidths[col];
                if (cw == 0) continue;
                if (left + cw > m_printBodyWidth) break;
                RECT r{left, top, left + cw - 1, top + rh - 1};
                if (CDataGridCellBase* cell = GetCell(row, col)) cell->PrintCell(pdc, row, col, r);
                if (hl) {
                    Line(dc, col == 0 ? r.left : r.left - 1, r.bottom, r.right, r.bottom);
                    if (row == 0) Line(dc, r.left, r.top, r.right, r.top);
                }
                if (vl) {
                    Line(dc, r.right, firstRow ? r.top : r.top - 1, r.right, r.bottom);
                    if (col == 0) Line(dc, r.left, r.top, r.left, r.bottom);
                }
                left += cw;
            }
            top += rh;
            firstRow = false;
        }
        info->m_rectDraw.bottom = m_printFooterLines * cy;
        SetWindowOrgEx(dc, -m_printLeftChars * cx, m_printFooterLines * cy - m_printLogicalPage.cy, nullptr);
        PrintFooter(pdc, info);
    }
    // Every exit puts the font and origin back.
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SelectObject(dc, oldFont);
}

void CDataGridCtrl::PrintCellRun(int firstCol, int endCol, int row, RECT* rect, CDC* pdc, BOOL* firstCell)
{
    HDC dc = pdc->m_hDC;
    bool hl = m_linesShown == 1 || m_linesShown == 3, vl = m_linesShown == 2 || m_linesShown == 3;
    for (int col = firstCol; col < endCol && col < m_columnCount; col++) {
        int cw = (int)m_columnWidths[col];
        if (cw == 0) continue;
        rect->left = rect->right + 1;
        rect->right = rect->left + cw - 1;
        if (rect->right + 1 > m_printBodyWidth) break;
        if (CDataGridCellBase* cell = GetCell(row, col)) cell->PrintCell(pdc, row, col, *rect);
        if (hl) {
            Line(dc, col == 0 ? rect->left : rect->left - 1, rect->bottom, rect->right, rect->bottom);
            if (row == 0) Line(dc, rect->left, rect->top, rect->right, rect->top);
        }
        if (vl) {
            Line(dc, rect->right, row == 0 ? rect->top : rect->top - 1, rect->right, rect->bottom);
            if (*firstCell) {
                Line(dc, rect->left - 1, rect->top, rect->left - 1, rect->bottom);
                *firstCell = FALSE;
            }
        }
    }
}

void CDataGridCtrl::PrintFixedRows(CDC* pdc, CPrintInfo*)
{
    HDC dc = pdc->m_hDC;
    HGDIOBJ old = SelectObject(dc, m_printFont);
    RECT r{0, -1, -1, -1};
    BOOL firstCell = TRUE;
    for (int row = 0; row < m_fixedRowCount; row++) {
        int rh = (int)m_rowHeights[row];
        if (rh == 0) continue;
        r.top = r.bottom + 1;
        r.bottom = r.top + rh - 1;
        r.right = -1;
        if (m_pageFirstColumn >= m_fixedColumnCount) {
            BOOL keep = firstCell;
            PrintCellRun(0, m_fixedColumnCount, row, &r, pdc, &firstCell);
            firstCell = keep;
        }
        PrintCellRun(m_pageFirstColumn, m_columnCount, row, &r, pdc, &firstCell);
        firstCell = FALSE;
    }
    SelectObject(dc, old);
}

void CDataGridCtrl::PrintFixedColumns(CDC* pdc, CPrintInfo*)
{
    HDC dc = pdc->m_hDC;
    HGDIOBJ old = SelectObject(dc, m_printFont);
    bool hl = m_linesShown == 1 || m_linesShown == 3, vl = m_linesShown == 2 || m_linesShown == 3;
    int left = 0;
    for (int col = 0; col < m_fixedColumnCount; col++) {
        int cw = (int)m_columnWidths[col];
        if (cw == 0) continue;
        int top = 0;
        bool first = true;
        for (int row = m_pageFirstRow; row < m_rowCount; row++) {
            int rh = (int)m_rowHeights[row];
            if (rh == 0) continue;
            if (top + rh > m_printBodyHeight) break;
            RECT r{left, top, left + cw - 1, top + rh - 1};
            if (CDataGridCellBase* cell = GetCell(row, col)) cell->PrintCell(pdc, row, col, r);
            if (hl) {
                Line(dc, col == 0 ? r.left : r.left - 1, r.bottom, r.right, r.bottom);
                if (first) Line(dc, r.left, r.top - 1, r.right, r.top - 1);
            }
            if (vl) {
                Line(dc, r.right, row == 0 ? r.top : r.top - 1, r.right, r.bottom);
                if (col == 0) Line(dc, r.left, r.top, r.left, r.bottom);
            }
            first = false;
            top += rh;
        }
        left += cw;
    }
    SelectObject(dc, old);
}

void CDataGridCtrl::PrintHeader(CDC* pdc, CPrintInfo* info)
{
    HDC dc = pdc->m_hDC;
    std::string centre;
    for (HWND w = m_hWnd ? ::GetParent(m_hWnd) : nullptr; w; w = ::GetParent(w)) {
        CWnd* wnd = CWnd::FromHandle(w);
        if (!wnd) break;
        centre = wnd->GetWindowText();
        if (!centre.empty()) break;
    }
    std::string right;
    AfxLoadString(kAppTitleString, right);
    HFONT bold = BoldCopy(m_printFont);
    HGDIOBJ oldFont = SelectObject(dc, bold ? (HGDIOBJ)bold : (HGDIOBJ)m_printFont);
    int oldMode = SetBkMode(dc, TRANSPARENT);
    RECT r = info->m_rectDraw;
    if (!centre.empty()) DrawText(dc, centre.c_str(), -1, &r, DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    r = info->m_rectDraw;
    if (!right.empty()) DrawText(dc, right.c_str(), -1, &r, DT_RIGHT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
    if (bold) DeleteObject(bold);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    Line(dc, info->m_rectDraw.left, info->m_rectDraw.bottom, info->m_rectDraw.right, info->m_rectDraw.bottom);
    SelectObject(dc, oldPen);
}

void CDataGridCtrl::PrintFooter(CDC* pdc, CPrintInfo* info)
{
    HDC dc = pdc->m_hDC;
    char left[64];
    snprintf(left, sizeof left, "Page %d of %d", (int)info->m_nCurPage, (int)info->GetMaxPage());
    char right[128] = "";
    time_t now = time(nullptr);
    struct tm tmv;
    localtime_r(&now, &tmv);
    // "%c" in the C locale, whatever the process's locale.
    locale_t c = newlocale(LC_ALL_MASK, "C", (locale_t)0);
    if (c) {
        strftime_l(right, sizeof right, "%c", &tmv, c);
        freelocale(c);
    }
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    Line(dc, info->m_rectDraw.left, info->m_rectDraw.top, info->m_rectDraw.right, info->m_rectDraw.top);
    SelectObject(dc, oldPen);
    HFONT bold = BoldCopy(m_printFont);
    HGDIOBJ oldFont = SelectObject(dc, bold ? (HGDIOBJ)bold : (HGDIOBJ)m_printFont);
    int oldMode = SetBkMode(dc, TRANSPARENT);
    COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
    RECT r = info->m_rectDraw;
    DrawText(dc, left, -1, &r, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    r = info->m_rectDraw;
    if (right[0]) DrawText(dc, right, -1, &r, DT_RIGHT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SetTextColor(dc, oldText);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
    if (bold) DeleteObject(bold);
}

void CDataGridCtrl::EndPrinting(CDC*, CPrintInfo*)
{
    if (m_printFont) DeleteObject(m_printFont);
    m_printFont = nullptr;
}

HIMAGELIST CDataGridCtrl::CreateDragImage(POINT* hotSpot)
{
    // Without a focus cell there is no picture.
    if (!IsValid(m_focusCell)) return nullptr;
    RECT r;
    if (!GetCellRect(m_focusCell.row, m_focusCell.col, &r)) return nullptr;
    int w = r.right - r.left + 1, h = r.bottom - r.top + 1;
    if (w <= 0 || h <= 0) return nullptr;
    if (hotSpot) *hotSpot = POINT{w, h};
    HIMAGELIST list = ImageList_Create(w, h, ILC_MASK | ILC_COLOR24, 1, 1);
    if (!list) return nullptr;
    HDC screen = GetDC(m_hWnd);
    HDC mem = screen ? CreateCompatibleDC(screen) : nullptr;
    HBITMAP bmp = mem ? CreateCompatibleBitmap(screen, w, h) : nullptr;
    if (!bmp) {
        if (mem) DeleteDC(mem);
        if (screen) ReleaseDC(m_hWnd, screen);
        ImageList_Destroy(list);
        return nullptr;
    }
    HGDIOBJ old = SelectObject(mem, bmp);
    {
        CDC dc(mem);
        if (CDataGridCellBase* cell = GetCell(m_focusCell.row, m_focusCell.col))
            cell->Draw(&dc, m_focusCell.row, m_focusCell.col, RECT{0, 0, w - 1, h - 1}, FALSE);
        dc.Detach();
    }
    SelectObject(mem, old);
    ImageList_AddMasked(list, bmp, m_defaultCell.GetBackColor());
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(m_hWnd, screen);
    return list;
}
