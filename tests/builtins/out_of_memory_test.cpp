// A statement that fails for want of memory leaves every variable as it was:
// the same values, the same sizes, nested cells and all.
#include "tests/support/address_space.h"
#include <gtest/gtest.h>

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>

#include "builtins/libraries.h"
#include "interpreter/statements/program_harness.h"
#include "values/struct_value.h"
#include "values/value_matrix.h"

namespace {

// The first difference between two values, or "" when they are the same
// (numbers by their bits); the place is written only once one is found.
std::string Difference(const CValue& a, const CValue& b)
{
    if (a.Tag() != b.Tag()) return ": type " + std::to_string(a.Tag()) + " against " + std::to_string(b.Tag());
    switch (a.Type()) {
    case VT_REAL: return std::memcmp(&a.m_real, &b.m_real, sizeof(double)) ? ": another number" : "";
    case VT_COMPLEX:
        return std::memcmp(&a.ComplexRef(), &b.ComplexRef(), sizeof(Complex)) ? ": another number" : "";
    case VT_MATRIX: {
        const CValueMatrix &m = a.Matrix(), &n = b.Matrix();
        if (m.Rows() != n.Rows() || m.Cols() != n.Cols())
            return ": " + std::to_string(m.Rows()) + " x " + std::to_string(m.Cols()) + " against " +
                   std::to_string(n.Rows()) + " x " + std::to_string(n.Cols());
        for (int r = 0; r < m.Rows(); ++r)
            for (int c = 0; c < m.Cols(); ++c)
                if (std::string d = Difference(m.Cell(r, c), n.Cell(r, c)); !d.empty())
                    return "[" + std::to_string(r + 1) + "," + std::to_string(c + 1) + "]" + d;
        return "";
    }
    case VT_STRING: {
        const uint32_t k = a.Cells() ? ValueArrayCount(a.Cells()) : 0, l = b.Cells() ? ValueArrayCount(b.Cells()) : 0;
        if (k != l) return ": " + std::to_string(k) + " characters against " + std::to_string(l);
        for (uint32_t i = 0; i < k; ++i)
            if (std::string d = Difference(a.Cells()[i], b.Cells()[i]); !d.empty())
                return "(" + std::to_string(i + 1) + ")" + d;
        return "";
    }
    case VT_STRUCT: {
        const CStructValue &s = a.Struct(), &t = b.Struct();
        if (s.Count() != t.Count()) return ": another count of fields";
        for (size_t i = 0; i < s.Count(); ++i) {
            if (*s.FieldAt(i)->GetName() != *t.FieldAt(i)->GetName()) return ": another field name";
            if (std::string d = Difference(s.FieldAt(i)->m_value, t.FieldAt(i)->m_value); !d.empty())
                return "." + *s.FieldAt(i)->GetName() + d;
        }
        return "";
    }
    default: return a.GetPayload() == b.GetPayload() ? "" : ": another payload";
    }
}

// Every variable of the table, copied.
std::map<std::string, CValue> Snapshot(const CVarTable* vars)
{
    std::map<std::string, CValue> out;
    for (const CVarTable* t : {vars, (const CVarTable*)&GlobalVariables})
        for (int i = 0; t && i < t->Count(); ++i)
            if (const CVarSlot* s = t->At(i); s->value && !out.count(s->name)) out[s->name] = *s->value;
    return out;
}

// Variables of every kind, some of them large (a 1000 x 1000 matrix is 16 MB).
const char kSetup[] =
    "a = ones(1000, 1000) * 3;\n"
    "c = ones(300, 300) * (1 + 2i);\n"
    "q = {u = 1};\n"
    "q.v = [4; 5];\n"
    "n = [1, [2, 3]; \"text\", q];\n"
    "s = \"a string\";\n"
    "p.m = a;\n"
    "p.t = \"field\";\n"
    "p.k = 7;\n"
    "k = 42;\n";
constexpr int kSetupStatements = 10;  // one a line

// Statements that need far more than the room left, at their several steps:
// the size check, a copy of nested cells, growth by indexing, a field, a function.
const char* const kStatements[] = {
    "a = [a, a, a, a, a, a];",
    "a = [a; a; a; a; a; a];",
    "a[6000, 1000] = 1;",
    "a[1000, 6000] = 1;",
    "n = [n, a, a, a, a, a, a];",
    "p.m = [p.m, a, a, a, a, a];",
    "p.q = [a, a, a, a, a, a];",
    "c = [c, a, a, a, a, a, a];",
    "k = ones(4000, 4000);",
    "s = [s, a, a, a, a, a, a];",
    "u = [a, a, a, a, a, a];",
    "a = a .* [a, a, a, a, a, a];",
    "n[2, 2].v = [a, a, a, a, a, a];",
};

// A program that, when its statement `at` comes, copies every variable and
// leaves the process the given room of address space.
class LimitedProgram : public CTestProgram {
public:
    LimitedProgram(int at, size_t room) : m_at(at), m_room(room) {}
    std::map<std::string, CValue> before;
    bool limited = false;

