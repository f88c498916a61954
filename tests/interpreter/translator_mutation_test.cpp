// Damaged programs: the translator must refuse them with its error message,
// never crash or hang. Mutants are translated only; running them could loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/fuzz_support.h"
#include "interpreter/statements/program_harness.h"
#include "support/mutator.h"

namespace {

std::string SourceRoot()
{
    std::string here = __FILE__;
    return here.substr(0, here.rfind("/tests/"));
}

std::vector<std::string> SeedPrograms()
{
    namespace fs = std::filesystem;
    std::vector<std::string> paths;
    for (const char* dir : {"/examples", "/tests/programs"})
        for (const auto& e : fs::recursive_directory_iterator(SourceRoot() + dir))
            if (e.is_regular_file() && e.path().extension() == ".vdx") paths.push_back(e.path().string());
    std::sort(paths.begin(), paths.end());
    std::vector<std::string> texts;
    for (const std::string& p : paths) {
        std::ifstream f(p, std::ios::binary);
        std::stringstream s;
        s << f.rdbuf();
        texts.push_back(s.str());
    }
    return texts;
}

struct Translation {
    StatusWord status;
    std::vector<std::string> messages;
};

Translation Translate(const std::string& text)
{
    EnsureBasicGroup();
    FuzzInput current(text);
    CCaptureStream cap;
    CTestProgram program;
    std::istringstream in(text);
    Translation t;
    t.status = TranslateBlock(&program, in);
    t.messages = cap.messages;
    return t;
}

bool HasError(const Translation& t)
{
    for (const std::string& m : t.messages)
        if (m.rfind("Error: ", 0) == 0) return true;
    return false;
}

}  // namespace

TEST(TranslatorMutation, DamagedProgramsAreRefusedWithAMessage)
{
    std::vector<std::string> seeds = SeedPrograms();
    ASSERT_GE(seeds.size(), 100u);
    int rounds = 25;
    CMutator mutator(FuzzSeed(20261209, rounds));
    int refused = 0, total = 0;
    for (const std::string& seed : seeds)
        for (int i = 0; i < rounds; ++i) {
            std::string text = mutator.Mutate(seed, seeds);
            Translation t = Translate(text);
            ++total;
            if (t.status != 0) {
                ++refused;
                EXPECT_TRUE(HasError(t)) << "no message for:\n" << Escaped(text);
            }
        }
    // The edits must reach the error paths, not only harmless spots.
    EXPECT_GT(refused, total / 5);
}

namespace {
std::string Repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}
}  // namespace

// Nesting deep enough to exhaust the native stack is refused with the stack
// message; ordinary depths still translate.
TEST(TranslatorMutation, DeepNestingIsRefusedNotOverflowed)
{
    const std::string overflow = "Error: Stack overflow. Please check a recursive functions calls";
    struct Case {
        const char* name;
        std::string text;
        bool refused;
    } cases[] = {
        {"if bodies", Repeat("if(1)\n", 200000) + Repeat("end\n", 200000), true},
        {"while bodies", Repeat("while(0)\n", 200000) + Repeat("end\n", 200000), true},
        {"unclosed if bodies", Repeat("if(1)\n", 200000), true},
        {"function in function", Repeat("function f(x)\n", 200000), true},
        {"parentheses", "x=" + Repeat("(", 200000) + "1" + Repeat(")", 200000) + ";", true},
        {"moderate if bodies", Repeat("if(1)\n", 500) + Repeat("end\n", 500), false},
        {"moderate functions", Repeat("function f(x)\n", 500) + Repeat("end\n", 500), false},
    };
    for (const Case& c : cases) {
        Translation t = Translate(c.text);
        if (c.refused) {
            EXPECT_NE(t.status, 0u) << c.name;
            ASSERT_FALSE(t.messages.empty()) << c.name;
            EXPECT_EQ(t.messages[0], overflow) << c.name;
        } else {
            EXPECT_EQ(t.status, 0u) << c.name;
            EXPECT_TRUE(t.messages.empty()) << c.name;
        }
    }
}
