#pragma once
// Discrete Fourier transforms of the "Data Analysis" library: the own radix-2
// transform (fft2n, ifft2n) and any length through FFTW, bound at run time
// (fft, ifft).
#include <string>

#include "interpreter/status.h"
#include "values/value.h"

// Form 0x20000: the transform of X's first row; arguments after X are ignored.
StatusWord BuiltinFft2n(CValue** args, int count, CValue* out);
StatusWord BuiltinIfft2n(CValue** args, int count, CValue* out);
// Form 0x100: a row vector, or each column of a matrix.
StatusWord BuiltinFft(CValue* x, CValue* out);
StatusWord BuiltinIfft(CValue* x, CValue* out);

// Binds FFTW on first use: lib/ beside the program, then the system's soname.
// Reports the failure and returns false when neither gives all five entries.
bool LoadFftwLibrary();
// Where the program looks first: "<program folder>/lib/libfftw3.so.3".
std::string FftwLibraryPath();
// Test switch: while set, loading fails as if no library existed anywhere
// (a binding already made is kept for later but not used).
void SetFftwLoadingDisabled(bool disabled);

// The radix-2 transform of x[0..n) into y[0..n): only the first 2^m samples
// (2^m the largest power of two not above n) are transformed and written; the
// caller warns when 2^m < n. Returns 2^m.
int Radix2Transform(const Complex* x, int n, Complex* y, bool inverse);
