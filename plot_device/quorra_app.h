#pragma once
// The plot device's application object: settings under "Brenholt/Quorra",
// the recent-file list every plot window of the process shares.
#include <mutex>

#include "platform/afx/module_state.h"
#include "platform/afx/win_app.h"

class CQuorraApp : public CWinApp {
public:
    CQuorraApp();
    BOOL InitInstance() override;
    // Adds to the shared list; the file is written when a plot thread ends.
    void AddToRecentFileList(const char* path) override;
    // Writes the list, one thread at a time; never in batch runs.
    void SaveRecentFiles();

private:
    std::mutex m_recentLock;
};

CModuleState* QuorraModuleState();