    int DebugHook(CStatement* st, int index) override
    {
        if (index == m_at && !limited) {
            before = Snapshot(Vars());
            // Large blocks mapped afresh, never taken from memory freed before.
            mallopt(M_MMAP_THRESHOLD, 128 * 1024);
            malloc_trim(0);
            const rlimit r{AddressSpaceNow() + m_room, RLIM_INFINITY};
            setrlimit(RLIMIT_AS, &r);
            limited = true;
        }
        return CTestProgram::DebugHook(st, index);
    }

private:
    int m_at;
    size_t m_room;
};

// In the child process: the setup, then the statement with the given room of
// address space left; ends with 0 when the statement failed and every
// variable is as it was, else writes what differs and ends with 1.
[[noreturn]] void FailAndCompare(const char* text, size_t room)
{
    RegisterBuiltinLibraries();
    GlobalVariables.Clear();
    LimitedProgram program(kSetupStatements, room);
    const ProgramRun run = RunProgramIn(program, std::string(kSetup) + text + "\n");
    const rlimit none{RLIM_INFINITY, RLIM_INFINITY};
    setrlimit(RLIMIT_AS, &none);
    if (!program.limited || run.messages.size() != 1) {
        std::fprintf(stderr, "%s\n", program.limited ? "not one message" : "the statement did not run");
        for (const std::string& m : run.messages) std::fprintf(stderr, "%s\n", m.c_str());
        std::exit(1);
    }
    const std::map<std::string, CValue> after = Snapshot(program.Vars());
    int failed = 0;
    for (const auto& [name, value] : program.before) {
        auto it = after.find(name);
        const std::string d = it == after.end() ? ": gone" : Difference(it->second, value);
        if (!d.empty()) {
            std::fprintf(stderr, "%s%s\n", name.c_str(), d.c_str());
            failed = 1;
        }
    }
    // A variable the statement meant to make may be left empty, but no more.
    for (const auto& [name, value] : after)
        if (!program.before.count(name) && !value.IsEmpty() &&
            !(value.Type() == VT_MATRIX && value.Matrix().IsEmpty())) {
            std::fprintf(stderr, "%s: made\n", name.c_str());
            failed = 1;
        }
    std::exit(failed);
}

TEST(OutOfMemoryDeathTest, EveryVariableIsAsItWas)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's shadow memory cannot live under an address-space limit";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // Less than one copy of a, room for some copies, room for most of a
    // statement: a packed real matrix takes half the room of its cells.
    CValueMatrix probe;
    const size_t half = probe.ShapePacked(1, 1) ? 2 : 1;
    for (size_t mb : {(size_t)4, 40 / half, 72 / half})
        for (const char* text : kStatements) {
            SCOPED_TRACE(std::to_string(mb) + " MB: " + text);
            EXPECT_EXIT(FailAndCompare(text, mb << 20), ::testing::ExitedWithCode(0), "");
        }
#endif
}

}  // namespace
