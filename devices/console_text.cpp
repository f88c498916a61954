#include "devices/console_text.h"

#include <sstream>

#include "values/output_stream.h"
#include "values/value.h"
#include "values/value_text.h"

namespace {

bool StartsLikeValue(unsigned char c)
{
    switch (c) {
    case '"':
    case '#':
    case '<':
    case '@':
    case '[':
    case '{':
    case '+':
    case '-':
    case '.':
    case '(': return true;
    default: return c >= '0' && c <= '9';
    }
}

std::string Trimmed(const std::string& s)
{
    const char* blanks = " \t\r\n\f\v";
    size_t b = s.find_first_not_of(blanks);
    if (b == std::string::npos) return std::string();
    size_t e = s.find_last_not_of(blanks);
    return s.substr(b, e - b + 1);
}

}  // namespace

void ConsoleTextToValue(const std::string& text, CValue& value)
{
    bool read = !text.empty() && StartsLikeValue((unsigned char)text[0]);
    if (!read) {
        std::string t = Trimmed(text);
        read = t == "INF" || t == "NAN";
    }
    if (read) {
        std::istringstream in(text);
        CValue v;
        bool ok;
        {
            // A refused text is an answer here, not an error of the program.
            CQuietMessages quiet;
            ok = !ReadValue(in, v).fail();
        }
        if (ok) {
            value = std::move(v);
            return;
        }
    }
    CValue s;
    s.SetString(text);
    value = std::move(s);
}
