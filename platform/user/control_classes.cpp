// The controls' registration, handed down by the controls' level.
#include <atomic>

#include "platform/user/control_messages.h"

namespace {
std::atomic<void (*)()> g_controlRegistrar{nullptr};
}  // namespace

void SetControlClassRegistrar(void (*registerClasses)()) { g_controlRegistrar.store(registerClasses); }

void EnsureControlClasses()
{
    if (void (*registerClasses)() = g_controlRegistrar.load()) registerClasses();
}
