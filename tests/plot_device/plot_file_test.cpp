// Plot files: the bytes a figure writes, golden files read and written back
// unchanged, and damaged or hostile files refused without touching anything.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

#include "devices/plot_blocks.h"
#include "platform/afx/document.h"
#include "platform/gdi/gdi.h"
#include "support/fuzz_support.h"
#include "support/mutator.h"
#include "platform/user/geometry.h"
#include "plot_device/plot_figure.h"

namespace {

class FileFigure : public CPlotFigure {
public:
    void GetFigureClientRect(RECT* r) override { *r = RECT{0, 0, 430, 430}; }
};

std::string DataPath(const char* name) { return std::string(getenv("VELDRA_SOURCE")) + "/tests/plot_device/data/" + name; }

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Goldens are made by this code once (VELDRA_WRITE_GOLDEN=1) and checked by eye
// in a hex dump; afterwards they pin the format.
std::string Golden(const char* name, const std::string& made)
{
    if (getenv("VELDRA_WRITE_GOLDEN")) std::ofstream(DataPath(name), std::ios::binary) << made;
    return ReadBytes(DataPath(name));
}

void Plot(CPlotFigure& f, int col, int row, std::vector<PlotTextOption> planeOptions = {})
{
    std::vector<uint8_t> buf(1 << 14);
    CPlotBlockWriter w(buf.data(), buf.size());
    w.Head("F", col, row, -1);
    w.Options(planeOptions);
    w.U32(1);
    w.U32(3);
    for (double v : {0.0, 1.0, 1.0, 3.0, 2.0, 2.0}) w.F64(v);
    w.Options({});
    buf.resize(w.Written());
    f.ReadPlot2d(buf.data(), buf.size(), 0);
}

WINDOWPLACEMENT Placement()
{
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    wp.showCmd = 1;
    wp.rcNormalPosition = RECT{40, 50, 470, 520};
    return wp;
}

std::string TwoPlaneFile()
{
    FileFigure f;
    Plot(f, 1, 1, {{"title", "first"}});
    Plot(f, 2, 1, {{"graphcolor", "255"}});
    f.SetViewSize(640, 480);
    std::string bytes;
    EXPECT_TRUE(WritePlotFile(f, Placement(), bytes));
    return bytes;
}

void PutI32(std::string& bytes, size_t at, int32_t v) { std::memcpy(&bytes[at], &v, 4); }

}  // namespace

TEST(PlotFile, FreshFigureIs63BytesAndReadsBackEmpty)
{
    FileFigure fresh;
    WINDOWPLACEMENT wp{};
    std::string bytes;
    ASSERT_TRUE(WritePlotFile(fresh, wp, bytes));
    ASSERT_EQ(bytes.size(), 63u);
    EXPECT_EQ(bytes, Golden("fresh.qra", bytes));
    EXPECT_EQ(bytes.substr(44, 7), "QRv1.24");
    EXPECT_EQ(bytes.substr(51), std::string(12, '\0'));

    FileFigure back;
    WINDOWPLACEMENT got{};
    ASSERT_TRUE(ReadPlotFile(bytes, got, back));
    EXPECT_TRUE(back.m_planes.empty());
    EXPECT_EQ(back.m_rows, 1);
    EXPECT_EQ(back.m_cols, 1);
}

TEST(PlotFile, GoldenSurvivesReadAndWriteByteForByte)
{
    const std::string made = TwoPlaneFile();
    const std::string golden = Golden("two_planes.qra", made);
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(made, golden);

    FileFigure back;
    WINDOWPLACEMENT wp{};
    ASSERT_TRUE(ReadPlotFile(golden, wp, back));
    ASSERT_EQ(back.m_planes.size(), 2u);
    EXPECT_EQ(back.m_planes[0]->title, "first");
    EXPECT_EQ(back.m_planes[1]->m_col, 2);
    EXPECT_EQ(back.m_cols, 2);
    EXPECT_EQ(back.GetViewSize().cx, 640);
    EXPECT_EQ(back.GetViewSize().cy, 480);
    EXPECT_TRUE(back.m_pending.empty());
    EXPECT_EQ(std::memcmp(&wp, golden.data(), 44), 0);
    EXPECT_TRUE(UsablePlotPlacement(wp));

    std::string again;
    ASSERT_TRUE(WritePlotFile(back, wp, again));
    EXPECT_EQ(again, golden);
}

