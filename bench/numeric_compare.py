#!/usr/bin/env python3
"""Numeric comparison of Veldra's built-in functions with exact values and,
where it is installed, with GNU Octave.

A tool run by hand, not part of the tests:

    python3 bench/numeric_compare.py [--seed N] [--veldra PATH] [--octave PATH]
                                     [--no-octave] [--all] [--out FILE]

It builds a seeded table of calls (about 2,010: the elementary functions at
special, signed-zero, random real and random complex arguments; the two-argument
functions; matrix functions of random and special matrices; decompositions,
powers, logarithms and exponentials of matrices at the ends of the double range;
polynomial roots; NaN cells in max/min and sign, singular systems, scaled
solvex and det, fzero, nlsolve and str2num; quadratures, oscillating ones
among them), runs them in batch programs through `build/out/veldra --run`,
runs the same calls through `octave-cli` when it is found, and computes exact
values in 40-digit arithmetic with mpmath (python3-mpmath).

Each Veldra result is compared with the exact value where there is one, else
with Octave's. A result counts as a disagreement when its error is above the
tolerance of the call: 16 cond eps relative to the exact value for the
elementary functions (cond = |z f'(z) / f(z)|, worked out in 40 digits),
64 n cond(A) eps (or 64 n max(1, ||A||) eps for expm) normwise for the matrix
functions, the root condition numbers for polynomial roots, and the requested
tolerance for the quadratures. A disagreement that one of the documented
conventions of the language explains is listed under its convention; every
other one is listed as a fault. The list of faults must come out empty.

Conventions of the language (kept; Octave answers otherwise):
  branch-real    A real argument outside the real domain of an inverse function
                 is the complex argument x + 0i on the side of the cut the
                 imaginary +0 names: asin(1.5) = pi/2 + 0.9624i,
                 acos(1.5) = -0.9624i (so asin + acos = pi/2), acosh, log,
                 sqrt, log10 likewise; asec, acsc and asech take 1/x the same
                 way; atanh and acoth are odd (atanh(2) = 0.5493 - 1.5708i).
                 Octave conjugates asin/acos/asec/acsc/atanh/acoth there.
  signed-zero    At a pole, a real zero's sign names the side of the limit:
                 asech(-0) = INF + pi i, acsc(-0) = -pi/2 + INFi,
                 asec(0) = -INFi, acoth(0) = -pi/2 i.
  complex-zero   Complex division by an exact complex zero gives INF + INFi
                 (1/(0+0i)); the reciprocal functions of a complex zero follow.
  ascending      Polynomials are ascending coefficient vectors (mapped, not a
                 difference; roots are compared as sets).
  polyroots-tol  polyroots deflates when a subdiagonal falls below tol = 1e-12
                 (its documented default) of its neighbours: roots are within
                 n cond (1e-12 + 64 eps) of the exact ones, not within eps.
  exact-mod      mod and rem are x - floor(x/y) y and x - fix(x/y) y in double
                 arithmetic, exact for the doubles given: mod(0.3, 0.1) =
                 0.09999999999999998; Octave snaps to 0.
  singular-error inv, solve, solvex and the matrix division report a singular
                 matrix as an error, and nlsolve a singular Jacobian; Octave
                 warns and answers.
  quad-tol       quad meets its requested absolute tolerance (default 1e-5) by
                 Simpson's rule with halving; Octave's adaptive rule is exact to
                 eps. The exact value decides within the tolerance.
  schur          Matrix powers, square roots and logarithms through the Schur
                 form: last-bit differences, within the tolerance.

Exit status: 0 when no fault is listed, 1 otherwise, 2 on a usage error.
"""
import argparse
import math
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

try:
    import mpmath as mp
except ImportError:  # pragma: no cover
    mp = None

EPS = 2.220446049250313e-16
POLYROOTS_TOL = 1e-12  # polyroots' default: a subdiagonal below 1e-12 of its neighbours counts as zero
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# ---- the table of calls ----------------------------------------------------

UNARY = ["sin", "cos", "tan", "cot", "sec", "csc", "sinh", "cosh", "tanh", "coth", "sech", "csch",
         "asin", "acos", "atan", "acot", "asec", "acsc", "asinh", "acosh", "atanh", "acoth", "asech",
         "acsch", "exp", "log", "log10", "sqrt", "abs"]

# Real arguments that every unary function meets.
SPECIAL_REALS = [0.0, -0.0, 0.5, -0.5, 1.0, -1.0, 1.5, -1.5, 2.0, -3.0, 1e-10, -1e-10, 0.999999,
                 1.000001, 10.0, -25.0, 100.0, 1e5]
# Complex arguments far out, where the naive forms overflow.
SPECIAL_COMPLEX = [(1000, 0.001), (-1000, 2), (0.001, 1000), (2, -1000), (30, 1), (-30, -1), (1, 30),
                   (25, 1), (0.5, 0.25), (-2, 3), (1000, 0), (0, 1000)]


class Call:
    """One call: Veldra's expression, Octave's expression, the exact value
    (a list of complex cells, row-major, or None), the tolerance rule."""

    def __init__(self, group, veldra, octave, exact=None, tol=None, conventions=(), expect_error=False,
                 shape=None):
        self.group = group
        self.veldra = veldra
        self.octave = octave
        self.exact = exact          # callable giving a list of mpc, or None
        self.tol = tol              # callable(exact cells) -> absolute tolerance on the norm error
        self.conventions = conventions
        self.expect_error = expect_error
        self.shape = shape
        self.v = None               # Veldra's cells, or ("error", text)
        self.o = None               # Octave's cells, or ("error", text)
        self.x = None               # exact cells, or ("error", text)
        self.meta = None            # (function, argument) of an elementary call


def num(x):
    """A double as program text that reads back to the same double."""
    if x == 0:
        return "-0" if math.copysign(1.0, x) < 0 else "0"
    if math.isinf(x):
        return "INF" if x > 0 else "-INF"
    return repr(float(x))


def vcomplex(re_, im_):
    return "(%s + %s*1i)" % (num(re_), num(im_))


def ocomplex(re_, im_):
    return ("complex(%s, %s)" % (num(re_), num(im_))).replace("INF", "Inf")


def onum(x):
    return num(x).replace("INF", "Inf")


def vmat(rows):
    return "[" + "; ".join(", ".join(num(c) for c in r) for r in rows) + "]"


def omat(rows):
    return "[" + "; ".join(", ".join(onum(c) for c in r) for r in rows) + "]"


# ---- exact values -------------------------------------------------------------

def mpf_side(x, side):
    """x + i 0^side: the point just above (side > 0) or below the real axis."""
    return mp.mpc(x, side * mp.mpf(10) ** -60)


def clean(z):
    """Drop the imaginary dust left by a limit from one side."""
    z = mp.mpc(z)
    if abs(z.imag) < mp.mpf(10) ** -50 * max(1, abs(z.real)):
        z = mp.mpc(z.real, 0)
    if abs(z.real) < mp.mpf(10) ** -50 * max(1, abs(z.imag)):
        z = mp.mpc(0, z.imag)
    return z


