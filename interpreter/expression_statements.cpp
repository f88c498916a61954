#include "interpreter/expression_statements.h"

#include "interpreter/block.h"
#include "interpreter/translator.h"
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
    StatusWord status = EvaluateNode(root, dest, context);
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
    StatusWord status = EvaluateNode(expr.root, *scratch, owner);
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
