// Line markers: toggling, refusal, order, movement with the text, recorded
// margin geometry and line highlights; a screenshot with markers.
#include <set>

#include "platform/afx/archive.h"
#include "tests/ui_controls/edit_test_util.h"

namespace {
class EditMarkerTest : public EditTest {
protected:
    std::string Record()
    {
        HDC dc = CreateRecordingDC(FALSE);
        CDC cdc(dc);
        edit->Paint(cdc);
        cdc.Detach();
        std::string log = GetRecordingLog(dc);
        DeleteDC(dc);
        return log;
    }
    // "line:type" of every marker in order.
    std::string Lines()
    {
        std::string s;
        for (KyrMarker* m : edit->Markers()) s += std::to_string(m->line) + ":" + std::to_string(m->type) + " ";
        return s;
    }
    static std::vector<std::string> Matching(const std::string& log, const std::string& prefix)
    {
        std::vector<std::string> out;
        size_t at = 0;
        while ((at = log.find(prefix, at)) != std::string::npos) {
            const size_t e = log.find('\n', at);
            out.push_back(log.substr(at, e - at));
            at = e;
        }
        return out;
    }
};
}   // namespace

TEST_F(EditMarkerTest, ToggleRefuseAndOrder)
{
    Open("a\nb\nc");
    EXPECT_TRUE(edit->ToggleMarker(1, KYR_MARK_BREAK));
    EXPECT_EQ(Lines(), "1:1 ");
    EXPECT_FALSE(edit->ToggleMarker(1, KYR_MARK_BREAK));
    EXPECT_EQ(Lines(), "");

    auto* refused = new KyrMarker(0, 0x10);
    EXPECT_EQ(edit->AddMarker(refused), nullptr);
    EXPECT_EQ(Lines(), "");
    delete refused;   // still ours

    edit->AddMarker(new KyrMarker(2, KYR_MARK_CURRENT));
    edit->AddMarker(new KyrMarker(0, KYR_MARK_CURRENT));
    edit->AddMarker(new KyrMarker(0, KYR_MARK_BREAK));
    EXPECT_EQ(Lines(), "0:1 0:8 2:8 ");
    KyrMarker* found = nullptr;
    EXPECT_NE(edit->FindMarker(0, KYR_MARK_CURRENT, &found), nullptr);
    EXPECT_EQ(found->type, (unsigned)KYR_MARK_CURRENT);
    EXPECT_TRUE(edit->RemoveMarkers(0, KYR_MARK_BREAK));
    EXPECT_EQ(Lines(), "0:8 2:8 ");
    edit->RemoveMarkersOfType((unsigned)-1);
    EXPECT_EQ(Lines(), "");

    // A marker's archive reads back what it wrote.
    KyrMarkerEx out(7, KYR_MARK_HIGHLIGHT, 3);
    out.foreground = RGB(1, 2, 3);
    out.fillLine = 1;
    CArchive store(CArchive::store);
    out.Serialize(store);
    CArchive load(CArchive::load, store.Data());
    KyrMarkerEx in;
    in.Serialize(load);
    EXPECT_EQ(in.line, 7);
    EXPECT_EQ(in.type, (unsigned)KYR_MARK_HIGHLIGHT);
    EXPECT_EQ(in.data, 3);
    EXPECT_EQ(in.foreground, RGB(1, 2, 3));
    EXPECT_EQ(in.fillLine, 1);
}

TEST_F(EditMarkerTest, MarkersFollowTheText)
{
    const std::string start = "l0\nl1\nl2\nl3\n";
    struct Row {
        const char* what;
        int from, to;   // a deletion, or from == to: Enter at from
        std::string after;
    } rows[] = {
        {"Enter inside the marked line", 4, 4, "1:1 4:2 "},
        {"Enter at the start of the marked line", 3, 3, "2:1 4:2 "},
        {"Enter at the end of the line above", 2, 2, "2:1 4:2 "},
        {"deleting the marked line", 3, 6, "2:2 "},
        {"deleting within two lines", 4, 7, "1:1 2:2 "},
        {"deleting two lines holding the marked one", 3, 9, "1:2 "},
        {"joining the marked line to the one above", 2, 3, "0:1 2:2 "},
        {"joining the next line to the marked one", 5, 6, "1:1 2:2 "},
        {"typing on the marked line", 0, -1, "1:1 3:2 "},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        Open(start);
        edit->AddMarker(new KyrMarker(1, KYR_MARK_BREAK));
        edit->AddMarker(new KyrMarker(3, KYR_MARK_POSITION));
        if (r.to < 0) {
            Caret(4);
            Type("xy");
        } else if (r.from == r.to) {
            Caret(r.from);
            Key(VK_RETURN);
        } else {
            ASSERT_TRUE(edit->DeleteText(r.from, r.to));
        }
        EXPECT_EQ(Lines(), r.after);
        // Undo puts the text back; markers follow it again.
        while (edit->CanUndo()) edit->Undo(false);
        EXPECT_EQ(edit->Text(), start);
    }
}

// A forced break of an over-long line moves the markers below it.
TEST_F(EditMarkerTest, ForcedBreakMovesMarkersBelow)
{
    Open(std::string(2040, 'a') + "\nz");
    edit->AddMarker(new KyrMarker(0, KYR_MARK_BREAK));
    edit->AddMarker(new KyrMarker(1, KYR_MARK_CURRENT));
    Caret(10);
    ASSERT_TRUE(edit->InsertText(std::string(20, 'b')));
    const int zLine = edit->GetLineOfOffset((int)edit->Text().size() - 1);
    EXPECT_EQ(Lines(), "0:1 " + std::to_string(zLine) + ":8 ");
}

