// The per-window drop-target registry.
#include "platform/afx/ole_drop_target.h"

#include <mutex>
#include <unordered_map>

#include "platform/afx/wnd.h"
#include "platform/kernel/kernel.h"

IMPLEMENT_DYNAMIC(COleDropTarget, CCmdTarget)

namespace {
std::mutex g_lock;
std::unordered_map<HWND, COleDropTarget*>& Targets()
{
    static std::unordered_map<HWND, COleDropTarget*> m;
    return m;
}
}  // namespace

COleDropTarget::~COleDropTarget() { Revoke(); }

BOOL COleDropTarget::Register(CWnd* wnd)
{
    if (!wnd || !wnd->m_hWnd || m_hWnd) return FALSE;
    std::lock_guard<std::mutex> g(g_lock);
    m_hWnd = wnd->m_hWnd;
    Targets()[m_hWnd] = this;
    return TRUE;
}

void COleDropTarget::Revoke()
{
    if (!m_hWnd) return;
    std::lock_guard<std::mutex> g(g_lock);
    auto it = Targets().find(m_hWnd);
    if (it != Targets().end() && it->second == this) Targets().erase(it);
    m_hWnd = nullptr;
}

COleDropTarget* COleDropTarget::FindAt(HWND hwnd, HWND* targetWindow)
{
    DWORD self = GetCurrentThreadId();
    for (HWND h = hwnd; h; h = GetParent(h)) {
        if (GetWindowThreadProcessId(h, nullptr) != self) return nullptr;
        std::lock_guard<std::mutex> g(g_lock);
        auto it = Targets().find(h);
        if (it != Targets().end()) {
            if (targetWindow) *targetWindow = h;
            return it->second;
        }
    }
    return nullptr;
}

DROPEFFECT COleDropTarget::OnDragEnter(CWnd* wnd, COleDataObject* data, DWORD keyState, POINT pt)
{
    return OnDragOver(wnd, data, keyState, pt);
}

DROPEFFECT COleDropTarget::OnDragOver(CWnd*, COleDataObject*, DWORD, POINT) { return DROPEFFECT_NONE; }

void COleDropTarget::OnDragLeave(CWnd*) {}

BOOL COleDropTarget::OnDrop(CWnd*, COleDataObject*, DROPEFFECT, POINT) { return FALSE; }
