#pragma once
// A top-level window hosting the source editor (Liberation Mono 10 pt, or
// the recording DC's fixed metric), counting "KYR_ON_EDITCHANGE" sends; keys,
// text and mouse are injected in screen coordinates.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/afx/afx.h"
#include "platform/backend/headless.h"
#include "platform/backend/headless_input.h"
#include "platform/gdi/gdi.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/kernel.h"
#include "platform/user/user.h"
#include "ui_controls/edit/edit_ctrl.h"

// The control with its edit events recorded.
class CTestEditCtrl : public KyrEditCtrl {
public:
    std::vector<unsigned> events;
    std::string tipFor;   // GetTipText answers "tip:" + word for this word
    void OnEditEvent(unsigned code) override { events.push_back(code); }
    const std::vector<std::unique_ptr<KyrUndoAction>>& Actions() const { return undoActions; }
    bool vetoDelete = false;   // CanDelete refuses (undo tests)
    bool CanDelete(int, const std::string&) override { return !vetoDelete; }
    int tipOffset = -1;   // the word's offset at the last GetTipText
    bool GetTipText(std::string& text, POINT&) override
    {
        tipOffset = TipWordOffset();
        text = !tipFor.empty() && text == tipFor ? "tip:" + text : std::string();
        return true;
    }
    int SelAnchor() const { return selAnchor; }
    int SelEnd() const { return selEnd; }
    using KyrEditCtrl::ScrollBar;
};

class CEditHost : public CWnd {
public:
    int changes = 0;
    LRESULT WindowProc(UINT message, WPARAM w, LPARAM l) override
    {
        if (message == KyrEditChangeMessage()) {
            ++changes;
            return 0;
        }
        return CWnd::WindowProc(message, w, l);
    }
};

inline uint64_t g_editTicks = 5000000;
inline uint64_t EditTicks() { return g_editTicks; }

class EditTest : public ::testing::Test {
protected:
    std::unique_ptr<CEditHost> host;
    std::unique_ptr<CTestEditCtrl> edit;
    HFONT font = nullptr;

    void SetUp() override
    {
        ResetHeadlessInput();
        FreezeCaretBlink(true);
        SetTickSource(EditTicks);
        PumpUntilIdle();
    }
    void TearDown() override
    {
        Close();
        ReleaseCapture();
        ResetHeadlessInput();
        PumpUntilIdle();
        SetTickSource(nullptr);
        FreezeCaretBlink(false);
        KyrEditCtrl probe;
        probe.SetOverwriteMode(false);
    }
    void Close()
    {
        if (edit && edit->m_hWnd) edit->DestroyWindow();
        if (host && host->m_hWnd) host->DestroyWindow();
        if (edit && edit->measureDC) DeleteDC(edit->measureDC);
        edit.reset();
        host.reset();
        if (font) DeleteObject(font);
        font = nullptr;
        PumpUntilIdle();
    }
    // Opens a window of `w` x `h` client pixels with the editor filling it.
    // `fresh`: a new control (else the one already in `edit`).
    void Open(const std::string& text, bool fakeMetric = false, int w = 400, int h = 200, bool fresh = true)
    {
        host = std::make_unique<CEditHost>();
        if (fresh || !edit) edit = std::make_unique<CTestEditCtrl>();
        if (fakeMetric) edit->measureDC = CreateRecordingDC(FALSE);
        const char* cls = AfxRegisterWndClass(0, LoadCursor(nullptr, IDC_ARROW), GetSysColorBrush(COLOR_WINDOW));
        ASSERT_TRUE(host->CreateEx(0, cls, "Editor", WS_OVERLAPPEDWINDOW | WS_VISIBLE, RECT{40, 40, 40 + w + 40, 40 + h + 60},
                                   nullptr, 0));
        RECT client;
        host->GetClientRect(&client);
        ASSERT_TRUE(edit->Create(WS_VISIBLE, RECT{0, 0, w, h}, host.get(), 100));
        font = CreateFont(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Liberation Mono");
        edit->SendMessage(WM_SETFONT, (WPARAM)font, 1);
        edit->SetText(text);
        SetForegroundWindow(host->m_hWnd);
        edit->SetFocus();
        Pump();
        host->changes = 0;
        edit->events.clear();
    }
    void Pump() { PumpUntilIdle(); }
    void Type(const std::string& t)
    {
        InjectText(t);
        Pump();
    }
    void Key(UINT vk, bool shift = false, bool ctrl = false)
    {
        if (shift) InjectKey(VK_SHIFT, true);
        if (ctrl) InjectKey(VK_CONTROL, true);
        InjectKeyStroke(vk);
        if (ctrl) InjectKey(VK_CONTROL, false);
        if (shift) InjectKey(VK_SHIFT, false);
        Pump();
    }
    // Screen point of a text offset (a little inside its character cell).
    POINT ScreenOf(int offset, int dx = 1)
    {
        POINT p;
        EXPECT_TRUE(edit->PointFromOffset(offset, &p));
        p.x += dx;
        p.y += edit->LineHeight() / 2;
        ClientToScreen(edit->m_hWnd, &p);
        return p;
    }
    POINT ScreenClient(int x, int y)
    {
        POINT p{x, y};
        ClientToScreen(edit->m_hWnd, &p);
        return p;
    }
    void Click(int offset)
    {
        POINT p = ScreenOf(offset);
        InjectClick(p.x, p.y);
        Pump();
    }
    void Caret(int offset) { ASSERT_TRUE(edit->SetCaretOffset(offset, true, false)); }
};

// build/test-artifacts beside the test binary.
inline std::filesystem::path EditArtifactDir()
{
    std::filesystem::path dir = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "test-artifacts";
    std::filesystem::create_directories(dir);
    return dir;
}
