// The plot statement group: its record, the current-plot state, and the
// statements' parsing. The device commands are sent in plot_commands.cpp.
#include "devices/plot_statements.h"

#include <atomic>
#include <cctype>
#include <new>

#include "interpreter/expression_statements.h"
#include "interpreter/translator.h"
#include "interpreter/var_table.h"
#include "values/value_text.h"

namespace {

const CmdrStatementEntry kPlotStatements[] = {
    {"plot2d", STMT_PLOT2D,
     "plot2d [#HANDLE]\r\n   (XN,YN,SETN=VALN,...),\r\n   ...\r\n   (XN,YN,SETN=VALN,...)\r\n   [,SETN=VALN,...];\r\n"
     "Plots the graphic at the 2-dimensional axis",
     "plot2d (X,Y);"},
    {"posplot", STMT_POSPLOT,
     "posplot X,Y\r\nStatement divides the current window into rectangular planes that are numbered row-wise. "
     "Each plane has a own coordinate position (X,Y) and contain an axes.",
     "posplot X,Y;"},
    {"subplot", STMT_SUBPLOT,
     "subplot ID;\r\nSets the identifier of a graphic object, so that next graphics objects should be created with "
     "specified ID.",
     "subplot 10;"},
    {"clrplot", STMT_CLRPLOT,
     "clrplot #HANDLE;\r\nThe clrplot statement delete selected graphic object (defined by subplot) on the selected "
     "plane position (posplot).",
     "clrplot #DEFAULT;"},
    {"hldplot", STMT_HLDPLOT,
     "hldplot [on][off];\r\nThe statement determines the way how a new graphics objects should be added or replaced "
     "in the plane.",
     "hldplot on;"},
    {"setplot", STMT_SETPLOT,
     "setplot #HANDLE SETN=VALN,...;\r\nDefine the properties of a plane and(or) graphic object",
     "setplot #HANDLE linewidth=2;"},
    {"dimplot", STMT_DIMPLOT, "dimplot #HANDLE X,Y;\r\ndimplot #HANDLE *;\r\nAssigns a size of an view window",
     "dimplot #HANDLE *;"},
    {"bndplot", STMT_BNDPLOT,
     "bndplot #HANDLE Xleft,Xright,Ytop,Ybottom;\r\nbndplot #HANDLE Xleft,Xright;\r\n"
     "bndplot #HANDLE ,,Ytop,Ybottom;\r\nbndplot #HANDLE *;\r\nAssigns a ranges of visible area",
     "bndplot 0,10;"},
    {"plot", STMT_PLOT,
     "plot [CMD] [#HANDLE]\r\n   (XN,YN: SETN=VALN,...),\r\n   ...\r\n   (XN,YN: SETN=VALN,...)\r\n"
     "   [,SETN=VALN,...];\r\nGeneralized plot statement",
     "plot (X,Y);"},
};

CPlotStatementGroup PlotGroup;

// The current-plot state (GetCurrentPlot): the program thread writes and
// reads it; atomic because an abandoned thread may still write while the
// next run resets it.
std::atomic<int32_t> CurrentPlaneX{-1};
std::atomic<int32_t> CurrentPlaneY{-1};
std::atomic<int32_t> CurrentObjectId{-1};
std::atomic<uint32_t> PlotHoldFlags{0};

std::string Lower(std::string s)
{
    for (char& ch : s) ch = (char)std::tolower((unsigned char)ch);
    return s;
}

// A stop that a list rule does not accept: ';' (0) becomes 30.
inline StatusWord Unaccepted(StatusWord s) { return s ? s : ERR_SYNTAX; }

// The stop codes of the expression reader, as opposed to parse errors.
inline bool IsStopCode(StatusWord s)
{
    return s == ERR_UNEXPECTED_RPAREN || s == ERR_UNEXPECTED_RBRACKET || s == ERR_COMMA_PLACEMENT ||
           s == ERR_SEMICOLON_PLACEMENT || s == ERR_COLON_PLACEMENT || s == ERR_SYNTAX;
}

// A comma-separated list of at most max expressions that ends with ';';
// empty positions stay empty. 30 for any other ending or too many.
StatusWord ParseArgumentList(std::istream& in, CStatementBlock* owner, CCompiledExpr* const* exprs, int max)
{
    for (int i = 0;; ++i) {
        if (i >= max) return ERR_SYNTAX;
        StatusWord s = ParseStreamExpression(in, owner, exprs[i]);
        if (s == 0) return 0;
        if (s != ERR_COMMA_PLACEMENT) return IsStopCode(s) ? ERR_SYNTAX : s;
    }
}

// The value of an operand that must be a real whole number: Real, or
// Complex with a zero imaginary part, truncated toward zero; 75 otherwise.
StatusWord EvalRangedInteger(const CCompiledExpr& expr, CStatementBlock* owner, int& out)
{
    CValue v;
    StatusWord s = EvalStatementArgument(expr.root, v, owner);
    if (s) return s;
    double x;
    if (v.Type() == VT_REAL)
        x = v.Real();
    else if (v.Type() == VT_COMPLEX && v.ComplexRef().im == 0)
        x = v.ComplexRef().re;
    else
        return ERR_RANGED_INTEGER;
    if (!DoubleToInt(x, out)) return ERR_RANGED_INTEGER;
    return 0;
}

// posplot and subplot: '*' and ';', which leaves every operand absent.
// True when the statement was '*'; status holds the result then.
bool TranslateStar(std::istream& in, StatusWord& status)
{
    int c = ReadNonBlank(in);
    if (c != '*') {
        PutBackChar(in, c);
        return false;
    }
    status = ReadNonBlank(in) == ';' ? 0 : ERR_SYNTAX;
    return true;
}

}  // namespace

