// Our own find/replace, colour and font dialogs under injected input.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <unistd.h>

#include "platform/afx/print_info.h"
#include "platform/afx_test_util.h"
#include "platform/afx/color_dialog.h"
#include "tests/support/common_dialog_script.h"
#include "platform/afx/file_dialog.h"
#include "platform/afx/folder_dialog.h"
#include "platform/afx/font_dialog.h"
#include "platform/afx/print_dialog.h"
#include "platform/afx/stand_in_dialogs.h"

namespace {

class CFindOwner : public CFrameWnd {
public:
    std::vector<std::string> seen;
    LRESULT OnFind(WPARAM, LPARAM l)
    {
        CFindReplaceDialog* d = CFindReplaceDialog::GetNotifier(l);
        std::string s = d->GetFindString() + "|" + d->GetReplaceString();
        if (d->FindNext()) s += "|next";
        if (d->ReplaceAll()) s += "|all";
        if (d->MatchCase()) s += "|case";
        if (d->SearchDown()) s += "|down";
        if (d->IsTerminating()) s += "|end";
        seen.push_back(s);
        return 0;
    }

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CFindOwner, CFrameWnd)
    ON_REGISTERED_MESSAGE("commdlg_FindReplace", OnFind)
END_MESSAGE_MAP()

using StandIns = AfxTest;

void ClickItem(HWND dlg, int id)
{
    RECT r;
    GetWindowRect(GetDlgItem(dlg, id), &r);
    InjectClick(r.left + 5, (r.top + r.bottom) / 2);
    PumpUntilIdle([&](MSG& m) { return IsWindow(dlg) && IsDialogMessage(dlg, &m); });
}

TEST_F(StandIns, FindReplaceReportsEachPressThroughTheFrameworkObject)
{
    CFindOwner* owner = new CFindOwner;
    ASSERT_TRUE(owner->Create(nullptr, "owner"));
    owner->ShowWindow(SW_SHOW);
    CFindReplaceDialog api;
    api.Create(FALSE, "", "", FR_DOWN, owner);   // no scripted answer: nothing reported yet
    EXPECT_TRUE(owner->seen.empty());
    auto* dlg = new CFindReplaceStandIn(&api, FALSE, "old", "new", FR_DOWN, owner);
    ASSERT_TRUE(dlg->Show());
    HWND h = dlg->m_hWnd;
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, IDOK)));
    ClickItem(h, IDC_MATCH_CASE);
    ClickItem(h, IDOK);
    ClickItem(h, IDC_REPLACE_ALL);
    // Emptying the find text disables the searching buttons.
    SetWindowText(GetDlgItem(h, IDC_FIND_WHAT), "");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, IDOK)));
    ClickItem(h, IDCANCEL);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(owner->seen, (std::vector<std::string>{"old|new|next|case|down", "old|new|all|case|down",
                                                     "|new|case|down|end"}));
    owner->DestroyWindow();
    PumpUntilIdle();
}

// Every check box and radio button of the Find and Replace boxes shows its
// whole text beside its 13-pixel box ("Down" was cut).
TEST_F(StandIns, FindAndReplaceLabelsFitTheirButtons)
{
    CFindOwner* owner = new CFindOwner;
    ASSERT_TRUE(owner->Create(nullptr, "owner"));
    for (BOOL findOnly : {TRUE, FALSE}) {
        CFindReplaceDialog api;
        auto* dlg = new CFindReplaceStandIn(&api, findOnly, "a", "b", FR_DOWN, owner);
        ASSERT_TRUE(dlg->Show());
        HWND h = dlg->m_hWnd;
        int checked = 0;
        for (int id : {IDC_WHOLE_WORD, IDC_MATCH_CASE, IDC_DIR_UP, IDC_DIR_DOWN}) {
            HWND c = GetDlgItem(h, id);
            if (!c) continue;
            char text[64] = {};
            GetWindowText(c, text, sizeof text);
            std::string shown;
            for (const char* p = text; *p; ++p)
                if (*p != '&') shown += *p;
            HDC dc = GetDC(c);
            HGDIOBJ old = SelectObject(dc, (HGDIOBJ)SendMessage(c, WM_GETFONT, 0, 0));
            SIZE sz{};
            GetTextExtentPoint32(dc, shown.c_str(), (int)shown.size(), &sz);
            SelectObject(dc, old);
            ReleaseDC(c, dc);
            RECT r{};
            GetClientRect(c, &r);
            EXPECT_LE(13 + 4 + sz.cx, r.right) << shown << (findOnly ? " in Find" : " in Replace");
            ++checked;
        }
        EXPECT_EQ(checked, findOnly ? 4 : 2);
        ClickItem(h, IDCANCEL);
    }
    owner->DestroyWindow();
    PumpUntilIdle();
}

