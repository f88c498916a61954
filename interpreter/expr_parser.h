#pragma once
// The expression translator: a recursive scanner that advances a text pointer
// in place and binds names to constants, variables and functions as it goes.
#include <istream>

#include "interpreter/expr_tree.h"

// Parses one expression into the holder (its previous tree is freed). Returns
// where the parse stopped, the text pointer left on that character: 0 at the
// end of the text, 31 ")", 33 "]", 35 ",", 36 ";", 46 ":", 30 any other;
// or an error code (the holder then has no tree). A caller that wants a whole
// expression treats every non-zero code as an error.
StatusWord ParseExpression(CCompiledExpr& holder, const char*& text, StatementContext* context);

// One precedence level. pending: in, the enclosing operator; out, an operator
// handed back to the caller. result: in, the left operand so far; out, the tree.
StatusWord ParseOperatorExpression(const char*& text, StatementContext* context,
                                   const OperatorRecord*& pending, ExprNode*& result);

// One operand with its trailing indices and field accesses.
StatusWord ParseOperand(const char*& text, StatementContext* context, ExprNode*& result,
                        const OperatorRecord* enclosing);

// The nesting counter of the calling thread (0 between parses).
int ExpressionNestingLevel();

// Cuts one expression out of the stream (up to ";" outside brackets and
// strings, or an unmatched closing bracket), parses it into the holder with
// the block as context and puts the stream one character after where the
// parse stopped. 0 for a whole expression; 31 (")"), 46 (":") and the other
// stop codes of the expression parser; 30 when the text ended first.
StatusWord ParseStreamExpression(std::istream& in, CStatementBlock* context, CCompiledExpr* holder);
