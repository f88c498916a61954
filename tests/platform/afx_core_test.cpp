// Runtime classes, message maps, command routing and CCmdUI, the CWnd
// dispatcher (reflection, self-deletion, fake destruction messages,
// exceptions) and module states.
#include <atomic>
#include <filesystem>
#include <fstream>
#include <new>

#include <unistd.h>
#include "tests/support/open_external_log.h"

#include "afx_test_util.h"

namespace {

enum { ID_ALPHA = 4001, ID_BETA = 4002, ID_GAMMA = 4003, ID_CHILD = 4100 };

class CShape : public CObject {
    DECLARE_DYNCREATE(CShape)
};
IMPLEMENT_DYNCREATE(CShape, CObject)

class CCircle : public CShape {
    DECLARE_DYNCREATE(CCircle)
};
IMPLEMENT_DYNCREATE(CCircle, CShape)

TEST(AfxRuntime, ClassesCreateByNameAndKnowTheirBases)
{
    const CRuntimeClass* c = CRuntimeClass::FromName("CCircle");
    ASSERT_EQ(c, RUNTIME_CLASS(CCircle));
    CObject* o = c->CreateObject();
    ASSERT_NE(o, nullptr);
    EXPECT_TRUE(o->IsKindOf(RUNTIME_CLASS(CShape)));
    EXPECT_TRUE(o->IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(o->IsKindOf(RUNTIME_CLASS(CWnd)));
    EXPECT_EQ(DYNAMIC_DOWNCAST(CWnd, o), nullptr);
    EXPECT_NE(DYNAMIC_DOWNCAST(CShape, o), nullptr);
    delete o;
    // Abstract classes have no factory.
    EXPECT_EQ(RUNTIME_CLASS(CView)->CreateObject(), nullptr);
    EXPECT_EQ(CRuntimeClass::FromName("NoSuchClass"), nullptr);
}

// A child control that takes its own notifications back.
class CReflectingChild : public CWnd {
public:
    int clicked = 0;
    int notified = 0;
    void OnClicked() { ++clicked; }
    void OnNotified(NMHDR*, LRESULT* r)
    {
        ++notified;
        *r = 77;
    }

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CReflectingChild, CWnd)
    ON_CONTROL_REFLECT(BN_CLICKED, OnClicked)
    ON_NOTIFY_REFLECT(12, OnNotified)
END_MESSAGE_MAP()

class CProbeWnd : public CWnd {
public:
    std::vector<std::string> log;
    bool disableBeta = true;
    int OnCreate(CREATESTRUCT*)
    {
        log.push_back("create");
        return 0;
    }
    LRESULT OnUser(WPARAM w, LPARAM l)
    {
        log.push_back("user " + std::to_string(w + (WPARAM)l));
        return 42;
    }
    LRESULT OnPing(WPARAM, LPARAM)
    {
        log.push_back("ping");
        return 7;
    }
    void OnAlpha() { log.push_back("alpha"); }
    void OnBeta() { log.push_back("beta"); }
    void OnUpdateBeta(CCmdUI* ui) { ui->Enable(!disableBeta); }
    void OnParentNotifyCode() { log.push_back("unreflected"); }

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CProbeWnd, CWnd)
    ON_WM_CREATE()
    ON_MESSAGE(WM_USER + 5, OnUser)
    ON_REGISTERED_MESSAGE("afx_test_Ping", OnPing)
    ON_COMMAND(ID_ALPHA, OnAlpha)
    ON_COMMAND(ID_BETA, OnBeta)
    ON_UPDATE_COMMAND_UI(ID_BETA, OnUpdateBeta)
    ON_CONTROL(BN_CLICKED, ID_CHILD + 1, OnParentNotifyCode)
END_MESSAGE_MAP()

using AfxCore = AfxTest;

TEST_F(AfxCore, MessageMapsDispatchTypedHandlersAndRegisteredMessages)
{
    CProbeWnd w;
    ASSERT_TRUE(w.CreateEx(0, nullptr, "probe", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
    EXPECT_EQ(CWnd::FromHandlePermanent(w.m_hWnd), &w);
    EXPECT_EQ(w.SendMessage(WM_USER + 5, 2, 3), 42);
    // The name resolves when the message is first looked up.
    UINT ping = RegisterWindowMessage("afx_test_Ping");
    EXPECT_EQ(w.SendMessage(ping), 7);
    EXPECT_EQ(w.SendMessage(RegisterWindowMessage("afx_test_Other")), 0);
    w.SendMessage(WM_COMMAND, ID_ALPHA, 0);
    // A command its update handler disables does not run from a menu or key.
    w.SendMessage(WM_COMMAND, ID_BETA, 0);
    w.disableBeta = false;
    w.SendMessage(WM_COMMAND, MAKELONG(ID_BETA, 1), 0);
    EXPECT_EQ(w.log, (std::vector<std::string>{"create", "user 5", "ping", "alpha", "beta"}));
    w.DestroyWindow();
    EXPECT_EQ(w.m_hWnd, nullptr);
}

TEST_F(AfxCore, NotificationsReflectToTheChildFirst)
{
    CProbeWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "p", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
    CReflectingChild child;
    CWnd plain;
    ASSERT_TRUE(child.Create(nullptr, "c", WS_VISIBLE, RECT{0, 0, 20, 20}, &parent, ID_CHILD));
    ASSERT_TRUE(plain.Create(nullptr, "d", WS_VISIBLE, RECT{0, 20, 20, 40}, &parent, ID_CHILD + 1));
    parent.SendMessage(WM_COMMAND, MAKELONG(ID_CHILD, BN_CLICKED), (LPARAM)child.m_hWnd);
    NMHDR nm{child.m_hWnd, ID_CHILD, 12};
    EXPECT_EQ(parent.SendMessage(WM_NOTIFY, ID_CHILD, (LPARAM)&nm), 77);
    // A control without a reflect entry leaves it to the parent's map.
    parent.SendMessage(WM_COMMAND, MAKELONG(ID_CHILD + 1, BN_CLICKED), (LPARAM)plain.m_hWnd);
    EXPECT_EQ(child.clicked, 1);
    EXPECT_EQ(child.notified, 1);
    EXPECT_EQ(parent.log.back(), "unreflected");
}

class CMenuFrame : public CFrameWnd {
public:
    void OnAlpha() {}
    void OnUpdateGamma(CCmdUI* ui) { ui->SetCheck(1); }
    void OnGamma() {}

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CMenuFrame, CFrameWnd)
    ON_COMMAND(ID_ALPHA, OnAlpha)
    ON_COMMAND(ID_GAMMA, OnGamma)
    ON_UPDATE_COMMAND_UI(ID_GAMMA, OnUpdateGamma)
END_MESSAGE_MAP()

TEST_F(AfxCore, MenuPopupsAreUpdatedAndCommandsWithoutHandlersAreDisabled)
{
    CMenuFrame* frame = new CMenuFrame;
    ASSERT_TRUE(frame->Create(nullptr, "menus"));
    CWnd control;
    ASSERT_TRUE(control.Create(nullptr, "", WS_VISIBLE, RECT{0, 0, 10, 10}, frame, 1));
    // The frame's pop-up greys what nobody handles; a pop-up a control tracks
    // itself keeps the states its owner built, unless a handler answers.
    struct Case {
        CWnd* owner;
        UINT built;   // Alpha's and Beta's state as built
        bool alphaGrey, betaGrey;
    } cases[] = {{frame, MF_ENABLED, false, true}, {frame, MF_GRAYED, false, true},
                 {&control, MF_ENABLED, false, false}, {&control, MF_GRAYED, true, true}};
    for (const Case& c : cases) {
        HMENU popup = CreatePopupMenu();
        AppendMenu(popup, MF_STRING | c.built, ID_ALPHA, "Alpha");
        AppendMenu(popup, MF_STRING | c.built, ID_BETA, "Beta");
        AppendMenu(popup, MF_STRING, ID_GAMMA, "Gamma");
        AppendMenu(popup, MF_STRING | MF_GRAYED, SC_CLOSE, "Close");
        c.owner->SendMessage(WM_INITMENUPOPUP, (WPARAM)popup, 0);
        EXPECT_EQ((GetMenuState(popup, ID_ALPHA, MF_BYCOMMAND) & MF_GRAYED) != 0, c.alphaGrey);
        EXPECT_EQ((GetMenuState(popup, ID_BETA, MF_BYCOMMAND) & MF_GRAYED) != 0, c.betaGrey);
        EXPECT_NE(GetMenuState(popup, ID_GAMMA, MF_BYCOMMAND) & MF_CHECKED, 0u);
        EXPECT_NE(GetMenuState(popup, SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED, 0u) << "system commands stay as built";
        DestroyMenu(popup);
    }
    HWND h = frame->m_hWnd;
    frame->DestroyWindow();   // deletes itself
    EXPECT_FALSE(IsWindow(h));
}

// Destroys itself inside its own handler and deletes itself afterwards.
class CSelfDeleting : public CWnd {
public:
    static int deleted;
    ~CSelfDeleting() override { ++deleted; }
    void PostNcDestroy() override { delete this; }
    LRESULT OnDie(WPARAM, LPARAM)
    {
        DestroyWindow();
        // Still safe: the object ends only when this dispatch returns.
        m_extra = 5;
        return m_extra;
    }
    int m_extra = 0;

protected:
    DECLARE_MESSAGE_MAP()
};
int CSelfDeleting::deleted = 0;
BEGIN_MESSAGE_MAP(CSelfDeleting, CWnd)
    ON_MESSAGE(WM_USER + 1, OnDie)
END_MESSAGE_MAP()

TEST_F(AfxCore, ASelfDeletingWindowEndsAfterItsLastDispatchAndFakeDestructionDeletesNothing)
{
    CSelfDeleting::deleted = 0;
    CSelfDeleting* w = new CSelfDeleting;
    ASSERT_TRUE(w->CreateEx(0, nullptr, "", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr));
    HWND h = w->m_hWnd;
    // Posted and sent copies of the destruction messages are ignored.
    PostMessage(h, WM_NCDESTROY, 0, 0);
    PostMessage(h, WM_DESTROY, 0, 0);
    PumpUntilIdle();
    SendMessage(h, WM_NCDESTROY, 0, 0);
    EXPECT_TRUE(IsWindow(h));
    EXPECT_EQ(CWnd::FromHandlePermanent(h), w);
    EXPECT_EQ(CSelfDeleting::deleted, 0);
    EXPECT_EQ(SendMessage(h, WM_USER + 1, 0, 0), 5);
    EXPECT_FALSE(IsWindow(h));
    EXPECT_EQ(CSelfDeleting::deleted, 1);
    EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
}

class CThrowing : public CWnd {
public:
    int OnCreate(CREATESTRUCT*) { throw std::bad_alloc(); }
    LRESULT OnOther(WPARAM w, LPARAM)
    {
        if (w == 1) throw 17;
        AfxThrowFileException(CFileException::fileNotFound, ENOENT, "/x/y.txt");
    }

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CThrowing, CWnd)
    ON_WM_CREATE()
    ON_MESSAGE(WM_USER + 2, OnOther)
END_MESSAGE_MAP()

class CThrowLater : public CThrowing {
public:
    int OnCreate(CREATESTRUCT*) { return 0; }

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CThrowLater, CThrowing)
    ON_WM_CREATE()
END_MESSAGE_MAP()

TEST_F(AfxCore, ExceptionsStopAtTheWindowProcedureWithTheStandardReport)
{
    CThrowing w;
    // bad_alloc in WM_CREATE: reported, and the creation fails.
    EXPECT_FALSE(w.CreateEx(0, nullptr, "", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr));
    EXPECT_EQ(w.m_hWnd, nullptr);
    CThrowLater later;
    ASSERT_TRUE(later.CreateEx(0, nullptr, "", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr));
    EXPECT_EQ(later.SendMessage(WM_USER + 2, 1), 0);
    EXPECT_EQ(later.SendMessage(WM_USER + 2, 2), 0);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Not enough memory.", "An unexpected error occurred.",
                                                     "Cannot find the file /x/y.txt."}));
}

const AfxStringEntry kStringsA[] = {{128, "Module A"}};
const AfxStringEntry kStringsB[] = {{128, "Module B"}};

class CModuleProbe : public CWnd {
public:
    std::string seen;
    LRESULT OnAsk(WPARAM, LPARAM)
    {
        seen = AfxLoadString(128);
        return 0;
    }

protected:
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CModuleProbe, CWnd)
    ON_MESSAGE(WM_USER + 3, OnAsk)
END_MESSAGE_MAP()

TEST_F(AfxCore, AWindowRunsWithItsCreatorsModuleStateAndLookupsFallBackToThePlatform)
{
    static CModuleState a("a"), b("b");
    a.m_resources.AddStrings(kStringsA, 1);
    b.m_resources.AddStrings(kStringsB, 1);
    CModuleProbe inA, inB;
    {
        AFX_MANAGE_STATE(&a);
        ASSERT_TRUE(inA.CreateEx(0, nullptr, "", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr));
        EXPECT_EQ(AfxLoadString(AFX_IDS_IDLEMESSAGE), "Ready");
    }
    {
        AFX_MANAGE_STATE(&b);
        ASSERT_TRUE(inB.CreateEx(0, nullptr, "", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr));
        // Sent from module B's scope, A's window still answers as A.
        inA.SendMessage(WM_USER + 3);
    }
    inB.SendMessage(WM_USER + 3);
    EXPECT_EQ(inA.seen, "Module A");
    EXPECT_EQ(inB.seen, "Module B");
    {
        AFX_MANAGE_STATE(&b);
        b.m_resources.AddToolbar(128, AfxToolbarResource{16, 15, {1, 0, 2}});
        AfxToolbarResource tb;
        ASSERT_TRUE(AfxFindToolbar(128, tb));
        EXPECT_EQ(tb.buttons, (std::vector<UINT>{1, 0, 2}));
    }
    AfxToolbarResource none;
    EXPECT_FALSE(AfxFindToolbar(128, none));   // the program has no toolbar 128
    EXPECT_EQ(AfxGetModuleState(), AfxGetProgramModuleState());
    EXPECT_EQ(AfxLoadString(AFX_IDS_MEMORY_EXCEPTION), "Not enough memory.");
}

// A view that hands unknown commands to its frame, which routes to the view
// again: the guard stops the second round.
class CLoopingView : public CView {
public:
    int routed = 0;
    void OnDraw(CDC*) override {}
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info) override
    {
        ++routed;
        if (CView::OnCmdMsg(nID, nCode, pExtra, info)) return TRUE;
        CRouteGuard guard(this, nID, nCode + 1000);
        return guard.Entered() && GetParentFrame()->OnCmdMsg(nID, nCode, pExtra, info);
    }
};

TEST_F(AfxCore, ATargetNeverReentersRoutingOfTheSameCommand)
{
    CMenuFrame* frame = new CMenuFrame;
    ASSERT_TRUE(frame->Create(nullptr, "routing"));
    CLoopingView* view = new CLoopingView;
    ASSERT_TRUE(view->Create(nullptr, nullptr, WS_VISIBLE, RECT{0, 0, 10, 10}, frame, AFX_IDW_PANE_FIRST));
    frame->SetActiveView(view, FALSE);
    EXPECT_FALSE(frame->OnCmdMsg(ID_BETA, CN_COMMAND, nullptr, nullptr));
    EXPECT_TRUE(frame->OnCmdMsg(ID_ALPHA, CN_COMMAND, nullptr, nullptr));
    EXPECT_LE(view->routed, 4);
    frame->DestroyWindow();
}

TEST_F(AfxCore, ACloseDuringMenuTrackingEndsTheMenuAndTheFrameSurvives)
{
    CMenuFrame* frame = new CMenuFrame;
    ASSERT_TRUE(frame->Create(nullptr, "menus"));
    frame->ShowWindow(SW_SHOW);
    HWND h = frame->m_hWnd;
    HMENU popup = CreatePopupMenu();
    AppendMenu(popup, MF_STRING, ID_ALPHA, "Alpha");
    PostMessage(h, WM_CLOSE, 0, 0);
    EXPECT_EQ(TrackPopupMenu(popup, TPM_RETURNCMD, 50, 50, 0, h, nullptr), 0);
    EXPECT_TRUE(IsWindow(h));
    DestroyMenu(popup);
    // With nothing running, the next close closes it.
    SendMessage(h, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(h));
}

// Without the tests' hook: xdg-open from PATH, its failure reported later,
// its absence at once.
TEST_F(AfxCore, ExternalOpensRunXdgOpenAndReportItsFailure)
{
    namespace fs = std::filesystem;
    const fs::path bin = fs::temp_directory_path() / ("veldra-xdg-" + std::to_string(getpid()));
    fs::create_directories(bin);
    const fs::path record = bin / "opened";
    const std::string oldPath = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", bin.c_str(), 1);
    AfxSetOpenExternalHook(nullptr);
    struct Case {
        int status;   // what xdg-open ends with; -1: there is none
        bool started, failed;
    } cases[] = {{0, true, false}, {3, true, true}, {-1, false, false}};
    for (const Case& c : cases) {
        fs::remove(bin / "xdg-open");
        fs::remove(record);
        if (c.status >= 0) {
            std::ofstream(bin / "xdg-open") << "#!/bin/sh\necho \"$1\" > " << record.string() << "\nexit " << c.status << "\n";
            fs::permissions(bin / "xdg-open", fs::perms::owner_all);
        }
        std::atomic<int> failures{0};
        EXPECT_EQ(AfxOpenExternal("file:///tmp/Hlp/Veldra.html", [&](int) { ++failures; }), c.started) << c.status;
        if (!c.started) continue;
        for (int i = 0; i < 500 && !fs::exists(record); ++i) Sleep(10);
        for (int i = 0; i < 200 && c.failed && failures == 0; ++i) Sleep(10);
        Sleep(50);
        std::ifstream in(record);
        std::string line;
        std::getline(in, line);
        EXPECT_EQ(line, "file:///tmp/Hlp/Veldra.html");
        EXPECT_EQ(failures.load(), c.failed ? 1 : 0) << c.status;
    }
    setenv("PATH", oldPath.c_str(), 1);
    fs::remove_all(bin);
    // The tests' own hook again: what the rest of the suite opens is recorded.
    InstallOpenExternalLog();
}

}  // namespace

void RegisterAfxTestBitmaps(HINSTANCE module);

namespace {

TEST_F(AfxCore, PngsEmbeddedAtBuildTimeLoadPerModule)
{
    static CModuleState lib("png-lib");
    RegisterAfxTestBitmaps(lib.ResourceHandle());
    {
        AFX_MANAGE_STATE(&lib);
        HBITMAP b = AfxLoadBitmap("afx_tiny");
        ASSERT_NE(b, nullptr);
        BITMAP bm{};
        GetObject(b, sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, 3);
        EXPECT_EQ(bm.bmHeight, 2);
        DeleteObject(b);
    }
    // The program module does not see it.
    EXPECT_EQ(AfxLoadBitmap("afx_tiny"), nullptr);
}

}  // namespace
