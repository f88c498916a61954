#pragma once
// The plot view: a plain view that is the figure the device messages change,
// and draws it.
#include "platform/afx/afx.h"
#include "plot_device/plot_figure.h"

class CQuorraDoc;

class CQuorraView : public CView, public CPlotFigure {
    DECLARE_DYNCREATE(CQuorraView)
public:
    CQuorraDoc* GetDocument() const;
    void OnDraw(CDC* dc) override;
    void OnTimer(UINT_PTR id);

    void GetFigureClientRect(RECT* r) override;
    HWND GetFigureWindow() override { return m_hWnd; }
    void Redraw(const RECT* r) override;
    void SetFigureTitle(const std::string& text) override;
    UINT_PTR SetFigureTimer(UINT_PTR id, UINT ms) override { return m_hWnd ? CWnd::SetTimer(id, ms) : 0; }
    void ShowReadout(const std::string& text) override;
    bool KillFigureTimer(UINT_PTR id) override { return m_hWnd && CWnd::KillTimer(id); }

protected:
    DECLARE_MESSAGE_MAP()
};
