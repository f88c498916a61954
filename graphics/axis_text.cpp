// Tick steps and the text of axis values: real numbers by the graph's
// format, times, day times and minute times.
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <locale.h>

#include "graphics/graph.h"
#include "values/value.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// strchr would also find the terminator of the set.
bool OneOf(char c, const char* set) { return c != '\0' && std::strchr(set, c) != nullptr; }

// Milliseconds of a non-negative time, false when the value has none.
bool Milliseconds(double v, uint64_t& m)
{
    if (!(v >= 0)) return false;
    int64_t ms;
    if (!DoubleToInt64(RoundToNearest(v * 1000), ms) || ms < 0) return false;
    m = (uint64_t)ms;
    return true;
}

locale_t CLocale()
{
    static locale_t c = newlocale(LC_ALL_MASK, "C", (locale_t)0);
    return c;
}

}  // namespace

std::string SafeNumberFormat(const std::string& f)
{
    static const char kFallback[] = "%.6g";
    // printf stops at a NUL: what it would see is not what was checked.
    if (f.find('\0') != std::string::npos) return kFallback;
    int conversions = 0;
    for (size_t i = 0; i < f.size(); i++) {
        if (f[i] != '%') continue;
        if (i + 1 < f.size() && f[i + 1] == '%') {
            i++;
            continue;
        }
        size_t j = i + 1;
        while (j < f.size() && OneOf(f[j], "-+ #0")) j++;
        size_t digits = 0;
        while (j < f.size() && IsDigit(f[j])) j++, digits++;
        if (digits > 2) return kFallback;
        if (j < f.size() && f[j] == '.') {
            j++;
            digits = 0;
            while (j < f.size() && IsDigit(f[j])) j++, digits++;
            if (digits > 2) return kFallback;
        }
        if (j >= f.size() || !OneOf(f[j], "fFeEgGaA")) return kFallback;
        conversions++;
        i = j;
    }
    return conversions == 1 ? f : std::string(kFallback);
}

std::string FormatAxisValue(double v, int valueType, const std::string& numberFormat)
{
    char buf[320];
    uint64_t m;
    switch (valueType) {
    case VALUE_REAL: {
        std::string f = SafeNumberFormat(numberFormat);
        std::snprintf(buf, sizeof buf, f.c_str(), v);
        return buf;
    }
    case VALUE_TIME:
        if (!Milliseconds(v, m)) return "IND";
        std::snprintf(buf, sizeof buf, "%02u:%02u:%02u.%03u", (unsigned)(m / 3600000 % 24),
                      (unsigned)(m / 60000 % 60), (unsigned)(m / 1000 % 60), (unsigned)(m % 1000));
        return buf;
    case VALUE_MINTIME:
        if (!Milliseconds(v, m)) return "IND";
        std::snprintf(buf, sizeof buf, "%02u:%02u.%03u", (unsigned)(m / 60000 % 60), (unsigned)(m / 1000 % 60),
                      (unsigned)(m % 1000));
        return buf;
    case VALUE_DAYTIME: {
        int64_t s;
        if (!DoubleToInt64(RoundToNearest(v), s)) return "IND";
        time_t t = (time_t)s;
        struct tm tmv;
        if (!localtime_r(&t, &tmv)) return "IND";
        size_t n = strftime_l(buf, 257, "%H:%M:%S\n%d-%b, %Y", &tmv, CLocale());
        if (n == 0) return "IND";
        return std::string(buf, n);
    }
    default:
        return std::string();
    }
}

void CGraph::FormatTickLabelX(double value, std::string& text) const
{
    text = FormatAxisValue(value, xAxisFlags >> 4, numberFormat);
}

void CGraph::FormatTickLabelY(double value, std::string& text) const
{
    text = FormatAxisValue(value, yAxisFlags >> 4, numberFormat);
}

double CGraph::NiceStep(double value, double scale)
{
    // Zero has no decade to round to, and the loops below would never end
    // on it or on infinities and NaN.
    if (value == 0 || !std::isfinite(value) || !std::isfinite(scale)) return value;
    double v = std::fabs(value);
    while (v > 10) {
        v /= 10;
        scale *= 10;
    }
    while (v < 1) {
        v *= 10;
        scale /= 10;
    }
    double nice = v < 1.5 ? 1 : v < 3.5 ? 2 : v < 7.5 ? 5 : 10;
    return (value < 0 ? -nice : nice) * scale;
}

double CGraph::RoundUpTo(double value, double step) { return std::ceil(value / step) * step; }

double CGraph::RoundDownTo(double value, double step) { return std::floor(value / step) * step; }
