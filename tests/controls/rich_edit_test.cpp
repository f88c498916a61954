// The rich-edit control: runs after formatted appends, RTF out and in,
// protected text on every user edit path, EM_FORMATRANGE and copying.
#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <set>

#include "platform/backend/headless_input.h"
#include "platform/controls/controls.h"
#include "platform/controls/rich_text.h"
#include "platform/platform_test_util.h"
#include "support/fuzz_support.h"
#include "support/mutator.h"

namespace {

struct Host {
    Handler handler;
    HWND parent = nullptr;
    HWND edit = nullptr;
    int protectedReply = 1;
    int protectedCount = 0;
    std::vector<std::pair<LONG, LONG>> selChanges;
    Host(DWORD style = WS_CHILD | WS_VISIBLE | ES_MULTILINE)
    {
        RegisterControlClasses();
        handler = [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            if (m == WM_NOTIFY && ((NMHDR*)l)->code == (UINT)EN_SELCHANGE) {
                const SELCHANGE* sc = (const SELCHANGE*)l;
                selChanges.push_back({sc->chrg.cpMin, sc->chrg.cpMax});
                return 0;
            }
            if (m == WM_NOTIFY && ((NMHDR*)l)->code == (UINT)EN_PROTECTED) {
                ++protectedCount;
                return protectedReply;
            }
            return DefWindowProc(h, m, w, l);
        };
        parent = MakeWindow(&handler);
        edit = CreateWindowEx(0, RICHEDIT_CLASS, "", style, 0, 0, 300, 200, parent, (HMENU)(uintptr_t)100, nullptr,
                              nullptr);
    }
    ~Host() { DestroyWindow(parent); }
    LRESULT Send(UINT m, WPARAM w = 0, LPARAM l = 0) { return SendMessage(edit, m, w, l); }
    void Append(const std::string& text, const CHARFORMAT* cf = nullptr)
    {
        CHARRANGE end{-1, -1};
        Send(EM_EXSETSEL, 0, (LPARAM)&end);
        if (cf) Send(EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)cf);
        Send(EM_REPLACESEL, 0, (LPARAM)text.c_str());
    }
    std::string Text()
    {
        std::string s((size_t)Send(WM_GETTEXTLENGTH) + 1, '\0');
        s.resize((size_t)Send(WM_GETTEXT, s.size(), (LPARAM)s.data()));
        return s;
    }
    CHARFORMAT FormatOf(int a, int b)
    {
        CHARRANGE r{a, b};
        Send(EM_EXSETSEL, 0, (LPARAM)&r);
        CHARFORMAT cf{};
        cf.cbSize = sizeof cf;
        Send(EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&cf);
        return cf;
    }
    void Select(int a, int b)
    {
        CHARRANGE r{a, b};
        Send(EM_EXSETSEL, 0, (LPARAM)&r);
    }
    std::string Stream(UINT kind)
    {
        std::string out;
        EDITSTREAM es{(DWORD_PTR)&out, 0, [](DWORD_PTR c, BYTE* b, LONG n, LONG* done) -> DWORD {
                          ((std::string*)c)->append((const char*)b, (size_t)n);
                          *done = n;
                          return 0;
                      }};
        Send(EM_STREAMOUT, kind, (LPARAM)&es);
        return out;
    }
    bool StreamIn(UINT kind, const std::string& in)
    {
        struct Src {
            const std::string* s;
            size_t at;
        } src{&in, 0};
        EDITSTREAM es{(DWORD_PTR)&src, 0, [](DWORD_PTR c, BYTE* b, LONG n, LONG* done) -> DWORD {
                          Src* s = (Src*)c;
                          size_t k = std::min((size_t)n, s->s->size() - s->at);
                          memcpy(b, s->s->data() + s->at, k);
                          s->at += k;
                          *done = (LONG)k;
                          return 0;
                      }};
        Send(EM_STREAMIN, kind, (LPARAM)&es);
        return es.dwError == 0;
    }
};

CHARFORMAT Fmt(DWORD mask, DWORD effects, COLORREF colour = 0, LONG offset = 0)
{
    CHARFORMAT cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = mask;
    cf.dwEffects = effects;
    cf.crTextColor = colour;
    cf.yOffset = offset;
    return cf;
}

