#include "interpreter/expression_statements.h"

#include "interpreter/block.h"
#include "interpreter/expr_parser.h"
#include "values/app_settings.h"
#include "values/text_format.h"
#include "values/value_text.h"

StatusWord TranslateExpressionPart(std::istream& in, CStatementBlock* owner, CCompiledExpr& holder)
{
    return ParseStreamExpression(in, owner, &holder);
}

StatusWord EvalStatementArgument(const ExprNode* root, CValue& dest, CStatementBlock* context)
{
    if (!root) return 0;
    NoteIndexRead(root);
    StatusWord status = EvaluateNode(root, dest, context);
    NoteIndexRead(nullptr);
    if (IsErrorStatus(status)) return status;
    ResolveHandles(dest);
    if (dest.Type() == VT_EMPTY && root && root->kind == EXPR_VARIABLE) return ERR_UNDEFINED_VARIABLE;
    return status;
}

StatusWord CExpressionStatement::Translate(std::istream& in) { return TranslateExpressionPart(in, owner, expr); }

StatusWord CExpressionStatement::Execute(CValue* scratch)
{
    if (!expr.root) return 0;
    // The statement's value is dropped, so handles in it are not resolved
    // (an assignment would otherwise copy the whole target); only whether a
    // lone variable is defined can show.
    NoteIndexRead(expr.root);
    StatusWord status = EvaluateNode(expr.root, *scratch, owner);
    NoteIndexRead(nullptr);
    if (IsErrorStatus(status)) return status;
    if (expr.root->kind == EXPR_VARIABLE) {
        const CValue* v = scratch->IsHandle() ? scratch->HandleTarget() : scratch;
        if (v->Type() == VT_EMPTY) return ERR_UNDEFINED_VARIABLE;
    }
    return status;
}

StatusWord CDisplayStatement::Translate(std::istream& in) { return TranslateExpressionPart(in, owner, *this); }

StatusWord CDisplayStatement::Execute(CValue* scratch)
{
    if (root) {
        StatusWord status = EvalStatementArgument(root, *scratch, owner);
        if (status) return status;
    }
    CMessageWriter w(MSG_PLAIN);
    w.Output()->AttachToCurrent(MakeSourcePosition(owner, textStart));
    WriteValue(w.Stream(), *scratch, CurrentDisplayTextFormat());
    return 0;
}

CDisplayStatement* MakeDisplayStatement(CExpressionStatement* statement)
{
    CDisplayStatement* d = new CDisplayStatement(statement->owner);
    d->labelId = statement->labelId;
    d->textStart = statement->textStart;
    d->textEnd = statement->textEnd;
    d->spanStart = statement->spanStart;
    d->spanEnd = statement->spanEnd;
    d->root = statement->expr.Release();
    return d;
}

// ---- the block's expression services -------------------------------------

// slot 12: ParseStreamExpression into a fresh holder, root handed out.
StatusWord CStatementBlock::ParseExpression(std::istream& in, ExprNode** root)
{
    CCompiledExpr holder;
    StatusWord status = ParseStreamExpression(in, this, &holder);
    if (root)
        *root = holder.Release();
    return status;
}

// slot 13
StatusWord CStatementBlock::Evaluate(ExprNode* tree, CValue* dest)
{
    if (!tree) return 0;
    NoteIndexRead(tree);
    StatusWord st = EvaluateNode(tree, *dest, this);
    NoteIndexRead(nullptr);
    if (!st) ResolveHandles(*dest);
    return st;
}

// slot 14
StatusWord CStatementBlock::EvaluateReference(ExprNode* tree, CValue** out)
{
    if (!tree) return 0;
    if (out) *out = nullptr;
    CValue scratch;
    if (StatusWord st = EvaluateNode(tree, scratch, this)) return st;
    if (scratch.Type() != VT_HANDLE) return ERR_NOT_LVALUE;
    if (out) *out = scratch.HandleTarget();
    return 0;
}

// slot 15
void CStatementBlock::FreeExpression(ExprNode* tree) { FreeExprNode(tree); }