MPF = {
    "sin": lambda z: mp.sin(z), "cos": lambda z: mp.cos(z), "tan": lambda z: mp.tan(z),
    "cot": lambda z: mp.cot(z), "sec": lambda z: mp.sec(z), "csc": lambda z: mp.csc(z),
    "sinh": lambda z: mp.sinh(z), "cosh": lambda z: mp.cosh(z), "tanh": lambda z: mp.tanh(z),
    "coth": lambda z: mp.coth(z), "sech": lambda z: mp.sech(z), "csch": lambda z: mp.csch(z),
    "asin": lambda z: mp.asin(z), "acos": lambda z: mp.acos(z), "atan": lambda z: mp.atan(z),
    "acot": lambda z: mp.atan(1 / z), "asec": lambda z: mp.acos(1 / z), "acsc": lambda z: mp.asin(1 / z),
    "asinh": lambda z: mp.asinh(z), "acosh": lambda z: mp.acosh(z), "atanh": lambda z: mp.atanh(z),
    "acoth": lambda z: mp.atanh(1 / z), "asech": lambda z: mp.acosh(1 / z), "acsch": lambda z: mp.asinh(1 / z),
    "exp": lambda z: mp.exp(z), "log": lambda z: mp.log(z), "log10": lambda z: mp.log10(z),
    "sqrt": lambda z: mp.sqrt(z), "abs": lambda z: abs(z),
}

# Real domains: outside them the real argument becomes complex (branch-real).
REAL_DOMAIN = {
    "asin": lambda x: abs(x) <= 1, "acos": lambda x: abs(x) <= 1, "acosh": lambda x: x >= 1,
    "atanh": lambda x: abs(x) <= 1, "acoth": lambda x: abs(x) >= 1, "asec": lambda x: abs(x) >= 1,
    "acsc": lambda x: abs(x) >= 1, "asech": lambda x: 0 <= x <= 1, "log": lambda x: x >= 0,
    "log10": lambda x: x >= 0, "sqrt": lambda x: x >= 0,
}

# Limits at real zeros (signed-zero), and the reciprocal functions at a complex zero.
POLE_LIMITS = {
    ("asech", 1): ("inf", 0), ("asech", -1): ("inf", "pi"),
    ("asec", 1): (0, "-inf"), ("asec", -1): ("pi", "-inf"),
    ("acsc", 1): ("pi/2", "inf"), ("acsc", -1): ("-pi/2", "inf"),
    ("acoth", 1): (0, "-pi/2"), ("acoth", -1): (0, "pi/2"),
    ("acot", 1): ("pi/2", 0), ("acot", -1): ("-pi/2", 0),
    ("acsch", 1): ("inf", 0), ("acsch", -1): ("-inf", 0),
    ("cot", 1): ("inf", 0), ("cot", -1): ("-inf", 0), ("csc", 1): ("inf", 0), ("csc", -1): ("-inf", 0),
    ("coth", 1): ("inf", 0), ("coth", -1): ("-inf", 0), ("csch", 1): ("inf", 0), ("csch", -1): ("-inf", 0),
    ("log", 1): ("-inf", 0), ("log", -1): ("-inf", 0), ("log10", 1): ("-inf", 0), ("log10", -1): ("-inf", 0),
}


def const(v):
    if isinstance(v, str):
        sign = -1 if v.startswith("-") else 1
        w = v.lstrip("-")
        val = {"inf": mp.inf, "pi": mp.pi, "pi/2": mp.pi / 2}[w]
        return sign * val
    return mp.mpf(v)


def exact_unary(name, z, real_arg, zero_sign=1):
    """The value the language defines: the principal value off the cuts, the
    documented sides on them (branch-real, signed-zero)."""
    if real_arg:
        x = z.real
        # mpmath has no -0: the sign of a zero argument comes apart.
        if x == 0 and (name, zero_sign) in POLE_LIMITS:
            re_, im_ = POLE_LIMITS[(name, zero_sign)]
            return mp.mpc(const(re_), const(im_))
        dom = REAL_DOMAIN.get(name)
        if dom is not None and not dom(x):
            if name in ("atanh", "acoth"):
                # odd: atanh(x) for x > 1 from below, for x < -1 from above
                arg = x if name == "atanh" else 1 / mp.mpf(x)
                return clean(mp.atanh(mpf_side(arg, -1 if arg > 0 else 1)))
            if name in ("asec", "acsc", "asech"):
                inner = {"asec": mp.acos, "acsc": mp.asin, "asech": mp.acosh}[name]
                return clean(inner(mpf_side(1 / mp.mpf(x), 1)))
            return clean(MPF[name](mpf_side(mp.mpf(x), 1)))
        return mp.mpc(MPF[name](mp.mpf(x)))
    if z.imag == 0 and z.real != 0:
        # x + 0i: the same sides as a real x outside the domain
        return mp.mpc(exact_unary(name, mp.mpc(z.real, 0), True))
    if z.real == 0 and abs(z.imag) > 1 and name in ("asinh", "atan"):
        y = z.imag
        if name == "asinh":  # -i asin(iz), iz = -y + 0i
            return clean(-1j * mp.asin(mpf_side(-y, 1)))
        return clean(mp.atan(mp.mpc(mp.sign(y) * mp.mpf(10) ** -60, y)))  # odd on the cut
    return mp.mpc(MPF[name](z))


def unary_cond(name, z, fz):
    """|z f'(z) / f(z)| by a central difference in 40 digits."""
    if fz == 0 or not mp.isfinite(fz) or z == 0:
        return 1.0
    h = mp.mpf(10) ** -18
    try:
        d = (MPF[name](z * (1 + h)) - MPF[name](z * (1 - h))) / (2 * h)
    except (ZeroDivisionError, ValueError):
        return 1.0
    return float(abs(d / fz))


def exact_matrix(fn, rows):
    a = mp.matrix([[mp.mpf(c) for c in r] for r in rows])
    return fn(a)


def mat_cells(m):
    if isinstance(m, (mp.matrix,)):
        return [mp.mpc(m[i, j]) for i in range(m.rows) for j in range(m.cols)]
    return [mp.mpc(m)]


def norm1(m):
    return max(sum(abs(m[i, j]) for i in range(m.rows)) for j in range(m.cols))


def cond1(a):
    try:
        return float(norm1(a) * norm1(a ** -1))
    except ZeroDivisionError:
        return math.inf


# ---- building the table -------------------------------------------------------

