// The matrix editor driven by injected input: a click on a cell and typing
// edit it in place (virtual mode cleared the grid's editable flag, the
// control sets it again), the changed cell paints in the highlight colour,
// and the editor's image is kept as a PNG under test-artifacts.
#include <cairo.h>

#include <filesystem>
#include <sstream>

#include "../platform/afx_test_util.h"
#include "ide/editors/matrix_dlg.h"
#include "ide/editors/value_edit.h"
#include "ide/editors/value_line.h"
#include "platform/backend/headless.h"
#include "values/value_text.h"

namespace {

using MatrixEditorInput = AfxTest;

POINT CellPoint(CMatrixCtrl& grid, int row, int col, int dx)
{
    RECT r{};
    EXPECT_TRUE(grid.GetCellRect(row, col, &r));
    POINT p{dx >= 0 ? r.left + dx : r.right + dx, (r.top + r.bottom) / 2};
    ClientToScreen(grid.m_hWnd, &p);
    return p;
}

void WritePng(HWND hwnd, const std::vector<uint32_t>& pixels, SIZE size, const char* name)
{
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, size.cx, size.cy);
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < size.cy; ++y)
        std::copy_n(&pixels[(size_t)y * size.cx], size.cx, reinterpret_cast<uint32_t*>(data + (size_t)y * stride));
    cairo_surface_mark_dirty(s);
    std::filesystem::path dir = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "test-artifacts";
    std::filesystem::create_directories(dir);
    EXPECT_EQ(cairo_surface_write_to_png(s, (dir / name).string().c_str()), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(s);
    (void)hwnd;
}

}  // namespace

TEST_F(MatrixEditorInput, TypingInACellEditsTheWorkingCopyAndPaintsTheHighlight)
{
    CValue v;
    std::istringstream in("[1, 2; 3, 4]");
    ReadValue(in, v);
    CMatrixDlg dlg(nullptr, "m", &v, false, nullptr);
    ASSERT_TRUE(dlg.CreateIndirect(dlg.FindTemplate(), nullptr));
    dlg.ShowWindow(SW_SHOW);
    PumpUntilIdle();
    EXPECT_EQ(::GetFocus(), dlg.m_grid.m_hWnd);

    POINT p = CellPoint(dlg.m_grid, 2, 1, 0);
    p.x += 20;
    InjectClick(p.x, p.y);
    PumpUntilIdle();
    InjectText("30");
    PumpUntilIdle();
    InjectKeyStroke(VK_RETURN);
    PumpUntilIdle();
    ASSERT_TRUE(dlg.m_grid.CopyMade());
    std::string text;
    EXPECT_EQ(FormatValueLine(text, &dlg.m_grid.Shown()->Cell(1, 0)), "30");
    FormatValueLine(text, &v);
    EXPECT_EQ(text, "[1,2; 3,4]");   // nothing reaches the caller before Insert

    // Away from the edited cell, which then shows its own colour.
    POINT away = CellPoint(dlg.m_grid, 1, 2, 0);
    InjectClick(away.x + 20, away.y);
    dlg.m_grid.Invalidate();
    PumpUntilIdle();
    std::vector<uint32_t> pixels;
    SIZE size{};
    ASSERT_TRUE(HeadlessCopySurface(dlg.m_hWnd, &pixels, &size));
    RECT win;
    dlg.GetWindowRect(&win);
    auto pixelAt = [&](POINT s) {
        const int x = s.x - win.left, y = s.y - win.top;
        return x >= 0 && y >= 0 && x < size.cx && y < size.cy ? pixels[(size_t)y * size.cx + x] & 0xFFFFFF : 0u;
    };
    EXPECT_EQ(pixelAt(CellPoint(dlg.m_grid, 2, 1, -4)), 0xC0C000u);   // RGB(192, 192, 0)
    EXPECT_NE(pixelAt(CellPoint(dlg.m_grid, 2, 2, -4)), 0xC0C000u);
    WritePng(dlg.m_hWnd, pixels, size, "matrix_editor.png");
    dlg.DestroyWindow();
    PumpUntilIdle();
}
