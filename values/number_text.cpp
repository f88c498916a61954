#include "values/number_text.h"

#include <cmath>
#include <limits>
#include <sstream>
#include <string>

#include "values/stream_chars.h"
#include "values/value.h"

namespace textio {
std::ios& ClassicIos()
{
    thread_local std::ios ios(nullptr);
    thread_local bool ready = false;
    if (!ready) {
        ios.imbue(std::locale::classic());
        ready = true;
    }
    return ios;
}
}  // namespace textio

using namespace textio;

namespace {

constexpr double kPi = 3.14159265358979323846;

// Optional sign, then "INF", "NAN" or a decimal number, at the current position.
bool ReadNumberHere(std::istream& is, double& x)
{
    int c = Peek(is);
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = c == '-';
        Bump(is);
        c = Peek(is);
    }
    double v;
    if (c == 'I') {
        Bump(is);
        if (!Expect(is, 'N') || !Expect(is, 'F')) {
            Fail(is);
            return false;
        }
        v = std::numeric_limits<double>::infinity();
    } else if (c == 'N') {
        Bump(is);
        if (!Expect(is, 'A') || !Expect(is, 'N')) {
            Fail(is);
            return false;
        }
        x = std::numeric_limits<double>::quiet_NaN();  // the sign does not matter
        return true;
    } else if (IsDigit(c) || c == '.') {
        if (!GetNumber(is, v)) return false;
    } else {
        Fail(is);
        return false;
    }
    x = negative ? -v : v;
    return true;
}

void AppendComplexText(std::ostream& os, const Complex& z)
{
    if (z.re == 0) {
        if (z.im == 0) {
            WriteDouble(os, 0.0);
            return;
        }
        WriteDouble(os, z.im);
        os << 'i';
        return;
    }
    WriteDouble(os, z.re);
    if (z.im != 0) {
        std::ios::fmtflags f = os.flags();
        os.setf(std::ios::showpos);
        WriteDouble(os, z.im);
        os.flags(f);
        os << 'i';
    }
}

}  // namespace

void WriteDouble(std::ostream& os, double x)
{
    const bool plus = (os.flags() & std::ios::showpos) != 0;
    if (std::isnan(x)) {
        os << (plus ? "+NAN" : "NAN");
    } else if (std::isinf(x)) {
        os << (x < 0 ? "-INF" : plus ? "+INF" : "INF");
    } else {
        if (x == 0) x = 0.0;  // never "-0"
        PutNumber(os, x);
    }
}

std::istream& ReadDouble(std::istream& is, double& x)
{
    std::istream::sentry s(is, true);
    if (!s) return is;
    SkipBlanks(is);
    double v;
    if (ReadNumberHere(is, v)) x = v;
    return is;
}

double RoundToDecimals(double x, unsigned decimals)
{
    if (decimals == VTF_NO_ROUNDING) return x;
    const double scale = std::pow(10.0, (double)decimals);
    const double y = x * scale;
    if (!std::isfinite(y) || !std::isfinite(scale)) return x;
    return RoundToNearest(y) / scale;
}

int WriteDoubleFormatted(std::ostream& os, double x, const ValueTextFormat& fmt)
{
    x = RoundToDecimals(x, fmt.roundDigits);
    if ((fmt.flags & VTF_REAL_WIDTH) == VTF_REAL_WIDTH) os.width(fmt.width);
    WriteDouble(os, x);
    return ReachedLength(os, fmt.maxLength) ? 1 : 0;
}

void WriteComplex(std::ostream& os, const Complex& z)
{
    // Built apart so that a field width applies to the whole number.
    std::ostringstream ss;
    ss.flags(os.flags());
    ss.precision(os.precision());
    AppendComplexText(ss, z);
    os << ss.str();
}

int WriteComplexFormatted(std::ostream& os, const Complex& z, const ValueTextFormat& fmt)
{
    Complex r{RoundToDecimals(z.re, fmt.roundDigits), RoundToDecimals(z.im, fmt.roundDigits)};
    std::ostringstream ss;
    ss.flags(os.flags());
    ss.precision(fmt.precision);
    AppendComplexText(ss, r);
    os << ss.str();
    if (os.fail()) return 2;
    return ReachedLength(os, fmt.maxLength) ? 1 : 0;
}

std::istream& ReadComplex(std::istream& is, Complex& z)
{
    std::istream::sentry s(is, true);
    if (!s) return is;
    SkipBlanks(is);
    if (Peek(is) == '(') {
        Bump(is);
        double r, theta;
        SkipBlanks(is);
        if (!ReadNumberHere(is, r)) return is;
        SkipBlanks(is);
        bool hasAngle = false;
        if (Expect(is, ',')) {
            SkipBlanks(is);
            if (!ReadNumberHere(is, theta)) return is;
            SkipBlanks(is);
            hasAngle = true;
        }
        if (!Expect(is, ')')) {
            Fail(is);
            return is;
        }
        if (!hasAngle) {
            z = Complex{r, 0.0};  // also keeps (INF) free of INF * 0
        } else {
            const double a = theta * (kPi / 180.0);
            z = Complex{r * std::cos(a), r * std::sin(a)};
        }
        return is;
    }
    double re = 0, im = 0;
    for (;;) {
        double t;
        if (!ReadNumberHere(is, t)) return is;
        int c = Peek(is);
        if (c == 'i' || c == 'j') {
            Bump(is);
            im += t;
            c = Peek(is);
        } else {
            re += t;
        }
        if (c != '+' && c != '-') break;  // a blank ends the number
    }
    z = Complex{re, im};
    return is;
}
