// for, while, if and switch: their headers, their nested bodies and the
// break and continue flags they consume.
#include <cmath>

#include "interpreter/basic_statements.h"
#include "interpreter/expression_statements.h"
#include "interpreter/translator.h"
#include "values/operators.h"
#include "values/value_matrix.h"

namespace {

// A header expression that stopped anywhere but at the expected separator.
// A whole expression (0) means the separator is missing.
inline StatusWord HeaderError(StatusWord status) { return (status & STATUS_CODE_MASK) ? status : ERR_SYNTAX; }

// Reads "(" and a condition that ends at ")".
StatusWord TranslateCondition(std::istream& in, CStatement* st, CCompiledExpr& condition)
{
    if (ReadNonBlank(in) != '(') return ERR_SYNTAX;
    StatusWord s = ParseStreamExpression(in, st->owner, &condition);
    if (s != ERR_UNEXPECTED_RPAREN) return HeaderError(s);
    st->spanEnd = StreamPos(in);
    if (!condition.root) return ERR_EMPTY_STATEMENT;
    return 0;
}

// The number of a scalar operand: a Real, or the real part of a Complex.
bool ScalarNumber(const CValue& v, double& x)
{
    if (v.Type() == VT_REAL) {
        x = v.Real();
        return true;
    }
    if (v.Type() == VT_COMPLEX) {
        x = v.ComplexRef().re;
        return true;
    }
    return false;
}

// The pass count of the range rule: the nearest whole number when within
// 1e-14, else the floor. False for a NaN or +INF count, or one beyond any
// loop; -INF counts as no pass.
bool PassCount(double c, int64_t& n)
{
    if (std::isnan(c) || c == INFINITY) return false;
    if (c == -INFINITY) {
        n = 0;
        return true;
    }
    double r = RoundToNearest(c);
    double whole = std::fabs(c - r) <= 1e-14 ? r : std::floor(c);
    return DoubleToInt64(whole, n);
}

// One pass of a loop body. A body with no statement to run still passes the
// stop check, so that Stop ends a loop such as while(1) end.
StatusWord RunPass(CStatementBlock& body)
{
    if (body.startIndex >= body.Count() && body.Context()->IsStopRequested()) return ERR_STOPPED;
    return ExecuteStatements(&body);
}

// The flags a loop consumes after one pass. True when the loop goes on.
bool AfterPass(StatusWord& s)
{
    if (s & STATUS_BREAK) {
        s &= ~STATUS_BREAK;
        return false;
    }
    s &= ~STATUS_CONTINUE;
    return s == 0;
}

}  // namespace

// ---- for ------------------------------------------------------------------------

CForStatement::CForStatement(CStatementBlock* owner) : CStatement(owner) { InitNestedBlock(body, owner); }

StatusWord CForStatement::Translate(std::istream& in)
{
    if (ReadNonBlank(in) != '(') return ERR_SYNTAX;
    std::string name;
    if (ReadUntil(in, "=", name) != '=' || name.empty() || !(std::isalpha((unsigned char)name[0]) || name[0] == '_'))
        return ERR_SYNTAX;
    CVarTable* vars = owner->Vars();
    variable = vars ? vars->FindOrAdd(name) : nullptr;
    if (!variable) return ERR_INTERNAL;

    StatusWord s = ParseStreamExpression(in, owner, &startExpr);
    if (s == ERR_COLON_PLACEMENT) {
        if (!startExpr.root) return ERR_EMPTY_STATEMENT;
        s = ParseStreamExpression(in, owner, &endExpr);
        if (s == ERR_COLON_PLACEMENT) {
            if (!endExpr.root) return ERR_EMPTY_STATEMENT;
            s = ParseStreamExpression(in, owner, &stepExpr);
            if (s != ERR_UNEXPECTED_RPAREN) return HeaderError(s);
            if (!stepExpr.root) return ERR_EMPTY_STATEMENT;
        } else if (s == ERR_UNEXPECTED_RPAREN) {
            if (!endExpr.root) return ERR_EMPTY_STATEMENT;
        } else {
            return HeaderError(s);
        }
    } else if (s == ERR_UNEXPECTED_RPAREN) {
        if (!startExpr.root) return ERR_EMPTY_STATEMENT;
    } else {
        return HeaderError(s);
    }
    spanEnd = StreamPos(in);
    return TranslateBlock(&body, in);
}

StatusWord CForStatement::Execute(CValue*)
{
    CValue start, end, step(1.0);
    StatusWord s = EvalStatementArgument(startExpr.root, start, owner);
    if (s) return s;
    if (endExpr.root) {
        if ((s = EvalStatementArgument(endExpr.root, end, owner))) return s;
        if (stepExpr.root && (s = EvalStatementArgument(stepExpr.root, step, owner))) return s;
    }
    if (!variable || !variable->value) return ERR_INTERNAL;
    CValue& var = *variable->value;

    if (endExpr.root) {
        double a, b, h;
        if (!ScalarNumber(start, a) || !ScalarNumber(end, b) || !ScalarNumber(step, h)) return ERR_SCALAR_OPERANDS;
        int64_t n;
        if (!PassCount((b - a) / h + 1, n)) return ERR_SCALAR_OPERANDS;
        var = start;
        for (int64_t k = 1; k <= n; ++k) {
            s = RunPass(body);
            if (!AfterPass(s)) return s;
            if (k == n) break;
            // The body may have changed the variable: the step goes on from its number.
            if (var.Type() == VT_REAL)
                var.Real() += h;
            else if (var.Type() == VT_COMPLEX)
                var.ComplexRef().re += h;
            else
                var.SetReal(a + (double)k * h);
        }
        return 0;
    }

    if (start.Type() != VT_MATRIX) return ERR_FOR_OPERANDS;
    CValueMatrix& m = start.Matrix();
    int rows = m.Rows(), cols = m.Cols();
    for (int j = 0; j < cols; ++j) {
        if (rows == 1) {
            var.Clear();
            var.Swap(m.Cell(0, j));
        } else {
            CValue column;
            CValueMatrix& c = column.MakeMatrix(rows, 1);
            for (int i = 0; i < rows; ++i) c.Cell(i, 0).Swap(m.Cell(i, j));
            var = std::move(column);
        }
        s = RunPass(body);
        if (!AfterPass(s)) return s;
    }
    return 0;
}

