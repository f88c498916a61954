// Writes the help page at build time from the interpreter's own tables:
//   make_help_page OUT.html
#include <cstdio>
#include <fstream>

#include "devices/install_program_steps.h"
#include "ide/help/help_page.h"
#include "interpreter/program.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_help_page OUT.html\n");
        return 2;
    }
    InstallProgramSteps();
    CProgram program;
    program.Init(nullptr);
    const std::string page = BuildHelpPage();
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << page;
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
