#pragma once
// The plot device's application object: settings under "Brenholt/Quorra",
// the recent-file list every plot window of the process shares.
#include <mutex>

#include "devices/framework/device_app.h"

class CQuorraApp : public CDeviceApp {
public:
    // Adds to the shared list; the file is written when a plot thread ends.
    void AddToRecentFileList(const char* path) override;
    // Writes the list, one thread at a time; never in batch runs.
    void SaveOnThreadExit() override;

private:
    std::mutex m_recentLock;
};
