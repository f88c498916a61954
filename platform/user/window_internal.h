#pragma once
// Window records and the window table (internal to the platform layer).
#include "platform/kernel/kernel_internal.h"
#include "platform/user/user.h"
#include "platform/backend/backend.h"
#include <string>

struct CWindowClass {
    std::string name;
    UINT style = 0;
    WNDPROC proc = nullptr;
    int clsExtra = 0;
    int wndExtra = 0;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    std::string menuName;
    bool hasMenuName = false;
    ATOM atom = 0;
};

struct CWindow {
    HWND handle = nullptr;
    std::shared_ptr<CWindowClass> windowClass;
    std::shared_ptr<CThreadData> owner;
    // Guarded by WindowLock().
    WNDPROC proc = nullptr;
    HWND parent = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    LONG_PTR id = 0;
    LONG_PTR userData = 0;
    HINSTANCE instance = nullptr;
    std::vector<unsigned char> extra;
    std::string text;
    bool destroying = false;
    // The window rectangle from CreateWindowEx: screen coordinates for a
    // top-level window, the parent's client coordinates for a child.
    RECT rect{0, 0, 0, 0};
    // A top-level window's backing image (children draw into their top-level's).
    std::shared_ptr<CSurface> surface;
    // The whole window needs erasing before its next paint.
    bool erasePending = false;
};

// Where a window's pixels are: the top-level surface and the window's offset
// in it and size. False for a stale window.
bool WindowDrawTarget(HWND hwnd, std::shared_ptr<CSurface>* surface, HWND* topLevel, POINT* offset, SIZE* size);

// Guards the window table and the guarded window fields. A thread's lock may
// be held while it is taken, never the other way round.
std::mutex& WindowLock();
std::shared_ptr<CWindow> FindWindowObject(HWND hwnd);
// The same, setting the last error to an invalid window handle when there is none.
std::shared_ptr<CWindow> FindWindowOrFail(HWND hwnd);
// Every top-level window of the process (no lock held while calling).
void EnumAllTopLevelWindows(WNDENUMPROC proc, LPARAM lParam);
// Under WindowLock().
std::shared_ptr<CWindow> FindWindowObjectLocked(HWND hwnd);
bool IsSelfOrDescendantLocked(HWND ancestor, HWND hwnd);

// Takes a window out of the table and its owner's queue, completing the
// sends still waiting for it with 0. No messages are sent.
void RemoveWindow(const std::shared_ptr<CWindow>& window);
// Completes a cross-thread send (takes the sender's lock).
void CompleteSend(const std::shared_ptr<CSentMessage>& sent, LRESULT result);