// ---- while ----------------------------------------------------------------------

CWhileStatement::CWhileStatement(CStatementBlock* owner) : CStatement(owner) { InitNestedBlock(body, owner); }

StatusWord CWhileStatement::Translate(std::istream& in)
{
    StatusWord s = TranslateCondition(in, this, condition);
    if (s) return s;
    return TranslateBlock(&body, in);
}

StatusWord CWhileStatement::Execute(CValue*)
{
    for (;;) {
        CValue v;
        StatusWord s = EvalStatementArgument(condition.root, v, owner);
        if (s) return s;
        double truth;
        if ((s = v.ToBoolean(truth))) return s;
        if (truth == 0.0) return 0;
        s = RunPass(body);
        if (!AfterPass(s)) return s;
    }
}

// ---- if ---------------------------------------------------------------------------

CIfStatement::CIfStatement(CStatementBlock* owner) : CStatement(owner)
{
    InitNestedBlock(thenBlock, owner);
    InitNestedBlock(elseBlock, owner);
}

StatusWord CIfStatement::Translate(std::istream& in)
{
    StatusWord s = TranslateCondition(in, this, condition);
    if (s) return s;
    s = TranslateBlock(&thenBlock, in);
    if (s == ERR_UNEXPECTED_ELSE) return TranslateBlock(&elseBlock, in);
    if (s != ERR_UNEXPECTED_ELSEIF) return s;

    // "elseif": the rest is an if statement of its own inside the else block.
    int wordStart = StreamPos(in) - 6;
    CStatement* nested = CStatementModuleList::CreateStatement("if", owner);
    if (!nested) return ERR_INTERNAL;
    nested->textStart = wordStart;
    nested->spanStart = wordStart;
    elseBlock.Append(nested);
    s = nested->Translate(in);
    int pos = StreamPos(in);
    nested->textEnd = pos;
    if (nested->spanEnd == -1) nested->spanEnd = pos;
    if (s & STATUS_CODE_MASK) {
        elseBlock.statements.pop_back();
        delete nested;
    }
    return s;
}

StatusWord CIfStatement::Execute(CValue* scratch)
{
    StatusWord s = EvalStatementArgument(condition.root, *scratch, owner);
    if (s) return s;
    double truth;
    if ((s = scratch->ToBoolean(truth))) return s;
    return ExecuteStatements(truth != 0.0 ? &thenBlock : &elseBlock);
}

// ---- switch -------------------------------------------------------------------

CSwitchStatement::CSwitchStatement(CStatementBlock* owner) : CStatement(owner) { InitNestedBlock(defaultBlock, owner); }

CSwitchStatement::~CSwitchStatement()
{
    for (Case* c : cases) delete c;
}

StatusWord CSwitchStatement::Translate(std::istream& in)
{
    StatusWord s = TranslateCondition(in, this, selector);
    if (s) return s;

    std::string word;
    int c;
    while ((c = in.peek()) != EOF && std::isspace(c)) in.get();
    while ((c = in.peek()) != EOF && !std::isspace(c)) word += (char)std::tolower(in.get());
    if (word != "case") return ERR_SYNTAX;

    s = ERR_UNEXPECTED_CASE;
    for (;;) {
        if (s == ERR_UNEXPECTED_CASE) {
            Case* rec = new Case();
            InitNestedBlock(rec->block, owner);
            StatusWord e = ParseStreamExpression(in, owner, &rec->expr);
            if (e != ERR_COLON_PLACEMENT) {
                delete rec;
                return HeaderError(e);
            }
            if (!rec->expr.root) {
                delete rec;
                return ERR_EMPTY_STATEMENT;
            }
            s = TranslateBlock(&rec->block, in);
            cases.push_back(rec);
        } else if (s == ERR_UNEXPECTED_DEFAULT) {
            // Every "default" needs its colon.
            if (ReadNonBlank(in) != ':') return ERR_SYNTAX;
            s = TranslateBlock(&defaultBlock, in);
        } else {
            return s;
        }
    }
}

StatusWord CSwitchStatement::Execute(CValue* scratch)
{
    StatusWord s = EvalStatementArgument(selector.root, *scratch, owner);
    if (s) return s;
    bool matched = false;
    for (Case* rec : cases) {
        if (!matched) {
            // A case that fails to evaluate is compared with what it holds.
            CValue v;
            EvalStatementArgument(rec->expr.root, v, owner);
            matched = ValueEquals(*scratch, v);
        }
        if (matched) {
            s = ExecuteStatements(&rec->block);
            if (s & STATUS_BREAK) return s & ~STATUS_BREAK;
            if (s) return s;
        }
    }
    return ExecuteStatements(&defaultBlock) & ~STATUS_BREAK;
}
