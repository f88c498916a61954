#include "support/fuzz_support.h"

namespace {
const std::string* g_current = nullptr;
}  // namespace

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/common_interface_defs.h>

namespace {
void PrintCurrent()
{
    if (g_current) std::fprintf(stderr, "\nInput under test:\n\"%s\"\n", Escaped(*g_current).c_str());
}
const bool g_installed = (__sanitizer_set_death_callback(PrintCurrent), true);
}  // namespace
#endif

FuzzInput::FuzzInput(const std::string& text) { g_current = &text; }
FuzzInput::~FuzzInput() { g_current = nullptr; }
