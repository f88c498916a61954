#pragma once
// The address space the process has now, for tests that set a limit a little above it.
#include <cstddef>
#include <fstream>

#include <unistd.h>

inline size_t AddressSpaceNow()
{
    std::ifstream in("/proc/self/statm");
    size_t pages = 0;
    in >> pages;
    return pages * (size_t)sysconf(_SC_PAGESIZE);
}