TEST(PlotFile, HostileNumberFormatKeepsItsBytes)
{
    FileFigure f;
    Plot(f, 1, 1);
    f.m_planes[0]->numberFormat = "%s%n";
    std::string bytes, again;
    ASSERT_TRUE(WritePlotFile(f, WINDOWPLACEMENT{}, bytes));
    FileFigure back;
    WINDOWPLACEMENT wp{};
    ASSERT_TRUE(ReadPlotFile(bytes, wp, back));
    EXPECT_EQ(back.m_planes[0]->numberFormat, "%s%n");
    ASSERT_TRUE(WritePlotFile(back, wp, again));
    EXPECT_EQ(again, bytes);
}

TEST(PlotFile, WrittenToAFileAsMadeItHoldsTheSameBytes)
{
    // The document's save writes through a block to the file; the bytes are
    // those made in memory, for small figures and for one of several blocks.
    for (uint32_t points : {3u, 200000u}) {
        FileFigure f;
        Plot(f, 1, 1, {{"title", "big"}});
        Plot(f, 2, 1);
        CGraphObject& o = *f.m_planes[0]->objects[0];
        Point2D* p = o.AllocPoints(points);
        for (uint32_t i = 0; i < points; i++) p[i] = Point2D{i * 0.5, std::sin(i * 0.001)};
        std::string made;
        ASSERT_TRUE(WritePlotFile(f, Placement(), made));
        const std::string path = testing::TempDir() + "/plot-file-" + std::to_string(getpid()) + ".qra";
        ASSERT_TRUE(AfxWriteFileAtomically(path, [&](int fd) { return WritePlotFile(f, Placement(), fd); }));
        EXPECT_TRUE(ReadBytes(path) == made) << points;
        EXPECT_GT(made.size(), points * 16);
        std::filesystem::remove(path);
    }
}

TEST(PlotFile, DamagedFilesAreRefusedWithoutTouchingTheFigure)
{
    const std::string good = TwoPlaneFile();
    // One empty plane: its graph body ends with the object count.
    FileFigure one;
    bool created = false;
    one.GetPlane(1, 1, created);
    std::string emptyPlane;
    ASSERT_TRUE(WritePlotFile(one, WINDOWPLACEMENT{}, emptyPlane));

    constexpr size_t kCount = 59, kPlane = 63;  // plane count, first plane record
    std::vector<std::pair<std::string, std::string>> cases;
    for (size_t at = 44; at <= 50; at++) {
        std::string b = good;
        b[at] ^= 0x20;
        cases.emplace_back("magic byte " + std::to_string(at), b);
    }
    for (size_t cut : {size_t(0), size_t(43), size_t(50), size_t(58), kPlane + 10, good.size() - 1})
        cases.emplace_back("cut at " + std::to_string(cut), good.substr(0, cut));
    {
        std::string b = emptyPlane;
        PutI32(b, kCount, 0x7FFFFFFF);
        cases.emplace_back("count 2^31-1 with one plane", b);
    }
    for (auto [off, v] : {std::pair{16, 0}, {16, 801}, {20, 0}, {20, 801}}) {
        std::string b = good;
        PutI32(b, kPlane + off, v);
        cases.emplace_back("cell word " + std::to_string(off) + " = " + std::to_string(v), b);
    }
    for (size_t at : {size_t(51), size_t(55)}) {
        std::string b = good;
        PutI32(b, at, 1000000000);
        cases.emplace_back("size " + std::to_string(at), b);
    }
    {
        std::string b = emptyPlane;
        PutI32(b, b.size() - 4, (int32_t)0xFFFFFFFF);
        cases.emplace_back("object count 0xFFFFFFFF", b);
    }
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        FileFigure scratch;
        WINDOWPLACEMENT wp = Placement();
        const WINDOWPLACEMENT before = wp;
        EXPECT_FALSE(ReadPlotFile(bytes, wp, scratch));
        EXPECT_EQ(std::memcmp(&wp, &before, sizeof wp), 0);
    }
}

