#pragma once
// The text form of values: the plain writer (stream insertion), the display writer
// driven by a ValueTextFormat, and the reader.
#include <atomic>
#include <istream>
#include <ostream>
#include <string>

#include "values/number_text.h"
#include "values/text_format.h"
#include "values/value.h"

class CValueMatrix;
class CStructValue;

// Output-layout flags. LAYOUT_TABLE: the plain writer writes strings without quotes,
// matrices as tab-separated rows, structs one field per line.
enum : unsigned { LAYOUT_TABLE = 0x1 };
extern std::atomic<unsigned> OutputLayoutFlags;

// Nesting depth of matrices and structs the reader accepts.
constexpr int MaxReadNesting = 1000;

// Plain form, no length limit; WriteValueHook is asked first.
std::ostream& operator<<(std::ostream& os, const CValue& v);

// Plain form that the reader takes back: a lone character (alone or inside
// a matrix or structure) is quoted like a string, where the plain form
// writes it bare. Text files of values are written with it.
void WriteValueForReading(std::ostream& os, const CValue& v);

// Display form. 0: whole text written; 1: cut at the maximum length; 2: the stream
// failed. The stream's precision and flags are restored on return.
enum { TEXT_DONE = 0, TEXT_CUT = 1, TEXT_FAILED = 2 };
int WriteValue(std::ostream& os, const CValue& v, const ValueTextFormat& fmt);
int WriteMatrixTextLimited(std::ostream& os, const CValueMatrix& m, const ValueTextFormat& fmt);
int WriteStructTextLimited(std::ostream& os, const CStructValue& s, const ValueTextFormat& fmt);

// Reads one value; ReadValueHook is asked first. On failure the error has been
// reported, the stream is in its fail state and v is unchanged.
std::istream& ReadValue(std::istream& is, CValue& v);
inline std::istream& operator>>(std::istream& is, CValue& v) { return ReadValue(is, v); }

// The display text as a string, up to its first NUL. Without a format:
// UnlimitedTextFormat. length (optional) receives WriteValue's result.
std::string& ValueFormat(const CValue& v, std::string& text, const ValueTextFormat* fmt = nullptr,
                         int* length = nullptr);
