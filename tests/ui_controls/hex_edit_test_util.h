#pragma once
// A modeless test dialog that hosts the hex editor as the binary data editor
// does (id 1151, WS_EX_STATICEDGE | WS_EX_NOPARENTNOTIFY, buffer handed over
// before creation), next to a second tab stop; keys and mouse are injected
// in screen coordinates and the dialog's keyboard interface runs in the pump.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/afx/dialog.h"
#include "platform/backend/headless_input.h"
#include "platform/gdi/gdi.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/kernel.h"
#include "ui_controls/hex_edit/hex_edit_ctrl.h"

#define WM_TEST_RESIZE (WM_APP + 1)

// The control with hooks for tests: counts buffer resizes, can fail its
// reallocation, runs a callback while its context menu waits for input.
class CTestHexCtrl : public CHexEditCtrl {
public:
    int resized = 0;
    bool failRealloc = false;
    // Destroys the host dialog inside the Nth message from now (0: never).
    int destroyAt = 0;
    int calls = 0;
    std::function<void()> onMenuIdle;

    void OnBufferResized() override { ++resized; }
    std::vector<unsigned char> Bytes() const { return std::vector<unsigned char>(m_pData, m_pData + m_nDataSize); }

protected:
    void* ReallocBlock(void* block, size_t size) override
    {
        return failRealloc ? nullptr : CHexEditCtrl::ReallocBlock(block, size);
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (destroyAt && ++calls == destroyAt) {
            ::DestroyWindow(::GetParent(m_hWnd));
            return 0;
        }
        if (message == WM_ENTERIDLE && wParam == MSGF_MENU && onMenuIdle) {
            auto fn = std::move(onMenuIdle);
            onMenuIdle = nullptr;
            fn();
            return 0;
        }
        // A resize from inside a dispatch, as the host's size box does it.
        if (message == WM_TEST_RESIZE) {
            ResizeData((int64_t)lParam);
            return 0;
        }
        return CHexEditCtrl::WindowProc(message, wParam, lParam);
    }
};

inline const CDialogTemplate kHexHostTemplate = {WS_POPUP, 0, "Binary data", 0, 0, 10, 10, nullptr, 0};

class CHexHostDialog : public CDialog {
public:
    CTestHexCtrl hex;
    CWnd next;
    RECT hexRect{0, 0, 300, 150};
    bool created = false;

    CHexHostDialog() : CDialog(&kHexHostTemplate, nullptr) {}
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        MoveWindow(RECT{20, 20, 20 + hexRect.right + 40, 20 + hexRect.bottom + 60}, FALSE);
        created = hex.Create(WS_EX_STATICEDGE | WS_EX_NOPARENTNOTIFY, WS_VISIBLE | WS_TABSTOP, hexRect, this, 1151);
        next.CreateEx(0, nullptr, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, RECT{0, hexRect.bottom + 10, 50, hexRect.bottom + 30},
                      this, 1152);
        hex.SetFocus();
        return FALSE;
    }
};

inline uint64_t g_fakeTicks = 1000000;
inline uint64_t FakeTicks() { return g_fakeTicks; }

class HexEditTest : public ::testing::Test {
protected:
    std::unique_ptr<CHexHostDialog> host = std::make_unique<CHexHostDialog>();

    void SetUp() override
    {
        ResetHeadlessInput();
        ClearMessageBoxAnswers();
        TakeMessageBoxLog();
        FreezeCaretBlink(true);
        SetTickSource(FakeTicks);
        PumpUntilIdle();
    }
    void TearDown() override
    {
        Close();
        ResetHeadlessInput();
        PumpUntilIdle();
        SetTickSource(nullptr);
        FreezeCaretBlink(false);
    }

    // Destroys the dialog and gives the buffer back; a new host is ready.
    void Close()
    {
        if (host->m_hWnd) host->DestroyWindow();
        std::free(host->hex.m_pData);
        host->hex.m_pData = nullptr;
        if (host->hex.m_hMeasureDC) DeleteDC(host->hex.m_hMeasureDC);
        host = std::make_unique<CHexHostDialog>();
        PumpUntilIdle();
    }
    CTestHexCtrl& Hex() { return host->hex; }
    // Hands over a copy of `bytes`, then opens the dialog. With `fakeMetric`
    // the cell is the recording DC's 7 x 14 pixels.
    void Open(const std::vector<unsigned char>& bytes, bool fakeMetric = true)
    {
        CTestHexCtrl& h = host->hex;
        h.m_pData = static_cast<unsigned char*>(std::malloc(bytes.empty() ? 1 : bytes.size()));
        if (!bytes.empty()) std::memcpy(h.m_pData, bytes.data(), bytes.size());
        h.m_nDataSize = (int)bytes.size();
        if (fakeMetric) h.m_hMeasureDC = CreateRecordingDC(FALSE);
        ASSERT_TRUE(host->CreateIndirect(&kHexHostTemplate, nullptr));
        ASSERT_TRUE(host->created);
        host->ShowWindow(SW_SHOW);
        SetForegroundWindow(host->m_hWnd);
        host->hex.SetFocus();
        Pump();
    }
    void Pump()
    {
        PumpUntilIdle([this](MSG& m) { return host->m_hWnd && host->PreTranslateMessage(&m); });
    }
    void Type(const std::string& text)
    {
        InjectText(text);
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
    // A client point of the control in screen coordinates.
    POINT Screen(int x, int y) const
    {
        POINT p{x, y};
        ClientToScreen(host->hex.m_hWnd, &p);
        return p;
    }
    // The client point of an item's first hex digit / its ASCII cell (7 x 14 cells).
    POINT HexCell(int row, int itemCol) const
    {
        return POINT{(6 + itemCol * 3) * 7 + 3 + 2, row * 14 + 5};
    }
    std::vector<unsigned char> Bytes() const { return host->hex.Bytes(); }
};

inline std::filesystem::path ArtifactDir()
{
    const char* out = std::getenv("VELDRA_OUT");
    std::filesystem::path dir = std::filesystem::path(out ? out : "build/out").parent_path() / "test-artifacts";
    std::filesystem::create_directories(dir);
    return dir;
}

inline std::vector<unsigned char> ClipBytes(UINT format) { return ClipboardBytes(format); }

// Puts one block on the clipboard (the store owns it).
inline void PutClipboard(UINT format, const std::vector<unsigned char>& bytes)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!bytes.empty()) std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
    GlobalUnlock(h);
    SetClipboardData(format, h);
    CloseClipboard();
}
