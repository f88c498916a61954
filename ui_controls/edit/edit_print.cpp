// Printing the editor's text page by page onto a printer DC. The screen
// metrics, view position and widths are put back after every page.
#include <cstdint>

#include "platform/afx/print_info.h"
#include "ui_controls/edit/edit_ctrl.h"

void KyrEditCtrl::CreatePrintFont(CDC& dc)
{
    if (printerFont) return;
    HFONT screen = CurrentFont();
    if (!screen) screen = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    LOGFONT lf{};
    if (!GetObject(screen, sizeof lf, &lf)) return;
    HDC screenDC = ::GetDC(nullptr);
    const int screenDpi = std::max(1, GetDeviceCaps(screenDC, LOGPIXELSY));
    ::ReleaseDC(nullptr, screenDC);
    const int printerDpi = std::max(1, GetDeviceCaps(dc, LOGPIXELSY));
    // Every face here is an outline font, so each one is scaled.
    lf.lfHeight = (LONG)((int64_t)lf.lfHeight * printerDpi / screenDpi);
    lf.lfWidth = (LONG)((int64_t)lf.lfWidth * printerDpi / screenDpi);
    printerFont = CreateFontIndirect(&lf);
}

void KyrEditCtrl::DeletePrintFont()
{
    if (printerFont) DeleteObject(printerFont);
    printerFont = nullptr;
}

void KyrEditCtrl::PrintPage(CDC& dc, CPrintInfo* info)
{
    if (!info) return;
    const RECT savedRect = textRect;
    const int savedFirst = firstLine, savedFirstOffset = firstLineOffset, savedColumn = firstColumn;
    const HDC savedMeasure = measureDC;
    const HGDIOBJ oldFont = SelectObject(dc, dc.IsPrinting() && printerFont ? printerFont : CurrentFont());
    const int oldMode = SetBkMode(dc, TRANSPARENT);

    // Metrics of this DC (its own width cache through the resolution key).
    TEXTMETRIC tm{};
    GetTextMetrics(dc, &tm);
    lineHeight = std::max(1, (int)tm.tmHeight + lineSpacing);
    columnWidth = std::max(1, (int)tm.tmMaxCharWidth);
    averageWidth = std::max(1, (int)tm.tmAveCharWidth);
    widthCache = nullptr;
    widthCacheDC = nullptr;
    tabStopPixels = CharWidth(dc, " ", 0) * std::max(tabSize, 1);

    textRect = info->m_rectDraw;
    InflateRect(&textRect, -2 * lineHeight, -2 * lineHeight);
    if (textRect.bottom < textRect.top) textRect.bottom = textRect.top;
    // At least one line a page, so printing always ends.
    linesPerPage = std::max(1, (int)(textRect.bottom - textRect.top) / lineHeight);
    // Whole lines only: a part line at the foot would come again on the next page.
    textRect.bottom = textRect.top + linesPerPage * lineHeight;
    const int page = (int)std::max(1u, info->m_nCurPage);
    const int lines = lineCount + ((text.empty() || text.back() != '\n') ? 1 : 0);   // as the vertical range counts
    // The offset is found from the view's own line pair, before the pair
    // becomes the page's.
    const int pageFirst = (int)std::min<int64_t>((int64_t)(page - 1) * linesPerPage, INT32_MAX);
    const int pageOffset = GetLineOffset(std::min(pageFirst, lineCount));
    firstLine = pageFirst;
    firstLineOffset = pageOffset;
    firstColumn = 0;
    if (firstLine < lines && firstLineOffset >= 0 && !text.empty()) {
        const int inner = SaveDC(dc);
        IntersectClipRect(dc, textRect.left, textRect.top, textRect.right, textRect.bottom);
        DrawText(dc);
        RestoreDC(dc, inner);
    }
    if (firstLine >= lines - linesPerPage) {
        info->m_bContinuePrinting = FALSE;
        info->SetMaxPage((UINT)page);
    }

    textRect = savedRect;
    firstLine = savedFirst;
    firstLineOffset = savedFirstOffset;
    firstColumn = savedColumn;
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
    measureDC = savedMeasure;
    // Screen metrics again; the caret is only touched while focused.
    ComputeMetrics();
    ComputeTextRect();
}
