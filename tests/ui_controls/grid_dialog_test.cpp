// The grid as a dialog item, with the dialog manager between the keys and
// the grid: the in-place edit box takes Tab, Enter and Esc; the grid alone
// wants characters and arrows, so Enter and Esc go to the dialog and Tab
// moves on unless the grid takes it. Also: input-method characters, the
// wait cursor of a selection, the focus after ClearSelection, and editing in
// virtual mode.
// The edit box header first: the grid's notification codes must win over
// the list view's same-named ones.
#include "ui_controls/grid/grid_edit.h"

#include <chrono>
#include <functional>
#include "tests/ui_controls/grid_test_util.h"

#include "platform/afx/dialog.h"
#include "platform/controls/controls.h"

namespace gridtest {
namespace {

enum : UINT { kGridId = 1000, kEditId = 1001 };

const CDialogItemTemplate kItems[] = {
    {GRIDCTRL_CLASSNAME, "", kGridId, WS_TABSTOP | WS_BORDER, 7, 7, 300, 150, 0},
    {"Edit", "", kEditId, WS_TABSTOP | WS_BORDER, 7, 162, 100, 12, 0},
    {"Button", "OK", IDOK, WS_TABSTOP | BS_DEFPUSHBUTTON, 200, 162, 50, 14, 0},
    {"Button", "Cancel", IDCANCEL, WS_TABSTOP, 260, 162, 50, 14, 0},
};
const CDialogTemplate kTemplate = {WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, "Grid dialog", 0, 0, 320, 185, kItems, 4};

// Logs the grid's notifications, the commands it receives, OK and Cancel
// (which leave the dialog open).
class GridDialog : public CDialog {
public:
    GridDialog() : CDialog(&kTemplate, nullptr) {}
    std::vector<std::string> log;
    std::function<LRESULT(NMHDR*)> onNotify;
    void OnOK() override { log.push_back("ok"); }
    void OnCancel() override { log.push_back("cancel"); }
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        if (message == WM_NOTIFY && wParam == kGridId) {
            auto* hdr = reinterpret_cast<NMHDR*>(lParam);
            if ((int)hdr->code != LVN_GETDISPINFO && (int)hdr->code != LVN_ODCACHEHINT) {
                auto* n = reinterpret_cast<GridNotify*>(lParam);
                log.push_back("notify " + std::to_string((int)hdr->code) + " " + std::to_string(n->row) + "," +
                              std::to_string(n->column));
            }
            *result = onNotify ? onNotify(hdr) : 0;
            return TRUE;
        }
        if (message == WM_COMMAND && LOWORD(wParam) == kGridId) {
            log.push_back("command " + std::to_string(LOWORD(wParam)) + " " + std::to_string(HIWORD(wParam)));
            *result = 0;
            return TRUE;
        }
        return CDialog::OnWndMsg(message, wParam, lParam, result);
    }
};

class GridDialogTest : public GridTest {
protected:
    GridDialog dlg;
    CDataGridCtrl grid{10, 6, 1, 1};
    int clicks = 0;

