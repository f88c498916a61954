#pragma once
// Message maps: static tables of typed handlers. Each entry's thunk is a
// captureless lambda written by the macro inside the class's own scope, so
// the compiler checks every handler's signature. Registered messages are
// entries that carry the message name; the id is resolved on first lookup.
//
//   BEGIN_MESSAGE_MAP(CMyView, CView)
//       ON_WM_CREATE()
//       ON_COMMAND(ID_EDIT_COPY, OnEditCopy)
//       ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, OnUpdateEditCopy)
//       ON_REGISTERED_MESSAGE("veldra_Refresh", OnRefresh)
//   END_MESSAGE_MAP()
#include <atomic>

#include "platform/types.h"
#include "platform/user/user.h"

class CCmdTarget;
class CCmdUI;
class CWnd;

// A parent hands a control's notification back to the control as
// WM_REFLECT_BASE + message.
#define WM_REFLECT_BASE 0xBC00u
// Sent to descendants of the main window at idle time (bars update their buttons).
#define WM_IDLEUPDATECMDUI 0x0363u

// Command codes for OnCmdMsg; WM_NOTIFY codes travel as MAKELONG(code, WM_NOTIFY).
#define CN_COMMAND 0
#define CN_UPDATE_COMMAND_UI ((int)(-1))

// What a thunk sees: the message, its parameters and the result slot.
struct AfxCall {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    UINT nID;
    void* pExtra;
    LRESULT result;
};
// pExtra of a WM_NOTIFY command.
struct AFX_NOTIFY {
    LRESULT* pResult;
    NMHDR* pNMHDR;
};
typedef bool (*AfxThunk)(CCmdTarget* target, AfxCall& call);

enum class AfxEntryKind : unsigned char {
    End,
    Message,      // a window message (nMessage)
    Registered,   // a registered message named by `name`
    Command,      // WM_COMMAND (or WM_NOTIFY) with code nCode for ids nID..nLastID
    Reflect,      // a reflected notification (nMessage = WM_REFLECT_BASE + msg, nCode)
};

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    int nCode;
    UINT nID;
    UINT nLastID;
    AfxEntryKind kind;
    AfxThunk pfn;
    const char* name;
    mutable std::atomic<UINT> resolved{0};
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// The handler for a command (code CN_COMMAND, a control code or a notify code),
// or for a window message; null when none. Walks the base maps.
const AFX_MSGMAP_ENTRY* AfxFindCommandEntry(const AFX_MSGMAP* map, UINT nID, int nCode);
const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* map, UINT message);
const AFX_MSGMAP_ENTRY* AfxFindReflectEntry(const AFX_MSGMAP* map, UINT message, int nCode);

#define DECLARE_MESSAGE_MAP()                          \
protected:                                             \
    static const AFX_MSGMAP* GetThisMessageMap();      \
    const AFX_MSGMAP* GetMessageMap() const override;  \
                                                       \
public:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                \
    {                                                                              \
        typedef theClass ThisClass;                                                \
        typedef baseClass TheBaseClass;                                            \
        (void)sizeof(ThisClass*);                                                  \
        static const AFX_MSGMAP_ENTRY messageEntries_[] = {

#define END_MESSAGE_MAP()                                                              \
    {0, 0, 0, 0, AfxEntryKind::End, nullptr, nullptr}                                  \
    }                                                                                  \
    ;                                                                                  \
    static const AFX_MSGMAP messageMap_ = {&TheBaseClass::GetThisMessageMap, &messageEntries_[0]}; \
    return &messageMap_;                                                               \
    }

#define AFX_THUNK(body) [](CCmdTarget* t_, AfxCall& c_) -> bool { auto* p_ = static_cast<ThisClass*>(t_); (void)p_; (void)c_; body }

// ---- commands ----
#define ON_COMMAND(id, fn) \
    {WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(id), AfxEntryKind::Command, AFX_THUNK(p_->fn(); return true;), nullptr},
