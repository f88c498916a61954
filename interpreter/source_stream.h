#pragma once
// Stream helpers for the Translate of statements: positions in the program
// text, blanks, and text up to a stop character.
#include <istream>
#include <string>

// The stream offset, also at the end of the text or after a failure (then
// the position where reading stopped); the stream state is left as it was.
int StreamPos(std::istream& in);
// Moves to an offset and clears the end and failure state.
void StreamSeek(std::istream& in, int pos);
// Skips white space and reads one character; EOF at the end of the text
// (the stream is then failed, as after any read past the end).
int ReadNonBlank(std::istream& in);
// Puts back a character read by ReadNonBlank; EOF clears the end state.
void PutBackChar(std::istream& in, int c);
// Reads text up to one of the stop characters (consumed) or the end. Returns
// the stop character, or EOF; the text has blanks trimmed at both ends.
int ReadUntil(std::istream& in, const char* stops, std::string& text);
// True for letters, digits and "_".
inline bool IsIdentChar(int c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
