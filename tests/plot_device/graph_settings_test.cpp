// The graph settings sheet, the points dialog and the style combos, in
// process on a window-less figure: pages driven by control id, their writes
// read back from the plane.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>

#include "platform/afx/afx.h"
#include "platform/afx_test_util.h"
#include "tests/support/common_dialog_script.h"
#include "platform/backend/headless.h"
#include "platform/controls/controls.h"
#include "platform/gdi/gdi.h"
#include "platform/user/sys_colors.h"
#include "plot_device/graph_setting_dlg.h"
#include "plot_device/plot_figure.h"
#include "plot_device/quorra_resources.h"

namespace {

class SheetFigure : public CPlotFigure {
public:
    void GetFigureClientRect(RECT* r) override { *r = RECT{0, 0, 600, 300}; }
    void Redraw(const RECT*) override { redraws++; }
    int redraws = 0;
};

class GraphSettings : public AfxTest {
protected:
    void SetUp() override
    {
        AfxTest::SetUp();
        static bool registered = [] {
            RegisterQuorraResources(AfxGetProgramModuleState()->m_resources);
            return true;
        }();
        (void)registered;
        // A 2x1 figure: the first plane holds three objects, the second one.
        Plot(1, 1, {{{1, 2}, {3, 4}, {5.5, 6}}, {{0, 0}, {2, 1}}, {}});
        Plot(1, 2, {{{0, 1}, {1, 0}}});
        ASSERT_EQ(figure.m_planes.size(), 2u);
        plane = figure.m_planes[0].get();
        ASSERT_EQ(plane->objects.size(), 3u);
        plane->objects[0]->legend = "first";
        plane->objects[1]->legend = "second";
    }
    void TearDown() override
    {
        if (sheet && sheet->m_hWnd) sheet->DestroyWindow();
        sheet.reset();
        AfxTest::TearDown();
    }
    void Plot(int row, int col, const std::vector<std::vector<Point2D>>& series)
    {
        PlotDataBlock b;
        b.row = row;
        b.col = col;
        for (const auto& pts : series) b.series.push_back({pts, {}});
        ASSERT_NE(figure.ApplyPlotBlock(b), nullptr);
        figure.FinishPlot(0);
    }
    // The sheet, modeless, on the given page.
    HWND Open(int page)
    {
        sheet = std::make_unique<CGraphSettingDlg>(plane, &figure);
        EXPECT_TRUE(sheet->Create());
        sheet->ShowWindow(SW_SHOW);
        EXPECT_TRUE(sheet->SetActivePage(page));
        PumpUntilIdle();
        return sheet->GetActivePage()->m_hWnd;
    }
    static void Click(HWND page, int id)
    {
        ::SendMessage(::GetDlgItem(page, id), BM_CLICK, 0, 0);
        PumpUntilIdle();
    }
    static void Type(HWND page, int id, const std::string& text) { ::SetWindowText(::GetDlgItem(page, id), text.c_str()); }
    static bool IsChecked(HWND page, int id)
    {
        return ::SendMessage(::GetDlgItem(page, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    static bool Enabled(HWND page, int id) { return ::IsWindowEnabled(::GetDlgItem(page, id)) != FALSE; }
    static void Choose(HWND page, int id, int index, UINT code = CBN_SELCHANGE)
    {
        HWND c = ::GetDlgItem(page, id);
        ::SendMessage(c, id == IDC_OBJECT_LIST ? LB_SETCURSEL : CB_SETCURSEL, (WPARAM)index, 0);
        ::SendMessage(page, WM_COMMAND, MAKELONG((WORD)id, (WORD)code), (LPARAM)c);
    }
    BOOL Apply() { return sheet->Apply(); }

    SheetFigure figure;
    CPlotPlane* plane = nullptr;
    std::unique_ptr<CGraphSettingDlg> sheet;
};

TEST_F(GraphSettings, LabelsPrecisionTitleAndAxisLabelSwitches)
{
    HWND page = Open(2);
    EXPECT_EQ(sheet->GetDlgItemText(IDCANCEL), "&Cancel");
    EXPECT_EQ(sheet->m_page3.GetDlgItemText(IDC_PRECISION), "6");
    HWND applyButton = ::GetDlgItem(sheet->m_hWnd, ID_APPLY_NOW);
    EXPECT_FALSE(::IsWindowEnabled(applyButton)) << "opened unmodified";
    Type(page, IDC_PRECISION, "3");
    EXPECT_TRUE(::IsWindowEnabled(applyButton));
    Click(page, IDC_TITLE_TOP);
    Type(page, IDC_TITLE, "Heading");
    ASSERT_TRUE(Apply());
    EXPECT_EQ(plane->numberFormat, "%.3g");
    EXPECT_EQ(plane->title, "Heading");
    EXPECT_EQ(plane->titlePosition, 1);
    std::string tick;
    plane->FormatTickLabelX(1.23456, tick);
    EXPECT_EQ(tick, "1.23");
    // The redraw's tick numbers: an x span of 1.23451..1.23459 shows 3 digits.
    {
        double box[4] = {1.23451, 10, 1.23459, 0};
        ASSERT_TRUE(plane->AutoScale(0, box));
        HDC rec = CreateRecordingDC(FALSE);
        figure.Draw(rec, true);
        const std::string log = GetRecordingLog(rec);
        DeleteDC(rec);
        const size_t first = log.find("\"1.23\"");
        ASSERT_NE(first, std::string::npos) << log;
        EXPECT_NE(log.find("\"1.23\"", first + 1), std::string::npos) << "several ticks, all rounded";
        EXPECT_EQ(log.find("\"1.2345"), std::string::npos) << log;
    }
    Type(page, IDC_PRECISION, "0");
    ASSERT_TRUE(Apply());
    EXPECT_EQ(plane->numberFormat, "%.0g");

    // Out of range: the framework's message, the page stays, nothing written.
    Type(page, IDC_PRECISION, "16");
    Type(page, IDC_TITLE, "Not written");
    EXPECT_FALSE(Apply());
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Enter a whole number from 0 to 15."}));
    EXPECT_EQ(plane->numberFormat, "%.0g");
    EXPECT_EQ(plane->title, "Heading");
    EXPECT_EQ(sheet->GetActiveIndex(), 2);
    Type(page, IDC_PRECISION, "2");

    // No label: X starts unchecked and its box disabled. Checking puts the
    // letter in; unchecking empties and disables the box.
    EXPECT_FALSE(IsChecked(page, IDC_XLABEL_ON));
    EXPECT_FALSE(Enabled(page, IDC_XLABEL));
    Click(page, IDC_XLABEL_ON);
    EXPECT_TRUE(Enabled(page, IDC_XLABEL));
    EXPECT_EQ(sheet->m_page3.GetDlgItemText(IDC_XLABEL), "X");
    Type(page, IDC_XLABEL, "time");
    Click(page, IDC_XLABEL_ON);
    EXPECT_FALSE(IsChecked(page, IDC_XLABEL_ON));
    EXPECT_FALSE(Enabled(page, IDC_XLABEL));
    EXPECT_EQ(sheet->m_page3.GetDlgItemText(IDC_XLABEL), "");
    Click(page, IDC_XLABEL_ON);
    // An empty label box losing the focus unchecks itself.
    Click(page, IDC_YLABEL_ON);
    ASSERT_TRUE(IsChecked(page, IDC_YLABEL_ON));
    ::SetFocus(::GetDlgItem(page, IDC_YLABEL));
    Type(page, IDC_YLABEL, "");
    ::SetFocus(::GetDlgItem(page, IDC_TITLE));
    PumpUntilIdle();
    EXPECT_FALSE(IsChecked(page, IDC_YLABEL_ON));
    EXPECT_FALSE(Enabled(page, IDC_YLABEL));
    ASSERT_TRUE(Apply());
    EXPECT_EQ(plane->xLabel, "X");
    EXPECT_EQ(plane->yLabel, "");
}

TEST_F(GraphSettings, LabelsFontsAreStoredAsTheDialogReturnsThem)
{
    HWND page = Open(2);
    CommonDialogAnswer a;
    a.text = "Courier New";
    a.number = 12;
    PushCommonDialogAnswer(a);
    Click(page, IDC_AXIS_FONT);
    auto log = TakeCommonDialogLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].kind, "font");
    EXPECT_EQ(log[0].initial, plane->axisFont);
    // Cancelled: nothing changes.
    Click(page, IDC_LEGEND_FONT);
    TakeCommonDialogLog();
    const std::string legendFace = plane->legendFont;
    ASSERT_TRUE(Apply());
    EXPECT_EQ(plane->axisFont, "Courier New");
    EXPECT_EQ(plane->axisFontSize, -16) << "12 points as a character height";
    EXPECT_EQ(plane->legendFont, legendFace);
}

TEST_F(GraphSettings, AxesLimitsLogTicksAndPolar)
{
    HWND page = Open(0);
    // Autoscale disables that axis's limit boxes only.
    Click(page, IDC_X_AUTOSCALE);
    EXPECT_FALSE(Enabled(page, IDC_X_MIN));
    EXPECT_FALSE(Enabled(page, IDC_X_MAX));
    EXPECT_TRUE(Enabled(page, IDC_Y_MIN));
    Click(page, IDC_X_AUTOSCALE);
    EXPECT_TRUE(Enabled(page, IDC_X_MIN));
    // Autotick disables the division count.
    if (!IsChecked(page, IDC_X_AUTOTICK)) Click(page, IDC_X_AUTOTICK);
    EXPECT_FALSE(Enabled(page, IDC_X_DIVCOUNT));

    Type(page, IDC_X_MIN, "0");
    Type(page, IDC_X_MAX, "10");
    Type(page, IDC_Y_MIN, "-1");
    Type(page, IDC_Y_MAX, "1");
    ASSERT_TRUE(Apply());
    EXPECT_FALSE(sheet->m_autoscaleAfterApply);
    EXPECT_EQ(std::vector<double>(plane->limits, plane->limits + 4), (std::vector<double>{0, 1, 10, -1}));

    // Ticks off writes 0 whatever the count box shows.
    if (IsChecked(page, IDC_Y_AUTOTICK)) Click(page, IDC_Y_AUTOTICK);
    if (!IsChecked(page, IDC_Y_TICKS)) Click(page, IDC_Y_TICKS);
    Type(page, IDC_Y_DIVCOUNT, "7");
    ASSERT_TRUE(Apply());
    EXPECT_EQ(plane->yTickCount, 7);
    Click(page, IDC_Y_TICKS);
    ASSERT_TRUE(Apply());
    EXPECT_EQ(plane->yTickCount, 0);
    // A count out of range: the message, nothing written.
    Type(page, IDC_X_DIVCOUNT, "101");
    Click(page, IDC_X_GRID);
    const uint8_t flags = plane->xAxisFlags;
    EXPECT_FALSE(Apply());
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Enter a whole number from 0 to 100."}));
    EXPECT_EQ(plane->xAxisFlags, flags);
    Type(page, IDC_X_DIVCOUNT, "4");
    Click(page, IDC_X_GRID);

    // Logarithmic X autoscales instead of taking the typed limits.
    Click(page, IDC_X_LOG);
    Type(page, IDC_X_MIN, "-50");
    Type(page, IDC_X_MAX, "50");
    ASSERT_TRUE(Apply());
    EXPECT_EQ(plane->xLog, 10);
    EXPECT_TRUE(sheet->m_autoscaleAfterApply);
    double expected[4];
    ASSERT_TRUE(plane->CalcAutoLimits(nullptr, expected, 0.05));
    plane->SetLimits(expected);
    EXPECT_EQ(std::vector<double>(plane->limits, plane->limits + 4), std::vector<double>(expected, expected + 4));
    EXPECT_GT(plane->limits[BOX_LEFT], 0);
    // The page shows what was applied on its next opening; unchanged log: no autoscale.
    Type(page, IDC_X_MIN, "1");
    Type(page, IDC_X_MAX, "100");
    ASSERT_TRUE(Apply());
    EXPECT_FALSE(sheet->m_autoscaleAfterApply);
    EXPECT_DOUBLE_EQ(plane->limits[BOX_LEFT], 1);
    EXPECT_DOUBLE_EQ(plane->limits[BOX_RIGHT], 100);
    Click(page, IDC_X_LOG);

    // Polar autoscales and lays the plane out square.
    Click(page, IDC_STYLE_POLAR);
    Click(page, IDC_EQUAL);
    ASSERT_TRUE(Apply());
    EXPECT_TRUE(sheet->m_autoscaleAfterApply);
    EXPECT_EQ(plane->axisStyle, AXIS_POLAR);
    EXPECT_EQ(plane->equalAxes, 1);
    EXPECT_EQ(plane->plotRect.right - plane->plotRect.left, plane->plotRect.bottom - plane->plotRect.top);
    EXPECT_DOUBLE_EQ(plane->limits[BOX_LEFT], -plane->limits[BOX_RIGHT]);
}

TEST_F(GraphSettings, ObjectsStoreLoadAndEnable)
{
    CGraphObject* first = plane->objects[0].get();
    CGraphObject* second = plane->objects[1].get();
    // Values the lists do not hold, as setplot or a file may leave them.
    second->penWidth = 12;
    second->marker = 9;
    second->fillStyle = 7;
    second->kind = 2;
    second->fillColor = 0x123456;
    HWND page = Open(1);
    HWND list = ::GetDlgItem(page, IDC_OBJECT_LIST);
    ASSERT_EQ(::SendMessage(list, LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(sheet->m_page2.m_current, first);

    // A legend edit renames the list line, keeping its check and item data.
    const LRESULT check = ::SendMessage(list, LB_GETCHECK, 0, 0);
    Type(page, IDC_LEGEND, "renamed");
    CListBox lb;
    lb.Attach(list);
    EXPECT_EQ(lb.GetText(0), "renamed");
    EXPECT_EQ(lb.GetCheck(0), check);
    EXPECT_EQ(lb.GetItemData(0), (UINT_PTR)first);
    EXPECT_EQ(lb.GetCurSel(), 0);
    lb.Detach();
    Choose(page, IDC_LINE_WIDTH, 3);
    Choose(page, IDC_LINE_STYLE, 2);
    Choose(page, IDC_POINT_STYLE, 4);
    Click(page, IDC_SHOW_COORDS);

    // Choosing another object stores the first.
    Choose(page, IDC_OBJECT_LIST, 1, LBN_SELCHANGE);
    EXPECT_EQ(first->legend, "renamed");
    EXPECT_EQ(first->inLegend, 1);
    EXPECT_EQ(first->penWidth, 3);
    EXPECT_EQ(first->penStyle, 2);
    EXPECT_EQ(first->marker, 4);
    EXPECT_EQ(first->markerAux, 1);
    EXPECT_EQ(sheet->m_page2.m_current, second);
    // Unlisted values load as no selection.
    EXPECT_EQ(sheet->m_page2.m_lineWidth.GetCurSel(), -1);
    EXPECT_EQ(sheet->m_page2.m_pointStyle.GetCurSel(), -1);
    EXPECT_EQ(sheet->m_page2.m_fillStyle.GetCurSel(), -1);
    EXPECT_TRUE(Enabled(page, IDC_FILL_STYLE));

    // Type and fill enabling.
    Choose(page, IDC_OBJECT_TYPE, 1);
    EXPECT_FALSE(Enabled(page, IDC_FILL_STYLE));
    EXPECT_FALSE(Enabled(page, IDC_FILL_COLOR));
    Choose(page, IDC_OBJECT_TYPE, 2);
    EXPECT_TRUE(Enabled(page, IDC_FILL_STYLE));
    EXPECT_TRUE(Enabled(page, IDC_FILL_COLOR));
    sheet->m_page2.m_fillStyle.SelectByData(-2);
    ::SendMessage(page, WM_COMMAND, MAKELONG(IDC_FILL_STYLE, CBN_SELCHANGE), (LPARAM)::GetDlgItem(page, IDC_FILL_STYLE));
    EXPECT_FALSE(Enabled(page, IDC_FILL_COLOR));
    sheet->m_page2.m_fillStyle.SetCurSel(-1);
    ::SendMessage(page, WM_COMMAND, MAKELONG(IDC_FILL_STYLE, CBN_SELCHANGE), (LPARAM)::GetDlgItem(page, IDC_FILL_STYLE));

    // OK: the combos without a selection leave their fields as they were.
    sheet->OnOK();
    EXPECT_EQ(second->penWidth, 12);
    EXPECT_EQ(second->marker, 9);
    EXPECT_EQ(second->fillStyle, 7);
    EXPECT_EQ(second->fillColor, 0x123456u);
    EXPECT_EQ(second->kind, 2);
    EXPECT_EQ(second->legend, "second");
}

// Closes the first "Points" window it finds and copies its two lists.
std::vector<std::string> g_pointsSeen[2];
void ClosePoints(HWND, UINT, UINT_PTR id, DWORD)
{
    for (const VisibleWindow& w : VisibleTopLevelWindows()) {
        if (w.text != "Points") continue;
        KillTimer(nullptr, id);
        for (int i = 0; i < 2; i++) {
            CListBox lb;
            lb.Attach(::GetDlgItem(w.hwnd, i ? IDC_SCREEN_POINTS : IDC_ALL_POINTS));
            g_pointsSeen[i].clear();
            for (int k = 0; k < lb.GetCount(); k++) g_pointsSeen[i].push_back(lb.GetText(k));
            lb.Detach();
        }
        ::PostMessage(w.hwnd, WM_COMMAND, IDCANCEL, 0);
        return;
    }
}

TEST_F(GraphSettings, PointsDialogListsDataAndScreenPoints)
{
    EXPECT_EQ(PointsDlgLine(0, 1, 2), "0\t(1, 2)");
    EXPECT_EQ(PointsDlgLine(2, 5.5, 6), "2\t(5.5, 6)");
    EXPECT_EQ(PointsDlgLine(7, 1e20, 1.0 / 3), "7\t(1e+20, 0.333333)");
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(PointsDlgLine(1, -inf, std::nan("")), "1\t(-INF, NAN)");
    EXPECT_EQ(PointsDlgLine(1, inf, 0), "1\t(INF, 0)");

    // A double-click on the object list opens "Points" on that object.
    HWND page = Open(1);
    HWND list = ::GetDlgItem(page, IDC_OBJECT_LIST);
    CGraphObject* first = plane->objects[0].get();
    ASSERT_FALSE(first->ScreenPoints().empty());
    for (int object = 0; object < 3; object++) {
        g_pointsSeen[0] = g_pointsSeen[1] = {"unset"};
        Choose(page, IDC_OBJECT_LIST, object, LBN_SELCHANGE);
        SetTimer(nullptr, 0, 10, ClosePoints);
        ::SendMessage(page, WM_COMMAND, MAKELONG(IDC_OBJECT_LIST, LBN_DBLCLK), (LPARAM)list);
        if (object == 0) {
            EXPECT_EQ(g_pointsSeen[0], (std::vector<std::string>{"0\t(1, 2)", "1\t(3, 4)", "2\t(5.5, 6)"}));
            std::vector<std::string> screen;
            for (size_t i = 0; i < first->ScreenPoints().size(); i++)
                screen.push_back(PointsDlgLine(i, first->ScreenPoints()[i].x, first->ScreenPoints()[i].y));
            EXPECT_EQ(g_pointsSeen[1], screen);
        } else if (object == 2) {
            EXPECT_TRUE(g_pointsSeen[0].empty());
            EXPECT_TRUE(g_pointsSeen[1].empty());
        }
    }
}

TEST_F(GraphSettings, RemovedObjectsAndPlanesAreNotWritten)
{
    figure.EnterBusy();
    HWND page = Open(1);
    CGraphObject* first = plane->objects[0].get();
    Type(page, IDC_LEGEND, "changed");
    // A host message removes the object shown: it stays alive (busy) and OK writes nothing.
    EXPECT_EQ(plane->RemoveObjects(first->id, nullptr), 1);
    sheet->OnOK();
    EXPECT_EQ(first->legend, "first");

    // A removed plane: no page writes to it.
    CPlotPlane* gone = plane;
    HWND axes = Open(0);
    HWND labels = nullptr;
    ASSERT_TRUE(sheet->SetActivePage(2));
    labels = sheet->GetActivePage()->m_hWnd;
    Type(labels, IDC_PRECISION, "2");
    ASSERT_TRUE(sheet->SetActivePage(0));
    Click(axes, IDC_EQUAL);
    const uint8_t equal = gone->equalAxes;
    ASSERT_TRUE(figure.RemovePlane(gone));
    EXPECT_TRUE(Apply());
    EXPECT_EQ(gone->equalAxes, equal);
    EXPECT_EQ(gone->numberFormat, "%.6g");
    sheet->DestroyWindow();
    sheet.reset();
    figure.LeaveBusy();
}

// Pictures of the three pages for the record (build/test-artifacts).
TEST_F(GraphSettings, PagesArePaintedForTheRecord)
{
    const char* out = std::getenv("VELDRA_OUT");
    const std::filesystem::path dir = std::filesystem::path(out ? out : "build/out").parent_path() / "test-artifacts";
    std::filesystem::create_directories(dir);
    const char* names[] = {"graph_settings_axes.png", "graph_settings_objects.png", "graph_settings_labels.png"};
    Open(0);
    for (int i = 0; i < 3; i++) {
        ASSERT_TRUE(sheet->SetActivePage(i));
        PumpUntilIdle();
        EXPECT_TRUE(HeadlessSavePng(sheet->m_hWnd, (dir / names[i]).string()));
    }
}

// ---- the style combos ----

class StyleCombos : public AfxTest {};

TEST_F(StyleCombos, FillOnceSelectByDataAndShorterLineStyle)
{
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0), "parent", WS_POPUP, RECT{0, 0, 300, 300}, nullptr, 0));
    const RECT r{10, 10, 110, 200};
    CLineStyleCombo line;
    CLineWidthCombo width;
    CPointStyleCombo point;
    CFillStyleCombo fill;
    CComboBox plain;
    ASSERT_TRUE(line.Create(WS_CHILD, r, &parent, 1));
    ASSERT_TRUE(width.Create(WS_CHILD, r, &parent, 2));
    ASSERT_TRUE(point.Create(WS_CHILD, r, &parent, 3));
    ASSERT_TRUE(fill.Create(WS_CHILD, r, &parent, 4));
    ASSERT_TRUE(plain.Create(WS_CHILD | kStyleComboStyles, r, &parent, 5));
    EXPECT_EQ(line.GetCount(), 5);
    EXPECT_EQ(width.GetCount(), 10);
    EXPECT_EQ(point.GetCount(), 7);
    EXPECT_EQ(fill.GetCount(), 8);
    RECT a, b;
    line.GetWindowRect(&a);
    plain.GetWindowRect(&b);
    EXPECT_EQ((b.bottom - b.top) - (a.bottom - a.top), 4);
    EXPECT_EQ(a.top, b.top);