// The handler returns TRUE when it took the command, FALSE to let routing go on.
#define ON_COMMAND_EX(id, fn) \
    {WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(id), AfxEntryKind::Command, AFX_THUNK(return p_->fn(c_.nID) != 0;), nullptr},
#define ON_COMMAND_EX_RANGE(first, last, fn) \
    {WM_COMMAND, CN_COMMAND, (UINT)(first), (UINT)(last), AfxEntryKind::Command, AFX_THUNK(return p_->fn(c_.nID) != 0;), nullptr},
#define ON_COMMAND_RANGE(first, last, fn) \
    {WM_COMMAND, CN_COMMAND, (UINT)(first), (UINT)(last), AfxEntryKind::Command, AFX_THUNK(p_->fn(c_.nID); return true;), nullptr},
#define ON_UPDATE_COMMAND_UI(id, fn)                                                               \
    {WM_COMMAND, CN_UPDATE_COMMAND_UI, (UINT)(id), (UINT)(id), AfxEntryKind::Command,               \
     AFX_THUNK(p_->fn(static_cast<CCmdUI*>(c_.pExtra)); return true;), nullptr},
#define ON_UPDATE_COMMAND_UI_RANGE(first, last, fn)                                                \
    {WM_COMMAND, CN_UPDATE_COMMAND_UI, (UINT)(first), (UINT)(last), AfxEntryKind::Command,          \
     AFX_THUNK(p_->fn(static_cast<CCmdUI*>(c_.pExtra)); return true;), nullptr},
// A control notification by WM_COMMAND (BN_CLICKED, EN_CHANGE, ...).
#define ON_CONTROL(code, id, fn) \
    {WM_COMMAND, (int)(code), (UINT)(id), (UINT)(id), AfxEntryKind::Command, AFX_THUNK(p_->fn(); return true;), nullptr},
#define ON_BN_CLICKED(id, fn) ON_CONTROL(BN_CLICKED, id, fn)
// void fn(NMHDR*, LRESULT*)
#define ON_NOTIFY(code, id, fn)                                                                     \
    {WM_NOTIFY, (int)MAKELONG((WORD)(code), (WORD)WM_NOTIFY), (UINT)(id), (UINT)(id), AfxEntryKind::Command, \
     AFX_THUNK(auto* n_ = static_cast<AFX_NOTIFY*>(c_.pExtra); p_->fn(n_->pNMHDR, n_->pResult); return true;), nullptr},
// Reflected to the control itself.
#define ON_CONTROL_REFLECT(code, fn) \
    {WM_REFLECT_BASE + WM_COMMAND, (int)(code), 0, 0, AfxEntryKind::Reflect, AFX_THUNK(p_->fn(); return true;), nullptr},
#define ON_NOTIFY_REFLECT(code, fn)                                                   \
    {WM_REFLECT_BASE + WM_NOTIFY, (int)(code), 0, 0, AfxEntryKind::Reflect,            \
     AFX_THUNK(p_->fn(reinterpret_cast<NMHDR*>(c_.lParam), &c_.result); return true;), nullptr},

// ---- window messages ----
// LRESULT fn(WPARAM, LPARAM)
// Owner draw and colour messages, reflected to the control's own object.
struct DRAWITEMSTRUCT;
struct MEASUREITEMSTRUCT;
#define ON_WM_DRAWITEM_REFLECT()                                                                  \
    {WM_REFLECT_BASE + 0x002Bu, 0, 0, 0, AfxEntryKind::Reflect,                                   \
     AFX_THUNK(p_->DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(c_.lParam)); c_.result = TRUE; return true;), nullptr},
#define ON_WM_MEASUREITEM_REFLECT()                                                                   \
    {WM_REFLECT_BASE + 0x002Cu, 0, 0, 0, AfxEntryKind::Reflect,                                       \
     AFX_THUNK(p_->MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(c_.lParam)); c_.result = TRUE; return true;), \
     nullptr},
