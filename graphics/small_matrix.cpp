// Small matrices: the shared elimination over plain doubles, and the product.
#include "graphics/small_matrix.h"

#include <cmath>

#include "values/elimination.h"
#include "values/output_stream.h"

namespace {

struct DoubleCellPolicy {
    using Cell = double;
    using Matrix = CRealMatrix;
    using Mag = double;
    static Mag Magnitude(Cell a) { return std::fabs(a); }
    static bool Greater(Mag a, Mag b) { return a > b; }
    static bool Below(Mag a, double t) { return a < t; }
    static bool IsZero(Cell a) { return a == 0; }
    static bool IsReal(Cell) { return true; }
    static void Assign(Cell& out, Cell a) { out = a; }
    static void SetReal(Cell& out, double x) { out = x; }
    static void Add(Cell& out, Cell a, Cell b) { out = a + b; }
    static void Sub(Cell& out, Cell a, Cell b) { out = a - b; }
    static void Mul(Cell& out, Cell a, Cell b) { out = a * b; }
    static void Div(Cell& out, Cell a, Cell b) { out = a / b; }
    static void Recip(Cell& out, Cell a) { out = 1 / a; }
    static void Neg(Cell& out, Cell a) { out = -a; }
    static void Conj(Cell& out, Cell a) { out = a; }
    static void Sqrt(Cell& out, Cell a) { out = std::sqrt(a); }
    static void Zeros(Matrix& m, int rows, int cols) { m.Fill(rows, cols, 0.0); }
    static void Identity(Matrix& m, int rows, int cols)
    {
        m.Fill(rows, cols, 0.0);
        for (int i = 0; i < rows && i < cols; i++) m.Cell(i, i) = 1;
    }
};

}  // namespace

int Inverse(CRealMatrix& a) { return elimination::Invert<DoubleCellPolicy>(a); }

CRealMatrix Multiply(const CRealMatrix& a, const CRealMatrix& b)
{
    if (a.Cols() == b.Rows()) {
        CRealMatrix r(a.Rows(), b.Cols());
        for (int i = 0; i < r.Rows(); i++)
            for (int j = 0; j < r.Cols(); j++) {
                double s = 0.0;
                for (int k = 0; k < a.Cols(); k++) s += a.Cell(i, k) * b.Cell(k, j);
                r.Cell(i, j) = s;
            }
        return r;
    }
    if (a.Rows() == b.Rows() && a.Cols() == b.Cols()) {
        CRealMatrix r(a.Rows(), a.Cols());
        for (int i = 0; i < r.Rows(); i++)
            for (int j = 0; j < r.Cols(); j++) r.Cell(i, j) = a.Cell(i, j) * b.Cell(i, j);
        return r;
    }
    ReportError() << "Multiplication, matrix dimensions must be an agree";
    return CRealMatrix();
}
