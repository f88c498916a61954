// The system tests start the staged program as a child process; this process
// opens the display only for its screen grab.
#include <cstdio>
#include <gtest/gtest.h>

#include "platform/backend/display.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    setenv("VELDRA_HEADLESS", "0", 1);
    int code = 1;
    std::string why;
    if (!RunWithDisplay(argc, argv, [] { return RUN_ALL_TESTS(); }, &code, &why)) {
        fprintf(stderr, "no display: %s\n", why.c_str());
        return 77;
    }
    return code;
}
