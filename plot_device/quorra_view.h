#pragma once
// The plot view: a scrolling view that is the figure the device messages
// change. It draws the figure, routes the mouse to the planes' graphs and
// runs the plane commands (modes, zoom, pan, fit, pointers).
#include "platform/afx/cmd_ui.h"
#include "platform/afx/dc.h"
#include "platform/afx/message_map.h"
#include "platform/afx/object.h"
#include "platform/afx/print_info.h"
#include "platform/afx/scroll_view.h"
#include "platform/afx/wnd.h"
#include "plot_device/plot_figure.h"

class CQuorraDoc;

class CQuorraView : public CScrollView, public CPlotFigure {
    DECLARE_DYNCREATE(CQuorraView)
public:
    enum { MODE_EDIT = 1, MODE_SCALE = 2, MODE_SELECT = 3 };

    CQuorraDoc* GetDocument() const;
    void OnDraw(CDC* dc) override;
    BOOL OnPreparePrinting(CPrintInfo* info) override;
    void OnBeginPrinting(CDC* dc, CPrintInfo* info) override;
    void OnPrint(CDC* dc, CPrintInfo* info) override;
    void SetPrintMapping(HDC dc);
    void OnInitialUpdate() override;
    void OnTimer(UINT_PTR id);

    void SetViewSize(int width, int height) override;
    void GetFigureClientRect(RECT* r) override;
    HWND GetFigureWindow() override { return m_hWnd; }
    void PrepareDC(HDC dc) override;
    void Redraw(const RECT* r) override;
    void SetFigureTitle(const std::string& text) override;
    UINT_PTR SetFigureTimer(UINT_PTR id, UINT ms) override { return m_hWnd ? CWnd::SetTimer(id, ms) : 0; }
    void ShowReadout(const std::string& text) override;
    int CommittedMouseMode() const override { return m_mode == MODE_EDIT ? 2 : 1; }
    void OnObjectCommitted(CGraphObject& o) override { o.flagB = m_mode == MODE_EDIT ? 1 : 0; }
    bool KillFigureTimer(UINT_PTR id) override { return m_hWnd && CWnd::KillTimer(id); }

    BOOL OnEraseBkgnd(HDC) { return FALSE; }
    void OnSize(UINT type, int cx, int cy);
    void OnLButtonDown(UINT flags, POINT pt);
    void OnLButtonUp(UINT flags, POINT pt);
    void OnLButtonDblClk(UINT flags, POINT pt);
    void OnRButtonDown(UINT flags, POINT pt);
    void OnRButtonUp(UINT flags, POINT pt);
    void OnMouseMove(UINT flags, POINT pt);
    void OnKeyDown(UINT key, UINT repeat, UINT flags);

    void OnModeSelect() { SetMode(MODE_SELECT); }
    void OnModeScale() { SetMode(MODE_SCALE); }
    void OnModeEdit() { SetMode(MODE_EDIT); }
    void OnUpdateModeSelect(CCmdUI* ui) { ui->SetCheck(m_mode == MODE_SELECT); }
    void OnUpdateModeScale(CCmdUI* ui) { ui->SetCheck(m_mode == MODE_SCALE); }
    void OnUpdateModeEdit(CCmdUI* ui) { ui->SetCheck(m_mode == MODE_EDIT); }
    void OnUpdateDisabled(CCmdUI* ui) { ui->Enable(FALSE); }
    void OnUpdateHasPlanes(CCmdUI* ui) { ui->Enable(!m_planes.empty()); }
    void OnPlotProperties();
    void OnUpdatePlotProperties(CCmdUI* ui) { ui->Enable(FirstSelected() != nullptr); }
    void OnZoomIn() { PlaneCommand([](CPlotPlane& p) { return p.Zoom(0.1); }); }
    void OnZoomOut() { PlaneCommand([](CPlotPlane& p) { return p.Zoom(-0.1); }); }
    void OnZoomInX() { PlaneCommand([](CPlotPlane& p) { return p.ZoomX(0.1); }); }
    void OnZoomInY() { PlaneCommand([](CPlotPlane& p) { return p.ZoomY(0.1); }); }
    void OnZoomOutX() { PlaneCommand([](CPlotPlane& p) { return p.ZoomX(-0.1); }); }
    void OnZoomOutY() { PlaneCommand([](CPlotPlane& p) { return p.ZoomY(-0.1); }); }
    void OnOpenRight() { PlaneCommand([](CPlotPlane& p) { return p.PanX(0.1); }); }
    void OnOpenLeft() { PlaneCommand([](CPlotPlane& p) { return p.PanX(-0.1); }); }
    void OnOpenTop() { PlaneCommand([](CPlotPlane& p) { return p.PanY(0.1); }); }
    void OnOpenBottom() { PlaneCommand([](CPlotPlane& p) { return p.PanY(-0.1); }); }
    void OnZoomFit() { PlaneCommand([](CPlotPlane& p) { return p.ZoomToFit(); }); }
    void OnPointerAdd();
    void OnPointersClear();
    void OnPointerDelete();
    void OnEditCopy();
    void OnPrintPreview();

    void SetMode(int mode);
    CPlotPlane* FirstSelected() const;

    // A plane's copy laid out on the page: printing draws only the copies, so
    // planes deleted between preview pages are never touched.
    struct PrintRecord {
        CPlotPlane* plane;
        std::unique_ptr<CGraph> copy;
    };
    std::vector<PrintRecord> m_printPlanes;
    RECT m_printRect{0, 0, 0, 0};
    SIZE m_pageSize{2100, 2970};

    int m_mode = MODE_SELECT;
    CGraphObject* m_pointerObject = nullptr;

protected:
    DECLARE_MESSAGE_MAP()

private:
    template <class F>
    void PlaneCommand(F op);
    // Holds the figure busy for a handler's whole run.
    struct Busy {
        CPlotFigure& f;
        explicit Busy(CPlotFigure& figure) : f(figure) { f.EnterBusy(); }
        ~Busy() { f.LeaveBusy(); }
    };
};

template <class F>
void CQuorraView::PlaneCommand(F op)
{
    if (CPlotPlane* p = FirstSelected()) {
        op(*p);
        RECT r = CGraph::WithDrawnEdges(p->plotRect);
        Redraw(&r);
        return;
    }
    for (CPlotPlane* p : PlaneSnapshot()) op(*p);
    Redraw(nullptr);
}
