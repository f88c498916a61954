#pragma once
// Character-level helpers shared by the number and value text readers and writers.
// Numbers go through the classic locale's facets, whatever the stream's locale is.
#include <cmath>
#include <cstdio>
#include <ios>
#include <istream>
#include <limits>
#include <locale>
#include <ostream>
#include <type_traits>

namespace textio {

// A formatting base with the classic locale; only its flags, precision and width
// are read by the facets.
std::ios& ClassicIos();

inline bool IsBlank(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

inline bool IsDigit(int c) { return c >= '0' && c <= '9'; }

// Next character without taking it; EOF (and the eof state) at the end or when the
// stream is not good. Never sets the fail state itself.
inline int Peek(std::istream& is)
{
    if (!is.good()) return EOF;
    int c = is.rdbuf()->sgetc();
    if (c == EOF) is.setstate(std::ios::eofbit);
    return c;
}

inline void Bump(std::istream& is) { is.rdbuf()->sbumpc(); }

inline bool Expect(std::istream& is, int c)
{
    if (Peek(is) != c) return false;
    Bump(is);
    return true;
}

inline void SkipBlanks(std::istream& is)
{
    while (IsBlank(Peek(is))) Bump(is);
}

inline void Fail(std::istream& is) { is.setstate(std::ios::failbit); }

// Extracts a number at the current position (no blanks skipped). False and the
// fail state on a malformed text; out unchanged then.
template <class T>
bool GetNumber(std::istream& is, T& out, std::ios::fmtflags base = std::ios::dec)
{
    if (!is.good()) {
        Fail(is);
        return false;
    }
    std::ios& f = ClassicIos();
    f.flags(base);
    std::ios::iostate err = std::ios::goodbit;
    T v{};
    std::use_facet<std::num_get<char>>(std::locale::classic())
        .get(std::istreambuf_iterator<char>(is), std::istreambuf_iterator<char>(), f, err, v);
    if constexpr (std::is_floating_point_v<T>) {
        // A decimal beyond the range comes back as the largest value with the fail bit:
        // it reads as infinity, as a literal in a program does.
        if ((err & std::ios::failbit) && std::fabs(v) == std::numeric_limits<T>::max()) {
            err &= ~std::ios::failbit;
            v = std::copysign(std::numeric_limits<T>::infinity(), v);
        }
    }
    if (err & std::ios::failbit) {
        is.setstate(err);
        return false;
    }
    if (err & std::ios::eofbit) is.setstate(std::ios::eofbit);
    out = v;
    return true;
}

// Inserts a number with the stream's flags, precision, width and fill.
template <class T>
void PutNumber(std::ostream& os, T x)
{
    std::ostream::sentry s(os);
    if (!s) return;
    std::ios& f = ClassicIos();
    f.flags(os.flags());
    f.precision(os.precision());
    f.width(os.width());
    if (std::use_facet<std::num_put<char>>(std::locale::classic())
            .put(std::ostreambuf_iterator<char>(os), f, os.fill(), x)
            .failed())
        os.setstate(std::ios::badbit);
    os.width(0);
}

// The stream position, or -1 when the stream cannot tell.
inline std::streamoff Position(std::ostream& os)
{
    if (os.fail()) return -1;
    return static_cast<std::streamoff>(os.tellp());
}

inline bool ReachedLength(std::ostream& os, long long maxLength)
{
    std::streamoff pos = Position(os);
    return pos >= 0 && pos >= maxLength;
}

// Restores precision and flags of a stream when it goes out of scope.
class StreamStateGuard {
public:
    explicit StreamStateGuard(std::ios& s) : m_s(s), m_flags(s.flags()), m_precision(s.precision()) {}
    ~StreamStateGuard()
    {
        m_s.flags(m_flags);
        m_s.precision(m_precision);
    }
    StreamStateGuard(const StreamStateGuard&) = delete;
    StreamStateGuard& operator=(const StreamStateGuard&) = delete;

private:
    std::ios& m_s;
    std::ios::fmtflags m_flags;
    std::streamsize m_precision;
};

}  // namespace textio
