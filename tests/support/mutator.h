#pragma once
// Seeded random edits of valid texts: the inputs a careless user or a damaged
// file would give. The same seed gives the same mutants on every run.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

class CMutator {
public:
    explicit CMutator(uint32_t seed) : m_rng(seed) {}

    // One to four edits of text; others are the donors of splices.
    std::string Mutate(const std::string& text, const std::vector<std::string>& others)
    {
        std::string s = text;
        int edits = 1 + Below(4);
        for (int i = 0; i < edits; ++i) Edit(s, others);
        return s;
    }

    int Below(int n) { return n <= 0 ? 0 : (int)(m_rng() % (uint32_t)n); }

private:
    void Edit(std::string& s, const std::vector<std::string>& others)
    {
        static const char kSyntax[] = "([{<\"'%@#.,;:=+-*/^&|~!)]}>\n ";
        static const char* const kWords[] = {"end",      "if",     "for",  "while", "switch", "case",
                                             "default",  "function", "goto", "else", "elseif", "break",
                                             "continue", "return", " end ", "\nend\n", "if x\n", "for i=1:2\n"};
        size_t at = (size_t)Below((int)s.size() + 1);
        switch (Below(8)) {
        case 0:  // truncation
            s.resize(at);
            break;
        case 1:  // byte flip: one bit, or any byte
            if (!s.empty()) {
                size_t i = (size_t)Below((int)s.size());
                s[i] = Below(2) ? (char)(s[i] ^ (1 << Below(8))) : (char)Below(256);
            }
            break;
        case 2:
        case 3:  // syntax character
            s.insert(at, 1, kSyntax[Below(sizeof kSyntax - 1)]);
            break;
        case 4:  // keyword
            s.insert(at, kWords[Below(sizeof kWords / sizeof *kWords)]);
            break;
        case 5:  // deletion
            s.erase(at, (size_t)Below(12) + 1);
            break;
        case 6: {  // splice from another text
            if (others.empty()) break;
            const std::string& o = others[(size_t)Below((int)others.size())];
            size_t from = (size_t)Below((int)o.size() + 1);
            std::string piece = o.substr(from, (size_t)Below(40) + 1);
            if (Below(2)) s.erase(at, piece.size());
            s.insert(std::min(at, s.size()), piece);
            break;
        }
        default: {  // duplication of a run of this text
            size_t n = (size_t)Below(20) + 1;
            s.insert(at, s.substr(at, n));
            break;
        }
        }
    }

    std::mt19937 m_rng;
};
