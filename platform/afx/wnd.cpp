// CWnd: the handle map, creation, subclassing and the one dispatcher.
#include "platform/afx/wnd.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/afx/cmd_ui.h"
#include "platform/afx/data_exchange.h"
#include "platform/afx/exception.h"
#include "platform/afx/app_access.h"
#include "platform/kernel/kernel.h"
#include "platform/user/control_messages.h"

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

namespace {
std::mutex g_mapLock;
std::unordered_map<HWND, CWnd*>& PermanentMap()
{
    static std::unordered_map<HWND, CWnd*> m;
    return m;
}
thread_local std::unordered_map<HWND, CWnd*>* t_tempMap = nullptr;
thread_local CWnd* t_creating = nullptr;

bool OwnedByThisThread(HWND hwnd) { return GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId(); }
}  // namespace

CWnd::CWnd() : m_pModuleState(AfxGetModuleState()) {}

CWnd::~CWnd()
{
    if (m_hWnd && FromHandlePermanent(m_hWnd) == this) {
        if (OwnedByThisThread(m_hWnd))
            ::DestroyWindow(m_hWnd);
        if (m_hWnd) Detach();
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd)
{
    if (!hwnd) return nullptr;
    std::lock_guard<std::mutex> g(g_mapLock);
    auto it = PermanentMap().find(hwnd);
    return it == PermanentMap().end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND hwnd)
{
    if (!hwnd || !IsWindow(hwnd)) return nullptr;
    if (CWnd* w = FromHandlePermanent(hwnd)) return w;
    if (!t_tempMap) t_tempMap = new std::unordered_map<HWND, CWnd*>;
    CWnd*& slot = (*t_tempMap)[hwnd];
    if (!slot) {
        slot = new CWnd;
        slot->m_hWnd = hwnd;
    }
    return slot;
}

void CWnd::DeleteTempMap()
{
    if (!t_tempMap) return;
    for (auto& [h, w] : *t_tempMap) {
        w->m_hWnd = nullptr;   // a temporary object never owns its window
        delete w;
    }
    delete t_tempMap;
    t_tempMap = nullptr;
}

BOOL CWnd::Attach(HWND hwnd)
{
    if (!hwnd || m_hWnd) return FALSE;
    std::lock_guard<std::mutex> g(g_mapLock);
    auto [it, fresh] = PermanentMap().emplace(hwnd, this);
    if (!fresh) return FALSE;
    m_hWnd = hwnd;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND h = m_hWnd;
    if (h) {
        std::lock_guard<std::mutex> g(g_mapLock);
        auto it = PermanentMap().find(h);
        if (it != PermanentMap().end() && it->second == this) PermanentMap().erase(it);
    }
    m_hWnd = nullptr;
    return h;
}

BOOL CWnd::SubclassWindow(HWND hwnd)
{
    if (!Attach(hwnd)) return FALSE;
    PreSubclassWindow();
    if (m_hWnd != hwnd) return FALSE;
    WNDPROC old = (WNDPROC)::GetWindowLongPtr(hwnd, GWLP_WNDPROC);
    if (old != AfxWndProc) {
        m_pfnSuper = old;
        ::SetWindowLongPtr(hwnd, GWLP_WNDPROC, (LONG_PTR)AfxWndProc);
    }
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent)
{
    HWND h = parent ? ::GetDlgItem(parent->m_hWnd, (int)id) : nullptr;
    return h ? SubclassWindow(h) : FALSE;
}

HWND CWnd::UnsubclassWindow()
{
    if (m_pfnSuper) ::SetWindowLongPtr(m_hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
    m_pfnSuper = nullptr;
    return Detach();
}

const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon)
{
    static std::mutex lock;
    static std::vector<std::string> names;
    char name[96];
    std::snprintf(name, sizeof name, "Afx:%x:%p:%p:%p", classStyle, (void*)cursor, (void*)background, (void*)icon);
    std::lock_guard<std::mutex> g(lock);
    for (const std::string& n : names)
        if (n == name) return n.c_str();
    WNDCLASS wc{};
    wc.style = classStyle;
    wc.lpfnWndProc = AfxWndProc;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    names.emplace_back(name);
    // The list only grows, so reserve ahead: returned pointers stay valid.
    wc.lpszClassName = names.back().c_str();
    RegisterClass(&wc);
    return names.back().c_str();
}

static const char* DefaultClassName()
{
    static const char* name = [] {
        const char* n = AfxRegisterWndClass(CS_DBLCLKS);
        return n;
    }();
    return name;
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, int x, int y, int cx, int cy,
                    HWND parent, HMENU menuOrId, void* param)
{
    if (m_hWnd) return FALSE;
    CREATESTRUCT cs{};
    cs.dwExStyle = exStyle;
    cs.lpszClass = className ? className : DefaultClassName();
    cs.lpszName = windowName;
    cs.style = (LONG)style;
    cs.x = x;
    cs.y = y;
    cs.cx = cx;
    cs.cy = cy;
    cs.hwndParent = parent;
    cs.hMenu = menuOrId;
    cs.lpCreateParams = param;
    if (!PreCreateWindow(cs)) return FALSE;
    if (!cs.lpszClass) cs.lpszClass = DefaultClassName();
    // A window destroyed during its creation ends its object only when this
    // call returns (callers that may see that watch m_pEndedFlag).
    CWndProtector protect(this);
    m_pModuleState = AfxGetModuleState();
    CWnd* prev = t_creating;
    t_creating = this;
    HWND h = CreateWindowEx(cs.dwExStyle, cs.lpszClass, cs.lpszName, (DWORD)cs.style, cs.x, cs.y, cs.cx, cs.cy,
                            cs.hwndParent, cs.hMenu, nullptr, cs.lpCreateParams);
    bool foreign = t_creating == this;   // a class of another procedure never called ours
    t_creating = prev;
    if (h && foreign) SubclassWindow(h);
    return h != nullptr && m_hWnd == h;
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style, const RECT& rect,
                    CWnd* parent, UINT id, void* param)
{
    return CreateEx(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                    rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr, (HMENU)(uintptr_t)id, param);
}

BOOL CWnd::Create(const char* className, const char* windowName, DWORD style, const RECT& rect, CWnd* parent, UINT id,
                  void* context)
{
    return CreateEx(0, className, windowName, style | WS_CHILD, rect, parent, id, context);
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

BOOL CWnd::PreCreateWindow(CREATESTRUCT&) { return TRUE; }

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper) return CallWindowProc(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProc(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default()
{
    const MSG* m = AfxGetCurrentMessage();
    return m ? DefWindowProc(m->message, m->wParam, m->lParam) : 0;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT r = 0;
    if (!OnWndMsg(message, wParam, lParam, &r)) r = DefWindowProc(message, wParam, lParam);
    return r;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    if (message == WM_COMMAND) {
        if (OnCommand(wParam, lParam)) {
            *result = 0;
            return TRUE;
        }
        return FALSE;
    }
    if (message == WM_NOTIFY) {
        LRESULT r = 0;
        if (OnNotify(wParam, lParam, &r)) {
            *result = r;
            return TRUE;
        }
        return FALSE;
    }
    // Owner draw and colours go back to the control's own object first.
    if (message == WM_DRAWITEM || message == WM_MEASUREITEM ||
        (message >= WM_CTLCOLOREDIT && message <= WM_CTLCOLORSTATIC)) {
        HWND control = nullptr;
        if (message == WM_DRAWITEM && lParam) control = reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem;
        else if (message == WM_MEASUREITEM) control = wParam ? ::GetDlgItem(m_hWnd, (int)wParam) : nullptr;
        else control = (HWND)lParam;
        CWnd* child = control && control != m_hWnd ? FromHandlePermanent(control) : nullptr;
        if (child && OwnedByThisThread(control) && child->OnChildNotify(message, wParam, lParam, result)) return TRUE;
    }
    if (DispatchMessageEntry(message, wParam, lParam, result)) return TRUE;
    if (message == WM_INITMENUPOPUP) {
        OnInitMenuPopup((HMENU)wParam, LOWORD(lParam), (BOOL)HIWORD(lParam));
        *result = 0;
        return TRUE;
    }
    return FALSE;
}

namespace {
// Reads the state an update handler sets, to refuse disabled commands.
class CTestCmdUI : public CCmdUI {
public:
    BOOL m_bEnabled = TRUE;
    void Enable(BOOL on) override
    {
        m_bEnabled = on;
        m_bEnableChanged = TRUE;
    }
    void SetCheck(int) override {}
    void SetText(const char*) override {}
};
}  // namespace

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    UINT nID = LOWORD(wParam);
    int code = HIWORD(wParam);
    HWND control = (HWND)lParam;
    if (control) {
        CWnd* child = FromHandlePermanent(control);
        LRESULT r = 0;
        if (child && OwnedByThisThread(control) && child->OnChildNotify(WM_COMMAND, wParam, lParam, &r)) return TRUE;
        if (nID == 0) return FALSE;
    } else {
        // Menus and accelerators: a command its update handler disabled does not run.
        code = CN_COMMAND;
        CTestCmdUI state;
        state.m_nID = nID;
        OnCmdMsg(nID, CN_UPDATE_COMMAND_UI, &state, nullptr);
        if (!state.m_bEnabled) return TRUE;
    }
    return OnCmdMsg(nID, code, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* result)
{
    NMHDR* h = reinterpret_cast<NMHDR*>(lParam);
    if (!h) return FALSE;
    CWnd* child = FromHandlePermanent(h->hwndFrom);
    if (child && OwnedByThisThread(h->hwndFrom) && child->OnChildNotify(WM_NOTIFY, 0, lParam, result)) return TRUE;
    AFX_NOTIFY n{result, h};
    return OnCmdMsg((UINT)h->idFrom, (int)MAKELONG((WORD)h->code, (WORD)WM_NOTIFY), &n, nullptr);
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    int code = message == WM_COMMAND  ? (int)HIWORD(wParam)
               : message == WM_NOTIFY ? (int)reinterpret_cast<NMHDR*>(lParam)->code
                                      : 0;
    const AFX_MSGMAP_ENTRY* e = AfxFindReflectEntry(GetMessageMap(), message, code);
    if (!e) return FALSE;
    AfxCall call{message, wParam, lParam, 0, nullptr, 0};
    if (!e->pfn(this, call)) return FALSE;
    if (result) *result = call.result;
    return TRUE;
}

BOOL CWnd::UpdateData(BOOL saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate);
    try {
        DoDataExchange(&dx);
        return TRUE;
    } catch (CException* e) {
        // DDV has told the user already; anything else is reported here.
        if (!e->IsKindOf(RUNTIME_CLASS(CUserException))) e->ReportError();
        e->Delete();
        return FALSE;
    }
}

void CWnd::DoDataExchange(CDataExchange*) {}

CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }

CWnd* CWnd::GetOwner() const { return m_hWndOwner ? FromHandle(m_hWndOwner) : GetParent(); }

CWnd* CWnd::GetTopLevelParent() const { return FromHandle(GetAncestor(m_hWnd, GA_ROOT)); }

CWnd* CWnd::GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }

