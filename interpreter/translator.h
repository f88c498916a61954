#pragma once
// The statement translator: program text into the statements of a block.
#include <istream>
#include <string>

// A statement's Translate reads its text with the stream helpers and cuts
// its expressions out with ParseStreamExpression; both come with this header.
#include "interpreter/block.h"
#include "interpreter/expr_parser.h"
#include "interpreter/source_stream.h"
#include "interpreter/status.h"

// Appends the statements of the text to the block. 0 on success, with the
// stream after the block's text (its end, or just after the "end", "else",
// "elseif", "case" or "default" that closed it); else the error code (20-23
// for a block-ending word nobody expected), with STATUS_REPORTED kept when the
// error has been written. A block that owns its scope reports its own errors.
StatusWord TranslateBlock(CStatementBlock* block, std::istream& in);

// Index of the label name in the program-wide list, appended when new.
int InternLabel(const std::string& name);
// The name of a label id ("" for an unknown id).
std::string LabelName(int id);

// Declares the user function whose header follows the word "function" in the
// stream, with the pending comment as its comment text. Provided by the user
// functions; returns 0, 10 (the declaration failed and has written its
// message) or 54 (the body failed; the stream is then in its failed state).
StatusWord DeclareUserFunction(CStatementBlock* block, std::istream& in, const std::string& comment);
