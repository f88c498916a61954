// The plot device library: its application object and device profile.
#include "plot_device/quorra_app.h"

#include "graphics/graph.h"
#include "platform/afx/recent_file_list.h"
#include "platform/afx/settings_file.h"
#include "plot_device/main_frame.h"
#include "plot_device/quorra_doc.h"
#include "plot_device/quorra_resources.h"
#include "plot_device/quorra_view.h"

void RegisterQuorraBitmaps(HINSTANCE module);

void CQuorraApp::AddToRecentFileList(const char* path)
{
    std::lock_guard<std::mutex> g(m_recentLock);
    if (m_pRecentFileList && path) m_pRecentFileList->Add(path);
}

void CQuorraApp::SaveOnThreadExit()
{
    std::lock_guard<std::mutex> g(m_recentLock);
    if (CSettingsFile::IsWriteProtected()) return;
    SaveStdProfileSettings();
    if (Settings().LastWriteError()) ReportSettingsWriteFailure(Settings());
}

const DeviceProfile& TheDeviceProfile()
{
    static const DeviceProfile profile = DeviceProfileOf<CQuorraApp, CQuorraDoc, CMainFrame, CQuorraView>(
        {.appName = "Quorra",
         .mappingName = kPlotDeviceMappingName,
         .module = NewDeviceModuleState("Quorrax", RegisterQuorraResources, {RegisterQuorraBitmaps, RegisterGraphResources}),
         .hasStartDocument = true,
         .honoursReadyEvent = true});
    return profile;
}
