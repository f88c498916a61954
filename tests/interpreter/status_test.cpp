#include <gtest/gtest.h>

#include <cstring>

#include "interpreter/block.h"
#include "support/capture.h"

namespace {

TEST(ErrorTexts, LookupByLowHalf)
{
    const char* entry0 = "Error is unrecognized: Please send request to Veldra support service for more information";
    struct Case {
        StatusWord status;
        const char* text;
    } cases[] = {
        {0, entry0},
        {1, "Program is terminated by 'return'"},
        {10, "Internal error of a function or statement"},
        {25 | STATUS_REPORTED, "Program is stoped"},
        {37, "Syntax error: no end of string constant is found '\"'"},
        {49 | STATUS_GOTO, "Invalid operand"},
        {53, "Stack overflow. Please check a recursive functions calls"},
        {64, ""},
        {90, "Internal error, failed to create external-buffer"},
        {91, entry0},
        {0xFFFF, entry0},  // minus one
        {0x8000, entry0},
        {-1, entry0},
        {2, ""},
        {88, ""},
    };
    for (const Case& c : cases) EXPECT_STREQ(GetErrorText(c.status), c.text) << c.status;
}

TEST(ErrorTexts, EmptyEntriesShareOneString)
{
    for (int code : {3, 11, 16, 26, 64, 87, 89}) EXPECT_EQ(ErrorTexts[code], ErrorTexts[2]) << code;
    EXPECT_STREQ(MessagePrefixes[0], "Error: ");
    EXPECT_STREQ(MessagePrefixes[1], "Warning: ");
    EXPECT_STREQ(MessagePrefixes[2], "Information: ");
}

TEST(StatusWord, ErrorOnlyInTheLowHalf)
{
    EXPECT_TRUE(IsErrorStatus(ERR_STOPPED | STATUS_REPORTED));
    EXPECT_FALSE(IsErrorStatus(STATUS_GOTO));
    EXPECT_EQ(WithCode(STATUS_RETURN | 7, ERR_STOPPED), STATUS_RETURN | ERR_STOPPED);
}

TEST(ReportStatementError, Code10AttachesThePlaceToTheLastMessage)
{
    CCaptureStream cap;
    CStatementBlock block;
    block.sourceName = "lib.vdl";
    block.textBase = 3;
    ReportError() << "Bad argument";
    ReportStatementError(ERR_INTERNAL, &block, 42);
    ASSERT_EQ(cap.messages, (std::vector<std::string>{"Error: Bad argument"}));
    COutputMessage* m = cap.CurrentMessage();
    ASSERT_NE(m, nullptr);
    auto* pos = dynamic_cast<const CSourcePosition*>(m->FindAttachment(2));
    ASSERT_NE(pos, nullptr);
    EXPECT_EQ(pos->name, "lib.vdl");
    EXPECT_EQ(pos->base, 3);
    EXPECT_EQ(pos->offset, 42);
}

TEST(ReportStatementError, Code10WithoutAMessageWritesTheText)
{
    CCaptureStream cap;
    CStatementBlock block;
    ReportStatementError(ERR_INTERNAL, &block, 0);
    EXPECT_EQ(cap.messages, (std::vector<std::string>{"Error: Internal error of a function or statement"}));
}

TEST(ReportStatementError, OtherWordsWriteANewRedMessage)
{
    CCaptureStream cap;
    CStatementBlock block;
    ReportError() << "earlier";
    // 10 with a flag is not the exact word 10.
    ReportStatementError(ERR_INTERNAL | STATUS_RETURN, &block, 5);
    ReportStatementError(ERR_NOT_LVALUE, &block, 6);
    EXPECT_EQ(cap.messages, (std::vector<std::string>{"Error: earlier", "Error: Internal error of a function or statement",
                                                      "Error: Operand must be l-value"}));
    COutputMessage* m = cap.CurrentMessage();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->m_color, &RedTextColor);
    auto* pos = dynamic_cast<const CSourcePosition*>(m->FindAttachment(2));
    ASSERT_NE(pos, nullptr);
    EXPECT_EQ(pos->offset, 6);
}

TEST(ReportStatementError, TimeStampComesFirst)
{
    CCaptureStream cap(true);
    CStatementBlock block;
    ReportStatementError(ERR_INVALID_OPERAND, &block, 0);
    ASSERT_EQ(cap.messages.size(), 1u);
    const std::string& t = cap.messages[0];
    EXPECT_EQ(t.front(), '[');
    EXPECT_NE(t.find("] Error: Invalid operand"), std::string::npos);
}

}  // namespace
