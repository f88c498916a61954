// Elementary functions of one value, and the sorting of value-matrix vectors.
#include "values/elementary.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

#include "values/matrix_families.h"
#include "values/operators.h"
#include "values/output_stream.h"
#include "values/value_matrix.h"

namespace {

// Target of the part references after an error.
double g_partFallback = 0.0;

CValue ReportArgument(const char* function, const CValue& v)
{
    ReportError() << "Invalid argument of " << function << " function (" << v.TypeName() << ")";
    return CValue();
}

CValue MatrixOf(CValueMatrix&& m)
{
    CValue r;
    r.MakeMatrix(0, 0).Swap(m);
    return r;
}

CValue RealValue(double x) { return CValue(x); }
CValue ComplexValue(double re, double im) { return CValue(Complex(re, im)); }

// Shared shape of the by-value functions: per-type results, matrices cell by cell.
template <typename OnReal, typename OnComplex>
CValue Elementary(const CValue& v, const char* function, CValue (*self)(const CValue&), OnReal onReal,
                  OnComplex onComplex)
{
    switch (v.Type()) {
    case VT_REAL: return onReal(v.Real());
    case VT_COMPLEX: return onComplex(v.ComplexRef());
    case VT_MATRIX: return MatrixOf(MapValueCells(v.Matrix(), self));
    default: return ReportArgument(function, v);
    }
}

double& PartFallback(const char* function, const CValue& v)
{
    ReportArgument(function, v);
    g_partFallback = 0.0;
    return g_partFallback;
}

}  // namespace

CValue ValueAbs(const CValue& v)
{
    return Elementary(
        v, "abs", ValueAbs, [](double x) { return RealValue(std::fabs(x)); },
        [](const Complex& z) { return RealValue(ComplexAbsOf(z)); });
}

CValue ValueLog(const CValue& v)
{
    return Elementary(
        v, "log", ValueLog,
        [](double x) {
            if (x >= 0.0) return RealValue(std::log(x));
            Complex r;
            ComplexLog(r, Complex(x, 0.0));
            return CValue(r);
        },
        [](const Complex& z) {
            Complex r;
            ComplexLog(r, z);
            return CValue(r);
        });
}

CValue ValueSqrt(const CValue& v)
{
    return Elementary(
        v, "sqrt", ValueSqrt,
        [](double x) {
            if (x >= 0.0) return RealValue(std::sqrt(x));
            return CValue(ComplexSqrt(Complex(x, 0.0)));
        },
        [](const Complex& z) { return CValue(ComplexSqrt(z)); });
}

CValue ValueSqr(const CValue& v)
{
    return Elementary(
        v, "sqr", ValueSqr, [](double x) { return RealValue(x * x); },
        [](const Complex& z) { return ComplexValue(z.re * z.re - z.im * z.im, 2.0 * z.re * z.im); });
}

CValue ValueRound(const CValue& v)
{
    return Elementary(
        v, "round", ValueRound, [](double x) { return RealValue(RoundToNearest(x)); },
        [](const Complex& z) { return CValue(ComplexRound(z)); });
}

CValue ValueReal(const CValue& v)
{
    return Elementary(
        v, "real", ValueReal, [](double x) { return RealValue(x); },
        [](const Complex& z) { return RealValue(z.re); });
}

CValue ValueImag(const CValue& v)
{
    return Elementary(
        v, "imag", ValueImag, [](double) { return RealValue(0.0); },
        [](const Complex& z) { return RealValue(z.im); });
}

CValue ValueConj(const CValue& v)
{
    return Elementary(
        v, "conj", ValueConj, [](double x) { return RealValue(x); },
        [](const Complex& z) { return ComplexValue(z.re, -z.im); });
}

