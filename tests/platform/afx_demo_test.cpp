// The MDI demo in the test executable and the SDI demo on a thread of its
// own, driven headless with injected input and scripted answers.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "afx_demo.h"
#include "afx_test_util.h"
#include "platform/afx/view_frame.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

class AfxDemo : public AfxTest {
protected:
    void SetUp() override
    {
        AfxTest::SetUp();
        dir = fs::path(testing::TempDir()) / ("afx-demo-" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        a = (dir / "a.txt").string();
        b = (dir / "b.txt").string();
        WriteFile(a, "alpha\n");
        WriteFile(b, "beta\n");
        profile = "AfxDemoMdi-" + std::to_string(getpid());
        fs::remove(SettingsFilePath("Brenholt", profile));
    }
    void TearDown() override
    {
        AfxTest::TearDown();
        fs::remove_all(dir);
    }
    fs::path dir;
    std::string a, b, profile;
};

std::string Title(HWND h)
{
    char buf[256] = {};
    GetWindowText(h, buf, sizeof buf);
    return buf;
}

TEST_F(AfxDemo, MdiOpensFilesInChildrenClosesWithoutSavingAndKeepsOldFilesOnFailedSaves)
{
    CDemoMdiApp app(profile);
    CWinThread* prevThread = AfxSetThread(&app);
    ASSERT_TRUE(app.InitInstance());
    CMDIFrameWnd* frame = app.Frame();
    HWND frameHwnd = frame->m_hWnd;
    EXPECT_EQ(Title(frameHwnd), "DemoMdi");

    CDemoDoc* docA = static_cast<CDemoDoc*>(app.OpenDocumentFile(a.c_str()));
    ASSERT_NE(docA, nullptr);
    EXPECT_EQ(docA->m_text, "alpha\n");
    EXPECT_FALSE(docA->IsModified());
    EXPECT_EQ(Title(frameHwnd), "DemoMdi - a.txt");
    CMDIChildWnd* childA = frame->MDIGetActive();
    ASSERT_NE(childA, nullptr);
    EXPECT_EQ(Title(childA->m_hWnd), "a.txt");

    CDemoDoc* docB = static_cast<CDemoDoc*>(app.OpenDocumentFile(b.c_str()));
    ASSERT_NE(docB, nullptr);
    EXPECT_EQ(Title(frameHwnd), "DemoMdi - b.txt");
    // Opening an open file activates its child instead of a second copy.
    EXPECT_EQ(app.OpenDocumentFile(a.c_str()), docA);
    EXPECT_EQ(frame->MDIGetActive(), childA);
    EXPECT_EQ(Title(frameHwnd), "DemoMdi - a.txt");
    EXPECT_EQ(app.m_pRecentFileList->Paths(), (std::vector<std::string>{b, a}));

    // Typing goes to the active view, which changes its document.
    PumpUntilIdle();
    InjectText("xy");
    PumpUntilIdle();
    EXPECT_EQ(docA->m_text, "alpha\nxy");
    EXPECT_TRUE(docA->IsModified());

    // Answer No to "Save changes": the file keeps its bytes, the child goes.
    PushMessageBoxAnswer(IDNO);
    childA->SendMessage(WM_CLOSE);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Save changes to a.txt?"}));
    EXPECT_EQ(ReadFile(a), "alpha\n");
    EXPECT_EQ(Title(frameHwnd), "DemoMdi - b.txt");
    ASSERT_EQ(frame->Children().size(), 1u);

    // A save that fails halfway keeps the old file and leaves no temporary.
    chmod(b.c_str(), 0640);
    docB->Append("more\n");
    docB->m_failSave = true;
    EXPECT_FALSE(docB->DoFileSave());
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Unexpected file format in " + b + "."}));
    EXPECT_EQ(ReadFile(b), "beta\n");
    docB->m_failSave = false;
    EXPECT_TRUE(docB->DoFileSave());
    EXPECT_EQ(ReadFile(b), "beta\nmore\n");
    EXPECT_EQ(fs::status(b).permissions() & fs::perms::all, fs::perms(0640));
    int files = 0;
    for (auto& e : fs::directory_iterator(dir)) files += e.is_regular_file();
    EXPECT_EQ(files, 2);
    EXPECT_FALSE(docB->IsModified());

    // A failed open reports and adds nothing.
    EXPECT_EQ(app.OpenDocumentFile((dir / "missing.txt").string().c_str()), nullptr);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Cannot find the file " + (dir / "missing.txt").string() + "."}));
    EXPECT_EQ(frame->Children().size(), 1u);

    frame->SendMessage(WM_CLOSE);
    EXPECT_FALSE(IsWindow(frameHwnd));
    MSG m;
    EXPECT_EQ(GetMessage(&m, nullptr, 0, 0), FALSE);   // the frame ended the thread's loop
    AfxSetThread(prevThread);
    // The recent-file list was kept on the way.
    std::string conf = ReadFile(SettingsFilePath("Brenholt", profile));
    EXPECT_NE(conf.find("[Recent File List]\nFile1=sz:" + b + "\nFile2=sz:" + a + "\n"), std::string::npos) << conf;
}

// A click anywhere in a child frame that is not the active one activates
// it, though the main frame is active already; the click goes on.
TEST_F(AfxDemo, AClickInAnInactiveChildActivatesIt)
{
    CDemoMdiApp app(profile);
    CWinThread* prevThread = AfxSetThread(&app);
    ASSERT_TRUE(app.InitInstance());
    CMDIFrameWnd* frame = app.Frame();
    HWND frameHwnd = frame->m_hWnd;
    ASSERT_NE(app.OpenDocumentFile(a.c_str()), nullptr);
    CMDIChildWnd* childA = frame->MDIGetActive();
    CDemoDoc* docB = static_cast<CDemoDoc*>(app.OpenDocumentFile(b.c_str()));
    ASSERT_NE(docB, nullptr);
    CMDIChildWnd* childB = frame->MDIGetActive();
    ASSERT_NE(childA, childB);
    frame->MDITile();
    PumpUntilIdle();
    ASSERT_EQ(GetActiveWindow(), frameHwnd);

    // In the view of the child behind: it becomes the active one.
    RECT view;
    ASSERT_NE(childA->GetActiveView(), nullptr);
    ::GetWindowRect(childA->GetActiveView()->m_hWnd, &view);
    InjectClick((view.left + view.right) / 2, (view.top + view.bottom) / 2);
    PumpUntilIdle();
    EXPECT_EQ(frame->MDIGetActive(), childA);
    EXPECT_EQ(Title(frameHwnd), "DemoMdi - a.txt");
    EXPECT_EQ(GetFocus(), childA->GetActiveView()->m_hWnd);

    // On the other child's caption: that one.
    RECT caption;
    ::GetWindowRect(childB->m_hWnd, &caption);
    InjectClick((caption.left + caption.right) / 2, caption.top + GetSystemMetrics(SM_CYFRAME) + 4);
    PumpUntilIdle();
    EXPECT_EQ(frame->MDIGetActive(), childB);
    EXPECT_EQ(Title(frameHwnd), "DemoMdi - b.txt");

    frame->SendMessage(WM_CLOSE);
    EXPECT_FALSE(IsWindow(frameHwnd));
    MSG m;
    EXPECT_EQ(GetMessage(&m, nullptr, 0, 0), FALSE);
    AfxSetThread(prevThread);
}

// Views and documents see their frames and templates only through the
// interfaces those implement: each must be the same object the classes give.
TEST_F(AfxDemo, ViewsAndDocumentsReachTheirFramesAndTemplatesThroughInterfaces)
{
    CDemoMdiApp app(profile);
    CWinThread* prevThread = AfxSetThread(&app);
    ASSERT_TRUE(app.InitInstance());
    CMDIFrameWnd* frame = app.Frame();
    HWND frameHwnd = frame->m_hWnd;
    CDocument* doc = app.OpenDocumentFile(a.c_str());
    ASSERT_NE(doc, nullptr);
    ASSERT_EQ(doc->Views().size(), 1u);
    CView* view = doc->Views().front();
    CMDIChildWnd* child = frame->MDIGetActive();

    struct Case {
        const char* what;
        IViewFrame* got;
        CFrameWnd* want;
    };
    for (const Case& c : {Case{"view's parent", AfxParentViewFrame(view), view->GetParentFrame()},
                          Case{"view's top level", AfxTopLevelViewFrame(view), view->GetTopLevelFrame()},
                          Case{"child's parent", AfxParentViewFrame(child), child->GetParentFrame()},
                          Case{"child's top level", AfxTopLevelViewFrame(child), child->GetTopLevelFrame()},
                          Case{"main frame's top level", AfxTopLevelViewFrame(frame), frame}}) {
        ASSERT_NE(c.got, nullptr) << c.what;
        EXPECT_EQ(c.got->FrameWnd(), static_cast<CWnd*>(c.want)) << c.what;
    }
    EXPECT_EQ(view->GetParentFrame(), child);
    EXPECT_EQ(AfxParentViewFrame(frame), nullptr);
    EXPECT_EQ(AfxViewFrameOf(view), nullptr);
    EXPECT_EQ(AfxParentViewFrame(child)->GetActiveView(), frame->GetActiveView());

    // The template a document routes to is the one that holds it, until it lets go.
    CDocTemplate* tmpl = doc->GetDocTemplate();
    ASSERT_NE(tmpl, nullptr);
    EXPECT_EQ(doc->m_pOwner, static_cast<IDocumentOwner*>(tmpl));
    tmpl->RemoveDocument(doc);
    EXPECT_EQ(doc->m_pOwner, nullptr);
    EXPECT_EQ(doc->GetDocTemplate(), nullptr);
    tmpl->AddDocument(doc);
    EXPECT_EQ(doc->m_pOwner, static_cast<IDocumentOwner*>(tmpl));

    frame->SendMessage(WM_CLOSE);
    EXPECT_FALSE(IsWindow(frameHwnd));
    MSG m;
    EXPECT_EQ(GetMessage(&m, nullptr, 0, 0), FALSE);
    AfxSetThread(prevThread);
}

TEST_F(AfxDemo, SavingThroughASymlinkReplacesTheTarget)
{
    std::string link = (dir / "link.txt").string();
    fs::create_symlink(b, link);
    EXPECT_TRUE(AfxWriteFileAtomically(link, "new"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(b), "new");
    EXPECT_FALSE(AfxWriteFileAtomically((dir / "no" / "such.txt").string(), "x"));
}

// The SDI demo library, loaded once.
struct SdiLibrary {
    HWND (*start)(const char*, HANDLE*);
    HANDLE (*dialogEvent)();
    int (*lastModalResult)();
    void (*resetModalResult)();
    void (*finish)();
};

const SdiLibrary& Sdi()
{
    static SdiLibrary lib = [] {
        SdiLibrary l{};
        std::string path = std::string(getenv("VELDRA_OUT")) + "/test-modules/afx_sdi_demo.so";
        HMODULE m = LoadLibrary(path.c_str());
        EXPECT_NE(m, nullptr) << path;
        if (!m) return l;
        l.start = (HWND(*)(const char*, HANDLE*))GetProcAddress(m, "AfxSdiDemoStart");
        l.dialogEvent = (HANDLE(*)())GetProcAddress(m, "AfxSdiDemoDialogEvent");
        l.lastModalResult = (int (*)())GetProcAddress(m, "AfxSdiDemoLastModalResult");
        l.resetModalResult = (void (*)())GetProcAddress(m, "AfxSdiDemoResetModalResult");
        l.finish = (void (*)())GetProcAddress(m, "AfxSdiDemoFinish");
        return l;
    }();
    return lib;
}

struct SdiRun {
    HWND frame = nullptr;
    HANDLE thread = nullptr;
};

SdiRun StartSdi(const std::string& profile)
{
    SdiRun run;
    if (!Sdi().start) return run;
    run.frame = Sdi().start(profile.c_str(), &run.thread);
    Sdi().resetModalResult();
    return run;
}

void FinishSdi(SdiRun& run)
{
    EXPECT_EQ(WaitForSingleObject(run.thread, 10000), WAIT_OBJECT_0);
    Sdi().finish();
}

// Sends from a helper thread, so a hang fails the test instead of blocking it.
LRESULT SendWithTimeout(HWND h, UINT msg, WPARAM w, DWORD ms, bool* answered)
{
    struct Job {
        HWND h;
        UINT msg;
        WPARAM w;
        LRESULT result = 0;
    };
    auto* job = new Job{h, msg, w};
    HANDLE t = CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
            auto* j = static_cast<Job*>(p);
            j->result = SendMessage(j->h, j->msg, j->w, 0);
            return 0;
        },
        job, 0, nullptr);
    *answered = WaitForSingleObject(t, ms) == WAIT_OBJECT_0;
    LRESULT r = job->result;
    if (*answered) delete job;   // else the helper still owns it
    CloseHandle(t);
    return r;
}

