// The console statements on the host side: the group, the parser, the text
// rule of typed input and the batch console's mirror.
#include <gtest/gtest.h>

#include <sstream>

#include "devices/console_statements.h"
#include "devices/console_text.h"
#include "interpreter/basic_statements.h"
#include "interpreter/translator.h"
#include "support/capture.h"
#include "values/app_settings.h"
#include "values/value_text.h"

namespace {

TEST(ConsoleGroup, RecordAndKeywords)
{
    CmdrInfo* g = RegisterConsoleStatements();
    EXPECT_STREQ(g->title, "Console statements");
    EXPECT_STREQ(g->description, "Input/Output Console statements");
    ASSERT_EQ(g->statementCount, 3);
    EXPECT_EQ(g->FindStatement("print")->code, 120);
    EXPECT_EQ(g->FindStatement("clc")->code, 121);
    EXPECT_EQ(g->FindStatement("input")->code, 122);
    EXPECT_STREQ(g->FindStatement("print")->help,
                 "print [#HANDLE]\r\n      [:SETN=VALN,...,]printN,...\r\nOutputs a text into the console (HANDLE)");
    EXPECT_EQ(g->CreateStatement(119, nullptr), nullptr);
    EXPECT_EQ(g->CreateStatement(123, nullptr), nullptr);
    EXPECT_EQ(g->Query(0), -1);
}

// ---- typed text -------------------------------------------------------------------

TEST(ConsoleText, ValueOrStringWithoutMessages)
{
    struct Case {
        const char* text;
        uint32_t type;
        const char* shown;  // the plain text form
    };
    const Case cases[] = {
        {" 12", VT_STRING, "\" 12\""},
        {"12", VT_REAL, "12"},
        {"abc", VT_STRING, "\"abc\""},
        {"INF", VT_REAL, "INF"},
        {" NAN ", VT_REAL, "NAN"},
        {"inf", VT_STRING, "\"inf\""},
        {"1+2i", VT_COMPLEX, "1+2i"},
        {"[1,2", VT_STRING, "\"[1,2\""},
        {"[1,2]", VT_MATRIX, "[1,2]"},
        {"12abc", VT_REAL, "12"},
        {"\"q\"", VT_CHAR, "q"},
        {"\"unterminated", VT_STRING, "\"\"\"unterminated\""},
        {"-", VT_CHAR, "-"},
        {"<0a ff>", VT_STRING | VT_BINARY_BIT, "<0a ff>"},
        {"#7", VT_IDENTIFIER, "#7"},
        {"", VT_STRING, "\"\""},
    };
    CCaptureStream cap;
    for (const Case& c : cases) {
        CValue v(1.0);
        ConsoleTextToValue(c.text, v);
        EXPECT_EQ(v.Tag(), c.type) << c.text;
        std::ostringstream os;
        os << v;
        EXPECT_EQ(os.str(), c.shown) << c.text;
    }
    EXPECT_TRUE(cap.messages.empty()) << cap.Text();
}

TEST(ConsoleText, QuietOnlyOnItsOwnThread)
{
    CCaptureStream cap;
    {
        CQuietMessages quiet;
        ReportError() << "hidden";
        EXPECT_TRUE(MessagesAreQuiet());
    }
    EXPECT_FALSE(MessagesAreQuiet());
    ReportError() << "shown";
    EXPECT_EQ(cap.messages, std::vector<std::string>{"Error: shown"});
}

// ---- parsing -----------------------------------------------------------------------

class ConsoleParse : public ::testing::Test {
protected:
    void SetUp() override
    {
        GlobalVariables.Clear();
        CStatementModuleList::AddGroup(RegisterBasicStatements());
        CStatementModuleList::AddGroup(RegisterConsoleStatements());
    }
    // Translates one statement of the code; the statement or null, and its status.
    std::unique_ptr<CStatement> Parse(int code, const std::string& text, StatusWord& status)
    {
        std::unique_ptr<CStatement> st(CreateConsoleStatement(code, &block));
        std::istringstream in(text);
        status = st->Translate(in) & STATUS_CODE_MASK;
        return st;
    }
    CConsoleIoStatement* Io(std::unique_ptr<CStatement>& st) { return static_cast<CConsoleIoStatement*>(st.get()); }
    CStatementBlock block;
};

TEST_F(ConsoleParse, OptionsBelongToTheNextItemThatIsNotEmpty)
{
    StatusWord s;
    auto st = Parse(STMT_PRINT, " :Color=\"red\", : bd ,,X, Y, :ul;", s);
    EXPECT_EQ(s, 0);
    CConsoleIoStatement* io = Io(st);
    EXPECT_EQ(io->deviceName, "DEFAULT_CONSOLE");
    ASSERT_NE(io->handleVariable, nullptr);
    EXPECT_EQ(io->handleVariable, block.Vars()->Find("DEFAULT_CONSOLE"));
    ASSERT_EQ(io->items.size(), 2u);
    ASSERT_EQ(io->items[0]->options.size(), 2u);
    EXPECT_EQ(io->items[0]->options[0]->name, "Color");
    EXPECT_NE(io->items[0]->options[0]->value.root, nullptr);
    EXPECT_EQ(io->items[0]->options[1]->name, "bd");
    EXPECT_EQ(io->items[0]->options[1]->value.root, nullptr);
    EXPECT_TRUE(io->items[1]->options.empty());
    EXPECT_FALSE(io->items[0]->target);
}

TEST_F(ConsoleParse, HandlesAndTargets)
{
    StatusWord s;
    auto st = Parse(STMT_INPUT, " #A \"x\", $X, $ Y;", s);
    EXPECT_EQ(s, 0);
    CConsoleIoStatement* io = Io(st);
    EXPECT_EQ(io->deviceName, "A");
    EXPECT_EQ(io->handleVariable, block.Vars()->Find("A"));
    ASSERT_EQ(io->items.size(), 3u);
    EXPECT_FALSE(io->items[0]->target);
    EXPECT_TRUE(io->items[1]->target);
    EXPECT_TRUE(io->items[2]->target);

    st = Parse(STMT_INPUT, " #A;", s);
    EXPECT_EQ(s, 0);
    EXPECT_TRUE(Io(st)->items.empty());
    st = Parse(STMT_PRINT, ";", s);
    EXPECT_EQ(s, 0);
    EXPECT_TRUE(Io(st)->items.empty());
    // Options after the last item go with no item.
    st = Parse(STMT_PRINT, " 1, :bd;\n2;", s);
    EXPECT_EQ(s, 0);
    ASSERT_EQ(Io(st)->items.size(), 1u);
    EXPECT_TRUE(Io(st)->items[0]->options.empty());
}

TEST_F(ConsoleParse, Statuses)
{
    struct Case {
        int code;
        const char* text;
        int status;
    };
    const Case cases[] = {
        {STMT_PRINT, " 1", ERR_SYNTAX},
        {STMT_PRINT, " 1,", ERR_SYNTAX},
        {STMT_PRINT, " a:b;", ERR_COLON_PLACEMENT},
        {STMT_PRINT, " 1);", ERR_UNEXPECTED_RPAREN},
        {STMT_PRINT, " :c=1)", ERR_UNEXPECTED_RPAREN},
        {STMT_PRINT, " :c", ERR_SYNTAX},
        {STMT_PRINT, " #1 2;", ERR_INTERNAL},
        {STMT_PRINT, " $X;", ERR_SYNTAX},  // '$' means nothing in print
        {STMT_CLC, ";", 0},
        {STMT_CLC, " #H ;", 0},
        {STMT_CLC, " #H;", 0},
        {STMT_CLC, " x;", ERR_SYNTAX},
        {STMT_CLC, " #H x;", ERR_SYNTAX},
        {STMT_CLC, " #;", ERR_INTERNAL},
        {STMT_INPUT, " $X", ERR_SYNTAX},
    };
    CCaptureStream cap;
    for (const Case& c : cases) {
        StatusWord s;
        Parse(c.code, c.text, s);
        EXPECT_EQ(s, c.status) << c.text;
    }
}

// ---- the batch console's mirror --------------------------------------------------

struct BatchRun {
    std::vector<std::string> messages;
    StatusWord status = 0;
};

BatchRun RunBatchText(const std::string& text)
{
    GlobalVariables.Clear();
    CStatementModuleList::AddGroup(RegisterBasicStatements());
    CStatementModuleList::AddGroup(RegisterConsoleStatements());
    SetBatchConsole(true);
    BatchRun r;
    CCaptureStream cap;
    CStatementBlock program;
    std::istringstream in(text);
    r.status = TranslateBlock(&program, in);
    if (r.status == 0) r.status = ExecuteStatements(&program);
    SetBatchConsole(false);
    r.messages = cap.messages;
    return r;
}

TEST(BatchConsole, MirrorIsOneMessagePerStatement)
{
    bool saved = AppSettings::UseAsConsole;
    AppSettings::UseAsConsole = false;  // the batch console mirrors whatever it says
    BatchRun r = RunBatchText("print \"a=\", 1; print [1,2;3,4]; print {a=1}, \"q\"; x = 2; print :ul=x, x+1;");
    AppSettings::UseAsConsole = saved;
    std::string pad(14, ' ');
    EXPECT_EQ(r.messages, (std::vector<std::string>{
                              "a=1",
                              pad + "1" + pad + " 2;\n" + pad + "3" + pad + " 4",
                              "a=1q",
                              "3",
                          }));
    EXPECT_EQ(r.status, 0);
}

TEST(BatchConsole, ClcClearsTheStream)
{
    CCaptureStream outer;
    BatchRun r = RunBatchText("print 1; clc; print 2;");
    EXPECT_EQ(r.messages, (std::vector<std::string>{"1", "2"}));
}

}  // namespace