TEST(RichEdit, RunsReadBackByPositionAfterFormattedAppends)
{
    Host h;
    CHARFORMAT red = Fmt(CFM_COLOR | CFM_BOLD, CFE_BOLD, 0x0000FF);
    CHARFORMAT plain = Fmt(CFM_COLOR | CFM_BOLD, CFE_AUTOCOLOR);
    CHARFORMAT sup = Fmt(CFM_OFFSET, 0, 0, 100);
    h.Append("abc", &plain);
    h.Append("RED\n", &red);
    h.Append("x", &plain);
    h.Append("2", &sup);
    EXPECT_EQ(h.Text(), "abcRED\nx2");
    EXPECT_EQ(h.Send(EM_GETLINECOUNT), 2);
    EXPECT_EQ(h.Send(EM_LINEINDEX, 1), 7);
    CHARFORMAT a = h.FormatOf(0, 3), b = h.FormatOf(3, 6), c = h.FormatOf(8, 9), mixed = h.FormatOf(2, 4);
    EXPECT_TRUE(a.dwEffects & CFE_AUTOCOLOR);
    EXPECT_FALSE(a.dwEffects & CFE_BOLD);
    EXPECT_EQ(b.crTextColor, 0x0000FFu);
    EXPECT_TRUE(b.dwEffects & CFE_BOLD);
    EXPECT_EQ(c.yOffset, 100);
    EXPECT_FALSE(mixed.dwMask & CFM_BOLD);   // the span disagrees on bold
    EXPECT_FALSE(mixed.dwMask & CFM_COLOR);
    EXPECT_TRUE(mixed.dwMask & CFM_SIZE);
}

TEST(RichText, AppendsKeepRunsAndLinesIncremental)
{
    CRichText t;
    CCharFormat f1, f2;
    f2.effects = CFE_BOLD;
    const int i1 = t.Intern(f1), i2 = t.Intern(f2);
    for (int i = 0; i < 1000; ++i) t.Replace(t.Length(), t.Length(), "line\n", i % 2 ? i2 : i1);
    EXPECT_EQ(t.LineCount(), 1001);
    EXPECT_EQ(t.Runs().size(), 1000u);
    EXPECT_EQ(t.FormatIndexAt(5), i2);
    EXPECT_EQ(t.LineFromChar(12), 2);
    // Middle edits keep both indexes right.
    t.Replace(3, 8, "", i1);
    EXPECT_EQ(t.LineCount(), 1000);
    EXPECT_EQ(t.LineStart(1), 5);
    EXPECT_EQ(t.Text().substr(0, 8), "line\nlin");   // "e\nlin" went
}

// The golden fixture: colour, bold, sub- and superscript, protected text,
// high bytes (valid UTF-8, a four-byte character and stray bytes) and the
// characters RTF escapes.
void BuildFixture(Host& h)
{
    CHARFORMAT base = Fmt(CFM_ALL, CFE_AUTOCOLOR);
    base.yHeight = 200;
    strcpy(base.szFaceName, "Courier New");
    h.Send(EM_SETCHARFORMAT, SCF_DEFAULT, (LPARAM)&base);
    h.Append("plain {x} \\ tab\there\n");
    CHARFORMAT red = Fmt(CFM_COLOR | CFM_BOLD, CFE_BOLD, 0x0000FF);
    h.Append("bold red", &red);
    CHARFORMAT back = Fmt(CFM_COLOR | CFM_BOLD, CFE_AUTOCOLOR);
    h.Append(" H", &back);
    CHARFORMAT sub = Fmt(CFM_OFFSET | CFM_SIZE, 0, 0, -60);
    sub.yHeight = 160;
    h.Append("2", &sub);
    CHARFORMAT normal = Fmt(CFM_OFFSET | CFM_SIZE, 0, 0, 0);
    normal.yHeight = 200;
    h.Append("O x", &normal);
    CHARFORMAT sup = Fmt(CFM_OFFSET, 0, 0, 60);
    h.Append("2", &sup);
    h.Append("\n", &normal);
    CHARFORMAT prot = Fmt(CFM_PROTECTED | CFM_COLOR | CFM_FACE, CFE_PROTECTED, 0x00FF00);
    strcpy(prot.szFaceName, "Arial");
    h.Append("caf\xC3\xA9 \xF0\x9F\x98\x80 \xE9\xFF", &prot);
}

