// The protocol header is checked (its frozen layouts) wherever it is
// included; this unit makes the program itself one of those places.
#include "devices/device_protocol.h"

#include <atomic>

namespace {
std::atomic<int> g_saveFailures{0};
}

void NoteDeviceSaveFailure() { g_saveFailures.fetch_add(1); }
int DeviceSaveFailures() { return g_saveFailures.load(); }
