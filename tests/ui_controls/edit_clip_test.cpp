// Clipboard through the in-process store, column insertion and search.
#include "platform/kernel/global_memory.h"
#include "platform/user/clipboard.h"
#include "tests/ui_controls/edit_test_util.h"

namespace {
class EditClipTest : public EditTest {
protected:
    void SetUp() override
    {
        EditTest::SetUp();
        ResetClipboardForTest();
    }
    void TearDown() override
    {
        ResetClipboardForTest();
        EditTest::TearDown();
    }
    static std::string Bytes(UINT format)
    {
        auto v = ClipboardBytes(format);
        return std::string(v.begin(), v.end());
    }
    // Another program's clipboard: each block exactly as given.
    void Put(std::vector<std::pair<UINT, std::string>> blocks)
    {
        ASSERT_TRUE(OpenClipboard(nullptr));
        EmptyClipboard();
        for (auto& [format, bytes] : blocks) {
            HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
            memcpy(GlobalLock(h), bytes.data(), bytes.size());
            GlobalUnlock(h);
            SetClipboardData(format, h);
        }
        CloseClipboard();
    }
    unsigned LastEvent() { return edit->events.empty() ? 0u : edit->events.back(); }
};
}   // namespace

TEST_F(EditClipTest, CopyCutAndPaste)
{
    Open("a\nb");
    edit->SetSel(0, 3);
    ASSERT_TRUE(edit->Copy());
    EXPECT_EQ(Bytes(CF_TEXT), std::string("a\r\nb\0", 5));
    EXPECT_TRUE(Bytes(KyrEditCtrl::ColumnFormat()).empty());

    // No selection: event, clipboard kept; with copyAllWithoutSelection the whole text.
    edit->SetSel(-1, -1);
    EXPECT_FALSE(edit->Copy());
    EXPECT_EQ(LastEvent(), (unsigned)KYR_EV_NOTHING_TO_COPY);
    EXPECT_FALSE(edit->Cut());
    EXPECT_EQ(LastEvent(), (unsigned)KYR_EV_NOTHING_TO_COPY);
    EXPECT_EQ(Bytes(CF_TEXT), std::string("a\r\nb\0", 5));
    Open("xyz");
    edit->copyAllWithoutSelection = 1;
    EXPECT_TRUE(edit->Copy());
    EXPECT_EQ(Bytes(CF_TEXT), std::string("xyz\0", 4));

    // Cut then paste elsewhere; each undoes.
    Open("hello world");
    edit->SetSel(0, 6);
    ASSERT_TRUE(edit->Cut());
    EXPECT_EQ(edit->Text(), "world");
    Caret(5);
    ASSERT_TRUE(edit->Paste());
    EXPECT_EQ(edit->Text(), "worldhello ");
    edit->Undo();
    EXPECT_EQ(edit->Text(), "world");
    edit->Undo();
    EXPECT_EQ(edit->Text(), "hello world");

    edit->SetReadOnly(true);
    EXPECT_FALSE(edit->Paste());
    EXPECT_EQ(LastEvent(), 0x40020000u);
}

TEST_F(EditClipTest, ForeignDataAsColumnOrStream)
{
    const UINT column = KyrEditCtrl::ColumnFormat();
    struct Row {
        std::vector<std::pair<UINT, std::string>> blocks;
        std::string start;
        int at;
        std::string after;
    } rows[] = {
        {{{CF_TEXT, std::string("X\r\nY\r\nZ\0", 8)}, {column, std::string("X\r\nY\r\nZ\0", 8)}}, "abcd\nefgh", 2, "abXcd\nefYgh\nZ"},
        {{{column, std::string("X\nY\0", 4)}}, "abcd\nefgh", 2, "abXcd\nefYgh"},   // the private format alone
        {{{column, "1\n2\n3"}}, "abcd\nx\nefgh", 3, "abc1d\nx  2\nefg3h"},        // a short line padded
        {{{CF_TEXT, std::string("X\r\nY\0", 5)}}, "abcd", 2, "abX\nYcd"},          // a stream, CR LF stored as LF
        {{{CF_TEXT, "pq"}}, "ab", 1, "apqb"},                                     // no NUL: bounded by the block
        {{{CF_TEXT, std::string("pq\0rs", 5)}}, "ab", 1, "apqb"},                 // up to the NUL
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.after);
        Open(r.start);
        Put(r.blocks);
        Caret(r.at);
        ASSERT_TRUE(edit->Paste());
        EXPECT_EQ(edit->Text(), r.after);
        EXPECT_TRUE(edit->Undo());
        EXPECT_EQ(edit->Text(), r.start);
        EXPECT_FALSE(edit->CanUndo());
        EXPECT_TRUE(edit->Redo());
        EXPECT_EQ(edit->Text(), r.after);
    }
    Open("ab");
    Put({{CF_BITMAP, "x"}});
    EXPECT_FALSE(edit->Paste());
    EXPECT_EQ(LastEvent(), 0x80020000u);
    EXPECT_EQ(edit->Text(), "ab");
}

TEST_F(EditClipTest, InsertBlockTurnsTabsIntoSpaces)
{
    Open("abcd\nefgh");
    ASSERT_TRUE(edit->InsertBlock("a\tb\nc", 1));
    EXPECT_EQ(edit->Text(), "aa    bbcd\necfgh");
    EXPECT_TRUE(edit->Undo());
    EXPECT_EQ(edit->Text(), "abcd\nefgh");
}

TEST_F(EditClipTest, FindText)
{
    struct Row {
        std::string text;
        int caret;
        std::string what;
        bool forward, whole, matchCase;
        int found;   // selection start, -1: none
    } rows[] = {
        {"ab x ab", 6, "ab", true, false, false, 0},            // wraps
        {"endif append end", 0, "end", true, true, false, 13},  // whole word only
        {"endif append", 0, "end", true, true, false, -1},
        {"Ab ab", 0, "ab", true, false, true, 3},               // match case
        {"Ab ab", 1, "ab", true, false, false, 3},
        {"x ab", 2, "ab", true, false, false, 2},                // a match ending the text
        {"b ab", 4, "b", true, false, false, 0},                 // forward from the end wraps
        {"", 0, "a", true, false, false, -1},
        {"abc", 0, "", true, false, false, -1},
        {"\xC3\x89t\xC3\xA9", 0, "\xC3\xA9", true, false, false, 3},   // no folding beyond ASCII
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.text + " / " + r.what);
        Open(r.text);
        Caret(r.caret);
        EXPECT_EQ(edit->FindText(r.what, r.forward, r.whole, r.matchCase), r.found >= 0);
        int a = -1, b = -1;
        edit->GetSel(&a, &b);
        if (r.found >= 0) {
            EXPECT_EQ(a, r.found);
            EXPECT_EQ(b, r.found + (int)r.what.size());
            EXPECT_EQ(edit->CaretOffset(), b);
        } else {
            EXPECT_EQ(a, -1);
        }
    }
    // Backwards twice moves to each earlier occurrence.
    Open("ab 1 ab 2 ab 3");
    Caret(9);
    ASSERT_TRUE(edit->FindText("ab", false, false, false));
    int a, b;
    edit->GetSel(&a, &b);
    EXPECT_EQ(a, 5);
    ASSERT_TRUE(edit->FindText("ab", false, false, false));
    edit->GetSel(&a, &b);
    EXPECT_EQ(a, 0);
    ASSERT_TRUE(edit->FindText("ab", false, false, false));   // wraps to the last
    edit->GetSel(&a, &b);
    EXPECT_EQ(a, 10);
}
