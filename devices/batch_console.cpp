#include "devices/batch_console.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

namespace {
constexpr int kReadSliceMs = 100;

std::mutex g_lock;
std::string g_pending;  // read from standard input, not yet handed out

bool TakeLine(std::string& line)
{
    size_t nl = g_pending.find('\n');
    if (nl == std::string::npos) return false;
    size_t end = nl > 0 && g_pending[nl - 1] == '\r' ? nl - 1 : nl;
    line.assign(g_pending, 0, end);
    g_pending.erase(0, nl + 1);
    return true;
}

StdinLine EndOfInput(std::string& line)
{
    if (g_pending.empty()) return StdinLine::EndOfInput;
    line.swap(g_pending);
    g_pending.clear();
    return StdinLine::Read;
}
}  // namespace

StdinLine ReadStandardInputLine(std::string& line, const std::function<bool()>& stopRequested)
{
    std::lock_guard<std::mutex> g(g_lock);
    line.clear();
    for (;;) {
        if (TakeLine(line)) return StdinLine::Read;
        if (stopRequested && stopRequested()) return StdinLine::Stopped;
        struct pollfd p = {0, POLLIN, 0};
        int r = poll(&p, 1, kReadSliceMs);
        if (r < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return EndOfInput(line);
        }
        if (r == 0) continue;
        if (p.revents & POLLNVAL) return EndOfInput(line);
        char buf[4096];
        ssize_t n = read(0, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return EndOfInput(line);
        }
        if (n == 0) return EndOfInput(line);
        g_pending.append(buf, (size_t)n);
    }
}
