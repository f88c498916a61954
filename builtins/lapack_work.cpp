#include "builtins/lapack_work.h"

#include <cstring>

#include "values/lapack.h"
#include "values/lapack_drivers.h"
#include "values/matrix_conversions.h"

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
    int ilo = 1, ihi = n, lda = n, lwork = 6 * n, info = 0;
    std::vector<Complex> tau = ComplexArray(n > 1 ? n - 1 : 1), work = ComplexArray(lwork), w = ComplexArray(n);
    zgehrd_(&n, &ilo, &ihi, h.data(), &lda, tau.data(), work.data(), &lwork, &info);
    if (info != 0) return info;
    if (q) {
        *q = h;
        zunghr_(&n, &ilo, &ihi, q->data(), &lda, tau.data(), work.data(), &lwork, &info);
        if (info != 0) return info;
    }
    // The reflectors below the first subdiagonal are not part of the Hessenberg form.
    for (int j = 0; j < n; j++)
        for (int i = j + 2; i < n; i++) h[(size_t)j * n + i] = Complex();
    std::vector<Complex> dummy = ComplexArray(1);
    Complex* z = q ? q->data() : dummy.data();
    int ldz = q ? n : 1;
    zhseqr_("S", q ? "V" : "N", &n, &ilo, &ihi, h.data(), &lda, w.data(), z, &ldz, work.data(), &lwork, &info, 1,
            1);
    if (info < 0) TakeLapackArgumentError(nullptr, nullptr);
    return info;
}

}  // namespace lapack_work
