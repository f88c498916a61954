#pragma once
// CWinApp: the application object of one deliverable. It lives in a module
// state (the program's by default, a library passes its own) and is the
// CWinThread of the thread that runs it. Profile functions and the
// recent-file list keep their values in the module's settings file,
// Brenholt/<string 57344>.conf.
#include <memory>
#include <string>
#include <vector>

#include "platform/afx/app_access.h"
#include "platform/afx/win_thread.h"

class CDocManager;
class CDocTemplate;
class CDocument;
class CRecentFileList;
class CSettingsFile;

class CWinApp : public CWinThread {
    DECLARE_DYNAMIC(CWinApp)
public:
    // A null module state takes the program's.
    explicit CWinApp(const char* appName = nullptr, CModuleState* state = nullptr);
    ~CWinApp() override;

    // Runs the application on the calling thread (InitInstance, Run).
    int RunHere();
    // Runs it on a new thread of its own (a device or a test library).
    BOOL RunOnNewThread(SIZE_T stackSize = 0);

    BOOL InitInstance() override;
    int ExitInstance() override;
    CWnd* GetMainWnd() override { return m_pMainWnd; }

    // Settings.
    void SetRegistryKey(const char* company) { m_strRegistryKey = company ? company : ""; }
    CSettingsFile& Settings();
    UINT GetProfileInt(const char* section, const char* entry, int defaultValue);
    std::string GetProfileString(const char* section, const char* entry, const char* defaultValue = "");
    BOOL GetProfileBinary(const char* section, const char* entry, std::vector<uint8_t>& data);
    BOOL WriteProfileInt(const char* section, const char* entry, int value);
    // A null value deletes the entry; a null entry deletes the section.
    BOOL WriteProfileString(const char* section, const char* entry, const char* value);
    BOOL WriteProfileBinary(const char* section, const char* entry, const uint8_t* data, size_t size);
    BOOL HasProfileSection(const char* section);
    BOOL DeleteProfileSection(const char* section);

    // Documents.
    void AddDocTemplate(CDocTemplate* tmpl);
    virtual CDocument* OpenDocumentFile(const char* path);
    virtual void AddToRecentFileList(const char* path);
    void LoadStdProfileSettings(UINT maxMru = 4);
    void SaveStdProfileSettings();
    BOOL SaveAllModified();
    void CloseAllDocuments(BOOL endSession);
    CDocManager* m_pDocManager = nullptr;
    CRecentFileList* m_pRecentFileList = nullptr;

    // The message box of this application (caption: the application title).
    virtual int DoMessageBox(const char* text, UINT type, UINT helpId);

    std::string m_pszAppName;       // the title (string 57344 when present)
    std::string m_pszProfileName;   // the settings file's <App>
    std::string m_strRegistryKey = "Brenholt";

    void OnFileNew();
    void OnFileOpen();
    void OnAppExit();
    // Print setup: the printer and paper the next print job starts from.
    void OnFilePrintSetup();
    void GetPrinterDeviceDefaults(struct CPrintInfo* info) const;
    std::string m_strPrinter;   // empty: "PDF file"
    BOOL m_bLetter = FALSE;
    int m_nOrientation = 1;   // DMORIENT_PORTRAIT or DMORIENT_LANDSCAPE

protected:
    DECLARE_MESSAGE_MAP()
    BOOL OnOpenRecentFile(UINT nID);
    void OnUpdateRecentFileMenu(CCmdUI* ui);
    void ResolveNames();
};