def build_calls(rng):
    calls = []
    # Elementary functions: special reals, random reals over many magnitudes, random complex.
    for name in UNARY:
        reals = list(SPECIAL_REALS)
        for _ in range(12):
            mag = 10 ** rng.uniform(-6, 3)
            reals.append(rng.choice([-1, 1]) * mag)
        for x in reals:
            c = Call("elementary", "%s(%s)" % (name, num(x)), "%s(%s)" % (name, onum(x)),
                     exact=(lambda n=name, x=x: [exact_unary(n, mp.mpc(x), True, int(math.copysign(1, x)))]),
                     tol=("unary", name, mp.mpc(x), True))
            c.meta = (name, complex(x, 0))
            calls.append(c)
        cplx = list(SPECIAL_COMPLEX)
        for _ in range(10):
            cplx.append((rng.uniform(-3, 3), rng.uniform(-3, 3)))
        for re_, im_ in cplx:
            c = Call("elementary", "%s(%s)" % (name, vcomplex(re_, im_)),
                     "%s(%s)" % (name, ocomplex(re_, im_)),
                     exact=(lambda n=name, z=(re_, im_): [exact_unary(n, mp.mpc(*z), False)]),
                     tol=("unary", name, mp.mpc(re_, im_), False))
            c.meta = (name, complex(re_, im_))
            calls.append(c)
    # The inverse pairs add up to pi/2 on either side of the domain.
    for x in [1.5, -1.5, 2.0, -2.0, 0.5, -0.5, 1e10, -1e-10]:
        for a, b in (("asin", "acos"), ("asec", "acsc")):
            calls.append(Call("pairs", "%s(%s) + %s(%s)" % (a, num(x), b, num(x)),
                              "%s(%s) + %s(%s)" % (a, onum(x), b, onum(x)),
                              exact=lambda: [mp.mpc(mp.pi / 2)], tol=("rel", 8 * EPS)))
    # Complex zero (complex-zero): documented, compared with the language's own rule.
    for name in ("asec", "acsc", "asech", "acoth", "acsch", "acot"):
        calls.append(Call("complex-zero", "%s(0 + 0i)" % name, "%s(complex(0, 0))" % name,
                          exact=None, conventions=("complex-zero",)))
    # Gamma functions, the argument of a complex number, powers.
    for x in [0.5, 1.5, 5.0, 10.0, 20.5, 100.0, 170.5, -0.5, -2.5, -7.25, 1e-8]:
        calls.append(Call("elementary", "gamma(%s)" % num(x), "gamma(%s)" % onum(x),
                          exact=(lambda x=x: [mp.mpc(mp.gamma(mp.mpf(x)))]),
                          tol=("rel", 64 * EPS * max(1.0, abs(x * float(mp.digamma(x)))))))
        if x > 0:
            calls.append(Call("elementary", "gammaln(%s)" % num(x), "gammaln(%s)" % onum(x),
                              exact=(lambda x=x: [mp.mpc(mp.loggamma(mp.mpf(x)))]),
                              tol=("rel", 64 * EPS * max(1.0, abs(x * float(mp.digamma(x)) /
                                                                  float(mp.loggamma(x) or 1))))))
    for _ in range(10):
        re_, im_ = rng.uniform(-5, 5), rng.uniform(-5, 5)
        calls.append(Call("elementary", "arg(%s)" % vcomplex(re_, im_), "arg(%s)" % ocomplex(re_, im_),
                          exact=(lambda z=(re_, im_): [mp.mpc(mp.arg(mp.mpc(*z)))]), tol=("rel", 4 * EPS)))
    powers = [(-1.0, 1e20), (-8.0, 1.0 / 3), (2.0, 0.5), (-2.0, 3.0), (0.5, -1074.0)]
    for _ in range(12):
        powers.append((rng.uniform(-10, 10), rng.uniform(-4, 4)))
    for b, e in powers:
        def ex(b=b, e=e):
            if float(e).is_integer():
                return [mp.mpc(mp.mpf(b) ** int(e))]
            return [mp.exp(mp.mpf(e) * mp.log(mp.mpc(b)))]
        calls.append(Call("power", "(%s)^%s" % (num(b), num(e)), "(%s)^%s" % (onum(b), onum(e)), exact=ex,
                          tol=("rel", 16 * EPS * max(1.0, abs(e * math.log(abs(b)))) + 16 * EPS)))
    # Two-argument functions.
    for _ in range(40):
        x = rng.uniform(-50, 50)
        y = rng.choice([rng.uniform(0.1, 7), -rng.uniform(0.1, 7)])
        for name in ("mod", "rem"):
            calls.append(Call("two-argument", "%s(%s, %s)" % (name, num(x), num(y)),
                              "%s(%s, %s)" % (name, onum(x), onum(y)),
                              exact=(lambda n=name, x=x, y=y: [mp.mpc(mod_rem(n, x, y))]),
                              tol=("abs", 0.0), conventions=("exact-mod",)))
    for x, y in ((0.3, 0.1), (1.0, 0.1), (5.0, 0.0), (-7.0, 3.0), (7.0, -3.0), (-0.3, 0.1)):
        for name in ("mod", "rem"):
            if name == "rem" and y == 0:
                continue
            calls.append(Call("two-argument", "%s(%s, %s)" % (name, num(x), num(y)),
                              "%s(%s, %s)" % (name, onum(x), onum(y)),
                              exact=(lambda n=name, x=x, y=y: [mp.mpc(mod_rem(n, x, y))]),
                              tol=("abs", 0.0), conventions=("exact-mod",)))
    for _ in range(20):
        y, x = rng.uniform(-5, 5), rng.uniform(-5, 5)
        calls.append(Call("two-argument", "angle(%s, %s)" % (num(x), num(y)), "atan2(%s, %s)" % (onum(y), onum(x)),
                          exact=(lambda x=x, y=y: [mp.mpc(mp.atan2(mp.mpf(y), mp.mpf(x)))]), tol=("rel", 4 * EPS)))
        r, t = rng.uniform(0, 5), rng.uniform(-4, 4)
        calls.append(Call("two-argument", "polar(%s, %s)" % (num(r), num(t)),
                          "%s * complex(cos(%s), sin(%s))" % (onum(r), onum(t), onum(t)),
                          exact=(lambda r=r, t=t: [mp.mpf(r) * mp.expj(mp.mpf(t))]), tol=("rel", 8 * EPS)))
        b, e = rng.uniform(0.1, 10), rng.uniform(-5, 5)
        calls.append(Call("two-argument", "rpow(%s, %s)" % (num(b), num(e)), "realpow(%s, %s)" % (onum(b), onum(e)),
                          exact=(lambda b=b, e=e: [mp.mpc(mp.power(mp.mpf(b), mp.mpf(e)))]),
                          tol=("rel", 4 * EPS * max(1, abs(e * math.log(b))))))
    # Matrix functions.
    def rand_matrix(n, lo=-1, hi=1):
        return [[rng.uniform(lo, hi) for _ in range(n)] for _ in range(n)]

    def spd(n):
        b = rand_matrix(n)
        return [[sum(b[i][k] * b[j][k] for k in range(n)) + (n if i == j else 0) for j in range(n)] for i in range(n)]

    mats = [rand_matrix(n) for n in (2, 3, 4, 5, 6) for _ in range(3)]
    mats += [[[1, 2], [3, 4]], [[4, 1, 0], [0, 4, 1], [0, 0, 4]], [[2, 0], [0, 3]]]
    for a in mats:
        n = len(a)
        b = [[rng.uniform(-1, 1)] for _ in range(n)]
        calls.append(matrix_call("inv(%s)", "inv(%s)", a, lambda m: m ** -1, "cond"))
        calls.append(matrix_call("det(%s)", "det(%s)", a, lambda m: mp.det(m), "cond-n"))
        calls.append(solve_call("solve", a, b))
        calls.append(solve_call("solvex", a, b))
        calls.append(matrix_call("expm(%s)", "expm(%s)", a, mp.expm, "norm"))
        calls.append(matrix_call("norm(%s, 1)", "norm(%s, 1)", a, norm1, "one"))
        calls.append(matrix_call("norm(%s, 2)", "norm(%s, 2)", a,
                                 lambda m: max(list(mp.svd_r(m, compute_uv=False))), "one"))
        calls.append(matrix_call("(%s)^2", "(%s)^2", a, lambda m: m * m, "cond"))
    for n in (2, 3, 4, 5):
        for _ in range(2):
            a = spd(n)
            calls.append(matrix_call("sqrtm(%s)", "sqrtm(%s)", a, mp.sqrtm, "cond", conventions=("schur",)))
            calls.append(matrix_call("logm(%s)", "logm(%s)", a, mp.logm, "cond", conventions=("schur",)))
            calls.append(matrix_call("(%s)^0.5", "(%s)^0.5", a, mp.sqrtm, "cond", conventions=("schur",)))
    for scale in (1e150, -1e150, 200.0, -1000.0, 1e-20):
        a = [[scale * 1, scale * 2], [scale * 3, scale * 4]]
        calls.append(matrix_call("expm(%s)", "expm(%s)", a, mp.expm, "norm"))
    singular = [[1, 2, 3], [4, 5, 6], [7, 8, 9]]
    for fn in ("solvex", ):
        c = solve_call(fn, singular, [[1], [1], [1]])
        c.conventions = ("singular-error",)
        c.expect_error = True
        calls.append(c)
    c = matrix_call("inv(%s)", "inv(%s)", [[1, 2], [2, 4]], lambda m: m ** -1, "cond")
    c.conventions = ("singular-error",)
    c.expect_error = True
    calls.append(c)
    # Polynomial roots, ascending in Veldra (the ascending convention is mapped).
    polys = [[2, -3, 1], [1, 0, 1], [-6, 11, -6, 1], [0, 0, 1, 1], [0, 2], [0, 0, 0, -8, 0, 2],
             [1, 1e10, 1], [1, -1e8, 1], [-1, 0, 1]]
    for _ in range(25):
        deg = rng.randint(2, 8)
        polys.append([round(rng.uniform(-5, 5), 3) for _ in range(deg)] + [rng.choice([1, 2, -3])])
    for p in polys:
        calls.append(poly_call(p))
    # Polynomial evaluation and products.
    for _ in range(10):
        p = [rng.randint(-9, 9) for _ in range(rng.randint(2, 6))]
        q = [rng.randint(-9, 9) for _ in range(rng.randint(2, 5))]
        x = rng.randint(-4, 4)
        calls.append(Call("polynomials", "conv(%s, %s)" % (vmat([p]), vmat([q])),
                          "fliplr(conv(fliplr(%s), fliplr(%s)))" % (omat([p]), omat([q])),
                          exact=(lambda p=p, q=q: [mp.mpc(sum(p[i] * q[k - i] for i in range(len(p))
                                                                if 0 <= k - i < len(q)))
                                                    for k in range(len(p) + len(q) - 1)]), tol=("abs", 0.0)))
        calls.append(Call("polynomials", "poly(%s, %s)" % (vmat([p]), num(x)),
                          "polyval(fliplr(%s), %s)" % (omat([p]), onum(x)),
                          exact=(lambda p=p, x=x: [mp.mpc(sum(c * x ** i for i, c in enumerate(p)))]),
                          tol=("abs", 0.0)))
    # log from 1e-300: the halving cannot reach the tolerance; reported as a failure.
    calls.append(Call("quadrature", "quad(@q_log, 1e-300, 1)", "quad(@(x) log(x), 1e-300, 1)",
                      exact=lambda: [mp.mpc(1e-300 * (1 - mp.log(mp.mpf(1e-300))) - 1)], tol=("quad", 1e-5),
                      conventions=("quad-tol",), expect_error=True))
    calls += range_calls()
    # Quadratures: the requested tolerance decides (quad-tol).
    for name, vbody, obody, lo, hi, ex in QUADS:
        for tol in (None, 1e-8):
            targs = "" if tol is None else ", %s" % num(tol)
            calls.append(Call("quadrature", "quad(@%s, %s, %s%s)" % (name, num(lo), num(hi), targs),
                              "quad(@(x) %s, %s, %s%s)" % (obody, onum(lo), onum(hi), targs),
                              exact=(lambda ex=ex: [mp.mpc(ex())]), tol=("quad", tol or 1e-5),
                              conventions=("quad-tol",)))
    calls += range_end_calls()
    return calls


