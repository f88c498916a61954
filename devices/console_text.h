#pragma once
// What a line typed into the console becomes: the one rule that the input
// statement and the console device share.
#include <string>

class CValue;

// Text that begins like a value (a quote, '#', '<', '@', '[', '{', a sign, '.',
// '(' or a digit), or whose trimmed text is exactly "INF" or "NAN", is read as
// a value; everything else, and text the reader refuses, becomes the text
// itself as a string. The read is quiet: a refusal writes no message.
void ConsoleTextToValue(const std::string& text, CValue& value);
