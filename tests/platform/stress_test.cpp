#include <atomic>
#include <vector>

#include "platform_test_util.h"

namespace {

const UINT MSG_SEND = WM_USER + 10;
const UINT MSG_POST = WM_USER + 11;
const int kThreads = 8;
const int kOpsPerThread = 100000;

struct Peer {
    Handler handler;
    HWND hwnd = nullptr;
    std::atomic<long> sendsHandled{0};
    long postsReceived = 0;            // owner thread only
    std::vector<long> lastSeq;         // last post sequence per sender, owner thread only
    bool outOfOrder = false;
    std::atomic<long> postsExpected{0};
};

}  // namespace

// Every thread owns a window and, while serving the others, sends and posts
// to all of them; nothing may be lost, reordered per sender, or deadlock.
TEST(Stress, EightThreadsExchangeSendsAndPosts)
{
    std::vector<Peer> peers(kThreads);
    HANDLE allReady = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    HANDLE allDone = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    std::atomic<int> ready{0}, done{0};
    std::atomic<long> badReplies{0};

    auto body = [&](int self) -> DWORD {
        Peer& me = peers[self];
        me.lastSeq.assign(kThreads, -1);
        me.handler = [&me](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m == MSG_SEND) {
                me.sendsHandled++;
                return l * 2 + 1;
            }
            if (m == MSG_POST) {
                me.postsReceived++;
                if (l <= me.lastSeq[w]) me.outOfOrder = true;
                me.lastSeq[w] = l;
                return 0;
            }
            return DefWindowProc(h, m, w, l);
        };
        me.hwnd = MakeWindow(&me.handler);
        if (++ready == kThreads) SetEvent(allReady);
        WaitForSingleObject(allReady, INFINITE);
        MSG m;
        for (int i = 0; i < kOpsPerThread; i++) {
            int target = (self + 1 + i % (kThreads - 1)) % kThreads;
            if (i % 2 == 0) {
                if (SendMessage(peers[target].hwnd, MSG_SEND, 0, i) != (LRESULT)i * 2 + 1) badReplies++;
            } else {
                peers[target].postsExpected++;
                PostMessage(peers[target].hwnd, MSG_POST, (WPARAM)self, i);
            }
            if (i % 64 == 0)
                while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
        }
        if (++done == kThreads) SetEvent(allDone);
        // Keep serving until everyone has finished sending, then take the rest.
        while (MsgWaitForMultipleObjects(1, &allDone, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0)
            while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
        while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
        DestroyWindow(me.hwnd);
        return 0;
    };

    std::vector<HANDLE> threads;
    for (int i = 0; i < kThreads; i++) threads.push_back(StartThread([&body, i] { return body(i); }));
    for (HANDLE t : threads) JoinThread(t);

    long sends = 0;
    for (Peer& p : peers) {
        EXPECT_EQ(p.postsReceived, p.postsExpected.load());
        EXPECT_FALSE(p.outOfOrder);
        sends += p.sendsHandled;
    }
    EXPECT_EQ(sends, (long)kThreads * kOpsPerThread / 2);
    EXPECT_EQ(badReplies, 0);
    CloseHandle(allReady);
    CloseHandle(allDone);
}