# Matrices at the ends of the double range: the decompositions run on the
# matrix scaled by a power of two, whole powers keep their exponent apart.
RANGE_FUNCTIONS = [
    "function w = svd_old_w(x)\n  [U, W, V] = svd_old(x);\n  w = sorta(W);\nend",
    "function r = svd_old_res(x)\n  [U, W, V] = svd_old(x);\n  r = norm(U * diag(W) * V' - x, 1) / norm(x, 1);\nend",
    "function d = schur_diag(x)\n  [U, T] = schur(x);\n  s = size(x);\n  d = zeros(1, s[1, 1]);\n"
    "  for (i = 1:s[1, 1])\n    d[1, i] = T[i, i];\n  end\n  d = sorta(d);\nend",
    "function r = schur_res(x)\n  [U, T] = schur(x);\n  r = norm(U * T * U' - x, 1) / norm(x, 1);\nend",
    "function r = eign_res(x)\n  [V, D] = eign(x);\n"
    "  r = norm(x * V - V * diag(D), 1) / (norm(x, 1) * norm(V, 1));\nend",
]


def range_end_calls():
    calls = []

    def scaled(rows, f):
        return [[c * f for c in r] for r in rows]

    def sorted_cells(cells):
        return sorted((mp.mpc(c) for c in cells), key=lambda z: (z.real, z.imag))

    def eig_exact(rows):
        return lambda rows=rows: sorted_cells(mp.eig(mp.matrix([[mp.mpf(c) for c in r] for r in rows]))[0])

    def sv_exact(rows, n):
        def ex(rows=rows, n=n):
            a = mp.matrix([[mp.mpf(c) for c in r] for r in rows])
            s = list(mp.svd_r(a, compute_uv=False))
            return sorted_cells(s + [0] * (n - len(s)))
        return ex

    def residual(group, vfn, ofn, rows):
        return Call(group, "%s(%s)" % (vfn, vmat(rows)), ofn % omat(rows), exact=lambda: [mp.mpc(0)],
                    tol=("abs", 1e-13))

    a2 = [[1, 2], [3, 4]]
    a3 = [[4, 1, 2], [0.5, 3, 1], [1, 2, 5]]
    a4 = [[4, 1, 2, 0], [0.5, 3, 1, 1], [1, 2, 5, 0], [0, 1, 0, 2]]
    wide = [[1, 2, 3, 4, 5, 6], [2, 1, 0, 1, 2, 3], [5, 3, 1, 4, 1, 5]]
    # eign
    for rows in (scaled(a2, 1e-200), scaled(a2, 1e155), scaled(a4, 1e160), scaled(a3, 1e-250),
                 scaled(a3, 1e200), [[1e-310, 0], [0, 1e-310]], [[1.5e308, 1e308], [0, 1.7e308]]):
        calls.append(Call("range", "sorta(eign(%s))" % vmat(rows), "sort(eig(%s)).'" % omat(rows),
                          exact=eig_exact(rows), tol=("rel", 1e-13)))
    for rows in (scaled(a3, 1e200), scaled(a2, 1e-300), [[1e-310, 0], [0, 1e-310]]):
        calls.append(residual("range", "eign_res", "0 * norm(%s)", rows))
    # svd_old
    for rows in (scaled(a2, 1e160), scaled(a2, 1e-160), [[1e-310 if i == j else 0 for j in range(4)]
                                                          for i in range(4)], scaled(wide, 1e307)):
        n = len(rows[0])
        calls.append(Call("range", "svd_old_w(%s)" % vmat(rows),
                          "sort([svd(%s); zeros(%d, 1)]).'" % (omat(rows), n - min(n, len(rows))),
                          exact=sv_exact(rows, n), tol=("rel", 1e-13)))
        calls.append(residual("range", "svd_old_res", "0 * norm(%s)", rows))
    # schur (both forms), sqrtm and logm through it
    for f in (1e-300, 1e307):
        rows = scaled(a3, f)
        calls.append(Call("range", "schur_diag(%s)" % vmat(rows), "sort(diag(schur(%s))).'" % omat(rows),
                          exact=eig_exact(rows), tol=("rel", 1e-13)))
        calls.append(residual("range", "schur_res", "0 * norm(%s)", rows))
        # mpmath's own iterations stop on absolute sizes: the exact values of
        # the scaled matrix come from the unscaled one (the cells of a3 times
        # f are the rounded products, which the tolerance covers).
        c = matrix_call("sqrtm(%s)", "sqrtm(%s)", rows, None, "cond", conventions=("schur",))
        c.exact = lambda f=f: mat_cells(exact_matrix(mp.sqrtm, a3) * mp.sqrt(mp.mpf(f)))
        calls.append(c)
        c = matrix_call("logm(%s)", "logm(%s)", rows, None, "cond", conventions=("schur",))
        c.exact = lambda f=f: mat_cells(exact_matrix(mp.logm, a3) + mp.log(mp.mpf(f)) * mp.eye(3))
        calls.append(c)
    # powers
    big = [[1e308, 1e308], [1e308, 1e308]]
    calls.append(Call("range", "(%s)^0.5" % vmat(big), "(%s)^0.5" % omat(big),
                      exact=lambda: [mp.sqrt(mp.mpf(1e308) / 2)] * 4, tol=("rel", 1e-14)))
    calls.append(Call("range", "logm(%s)" % vmat([[1e308, 0], [0, 1e300]]),
                      "logm(%s)" % omat([[1e308, 0], [0, 1e300]]),
                      exact=lambda: [mp.log(mp.mpf(1e308)), 0, 0, mp.log(mp.mpf(1e300))], tol=("rel", 1e-15)))
    for rows, e in ((a2, 2147483648), (a2, 600), ([[-1, 2], [3, -4]], 601), ([[1, -2], [3, 4]], 700),
                    (a2, -600), (a2, -400), ([[1e-200, 0], [0, 1e-200]], -2), ([[2e307, 1e307], [1e307, 2e307]], 1.5),
                    ([[2e300, 1e300], [1e300, 2e300]], 0.25)):
        def ex(rows=rows, e=e):
            a = mp.matrix([[mp.mpf(c) for c in r] for r in rows])
            if float(e).is_integer():
                return mat_cells((a ** -1) ** int(-e) if e < 0 else a ** int(e))
            # symmetric: through the eigenvalues
            w, v = mp.eighe(a)
            return mat_cells(v * mp.diag([x ** mp.mpf(e) for x in w]) * v.T)
        calls.append(Call("range", "(%s)^%s" % (vmat(rows), num(e)), "(%s)^%s" % (omat(rows), onum(e)),
                          exact=ex, tol=("rel", 1e-12)))
    # expm of finite matrices whose 1-norm overflows
    nil = [[0, 0, 0], [1e308, 0, 0], [1e308, 0, 0]]
    for rows, cells in ((big, [mp.inf] * 4), ([[1e308, 0], [0, 1e308]], [mp.inf, 0, 0, mp.inf]),
                        (nil, [1, 0, 0, 1e308, 1, 0, 1e308, 0, 1])):
        calls.append(Call("range", "expm(%s)" % vmat(rows), "expm(%s)" % omat(rows),
                          exact=(lambda cells=cells: [mp.mpc(c) for c in cells]), tol=("rel", 1e-14)))
    return calls