#define AFX_CTLCOLOR_REFLECT_ONE(msg, kind)                                                                   \
    {WM_REFLECT_BASE + (msg), 0, 0, 0, AfxEntryKind::Reflect,                                                  \
     AFX_THUNK(HBRUSH b_ = p_->CtlColor(reinterpret_cast<HDC>(c_.wParam), (UINT)(kind)); if (!b_) return false; \
               c_.result = reinterpret_cast<LRESULT>(b_); return true;),                                      \
     nullptr},
// CtlColor(HDC, UINT kind) with kind 1 edit, 2 list box, 3 button, 6 static; a null brush leaves it to the parent.
#define ON_WM_CTLCOLOR_REFLECT()                  \
    AFX_CTLCOLOR_REFLECT_ONE(0x0133u, 1)          \
    AFX_CTLCOLOR_REFLECT_ONE(0x0134u, 2)          \
    AFX_CTLCOLOR_REFLECT_ONE(0x0135u, 3)          \
    AFX_CTLCOLOR_REFLECT_ONE(0x0138u, 6)
#define ON_MESSAGE(msg, fn) \
    {(UINT)(msg), 0, 0, 0, AfxEntryKind::Message, AFX_THUNK(c_.result = p_->fn(c_.wParam, c_.lParam); return true;), nullptr},
#define ON_REGISTERED_MESSAGE(name, fn) \
    {0, 0, 0, 0, AfxEntryKind::Registered, AFX_THUNK(c_.result = p_->fn(c_.wParam, c_.lParam); return true;), name},
#define ON_THREAD_MESSAGE(msg, fn) \
    {(UINT)(msg), 0, 0, 0, AfxEntryKind::Message, AFX_THUNK(p_->fn(c_.wParam, c_.lParam); return true;), nullptr},

#define AFX_ON_WM(msg, body) {(UINT)(msg), 0, 0, 0, AfxEntryKind::Message, AFX_THUNK(body), nullptr},
inline POINT AfxPointFromLParam(LPARAM l) { return POINT{GET_X_LPARAM(l), GET_Y_LPARAM(l)}; }
#define AFX_PT_ AfxPointFromLParam(c_.lParam)

