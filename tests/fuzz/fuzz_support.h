#pragma once
// Shared by the mutation tests: printable inputs, and the input being tried
// written out when a sanitizer stops the process.
#include <cstdio>
#include <string>

inline std::string Escaped(const std::string& s)
{
    std::string out;
    char buf[8];
    for (unsigned char c : s) {
        if (c == '\\' || c == '"') out += '\\', out += (char)c;
        else if (c == '\n') out += "\\n";
        else if (c >= 32 && c < 127) out += (char)c;
        else std::snprintf(buf, sizeof buf, "\\x%02x\"\"", c), out += buf;
    }
    return out;
}

// Marks the input under test for the death report.
class FuzzInput {
public:
    explicit FuzzInput(const std::string& text);
    ~FuzzInput();
};
