// Dialogs from templates, DDX/DDV texts, the modal loop and property sheets.
#include "afx_test_util.h"
#include "tests/support/common_dialog_script.h"
#include "platform_test_util.h"

namespace {

enum { IDC_A = 11, IDC_B = 12 };

const CDialogItemTemplate kItems[] = {
    {"Edit", "", IDC_A, WS_TABSTOP, 10, 10, 60, 12, 0},
    {"Edit", "", IDC_B, WS_TABSTOP, 10, 26, 60, 12, 0},
};
const CDialogTemplate kTemplate = {WS_POPUP | WS_CAPTION | DS_MODALFRAME, 0, "Values", 10, 10, 100, 60, kItems, 2};

enum class Kind { Int, IntRange, Real, RealRange, Chars };

class CValuesDialog : public CDialog {
public:
    CValuesDialog() : CDialog(&kTemplate, nullptr) {}
    Kind kind = Kind::Int;
    int number = 0;
    double real = 0;
    std::string text;
    std::vector<UINT> script;   // commands posted once the dialog is up
    void DoDataExchange(CDataExchange* pDX) override
    {
        switch (kind) {
        case Kind::Int: DDX_Text(pDX, IDC_A, number); break;
        case Kind::IntRange:
            DDX_Text(pDX, IDC_A, number);
            DDV_MinMaxInt(pDX, number, 1, 10);
            break;
        case Kind::Real: DDX_Text(pDX, IDC_A, real); break;
        case Kind::RealRange:
            DDX_Text(pDX, IDC_A, real);
            DDV_MinMaxDouble(pDX, real, 0.5, 2.25);
            break;
        case Kind::Chars:
            DDX_Text(pDX, IDC_A, text);
            DDV_MaxChars(pDX, text, 3);
            break;
        }
    }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        for (UINT id : script) PostMessage(WM_COMMAND, id, 0);
        return TRUE;
    }
};

using AfxDialog = AfxTest;