const char kGolden[] =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl{\\f0\\fnil Courier New;}{\\f1\\fnil Arial;}}\r\n"
    "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green255\\blue0;}\r\n"
    "\\f0\\fs20 plain \\{x\\} \\\\ tab\\tab here\\par\r\n"
    "\\cf1\\b bold red\\cf0\\b0  H\\fs16\\dn6 2\\fs20\\up0 O x\\up6 2\\up0 \\par\r\n"
    "\\f1\\cf2\\protect caf\\u233? \\u-10179?\\u-8704? \\'e9\\'ff}";

// An offset only raises or lowers the text: sub- and superscript keep the
// size of their run (the characters stay as wide), as do the runs after them.
TEST(RichEdit, OffsetMovesTextWithoutShrinkingIt)
{
    Host h;
    CHARFORMAT base = Fmt(CFM_ALL, CFE_AUTOCOLOR);
    base.yHeight = 200;
    strcpy(base.szFaceName, "Courier New");
    h.Send(EM_SETCHARFORMAT, SCF_DEFAULT, (LPARAM)&base);
    h.Append("xx");
    CHARFORMAT sup = Fmt(CFM_OFFSET, 0, 0, 100);
    h.Append("xx", &sup);
    CHARFORMAT sub = Fmt(CFM_OFFSET, 0, 0, -100);
    h.Append("xxx", &sub);
    auto x = [&](int i) {
        POINT p{};
        h.Send(EM_POSFROMCHAR, (WPARAM)&p, i);
        return (int)p.x;
    };
    const int width = x(1) - x(0);
    ASSERT_GT(width, 0);
    for (int i = 1; i < 6; ++i) EXPECT_EQ(x(i + 1) - x(i), width) << "character " << i;
}

TEST(RichEdit, WritesGoldenRtfAndReadsItBackByteForByte)
{
    Host h;
    BuildFixture(h);
    const std::string rtf = h.Stream(SF_RTF);
    EXPECT_EQ(rtf, kGolden);
    Host again;
    ASSERT_TRUE(again.StreamIn(SF_RTF, rtf));
    EXPECT_EQ(again.Text(), h.Text());
    EXPECT_EQ(again.Stream(SF_RTF), rtf);
    // Text streams and copies use CR LF.
    EXPECT_EQ(h.Stream(SF_TEXT).substr(0, 24), "plain {x} \\ tab\there\r\nbo");
}

TEST(RichEdit, ReadsHandWrittenRtf)
{
    const std::string in =
        "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times;}}{\\*\\generator Some Writer 1.0;}"
        "{\\colortbl;\\red0\\green0\\blue255;}\\pard\\plain\\f0\\fs24 caf\\'e9 \\uc2\\u8364 EU\\uc1\\u8364?"
        "\\line next {\\cf1\\b blue}\\par\n{\\*\\unknown skipped}{\\info{\\title t}}end\\par}";
    CCharFormat base;
    CRtfContent c;
    ASSERT_TRUE(ReadRtf(in, base, &c));
    EXPECT_EQ(c.text, "caf\xE9 \xE2\x82\xAC\xE2\x82\xAC\nnext blue\nend\n");
    // The run of "blue" is blue and bold; its neighbours are not.
    size_t at = c.text.find("blue");
    int run = -1;
    for (size_t i = 0; i < c.runStarts.size(); ++i)
        if ((size_t)c.runStarts[i] <= at) run = (int)i;
    ASSERT_GE(run, 0);
    EXPECT_EQ(c.formats[(size_t)run].color, 0xFF0000u);
    EXPECT_TRUE(c.formats[(size_t)run].effects & CFE_BOLD);
    EXPECT_EQ(c.formats[0].height, 240);
    EXPECT_EQ(c.formats[0].face, "Times");
    EXPECT_FALSE(ReadRtf("plain text", base, &c));
    EXPECT_FALSE(ReadRtf("{\\rtf1 " + std::string(200, '{'), base, &c));   // too deep
}

