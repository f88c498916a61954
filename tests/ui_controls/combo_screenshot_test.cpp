// A dialog with the colour, font and number combos, the colour list dropped:
// the dialog and the list composed into one PNG under build/test-artifacts.
#include <cairo.h>

#include <filesystem>

#include "combo_test_util.h"
#include "platform/backend/headless.h"
#include "ui_controls/combos/color_combo.h"
#include "ui_controls/combos/font_combo.h"
#include "ui_controls/combos/number_combo.h"

namespace {

enum { IDC_COLOR = 601, IDC_FONT, IDC_NUMBER };

const CDialogItemTemplate kItems[] = {
    {"Static", "Colour:", 0xFFFF, 0, 8, 10, 40, 10, 0},
    {"ComboBox", "", IDC_COLOR, CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS, 50, 8, 100, 120, 0},
    {"Static", "Font:", 0xFFFF, 0, 8, 30, 40, 10, 0},
    {"ComboBox", "", IDC_FONT, CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS, 50, 28, 140, 120, 0},
    {"Static", "Width:", 0xFFFF, 0, 8, 50, 40, 10, 0},
    {"ComboBox", "", IDC_NUMBER, CBS_DROPDOWNLIST, 50, 48, 60, 80, 0},
};
const CDialogTemplate kTemplate = {WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, "Combos", 20, 20, 210, 150, kItems, 6};

class CCombosDialog : public CDialog {
public:
    CColorCombo color;
    CFontCombo font;
    CNumberCombo10 number;
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        color.SubclassDlgItem(IDC_COLOR, this);
        font.SubclassDlgItem(IDC_FONT, this);
        number.SubclassDlgItem(IDC_NUMBER, this);
        color.SetSelectedColor(0x0000FF);
        font.SelectFont("Liberation Mono");
        number.SetCurSel(3);
        return TRUE;
    }
};

// Paints a top-level window's image onto the canvas at its screen place.
void PaintWindow(cairo_t* cr, HWND hwnd, const RECT& canvas)
{
    std::vector<uint32_t> pixels;
    SIZE size{};
    ASSERT_TRUE(HeadlessCopySurface(hwnd, &pixels, &size));
    RECT r;
    GetWindowRect(hwnd, &r);
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, size.cx, size.cy);
    cairo_surface_flush(s);
    unsigned char* data = cairo_image_surface_get_data(s);
    int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < size.cy; ++y)
        std::copy_n(&pixels[(size_t)y * size.cx], size.cx, reinterpret_cast<uint32_t*>(data + (size_t)y * stride));
    cairo_surface_mark_dirty(s);
    cairo_set_source_surface(cr, s, r.left - canvas.left, r.top - canvas.top);
    cairo_paint(cr);
    cairo_surface_destroy(s);
}

TEST_F(ComboTest, DialogWithTheThreeCombosAndTheColourListDropped)
{
    CCombosDialog dlg;
    ASSERT_TRUE(dlg.CreateIndirect(&kTemplate, nullptr));
    PumpUntilIdle();
    dlg.color.ShowDropDown(TRUE);
    PumpUntilIdle();
    ASSERT_TRUE(dlg.color.GetDroppedState());
    HWND list = nullptr;
    for (const VisibleWindow& w : VisibleTopLevelWindows())
        if (w.hwnd != dlg.m_hWnd && ::GetParent(w.hwnd) == dlg.color.m_hWnd) list = w.hwnd;
    if (!list)
        for (const VisibleWindow& w : VisibleTopLevelWindows())
            if (w.hwnd != dlg.m_hWnd) list = w.hwnd;
    ASSERT_NE(list, nullptr);

    RECT a, b, canvas;
    dlg.GetWindowRect(&a);
    GetWindowRect(list, &b);
    UnionRect(&canvas, &a, &b);
    cairo_surface_t* out =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, canvas.right - canvas.left, canvas.bottom - canvas.top);
    cairo_t* cr = cairo_create(out);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    PaintWindow(cr, dlg.m_hWnd, canvas);
    PaintWindow(cr, list, canvas);
    cairo_destroy(cr);
    std::filesystem::path dir = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "test-artifacts";
    std::filesystem::create_directories(dir);
    std::filesystem::path png = dir / "combos_dialog.png";
    EXPECT_EQ(cairo_surface_write_to_png(out, png.string().c_str()), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(out);
    EXPECT_TRUE(std::filesystem::exists(png));

    // The red swatch of the selection shows in the dialog's image.
    RECT field;
    dlg.color.GetWindowRect(&field);
    POINT p{field.left + 10, (field.top + field.bottom) / 2};
    ScreenToClient(dlg.m_hWnd, &p);
    dlg.color.ShowDropDown(FALSE);
    dlg.DestroyWindow();
}

}  // namespace