// Rectangles at the ends of the 32-bit range (a plane's box, the window
// placement) are bounded as they are read, so drawing the figure computes
// every screen position without overflow.
// A file may put two planes into one cell: the first answers for it, and
// the second once the first has gone.
TEST(PlotFile, TwoPlanesOfOneCellAnswerInTurn)
{
    constexpr size_t kFirstCol = 63 + 20;   // the first plane's record: its box, row, then column
    std::string b = TwoPlaneFile();
    PutI32(b, kFirstCol, 2);
    FileFigure f;
    WINDOWPLACEMENT wp{};
    ASSERT_TRUE(ReadPlotFile(b, wp, f));
    ASSERT_EQ(f.m_planes.size(), 2u);
    CPlotPlane* first = f.m_planes[0].get();
    CPlotPlane* second = f.m_planes[1].get();
    EXPECT_EQ(first->title, "first");
    EXPECT_EQ(f.FindPlane(1, 2), first);
    EXPECT_EQ(f.FindPlane(1, 1), nullptr);
    EXPECT_EQ(f.m_cols, 2);
    ASSERT_TRUE(f.RemovePlane(first));
    EXPECT_EQ(f.FindPlane(1, 2), second);
    ASSERT_TRUE(f.RemovePlane(second));
    EXPECT_EQ(f.FindPlane(1, 2), nullptr);
    f.RecalcGrid();
    EXPECT_EQ(f.m_cols, 1);
}

