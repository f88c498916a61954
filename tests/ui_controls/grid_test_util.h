#pragma once
// Helpers for the grid tests: an owner window that logs and answers the
// grid's notifications, and golden text files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/afx/afx.h"
#include "platform/backend/headless.h"
#include "platform/backend/headless_input.h"
#include "platform/user/user.h"
#include "ui_controls/grid/grid_ctrl.h"

// Everything here lives in its own namespace: other control tests share the test program.
namespace gridtest {

// A top-level window that owns a grid; WM_NOTIFY goes to `onNotify`.
class GridHost : public CWnd {
public:
    std::function<LRESULT(NMHDR*)> onNotify;
    std::vector<std::string> log;

    GridHost(int w = 400, int h = 300, const char* caption = "Grid host")
    {
        CreateEx(0, nullptr, caption, WS_OVERLAPPEDWINDOW, 10, 10, w, h, nullptr, nullptr);
    }
    ~GridHost() override
    {
        if (m_hWnd) DestroyWindow();
    }
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        if (message == WM_NOTIFY) {
            auto* hdr = reinterpret_cast<NMHDR*>(lParam);
            if ((int)hdr->code == LVN_ODCACHEHINT) {
                auto* h = reinterpret_cast<GridCacheHint*>(lParam);
                log.push_back("hint " + std::to_string(h->range.minRow) + "," + std::to_string(h->range.minCol) + "," +
                              std::to_string(h->range.maxRow) + "," + std::to_string(h->range.maxCol));
            } else if ((int)hdr->code != LVN_GETDISPINFO) {
                auto* n = reinterpret_cast<GridNotify*>(lParam);
                log.push_back("notify " + std::to_string((int)hdr->code) + " " + std::to_string(n->row) + "," +
                              std::to_string(n->column));
            }
            *result = onNotify ? onNotify(hdr) : 0;
            return TRUE;
        }
        return CWnd::OnWndMsg(message, wParam, lParam, result);
    }
};

inline std::string SourceDir()
{
    const char* s = getenv("VELDRA_SOURCE");
    return s ? s : ".";
}

inline std::string ReadText(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

// Compares with tests/ui_controls/data/<name>; VELDRA_UPDATE_GOLDEN=1 rewrites it.
inline void ExpectGolden(const std::string& name, const std::string& text)
{
    std::string path = SourceDir() + "/tests/ui_controls/data/" + name;
    if (getenv("VELDRA_UPDATE_GOLDEN")) {
        std::ofstream(path, std::ios::binary) << text;
        return;
    }
    EXPECT_EQ(ReadText(path), text) << "golden file " << path;
}

inline std::filesystem::path ArtifactDir()
{
    const char* out = getenv("VELDRA_OUT");
    std::filesystem::path dir = std::filesystem::path(out ? out : "build/out").parent_path() / "test-artifacts";
    std::filesystem::create_directories(dir);
    return dir;
}

class GridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetHeadlessInput();
        PumpUntilIdle();
    }
    void TearDown() override
    {
        PumpUntilIdle();
        CWnd::DeleteTempMap();
        ResetHeadlessInput();
        PumpUntilIdle();
    }
};

// A grid as a child of the host, shown.
inline void MakeGrid(CDataGridCtrl& grid, GridHost& host, RECT r = RECT{0, 0, 300, 200}, UINT id = 100)
{
    ASSERT_TRUE(grid.Create(r, &host, id, WS_CHILD | WS_VISIBLE));
    host.ShowWindow(SW_SHOWNOACTIVATE);
    PumpUntilIdle();
}

}  // namespace gridtest