TEST_F(AfxDemo, AnSdiThreadInsideAModalDialogAnswersSendsAndACloseEndsOnlyTheDialog)
{
    SdiRun run = StartSdi(profile + "-sdi");
    ASSERT_TRUE(IsWindow(run.frame));
    EXPECT_EQ(Title(run.frame), "Untitled - DemoSdi");
    PostMessage(run.frame, WM_COMMAND, ID_DEMO_ASK, 0);
    ASSERT_EQ(WaitForSingleObject(Sdi().dialogEvent(), 10000), WAIT_OBJECT_0);
    EXPECT_FALSE(IsWindowEnabled(run.frame));   // the owner is disabled while modal
    bool answered = false;
    // Answered from inside the dialog's loop, with the library's own string 128.
    EXPECT_EQ(SendWithTimeout(run.frame, WM_DEMO_PING, 3, 10000, &answered), 3000 + 7);
    EXPECT_TRUE(answered);
    // The first WM_CLOSE ends the dialog as cancelled; the frame survives.
    PostMessage(run.frame, WM_CLOSE, 0, 0);
    for (int i = 0; i < 2000 && Sdi().lastModalResult() == 0; ++i) Sleep(5);
    EXPECT_EQ(Sdi().lastModalResult(), IDCANCEL);
    EXPECT_TRUE(IsWindow(run.frame));
    EXPECT_TRUE(IsWindowEnabled(run.frame));
    // The second one closes the frame and ends the thread.
    PostMessage(run.frame, WM_CLOSE, 0, 0);
    FinishSdi(run);
    EXPECT_FALSE(IsWindow(run.frame));
}

