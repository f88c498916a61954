// The hidden run's state, read by the program thread's output as well.
#include "ide/run/hidden_run.h"

#include <atomic>

#include "platform/user/user.h"

namespace {
std::atomic<bool> g_hiddenRun{false};
std::atomic<int> g_recordedShow{SW_SHOWNORMAL};
}  // namespace

bool IsHiddenRun() { return g_hiddenRun.load(); }
void SetHiddenRun(bool on) { g_hiddenRun.store(on); }
bool TakeHiddenRun() { return g_hiddenRun.exchange(false); }
int RecordedShowCommand() { return g_recordedShow.load(); }
void SetRecordedShowCommand(int cmd) { g_recordedShow.store(cmd); }
