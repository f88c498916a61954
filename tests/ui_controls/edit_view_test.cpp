// The editor's view in a headless single-document application: files load
// and save byte for byte, the modified flag follows edits and saves, find
// and replace through the scripted dialog and F3, printing page counts.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <utility>
#include <fstream>
#include <sstream>

#include "platform/afx/afx.h"
#include "platform/afx/cmd_ui.h"
#include "tests/support/common_dialog_script.h"
#include "platform/afx/print_info.h"
#include "platform/afx/print_preview.h"
#include "platform/backend/headless.h"
#include "platform/backend/headless_input.h"
#include "tests/platform/afx_test_util.h"
#include "platform/afx/stand_in_dialogs.h"
#include "ui_controls/edit/edit_view.h"

namespace fs = std::filesystem;

// The framework's page loop, as print preview runs it.
void AfxRunPrintPages(CView* view, CDC* dc, CPrintInfo* info);

namespace {
constexpr UINT IDR_EDITTEST = 140;

class CEditTestDoc : public CDocument {
    DECLARE_DYNCREATE(CEditTestDoc)
public:
    KyrEditView* View() const { return Views().empty() ? nullptr : static_cast<KyrEditView*>(Views().front()); }
    void Serialize(CArchive& ar) override
    {
        if (KyrEditView* v = View()) v->GetEditCtrl()->Serialize(ar);
    }
};
IMPLEMENT_DYNCREATE(CEditTestDoc, CDocument)

class CEditTestFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CEditTestFrame)
};
IMPLEMENT_DYNCREATE(CEditTestFrame, CFrameWnd)

const AfxStringEntry kStrings[] = {
    {IDR_EDITTEST, "EditTest\nText\nText\nText Files (*.txt)\n.txt"},
    {AFX_IDS_APP_TITLE, "EditViewTest"},
};

CModuleState* EditTestModule()
{
    static CModuleState* m = [] {
        auto* s = new CModuleState("edit-view-test");
        s->m_resources.AddStrings(kStrings, sizeof kStrings / sizeof kStrings[0]);
        return s;
    }();
    return m;
}

class CEditTestApp : public CWinApp {
public:
    CEditTestApp() : CWinApp(nullptr, EditTestModule()) { m_pszProfileName = "EditViewTest-" + std::to_string(getpid()); }
    BOOL InitInstance() override
    {
        AddDocTemplate(new CSingleDocTemplate(IDR_EDITTEST, RUNTIME_CLASS(CEditTestDoc), RUNTIME_CLASS(CEditTestFrame),
                                              RUNTIME_CLASS(KyrEditView)));
        OnFileNew();
        if (!m_pMainWnd) return FALSE;
        m_pMainWnd->MoveWindow(RECT{40, 40, 640, 440});
        m_pMainWnd->ShowWindow(SW_SHOW);
        return TRUE;
    }
};

std::string ReadFile(const fs::path& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void WriteFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream f(path, std::ios::binary);
    f << bytes;
}

class EditViewTest : public AfxTest {
protected:
    std::unique_ptr<CEditTestApp> app;
    CWinThread* previous = nullptr;
    fs::path dir;

    void SetUp() override
    {
        AfxTest::SetUp();
        dir = fs::path(testing::TempDir()) / ("edit-view-" + std::to_string(getpid()));
        fs::create_directories(dir);
        app = std::make_unique<CEditTestApp>();
        previous = AfxSetThread(app.get());
        ASSERT_TRUE(app->InitInstance());
        PumpUntilIdle();
    }
    void TearDown() override
    {
        if (app && app->m_pMainWnd && app->m_pMainWnd->m_hWnd) app->m_pMainWnd->DestroyWindow();
        PumpUntilIdle();
        AfxSetThread(previous);
        app.reset();
        std::error_code ec;
        fs::permissions(dir, fs::perms::owner_all, ec);
        fs::remove_all(dir, ec);
        AfxTest::TearDown();
    }
    CEditTestDoc* Doc()
    {
        return static_cast<CEditTestDoc*>(static_cast<CFrameWnd*>(app->m_pMainWnd)->GetActiveDocument());
    }
    KyrEditView* View() { return Doc()->View(); }
    KyrEditCtrl* Edit() { return View()->GetEditCtrl(); }
    CEditTestDoc* Open(const fs::path& path)
    {
        auto* d = static_cast<CEditTestDoc*>(app->OpenDocumentFile(path.c_str()));
        PumpUntilIdle();
        return d;
    }
    struct CProbeUI : CCmdUI {
        BOOL enabled = TRUE;
        void Enable(BOOL on) override { enabled = on; }
    };
    bool Enabled(UINT id)
    {
        CProbeUI ui;
        ui.m_nID = id;
        ui.DoUpdate(View(), FALSE);
        return ui.enabled;
    }
};
}   // namespace

