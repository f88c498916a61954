// solve's elimination over Real cells on packed doubles.
//
// The complex road runs every cell as a Complex whose imaginary part starts
// as +0. While every real part stays finite, each imaginary part stays a
// zero, and only its sign depends on the data; a real part is what plain
// double arithmetic gives, except where a product or quotient numerator of
// zero meets a zero (the sign of that zero then follows the imaginary signs).
// So the real parts are kept as doubles and the signs of the imaginary zeros
// as bits beside them, each updated by the rule IEEE arithmetic gives the
// complex road; any step outside those conditions gives the work back to that
// road, which makes every bit of the answer.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <vector>

#include "values/numeric_path.h"
#include "values/real_cells.h"

namespace {

inline uint8_t SignOf(double x) { return std::signbit(x) ? 1 : 0; }

#if defined(__SANITIZE_THREAD__)
#define VELDRA_REAL_ROW_CLONES
#else
#define VELDRA_REAL_ROW_CLONES __attribute__((target_clones("avx2", "default")))
#endif

// Row i -= f * row r from column `from`, real parts: W(i, c) - (f W(r, c) - fi bi),
// where fi bi is a zero and so leaves the product, never zero here, as it is.
VELDRA_REAL_ROW_CLONES void SubtractScaledReals(double* __restrict wi, const double* __restrict wr, double f, int from,
                                                int cols)
{
    for (int c = from; c < cols; c++) wi[c] = wi[c] - f * wr[c];
}

// The imaginary signs of the same update, 64 columns a word: t = f W(r, c)
// has imaginary part fr bi + fi br, a sum of two zeros that is -0 only when
// both are; W - t is -0 only for -0 - (+0). sfr and sfi are all ones or zero.
void SubtractScaledSigns(uint64_t* __restrict si, const uint64_t* __restrict sr, const uint64_t* __restrict signRe,
                         uint64_t sfr, uint64_t sfi, int from, int words)
{
    int w = from >> 6;
    uint64_t keep = ~0ull << (from & 63);
    for (; w < words; w++, keep = ~0ull) si[w] &= ~((sfr ^ sr[w]) & (sfi ^ signRe[w]) & keep);
}

inline uint64_t Bit(const uint64_t* s, int c) { return (s[c >> 6] >> (c & 63)) & 1; }

inline void SetBit(uint64_t* s, int c, uint64_t v)
{
    s[c >> 6] = (s[c >> 6] & ~(1ull << (c & 63))) | (v << (c & 63));
}

inline uint64_t Mask(uint64_t bit) { return 0 - bit; }

// Steps [k0, k0 + nb) on the columns [from, to) of rows w[0..count): for
// each cell the same subtractions in the same order as one step at a time,
// but strips of Rows rows stay in registers while the panel's pivot rows
// stream by from the cache, each load serving every row of the group.
typedef double V8 __attribute__((vector_size(64), aligned(8)));

template <int Rows, int Strips>
__attribute__((always_inline)) inline void PanelUpdateGroup(double* const* w, const double* const* f,
                                                            const double* const* piv, int nb, int from, int to)
{
    int c = from;
    for (; c + 8 * Strips <= to; c += 8 * Strips) {
        V8 acc[Rows][Strips];
        for (int r = 0; r < Rows; r++)
            for (int s = 0; s < Strips; s++) acc[r][s] = *(const V8*)(w[r] + c + 8 * s);
        for (int q = 0; q < nb; q++) {
            const double* p = piv[q] + c;
            V8 pv[Strips];
            for (int s = 0; s < Strips; s++) pv[s] = *(const V8*)(p + 8 * s);
            for (int r = 0; r < Rows; r++) {
                const double fq = f[r][q];
                for (int s = 0; s < Strips; s++) acc[r][s] = acc[r][s] - fq * pv[s];
            }
        }
        for (int r = 0; r < Rows; r++)
            for (int s = 0; s < Strips; s++) *(V8*)(w[r] + c + 8 * s) = acc[r][s];
    }
    for (int r = 0; r < Rows; r++) {
        double* wi = w[r];
        const double* fr = f[r];
        int d = c;
        for (; d + 8 <= to; d += 8) {
            V8 acc = *(const V8*)(wi + d);
            for (int q = 0; q < nb; q++) acc = acc - fr[q] * *(const V8*)(piv[q] + d);
            *(V8*)(wi + d) = acc;
        }
        for (; d < to; d++) {
            double v = wi[d];
            for (int q = 0; q < nb; q++) v = v - fr[q] * piv[q][d];
            wi[d] = v;
        }
    }
}

template <int Rows, int Strips>
__attribute__((always_inline)) inline void PanelUpdateRows(double* const* w, const double* const* f, int count,
                                                           const double* const* piv, int nb, int from, int to)
{
    int i = 0;
    for (; i + Rows <= count; i += Rows) PanelUpdateGroup<Rows, Strips>(w + i, f + i, piv, nb, from, to);
    for (; i < count; i++) PanelUpdateGroup<1, Strips>(w + i, f + i, piv, nb, from, to);
}

#if defined(__x86_64__) && !defined(__SANITIZE_THREAD__)
__attribute__((target("avx512f"))) void PanelUpdateAvx512(double* const* w, const double* const* f, int count,
                                                          const double* const* piv, int nb, int from, int to)
{
    PanelUpdateRows<4, 4>(w, f, count, piv, nb, from, to);
}

__attribute__((target("avx2"))) void PanelUpdateAvx2(double* const* w, const double* const* f, int count,
                                                     const double* const* piv, int nb, int from, int to)
{
    PanelUpdateRows<1, 4>(w, f, count, piv, nb, from, to);
}
#endif

void PanelUpdateDefault(double* const* w, const double* const* f, int count, const double* const* piv, int nb,
                        int from, int to)
{
    PanelUpdateRows<1, 2>(w, f, count, piv, nb, from, to);
}

using PanelUpdateFn = void (*)(double* const*, const double* const*, int, const double* const*, int, int, int);

PanelUpdateFn ChoosePanelUpdate()
{
#if defined(__x86_64__) && !defined(__SANITIZE_THREAD__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f")) return PanelUpdateAvx512;
    if (__builtin_cpu_supports("avx2")) return PanelUpdateAvx2;
#endif
    return PanelUpdateDefault;
}

// Steps a panel delays on the columns right of it.
constexpr int kPanel = 32;
// Columns of the trailing part updated together, so that the panel's pivot
// rows over them stay in the cache (32 rows x 1024 doubles: 256 KB).
constexpr int kTile = 256;

}  // namespace

