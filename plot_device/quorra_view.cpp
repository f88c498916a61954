// The plot view.
#include "plot_device/quorra_view.h"

#include "plot_device/quorra_doc.h"

IMPLEMENT_DYNCREATE(CQuorraView, CView)

CQuorraDoc* CQuorraView::GetDocument() const { return static_cast<CQuorraDoc*>(m_pDocument); }

void CQuorraView::OnDraw(CDC*) {}
