#include "builtins/nonlinear_library.h"

namespace {

#define ROW(name, inputs, handler, help, proto) \
    { name, inputs, 1, AsFuncHandler(handler), CALL_VECTOR_CTX, help, proto, 0, nullptr }

FuncEntry g_rows[] = {
    ROW("nlsolve", -1, BuiltinNlsolve,
        "nlsolve(FUN[,tol=1e-6,x0,niter])\r\nSolves the system of non-linear equations using an error tolerance "
        "tol. Returns the vector of some roots depending from a vector of initial approximation. Form of system of "
        "equations is:\r\n|FUN1(x1...,xN)=0\r\n|...\r\n|FUNN(x1...,xN)=0\r\nFUN - vector of pointers to a "
        "functions. Prototype of an each function is FUNN(x1,...,xN), where N is system of equations dimension or "
        "a vector FUN length. If FUN is one pointer to a function, nlsolve returns one equation solution "
        "FUN(X)=0;\r\ntol - relative error tolerance, default tolerance is equal 1e-4;\r\nx0 - vector of an "
        "initial approximation of roots. If argument is not used it is set to default and automatically finds "
        "the initial vector;\r\nniter - maximum number of iterations;\r\n",
        "nlsolve(FUN)"),
    ROW("fzero", -1, BuiltinFzero,
        "fzero(FUN[,x0,tol=1e-8|ops={tol=1e-8,iter=1000},p1,p2,...])\r\nTries to find a zero of FUN from "
        "starting point x0",
        "fzero(FUN)"),
    ROW("fmin", -3, BuiltinFmin,
        "fmin(FUN,x1,x2[,tol=1e-8|ops={tol=1e-8,iter=1000},p1,p2,...])\r\nReturns a value of x which is a local "
        "minimizer of FUN(x) in the interval x1<x<x2",
        "fmin(FUN)"),
    ROW("fming", -3, BuiltinFming,
        "xm=fming(FUN,x1,x2[,tol=1e-8|ops={tol=1e-8,pts=1000},p1,p2,...])\r\nReturns a vector xm of values of x "
        "which is a all local minimizer of FUN(x) in the interval x1<x<x2. Maximum length of vector xm is the "
        "option settings ops.pts",
        "fming(FUN)"),
    ROW("fmins", -2, BuiltinFmins,
        "x=fmins(FUN,x0[,tol=1e-6|ops={tol=1e-6,iter=1000,step=0.1},p1,p2,...])\r\nReturns a vector x which is "
        "a local minimizer of FUN(x) near x0. Minimize a function of several variables. Function uses the "
        "Quazinewton method",
        "fmins(FUN)"),
    ROW("fmins2", -2, BuiltinFmins2,
        "fmins2(FUN,x0[,tol=1e-6|ops={tol=1e-6,iter=1000,step=0.1},p1,p2,...])\r\nReturns a vector x which is a "
        "local minimizer of FUN(x) near x0. Minimize a function of several variables. Function uses the "
        "Rosenbrock method",
        "fmins2(FUN)"),
    ROW("fmins3e", -2, BuiltinFmins3e,
        "fmins3e(FUN,x0[,tol=1e-6|ops={tol=1e-6,iter=1000},p1,p2,...])\r\nReturns a vector x which is a local "
        "minimizer of FUN(x) near x0. Minimize a function of several variables. Function uses the Powell method",
        "fmins3e(FUN)"),
    ROW("quad", -3, BuiltinQuad,
        "quad(FUN,xmin,xmax[,tol=1e-5]);\r\nQuadrature is a numerical method used to find the area under the "
        "graph of a function, that is, to compute a definite integral.\r\nquad approximates the integral of "
        "function FUN from xmin to xmax to within an error tolerance of tol. Larger values of tol result in fewer "
        "function evaluations and faster computation, but less accurate results. FUN is pointer to a function "
        "evaluated at x argument.\r\n",
        "quad(FUN,xmin,xmax)"),
    ROW("quad2", -5, BuiltinQuad2,
        "quad2(FUN,ymin,ymax,xmin,xmax[,tol=1e-5]);\r\nEvaluates the double integral FUN(x,y) over the rectangle "
        "xmin<=x<=xmax, ymin<=y<=ymax, uses a tolerance tol. FUN is pointer to a function evaluated at x,y "
        "arguments\r\n",
        "quad2(FUN,ymin,ymax,xmin,xmax)"),
    ROW("quad3", -7, BuiltinQuad3,
        "quad3(FUN,zmin,zmax,ymin,ymax,xmin,xmax[,tol=1e-5]);\r\nEvaluates the triple integral FUN(x,y,z) over "
        "the three dimensional rectangular region xmin<=x<=xmax, ymin<=y<=ymax, zmin<=z<=zmax\r\n",
        "quad3(FUN,zmin,zmax,ymin,ymax,xmin,xmax)"),
    ROW("quadm", -3, BuiltinQuadm,
        "quadm(FUN,MIN,MAX[,tol=1e-5])\r\nEvaluates the multiple dimensional integral of function FUN(x1,...,xN), "
        "where N is number of function dimension, and MIN & MAX is vector of limits, so that "
        "length(MIN)=length(MAX)=N\r\n",
        "quadm(FUN,MIN,MAX)"),
    ROW("ode5", -3, BuiltinOde5,
        "ode5(FUN,ts,y0[,atol=1e-6|ops={atol=1e-6, step=atol*10},p1,p2,...])\r\nIntegrates the system of "
        "differential equations y'=f(t,y) from time ts[1] to ts[col(ts)] with initial conditions y0. Algorithm "
        "are intended to solve nonstiff systems and uses Runge-Kutta formula of order 5.",
        "ode5(FUN)"),
    ROW("ode4s", -3, BuiltinOde4s,
        "ode4s(FUN,ts,y0[,atol=1e-6|ops={atol=1e-6, step=atol*10},p1,p2,...])\r\nIntegrates the system of "
        "differential equations y'=f(t,y) from time ts[1] to ts[col(ts)] with initial conditions y0. Algorithm "
        "are intended to solve stiff systems and uses Rosenbrock formula of order 4.",
        "ode4s(FUN)"),
    // Past the registered count: never resolved, never listed.
    ROW("_ode", -3, BuiltinOde5, "_ode(FUN,ts,y0[,tol=1e-6|ops={atol=1e-6},p1,p2,...])\r\n", "_ode(FUN)"),
};

#undef ROW

}  // namespace

FuncLibrary NonlinearSolutionsLibrary = {"Nonlinear Numerical Solutions", g_rows, 13, nullptr, 0};

static_assert(sizeof(g_rows) / sizeof(g_rows[0]) == 14);