    void SetUp() override
    {
        GridTest::SetUp();
        CDataGridCtrl::RegisterGridClass();
        ASSERT_TRUE(dlg.CreateIndirect(&kTemplate, nullptr));
        ASSERT_TRUE(grid.SubclassDlgItem(kGridId, &dlg));
        grid.SetColumnWidth(0, 40);
        for (int c = 1; c < 6; c++) grid.SetColumnWidth(c, 80);
        for (int r = 1; r < 10; r++)
            for (int c = 1; c < 6; c++) grid.SetCellText(r, c, (std::to_string(r) + "/" + std::to_string(c)).c_str());
        dlg.ShowWindow(SW_SHOW);
        SetForegroundWindow(dlg.m_hWnd);
        grid.SetFocus();
        Pump();
        dlg.log.clear();
    }
    void TearDown() override
    {
        if (grid.m_hWnd) grid.UnsubclassWindow();
        if (dlg.m_hWnd) dlg.DestroyWindow();
        GridTest::TearDown();
    }
    // Keys pass the dialog manager first, as in the application's loop.
    void Pump()
    {
        PumpUntilIdle([](MSG& m) {
            for (HWND h = m.hwnd; h; h = GetParent(h))
                if (CWnd* w = CWnd::FromHandlePermanent(h); w && w->PreTranslateMessage(&m)) return true;
            return false;
        });
    }
    void Click(int row, int col)
    {
        RECT r{};
        ASSERT_TRUE(grid.GetCellRect(row, col, &r));
        POINT p{(r.left + r.right) / 2 + ((clicks++ % 2) ? 6 : -6), (r.top + r.bottom) / 2};
        ClientToScreen(grid.m_hWnd, &p);
        InjectClick(p.x, p.y);
        Pump();
    }
    void Key(UINT vk)
    {
        InjectKeyStroke(vk);
        Pump();
    }
    void Type(const std::string& s)
    {
        InjectText(s);
        Pump();
    }
    HWND EditBox() { return GetDlgItem(grid.m_hWnd, 8); }
    std::string EditText()
    {
        char buf[256] = {};
        GetWindowText(EditBox(), buf, sizeof buf);
        return buf;
    }
};

}   // namespace

// The input script of the host-window test, through the dialog manager:
// the same cells, the same log, and OK and Cancel never run while editing.
TEST_F(GridDialogTest, InputScriptInsideADialog)
{
    Click(2, 2);
    Type("12");
    Key(VK_TAB);
    Key(VK_ESCAPE);
    Type("(3");
    Key(VK_RETURN);
    EXPECT_STREQ(grid.GetCellText(2, 2), "12");
    EXPECT_STREQ(grid.GetCellText(2, 3), "(3");
    std::vector<std::string> want = {
        "notify -100 2,2", "notify -101 2,2", "notify -2 2,2", "command 1000 0",
        "notify -105 2,2", "notify -106 2,2", "notify -100 2,3", "notify -101 2,3", "notify -105 2,3",
        "notify -105 2,3", "notify -106 2,3",
    };
    EXPECT_EQ(dlg.log, want);
    EXPECT_EQ(EditBox(), nullptr);
    EXPECT_EQ(GetFocus(), grid.m_hWnd);
    EXPECT_EQ(CDataGridEditBox::LiveCount(), 0);
}

// Without an edit the grid wants characters and arrows only: Enter is the
// default button's, Esc is Cancel, Tab goes to the next control unless the
// grid takes it (then it moves the focus cell).
TEST_F(GridDialogTest, DialogKeysWithoutAnEdit)
{
    grid.m_takesTabKey = FALSE;
    Click(2, 2);
    dlg.log.clear();
    EXPECT_EQ(grid.SendMessage(WM_GETDLGCODE), (LRESULT)0x81);
    Key(VK_RETURN);
    Key(VK_ESCAPE);
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"ok", "cancel"}));
    EXPECT_EQ(EditBox(), nullptr);
    Key(VK_DOWN);
    EXPECT_EQ(grid.GetFocusCell(), CDataGridCellPos(3, 2));
    Key(VK_TAB);
    EXPECT_EQ(GetFocus(), GetDlgItem(dlg.m_hWnd, kEditId));
    EXPECT_EQ(grid.GetFocusCell(), CDataGridCellPos(3, 2));

    grid.SetFocus();
    Pump();
    grid.m_takesTabKey = TRUE;
    EXPECT_EQ(grid.SendMessage(WM_GETDLGCODE), (LRESULT)0x83);
    Key(VK_TAB);
    EXPECT_EQ(GetFocus(), grid.m_hWnd);
    EXPECT_EQ(grid.GetFocusCell(), CDataGridCellPos(3, 3));
    EXPECT_EQ(EditBox(), nullptr);
}

