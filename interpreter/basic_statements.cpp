// The basic statement group record, its factory, and the jump and
// housekeeping statements.
#include "interpreter/basic_statements.h"

#include <new>

#include "interpreter/expression_statements.h"
#include "interpreter/translator.h"

namespace {

const CmdrStatementEntry kBasicStatements[] = {
    {"for", STMT_FOR,
     "for(var=nexp[:nend[:nstep=1]])\r\n  statement\r\n  ...\r\nend\r\nMain loop statement.",
     "for(I=nstart:nend)\r\nend"},
    {"while", STMT_WHILE,
     "while(expression)\r\n  statement\r\n  ...\r\nend\r\n"
     "The while executes statement repeatedly until absolute value of expression becomes 0\r\n",
     "while(COND)\r\nend"},
    {"if", STMT_IF,
     "if(express)\r\n  statements\r\nend\r\n\r\n"
     "if(express)\r\n  statements1\r\nelse\r\n  statements2\r\nend\r\n\r\n"
     "if(express1)\r\n  statements1\r\nelseif(express2)\r\n  statements2\r\nelse\r\n  statements3\r\nend\r\n\r\n"
     "Evaluates the express and, if the evaluation yields a logical true or nonzero result, executes one or "
     "more commands denoted here as statements.\r\n\r\n"
     "When nesting ifs, each if must be paired with a matching end.\r\n",
     "if(express)\r\n;\r\nend"},
    {"switch", STMT_SWITCH,
     "switch(sw_expr)\r\n  case c_expr1:\r\n    statement\r\n    ...\r\n  [break;]\r\n"
     "  case c_expr2: case c_expr3: case c_expr4:\r\n    statement\r\n    ...\r\n  [break;]\r\n...\r\n"
     "  case c_exprN:\r\n    statement\r\n    ...\r\n  [break;]\r\n  [default:\r\n    statement\r\n    ...\r\n"
     "  [break;]]\r\nend\r\n"
     "The switch and case keywords evaluate expression sw_expr and execute any statement associated with "
     "expression whose value matches the initial expression c_exprN.\r\n"
     "If there is no match with a expressions c_exprN, the statement associated with the default keyword is "
     "executed. If the default is not used, control passes to the statement following the switch block.\r\n",
     "switch(expr)\r\n  case c1:\r\n  break;\r\n  case c2:\r\n  break;\r\n  default:\r\nend\r\n"},
    {"break", STMT_BREAK,
     "Terminates the execution of a for or while loop and switches. Statements in the loop that appear after "
     "the break statement, are not executed",
     "break;"},
    {"return", STMT_RETURN,
     "Return to the invoking function\r\nReturn causes a normal return to the invoking function.", "return;"},
    {"continue", STMT_CONTINUE,
     "Pass control to the next iteration of for or while loop. continue passes control to the next iteration "
     "of the loop in which it appears, skipping any remaining statements in the body of the loop",
     "continue;"},
    {"goto", STMT_GOTO,
     "goto label;\r\n...\r\nlabel: statement\r\n...\r\n"
     "The goto keyword transfers control directly to the statement specified by the label name.",
     "goto label;"},
    {"global", STMT_GLOBAL,
     "global VAR\r\nglobal a,b,c;\r\nDefines a variables in global area. Variables defined in a global area "
     "are available in all functions and programs running on the Veldra instance.",
     "global VAR;"},
    {"clear", STMT_CLEAR, "clear [name1,name2,...,nameN]\r\nRemoves object(s) from program\r\n", "clear #;"},
    {"pause", STMT_PAUSE, "pause TIME\r\nSuspends the program execution for a specified interval (in second)",
     "pause 1"},
};

CBasicStatementGroup BasicGroup;

}  // namespace

// ---- the group ----------------------------------------------------------------

CStatement* CreateBasicStatement(int code, CStatementBlock* owner)
{
    switch (code) {
    case STMT_FOR: return new (std::nothrow) CForStatement(owner);
    case STMT_WHILE: return new (std::nothrow) CWhileStatement(owner);
    case STMT_IF: return new (std::nothrow) CIfStatement(owner);
    case STMT_SWITCH: return new (std::nothrow) CSwitchStatement(owner);
    case STMT_BREAK: return new (std::nothrow) CBreakStatement(owner);
    case STMT_RETURN: return new (std::nothrow) CReturnStatement(owner);
    case STMT_CONTINUE: return new (std::nothrow) CContinueStatement(owner);
    case STMT_GOTO: return new (std::nothrow) CGotoStatement(owner);
    case STMT_GLOBAL: return new (std::nothrow) CGlobalStatement(owner);
    case STMT_CLEAR: return new (std::nothrow) CClearStatement(owner);
    case STMT_PAUSE: return new (std::nothrow) CPauseStatement(owner);
    default: return nullptr;
    }
}

