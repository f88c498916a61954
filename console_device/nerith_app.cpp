// The console device library: its application object and device profile.
#include "console_device/nerith_app.h"

#include "console_device/main_frame.h"
#include "console_device/nerith_doc.h"
#include "console_device/nerith_resources.h"
#include "console_device/nerith_settings.h"
#include "console_device/nerith_view.h"
#include "devices/framework/device_framework.h"

void RegisterNerithBitmaps(HINSTANCE module);

CModuleState* NerithModuleState()
{
    static CModuleState* const state = [] {
        auto* s = new CModuleState("Nerithx");
        RegisterNerithResources(s->m_resources);
        RegisterNerithBitmaps(s->ResourceHandle());
        return s;
    }();
    return state;
}

CNerithApp::CNerithApp() : CWinApp("Nerith", NerithModuleState()) {}

BOOL CNerithApp::InitInstance()
{
    // There are no embedded objects: the OLE start has nothing to fail on.
    SetRegistryKey("Brenholt");
    m_pszProfileName = "Nerith";
    // Saved and opened consoles: the last four, in Nerith.conf.
    LoadStdProfileSettings(4);
    LoadNerithSettings(*this);
    return TRUE;
}

namespace {

CWinApp* CreateNerithApp()
{
    auto* app = new CNerithApp;
    if (!app->InitInstance()) {
        AfxMessageBox(AfxLoadString(IDP_OLE_INIT_FAILED).c_str());
        delete app;
        return nullptr;
    }
    return app;
}

void ShowNerithFrame(CDeviceAppThread* thread)
{
    auto* frame = static_cast<CFrameWnd*>(thread->m_pMainWnd);
    const WINDOWPLACEMENT wp = NerithSettingsCopy().placement;
    if (wp.length) SetWindowPlacement(frame->m_hWnd, &wp);
    else frame->ShowWindow(SW_SHOW);
    frame->UpdateWindow();
}

void NerithThreadExit(CDeviceAppThread*)
{
    if (CWinApp* app = AfxGetApp()) SaveNerithSettings(*app);
}

}  // namespace

const DeviceProfile& TheDeviceProfile()
{
    static const DeviceProfile profile = [] {
        DeviceProfile p;
        p.appName = "Nerith";
        p.mappingName = kConsoleDeviceMappingName;
        p.module = NerithModuleState();
        p.templateId = IDR_MAINFRAME;
        p.docClass = RUNTIME_CLASS(CNerithDoc);
        p.frameClass = RUNTIME_CLASS(CMainFrame);
        p.viewClass = RUNTIME_CLASS(CNerithView);
        p.containerResource = 0;
        p.keepCallbacks = true;
        p.hasStartDocument = false;
        p.honoursReadyEvent = false;
        p.filteredMessage = WM_DEVICE_RESERVED;
        p.createApp = CreateNerithApp;
        p.showMainWindow = ShowNerithFrame;
        p.threadExit = NerithThreadExit;
        return p;
    }();
    return profile;
}
