// Undo and redo of the real control driven by injected keys and clicks:
// text, availability, modified state and events after every step.
#include <random>

#include "platform/afx/archive.h"
#include "tests/ui_controls/edit_test_util.h"

namespace {
class EditUndoTest : public EditTest {
protected:
    void Save()
    {
        CArchive ar(CArchive::store);
        edit->Serialize(ar);
        std::string crlf;
        for (char c : edit->Text()) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        EXPECT_EQ(ar.Data(), crlf);
    }
    bool Undo()
    {
        const bool ok = edit->Undo(true);
        Pump();
        return ok;
    }
    bool Redo()
    {
        const bool ok = edit->Redo(true);
        Pump();
        return ok;
    }
    // text, CanUndo, CanRedo, IsModified; `event`: the last edit event (0 = none).
    void Check(const std::string& text, bool canUndo, bool canRedo, bool modified, unsigned event = 0, int line = 0)
    {
        SCOPED_TRACE("line " + std::to_string(line));
        EXPECT_EQ(edit->Text(), text);
        EXPECT_EQ(edit->CanUndo(), canUndo);
        EXPECT_EQ(edit->CanRedo(), canRedo);
        EXPECT_EQ(edit->IsModified(), modified);
        EXPECT_EQ(edit->events.empty() ? 0u : edit->events.back(), event);
        edit->events.clear();
    }
    void Insert(const std::string& t) { ASSERT_TRUE(edit->InsertText(t, 0)); }
};
}   // namespace

#define CHECK(...) Check(__VA_ARGS__, __LINE__)

TEST_F(EditUndoTest, TypingMergesAndMovesSplit)
{
    Open("");
    Type("abc");
    CHECK("abc", true, false, true, 0);
    EXPECT_TRUE(Undo());
    CHECK("", false, true, false, 0);
    EXPECT_FALSE(Undo());
    CHECK("", false, true, false, 1);

    Open("");
    Type("abc");
    Key(VK_LEFT);
    Type("d");
    CHECK("abdc", true, false, true, 0);
    EXPECT_TRUE(Undo());
    CHECK("abc", true, true, true, 0);
    EXPECT_TRUE(Undo());
    CHECK("", false, true, false, 0);

    // Typing, a click elsewhere, typing: undo takes only the second typing.
    Open("hello world");
    Caret(0);
    Type("ab");
    Click(9);
    Type("cd");
    CHECK("abhello wcdorld", true, false, true, 0);
    EXPECT_TRUE(Undo());
    CHECK("abhello world", true, true, true, 0);
}

TEST_F(EditUndoTest, LimitAndRedoTail)
{
    Open("");
    for (int i = 0; i < 301; ++i) Insert("x");
    EXPECT_EQ(edit->UndoCount(), 300);
    for (int i = 0; i < 300; ++i) ASSERT_TRUE(Undo()) << i;
    CHECK("x", false, true, true, 0);
    EXPECT_FALSE(Undo());
    CHECK("x", false, true, true, 1);

    // An edit after undos drops them: nothing to redo.
    Open("WXYZ");
    Caret(0);
    Type("abc");
    Key(VK_LEFT);
    Key(VK_RIGHT);
    Type(" ");
    Key(VK_LEFT);
    Key(VK_RIGHT);
    Type("d");
    EXPECT_TRUE(Undo());
    EXPECT_TRUE(Undo());
    CHECK("abcWXYZ", true, true, true, 0);
    Type("Q");
    CHECK("abcQWXYZ", true, false, true, 0);
    EXPECT_FALSE(Redo());
    CHECK("abcQWXYZ", true, false, true, 2);
    while (edit->CanUndo()) ASSERT_TRUE(Undo());
    CHECK("WXYZ", false, true, false, 0);
}

TEST_F(EditUndoTest, OverwriteSwapsWholeCharacters)
{
    struct Row {
        std::string start;
        int caret;
        std::string typed, after;
    } rows[] = {
        {"y", 0, "x", "x"},
        {"ab\ncd", 2, "x", "abx\ncd"},   // on a line feed: an insert
        {"ab", 2, "x", "abx"},           // at the end: an insert
        {"abc", 0, "\xC3\xA9", "\xC3\xA9" "bc"},
        {"\xE2\x82\xAC" "z", 0, "q", "qz"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.after);
        Open(r.start);
        Caret(r.caret);
        Key(VK_INSERT);
        Type(r.typed);
        CHECK(r.after, true, false, true, 0);
        EXPECT_TRUE(Undo());
        CHECK(r.start, false, true, false, 0);
        EXPECT_TRUE(Redo());
        CHECK(r.after, true, false, true, 0);
        EXPECT_TRUE(Undo());
        CHECK(r.start, false, true, false, 0);
        Key(VK_INSERT);
    }
}

TEST_F(EditUndoTest, LineBreakingInsertionUndoesInOneStep)
{
    const std::string start(2040, 'a');
    Open(start);
    Caret(10);
    ASSERT_TRUE(edit->InsertText(std::string(20, 'b')));
    const std::string after = edit->Text();
    EXPECT_NE(after.find('\n'), std::string::npos);
    edit->events.clear();
    EXPECT_TRUE(Undo());
    CHECK(start, false, true, false, 0);
    EXPECT_TRUE(Redo());
    EXPECT_EQ(edit->Text(), after);
}