TEST_F(AfxDemo, AQuitDuringAModalDialogEndsItAsCancelledAndThenTheThread)
{
    SdiRun run = StartSdi(profile + "-sdi");
    ASSERT_TRUE(IsWindow(run.frame));
    PostMessage(run.frame, WM_COMMAND, ID_DEMO_ASK, 0);
    ASSERT_EQ(WaitForSingleObject(Sdi().dialogEvent(), 10000), WAIT_OBJECT_0);
    PostThreadMessage(GetWindowThreadProcessId(run.frame, nullptr), WM_QUIT, 4, 0);
    FinishSdi(run);
    EXPECT_EQ(Sdi().lastModalResult(), IDCANCEL);
    EXPECT_FALSE(IsWindow(run.frame));
}

TEST_F(AfxDemo, AFailedSdiOpenLeavesTheDocumentUntitled)
{
    CDemoSdiApp app(profile + "-sdi2");
    CWinThread* prev = AfxSetThread(&app);
    CModuleStateScope scope(DemoSdiModule());
    ASSERT_TRUE(app.InitInstance());
    HWND frame = app.m_frame;
    CDemoDoc* doc = static_cast<CDemoDoc*>(app.OpenDocumentFile(a.c_str()));
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(Title(frame), "a.txt - DemoSdiApp");
    EXPECT_EQ(app.OpenDocumentFile((dir / "gone.txt").string().c_str()), nullptr);
    BoxTexts();
    EXPECT_EQ(Title(frame), "Untitled - DemoSdiApp");
    EXPECT_EQ(doc->GetPathName(), "");
    EXPECT_EQ(doc->m_text, "");
    SendMessage(frame, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(frame));
    MSG m;
    GetMessage(&m, nullptr, 0, 0);
    AfxSetThread(prev);
}

}  // namespace