static BOOL SendToChild(HWND h, LPARAM l)
{
    const MSG* m = reinterpret_cast<const MSG*>(l);
    ::SendMessage(h, m->message, m->wParam, m->lParam);
    return TRUE;
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL deep)
{
    MSG m{};
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    if (deep) {
        EnumChildWindows(m_hWnd, SendToChild, (LPARAM)&m);
        return;
    }
    for (HWND c = GetWindow(m_hWnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ::SendMessage(c, message, wParam, lParam);
}

std::string CWnd::GetWindowText() const
{
    CWndProtector protect(const_cast<CWnd*>(this));   // two sends
    int n = GetWindowTextLength(m_hWnd);
    if (!m_hWnd) return {};
    std::string s((size_t)n + 1, '\0');
    n = ::GetWindowText(m_hWnd, s.data(), n + 1);
    s.resize(n > 0 ? (size_t)n : 0);
    return s;
}

void CWnd::SetDlgItemText(int id, const std::string& text)
{
    if (HWND h = ::GetDlgItem(m_hWnd, id)) ::SetWindowText(h, text.c_str());
}

std::string CWnd::GetDlgItemText(int id) const
{
    CWnd* w = GetDlgItem(id);
    return w ? w->GetWindowText() : std::string();
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags)
{
    DWORD style = GetStyle();
    DWORD next = (style & ~remove) | add;
    if (next == style) return FALSE;
    ::SetWindowLongPtr(m_hWnd, GWL_STYLE, (LONG_PTR)next);
    if (swpFlags) SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    return TRUE;
}

int CWnd::MessageBox(const char* text, const char* caption, UINT type)
{
    std::string title = caption ? caption : AfxGetAppName();
    return ::MessageBox(m_hWnd, text, title.empty() ? nullptr : title.c_str(), type);
}

void CWnd::CenterWindow(CWnd* alternateOwner)
{
    RECT me{}, area{};
    GetWindowRect(&me);
    HWND around = alternateOwner ? alternateOwner->m_hWnd : GetWindow(m_hWnd, GW_OWNER);
    if (!around) around = ::GetParent(m_hWnd);
    if (around)
        ::GetWindowRect(around, &area);
    else
        SetRect(&area, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    int w = me.right - me.left, h = me.bottom - me.top;
    POINT pt{area.left + (area.right - area.left - w) / 2, area.top + (area.bottom - area.top - h) / 2};
    if (!(GetStyle() & WS_CHILD)) {
        // Centred on a small owner, a large window would reach off the screen.
        RECT work;
        SystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0);
        pt.x = std::max((int)work.left, std::min((int)pt.x, (int)work.right - w));
        pt.y = std::max((int)work.top, std::min((int)pt.y, (int)work.bottom - h));
    }
    if (GetStyle() & WS_CHILD) ScreenToClient(::GetParent(m_hWnd), &pt);
    SetWindowPos(m_hWnd, nullptr, pt.x, pt.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT AfxWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
    if (!wnd) {
        wnd = t_creating;
        if (!wnd || !wnd->Attach(hwnd)) return ::DefWindowProc(hwnd, message, wParam, lParam);
        t_creating = nullptr;
    }
    // A posted or sent copy of a destruction message destroys nothing.
    if ((message == WM_DESTROY || message == WM_NCDESTROY) && !IsWindowDestroying(hwnd)) return 0;
    return AfxCallWndProc(wnd, hwnd, message, wParam, lParam);
}