TEST_F(EditUndoTest, SavedStateAcrossUndoAndRedo)
{
    Open("");
    Type("x");
    Save();
    CHECK("x", true, false, false, 0);
    Type("y");   // never merged into the saved action
    CHECK("xy", true, false, true, 0);
    Undo();
    CHECK("x", true, true, false, 0);
    Undo();
    CHECK("", false, true, true, 0);
    Redo();
    CHECK("x", true, true, false, 0);
    Redo();
    CHECK("xy", true, false, true, 0);

    // Saved after an undo, then undo and redo back.
    Open("");
    Insert("a");
    Insert("b");
    Undo();
    Save();
    CHECK("a", true, true, false, 0);
    Undo();
    CHECK("", false, true, true, 0);
    Redo();
    CHECK("a", true, true, false, 0);
    Insert("c");   // drops the redo tail above the save
    Undo();
    CHECK("a", true, true, false, 0);

    // The saved action pushed off the head: modified until the next save.
    Open("");
    Insert("s");
    Save();
    for (int i = 0; i < 301; ++i) Insert("t");
    CHECK(std::string(301, 't') + "s", true, false, true, 0);
    while (edit->CanUndo()) {
        Undo();
        EXPECT_TRUE(edit->IsModified());
    }
    CHECK("ts", false, true, true, 0);
    Save();
    CHECK("ts", false, true, false, 0);
}

TEST_F(EditUndoTest, ClearUndoKeepsModified)
{
    Open("a");
    edit->ClearUndo();
    CHECK("a", false, false, false, 0);
    Type("b");
    edit->ClearUndo();
    CHECK("ba", false, false, true, 0);
    Save();
    CHECK("ba", false, false, false, 0);
    // A reset that changes the text.
    edit->InsertText("z", 0, KYR_INS_RESET_UNDO);
    CHECK("zba", false, false, true, 0);
}

TEST_F(EditUndoTest, VetoDuringUndoKeepsHistoryInStep)
{
    Open("");
    Type("abc");
    edit->vetoDelete = true;
    EXPECT_FALSE(Undo());
    CHECK("abc", true, false, true, 0);
    EXPECT_EQ(edit->UndoApplied(), 1);
    edit->vetoDelete = false;
    EXPECT_TRUE(Undo());
    CHECK("", false, true, false, 0);
}

TEST_F(EditUndoTest, BlockIndentAndUnindentUndoExactly)
{
    const std::string start = "a\n  b\nc\nd";
    Open(start);
    edit->SetSel(0, 8);
    Key(VK_TAB);
    const std::string indented = "    a\n      b\n    c\nd";
    CHECK(indented, true, false, true, 0);
    edit->SetSel(0, 20);
    Key(VK_TAB, true);
    Key(VK_TAB, true);
    const std::string unindented = "a\nb\nc\nd";
    CHECK(unindented, true, false, true, 0);
    EXPECT_TRUE(Undo());
    CHECK("a\n  b\nc\nd", true, true, true, 0);
    EXPECT_TRUE(Undo());
    CHECK(indented, true, true, true, 0);
    EXPECT_TRUE(Undo());
    CHECK(start, false, true, false, 0);
    EXPECT_TRUE(Redo());
    CHECK(indented, true, true, true, 0);
    EXPECT_TRUE(Redo());
    EXPECT_TRUE(Redo());
    CHECK(unindented, true, false, true, 0);
}

// Random typing (multi-byte, overwrite), Enter, block indents, Delete and
// Backspace; undo everything gives the start, redo everything the end, and
// the text is unmodified exactly at the saved step.
TEST_F(EditUndoTest, RandomRoundTrip)
{
    const std::string start = "one two\n  three\n\xC3\xA9t\xC3\xA9\nfour";
    Open(start);
    std::mt19937 rng(45);
    const char* pieces[] = {"a", "b", " ", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "("};
    std::map<int, std::string> byCount{{0, start}};
    int savedAt = -1;
    for (int step = 0; step < 80; ++step) {
        const int op = (int)(rng() % 10);
        const std::string& t = edit->Text();
        int at = (int)(rng() % (t.size() + 1));
        while (at > 0 && at < (int)t.size() && ((unsigned char)t[at] & 0xC0) == 0x80) --at;
        if (op < 3) {
            Type(pieces[rng() % 7]);
        } else if (op == 3) {
            Caret(at);
        } else if (op == 4) {
            Key(VK_RETURN);
        } else if (op == 5) {
            Key(VK_INSERT);
        } else if (op == 6) {
            Key(VK_DELETE);
        } else if (op == 7) {
            Key(VK_BACK);
        } else {
            const int lo = edit->GetLineStartOf(std::min(at, edit->CaretOffset()));
            edit->SetSel(lo, std::max(at, edit->CaretOffset()));
            Key(VK_TAB, op == 9);
            edit->SetSel(edit->CaretOffset(), edit->CaretOffset());
        }
        byCount[edit->UndoApplied()] = edit->Text();
        if (step == 40) {
            Save();
            savedAt = edit->UndoApplied();
        }
    }
    if (edit->GetOverwriteMode()) Key(VK_INSERT);
    const std::string end = edit->Text();
    ASSERT_LT(edit->UndoCount(), 300);
    ASSERT_GT(edit->UndoCount(), 20);
    for (;;) {
        const int k = edit->UndoApplied();
        SCOPED_TRACE(k);
        EXPECT_EQ(edit->IsModified(), k != savedAt);
        if (byCount.count(k)) {
            EXPECT_EQ(edit->Text(), byCount[k]);
        }
        if (k == 0) break;
        ASSERT_TRUE(edit->Undo(false));
    }
    EXPECT_EQ(edit->Text(), start);
    while (edit->CanRedo()) ASSERT_TRUE(edit->Redo(false));
    EXPECT_EQ(edit->Text(), end);
    EXPECT_FALSE(edit->IsModified() == (edit->UndoApplied() == savedAt));
}
