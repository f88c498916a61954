// The plot document.
#include "plot_device/quorra_doc.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/afx/win_app.h"
#include "platform/afx/win_thread.h"
#include "plot_device/quorra_view.h"

IMPLEMENT_DYNCREATE(CQuorraDoc, CDocument)

namespace {

const char kWriteFailed[] = "Failed to write a quorra file";
const char kReadFailed[] = "Failed to read a quorra file";

// The figure of a scratch load: no window, nothing drawn.
class CScratchFigure : public CPlotFigure {};

}  // namespace

BOOL CQuorraDoc::OnNewDocument()
{
    if (!CDocument::OnNewDocument()) return FALSE;
    ++m_nNewCount;
    return TRUE;
}

void CQuorraDoc::Serialize(CArchive&)
{
    // The plot file is read and written whole by OnOpenDocument and OnSaveDocument.
}

CQuorraView* CQuorraDoc::GetFirstView() const
{
    return m_views.empty() ? nullptr : dynamic_cast<CQuorraView*>(m_views.front());
}

void CQuorraDoc::DeleteContents()
{
    if (CQuorraView* view = GetFirstView()) view->Reset();
    CDocument::DeleteContents();
}

BOOL CQuorraDoc::CanCloseFrame(CFrameWnd* frame)
{
    // The figure is the program's output, never the user's unsaved work.
    SetModifiedFlag(FALSE);
    return CDocument::CanCloseFrame(frame);
}

BOOL CQuorraDoc::OnSaveDocument(const char* path)
{
    SetModifiedFlag(FALSE);
    CQuorraView* view = GetFirstView();
    CWinThread* thread = AfxGetThread();
    CWnd* main = thread ? thread->m_pMainWnd : nullptr;
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (!main || !main->m_hWnd || !GetWindowPlacement(main->m_hWnd, &wp)) {
        wp = WINDOWPLACEMENT{};
        wp.length = sizeof wp;
    }
    m_placement = wp;
    // Atomic: a failed write leaves the old file as it was.
    const bool ok = view && AfxWriteFileAtomically(path, [&](int fd) { return WritePlotFile(*view, m_placement, fd); });
    if (!ok) AfxMessageBox(kWriteFailed);
    return ok;
}

BOOL CQuorraDoc::OnOpenDocument(const char* path)
{
    std::string bytes;
    CScratchFigure scratch;
    WINDOWPLACEMENT wp{};
    CQuorraView* view = GetFirstView();
    // The old figure stays until the whole file has been read.
    if (!view || !AfxReadWholeFile(path, bytes) || !ReadPlotFile(bytes, wp, scratch)) {
        AfxMessageBox(kReadFailed);
        return FALSE;
    }
    view->TakeFileContent(scratch);
    m_placement = wp;
    SetModifiedFlag(FALSE);
    view->Redraw(nullptr);
    return TRUE;
}
