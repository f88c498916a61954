// Micro-benchmarks of the value core: cell arithmetic, element loops over value
// matrices, deep copies and the matrix product through the value operators.
#include <benchmark/benchmark.h>

#include <string>

#include "values/matrix_families.h"
#include "values/operators.h"
#include "values/value.h"
#include "values/value_matrix.h"

namespace {

CValue RealRow(int n, double scale)
{
    CValue v;
    CValueMatrix& m = v.MakeMatrix(1, n);
    for (int j = 0; j < n; ++j) m.Cell(0, j).SetReal(1.0 + j * scale);
    return v;
}

CValue RealSquare(int n)
{
    CValue v;
    CValueMatrix& m = v.MakeMatrix(n, n);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) m.Cell(i, j).SetReal(1.0 / (1.0 + i + 2.0 * j));
    return v;
}

// ---- cells ---------------------------------------------------------------------

void BM_RealAddInPlace(benchmark::State& state)
{
    CValue s(0.0), x(1.5);
    for (auto _ : state) {
        ValueAdd(s, x);
        benchmark::DoNotOptimize(s.m_payload);
    }
}
BENCHMARK(BM_RealAddInPlace);

// s = s + i * 2 as the interpreter evaluates it: each operator makes a new value.
void BM_RealExpressionByValue(benchmark::State& state)
{
    CValue s(0.0), i(3.0), two(2.0);
    for (auto _ : state) {
        CValue t = ValueProduct(i, two);
        CValue r = ValueSum(s, t);
        s.Swap(r);
        benchmark::DoNotOptimize(s.m_payload);
    }
}
BENCHMARK(BM_RealExpressionByValue);

void BM_ComplexMulByValue(benchmark::State& state)
{
    CValue a(Complex{0.5, 0.25}), b(Complex{1.0, -0.5});
    for (auto _ : state) {
        CValue r = ValueProduct(a, b);
        benchmark::DoNotOptimize(r.m_payload);
    }
}
BENCHMARK(BM_ComplexMulByValue);

void BM_ComplexAddInPlace(benchmark::State& state)
{
    CValue a(Complex{0.5, 0.25}), b(Complex{1.0, -0.5});
    for (auto _ : state) {
        ValueAdd(a, b);
        benchmark::DoNotOptimize(a.m_payload);
    }
}
BENCHMARK(BM_ComplexAddInPlace);

void BM_RealCellCopy(benchmark::State& state)
{
    CValue a(2.5);
    for (auto _ : state) {
        CValue b(a);
        benchmark::DoNotOptimize(b.m_payload);
    }
}
BENCHMARK(BM_RealCellCopy);

// ---- element loops ---------------------------------------------------------------

void BM_ElemMulAddInPlace(benchmark::State& state)
{
    const int n = (int)state.range(0);
    CValue x = RealRow(n, 1e-6);
    for (auto _ : state) {
        // z = x .* x + x
        CValue z(x);
        ValueElemMul(z, x);
        ValueAdd(z, x);
        benchmark::DoNotOptimize(z.m_payload);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ElemMulAddInPlace)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_MatrixArithAdd(benchmark::State& state)
{
    const int n = (int)state.range(0);
    CValue x = RealRow(n, 1e-6), y = RealRow(n, 2e-6);
    for (auto _ : state) {
        CValueMatrix r = MatrixArith(x.Matrix(), y.Matrix(), ARITH_ADD);
        benchmark::DoNotOptimize(r);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_MatrixArithAdd)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_MatrixTimesScalar(benchmark::State& state)
{
    const int n = (int)state.range(0);
    CValue x = RealRow(n, 1e-6), two(2.0);
    for (auto _ : state) {
        CValue r = ValueProduct(x, two);
        benchmark::DoNotOptimize(r.m_payload);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_MatrixTimesScalar)->Arg(1000000)->Unit(benchmark::kMillisecond);

// ---- copies ------------------------------------------------------------------------

void BM_MatrixCopy(benchmark::State& state)
{
    const int n = (int)state.range(0);
    CValue a = RealSquare(n);
    for (auto _ : state) {
        CValue b(a);
        benchmark::DoNotOptimize(b.m_payload);
    }
    state.SetItemsProcessed(state.iterations() * n * n);
}
BENCHMARK(BM_MatrixCopy)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_MatrixAssign(benchmark::State& state)
{
    const int n = (int)state.range(0);
    CValue a = RealSquare(n), b = RealSquare(n);
    for (auto _ : state) {
        b = a;
        benchmark::DoNotOptimize(b.m_payload);
    }
    state.SetItemsProcessed(state.iterations() * n * n);
}
BENCHMARK(BM_MatrixAssign)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_StringCopy(benchmark::State& state)
{
    CValue s(std::string((size_t)state.range(0), 'q'));
    for (auto _ : state) {
        CValue t(s);
        benchmark::DoNotOptimize(t.m_payload);
    }
}
BENCHMARK(BM_StringCopy)->Arg(16)->Arg(10000);

// ---- matrix product ------------------------------------------------------------------

void BM_MatrixProduct(benchmark::State& state)
{
    const int n = (int)state.range(0);
    CValue a = RealSquare(n), b = RealSquare(n);
    for (auto _ : state) {
        CValue c(a);
        ValueMul(c, b);
        benchmark::DoNotOptimize(c.m_payload);
    }
}
BENCHMARK(BM_MatrixProduct)->Arg(100)->Arg(500)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
