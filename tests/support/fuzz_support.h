#pragma once
// Shared by the mutation tests: printable inputs, and the input being tried
// written out when a sanitizer stops the process.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

// VELDRA_FUZZ_SEED=n picks another seed and runs ten times as many mutants,
// for a longer search by hand; the suite itself uses the fixed seed.
// VELDRA_FUZZ_CASES=n runs exactly n mutants (the long mode, scripts/fuzz-long).
inline uint32_t FuzzSeed(uint32_t fixed, int& rounds)
{
    if (const char* n = std::getenv("VELDRA_FUZZ_CASES"); n && *n) rounds = (int)std::strtol(n, nullptr, 10);
    const char* s = std::getenv("VELDRA_FUZZ_SEED");
    if (!s || !*s) return fixed;
    if (!std::getenv("VELDRA_FUZZ_CASES")) rounds *= 10;
    return (uint32_t)std::strtoul(s, nullptr, 10);
}

// Marks the input under test for the death report. In the long mode
// (VELDRA_FUZZ_CASES set) a watchdog also reports an input that takes more
// than VELDRA_FUZZ_HANG_MS (2000) milliseconds, and ends the process.
class FuzzInput {
public:
    explicit FuzzInput(const std::string& text);
    ~FuzzInput();
};