def range_calls():
    """The ends of the double range, the order of NaN and the failures that
    were answered in silence: each case with a variant."""
    calls = []
    one = lambda v: (lambda: [mp.mpc(v)])
    nan = lambda: [mp.mpc(mp.nan, 0)]
    # max and min leave NaN cells out wherever they stand, in every form.
    for vexpr, value in (("min([1, NAN, 5])", 1), ("min([1, 5, NAN])", 1), ("min([NAN, 1, 5])", 1),
                         ("max([NAN, 1, 5])", 5), ("max([1, NAN, 5])", 5), ("max([1, 5, NAN])", 5),
                         ("max([NAN, 1; 3, NAN])", 3), ("min(NAN, 2, 1)", 1), ("max(2, NAN)", 2),
                         ("max(NAN, [1, NAN, 7])", 7)):
        oexpr = vexpr.replace("NAN", "NaN")
        if "," in vexpr.split("(", 1)[1] and not vexpr.startswith(("min([", "max([")):
            oexpr = "%s([%s])" % (oexpr[:3], oexpr[4:-1].replace("[", "").replace("]", ""))
        elif "[NAN, 1; 3, NAN]" in vexpr:
            oexpr = "max(max([NaN, 1; 3, NaN]))"
        calls.append(Call("nan-order", vexpr, oexpr, exact=one(value), tol=("abs", 0.0)))
    calls.append(Call("nan-order", "min([NAN, NAN])", "min([NaN, NaN])", exact=nan, tol=("abs", 0.0)))
    calls.append(Call("nan-order", "sign(NAN)", "sign(NaN)", exact=nan, tol=("abs", 0.0)))
    calls.append(Call("nan-order", "sign(NAN + 0i)", "sign(complex(NaN, 0))", exact=nan, tol=("abs", 0.0)))
    # solve of an exactly singular system fails as solvex and inv do.
    for a, b in (([[1, 2], [2, 4]], [[1], [2]]), ([[1] * 4] * 4, [[1]] * 4), ([[0] * 3] * 3, [[1], [2], [3]])):
        c = solve_call("solve", a, b)
        c.conventions = ("singular-error",)
        c.expect_error = True
        calls.append(c)
    # solvex on well-conditioned systems near the ends of the range.
    for scale in (1e155, 1e-200, 1e300, 1e-300):
        c = solve_call("solvex", [[scale, 2 * scale], [3 * scale, 4 * scale]], [[1], [1]])
        c.exact = (lambda s=scale: [mp.mpc(-1 / mp.mpf(s)), mp.mpc(1 / mp.mpf(s))])
        calls.append(c)
    # det with the exponent kept apart: in range exact to rounding, beyond it INF with its sign.
    # (scaled permutation matrices: the exact determinant is the signed product of the cells)
    for rows, sign in (([[1e300, 0, 0], [0, 1e300, 0], [0, 0, 1e-300]], 1),
                       ([[0, 1e200, 0], [1e200, 0, 0], [0, 0, 1e-300]], -1),
                       ([[1e200, 0, 0], [0, 1e200, 0], [0, 0, 1e200]], 1),
                       ([[-1e200, 0, 0], [0, 1e200, 0], [0, 0, 1e200]], 1)):
        calls.append(Call("range", "det(%s)" % vmat(rows), "det(%s)" % omat(rows),
                          exact=(lambda rows=rows, sign=sign: [mp.mpc(sign * mp.fprod(mp.mpf(c) for r in rows
                                                                                       for c in r if c))]),
                          tol=("rel", 3 * 64 * EPS)))
    # fzero: a real function from a real start gives a real zero (|f| within the tolerance 1e-8).
    calls.append(Call("solvers", "fzero(@q_cube, 0)", "fzero(@(x) (x - 1).^3, 0)", exact=one(1),
                      tol=("abs", 2.5e-3)))
    calls.append(Call("solvers", "fzero(@q_cubic, 2)", "fzero(@(x) x.^3 + x + 1, 2)",
                      exact=lambda: [mp.mpc(mp.findroot(lambda x: x ** 3 + x + 1, -0.68))], tol=("abs", 1e-8)))
    # nlsolve pivots; a Jacobian without an inverse is an error.
    calls.append(Call("solvers", "nlsolve([@q_p1, @q_p2], 1e-6, [0.5, 0.5])",
                      "fsolve(@(v) [v(2) - 1; v(1) - 2], [0.5; 0.5]).'",
                      exact=lambda: [mp.mpc(2), mp.mpc(1)], tol=("abs", 1e-6)))
    calls.append(Call("solvers", "nlsolve([@q_t1, @q_t2, @q_t3], 1e-8, [0.5, 0.5, 1])",
                      "fsolve(@(v) [v(2) + v(3) - 3; v(3)^2 - 4; v(1) - v(2)], [0.5; 0.5; 1]).'",
                      exact=lambda: [mp.mpc(1), mp.mpc(1), mp.mpc(2)], tol=("abs", 1e-6)))
    calls.append(Call("solvers", "nlsolve([@q_p1, @q_s2], 1e-6, [0.5, 0.5])",
                      "fsolve(@(v) [v(2) - 1; v(2)^2 - 1], [0.5; 0.5]).'", exact=None,
                      conventions=("singular-error",), expect_error=True))
    # Text beyond the range reads as the literal does.
    for text, value in (("1e400", mp.inf), ("-1e400", -mp.inf), ("1e-400", 0)):
        calls.append(Call("text", 'str2num("%s")' % text, 'str2double("%s")' % text, exact=one(value),
                          tol=("abs", 0.0)))
    return calls


