// The unit tests record what would be opened with xdg-open.
#include "tests/support/open_external_log.h"

#include <mutex>

#include "platform/afx/resources.h"

namespace {
std::mutex g_lock;
std::vector<std::string> g_log;

[[maybe_unused]] const bool g_installed = (InstallOpenExternalLog(), true);
}  // namespace

void InstallOpenExternalLog()
{
    AfxSetOpenExternalHook([](const std::string& target) {
        std::lock_guard<std::mutex> g(g_lock);
        g_log.push_back(target);
        return true;
    });
}

std::vector<std::string> AfxTakeOpenExternalLog()
{
    std::lock_guard<std::mutex> g(g_lock);
    std::vector<std::string> out;
    out.swap(g_log);
    return out;
}
