// The test helper that runs code on a window's own thread must not swallow
// the window's other messages: a message dispatched while the helper takes
// its wrapper off still reaches the window.
#include <atomic>
#include <thread>
#include <gtest/gtest.h>

#include "tests/platform/platform_test_util.h"
#include "tests/support/window_thread.h"

TEST(WindowThreadHelper, MessagesPostedBetweenReadsAllArrive)
{
    constexpr UINT kCounted = WM_APP + 1, kLast = WM_APP + 2;
    constexpr int kPosts = 20000;
    std::atomic<int> counted{0};
    std::atomic<HWND> window{nullptr};
    HANDLE done = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = StartThread([&]() -> DWORD {
        Handler h = [&](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
            if (m == kCounted) counted++;
            if (m == kLast) {
                SetEvent(done);
                DestroyWindow(w);
                PostQuitMessage(0);
            }
            return DefWindowProc(w, m, wp, lp);
        };
        window = MakeWindow(&h);
        PumpUntilQuit();
        return 0;
    });
    while (!window) std::this_thread::yield();
    int reads = 0;
    for (int i = 0; i < kPosts; i++) {
        ASSERT_TRUE(PostMessage(window, kCounted, 0, 0));
        reads += ReadOnWindowThread<int>(window, [] { return 1; });
    }
    ASSERT_TRUE(PostMessage(window, kLast, 0, 0));
    ASSERT_EQ(WaitForSingleObject(done, 60000), WAIT_OBJECT_0);
    JoinThread(thread);
    CloseHandle(done);
    EXPECT_EQ(reads, kPosts);
    EXPECT_EQ(counted.load(), kPosts);
}
