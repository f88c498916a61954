// The destroy-at-every-handler loop: the MDI demo replays one script while its
// frame destroys itself in the Nth message it handles, N = 1, 2, ... until the
// script ends untouched. Every round must end cleanly (under ASan too).
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "afx_demo.h"
#include "afx_test_util.h"

namespace {

int g_calls = 0;
int g_dieAt = 0;

class CFragileFrame : public CMDIFrameWnd {
public:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (++g_calls == g_dieAt && m_hWnd) ::DestroyWindow(m_hWnd);
        return CMDIFrameWnd::WindowProc(message, wParam, lParam);
    }
};

class CFragileApp : public CDemoMdiApp {
public:
    using CDemoMdiApp::CDemoMdiApp;
    BOOL InitInstance() override
    {
        LoadStdProfileSettings(0);
        AddDocTemplate(new CMultiDocTemplate(IDR_DEMO, RUNTIME_CLASS(CDemoDoc), RUNTIME_CLASS(CMDIChildWnd),
                                             RUNTIME_CLASS(CDemoView)));
        CFragileFrame* frame = new CFragileFrame;
        if (!frame->LoadFrame(IDR_DEMO)) return FALSE;
        m_pMainWnd = frame;
        frame->ShowWindow(SW_SHOW);
        return TRUE;
    }
};

using AfxDestroyLoop = AfxTest;

TEST_F(AfxDestroyLoop, TheFrameMayDestroyItselfInAnyHandlerOfTheScript)
{
    std::string file = (std::filesystem::path(testing::TempDir()) / ("afx-loop-" + std::to_string(getpid()) + ".txt")).string();
    std::ofstream(file) << "text\n";
    bool untouched = false;
    for (g_dieAt = 1; g_dieAt < 2000 && !untouched; ++g_dieAt) {
        g_calls = 0;
        {
            CFragileApp app("AfxLoop-" + std::to_string(getpid()));
            CWinThread* prev = AfxSetThread(&app);
            if (app.InitInstance()) {
                HWND frame = app.m_pMainWnd ? app.m_pMainWnd->m_hWnd : nullptr;
                if (IsWindow(frame)) app.OpenDocumentFile(file.c_str());
                if (IsWindow(frame)) {
                    HMENU menu = GetSubMenu(GetMenu(frame), 0);
                    SendMessage(frame, WM_INITMENUPOPUP, (WPARAM)menu, 0);
                }
                if (IsWindow(frame)) {
                    InjectText("ab");
                    PumpUntilIdle();
                }
                if (IsWindow(frame)) {
                    PushMessageBoxAnswer(IDNO);
                    PostMessage(frame, WM_CLOSE, 0, 0);
                }
                PumpUntilIdle();
                untouched = g_calls < g_dieAt;
                if (IsWindow(frame)) DestroyWindow(frame);
            }
            app.m_pMainWnd = nullptr;
            AfxSetThread(prev);
        }
        ClearMessageBoxAnswers();
        TakeMessageBoxLog();
        ResetHeadlessInput();
        PumpUntilIdle();
        MSG m;
        while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE | PM_QS_POSTMESSAGE)) {
        }
        // Nothing of the round is left behind.
        int left = 0;
        EnumThreadWindows(GetCurrentThreadId(), [](HWND, LPARAM l) -> BOOL { ++*(int*)l; return TRUE; }, (LPARAM)&left);
        ASSERT_EQ(left, 0) << "round " << g_dieAt;
    }
    EXPECT_TRUE(untouched) << "the script never ran to its end";
    EXPECT_GT(g_dieAt, 20);
    RecordProperty("rounds", g_dieAt);
    std::filesystem::remove(file);
}

}  // namespace
