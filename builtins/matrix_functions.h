#pragma once
// Handlers of the "Matrix and Algebra" library that factor a matrix, invert
// it, measure it or apply a function to it. Each takes its arguments in the
// calling form named beside it; a handler with several outputs returns a
// 1 x k matrix whose cells are the outputs in order.
#include "interpreter/func_records.h"
#include "interpreter/status.h"
#include "values/value.h"

// ---- factorizations through LAPACK ----------------------------------------

// svd: [U,S,V] (0x100); S is m x n with the singular values on its diagonal.
StatusWord BuiltinSvd(CValue* x, CValue* out);
// svd0: economy [U,S,V] (0x100): U m x k, S k x k, V n x k.
StatusWord BuiltinSvd0(CValue* x, CValue* out);
// svd: S alone (0x100): the 1 x k row of singular values, decreasing.
StatusWord BuiltinSvdValues(CValue* x, CValue* out);
// pinv(X [, tol]) (0x200).
StatusWord BuiltinPinv(CValue* x, CValue* tol, CValue* out);
// schur: [U,T] = schur(X [, flg]) (0x200); flg 'c' forces the complex form.
StatusWord BuiltinSchur(CValue* x, CValue* flg, CValue* out);
// schur: T alone (0x100), always complex triangular.
StatusWord BuiltinSchurT(CValue* x, CValue* out);
// hess: [Q,H] (0x100).
StatusWord BuiltinHess(CValue* x, CValue* out);
// qr: Y, the factored array (0x100).
StatusWord BuiltinQr(CValue* x, CValue* out);
// qr: [Q,R] (0x100).
StatusWord BuiltinQrQR(CValue* x, CValue* out);
// qr: [Q,R,E] with column pivoting, X*E = Q*R (0x100).
StatusWord BuiltinQrQRE(CValue* x, CValue* out);
// chol: R (0x100).
StatusWord BuiltinChol(CValue* x, CValue* out);
// chol: [R,p] (0x100); p = 0 for a positive definite X.
StatusWord BuiltinCholRP(CValue* x, CValue* out);
// eig: [V,D] (0x100).
StatusWord BuiltinEig(CValue* x, CValue* out);
// eig: D alone, a row of eigenvalues (0x100).
StatusWord BuiltinEigValues(CValue* x, CValue* out);
// eig: generalized [V,D] of X and Y (0x200).
StatusWord BuiltinEig2(CValue* x, CValue* y, CValue* out);
// eig: generalized eigenvalues of X and Y as a row (0x200).
StatusWord BuiltinEig2Values(CValue* x, CValue* y, CValue* out);
// rcond (0x100).
StatusWord BuiltinRcond(CValue* x, CValue* out);
// qz: [XX,YY,Q,Z] = qz(X, Y [, flg]) (0x300).
StatusWord BuiltinQz(CValue* x, CValue* y, CValue* flg, CValue* out);

// ---- determinant, inverse, norms and matrix functions ---------------------

StatusWord BuiltinDet(CValue* x, CValue* out);              // 0x100
StatusWord BuiltinInv(CValue* x, CValue* out);              // 0x100
StatusWord BuiltinNorm(CValue* x, CValue* p, CValue* out);  // 0x200, p default Real 2
StatusWord BuiltinCond(CValue* x, CValue* p, CValue* out);  // 0x200, p default Real 2
StatusWord BuiltinRank(CValue* x, CValue* tol, CValue* out);  // 0x200, tol default empty
StatusWord BuiltinOrth(CValue* x, CValue* out);             // 0x100
StatusWord BuiltinLu(CValue* x, CValue* out);               // 0x100, [L,U,P]
StatusWord BuiltinSvdOld(CValue* x, CValue* out);           // 0x100, [U,W,V]
StatusWord BuiltinEign(CValue* x, CValue* out);             // 0x100, [V,D]
StatusWord BuiltinEignValues(CValue* x, CValue* out);       // 0x100, D
StatusWord BuiltinExpm(CValue* x, CValue* out);             // 0x100
StatusWord BuiltinLogm(CValue* x, CValue* out);             // 0x100
StatusWord BuiltinSqrtm(CValue* x, CValue* out);            // 0x100

// ---- a function applied to a matrix ----------------------------------------

// funm(X, FUN) (form 2): f(X) by the complex Schur form; FUN a function
// pointer or a function's name.
StatusWord BuiltinFunm(CValue* x, CValue* fun, CValue* out, StatementContext* context);
// fevam(X, FUN) (form 2): FUN applied to every cell.
StatusWord BuiltinFevam(CValue* x, CValue* fun, CValue* out, StatementContext* context);