def mod_rem(name, x, y):
    """mod and rem as the language defines them: the formula in doubles."""
    if name == "mod":
        return x if y == 0 else x - math.floor(x / y) * y
    q = x / y
    return x - (math.floor(q) if q >= 0 else math.ceil(q)) * y


QUADS = [
    ("q_sqrt", "y = sqrt(x);", "sqrt(x)", 0.0, 1.0, lambda: mp.mpf(2) / 3),
    ("q_root4", "y = x^0.25;", "x.^0.25", 0.0, 1.0, lambda: mp.mpf(4) / 5),
    ("q_xlogx", "y = 0;\n  if (x != 0)\n    y = x * log(x);\n  end", "x.*log(x+(x==0))", 0.0, 1.0, lambda: -mp.mpf(1) / 4),
    ("q_sin", "y = sin(x);", "sin(x)", 0.0, math.pi, lambda: 1 - mp.cos(mp.mpf(math.pi))),
    ("q_gauss", "y = exp(-x * x);", "exp(-x.*x)", -3.0, 3.0, lambda: mp.sqrt(mp.pi) * mp.erf(3)),
    ("q_poly", "y = 3 * x^2 - x + 1;", "3*x.^2 - x + 1", -1.0, 2.0, lambda: mp.mpf("10.5")),
    ("q_recip", "y = 1 / (1 + x * x);", "1./(1+x.*x)", 0.0, 10.0, lambda: mp.atan(10)),
    ("q_osc", "y = cos(20 * x);", "cos(20*x)", 0.0, 1.0, lambda: mp.sin(20) / 20),
    # Dyadic grids alias these onto slow functions at 2 to 32 panels.
    ("q_osc50", "y = cos(50 * x);", "cos(50*x)", 0.0, 1.0, lambda: mp.sin(50) / 50),
    ("q_osc1000", "y = cos(1000 * x);", "cos(1000*x)", 0.0, 1.0, lambda: mp.sin(1000) / 1000),
]
# Integrands defined in the programs but not in the table of QUADS' loop.
EXTRA_FUNCTIONS = ["function y = q_log(x)\n  y = log(x);\nend",
                   "function y = q_cube(x)\n  y = (x - 1)^3;\nend",
                   "function y = q_cubic(x)\n  y = x^3 + x + 1;\nend",
                   "function r = q_p1(x, y)\n  r = y - 1;\nend",
                   "function r = q_p2(x, y)\n  r = x - 2;\nend",
                   "function r = q_s2(x, y)\n  r = y * y - 1;\nend",
                   "function r = q_t1(x, y, z)\n  r = y + z - 3;\nend",
                   "function r = q_t2(x, y, z)\n  r = z * z - 4;\nend",
                   "function r = q_t3(x, y, z)\n  r = x - y;\nend"]
EXTRA_FUNCTIONS += RANGE_FUNCTIONS


def matrix_call(vfmt, ofmt, rows, fn, tolkind, conventions=()):
    return Call("matrix", vfmt % vmat(rows), ofmt % omat(rows),
                exact=(lambda rows=rows, fn=fn: mat_cells(exact_matrix(fn, rows))),
                tol=("matrix", tolkind, rows), conventions=conventions)


def solve_call(fn, a, b):
    def ex(a=a, b=b):
        m = mp.matrix([[mp.mpf(c) for c in r] for r in a])
        v = mp.matrix([[mp.mpf(c) for c in r] for r in b])
        if abs(mp.det(m)) < mp.mpf(10) ** -30:
            raise ZeroDivisionError("singular")
        return mat_cells(mp.lu_solve(m, v))
    return Call("matrix", "%s(%s, %s)" % (fn, vmat(a), vmat(b)), "%s \\ %s" % (omat(a), omat(b)),
                exact=ex, tol=("matrix", "cond", a))


def poly_call(p):
    def ex(p=p):
        q = list(p)
        while q and q[-1] == 0:
            q.pop()
        zeros = 0
        while zeros < len(q) - 1 and q[zeros] == 0:
            zeros += 1
        rest = q[zeros:]
        roots = []
        if len(rest) >= 2:
            roots = mp.polyroots([mp.mpf(c) for c in reversed(rest)], maxsteps=200, extraprec=200)
        return [mp.mpc(r) for r in roots] + [mp.mpc(0)] * zeros
    return Call("polynomials", "polyroots(%s)" % vmat([p]), "flipud(roots(fliplr(%s)))" % omat([p]),
                exact=ex, tol=("roots", p), conventions=("ascending",))