int ValueIsNaN(const CValue& v)
{
    switch (v.Type()) {
    case VT_REAL: return std::isnan(v.Real()) ? 1 : 0;
    case VT_COMPLEX: return std::isnan(v.ComplexRef().re) || std::isnan(v.ComplexRef().im) ? 1 : 0;
    case VT_MATRIX: return MatrixHasNaN(v.Matrix(), ValueIsNaN);
    default:
        ReportError() << "Invalid argument of the function of determination the NAN status";
        return -1;
    }
}

double& ValueRealPart(CValue& v)
{
    switch (v.Type()) {
    case VT_REAL: return v.Real();
    case VT_COMPLEX: return v.ComplexRef().re;
    default: return PartFallback("real", v);
    }
}

double& ValueImagPart(CValue& v)
{
    switch (v.Type()) {
    case VT_REAL: v.SetComplex(Complex(v.Real(), 0.0)); return v.ComplexRef().im;
    case VT_COMPLEX: return v.ComplexRef().im;
    default: return PartFallback("imag", v);
    }
}

const CValue& ValueMaxOf(const CValue& v)
{
    return v.Type() == VT_MATRIX ? *MaxOfMatrix(v.Matrix()) : v;
}

const CValue& ValueMinOf(const CValue& v)
{
    return v.Type() == VT_MATRIX ? *MinOfMatrix(v.Matrix()) : v;
}

// 1/tanh: (e + 1/e)/(e - 1/e) cancels near 0 and overflows beyond 709.
double RealCoth(double x) { return 1.0 / std::tanh(x); }

// Sorting of value-matrix vectors. The result must be exactly that of the
// exchange sorts (ExchangeAscending, ExchangeDescending): the same placement of
// equal keys and of NaN cells. Numbers take an O(n log n) road that reproduces
// it; other cells run the exchange loops themselves.

namespace {

// One vector of a matrix: the single row, or column c.
struct SortView {
    const CValueMatrix& m;
    bool alongRow;
    int index;
    int Length() const { return alongRow ? m.Cols() : m.Rows(); }
    CValue& operator[](int k) const { return alongRow ? m.Cell(0, k) : m.Cell(k, index); }
};

// The exchange loops ask for a stop this often (in comparisons).
constexpr long kStopInterval = 1L << 20;

struct StopProbe {
    SortStopProbe probe;
    void* data;
    long budget = kStopInterval;
    // True when a stop is wanted; called after `work` comparisons.
    bool Spend(long work)
    {
        if (!probe) return false;
        budget -= work;
        if (budget > 0) return false;
        budget = kStopInterval;
        return probe(data);
    }
};

// A NaN key sorts as if greater than everything; a key that cannot be tested
// (reported by the test) counts as NaN too.
bool Before(const CValue& j, const CValue& i) { return ValueIsNaN(j) != 0 || ValueGreater(j, i); }

bool ExchangeDescending(const SortView& v, StopProbe& stop)
{
    const int n = v.Length();
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j)
            if (Before(v[j], v[i])) v[i].Swap(v[j]);
        if (stop.Spend(n - i)) return false;
    }
    return true;
}

bool ExchangeAscending(const SortView& v, StopProbe& stop)
{
    const int n = v.Length();
    for (int i = 1; i < n; ++i) {
        for (int j = 0; j < i; ++j)
            if (Before(v[j], v[i])) v[i].Swap(v[j]);
        if (stop.Spend(i)) return false;
    }
    return true;
}

// Two cells that no program can tell apart.
bool SameCell(const CValue& a, const CValue& b)
{
    if (a.Tag() != b.Tag()) return false;
    if (a.Type() == VT_REAL) return std::memcmp(&a.Real(), &b.Real(), sizeof(double)) == 0;
    return std::memcmp(&a.ComplexRef(), &b.ComplexRef(), sizeof(Complex)) == 0;
}