// ---- current-plot state -----------------------------------------------------

CurrentPlotState GetCurrentPlot()
{
    return {CurrentPlaneX.load(), CurrentPlaneY.load(), CurrentObjectId.load(), PlotHoldFlags.load()};
}

void SetCurrentPlane(int32_t x, int32_t y)
{
    CurrentPlaneX = x;
    CurrentPlaneY = y;
}

void SetCurrentObject(int32_t id) { CurrentObjectId = id; }

void SetPlotHold(int mode)
{
    if (mode == 1)
        PlotHoldFlags |= 1u;
    else if (mode == 0)
        PlotHoldFlags &= ~1u;
    else
        PlotHoldFlags ^= 1u;
}

void ResetCurrentPlot()
{
    PlotHoldFlags = 0;
    CurrentPlaneX = -1;
    CurrentPlaneY = -1;
    CurrentObjectId = -1;
}

// ---- handles -------------------------------------------------------------------

bool CPlotStatementBase::ParsePlotHandle(const std::string& word)
{
    if (word.empty() || !(std::isalpha((unsigned char)word[0]) || word[0] == '_')) {
        ReportError() << "Invalid a plot handle name";
        return false;
    }
    CVarTable* vars = owner ? owner->Vars() : nullptr;
    handleVariable = vars ? vars->FindOrAdd(word) : nullptr;
    if (!handleVariable) return false;
    HandleName() = word;
    return true;
}

StatusWord CPlotStatementBase::TranslateRequiredHandle(std::istream& in)
{
    if (ReadNonBlank(in) != '#') return ERR_UNEXPECTED_ENTRY;
    std::string word;
    if (ReadUntil(in, " \t\r\n;", word) == ';') PutBackChar(in, ';');
    return ParsePlotHandle(word) ? 0 : ERR_INTERNAL;
}

// ---- options ---------------------------------------------------------------------

StatusWord ParseOptionList(std::istream& in, CStatementBlock* owner, StatusWord end,
                           const std::function<void(std::string*&, CCompiledExpr*&)>& add)
{
    for (;;) {
        std::string name;
        if (ReadUntil(in, "=;", name) != '=' || name.empty()) return ERR_SYNTAX;
        std::string* nameSlot = nullptr;
        CCompiledExpr* expr = nullptr;
        add(nameSlot, expr);
        if (!nameSlot || !expr) return ERR_INTERNAL;
        *nameSlot = Lower(name);
        StatusWord s = ParseStreamExpression(in, owner, expr);
        if (s != ERR_COMMA_PLACEMENT && s != end) return Unaccepted(s);
        if (!expr->root) return ERR_EMPTY_STATEMENT;
        if (s == end) return 0;
    }
}

