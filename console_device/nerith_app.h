#pragma once
// The console device's application object: settings under "Brenholt/Nerith".
#include "devices/framework/device_app.h"

class CNerithApp : public CDeviceApp {
public:
    BOOL InitInstance() override;
    void SaveOnThreadExit() override;
};
