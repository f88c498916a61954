// Double-click on an error in the output opens the program document's
// editor at the message's place: owner documents by id, library files by path.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "ide/bars/output_bar.h"
#include "tests/ide/output_screen_util.h"
#include "interpreter/status.h"
#include "platform/afx/afx.h"
#include "tests/platform/afx_test_util.h"
#include "ui_controls/edit/edit_view.h"
#include "values/edit_text.h"

namespace fs = std::filesystem;

namespace {
constexpr UINT IDR_PROGRAM = 141;

class CProgramTestDoc : public CDocument {
    DECLARE_DYNCREATE(CProgramTestDoc)
public:
    void Serialize(CArchive& ar) override
    {
        if (!Views().empty()) static_cast<KyrEditView*>(Views().front())->GetEditCtrl()->Serialize(ar);
    }
};
IMPLEMENT_DYNCREATE(CProgramTestDoc, CDocument)

class CProgramTestFrame : public CFrameWnd {
    DECLARE_DYNCREATE(CProgramTestFrame)
};
IMPLEMENT_DYNCREATE(CProgramTestFrame, CFrameWnd)

const AfxStringEntry kStrings[] = {
    {IDR_PROGRAM, "Veldra\nProgram\nProgram\nPrograms (*.vdx)\n.vdx\nVeldra.Document\nVeldra Program"},
    {AFX_IDS_APP_TITLE, "OutputSourceTest"},
};

CModuleState* TestModule()
{
    static CModuleState* m = [] {
        auto* s = new CModuleState("output-source-test");
        s->m_resources.AddStrings(kStrings, sizeof kStrings / sizeof kStrings[0]);
        return s;
    }();
    return m;
}

class CProgramTestApp : public CWinApp {
public:
    CProgramTestApp() : CWinApp(nullptr, TestModule()) { m_pszProfileName = "OutputSourceTest-" + std::to_string(getpid()); }
    BOOL InitInstance() override
    {
        AddDocTemplate(new CSingleDocTemplate(IDR_PROGRAM, RUNTIME_CLASS(CProgramTestDoc), RUNTIME_CLASS(CProgramTestFrame),
                                              RUNTIME_CLASS(KyrEditView)));
        OnFileNew();
        if (!m_pMainWnd) return FALSE;
        m_pMainWnd->MoveWindow(RECT{40, 40, 640, 440});
        m_pMainWnd->ShowWindow(SW_SHOW);
        return TRUE;
    }
};

class OutputSource : public AfxTest {
protected:
    std::unique_ptr<CProgramTestApp> app;
    CWinThread* previous = nullptr;
    CModuleState* previousModule = nullptr;
    fs::path dir;
    CFrameWnd* host = nullptr;
    COutputCtrl* out = nullptr;