StatusWord ParsePlotOptions(std::istream& in, CStatementBlock* owner, StatusWord end,
                            std::vector<PlotOptionEntry*>& list)
{
    return ParseOptionList(in, owner, end, [&list](std::string*& name, CCompiledExpr*& expr) {
        PlotOptionEntry* e = new (std::nothrow) PlotOptionEntry;
        if (!e) return;
        list.push_back(e);
        name = &e->option.name;
        expr = &e->expr;
    });
}

StatusWord EvaluatePlotOptions(const std::vector<PlotOptionEntry*>& list, CStatementBlock* owner,
                               std::vector<PlotTextOption>& out)
{
    out.clear();
    out.reserve(list.size());
    for (PlotOptionEntry* e : list) {
        CValue v;
        StatusWord s = EvalStatementArgument(e->expr.root, v, owner);
        if (s) return s;
        e->option.text.clear();
        ValueFormat(v, e->option.text, &kPlotOptionTextFormat);
        out.push_back(e->option);
    }
    return 0;
}

// ---- plot2d ----------------------------------------------------------------------

CPlot2dStatement::Series::~Series()
{
    for (PlotOptionEntry* e : options) delete e;
}

CPlot2dStatement::~CPlot2dStatement()
{
    for (PlotOptionEntry* e : globalOptions) delete e;
    for (Series* s : series) delete s;
}

StatusWord CPlot2dStatement::Translate(std::istream& in)
{
    int c = ReadNonBlank(in);
    if (c == '#') {
        std::string word;
        c = ReadUntil(in, "(;", word);
        if (!ParsePlotHandle(word)) return ERR_INTERNAL;
    }
    if (c != '(') return ERR_SYNTAX;
    while (c == '(') {
        Series* s = new (std::nothrow) Series;
        if (!s) return ERR_INTERNAL;
        series.push_back(s);
        StatusWord st = ParseStreamExpression(in, owner, &s->x);
        if (st != ERR_COMMA_PLACEMENT && st != ERR_UNEXPECTED_RPAREN) return Unaccepted(st);
        if (!s->x.root) return ERR_EMPTY_STATEMENT;
        if (st == ERR_COMMA_PLACEMENT) {
            st = ParseStreamExpression(in, owner, &s->y);
            if (st != ERR_COMMA_PLACEMENT && st != ERR_UNEXPECTED_RPAREN) return Unaccepted(st);
            if (!s->y.root) return ERR_EMPTY_STATEMENT;
            if (st == ERR_COMMA_PLACEMENT) {
                st = ParsePlotOptions(in, owner, ERR_UNEXPECTED_RPAREN, s->options);
                if (st) return st;
            }
        }
        c = ReadNonBlank(in);
        if (c == ',') c = ReadNonBlank(in);
    }
    if (c == ';') return 0;
    PutBackChar(in, c);
    return ParsePlotOptions(in, owner, 0, globalOptions);
}

// ---- posplot, subplot, hldplot ------------------------------------------------

StatusWord CPosplotStatement::Translate(std::istream& in)
{
    StatusWord status;
    if (TranslateStar(in, status)) return status;
    StatusWord s = ParseStreamExpression(in, owner, &x);
    if (s == ERR_COMMA_PLACEMENT) s = ParseStreamExpression(in, owner, &y);
    return s;
}

StatusWord CPosplotStatement::Execute(CValue*)
{
    // Both are checked before either is stored: a failure leaves the plane as it was.
    int px = -1, py = -1;
    if (x.root) {
        if (StatusWord s = EvalRangedInteger(x, owner, px)) return s;
        if (px != -1 && (px < 1 || px > 800)) return ERR_RANGED_INTEGER;
    }
    if (y.root) {
        if (StatusWord s = EvalRangedInteger(y, owner, py)) return s;
        if (py != -1 && (py < 1 || py > 800)) return ERR_RANGED_INTEGER;
    }
    SetCurrentPlane(px, py);
    return 0;
}

StatusWord CSubplotStatement::Translate(std::istream& in)
{
    StatusWord status;
    if (TranslateStar(in, status)) return status;
    return ParseStreamExpression(in, owner, &id);
}

