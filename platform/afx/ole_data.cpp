// Data sources and objects, and the in-process drag loop.
#include "platform/afx/ole_data.h"

#include <cstring>

#include "platform/afx/nested_loop.h"
#include "platform/afx/ole_drop_target.h"
#include "platform/afx/wnd.h"
#include "platform/user/user.h"

BOOL AfxOleInit() { return TRUE; }

void COleDataSource::CacheGlobalData(CLIPFORMAT format, HGLOBAL block)
{
    if (!block) return;
    SIZE_T n = GlobalSize(block);
    const char* p = static_cast<const char*>(GlobalLock(block));
    m_data[format] = p ? std::string(p, n) : std::string();
    GlobalUnlock(block);
    GlobalFree(block);
}

void COleDataSource::CacheData(CLIPFORMAT format, std::string bytes) { m_data[format] = std::move(bytes); }

BOOL COleDataObject::IsDataAvailable(CLIPFORMAT format) const
{
    return m_source && m_source->Blocks().count(format) ? TRUE : FALSE;
}

BOOL COleDataObject::GetData(CLIPFORMAT format, std::string& bytes) const
{
    if (!m_source) return FALSE;
    auto it = m_source->Blocks().find(format);
    if (it == m_source->Blocks().end()) return FALSE;
    bytes = it->second;
    return TRUE;
}

HGLOBAL COleDataObject::GetGlobalData(CLIPFORMAT format) const
{
    std::string bytes;
    if (!GetData(format, bytes)) return nullptr;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!h) return nullptr;
    if (void* p = GlobalLock(h)) std::memcpy(p, bytes.data(), bytes.size());
    GlobalUnlock(h);
    return h;
}

namespace {
DWORD KeyStateNow()
{
    DWORD k = 0;
    if (GetKeyState(VK_CONTROL) & 0x8000) k |= MK_CONTROL;
    if (GetKeyState(VK_SHIFT) & 0x8000) k |= MK_SHIFT;
    if (GetKeyState(VK_LBUTTON) & 0x8000) k |= MK_LBUTTON;
    return k;
}

// Ctrl asks for a copy; otherwise a move when allowed.
DROPEFFECT Wanted(DWORD keyState, DROPEFFECT allowed)
{
    if ((keyState & MK_CONTROL) && (allowed & DROPEFFECT_COPY)) return DROPEFFECT_COPY;
    if (allowed & DROPEFFECT_MOVE) return DROPEFFECT_MOVE;
    return allowed & DROPEFFECT_COPY;
}

struct DragState {
    COleDropTarget* target = nullptr;
    HWND targetWnd = nullptr;
    DROPEFFECT effect = DROPEFFECT_NONE;
};
}  // namespace

DROPEFFECT COleDataSource::DoDragDrop(DROPEFFECT allowed, const RECT* startRect)
{
    POINT start{};
    GetCursorPos(&start);
    RECT box;
    if (startRect) {
        box = *startRect;
    } else {
        int cx = GetSystemMetrics(SM_CXDRAG), cy = GetSystemMetrics(SM_CYDRAG);
        box = RECT{start.x - cx, start.y - cy, start.x + cx + 1, start.y + cy + 1};
    }
    HWND capture = GetCapture();
    if (!capture) capture = WindowFromPoint(start);
    if (!capture) capture = GetActiveWindow();
    if (!capture) return DROPEFFECT_NONE;
    SetCapture(capture);
    COleDataObject data;
    data.Attach(this);
    DragState s;
    bool started = false;
    DROPEFFECT result = DROPEFFECT_NONE;
    CNestedLoop loop;
    POINT last = start;

    auto leave = [&] {
        if (s.target && IsWindow(s.targetWnd)) s.target->OnDragLeave(CWnd::FromHandle(s.targetWnd));
        s = DragState{};
    };
    auto over = [&](POINT screen) {
        HWND under = WindowFromPoint(screen);
        HWND tw = nullptr;
        COleDropTarget* t = under ? COleDropTarget::FindAt(under, &tw) : nullptr;
        if (t != s.target || tw != s.targetWnd) {
            leave();
            if (!t) return;
            s.target = t;
            s.targetWnd = tw;
            POINT c = screen;
            ScreenToClient(tw, &c);
            s.effect = t->OnDragEnter(CWnd::FromHandle(tw), &data, KeyStateNow(), c) & Wanted(KeyStateNow(), allowed);
            return;
        }
        if (!t) return;
        POINT c = screen;
        ScreenToClient(tw, &c);
        s.effect = t->OnDragOver(CWnd::FromHandle(tw), &data, KeyStateNow(), c) & Wanted(KeyStateNow(), allowed);
    };

    MSG m;
    while (!loop.Ended() && ModalLoopGetMessage(&m, capture)) {
        if (loop.Ended()) break;
        if (m.message == WM_MOUSEMOVE) {
            last = m.pt;
            if (!started && !PtInRect(&box, m.pt)) started = true;
            if (started) over(m.pt);
        } else if (m.message == WM_LBUTTONUP) {
            last = m.pt;
            if (started) {
                over(m.pt);
                if (s.target && s.effect != DROPEFFECT_NONE) {
                    POINT c = m.pt;
                    ScreenToClient(s.targetWnd, &c);
                    COleDropTarget* t = s.target;
                    HWND tw = s.targetWnd;
                    DROPEFFECT effect = s.effect;
                    s = DragState{};
                    if (t->OnDrop(CWnd::FromHandle(tw), &data, effect, c)) result = effect;
                } else {
                    leave();
                }
            }
            break;
        } else if (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE) {
            leave();
            break;
        } else if ((m.message == WM_KEYDOWN || m.message == WM_KEYUP) && (m.wParam == VK_CONTROL || m.wParam == VK_SHIFT)) {
            if (started) over(last);
        } else if (m.message != WM_LBUTTONDOWN && m.message != WM_CHAR && m.message != WM_KEYDOWN && m.message != WM_KEYUP) {
            TranslateMessage(&m);
            DispatchMessage(&m);
        }
    }
    if (loop.Ended()) leave();
    if (GetCapture() == capture) ReleaseCapture();
    return result;
}
