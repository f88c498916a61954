#include "builtins/lapack_work.h"

#include <cstring>

#include "values/lapack.h"
#include "values/lapack_drivers.h"
#include "values/matrix_conversions.h"
#include "values/range_scaling.h"
#include "values/stoppable_call.h"

namespace lapack_work {

bool ToComplexArray(const CValueMatrix& m, std::vector<Complex>& a, bool* allReal)
{
    Complex* raw = nullptr;
    int kind = ValueMatrixToArray(m, raw);
    if (kind == 0) {
        a.clear();
        return false;
    }
    size_t count = (size_t)m.Rows() * (size_t)m.Cols();
    a = ComplexArray(count, (size_t)m.Rows());
    std::memcpy(static_cast<void*>(a.data()), raw, count * sizeof(Complex));
    delete[] raw;
    if (allReal) *allReal = kind == 1;
    return true;
}

bool ToRealArray(const CValueMatrix& m, std::vector<double>& a)
{
    double* raw = nullptr;
    if (ValueMatrixToRealArray(m, raw) == 0) {
        a.clear();
        return false;
    }
    size_t count = (size_t)m.Rows() * (size_t)m.Cols();
    a = RealArray(count, (size_t)m.Rows());
    std::memcpy(a.data(), raw, count * sizeof(double));
    delete[] raw;
    return true;
}

CValueMatrix& MakeOutputs(CValue* out, int k)
{
    out->Clear();
    return out->MakeMatrix(1, k);
}

int ComplexSchur(int n, std::vector<Complex>& h, std::vector<Complex>* q)
{
    const bool vectors = q != nullptr;
    std::vector<Complex> qv;
    int info = 0;
    // Beyond the range the form of h 2^-k is found and T scaled back.
    const size_t cells = (size_t)n * (size_t)n;
    const int k = RangeExponent(LargestPart(h.data(), cells));
    ScaleCells(h.data(), cells, -k);
    // One call Stop may abandon: the arrays are moved into it and back.
    if (StoppableOn(
            IterativeCost(10.0 * n * n * n),
            [n, vectors](std::vector<Complex>& h, std::vector<Complex>& qv, int& info) mutable {
                int ilo = 1, ihi = n, lda = n, lwork = 6 * n;
                std::vector<Complex> tau = ComplexArray(n > 1 ? n - 1 : 1), work = ComplexArray(lwork),
                                     w = ComplexArray(n);
                zgehrd_(&n, &ilo, &ihi, h.data(), &lda, tau.data(), work.data(), &lwork, &info);
                if (info != 0) return;
                if (vectors) {
                    qv = h;
                    zunghr_(&n, &ilo, &ihi, qv.data(), &lda, tau.data(), work.data(), &lwork, &info);
                    if (info != 0) return;
                }
                // The reflectors below the first subdiagonal are not part of the Hessenberg form.
                for (int j = 0; j < n; j++)
                    for (int i = j + 2; i < n; i++) h[(size_t)j * n + i] = Complex();
                std::vector<Complex> dummy = ComplexArray(1);
                Complex* z = vectors ? qv.data() : dummy.data();
                int ldz = vectors ? n : 1;
                zhseqr_("S", vectors ? "V" : "N", &n, &ilo, &ihi, h.data(), &lda, w.data(), z, &ldz, work.data(),
                        &lwork, &info, 1, 1);
                if (info < 0) TakeLapackArgumentError(nullptr, nullptr);  // on the thread that ran it
            },
            h, qv, info))
        return kLapackStopped;
    if (q) q->swap(qv);
    if (info == 0) ScaleCells(h.data(), cells, k);
    return info;
}

}  // namespace lapack_work
