#pragma once
// The "Properties" sheet of one plane: axes, objects and labels. The plane
// is live: host messages may remove it, or its objects, between any two
// messages the sheet dispatches. The view holds the figure busy while the
// sheet is open, so nothing it points at is freed, and every write first
// checks that the plane is still in the figure and the object in the plane.
#include <string>

#include "platform/afx/data_exchange.h"
#include "platform/afx/dialog.h"
#include "platform/afx/message_map.h"
#include "platform/afx/property_page.h"
#include "platform/afx/property_sheet.h"
#include "platform/afx/wnd.h"
#include "plot_device/quorra_resources.h"
#include "plot_device/style_combos.h"
#include "ui_controls/combos/color_combo.h"

class CPlotFigure;
class CPlotPlane;
class CGraphObject;
class CGraphSettingDlg;

// What every page shares: the plane, its figure, the liveness checks.
class CGraphsetPageBase : public CPropertyPage {
public:
    CGraphsetPageBase(UINT idTemplate, const char* caption, CPlotPlane* plane, CPlotFigure* figure);
    bool PlaneAlive() const;
    bool ObjectAlive(const CGraphObject* object) const;
    CGraphSettingDlg* Sheet() const;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

    CPlotPlane* m_plane;
    CPlotFigure* m_figure;

protected:
    // Redraws the plane's window after a write.
    void RedrawPlane();
};

class CGraphsetPage1 : public CGraphsetPageBase {
public:
    CGraphsetPage1(UINT idTemplate, CPlotPlane* plane, CPlotFigure* figure);
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnApply() override;
    void UpdateEnabling();

    int m_xLog = 0, m_xGrid = 0, m_xTicks = 0, m_xAutotick = 0;
    int m_yLog = 0, m_yGrid = 0, m_yTicks = 0, m_yAutotick = 0;
    int m_xCount = 0, m_yCount = 0;
    int m_xAutoscale = 0, m_yAutoscale = 0;
    double m_xMin = 0, m_xMax = 0, m_yMin = 0, m_yMax = 0;
    int m_equal = 0;
    int m_axisStyle = 0;

protected:
    void OnCheckChanged() { UpdateEnabling(); }
    DECLARE_MESSAGE_MAP()
};

class CGraphsetPage2 : public CGraphsetPageBase {
public:
    CGraphsetPage2(UINT idTemplate, CPlotPlane* plane, CPlotFigure* figure);
    BOOL OnInitDialog() override;
    BOOL OnApply() override;

    // The object the controls show, null for none.
    CGraphObject* m_current = nullptr;
    CLineStyleCombo m_lineStyle;
    CLineWidthCombo m_lineWidth;
    CPointStyleCombo m_pointStyle;
    CFillStyleCombo m_fillStyle;
    CColorCombo m_color;
    CColorCombo m_fillColor;

    void LoadObject(CGraphObject* object);
    void StoreObject(CGraphObject* object);

protected:
    void OnSelChange();
    void OnListDblClk();
    void OnLegendChange();
    void OnTypeChange();
    void OnFillStyleChange();
    void EnableControls(bool any);
    bool m_loading = false;
    DECLARE_MESSAGE_MAP()
};

class CGraphsetPage3 : public CGraphsetPageBase {
public:
    CGraphsetPage3(UINT idTemplate, CPlotPlane* plane, CPlotFigure* figure);
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnApply() override;

    std::string m_title, m_xLabel, m_yLabel;
    int m_titlePosition = 0, m_legendPosition = 0;
    int m_xOn = 0, m_yOn = 0;
    int m_precision = 6;
    std::string m_titleFace, m_axisFace, m_legendFace;
    int32_t m_titleSize = 0, m_axisSize = 0, m_legendSize = 0;

protected:
    void OnXCheck() { LabelSwitch(IDC_XLABEL_ON, IDC_XLABEL, "X"); }
    void OnYCheck() { LabelSwitch(IDC_YLABEL_ON, IDC_YLABEL, "Y"); }
    void OnXKillFocus() { LabelLeft(IDC_XLABEL_ON, IDC_XLABEL); }
    void OnYKillFocus() { LabelLeft(IDC_YLABEL_ON, IDC_YLABEL); }
    void OnTitleFont() { PickFont(m_titleFace, m_titleSize); }
    void OnAxisFont() { PickFont(m_axisFace, m_axisSize); }
    void OnLegendFont() { PickFont(m_legendFace, m_legendSize); }
    void LabelSwitch(int check, int edit, const char* letter);
    void LabelLeft(int check, int edit);
    void PickFont(std::string& face, int32_t& size);
    DECLARE_MESSAGE_MAP()
};

class CGraphSettingDlg : public CPropertySheet {
public:
    CGraphSettingDlg(CPlotPlane* plane, CPlotFigure* figure, CWnd* parent = nullptr);
    BOOL OnInitDialog() override;

    CGraphsetPage1 m_page1;
    CGraphsetPage2 m_page2;
    CGraphsetPage3 m_page3;
    // Set by the axes page when its apply autoscaled the plane.
    bool m_autoscaleAfterApply = false;
};

// The data and screen points of one object, side by side.
class CPointsDlg : public CDialog {
public:
    explicit CPointsDlg(CWnd* parent = nullptr);
    INT_PTR DoModal(const CGraphObject* object);
    BOOL OnInitDialog() override;

    const CGraphObject* m_object = nullptr;
};

// One list line of the points dialog: "i\t(x, y)", numbers in the stream's
// default form, INF, -INF and NAN spelled as the system writes them.
std::string PointsDlgLine(size_t index, double x, double y);
