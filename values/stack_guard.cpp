// Stack bounds of each thread, probed once.
#include "values/stack_guard.h"

#include <pthread.h>

#include <algorithm>
#include <cstdint>

namespace {
struct StackBounds {
    bool known = false;
    bool probed = false;
    uintptr_t low = 0;    // lowest usable address (the stack grows down)
    size_t reserve = 0;
};

// Initial-exec: read on every evaluation, so no lookup call per access.
thread_local StackBounds t_bounds __attribute__((tls_model("initial-exec")));

const StackBounds& Bounds()
{
    StackBounds& b = t_bounds;
    if (b.probed) return b;
    b.probed = true;
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) != 0) return b;
    void* addr = nullptr;
    size_t size = 0;
    if (pthread_attr_getstack(&attr, &addr, &size) == 0 && addr && size) {
        size_t guard = 0;
        pthread_attr_getguardsize(&attr, &guard);
        b.low = (uintptr_t)addr + guard;
        // Room for the handlers, the message stream and the sanitizers' larger frames.
        b.reserve = std::min(std::max<size_t>(256 * 1024, size / 16), size / 2);
        b.known = true;
    }
    pthread_attr_destroy(&attr);
    return b;
}
}  // namespace

size_t NativeStackRemaining()
{
    const StackBounds& b = Bounds();
    if (!b.known) return SIZE_MAX;
    uintptr_t here = (uintptr_t)__builtin_frame_address(0);
    return here > b.low ? here - b.low : 0;
}

size_t NativeStackReserve() { return Bounds().reserve; }

bool NativeStackLow()
{
    const StackBounds& b = Bounds();
    if (!b.known) return false;
    return NativeStackRemaining() < b.reserve;
}
