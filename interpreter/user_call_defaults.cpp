// Stand-ins for the user-function services that the expression translator and
// evaluator call. They are weak: the user-function code defines the real ones,
// which take their place at link time. Under these no user function exists.
#include <cstdio>
#include <string>

#include "interpreter/user_calls.h"
#include "values/value_text.h"

#define VELDRA_WEAK __attribute__((weak))

VELDRA_WEAK CUserFunction* FindUserFunctionOverload(CFunctionTable*, const char*, int, int, CUserFunction*&)
{
    return nullptr;
}

VELDRA_WEAK StatusWord PrepareUserFunction(CUserFunction*) { return ERR_FUNCTION_TRANSLATION; }

VELDRA_WEAK StatusWord CallUserFunctionNode(CUserFunction*, ExprNode**, int, CValue& result, StatementContext*)
{
    result.Clear();
    return ERR_FUNCTION_POINTER;
}

VELDRA_WEAK bool UserFunctionYieldsValue(const CUserFunction*) { return true; }

VELDRA_WEAK std::string FormatUserPrototype(const CUserFunction*) { return std::string(); }

// [out] = name(in1, in2=default, varg...)
VELDRA_WEAK std::string FormatFunctionPrototype(const FuncEntry* e)
{
    std::string s;
    char buf[32];
    if (e->outputs == 1) {
        s = "[out] = ";
    } else if (e->outputs > 1) {
        s = "[";
        for (int i = 1; i <= e->outputs; ++i) {
            std::snprintf(buf, sizeof buf, "%sout%d", i > 1 ? "," : "", i);
            s += buf;
        }
        s += "] = ";
    }
    s += e->name ? e->name : "";
    s += "(";
    int inputs = e->inputs == FUNC_ANY_INPUTS ? 0 : e->inputs;
    int named = inputs < 0 ? -inputs : inputs;
    int firstDefault = named - e->defaultCount;
    ValueTextFormat fmt = UnlimitedTextFormat;
    fmt.precision = 8;
    for (int i = 0; i < named; ++i) {
        std::snprintf(buf, sizeof buf, "%sin%d", i ? ", " : "", i + 1);
        s += buf;
        if (e->defaults && i >= firstDefault && i - firstDefault < e->defaultCount) {
            std::string text;
            s += "=";
            s += ValueFormat(e->defaults[i - firstDefault], text, &fmt);
        }
    }
    if (inputs < 0) s += named ? ", varg..." : "varg...";
    s += ")";
    return s;
}
