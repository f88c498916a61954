// Keyboard state and the characters keys give (a US layout).
#include "platform/user/keyboard.h"

#include <cstring>
#include <mutex>

namespace {

std::mutex g_lock;
BYTE g_state[256];

bool Down(int vk) { return (g_state[vk] & 0x80) != 0; }

}  // namespace

SHORT GetKeyState(int virtualKey)
{
    if (virtualKey < 0 || virtualKey > 255) return 0;
    std::lock_guard<std::mutex> g(g_lock);
    BYTE b = g_state[virtualKey];
    return (SHORT)(((b & 0x80) ? 0x8000 : 0) | (b & 1));
}

BOOL GetKeyboardState(BYTE state[256])
{
    if (!state) return FALSE;
    std::lock_guard<std::mutex> g(g_lock);
    memcpy(state, g_state, sizeof g_state);
    return TRUE;
}

BOOL SetKeyboardState(const BYTE state[256])
{
    if (!state) return FALSE;
    std::lock_guard<std::mutex> g(g_lock);
    memcpy(g_state, state, sizeof g_state);
    return TRUE;
}

UINT CharFromVirtualKey(UINT vk)
{
    std::lock_guard<std::mutex> g(g_lock);
    const bool shift = Down(VK_SHIFT), ctrl = Down(VK_CONTROL), alt = Down(VK_MENU);
    const bool caps = (g_state[VK_CAPITAL] & 1) != 0;
    if (ctrl && alt) return 0;
    if (vk >= 'A' && vk <= 'Z') {
        if (ctrl) return vk - 'A' + 1;
        return (shift != caps) ? vk : vk - 'A' + 'a';
    }
    switch (vk) {
    case VK_RETURN: return ctrl ? 10 : 13;
    case VK_TAB: return ctrl ? 0 : 9;
    case VK_ESCAPE: return 27;
    case VK_BACK: return ctrl ? 127 : 8;
    case VK_SPACE: return 32;
    default: break;
    }
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9) return ctrl ? 0 : vk - VK_NUMPAD0 + '0';
    if (ctrl) {
        switch (vk) {
        case VK_OEM_4: return 27;
        case VK_OEM_5: return 28;
        case VK_OEM_6: return 29;
        default: return 0;
        }
    }
    if (vk >= '0' && vk <= '9') return shift ? (UINT)")!@#$%^&*("[vk - '0'] : vk;
    struct Pair { UINT vk; char plain, shifted; };
    static const Pair pairs[] = {
        {VK_OEM_1, ';', ':'},   {VK_OEM_PLUS, '=', '+'}, {VK_OEM_COMMA, ',', '<'}, {VK_OEM_MINUS, '-', '_'},
        {VK_OEM_PERIOD, '.', '>'}, {VK_OEM_2, '/', '?'}, {VK_OEM_3, '`', '~'},     {VK_OEM_4, '[', '{'},
        {VK_OEM_5, '\\', '|'},  {VK_OEM_6, ']', '}'},    {VK_OEM_7, '\'', '"'},    {VK_MULTIPLY, '*', '*'},
        {VK_ADD, '+', '+'},     {VK_SUBTRACT, '-', '-'}, {VK_DECIMAL, '.', '.'},   {VK_DIVIDE, '/', '/'},
    };
    for (const Pair& p : pairs)
        if (p.vk == vk) return (UINT)(unsigned char)(shift ? p.shifted : p.plain);
    return 0;
}
