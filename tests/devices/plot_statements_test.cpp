// The plot statements without a device: parsing, statuses, the records the
// device will read, and the current-plot state.
#include <gtest/gtest.h>

#include "devices/plot_statements.h"
#include "interpreter/statements/program_harness.h"

namespace {

void EnsurePlotGroup()
{
    EnsureBasicGroup();
    CStatementModuleList::AddGroup(RegisterPlotStatements());
}

// Translates text into block; the translator's status.
StatusWord Translate(CTestProgram& block, const std::string& text)
{
    EnsurePlotGroup();
    std::istringstream in(text);
    CCaptureStream cap;
    return TranslateBlock(&block, in) & STATUS_CODE_MASK;
}

template <class T>
T* Only(CTestProgram& block)
{
    EXPECT_EQ(block.Count(), 1);
    return dynamic_cast<T*>(block.At(0));
}

TEST(PlotStatements, GroupRecordAndKeywordTable)
{
    CmdrInfo* g = RegisterPlotStatements();
    EXPECT_STREQ(g->title, "Plot statements");
    EXPECT_STREQ(g->description, "Graphic output statements");
    ASSERT_EQ(g->statementCount, 9);
    const char* keywords[] = {"plot2d", "posplot", "subplot", "clrplot", "hldplot",
                              "setplot", "dimplot", "bndplot", "plot"};
    for (int i = 0; i < 9; ++i) {
        EXPECT_STREQ(g->statements[i].keyword, keywords[i]);
        EXPECT_EQ(g->statements[i].code, 140 + i);
        CStatement* st = g->CreateStatement(140 + i, nullptr);
        EXPECT_NE(st, nullptr);
        delete st;
    }
    EXPECT_EQ(g->CreateStatement(149, nullptr), nullptr);
    EXPECT_EQ(g->Query(0), -1);
    EXPECT_STREQ(g->statements[7].example, "bndplot 0,10;");
    EXPECT_STREQ(g->statements[6].help, "dimplot #HANDLE X,Y;\r\ndimplot #HANDLE *;\r\nAssigns a size of an view window");
}

TEST(PlotStatements, TranslationStatuses)
{
    struct Case {
        const char* text;
        int status;
    };
    const Case cases[] = {
        {"plot;", ERR_EMPTY_STATEMENT},
        {"plot #h;", ERR_UNEXPECTED_END},
        {"plot #h (X,Y);", 0},
        {"plot (X,Y;", ERR_SYNTAX},
        {"plot X, Y);", ERR_UNEXPECTED_RPAREN},
        {"plot (X,,Y);", ERR_EMPTY_STATEMENT},
        {"plot (X,Y: color=);", ERR_EMPTY_STATEMENT},
        {"plot (X,Y), title=1;", 0},
        {"plot2d #h;", ERR_SYNTAX},
        {"plot2d X,Y;", ERR_SYNTAX},
        {"plot2d (X);", 0},
        {"plot2d (,Y);", ERR_EMPTY_STATEMENT},
        {"plot2d (X,);", ERR_EMPTY_STATEMENT},
        {"plot2d (X,Y;", ERR_SYNTAX},
        {"plot2d (X:Y);", ERR_COLON_PLACEMENT},
        {"plot2d (X,Y), color=;", ERR_EMPTY_STATEMENT},
        {"plot2d (X,Y), color;", ERR_SYNTAX},
        {"plot2d (X,Y), a=1, b=2;", 0},
        {"plot2d #1x (X,Y);", ERR_INTERNAL},
        {"hldplot;", 0},
        {"hldplot on;", 0},
        {"hldplot off;", 0},
        {"hldplot ON;", ERR_SYNTAX},
        {"hldplot (;", ERR_SYNTAX},
        {"posplot *;", 0},
        {"posplot * 1;", ERR_SYNTAX},
        {"posplot 1,2;", 0},
        {"posplot 1,2,3;", ERR_COMMA_PLACEMENT},
        {"subplot *;", 0},
        {"subplot 1,2;", ERR_COMMA_PLACEMENT},
        {"clrplot h;", ERR_UNEXPECTED_ENTRY},
        {"clrplot #h;", 0},
        {"clrplot #h x;", ERR_SYNTAX},
        {"clrplot #;", ERR_INTERNAL},
        {"setplot #F linewidth=2, Color=\"red\";", 0},
        {"setplot #F;", ERR_SYNTAX},
        {"setplot F a=1;", ERR_UNEXPECTED_ENTRY},
        {"dimplot #F 400,300;", 0},
        {"dimplot #F *;", 0},
        {"dimplot #F 1,2,3;", ERR_SYNTAX},
        {"dimplot #F 1);", ERR_SYNTAX},
        {"bndplot #F ,,0,1;", 0},
        {"bndplot #F *;", 0},
        {"bndplot #F 1,2,3,4,5;", ERR_SYNTAX},
    };
    for (const Case& c : cases) {
        CTestProgram block;
        EXPECT_EQ(Translate(block, c.text), c.status) << c.text;
    }
}

TEST(PlotStatements, InvalidHandleNameIsReported)
{
    EnsurePlotGroup();
    CTestProgram block;
    CCaptureStream cap;
    std::istringstream in("clrplot #9;");
    TranslateBlock(&block, in);
    ASSERT_FALSE(cap.messages.empty());
    EXPECT_EQ(cap.messages[0], "Error: Invalid a plot handle name");
}

TEST(PlotStatements, PlotCommandWordAndSeriesRecords)
{
    {
        CTestProgram block;
        ASSERT_EQ(Translate(block, "plot X, Y;"), 0);
        CPlotStatement* st = Only<CPlotStatement>(block);
        ASSERT_NE(st, nullptr);
        EXPECT_EQ(st->text.command, "");
        EXPECT_EQ(st->text.figure, "");
        EXPECT_EQ(st->handleVariable, nullptr);
        ASSERT_EQ(st->text.seriesCount, 1u);
        EXPECT_EQ(st->text.series[0]->itemCount, 2u);
        EXPECT_EQ(st->text.series[0]->optionCount, 0u);
        EXPECT_EQ(st->text.optionCount, 0u);
    }
    {
        CTestProgram block;
        ASSERT_EQ(Translate(block, "plot cart (X,Y);"), 0);
        CPlotStatement* st = Only<CPlotStatement>(block);
        ASSERT_NE(st, nullptr);
        EXPECT_EQ(st->text.command, "cart");
        EXPECT_EQ(st->text.seriesCount, 1u);
    }
    {
        CTestProgram block;
        ASSERT_EQ(Translate(block, "plot X, Y: color=1;"), 0);
        CPlotStatement* st = Only<CPlotStatement>(block);
        ASSERT_NE(st, nullptr);
        ASSERT_EQ(st->text.seriesCount, 1u);
        EXPECT_EQ(st->text.series[0]->itemCount, 2u);
        ASSERT_EQ(st->text.series[0]->optionCount, 1u);
        EXPECT_EQ(st->text.series[0]->options[0]->name, "color");
        EXPECT_EQ(st->text.optionCount, 0u);
    }
    {
        CTestProgram block;
        ASSERT_EQ(Translate(block, "plot polar #Fig (X,Y,Z: LineWidth=2), (A, B) , Title=\"t\";"), 0);
        CPlotStatement* st = Only<CPlotStatement>(block);
        ASSERT_NE(st, nullptr);
        EXPECT_EQ(st->text.command, "polar");
        EXPECT_EQ(st->text.figure, "Fig");
        EXPECT_NE(st->handleVariable, nullptr);
        ASSERT_EQ(st->text.seriesCount, 2u);
        EXPECT_EQ(st->text.series[0]->itemCount, 3u);
        ASSERT_EQ(st->text.series[0]->optionCount, 1u);
        EXPECT_EQ(st->text.series[0]->options[0]->name, "linewidth");
        EXPECT_EQ(st->text.series[1]->itemCount, 2u);
        ASSERT_EQ(st->text.optionCount, 1u);
        EXPECT_EQ(st->text.options[0]->name, "title");
        EXPECT_NE(st->text.series[0]->items[2]->expr.root, nullptr);
    }
    {
        // A word followed by ',' is the first expression, not a command word.
        CTestProgram block;
        ASSERT_EQ(Translate(block, "plot X , Y;"), 0);
        CPlotStatement* st = Only<CPlotStatement>(block);
        ASSERT_NE(st, nullptr);
        EXPECT_EQ(st->text.command, "");
        EXPECT_EQ(st->text.series[0]->itemCount, 2u);
    }
}

TEST(PlotStatements, Plot2dSeriesWithAndWithoutCommasAreEqual)
{
    CTestProgram a, b;
    ASSERT_EQ(Translate(a, "plot2d #F (X,Y,LineWidth=2)(X,Y) color=1;"), 0);
    ASSERT_EQ(Translate(b, "plot2d #F (X,Y,LineWidth=2), (X,Y), color=1;"), 0);
    for (CTestProgram* p : {&a, &b}) {
        CPlot2dStatement* st = Only<CPlot2dStatement>(*p);
        ASSERT_NE(st, nullptr);
        EXPECT_EQ(st->handleName, "F");
        ASSERT_EQ(st->series.size(), 2u);
        ASSERT_EQ(st->series[0]->options.size(), 1u);
        EXPECT_EQ(st->series[0]->options[0]->option.name, "linewidth");
        EXPECT_TRUE(st->series[1]->options.empty());
        EXPECT_NE(st->series[1]->y.root, nullptr);
        ASSERT_EQ(st->globalOptions.size(), 1u);
        EXPECT_EQ(st->globalOptions[0]->option.name, "color");
    }
}

TEST(PlotStatements, CurrentPlotState)
{
    EnsurePlotGroup();
    ResetCurrentPlot();
    ProgramRun r = RunProgram("posplot -1,3; subplot 65535; hldplot;");
    EXPECT_TRUE(r.messages.empty());
    CurrentPlotState s = GetCurrentPlot();
    EXPECT_EQ(s.planeX, -1);
    EXPECT_EQ(s.planeY, 3);
    EXPECT_EQ(s.objectId, 65535);
    EXPECT_EQ(s.holdFlags, 1u);

    // A failing posplot leaves both coordinates as they were.
    const char* failing[] = {"posplot 0,1;", "posplot 2,801;", "posplot 1e300,1;", "posplot 0/0,1;",
                             "posplot 2,\"a\";", "posplot 2,1+2i;", "subplot 65536;", "subplot -2;"};
    for (const char* text : failing) {
        r = RunProgram(text);
        EXPECT_EQ(r.status & STATUS_CODE_MASK, ERR_RANGED_INTEGER) << text;
        s = GetCurrentPlot();
        EXPECT_EQ(s.planeX, -1) << text;
        EXPECT_EQ(s.planeY, 3) << text;
        EXPECT_EQ(s.objectId, 65535) << text;
    }

    r = RunProgram("posplot 2.9, 800 + 0i; hldplot;");
    s = GetCurrentPlot();
    EXPECT_EQ(s.planeX, 2);
    EXPECT_EQ(s.planeY, 800);
    EXPECT_EQ(s.holdFlags, 0u);  // two toggles

    r = RunProgram("posplot *; subplot *; hldplot on; hldplot on;");
    s = GetCurrentPlot();
    EXPECT_EQ(s.planeX, -1);
    EXPECT_EQ(s.planeY, -1);
    EXPECT_EQ(s.objectId, -1);
    EXPECT_EQ(s.holdFlags, 1u);

    r = RunProgram("posplot Undefined, 1;");
    EXPECT_EQ(r.status & STATUS_CODE_MASK, ERR_UNDEFINED_VARIABLE);

    ResetCurrentPlot();
    s = GetCurrentPlot();
    EXPECT_EQ(s.holdFlags, 0u);
    EXPECT_EQ(s.objectId, -1);
}

}  // namespace