    EXPECT_EQ(line.GetSelectedStyle(), 5);
    line.SetCurSel(3);
    EXPECT_EQ(line.GetSelectedStyle(), 3);
    fill.SetCurSel(2);
    EXPECT_EQ(fill.SelectByData(7), -1);
    EXPECT_EQ(fill.GetCurSel(), -1);
    EXPECT_EQ(fill.SelectByData(-2), 0);
    EXPECT_EQ(fill.GetLBText(0), "No filling");
    EXPECT_EQ(fill.SelectByData(5), 4);

    // Subclassed from a window that exists: filled once as well.
    HWND raw = CreateWindowEx(0, WC_COMBOBOX, "", WS_CHILD | kStyleComboStyles, 0, 0, 80, 100, parent.m_hWnd,
                              (HMENU)6, nullptr, nullptr);
    CFillStyleCombo sub;
    ASSERT_TRUE(sub.SubclassWindow(raw));
    EXPECT_EQ(sub.GetCount(), 8);
    sub.UnsubclassWindow();
    parent.DestroyWindow();
}

std::string DrawOne(CComboBox& combo, void (*draw)(CComboBox&, DRAWITEMSTRUCT*), int item, UINT state)
{
    HDC dc = CreateRecordingDC(FALSE);
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_COMBOBOX;
    dis.itemID = (UINT)item;
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = state;
    dis.hwndItem = combo.m_hWnd;
    dis.hDC = dc;
    dis.rcItem = RECT{0, 0, 60, 16};
    draw(combo, &dis);
    std::string log = GetRecordingLog(dc);
    DeleteDC(dc);
    return log;
}

TEST_F(StyleCombos, DrawItemShowsStylesWidthsMarkersAndHatches)
{
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, AfxRegisterWndClass(0), "parent", WS_POPUP, RECT{0, 0, 300, 300}, nullptr, 0));
    const RECT r{10, 10, 110, 200};
    CLineStyleCombo line;
    CLineWidthCombo width;
    CPointStyleCombo point;
    CFillStyleCombo fill;
    ASSERT_TRUE(line.Create(WS_CHILD, r, &parent, 1));
    ASSERT_TRUE(width.Create(WS_CHILD, r, &parent, 2));
    ASSERT_TRUE(point.Create(WS_CHILD, r, &parent, 3));
    ASSERT_TRUE(fill.Create(WS_CHILD, r, &parent, 4));
    auto drawLine = [](CComboBox& c, DRAWITEMSTRUCT* d) { static_cast<CLineStyleCombo&>(c).DrawItem(d); };
    auto drawWidth = [](CComboBox& c, DRAWITEMSTRUCT* d) { static_cast<CLineWidthCombo&>(c).DrawItem(d); };
    auto drawPoint = [](CComboBox& c, DRAWITEMSTRUCT* d) { static_cast<CPointStyleCombo&>(c).DrawItem(d); };
    auto drawFill = [](CComboBox& c, DRAWITEMSTRUCT* d) { static_cast<CFillStyleCombo&>(c).DrawItem(d); };
    const char* styles[] = {"SOLID", "DASH", "DOT", "DASHDOT", "DASHDOTDOT"};
    for (int i = 0; i < 5; i++) {
        const std::string log = DrawOne(line, drawLine, i, 0);
        EXPECT_NE(log.find(std::string("pen=") + styles[i] + ",1,"), std::string::npos) << log;
        EXPECT_NE(log.find("LineTo"), std::string::npos) << log;
    }
    for (int i = 0; i < 10; i++) {
        const std::string log = DrawOne(width, drawWidth, i, 0);
        EXPECT_NE(log.find("pen=SOLID," + std::to_string(i) + ","), std::string::npos) << i << log;
    }
    // Marker 0 is none: only the line; the others add their shape.
    const size_t plainLines = DrawOne(point, drawPoint, 0, 0).size();
    for (int i = 1; i < 7; i++) EXPECT_GT(DrawOne(point, drawPoint, i, 0).size(), plainLines) << i;
    const char* brushes[] = {"brush=NULL", "brush=SOLID", "HATCH,BDIAGONAL", "HATCH,CROSS",
                             "HATCH,DIAGCROSS", "HATCH,FDIAGONAL", "HATCH,HORIZONTAL", "HATCH,VERTICAL"};
    for (int i = 0; i < 8; i++) {
        const std::string log = DrawOne(fill, drawFill, i, 0);
        EXPECT_NE(log.find(brushes[i]), std::string::npos) << i << log;
    }
    // Disabled: the inactive caption text colour; selected: the window
    // colour under it; focused: a focus rectangle.
    char ink[8];
    const COLORREF c19 = GetSysColor(COLOR_INACTIVECAPTIONTEXT);
    std::snprintf(ink, sizeof ink, "#%02x%02x%02x", GetRValue(c19), GetGValue(c19), GetBValue(c19));
    EXPECT_NE(DrawOne(line, drawLine, 0, ODS_DISABLED).find(std::string("pen=SOLID,1,") + ink), std::string::npos);
    const COLORREF win = GetSysColor(COLOR_WINDOW);
    std::snprintf(ink, sizeof ink, "#%02x%02x%02x", GetRValue(win), GetGValue(win), GetBValue(win));
    const std::string selected = DrawOne(fill, drawFill, 1, ODS_SELECTED);
    EXPECT_NE(selected.find(std::string("SOLID,") + ink), std::string::npos) << selected;
    EXPECT_NE(DrawOne(width, drawWidth, 2, ODS_FOCUS).find("FocusRect"), std::string::npos);
    EXPECT_EQ(DrawOne(width, drawWidth, 12, 0).find("LineTo"), std::string::npos) << "no such item";
    parent.DestroyWindow();
}

}  // namespace