TEST_F(AfxDialog, FailedChecksShowTheStandardTextsAndFocusTheControl)
{
    struct Case {
        Kind kind;
        const char* input;
        const char* box;   // empty: accepted
    };
    const Case cases[] = {
        {Kind::Int, "abc", "Enter a whole number."},
        {Kind::Int, " 12 ", ""},
        {Kind::Int, "99999999999", "Enter a whole number."},
        {Kind::IntRange, "42", "Enter a whole number from 1 to 10."},
        {Kind::IntRange, "10", ""},
        {Kind::Real, "1e", "Enter a number."},
        {Kind::Real, "-2.5", ""},
        {Kind::RealRange, "7.5", "Enter a number from 0.5 to 2.25."},
        {Kind::Chars, "abcd", "Enter no more than 3 characters."},
        {Kind::Chars, "abc", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        CValuesDialog dlg;
        dlg.kind = c.kind;
        ASSERT_TRUE(dlg.CreateIndirect(&kTemplate, nullptr));
        dlg.SetDlgItemText(IDC_A, c.input);
        BOOL ok = dlg.UpdateData(TRUE);
        std::vector<MessageBoxRecord> log = TakeMessageBoxLog();
        if (*c.box) {
            EXPECT_FALSE(ok);
            ASSERT_EQ(log.size(), 1u);
            EXPECT_EQ(log[0].text, c.box);
            EXPECT_EQ(log[0].type & MB_ICONEXCLAMATION, MB_ICONEXCLAMATION);
            EXPECT_EQ(GetFocus(), GetDlgItem(dlg.m_hWnd, IDC_A));
        } else {
            EXPECT_TRUE(ok);
            EXPECT_TRUE(log.empty());
        }
        dlg.DestroyWindow();
    }
}

TEST_F(AfxDialog, DialogsOpenFullyOnTheScreen)
{
    RECT work;
    SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
    Handler h;
    // A narrow owner at the screen's left edge, one at its bottom right.
    HWND left = MakeWindow(&h);
    MoveWindow(left, work.left, work.top + 40, 120, 400, FALSE);
    HWND corner = MakeWindow(&h);
    MoveWindow(corner, work.right - 60, work.bottom - 60, 60, 60, FALSE);
    struct Case {
        const char* what;
        HWND owner;
        short x, y;
        DWORD style;
    };
    const Case cases[] = {
        {"centred on a narrow owner", left, 0, 0, DS_CENTER},
        {"placed left of the screen", nullptr, -80, 10, 0},
        {"placed on an owner near the corner", corner, 40, 40, 0},
        {"centred on an owner near the corner", corner, 0, 0, DS_CENTER},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CDialogTemplate wide = {WS_POPUP | WS_CAPTION | DS_MODALFRAME | c.style, 0, "Wide", c.x, c.y, 300, 80, kItems, 2};
        CValuesDialog dlg;
        ASSERT_TRUE(dlg.CreateIndirect(&wide, c.owner ? CWnd::FromHandle(c.owner) : nullptr));
        RECT r;
        GetWindowRect(dlg.m_hWnd, &r);
        EXPECT_GE(r.left, work.left);
        EXPECT_GE(r.top, work.top);
        EXPECT_LE(r.right, work.right);
        EXPECT_LE(r.bottom, work.bottom);
        dlg.DestroyWindow();
    }
    DestroyWindow(left);
    DestroyWindow(corner);
}

TEST_F(AfxDialog, OkWithAFailedCheckKeepsTheModalDialogOpen)
{
    CFrameWnd* owner = new CFrameWnd;
    ASSERT_TRUE(owner->Create(nullptr, "owner"));
    owner->ShowWindow(SW_SHOW);
    CValuesDialog dlg;
    dlg.m_pParentWnd = owner;
    dlg.kind = Kind::IntRange;
    dlg.number = 42;   // shown by OnInitDialog, refused by OK
    dlg.script = {IDOK, IDCANCEL};
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Enter a whole number from 1 to 10."}));
    EXPECT_TRUE(IsWindowEnabled(owner->m_hWnd));

    CValuesDialog good;
    good.kind = Kind::IntRange;
    good.number = 7;
    good.script = {IDOK};
    EXPECT_EQ(good.DoModal(), IDOK);
    EXPECT_EQ(good.number, 7);
    EXPECT_EQ(good.m_hWnd, nullptr);
    owner->DestroyWindow();
    PumpUntilIdle();
}

TEST_F(AfxDialog, DialogUnitsFollowTheUiFont)
{
    SIZE u = AfxDialogBaseUnits();
    EXPECT_GT(u.cx, 3);
    EXPECT_GT(u.cy, 8);
    RECT r{0, 0, 4, 8};
    AfxMapDialogRect(&r);
    EXPECT_EQ(r.right, u.cx);
    EXPECT_EQ(r.bottom, u.cy);
}

const CDialogItemTemplate kPageItems[] = {{"Edit", "", IDC_A, WS_TABSTOP, 5, 5, 50, 12, 0}};
const CDialogTemplate kPage = {WS_CHILD, 0, nullptr, 0, 0, 120, 50, kPageItems, 1};

class CCountingPage : public CPropertyPage {
public:
    explicit CCountingPage(const char* caption) : CPropertyPage(&kPage, caption) {}
    int applied = 0;
    bool refuse = false;
    BOOL OnApply() override
    {
        ++applied;
        return refuse ? FALSE : CPropertyPage::OnApply();
    }
};

TEST_F(AfxDialog, ASheetAppliesEveryCreatedPageAndARefusalKeepsItsPage)
{
    CPropertySheet sheet("Options");
    CCountingPage one("One"), two("Two"), three("Three");
    sheet.AddPage(&one);
    sheet.AddPage(&two);
    sheet.AddPage(&three);
    ASSERT_TRUE(sheet.Create());
    EXPECT_EQ(sheet.GetDlgItemText(IDOK), "OK");
    EXPECT_EQ(sheet.GetDlgItemText(IDCANCEL), "Cancel");
    EXPECT_EQ(sheet.GetDlgItemText(ID_APPLY_NOW), "&Apply");
    ASSERT_TRUE(sheet.SetActivePage(1));   // creates page two; three is never shown
    ASSERT_TRUE(sheet.SetActivePage(0));
    two.refuse = true;
    EXPECT_FALSE(sheet.Apply());
    EXPECT_EQ(sheet.GetActiveIndex(), 1);
    EXPECT_EQ(one.applied, 1);
    EXPECT_EQ(two.applied, 1);
    EXPECT_EQ(three.applied, 0);
    EXPECT_EQ(three.m_hWnd, nullptr);
    // OK with the refusal keeps the sheet; once the page agrees, OK closes it.
    sheet.PressButton(PSBTN_OK);
    PumpUntilIdle();
    EXPECT_NE(sheet.m_hWnd, nullptr);
    two.refuse = false;
    sheet.PressButton(PSBTN_OK);
    PumpUntilIdle();
    EXPECT_EQ(sheet.m_hWnd, nullptr);
    EXPECT_EQ(two.applied, 3);
}

// The keyboard reaches every page: Ctrl+Tab and Ctrl+Page Up turn the pages,
// Tab walks from the tab strip into the shown page and on to the buttons,
// and Escape in a page cancels the sheet.
TEST_F(AfxDialog, TheKeyboardTurnsPagesAndTabsIntoThem)
{
    CPropertySheet sheet("Keys");
    CCountingPage one("One"), two("Two"), three("Three");
    sheet.AddPage(&one);
    sheet.AddPage(&two);
    sheet.AddPage(&three);
    ASSERT_TRUE(sheet.Create());
    sheet.ShowWindow(SW_SHOW);
    SetActiveWindow(sheet.m_hWnd);
    auto pump = [&] { PumpUntilIdle([&](MSG& m) { return sheet.m_hWnd && sheet.PreTranslateMessage(&m); }); };
    auto ctrl = [&](UINT vk, bool shift = false) {
        InjectKey(VK_CONTROL, true);
        if (shift) InjectKey(VK_SHIFT, true);
        InjectKeyStroke(vk);
        if (shift) InjectKey(VK_SHIFT, false);
        InjectKey(VK_CONTROL, false);
        pump();
    };
    ctrl(VK_TAB);
    EXPECT_EQ(sheet.GetActiveIndex(), 1);
    EXPECT_EQ(GetFocus(), sheet.GetTabControl());
    ctrl(VK_TAB);
    ctrl(VK_TAB);
    EXPECT_EQ(sheet.GetActiveIndex(), 0) << "round from the last page";
    ctrl(VK_PRIOR);
    EXPECT_EQ(sheet.GetActiveIndex(), 2);
    ctrl(VK_TAB, true);
    EXPECT_EQ(sheet.GetActiveIndex(), 1);
    // Tab from the strip: the page's edit box, then OK.
    InjectKeyStroke(VK_TAB);
    pump();
    EXPECT_EQ(GetFocus(), two.GetDlgItem(IDC_A)->m_hWnd);
    InjectKeyStroke(VK_TAB);
    pump();
    EXPECT_EQ(GetFocus(), sheet.GetDlgItem(IDOK)->m_hWnd);
    SetFocus(two.GetDlgItem(IDC_A)->m_hWnd);
    InjectKeyStroke(VK_ESCAPE);
    pump();
    EXPECT_EQ(sheet.m_hWnd, nullptr) << "Escape in a page cancels the sheet";
}

}  // namespace

