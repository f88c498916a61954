// The one hook that may stand in for the user at a common dialog.
#include "platform/afx/common_dialog_hook.h"

#include <atomic>

namespace {
std::atomic<CCommonDialogHook*> g_hook{nullptr};
}  // namespace

void SetCommonDialogHook(CCommonDialogHook* hook) { g_hook.store(hook); }

bool AskCommonDialogHook(const CommonDialogRequest& request, CommonDialogAnswer& answer)
{
    CCommonDialogHook* hook = g_hook.load();
    return hook && hook->Answer(request, answer);
}

void TellCommonDialogHookClosed(int result)
{
    if (CCommonDialogHook* hook = g_hook.load()) hook->Closed(result);
}
