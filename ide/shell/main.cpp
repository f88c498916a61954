// The program: `veldra --run FILE.vdx` runs a program without windows; every
// other form starts the IDE (`veldra [FILE.vdx...]`, `veldra --hidden-run FILE.vdx`).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ide/shell/app.h"
#include "ide/run/batch_run.h"
#include "platform/backend/display.h"

// For sanitizer builds: fontconfig keeps the configuration it parsed on first
// use (a plot window's text) for the life of the process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {

// False (with a usage line written) for a form the program does not know.
bool ParseIdeCommandLine(int argc, char** argv, IdeCommandLine& line)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--hidden-run") {
            // Without a file it is the plain IDE.
            if (i + 1 < argc) {
                line.hiddenRun = true;
                line.files.insert(line.files.begin(), argv[++i]);
            }
        } else if (arg.size() > 1 && arg[0] == '-' && arg != "--") {
            std::fprintf(stderr, "usage: veldra [FILE.vdx...] | veldra --hidden-run FILE.vdx | veldra --run FILE.vdx\n");
            return false;
        } else if (arg != "--") {
            line.files.push_back(arg);
        }
    }
    // The hidden run is of one program.
    if (line.hiddenRun) line.files.resize(1);
    return true;
}

int RunIde(const IdeCommandLine& line)
{
    CVeldraApp app(line);
    const int code = app.RunHere();
    return app.m_bStarted ? code : BATCH_NOT_STARTED;
}

bool HeadlessRequested()
{
    const char* h = std::getenv("VELDRA_HEADLESS");
    return h && std::strcmp(h, "1") == 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "--run") == 0) {
        if (argc == 3) return RunBatch(argv[2]);
        std::fprintf(stderr, "usage: veldra --run FILE.vdx\n");
        return BATCH_NOT_STARTED;
    }
    IdeCommandLine line;
    if (!ParseIdeCommandLine(argc, argv, line)) return BATCH_NOT_STARTED;

    if (HeadlessRequested()) return RunIde(line);
    // An IDE nobody can see would never end.
    if (!DisplayWanted()) {
        std::fprintf(stderr, "veldra: no display to show the IDE on; run a program without windows with: veldra --run FILE.vdx\n");
        return BATCH_NOT_STARTED;
    }
    int code = BATCH_NOT_STARTED;
    std::string why;
    if (!RunWithDisplay(argc, argv, [&] { return RunIde(line); }, &code, &why)) {
        std::fprintf(stderr, "veldra: cannot open the display (%s); run a program without windows with: veldra --run FILE.vdx\n",
                     why.c_str());
        return BATCH_NOT_STARTED;
    }
    return code;
}