# ---- running ------------------------------------------------------------------

NUM_RE = re.compile(r"-?INF|NAN|-?NaN|-?Inf|-?[0-9.]+(?:e[-+]?[0-9]+)?")


def parse_real_list(text):
    vals = []
    for tok in NUM_RE.findall(text):
        t = tok.upper()
        if t in ("INF", "-INF"):
            vals.append(math.inf if t == "INF" else -math.inf)
        elif t.lstrip("-") == "NAN":
            vals.append(math.nan)
        else:
            vals.append(float(tok))
    return vals


def run_veldra(calls, exe):
    prelude = []
    for name, body, _, _, _, _ in QUADS:
        prelude.append("function y = %s(x)\n  %s\nend" % (name, body))
    prelude += EXTRA_FUNCTIONS
    pending = list(range(len(calls)))
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "calls.vdx")
        while pending:
            batch = pending[:150]
            lines = list(prelude)
            for k in batch:
                lines.append('print "@@%d";\nv = %s;\nprint "@@v";\nnum2str(real(v), 17);\nnum2str(imag(v), 17);'
                             % (k, calls[k].veldra))
            with open(path, "w") as f:
                f.write("\n".join(lines) + "\n")
            env = dict(os.environ, OPENBLAS_NUM_THREADS="1", VELDRA_HEADLESS="1")
            r = subprocess.run([exe, "--run", path], capture_output=True, text=True, env=env, timeout=600)
            out = r.stdout.splitlines()
            done = set()
            i = 0
            last = None
            while i < len(out):
                m = re.match(r"^@@(\d+)$", out[i])
                if m:
                    last = int(m.group(1))
                    msgs = []
                    i += 1
                    while i < len(out) and out[i] != "@@v" and not re.match(r"^@@\d+$", out[i]):
                        msgs.append(out[i])
                        i += 1
                    if i < len(out) and out[i] == "@@v" and i + 2 < len(out):
                        re_ = parse_real_list(out[i + 1])
                        im_ = parse_real_list(out[i + 2])
                        calls[last].v = [complex(a, b) for a, b in zip(re_, im_)]
                        calls[last].v_messages = msgs
                        done.add(last)
                        i += 3
                    else:
                        calls[last].v = ("error", " / ".join(msgs) or "no result")
                        done.add(last)
                else:
                    i += 1
            if not done:
                # The batch did not translate: each call of it on its own.
                for k in batch:
                    run_one(calls[k], exe, prelude, tmp)
                    done.add(k)
            pending = [k for k in pending if k not in done]


def run_one(call, exe, prelude, tmp):
    path = os.path.join(tmp, "one.vdx")
    with open(path, "w") as f:
        f.write("\n".join(prelude) + '\nv = %s;\nprint "@@v";\nnum2str(real(v), 17);\nnum2str(imag(v), 17);\n'
                % call.veldra)
    env = dict(os.environ, OPENBLAS_NUM_THREADS="1", VELDRA_HEADLESS="1")
    r = subprocess.run([exe, "--run", path], capture_output=True, text=True, env=env, timeout=600)
    out = r.stdout.splitlines()
    if "@@v" in out:
        i = out.index("@@v")
        call.v = [complex(a, b) for a, b in zip(parse_real_list(out[i + 1]), parse_real_list(out[i + 2]))]
    else:
        call.v = ("error", " / ".join(out)[:200] or r.stderr.strip()[:200])


def run_octave(calls, exe):
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "calls.m")
        lines = ["warning('off', 'all');"]
        for k, c in enumerate(calls):
            lines.append("try\n v = %s;\n w = v.'; w = w(:).';\n printf('@@%d\\n');\n"
                         " printf('%%.17g ', real(w)); printf('\\n'); printf('%%.17g ', imag(w)); printf('\\n');\n"
                         "catch err\n printf('@@%d\\nERR %%s\\n', err.message);\nend" % (c.octave, k, k))
        with open(path, "w") as f:
            f.write("\n".join(lines) + "\n")
        r = subprocess.run([exe, "--no-gui", "-q", "--no-window-system", path], capture_output=True, text=True,
                           timeout=1200)
        out = r.stdout.splitlines()
        i = 0
        while i < len(out):
            m = re.match(r"^@@(\d+)$", out[i])
            if m:
                k = int(m.group(1))
                if i + 1 < len(out) and out[i + 1].startswith("ERR "):
                    calls[k].o = ("error", out[i + 1][4:])
                    i += 2
                    continue
                if i + 2 < len(out):
                    calls[k].o = [complex(a, b) for a, b in zip(parse_real_list(out[i + 1]),
                                                                  parse_real_list(out[i + 2]))]
                i += 3
            else:
                i += 1


# ---- judging ------------------------------------------------------------------

def to_c(z):
    return complex(float(z.real), float(z.imag))


def same_special(a, b):
    """Both NaN somewhere, or infinities of one sign in each part."""
    for u, v in ((a.real, b.real), (a.imag, b.imag)):
        if math.isnan(u) != math.isnan(v):
            return False
        if math.isinf(u) or math.isinf(v):
            if u != v:
                return False
    return True


def tolerance(c, exact):
    kind = c.tol[0]
    if kind == "unary":
        _, name, z, real_arg = c.tol
        fz = exact[0]
        cond = unary_cond(name, z, fz) if mp.isfinite(fz) else 1.0
        return 16 * max(1.0, cond) * EPS * float(abs(fz))
    if kind == "rel":
        return c.tol[1] * float(max(abs(e) for e in exact))
    if kind == "abs-rel":
        return c.tol[1]
    if kind == "abs":
        return c.tol[1]
    if kind == "quad":
        return c.tol[1] + 64 * EPS * float(max(abs(e) for e in exact))
    if kind == "matrix":
        _, how, rows = c.tol
        n = len(rows)
        a = mp.matrix([[mp.mpf(x) for x in r] for r in rows])
        big = float(max(abs(e) for e in exact)) if exact else 0.0
        if how == "norm":
            k = max(1.0, float(norm1(a)))
        elif how == "one":
            k = 1.0
        else:
            k = cond1(a)
            if how == "cond-n":
                k *= n
        return 64 * n * k * EPS * max(big, 1e-300)
    if kind == "roots":
        return None  # per root, in judge_roots
    return 0.0