StatusWord CSubplotStatement::Execute(CValue*)
{
    int v = -1;
    if (id.root) {
        if (StatusWord s = EvalRangedInteger(id, owner, v)) return s;
        if (v < -1 || v > 65535) return ERR_RANGED_INTEGER;
    }
    SetCurrentObject(v);
    return 0;
}

StatusWord CHldplotStatement::Translate(std::istream& in)
{
    std::string word;
    if (ReadUntil(in, "(;", word) != ';') return ERR_SYNTAX;
    if (word.empty())
        mode = -1;
    else if (word == "on")
        mode = 1;
    else if (word == "off")
        mode = 0;
    else
        return ERR_SYNTAX;
    return 0;
}

StatusWord CHldplotStatement::Execute(CValue*)
{
    SetPlotHold(mode);
    return 0;
}

// ---- clrplot, setplot, dimplot, bndplot ------------------------------------

StatusWord CClrplotStatement::Translate(std::istream& in)
{
    if (StatusWord s = TranslateRequiredHandle(in)) return s;
    return ReadNonBlank(in) == ';' ? 0 : ERR_SYNTAX;
}

CSetplotStatement::~CSetplotStatement()
{
    for (PlotOptionEntry* e : options) delete e;
}

StatusWord CSetplotStatement::Translate(std::istream& in)
{
    if (StatusWord s = TranslateRequiredHandle(in)) return s;
    return ParsePlotOptions(in, owner, 0, options);
}

StatusWord CDimplotStatement::Translate(std::istream& in)
{
    if (StatusWord s = TranslateRequiredHandle(in)) return s;
    StatusWord status;
    if (TranslateStar(in, status)) return status;
    CCompiledExpr* const both[2] = {&width, &height};
    return ParseArgumentList(in, owner, both, 2);
}

StatusWord CBndplotStatement::Translate(std::istream& in)
{
    if (StatusWord s = TranslateRequiredHandle(in)) return s;
    StatusWord status;
    if (TranslateStar(in, status)) return status;
    CCompiledExpr* const all[4] = {&bounds[0], &bounds[1], &bounds[2], &bounds[3]};
    return ParseArgumentList(in, owner, all, 4);
}

// ---- plot -------------------------------------------------------------------------

CPlotStatement::~CPlotStatement()
{
    for (SeriesArrays& a : m_seriesArrays) {
        for (PlotExprItem* e : a.items) delete e;
        for (PlotOptionRecord* o : a.options) delete o;
    }
    for (PlotSeriesRecord* r : m_series) delete r;
    for (PlotOptionRecord* o : m_options) delete o;
}

void CPlotStatement::LinkRecords()
{
    for (size_t i = 0; i < m_series.size(); ++i) {
        SeriesArrays& a = m_seriesArrays[i];
        m_series[i]->items = a.items.data();
        m_series[i]->itemCount = (uint32_t)a.items.size();
        m_series[i]->options = a.options.data();
        m_series[i]->optionCount = (uint32_t)a.options.size();
    }
    text.series = m_series.data();
    text.seriesCount = (uint32_t)m_series.size();
    text.options = m_options.data();
    text.optionCount = (uint32_t)m_options.size();
}

StatusWord CPlotStatement::ParseRecordOptions(std::istream& in, StatusWord end, std::vector<PlotOptionRecord*>& list)
{
    return ParseOptionList(in, owner, end, [&list](std::string*& name, CCompiledExpr*& expr) {
        PlotOptionRecord* r = new (std::nothrow) PlotOptionRecord;
        if (!r) return;
        list.push_back(r);
        name = &r->name;
        expr = &r->expr;
    });
}

