// The IDE application object and the state the IDE's windows share.
#include "ide/app.h"

#include <atomic>
#include <mutex>

namespace {
std::atomic<bool> g_hiddenRun{false};
std::atomic<int> g_recordedShow{SW_SHOWNORMAL};
CVeldraApp* g_app = nullptr;
}  // namespace

bool IsHiddenRun() { return g_hiddenRun.load(); }
void SetHiddenRun(bool on) { g_hiddenRun.store(on); }
void EndHiddenRun() { g_hiddenRun.store(false); }
int RecordedShowCommand() { return g_recordedShow.load(); }
void SetRecordedShowCommand(int cmd) { g_recordedShow.store(cmd); }
CVeldraApp* GetVeldraApp() { return g_app; }

CMainFrame* GetMainFrame() { return nullptr; }