namespace {

class CFindOwner : public CWnd {
public:
    std::vector<std::string> seen;
    LRESULT OnFind(WPARAM, LPARAM l)
    {
        CFindReplaceDialog* d = CFindReplaceDialog::GetNotifier(l);
        seen.push_back(d->GetFindString() + "|" + d->GetReplaceString() + (d->ReplaceAll() ? "|all" : "") +
                       (d->MatchCase() ? "|case" : ""));
        return 0;
    }

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CFindOwner, CWnd)
    ON_REGISTERED_MESSAGE("commdlg_FindReplace", OnFind)
END_MESSAGE_MAP()

class CRefusingFolder : public CFolderDialog {
public:
    std::vector<std::string> changed;
    void OnSelChanged(const std::string& p) override { changed.push_back(p); }
    BOOL OnValidate(const std::string& p) override { return p != "/refused"; }
};

TEST_F(AfxDialog, CommonDialogsTakeScriptedAnswersAndLogWhatWasAsked)
{
    CommonDialogAnswer file;
    file.paths = {"/tmp/x"};
    PushCommonDialogAnswer(file);
    CFileDialog save(FALSE, "vdx", "start.vdx");
    ASSERT_EQ(save.DoModal(), IDOK);
    EXPECT_EQ(save.GetPathName(), "/tmp/x.vdx");   // the default extension is added
    EXPECT_EQ(save.GetFileExt(), "vdx");

    CommonDialogAnswer color;
    color.color = RGB(1, 2, 3);
    PushCommonDialogAnswer(color);
    CColorDialog cd(RGB(255, 0, 0));
    ASSERT_EQ(cd.DoModal(), IDOK);
    EXPECT_EQ(cd.GetColor(), RGB(1, 2, 3));

    CommonDialogAnswer font;
    font.text = "Courier New";
    font.number = 12;
    PushCommonDialogAnswer(font);
    CFontDialog fd;
    ASSERT_EQ(fd.DoModal(), IDOK);
    EXPECT_EQ(fd.GetFaceName(), "Courier New");
    EXPECT_EQ(fd.GetSize(), 120);

    CommonDialogAnswer setup;
    setup.number = 1;
    PushCommonDialogAnswer(setup);
    CPrintDialog ps(TRUE);
    ASSERT_EQ(ps.DoModal(), IDOK);
    CPrintInfo info;
    ps.Apply(&info);
    EXPECT_EQ(info.m_strPrinter, "PDF file");
    EXPECT_EQ(info.m_paperWidth, 2159);
    EXPECT_EQ(AfxPrinterNames().front(), "PDF file");

    CFindOwner owner;
    ASSERT_TRUE(owner.CreateEx(0, nullptr, "", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr));
    CommonDialogAnswer find;
    find.text = "abc\nxyz";
    find.number = FR_REPLACEALL | FR_MATCHCASE;
    PushCommonDialogAnswer(find);
    CFindReplaceDialog fr;
    ASSERT_TRUE(fr.Create(FALSE, "abc", nullptr, FR_DOWN, &owner));
    EXPECT_EQ(owner.seen, (std::vector<std::string>{"abc|xyz|all|case"}));

    CommonDialogAnswer folder;
    folder.paths = {"/refused"};
    PushCommonDialogAnswer(folder);
    CRefusingFolder fo;
    EXPECT_EQ(fo.DoModal(), IDCANCEL);
    EXPECT_EQ(fo.changed, (std::vector<std::string>{"/refused"}));

    // No answer left: cancelled.
    CFileDialog open(TRUE);
    EXPECT_EQ(open.DoModal(), IDCANCEL);

    std::vector<std::string> kinds;
    for (const CommonDialogRecord& r : TakeCommonDialogLog()) kinds.push_back(r.kind);
    EXPECT_EQ(kinds, (std::vector<std::string>{"file-save", "color", "font", "print-setup", "replace", "folder", "file-open"}));
}

}  // namespace