// Counts over positions 0..n-1 (Fenwick tree).
class Counter {
public:
    explicit Counter(int n) : m_tree(n + 1, 0) {}
    void Add(int pos, int delta)
    {
        for (int i = pos + 1; i < (int)m_tree.size(); i += i & -i) m_tree[i] += delta;
    }
    int Prefix(int end) const  // positions 0..end-1
    {
        int s = 0;
        for (int i = end; i > 0; i -= i & -i) s += m_tree[i];
        return s;
    }
    // Position of the k-th (0-based) counted position.
    int Find(int k) const
    {
        int pos = 0, step = 1;
        while (step * 2 < (int)m_tree.size()) step *= 2;
        for (; step; step /= 2)
            if (pos + step < (int)m_tree.size() && m_tree[pos + step] <= k) {
                pos += step;
                k -= m_tree[pos];
            }
        return pos;
    }

private:
    std::vector<int> m_tree;
};

struct Keyed {
    double key;
    int index;
};

// The key of a cell for the fast road: false when the cell cannot take it. A
// cell is NaN for the test when either part is; a complex cell with a NaN
// imaginary part but an ordered real part compares both ways, so it stays out.
bool KeyOf(const CValue& c, double& key, bool& nan)
{
    if (c.Type() == VT_REAL) {
        key = c.Real();
        nan = std::isnan(key);
        return true;
    }
    if (c.Type() != VT_COMPLEX) return false;
    const Complex& z = c.ComplexRef();
    key = z.re;
    nan = std::isnan(z.re);
    return nan || !std::isnan(z.im);
}

// Ascending, exactly as the exchange loop places things. Scanning the loop with
// a sorted prefix shows what inserting cell x does: x joins the end of the run
// of keys equal to it, every longer-keyed run turns by one (its first cell goes
// to its end), and the NaN run keeps its order; a NaN x goes to the front of
// the NaN run. So each run's final order follows from how many smaller keys
// arrive after each of its members.
void OrderAscending(const SortView& v, const std::vector<Keyed>& keyed, const std::vector<int>& nans,
                    std::vector<int>& order)
{
    const int n = v.Length();
    order.clear();
    std::vector<int> run;
    std::vector<int> at;
    Counter* smaller = nullptr;  // made when a run needs placing
    size_t start = 0;
    while (start < keyed.size()) {
        size_t end = start + 1;
        while (end < keyed.size() && keyed[end].key == keyed[start].key) ++end;
        bool uniform = true;
        for (size_t k = start + 1; k < end && uniform; ++k)
            uniform = SameCell(v[keyed[k].index], v[keyed[start].index]);
        if (!uniform && !smaller) {
            smaller = new Counter(n);
            for (size_t k = 0; k < start; ++k) smaller->Add(keyed[k].index, 1);
        }
        if (uniform) {
            for (size_t k = start; k < end; ++k) order.push_back(keyed[k].index);
        } else {
            // The run as a ring: a member joins just before the ring's head, each
            // later smaller key moves the head on by one.
            const int s = (int)(end - start);
            at.assign(s, 0);
            int head = 0;
            for (int t = 0; t < s; ++t) {
                if (t == 0) {
                    at[t] = 0;
                    head = 0;
                } else {
                    at[t] = head;
                    head = head + 1;
                }
                const int from = keyed[start + t].index + 1;
                const int to = t + 1 < s ? keyed[start + t + 1].index : n;
                const int turns = smaller->Prefix(to) - smaller->Prefix(from);
                head = (int)((head + (long)turns) % (t + 1));
            }
            // Members joined at ring positions at[t]; place them from the last one back.
            Counter freeSlots(s);
            for (int k = 0; k < s; ++k) freeSlots.Add(k, 1);
            run.assign(s, 0);
            for (int t = s - 1; t >= 0; --t) {
                const int slot = freeSlots.Find(at[t]);
                run[slot] = keyed[start + t].index;
                freeSlots.Add(slot, -1);
            }
            for (int k = 0; k < s; ++k) order.push_back(run[(head + k) % s]);
        }
        if (smaller)
            for (size_t k = start; k < end; ++k) smaller->Add(keyed[k].index, 1);
        start = end;
    }
    delete smaller;
    for (auto it = nans.rbegin(); it != nans.rend(); ++it) order.push_back(*it);
}