TEST(RichEdit, RtfMutantsNeverCrashOrOverread)
{
    int rounds = 3000;
    CMutator mut(FuzzSeed(35, rounds));
    const std::vector<std::string> donors = {kGolden, "{\\rtf1{\\*\\x{\\u-1?}}\\'zz\\uc99999999\\u99999999999}",
                                             "{\\rtf1\\fs-5\\cf99999\\f-1 a\\'"};
    CCharFormat base;
    for (int i = 0; i < rounds; ++i) {
        std::string m = mut.Mutate(donors[(size_t)mut.Below(3)], donors);
        FuzzInput current(m);
        // Exact-size copies so ASan sees any read past the input.
        std::vector<char> exact(m.begin(), m.end());
        CRtfContent c;
        if (ReadRtf(std::string_view(exact.data(), exact.size()), base, &c)) {
            EXPECT_EQ(c.formats.size(), c.runStarts.size());
            CRichText t;
            t.Replace(0, 0, c.text, 0);
            WriteRtf(t, 0, t.Length());
        }
    }
}

struct ProtectedCase {
    const char* name;
    int selA, selB;
    UINT msg;
    WPARAM w;
};

TEST(RichEdit, RefusedProtectionKeepsTextOnEveryUserPath)
{
    Host h;
    CHARFORMAT prot = Fmt(CFM_PROTECTED, CFE_PROTECTED);
    h.Append("output>", &prot);
    CHARFORMAT open = Fmt(CFM_PROTECTED, 0);
    h.Send(EM_SETEVENTMASK, 0, ENM_PROTECTED);
    // Something on the clipboard to paste.
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        HGLOBAL g = GlobalAlloc(0, 3);
        memcpy(GlobalLock(g), "ZZ", 3);
        GlobalUnlock(g);
        SetClipboardData(CF_TEXT, g);
        CloseClipboard();
    }
    const ProtectedCase cases[] = {
        {"Delete", 2, 2, WM_KEYDOWN, VK_DELETE}, {"Backspace", 7, 7, WM_CHAR, 8},
        {"Ctrl+V inside", 3, 3, WM_CHAR, 22},    {"Ctrl+V over", 1, 4, WM_CHAR, 22},
        {"Ctrl+X", 0, 3, WM_CHAR, 24},           {"WM_CUT", 0, 7, WM_CUT, 0},
        {"WM_CLEAR", 2, 5, WM_CLEAR, 0},         {"typing inside", 3, 3, WM_CHAR, 'q'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        h.Select(c.selA, c.selB);
        h.Send(c.msg, c.w, 0);
        EXPECT_EQ(h.Text(), "output>");
    }
    EXPECT_GT(h.protectedCount, 0);
    // Typing at the end works, and so do undo and redo of that typing.
    h.Select(7, 7);
    h.Send(EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&open);
    h.Send(WM_CHAR, 'a');
    h.Send(WM_CHAR, 'b');
    EXPECT_EQ(h.Text(), "output>ab");
    h.Send(WM_CHAR, 26);
    EXPECT_EQ(h.Text(), "output>");
    h.Send(WM_CHAR, 25);
    EXPECT_EQ(h.Text(), "output>ab");
    // Once that text is protected, undo cannot take it out.
    h.Select(7, 9);
    h.Send(EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&prot);
    h.Send(WM_CHAR, 26);
    EXPECT_EQ(h.Text(), "output>ab");
    // A program replace of protected text is never checked.
    h.Select(0, 6);
    h.Send(EM_REPLACESEL, 0, (LPARAM) "OUT");
    EXPECT_EQ(h.Text(), "OUT>ab");
    // Allowed by the parent: the edit goes ahead. Without the mask: refused outright.
    h.protectedReply = 0;
    h.Select(3, 4);
    h.Send(WM_KEYDOWN, VK_DELETE);
    EXPECT_EQ(h.Text(), "OUTab");
    h.Send(EM_SETEVENTMASK, 0, 0);
    h.Select(0, 1);
    h.Send(WM_CLEAR);
    EXPECT_EQ(h.Text(), "OUTab");
}

TEST(RichEdit, UndoOfDeleteCannotPutTextInsideProtectedRun)
{
    Host h;
    h.Append("abc");
    h.Select(1, 2);
    h.Send(WM_CLEAR);   // not protected yet
    EXPECT_EQ(h.Text(), "ac");
    h.Select(0, 2);
    CHARFORMAT prot = Fmt(CFM_PROTECTED, CFE_PROTECTED);
    h.Send(EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&prot);
    h.Send(EM_SETEVENTMASK, 0, ENM_PROTECTED);
    h.Send(EM_UNDO);
    EXPECT_EQ(h.Text(), "ac");
}

