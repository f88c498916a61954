// The source editor at 1,000 and 100,000 lines: opening, painting one
// screen, typing a character and moving the caret at the end. What matters
// is growth: the larger program may cost at most twice as much per step
// (the text is never walked whole per keystroke or per paint), opening aside.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "platform/afx/afx.h"
#include "platform/user/user.h"
#include "ui_controls/edit/edit_ctrl.h"

namespace {
std::string Program(int lines)
{
    std::string s;
    for (int i = 0; i < lines; ++i) s += "x" + std::to_string(i) + " = \"text\" + y;   % line " + std::to_string(i) + "\n";
    return s;
}

struct Host {
    CWnd parent;
    KyrEditCtrl edit;
    explicit Host(const std::string& text)
    {
        setenv("VELDRA_HEADLESS", "1", 0);
        const char* cls = AfxRegisterWndClass(0);
        parent.CreateEx(0, cls, "Bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{0, 0, 800, 600}, nullptr, 0);
        edit.Create(WS_VISIBLE, RECT{0, 0, 780, 560}, &parent, 1);
        edit.AddKeyword("end", RGB(0, 0, 255), (COLORREF)-1, 0);
        edit.AddRegion("%", "", RGB(128, 128, 128), (COLORREF)-1, 0, 0);
        edit.AddRegion("\"", "\"", RGB(128, 0, 0), (COLORREF)-1, 0, 0);
        edit.AddRegion("/*", "*/", RGB(0, 128, 0), (COLORREF)-1, 1, 0);
        edit.SetText(text);
        edit.SetFocus();
    }
    ~Host()
    {
        edit.DestroyWindow();
        parent.DestroyWindow();
    }
};
}   // namespace

static void EditorOpen(benchmark::State& state)
{
    const std::string text = Program((int)state.range(0));
    Host h("");
    for (auto _ : state) h.edit.SetText(text);
}
BENCHMARK(EditorOpen)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

static void EditorPaintScreenAtEnd(benchmark::State& state)
{
    Host h(Program((int)state.range(0)));
    h.edit.MoveToTextEnd(false);
    HDC screen = GetDC(h.edit.m_hWnd);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, 780, 560);
    SelectObject(mem, bmp);
    for (auto _ : state) {
        CDC dc(mem);
        h.edit.Paint(dc);
        dc.Detach();
    }
    DeleteDC(mem);
    DeleteObject(bmp);
    ReleaseDC(h.edit.m_hWnd, screen);
}
BENCHMARK(EditorPaintScreenAtEnd)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

static void EditorTypeAtEnd(benchmark::State& state)
{
    Host h(Program((int)state.range(0)));
    h.edit.MoveToTextEnd(false);
    int n = 0;
    for (auto _ : state) {
        h.edit.InsertChar(++n % 60 ? 'a' : '\n', false);
    }
}
BENCHMARK(EditorTypeAtEnd)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

static void EditorCaretAtEnd(benchmark::State& state)
{
    Host h(Program((int)state.range(0)));
    h.edit.MoveToTextEnd(false);
    bool up = true;
    for (auto _ : state) {
        h.edit.SendMessage(WM_KEYDOWN, up ? VK_UP : VK_DOWN, 0);
        up = !up;
    }
}
BENCHMARK(EditorCaretAtEnd)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
