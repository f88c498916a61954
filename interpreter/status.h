#pragma once
// Status words of the language runtime, the error texts and the one way an
// unreported error becomes a message that carries its place in the source.
#include <cstdint>
#include <string>

#include "values/output_stream.h"

// Error code in the low 16 bits, control-flow and bookkeeping flags above.
typedef int32_t StatusWord;

constexpr StatusWord STATUS_RETURN = 0x10000;    // also: Translate succeeded, store no statement
constexpr StatusWord STATUS_BREAK = 0x20000;
constexpr StatusWord STATUS_CONTINUE = 0x40000;
constexpr StatusWord STATUS_GOTO = 0x80000;      // target label id waits in the context block
constexpr StatusWord STATUS_REPORTED = 0x100000; // the error has been written already
constexpr StatusWord STATUS_CODE_MASK = 0xFFFF;
constexpr StatusWord STATUS_FLOW_MASK = STATUS_RETURN | STATUS_BREAK | STATUS_CONTINUE;

inline int StatusCode(StatusWord s) { return s & STATUS_CODE_MASK; }
inline bool IsErrorStatus(StatusWord s) { return (s & STATUS_CODE_MASK) != 0; }
inline StatusWord WithCode(StatusWord s, int code) { return (s & ~STATUS_CODE_MASK) | (code & STATUS_CODE_MASK); }

// Codes of the error table that the runtime returns by name.
enum ErrorCode : int {
    ERR_NONE = 0,
    ERR_RETURN = 1,
    ERR_INTERNAL = 10,        // also: the failing place has written its own message
    ERR_EMPTY_STATEMENT = 15,
    ERR_UNEXPECTED_ELSE = 20,
    ERR_UNEXPECTED_ELSEIF = 21,
    ERR_UNEXPECTED_CASE = 22,
    ERR_UNEXPECTED_DEFAULT = 23,
    ERR_ELEMENT_TYPE = 24,
    ERR_STOPPED = 25,
    ERR_BINARY_STRING = 29,
    ERR_SYNTAX = 30,
    ERR_UNEXPECTED_RPAREN = 31,
    ERR_MISSING_RPAREN = 32,
    ERR_UNEXPECTED_RBRACKET = 33,
    ERR_MISSING_RBRACKET = 34,
    ERR_COMMA_PLACEMENT = 35,
    ERR_SEMICOLON_PLACEMENT = 36,
    ERR_UNTERMINATED_STRING = 37,
    ERR_GOTO_LABEL = 38,
    ERR_UNEXPECTED_ENTRY = 39,
    ERR_ROW_TOO_SHORT = 40,
    ERR_ROW_TOO_LONG = 41,
    ERR_UNEXPECTED_END = 42,
    ERR_MATRIX_DEFINITION = 43,
    ERR_ARGUMENT_PASSING = 44,
    ERR_ONE_OPERAND = 45,
    ERR_COLON_PLACEMENT = 46,
    ERR_OPERATION_TYPE = 47,
    ERR_NOT_LVALUE = 48,
    ERR_INVALID_OPERAND = 49,
    ERR_UNDEFINED_VARIABLE = 50,
    ERR_UNDECLARED_FUNCTION = 51,
    ERR_DATA_BLOCKED = 52,
    ERR_STACK_OVERFLOW = 53,
    ERR_FUNCTION_TRANSLATION = 54,
    ERR_NO_RETURN_VALUE = 55,
    ERR_REFERENCE_ARGUMENT = 56,
    ERR_INVALID_VARIABLE = 57,
    ERR_STRUCT_FIELD = 58,
    ERR_STRUCT_DEFINITION = 59,
    ERR_INDEX_RANGE = 60,
    ERR_INDEX_BASE = 61,
    ERR_INDEX_TYPE = 62,
    ERR_PROTOTYPE = 63,
    ERR_POINTER_ADDRESS = 65,
    ERR_FUNCTION_POINTER = 66,
    ERR_AMBIGUOUS_CALL = 67,
    ERR_RETURN_MISMATCH = 68,
    ERR_ARGUMENT_TYPE = 69,
    ERR_SHARING_VIOLATION = 70,
    ERR_DIMENSIONS = 71,
    ERR_REAL_ELEMENTS = 72,
    ERR_SIZE_MISMATCH = 73,
    ERR_FUNCTION_ARGUMENTS = 74,
    ERR_RANGED_INTEGER = 75,
    ERR_SCALAR_OPERANDS = 76,
    ERR_FOR_OPERANDS = 77,
    ERR_OPERAND_COUNT = 78,
    ERR_MATRIX_ARGUMENT = 79,
    ERR_SQUARE_MATRIX = 80,
    ERR_MATRIX_ARGUMENTS = 81,
    ERR_AREA_UNSUPPORTED = 82,
    ERR_LIMITATION = 83,
    ERR_INTERNAL_SUPPORT = 84,
    ERR_STATEMENT_OPERAND = 85,
    ERR_MULTIDIMENSIONAL = 86,
    ERR_EXTERNAL_BUFFER = 90,
};

constexpr int ERROR_TEXT_COUNT = 91;
extern const char* const ErrorTexts[ERROR_TEXT_COUNT];

// Text of the low 16 bits taken as a signed number; anything outside 0..90 gives entry 0.
const char* GetErrorText(StatusWord status);

// "Error: ", "Warning: ", "Information: ".
extern const char* const MessagePrefixes[3];

// The place of a message in the program text.
using CMessageAttachment = COutputAttribute;
class CSourcePosition : public CMessageAttachment {
public:
    std::string name;  // the block's source name
    int base = 0;      // the block's text base
    int offset = 0;    // offset into the translated text stream
    CSourcePosition() {}
    CSourcePosition(const std::string& n, int b, int o) : name(n), base(b), offset(o) {}
    int GetKind() const override { return 2; }
};

class CStatementBlock;

// New position for a block's source at the given offset (with the block: block.cpp).
CSourcePosition* MakeSourcePosition(const CStatementBlock* block, int offset);

// Writes the error of status with the block's place; the exact word 10 only
// attaches the place to the message the failing function already wrote.
void ReportStatementError(StatusWord status, const CStatementBlock* block, int offset);
// Writes "Not enough memory" (an allocation was refused) and gives the status
// of a failure whose text is written; the statement adds its place.
StatusWord ReportOutOfMemory();
// Whether a message waits for its place (a function wrote its error text).
bool ErrorWritten();