TEST_F(EditMarkerTest, MarginGeometryRecorded)
{
    Open("a\nb\nc\nd\ne\nf\ng\nh\ni\nj\nk\nl\nm\nn\no\np", true, 300, 16 * 3 + 16);
    HFONT f16 = CreateFont(-15, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Liberation Mono");
    edit->SendMessage(WM_SETFONT, (WPARAM)f16, 1);
    ASSERT_EQ(edit->LineHeight(), 16);
    ASSERT_EQ(edit->marginWidth, 20);
    edit->AddMarker(new KyrMarker(1, KYR_MARK_CURRENT));
    edit->AddMarker(new KyrMarker(1, KYR_MARK_BREAK));
    edit->AddMarker(new KyrMarker(2, KYR_MARK_POSITION));
    edit->AddMarker(new KyrMarker(12, KYR_MARK_BREAK));   // below the view
    const std::string log = Record();
    const auto ellipses = Matching(log, "Ellipse ");
    const auto polygons = Matching(log, "Polygon ");
    ASSERT_EQ(ellipses.size(), 1u) << log;
    ASSERT_EQ(polygons.size(), 2u) << log;
    // Line 1: cell 0,16..20,32; d = 4: deflated by 5 across and 2 down.
    EXPECT_EQ(ellipses[0].substr(0, ellipses[0].find(" |")), "Ellipse 5,18,15,30") << ellipses[0];
    EXPECT_NE(ellipses[0].find("pen=NULL"), std::string::npos) << ellipses[0];
    EXPECT_NE(ellipses[0].find("#800000"), std::string::npos) << ellipses[0];
    // The breakpoint draws first, then the arrow of the same line (mid 23).
    EXPECT_LT(log.find("Ellipse "), log.find("Polygon WINDING 4,21") == std::string::npos ? log.find("Polygon ALTERNATE 4,21")
                                                                                           : log.find("Polygon WINDING 4,21"));
    EXPECT_NE(polygons[0].find("4,21 10,21 10,19 15,23 10,27 10,25 4,25"), std::string::npos) << polygons[0];
    EXPECT_NE(polygons[0].find("#ffff00"), std::string::npos) << polygons[0];
    EXPECT_NE(polygons[0].find("pen=NULL"), std::string::npos) << polygons[0];
    // Line 2 (mid 39): the triangle.
    EXPECT_NE(polygons[1].find("5,32 16,39 5,46"), std::string::npos) << polygons[1];
    EXPECT_NE(polygons[1].find("#00ff00"), std::string::npos) << polygons[1];
    edit->SendMessage(WM_SETFONT, (WPARAM)font, 0);
    DeleteObject(f16);
}

TEST_F(EditMarkerTest, HighlightFillsTheRestOfItsLine)
{
    Open("ab\ncd\nef", true, 300, 100);
    auto* m = new KyrMarkerEx(1, KYR_MARK_HIGHLIGHT);
    m->background = RGB(10, 20, 30);
    m->fillLine = 1;
    ASSERT_TRUE(edit->AddMarker(m));
    // Fills of the marker's colour reaching the right edge, on line 1.
    auto wide = [&](const std::string& log) {
        int n = 0;
        for (auto& l : Matching(log, "FillRect "))
            if (l.find("#0a141e") != std::string::npos && l.substr(0, l.find(" |")) == "FillRect 37,14,300,28") ++n;
        return n;
    };
    std::string log = Record();
    EXPECT_EQ(wide(log), 1) << log;
    // Without fillLine only the characters take the colour.
    m->fillLine = 0;
    log = Record();
    EXPECT_EQ(wide(log), 0) << log;
    EXPECT_NE(log.find("FillRect 23,14,37,28 | pen=SOLID,0,#000000 brush=SOLID,#0a141e"), std::string::npos) << log;
}

TEST_F(EditMarkerTest, ScreenshotWithMarkers)
{
    Open("x = 1;\ny = x + 1;\nwhile y > 0\n  y = y - 1;\nend\ndisp(y);\n", false, 320, 140);
    edit->ToggleMarker(1, KYR_MARK_BREAK);
    edit->ToggleMarker(3, KYR_MARK_BREAK);
    edit->AddMarker(new KyrMarker(3, KYR_MARK_CURRENT));
    edit->AddMarker(new KyrMarker(5, KYR_MARK_POSITION));
    auto* hl = new KyrMarkerEx(3, KYR_MARK_HIGHLIGHT);
    hl->background = RGB(255, 255, 192);
    hl->fillLine = 1;
    edit->AddMarker(hl);
    edit->Invalidate(FALSE);
    UpdateWindow(host->m_hWnd);
    Pump();
    std::vector<uint32_t> pixels;
    SIZE size;
    ASSERT_TRUE(HeadlessCopySurface(host->m_hWnd, &pixels, &size));
    std::set<uint32_t> seen(pixels.begin(), pixels.end());
    EXPECT_TRUE(seen.count(0x800000));
    EXPECT_TRUE(seen.count(0x00FF00));
    EXPECT_TRUE(seen.count(0xFFFF00));
    EXPECT_TRUE(seen.count(0xFFFFC0));
    const std::filesystem::path png = EditArtifactDir() / "editor_markers.png";
    ASSERT_TRUE(HeadlessSavePng(host->m_hWnd, png.string()));
}