// Descending, exactly as the exchange loop places things. NaN cells come first,
// the last one first: every NaN after the pass's first cell takes part in the
// pass, each moving to the next one's place, the last one out. For a run of
// equal keys k, tracing a pass over the cells that are greater (or NaN), equal
// and smaller shows: when the pass starts at a greater cell nothing of k moves;
// otherwise, when the first cell of k comes before the first greater cell, it
// moves to that greater cell's place (the smaller cells keep theirs); in every
// case one greater cell leaves, and the pass's first cell goes out. Once no
// greater cell is left, the run goes out in its order. Runs whose cells no
// program can tell apart skip the trace.
void OrderDescending(const SortView& v, const std::vector<Keyed>& keyed, const std::vector<int>& nans,
                     std::vector<int>& order, StopProbe& stop)
{
    const int n = v.Length();
    order.assign(nans.rbegin(), nans.rend());
    std::vector<char> greater(n, 0);
    for (int k : nans) greater[k] = 1;
    std::vector<int> bigger, label;
    std::set<int> run;
    size_t end = keyed.size();
    while (end > 0) {
        size_t start = end - 1;
        while (start > 0 && keyed[start - 1].key == keyed[end - 1].key) --start;
        bool uniform = true;
        for (size_t k = start + 1; k < end && uniform; ++k)
            uniform = SameCell(v[keyed[k].index], v[keyed[start].index]);
        if (uniform) {
            for (size_t k = start; k < end; ++k) order.push_back(keyed[k].index);
        } else {
            bigger.clear();
            for (int slot = 0; slot < n; ++slot)
                if (greater[slot]) bigger.push_back(slot);
            if (label.empty()) label.assign(n, -1);
            run.clear();
            for (size_t k = start; k < end; ++k) {
                run.insert(keyed[k].index);
                label[keyed[k].index] = keyed[k].index;
            }
            int front = 0;
            for (size_t b = 0; b < bigger.size(); ++b, ++front) {
                const int p = bigger[b];
                if (p == front || run.empty() || *run.begin() > p) continue;
                const int q = *run.begin();
                run.erase(run.begin());
                label[p] = label[q];
                run.insert(p);
            }
            for (int slot : run) order.push_back(label[slot]);
            stop.Spend((long)bigger.size());
        }
        for (size_t k = start; k < end; ++k) greater[keyed[k].index] = 1;
        end = start;
    }
}

// Ascending order of doubles that hold no NaN, by their bits (radix sort):
// what std::sort gives, except that -0 comes before 0, which the caller's
// check of equal neighbours refuses anyway.
void RadixSort(std::vector<double>& x, size_t n)
{
    static thread_local std::vector<uint64_t> keys, spare;
    keys.resize(n);
    spare.resize(n);
    for (size_t i = 0; i < n; ++i) {
        uint64_t u;
        std::memcpy(&u, &x[i], 8);
        keys[i] = (u >> 63) ? ~u : (u | 0x8000000000000000ull);
    }
    uint64_t* from = keys.data();
    uint64_t* to = spare.data();
    constexpr int kBits = 11, kDigits = 6;
    constexpr size_t kBuckets = size_t(1) << kBits;
    static thread_local std::vector<size_t> count;
    count.assign(kBuckets * kDigits, 0);
    for (size_t i = 0; i < n; ++i)
        for (int d = 0; d < kDigits; ++d) ++count[d * kBuckets + ((from[i] >> (d * kBits)) & (kBuckets - 1))];
    for (int d = 0; d < kDigits; ++d) {
        size_t* c = &count[d * kBuckets];
        const int shift = d * kBits;
        if (c[(from[0] >> shift) & (kBuckets - 1)] == n) continue;  // one digit everywhere
        size_t sum = 0;
        for (size_t b = 0; b < kBuckets; ++b) {
            const size_t k = c[b];
            c[b] = sum;
            sum += k;
        }
        for (size_t i = 0; i < n; ++i) to[c[(from[i] >> shift) & (kBuckets - 1)]++] = from[i];
        std::swap(from, to);
    }
    for (size_t i = 0; i < n; ++i) {
        const uint64_t k = from[i];
        const uint64_t u = (k >> 63) ? (k & 0x7FFFFFFFFFFFFFFFull) : ~k;
        std::memcpy(&x[i], &u, 8);
    }
}

