// The "Basic" library: its table of 111 rows in their fixed order, its seven
// constants and the default values of its rows.
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "builtins/basic_functions.h"
#include "builtins/libraries.h"
#include "builtins/math_functions.h"
#include "builtins/string_functions.h"

namespace {

// EXP is one unit in the last place above the nearest double to e.
double ExpConstant()
{
    const uint64_t bits = 0x4005BF0A8B14576AULL;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

FuncConstant g_constants[] = {
    {"INF", "Infinity", CValue(std::numeric_limits<double>::infinity())},
    {"NAN", "Not-a-Number", CValue(std::numeric_limits<double>::quiet_NaN())},
    {"EPS", "Floating-point relative accuracy", CValue(std::ldexp(1.0, -52))},
    {"PI", "Ratio of a circle's circumference to its diameter", CValue(3.141592653589793)},
    {"EXP", "", CValue(ExpConstant())},
    {"DEG", "", CValue(0.017453292519943295)},
    {"ENDL", "Newline character", CValue('\n')},
};

// Defaults fill the last inputs when a call omits them.
CValue g_precisionDefault[] = {CValue(6.0)};
CValue g_pairsDefault[] = {CValue(std::string("\"\"[](){}"))};
CValue g_widthDefault[] = {CValue(8.0)};
CValue g_floatModeDefault[] = {CValue(2.0)};

#define H(syntax, text) syntax ";\r\n" text

template <class F>
FuncEntry Row(const char* name, int32_t inputs, int32_t outputs, F handler, int32_t form,
                        const char* help, const char* prototype, int32_t defaults = 0, CValue* values = nullptr)
{
    return FuncEntry{name, inputs, outputs, AsFuncHandler(handler), form, help, prototype, defaults, values};
}

FuncEntry g_rows[] = {
    // operators as functions
    Row("op_uplus", 1, 1, BuiltinOpUplus, CALL_A1, H("op_uplus(X)", "Applies the unary plus operation as function"), "op_uplus(X)"),
    Row("op_uminus", 1, 1, BuiltinOpUminus, CALL_A1, H("op_uminus(X)", "Applies the unary minus operation as function"), "op_uminus(X)"),
    Row("op_plus", -1, 1, BuiltinOpPlus, CALL_VECTOR, H("op_plus(X1,...)", "Returns the sum of the arguments"), "op_plus(X,Y)"),
    Row("op_minus", -1, 1, BuiltinOpMinus, CALL_VECTOR, H("op_minus(X1,...)", "Returns the subtraction of the arguments"), "op_minus(X,Y)"),
    Row("op_multi", -1, 1, BuiltinOpMulti, CALL_VECTOR, H("op_multi(X1,...)", "Returns the product of the arguments"), "op_multi(X,Y)"),
    Row("op_divide", -1, 1, BuiltinOpDivide, CALL_VECTOR, H("op_divide(X1,...)", "Returns the quotient of the arguments"), "op_divide(X,Y)"),
    Row("op_power", 2, 1, BuiltinOpPower, CALL_A2, H("op_power(X,Y)", "Returns X raised to the power Y"), "op_power(X,Y)"),
    Row("op_cmple", 2, 1, BuiltinOpCmpLE, CALL_A2, H("op_cmple(X,Y)", "Compares X<=Y"), "op_cmple(X,Y)"),
    Row("op_cmphe", 2, 1, BuiltinOpCmpGE, CALL_A2, H("op_cmphe(X,Y)", "Compares X>=Y"), "op_cmphe(X,Y)"),
    Row("op_cmpl", 2, 1, BuiltinOpCmpLT, CALL_A2, H("op_cmpl(X,Y)", "Compares X<Y"), "op_cmpl(X,Y)"),
    Row("op_cmph", 2, 1, BuiltinOpCmpGT, CALL_A2, H("op_cmph(X,Y)", "Compares X>Y"), "op_cmph(X,Y)"),
    Row("op_cmpneq", 2, 1, BuiltinOpCmpNE, CALL_A2, H("op_cmpneq(X,Y)", "Compares X!=Y"), "op_cmpneq(X,Y)"),
    Row("op_cmpeq", 2, 1, BuiltinOpCmpEQ, CALL_A2, H("op_cmpeq(X,Y)", "Compares X==Y"), "op_cmpeq(X,Y)"),
    Row("op_logand", 2, 1, BuiltinOpLogAnd, CALL_A2, H("op_logand(X,Y)", "Returns the logical AND of X and Y"), "op_logand(X,Y)"),
    Row("op_logor", 2, 1, BuiltinOpLogOr, CALL_A2, H("op_logor(X,Y)", "Returns the logical OR of X and Y"), "op_logor(X,Y)"),
    Row("op_logxor", 2, 1, BuiltinOpLogXor, CALL_A2, H("op_logxor(X,Y)", "Returns the logical exclusive OR of X and Y"), "op_logxor(X,Y)"),

    // elementary functions
    Row("sin", 1, 1, MathSin, CALL_A1, H("sin(X)", "Returns the sine of X (X must be in radians)"), "sin(X)"),
    Row("sinh", 1, 1, MathSinh, CALL_A1, H("sinh(X)", "Returns the hyperbolic sine of X"), "sinh(X)"),
    Row("asin", 1, 1, MathAsin, CALL_A1, H("asin(X)", "Returns the angle (in radians) whose sine is X"), "asin(X)"),
    Row("asinh", 1, 1, MathAsinh, CALL_A1, H("asinh(X)", "Returns the inverse hyperbolic sine"), "asinh(X)"),
    Row("cos", 1, 1, MathCos, CALL_A1, H("cos(X)", "Returns the cosine of X. X must be in radians"), "cos(X)"),
    Row("cosh", 1, 1, MathCosh, CALL_A1, H("cosh(X)", "Returns the hyperbolic cosine of X"), "cosh(X)"),
    Row("acos", 1, 1, MathAcos, CALL_A1, H("acos(X)", "Returns the angle (in radians) whose cosine is X"), "acos(X)"),
    Row("acosh", 1, 1, MathAcosh, CALL_A1, H("acosh(X)", "Returns the inverse hyperbolic cosine"), "acosh(X)"),
    Row("tan", 1, 1, MathTan, CALL_A1, H("tan(X)", "Returns the tangent of X. X must be in radians"), "tan(X)"),
    Row("tanh", 1, 1, MathTanh, CALL_A1, H("tanh(X)", "Returns the hyperbolic tangent of X"), "tanh(X)"),
    Row("atan", 1, 1, MathAtan, CALL_A1, H("atan(X)", "Returns the angle (in radians) whose tangent is X."), "atan(X)"),
    Row("atanh", 1, 1, MathAtanh, CALL_A1, H("atanh(X)", "Returns the inverse hyperbolic tangent"), "atanh(X)"),
    Row("cot", 1, 1, MathCot, CALL_A1, H("cot(X)", "Returns the cotangent of X. X must be in radians"), "cot(X)"),
    Row("coth", 1, 1, MathCoth, CALL_A1, H("coth(X)", "Returns the hyperbolic cotangent of X"), "coth(X)"),
    Row("acot", 1, 1, MathAcot, CALL_A1, H("acot(X)", "Returns the inverse cotangent of X (in radians)"), "acot(X)"),
    Row("acoth", 1, 1, MathAcoth, CALL_A1, H("acoth(X)", "Returns the inverse hyperbolic cotangent of X"), "acoth(X)"),
    Row("csc", 1, 1, MathCsc, CALL_A1, H("csc(X)", "Returns the cosecant of X. X must be in radians"), "csc(X)"),
    Row("csch", 1, 1, MathCsch, CALL_A1, H("csch(X)", "Returns the hyperbolic cosecant of X"), "csch(X)"),
    Row("acsc", 1, 1, MathAcsc, CALL_A1, H("acsc(X)", "Returns the inverse cosecant of X (in radians)"), "acsc(X)"),
    Row("acsch", 1, 1, MathAcsch, CALL_A1, H("acsch(X)", "Returns the inverse hyperbolic cosecant"), "acsch(X)"),
    Row("sec", 1, 1, MathSec, CALL_A1, H("sec(X)", "Returns the secant of X. X must be in radians."), "sec(X)"),
    Row("sech", 1, 1, MathSech, CALL_A1, H("sech(X)", "Returns the hyperbolic secant of X"), "sech(X)"),
    Row("asec", 1, 1, MathAsec, CALL_A1, H("asec(X)", "Returns the inverse secant of X (in radians)"), "asec(X)"),
    Row("asech", 1, 1, MathAsech, CALL_A1, H("asech(X)", "Returns the inverse hyperbolic secant of X"), "asech(X)"),
    Row("abs", 1, 1, MathAbs, CALL_A1, H("abs(X)", "Returns the absolute value of X"), "abs(X)"),
    Row("exp", 1, 1, MathExp, CALL_A1, H("exp(X)", "Returns the exponential function, e raised to the power X"), "exp(X)"),
    Row("log10", 1, 1, MathLog10, CALL_A1, H("log10(X)", "Returns the base 10 logarithm of X"), "log10(X)"),
    Row("log", 1, 1, MathLog, CALL_A1, H("log(X)", "Returns the natural logarithm (base e) of X"), "log(X)"),
    Row("rnd", 1, 1, BuiltinRnd, CALL_A1, H("rnd(X)", "Returns a random number between 0 and X"), "rnd(X)"),
    Row("round", 1, 1, MathRound, CALL_A1, H("round(X)", "Rounds the number X to the nearest integer"), "round(X)"),
    Row("ceil", 1, 1, MathCeil, CALL_A1, H("ceil(X)", "Returns the nearest integer greater than or equal to X"), "ceil(X)"),
    Row("floor", 1, 1, MathFloor, CALL_A1, H("floor(X)", "Returns the nearest integer less than or equal to X"), "floor(X)"),
    Row("mod", 2, 1, MathMod, CALL_A2, H("mod(X,Y)", "Returns a modulus after division X/Y"), "mod(X,Y)"),
    Row("rem", 2, 1, MathRem, CALL_A2, H("rem(X,Y)", "Returns a remainder after division X/Y"), "rem(X,Y)"),
    Row("fix", 1, 1, MathFix, CALL_A1, H("fix(X)", "Rounds the number X toward zero"), "fix(X)"),
    Row("sign", 1, 1, MathSign, CALL_A1, H("sign(X)", "Returns the sign of number X"), "sign(X)"),
    Row("sqrt", 1, 1, MathSqrt, CALL_A1, H("sqrt(X)", "Returns the square root of X"), "sqrt(X)"),
    Row("angle", 2, 1, MathAngle, CALL_A2,
        H("angle(X,Y)", "Returns the angle (in radians) between the x-axis and the line containing two points, origin (0,0) and the point (X,Y)"),
        "angle(X,Y)"),
    Row("arg", 1, 1, MathArg, CALL_A1,
        H("arg(X)", "Returns the angle (in radians) between the x-axis and the line containing two points, origin (0,0) and the point (real(X),imag(X))"),
        "arg(X)"),
    Row("polar", 2, 1, MathPolar, CALL_A2,
        H("polar(X,A)", "Returns the complex value whose magnitude is X and whose phase angle is A"), "polar(X,A)"),
    Row("qif", 3, 1, BuiltinQif, CALL_A3,
        H("qif(cond,xif,xelse)", "Returns xif when the condition is true, else xelse"), "qif(cond,xif,xelse)"),
    Row("rlog", 1, 1, MathRlog, CALL_A1,
        H("rlog(X)", "Returns the natural logarithm of the real X. An error is produced if X is not positive"), "rlog(X)"),
    Row("rsqrt", 1, 1, MathRsqrt, CALL_A1,
        H("rsqrt(X)", "Returns the square root of the real X. An error is produced if X is not positive"), "rsqrt(X)"),
    Row("rpow", 2, 1, MathRpow, CALL_A2,
        H("rpow(X,Y)", "Returns a powers of the reals X and Y. X and Y must have the same dimensions or at least one argument is a scalar. An error is produced if the result is complex"),
        "rpow(X,Y)"),
    Row("real", 1, 1, MathReal, CALL_A1, H("real(X)", "Returns the real part of a complex number X"), "real(X)"),
    Row("imag", 1, 1, MathImag, CALL_A1, H("imag(X)", "Returns the imaginary part of a complex number X"), "imag(X)"),
    Row("conj", 1, 1, MathConj, CALL_A1, H("conj(X)", "Returns the complex conjugate of the elements of X"), "conj(X)"),
    Row("gamma", 1, 1, MathGamma, CALL_A1,
        H("gamma(X)", "Returns the gamma function at the X. X must be real or matrix of real"), "gamma(X)"),
    Row("gammaln", 1, 1, MathGammaln, CALL_A1,
        H("gammaln(X)", "Returns the logarithm of the gamma function, gammaln(X)=log(gamma(X))"), "gammaln(X)"),

    // type predicates
    Row("isreal", 1, 1, BuiltinIsReal, CALL_A1, H("isreal(X)", "Returns 1 when X is a real number"), "isreal(X)"),
    Row("iscplx", 1, 1, BuiltinIsCplx, CALL_A1, H("iscplx(X)", "Returns 1 when X is a complex number"), "iscplx(X)"),
    Row("ismatrx", 1, 1, BuiltinIsMatrx, CALL_A1, H("ismatrx(X)", "Returns 1 when X is a matrix"), "ismatrx(X)"),
    Row("isvec", 1, 1, BuiltinIsVec, CALL_A1, H("isvec(X)", "Returns 1 when X is a row or column vector"), "isvec(X)"),
    Row("isstr", 1, 1, BuiltinIsStr, CALL_A1, H("isstr(X)", "Returns 1 when X is a string or character"), "isstr(X)"),
    Row("isnumeric", 1, 1, BuiltinIsNumeric, CALL_A1,
        H("isnumeric(X)", "Returns 1 when X is a number or a matrix of numbers"), "isnumeric(X)"),
    Row("isempty", 1, 1, BuiltinIsEmpty, CALL_A1, H("isempty(X)", "Returns 1 when X is an empty matrix"), "isempty(X)"),
    Row("isstruct", 1, 1, BuiltinIsStruct, CALL_A1, H("isstruct(X)", "Returns 1 when X is a structure"), "isstruct(X)"),
    Row("isrecord", 2, 1, BuiltinIsRecord, CALL_A2,
        H("isrecord(X,\"record\")", "Returns 1 when the structure X has the named field"), "isrecord(X,\"record\")"),
    Row("isnan", 1, 1, BuiltinIsNaN, CALL_A1, H("isnan(X)", "Returns 1 when X is Not-a-Number"), "isnan(X)"),
    Row("isfinite", 1, 1, BuiltinIsFinite, CALL_A1, H("isfinite(X)", "Returns 1 when X is finite"), "isfinite(X)"),
    Row("isinf", 1, 1, BuiltinIsInf, CALL_A1, H("isinf(X)", "Returns 1 when X is infinite"), "isinf(X)"),

    // variable predicates
    Row("isninit", 1, 1, BuiltinIsNinit, CALL_A1_CTX,
        H("isninit(\"VAR\")", "Returns 1 when the variable VAR is not defined or holds no value"), "isninit(\"VAR\")"),
    Row("isvarname", 1, 1, BuiltinIsVarName, CALL_A1_CTX,
        H("isvarname(\"VAR\")", "Returns 1 when a variable named VAR exists"), "isvarname(\"VAR\")"),
    Row("isglobal", 1, 1, BuiltinIsGlobal, CALL_A1,
        H("isglobal(\"VAR\")", "Returns 1 when a global variable named VAR exists"), "isglobal(\"VAR\")"),

    // handles, function pointers, strings and conversions
    Row("ishandle", 1, 1, BuiltinIsHandle, CALL_A1, H("ishandle(X)", "Returns 1 when X is a handle"), "ishandle(X)"),
    Row("isptr", 1, 1, BuiltinIsPtr, CALL_A1, H("isptr(X)", "Returns the kind of the pointer X, 0 when X is no pointer"), "isptr(X)"),
    Row("str2func", 1, 1, BuiltinStr2Func, CALL_A1_CTX,
        H("str2func(\"FUNC\")", "Returns a pointer to the function named FUNC"), "str2func(\"FUNC\")"),
    Row("func2str", 1, 1, BuiltinFunc2Str, CALL_A1_CTX,
        H("func2str(fhandl)", "Returns the name of the function the pointer refers to"), "func2str(fhandl)"),
    Row("num2str", 2, 1, BuiltinNum2Str, CALL_A2,
        H("num2str(X[,prec=6])", "Converts the value X to its text with the precision prec"), "num2str(X)", 1, g_precisionDefault),
    Row("str2num", 1, 1, BuiltinStr2Num, CALL_A1, H("str2num(X)", "Converts the text X to a value"), "str2num(X)"),
    Row("smid", 3, 1, BuiltinSmid, CALL_A3,
        H("smid(X,first,cnt)", "Returns cnt characters of the string X from the position first"), "smid(X,first,cnt)"),
    Row("sleft", 2, 1, BuiltinSleft, CALL_A2, H("sleft(X,cnt)", "Returns the first cnt characters of the string X"), "sleft(X,cnt)"),
    Row("sright", 2, 1, BuiltinSright, CALL_A2, H("sright(X,cnt)", "Returns the last cnt characters of the string X"), "sright(X,cnt)"),
    Row("str2upper", 1, 1, BuiltinStr2Upper, CALL_A1, H("str2upper(X)", "Converts the string X to upper case"), "str2upper(X)"),
    Row("str2lower", 1, 1, BuiltinStr2Lower, CALL_A1, H("str2lower(X)", "Converts the string X to lower case"), "str2lower(X)"),
    Row("sdelim", 3, 1, BuiltinSdelim, CALL_A3,
        H("sdelim(X,delims[,pairs])", "Splits the string X at the delimiters, except inside the bracket pairs"),
        "sdelim(X,\",\")", 1, g_pairsDefault),
    Row("str2bin", 1, 1, BuiltinStr2Bin, CALL_A1, H("str2bin(X)", "Converts the string X to a binary string"), "str2bin(X)"),
    Row("bin2str", 1, 1, BuiltinBin2Str, CALL_A1, H("bin2str(X)", "Converts the binary string X to a string"), "bin2str(X)"),
    Row("view2bin", 1, 1, BuiltinView2Bin, CALL_A1, H("view2bin(X)", "Converts the view text X to a binary string"), "view2bin(X)"),
    Row("bin2view", 1, 1, BuiltinBin2View, CALL_A1, H("bin2view(X)", "Converts the binary string X to its view text"), "bin2view(X)"),
    Row("bin2int", 2, 1, BuiltinBin2Int, CALL_A2,
        H("bin2int(X[,bits=8])", "Unpacks the binary string X into integers of the bit width bits"), "bin2int(X)", 1, g_widthDefault),
    Row("int2bin", 2, 1, BuiltinInt2Bin, CALL_A2,
        H("int2bin(X[,bits=8])", "Packs the integers X into a binary string with the bit width bits"), "int2bin(X)", 1, g_widthDefault),
    Row("bin2float", 2, 1, BuiltinBin2Float, CALL_A2,
        H("bin2float(X[,mode=2])", "Reads the binary string X as single (mode 1) or double precision reals"), "bin2float(X)", 1,
        g_floatModeDefault),
    Row("float2bin", 2, 1, BuiltinFloat2Bin, CALL_A2,
        H("float2bin(X[,mode=2])", "Writes the reals X as single (mode 1) or double precision binary string"), "float2bin(X)", 1,
        g_floatModeDefault),

    // sizes
    Row("size", 1, 2, BuiltinSize, CALL_A1, H("[rows,cols]=size(X)", "Returns the size of X"), "size(X)"),
    Row("row", 1, 1, BuiltinRow, CALL_A1, H("row(X)", "Returns the number of rows of X"), "row(X)"),
    Row("col", 1, 1, BuiltinCol, CALL_A1, H("col(X)", "Returns the number of columns of X"), "col(X)"),
    Row("feval", -1, 1, BuiltinFeval, CALL_VECTOR_CTX,
        H("feval(FUN,par1,...)", "Calls the function FUN with the arguments par1, ..."), "feval(FUN,par1,...)"),

    // clocks and messages
    Row("tick", 0, 1, BuiltinTick, CALL_OUT, H("tick()", "Returns the time in seconds since the system started"), "tick()"),
    Row("clock", 0, 1, BuiltinClock, CALL_OUT, H("clock()", "Returns the current time in seconds since 1970-01-01 00:00 UTC"), "clock()"),
    Row("clock", 0, 6, BuiltinClock6, CALL_OUT,
        H("[year,month,day,hour,minute,seconds]=clock()", "Returns the current local date and time"),
        "[year,month,day,hour,minute,seconds]=clock()"),
    Row("trace", 2, 0, BuiltinTrace, CALL_A2,
        H("trace(\"kind\",\"description\")", "Writes the description to the output as a message of the kind: error, warn, info or any other label"),
        "trace(\"error\",\"error description\")"),
    Row("error", 1, 0, BuiltinError, CALL_A1,
        H("error(\"error description\")", "Writes the error description and stops the program"), "error(\"error description\")"),
    Row("warning", 1, 0, BuiltinWarning, CALL_A1,
        H("warning(\"warning description\")", "Writes the warning description"), "warning(\"warning description\")"),
    Row("RGB", 3, 1, BuiltinRGB, CALL_A3,
        H("RGB(red,green,blue)", "Returns the colour value of the red, green and blue components (0..255)"), "RGB(128,64,0)"),
};

#undef H

static_assert(sizeof(g_rows) / sizeof(g_rows[0]) == 111, "the Basic table holds 111 rows");

}  // namespace

FuncLibrary BasicLibrary = {
    "Basic", g_rows, (int32_t)(sizeof(g_rows) / sizeof(g_rows[0])), g_constants,
    (int32_t)(sizeof(g_constants) / sizeof(g_constants[0])),
};