def judge_roots(c, v, exact):
    """Match each exact root to the nearest computed one; tolerance from the
    root's condition number sum |c_k| |r|^k / (|r| |p'(r)|)."""
    p = [mp.mpf(x) for x in c.tol[1]]
    while p and p[-1] == 0:
        p.pop()
    left = list(v)
    worst = 0.0
    for r in exact:
        if not left:
            return math.inf
        j = min(range(len(left)), key=lambda i: abs(left[i] - to_c(r)))
        got = left.pop(j)
        if r == 0:
            err = abs(got)
            tol = 0.0 if err == 0 else 1e-300
        else:
            dp = sum(k * p[k] * r ** (k - 1) for k in range(1, len(p)))
            num_ = sum(abs(p[k]) * abs(r) ** k for k in range(len(p)))
            cond = float(num_ / (abs(r) * abs(dp))) if dp != 0 else math.inf
            tol = len(p) * cond * (64 * EPS + POLYROOTS_TOL) * float(abs(r))
            err = abs(got - to_c(r))
        if err > tol:
            worst = max(worst, err / tol if tol > 0 else math.inf)
    return worst if not left else math.inf


def judge(calls):
    faults, conventions, peer = [], {}, []
    for c in calls:
        if c.exact is not None and mp is not None:
            try:
                c.x = c.exact()
            except (ZeroDivisionError, ValueError, mp.libmp.NoConvergence) as e:
                c.x = ("error", str(e) or "singular")
        v, o, x = c.v, c.o, c.x
        v_err = isinstance(v, tuple)
        x_err = isinstance(x, tuple)
        verdict = None
        if v is None:
            verdict = "no result from Veldra"
        elif c.expect_error or x_err:
            if not v_err:
                verdict = "a value where the call should fail: %s" % v
            elif c.conventions:
                peer_says = "" if o is None else "; Octave %s" % (o[1] if isinstance(o, tuple) else fmt(o))
                conventions.setdefault(c.conventions[0], []).append((c, "%s%s" % (v[1], peer_says)))
        elif v_err:
            verdict = "error: %s" % v[1]
        elif x is not None:
            xs = [to_c(e) for e in x]
            if len(xs) != len(v):
                verdict = "%d cells, exact %d" % (len(v), len(xs))
            elif c.tol[0] == "roots":
                w = judge_roots(c, v, x)
                if w > 0:
                    verdict = "roots off by %.3g tolerances: %s vs %s" % (w, v, xs)
            elif any(not (math.isfinite(e.real) and math.isfinite(e.imag)) for e in xs) or \
                    any(not (math.isfinite(e.real) and math.isfinite(e.imag)) for e in v):
                if not all(same_special(a, b) for a, b in zip(v, xs)):
                    verdict = "%s, exact %s" % (v, xs)
            else:
                tol = tolerance(c, x)
                err = math.hypot(*[abs(a - b) for a, b in zip(v, xs)])
                if err > tol:
                    verdict = "error %.3g > tolerance %.3g: %s, exact %s" % (err, tol, v, xs)
        elif o is not None and not isinstance(o, tuple):
            if "complex-zero" in c.conventions:
                if not all(close_enough(a, b) for a, b in zip(v, o)):
                    conventions.setdefault("complex-zero", []).append((c, "Veldra %s, Octave %s" % (fmt(v), fmt(o))))
            elif len(o) != len(v) or not all(same_special(a, b) and (not math.isfinite(abs(b)) or
                                                                      abs(a - b) <= 1e-12 * max(1, abs(b)))
                                              for a, b in zip(v, o)):
                verdict = "%s, Octave %s" % (v, o)
        if verdict:
            faults.append((c, verdict))
            continue
        # Agreement with the exact value; note where Octave answers otherwise.
        if o is not None and x is not None and not x_err and not v_err:
            if isinstance(o, tuple):
                peer.append((c, "Octave: error %s" % o[1]))
            elif c.tol[0] == "roots":
                if len(o) != len(v) or not roots_close(v, o):
                    conventions.setdefault("polyroots-tol", []).append(
                        (c, "Veldra %s, Octave %s" % (fmt(v), fmt(o))))
            elif len(o) != len(v) or not all(close_enough(a, b) for a, b in zip(v, o)):
                tag = classify_peer(c)
                conventions.setdefault(tag, []).append((c, "Veldra %s, Octave %s" % (fmt(v), fmt(o))))
    return faults, conventions, peer


def close_enough(a, b):
    if not same_special(a, b):
        return False
    if not (math.isfinite(abs(a)) and math.isfinite(abs(b))):
        return True
    return abs(a - b) <= 1e-9 * max(abs(a), abs(b), 1e-300)


def roots_close(v, o):
    left = list(o)
    for r in v:
        j = min(range(len(left)), key=lambda i: abs(left[i] - r))
        if not close_enough(r, left.pop(j)):
            return False
    return True


def classify_peer(c):
    """Why Octave answers otherwise where Veldra has the exact value."""
    for conv in c.conventions:
        return conv
    if c.group == "pairs":
        return "branch-real"
    if c.meta:
        name, z = c.meta
        if z == 0:
            return "signed-zero"
        dom = REAL_DOMAIN.get(name)
        if z.imag == 0 and dom is not None and not dom(z.real):
            return "branch-real"
        if z.real == 0 and name in ("asinh", "atan"):
            return "branch-real"
    return "peer off (Veldra exact)"


def fmt(cells):
    return "[" + ", ".join("%.17g%+.17gi" % (z.real, z.imag) if z.imag else "%.17g" % z.real for z in cells) + "]"


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--seed", type=int, default=69)
    ap.add_argument("--veldra", default=os.path.join(ROOT, "build", "out", "veldra"))
    ap.add_argument("--octave", default=shutil.which("octave-cli") or shutil.which("octave"))
    ap.add_argument("--no-octave", action="store_true")
    ap.add_argument("--all", action="store_true", help="list every convention case, not three of each")
    ap.add_argument("--out", help="write the report here as well")
    args = ap.parse_args()
    if mp is None:
        print("mpmath is needed (apt-get install python3-mpmath)", file=sys.stderr)
        return 2
    if not os.access(args.veldra, os.X_OK):
        print("no Veldra program at %s (scripts/build release)" % args.veldra, file=sys.stderr)
        return 2
    mp.mp.dps = 40
    rng = random.Random(args.seed)
    calls = build_calls(rng)
    run_veldra(calls, args.veldra)
    octave = None if args.no_octave else args.octave
    if octave:
        run_octave(calls, octave)
    faults, conventions, peer = judge(calls)

    lines = []
    lines.append("%d calls, seed %d; exact values: %d; Octave: %s"
                 % (len(calls), args.seed, sum(1 for c in calls if c.x is not None),
                    octave or "not used"))
    lines.append("")
    lines.append("Faults (disagreements beyond the tolerance, no documented convention): %d" % len(faults))
    for c, why in faults:
        lines.append("  [%s] %s: %s" % (c.group, c.veldra, why))
    lines.append("")
    lines.append("Documented conventions (Veldra follows the language; the peer answers otherwise):")
    for tag in sorted(conventions):
        cases = conventions[tag]
        lines.append("  %s: %d calls" % (tag, len(cases)))
        for c, what in (cases if args.all else cases[:3]):
            lines.append("    %s: %s" % (c.veldra, what))
    if peer:
        lines.append("")
        lines.append("Octave errors where Veldra agrees with the exact value: %d" % len(peer))
        for c, what in (peer if args.all else peer[:5]):
            lines.append("  %s: %s" % (c.veldra, what))
    report = "\n".join(lines)
    print(report)
    if args.out:
        with open(args.out, "w") as f:
            f.write(report + "\n")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