// Lines of the page log a TextOut put on a recording printer DC.
std::vector<std::string> TextsOf(const std::string& log)
{
    std::vector<std::string> out;
    std::regex re("TextOut [-0-9]+,[-0-9]+ ta=[0-9]+ w=[0-9]+ \"([^\"]*)\"");
    for (std::sregex_iterator it(log.begin(), log.end(), re), end; it != end; ++it) out.push_back((*it)[1]);
    return out;
}

TEST(RichEdit, FormatRangePlacesEachLineOnExactlyOnePage)
{
    Host h;
    std::string text;
    for (int i = 0; i < 200; ++i) text += "line " + std::to_string(i) + "\n";
    h.Append(text);
    HDC dc = CreateRecordingDC(TRUE);
    FORMATRANGE fr{};
    fr.hdc = fr.hdcTarget = dc;
    fr.rcPage = RECT{0, 0, 11906, 16838};
    fr.rc = RECT{720, 720, 11906 - 720, 16838 - 720};
    fr.chrg = CHARRANGE{0, -1};
    std::vector<std::string> all;
    int pages = 0;
    const int len = (int)h.Send(WM_GETTEXTLENGTH);
    while (fr.chrg.cpMin < len && pages < 1000) {
        ClearRecordingLog(dc);
        int next = (int)h.Send(EM_FORMATRANGE, TRUE, (LPARAM)&fr);
        ASSERT_GT(next, fr.chrg.cpMin);
        for (auto& t : TextsOf(GetRecordingLog(dc))) all.push_back(t);
        fr.chrg.cpMin = next;
        ++pages;
    }
    EXPECT_GT(pages, 1);
    std::multiset<std::string> seen(all.begin(), all.end());
    for (int i = 0; i < 200; ++i) EXPECT_EQ(seen.count("line " + std::to_string(i)), 1u) << i;
    h.Send(EM_FORMATRANGE, FALSE, 0);
    // A font larger than the page still ends: one line per page at least.
    h.Select(0, -1);
    CHARFORMAT huge = Fmt(CFM_SIZE, 0);
    huge.yHeight = 30000;
    h.Send(EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&huge);
    fr.chrg = CHARRANGE{0, -1};
    pages = 0;
    while (fr.chrg.cpMin < len && pages < 100000) {
        fr.chrg.cpMin = (int)h.Send(EM_FORMATRANGE, FALSE, (LPARAM)&fr);
        ++pages;
    }
    EXPECT_GE(fr.chrg.cpMin, len);
    DeleteDC(dc);
}

TEST(RichEdit, CopyOffersCrLfTextAndRtf)
{
    ResetHeadlessInput();
    Host h;
    CHARFORMAT bold = Fmt(CFM_BOLD, CFE_BOLD);
    h.Append("one\n", &bold);
    CHARFORMAT notBold = Fmt(CFM_BOLD, 0);
    h.Append("two", &notBold);
    h.Select(0, -1);
    h.Send(WM_COPY);
    const std::vector<unsigned char> text = ClipboardBytes(CF_TEXT);
    EXPECT_EQ(std::string(text.begin(), text.end()), std::string("one\r\ntwo\0", 9));
    const std::vector<unsigned char> rtf = ClipboardBytes(RegisterClipboardFormat(CF_RTF_NAME));
    std::string r(rtf.begin(), rtf.end());
    EXPECT_EQ(r.rfind("{\\rtf1", 0), 0u);
    EXPECT_NE(r.find("\\b one\\par\r\n\\b0 two}"), std::string::npos) << r;
    // Pasting takes the RTF and its formats back.
    h.Select(-1, -1);
    h.Send(WM_PASTE);
    EXPECT_EQ(h.Text(), "one\ntwoone\ntwo");
    EXPECT_TRUE(h.FormatOf(7, 10).dwEffects & CFE_BOLD);
    ResetHeadlessInput();
}

