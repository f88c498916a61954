// The graph body: golden bytes, round trips and damaged streams.
#include <gtest/gtest.h>

#include <cstring>

#include "graphics/graph.h"
#include "support/fuzz_support.h"
#include "support/mutator.h"
#include "values/byte_stream.h"

namespace {

// A default graph (library defaults: "Arial" 30/14/18, title above) without objects.
const char kEmptyGraph[] =
    "0100000000000105000000417269616c1e000000000000000000000005000000417269616c0e00000004000000252e366701"
    "05000000417269616c1200000000000000646464000000008001000303010000000100000000000000000000006400000000"
    "00000000000000000000000000000000000000000000000000000000000000000000000000000000000000";
// The same graph with one default object holding (1, 2) and (3, 4).
const char kOneObject[] =
    "0100000000000105000000417269616c1e000000000000000000000005000000417269616c0e00000004000000252e366701"
    "05000000417269616c1200000000000000646464000000008001000303010000000100000000000000000000006400000000"
    "0000000000000000000000000000000000000000000000000000000000000000000000000000000100000001010000000000"
    "0000000001ffffffff010001000000000000000000000000000000000000feff000000000000000000000000000000000000"
    "02000000000000000000f03f000000000000004000000000000008400000000000001040";

std::string FromHex(const char* hex)
{
    std::string b;
    for (size_t i = 0; hex[i] && hex[i + 1]; i += 2) b += (char)std::stoi(std::string(hex + i, 2), nullptr, 16);
    return b;
}

std::string Write(const CGraph& g)
{
    CMemStream s;
    EXPECT_TRUE(g.WriteToStream(s));
    return std::string((const char*)s.Data(), s.GetLength());
}

bool Read(CGraph& g, const std::string& bytes)
{
    CMemStream s;
    s.Attach(bytes.data(), bytes.size());
    return g.ReadFromStream(s);
}

CGraphObject* AddObject(CGraph& g, std::vector<Point2D> pts)
{
    g.objects.emplace_back(g.NewObject(nullptr));
    g.objects.back()->SetPointsFrom(pts);
    return g.objects.back().get();
}

}  // namespace

TEST(GraphStream, GoldenBodiesAreWrittenAndReadByteForByte)
{
    CGraph g;
    std::string empty = Write(g);
    EXPECT_EQ(empty.size(), 143u);
    EXPECT_EQ(empty, FromHex(kEmptyGraph));
    AddObject(g, {{1, 2}, {3, 4}});
    std::string one = Write(g);
    EXPECT_EQ(one.size(), 236u);
    EXPECT_EQ(one, FromHex(kOneObject));

    CGraph r;
    AddObject(r, {{9, 9}});
    ASSERT_TRUE(Read(r, one));
    ASSERT_EQ(r.objects.size(), 1u);
    EXPECT_EQ(r.objects[0]->Count(), 2u);
    EXPECT_EQ(r.objects[0]->Points()[1].y, 4);
    EXPECT_EQ(Write(r), one);
    ASSERT_TRUE(Read(r, FromHex(kEmptyGraph)));
    EXPECT_TRUE(r.objects.empty());

    // An object with empty strings takes 61 bytes and 16 per point.
    AddObject(g, {});
    EXPECT_EQ(Write(g).size(), 236u + 61);

    // The plot device's plane defaults.
    CGraph plane;
    plane.titleFont = plane.axisFont = plane.legendFont = "Times New Roman";
    EXPECT_EQ(Write(plane).size(), 173u);
}

