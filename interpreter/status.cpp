#include "interpreter/status.h"

#include "values/value_matrix.h"

namespace {
const char kNoText[] = "";  // every unnamed code shares it
}
#define E kNoText

const char* const ErrorTexts[ERROR_TEXT_COUNT] = {
    /* 0 */ "Error is unrecognized: Please send request to Veldra support service for more information",
    /* 1 */ "Program is terminated by 'return'",
    /* 2-9 */ E, E, E, E, E, E, E, E,
    /* 10 */ "Internal error of a function or statement",
    /* 11-14 */ E, E, E, E,
    /* 15 */ "Empty statement",
    /* 16-19 */ E, E, E, E,
    /* 20 */ "Unexpected ELSE statement (without IF)",
    /* 21 */ "Unexpected ELSEIF statement (without IF)",
    /* 22 */ "Unexpected CASE statement (without SWITCH)",
    /* 23 */ "Unexpected DEFAULT statement (without SWITCH)",
    /* 24 */ "Invalid element type",
    /* 25 */ "Program is stoped",
    /* 26-28 */ E, E, E,
    /* 29 */ "Syntax error: invalid binary string",
    /* 30 */ "Syntax error: at this position",
    /* 31 */ "Syntax error: unexpected expression found; case ')' without '('",
    /* 32 */ "Syntax error: end of expression is not found; case '(' without ')'",
    /* 33 */ "Syntax error: unexpected end of matrice is found; case ']' without '['",
    /* 34 */ "Syntax error: end of matrix is not found; case '[' without ']'",
    /* 35 */ "Syntax error: invalid placement of ','",
    /* 36 */ "Syntax error: invalid placement of ';'. Use it symbol only in the matrix and in the end of statement",
    /* 37 */ "Syntax error: no end of string constant is found '\"'",
    /* 38 */ "Invalid goto label",
    /* 39 */ "Unexpected statement entry",
    /* 40 */ "Syntax error: matrix row is too short. Inconsistent dimensions of row and column",
    /* 41 */ "Syntax error: matrix row is too long. Inconsistent dimensions of row and column",
    /* 42 */ "Syntax error: unexpected end of an expression",
    /* 43 */ "Syntax error: invalid matrice definition",
    /* 44 */ "Syntax error: invalid passing of a function arguments",
    /* 45 */ "Syntax error: invalid operand (operator must have only one operand)",
    /* 46 */ "Syntax error: invalid placement of ':'",
    /* 47 */ "Invalid type of operation",
    /* 48 */ "Operand must be l-value",
    /* 49 */ "Invalid operand",
    /* 50 */ "Variable is not defined above",
    /* 51 */ "Function is not declared or the function prototype is not suitable",
    /* 52 */ "Failed to create a variable for writing. The data area is blocked",
    /* 53 */ "Stack overflow. Please check a recursive functions calls",
    /* 54 */ "Failed translation of a function",
    /* 55 */ "Function does not return a value",
    /* 56 */ "Reference argument should be l-value expression",
    /* 57 */ "Invalid variable",
    /* 58 */ "Invalid structure field",
    /* 59 */ "Invalid structure definition",
    /* 60 */ "Operand of array indexing is out of range",
    /* 61 */ "Main operand of array indexing must be an array",
    /* 62 */ "Array indexing operands must be an integer or not empty vector of integers",
    /* 63 */ "Invalid function prototype",
    /* 64 */ E,
    /* 65 */ "Unrecognized address of pointer to an object",
    /* 66 */ "Invalid pointer to a function",
    /* 67 */ "Ambiguous call to overloaded function",
    /* 68 */ "Value a returned by the user-function is mismatched",
    /* 69 */ "Invalid argument(s) type passing to the function",
    /* 70 */ "A potential access error to variable. Sharing violation to the data",
    /* 71 */ "Matrices dimensions must be specific",
    /* 72 */ "Matrices elements must be real numbers",
    /* 73 */ "Matrices (arrays) must be a same sizes",
    /* 74 */ "Invalid function argument(s)",
    /* 75 */ "Parameter of the statement must be a ranged integer",
    /* 76 */ "Operands of an iteration statement or arguments of an iterating function must be a scalar",
    /* 77 */ "Operand(s) of a FOR statement must be a one matrix or two scalars",
    /* 78 */ "Number of operands must be specific",
    /* 79 */ "Argument must be a complex or real matrix",
    /* 80 */ "Argument must be a square matrix",
    /* 81 */ "Arguments must be a complex or real matrices",
    /* 82 */ "Data (variables or functions) area is not supported",
    /* 83 */ "Veldra limitation error. Please contact Veldra support team",
    /* 84 */ "Veldra internal error. Please send request to Veldra support",
    /* 85 */ "Invalid operand of this statement",
    /* 86 */ "Multidimensional arrays is not agreed",
    /* 87-89 */ E, E, E,
    /* 90 */ "Internal error, failed to create external-buffer",
};
#undef E

const char* const MessagePrefixes[3] = {"Error: ", "Warning: ", "Information: "};

const char* GetErrorText(StatusWord status)
{
    int code = (int16_t)(uint16_t)(status & STATUS_CODE_MASK);
    if (code < 0 || code >= ERROR_TEXT_COUNT) code = 0;
    return ErrorTexts[code];
}

namespace {
// An error message without a place yet: what a failing function wrote. The
// stream's current message may be an older one (a displayed value, an error
// placed already) that this statement's error must not take as its own.
bool AwaitsPlace(const COutputMessage* msg) { return msg && msg->m_color == &RedTextColor && !msg->FindAttachment(2); }
}  // namespace

void ReportStatementError(StatusWord status, const CStatementBlock* block, int offset)
{
    COutputStream* stream = GetOutputStream();
    if (status == ERR_INTERNAL) {
        // The failing function wrote its text but had no place to give.
        stream->Lock();
        bool haveMessage = AwaitsPlace(stream->CurrentMessage());
        if (haveMessage) stream->AttachToCurrent(MakeSourcePosition(block, offset));
        stream->Unlock();
        if (haveMessage) return;
        // A refused allocation whose words were left to the statement.
        if (TakeOutOfMemory()) {
            ReportOutOfMemory();
            stream->AttachToCurrent(MakeSourcePosition(block, offset));
            return;
        }
    }
    CMessageWriter w(MSG_ERROR, stream);
    stream->AttachToCurrent(MakeSourcePosition(block, offset));
    w << GetErrorText(status);
}

StatusWord ReportOutOfMemory()
{
    ReportError() << "Not enough memory";
    return ERR_INTERNAL;
}

bool ErrorWritten()
{
    COutputStream* stream = GetOutputStream();
    stream->Lock();
    const bool written = AwaitsPlace(stream->CurrentMessage());
    stream->Unlock();
    return written;
}
