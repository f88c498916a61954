// The load filter equals what the control does to the same bytes, and the
// UTF-8 steps and insertion limits of the text model.
#include "tests/ui_controls/edit_test_util.h"

namespace {
// Keeps what the undo hooks receive, so a test can play the record backwards.
class CRecordingEditCtrl : public CTestEditCtrl {
public:
    struct Action {
        bool insert;
        int offset;
        std::string text, replaced;
        bool block;
        std::string after;   // for a block: the text once it was done
    };
    std::vector<Action> actions;
    void RecordUndo(const std::string& t, unsigned kind, int offset, bool, bool) override
    {
        actions.push_back(Action{(kind & KYR_UNDO_INSERT) != 0, offset, t, "", false, ""});
    }
    void RecordTyping(const std::string& typed, unsigned, int offset) override
    {
        std::string replaced;
        const std::string& t = Text();
        if (GetOverwriteMode() && offset < (int)t.size() && t[offset] != '\n')
            replaced = t.substr((size_t)offset, (size_t)EditCharLength(t, offset));
        actions.push_back(Action{true, offset, typed, replaced, false, ""});
    }
    void RecordBlockUndo(std::unique_ptr<KyrUndoBlock>, unsigned) override
    {
        actions.push_back(Action{true, 0, "", "", true, Text()});
    }
    void ClearUndo() override { actions.clear(); }
};

std::string Rep(const std::string& s, int n)
{
    std::string r;
    for (int i = 0; i < n; ++i) r += s;
    return r;
}
}   // namespace

TEST_F(EditTest, FilterEqualsSetText)
{
    const std::string e = "\xC3\xA9";
    struct Case {
        const char* name;
        std::string bytes;
        int keepTabs;
        std::string want;
    } cases[] = {
        {"crlf", "a\r\nb\r\n", 0, "a\nb\n"},
        {"lone cr", "s = 1;\rs;", 0, "s = 1;s;"},
        {"tabs expanded", "a\tb\t", 0, "a    b    "},
        {"tabs kept", "a\tb", 1, "a\tb"},
        {"5000 characters", std::string(5000, 'x'),
         0, std::string(2048, 'x') + "\n" + std::string(2048, 'x') + "\n" + std::string(904, 'x')},
        {"2048-character last line", "a\n" + std::string(2048, 'y'), 0, "a\n" + std::string(2047, 'y') + "\ny"},
        {"2048-character line before a line feed", std::string(2048, 'y') + "\nz", 0, std::string(2048, 'y') + "\nz"},
        {"3000 e-acute", Rep(e, 3000), 0, Rep(e, 2048) + "\n" + Rep(e, 952)},
        {"nul byte", std::string("a\0b", 3), 0, std::string("a\0b", 3)},
    };
    Open("");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditorTextOptions o;
        o.keepTabs = c.keepTabs;
        const std::string filtered = FilterEditorText(c.bytes, o);
        EXPECT_EQ(filtered, c.want);
        edit->keepTabs = c.keepTabs;
        edit->SetText(c.bytes);
        EXPECT_EQ(edit->Text(), filtered);
        EXPECT_EQ(edit->LineCount(), KyrEditCtrl::CountLines(filtered));
    }
}

TEST(EditText, CharacterSteps)
{
    const std::string s = "a\xC3\xA9\xE2\x82\xAC\xE9\xF0\x9F\x98\x80\xC3";   // a é € stray 😀 cut
    std::vector<int> starts;
    for (int i = 0; i < (int)s.size(); i += EditCharLength(s, i)) starts.push_back(i);
    EXPECT_EQ(starts, (std::vector<int>{0, 1, 3, 6, 7, 11}));
    std::vector<int> back;
    for (int i = (int)s.size(); i > 0;) back.push_back(i = EditPrevChar(s, i));
    EXPECT_EQ(back, (std::vector<int>{11, 7, 6, 3, 1, 0}));
    EXPECT_EQ(EditCodePoint(s, 1), 0xE9u);
    EXPECT_EQ(EditCodePoint(s, 6), 0x110000u + 0xE9);
    EXPECT_EQ(EditCountChars(s, 0, (int)s.size()), 6);
    // Overlong forms and surrogates are single bytes.
    EXPECT_EQ(EditCharLength("\xC0\xAF", 0), 1);
    EXPECT_EQ(EditCharLength("\xED\xA0\x80", 0), 1);
}

