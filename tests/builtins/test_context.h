#pragma once
// A running block whose function-pointer services reach C++ functions:
// "user functions" are registered lambdas, built-in rows are called
// directly in their form. It also carries the stop flag.
#include <deque>
#include <functional>
#include <vector>

#include "interpreter/block.h"
#include "interpreter/func_records.h"
#include "values/value.h"
#include "values/value_matrix.h"

class TestContext : public CStatementBlock {
public:
    struct UserFn {
        int arity;
        std::function<StatusWord(CValue**, int, CValue*)> fn;
    };
    std::deque<UserFn> functions;
    int calls = 0;
    int stopAfter = -1;  // the stop flag rises after this many calls

    // A Pointer value to a new "user function".
    CValue Function(int arity, std::function<StatusWord(CValue**, int, CValue*)> fn)
    {
        functions.push_back(UserFn{arity, std::move(fn)});
        CValue v;
        v.SetPointer(&functions.back());
        return v;
    }
    // f(x, ...) of one real variable (the real part of a complex point).
    CValue RealFunction(std::function<double(double)> f, int arity = 1)
    {
        return Function(arity, [f](CValue** a, int, CValue* r) {
            r->SetReal(f(a[0]->GetComplex().re));
            return 0;
        });
    }

    int ClassifyPointer(const void* t) override
    {
        for (const UserFn& f : functions)
            if (&f == t) return PTR_USER_FUNCTION;
        return CStatementBlock::ClassifyPointer(t);
    }
    StatusWord CheckFunctionPointerArity(int kind, const void* t, int n) override
    {
        if (kind == PTR_USER_FUNCTION) return static_cast<const UserFn*>(t)->arity == n ? 0 : ERR_PROTOTYPE;
        return CStatementBlock::CheckFunctionPointerArity(kind, t, n);
    }
    StatusWord CallFunctionPointer(int kind, const void* t, CValue** a, int n, CValue* r) override
    {
        ++calls;
        if (kind == PTR_USER_FUNCTION) return static_cast<const UserFn*>(t)->fn(a, n, r);
        if (kind != PTR_BUILTIN) return ERR_FUNCTION_POINTER;
        const FuncEntry* e = static_cast<const FuncEntry*>(t);
        switch (e->form) {
        case CALL_A1: return FuncHandlerAs<FuncHandlerA1>(e->handler)(a[0], r);
        case CALL_VECTOR_CTX: return FuncHandlerAs<FuncHandlerVectorCtx>(e->handler)(a, n, r, this);
        default: return ERR_INTERNAL;
        }
    }
    int IsStopRequested() override { return stopAfter >= 0 && calls >= stopAfter; }
};

// Argument values that belong to one call.
struct CallArgs {
    std::vector<CValue> values;
    std::vector<CValue*> ptrs;
    CallArgs(std::initializer_list<CValue> init) : values(init)
    {
        for (CValue& v : values) ptrs.push_back(&v);
    }
    CValue** data() { return ptrs.data(); }
    int count() const { return (int)ptrs.size(); }
};

inline CValue Row(std::initializer_list<double> xs)
{
    CValue v;
    CValueMatrix& m = v.MakeMatrix(1, (int)xs.size());
    int i = 0;
    for (double x : xs) m.Cell(0, i++).SetReal(x);
    return v;
}
inline CValue Column(std::initializer_list<double> xs)
{
    CValue v;
    CValueMatrix& m = v.MakeMatrix((int)xs.size(), 1);
    int i = 0;
    for (double x : xs) m.Cell(i++, 0).SetReal(x);
    return v;
}
inline CValue Text(const char* s)
{
    CValue v;
    v.SetString(std::string(s));
    return v;
}
