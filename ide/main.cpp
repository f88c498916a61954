// The program: a batch runner for now; without --run it is the IDE, which is
// not there yet.
#include <cstdio>
#include <cstring>

#include "ide/batch_run.h"

// For sanitizer builds: fontconfig keeps the configuration it parsed on first
// use (a plot window's text) for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--run") == 0) return RunBatch(argv[2]);
    std::fprintf(stderr, "usage: veldra --run FILE.vdx\n");
    return BATCH_NOT_STARTED;
}