// All cells Real: sort the numbers themselves and write them back into the
// cells' payloads. False when equal keys differ in their bits (-0 and 0, NaNs
// of different bits): then their placement matters and the general road runs.
bool SortRealCells(const SortView& v, bool ascending, std::vector<double>& x)
{
    const int n = v.Length();
    x.resize(n);
    for (int k = 0; k < n; ++k) {
        const CValue& c = v[k];
        if (c.Tag() != VT_REAL) return false;
        x[k] = c.Real();
    }
    auto nanEnd = std::partition(x.begin(), x.end(), [](double d) { return !std::isnan(d); });
    const size_t numbers = (size_t)(nanEnd - x.begin());
    if (numbers >= 4096) {
        RadixSort(x, numbers);
        if (!ascending) std::reverse(x.begin(), nanEnd);
    } else if (ascending) {
        std::sort(x.begin(), nanEnd);
    } else {
        std::sort(x.begin(), nanEnd, [](double a, double b) { return a > b; });
    }
    for (auto it = x.begin(); it != nanEnd; ++it)
        if (it != x.begin() && *it == it[-1] && std::memcmp(&*it, &it[-1], sizeof(double)) != 0) return false;
    for (auto it = nanEnd; it != x.end(); ++it)
        if (std::memcmp(&*it, &*nanEnd, sizeof(double)) != 0) return false;
    if (!ascending) std::rotate(x.begin(), nanEnd, x.end());
    for (int k = 0; k < n; ++k) v[k].Real() = x[k];
    return true;
}

bool SortVector(const SortView& v, bool ascending, StopProbe& stop)
{
    const int n = v.Length();
    if (n < 2) return true;
    static thread_local std::vector<double> numbers;
    if (SortRealCells(v, ascending, numbers)) return !stop.Spend(n);

    std::vector<Keyed> keyed;
    std::vector<int> nans;
    keyed.reserve(n);
    bool fast = true;
    for (int k = 0; k < n && fast; ++k) {
        double key;
        bool nan;
        fast = KeyOf(v[k], key, nan);
        if (!fast) break;
        if (nan)
            nans.push_back(k);
        else
            keyed.push_back(Keyed{key, k});
    }
    std::vector<int> order;
    if (fast) {
        std::sort(keyed.begin(), keyed.end(),
                  [](const Keyed& a, const Keyed& b) { return a.key < b.key || (a.key == b.key && a.index < b.index); });
        if (ascending)
            OrderAscending(v, keyed, nans, order);
        else
            OrderDescending(v, keyed, nans, order, stop);
    }
    if (!fast) return ascending ? ExchangeAscending(v, stop) : ExchangeDescending(v, stop);

    std::vector<CValue> moved(n);
    for (int k = 0; k < n; ++k) moved[k].Swap(v[order[k]]);
    for (int k = 0; k < n; ++k) v[k].Swap(moved[k]);
    return !stop.Spend(n);
}

bool SortAll(const CValueMatrix& m, bool ascending, SortStopProbe probe, void* data)
{
    StopProbe stop{probe, data};
    if (m.Rows() == 1) return SortVector(SortView{m, true, 0}, ascending, stop);
    for (int c = 0; c < m.Cols(); ++c)
        if (!SortVector(SortView{m, false, c}, ascending, stop)) return false;
    return true;
}

}  // namespace

bool CValueMatrix::SortAscending(SortStopProbe stop, void* data) { return SortAll(*this, true, stop, data); }
bool CValueMatrix::SortDescending(SortStopProbe stop, void* data) { return SortAll(*this, false, stop, data); }
