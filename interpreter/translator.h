#pragma once
// The statement translator: program text into the statements of a block.
#include <istream>
#include <string>

#include "interpreter/block.h"
#include "interpreter/status.h"

class CCompiledExpr;

// Appends the statements of the text to the block. 0 on success, with the
// stream after the block's text (its end, or just after the "end", "else",
// "elseif", "case" or "default" that closed it); else the error code (20-23
// for a block-ending word nobody expected), with STATUS_REPORTED kept when the
// error has been written. A block that owns its scope reports its own errors.
StatusWord TranslateBlock(CStatementBlock* block, std::istream& in);

// Cuts one expression out of the stream (up to ";" outside brackets and
// strings, or an unmatched closing bracket), parses it into the holder with
// the block as context and puts the stream one character after where the
// parse stopped. 0 for a whole expression; 31 (")"), 46 (":") and the other
// stop codes of the expression parser; 30 when the text ended first.
StatusWord ParseStreamExpression(std::istream& in, CStatementBlock* context, CCompiledExpr* holder);

// Index of the label name in the program-wide list, appended when new.
int InternLabel(const std::string& name);
// The name of a label id ("" for an unknown id).
std::string LabelName(int id);

// Declares the user function whose header follows the word "function" in the
// stream, with the pending comment as its comment text. Provided by the user
// functions; returns 0, 10 (the declaration failed and has written its
// message) or 54 (the body failed; the stream is then in its failed state).
StatusWord DeclareUserFunction(CStatementBlock* block, std::istream& in, const std::string& comment);

// ---- stream helpers for statement Translate operations ----------------------

// The stream offset, also at the end of the text or after a failure (then
// the position where reading stopped); the stream state is left as it was.
int StreamPos(std::istream& in);
// Moves to an offset and clears the end and failure state.
void StreamSeek(std::istream& in, int pos);
// Skips white space and reads one character; EOF at the end of the text
// (the stream is then failed, as after any read past the end).
int ReadNonBlank(std::istream& in);
// Puts back a character read by ReadNonBlank; EOF clears the end state.
void PutBackChar(std::istream& in, int c);
// Reads text up to one of the stop characters (consumed) or the end. Returns
// the stop character, or EOF; the text has blanks trimmed at both ends.
int ReadUntil(std::istream& in, const char* stops, std::string& text);
// True for letters, digits and "_".
inline bool IsIdentChar(int c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
