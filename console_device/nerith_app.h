#pragma once
// The console device's application object: settings under "Brenholt/Nerith".
#include "platform/afx/module_state.h"
#include "platform/afx/win_app.h"

class CNerithApp : public CWinApp {
public:
    CNerithApp();
    BOOL InitInstance() override;
};

CModuleState* NerithModuleState();
