// Tests that use the display start the way the program does: the display's
// loop on the main thread, the tests on a new thread (the display tests and
// the IDE's equivalence run on the display).
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