// A character from an input method starts an edit as a typed one does and
// lands in the box as UTF-8; with Ctrl held it starts nothing.
TEST_F(GridDialogTest, InputMethodCharacterStartsAnEdit)
{
    Click(4, 4);
    grid.SendMessage(WM_IME_CHAR, 0x20AC, 0);
    Pump();
    ASSERT_NE(EditBox(), nullptr);
    EXPECT_EQ(EditText(), "\xE2\x82\xAC");
    ::SendMessage(EditBox(), WM_IME_CHAR, 0xE9, 0);
    EXPECT_EQ(EditText(), "\xE2\x82\xAC\xC3\xA9");
    Key(VK_RETURN);
    EXPECT_STREQ(grid.GetCellText(4, 4), "\xE2\x82\xAC\xC3\xA9");
    InjectKey(VK_CONTROL, true);
    Pump();
    grid.SendMessage(WM_IME_CHAR, 'x', 0);
    InjectKey(VK_CONTROL, false);
    Pump();
    EXPECT_EQ(EditBox(), nullptr);
}

namespace {
// Records the cursor shown while the grid changes a cell's state.
class CCursorProbeCell : public CDataGridCell {
    DECLARE_DYNCREATE(CCursorProbeCell)
public:
    static inline std::vector<HCURSOR> seen;
    void SetState(DWORD state) override
    {
        seen.push_back(GetCursor());
        CDataGridCell::SetState(state);
    }
};
IMPLEMENT_DYNCREATE(CCursorProbeCell, CDataGridCell)
}   // namespace

// The selection shows the wait cursor while it works and gives the old one
// back; ClearSelection leaves no focus cell, so arrows start nowhere.
TEST_F(GridDialogTest, SelectionWaitCursorAndFocus)
{
    CDataGridCtrl probe(1, 4, 1, 1);
    ASSERT_TRUE(probe.SetCellType(RUNTIME_CLASS(CCursorProbeCell)));
    probe.SetRowCount(6);   // rows 1 to 5 of the probe class
    HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    SetCursor(arrow);
    CCursorProbeCell::seen.clear();
    probe.SetRangeSelection(CDataGridCellRange(1, 1, 3, 2));
    ASSERT_FALSE(CCursorProbeCell::seen.empty());
    for (HCURSOR c : CCursorProbeCell::seen) EXPECT_EQ(c, LoadCursor(nullptr, IDC_WAIT));
    EXPECT_EQ(GetCursor(), arrow);
    EXPECT_EQ(probe.GetSelectedCount(), 6);

    Click(3, 3);
    EXPECT_EQ(grid.GetFocusCell(), CDataGridCellPos(3, 3));
    grid.ClearSelection();
    EXPECT_EQ(grid.GetSelectedCount(), 0);
    EXPECT_EQ(grid.GetFocusCell(), CDataGridCellPos(-1, -1));
}

// In virtual mode the owner supplies the texts: an edit starts from the
// owner's text, reports -105 and -106 with the cell, and stores nothing;
// a -106 veto needs no restore; Esc sends no -106.
TEST_F(GridDialogTest, VirtualModeEdits)
{
    std::map<std::pair<int, int>, std::string> data;
    dlg.onNotify = [&](NMHDR* h) -> LRESULT {
        if ((int)h->code == LVN_GETDISPINFO) {
            auto* di = reinterpret_cast<GridDispInfo*>(h);
            auto it = data.find({di->item.row, di->item.column});
            di->item.text = it != data.end() ? it->second : "v" + std::to_string(di->item.row) + std::to_string(di->item.column);
        }
        return 0;
    };
    grid.SetVirtualMode(TRUE);
    grid.m_editable = TRUE;   // virtual mode starts read-only
    grid.SetRowCount(10);
    grid.SetColumnCount(6);
    grid.SetFixedRowCount(1);
    grid.SetFixedColumnCount(1);
    Pump();
    Click(2, 2);
    dlg.log.clear();
    Key(VK_F2);
    ASSERT_NE(EditBox(), nullptr);
    EXPECT_EQ(EditText(), "v22");
    Type("x");
    Key(VK_RETURN);
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"notify -105 2,2", "notify -106 2,2"}));
    EXPECT_EQ(std::string(grid.GetCellText(2, 2)), "v22");   // nothing stored: the owner keeps the data
    EXPECT_EQ(CDataGridEditBox::LiveCount(), 0);

    // The owner takes the text on -106; the grid then shows it.
    dlg.onNotify = [&, old = dlg.onNotify](NMHDR* h) -> LRESULT {
        if ((int)h->code == GVN_ENDLABELEDIT) {
            auto* n = reinterpret_cast<GridNotify*>(h);
            data[{n->row, n->column}] = "taken";
        }
        return old(h);
    };
    dlg.log.clear();
    Type("q");
    Key(VK_ESCAPE);
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"notify -105 2,2"}));
    Type("q");
    Key(VK_RETURN);
    EXPECT_EQ(std::string(grid.GetCellText(2, 2)), "taken");
    EXPECT_FALSE(grid.IsCellEditing(2, 2));
}

