#include <atomic>
#include <cmath>
#include <cstring>
#include <ctime>
#include <pthread.h>
#include <string>
#include <thread>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "platform_test_util.h"

TEST(Events, AutoResetReleasesOneWaitManualStaysSet)
{
    HANDLE autoEv = CreateEvent(nullptr, FALSE, TRUE, nullptr);
    HANDLE manual = CreateEvent(nullptr, TRUE, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(autoEv, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(autoEv, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    ResetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
    CloseHandle(autoEv);
    CloseHandle(manual);
}

TEST(Events, WaitForSeveralAnyAndAll)
{
    HANDLE e[3];
    for (HANDLE& h : e) h = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    SetEvent(e[2]);
    SetEvent(e[1]);
    // The lowest signalled index wins and only that one is consumed.
    EXPECT_EQ(WaitForMultipleObjects(3, e, FALSE, 0), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(WaitForMultipleObjects(3, e, FALSE, 0), WAIT_OBJECT_0 + 2);
    EXPECT_EQ(WaitForMultipleObjects(3, e, FALSE, 0), WAIT_TIMEOUT);
    // Wait-all takes none of them until all are set.
    SetEvent(e[0]);
    SetEvent(e[1]);
    EXPECT_EQ(WaitForMultipleObjects(3, e, TRUE, 0), WAIT_TIMEOUT);
    SetEvent(e[2]);
    EXPECT_EQ(WaitForMultipleObjects(3, e, TRUE, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForMultipleObjects(3, e, FALSE, 0), WAIT_TIMEOUT);
    for (HANDLE h : e) CloseHandle(h);
}

TEST(Events, SetFromAnotherThreadWakesAnInfiniteWait)
{
    HANDLE go = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    HANDLE done = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    HANDLE t = StartThread([&] {
        DWORD r = WaitForSingleObject(go, INFINITE);
        SetEvent(done);
        return r == WAIT_OBJECT_0 ? 5u : 6u;
    });
    SetEvent(go);
    HANDLE both[2] = {done, t};
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, INFINITE), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(t, &code);
    EXPECT_EQ(code, 5u);
    CloseHandle(t);
    CloseHandle(go);
    CloseHandle(done);
}

TEST(Handles, ClosedAndBogusHandlesFailCleanly)
{
    HANDLE e = CreateEvent(nullptr, TRUE, TRUE, nullptr);
    HANDLE dup = DuplicateHandle(e);
    ASSERT_TRUE(CloseHandle(e));
    EXPECT_FALSE(CloseHandle(e));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForSingleObject(dup, 0), WAIT_OBJECT_0);   // the object lives on in the duplicate
    // A new handle never takes the value of a closed one.
    HANDLE again = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    EXPECT_NE(again, e);
    for (HANDLE bogus : {(HANDLE) nullptr, INVALID_HANDLE_VALUE, (HANDLE)(uintptr_t)0x12345678})
        EXPECT_EQ(WaitForSingleObject(bogus, 0), WAIT_FAILED);
    // Not every object can be waited for.
    HANDLE block = CreateFileMapping(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 16, nullptr);
    EXPECT_EQ(WaitForSingleObject(block, 0), WAIT_FAILED);
    CloseHandle(block);
    CloseHandle(dup);
    CloseHandle(again);
}

TEST(NamedObjects, BlockExistsUntilLastHandleAndViewAreGone)
{
    const char* name = "Veldra:Quorra";
    HANDLE first = CreateFileMapping(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 1000, name);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ(GetFileMappingSize(first), 1000u);
    auto* view = (unsigned char*)MapViewOfFile(first, FILE_MAP_WRITE, 0, 0, 0);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(GetMappedViewSize(view), 1000u);
    for (int i = 0; i < 1000; i++) ASSERT_EQ(view[i], 0) << i;
    memset(view, 0xAB, 1000);

    // A second create shares the block and says it already existed.
    HANDLE second = CreateFileMapping(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 50, name);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(GetFileMappingSize(second), 1000u);
    auto* other = (unsigned char*)MapViewOfFile(second, FILE_MAP_READ, 0, 10, 0);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other[0], 0xAB);
    EXPECT_EQ(GetMappedViewSize(other), 990u);
    UnmapViewOfFile(other);
    CloseHandle(second);

    // The view alone keeps the block (and its name) alive.
    CloseHandle(first);
    HANDLE third = CreateFileMapping(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 8, name);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    CloseHandle(third);
    EXPECT_EQ(view[999], 0xAB);
    ASSERT_TRUE(UnmapViewOfFile(view));
    EXPECT_FALSE(UnmapViewOfFile(view));

    // Released: the name is free and the new block is fresh and zeroed.
    EXPECT_EQ(OpenFileMapping(FILE_MAP_READ, FALSE, name), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    HANDLE fresh = CreateFileMapping(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 8, name);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    auto* v = (unsigned char*)MapViewOfFile(fresh, FILE_MAP_WRITE, 0, 0, 8);
    EXPECT_EQ(v[0] | v[7], 0);
    EXPECT_EQ(MapViewOfFile(fresh, FILE_MAP_WRITE, 0, 4, 5), nullptr);   // past the end
    UnmapViewOfFile(v);
    CloseHandle(fresh);
}

TEST(NamedObjects, BadRequestsAndSharedNames)
{
    EXPECT_EQ(CreateFileMapping(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 0, "zero"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    // Events and blocks share one namespace.
    HANDLE ev = CreateEvent(nullptr, TRUE, FALSE, "shared-name");
    EXPECT_EQ(CreateFileMapping(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4, "shared-name"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    // A named event opened twice is one event.
    HANDLE same = CreateEvent(nullptr, TRUE, FALSE, "shared-name");
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    HANDLE opened = OpenEvent(SYNCHRONIZE, FALSE, "shared-name");
    SetEvent(same);
    EXPECT_EQ(WaitForSingleObject(ev, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(opened, 0), WAIT_OBJECT_0);
    for (HANDLE h : {ev, same, opened}) CloseHandle(h);
    EXPECT_EQ(OpenEvent(SYNCHRONIZE, FALSE, "shared-name"), nullptr);
}

namespace {
std::atomic<int> g_gatedRuns{0};
DWORD GatedProc(void*)
{
    g_gatedRuns++;
    return 0;
}
}  // namespace

TEST(Threads, SuspendedThreadRunsOnlyWhenResumedAndReportsItsExit)
{
    std::atomic<bool> ran{false};
    HANDLE go = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    DWORD id = 0;
    HANDLE t = StartThread(
        [&] {
            ran = true;
            WaitForSingleObject(go, INFINITE);
            MSG m;
            return PeekMessage(&m, nullptr, 0, 0, PM_REMOVE) ? (DWORD)m.wParam : 0u;
        },
        CREATE_SUSPENDED, 0, &id);
    ASSERT_NE(t, nullptr);
    // Its queue exists before it runs.
    EXPECT_TRUE(PostThreadMessage(id, WM_USER, 42, 0));
    EXPECT_EQ(GetThreadId(t), id);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(t, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(WaitForSingleObject(t, 20), WAIT_TIMEOUT);
    EXPECT_FALSE(ran);
    EXPECT_EQ(ResumeThread(t), 1u);
    EXPECT_EQ(ResumeThread(t), 0u);
    SetEvent(go);
    EXPECT_EQ(WaitForSingleObject(t, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(ran);
    EXPECT_FALSE(IsThreadAlive(t));
    EXPECT_TRUE(GetExitCodeThread(t, &code));
    EXPECT_EQ(code, 42u);
    CloseHandle(t);
    CloseHandle(go);
}

TEST(Threads, AliveFlagDoesNotDependOnTheExitCode)
{
    HANDLE t = StartThread([] { return (DWORD)STILL_ACTIVE; });
    EXPECT_EQ(WaitForSingleObject(t, INFINITE), WAIT_OBJECT_0);
    EXPECT_FALSE(IsThreadAlive(t));
    DWORD code = 0;
    GetExitCodeThread(t, &code);
    EXPECT_EQ(code, STILL_ACTIVE);
    CloseHandle(t);
}

TEST(Threads, StackSizeAndPriorityAreApplied)
{
    const SIZE_T want = 64u << 20;
    size_t got = 0;
    HANDLE t = StartThread(
        [&] {
            pthread_attr_t attr;
            pthread_getattr_np(pthread_self(), &attr);
            pthread_attr_getstacksize(&attr, &got);
            pthread_attr_destroy(&attr);
            return 0u;
        },
        CREATE_SUSPENDED, want);
    EXPECT_TRUE(SetThreadPriority(t, THREAD_PRIORITY_BELOW_NORMAL));
    EXPECT_EQ(GetThreadPriority(t), THREAD_PRIORITY_BELOW_NORMAL);
    ResumeThread(t);
    JoinThread(t);
    EXPECT_GE(got, want);
    EXPECT_FALSE(SetThreadPriority(nullptr, 1));
}

TEST(Threads, CooperativeSuspensionHoldsTheThreadAtItsNextSuspendPoint)
{
    HANDLE reached = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    HANDLE go = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> passed{false};
    HANDLE t = StartThread([&] {
        SetEvent(reached);
        WaitForSingleObject(go, INFINITE);
        ThreadSuspendPoint();
        passed = true;
        return 0u;
    });
    WaitForSingleObject(reached, INFINITE);
    EXPECT_EQ(SuspendThread(t), 0u);
    EXPECT_EQ(SuspendThread(t), 1u);
    EXPECT_FALSE(IsThreadHeld(t));
    SetEvent(go);
    EXPECT_EQ(WaitForSingleObject(t, 20), WAIT_TIMEOUT);
    EXPECT_FALSE(passed);
    while (!IsThreadHeld(t)) std::this_thread::yield();
    EXPECT_EQ(ResumeThread(t), 2u);
    EXPECT_EQ(WaitForSingleObject(t, 20), WAIT_TIMEOUT);
    EXPECT_EQ(ResumeThread(t), 1u);
    JoinThread(t);
    EXPECT_TRUE(passed);
    CloseHandle(reached);
    CloseHandle(go);
}

TEST(Threads, TerminateAbandonsWithTheGivenExitCode)
{
    // Behind its start gate, an abandoned thread never runs.
    g_gatedRuns = 0;
    HANDLE gated = CreateThread(nullptr, 0, GatedProc, nullptr, CREATE_SUSPENDED, nullptr);
    ASSERT_TRUE(TerminateThread(gated, 9));
    EXPECT_EQ(WaitForSingleObject(gated, INFINITE), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(gated, &code);
    EXPECT_EQ(code, 9u);
    EXPECT_EQ(ResumeThread(gated), 1u);
    CloseHandle(gated);

    // A blocked thread keeps blocking, but counts as ended; its late return
    // does not change the exit code.
    HANDLE release = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    HANDLE running = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> returned{false};
    HANDLE t = StartThread([&] {
        SetEvent(running);
        WaitForSingleObject(release, INFINITE);
        returned = true;
        return 1u;
    });
    WaitForSingleObject(running, INFINITE);
    ASSERT_TRUE(TerminateThread(t, (DWORD)-1));
    EXPECT_EQ(WaitForSingleObject(t, 0), WAIT_OBJECT_0);
    EXPECT_FALSE(IsThreadAlive(t));
    EXPECT_FALSE(HasThreadFinished(t));  // abandoned, yet still running
    GetExitCodeThread(t, &code);
    EXPECT_EQ(code, (DWORD)-1);
    SetEvent(release);
    while (!returned) Sleep(1);
    while (!HasThreadFinished(t)) Sleep(1);
    GetExitCodeThread(t, &code);
    EXPECT_EQ(code, (DWORD)-1);
    CloseHandle(t);
    EXPECT_EQ(g_gatedRuns, 0);
    CloseHandle(release);
    CloseHandle(running);
}

TEST(ThreadsDeathTest, AnAbandonedThreadBlockedForeverDoesNotHoldUpExit)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            HANDLE never = CreateEvent(nullptr, TRUE, FALSE, nullptr);
            HANDLE t = StartThread([never] { return WaitForSingleObject(never, INFINITE); });
            TerminateThread(t, 3);
            DWORD code = 0;
            GetExitCodeThread(t, &code);
            std::exit(code == 3 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(CriticalSections, RecursiveAndExclusive)
{
    CRITICAL_SECTION cs;
    InitializeCriticalSection(&cs);
    EnterCriticalSection(&cs);
    EXPECT_TRUE(TryEnterCriticalSection(&cs));   // the owner enters again
    std::atomic<int> other{-1};
    HANDLE t = StartThread([&] {
        other = TryEnterCriticalSection(&cs);
        return 0u;
    });
    JoinThread(t);
    EXPECT_EQ(other, 0);
    LeaveCriticalSection(&cs);
    LeaveCriticalSection(&cs);
    t = StartThread([&] {
        other = TryEnterCriticalSection(&cs);
        if (other) LeaveCriticalSection(&cs);
        return 0u;
    });
    JoinThread(t);
    EXPECT_EQ(other, 1);
    DeleteCriticalSection(&cs);
}

TEST(LastError, IsPerThread)
{
    SetLastError(1234);
    DWORD seen = 99;
    HANDLE t = StartThread([&] {
        seen = GetLastError();
        SetLastError(77);
        return 0u;
    });
    JoinThread(t);
    EXPECT_EQ(seen, 0u);
    EXPECT_EQ(GetLastError(), 1234u);
}

TEST(Libraries, LoadResolveAndFail)
{
    HMODULE m = LoadLibrary("libm.so.6");
    ASSERT_NE(m, nullptr) << GetLibraryErrorText();
    auto cosine = (double (*)(double))GetProcAddress(m, "cos");
    ASSERT_NE(cosine, nullptr);
    EXPECT_EQ(cosine(0.0), 1.0);
    EXPECT_EQ(GetProcAddress(m, "no_such_symbol_here"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
    char path[4096];
    ASSERT_GT(GetModuleFileName(m, path, sizeof path), 0u);
    EXPECT_NE(std::string(path).find("libm"), std::string::npos) << path;
    EXPECT_TRUE(FreeLibrary(m));

    EXPECT_EQ(LoadLibrary("/nonexistent/libnothing.so"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    EXPECT_NE(std::string(GetLibraryErrorText()).find("libnothing"), std::string::npos);
}

// What the loader is never handed: a FIFO (it would wait for a writer for
// ever), a truncated library (it would fault mapping the missing pages).
TEST(Libraries, OnlyWholeRegularElfFilesAreLoaded)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("veldra-libfiles-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ifstream in(GetProgramPath(), std::ios::binary);
    const std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(whole.size(), 4096u);
    auto write = [&](const char* name, const std::string& bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return (dir / name).string();
    };
    ASSERT_EQ(mkfifo((dir / "fifo.so").c_str(), 0600), 0);
    fs::create_directories(dir / "dir.so");
    fs::create_symlink(dir / "fifo.so", dir / "link-to-fifo.so");
    std::string badHeaderTable = whole.substr(0, 64);
    const struct {
        std::string path;
        bool loadable;
    } cases[] = {
        {write("whole.so", whole), true},
        {write("first-1000.so", whole.substr(0, 1000)), false},
        {write("header-only.so", badHeaderTable), false},
        {write("empty.so", ""), false},
        {write("text.so", "not a library\n"), false},
        {(dir / "fifo.so").string(), false},
        {(dir / "link-to-fifo.so").string(), false},
        {(dir / "dir.so").string(), false},
        {"/dev/zero", false},
        {(dir / "missing.so").string(), false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsLoadableLibraryFile(c.path.c_str()), c.loadable) << c.path;
        if (!c.loadable) EXPECT_EQ(LoadLibrary(c.path.c_str()), nullptr) << c.path;
    }
    fs::remove_all(dir);
}

TEST(ProgramPath, ComesFromTheRunningExecutable)
{
    char path[4096];
    DWORD n = GetModuleFileName(nullptr, path, sizeof path);
    ASSERT_GT(n, 0u);
    std::string p(path, n);
    EXPECT_EQ(p, GetProgramPath());
    EXPECT_EQ(GetProgramFolder() + "/test_platform", p);
    char small[8];
    EXPECT_EQ(GetModuleFileName(nullptr, small, sizeof small), 8u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::string(small), p.substr(0, 7));
}

TEST(ChildProcesses, ExitCodeTerminationAndMissingProgram)
{
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcess("/bin/sh", "sh -c \"exit 3\"", &pi));
    EXPECT_GT(pi.dwProcessId, 0u);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, INFINITE), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(code, 3u);
    CloseHandle(pi.hProcess);

    ASSERT_TRUE(CreateProcess("/bin/sleep", "sleep 100", &pi));
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_TRUE(TerminateProcess(pi.hProcess, 17));
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, INFINITE), WAIT_OBJECT_0);
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(code, 17u);
    CloseHandle(pi.hProcess);

    EXPECT_FALSE(CreateProcess("/nonexistent/program", nullptr, &pi));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(Clock, TicksAdvanceAndLocalTimeHasMilliseconds)
{
    uint64_t a = GetTickCount64();
    Sleep(2);
    EXPECT_GE(GetTickCount64(), a + 2);
    // The 32-bit count is the low part of the 64-bit one (read between two of them).
    uint64_t lo = GetTickCount64();
    DWORD t32 = GetTickCount();
    uint64_t hi = GetTickCount64();
    EXPECT_TRUE(t32 == (DWORD)lo || t32 == (DWORD)hi || (hi - lo > 1)) << t32 << " " << lo << " " << hi;

    SYSTEMTIME st;
    time_t before = time(nullptr);
    GetLocalTime(&st);
    tm parts;
    localtime_r(&before, &parts);
    EXPECT_EQ(st.wYear, parts.tm_year + 1900);
    EXPECT_LT(st.wMilliseconds, 1000);
    EXPECT_GE(st.wMonth, 1);
    EXPECT_LE(st.wMonth, 12);
    EXPECT_LT(st.wDayOfWeek, 7);
}
