// The console device library: its application object and device profile.
#include "console_device/nerith_app.h"

#include "console_device/main_frame.h"
#include "console_device/nerith_doc.h"
#include "console_device/nerith_resources.h"
#include "console_device/nerith_settings.h"
#include "console_device/nerith_view.h"

void RegisterNerithBitmaps(HINSTANCE module);

BOOL CNerithApp::InitInstance()
{
    // There are no embedded objects: the OLE start has nothing to fail on.
    // The base reads the last four saved and opened consoles.
    CDeviceApp::InitInstance();
    LoadNerithSettings(*this);
    return TRUE;
}

void CNerithApp::SaveOnThreadExit() { SaveNerithSettings(*this); }

const DeviceProfile& TheDeviceProfile()
{
    static const DeviceProfile profile = DeviceProfileOf<CNerithApp, CNerithDoc, CMainFrame, CNerithView>(
        {.appName = "Nerith",
         .mappingName = kConsoleDeviceMappingName,
         .module = NewDeviceModuleState("Nerithx", RegisterNerithResources, {RegisterNerithBitmaps}),
         .keepCallbacks = true,
         .filteredMessage = WM_DEVICE_RESERVED,
         .initFailedPrompt = IDP_OLE_INIT_FAILED});
    return profile;
}