TEST_F(EditViewTest, FilesLoadAndSaveByteForByte)
{
    struct Row {
        std::string in, out;
    } rows[] = {
        {"a\r\nb", "a\r\nb"},
        {"a\nb\tc\rd", "a\r\nb    cd"},
        {"", ""},
        {std::string("a\0b\r\nc", 6), std::string("a\0b\r\nc", 6)},
        {std::string(3000, 'x'), std::string(2048, 'x') + "\r\n" + std::string(952, 'x')},
    };
    int i = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE(i);
        const fs::path in = dir / ("in" + std::to_string(i) + ".txt"), out = dir / ("out" + std::to_string(i++) + ".txt");
        WriteFile(in, r.in);
        CEditTestDoc* doc = Open(in);
        ASSERT_NE(doc, nullptr);
        EXPECT_FALSE(doc->IsModified());
        EXPECT_FALSE(Edit()->IsModified());
        ASSERT_TRUE(doc->OnSaveDocument(out.c_str()));
        EXPECT_EQ(ReadFile(out), r.out);
        EXPECT_EQ(fs::file_size(out), r.out.size());
    }
}

TEST_F(EditViewTest, ModifiedFollowsEditsAndSaves)
{
    const fs::path path = dir / "m.txt";
    WriteFile(path, "abc\r\n");
    CEditTestDoc* doc = Open(path);
    ASSERT_NE(doc, nullptr);
    EXPECT_FALSE(doc->IsModified());
    ASSERT_TRUE(Edit()->InsertText("x", 0));
    EXPECT_TRUE(doc->IsModified());
    ASSERT_TRUE(doc->OnSaveDocument(path.c_str()));
    EXPECT_FALSE(doc->IsModified());
    EXPECT_FALSE(Edit()->IsModified());
    EXPECT_EQ(ReadFile(path), "xabc\r\n");

    // A save into a folder that cannot be written reports and keeps the old
    // file. Root writes anywhere: there a file-size limit makes the write fail.
    Edit()->InsertText("y", 0);
    if (geteuid() != 0) {
        fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(doc->OnSaveDocument(path.c_str()));
        fs::permissions(dir, fs::perms::owner_all);
    } else {
        struct rlimit old{}, small{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
        small = old;
        small.rlim_cur = 2;
        auto previous = signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        EXPECT_FALSE(doc->OnSaveDocument(path.c_str()));
        setrlimit(RLIMIT_FSIZE, &old);
        signal(SIGXFSZ, previous);
    }
    EXPECT_EQ(ReadFile(path), "xabc\r\n");
    EXPECT_FALSE(BoxTexts().empty());
    EXPECT_TRUE(doc->IsModified());
}

TEST_F(EditViewTest, FindReplaceDialogAndF3)
{
    CWnd* main = app->m_pMainWnd;
    Edit()->SetText("a ba a");
    Edit()->SetCaretOffset(0, true, false);
    EXPECT_TRUE(Enabled(ID_EDIT_FIND));
    EXPECT_FALSE(Enabled(ID_EDIT_UNDO));
    EXPECT_FALSE(Enabled(ID_EDIT_CUT));

    // Replace All "a" -> "aa": every original match once.
    CommonDialogAnswer answer;
    answer.text = "a\naa";
    answer.number = FR_DOWN | FR_REPLACEALL;
    PushCommonDialogAnswer(answer);
    View()->SendMessage(WM_COMMAND, ID_EDIT_REPLACE);
    EXPECT_EQ(Edit()->Text(), "aa baa aa");
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Finished searching for 'a'"});
    ASSERT_NE(View()->FindDialog(), nullptr);
    // Modeless: the main window stays usable while the dialog is open.
    EXPECT_FALSE(main->GetStyle() & WS_DISABLED);
    EXPECT_TRUE(IsWindowEnabled(main->m_hWnd));
    EXPECT_FALSE(Enabled(ID_EDIT_FIND));
    EXPECT_TRUE(Enabled(ID_EDIT_UNDO));
    // Find while the dialog is open only focuses it.
    KyrFindReplaceDialog* open = View()->FindDialog();
    View()->SendMessage(WM_COMMAND, ID_EDIT_FIND);
    EXPECT_EQ(View()->FindDialog(), open);

    // "a" -> "A" without match case ends.
    open->Notify(FR_DOWN | FR_REPLACEALL, "a", "A");
    EXPECT_EQ(Edit()->Text(), "AA bAA AA");
    BoxTexts();

    // Find next, then F3 repeats; a miss reports.
    Edit()->SetCaretOffset(0, true, false);
    open->Notify(FR_DOWN | FR_FINDNEXT, "b", "");
    int a, b;
    Edit()->GetSel(&a, &b);
    EXPECT_EQ(a, 3);
    EXPECT_TRUE(Enabled(ID_EDIT_REPEAT));
    open->Notify(FR_DIALOGTERM, "b", "");
    EXPECT_EQ(View()->FindDialog(), nullptr);
    EXPECT_FALSE(main->GetStyle() & WS_DISABLED);
    Edit()->SetCaretOffset(0, true, false);
    View()->SendMessage(WM_COMMAND, ID_EDIT_REPEAT);
    Edit()->GetSel(&a, &b);
    EXPECT_EQ(a, 3);
    KyrLastSearch().what = "zz";
    View()->SendMessage(WM_COMMAND, ID_EDIT_REPEAT);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Cannot find the string 'zz'"});

    // Closing the view with the dialog open leaves no dialog behind.
    answer.text = "x\n";
    answer.number = FR_DOWN | FR_FINDNEXT;
    PushCommonDialogAnswer(answer);
    View()->SendMessage(WM_COMMAND, ID_EDIT_FIND);
    BoxTexts();
    View()->DestroyWindow();
    EXPECT_FALSE(main->GetStyle() & WS_DISABLED);
}

// The real box: typed text and Enter find in the editor while the box stays
// open; Escape closes it and the editor has the focus again.
TEST_F(EditViewTest, TheFindBoxIsModelessAndEscapeGivesTheEditorBack)
{
    // The thread's loop: keys go through the windows' PreTranslateMessage.
    auto pump = [&] { PumpUntilIdle([&](MSG& m) { return app->PreTranslateMessage(&m) != FALSE; }); };
    Edit()->SetText("one two one two");
    Edit()->SetCaretOffset(0, true, false);
    HWND box = nullptr;
    CommonDialogAnswer answer;
    answer.drive = [&](HWND h) { box = h; };
    PushCommonDialogAnswer(answer);
    View()->SendMessage(WM_COMMAND, ID_EDIT_FIND);
    pump();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(IsWindowVisible(box));
    EXPECT_EQ(GetActiveWindow(), box);
    EXPECT_TRUE(IsWindowEnabled(app->m_pMainWnd->m_hWnd));
    // It opens on the word at the caret, selected: typing replaces it.
    EXPECT_EQ(GetFocus(), GetDlgItem(box, IDC_FIND_WHAT));
    InjectText("two");
    InjectKeyStroke(VK_RETURN);
    pump();
    int a = -1, b = -1;
    Edit()->GetSel(&a, &b);
    EXPECT_EQ(a, 4);
    EXPECT_EQ(b, 7);
    InjectKeyStroke(VK_RETURN);
    pump();
    Edit()->GetSel(&a, &b);
    EXPECT_EQ(a, 12) << "the second match, the box still open";
    EXPECT_TRUE(IsWindowVisible(box));
    InjectKeyStroke(VK_ESCAPE);
    pump();
    EXPECT_FALSE(IsWindow(box));
    EXPECT_EQ(View()->FindDialog(), nullptr);
    EXPECT_EQ(GetFocus(), Edit()->m_hWnd);
    // Typing goes to the editor again: it replaces the match found.
    InjectText("x");
    pump();
    EXPECT_EQ(Edit()->Text(), "one two one x");
}

TEST_F(EditViewTest, PrintingCountsPages)
{
    HDC printer = CreateRecordingDC(TRUE);
    CDC dc(printer);
    const int dpi = GetDeviceCaps(printer, LOGPIXELSY);
    HFONT screen = CreateFont(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Liberation Mono");
    Edit()->SendMessage(WM_SETFONT, (WPARAM)screen, 0);
    Edit()->CreatePrintFont(dc);
    LOGFONT lf{};
    ASSERT_TRUE(GetObject(Edit()->PrinterFont(), sizeof lf, &lf));
    HDC screenDC = GetDC(nullptr);
    EXPECT_EQ(lf.lfHeight, -13 * dpi / GetDeviceCaps(screenDC, LOGPIXELSY));
    ReleaseDC(nullptr, screenDC);
    CPrintInfo info;
    info.m_rectDraw = RECT{0, 0, 4000, 6000};
    Edit()->SetText("x");
    info.m_nCurPage = 1;
    Edit()->PrintPage(dc, &info);
    const int perPage = Edit()->LinesPerPage();
    ASSERT_GT(perPage, 1);
    auto pages = [&](const std::string& text, RECT draw) {
        Edit()->SetText(text);
        CPrintInfo job;
        job.m_rectDraw = draw;
        int n = 0;
        for (UINT page = 1; job.m_bContinuePrinting && page < 1000; ++page) {
            job.m_nCurPage = page;
            Edit()->PrintPage(dc, &job);
            ++n;
        }
        return n;
    };
    auto lines = [](int n, bool finalFeed) {
        std::string s;
        for (int i = 0; i < n; ++i) s += "line\n";
        if (!finalFeed && !s.empty()) s.pop_back();
        return s;
    };
    const int firstLine = Edit()->FirstLine();
    const int lineHeight = Edit()->LineHeight();
    const RECT textRect = Edit()->TextRect();
    EXPECT_EQ(pages(lines(perPage, false), info.m_rectDraw), 1);
    EXPECT_EQ(pages(lines(perPage, true), info.m_rectDraw), 1);
    EXPECT_EQ(pages(lines(perPage + 1, false), info.m_rectDraw), 2);
    EXPECT_EQ(pages(lines(perPage + 1, true), info.m_rectDraw), 2);
    // A page under five line heights prints one line a page and ends.
    EXPECT_EQ(pages(lines(3, false), RECT{0, 0, 4000, 10}), 3);
    // Screen state restored.
    EXPECT_EQ(Edit()->FirstLine(), firstLine);
    EXPECT_EQ(Edit()->LineHeight(), lineHeight);
    EXPECT_TRUE(EqualRect(&Edit()->TextRect(), &textRect));
    Edit()->DeletePrintFont();
    dc.Detach();
    DeleteDC(printer);
    Edit()->SendMessage(WM_SETFONT, 0, 0);
    DeleteObject(screen);
}

int PdfPages(const std::string& pdf)
{
    FILE* p = popen(("pdfinfo '" + pdf + "' 2>/dev/null").c_str(), "r");
    if (!p) return -1;
    std::string out;
    char line[256];
    while (fgets(line, sizeof line, p)) out += line;
    pclose(p);
    const size_t at = out.find("Pages:");
    return at == std::string::npos ? -1 : std::atoi(out.c_str() + at + 6);
}

TEST_F(EditViewTest, PrintCommandWritesAPdf)
{
    const std::string pdf = (dir / "print.pdf").string();
    auto print = [&]() {
        CommonDialogAnswer answer;
        answer.text = AFX_PRINTER_PDF;
        answer.paths = {pdf};
        PushCommonDialogAnswer(answer);
        View()->SendMessage(WM_COMMAND, ID_FILE_PRINT);
        TakeCommonDialogLog();
    };
    Edit()->SetText("one line");
    print();
    const int perPage = Edit()->LinesPerPage();
    ASSERT_GT(perPage, 5);
    EXPECT_EQ(PdfPages(pdf), 1);
    std::string text;
    for (int i = 0; i < 2 * perPage + 1; ++i) text += "line " + std::to_string(i) + "\n";
    Edit()->SetText(text);
    fs::remove(pdf);
    print();
    EXPECT_EQ(PdfPages(pdf), 3);
    EXPECT_EQ(Edit()->FirstLine(), 0);
}

std::string CommandOutput(const std::string& cmd)
{
    std::string out;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
    return out;
}

// A 200-line program printed from a view scrolled into its middle: the PDF's
// pages hold every line once, in order, each page going on where the last
// one stopped.
TEST_F(EditViewTest, LongTextPrintsEveryLineOnceInOrder)
{
    if (system("command -v pdftotext >/dev/null 2>&1") != 0) GTEST_SKIP() << "pdftotext is missing (poppler-utils)";
    const std::string pdf = (dir / "long.pdf").string();
    auto label = [](int i) {
        char s[32];
        snprintf(s, sizeof s, "v%03d = %d;", i, i);
        return std::string(s);
    };
    std::string text;
    for (int i = 1; i <= 200; ++i) text += label(i) + "\n";
    Edit()->SetText(text);
    ASSERT_TRUE(Edit()->ScrollBar(SB_VERT, 12, 57));
    const int firstLine = Edit()->FirstLine();
    CommonDialogAnswer answer;
    answer.text = AFX_PRINTER_PDF;
    answer.paths = {pdf};
    PushCommonDialogAnswer(answer);
    View()->SendMessage(WM_COMMAND, ID_FILE_PRINT);
    TakeCommonDialogLog();
    EXPECT_EQ(Edit()->FirstLine(), firstLine);
    const int pages = PdfPages(pdf);
    ASSERT_GE(pages, 3);
    const std::string all = CommandOutput("pdftotext -layout '" + pdf + "' -");
    size_t at = 0;
    for (int i = 1; i <= 200; ++i) {
        const std::string want = label(i);
        const size_t found = all.find(want, at);
        ASSERT_NE(found, std::string::npos) << want << " missing or out of order";
        EXPECT_EQ(all.find(want, found + 1), std::string::npos) << want << " printed twice";
        at = found + want.size();
    }
    // Each page starts where the one before ended.
    for (int p = 2; p <= pages; ++p) {
        const std::string page =
            CommandOutput("pdftotext -layout -f " + std::to_string(p) + " -l " + std::to_string(p) + " '" + pdf + "' -");
        const size_t v = page.find('v');
        ASSERT_NE(v, std::string::npos) << "page " << p;
        EXPECT_EQ(page.substr(v, 4), label((p - 1) * Edit()->LinesPerPage() + 1).substr(0, 4)) << "page " << p;
    }
}

// The preview's pages of the same text, as pictures: each page shows its own
// lines, so no two pages look alike.
TEST_F(EditViewTest, PreviewPagesOfALongTextDiffer)
{
    std::string text;
    for (int i = 1; i <= 200; ++i) text += "w" + std::to_string(i) + " = " + std::to_string(i * 7) + ";\n";
    Edit()->SetText(text);
    ASSERT_TRUE(Edit()->ScrollBar(SB_VERT, 12, 40));
    CPrintInfo info;
    info.m_bPreview = TRUE;
    ASSERT_TRUE(View()->OnPreparePrinting(&info));
    PRINTSETUP setup{info.m_paperWidth, info.m_paperLength, info.m_orientation, nullptr, nullptr};
    HDC hdc = CreatePreviewDC(&setup);
    ASSERT_NE(hdc, nullptr);
    CDC dc;
    dc.Attach(hdc, false);
    dc.m_bPrinting = TRUE;
    DOCINFO di{(int)sizeof(DOCINFO), "Preview", nullptr};
    StartDoc(hdc, &di);
    AfxRunPrintPages(View(), &dc, &info);
    EndDoc(hdc);
    dc.Detach();
    const int pages = GetPreviewPageCount(hdc);
    ASSERT_GE(pages, 3);
    // Each page played as the preview window plays it, at a small size.
    std::vector<std::vector<uint32_t>> pictures;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    const int w = 600, h = 848;
    HBITMAP bm = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bm);
    for (int i = 0; i < pages; ++i) {
        HENHMETAFILE page = GetPreviewPage(hdc, i);
        RECT all{0, 0, w, h};
        FillRect(mem, &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
        ASSERT_TRUE(PlayEnhMetaFile(mem, page, &all));
        DeleteEnhMetaFile(page);
        std::vector<uint32_t> px((size_t)w * h);
        GetBitmapBits(bm, (LONG)(px.size() * 4), px.data());
        pictures.push_back(std::move(px));
    }
    SelectObject(mem, old);
    DeleteObject(bm);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    DeleteDC(hdc);
    EXPECT_NE(std::count(pictures[0].begin(), pictures[0].end(), pictures[0][0]), (long)pictures[0].size());
    for (int i = 0; i < pages; ++i)
        for (int j = i + 1; j < pages; ++j) EXPECT_NE(pictures[(size_t)i], pictures[(size_t)j]) << i << " and " << j;
}

// A file of 2^31 bytes is refused with a message before it is read (a sparse
// file: reading it would take 2 GiB); the open document stays as it was.
TEST_F(EditViewTest, FileOf2GiBIsRefusedUnread)
{
    const fs::path keep = dir / "keep.txt", big = dir / "big.txt";
    WriteFile(keep, "abc");
    ASSERT_NE(Open(keep), nullptr);
    {
        std::ofstream f(big, std::ios::binary);
    }
    ASSERT_EQ(truncate(big.c_str(), (off_t)1 << 31), 0);
    EXPECT_EQ(Open(big), nullptr);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"The file is too large to edit."});
    ASSERT_NE(Doc(), nullptr);
    ASSERT_NE(View(), nullptr);
    EXPECT_FALSE(Doc()->IsModified());

    // One byte less opens (read from the archive, not from the disk here).
    CArchive ar(CArchive::load, "x\r\ny");
    Edit()->Serialize(ar);
    EXPECT_EQ(Edit()->Text(), "x\ny");
}

