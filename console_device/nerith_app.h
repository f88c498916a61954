#pragma once
// The console device's application object: settings under "Brenholt/Nerith".
#include "platform/afx/afx.h"

class CNerithApp : public CWinApp {
public:
    CNerithApp();
    BOOL InitInstance() override;
};

CModuleState* NerithModuleState();
