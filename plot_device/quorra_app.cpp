// The plot device library: its application object and device profile.
#include "plot_device/quorra_app.h"

#include "devices/framework/device_framework.h"
#include "graphics/graph.h"
#include "platform/afx/recent_file_list.h"
#include "platform/afx/settings_file.h"
#include "plot_device/main_frame.h"
#include "plot_device/quorra_doc.h"
#include "plot_device/quorra_resources.h"
#include "plot_device/quorra_view.h"

void RegisterQuorraBitmaps(HINSTANCE module);

CModuleState* QuorraModuleState()
{
    static CModuleState* const state = [] {
        auto* s = new CModuleState("Quorrax");
        RegisterQuorraResources(s->m_resources);
        RegisterQuorraBitmaps(s->ResourceHandle());
        RegisterGraphResources(s->ResourceHandle());
        return s;
    }();
    return state;
}

CQuorraApp::CQuorraApp() : CWinApp("Quorra", QuorraModuleState()) {}

BOOL CQuorraApp::InitInstance()
{
    SetRegistryKey("Brenholt");
    m_pszProfileName = "Quorra";
    LoadStdProfileSettings(4);
    return TRUE;
}

void CQuorraApp::AddToRecentFileList(const char* path)
{
    std::lock_guard<std::mutex> g(m_recentLock);
    if (m_pRecentFileList && path) m_pRecentFileList->Add(path);
}

void CQuorraApp::SaveRecentFiles()
{
    std::lock_guard<std::mutex> g(m_recentLock);
    if (CSettingsFile::IsWriteProtected()) return;
    SaveStdProfileSettings();
    if (Settings().LastWriteError()) ReportSettingsWriteFailure(Settings());
}

namespace {

CWinApp* CreateQuorraApp()
{
    auto* app = new CQuorraApp;
    app->InitInstance();
    return app;
}

void ShowQuorraFrame(CDeviceAppThread* thread)
{
    auto* frame = static_cast<CFrameWnd*>(thread->m_pMainWnd);
    frame->ActivateFrame(SW_SHOW);
    if (frame->m_hWnd) frame->UpdateWindow();
}

void QuorraThreadExit(CDeviceAppThread*)
{
    if (auto* app = dynamic_cast<CQuorraApp*>(AfxGetApp())) app->SaveRecentFiles();
}

}  // namespace

const DeviceProfile& TheDeviceProfile()
{
    static const DeviceProfile profile = [] {
        DeviceProfile p;
        p.appName = "Quorra";
        p.mappingName = kPlotDeviceMappingName;
        p.module = QuorraModuleState();
        p.templateId = IDR_MAINFRAME;
        p.docClass = RUNTIME_CLASS(CQuorraDoc);
        p.frameClass = RUNTIME_CLASS(CMainFrame);
        p.viewClass = RUNTIME_CLASS(CQuorraView);
        p.containerResource = 0;
        p.keepCallbacks = false;
        p.hasStartDocument = true;
        p.honoursReadyEvent = true;
        p.filteredMessage = 0;
        p.createApp = CreateQuorraApp;
        p.showMainWindow = ShowQuorraFrame;
        p.threadExit = QuorraThreadExit;
        return p;
    }();
    return profile;
}