class CScriptedColor : public CColorStandIn {
public:
    using CColorStandIn::CColorStandIn;
    BOOL OnInitDialog() override
    {
        CColorStandIn::OnInitDialog();
        // A basic colour, then a typed green component, then OK.
        PostMessage(WM_COMMAND, MAKELONG(IDC_COLOR_BASIC + 12, BN_CLICKED), (LPARAM)::GetDlgItem(m_hWnd, IDC_COLOR_BASIC + 12));
        PostMessage(WM_APP + 1, 0, 0);
        return TRUE;
    }
    LRESULT OnStep(WPARAM, LPARAM)
    {
        SetDlgItemText(IDC_COLOR_GREEN, "128");
        PostMessage(WM_COMMAND, IDOK, 0);
        return 0;
    }

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CScriptedColor, CColorStandIn)
    ON_MESSAGE(WM_APP + 1, OnStep)
END_MESSAGE_MAP()

TEST_F(StandIns, ColorTakesABasicColourAndTypedComponents)
{
    CScriptedColor dlg(RGB(1, 2, 3));
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.GetColor(), RGB(0, 128, 255));
}

class CScriptedFont : public CFontStandIn {
public:
    using CFontStandIn::CFontStandIn;
    std::string sizeText = "14";
    BOOL OnInitDialog() override
    {
        CFontStandIn::OnInitDialog();
        PostMessage(WM_APP + 1, 0, 0);
        return TRUE;
    }
    LRESULT OnStep(WPARAM, LPARAM)
    {
        HWND faces = ::GetDlgItem(m_hWnd, IDC_FONT_FACE);
        ::SendMessage(faces, LB_SELECTSTRING, (WPARAM)-1, (LPARAM) "Liberation Mono");
        ::SetWindowText(::GetDlgItem(m_hWnd, IDC_FONT_SIZE), sizeText.c_str());
        ::SendMessage(::GetDlgItem(m_hWnd, IDC_FONT_BOLD), BM_SETCHECK, BST_CHECKED, 0);
        PostMessage(WM_COMMAND, IDOK, 0);
        if (sizeText == "x") PostMessage(WM_COMMAND, IDCANCEL, 0);   // refused size: still open
        return 0;
    }

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CScriptedFont, CFontStandIn)
    ON_MESSAGE(WM_APP + 1, OnStep)
END_MESSAGE_MAP()

TEST_F(StandIns, FontOffersFontconfigFamiliesAndSizes)
{
    std::vector<std::string> families = CFontStandIn::Families();
    ASSERT_FALSE(families.empty());
    EXPECT_TRUE(std::is_sorted(families.begin(), families.end()));
    const bool haveMono = std::find(families.begin(), families.end(), "Liberation Mono") != families.end();
    CScriptedFont dlg(nullptr);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.m_pointSize, 140);
    EXPECT_EQ(dlg.m_lf.lfWeight, 700);
    if (haveMono) {
        EXPECT_STREQ(dlg.m_lf.lfFaceName, "Liberation Mono");
    }
    CScriptedFont bad(nullptr);
    bad.sizeText = "x";
    EXPECT_EQ(bad.DoModal(), IDCANCEL);
}

std::vector<std::string> ListItems(HWND list)
{
    std::vector<std::string> out;
    int n = (int)SendMessage(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < n; ++i) {
        char buf[256] = {};
        SendMessage(list, LB_GETTEXT, (WPARAM)i, (LPARAM)buf);
        out.push_back(buf);
    }
    return out;
}

