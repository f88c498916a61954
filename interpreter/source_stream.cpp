#include "interpreter/source_stream.h"

#include <cctype>

namespace {
bool IsStreamBlank(int c) { return c != EOF && std::isspace((unsigned char)c); }
}  // namespace

int StreamPos(std::istream& in)
{
    std::ios::iostate state = in.rdstate();
    in.clear();
    std::streampos p = in.tellg();
    in.clear(state);
    return p < 0 ? -1 : (int)(std::streamoff)p;
}

void StreamSeek(std::istream& in, int pos)
{
    in.clear();
    in.seekg(pos);
}

int ReadNonBlank(std::istream& in)
{
    int c;
    do c = in.get();
    while (IsStreamBlank(c));
    return c;
}

void PutBackChar(std::istream& in, int c)
{
    if (c == EOF)
        in.clear();
    else
        in.unget();
}

int ReadUntil(std::istream& in, const char* stops, std::string& text)
{
    text.clear();
    int c;
    for (;;) {
        c = in.get();
        if (c == EOF) break;
        bool stop = false;
        for (const char* s = stops; *s; ++s)
            if (c == (unsigned char)*s) stop = true;
        if (stop) break;
        text += (char)c;
    }
    size_t b = 0, e = text.size();
    while (b < e && IsStreamBlank((unsigned char)text[b])) ++b;
    while (e > b && IsStreamBlank((unsigned char)text[e - 1])) --e;
    text = text.substr(b, e - b);
    return c;
}
