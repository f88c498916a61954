// The dialog manager.
#include "platform/user/dialog_manager.h"

#include <algorithm>
#include <cctype>
#include <mutex>
#include <unordered_map>

#include "platform/user/geometry.h"
#include "platform/user/input.h"
#include "platform/user/keyboard.h"
#include "platform/user/message.h"
#include "platform/user/message_box.h"
#include "platform/user/window.h"
#include "platform/user/input_internal.h"

namespace {

std::mutex g_defLock;
std::unordered_map<HWND, UINT> g_defIds;   // dialogs with DM_SETDEFID

DWORD Style(HWND h) { return (DWORD)GetWindowLongPtr(h, GWL_STYLE); }

// The dialog's controls in order; a shown child that holds controls of its
// own (WS_EX_CONTROLPARENT, as a property page) gives its controls instead.
void AddControls(HWND parent, std::vector<HWND>& out, int depth)
{
    for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
        if (depth < 4 && (GetWindowLongPtr(h, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) && (Style(h) & WS_VISIBLE))
            AddControls(h, out, depth + 1);
        else
            out.push_back(h);
    }
}

std::vector<HWND> Controls(HWND dialog)
{
    std::vector<HWND> out;
    AddControls(dialog, out, 0);
    return out;
}

bool Usable(HWND h) { return (Style(h) & WS_VISIBLE) && !(Style(h) & WS_DISABLED); }

// The dialog's control that is or holds hwnd.
HWND ControlOf(HWND dialog, HWND hwnd)
{
    const std::vector<HWND> all = Controls(dialog);
    for (; hwnd && hwnd != dialog; hwnd = (Style(hwnd) & WS_CHILD) ? GetParent(hwnd) : nullptr)
        if (std::find(all.begin(), all.end(), hwnd) != all.end()) return hwnd;
    return nullptr;
}

void FocusControl(HWND h)
{
    if (!h) return;
    SetFocus(h);
    if (SendMessage(h, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessage(h, EM_SETSEL, 0, -1);
}

UINT DefaultId(HWND dialog)
{
    LRESULT r = SendMessage(dialog, DM_GETDEFID, 0, 0);
    return HIWORD(r) == DC_HASDEFID ? LOWORD(r) : (UINT)IDOK;
}

void Command(HWND dialog, UINT id)
{
    HWND ctl = GetDlgItem(dialog, (int)id);
    if (ctl && !IsWindowEnabled(ctl)) return;
    SendMessage(dialog, WM_COMMAND, MAKELONG((WORD)id, BN_CLICKED), (LPARAM)ctl);
}

bool Mnemonic(HWND dialog, UINT ch)
{
    if (ch <= ' ' || ch >= 0x7F) return false;
    char c = (char)std::tolower((int)ch);
    std::vector<HWND> all = Controls(dialog);
    for (size_t i = 0; i < all.size(); i++) {
        char text[256];
        GetWindowText(all[i], text, sizeof text);
        std::string s = text;
        bool hit = false;
        for (size_t k = 0; k + 1 < s.size(); k++)
            if (s[k] == '&') {
                if (s[k + 1] == '&') {
                    k++;
                    continue;
                }
                hit = std::tolower((unsigned char)s[k + 1]) == c;
                break;
            }
        if (!hit || !Usable(all[i])) continue;
        UINT code = (UINT)SendMessage(all[i], WM_GETDLGCODE, 0, 0);
        if (code & DLGC_STATIC) {
            // A label names the next control that takes the focus.
            for (size_t k = i + 1; k < all.size(); k++)
                if (Usable(all[k]) && !(SendMessage(all[k], WM_GETDLGCODE, 0, 0) & DLGC_STATIC)) {
                    FocusControl(all[k]);
                    return true;
                }
            return true;
        }
        FocusControl(all[i]);
        if (code & (DLGC_BUTTON | DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON | DLGC_RADIOBUTTON)) SendMessage(all[i], BM_CLICK, 0, 0);
        return true;
    }
    return false;
}

}  // namespace

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous)
{
    std::vector<HWND> all = Controls(dialog);
    if (all.empty()) return nullptr;
    int n = (int)all.size();
    int at = -1;
    HWND ctl = ControlOf(dialog, control);
    for (int i = 0; i < n; i++)
        if (all[(size_t)i] == ctl) at = i;
    for (int k = 1; k <= n; k++) {
        int i = at < 0 ? (previous ? n - k : k - 1) : ((at + (previous ? -k : k)) % n + n) % n;
        HWND h = all[(size_t)i];
        if (Usable(h) && (Style(h) & WS_TABSTOP)) return h;
    }
    return control;
}

HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous)
{
    std::vector<HWND> all = Controls(dialog);
    HWND ctl = ControlOf(dialog, control);
    int n = (int)all.size(), at = -1;
    for (int i = 0; i < n; i++)
        if (all[(size_t)i] == ctl) at = i;
    if (at < 0) return nullptr;
    // The group: from the WS_GROUP control at or before, up to the next one.
    int first = at;
    while (first > 0 && !(Style(all[(size_t)first]) & WS_GROUP)) first--;
    int last = at;
    while (last + 1 < n && !(Style(all[(size_t)last + 1]) & WS_GROUP)) last++;
    int size = last - first + 1;
    for (int k = 1; k < size; k++) {
        int i = first + (((at - first) + (previous ? -k : k)) % size + size) % size;
        if (Usable(all[(size_t)i])) return all[(size_t)i];
    }
    return control;
}