TEST_F(EditTest, InsertionLimits)
{
    Open("");
    // Generated text at the end of a line starts on a line of its own.
    edit->SetText("abc");
    ASSERT_TRUE(edit->InsertText("de", 3, KYR_INS_REDRAW, false));
    EXPECT_EQ(edit->Text(), "abc\nde");
    EXPECT_EQ(edit->events, (std::vector<unsigned>{KYR_EV_PREFIXED_BREAK}));
    // The offset, not the caret, decides: the caret is at a line start here.
    edit->SetText(std::string(2040, 'a') + "b\nc");
    edit->SetCaretOffset(0, false, false);
    edit->events.clear();
    ASSERT_TRUE(edit->InsertText(std::string(20, 'z'), 10, KYR_INS_REDRAW, false));
    EXPECT_EQ(edit->events, (std::vector<unsigned>{KYR_EV_PREFIXED_BREAK}));
    // Pasted text (no prefix) that makes its first line too long is broken there.
    edit->SetText(std::string(2040, 'a') + "\nc");
    ASSERT_TRUE(edit->InsertText(std::string(20, 'z') + "\nq", 2040, KYR_INS_REDRAW, true));
    const std::string& t = edit->Text();
    size_t start = 0;
    for (size_t lf; (lf = t.find('\n', start)) != std::string::npos; start = lf + 1) EXPECT_LT(lf - start, 2048u);
    EXPECT_EQ(t.substr(0, 2048), std::string(2040, 'a') + std::string(7, 'z') + "\n");
}

TEST_F(EditTest, RandomEditingStaysConsistent)
{
    edit = std::make_unique<CRecordingEditCtrl>();
    Open("", false, 300, 150, false);
    auto& rec = static_cast<CRecordingEditCtrl&>(*edit);
    edit->AddRegion("%", "", RGB(128, 128, 128), (COLORREF)-1, 0, 0);
    edit->AddRegion("/*", "*/", RGB(0, 128, 0), (COLORREF)-1, 1, 0);
    edit->AddKeyword("end", RGB(0, 0, 255), (COLORREF)-1, 0);
    uint32_t seed = 12345;
    auto rnd = [&](uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    const char* pieces[] = {"a", " ", "\n", "\xC3\xA9", "\xE2\x82\xAC", "\xE9", "end", "%", "/*", "*/", "\t", "\"", "\r\n"};
    HDC dc = CreateRecordingDC(FALSE);
    for (int step = 0; step < 1500; ++step) {
        const int len = (int)edit->Text().size();
        switch (rnd(6)) {
        case 0:
        case 1: edit->InsertChar(rnd(3) ? 'a' + rnd(26) : 0xE9 + rnd(0x2000), true); break;
        case 2: {
            std::string s;
            const int n = rnd(3) ? (int)rnd(8) : 2100 + (int)rnd(300);
            for (int i = 0; i < n; ++i) s += pieces[rnd(sizeof pieces / sizeof *pieces)];
            edit->InsertText(s, (int)rnd((uint32_t)len + 1), KYR_INS_REDRAW, rnd(2));
            break;
        }
        case 3: edit->DeleteText((int)rnd((uint32_t)len + 1), (int)rnd((uint32_t)len + 1)); break;
        case 4: {
            const UINT keys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_BACK, VK_DELETE, VK_RETURN, VK_TAB, VK_NEXT, VK_PRIOR};
            edit->SendMessage(WM_KEYDOWN, keys[rnd(12)], 0);
            break;
        }
        case 5:
            if (rnd(4) == 0) {
                edit->ScrollBar(SB_VERT, 12, (int)rnd(40));
                break;
            }
            if (rnd(8) == 0) {
                edit->SetOverwriteMode(!edit->GetOverwriteMode());
                break;
            }
            edit->SetSel((int)rnd((uint32_t)len + 1), (int)rnd((uint32_t)len + 1));
            break;
        }
        const std::string& t = edit->Text();
        ASSERT_EQ(edit->LineCount(), KyrEditCtrl::CountLines(t));
        ASSERT_LE(edit->CaretOffset(), (int)t.size());
        // The caret never sits inside a character.
        int i = 0;
        while (i < edit->CaretOffset()) i += EditCharLength(t, i);
        ASSERT_EQ(i, edit->CaretOffset());
        ASSERT_TRUE(edit->CheckDelimiterIndex());
        // The first-line cache agrees with a count from the start.
        const int firstOffset = edit->GetLineOffset(edit->FirstLine());
        ASSERT_EQ(firstOffset, edit->GetLineStartOf(firstOffset));
        ASSERT_EQ(edit->GetLineOfOffset(firstOffset), edit->FirstLine());
        ClearRecordingLog(dc);
        CDC cdc(dc);
        edit->Paint(cdc);
        cdc.Detach();
    }
    DeleteDC(dc);
    edit->SetOverwriteMode(false);
    // Played backwards, the recorded actions give back the text as it was
    // after the last block indent (or the empty start).
    std::string t = edit->Text();
    std::string want;
    for (auto it = rec.actions.rbegin(); it != rec.actions.rend(); ++it) {
        if (it->block) {
            want = it->after;
            break;
        }
        if (it->insert) {
            ASSERT_EQ(t.compare((size_t)it->offset, it->text.size(), it->text), 0);
            t.replace((size_t)it->offset, it->text.size(), it->replaced);
        } else {
            t.insert((size_t)it->offset, it->text);
        }
    }
    EXPECT_EQ(t, want);
}
