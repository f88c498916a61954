// Profile functions and the recent-file list over the settings file (a golden
// file), batch write protection, and printing: PDF pages, the per-page log
// against the paint log, and the preview inside the frame.
#include <unistd.h>
#include "tests/support/common_dialog_script.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "afx_demo.h"
#include "afx_test_util.h"
#include "platform/backend/headless.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

std::string Replace(std::string s, const std::string& from, const std::string& to)
{
    for (size_t p = s.find(from); p != std::string::npos; p = s.find(from, p + to.size())) s.replace(p, from.size(), to);
    return s;
}

using AfxSettings = AfxTest;

TEST_F(AfxSettings, ProfileValuesAndTheRecentFileListMatchTheGoldenFile)
{
    std::string profile = "AfxProfile-" + std::to_string(getpid());
    std::string path = SettingsFilePath("Brenholt", profile);
    fs::remove(path);
    fs::path dir = fs::path(testing::TempDir()) / ("afx-mru-" + std::to_string(getpid()));
    {
        CWinApp app("Profile", AfxGetProgramModuleState());
        app.m_pszProfileName = profile;
        EXPECT_EQ(app.Settings().Path(), path);
        app.WriteProfileInt("Settings", "Count", 10);
        app.WriteProfileInt("Settings", "Negative", -1);
        app.WriteProfileString("Settings", "Folder", "\\funlib");
        app.WriteProfileString("Settings", "Lines", "a\nb");
        app.WriteProfileString("Settings", "Windows", "C:\\new");
        const uint8_t bytes[] = {2, 1, 255};
        app.WriteProfileBinary("Settings", "Bytes", bytes, 3);
        app.WriteProfileBinary("Settings", "Empty", bytes, 0);
        app.WriteProfileString("Scratch", "x", "1");
        app.WriteProfileString("Scratch\\Sub", "y", "2");
        app.WriteProfileString("Settings", "Gone", "z");
        app.WriteProfileString("Settings", "Gone", nullptr);
        EXPECT_TRUE(app.HasProfileSection("Scratch\\Sub"));
        app.WriteProfileString("Scratch", nullptr, nullptr);   // with its sub-sections
        EXPECT_FALSE(app.HasProfileSection("Scratch\\Sub"));
        app.LoadStdProfileSettings(4);
        for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"}) app.AddToRecentFileList((dir / name).c_str());

        // Every value reads back as written.
        EXPECT_EQ(app.GetProfileInt("Settings", "Count", 0), 10u);
        EXPECT_EQ((int)app.GetProfileInt("Settings", "Negative", 0), -1);
        EXPECT_EQ(app.GetProfileInt("Settings", "Missing", 33), 33u);
        for (const char* v : {"Folder", "Lines", "Windows"}) {
            app.Settings().Reload();
            std::string got = app.GetProfileString("Settings", v);
            EXPECT_EQ(got, std::string(v) == "Folder" ? "\\funlib" : std::string(v) == "Lines" ? "a\nb" : "C:\\new");
        }
        std::vector<uint8_t> back;
        EXPECT_TRUE(app.GetProfileBinary("Settings", "Bytes", back));
        EXPECT_EQ(back, (std::vector<uint8_t>{2, 1, 255}));
    }
    std::string golden = ReadFile(std::string(getenv("VELDRA_SOURCE")) + "/tests/platform/data/afx_profile.conf");
    EXPECT_EQ(ReadFile(path), Replace(golden, "@DIR@", dir.string()));

    // A batch run reads but leaves the file byte for byte.
    std::string before = ReadFile(path);
    CSettingsFile::SetWriteProtected(true);
    {
        CWinApp app("Profile", AfxGetProgramModuleState());
        app.m_pszProfileName = profile;
        app.LoadStdProfileSettings(4);
        app.AddToRecentFileList((dir / "f.txt").c_str());
        app.WriteProfileInt("Settings", "Count", 11);
        app.DeleteProfileSection("Settings");
        app.ExitInstance();
    }
    CSettingsFile::SetWriteProtected(false);
    EXPECT_EQ(ReadFile(path), before);
    CSettingsFile::Open(path).Reload();
    fs::remove(path);
}

using AfxPrint = AfxTest;

std::string PdfInfo(const std::string& pdf)
{
    std::string cmd = "pdfinfo '" + pdf + "' 2>/dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return {};
    std::string out;
    char line[256];
    while (fgets(line, sizeof line, p)) out += line;
    pclose(p);
    return out;
}

int PdfPages(const std::string& pdf)
{
    std::string info = PdfInfo(pdf);
    size_t at = info.find("Pages:");
    return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + 6);
}

