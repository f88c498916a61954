#include "tests/support/windows.h"

#include "platform/user/user.h"

std::string WindowText(HWND w)
{
    char buf[256] = {};
    GetWindowText(w, buf, sizeof buf);
    return buf;
}

HWND FindThreadWindow(DWORD threadId, const std::string& caption, bool visibleOnly)
{
    struct Ctx {
        std::string caption;
        bool visibleOnly;
        HWND found = nullptr;
    } ctx{caption, visibleOnly};
    EnumThreadWindows(
        threadId,
        [](HWND h, LPARAM l) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(l);
            if (WindowText(h) == c->caption && (!c->visibleOnly || IsWindowVisible(h))) {
                c->found = h;
                return FALSE;
            }
            return TRUE;
        },
        (LPARAM)&ctx);
    return ctx.found;
}
