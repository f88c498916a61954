// solve's elimination over Real cells on packed doubles.
//
// The complex road runs every cell as a Complex whose imaginary part starts
// as +0. While every real part stays finite, each imaginary part stays a
// zero, and only its sign depends on the data; a real part is what plain
// double arithmetic gives, except where a product or quotient numerator of
// zero meets a zero (the sign of that zero then follows the imaginary signs).
// So the real parts are kept as doubles and the signs of the imaginary zeros
// as bytes beside them, each updated by the rule IEEE arithmetic gives the
// complex road; any step outside those conditions gives the work back to that
// road, which makes every bit of the answer.
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

// The imaginary signs of the same update: t = f W(r, c) has imaginary part
// fr bi + fi br, a sum of two zeros that is -0 only when both are; W - t is
// -0 only for -0 - (+0).
VELDRA_REAL_ROW_CLONES void SubtractScaledSigns(uint8_t* __restrict si, const uint8_t* __restrict sr,
                                                const uint8_t* __restrict signRe, uint8_t sfr, uint8_t sfi,
                                                int from, int cols)
{
    for (int c = from; c < cols; c++) {
        const uint8_t st = (uint8_t)((sfr ^ sr[c]) & (sfi ^ signRe[c]));
        si[c] = (uint8_t)(si[c] & (st ^ 1));
    }
}

}  // namespace

bool SolveRealCells(const CValueMatrix& a, const CValueMatrix& b, CValueMatrix& x)
{
    const int n = a.Rows(), m = b.Cols();
    if (n == 0 || a.Cols() != n || b.Rows() != n || m == 0) return false;
    const int cols = n + m;
    std::vector<double> re;
    std::vector<uint8_t> im, signRe;
    std::vector<double*> wre(n);
    std::vector<uint8_t*> wim(n);
    try {
        re.resize((size_t)n * cols);
        im.assign((size_t)n * cols, 0);
        signRe.resize(cols);
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (int i = 0; i < n; i++) {
        wre[i] = re.data() + (size_t)i * cols;
        wim[i] = im.data() + (size_t)i * cols;
        const CValue* ra = a.Row(i);
        const CValue* rb = b.Row(i);
        double* w = wre[i];
        for (int j = 0; j < n; j++) {
            if (ra[j].Tag() != VT_REAL || !std::isfinite(ra[j].Real())) return false;
            w[j] = ra[j].Real();
        }
        for (int j = 0; j < m; j++) {
            if (rb[j].Tag() != VT_REAL || !std::isfinite(rb[j].Real())) return false;
            w[n + j] = rb[j].Real();
        }
    }
    for (int k = 0; k < n; k++) {
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
        }
        // Row k / pivot (c, d): Smith's quotient with |c| > |d| = 0 gives the
        // real part num / c and an imaginary zero whose sign is worked out below.
        double* wk = wre[k];
        uint8_t* sk = wim[k];
        const double c = wk[k];
        const uint8_t sc = SignOf(c), sd = sk[k];
        for (int j = k; j < cols; j++) {
            const double num = wk[j];
            if (num == 0.0) return false;
            const double q = num / c;
            if (!std::isfinite(q) || q == 0.0) return false;
            // (q_im - r num) / c with r = d / c: a difference of zeros, then its sign times c's.
            const uint8_t sProduct = (uint8_t)(sd ^ sc ^ SignOf(num));
            sk[j] = (uint8_t)((sk[j] & (sProduct ^ 1)) ^ sc);
            wk[j] = q;
        }
        double least = INFINITY;  // smallest modulus in the pivot row, none of them 0
        for (int j = k; j < cols; j++) {
            signRe[j] = SignOf(wk[j]);
            least = std::fmin(least, std::fabs(wk[j]));
        }
        for (int i = k + 1; i < n; i++) {
            const double f = wre[i][k];
            // Every product f W(k, c) must be a finite non-zero number: then the
            // real parts are plain double arithmetic. A zero multiplier, one
            // whose products could underflow, or a value already not finite
            // gives the work back.
            if (!(std::fabs(f) * least >= 1e-300) || !std::isfinite(f)) return false;
            const uint8_t sfr = SignOf(f), sfi = wim[i][k];
            SubtractScaledSigns(wim[i], sk, signRe.data(), sfr, sfi, k, cols);
            SubtractScaledReals(wre[i], wk, f, k, cols);
        }
    }
    // Back substitution: s = W(i, n + col) - sum of W(i, j) x(j), as the complex road runs it.
    std::vector<double> xr((size_t)n * m);
    std::vector<uint8_t> xs((size_t)n * m);
    for (int col = 0; col < m; col++)
        for (int i = n - 1; i >= 0; i--) {
            double s = wre[i][n + col];
            uint8_t ss = wim[i][n + col];
            for (int j = i + 1; j < n; j++) {
                const double are = wre[i][j], xre = xr[(size_t)j * m + col];
                const uint8_t sa = wim[i][j], sx = xs[(size_t)j * m + col];
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