TEST(RichEdit, FindTextFoldsAsciiOnly)
{
    Host h;
    h.Append("Alpha beta \xC3\x89t\xC3\xA9 ALPHA");
    FINDTEXTEX ft{{0, -1}, "alpha", {0, 0}};
    EXPECT_EQ(h.Send(EM_FINDTEXTEX, FR_DOWN, (LPARAM)&ft), 0);
    ft.chrg = CHARRANGE{1, -1};
    EXPECT_EQ(h.Send(EM_FINDTEXTEX, FR_DOWN, (LPARAM)&ft), 17);
    EXPECT_EQ(ft.chrgText.cpMax, 22);
    ft.lpstrText = "\xC3\xA9T\xC3\xA9";   // no folding beyond ASCII
    ft.chrg = CHARRANGE{0, -1};
    EXPECT_EQ(h.Send(EM_FINDTEXTEX, FR_DOWN, (LPARAM)&ft), -1);
    ft.lpstrText = "alpha";
    EXPECT_EQ(h.Send(EM_FINDTEXTEX, FR_DOWN | FR_MATCHCASE, (LPARAM)&ft), -1);
}

TEST(RichEdit, AppendsBelowTheViewRepaintNothingAndKeepTheView)
{
    Host h(WS_CHILD | WS_VISIBLE | ES_MULTILINE | WS_VSCROLL);
    SetWindowPos(h.parent, nullptr, 0, 0, 400, 300, SWP_NOMOVE | SWP_NOZORDER);   // the whole control shows
    ShowWindow(h.parent, SW_SHOW);
    std::string text;
    for (int i = 0; i < 100; ++i) text += "line " + std::to_string(i) + "\n";
    h.Append(text);
    // The reader scrolls back to the top.
    h.Send(EM_LINESCROLL, 0, -1000);
    EXPECT_EQ(h.Send(EM_GETFIRSTVISIBLELINE), 0);
    UpdateWindow(h.parent);
    RECT r;
    EXPECT_FALSE(GetUpdateRect(h.edit, &r, FALSE));
    // Output arrives with the selection hidden, as the output bar writes it.
    h.Send(EM_HIDESELECTION, TRUE);
    for (int i = 0; i < 20; ++i) h.Append("more " + std::to_string(i) + "\n");
    h.Send(EM_HIDESELECTION, FALSE);
    EXPECT_EQ(h.Send(EM_GETFIRSTVISIBLELINE), 0);
    EXPECT_FALSE(GetUpdateRect(h.edit, &r, FALSE));   // nothing on screen changed
    EXPECT_EQ(h.Send(EM_GETLINECOUNT), 121);
    // With the end in view, each append repaints only from its own line down.
    h.Select(-1, -1);
    h.Send(EM_SCROLLCARET);
    EXPECT_GT(h.Send(EM_GETFIRSTVISIBLELINE), 100);
    UpdateWindow(h.parent);
    h.Append("tail\n");
    ASSERT_TRUE(GetUpdateRect(h.edit, &r, FALSE));
    EXPECT_GT(r.top, 0);
}

TEST(RichEdit, SelectionChangesAreReportedWithTheMask)
{
    Host h;
    h.Append("abcdef");
    h.Select(1, 3);
    EXPECT_TRUE(h.selChanges.empty());   // no mask yet
    h.Send(EM_SETEVENTMASK, 0, ENM_SELCHANGE);
    h.Select(2, 4);
    h.Select(2, 4);   // no change, no notice
    h.Send(WM_CHAR, 'x');
    EXPECT_EQ(h.selChanges, (std::vector<std::pair<LONG, LONG>>{{2, 4}, {3, 3}}));
}

