// The headless input test interface.
#include "platform/backend/headless_input.h"

namespace {

std::u32string Decode(const std::string& s)
{
    std::u32string out;
    for (size_t i = 0; i < s.size();) {
        unsigned char c = (unsigned char)s[i];
        int n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + (size_t)n > s.size()) {
            out.push_back(c);   // a stray byte stands for itself
            i++;
            continue;
        }
        char32_t cp = n == 1 ? c : c & (0xFF >> (n + 1));
        for (int k = 1; k < n; k++) cp = (cp << 6) | ((unsigned char)s[i + (size_t)k] & 0x3F);
        out.push_back(cp);
        i += (size_t)n;
    }
    return out;
}

// The key a US layout types a character with, and whether Shift is needed.
UINT KeyOf(char32_t c, bool* shift)
{
    *shift = false;
    if (c >= 'a' && c <= 'z') return (UINT)(c - 'a' + 'A');
    if (c >= 'A' && c <= 'Z') {
        *shift = true;
        return (UINT)c;
    }
    if (c >= '0' && c <= '9') return (UINT)c;
    switch (c) {
    case ' ': return VK_SPACE;
    case '\r':
    case '\n': return VK_RETURN;
    case '\t': return VK_TAB;
    default: return 0xE5;   // a key with text only (as an input method)
    }
}

}  // namespace

void InjectKey(UINT vk, bool down, const std::string& text)
{
    RawInput in;
    in.kind = down ? RawKind::KeyDown : RawKind::KeyUp;
    in.vk = vk;
    if (down) in.text = Decode(text);
    QueueRawInput(std::move(in));
}

void InjectKeyStroke(UINT vk, const std::string& text)
{
    InjectKey(vk, true, text);
    InjectKey(vk, false);
}

void InjectText(const std::string& utf8)
{
    for (char32_t c : Decode(utf8)) {
        bool shift;
        UINT vk = KeyOf(c, &shift);
        if (shift) InjectKey(VK_SHIFT, true);
        RawInput in;
        in.kind = RawKind::KeyDown;
        in.vk = vk;
        in.text = std::u32string(1, c);
        QueueRawInput(std::move(in));
        InjectKey(vk, false);
        if (shift) InjectKey(VK_SHIFT, false);
    }
}

void InjectMouseMove(int x, int y)
{
    RawInput in;
    in.kind = RawKind::Move;
    in.pt = POINT{x, y};
    QueueRawInput(std::move(in));
}

void InjectButton(UINT buttonVk, bool down, int x, int y)
{
    RawInput in;
    in.kind = down ? RawKind::ButtonDown : RawKind::ButtonUp;
    in.vk = buttonVk;
    in.pt = POINT{x, y};
    QueueRawInput(std::move(in));
}

void InjectClick(int x, int y, UINT buttonVk)
{
    InjectMouseMove(x, y);
    InjectButton(buttonVk, true, x, y);
    InjectButton(buttonVk, false, x, y);
}

void InjectWheel(int x, int y, int delta)
{
    InjectMouseMove(x, y);
    RawInput in;
    in.kind = RawKind::Wheel;
    in.wheel = delta;
    QueueRawInput(std::move(in));
}

void InjectDropFiles(int x, int y, const std::vector<std::string>& files)
{
    RawInput in;
    in.kind = RawKind::Drop;
    in.pt = POINT{x, y};
    in.files = files;
    QueueRawInput(std::move(in));
}

int PumpUntilIdle(const std::function<bool(MSG&)>& filter)
{
    int count = 0;
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
        count++;
        if (m.message == WM_QUIT) {
            PostQuitMessage((int)m.wParam);
            break;
        }
        if (filter && filter(m)) continue;
        TranslateMessage(&m);
        DispatchMessage(&m);
    }
    return count;
}

HWND CurrentCapture()
{
    // GetCapture answers per thread; the read-back answers for everyone.
    return CaptureWindowAnyThread();
}

std::string CurrentCursorName()
{
    HCURSOR c = GetCursor();
    int id = 0;
    const char* name = nullptr;
    if (!c || !DescribeCursor(c, &id, &name)) return "";
    if (id) return "IDC:" + std::to_string(id);
    return name ? name : "";
}

std::string ClipboardText()
{
    std::vector<unsigned char> b = ClipboardBytes(CF_TEXT);
    return std::string(b.begin(), b.end());
}

void ResetHeadlessInput()
{
    ResetInputForTest();
    ResetClipboardForTest();
    ResetSystemSettings();
    BYTE keys[256] = {};
    SetKeyboardState(keys);
}
