// Framework dialogs with real controls, driven by injected input: a refused
// whole number keeps the focus, Tab and arrows move through a radio group,
// and a sheet's tab, check box and Apply button work together.
#include <gtest/gtest.h>

#include "platform/afx_test_util.h"
#include "platform/controls/controls.h"

namespace {

enum { IDC_NUMBER = 11, IDC_R1 = 21, IDC_R2 = 22, IDC_R3 = 23, IDC_CHECK = 30 };

const CDialogItemTemplate kItems[] = {
    {WC_EDIT, "", IDC_NUMBER, WS_TABSTOP | WS_BORDER, 10, 10, 60, 12, 0},
    {WC_BUTTON, "One", IDC_R1, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 10, 30, 60, 10, 0},
    {WC_BUTTON, "Two", IDC_R2, BS_AUTORADIOBUTTON, 10, 42, 60, 10, 0},
    {WC_BUTTON, "Three", IDC_R3, BS_AUTORADIOBUTTON, 10, 54, 60, 10, 0},
    {WC_BUTTON, "OK", IDOK, BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 90, 10, 40, 14, 0},
    {WC_BUTTON, "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 90, 28, 40, 14, 0},
};
const CDialogTemplate kTemplate = {WS_POPUP | WS_CAPTION | DS_MODALFRAME | WS_VISIBLE, 0, "Numbers", 10, 10, 140, 80,
                                   kItems, 6};

class CNumberDialog : public CDialog {
public:
    CNumberDialog() : CDialog(&kTemplate, nullptr) {}
    int number = 5;
    bool ok = false;
    void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, IDC_NUMBER, number); }
    void OnOK() override
    {
        if (UpdateData(TRUE)) ok = true;
    }
};

using AfxControls = AfxTest;

bool DialogFilter(HWND dlg, MSG& m) { return IsWindow(dlg) && IsDialogMessage(dlg, &m); }

TEST_F(AfxControls, TypedNonNumberIsRefusedAndTheFieldKeepsTheFocus)
{
    CNumberDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(&kTemplate, nullptr));
    dlg.ShowWindow(SW_SHOW);
    HWND edit = GetDlgItem(dlg.m_hWnd, IDC_NUMBER);
    ::SetFocus(edit);
    PumpUntilIdle([&](MSG& m) { return DialogFilter(dlg.m_hWnd, m); });
    SendMessage(edit, EM_SETSEL, 0, -1);
    InjectText("12x");
    InjectKeyStroke(VK_RETURN);
    PumpUntilIdle([&](MSG& m) { return DialogFilter(dlg.m_hWnd, m); });
    EXPECT_EQ(dlg.GetDlgItemText(IDC_NUMBER), "12x");
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Enter a whole number."}));
    EXPECT_FALSE(dlg.ok);
    EXPECT_EQ(GetFocus(), edit);
    // The refused text is selected: typing replaces it.
    DWORD a = 0, b = 0;
    SendMessage(edit, EM_GETSEL, (WPARAM)&a, (LPARAM)&b);
    EXPECT_EQ(a, 0u);
    EXPECT_EQ(b, 3u);
    InjectText("12");
    InjectKeyStroke(VK_RETURN);
    PumpUntilIdle([&](MSG& m) { return DialogFilter(dlg.m_hWnd, m); });
    EXPECT_TRUE(dlg.ok);
    EXPECT_EQ(dlg.number, 12);
    dlg.DestroyWindow();
}

TEST_F(AfxControls, TabAndArrowsMoveThroughARadioGroup)
{
    CNumberDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(&kTemplate, nullptr));
    dlg.ShowWindow(SW_SHOW);
    HWND edit = GetDlgItem(dlg.m_hWnd, IDC_NUMBER), r1 = GetDlgItem(dlg.m_hWnd, IDC_R1),
         r2 = GetDlgItem(dlg.m_hWnd, IDC_R2), r3 = GetDlgItem(dlg.m_hWnd, IDC_R3);
    SendMessage(r1, BM_SETCHECK, BST_CHECKED, 0);
    ::SetFocus(edit);
    auto pump = [&] { PumpUntilIdle([&](MSG& m) { return DialogFilter(dlg.m_hWnd, m); }); };
    pump();
    InjectKeyStroke(VK_TAB);
    pump();
    EXPECT_EQ(GetFocus(), r1);
    InjectKeyStroke(VK_DOWN);
    pump();
    EXPECT_EQ(GetFocus(), r2);
    EXPECT_EQ(SendMessage(r2, BM_GETCHECK, 0, 0), (LRESULT)BST_CHECKED);
    EXPECT_EQ(SendMessage(r1, BM_GETCHECK, 0, 0), (LRESULT)BST_UNCHECKED);
    InjectKeyStroke(VK_DOWN);
    pump();
    EXPECT_EQ(GetFocus(), r3);
    EXPECT_EQ(SendMessage(r3, BM_GETCHECK, 0, 0), (LRESULT)BST_CHECKED);
    EXPECT_EQ(SendMessage(r2, BM_GETCHECK, 0, 0), (LRESULT)BST_UNCHECKED);
    // Tab leaves the group for the next tab stop.
    InjectKeyStroke(VK_TAB);
    pump();
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg.m_hWnd, IDOK));
    dlg.DestroyWindow();
}