TEST_F(StandIns, FileListsFoldersAndMatchingFilesAndChecksTheName)
{
    namespace fs = std::filesystem;
    fs::path base = fs::temp_directory_path() / ("veldra_files_" + std::to_string(getpid()));
    fs::create_directories(base / "sub");
    for (const char* f : {"a.txt", "B.TXT", "c.dat", "sub/inner.txt"}) fclose(fopen((base / f).c_str(), "w"));
    CFileStandIn open(TRUE, nullptr, "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||", base.c_str());
    ASSERT_TRUE(open.CreateIndirect(open.m_pTemplate, nullptr));
    HWND list = GetDlgItem(open.m_hWnd, IDC_FILE_LIST), types = GetDlgItem(open.m_hWnd, IDC_FILE_TYPE);
    EXPECT_EQ(ListItems(list), (std::vector<std::string>{"[..]", "[sub]", "B.TXT", "a.txt"}));
    SendMessage(types, CB_SETCURSEL, 1, 0);
    open.Fill();
    EXPECT_EQ(ListItems(list).size(), 5u);
    // A double-click on a folder enters it.
    SendMessage(list, LB_SETCURSEL, 1, 0);
    open.OnListDblClk();
    EXPECT_EQ(open.GetFolder(), (base / "sub").string());
    EXPECT_EQ(ListItems(list), (std::vector<std::string>{"[..]", "inner.txt"}));
    // Opening a name that is not there keeps the dialog; one that is there is taken.
    SetWindowText(GetDlgItem(open.m_hWnd, IDC_FILE_NAME), "missing.txt");
    open.OnOK();
    EXPECT_TRUE(open.GetPathName().empty());
    SetWindowText(GetDlgItem(open.m_hWnd, IDC_FILE_NAME), "inner.txt");
    open.OnOK();
    EXPECT_EQ(open.GetPathName(), (base / "sub" / "inner.txt").string());
    open.DestroyWindow();
    CFileStandIn save(FALSE, "new.txt", nullptr, base.c_str());
    ASSERT_TRUE(save.CreateIndirect(save.m_pTemplate, nullptr));
    save.OnOK();
    EXPECT_EQ(save.GetPathName(), (base / "new.txt").string());
    save.DestroyWindow();
    fs::remove_all(base);
}