#define ON_WM_CREATE() AFX_ON_WM(WM_CREATE, c_.result = p_->OnCreate(reinterpret_cast<CREATESTRUCT*>(c_.lParam)); return true;)
#define ON_WM_DESTROY() AFX_ON_WM(WM_DESTROY, p_->OnDestroy(); return true;)
#define ON_WM_CLOSE() AFX_ON_WM(WM_CLOSE, p_->OnClose(); return true;)
#define ON_WM_PAINT() AFX_ON_WM(WM_PAINT, p_->OnPaint(); return true;)
#define ON_WM_ERASEBKGND() AFX_ON_WM(WM_ERASEBKGND, c_.result = p_->OnEraseBkgnd((HDC)c_.wParam); return true;)
#define ON_WM_SIZE() AFX_ON_WM(WM_SIZE, p_->OnSize((UINT)c_.wParam, (int)(short)LOWORD(c_.lParam), (int)(short)HIWORD(c_.lParam)); return true;)
#define ON_WM_MOVE() AFX_ON_WM(WM_MOVE, p_->OnMove(GET_X_LPARAM(c_.lParam), GET_Y_LPARAM(c_.lParam)); return true;)
#define ON_WM_TIMER() AFX_ON_WM(WM_TIMER, p_->OnTimer((UINT_PTR)c_.wParam); return true;)
#define ON_WM_SETFOCUS() AFX_ON_WM(WM_SETFOCUS, p_->OnSetFocus((HWND)c_.wParam); return true;)
#define ON_WM_KILLFOCUS() AFX_ON_WM(WM_KILLFOCUS, p_->OnKillFocus((HWND)c_.wParam); return true;)
#define ON_WM_SHOWWINDOW() AFX_ON_WM(WM_SHOWWINDOW, p_->OnShowWindow((BOOL)c_.wParam, (UINT)c_.lParam); return true;)
#define ON_WM_ACTIVATE() AFX_ON_WM(WM_ACTIVATE, p_->OnActivate(LOWORD(c_.wParam), (HWND)c_.lParam, (BOOL)HIWORD(c_.wParam)); return true;)
#define ON_WM_LBUTTONDOWN() AFX_ON_WM(WM_LBUTTONDOWN, p_->OnLButtonDown((UINT)c_.wParam, AFX_PT_); return true;)
#define ON_WM_LBUTTONUP() AFX_ON_WM(WM_LBUTTONUP, p_->OnLButtonUp((UINT)c_.wParam, AFX_PT_); return true;)
#define ON_WM_LBUTTONDBLCLK() AFX_ON_WM(WM_LBUTTONDBLCLK, p_->OnLButtonDblClk((UINT)c_.wParam, AFX_PT_); return true;)
#define ON_WM_RBUTTONDOWN() AFX_ON_WM(WM_RBUTTONDOWN, p_->OnRButtonDown((UINT)c_.wParam, AFX_PT_); return true;)
#define ON_WM_RBUTTONUP() AFX_ON_WM(WM_RBUTTONUP, p_->OnRButtonUp((UINT)c_.wParam, AFX_PT_); return true;)
#define ON_WM_MOUSEMOVE() AFX_ON_WM(WM_MOUSEMOVE, p_->OnMouseMove((UINT)c_.wParam, AFX_PT_); return true;)
#define ON_WM_MOUSEWHEEL() \
    AFX_ON_WM(WM_MOUSEWHEEL, c_.result = p_->OnMouseWheel(LOWORD(c_.wParam), (short)HIWORD(c_.wParam), AFX_PT_); return true;)
#define ON_WM_KEYDOWN() AFX_ON_WM(WM_KEYDOWN, p_->OnKeyDown((UINT)c_.wParam, LOWORD(c_.lParam), HIWORD(c_.lParam)); return true;)
#define ON_WM_KEYUP() AFX_ON_WM(WM_KEYUP, p_->OnKeyUp((UINT)c_.wParam, LOWORD(c_.lParam), HIWORD(c_.lParam)); return true;)
#define ON_WM_CHAR() AFX_ON_WM(WM_CHAR, p_->OnChar((UINT)c_.wParam, LOWORD(c_.lParam), HIWORD(c_.lParam)); return true;)
#define ON_WM_HSCROLL() AFX_ON_WM(WM_HSCROLL, p_->OnHScroll(LOWORD(c_.wParam), HIWORD(c_.wParam), (HWND)c_.lParam); return true;)
#define ON_WM_VSCROLL() AFX_ON_WM(WM_VSCROLL, p_->OnVScroll(LOWORD(c_.wParam), HIWORD(c_.wParam), (HWND)c_.lParam); return true;)
#define ON_WM_CONTEXTMENU() AFX_ON_WM(WM_CONTEXTMENU, p_->OnContextMenu((HWND)c_.wParam, AFX_PT_); return true;)
#define ON_WM_INITMENUPOPUP() \
    AFX_ON_WM(WM_INITMENUPOPUP, p_->OnInitMenuPopup((HMENU)c_.wParam, LOWORD(c_.lParam), (BOOL)HIWORD(c_.lParam)); return true;)
#define ON_WM_GETMINMAXINFO() AFX_ON_WM(WM_GETMINMAXINFO, p_->OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(c_.lParam)); return true;)
#define ON_WM_DROPFILES() AFX_ON_WM(WM_DROPFILES, p_->OnDropFiles((HANDLE)c_.wParam); return true;)
#define ON_WM_NCDESTROY() AFX_ON_WM(WM_NCDESTROY, p_->OnNcDestroy(); return true;)
