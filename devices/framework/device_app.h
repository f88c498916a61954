#pragma once
// The application skeleton of a device library: its module state, its one
// application object (settings file Brenholt/<app>.conf with the last four
// files) and the profile that names the library's classes.
#include <initializer_list>

#include "devices/framework/device_framework.h"
#include "platform/afx/resources.h"

// The library's module state ("Quorrax") with its resource tables and the
// bitmaps each of `bitmaps` registers under its handle.
CModuleState* NewDeviceModuleState(const char* name, void (*registerResources)(CResourceTable& table),
                                   std::initializer_list<void (*)(HINSTANCE module)> bitmaps);

// The application object of the profile's module, shared by every window of
// the library.
class CDeviceApp : public CWinApp {
public:
    CDeviceApp();
    BOOL InitInstance() override;
    // On a device thread before its end: what the application keeps over
    // windows (the recent-file list, settings).
    virtual void SaveOnThreadExit() {}
};

// Runs the application's initialisation; null, after the profile's prompt,
// when it fails.
CWinApp* StartDeviceApp(CDeviceApp* app);

template <class App>
CWinApp* CreateDeviceApp()
{
    return StartDeviceApp(new App);
}

// `p` with the library's application, document, frame and view classes.
template <class App, class Doc, class Frame, class View>
DeviceProfile DeviceProfileOf(DeviceProfile p)
{
    p.docClass = Doc::StaticRuntimeClass();
    p.frameClass = Frame::StaticRuntimeClass();
    p.viewClass = View::StaticRuntimeClass();
    p.createApp = CreateDeviceApp<App>;
    return p;
}
