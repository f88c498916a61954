#pragma once
// Numbers as text: "INF", "-INF" and "NAN" for the special values, complex numbers
// as sums of terms, the polar form in degrees on reading. Locale-independent.
#include <istream>
#include <ostream>

#include "values/complex.h"
#include "values/text_format.h"

// x with the stream's precision and flags; negative zero is written as zero.
void WriteDouble(std::ostream& os, double x);
// Optional sign, then "INF", "NAN" or a decimal number. Leading blanks are skipped.
// A malformed text sets the fail state and leaves x unchanged.
std::istream& ReadDouble(std::istream& is, double& x);

// x rounded to the format's decimals when they are given (unchanged when x * 10^d is
// not finite).
double RoundToDecimals(double x, unsigned decimals);

// Rounds, sets the field width when the format asks for it for Reals, writes.
// 1 when the stream position has reached the format's maximum length, else 0.
int WriteDoubleFormatted(std::ostream& os, double x, const ValueTextFormat& fmt);

// "3+4i", "-2.5-1i", "4i", "0": the imaginary part always carries its sign.
void WriteComplex(std::ostream& os, const Complex& z);
// Both parts rounded; the text is built with the format's precision and appended in
// one write. 2 when the stream failed, else as WriteDoubleFormatted.
int WriteComplexFormatted(std::ostream& os, const Complex& z, const ValueTextFormat& fmt);

// A sum of terms with "i"/"j" marking imaginary ones ("3+4i", "2j"; a blank ends the
// number), or "(r)" / "(r, degrees)". Fail state and z unchanged on a malformed text.
std::istream& ReadComplex(std::istream& is, Complex& z);