// The preview goes through the same pages as printing and leaves the
// editor's screen state as it was; closing the frame while it shows ends
// only the preview.
// The preview's bar, as the user finds it: the buttons turn, show two
// pages, zoom and close; Print closes the preview and prints.
std::function<void()> g_previewStep;
void PreviewTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    if (auto step = std::exchange(g_previewStep, nullptr)) step();
}

HWND PreviewWindow(HWND frame)
{
    for (HWND h = GetWindow(frame, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
        char text[32] = {};
        GetWindowText(h, text, sizeof text);
        if (std::string(text) == "Print Preview") return h;
    }
    return nullptr;
}

std::string ButtonText(HWND preview, UINT id)
{
    char text[32] = {};
    GetWindowText(GetDlgItem(preview, (int)id), text, sizeof text);
    return text;
}

TEST_F(EditViewTest, ThePreviewBarTurnsPagesZoomsClosesAndPrints)
{
    Edit()->SetText("one line");
    ASSERT_EQ(AfxPreviewPageCount(View()), 1);
    const int perPage = Edit()->LinesPerPage();
    ASSERT_GT(perPage, 5);
    std::string text;
    for (int i = 0; i < 2 * perPage + 1; ++i) text += "line " + std::to_string(i) + "\n";
    Edit()->SetText(text);
    HWND main = app->m_pMainWnd->m_hWnd;
    std::vector<std::string> seen;
    auto enabled = [](HWND preview, UINT id) { return IsWindowEnabled(GetDlgItem(preview, (int)id)) != FALSE; };
    g_previewStep = [&] {
        HWND p = PreviewWindow(main);
        ASSERT_NE(p, nullptr);
        for (UINT id : {ID_PREVIEW_PRINT, ID_PREVIEW_NEXT, ID_PREVIEW_PREV, ID_PREVIEW_NUMPAGE, ID_PREVIEW_ZOOMIN,
                        ID_PREVIEW_ZOOMOUT, ID_PREVIEW_CLOSE})
            seen.push_back(ButtonText(p, id) + (enabled(p, id) ? "" : " (grey)"));
        SendMessage(GetDlgItem(p, (int)ID_PREVIEW_NEXT), BM_CLICK, 0, 0);
        SendMessage(GetDlgItem(p, (int)ID_PREVIEW_NEXT), BM_CLICK, 0, 0);
        EXPECT_FALSE(enabled(p, ID_PREVIEW_NEXT)) << "the last of three pages";
        EXPECT_TRUE(enabled(p, ID_PREVIEW_PREV));
        SendMessage(GetDlgItem(p, (int)ID_PREVIEW_NUMPAGE), BM_CLICK, 0, 0);
        EXPECT_EQ(ButtonText(p, ID_PREVIEW_NUMPAGE), "&One Page");
        SendMessage(GetDlgItem(p, (int)ID_PREVIEW_ZOOMIN), BM_CLICK, 0, 0);
        EXPECT_TRUE(enabled(p, ID_PREVIEW_ZOOMOUT));
        EXPECT_FALSE(enabled(p, ID_PREVIEW_NUMPAGE)) << "one page while magnified";
        // Close by a real click on its button.
        RECT r;
        GetWindowRect(GetDlgItem(p, (int)ID_PREVIEW_CLOSE), &r);
        InjectClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    };
    SetTimer(nullptr, 0, 1, PreviewTimer);
    View()->SendMessage(WM_COMMAND, ID_FILE_PRINT_PREVIEW);
    EXPECT_EQ(seen, (std::vector<std::string>{"&Print...", "&Next Page", "Pr&ev Page (grey)", "&Two Page", "Zoom &In",
                                              "Zoom &Out (grey)", "&Close"}));
    EXPECT_EQ(PreviewWindow(main), nullptr);

    // Print: the preview goes, then the view's print dialog and job.
    const fs::path pdf = fs::temp_directory_path() / ("veldra-preview-" + std::to_string(getpid()) + ".pdf");
    fs::remove(pdf);
    CommonDialogAnswer to;
    to.paths = {pdf.string()};
    PushCommonDialogAnswer(to);
    g_previewStep = [&] {
        HWND p = PreviewWindow(main);
        ASSERT_NE(p, nullptr);
        InjectText("p");   // the button's mnemonic
    };
    SetTimer(nullptr, 0, 1, PreviewTimer);
    View()->SendMessage(WM_COMMAND, ID_FILE_PRINT_PREVIEW);
    EXPECT_EQ(PreviewWindow(main), nullptr);
    EXPECT_TRUE(fs::exists(pdf) && fs::file_size(pdf) > 0);
    fs::remove(pdf);
}

// The preview covers the frame's client area as the user sees it: what lies
// under it is hidden, so a repaint there cannot draw over it; it follows the
// frame's size; closing it brings the view back with the focus.
TEST_F(EditViewTest, ThePreviewCoversTheFrameAndFollowsItsSize)
{
    Edit()->SetText("one line");
    HWND main = app->m_pMainWnd->m_hWnd;
    HWND view = View()->m_hWnd;
    ::SetFocus(view);
    const HWND focus = GetFocus();
    ASSERT_TRUE(IsWindowVisible(view));
    auto pixelAt = [&](HWND child, POINT p) -> uint32_t {
        std::vector<uint32_t> pixels;
        SIZE size{};
        if (!HeadlessCopySurface(main, &pixels, &size)) return 0;
        ClientToScreen(child, &p);
        RECT w;
        GetWindowRect(main, &w);
        const long x = p.x - w.left, y = p.y - w.top;
        if (x < 0 || y < 0 || x >= size.cx || y >= size.cy) return 0;
        return pixels[(size_t)(y * size.cx + x)] & 0xFFFFFFu;
    };
    const COLORREF work = GetSysColor(COLOR_APPWORKSPACE);
    const uint32_t grey = (uint32_t)GetRValue(work) << 16 | (uint32_t)GetGValue(work) << 8 | GetBValue(work);
    bool covered = false, followed = false;
    g_previewStep = [&] {
        HWND p = PreviewWindow(main);
        ASSERT_NE(p, nullptr);
        EXPECT_FALSE(IsWindowVisible(view));
        // The editor repaints (a caret, a selection): nothing of it shows.
        InvalidateRect(view, nullptr, TRUE);
        UpdateWindow(view);
        UpdateWindow(p);
        covered = pixelAt(p, POINT{3, 40}) == grey;
        RECT r;
        GetWindowRect(main, &r);
        MoveWindow(main, r.left, r.top, r.right - r.left + 120, r.bottom - r.top + 80, TRUE);
        g_previewStep = [&] {
            HWND p2 = PreviewWindow(main);
            ASSERT_NE(p2, nullptr);
            RECT frame, preview;
            GetClientRect(main, &frame);
            GetClientRect(p2, &preview);
            followed = frame.right == preview.right && frame.bottom == preview.bottom;
            SendMessage(GetDlgItem(p2, (int)ID_PREVIEW_CLOSE), BM_CLICK, 0, 0);
        };
        SetTimer(nullptr, 0, 1, PreviewTimer);
    };
    SetTimer(nullptr, 0, 1, PreviewTimer);
    View()->SendMessage(WM_COMMAND, ID_FILE_PRINT_PREVIEW);
    EXPECT_TRUE(covered) << "the page area shows what lies under the preview";
    EXPECT_TRUE(followed) << "the preview keeps its first size";
    EXPECT_EQ(PreviewWindow(main), nullptr);
    EXPECT_TRUE(IsWindowVisible(view));
    EXPECT_EQ(GetFocus(), focus);
}

TEST_F(EditViewTest, PrintPreviewPagesAndRestores)
{
    Edit()->SetText("one line");
    EXPECT_EQ(AfxPreviewPageCount(View()), 1);
    const int perPage = Edit()->LinesPerPage();
    ASSERT_GT(perPage, 5);
    std::string text;
    for (int i = 0; i < 2 * perPage + 1; ++i) text += "line " + std::to_string(i) + "\n";
    Edit()->SetText(text);
    ASSERT_TRUE(Edit()->ScrollBar(SB_VERT, 12, 3));
    const int firstLine = Edit()->FirstLine(), lineHeight = Edit()->LineHeight();
    const RECT textRect = Edit()->TextRect();
    EXPECT_EQ(AfxPreviewPageCount(View()), 3);
    EXPECT_EQ(Edit()->FirstLine(), firstLine);
    EXPECT_EQ(Edit()->LineHeight(), lineHeight);
    EXPECT_TRUE(EqualRect(&Edit()->TextRect(), &textRect));
    EXPECT_EQ(Edit()->PrinterFont(), nullptr);

    HWND main = app->m_pMainWnd->m_hWnd;
    PostMessage(main, WM_CLOSE, 0, 0);
    View()->SendMessage(WM_COMMAND, ID_FILE_PRINT_PREVIEW);
    ASSERT_TRUE(IsWindow(main));
    EXPECT_EQ(Edit()->Text(), text);
    EXPECT_EQ(Edit()->FirstLine(), firstLine);
    Edit()->SetFocus();
    InjectKeyStroke(VK_HOME, "");
    InjectText("x");
    PumpUntilIdle();
    EXPECT_EQ(Edit()->Text().substr(0, 5), "xline");
}
