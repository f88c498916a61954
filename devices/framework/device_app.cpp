// The application skeleton of a device library (see device_app.h).
#include "devices/framework/device_app.h"


CModuleState* NewDeviceModuleState(const char* name, void (*registerResources)(CResourceTable& table),
                                   std::initializer_list<void (*)(HINSTANCE module)> bitmaps)
{
    auto* state = new CModuleState(name);
    registerResources(state->m_resources);
    for (auto registerBitmaps : bitmaps) registerBitmaps(state->ResourceHandle());
    return state;
}

CDeviceApp::CDeviceApp() : CWinApp(TheDeviceProfile().appName, TheDeviceProfile().module) {}

BOOL CDeviceApp::InitInstance()
{
    SetRegistryKey("Brenholt");
    m_pszProfileName = TheDeviceProfile().appName;
    LoadStdProfileSettings(4);
    return TRUE;
}

CWinApp* StartDeviceApp(CDeviceApp* app)
{
    if (app->InitInstance()) return app;
    if (UINT prompt = TheDeviceProfile().initFailedPrompt) AfxMessageBox(AfxLoadString(prompt).c_str());
    delete app;
    return nullptr;
}
