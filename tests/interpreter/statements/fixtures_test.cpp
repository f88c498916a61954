// The program fixtures that the batch runner checks end to end, run here
// through the harness: their .out and .rc files must match what the
// statements write.
#include <gtest/gtest.h>

#include <dirent.h>

#include <fstream>
#include <sstream>

#include "program_harness.h"

namespace {

std::string FixtureFolder()
{
    std::string here = __FILE__;
    return here.substr(0, here.find_last_of('/')) + "/../../programs/statements";
}

std::string ReadFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

TEST(StatementFixtures, OutputAndExitStatusMatch)
{
    std::vector<std::string> programs;
    if (DIR* d = opendir(FixtureFolder().c_str())) {
        while (dirent* e = readdir(d)) {
            std::string n = e->d_name;
            if (n.size() > 4 && n.compare(n.size() - 4, 4, ".vdx") == 0) programs.push_back(n.substr(0, n.size() - 4));
        }
        closedir(d);
    }
    ASSERT_GE(programs.size(), 15u);
    for (const std::string& name : programs) {
        std::string base = FixtureFolder() + "/" + name;
        ProgramRun r = RunProgram(ReadFile(base + ".vdx"));
        std::string out;
        bool error = false;
        for (const std::string& m : r.messages) {
            out += m + "\n";
            if (m.rfind("Error: ", 0) == 0) error = true;
        }
        int rc = r.translated ? 2 : error ? 1 : 0;
        std::string expectedRc = ReadFile(base + ".rc");
        EXPECT_EQ(out, ReadFile(base + ".out")) << name;
        EXPECT_EQ(rc, expectedRc.empty() ? 0 : std::stoi(expectedRc)) << name;
    }
}

}  // namespace
