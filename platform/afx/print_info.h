#pragma once
// CPrintInfo: one print job's pages and where they go. The printer is "PDF
// file" (a PDF at m_strOutput) or a CUPS queue (the PDF goes through
// `lp -d QUEUE FILE`). Paper is in 0.1 mm: A4 2100x2970 or Letter 2159x2794.
#include <string>
#include <vector>

#include "platform/types.h"

#define AFX_PRINTER_PDF "PDF file"

struct CPrintInfo {
    CPrintInfo() = default;
    void SetMinPage(UINT n) { m_nMinPage = n; }
    void SetMaxPage(UINT n) { m_nMaxPage = n; }
    UINT GetMinPage() const { return m_nMinPage; }
    UINT GetMaxPage() const { return m_nMaxPage; }
    UINT GetFromPage() const { return m_nFromPage ? m_nFromPage : m_nMinPage; }
    UINT GetToPage() const { return m_nToPage ? m_nToPage : m_nMaxPage; }

    BOOL m_bPreview = FALSE;
    BOOL m_bDirect = FALSE;      // no dialog
    BOOL m_bContinuePrinting = TRUE;
    UINT m_nCurPage = 1;
    UINT m_nNumPreviewPages = 1;
    RECT m_rectDraw{0, 0, 0, 0};
    std::string m_strPrinter = AFX_PRINTER_PDF;
    std::string m_strOutput;     // the PDF file
    int m_paperWidth = 2100;
    int m_paperLength = 2970;
    int m_orientation = 1;
    void* m_lpUserData = nullptr;

private:
    UINT m_nMinPage = 1;
    UINT m_nMaxPage = 0xFFFF;
    UINT m_nFromPage = 0;
    UINT m_nToPage = 0;
    friend class CView;
};

// The printers to offer: "PDF file", and the CUPS queues when `lp` exists.
std::vector<std::string> AfxPrinterNames();
