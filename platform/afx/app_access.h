#pragma once
// The running application as the rest of the framework reaches it: its
// object, main window and name, and its message boxes. Apart from win_app.h
// so that windows, dialogs and exceptions need not see the application class.
#include "platform/types.h"

class CDocManager;
class CSettingsFile;
class CWinApp;
class CWnd;

// The application of the calling thread's CWinThread, else of the current module.
CWinApp* AfxGetApp();
// The document manager of the calling thread's CWinThread, else of the application.
CDocManager* AfxGetDocManager();
// The main window of the calling thread's CWinThread, else of the application.
CWnd* AfxGetMainWnd();
const char* AfxGetAppName();
int AfxMessageBox(const char* text, UINT type = 0, UINT helpId = 0);
// Tells the user that the settings file could not be written (the old one stays).
void ReportSettingsWriteFailure(CSettingsFile& store);
int AfxMessageBox(UINT textId, UINT type = 0, UINT helpId = 0);
// Posts WM_QUIT to the calling thread.
void AfxPostQuitMessage(int code);
