#pragma once
// The running application as the rest of the framework reaches it: its
// object, main window and name, and its message boxes. Apart from win_app.h
// so that windows, dialogs and exceptions need not see the application class.
#include <string>

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

// What documents, views and frames ask of the application and its document
// manager, so that they need not see either class.
class CDocTemplate;
struct AFX_CMDHANDLERINFO;
struct CPrintInfo;
// Adds to the application's recent-file list (none: nothing).
void AfxAddToRecentFileList(const char* path);
// The document manager's file dialog; FALSE without a manager.
BOOL AfxDoPromptFileName(std::string& path, UINT titleId, BOOL openFile, CDocTemplate* tmpl);
// The printer and paper a print job starts from (none: left as they are).
void AfxGetPrinterDeviceDefaults(CPrintInfo* info);
// The application's settings file, else null.
CSettingsFile* AfxGetAppSettings();
// Commands no window handled: the calling thread, then the application.
BOOL AfxRouteToThreadAndApp(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info);
// Whether the window is the application's main window.
bool AfxIsAppMainWnd(const CWnd* wnd);
// The application's: TRUE without one.
BOOL AfxSaveAllModified();
void AfxCloseAllDocuments(BOOL endSession);
// The calling thread's document manager's (AfxGetDocManager), if any.
void AfxDocManagerCloseAllDocuments(BOOL endSession);