TEST_F(StandIns, PrintNeedsAFileForPdfAndTakesCopiesPaperAndOrientation)
{
    CPrintStandIn dlg;
    ASSERT_TRUE(dlg.CreateIndirect(dlg.m_pTemplate, nullptr));
    dlg.ShowWindow(SW_SHOW);
    PumpUntilIdle();
    HWND h = dlg.m_hWnd;
    char printer[64] = {};
    GetWindowText(GetDlgItem(h, IDC_PRINT_PRINTER), printer, sizeof printer);
    EXPECT_STREQ(printer, AFX_PRINTER_PDF);
    dlg.OnOK();   // no file yet: still open
    EXPECT_EQ(GetFocus(), GetDlgItem(h, IDC_PRINT_OUTPUT));
    EXPECT_TRUE(dlg.m_output.empty());
    SetWindowText(GetDlgItem(h, IDC_PRINT_OUTPUT), "/tmp/out.pdf");
    // The spin button steps the copies.
    // (The printer combo above is one line high, not its template's height with the list.)
    RECT r;
    GetWindowRect(GetDlgItem(h, IDC_PRINT_COPIES_SPIN), &r);
    InjectClick((r.left + r.right) / 2, r.top + 2);
    PumpUntilIdle();
    SendMessage(GetDlgItem(h, IDC_PRINT_LETTER), BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessage(GetDlgItem(h, IDC_PRINT_PORTRAIT), BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessage(GetDlgItem(h, IDC_PRINT_LANDSCAPE), BM_CLICK, 0, 0);
    dlg.OnOK();
    EXPECT_EQ(dlg.m_output, "/tmp/out.pdf");
    EXPECT_EQ(dlg.m_copies, 2);
    EXPECT_TRUE(dlg.m_letter);
    EXPECT_TRUE(dlg.m_landscape);
    dlg.DestroyWindow();
}

// The framework's dialogs run ours modally when a test drives them: the
// answer is what the injected input does in the real dialog.
void ClickLater(HWND dlg, int id)
{
    RECT r;
    ASSERT_TRUE(GetWindowRect(GetDlgItem(dlg, id), &r));
    InjectClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

CommonDialogAnswer Driven(std::function<void(HWND)> drive)
{
    CommonDialogAnswer a;
    a.drive = std::move(drive);
    return a;
}

TEST_F(StandIns, FrameworkDialogsRunOursModallyUnderInjectedInput)
{
    ClearCommonDialogAnswers();
    // Colour: a basic colour clicked, then OK.
    PushCommonDialogAnswer(Driven([](HWND h) {
        EXPECT_TRUE(IsWindowVisible(h));
        ClickLater(h, IDC_COLOR_BASIC + 3);
        ClickLater(h, IDOK);
    }));
    CColorDialog color(RGB(1, 2, 3));
    EXPECT_EQ(color.DoModal(), IDOK);
    EXPECT_EQ(color.GetColor(), CColorStandIn::BasicColor(3));

    // Font: a typed size, then Enter.
    PushCommonDialogAnswer(Driven([](HWND h) {
        SetWindowText(GetDlgItem(h, IDC_FONT_SIZE), "13");
        ClickLater(h, IDC_FONT_BOLD);
        ClickLater(h, IDOK);
    }));
    LOGFONT lf{};
    lf.lfHeight = -16;
    std::snprintf(lf.lfFaceName, sizeof lf.lfFaceName, "%s", "Liberation Sans");
    CFontDialog font(&lf);
    EXPECT_EQ(font.DoModal(), IDOK);
    EXPECT_EQ(font.GetSize(), 130);
    EXPECT_EQ(font.m_lf.lfWeight, 700);

    // File save: a name typed relative to the folder shown gets the default extension.
    char tmpl[] = "/tmp/veldra-driven-XXXXXX";
    ASSERT_TRUE(mkdtemp(tmpl));
    const std::string dir = tmpl;
    PushCommonDialogAnswer(Driven([](HWND h) {
        SetWindowText(GetDlgItem(h, IDC_FILE_NAME), "notes");
        InjectKeyStroke(VK_RETURN);
    }));
    CFileDialog save(FALSE, "txt", "", 0, "Text Files (*.txt)|*.txt||");
    save.m_initialDir = dir;
    EXPECT_EQ(save.DoModal(), IDOK);
    EXPECT_EQ(save.GetPathName(), dir + "/notes.txt");

    // Folder: OK on the folder it opened at; the framework object's hooks see it.
    struct CSeenFolder : CFolderDialog {
        using CFolderDialog::CFolderDialog;
        std::vector<std::string> seen;
        void OnSelChanged(const std::string& p) override { seen.push_back(p); }
    } folder("Pick", dir.c_str());
    PushCommonDialogAnswer(Driven([](HWND h) { ClickLater(h, IDOK); }));
    EXPECT_EQ(folder.DoModal(), IDOK);
    EXPECT_EQ(folder.GetFolderPath(), dir);
    EXPECT_FALSE(folder.seen.empty());

    // Print: Escape cancels, and the log says so.
    PushCommonDialogAnswer(Driven([](HWND) { InjectKeyStroke(VK_ESCAPE); }));
    CPrintDialog print(FALSE);
    EXPECT_EQ(print.DoModal(), IDCANCEL);

    const std::vector<CommonDialogRecord> log = TakeCommonDialogLog();
    ASSERT_EQ(log.size(), 5u);
    const char* kinds[] = {"color", "font", "file-save", "folder", "print"};
    for (size_t i = 0; i < log.size(); ++i) {
        EXPECT_EQ(log[i].kind, kinds[i]);
        EXPECT_EQ(log[i].result, i == 4 ? IDCANCEL : IDOK) << kinds[i];
    }
    std::filesystem::remove_all(dir);
}

TEST_F(StandIns, DrivenFindDialogIsModelessAndReportsThroughTheOwner)
{
    ClearCommonDialogAnswers();
    CFindOwner* owner = new CFindOwner;
    ASSERT_TRUE(owner->Create(nullptr, "owner"));
    owner->ShowWindow(SW_SHOW);
    HWND shown = nullptr;
    PushCommonDialogAnswer(Driven([&](HWND h) {
        shown = h;
        ClickLater(h, IDOK);
    }));
    CFindReplaceDialog api;
    ASSERT_TRUE(api.Create(TRUE, "needle", "", FR_DOWN, owner));
    PumpUntilIdle([&](MSG& m) { return shown && IsWindow(shown) && IsDialogMessage(shown, &m); });
    ASSERT_TRUE(shown && IsWindow(shown));
    EXPECT_EQ(owner->seen, (std::vector<std::string>{"needle||next|down"}));
    ClickItem(shown, IDCANCEL);
    EXPECT_FALSE(IsWindow(shown));
    owner->DestroyWindow();
    PumpUntilIdle();
}

}  // namespace
