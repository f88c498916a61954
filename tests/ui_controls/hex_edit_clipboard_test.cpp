// The hex editor's clipboard, byte-exact from the store, its context menu
// (states from the framework's CCmdUI pass) and the memory report.
#include "hex_edit_test_util.h"

namespace {

using Bytes_ = std::vector<unsigned char>;

UINT BinaryData() { return RegisterClipboardFormat("BinaryData"); }

class HexClipboardTest : public HexEditTest {};

TEST_F(HexClipboardTest, CopyPutsBinaryDataAndTextBlocks)
{
    Open({0x00, 0xB0, 0xB1, 0xB2, 0x04});
    const UINT other = RegisterClipboardFormat("HexEditTestOther");
    PutClipboard(other, {1});
    Hex().SetSelection(1, 3);
    Key('C', false, true);
    EXPECT_TRUE(ClipBytes(other).empty());
    EXPECT_EQ(ClipBytes(BinaryData()), (Bytes_{3, 0, 0, 0, 0xB0, 0xB1, 0xB2}));
    EXPECT_EQ(ClipBytes(CF_TEXT), (Bytes_{0xB0, 0xB1, 0xB2, 0}));

    // 2-byte items: the count is in bytes.
    Close();
    Open({1, 2, 3, 4, 5, 6});
    Hex().SetDigitsPerItem(4);
    Hex().SetSelection(1, 2);
    Key('C', false, true);
    EXPECT_EQ(ClipBytes(BinaryData()), (Bytes_{4, 0, 0, 0, 3, 4, 5, 6}));
    // Cut copies, then removes.
    Key('X', false, true);
    EXPECT_EQ(Bytes(), (Bytes_{1, 2}));
}

struct PasteCase {
    const char* name;
    UINT format;        // 0: text
    Bytes_ clip;
    Bytes_ start;
    bool insert;
    bool allowResize;
    int caret;
    int selStart, selEnd;
    Bytes_ want;
};

TEST_F(HexClipboardTest, PasteTable)
{
    const Bytes_ four{0x10, 0x11, 0x12, 0x13};
    const PasteCase cases[] = {
        {"text in insert mode", 0, {'a', 'b', 'c', 0}, four, true, false, 2, -1, -1, {0x10, 0x11, 'a', 'b', 'c', 0x12, 0x13}},
        {"text stops at its first zero", 0, {'a', 0, 'c', 0}, four, true, false, 0, -1, -1, {'a', 0x10, 0x11, 0x12, 0x13}},
        {"insert replaces the selection", 0, {'a', 'b', 0}, four, true, false, 0, 1, 2, {0x10, 'a', 'b', 0x13}},
        {"overwrite writes at most the selection", 0, {'a', 'b', 'c', 0}, four, false, false, 3, 0, 1,
         {'a', 'b', 0x12, 0x13}},
        {"overwrite is cut at the end", 0, {'a', 'b', 'c', 0}, four, false, false, 2, -1, -1, {0x10, 0x11, 'a', 'b'}},
        {"overwrite with resize grows at the end", 0, {'a', 'b', 'c', 0}, four, false, true, 2, -1, -1,
         {0x10, 0x11, 'a', 'b', 'c'}},
        {"BinaryData keeps zero bytes", 1, {3, 0, 0, 0, 0, 7, 0}, four, true, false, 4, -1, -1, {0x10, 0x11, 0x12, 0x13, 0, 7, 0}},
        {"a count past the block pastes the bytes present", 1, {0xFF, 0xFF, 0, 0, 0xA1, 0xA2}, four, true, false, 0, -1, -1,
         {0xA1, 0xA2, 0x10, 0x11, 0x12, 0x13}},
        {"a 3-byte block pastes nothing", 1, {1, 0, 0}, four, true, false, 0, -1, -1, four},
        {"a zero count pastes nothing", 1, {0, 0, 0, 0, 9}, four, true, false, 0, -1, -1, four},
    };
    for (const PasteCase& c : cases) {
        SCOPED_TRACE(c.name);
        Open(c.start);
        CTestHexCtrl& h = Hex();
        h.SetInsertMode(c.insert);
        h.m_bAllowResize = c.allowResize;
        h.SetCaret(c.caret);
        h.SetSelection(c.selStart, c.selEnd);
        PutClipboard(c.format ? BinaryData() : CF_TEXT, c.clip);
        Key('V', false, true);
        EXPECT_EQ(Bytes(), c.want);
        Close();
    }
}

TEST_F(HexClipboardTest, PasteInto2ByteItemsInsertsWholeItems)
{
    Open({1, 2, 3, 4});
    Hex().SetDigitsPerItem(4);
    Hex().SetCaret(1);
    PutClipboard(CF_TEXT, {'x', 'y', 'z', 0});
    Key('V', false, true);
    EXPECT_EQ(Bytes(), (Bytes_{1, 2, 'x', 'y', 'z', 0, 3, 4}));
}

TEST_F(HexClipboardTest, ContextMenuFromShiftF10FollowsSelectionAndClipboard)
{
    Open({1, 2, 3, 4});
    ResetClipboardForTest();
    std::vector<VisibleMenu> seen;
    auto openMenu = [&](std::function<void()> choose) {
        seen.clear();
        Hex().onMenuIdle = [&, choose] {
            seen = VisibleMenus();
            choose();
        };
        InjectKey(VK_SHIFT, true);
        InjectKeyStroke(VK_F10);
        InjectKey(VK_SHIFT, false);
        Pump();
    };
    auto state = [&](size_t item) { return seen[0].items[item].state & MF_GRAYED; };

    // No selection, empty clipboard: only Select All.
    openMenu([] { InjectKeyStroke(VK_ESCAPE); });
    ASSERT_EQ(seen.size(), 1u);
    ASSERT_EQ(seen[0].items.size(), 5u);
    EXPECT_EQ(seen[0].items[0].text, "Cu&t\tCtrl+X");
    EXPECT_EQ(seen[0].items[1].text, "&Copy\tCtrl+C");
    EXPECT_EQ(seen[0].items[2].text, "&Paste\tCtrl+V");
    EXPECT_EQ(seen[0].items[4].text, "Select &All\tCtrl+A");
    const POINT at = Screen(5, 5);
    EXPECT_EQ(seen[0].rect.left, at.x);
    EXPECT_EQ(seen[0].rect.top, at.y);
    EXPECT_TRUE(state(0));
    EXPECT_TRUE(state(1));
    EXPECT_TRUE(state(2));
    EXPECT_FALSE(state(4));

    // A selection enables Cut and Copy; choosing Copy copies.
    Hex().SetSelection(1, 2);
    openMenu([&] {
        const RECT r = seen[0].items[1].rect;
        InjectClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    });
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_FALSE(state(0));
    EXPECT_FALSE(state(1));
    EXPECT_TRUE(state(2));
    EXPECT_EQ(ClipBytes(BinaryData()), (Bytes_{2, 0, 0, 0, 2, 3}));

    // Now the clipboard offers data: Paste is enabled; read-only greys it and Cut.
    Hex().m_bReadOnly = true;
    openMenu([] { InjectKeyStroke(VK_ESCAPE); });
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(state(0));
    EXPECT_FALSE(state(1));
    EXPECT_TRUE(state(2));
    Hex().m_bReadOnly = false;
    openMenu([] { InjectKeyStroke(VK_ESCAPE); });
    EXPECT_FALSE(state(2));
}

TEST_F(HexClipboardTest, RightClickOpensTheMenuAtTheMouse)
{
    Open({1, 2});
    std::vector<VisibleMenu> seen;
    Hex().onMenuIdle = [&] {
        seen = VisibleMenus();
        InjectKeyStroke(VK_ESCAPE);
    };
    const POINT p = Screen(40, 20);
    InjectClick(p.x, p.y, VK_RBUTTON);
    Pump();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].rect.left, p.x);
    EXPECT_EQ(seen[0].rect.top, p.y);
}