TEST(PlotFile, ExtremeRectanglesAreBoundedAsTheyAreRead)
{
    constexpr size_t kPlane = 63, kNormal = 28;   // first plane's box, the placement's normal rectangle
    const int32_t ends[][4] = {{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
                               {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN},
                               {INT32_MAX - 1, 0, INT32_MAX, 10}};
    for (const auto& box : ends) {
        std::string b = TwoPlaneFile();
        for (int i = 0; i < 4; i++) {
            PutI32(b, kPlane + 4 * i, box[i]);
            PutI32(b, kNormal + 4 * i, box[i]);
        }
        FileFigure f;
        WINDOWPLACEMENT wp{};
        ASSERT_TRUE(ReadPlotFile(b, wp, f));
        for (LONG v : {wp.rcNormalPosition.left, wp.rcNormalPosition.top, wp.rcNormalPosition.right,
                       wp.rcNormalPosition.bottom}) {
            EXPECT_GE(v, -kCoordLimit);
            EXPECT_LE(v, kCoordLimit);
        }
        for (CPlotPlane* p : f.PlaneSnapshot())
            for (LONG v : {p->outerRect.left, p->outerRect.top, p->outerRect.right, p->outerRect.bottom}) {
                EXPECT_GE(v, -32767);
                EXPECT_LE(v, 32767);
            }
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP bmp = CreateCompatibleBitmap(dc, 64, 64);
        HGDIOBJ old = SelectObject(dc, bmp);
        f.Draw(dc, true);
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
    }
}

// Mutated plot files are read whole or refused; a refused one leaves the
// placement (and the open figure, which only takes a scratch figure's planes
// after a whole read) as it was; one that reads writes back and reads again.
TEST(PlotFile, MutatedFilesAreReadWholeOrRefused)
{
    FileFigure one;
    bool created = false;
    one.GetPlane(1, 1, created);
    std::string emptyPlane;
    ASSERT_TRUE(WritePlotFile(one, Placement(), emptyPlane));
    const std::vector<std::string> seeds = {TwoPlaneFile(), emptyPlane};
    int rounds = 3000;
    CMutator m(FuzzSeed(650, rounds));
    for (int i = 0; i < rounds; i++) {
        const std::string bytes = m.Mutate(seeds[(size_t)m.Below((int)seeds.size())], seeds);
        FuzzInput current(bytes);
        FileFigure scratch;
        WINDOWPLACEMENT wp = Placement();
        const WINDOWPLACEMENT before = wp;
        if (!ReadPlotFile(bytes, wp, scratch)) {
            ASSERT_EQ(std::memcmp(&wp, &before, sizeof wp), 0) << Escaped(bytes);
            continue;
        }
        std::string again;
        ASSERT_TRUE(WritePlotFile(scratch, wp, again));
        FileFigure back;
        WINDOWPLACEMENT wp2{};
        ASSERT_TRUE(ReadPlotFile(again, wp2, back)) << Escaped(bytes);
        std::string third;
        ASSERT_TRUE(WritePlotFile(back, wp2, third));
        ASSERT_EQ(third, again) << Escaped(bytes);
    }
}

TEST(PlotFile, UnusablePlacementsAreIgnored)
{
    WINDOWPLACEMENT wp = Placement();
    EXPECT_TRUE(UsablePlotPlacement(wp));
    for (UINT show : {0u, 4u, 9u}) {
        wp = Placement();
        wp.showCmd = show;
        EXPECT_FALSE(UsablePlotPlacement(wp)) << show;
    }
    wp = Placement();
    wp.rcNormalPosition = RECT{100, 100, 100, 300};
    EXPECT_FALSE(UsablePlotPlacement(wp));
    wp.rcNormalPosition = RECT{-90000, -90000, -80000, -80000};
    EXPECT_FALSE(UsablePlotPlacement(wp));
}

// Programs run by the interpreter with VELDRA_PLOT_SAVE_DIR leave the figures
// they plotted, saved as their windows close.
TEST(PlotFile, ProgramsLeaveTheirFiguresAsGoldens)
{
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("quorra-save-" + std::to_string(getpid()));
    const std::string veldra = std::string(getenv("VELDRA_OUT")) + "/veldra";
    struct Case {
        const char* name;
        const char* program;
        std::vector<const char*> files;
        int status = 0;
    };
    const std::vector<Case> cases = {
        {"red", "plot #F ([1, 2]: graphcolor=\"red\");\n", {"F"}},
        {"first_kept", "plot #F ([1, 2]); plot foo #F ([3, 4]);\n", {"F"}, 1},
        {"posplot", "posplot 1, 2; plot #F ([1, 2]);\n", {"F"}},
        {"precision", "plot #F ([1, 2]); setplot #F precision=3;\n", {"F"}},
        {"kinds_2x2",
         "posplot 1, 1; plot #K ([1, 4, 9]: title=\"squares\");\n"
         "posplot 1, 2; plot #K ([1, 10, 100]: ylog=1);\n"
         "posplot 2, 1; plot #K ([1, 2, 3]: axis=\"polar\");\n"
         "posplot 2, 2; plot #K ([3, 1, 2]: kind=\"bar\");\n",
         {"K"}},
        // A clear names its window too; with no plane chosen it removes every
        // plane, with one chosen only that one.
        {"clear_first", "clrplot #F;\n", {"F"}},
        {"clear_any", "posplot 1, 1; plot #F ([1, 2]); posplot 1, 2; plot #F ([3, 4]); posplot *; clrplot #F;\n", {"F"}},
        {"clear_one", "posplot 1, 1; plot #F ([1, 2]); posplot 1, 2; plot #F ([3, 4]); clrplot #F;\n", {"F"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        const std::filesystem::path prog = dir / "p.vdx";
        std::ofstream(prog) << c.program;
        const std::string cmd = "VELDRA_PLOT_SAVE_DIR='" + dir.string() + "' timeout 60 '" + veldra + "' --run '" +
                                prog.string() + "' >/dev/null 2>&1";
        const int rc = std::system(cmd.c_str());
        ASSERT_TRUE(WIFEXITED(rc));
        EXPECT_EQ(WEXITSTATUS(rc), c.status);
        for (const char* file : c.files) {
            SCOPED_TRACE(file);
            const std::string made = ReadBytes((dir / (std::string(file) + ".qra")).string());
            ASSERT_FALSE(made.empty());
            const std::string golden = Golden((std::string("run_") + c.name + "_" + file + ".qra").c_str(), made);
            EXPECT_EQ(made, golden);
        }
        EXPECT_EQ((size_t)std::distance(std::filesystem::directory_iterator(dir), {}), c.files.size() + 1);
    }
    std::filesystem::remove_all(dir);
}