const CDialogItemTemplate kPage1Items[] = {{WC_STATIC, "General", 1, 0, 5, 5, 60, 10, 0}};
const CDialogItemTemplate kPage2Items[] = {
    {WC_BUTTON, "Show grid", IDC_CHECK, BS_AUTOCHECKBOX | WS_TABSTOP, 5, 5, 80, 12, 0}};
const CDialogTemplate kPage1 = {WS_CHILD, 0, nullptr, 0, 0, 120, 50, kPage1Items, 1};
const CDialogTemplate kPage2 = {WS_CHILD, 0, nullptr, 0, 0, 120, 50, kPage2Items, 1};

class CGridPage : public CPropertyPage {
public:
    explicit CGridPage(const CDialogTemplate* t, const char* caption) : CPropertyPage(t, caption) {}
    int applied = 0;
    BOOL OnApply() override
    {
        ++applied;
        return CPropertyPage::OnApply();
    }
    void OnCheck() { SetModified(TRUE); }

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CGridPage, CPropertyPage)
    ON_BN_CLICKED(IDC_CHECK, OnCheck)
END_MESSAGE_MAP()

TEST_F(AfxControls, SheetTabCheckAndApply)
{
    CPropertySheet sheet("Options");
    CGridPage one(&kPage1, "General"), two(&kPage2, "Grid");
    sheet.AddPage(&one);
    sheet.AddPage(&two);
    ASSERT_TRUE(sheet.Create());
    sheet.ShowWindow(SW_SHOW);
    PumpUntilIdle();
    HWND tab = sheet.GetTabControl();
    ASSERT_TRUE(tab);
    EXPECT_EQ(SendMessage(tab, TCM_GETITEMCOUNT, 0, 0), 2);
    auto clickOn = [](HWND h, RECT r) {
        POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(h, &p);
        InjectClick(p.x, p.y);
        PumpUntilIdle();
    };
    RECT r;
    SendMessage(tab, TCM_GETITEMRECT, 1, (LPARAM)&r);
    clickOn(tab, r);
    EXPECT_EQ(sheet.GetActiveIndex(), 1);
    ASSERT_TRUE(two.m_hWnd);
    HWND apply = GetDlgItem(sheet.m_hWnd, (int)ID_APPLY_NOW);
    EXPECT_FALSE(IsWindowEnabled(apply));
    HWND check = GetDlgItem(two.m_hWnd, IDC_CHECK);
    GetClientRect(check, &r);
    r.right = 10;   // the box itself
    clickOn(check, r);
    EXPECT_EQ(SendMessage(check, BM_GETCHECK, 0, 0), (LRESULT)BST_CHECKED);
    EXPECT_TRUE(IsWindowEnabled(apply));
    GetClientRect(apply, &r);
    clickOn(apply, r);
    EXPECT_EQ(two.applied, 1);
    EXPECT_FALSE(IsWindowEnabled(apply));
    sheet.DestroyWindow();
    PumpUntilIdle();
}

}  // namespace

#include "platform/afx/afx_controls.h"

namespace {

class CSwatchButton : public CButton {
public:
    int draws = 0;
    UINT lastState = 0;
    void DrawItem(DRAWITEMSTRUCT* dis)
    {
        ++draws;
        lastState = dis->itemState;
    }

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CSwatchButton, CButton)
    ON_WM_DRAWITEM_REFLECT()
END_MESSAGE_MAP()

class CRedLabel : public CStatic {
public:
    HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
    ~CRedLabel() override { DeleteObject(brush); }
    HBRUSH CtlColor(HDC, UINT kind) { return kind == 6 ? brush : nullptr; }

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CRedLabel, CStatic)
    ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

TEST_F(AfxControls, OwnerDrawAndColourMessagesAreReflectedToTheControl)
{
    CFrameWnd* frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, "reflect"));
    CSwatchButton button;
    CRedLabel label;
    ASSERT_TRUE(button.Create("", BS_OWNERDRAW | WS_VISIBLE, RECT{10, 10, 60, 40}, frame, 501));
    ASSERT_TRUE(label.Create("red", WS_VISIBLE, RECT{10, 50, 100, 70}, frame, 502));
    HDC dc = CreateRecordingDC(FALSE);
    button.SendMessage(WM_PRINTCLIENT, (WPARAM)dc, 0);
    EXPECT_EQ(button.draws, 1);
    button.EnableWindow(FALSE);
    button.SendMessage(WM_PRINTCLIENT, (WPARAM)dc, 0);
    EXPECT_TRUE(button.lastState & ODS_DISABLED);
    ClearRecordingLog(dc);
    label.SendMessage(WM_PRINTCLIENT, (WPARAM)dc, 0);
    EXPECT_NE(GetRecordingLog(dc).find("brush=SOLID,#ff0000"), std::string::npos) << GetRecordingLog(dc);
    DeleteDC(dc);
    frame->DestroyWindow();
    PumpUntilIdle();
}

}  // namespace