TEST_F(HexClipboardTest, GrowthPastTheLimitShowsTheMemoryReportAndKeepsTheBuffer)
{
    Open({1, 2, 3});
    CTestHexCtrl& h = Hex();
    unsigned char* before = h.m_pData;
    h.SendMessage(WM_TEST_RESIZE, 0, (LPARAM)0x80000000LL);
    std::vector<MessageBoxRecord> boxes = TakeMessageBoxLog();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Not enough memory.");
    EXPECT_EQ(h.m_pData, before);
    EXPECT_EQ(Bytes(), (Bytes_{1, 2, 3}));

    // A failed reallocation while typing: the same report, nothing lost.
    h.failRealloc = true;
    h.SetCaret(1);
    Type("4");
    boxes = TakeMessageBoxLog();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Not enough memory.");
    EXPECT_EQ(Bytes(), (Bytes_{1, 2, 3}));
    EXPECT_EQ(h.GetCaret(), 1);
    h.failRealloc = false;

    // Within the limit the data grows with zeros and the owner hears of it.
    const int resized = h.resized;
    h.SendMessage(WM_TEST_RESIZE, 0, 6);
    EXPECT_EQ(Bytes(), (Bytes_{1, 2, 3, 0, 0, 0}));
    EXPECT_GT(h.resized, resized);
    EXPECT_TRUE(TakeMessageBoxLog().empty());

    // Shrinking under a selection trims it: Copy reads only what is left.
    h.SetSelection(2, 4);
    h.SendMessage(WM_TEST_RESIZE, 0, 3);
    EXPECT_EQ(h.GetSelectionStart(), 2);
    EXPECT_EQ(h.GetSelectionEnd(), 2);
    Key('C', false, true);
    EXPECT_EQ(ClipBytes(BinaryData()), (Bytes_{1, 0, 0, 0, 3}));
    h.SendMessage(WM_TEST_RESIZE, 0, 1);
    EXPECT_EQ(h.GetSelectionStart(), -1);
}

TEST_F(HexClipboardTest, BinaryBlockCodec)
{
    const unsigned char bytes[] = {9, 8, 7};
    EXPECT_EQ(CHexEditCtrl::EncodeBinaryBlock(bytes, 3), (Bytes_{3, 0, 0, 0, 9, 8, 7}));
    const unsigned char big[] = {0x00, 0x01, 0x00, 0x00, 5};
    EXPECT_EQ(CHexEditCtrl::DecodeBinaryBlock(big, sizeof big), (Bytes_{5}));
    EXPECT_TRUE(CHexEditCtrl::DecodeBinaryBlock(big, 3).empty());
    EXPECT_TRUE(CHexEditCtrl::DecodeBinaryBlock(nullptr, 10).empty());
}

}  // namespace
