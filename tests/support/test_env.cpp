// Every test process sees the same environment, however it is started.
#include <cstdlib>
#include <string>

#include "devices/install_program_steps.h"

namespace {
struct TestEnvironment {
    TestEnvironment()
    {
        std::string build = VELDRA_TEST_BUILD_DIR;
        setenv("VELDRA_CONFIG_HOME", (build + "/test-config").c_str(), 0);
        // An IDE started by a test writes its desktop files here, never into the user's.
        setenv("XDG_DATA_HOME", (build + "/test-data").c_str(), 1);
        setenv("VELDRA_HEADLESS", "1", 0);
        setenv("VELDRA_OUT", (build + "/out").c_str(), 0);
        setenv("VELDRA_SOURCE", VELDRA_TEST_SOURCE_DIR, 0);
        // Programs run with the libraries, devices and modules, as in the program.
        InstallProgramSteps();
    }
} g_testEnvironment;
}  // namespace
