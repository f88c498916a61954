// The expression translator: three layers over a text pointer (the parse
// entry, one precedence level, one operand), no separate tokeniser.
#include "interpreter/expr_parser.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "interpreter/source_stream.h"
#include "interpreter/user_calls.h"
#include "values/byte_buffer.h"
#include "values/output_stream.h"
#include "values/value_text.h"

namespace {

// Nesting of precedence levels on this thread; parses on other threads
// (the IDE, a running program) never disturb each other.
thread_local int t_nesting = 0;

constexpr int kMaxNesting = 100;

struct NestingGuard {
    NestingGuard() { ++t_nesting; }
    ~NestingGuard() { --t_nesting; }
};

bool IsBlank(char c) { return std::isspace((unsigned char)c) != 0; }
bool IsAlpha(char c) { return std::isalpha((unsigned char)c) != 0; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameStart(char c) { return IsAlpha(c) || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || IsDigit(c); }

void SkipBlanks(const char*& t)
{
    while (*t && IsBlank(*t)) ++t;
}

bool IsTerminator(char c)
{
    return c == 0 || c == ')' || c == ']' || c == ',' || c == ';' || c == ':';
}

StatusWord StopCode(char c)
{
    switch (c) {
    case 0: return 0;
    case ')': return ERR_UNEXPECTED_RPAREN;
    case ',': return ERR_COMMA_PLACEMENT;
    case ']': return ERR_UNEXPECTED_RBRACKET;
    case ';': return ERR_SEMICOLON_PLACEMENT;
    case ':': return ERR_COLON_PLACEMENT;
    default: return ERR_SYNTAX;
    }
}

std::string ReadName(const char*& t)
{
    const char* s = t;
    while (IsNameChar(*t)) ++t;
    return std::string(s, t - s);
}

bool IsAssignment(const OperatorRecord* op)
{
    if (!op) return false;
    OperatorHandler h = op->handler;
    return h == OpAssign || h == OpAddAssign || h == OpSubtractAssign || h == OpMultiplyAssign ||
           h == OpDivideAssign;
}

void FreeNodes(std::vector<ExprNode*>& nodes, size_t from = 0)
{
    for (size_t i = from; i < nodes.size(); ++i) FreeExprNode(nodes[i]);
    nodes.resize(from < nodes.size() ? from : nodes.size());
}

// Makes a node owning the listed trees; on failure the trees are freed.
ExprNode* MakeListNode(int kind, const void* payload, std::vector<ExprNode*>& items)
{
    int n = (int)items.size();
    ExprNode** ops = AllocOperandArray(n);
    ExprNode* node = ops ? (kind == EXPR_OPERATOR
                                ? NewOperatorNode(reinterpret_cast<OperatorHandler>(const_cast<void*>(payload)), ops, n)
                                : NewCallNode(kind, payload, ops, n))
                         : nullptr;
    if (!node) {
        delete[] ops;
        FreeNodes(items);
        return nullptr;
    }
    for (int i = 0; i < n; ++i) ops[i] = items[i];
    items.clear();
    return node;
}

ExprNode* MakeUnaryNode(const OperatorRecord* op, ExprNode* operand)
{
    std::vector<ExprNode*> items{operand};
    return MakeListNode(EXPR_OPERATOR, reinterpret_cast<const void*>(op->handler), items);
}

// ---- numbers ------------------------------------------------------------------------------

StatusWord ParseNumber(const char*& t, ExprNode*& out)
{
    const char* s = t;
    bool dot = false, digits = false;
    while (IsDigit(*t) || (*t == '.' && !dot)) {
        if (*t == '.')
            dot = true;
        else
            digits = true;
        ++t;
    }
    if (!digits) return ERR_SYNTAX;
    // "1..5": the first dot belongs to the range operator.
    if (t - s >= 1 && t[-1] == '.' && *t == '.') --t;
    if ((*t == 'e' || *t == 'E') &&
        (IsDigit(t[1]) || ((t[1] == '+' || t[1] == '-') && IsDigit(t[2])))) {
        ++t;
        if (*t == '+' || *t == '-') ++t;
        for (int k = 0; k < 3 && IsDigit(*t); ++k) ++t;
    }
    double value = 0.0;
    auto res = std::from_chars(s, t, value, std::chars_format::general);
    if (res.ec == std::errc::result_out_of_range) {
        // Beyond the double range: infinity, or zero for a negative exponent.
        const char* e = s;
        while (e < t && *e != 'e' && *e != 'E') ++e;
        value = (e + 1 < t && e[1] == '-') ? 0.0 : INFINITY;
    } else if (res.ec != std::errc()) {
        return ERR_SYNTAX;
    }
    bool imaginary = false;
    if (*t == 'i' || *t == 'j') {
        imaginary = true;
        ++t;
    }
    // A scale word follows the number; after a blank it begins with a
    // letter, since a digit there starts a second operand ("1 2"), which
    // the operator layer refuses.
    const char* end = t;
    while (*t == ' ') ++t;
    if (std::isalpha((unsigned char)*t) || (t == end && std::isdigit((unsigned char)*t))) {
        const char* w = t;
        while (std::isalnum((unsigned char)*t)) ++t;
        switch (*w) {
        case 'T': value *= 1e12; break;
        case 'G': value *= 1e9; break;
        case 'M': value *= 1e6; break;
        case 'K':
        case 'k': value *= 1e3; break;
        case 'm':
            value *= 1e-3;
            if (t - w >= 3 && std::strncmp(w, "mil", 3) == 0) value *= 0.0254;
            break;
        case 'u': value *= 1e-6; break;
        case 'n': value *= 1e-9; break;
        case 'p': value *= 1e-12; break;
        case 'f': value *= 1e-15; break;
        default: break;
        }
    }
    CValue v;
    if (imaginary)
        v.SetComplex(Complex(0.0, value));
    else
        v.SetReal(value);
    out = NewConstantNode(static_cast<CValue&&>(v));
    return out ? 0 : ERR_LIMITATION;
}

// ---- literals --------------------------------------------------------------------------------

StatusWord ParseIdentifier(const char*& t, ExprNode*& out)
{
    ++t;  // '#'
    if (!IsDigit(*t)) return ERR_SYNTAX;
    uint64_t id = 0;
    while (IsDigit(*t)) {
        id = id * 10 + (uint64_t)(*t - '0');
        if (id > 0xFFFFFFFFull) return ERR_SYNTAX;
        ++t;
    }
    CValue v;
    v.SetIdentifier((uint32_t)id);
    out = NewConstantNode(static_cast<CValue&&>(v));
    return out ? 0 : ERR_LIMITATION;
}

StatusWord ParseString(const char*& t, ExprNode*& out)
{
    ++t;  // opening quote
    std::string text;
    for (;;) {
        char c = *t;
        if (c == 0) return ERR_UNTERMINATED_STRING;
        if (c == '"') {
            if (t[1] == '"') {
                text += '"';
                t += 2;
                continue;
            }
            ++t;
            break;
        }
        if (c == '\\') {
            char e = t[1];
            if (e == '\\' || e == 'n' || e == 'r' || e == 't') {
                text += e == '\\' ? '\\' : e == 'n' ? '\n' : e == 'r' ? '\r' : '\t';
                t += 2;
                continue;
            }
            text += '\\';
            ++t;
            continue;
        }
        text += c;
        ++t;
    }
    CValue v;
    v.SetString(text);
    out = NewConstantNode(static_cast<CValue&&>(v));
    return out ? 0 : ERR_LIMITATION;
}

StatusWord ParseBinaryString(const char*& t, ExprNode*& out)
{
    const char* s = ++t;  // past '<'
    while (*t != '>') {
        if (*t == 0) return ERR_UNTERMINATED_STRING;
        if (!std::isalnum((unsigned char)*t) && !IsBlank(*t)) return ERR_BINARY_STRING;
        ++t;
    }
    std::string hex(s, t - s);
    ++t;  // '>'
    CByteBuffer bytes;
    int width = 0;
    if (ParseHexBytes(bytes, hex.c_str(), width) < 0) return ERR_BINARY_STRING;
    CValue v;
    v.SetBinaryString(bytes.Data(), bytes.Size());
    out = NewConstantNode(static_cast<CValue&&>(v));
    return out ? 0 : ERR_LIMITATION;
}

StatusWord ParseStructLiteral(const char*& t, ExprNode*& out)
{
    std::istringstream in{std::string(t)};
    CValue v;
    ReadValue(in, v);
    if (in.fail() || v.Type() != VT_STRUCT) return ERR_STRUCT_DEFINITION;
    std::streampos used = in.eof() ? std::streampos((std::streamoff)std::strlen(t)) : in.tellg();
    if (used < 0) return ERR_STRUCT_DEFINITION;
    t += (std::streamoff)used;
    out = NewConstantNode(static_cast<CValue&&>(v));
    return out ? 0 : ERR_LIMITATION;
}

StatusWord ParseMatrixLiteral(const char*& t, StatementContext* ctx, ExprNode*& out)
{
    std::vector<std::vector<ExprNode*>> rows(1);
    int cols = -1;
    StatusWord st = 0;
    bool single = true;  // only one element so far: "[]" may be empty
    for (;;) {
        ++t;  // '[' or the separator
        CCompiledExpr element;
        StatusWord code = ParseExpression(element, t, ctx);
        if (code != ERR_COMMA_PLACEMENT && code != ERR_SEMICOLON_PLACEMENT && code != ERR_UNEXPECTED_RBRACKET) {
            st = code == 0 ? ERR_MISSING_RBRACKET : code;
            break;
        }
        std::vector<ExprNode*>& row = rows.back();
        if (!element.root) {
            if (!(single && code == ERR_UNEXPECTED_RBRACKET)) {
                st = ERR_UNEXPECTED_END;
                break;
            }
            ++t;
            rows.clear();
            cols = 0;
            break;
        }
        single = false;
        row.push_back(element.Release());
        if (cols >= 0 && (int)row.size() > cols) {
            st = ERR_ROW_TOO_LONG;
            break;
        }
        if (code == ERR_COMMA_PLACEMENT) continue;
        if (cols < 0)
            cols = (int)row.size();
        else if ((int)row.size() < cols) {
            st = ERR_ROW_TOO_SHORT;
            break;
        }
        if (code == ERR_UNEXPECTED_RBRACKET) {
            ++t;
            break;
        }
        rows.emplace_back();
    }
    if (!st) {
        ExprMatrix* m = new (std::nothrow) ExprMatrix;
        ExprNode* node = m ? NewLeafNode(EXPR_MATRIX, m) : nullptr;
        if (!node) delete m;
        int rowCount = (int)rows.size();
        int width = cols < 0 ? 0 : cols;
        if (node) {
            m->cols = width;
            m->rows = new (std::nothrow) ExprNode**[rowCount > 0 ? rowCount : 1];
        }
        // rowCount counts only the rows handed over, so a failure frees exactly those.
        for (int r = 0; node && m->rows && r < rowCount; ++r) {
            ExprNode** cells = new (std::nothrow) ExprNode*[width > 0 ? width : 1];
            if (!cells) break;
            for (int c = 0; c < width; ++c) cells[c] = rows[r][c];
            rows[r].clear();
            m->rows[r] = cells;
            m->rowCount = r + 1;
        }
        if (node && m->rows && m->rowCount == rowCount) {
            out = node;
        } else {
            FreeExprNode(node);
            st = ERR_LIMITATION;
        }
    }
    for (auto& r : rows) FreeNodes(r);
    return st;
}

// ---- calls --------------------------------------------------------------------------------------

struct CallMatch {
    CUserFunction* user = nullptr;
    const FuncEntry* builtin = nullptr;
};

std::string PrototypeOf(const void* f, bool user)
{
    return user ? FormatUserPrototype(static_cast<const CUserFunction*>(f))
                : FormatFunctionPrototype(static_cast<const FuncEntry*>(f));
}

// One search with both filters: 0 (match may be empty) or 67 after the message.
StatusWord SearchCallee(StatementContext* ctx, const std::string& name, int argc, int outc, bool byPointer,
                        CallMatch& match)
{
    match = CallMatch();
    CUserFunction* found = nullptr;
    CUserFunction* second = FindUserFunctionOverload(ProgramFunctionTable(ctx), name.c_str(), argc, outc, found);
    const void* first = found;
    bool firstUser = found != nullptr, secondUser = true;
    const void* other = second;
    if (!other) {
        const void* bfound = found;
        other = FindBuiltinOverload(name.c_str(), argc, outc, bfound);
        secondUser = false;
        if (!found) first = bfound;
    }
    if (other) {
        CMessageWriter w(MSG_ERROR);
        if (byPointer)
            w << "Ambiguous call to overloaded function (" << name << ") by its pointer; Ambiguity between ";
        else
            w << "Ambiguous call to overloaded function " << name << "; Ambiguity between ";
        w << PrototypeOf(first, firstUser) << " and " << PrototypeOf(other, secondUser);
        return ERR_AMBIGUOUS_CALL | STATUS_REPORTED;
    }
    if (firstUser)
        match.user = found;
    else
        match.builtin = static_cast<const FuncEntry*>(first);
    return 0;
}

StatusWord ParseCall(const char*& t, StatementContext* ctx, const std::string& name, ExprNode* left,
                     const OperatorRecord* enclosing, ExprNode*& out)
{
    std::vector<ExprNode*> args;
    StatusWord st = 0;
    for (;;) {
        ++t;  // '(' or ','
        CCompiledExpr arg;
        StatusWord code = ParseExpression(arg, t, ctx);
        if (code != ERR_COMMA_PLACEMENT && code != ERR_UNEXPECTED_RPAREN) {
            st = code == 0 ? ERR_ARGUMENT_PASSING : code;
            break;
        }
        if (!arg.root) {
            if (!(args.empty() && code == ERR_UNEXPECTED_RPAREN)) st = ERR_ARGUMENT_PASSING;
            break;
        }
        args.push_back(arg.Release());
        if (code == ERR_UNEXPECTED_RPAREN) break;
    }
    if (st) {
        FreeNodes(args);
        return st;
    }
    ++t;  // ')'

    int argc = (int)args.size();
    bool literalLeft = IsAssignment(enclosing) && left && left->kind == EXPR_MATRIX;
    int requested = !enclosing ? 0 : literalLeft ? left->Matrix()->cols : 1;
    std::vector<int> tries{requested};
    if (literalLeft) {
        if (requested != 0 && requested != 1) tries.push_back(1);
    } else if (requested == 0) {
        tries.push_back(1);
        tries.push_back(-1);
    } else {
        tries.push_back(-1);
    }
    CallMatch match;
    for (int outc : tries) {
        if ((st = SearchCallee(ctx, name, argc, outc, false, match))) break;
        if (match.user || match.builtin) break;
    }
    if (!st && match.user) st = PrepareUserFunction(match.user);
    if (st) {
        FreeNodes(args);
        return st;
    }
    if (match.user) {
        out = MakeListNode(EXPR_USER_CALL, match.user, args);
    } else if (match.builtin) {
        out = MakeListNode(EXPR_BUILTIN_CALL, match.builtin, args);
    } else {
        CVarTable* vars = ctx ? ctx->Vars() : nullptr;
        CVarSlot* slot = vars ? vars->Find(name) : nullptr;
        if (!slot) slot = GlobalVariables.Find(name);
        if (!slot) {
            FreeNodes(args);
            return ERR_UNDECLARED_FUNCTION;
        }
        out = MakeListNode(EXPR_POINTER_CALL, slot, args);
    }
    return out ? 0 : ERR_LIMITATION;
}

// "@name", "@name.m" or "@name.m.n": m outputs, n inputs, "-" for any.
StatusWord ParsePointer(const char*& t, StatementContext* ctx, ExprNode*& out)
{
    ++t;  // '@'
    if (!IsNameStart(*t)) return ERR_POINTER_ADDRESS;
    std::string name = ReadName(t);
    int filters[2] = {-1, -1};
    for (int k = 0; k < 2 && *t == '.' && (IsDigit(t[1]) || t[1] == '-'); ++k) {
        ++t;
        if (*t == '-') {
            ++t;
            continue;
        }
        long v = 0;
        while (IsDigit(*t)) {
            if (v < 100000000) v = v * 10 + (*t - '0');
            ++t;
        }
        filters[k] = (int)v;
    }
    CallMatch match;
    if (StatusWord st = SearchCallee(ctx, name, filters[1], filters[0], true, match)) return st;
    const void* target = match.user ? (const void*)match.user : (const void*)match.builtin;
    if (!target) return ERR_POINTER_ADDRESS;
    CValue v;
    v.SetPointer(target);
    out = NewConstantNode(static_cast<CValue&&>(v));
    return out ? 0 : ERR_LIMITATION;
}

StatusWord ParseNameOperand(const char*& t, StatementContext* ctx, ExprNode*& out)
{
    std::string name = ReadName(t);
    SkipBlanks(t);
    if (const FuncConstant* c = FindLibraryConstant(name.c_str())) {
        out = NewLeafNode(EXPR_LIBRARY_CONSTANT, c);
        return out ? 0 : ERR_LIMITATION;
    }
    CVarTable* vars = ctx ? ctx->Vars() : nullptr;
    CVarSlot* slot = vars ? vars->FindOrAdd(name) : nullptr;
    if (!slot) return ERR_DATA_BLOCKED;
    out = NewLeafNode(EXPR_VARIABLE, slot);
    return out ? 0 : ERR_LIMITATION;
}

// Trailing "[...]" and ".field" forms; node is replaced by the wrapped tree.
StatusWord ParseTrailing(const char*& t, StatementContext* ctx, ExprNode*& node)
{
    for (;;) {
        SkipBlanks(t);
        if (*t == '[') {
            std::vector<ExprNode*> items{node};
            StatusWord st = 0;
            for (;;) {
                ++t;  // '[' or ','
                CCompiledExpr index;
                StatusWord code = ParseExpression(index, t, ctx);
                if (code != ERR_COMMA_PLACEMENT && code != ERR_UNEXPECTED_RBRACKET) {
                    st = code == 0 ? ERR_MATRIX_DEFINITION : code;
                    break;
                }
                if (!index.root) {
                    st = ERR_UNEXPECTED_END;
                    break;
                }
                items.push_back(index.Release());
                if (code == ERR_UNEXPECTED_RBRACKET) break;
            }
            if (st) {
                FreeNodes(items, 1);  // the operand stays with the caller
                return st;
            }
            ++t;  // ']'
            node = MakeListNode(EXPR_OPERATOR, reinterpret_cast<const void*>(&OpIndex), items);
            if (!node) return ERR_LIMITATION;
            continue;
        }
        if (*t == '.' && IsNameStart(t[1])) {
            ++t;
            std::string field = ReadName(t);
            ExprNode* f = NewFieldNode(node, field);
            if (!f) return ERR_LIMITATION;
            node = f;
            continue;
        }
        return 0;
    }
}

}  // namespace

int ExpressionNestingLevel() { return t_nesting; }

StatusWord ParseOperand(const char*& t, StatementContext* ctx, ExprNode*& result, const OperatorRecord* enclosing)
{
    ExprNode* left = result;
    ExprNode* node = nullptr;
    StatusWord st = 0;
    char c = *t;
    if (IsDigit(c) || c == '.') {
        st = ParseNumber(t, node);
    } else if (c == '#') {
        st = ParseIdentifier(t, node);
    } else if (c == '@') {
        st = ParsePointer(t, ctx, node);
    } else if (c == '(') {
        ++t;
        CCompiledExpr inner;
        StatusWord code = ParseExpression(inner, t, ctx);
        if (code == ERR_UNEXPECTED_RPAREN) {
            if (inner.root) {
                node = inner.Release();
                ++t;
            } else {
                st = ERR_UNEXPECTED_END;
            }
        } else {
            st = code == 0 ? ERR_MISSING_RPAREN : code;
        }
    } else if (c == '[') {
        st = ParseMatrixLiteral(t, ctx, node);
    } else if (c == '"') {
        st = ParseString(t, node);
    } else if (c == '<') {
        st = ParseBinaryString(t, node);
    } else if (c == '{') {
        st = ParseStructLiteral(t, node);
    } else if (c == '*') {
        ++t;
        node = NewLeafNode(EXPR_LIBRARY_CONSTANT, &UndefinedValueConstant);
        if (!node) st = ERR_LIMITATION;
    } else if (IsNameStart(c)) {
        const char* save = t;
        std::string name = ReadName(t);
        SkipBlanks(t);
        if (*t == '(') {
            st = ParseCall(t, ctx, name, left, enclosing, node);
        } else {
            t = save;
            st = ParseNameOperand(t, ctx, node);
        }
    } else {
        st = ERR_SYNTAX;
    }
    if (!st) st = ParseTrailing(t, ctx, node);
    if (st) {
        FreeExprNode(node);
        result = left;
        return st;
    }
    result = node;
    return 0;
}

StatusWord ParseOperatorExpression(const char*& t, StatementContext* ctx, const OperatorRecord*& pending,
                                   ExprNode*& result)
{
    if (t_nesting > kMaxNesting) return ERR_STACK_OVERFLOW;
    NestingGuard guard;

    ExprNode* const incoming = result;
    const OperatorRecord* const enclosing = pending;
    pending = nullptr;
    SkipBlanks(t);
    const OperatorRecord* current = nullptr;
    StatusWord st = 0;

    while (!st) {
        if (IsTerminator(*t)) break;
        if (!current) {
            SkipBlanks(t);
            bool handedBack = false;
            if (const OperatorRecord* prefix = MatchOperator(OPS_PREFIX, t)) {
                const OperatorRecord* sub = prefix;
                ExprNode* operand = nullptr;
                st = ParseOperatorExpression(t, ctx, sub, operand);
                if (st) break;
                if (!operand) {
                    st = ERR_SYNTAX;
                    break;
                }
                ExprNode* node = MakeUnaryNode(prefix, operand);
                if (!node) {
                    st = ERR_LIMITATION;
                    break;
                }
                result = node;
                if (sub) {
                    current = sub;
                    handedBack = true;
                }
            } else {
                SkipBlanks(t);
                st = ParseOperand(t, ctx, result, enclosing);
                if (st) break;
            }
            if (!handedBack) {
                SkipBlanks(t);
                if (const OperatorRecord* post = MatchOperator(OPS_POSTFIX, t)) {
                    ExprNode* node = MakeUnaryNode(post, result);
                    if (!node) {
                        result = nullptr;  // freed with the failed node
                        st = ERR_LIMITATION;
                        break;
                    }
                    result = node;
                }
                SkipBlanks(t);
                current = MatchOperator(OPS_INFIX, t);
                if (!current) {
                    if (IsTerminator(*t)) break;
                    st = ERR_SYNTAX;
                    break;
                }
                SkipBlanks(t);
            }
        }

        if (enclosing && current->precedence <= enclosing->precedence) {
            pending = current;
            return 0;
        }

        std::vector<ExprNode*> operands{result};
        const OperatorRecord* back = nullptr;
        bool expectMore = true;  // the current operator still waits for an operand
        while (!IsTerminator(*t)) {
            ExprNode* last = operands.back();
            ExprNode* next = last;
            back = current;
            st = ParseOperatorExpression(t, ctx, back, next);
            if (st) break;
            if (next == last) {
                st = ERR_UNEXPECTED_END;
                break;
            }
            operands.push_back(next);
            if (back != current) {
                expectMore = false;
                break;
            }
            back = nullptr;
        }
        if (!st && expectMore) st = ERR_UNEXPECTED_END;  // "a +"
        if (!st && operands.size() < 2) st = ERR_SYNTAX;
        if (st) {
            FreeNodes(operands, 1);
            break;
        }
        ExprNode* node = MakeListNode(EXPR_OPERATOR, reinterpret_cast<const void*>(current->handler), operands);
        if (!node) {
            result = nullptr;  // the operands were freed
            st = ERR_LIMITATION;
            break;
        }
        result = node;
        current = back;
        if (current && IsTerminator(*t)) {
            st = ERR_UNEXPECTED_END;
            break;
        }
    }

    pending = nullptr;
    if (st && result != incoming) {
        FreeExprNode(result);
        result = nullptr;
    }
    return st;
}

StatusWord ParseExpression(CCompiledExpr& holder, const char*& text, StatementContext* ctx)
{
    holder.Reset();
    const OperatorRecord* pending = nullptr;
    ExprNode* root = nullptr;
    StatusWord st = ParseOperatorExpression(text, ctx, pending, root);
    if (st) {
        FreeExprNode(root);
        return st;
    }
    holder.root = root;
    return StopCode(*text);
}

CFunctionTable* ProgramFunctionTable(StatementContext* context)
{
    return context ? context->Context()->Functions() : nullptr;
}

// ---- expressions out of the stream ---------------------------------------

StatusWord ParseStreamExpression(std::istream& in, CStatementBlock* context, CCompiledExpr* holder)
{
    int start = StreamPos(in);
    std::string text;
    text.reserve(128);
    int parens = 0, brackets = 0, last = 0;
    bool inString = false;
    for (;;) {
        if (!in.good() || parens < 0 || brackets < 0) break;
        if (parens == 0 && brackets == 0 && !inString && last == ';') break;
        int c = in.get();
        if (c == EOF) break;
        text += (char)c;
        last = c;
        if (c == '"') {
            inString = !inString;
        } else if (!inString) {
            if (c == '(') ++parens;
            else if (c == ')') --parens;
            else if (c == '[') ++brackets;
            else if (c == ']') --brackets;
        }
    }
    if (!text.empty() && text.back() == ';') text.pop_back();
    if (in.fail()) return ERR_SYNTAX;  // the text ended inside the expression

    CCompiledExpr scratch;
    CCompiledExpr& target = holder ? *holder : scratch;
    const char* begin = text.c_str();
    const char* p = begin;
    StatusWord status = ParseExpression(target, p, context);
    int stop = (p >= begin && p <= begin + text.size()) ? (int)(p - begin) : (int)text.size();
    StreamSeek(in, start + stop + 1);
    return status;
}