// In a modal dialog the title tip still forwards presses to its grid: two
// presses through the tip are a double-click that starts editing.
class ModalGridDialog : public CDialog {
public:
    ModalGridDialog() : CDialog(&kTemplate, nullptr) {}
    CDataGridCtrl grid{10, 6, 1, 1};
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        grid.SubclassDlgItem(kGridId, this);
        grid.SetColumnWidth(0, 40);
        for (int c = 1; c < 6; c++) grid.SetColumnWidth(c, 30);
        grid.SetCellText(2, 2, "a text far wider than its cell");
        return TRUE;
    }
    void OnDestroy()
    {
        if (grid.m_hWnd) grid.UnsubclassWindow();
    }
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override
    {
        if (message == WM_DESTROY) OnDestroy();
        return CDialog::OnWndMsg(message, wParam, lParam, result);
    }
};

#if defined(__SANITIZE_ADDRESS__)
constexpr int kDeadlineSeconds = 40;
#else
constexpr int kDeadlineSeconds = 10;
#endif

std::function<void()> g_modalStep;
void ModalStep(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_modalStep) g_modalStep();
}

TEST_F(GridTest, TitleTipForwardsPressesInAModalDialog)
{
    CDataGridCtrl::RegisterGridClass();
    ModalGridDialog dlg;
    int step = 0;
    bool editing = false;
    std::string seen;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kDeadlineSeconds);
    POINT p{};
    g_modalStep = [&] {
        if (!dlg.m_hWnd || !dlg.grid.m_hWnd) return;
        const bool tip = dlg.grid.m_tipWindow.m_hWnd && ::IsWindowVisible(dlg.grid.m_tipWindow.m_hWnd);
        if (std::chrono::steady_clock::now() > deadline) {
            seen = "step " + std::to_string(step) + (tip ? " tip shown" : " no tip");
            dlg.EndDialog(IDCANCEL);
            return;
        }
        switch (step) {
        case 0: {
            RECT r{};
            dlg.grid.GetCellRect(2, 2, &r);
            p = POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
            ClientToScreen(dlg.grid.m_hWnd, &p);
            InjectMouseMove(p.x, p.y);
            step = 1;
            break;
        }
        case 1:
        case 3:
            if (!tip) break;
            InjectClick(p.x, p.y);
            ++step;
            break;
        case 2:
            InjectMouseMove(p.x + 1, p.y);
            step = 3;
            break;
        case 4:
            if (::GetDlgItem(dlg.grid.m_hWnd, 8)) {
                editing = true;
                dlg.EndDialog(IDOK);
            } else if (!tip) {
                InjectMouseMove(p.x, p.y);   // the press was lost: the tip shows again, nothing edits
            }
            break;
        }
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, ModalStep);
    dlg.DoModal();
    KillTimer(nullptr, timer);
    g_modalStep = nullptr;
    EXPECT_TRUE(editing) << seen;
}

}  // namespace gridtest
