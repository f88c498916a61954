// The "Matrix and Algebra" library: 71 rows in their fixed order, of which
// the first 70 are registered (the last, qz, is not callable), and the
// default values its rows share.
#include <string_view>

#include "builtins/libraries.h"
#include "builtins/matrix_builtins.h"
#include "builtins/matrix_functions.h"
#include "interpreter/operator_builtins.h"

namespace {

// Defaults fill the last inputs when a call omits them.
CValue g_normPower[] = {CValue(2.0)};   // p of norm and cond
CValue g_diagonal[] = {CValue(0.0)};    // k of triu and tril
CValue g_noTolerance[] = {CValue()};    // tol of rank and pinv
CValue g_noFlag[] = {CValue()};         // flg of schur and qz

#define H(syntax, text) syntax ";\r\n" text
#define SVD_TEXT                                                                                              \
    "Singular value decomposition. Produces a diagonal matrix S, of the same dimension as X, with nonnegative " \
    "diagonal elements in decreasing order, and unitary matrices U and V so that X=U*S*V'"

template <class F>
FuncEntry Row(const char* name, int32_t inputs, int32_t outputs, F handler, int32_t form, const char* help,
              const char* prototype, int32_t defaults = 0, CValue* values = nullptr)
{
    return FuncEntry{name, inputs, outputs, AsFuncHandler(handler), form, help, prototype, defaults, values};
}

FuncEntry g_rows[] = {
    // 0-3 random matrices
    Row("rand", 1, 1, BuiltinRand, CALL_A1,
        H("rand(X)", "Returns an X-by-X matrix (or a matrix of the size vector X) of random entries uniformly distributed on (0,1)"),
        "rand(X)"),
    Row("rand", 2, 1, BuiltinRand2, CALL_A2,
        H("rand(Y,X)", "Returns an Y-by-X matrix of random entries uniformly distributed on (0,1)"), "rand(Y,X)"),
    Row("randn", 1, 1, BuiltinRandn, CALL_A1,
        H("rand(X)", "Returns an X-by-X matrix (or a matrix of the size vector X) of normally distributed random entries"),
        "randn(X)"),
    Row("randn", 2, 1, BuiltinRandn2, CALL_A2,
        H("randn(Y,X)", "Returns an Y-by-X matrix of normally distributed random entries"), "randn(Y,X)"),

    // 4-8 extremes and searches
    Row("max", -1, 1, BuiltinMax, CALL_VECTOR, H("max(X1,X2,...)", "Returns the largest element of the arguments"),
        "max(X1,X2)"),
    Row("min", -1, 1, BuiltinMin, CALL_VECTOR, H("min(X1,X2,...)", "Returns the smallest element of the arguments"),
        "min(X1,X2)"),
    Row("find", 1, 1, BuiltinFind, CALL_A1,
        H("find(X)", "Returns the indices of the nonzero elements of X, counted row by row"), "find(X)"),
    Row("find", 1, 2, BuiltinFind2, CALL_A1,
        H("[J,I]=find(X)", "Returns the row indices J and the column indices I of the nonzero elements of X"),
        "[J,I]=find(X)"),
    Row("find", 1, 3, BuiltinFind3, CALL_A1,
        H("[J,I,V]=find(X)",
          "Returns the row indices J, the column indices I and the values V of the nonzero elements of X"),
        "[J,I,V]=find(X)"),

    // 9-14 reductions and logical tests
    Row("sum", 1, 1, BuiltinSum, CALL_A1,
        H("sum(X)", "Returns sums along different dimensions of an array.\r\nFor a vector it is the sum of its "
                    "elements, for a matrix a row vector of the sums of its columns"),
        "sum(X)"),
    Row("prod", 1, 1, BuiltinProd, CALL_A1,
        H("prod(X)", "Returns the products along different dimensions of an array.\r\nFor a vector it is the "
                     "product of its elements, for a matrix a row vector of the products of its columns"),
        "prod(X)"),
    Row("cumsum", 1, 1, BuiltinCumsum, CALL_A1,
        H("cumsum(X)", "Returns the cumulative sum of an array.\r\nFor a vector it is a vector of the cumulative "
                       "sums of its elements, for a matrix a matrix of the cumulative sums of its columns"),
        "cumsum(X)"),
    Row("cumprod", 1, 1, BuiltinCumprod, CALL_A1,
        H("cumprod(X)", "Returns the cumulative product of an array.\r\nFor a vector it is a vector of the "
                        "cumulative products of its elements, for a matrix a matrix of those of its columns"),
        "cumprod(X)"),
    Row("any", 1, 1, BuiltinAny, CALL_A1,
        H("any(X)", "Returns 1 if any element of the vector X is nonzero; for a matrix, a row vector of the "
                    "results of its columns"),
        "any(X)"),
    Row("all", 1, 1, BuiltinAll, CALL_A1,
        H("all(X)", "Returns 1 if all elements of the vector X are nonzero; for a matrix, a row vector of the "
                    "results of its columns"),
        "all(X)"),

    // 15-20 builders and sorting
    Row("ones", -1, 1, BuiltinOnes, CALL_VECTOR,
        "ones(n);\r\nReturns an n-by-n matrix of ones\r\nones(y,x);\r\nReturns an y-by-x matrix of ones", "ones(n)"),
    Row("zeros", -1, 1, BuiltinZeros, CALL_VECTOR,
        "zeros(n);\r\nReturns an n-by-n matrix of zeros\r\nzeros(y,x);\r\nReturns an y-by-x matrix of zeros",
        "zeros(n)"),
    Row("eye", -1, 1, BuiltinEye, CALL_VECTOR,
        "eye(n);\r\nReturns the n-by-n identity matrix\r\neye(y,x);\r\nReturns an y-by-x matrix with 1's on the "
        "diagonal and 0's elsewhere",
        "zeros(n)"),
    Row("sorta", 1, 1, BuiltinSorta, CALL_A1_CTX,
        H("sorta(X)", "Returns a matrix, which sorted elements of matrix X in ascending order"), "sorta(X)"),
    Row("sortd", 1, 1, BuiltinSortd, CALL_A1_CTX,
        H("sortd(X)", "Returns a matrix, which sorted elements of matrix X in descending order"), "sortd(X)"),
    Row("backord", 1, 1, BuiltinBackord, CALL_A1,
        H("backord(X)", "Returns a matrix, which sorted elements of matrix X in back order"), "backord(X)"),

    // 21-23 concatenation and transposition
    Row("hrzcat", 2, 1, BuiltinHrzcat, CALL_A2,
        H("hrzcat(X,Y)", "Concatenates the matrices (or strings) X and Y horizontally"), "hrzcat(X,Y)"),
    Row("vrtcat", 2, 1, BuiltinVrtcat, CALL_A2, H("vrtcat(X,Y)", "Concatenates the matrices X and Y vertically"),
        "vrtcat(X,Y)"),
    Row("trans", 1, 1, BuiltinTrans, CALL_A1, H("trans(X)", "Complex conjugate matrix transposition"), "trans(X)"),

    // 24 det
    Row("det", 1, 1, BuiltinDet, CALL_A1, H("det(X)", "Returns the determinant of the square matrix X"), "det(X)"),

    // 25 trace
    Row("trace", 1, 1, BuiltinMatrixTrace, CALL_A1,
        H("trace(X)", "Returns the sum of the diagonal elements of the matrix X"), "trace(X)"),

    // 26 inv
    Row("inv", 1, 1, BuiltinInv, CALL_A1, H("inv(X)", "Returns the inverse of the square matrix X"), "inv(X)"),

    // 27-28 linear equations
    Row("solve", 2, 1, BuiltinSolve, CALL_A2,
        H("solve(M,V)", "Returns the vector of roots X, solving the system of linear equations M*X=V, using "
                        "Gaussian elimination algorithm"),
        "solve(M,V)"),
    Row("solvex", 2, 1, BuiltinSolvex, CALL_A2,
        H("solvex(M,V)", "Returns the vector of roots X, solving the system of linear equations M*X=V, using "
                         "rotation method."),
        "solvex(M,V)"),

    // 29-31 matrix functions
    Row("expm", 1, 1, BuiltinExpm, CALL_A1, H("expm(X)", "Returns the matrix exponential of matrix X"), "expm(X)"),
    Row("logm", 1, 1, BuiltinLogm, CALL_A1,
        H("logm(X)", "Returns the matrix logarithm: the inverse function of expm(X)"), "logm(X)"),
    Row("sqrtm", 1, 1, BuiltinSqrtm, CALL_A1,
        H("sqrtm(X)", "Returns the principal square root of the matrix X, i.e. Y*Y=X"), "sqrtm(X)"),

    // 32-35 rows and columns (the prototypes show one argument)
    Row("row", 2, 1, BuiltinMatrixRow, CALL_A2, H("row(X,k)", "Returns the k-th row of the matrix X"), "row(X)"),
    Row("col", 2, 1, BuiltinMatrixCol, CALL_A2, H("col(X,k)", "Returns the k-th column of the matrix X"), "col(X)"),
    Row("drow", 2, 1, BuiltinDrow, CALL_A2,
        H("drow(X,k)", "Returns the matrix X without the rows whose indices are the elements of k"), "drow(X)"),
    Row("dcol", 2, 1, BuiltinDcol, CALL_A2,
        H("dcol(X,k)", "Returns the matrix X without the columns whose indices are the elements of k"), "dcol(X)"),

    // 36-38 counts and the range vector
    Row("length", 1, 1, BuiltinLength, CALL_A1,
        H("length(X)", "Returns the size of the longest dimension of X. If X is a vector, this is the same as its "
                       "length"),
        "length(X)"),
    Row("rang", 1, 1, BuiltinRang, CALL_A1, H("rang(X)", "Returns a rang of a matrix X"), "rang(X)"),
    Row("fvec", 3, 1, BuiltinFvec, CALL_A3,
        H("fvec(XSTART,XSTOP,XSTEP)", "Returns the row vector from XSTART to XSTOP by the step XSTEP"),
        "fvec(XSTART,XSTOP,XSTEP)"),

    // 39-43 norms, condition, rank
    Row("norm", 2, 1, BuiltinNorm, CALL_A2,
        H("norm(X[,p=2])", "Returns a scalar value that gives some measure of the magnitude of the elements of the "
                           "matrix"),
        "norm(X)", 1, g_normPower),
    Row("cond", 2, 1, BuiltinCond, CALL_A2,
        H("cond(X[,p=2])", "Returns a condition number with respect to inversion the matrix X"), "cond(X)", 1,
        g_normPower),
    Row("rcond", 1, 1, BuiltinRcond, CALL_A1,
        H("rcond(X)", "Returns an estimate for the reciprocal of the condition of X in p-norm using the LAPACK "
                      "condition estimator"),
        "rcond(X)"),
    Row("orth", 1, 1, BuiltinOrth, CALL_A1, H("orth(X)", "Returns an orthonormal basis for the range of X"),
        "orth(X)"),
    Row("rank", 2, 1, BuiltinRank, CALL_A2,
        H("rank(X[,tol])", "Returns the number of singular values of X that are larger than the tolerance tol"),
        "rank(X)", 1, g_noTolerance),

    // 44-47 triangles and diagonals
    Row("triu", 2, 1, BuiltinTriu, CALL_A2,
        H("triu(X[,k=0])", "Returns the elements on and above the k-th diagonal of X, the others zero. k=0 is the "
                           "main diagonal, k>0 is above the main diagonal, and k<0 is below the main diagonal"),
        "triu(X)", 1, g_diagonal),
    Row("tril", 2, 1, BuiltinTril, CALL_A2,
        H("tril(X[,k=0])", "Returns the elements on and below the k-th diagonal of X, the others zero. k=0 is the "
                           "main diagonal, k>0 is above the main diagonal, and k<0 is below the main diagonal"),
        "tril(X)", 1, g_diagonal),
    Row("diag", -1, 1, BuiltinDiag, CALL_VECTOR,
        H("diag(V[,k])", "Returns a square matrix X of order n+abs(k), with the elements of V on the k-th "
                         "diagonal. k=0 is the main diagonal, k>0 is above the main diagonal, and k<0 is below "
                         "the main diagonal"),
        "diag(V)"),
    Row("gdiag", -1, 1, BuiltinGdiag, CALL_VECTOR,
        H("gdiag(X[,k])", "Returns a vector extracted from the elements of the k-th diagonal of X. See diag for "
                          "more info"),
        "gdiag(X)"),

    // 48-67 decompositions
    Row("svd_old", 1, 3, BuiltinSvdOld, CALL_A1,
        H("[U,W,V]=svd_old(X)", "Singular value decomposition. Produces a vector W, with nonnegative elements in "
                                "random order, and unitary matrices U and V so that X = U*diag(W)*trans(V)"),
        "[U,W,V]=svd_old(X)"),
    Row("svd", 1, 3, BuiltinSvd, CALL_A1, H("[U,S,V]=svd(X)", SVD_TEXT), "[U,S,V]=svd(X)"),
    Row("svd0", 1, 3, BuiltinSvd0, CALL_A1,
        H("[U,S,V]=svd0(X)", "Produces the economy size singular value decomposition. " SVD_TEXT), "[U,S,V]=svd0(X)"),
    Row("svd", 1, 1, BuiltinSvdValues, CALL_A1, H("S=svd(X)", "Returns a vector of singular values"), "svd(X)"),
    Row("eig", 1, 2, BuiltinEig, CALL_A1,
        H("[V,D]=eig(X)", "Produces matrices of eigenvalues (D) and eigenvectors (V) of matrix X, so that X*V=V*D"),
        "[V,D]=eig(X)"),
    Row("eig", 1, 1, BuiltinEigValues, CALL_A1, H("D=eig(X)", "Returns a vector of the eigenvalues of matrix X"),
        "eig(X)"),
    Row("eig", 2, 2, BuiltinEig2, CALL_A2,
        H("[V,D]=eig(X,Y)", "Produces a diagonal matrix of generalized eigenvalues (D) and a full matrix (V) whose "
                            "columns are the corresponding eigenvectors so that X*V=Y*V*D"),
        "[V,D]=eig(X,Y)"),
    Row("eig", 2, 1, BuiltinEig2Values, CALL_A2,
        H("D=eig(X,Y)", "Returns a vector containing the generalized eigenvalues"), "eig(X,Y)"),
    Row("eign", 1, 2, BuiltinEign, CALL_A1,
        H("[V,D]=eign(X)", "Produces matrices of eigenvalues (D) and eigenvectors (V) of matrix X, without a "
                           "preliminary balancing step, so that X*V=V*D"),
        "[V,D]=eign(X)"),
    Row("eign", 1, 1, BuiltinEignValues, CALL_A1,
        H("D=eign(X)", "Returns a vector of the eigenvalues of matrix X, without a preliminary balancing step"),
        "eign(X)"),
    Row("schur", 2, 2, BuiltinSchur, CALL_A2,
        H("[U,T]=schur(X[,flg=\"a\"])",
          "Schur decomposition X=U*T*U'. If flg is 'c' the matrix T is triangular and complex when X has complex "
          "eigenvalues; otherwise T has the real eigenvalues on the diagonal and the complex eigenvalues in "
          "2-by-2 blocks on the diagonal"),
        "[U,T]=schur(X)", 1, g_noFlag),
    Row("schur", 1, 1, BuiltinSchurT, CALL_A1, H("T=schur(X)", "Returns the Schur matrix T"), "schur(X)"),
    Row("chol", 1, 1, BuiltinChol, CALL_A1, H("R=chol(X)", "Returns the cholesky factorization"), "chol(X)"),
    Row("chol", 1, 2, BuiltinCholRP, CALL_A1, H("[R,p]=chol(X)", "Returns the cholesky factorization"),
        "[R,p]=chol(X)"),
    Row("lu", 1, 3, BuiltinLu, CALL_A1,
        H("[L,U,P]=lu(X)", "Returns an upper triangular matrix in U, a lower triangular matrix with a unit diagonal "
                           "in L, and a permutation matrix in P, so that P*X=L*U"),
        "[L,U,P]=lu(X)"),
    Row("qr", 1, 1, BuiltinQr, CALL_A1, H("Y=qr(X)", "Orthogonal-triangular decomposition"), "qr(X)"),
    Row("qr", 1, 2, BuiltinQrQR, CALL_A1,
        H("[Q,R]=qr(X)", "Produces an upper triangular matrix R of the same dimension as X and a unitary matrix Q "
                         "so that A = Q*R"),
        "[Q,R]=qr(X)"),
    Row("qr", 1, 3, BuiltinQrQRE, CALL_A1,
        H("[Q,R,E]=qr(X)", "Produces a permutation matrix E, an upper triangular matrix R with decreasing diagonal "
                           "elements, and a unitary matrix Q so that A*E = Q*R"),
        "[Q,R,E]=qr(X)"),
    Row("hess", 1, 2, BuiltinHess, CALL_A1,
        H("[Q,H]=hess(X)", "Returns a Hessenberg matrix H and a unitary matrix Q so that X=Q*H*Q' and "
                           "Q'*Q=eye(size(X))"),
        "[Q,H]=hess(X)"),
    Row("pinv", 2, 1, BuiltinPinv, CALL_A2, H("pinv(X[,tol])", "Returns a Moore-Penrose pseudoinverse of a matrix"),
        "pinv(X)", 1, g_noTolerance),

    // 68-69 functions of a matrix (two arguments and the context)
    Row("funm", 2, 1, BuiltinFunm, CALL_A2_CTX,
        H("funm(X,FUN)", "Evaluates the matrix function FUN of the square matrix X"), "funm(X,@sin)"),
    Row("fevam", 2, 1, BuiltinFevam, CALL_A2_CTX,
        H("fevam(X,FUN)", "Applies the function FUN to every element of the matrix X"), "fevam(X,@sin)"),

    // 70 qz: present but past the registered count
    Row("qz", 3, 4, BuiltinQz, CALL_A3,
        H("[XX,YY,Q,Z]=qz(X,Y[,flg])", "QZ factorization for generalized eigenvalues"), "[XX,YY,Q,Z]=qz(X,Y)", 1,
        g_noFlag),
};

constexpr int32_t kRowsPresent = (int32_t)(sizeof(g_rows) / sizeof(g_rows[0]));

// Every row but a trailing qz is registered.
int32_t RegisteredRows()
{
    const bool lastIsQz = kRowsPresent > 0 && std::string_view(g_rows[kRowsPresent - 1].name) == "qz";
    return lastIsQz ? kRowsPresent - 1 : kRowsPresent;
}

}  // namespace

FuncLibrary MatrixAlgebraLibrary = {"Matrix and Algebra", g_rows, RegisteredRows(), nullptr, 0};