// One series: expressions separated by ',', then optionally ':' and options.
// In parentheses the series ends with ')' and ';' is refused; without them it
// ends with ';' and ')' gives 31.
StatusWord CPlotStatement::ParseSeries(std::istream& in, bool parenthesised)
{
    PlotSeriesRecord* record = new (std::nothrow) PlotSeriesRecord;
    if (!record) return ERR_INTERNAL;
    m_series.push_back(record);
    m_seriesArrays.emplace_back();
    const StatusWord end = parenthesised ? ERR_UNEXPECTED_RPAREN : 0;
    for (;;) {
        PlotExprItem* item = new (std::nothrow) PlotExprItem;
        if (!item) return ERR_INTERNAL;
        m_seriesArrays.back().items.push_back(item);
        StatusWord s = ParseStreamExpression(in, owner, &item->expr);
        if (s != ERR_COMMA_PLACEMENT && s != ERR_COLON_PLACEMENT && s != end)
            return parenthesised ? Unaccepted(s) : s;
        if (!item->expr.root) return ERR_EMPTY_STATEMENT;
        if (s == end) return 0;
        if (s == ERR_COLON_PLACEMENT) return ParseRecordOptions(in, end, m_seriesArrays.back().options);
    }
}

StatusWord CPlotStatement::Translate(std::istream& in)
{
    struct Linker {
        CPlotStatement* st;
        ~Linker() { st->LinkRecords(); }
    } linker{this};

    int c = ReadNonBlank(in);
    if (c != '#' && c != '(') {
        if (c == EOF || !std::isalpha(c)) {
            PutBackChar(in, c);
            return ParseSeries(in, false);
        }
        // A leading word is the command word unless ',' or ';' follows it:
        // then it was the first expression of a series.
        PutBackChar(in, c);
        int wordStart = StreamPos(in);
        std::string word;
        int stop = ReadUntil(in, " \t\n\r(#,;", word);
        if (stop == ' ' || stop == '\t' || stop == '\n' || stop == '\r') stop = ReadNonBlank(in);
        if (stop == ',' || stop == ';' || stop == EOF) {
            StreamSeek(in, wordStart);
            return ParseSeries(in, false);
        }
        text.command = word;
        c = stop;
        if (c != '#' && c != '(') {
            PutBackChar(in, c);
            return ParseSeries(in, false);
        }
    }
    if (c == '#') {
        std::string word;
        int stop = ReadUntil(in, " \t\n\r(;", word);
        if (!ParsePlotHandle(word)) return ERR_INTERNAL;
        if (stop == ';') return ERR_UNEXPECTED_END;
        c = stop == '(' ? '(' : ReadNonBlank(in);
        if (c != '(') {
            PutBackChar(in, c);
            return ParseSeries(in, false);
        }
    }
    while (c == '(') {
        if (StatusWord s = ParseSeries(in, true)) return s;
        c = ReadNonBlank(in);
        if (c == ',') c = ReadNonBlank(in);
    }
    if (c == ';') return 0;
    PutBackChar(in, c);
    return ParseRecordOptions(in, 0, m_options);
}

// ---- the group ------------------------------------------------------------------

CStatement* CreatePlotStatement(int code, CStatementBlock* owner)
{
    switch (code) {
    case STMT_PLOT2D: return new (std::nothrow) CPlot2dStatement(owner);
    case STMT_POSPLOT: return new (std::nothrow) CPosplotStatement(owner);
    case STMT_SUBPLOT: return new (std::nothrow) CSubplotStatement(owner);
    case STMT_CLRPLOT: return new (std::nothrow) CClrplotStatement(owner);
    case STMT_HLDPLOT: return new (std::nothrow) CHldplotStatement(owner);
    case STMT_SETPLOT: return new (std::nothrow) CSetplotStatement(owner);
    case STMT_DIMPLOT: return new (std::nothrow) CDimplotStatement(owner);
    case STMT_BNDPLOT: return new (std::nothrow) CBndplotStatement(owner);
    case STMT_PLOT: return new (std::nothrow) CPlotStatement(owner);
    default: return nullptr;
    }
}

CStatement* CPlotStatementGroup::CreateStatement(int code, CStatementBlock* owner)
{
    return CreatePlotStatement(code, owner);
}

CmdrInfo* RegisterPlotStatements()
{
    PlotGroup.deviceManager = PlotStatementsManager();
    PlotGroup.title = "Plot statements";
    PlotGroup.description = "Graphic output statements";
    PlotGroup.statements = kPlotStatements;
    PlotGroup.statementCount = (int)(sizeof(kPlotStatements) / sizeof(kPlotStatements[0]));
    return &PlotGroup;
}
