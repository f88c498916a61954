// The graph settings sheet and the points dialog.
#include "plot_device/graph_setting_dlg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale>
#include <sstream>

#include "graphics/graph_object.h"
#include "platform/afx/font_dialog.h"
#include "platform/controls/controls.h"
#include "platform/user/cursor.h"
#include "plot_device/plot_figure.h"
#include "plot_device/plot_plane.h"

namespace {

bool Checked(HWND dlg, int id) { return ::SendMessage(::GetDlgItem(dlg, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
void SetChecked(HWND dlg, int id, bool on)
{
    ::SendMessage(::GetDlgItem(dlg, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}
void Enable(HWND dlg, int id, bool on) { ::EnableWindow(::GetDlgItem(dlg, id), on); }

// Selects the first item whose data is value; none: no selection.
void SelectItemData(CComboBox& combo, LONG_PTR value)
{
    const int n = combo.GetCount();
    for (int i = 0; i < n; i++)
        if ((LONG_PTR)combo.GetItemData(i) == value) {
            combo.SetCurSel(i);
            return;
        }
    combo.SetCurSel(-1);
}

// The index when it is an item of the combo, else no selection.
void SelectIndex(CComboBox& combo, int index) { combo.SetCurSel(index >= 0 && index < combo.GetCount() ? index : -1); }

std::string NumberText(double v)
{
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
    std::ostringstream s;
    s.imbue(std::locale::classic());
    s << v;
    return s.str();
}

// Keeps a list box from repainting while it is filled.
struct NoRedraw {
    HWND w;
    explicit NoRedraw(HWND h) : w(h) { ::SendMessage(w, WM_SETREDRAW, FALSE, 0); }
    ~NoRedraw()
    {
        ::SendMessage(w, WM_SETREDRAW, TRUE, 0);
        ::InvalidateRect(w, nullptr, TRUE);
    }
};

}  // namespace

std::string PointsDlgLine(size_t index, double x, double y)
{
    std::ostringstream s;
    s.imbue(std::locale::classic());
    s << index << '\t' << '(' << NumberText(x) << ", " << NumberText(y) << ')';
    return s.str();
}

// ---- shared page ----

CGraphsetPageBase::CGraphsetPageBase(UINT idTemplate, const char* caption, CPlotPlane* plane, CPlotFigure* figure)
    : CPropertyPage(idTemplate, caption), m_plane(plane), m_figure(figure)
{
}

bool CGraphsetPageBase::PlaneAlive() const
{
    if (!m_plane || !m_figure) return false;
    for (const auto& p : m_figure->m_planes)
        if (p.get() == m_plane) return true;
    return false;
}

bool CGraphsetPageBase::ObjectAlive(const CGraphObject* object) const
{
    if (!object || !PlaneAlive()) return false;
    for (const auto& o : m_plane->objects)
        if (o.get() == object) return true;
    return false;
}

CGraphSettingDlg* CGraphsetPageBase::Sheet() const { return static_cast<CGraphSettingDlg*>(m_pSheet); }

BOOL CGraphsetPageBase::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // Any edit, click or choice makes Apply available.
    const UINT code = HIWORD(wParam);
    if (lParam && (code == BN_CLICKED || code == EN_CHANGE || code == CBN_SELCHANGE || code == LBN_SELCHANGE))
        SetModified(TRUE);
    return CPropertyPage::OnCommand(wParam, lParam);
}

void CGraphsetPageBase::RedrawPlane()
{
    if (m_figure) m_figure->Redraw(nullptr);
}

// ---- "Axes" ----

BEGIN_MESSAGE_MAP(CGraphsetPage1, CPropertyPage)
    ON_BN_CLICKED(IDC_X_AUTOTICK, OnCheckChanged)
    ON_BN_CLICKED(IDC_Y_AUTOTICK, OnCheckChanged)
    ON_BN_CLICKED(IDC_X_AUTOSCALE, OnCheckChanged)
    ON_BN_CLICKED(IDC_Y_AUTOSCALE, OnCheckChanged)
END_MESSAGE_MAP()

CGraphsetPage1::CGraphsetPage1(UINT idTemplate, CPlotPlane* plane, CPlotFigure* figure)
    : CGraphsetPageBase(idTemplate, "Axes", plane, figure)
{
}

BOOL CGraphsetPage1::OnInitDialog()
{
    HWND self = m_hWnd;
    const std::pair<int, int> spins[] = {{IDC_X_DIVSPIN, IDC_X_DIVCOUNT}, {IDC_Y_DIVSPIN, IDC_Y_DIVCOUNT}};
    for (auto [spin, buddy] : spins) {
        ::SendMessage(::GetDlgItem(self, spin), UDM_SETBUDDY, (WPARAM)::GetDlgItem(self, buddy), 0);
        ::SendMessage(::GetDlgItem(self, spin), UDM_SETRANGE32, 0, 100);
    }
    if (m_plane) {
        const CPlotPlane& p = *m_plane;
        m_xTicks = p.xTickCount != 0;
        m_yTicks = p.yTickCount != 0;
        m_xCount = p.xTickCount;
        m_yCount = p.yTickCount;
        m_xAutotick = (p.xAxisFlags & AXIS_AUTO_TICKS) != 0;
        m_yAutotick = (p.yAxisFlags & AXIS_AUTO_TICKS) != 0;
        m_xGrid = (p.xAxisFlags & AXIS_GRID) != 0;
        m_yGrid = (p.yAxisFlags & AXIS_GRID) != 0;
        m_xLog = p.xLog != 0;
        m_yLog = p.yLog != 0;
        m_equal = p.equalAxes != 0;
        m_xMin = p.limits[BOX_LEFT];
        m_xMax = p.limits[BOX_RIGHT];
        m_yMin = p.limits[BOX_BOTTOM];
        m_yMax = p.limits[BOX_TOP];
        m_axisStyle = p.AxisStyleInUse();
    }
    CPropertyPage::OnInitDialog();
    UpdateEnabling();
    SetModified(FALSE);
    return TRUE;
}

void CGraphsetPage1::UpdateEnabling()
{
    HWND self = m_hWnd;
    const bool xAuto = Checked(self, IDC_X_AUTOTICK), yAuto = Checked(self, IDC_Y_AUTOTICK);
    Enable(self, IDC_X_DIVCOUNT, !xAuto);
    Enable(self, IDC_X_DIVSPIN, !xAuto);
    Enable(self, IDC_Y_DIVCOUNT, !yAuto);
    Enable(self, IDC_Y_DIVSPIN, !yAuto);
    const bool xScale = Checked(self, IDC_X_AUTOSCALE), yScale = Checked(self, IDC_Y_AUTOSCALE);
    Enable(self, IDC_X_MIN, !xScale);
    Enable(self, IDC_X_MAX, !xScale);
    Enable(self, IDC_Y_MIN, !yScale);
    Enable(self, IDC_Y_MAX, !yScale);
}

void CGraphsetPage1::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Check(pDX, IDC_X_LOG, m_xLog);
    DDX_Check(pDX, IDC_X_GRID, m_xGrid);
    DDX_Check(pDX, IDC_X_TICKS, m_xTicks);
    DDX_Check(pDX, IDC_X_AUTOTICK, m_xAutotick);
    DDX_Check(pDX, IDC_Y_LOG, m_yLog);
    DDX_Check(pDX, IDC_Y_GRID, m_yGrid);
    DDX_Check(pDX, IDC_Y_TICKS, m_yTicks);
    DDX_Check(pDX, IDC_Y_AUTOTICK, m_yAutotick);
    DDX_Text(pDX, IDC_X_DIVCOUNT, m_xCount);
    DDV_MinMaxInt(pDX, m_xCount, 0, 100);
    DDX_Text(pDX, IDC_Y_DIVCOUNT, m_yCount);
    DDV_MinMaxInt(pDX, m_yCount, 0, 100);
    DDX_Check(pDX, IDC_X_AUTOSCALE, m_xAutoscale);
    DDX_Check(pDX, IDC_Y_AUTOSCALE, m_yAutoscale);
    DDX_Text(pDX, IDC_X_MIN, m_xMin);
    DDX_Text(pDX, IDC_X_MAX, m_xMax);
    DDX_Text(pDX, IDC_Y_MIN, m_yMin);
    DDX_Text(pDX, IDC_Y_MAX, m_yMax);
    DDX_Check(pDX, IDC_EQUAL, m_equal);
    DDX_Radio(pDX, IDC_STYLE_NONE, m_axisStyle);
}

BOOL CGraphsetPage1::OnApply()
{
    if (!PlaneAlive()) return CPropertyPage::OnApply();
    CPlotPlane& p = *m_plane;
    const uint8_t style = m_axisStyle >= AXIS_NONE && m_axisStyle <= AXIS_POLAR ? (uint8_t)m_axisStyle : p.axisStyle;
    // Decided from the plane's state before anything is written.
    const bool autoscale = (m_xLog != 0) != (p.xLog != 0) || (m_yLog != 0) != (p.yLog != 0) ||
                           (style == AXIS_POLAR) != (p.axisStyle == AXIS_POLAR);
    if (CGraphSettingDlg* sheet = Sheet()) sheet->m_autoscaleAfterApply = autoscale;

    auto flags = [](uint8_t byte, int autotick, int grid) {
        byte &= (uint8_t)~(AXIS_AUTO_TICKS | AXIS_GRID);
        if (autotick) byte |= AXIS_AUTO_TICKS;
        if (grid) byte |= AXIS_GRID;
        return byte;
    };
    p.xAxisFlags = flags(p.xAxisFlags, m_xAutotick, m_xGrid);
    p.yAxisFlags = flags(p.yAxisFlags, m_yAutotick, m_yGrid);
    p.xLog = m_xLog ? 10 : 0;
    p.yLog = m_yLog ? 10 : 0;
    p.equalAxes = m_equal ? 1 : 0;
    p.xTickCount = m_xTicks ? m_xCount : 0;
    p.yTickCount = m_yTicks ? m_yCount : 0;
    // The style goes in before the limits: a plane switched to polar is
    // autoscaled to its polar bounds, not to the cartesian ones.
    p.axisStyle = style;
    if (autoscale) {
        p.AutoScale(0.05);
    } else {
        double box[4];
        box[BOX_LEFT] = m_xMin;
        box[BOX_TOP] = m_yMax;
        box[BOX_RIGHT] = m_xMax;
        box[BOX_BOTTOM] = m_yMin;
        p.AutoScale(0.05, box);
    }
    if (p.hwnd && ::IsWindow(p.hwnd)) {
        RECT rc{};
        ::GetClientRect(p.hwnd, &rc);
        ::SendMessage(p.hwnd, WM_SIZE, SIZE_RESTORED, (LPARAM)(DWORD)MAKELONG((WORD)(rc.right - rc.left), (WORD)(rc.bottom - rc.top)));
        ::InvalidateRect(p.hwnd, nullptr, TRUE);
    } else if (PlaneAlive()) {
        p.Resize(p.outerRect);
    }
    return CPropertyPage::OnApply();
}

// ---- "Objects" ----

BEGIN_MESSAGE_MAP(CGraphsetPage2, CPropertyPage)
    ON_CONTROL(LBN_SELCHANGE, IDC_OBJECT_LIST, OnSelChange)
    ON_CONTROL(LBN_DBLCLK, IDC_OBJECT_LIST, OnListDblClk)
    ON_CONTROL(EN_CHANGE, IDC_LEGEND, OnLegendChange)
    ON_CONTROL(CBN_SELCHANGE, IDC_OBJECT_TYPE, OnTypeChange)
    ON_CONTROL(CBN_SELCHANGE, IDC_FILL_STYLE, OnFillStyleChange)
END_MESSAGE_MAP()

CGraphsetPage2::CGraphsetPage2(UINT idTemplate, CPlotPlane* plane, CPlotFigure* figure)
    : CGraphsetPageBase(idTemplate, "Objects", plane, figure)
{
}

BOOL CGraphsetPage2::OnInitDialog()
{
    CPropertyPage::OnInitDialog();
    HWND self = m_hWnd;
    m_lineStyle.SubclassDlgItem(IDC_LINE_STYLE, this);
    m_lineWidth.SubclassDlgItem(IDC_LINE_WIDTH, this);
    m_pointStyle.SubclassDlgItem(IDC_POINT_STYLE, this);
    m_fillStyle.SubclassDlgItem(IDC_FILL_STYLE, this);
    m_color.SubclassDlgItem(IDC_OBJECT_COLOR, this);
    m_fillColor.SubclassDlgItem(IDC_FILL_COLOR, this);
    HWND type = ::GetDlgItem(self, IDC_OBJECT_TYPE);
    for (const char* s : {"Points", "Line", "Region", "Vector"}) ::SendMessage(type, CB_ADDSTRING, 0, (LPARAM)s);
    ::SendMessage(::GetDlgItem(self, IDC_LEGEND), EM_LIMITTEXT, 40, 0);

    HWND list = ::GetDlgItem(self, IDC_OBJECT_LIST);
    if (PlaneAlive()) {
        NoRedraw quiet(list);
        for (const auto& o : m_plane->objects) {
            const int at = (int)::SendMessage(list, LB_ADDSTRING, 0, (LPARAM)o->legend.c_str());
            if (at < 0) break;
            ::SendMessage(list, LB_SETITEMDATA, (WPARAM)at, (LPARAM)o.get());
            ::SendMessage(list, LB_SETCHECK, (WPARAM)at, o->inLegend ? 1 : 0);
        }
    }
    if (::SendMessage(list, LB_GETCOUNT, 0, 0) > 0) {
        ::SendMessage(list, LB_SETCURSEL, 0, 0);
        m_current = reinterpret_cast<CGraphObject*>(::SendMessage(list, LB_GETITEMDATA, 0, 0));
        LoadObject(m_current);
    } else {
        EnableControls(false);
    }
    SetModified(FALSE);
    return TRUE;
}

void CGraphsetPage2::EnableControls(bool any)
{
    for (int id : {IDC_LEGEND, IDC_OBJECT_TYPE, IDC_LINE_STYLE, IDC_OBJECT_COLOR, IDC_POINT_STYLE, IDC_LINE_WIDTH,
                   IDC_FILL_STYLE, IDC_FILL_COLOR, IDC_SHOW_COORDS})
        Enable(m_hWnd, id, any);
}

void CGraphsetPage2::LoadObject(CGraphObject* o)
{
    if (!ObjectAlive(o)) return;
    HWND self = m_hWnd;
    m_loading = true;
    SetDlgItemText(IDC_LEGEND, o->legend);
    const int kind = o->kind == 4 ? 1 : o->kind;
    ::SendMessage(::GetDlgItem(self, IDC_OBJECT_TYPE), CB_SETCURSEL, (WPARAM)(kind <= 3 ? kind : -1), 0);
    SelectItemData(m_lineStyle, o->penStyle);
    SelectIndex(m_pointStyle, o->marker);
    SelectIndex(m_lineWidth, o->penWidth);
    m_color.SetSelectedColor(o->color);
    m_fillColor.SetSelectedColor(o->fillColor);
    m_fillStyle.SelectByData(o->fillStyle);
    SetChecked(self, IDC_SHOW_COORDS, o->markerAux != 0);
    m_loading = false;
    const bool region = o->kind == 2;
    Enable(self, IDC_FILL_STYLE, region);
    Enable(self, IDC_FILL_COLOR, region && o->fillStyle != -2);
}

void CGraphsetPage2::StoreObject(CGraphObject* o)
{
    // The object may have gone from the plane since it was chosen.
    if (!ObjectAlive(o)) return;
    HWND self = m_hWnd;
    o->legend = GetDlgItemText(IDC_LEGEND);
    o->inLegend = o->legend.empty() ? 0 : 1;
    // A combo with no selection leaves its field as it was: a value from a
    // file that the list does not hold stays intact.
    const int type = (int)::SendMessage(::GetDlgItem(self, IDC_OBJECT_TYPE), CB_GETCURSEL, 0, 0);
    if (type >= 0 && !(o->kind == 4 && type == 1)) o->kind = (uint8_t)type;
    if (m_lineStyle.GetCurSel() >= 0) o->penStyle = m_lineStyle.GetSelectedStyle();
    if (m_pointStyle.GetCurSel() >= 0) o->marker = (uint8_t)m_pointStyle.GetCurSel();
    if (m_lineWidth.GetCurSel() >= 0) o->penWidth = m_lineWidth.GetCurSel();
    if (m_color.GetCurSel() >= 0) o->color = m_color.GetSelectedColor();
    if (m_fillColor.GetCurSel() >= 0) o->fillColor = m_fillColor.GetSelectedColor();
    const int fill = m_fillStyle.GetCurSel();
    if (fill >= 0) o->fillStyle = (int16_t)(LONG_PTR)m_fillStyle.GetItemData(fill);
    o->markerAux = Checked(self, IDC_SHOW_COORDS) ? 1 : 0;
}

void CGraphsetPage2::OnSelChange()
{
    HWND list = ::GetDlgItem(m_hWnd, IDC_OBJECT_LIST);
    StoreObject(m_current);
    const LRESULT sel = ::SendMessage(list, LB_GETCURSEL, 0, 0);
    m_current = sel >= 0 ? reinterpret_cast<CGraphObject*>(::SendMessage(list, LB_GETITEMDATA, (WPARAM)sel, 0)) : nullptr;
    LoadObject(m_current);
}

void CGraphsetPage2::OnListDblClk()
{
    HWND list = ::GetDlgItem(m_hWnd, IDC_OBJECT_LIST);
    const LRESULT sel = ::SendMessage(list, LB_GETCURSEL, 0, 0);
    if (sel < 0) return;
    auto* o = reinterpret_cast<CGraphObject*>(::SendMessage(list, LB_GETITEMDATA, (WPARAM)sel, 0));
    if (!ObjectAlive(o)) return;
    CPointsDlg dlg(this);
    dlg.DoModal(o);
}

void CGraphsetPage2::OnLegendChange()
{
    if (m_loading) return;
    HWND list = ::GetDlgItem(m_hWnd, IDC_OBJECT_LIST);
    const LRESULT sel = ::SendMessage(list, LB_GETCURSEL, 0, 0);
    if (sel < 0) return;
    const std::string text = GetDlgItemText(IDC_LEGEND);
    const LRESULT data = ::SendMessage(list, LB_GETITEMDATA, (WPARAM)sel, 0);
    const LRESULT check = ::SendMessage(list, LB_GETCHECK, (WPARAM)sel, 0);
    NoRedraw quiet(list);
    ::SendMessage(list, LB_DELETESTRING, (WPARAM)sel, 0);
    const LRESULT at = ::SendMessage(list, LB_INSERTSTRING, (WPARAM)sel, (LPARAM)text.c_str());
    if (at < 0) return;
    ::SendMessage(list, LB_SETITEMDATA, (WPARAM)at, data);
    ::SendMessage(list, LB_SETCHECK, (WPARAM)at, check);
    ::SendMessage(list, LB_SETCURSEL, (WPARAM)at, 0);
}

void CGraphsetPage2::OnTypeChange()
{
    const bool region = ::SendMessage(::GetDlgItem(m_hWnd, IDC_OBJECT_TYPE), CB_GETCURSEL, 0, 0) == 2;
    Enable(m_hWnd, IDC_FILL_STYLE, region);
    Enable(m_hWnd, IDC_FILL_COLOR, region);
}

void CGraphsetPage2::OnFillStyleChange()
{
    const int sel = m_fillStyle.GetCurSel();
    Enable(m_hWnd, IDC_FILL_COLOR, !(sel >= 0 && (LONG_PTR)m_fillStyle.GetItemData(sel) == -2));
}

BOOL CGraphsetPage2::OnApply()
{
    if (m_current && ObjectAlive(m_current)) {
        StoreObject(m_current);
        m_plane->Rescale();
        RedrawPlane();
    }
    return CPropertyPage::OnApply();
}

// ---- "Labels" ----

BEGIN_MESSAGE_MAP(CGraphsetPage3, CPropertyPage)
    ON_BN_CLICKED(IDC_XLABEL_ON, OnXCheck)
    ON_BN_CLICKED(IDC_YLABEL_ON, OnYCheck)
    ON_CONTROL(EN_KILLFOCUS, IDC_XLABEL, OnXKillFocus)
    ON_CONTROL(EN_KILLFOCUS, IDC_YLABEL, OnYKillFocus)
    ON_BN_CLICKED(IDC_TITLE_FONT, OnTitleFont)
    ON_BN_CLICKED(IDC_AXIS_FONT, OnAxisFont)
    ON_BN_CLICKED(IDC_LEGEND_FONT, OnLegendFont)
END_MESSAGE_MAP()

CGraphsetPage3::CGraphsetPage3(UINT idTemplate, CPlotPlane* plane, CPlotFigure* figure)
    : CGraphsetPageBase(idTemplate, "Labels", plane, figure)
{
}

BOOL CGraphsetPage3::OnInitDialog()
{
    HWND self = m_hWnd;
    ::SendMessage(::GetDlgItem(self, IDC_PRECISION_SPIN), UDM_SETBUDDY, (WPARAM)::GetDlgItem(self, IDC_PRECISION), 0);
    ::SendMessage(::GetDlgItem(self, IDC_PRECISION_SPIN), UDM_SETRANGE32, 0, 15);
    ::SendMessage(::GetDlgItem(self, IDC_TITLE), EM_LIMITTEXT, 255, 0);
    ::SendMessage(::GetDlgItem(self, IDC_XLABEL), EM_LIMITTEXT, 40, 0);
    ::SendMessage(::GetDlgItem(self, IDC_YLABEL), EM_LIMITTEXT, 40, 0);
    if (m_plane) {
        const CPlotPlane& p = *m_plane;
        m_titleFace = p.titleFont;
        m_titleSize = p.titleFontSize;
        m_axisFace = p.axisFont;
        m_axisSize = p.axisFontSize;
        m_legendFace = p.legendFont;
        m_legendSize = p.legendFontSize;
        m_title = p.title;
        m_xLabel = p.xLabel;
        m_yLabel = p.yLabel;
        m_titlePosition = p.titlePosition <= 2 ? p.titlePosition : -1;
        m_legendPosition = p.legendPosition <= 4 ? p.legendPosition : -1;
        m_precision = p.numberFormat.size() > 2 ? std::atoi(p.numberFormat.c_str() + 2) : 6;
        m_xOn = !m_xLabel.empty();
        m_yOn = !m_yLabel.empty();
    }
    CPropertyPage::OnInitDialog();
    Enable(self, IDC_XLABEL, m_xOn != 0);
    Enable(self, IDC_YLABEL, m_yOn != 0);
    SetModified(FALSE);
    return TRUE;
}

void CGraphsetPage3::DoDataExchange(CDataExchange* pDX)
{
    CPropertyPage::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_TITLE, m_title);
    DDV_MaxChars(pDX, m_title, 255);
    DDX_Radio(pDX, IDC_TITLE_HIDE, m_titlePosition);
    DDX_Check(pDX, IDC_XLABEL_ON, m_xOn);
    DDX_Check(pDX, IDC_YLABEL_ON, m_yOn);
    DDX_Text(pDX, IDC_XLABEL, m_xLabel);
    DDV_MaxChars(pDX, m_xLabel, 40);
    DDX_Text(pDX, IDC_YLABEL, m_yLabel);
    DDV_MaxChars(pDX, m_yLabel, 40);
    DDX_Text(pDX, IDC_PRECISION, m_precision);
    DDV_MinMaxInt(pDX, m_precision, 0, 15);
    DDX_Radio(pDX, IDC_LEGEND_HIDE, m_legendPosition);
}

void CGraphsetPage3::LabelSwitch(int check, int edit, const char* letter)
{
    const bool on = Checked(m_hWnd, check);
    Enable(m_hWnd, edit, on);
    SetDlgItemText(edit, on ? letter : "");
}

void CGraphsetPage3::LabelLeft(int check, int edit)
{
    if (!GetDlgItemText(edit).empty()) return;
    SetChecked(m_hWnd, check, false);
    Enable(m_hWnd, edit, false);
}

void CGraphsetPage3::PickFont(std::string& face, int32_t& size)
{
    LOGFONT lf{};
    std::strncpy(lf.lfFaceName, face.c_str(), sizeof lf.lfFaceName - 1);
    lf.lfHeight = size;
    lf.lfWeight = 300;
    CFontDialog dlg(&lf, CF_SCREENFONTS, this);
    if (dlg.DoModal() != IDOK) return;
    // Stored as returned: a negative height is a character height.
    face = dlg.m_lf.lfFaceName;
    size = dlg.m_lf.lfHeight;
    SetModified(TRUE);
}

BOOL CGraphsetPage3::OnApply()
{
    if (!PlaneAlive()) return CPropertyPage::OnApply();
    CPlotPlane& p = *m_plane;
    p.title = m_title;
    if (m_titlePosition >= 0) p.titlePosition = (uint8_t)m_titlePosition;
    p.xLabel = m_xOn ? m_xLabel : std::string();
    p.yLabel = m_yOn ? m_yLabel : std::string();
    p.titleFont = m_titleFace;
    p.titleFontSize = m_titleSize;
    p.axisFont = m_axisFace;
    p.axisFontSize = m_axisSize;
    p.legendFont = m_legendFace;
    p.legendFontSize = m_legendSize;
    if (m_legendPosition >= 0) p.legendPosition = (uint8_t)m_legendPosition;
    char format[16];
    std::snprintf(format, sizeof format, "%%.%dg", m_precision);
    p.numberFormat = format;
    p.Resize(p.outerRect);
    RedrawPlane();
    return CPropertyPage::OnApply();
}

// ---- the sheet ----

CGraphSettingDlg::CGraphSettingDlg(CPlotPlane* plane, CPlotFigure* figure, CWnd* parent)
    : CPropertySheet("Properties", parent),
      m_page1(IDD_GRAPHSET_AXES, plane, figure),
      m_page2(IDD_GRAPHSET_OBJECTS, plane, figure),
      m_page3(IDD_GRAPHSET_LABELS, plane, figure)
{
    AddPage(&m_page1);
    AddPage(&m_page2);
    AddPage(&m_page3);
}

BOOL CGraphSettingDlg::OnInitDialog()
{
    CPropertySheet::OnInitDialog();
    SetDlgItemText(IDCANCEL, "&Cancel");
    return TRUE;
}

// ---- the points dialog ----

CPointsDlg::CPointsDlg(CWnd* parent) : CDialog(IDD_POINTS, parent) {}

INT_PTR CPointsDlg::DoModal(const CGraphObject* object)
{
    m_object = object;
    return CDialog::DoModal();
}

BOOL CPointsDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    HCURSOR old = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
    HWND all = ::GetDlgItem(m_hWnd, IDC_ALL_POINTS), screen = ::GetDlgItem(m_hWnd, IDC_SCREEN_POINTS);
    if (m_object) {
        {
            NoRedraw quiet(all);
            const Point2D* p = m_object->Points();
            for (uint32_t i = 0; p && i < m_object->Count(); i++)
                if (::SendMessage(all, LB_ADDSTRING, 0, (LPARAM)PointsDlgLine(i, p[i].x, p[i].y).c_str()) < 0) break;
        }
        NoRedraw quiet(screen);
        const std::vector<POINT>& s = m_object->ScreenPoints();
        for (size_t i = 0; i < s.size(); i++)
            if (::SendMessage(screen, LB_ADDSTRING, 0, (LPARAM)PointsDlgLine(i, s[i].x, s[i].y).c_str()) < 0) break;
    }
    ::SetCursor(old);
    return TRUE;
}
