// CView printing: the print dialog, then OnPrint page by page on a gdi
// printer DC (a PDF, sent to the queue by lp when a queue was chosen).
#include "platform/afx/app_access.h"
#include "platform/afx/document.h"
#include "platform/afx/print_dialog.h"
#include "platform/afx/print_info.h"
#include "platform/afx/print_preview.h"
#include "platform/afx/spawn.h"
#include "platform/afx/view.h"

std::vector<std::string> AfxPrinterNames()
{
    std::vector<std::string> names{AFX_PRINTER_PDF};
    if (!AfxCommandExists("lp") || !AfxCommandExists("lpstat")) return names;
    // Queues come from `lpstat -e`, one name a line.
    std::string bytes = AfxSpawnOutput({"lpstat", "-e"});
    size_t s = 0;
    while (s < bytes.size()) {
        size_t e = bytes.find('\n', s);
        if (e == std::string::npos) e = bytes.size();
        if (e > s) names.push_back(bytes.substr(s, e - s));
        s = e + 1;
    }
    return names;
}

BOOL CView::OnPreparePrinting(CPrintInfo* info) { return DoPreparePrinting(info); }

BOOL CView::DoPreparePrinting(CPrintInfo* info)
{
    AfxGetPrinterDeviceDefaults(info);
    if (info->m_bPreview || info->m_bDirect) return TRUE;
    CPrintDialog dlg(FALSE, info->m_paperWidth == 2159);
    dlg.m_printer = info->m_strPrinter;
    dlg.m_orientation = info->m_orientation;
    if (dlg.DoModal() != 1) return FALSE;
    dlg.Apply(info);
    if (info->m_strPrinter == AFX_PRINTER_PDF && info->m_strOutput.empty()) return FALSE;
    return TRUE;
}

void CView::OnBeginPrinting(CDC*, CPrintInfo*) {}

void CView::OnPrint(CDC* dc, CPrintInfo*) { OnDraw(dc); }

void CView::OnEndPrinting(CDC*, CPrintInfo*) {}

// Runs the pages of one job on a DC (printer or preview).
void AfxRunPrintPages(CView* view, CDC* dc, CPrintInfo* info)
{
    view->OnBeginPrinting(dc, info);
    for (UINT page = info->GetFromPage(); page <= info->GetToPage() && info->m_bContinuePrinting; ++page) {
        info->m_nCurPage = page;
        view->OnPrepareDC(dc, info);
        if (!info->m_bContinuePrinting) break;
        if (StartPage(dc->m_hDC) <= 0) break;
        SetRect(&info->m_rectDraw, 0, 0, GetDeviceCaps(dc->m_hDC, HORZRES), GetDeviceCaps(dc->m_hDC, VERTRES));
        view->OnPrint(dc, info);
        if (EndPage(dc->m_hDC) <= 0) break;
        // Without a known last page, the view says when to stop in OnPrepareDC.
    }
    view->OnEndPrinting(dc, info);
}

void CView::OnFilePrint()
{
    CPrintInfo info;
    if (!OnPreparePrinting(&info)) return;
    // A queue: the printer DC keeps its own temporary PDF and hands it to
    // `lp -d QUEUE FILE` at EndDoc.
    bool queue = info.m_strPrinter != AFX_PRINTER_PDF;
    const char* output = queue ? nullptr : info.m_strOutput.c_str();
    PRINTSETUP setup{info.m_paperWidth, info.m_paperLength, info.m_orientation, output,
                     queue ? info.m_strPrinter.c_str() : nullptr};
    HDC hdc = CreatePrinterDC(&setup);
    if (!hdc) return;
    CDC dc;
    dc.Attach(hdc, true);
    dc.m_bPrinting = TRUE;
    std::string title = m_pDocument ? m_pDocument->GetTitle() : std::string();
    DOCINFO di{(int)sizeof(DOCINFO), title.c_str(), output};
    if (StartDoc(hdc, &di) <= 0) return;
    AfxRunPrintPages(this, &dc, &info);
    EndDoc(hdc);
}

void CView::OnFilePrintPreview() { AfxShowPrintPreview(this); }
