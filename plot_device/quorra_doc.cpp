// The plot document.
#include "plot_device/quorra_doc.h"

IMPLEMENT_DYNCREATE(CQuorraDoc, CDocument)

BOOL CQuorraDoc::OnNewDocument()
{
    if (!CDocument::OnNewDocument()) return FALSE;
    ++m_nNewCount;
    return TRUE;
}

void CQuorraDoc::Serialize(CArchive&)
{
    // The plot file's body comes with the figure.
}
