#pragma once
// Statements made of one expression: the expression statement (assignments,
// calls) and the display statement, which shows the value of its expression.
#include <istream>

#include "interpreter/expr_tree.h"
#include "interpreter/statement.h"

class CExpressionStatement : public CStatement {
public:
    CCompiledExpr expr;  // empty until Translate

    explicit CExpressionStatement(CStatementBlock* owner) : CStatement(owner) {}
    // One expression from the stream; the parser's status.
    StatusWord Translate(std::istream& in) override;
    // Evaluates the tree (no tree: 0); an empty value from a variable is 50.
    StatusWord Execute(CValue* scratch) override;
};

class CDisplayStatement : public CStatement, public CCompiledExpr {
public:
    explicit CDisplayStatement(CStatementBlock* owner) : CStatement(owner) {}
    StatusWord Translate(std::istream& in) override;
    // Writes the value as one message with the display format and the place
    // of the statement.
    StatusWord Execute(CValue* scratch) override;
};

// A display statement that takes over the expression statement's fields and
// tree; the expression statement is left without a tree.
CDisplayStatement* MakeDisplayStatement(CExpressionStatement* statement);

// Evaluates a statement operand into dest and resolves handles: a handle by a
// copy of its referent, handle cells of matrices and strings. An empty result
// of a variable reference is 50; otherwise the evaluation's status.
StatusWord EvalStatementArgument(const ExprNode* root, CValue& dest, CStatementBlock* context);

// Parses one expression of a statement into its holder (the Translate of the
// expression, display and pause statements).
StatusWord TranslateExpressionPart(std::istream& in, CStatementBlock* owner, CCompiledExpr& holder);