TEST(GraphStream, EveryFieldRoundTrips)
{
    CGraph g;
    g.persistFlag = 2;
    g.stateFlag = 3;
    g.title = "T";
    g.titlePosition = 2;
    g.titleFont = "Times New Roman";
    g.titleFontSize = 31;
    g.xLabel = "x";
    g.yLabel = "yy";
    g.axisFont = "Courier";
    g.axisFontSize = 15;
    g.numberFormat = "%.3f";
    g.legendPosition = 4;
    g.legendFont = "Tahoma";
    g.legendFontSize = 19;
    g.foreColor = 0x010203;
    g.gridColor = 0x040506;
    g.background = 0x070809;
    g.axisStyle = 2;
    g.equalAxes = 1;
    g.xAxisFlags = 0x21;
    g.yAxisFlags = 0x12;
    g.xTickCount = 7;
    g.yTickCount = 8;
    g.xLog = 1;
    g.yLog = 10;
    g.tickSpacing = 77;
    g.polarOffset = -0.5;
    double lim[4] = {1, 20, 30, 2};
    std::copy(lim, lim + 4, g.limits);
    CGraphObject* o = AddObject(g, {{1, -0.0}, {2, 1e300}, {-3, 4.5}});
    o->visible = 0;
    o->flagB = 2;
    o->flagC = 3;
    o->legend = "leg";
    o->boxLegend = "box";
    o->inLegend = 4;
    o->id = 17;
    o->kind = 3;
    o->color = 0xAABBCC;
    o->penStyle = 4;
    o->penWidth = 5;
    o->marker = 6;
    o->markerAux = 7;
    o->fillColor = 0x112233;
    o->fillStyle = 5;
    o->pointerFlags = 0x13;
    o->pointer = Point2D{1.25, -2.5};
    o->extraByte = 9;
    AddObject(g, {})->kind = 4;

    std::string bytes = Write(g);
    CGraph r;
    ASSERT_TRUE(Read(r, bytes));
    EXPECT_EQ(Write(r), bytes);
    EXPECT_EQ(r.title, "T");
    EXPECT_EQ(r.titlePosition, 2);
    EXPECT_EQ(r.yLabel, "yy");
    EXPECT_EQ(r.numberFormat, "%.3f");
    EXPECT_EQ(r.background, 0x070809u);
    EXPECT_EQ(r.yLog, 10);
    EXPECT_EQ(r.polarOffset, -0.5);
    for (int i = 0; i < 4; i++) EXPECT_EQ(r.limits[i], lim[i]);
    ASSERT_EQ(r.objects.size(), 2u);
    const CGraphObject& a = *r.objects[0];
    EXPECT_EQ(a.visible, 0);
    EXPECT_EQ(a.flagB, 2);
    EXPECT_EQ(a.flagC, 3);
    EXPECT_EQ(a.boxLegend, "box");
    EXPECT_EQ(a.inLegend, 4);
    EXPECT_EQ(a.id, 17);
    EXPECT_EQ(a.kind, 3);
    EXPECT_EQ(a.penWidth, 5);
    EXPECT_EQ(a.fillStyle, 5);
    EXPECT_EQ(a.pointerFlags, 0x13);
    EXPECT_EQ(a.pointer.y, -2.5);
    EXPECT_EQ(a.extraByte, 9);
    EXPECT_TRUE(std::signbit(a.Points()[0].y));
    EXPECT_EQ(r.objects[1]->kind, 1);  // kind 4 is stored as 1
    EXPECT_EQ(r.objects[1]->Points(), nullptr);
}

TEST(GraphStream, TheSecondVisibleAndFlagCWin)
{
    std::string b = FromHex(kOneObject);
    // Object body at 143: visible, flagB, flagC, two empty strings, inLegend, id, then the repeats.
    const size_t repeat = 143 + 3 + 8 + 1 + 4;
    ASSERT_EQ(b[repeat], 1);
    b[repeat] = 0;
    b[repeat + 1] = 5;
    b[repeat + 2] = 4;  // kind 4 read as is, drawn as a line
    CGraph r;
    ASSERT_TRUE(Read(r, b));
    EXPECT_EQ(r.objects[0]->visible, 0);
    EXPECT_EQ(r.objects[0]->flagC, 5);
    EXPECT_EQ(Write(r)[repeat + 2], 1);
}

TEST(GraphStream, DamagedBodiesFailWithoutLeaksOrHugeAllocations)
{
    const std::string one = FromHex(kOneObject);
    for (size_t n = 0; n < one.size(); n++) {
        CGraph r;
        EXPECT_FALSE(Read(r, one.substr(0, n))) << n;
    }
    // Counts that the remaining bytes cannot hold.
    std::string manyObjects = FromHex(kEmptyGraph);
    std::memset(&manyObjects[139], 0xFF, 4);
    CGraph r;
    AddObject(r, {{5, 5}});
    EXPECT_FALSE(Read(r, manyObjects));
    EXPECT_EQ(r.objects.size(), 1u);
    std::string manyPoints = one;
    const uint32_t count = 0x10000001;
    std::memcpy(&manyPoints[143 + 57], &count, 4);
    EXPECT_FALSE(Read(r, manyPoints));
    EXPECT_TRUE(r.objects.empty());

    // Bad limits in a file are corrected as SetLimits would.
    std::string badLimits = FromHex(kEmptyGraph);
    const double inf = 1.0 / 0.0 * 1;
    std::memcpy(&badLimits[107 + 16], &inf, 8);
    ASSERT_TRUE(Read(r, badLimits));
    EXPECT_TRUE(std::isfinite(r.limits[BOX_RIGHT]));
    EXPECT_GT(r.limits[BOX_RIGHT], r.limits[BOX_LEFT]);
}

TEST(GraphStream, MutatedBodiesNeverCrash)
{
    CGraph g;
    g.title = "title";
    g.numberFormat = "%s%n%s";
    AddObject(g, {{1, 2}, {3, 4}, {5, 6}})->legend = "a";
    AddObject(g, {{-1, 0}})->kind = 2;
    const std::vector<std::string> seeds = {FromHex(kOneObject), Write(g), FromHex(kEmptyGraph)};
    int rounds = 20000;
    CMutator m(FuzzSeed(31, rounds));
    for (int i = 0; i < rounds; i++) {
        const std::string& base = seeds[(size_t)m.Below((int)seeds.size())];
        std::string bytes = m.Mutate(base, seeds);
        FuzzInput current(bytes);
        CGraph r;
        if (Read(r, bytes)) {
            // Whatever was read writes back and reads again to the same bytes.
            std::string again = Write(r);
            CGraph r2;
            ASSERT_TRUE(Read(r2, again));
            ASSERT_EQ(Write(r2), again);
            std::string text;
            r.FormatTickLabelX(1.5, text);
            r.FormatTickLabelY(-2, text);
        }
    }
}
