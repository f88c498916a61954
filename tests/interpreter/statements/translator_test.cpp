// The translator's bookkeeping: statement places, labels, nested blocks,
// expressions cut out of the stream, display messages.
#include <gtest/gtest.h>

#include "interpreter/expression_statements.h"
#include "program_harness.h"

namespace {

TEST(InternLabel, SameNameSameIdCaseSensitive)
{
    int a = InternLabel("loop_top");
    EXPECT_EQ(InternLabel("loop_top"), a);
    EXPECT_NE(InternLabel("Loop_top"), a);
    EXPECT_EQ(LabelName(a), "loop_top");
    EXPECT_EQ(InternLabel(""), InternLabel(""));
}

TEST(ParseStreamExpression, StopsAtSemicolonOutsideBracketsAndStrings)
{
    struct Case {
        const char* text;
        StatusWord status;
        int next;  // stream offset after the call
    };
    const Case cases[] = {
        {"a = [1;2]; b", 0, 10},
        {"s = \"x;y\"; b", 0, 10},
        {"1 + 2) rest", ERR_UNEXPECTED_RPAREN, 6},
        {"1:5)", ERR_COLON_PLACEMENT, 2},
        {"a = 1", ERR_SYNTAX, -1},  // the text ended inside the expression
    };
    CStatementBlock block;
    for (const Case& c : cases) {
        std::istringstream in(c.text);
        CCompiledExpr holder;
        EXPECT_EQ(ParseStreamExpression(in, &block, &holder), c.status) << c.text;
        if (c.next >= 0) {
            EXPECT_EQ(StreamPos(in), c.next) << c.text;
        }
    }
}

TEST(TranslateBlock, RecordsPlacesAndLabels)
{
    EnsureBasicGroup();
    CStatementBlock block;
    std::istringstream in("x = 1;\n  top: x++;\n");
    ASSERT_EQ(TranslateBlock(&block, in), 0);
    ASSERT_EQ(block.Count(), 2);
    CStatement* second = block.At(1);
    EXPECT_EQ(second->textStart, 14);
    EXPECT_EQ(second->spanStart, 13);  // after the label
    EXPECT_EQ(second->textEnd, 18);    // after its ";"
    EXPECT_EQ(block.At(0)->textEnd, 6);
    EXPECT_EQ(second->labelId, InternLabel("top"));
    EXPECT_EQ(block.At(0)->labelId, InternLabel(""));
    EXPECT_TRUE(block.flags & CStatementBlock::FLAG_TRANSLATED);
    EXPECT_NE(dynamic_cast<CExpressionStatement*>(block.At(0)), nullptr);
}

TEST(TranslateBlock, FailedStatementIsRemovedAndEarlierOnesStay)
{
    EnsureBasicGroup();
    CCaptureStream cap;
    CStatementBlock block;
    std::istringstream in("x = 1; if() end y = 2;");
    EXPECT_EQ(TranslateBlock(&block, in) & STATUS_CODE_MASK, ERR_EMPTY_STATEMENT);
    EXPECT_EQ(block.Count(), 1);
    EXPECT_FALSE(block.flags & CStatementBlock::FLAG_TRANSLATED);
    EXPECT_EQ(cap.messages, std::vector<std::string>{"Error: Empty statement"});
}

TEST(TranslateBlock, GlobalNeverEntersTheBlock)
{
    EnsureBasicGroup();
    GlobalVariables.Clear();
    CStatementBlock block;
    std::istringstream in("global ga, gb; ga = 1;");
    ASSERT_EQ(TranslateBlock(&block, in), 0);
    EXPECT_EQ(block.Count(), 1);
    EXPECT_NE(GlobalVariables.Find("ga"), nullptr);
    EXPECT_NE(GlobalVariables.Find("gb"), nullptr);
    EXPECT_EQ(block.Vars()->Find("ga"), nullptr);
    GlobalVariables.Clear();
}

TEST(TranslateBlock, NestedBodiesShareScopeAndContext)
{
    EnsureBasicGroup();
    CStatementBlock program;
    program.sourceName = "prog.vdx";
    program.textBase = 7;
    std::istringstream in("for(i=1:2) k = i; end");
    ASSERT_EQ(TranslateBlock(&program, in), 0);
    auto* loop = dynamic_cast<CForStatement*>(program.At(0));
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(loop->body.scope, program.scope);
    EXPECT_EQ(loop->body.owner, &program);
    EXPECT_EQ(loop->body.sourceName, "prog.vdx");
    EXPECT_EQ(loop->body.textBase, 7);
    EXPECT_FALSE(loop->body.flags & CStatementBlock::FLAG_OWNS_SCOPE);
    EXPECT_EQ(loop->spanEnd, 10);  // the header only
    EXPECT_NE(program.Vars()->Find("k"), nullptr);
}

TEST(TranslateBlock, ElseifBecomesIfInElseBlock)
{
    EnsureBasicGroup();
    CStatementBlock program;
    const std::string text = "if(a) 1; elseif(b) 2; end";
    std::istringstream in(text);
    ASSERT_EQ(TranslateBlock(&program, in), 0);
    auto* outer = dynamic_cast<CIfStatement*>(program.At(0));
    ASSERT_NE(outer, nullptr);
    ASSERT_EQ(outer->elseBlock.Count(), 1);
    CStatement* inner = outer->elseBlock.At(0);
    EXPECT_NE(dynamic_cast<CIfStatement*>(inner), nullptr);
    EXPECT_EQ(inner->textStart, (int)text.find("elseif"));
    EXPECT_EQ(inner->spanStart, inner->textStart);
    EXPECT_EQ(inner->textEnd, (int)text.size());
}

// Records each message with the source place attached to it.
class CPlaceStream : public COutputStream {
public:
    struct Seen {
        std::string text;
        std::string name;
        int base = -1, offset = -1;
    };
    std::vector<Seen> seen;
    COutputStream* previous = GetOutputStream();
    CPlaceStream() { SetOutputStream(this); }
    ~CPlaceStream() override { SetOutputStream(previous); }
    void OnMessage(COutputMessage* msg) override
    {
        Seen s;
        s.text = msg->m_text;
        for (COutputAttribute* a : msg->m_attachments)
            if (auto* p = dynamic_cast<CSourcePosition*>(a)) {
                s.name = p->name;
                s.base = p->base;
                s.offset = p->offset;
            }
        seen.push_back(s);
    }
    void OnClear() override {}
};

TEST(DisplayStatement, OneMessagePerRunWithItsPlace)
{
    EnsureBasicGroup();
    CPlaceStream out;
    CStatementBlock program;
    program.sourceName = "shown.vdx";
    program.textBase = 3;
    std::istringstream in("x = 5;\n x; y");
    ASSERT_EQ(TranslateBlock(&program, in) & STATUS_CODE_MASK, ERR_UNEXPECTED_END);
    ASSERT_EQ(program.Count(), 2);
    ASSERT_NE(dynamic_cast<CDisplayStatement*>(program.At(1)), nullptr);
    ASSERT_EQ(out.seen.size(), 1u);  // the error of the last word, at its place
    EXPECT_EQ(out.seen[0].name, "shown.vdx");
    EXPECT_EQ(out.seen[0].base, 3);
    out.seen.clear();
    EXPECT_EQ(ExecuteStatements(&program), 0);
    EXPECT_EQ(ExecuteStatements(&program), 0);
    ASSERT_EQ(out.seen.size(), 2u);
    for (const auto& s : out.seen) {
        EXPECT_EQ(s.text, "5");
        EXPECT_EQ(s.name, "shown.vdx");
        EXPECT_EQ(s.base, 3);
        EXPECT_EQ(s.offset, 8);
    }
}

TEST(ClearStatement, StopsAtUnknownNameLeavingLaterNames)
{
    EnsureBasicGroup();
    GlobalVariables.Clear();
    CCaptureStream cap;
    CStatementBlock program;
    std::istringstream in("x = 1; y = 2; clear x, nosuch, y;");
    ASSERT_EQ(TranslateBlock(&program, in), 0);
    EXPECT_EQ(ExecuteStatements(&program), ERR_INVALID_VARIABLE | STATUS_REPORTED);
    EXPECT_EQ(cap.messages, std::vector<std::string>{"Error: Variable 'nosuch' is not found"});
    EXPECT_TRUE(program.Vars()->Find("x")->value->IsEmpty());
    ASSERT_EQ(program.Vars()->Find("y")->value->Type(), (uint32_t)VT_REAL);
    EXPECT_EQ(program.Vars()->Find("y")->value->Real(), 2.0);
}

TEST(ExpressionStatement, EmptyTextIsNoOp)
{
    CStatementBlock block;
    CExpressionStatement st(&block);
    std::istringstream in(";");
    EXPECT_EQ(st.Translate(in), 0);
    EXPECT_EQ(st.expr.root, nullptr);
    CValue scratch;
    EXPECT_EQ(st.Execute(&scratch), 0);
}

TEST(PauseStatement, WaitsTruncatedMilliseconds)
{
    CTestProgram program;
    ProgramRun r = RunProgramIn(program, "pause 0.0015; pause 499999.9999; t = 2; pause t;");
    EXPECT_TRUE(r.messages.empty());
    EXPECT_EQ(program.waits, (std::vector<int>{1, 499999999, 2000}));
}

TEST(PauseStatement, OutOfRangeDoesNotWait)
{
    CTestProgram program;
    ProgramRun r = RunProgramIn(program, "pause 500000;");
    EXPECT_EQ(r.messages.size(), 1u);
    EXPECT_TRUE(program.waits.empty());
}

}  // namespace
