// Child processes started with posix_spawn; a reaper thread per child
// signals its handle when it ends.
#include "platform/kernel/process.h"
#include "platform/kernel/errors.h"
#include "platform/kernel/handles.h"
#include "platform/kernel/thread.h"
#include "platform/kernel/kernel_internal.h"

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

struct KProcess : KObject {
    KProcess() : KObject(KObjectKind::Process, true) {}
    pid_t pid = 0;
    // Guarded by KernelLock().
    bool running = true;
    DWORD exitCode = STILL_ACTIVE;
    bool terminated = false;
    DWORD terminateCode = 0;
};

std::vector<std::string> SplitCommandLine(const char* line)
{
    std::vector<std::string> parts;
    if (!line) return parts;
    std::string current;
    bool inPart = false, quoted = false;
    for (const char* p = line; *p; p++) {
        char c = *p;
        if (c == '"') {
            quoted = !quoted;
            inPart = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inPart) parts.push_back(current);
            current.clear();
            inPart = false;
        } else {
            current += c;
            inPart = true;
        }
    }
    if (inPart) parts.push_back(current);
    return parts;
}

void Reap(std::shared_ptr<KProcess> p)
{
    // Wait without collecting, so the pid stays ours while TerminateProcess
    // may still signal it under the kernel lock.
    siginfo_t info;
    int r;
    do r = waitid(P_PID, (id_t)p->pid, &info, WEXITED | WNOWAIT);
    while (r < 0 && errno == EINTR);
    std::lock_guard<std::mutex> g(KernelLock());
    int status = 0;
    pid_t done = waitpid(p->pid, &status, 0);
    DWORD code = 0;
    if (done == p->pid) {
        if (WIFEXITED(status))
            code = (DWORD)WEXITSTATUS(status);
        else if (WIFSIGNALED(status))
            code = 128u + (DWORD)WTERMSIG(status);
    }
    p->running = false;
    p->exitCode = p->terminated ? p->terminateCode : code;
    SignalLocked(*p);
}

}  // namespace

BOOL CreateProcess(const char* path, const char* commandLine, PROCESS_INFORMATION* info)
{
    if (!path || !*path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<std::string> args = SplitCommandLine(commandLine);
    if (args.empty()) args.push_back(path);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    auto p = std::make_shared<KProcess>();
    int rc = posix_spawn(&p->pid, path, nullptr, nullptr, argv.data(), environ);
    if (rc != 0) {
        SetLastError(rc == ENOENT || rc == ENOTDIR ? ERROR_FILE_NOT_FOUND : ERROR_ACCESS_DENIED);
        return FALSE;
    }
    std::thread(Reap, p).detach();
    HANDLE h = NewHandle(p);
    if (info) {
        info->hProcess = h;
        info->hThread = nullptr;
        info->dwProcessId = (DWORD)p->pid;
        info->dwThreadId = 0;
    } else {
        CloseHandle(h);
    }
    return TRUE;
}

BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode)
{
    auto p = LookupHandleAs<KProcess>(process, KObjectKind::Process);
    if (!p || !exitCode) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard<std::mutex> g(KernelLock());
    *exitCode = p->running ? STILL_ACTIVE : p->exitCode;
    return TRUE;
}

BOOL TerminateProcess(HANDLE process, UINT exitCode)
{
    auto p = LookupHandleAs<KProcess>(process, KObjectKind::Process);
    if (!p) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard<std::mutex> g(KernelLock());
    if (!p->running) return TRUE;
    p->terminated = true;
    p->terminateCode = exitCode;
    // The reaper has not collected the child yet, so the pid is still ours.
    kill(p->pid, SIGKILL);
    return TRUE;
}
