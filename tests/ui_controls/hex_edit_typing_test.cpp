// Typing, deleting and selecting in the hex editor, driven by injected keys:
// each sequence gives a byte-exact buffer and caret.
#include "hex_edit_test_util.h"

namespace {

using Bytes_ = std::vector<unsigned char>;

struct TypingCase {
    const char* name;
    Bytes_ start;
    int digits;
    bool insert;
    bool allowResize;
    int caret;
    std::string keys;   // typed characters
    Bytes_ want;
    int wantCaret;
};

class HexTypingTest : public HexEditTest {};

TEST_F(HexTypingTest, TypedDigitsAndCharactersGiveExactBytesAndCaret)
{
    const TypingCase cases[] = {
        {"overwrite A5 over 00", {0x00, 0x11}, 2, false, false, 0, "A5", {0xA5, 0x11}, 1},
        {"overwrite lower-case digits", {0x00, 0x11}, 2, false, false, 1, "c3", {0x00, 0xC3}, 2},
        {"insert puts a zero item first", {0x11, 0x22}, 2, true, false, 1, "A5", {0x11, 0xA5, 0x22}, 2},
        {"insert one digit", {0x11}, 2, true, false, 0, "7", {0x70, 0x11}, 0},
        {"insert at the end appends", {0x11}, 2, true, false, 1, "FF", {0x11, 0xFF}, 2},
        {"2-byte items are little-endian", {0, 0, 0, 0}, 4, false, false, 0, "1234", {0x34, 0x12, 0, 0}, 1},
        {"12 into a 2-byte item changes its second byte", {0xAA, 0xBB}, 4, false, false, 0, "12", {0xAA, 0x12}, 0},
        {"4-byte items", {0, 0, 0, 0}, 8, false, false, 0, "12345678", {0x78, 0x56, 0x34, 0x12}, 1},
        {"non-digits do nothing", {0x00}, 2, false, false, 0, "xz-", {0x00}, 0},
        {"overwrite at the end without resize is refused", {0x11}, 2, false, false, 1, "AB", {0x11}, 1},
        {"overwrite at the end with resize appends", {0x11}, 2, false, true, 1, "AB", {0x11, 0xAB}, 2},
    };
    for (const TypingCase& c : cases) {
        SCOPED_TRACE(c.name);
        Open(c.start);
        CTestHexCtrl& h = Hex();
        h.SetDigitsPerItem(c.digits);
        h.SetInsertMode(c.insert);
        h.m_bAllowResize = c.allowResize;
        h.SetCaret(c.caret);
        Type(c.keys);
        EXPECT_EQ(Bytes(), c.want);
        EXPECT_EQ(h.GetCaret(), c.wantCaret);
        EXPECT_EQ(h.m_bModified, c.want != c.start);
        Close();
    }
}

TEST_F(HexTypingTest, CtrlTabWritesTheAsciiAreaWithWindows1252Bytes)
{
    Open({0, 0, 0, 0, 0});
    CTestHexCtrl& h = Hex();
    h.SetInsertMode(false);
    Key(VK_TAB, false, true);
    EXPECT_FALSE(h.IsCaretInHexArea());
    Type("Hi");
    // U+00E9 is 0xE9, U+20AC the euro byte 0x80; U+4E2D has no byte: ignored.
    Type("\xC3\xA9\xE2\x82\xAC\xE4\xB8\xAD");
    EXPECT_EQ(Bytes(), (Bytes_{'H', 'i', 0xE9, 0x80, 0}));
    EXPECT_EQ(h.GetCaret(), 4);
    Key(VK_TAB, false, true);
    EXPECT_TRUE(h.IsCaretInHexArea());
}

TEST_F(HexTypingTest, TabMovesTheDialogFocus)
{
    Open({1, 2, 3});
    EXPECT_EQ(GetFocus(), host->hex.m_hWnd);
    Key(VK_TAB);
    EXPECT_EQ(GetFocus(), host->next.m_hWnd);
}

struct DeleteCase {
    const char* name;
    bool insert;
    bool allowResize;
    UINT key;
    int selStart, selEnd;   // -1: none
    int caret;
    Bytes_ want;
    int wantCaret;
};

TEST_F(HexTypingTest, BackspaceAndDeleteFollowModeAndResize)
{
    const Bytes_ start{0x10, 0x11, 0x12, 0x13, 0x14};
    const DeleteCase cases[] = {
        {"insert: backspace deletes the item before", true, false, VK_BACK, -1, -1, 2, {0x10, 0x12, 0x13, 0x14}, 1},
        {"insert: backspace at 0 does nothing", true, false, VK_BACK, -1, -1, 0, start, 0},
        {"insert: delete removes the item at the caret", true, false, VK_DELETE, -1, -1, 2, {0x10, 0x11, 0x13, 0x14}, 2},
        {"insert: delete at the end does nothing", true, false, VK_DELETE, -1, -1, 5, start, 5},
        {"insert: backspace removes the selection", true, false, VK_BACK, 1, 3, 4, {0x10, 0x14}, 1},
        {"insert: delete removes the selection", true, false, VK_DELETE, 1, 2, 3, {0x10, 0x13, 0x14}, 1},
        {"overwrite+resize: backspace deletes", false, true, VK_BACK, -1, -1, 1, {0x11, 0x12, 0x13, 0x14}, 0},
        {"overwrite+resize: delete removes the selection", false, true, VK_DELETE, 0, 1, 2, {0x12, 0x13, 0x14}, 0},
        {"overwrite: backspace does nothing", false, false, VK_BACK, -1, -1, 2, start, 2},
        {"overwrite: delete zeroes the selection", false, false, VK_DELETE, 1, 3, 4, {0x10, 0, 0, 0, 0x14}, 4},
        {"overwrite: delete without selection does nothing", false, false, VK_DELETE, -1, -1, 1, start, 1},
    };
    for (const DeleteCase& c : cases) {
        SCOPED_TRACE(c.name);
        Open(start);
        CTestHexCtrl& h = Hex();
        h.SetInsertMode(c.insert);
        h.m_bAllowResize = c.allowResize;
        h.SetCaret(c.caret);
        h.SetSelection(c.selStart, c.selEnd);
        Key(c.key);
        EXPECT_EQ(Bytes(), c.want);
        EXPECT_EQ(h.GetCaret(), c.wantCaret);
        if (c.selStart >= 0) {
            EXPECT_EQ(h.GetSelectionStart(), -1);
        }
        Close();
    }
}

TEST_F(HexTypingTest, ReadOnlyIgnoresEveryEdit)
{
    Open({1, 2, 3, 4});
    CTestHexCtrl& h = Hex();
    h.m_bReadOnly = true;
    PutClipboard(CF_TEXT, {'x', 'y', 0});
    h.SetSelection(1, 2);
    Type("AB");
    Key(VK_DELETE);
    Key(VK_BACK);
    Key('V', false, true);
    Key('X', false, true);
    Key(VK_INSERT);
    EXPECT_EQ(Bytes(), (Bytes_{1, 2, 3, 4}));
    EXPECT_TRUE(h.IsInsertMode());
    EXPECT_FALSE(h.m_bModified);
}

TEST_F(HexTypingTest, ShiftArrowsSelectBetweenCaretAndAnchorAcrossIt)
{
    Bytes_ data(24);
    for (int i = 0; i < 24; ++i) data[(size_t)i] = (unsigned char)i;
    Open(data);
    CTestHexCtrl& h = Hex();
    h.SetCaret(10);
    Key(VK_RIGHT, true);
    Key(VK_RIGHT, true);
    EXPECT_EQ(h.GetSelectionStart(), 10);
    EXPECT_EQ(h.GetSelectionEnd(), 11);
    // Up over a row of 8 crosses the anchor: the items between caret and anchor.
    Key(VK_UP, true);
    EXPECT_EQ(h.GetCaret(), 4);
    EXPECT_EQ(h.GetSelectionStart(), 4);
    EXPECT_EQ(h.GetSelectionEnd(), 9);
    Key(VK_DOWN, true);
    EXPECT_EQ(h.GetSelectionStart(), 10);
    EXPECT_EQ(h.GetSelectionEnd(), 11);
    Key(VK_UP, true);
    Key(VK_DELETE);
    ASSERT_EQ(h.m_nDataSize, 18);
    Bytes_ want{0, 1, 2, 3, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23};
    EXPECT_EQ(Bytes(), want);
    EXPECT_EQ(h.GetCaret(), 4);
    // Back to the anchor removes the selection; plain arrows drop it.
    Key(VK_RIGHT, true);
    Key(VK_LEFT, true);
    EXPECT_EQ(h.GetSelectionStart(), -1);
    Key(VK_END, true);
    EXPECT_EQ(h.GetSelectionStart(), 4);
    EXPECT_EQ(h.GetSelectionEnd(), 7);
    Key(VK_RIGHT);
    EXPECT_EQ(h.GetSelectionStart(), -1);
}

TEST_F(HexTypingTest, CaretKeysAndInsertToggleTheCaretShape)
{
    Bytes_ data(40);
    Open(data);
    CTestHexCtrl& h = Hex();
    Key(VK_END, false, true);
    EXPECT_EQ(h.GetCaret(), 40);
    Key(VK_HOME, false, true);
    EXPECT_EQ(h.GetCaret(), 0);
    Key(VK_END);
    EXPECT_EQ(h.GetCaret(), 7);
    Key(VK_DOWN);
    EXPECT_EQ(h.GetCaret(), 15);
    Key(VK_HOME);
    EXPECT_EQ(h.GetCaret(), 8);

    CaretState caret{};
    ASSERT_TRUE(CaretOfThread(GetCurrentThreadId(), &caret));
    const int thin = caret.rect.right - caret.rect.left;
    EXPECT_EQ(caret.rect.bottom - caret.rect.top, 14);
    // Row 1, column 6 (after "0000  "): x = 6 * 7 + 3 - 1.
    EXPECT_EQ(caret.rect.left, 44);
    EXPECT_EQ(caret.rect.top, 14);
    Key(VK_INSERT);
    EXPECT_FALSE(h.IsInsertMode());
    ASSERT_TRUE(CaretOfThread(GetCurrentThreadId(), &caret));
    EXPECT_EQ(caret.rect.right - caret.rect.left, 7);
    EXPECT_LT(thin, 7);
}

}  // namespace