bool SolveRealCells(const CValueMatrix& a, const CValueMatrix& b, CValueMatrix& x)
{
    const int n = a.Rows(), m = b.Cols();
    if (n == 0 || a.Cols() != n || b.Rows() != n || m == 0) return false;
    const int cols = n + m, words = (cols + 63) / 64;
    std::vector<double> re, mult;
    std::vector<uint64_t> im, signRe;
    std::vector<double*> wre(n), wf(n);
    std::vector<uint64_t*> wim(n);
    try {
        re.resize((size_t)n * cols);
        mult.resize((size_t)n * kPanel);
        im.assign((size_t)n * words, 0);
        signRe.assign(words, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    // Packed operands are read as they are; cells one row at a time.
    const double* pa = a.PackedData();
    const double* pb = b.PackedData();
    for (int i = 0; i < n; i++) {
        wre[i] = re.data() + (size_t)i * cols;
        wim[i] = im.data() + (size_t)i * words;
        wf[i] = mult.data() + (size_t)i * kPanel;
        double* w = wre[i];
        if (pa) {
            const double* ra = pa + (size_t)i * n;
            for (int j = 0; j < n; j++) {
                if (!std::isfinite(ra[j])) return false;
                w[j] = ra[j];
            }
        } else {
            const CValue* ra = a.Row(i);
            for (int j = 0; j < n; j++) {
                if (ra[j].Tag() != VT_REAL || !std::isfinite(ra[j].Real())) return false;
                w[j] = ra[j].Real();
            }
        }
        if (pb) {
            const double* rb = pb + (size_t)i * m;
            for (int j = 0; j < m; j++) {
                if (!std::isfinite(rb[j])) return false;
                w[n + j] = rb[j];
            }
        } else {
            const CValue* rb = b.Row(i);
            for (int j = 0; j < m; j++) {
                if (rb[j].Tag() != VT_REAL || !std::isfinite(rb[j].Real())) return false;
                w[n + j] = rb[j].Real();
            }
        }
    }
    static const PanelUpdateFn panelUpdate = ChoosePanelUpdate();
    // Steps run a panel of kPanel at a time. Within a panel the rows below the
    // pivot are updated only on the panel's columns (which the pivot search
    // and the multipliers read), their multipliers are kept, and each pivot
    // row catches up on the rest of its columns before it is divided; the
    // columns right of the panel then take the panel's steps in one pass.
    // Every cell sees the same operations in the same order as one step at a
    // time. The imaginary signs are bits and are updated at once on every column.
    for (int k0 = 0; k0 < n; k0 += kPanel) {
        const int kEnd = std::min(n, k0 + kPanel);
        for (int k = k0; k < kEnd; k++) {
            // The pivot: the first row of largest modulus; the modulus of (x, +-0) is |x|.
            int p = k;
            double best = std::fabs(wre[k][k]);
            for (int i = k + 1; i < n; i++) {
                const double v = std::fabs(wre[i][k]);
                if (v > best) {
                    best = v;
                    p = i;
                }
            }
            // A zero pivot (the complex road carries on into infinities) or one
            // that is no longer finite gives the work back.
            if (!(best > 0.0) || !std::isfinite(best)) return false;
            if (p != k) {
                std::swap(wre[k], wre[p]);
                std::swap(wim[k], wim[p]);
                std::swap(wf[k], wf[p]);
            }
            double* wk = wre[k];
            uint64_t* sk = wim[k];
            for (int q = k0; q < k; q++) SubtractScaledReals(wk, wre[q], wf[k][q - k0], kEnd, cols);
            // Row k / pivot (c, d): Smith's quotient with |c| > |d| = 0 gives the
            // real part num / c and an imaginary zero whose sign is worked out below.
            const double c = wk[k];
            const uint64_t sc = std::signbit(c) ? 1 : 0, sd = Bit(sk, k);
            for (int j = k; j < cols; j++) {
                const double num = wk[j];
                if (num == 0.0) return false;
                const double q = num / c;
                if (!std::isfinite(q) || q == 0.0) return false;
                // (q_im - r num) / c with r = d / c: a difference of zeros, then its sign times c's.
                const uint64_t sProduct = sd ^ sc ^ (std::signbit(num) ? 1 : 0);
                SetBit(sk, j, (Bit(sk, j) & (sProduct ^ 1)) ^ sc);
                wk[j] = q;
            }
            uint64_t* sre = signRe.data();
            double least = INFINITY;  // smallest modulus in the pivot row, none of them 0
            for (int j = k; j < cols; j++) {
                SetBit(sre, j, std::signbit(wk[j]) ? 1 : 0);
                least = std::fmin(least, std::fabs(wk[j]));
            }
            for (int i = k + 1; i < n; i++) {
                const double f = wre[i][k];
                // Every product f W(k, c) must be a finite non-zero number: then the
                // real parts are plain double arithmetic. A zero multiplier, one
                // whose products could underflow, or a value already not finite
                // gives the work back.
                if (!(std::fabs(f) * least >= 1e-300) || !std::isfinite(f)) return false;
                SubtractScaledSigns(wim[i], sk, sre, Mask(std::signbit(f) ? 1 : 0), Mask(Bit(wim[i], k)), k, words);
                wf[i][k - k0] = f;
                SubtractScaledReals(wre[i], wk, f, k, kEnd);
            }
        }
        const int nb = kEnd - k0;
        for (int t = kEnd; t < cols; t += kTile) {
            const int tEnd = std::min(cols, t + kTile);
            panelUpdate(wre.data() + kEnd, wf.data() + kEnd, n - kEnd, wre.data() + k0, nb, t, tEnd);
        }
    }
    // Back substitution: s = W(i, n + col) - sum of W(i, j) x(j), as the complex road runs it.
    std::vector<double> xr((size_t)n * m);
    std::vector<uint8_t> xs((size_t)n * m);
    for (int col = 0; col < m; col++)
        for (int i = n - 1; i >= 0; i--) {
            double s = wre[i][n + col];
            uint8_t ss = (uint8_t)Bit(wim[i], n + col);
            for (int j = i + 1; j < n; j++) {
                const double are = wre[i][j], xre = xr[(size_t)j * m + col];
                const uint8_t sa = (uint8_t)Bit(wim[i], j), sx = xs[(size_t)j * m + col];
                const double t = are * xre;
                if (t == 0.0 && s == 0.0) return false;
                s = s - t;
                const uint8_t st = (uint8_t)((SignOf(are) ^ sx) & (sa ^ SignOf(xre)));
                ss = (uint8_t)(ss & (st ^ 1));
            }
            if (!std::isfinite(s)) return false;
            xr[(size_t)i * m + col] = s;
            xs[(size_t)i * m + col] = ss;
        }
    CValueMatrix r;
    if (!ShapeWithUnsetCells(r, n, m)) return false;
    CComplexCells cells;
    for (int i = 0; i < n; i++) {
        CValue* row = r.Row(i);
        for (int j = 0; j < m; j++) {
            const Complex z(xr[(size_t)i * m + j], xs[(size_t)i * m + j] ? -0.0 : 0.0);
            cells.MakeUnset(row[j], z);
        }
    }
    x.Swap(r);
    return true;
}
