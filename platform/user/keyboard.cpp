// Keyboard state and the characters keys give (a US layout).
#include "platform/user/keyboard.h"

#include <cstring>
#include <mutex>

#include "platform/user/input_internal.h"

// The key state is the calling thread's: it moves as the thread takes input
// messages (GetAsyncKeyState is the live one).

SHORT GetKeyState(int virtualKey)
{
    if (virtualKey < 0 || virtualKey > 255) return 0;
    CThreadData& t = CurrentThreadData();
    std::lock_guard<std::mutex> g(t.lock);
    BYTE b = QueueOf(t).keyState[virtualKey];
    return (SHORT)(((b & 0x80) ? 0x8000 : 0) | (b & 1));
}

BOOL GetKeyboardState(BYTE state[256])
{
    if (!state) return FALSE;
    CThreadData& t = CurrentThreadData();
    std::lock_guard<std::mutex> g(t.lock);
    memcpy(state, QueueOf(t).keyState, 256);
    return TRUE;
}

BOOL SetKeyboardState(const BYTE state[256])
{
    if (!state) return FALSE;
    CThreadData& t = CurrentThreadData();
    std::lock_guard<std::mutex> g(t.lock);
    memcpy(QueueOf(t).keyState, state, 256);
    return TRUE;
}

UINT MapVirtualKeyScan(UINT vk)
{
    static const BYTE letters[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
                                     0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
    if (vk >= 'A' && vk <= 'Z') return letters[vk - 'A'];
    if (vk >= '1' && vk <= '9') return 0x02 + (vk - '1');
    switch (vk) {
    case '0': return 0x0B;
    case VK_ESCAPE: return 0x01;
    case VK_BACK: return 0x0E;
    case VK_TAB: return 0x0F;
    case VK_RETURN: return 0x1C;
    case VK_CONTROL: return 0x1D;
    case VK_SHIFT: return 0x2A;
    case VK_MENU: return 0x38;
    case VK_SPACE: return 0x39;
    default: return 0;
    }
}

UINT CharFromVirtualKey(UINT vk)
{
    CThreadData& t = CurrentThreadData();
    std::lock_guard<std::mutex> g(t.lock);
    const BYTE* keys = QueueOf(t).keyState;
    auto Down = [&](int k) { return (keys[k] & 0x80) != 0; };
    const bool shift = Down(VK_SHIFT), ctrl = Down(VK_CONTROL), alt = Down(VK_MENU);
    const bool caps = (keys[VK_CAPITAL] & 1) != 0;
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