CStatement* CBasicStatementGroup::CreateStatement(int code, CStatementBlock* owner)
{
    return CreateBasicStatement(code, owner);
}

CmdrInfo* RegisterBasicStatements()
{
    BasicGroup.deviceManager = nullptr;
    BasicGroup.title = "Standart statements";
    BasicGroup.description = "Basic statements";
    BasicGroup.statements = kBasicStatements;
    BasicGroup.statementCount = (int)(sizeof(kBasicStatements) / sizeof(kBasicStatements[0]));
    return &BasicGroup;
}

void InitNestedBlock(CStatementBlock& nested, CStatementBlock* owner)
{
    if (!owner) return;
    nested.ShareScope(owner);
    nested.flags = 0;
    nested.sourceName = owner->sourceName;
    nested.textBase = owner->textBase;
    nested.owner = owner->Context();
}

// ---- break, return, continue ----------------------------------------------------

StatusWord CJumpStatement::Translate(std::istream& in) { return ReadNonBlank(in) == ';' ? 0 : ERR_SYNTAX; }

// ---- goto -------------------------------------------------------------------------

StatusWord CGotoStatement::Translate(std::istream& in)
{
    std::string name;
    if (ReadUntil(in, ";", name) != ';' || name.empty()) return ERR_SYNTAX;
    label = InternLabel(name);
    return 0;
}

StatusWord CGotoStatement::Execute(CValue*)
{
    owner->Context()->pendingGotoLabel = label;
    return STATUS_GOTO;
}

// ---- global -------------------------------------------------------------------

StatusWord CGlobalStatement::Translate(std::istream& in)
{
    for (;;) {
        std::string name;
        int stop = ReadUntil(in, ",;", name);
        if (in.fail()) break;
        if (!name.empty() && !GlobalVariables.FindOrAdd(name)) return ERR_INTERNAL;
        if (stop == ';') break;
    }
    // Done at translation time: the translator stores no statement.
    return in.good() ? STATUS_RETURN : ERR_SYNTAX;
}

// ---- clear ------------------------------------------------------------------------

StatusWord CClearStatement::Translate(std::istream& in)
{
    int c = ReadNonBlank(in);
    if (c == ';') {
        mode = CLEAR_ALL;
        return 0;
    }
    if (c == '*' || c == '#') {
        mode = c == '*' ? CLEAR_GLOBAL : CLEAR_LOCAL;
        return ReadNonBlank(in) == ';' ? 0 : ERR_SYNTAX;
    }
    PutBackChar(in, c);
    std::vector<std::string> read;
    int stop;
    do {
        std::string name;
        stop = ReadUntil(in, ",;", name);
        if (!name.empty()) read.push_back(name);
    } while (stop == ',' && in.good());
    if (in.good() && !read.empty()) {
        mode = CLEAR_NAMES;
        names = std::move(read);
    }
    return stop == ';' ? 0 : ERR_SYNTAX;
}

StatusWord CClearStatement::Execute(CValue*)
{
    CVarTable* local = owner->Vars();
    switch (mode) {
    case CLEAR_NAMES:
        for (const std::string& name : names) {
            CVarSlot* slot = local ? local->Find(name) : nullptr;
            if (!slot) slot = GlobalVariables.Find(name);
            if (!slot) {
                ReportError() << "Variable '" << name << "' is not found";
                return ERR_INVALID_VARIABLE | STATUS_REPORTED;
            }
            if (slot->value) slot->value->Clear();
        }
        return 0;
    case CLEAR_GLOBAL: GlobalVariables.ClearValues(); return 0;
    case CLEAR_LOCAL:
        if (local) local->ClearValues();
        return 0;
    case CLEAR_ALL:
        GlobalVariables.ClearValues();
        if (local) local->ClearValues();
        return 0;
    default: return 0;
    }
}

// ---- pause ------------------------------------------------------------------------

StatusWord CPauseStatement::Translate(std::istream& in) { return TranslateExpressionPart(in, owner, *this); }

StatusWord CPauseStatement::Execute(CValue* scratch)
{
    StatusWord status = 0;
    if (root) {
        status = EvalStatementArgument(root, *scratch, owner);
        if (status == ERR_EMPTY_STATEMENT) status = 0;
    }
    double t;
    if (scratch->Type() == VT_REAL)
        t = scratch->Real();
    else if (scratch->Type() == VT_COMPLEX && scratch->ComplexRef().im == 0)
        t = scratch->ComplexRef().re;
    else
        return ERR_RANGED_INTEGER;
    int ms;
    if (!(t >= 0 && t < 500000) || !DoubleToInt(t * 1000, ms)) return ERR_RANGED_INTEGER;
    owner->Context()->WaitPause(ms);
    return status;
}