TEST_F(AfxPrint, PagesGoToAPdfLikeThePaintAndThePreviewClosesAlone)
{
    CDemoMdiApp app("AfxPrint-" + std::to_string(getpid()));
    CWinThread* prev = AfxSetThread(&app);
    ASSERT_TRUE(app.InitInstance());
    CDemoDoc* doc = static_cast<CDemoDoc*>(app.m_pDocManager->Templates().front()->OpenDocumentFile(nullptr));
    ASSERT_NE(doc, nullptr);
    std::string text;
    for (int i = 1; i <= 100; ++i) text += "line " + std::to_string(i) + "\n";
    doc->Append(text);
    CDemoView* view = static_cast<CDemoView*>(doc->Views().front());
    CFrameWnd* child = view->GetParentFrame();
    child->ShowWindow(SW_MAXIMIZE);
    view->UpdateWindow();
    PumpUntilIdle();
    ASSERT_EQ(view->m_paintLog.size(), 100u);

    std::string pdf = (fs::path(testing::TempDir()) / ("afx-print-" + std::to_string(getpid()) + ".pdf")).string();
    fs::remove(pdf);
    CommonDialogAnswer answer;
    answer.text = AFX_PRINTER_PDF;
    answer.paths = {pdf};
    PushCommonDialogAnswer(answer);
    view->SendMessage(WM_COMMAND, ID_FILE_PRINT);
    std::vector<CommonDialogRecord> log = TakeCommonDialogLog();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].kind, "print");
    ASSERT_EQ(view->m_pageLog.size(), 3u);
    std::vector<std::string> printed;
    for (auto& page : view->m_pageLog) printed.insert(printed.end(), page.begin(), page.end());
    EXPECT_EQ(printed, view->m_paintLog);
    EXPECT_EQ(PdfPages(pdf), 3);
    EXPECT_NE(PdfInfo(pdf).find("595.276 x 841.89"), std::string::npos) << PdfInfo(pdf);   // A4
    fs::remove(pdf);

    // Print setup through the application: Letter for the next job.
    CommonDialogAnswer setup;
    setup.number = 1;
    PushCommonDialogAnswer(setup);
    app.m_pMainWnd->SendMessage(WM_COMMAND, ID_FILE_PRINT_SETUP);
    PushCommonDialogAnswer(answer);
    view->SendMessage(WM_COMMAND, ID_FILE_PRINT);
    EXPECT_NE(PdfInfo(pdf).find("612 x 792"), std::string::npos) << PdfInfo(pdf);   // Letter
    fs::remove(pdf);
    app.m_bLetter = FALSE;
    TakeCommonDialogLog();

    // A queue gets the PDF through `lp -d QUEUE FILE` (a stand-in lp records its argv).
    fs::path bin = fs::path(testing::TempDir()) / ("afx-lp-" + std::to_string(getpid()));
    fs::create_directories(bin);
    std::string record = (bin / "argv").string();
    {
        std::ofstream lp(bin / "lp");
        lp << "#!/bin/sh\necho \"$1 $2\" > '" << record << "'\npdfinfo \"$3\" | grep Pages >> '" << record << "'\n";
    }
    fs::permissions(bin / "lp", fs::perms::owner_all);
    std::ofstream(bin / "lpstat") << "#!/bin/sh\nprintf 'office\\nlab\\n'\n";
    fs::permissions(bin / "lpstat", fs::perms::owner_all);
    std::string oldPath = getenv("PATH");
    setenv("PATH", (bin.string() + ":" + oldPath).c_str(), 1);
    EXPECT_EQ(AfxPrinterNames(), (std::vector<std::string>{"PDF file", "office", "lab"}));
    CommonDialogAnswer queue;
    queue.text = "office";
    PushCommonDialogAnswer(queue);
    view->SendMessage(WM_COMMAND, ID_FILE_PRINT);
    setenv("PATH", oldPath.c_str(), 1);
    std::string lpRecord = ReadFile(record);
    EXPECT_EQ(lpRecord.substr(0, lpRecord.find('\n')), "-d office");
    EXPECT_NE(lpRecord.find("Pages:"), std::string::npos);
    EXPECT_NE(lpRecord.find(" 3"), std::string::npos);
    fs::remove_all(bin);

    // A cancelled print dialog prints nothing.
    view->SendMessage(WM_COMMAND, ID_FILE_PRINT);
    EXPECT_FALSE(fs::exists(pdf));

    // The preview replays the same pages; a close while it shows ends only the preview.
    EXPECT_EQ(AfxPreviewPageCount(view), 3);
    HWND mainHwnd = app.m_pMainWnd->m_hWnd;
    PostMessage(mainHwnd, WM_CLOSE, 0, 0);
    view->SendMessage(WM_COMMAND, ID_FILE_PRINT_PREVIEW);
    EXPECT_TRUE(IsWindow(mainHwnd));
    EXPECT_TRUE(IsWindow(view->m_hWnd));

    // A picture of the frame for the artifacts.
    const char* out = getenv("VELDRA_OUT");
    fs::path artifacts = fs::path(out ? out : "build/out").parent_path() / "test-artifacts";
    fs::create_directories(artifacts);
    UpdateWindow(mainHwnd);
    PumpUntilIdle();
    EXPECT_TRUE(HeadlessSavePng(mainHwnd, (artifacts / "afx-mdi-demo.png").string()));

    doc->SetModifiedFlag(FALSE);
    SendMessage(mainHwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(mainHwnd));
    MSG m;
    GetMessage(&m, nullptr, 0, 0);
    AfxSetThread(prev);
}

}  // namespace
