// Runs program files one after another in one process, each exactly as
// `veldra --run FILE` runs it, for the program generator
// (tests/fuzz/program_fuzz.py): a process start of the sanitizer build costs
// far more than most generated programs, and most of them end with an error,
// which ends a run. Standard output gets "@@begin N" before program N (from 0)
// and "@@end N STATUS" after it; a crash leaves the program without its end line.
// Usage: program_batch FILE.vdx...
#include <cstdio>

#include "ide/run/batch_run.h"
#include "interpreter/var_table.h"

// As the program itself: fontconfig keeps what it parsed for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        std::printf("@@begin %d\n", i - 1);
        std::fflush(stdout);
        std::fprintf(stderr, "@@begin %d\n", i - 1);
        // A process of its own would start without the globals of the program before.
        GlobalVariables.Clear();
        const int status = RunBatch(argv[i]);
        std::fflush(stdout);
        std::printf("@@end %d %d\n", i - 1, status);
        std::fflush(stdout);
        std::fflush(stderr);
    }
    return 0;
}