BOOL CheckRadioButton(HWND dialog, int first, int last, int check)
{
    for (int id = first; id <= last; id++)
        if (HWND h = GetDlgItem(dialog, id)) SendMessage(h, 0x00F1 /* BM_SETCHECK */, id == check, 0);
    return TRUE;
}

LRESULT DefDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_NEXTDLGCTL: {
        HWND next = lParam ? (HWND)wParam : GetNextDlgTabItem(dialog, GetFocus(), wParam != 0);
        FocusControl(next);
        return 0;
    }
    case DM_GETDEFID: {
        std::lock_guard<std::mutex> g(g_defLock);
        auto it = g_defIds.find(dialog);
        return it == g_defIds.end() ? 0 : MAKELONG((WORD)it->second, DC_HASDEFID);
    }
    case DM_SETDEFID: {
        std::lock_guard<std::mutex> g(g_defLock);
        g_defIds[dialog] = (UINT)wParam;
        return TRUE;
    }
    case WM_NCDESTROY: {
        std::lock_guard<std::mutex> g(g_defLock);
        g_defIds.erase(dialog);
        break;
    }
    default: break;
    }
    return DefWindowProc(dialog, msg, wParam, lParam);
}

BOOL IsDialogMessage(HWND dialog, MSG* msg)
{
    if (!msg || !IsWindow(dialog)) return FALSE;
    if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)) return FALSE;
    UINT code = msg->hwnd ? (UINT)SendMessage(msg->hwnd, WM_GETDLGCODE, msg->wParam, (LPARAM)msg) : 0;
    auto pass = [&] {
        TranslateMessage(msg);
        DispatchMessage(msg);
        return TRUE;
    };
    if (code & DLGC_WANTMESSAGE) return pass();
    switch (msg->message) {
    case WM_KEYDOWN:
        switch (msg->wParam) {
        case VK_TAB:
            if (code & DLGC_WANTTAB) return pass();
            SendMessage(dialog, WM_NEXTDLGCTL, GetKeyState(VK_SHIFT) < 0, FALSE);
            return TRUE;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN: {
            if (code & DLGC_WANTARROWS) return pass();
            HWND next = GetNextDlgGroupItem(dialog, GetFocus(), msg->wParam == VK_LEFT || msg->wParam == VK_UP);
            if (next && next != GetFocus()) {
                FocusControl(next);
                if (SendMessage(next, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) SendMessage(next, BM_CLICK, 0, 0);
            }
            return TRUE;
        }
        case VK_RETURN: {
            if (code & DLGC_WANTALLKEYS) return pass();
            HWND focus = GetFocus();
            UINT fcode = focus ? (UINT)SendMessage(focus, WM_GETDLGCODE, 0, 0) : 0;
            if (focus && (fcode & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) && IsWindowEnabled(focus))
                Command(dialog, (UINT)GetDlgCtrlID(focus));
            else
                Command(dialog, DefaultId(dialog));
            return TRUE;
        }
        case VK_ESCAPE:
            SendMessage(dialog, WM_COMMAND, MAKELONG(IDCANCEL, BN_CLICKED), (LPARAM)GetDlgItem(dialog, IDCANCEL));
            return TRUE;
        default: return pass();
        }
    case WM_CHAR:
        if (code & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)) return pass();
        if (msg->wParam == '\t' || msg->wParam == '\r' || msg->wParam == 27) return TRUE;
        if (Mnemonic(dialog, (UINT)msg->wParam)) return TRUE;
        return pass();
    case WM_SYSCHAR:
        if (Mnemonic(dialog, (UINT)msg->wParam)) return TRUE;
        return pass();
    default: return pass();
    }
}