    void SetUp() override
    {
        AfxTest::SetUp();
        // The program's strings (the template's file type id) are this module's.
        previousModule = AfxSetModuleState(TestModule());
        dir = fs::path(testing::TempDir()) / ("output-source-" + std::to_string(getpid()));
        fs::create_directories(dir);
        app = std::make_unique<CProgramTestApp>();
        previous = AfxSetThread(app.get());
        ASSERT_TRUE(app->InitInstance());
        host = new CFrameWnd;
        ASSERT_TRUE(host->Create(nullptr, "output"));
        out = new COutputCtrl;
        ASSERT_TRUE(out->Create(host, 0, RECT{0, 0, 400, 200}));
        PumpUntilIdle();
    }
    void TearDown() override
    {
        host->DestroyWindow();
        delete out;
        if (app && app->m_pMainWnd && app->m_pMainWnd->m_hWnd) app->m_pMainWnd->DestroyWindow();
        PumpUntilIdle();
        AfxSetThread(previous);
        app.reset();
        AfxSetModuleState(previousModule);
        std::error_code ec;
        fs::remove_all(dir, ec);
        AfxTest::TearDown();
    }
    CDocument* Open(const std::string& name, const std::string& bytes)
    {
        fs::path p = dir / name;
        std::ofstream(p, std::ios::binary) << bytes;
        CDocument* d = app->OpenDocumentFile(p.c_str());
        PumpUntilIdle();
        return d;
    }
    KyrEditCtrl* Edit(CDocument* d) { return static_cast<KyrEditView*>(d->Views().front())->GetEditCtrl(); }
    // An error with one place; returns the output line it starts on (0-based).
    int Error(const std::string& text, const std::string& name, int owner, int offset)
    {
        CMessageWriter w(MSG_ERROR, out);
        w << text;
        out->AttachToCurrent(new CSourcePosition(name, owner, offset));
        return out->LineCount() - 1;
    }
    bool DoubleClickLine(int line)
    {
        int at = out->LineIndex(line);
        out->SetSel(at, at);
        return out->GotoErrorLine();
    }
};

TEST_F(OutputSource, OwnerDocumentSelectsUpToThePlace)
{
    const std::string program = "a = 1;\nb = 2;\nc = x + 1;\n";
    CDocument* doc = Open("prog.vdx", program);
    ASSERT_NE(doc, nullptr);
    int id = RegisterProgramDocument(doc);
    const int place = (int)program.find('x') + 1;
    int line = Error("Undefined x\nin prog", "prog", id, place);
    EXPECT_TRUE(DoubleClickLine(line));
    int a = 0, b = 0;
    Edit(doc)->GetSel(&a, &b);
    EXPECT_EQ(a, (int)program.find("c ="));
    EXPECT_EQ(b, place);
    // The output line is selected whole.
    long s = 0, e = 0;
    out->GetSel(s, e);
    EXPECT_EQ(s, out->LineIndex(line));
    EXPECT_EQ(e, s + out->LineLength(s));
    // Second line of the message: nothing.
    EXPECT_FALSE(DoubleClickLine(line + 1));

    // Offset -1: the last line.
    const std::string noFinalBreak = "a = 1;\nb = oops";
    CDocument* other = Open("prog2.vdx", noFinalBreak);
    int id2 = RegisterProgramDocument(other);
    line = Error("Unexpected end", "prog2", id2, -1);
    EXPECT_TRUE(DoubleClickLine(line));
    Edit(other)->GetSel(&a, &b);
    EXPECT_EQ(a, 7);
    EXPECT_EQ(b, (int)noFinalBreak.size());

    // A place far past the end is clamped.
    line = Error("Far", "prog2", id2, 100000);
    EXPECT_TRUE(DoubleClickLine(line));
    Edit(other)->GetSel(&a, &b);
    EXPECT_EQ(b, (int)noFinalBreak.size());

    // Closed: the id maps to nothing.
    ForgetProgramDocument(id2);
    EXPECT_FALSE(DoubleClickLine(line));
    ForgetProgramDocument(id);
}

TEST_F(OutputSource, LibraryFileWithCrLfAndTabsOpensOnTheRightLine)
{
    const std::string bytes = "function y = f(x)\r\n\ty = x;\r\n\t\tz = undefined_name;\r\nend\r\n";
    fs::path p = dir / "f.vdx";
    std::ofstream(p, std::ios::binary) << bytes;
    // The loader reads library files as the editor does.
    EditorTextOptions options;
    options.keepTabs = 0;
    options.tabSize = 4;
    options.maxLineLength = 2048;
    const std::string filtered = FilterEditorText(bytes, options);
    const int place = (int)filtered.find("undefined_name");
    int line = Error("Undefined function or variable", p.string(), 0, place);
    EXPECT_TRUE(DoubleClickLine(line));
    CDocument* doc = static_cast<CFrameWnd*>(app->m_pMainWnd)->GetActiveDocument();
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->GetPathName(), p.string());
    int a = 0, b = 0;
    Edit(doc)->GetSel(&a, &b);
    EXPECT_EQ(Edit(doc)->GetLineOfOffset(a), 2);
    EXPECT_EQ(b, place);
    EXPECT_EQ(a, (int)filtered.rfind('\n', place) + 1);
}

// A double-click on the error line: the editor gets the keyboard at the
// place, and the output line stays selected where the user can see it.
TEST_F(OutputSource, DoubleClickLeavesTheKeyboardInTheEditorAndTheLineShownSelected)
{
    const std::string program = "a = 1;\nb = 2;\nc = x + 1;\n";
    CDocument* doc = Open("prog.vdx", program);
    ASSERT_NE(doc, nullptr);
    const int id = RegisterProgramDocument(doc);
    const int place = (int)program.find('x') + 1;
    host->MoveWindow(RECT{40, 460, 640, 700});
    host->ShowWindow(SW_SHOW);
    out->MoveWindow(RECT{0, 0, 560, 180});
    ReportPlain() << "before";
    const int line = Error("Undefined x", "prog", id, place);
    output_screen::PumpUntilShown(out);
    POINT p{};
    out->Send(EM_POSFROMCHAR, (WPARAM)&p, out->LineIndex(line) + 3);
    ClientToScreen(out->m_hWnd, &p);
    InjectClick(p.x, p.y + 4);
    InjectClick(p.x, p.y + 4);
    PumpUntilIdle();
    KyrEditCtrl* edit = Edit(doc);
    EXPECT_EQ(GetFocus(), edit->m_hWnd);
    int a = 0, b = 0;
    edit->GetSel(&a, &b);
    EXPECT_EQ(a, (int)program.find("c ="));
    EXPECT_EQ(b, place);
    // Typing goes to the editor at the place.
    InjectText("y");
    PumpUntilIdle();
    std::string text(256, '\0');
    text.resize((size_t)::SendMessage(edit->m_hWnd, WM_GETTEXT, text.size(), (LPARAM)text.data()));
    EXPECT_EQ(text.substr((size_t)a, 6), std::string("y + 1;"));
    long s = 0, e = 0;
    out->GetSel(s, e);
    EXPECT_EQ(s, out->LineIndex(line));
    EXPECT_EQ(e, s + out->LineLength(s));
    output_screen::PumpUntilShown(out);
    // The selection's band over the line, with the focus elsewhere.
    const COLORREF band = GetSysColor(COLOR_INACTIVECAPTION);
    const uint32_t rgb = (uint32_t)GetRValue(band) << 16 | (uint32_t)GetGValue(band) << 8 | GetBValue(band);
    EXPECT_GT(output_screen::PixelsOfColour(out, line, rgb), 200);
    EXPECT_EQ(output_screen::PixelsOfColour(out, line - 1, rgb), 0);
    ForgetProgramDocument(id);
}

}  // namespace