TEST(RichEditWrap, LinesWrapAtTheClientWidthWithCaretSelectionAndHitTesting)
{
    Host h;
    const std::string text = "the quick brown fox jumps over the lazy dog and then the fox naps in the warm sun\nend";
    h.Send(WM_SETTEXT, 0, (LPARAM)text.c_str());
    const int lines = (int)h.Send(EM_GETLINECOUNT);
    ASSERT_GT(lines, 2);   // the long line wraps; "end" keeps its own line
    RECT rc;
    GetClientRect(h.edit, &rc);
    POINT first{};
    h.Send(EM_POSFROMCHAR, (WPARAM)&first, 0);
    for (int line = 1; line < lines; ++line) {
        const int start = (int)h.Send(EM_LINEINDEX, line);
        SCOPED_TRACE(line);
        ASSERT_GT(start, 0);
        // Lines break after a blank, every one starts at the left margin, below the one before.
        if (line < lines - 1) EXPECT_EQ(text[(size_t)start - 1], ' ');
        POINT pt{}, prev{};
        h.Send(EM_POSFROMCHAR, (WPARAM)&pt, start);
        h.Send(EM_POSFROMCHAR, (WPARAM)&prev, h.Send(EM_LINEINDEX, line - 1));
        EXPECT_EQ(pt.x, first.x);
        EXPECT_GT(pt.y, prev.y);
        EXPECT_EQ(h.Send(EM_LINEFROMCHAR, start), line);
        // Hit testing finds the line's characters.
        POINT in{pt.x + 1, pt.y + 2};
        EXPECT_EQ(h.Send(EM_CHARFROMPOS, 0, (LPARAM)&in), start);
        // Each line's text fits the width.
        const int end = line + 1 < lines ? (int)h.Send(EM_LINEINDEX, line + 1) : (int)text.size();
        POINT last{};
        h.Send(EM_POSFROMCHAR, (WPARAM)&last, end - 1);
        EXPECT_LT(last.x, rc.right);
    }
    // Down moves the caret onto the next display line, End to its end.
    SetFocus(h.edit);
    h.Send(EM_SETSEL, 4, 4);
    h.Send(WM_KEYDOWN, VK_DOWN);
    CHARRANGE sel{};
    h.Send(EM_EXGETSEL, 0, (LPARAM)&sel);
    EXPECT_EQ(h.Send(EM_LINEFROMCHAR, sel.cpMin), 1);
    // A selection across a break paints on both lines.
    const int second = (int)h.Send(EM_LINEINDEX, 1);
    h.Send(EM_SETSEL, second - 3, second + 3);
    HDC dc = CreateRecordingDC(FALSE);
    h.Send(WM_PRINTCLIENT, (WPARAM)dc, 0);
    const std::string log = GetRecordingLog(dc);
    DeleteDC(dc);
    std::set<std::string> tops;
    std::regex fill("FillRect \\d+,(\\d+),\\d+,\\d+ \\| [^\\n]*brush=SOLID,#0078d7");
    for (std::sregex_iterator it(log.begin(), log.end(), fill), e; it != e; ++it) tops.insert((*it)[1]);
    EXPECT_EQ(tops.size(), 2u) << log;
    // No wrap at 100000 twips: the text's own lines again.
    h.Send(EM_SETTARGETDEVICE, 0, 100000);
    EXPECT_EQ(h.Send(EM_GETLINECOUNT), 2);
    // A wider window wraps into fewer lines.
    h.Send(EM_SETTARGETDEVICE, 0, 0);
    SetWindowPos(h.edit, nullptr, 0, 0, 600, 200, SWP_NOMOVE | SWP_NOZORDER);
    const int wider = (int)h.Send(EM_GETLINECOUNT);
    EXPECT_LT(wider, lines);
    EXPECT_GE(wider, 2);
}

TEST(RichEditWrap, EditsRewrapLikeAFreshLayout)
{
    // Appends, an edit in the middle and a format change: the display lines
    // equal those of a control given the final text at once.
    Host grown, fresh;
    for (int i = 0; i < 12; ++i) {
        grown.Append("line " + std::to_string(i) + " has a few words that wrap once the box is full of them\n");
        grown.Send(EM_GETLINECOUNT);
    }
    grown.Send(EM_SETSEL, 30, 30);
    grown.Send(EM_REPLACESEL, 0, (LPARAM) "and a much longer insertion in the middle of it ");
    CHARFORMAT big{};
    big.cbSize = sizeof big;
    big.dwMask = CFM_SIZE;
    big.yHeight = 400;
    grown.Send(EM_SETSEL, 200, 260);
    grown.Send(EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&big);
    fresh.Send(WM_SETTEXT, 0, (LPARAM)grown.Text().c_str());
    fresh.Send(EM_SETSEL, 200, 260);
    fresh.Send(EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&big);
    const int lines = (int)fresh.Send(EM_GETLINECOUNT);
    ASSERT_EQ(grown.Send(EM_GETLINECOUNT), lines);
    for (int l = 0; l < lines; ++l) EXPECT_EQ(grown.Send(EM_LINEINDEX, l), fresh.Send(EM_LINEINDEX, l)) << l;
}

}  // namespace
