// Printer DCs: 600-dpi pages on a cairo PDF surface, sent to a file or to a
// printer with `lp -d NAME FILE`; the preview variant keeps each page as a
// metafile.
#include "platform/gdi/gdi_internal.h"
#include <cairo-pdf.h>
#include <cmath>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr int kDpi = 600;
#define SP_ERROR (-1)

int Px(int tenthsMm) { return (int)std::lround(tenthsMm / 254.0 * kDpi); }

void ApplySetup(CDc& dc, const PRINTSETUP* s)
{
    int w = s && s->paperWidth > 0 ? s->paperWidth : 2100;
    int l = s && s->paperLength > 0 ? s->paperLength : 2970;
    if (s && s->orientation == DMORIENT_LANDSCAPE) std::swap(w, l);
    dc.size = SIZE{Px(w), Px(l)};
    dc.pageWidthPt = w / 254.0 * 72;
    dc.pageHeightPt = l / 254.0 * 72;
    if (s) dc.setup = *s;
}

HDC MakePrinter(const PRINTSETUP* setup, DcKind kind)
{
    auto dc = std::make_shared<CDc>();
    dc->dcKind = kind;
    dc->dpi = kDpi;
    ApplySetup(*dc, setup);
    if (setup && setup->printerName) dc->printerName = setup->printerName;
    if (setup && setup->outputFile) dc->outputFile = setup->outputFile;
    dc->setup.outputFile = nullptr;
    dc->setup.printerName = nullptr;
    return NewDc(dc);
}

bool RunLp(const std::string& printer, const std::string& file)
{
    std::string a0 = "lp", a1 = "-d";
    char* argv[] = {a0.data(), a1.data(), const_cast<char*>(printer.c_str()), const_cast<char*>(file.c_str()), nullptr};
    pid_t pid;
    if (posix_spawnp(&pid, "lp", nullptr, nullptr, argv, environ) != 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void CloseSurface(CDc& dc)
{
    if (dc.cr) cairo_destroy(dc.cr);
    dc.cr = nullptr;
    if (dc.vector) {
        cairo_surface_finish(dc.vector);
        cairo_surface_destroy(dc.vector);
    }
    dc.vector = nullptr;
}

}   // namespace

HDC CreatePrinterDC(const PRINTSETUP* setup)
{
    if (!setup || (!setup->outputFile && !setup->printerName)) return nullptr;
    return MakePrinter(setup, DcKind::Printer);
}

HDC CreatePreviewDC(const PRINTSETUP* setup) { return MakePrinter(setup, DcKind::Preview); }

BOOL ResetPrinterDC(HDC hdc, const PRINTSETUP* setup)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc || (dc->dcKind != DcKind::Printer && dc->dcKind != DcKind::Preview) || dc->pageStarted) return FALSE;
    ApplySetup(*dc, setup);
    dc->setup.outputFile = nullptr;
    dc->setup.printerName = nullptr;
    return TRUE;
}

int StartDoc(HDC hdc, const DOCINFO* info)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc || dc->docStarted) return SP_ERROR;
    if (dc->dcKind == DcKind::Preview) {
        dc->docStarted = true;
        dc->previewPages.clear();
        return 1;
    }
    if (dc->dcKind != DcKind::Printer) return SP_ERROR;
    std::string path = info && info->lpszOutput ? info->lpszOutput : dc->outputFile;
    if (!dc->printerName.empty() && (!info || !info->lpszOutput)) {
        char tmpl[] = "/tmp/veldra-print-XXXXXX";
        int fd = mkstemp(tmpl);
        if (fd < 0) return SP_ERROR;
        close(fd);
        dc->tempFile = path = tmpl;
    }
    if (path.empty()) return SP_ERROR;
    dc->vector = cairo_pdf_surface_create(path.c_str(), dc->pageWidthPt, dc->pageHeightPt);
    if (cairo_surface_status(dc->vector) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(dc->vector);
        dc->vector = nullptr;
        return SP_ERROR;
    }
    if (info && info->lpszDocName)
        cairo_pdf_surface_set_metadata(dc->vector, CAIRO_PDF_METADATA_TITLE, info->lpszDocName);
    dc->outputFile = path;
    dc->docStarted = true;
    dc->pages = 0;
    return 1;
}

int StartPage(HDC hdc)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc || !dc->docStarted || dc->pageStarted) return SP_ERROR;
    if (dc->dcKind == DcKind::Preview) {
        cairo_rectangle_t ext{0, 0, (double)dc->size.cx, (double)dc->size.cy};
        dc->vector = cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, &ext);
        dc->cr = cairo_create(dc->vector);
    } else {
        cairo_pdf_surface_set_size(dc->vector, dc->pageWidthPt, dc->pageHeightPt);
        dc->cr = cairo_create(dc->vector);
        // Device pixels at 600 dpi.
        cairo_scale(dc->cr, 72.0 / kDpi, 72.0 / kDpi);
    }
    dc->pageStarted = true;
    return 1;
}

int EndPage(HDC hdc)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc || !dc->pageStarted) return SP_ERROR;
    if (dc->dcKind == DcKind::Preview) {
        auto page = std::make_shared<CMetafile>();
        cairo_destroy(dc->cr);
        dc->cr = nullptr;
        page->rec = std::make_shared<CRecording>(dc->vector);
        page->recording = dc->vector;
        dc->vector = nullptr;
        page->bounds = RECT{0, 0, dc->size.cx, dc->size.cy};
        dc->previewPages.push_back(page);
    } else {
        cairo_show_page(dc->cr);
        cairo_destroy(dc->cr);
        dc->cr = nullptr;
    }
    dc->pageStarted = false;
    dc->pages++;
    return 1;
}

int EndDoc(HDC hdc)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc || !dc->docStarted) return SP_ERROR;
    if (dc->pageStarted) EndPage(hdc);
    dc->docStarted = false;
    if (dc->dcKind == DcKind::Preview) return 1;
    cairo_surface_finish(dc->vector);
    bool ok = cairo_surface_status(dc->vector) == CAIRO_STATUS_SUCCESS;
    CloseSurface(*dc);
    if (!dc->tempFile.empty()) {
        ok = ok && RunLp(dc->printerName, dc->tempFile);
        unlink(dc->tempFile.c_str());
        dc->tempFile.clear();
    }
    return ok ? 1 : SP_ERROR;
}

int AbortDoc(HDC hdc)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc || !dc->docStarted) return SP_ERROR;
    bool preview = dc->dcKind == DcKind::Preview;
    CloseSurface(*dc);
    dc->docStarted = dc->pageStarted = false;
    if (!preview) unlink(dc->tempFile.empty() ? dc->outputFile.c_str() : dc->tempFile.c_str());
    dc->tempFile.clear();
    return 1;
}

int GetPreviewPageCount(HDC hdc)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    return dc && dc->dcKind == DcKind::Preview ? (int)dc->previewPages.size() : 0;
}

HENHMETAFILE GetPreviewPage(HDC hdc, int index)
{
    std::shared_ptr<CDc> dc = FindDc(hdc);
    if (!dc || dc->dcKind != DcKind::Preview || index < 0 || index >= (int)dc->previewPages.size()) return nullptr;
    const auto& p = dc->previewPages[(size_t)index];
    auto copy = std::make_shared<CMetafile>();
    copy->rec = p->rec;
    copy->recording = p->recording;
    copy->bounds = p->bounds;
    return (HENHMETAFILE)InsertObject(copy);
}
