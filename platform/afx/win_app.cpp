// CWinApp: names, settings, documents and the recent-file list.
#include "platform/afx/win_app.h"

#include <cerrno>
#include <cstring>

#include "platform/afx/afx_ids.h"
#include "platform/afx/cmd_ui.h"
#include "platform/afx/doc_manager.h"
#include "platform/afx/print_dialog.h"
#include "platform/afx/document.h"
#include "platform/afx/recent_file_list.h"
#include "platform/afx/resources.h"
#include "platform/afx/settings_file.h"
#include "platform/afx/wnd.h"
#include "platform/kernel/kernel.h"

IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
    ON_COMMAND(ID_FILE_NEW, OnFileNew)
    ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
    ON_COMMAND(ID_APP_EXIT, OnAppExit)
    ON_COMMAND(ID_FILE_PRINT_SETUP, OnFilePrintSetup)
    ON_COMMAND_EX_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE16, OnOpenRecentFile)
    ON_UPDATE_COMMAND_UI(ID_FILE_MRU_FILE1, OnUpdateRecentFileMenu)
END_MESSAGE_MAP()

CWinApp::CWinApp(const char* appName, CModuleState* state)
{
    m_pModuleState = state ? state : AfxGetProgramModuleState();
    m_pModuleState->m_pCurrentWinApp = this;
    m_pOwnerApp = this;
    m_bAutoDelete = FALSE;
    if (appName) m_pszAppName = appName;
}

CWinApp::~CWinApp()
{
    delete m_pDocManager;
    delete m_pRecentFileList;
    if (m_pModuleState->m_pCurrentWinApp == this) m_pModuleState->m_pCurrentWinApp = nullptr;
}

void CWinApp::ResolveNames()
{
    std::string title;
    bool hasTitle = m_pModuleState->m_resources.FindString(AFX_IDS_APP_TITLE, title);
    if (m_pszAppName.empty()) m_pszAppName = hasTitle ? title : std::string(m_pModuleState->m_lpszName);
    if (m_pszProfileName.empty()) m_pszProfileName = hasTitle ? title : m_pszAppName;
}

int CWinApp::RunHere()
{
    ResolveNames();
    return AfxRunThreadHere(this);
}

BOOL CWinApp::RunOnNewThread(SIZE_T stackSize)
{
    ResolveNames();
    return CreateThread(0, stackSize);
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance()
{
    SaveStdProfileSettings();
    return CWinThread::ExitInstance();
}

CSettingsFile& CWinApp::Settings()
{
    ResolveNames();
    return CSettingsFile::Open(SettingsFilePath(m_strRegistryKey, m_pszProfileName));
}

UINT CWinApp::GetProfileInt(const char* section, const char* entry, int defaultValue)
{
    uint32_t v = 0;
    return Settings().GetInt(section, entry, v) ? v : (UINT)defaultValue;
}

std::string CWinApp::GetProfileString(const char* section, const char* entry, const char* defaultValue)
{
    std::string v;
    return Settings().GetString(section, entry, v) ? v : std::string(defaultValue ? defaultValue : "");
}

BOOL CWinApp::GetProfileBinary(const char* section, const char* entry, std::vector<uint8_t>& data)
{
    return Settings().GetBinary(section, entry, data) ? TRUE : FALSE;
}

BOOL CWinApp::WriteProfileInt(const char* section, const char* entry, int value)
{
    return Settings().WriteInt(section, entry, (uint32_t)value) ? TRUE : FALSE;
}

BOOL CWinApp::WriteProfileString(const char* section, const char* entry, const char* value)
{
    if (!entry) return Settings().DeleteSection(section) ? TRUE : FALSE;
    if (!value) return Settings().DeleteValue(section, entry) ? TRUE : FALSE;
    return Settings().WriteString(section, entry, value) ? TRUE : FALSE;
}

BOOL CWinApp::WriteProfileBinary(const char* section, const char* entry, const uint8_t* data, size_t size)
{
    return Settings().WriteBinary(section, entry, data, size) ? TRUE : FALSE;
}

BOOL CWinApp::HasProfileSection(const char* section) { return Settings().HasSection(section) ? TRUE : FALSE; }
BOOL CWinApp::DeleteProfileSection(const char* section) { return Settings().DeleteSection(section) ? TRUE : FALSE; }

void CWinApp::AddDocTemplate(CDocTemplate* tmpl)
{
    if (!m_pDocManager) m_pDocManager = new CDocManager;
    m_pDocManager->AddDocTemplate(tmpl);
}

CDocument* CWinApp::OpenDocumentFile(const char* path)
{
    // A device library's threads keep their own managers: the calling
    // thread's one opens the file.
    CDocManager* manager = AfxGetDocManager();
    return manager ? manager->OpenDocumentFile(path) : nullptr;
}

void CWinApp::AddToRecentFileList(const char* path)
{
    if (!m_pRecentFileList || !path) return;
    m_pRecentFileList->Add(path);
    // Kept at once: a device library's list is shared by its threads.
    m_pRecentFileList->WriteList(Settings());
}

void CWinApp::LoadStdProfileSettings(UINT maxMru)
{
    delete m_pRecentFileList;
    m_pRecentFileList = nullptr;
    if (maxMru == 0) return;
    m_pRecentFileList = new CRecentFileList(ID_FILE_MRU_FILE1, "Recent File List", "File%d", (int)maxMru);
    m_pRecentFileList->ReadList(Settings());
}

void CWinApp::SaveStdProfileSettings()
{
    if (m_pRecentFileList) m_pRecentFileList->WriteList(Settings());
}

BOOL CWinApp::SaveAllModified() { return m_pDocManager ? m_pDocManager->SaveAllModified() : TRUE; }

void CWinApp::CloseAllDocuments(BOOL endSession)
{
    if (m_pDocManager) m_pDocManager->CloseAllDocuments(endSession);
}

void CWinApp::OnFileNew()
{
    if (m_pDocManager) m_pDocManager->OnFileNew();
}

void CWinApp::OnFileOpen()
{
    if (m_pDocManager) m_pDocManager->OnFileOpen();
}

void CWinApp::OnAppExit()
{
    if (CWnd* main = AfxGetMainWnd()) main->SendMessage(WM_CLOSE);
}

BOOL CWinApp::OnOpenRecentFile(UINT nID)
{
    if (!m_pRecentFileList) return FALSE;
    int index = (int)(nID - ID_FILE_MRU_FILE1);
    std::string path = m_pRecentFileList->Get(index);
    if (path.empty()) return FALSE;
    if (!OpenDocumentFile(path.c_str())) m_pRecentFileList->Remove(index);
    return TRUE;
}

void CWinApp::OnUpdateRecentFileMenu(CCmdUI* ui)
{
    if (!m_pRecentFileList) {
        ui->Enable(FALSE);
        return;
    }
    m_pRecentFileList->UpdateMenu(ui);
}

void CWinApp::OnFilePrintSetup()
{
    // The dialog opens on the current choice, paper included.
    CPrintDialog dlg(TRUE, m_bLetter);
    if (!m_strPrinter.empty()) dlg.m_printer = m_strPrinter;
    dlg.m_orientation = m_nOrientation;
    if (dlg.DoModal() != IDOK) return;
    m_strPrinter = dlg.GetDeviceName();
    m_bLetter = dlg.IsLetter();
    m_nOrientation = dlg.GetOrientation();
}

void CWinApp::GetPrinterDeviceDefaults(CPrintInfo* info) const
{
    if (!m_strPrinter.empty()) info->m_strPrinter = m_strPrinter;
    info->m_paperWidth = m_bLetter ? 2159 : 2100;
    info->m_paperLength = m_bLetter ? 2794 : 2970;
    info->m_orientation = m_nOrientation;
}

int CWinApp::DoMessageBox(const char* text, UINT type, UINT)
{
    CWnd* main = AfxGetMainWnd();
    HWND owner = main && main->m_hWnd && GetWindowThreadProcessId(main->m_hWnd, nullptr) == GetCurrentThreadId()
                     ? main->m_hWnd
                     : nullptr;
    if (HWND active = GetActiveWindow()) owner = active;
    ResolveNames();
    return ::MessageBox(owner, text, m_pszAppName.c_str(), type);
}

CWinApp* AfxGetApp()
{
    if (CWinThread* t = AfxGetThread())
        if (t->m_pOwnerApp) return t->m_pOwnerApp;
    return AfxGetModuleState()->m_pCurrentWinApp;
}

CDocManager* AfxGetDocManager()
{
    if (CWinThread* t = AfxGetThread())
        if (CDocManager* d = t->GetThreadDocManager()) return d;
    CWinApp* app = AfxGetApp();
    return app ? app->m_pDocManager : nullptr;
}

CWnd* AfxGetMainWnd()
{
    if (CWinThread* t = AfxGetThread())
        if (CWnd* w = t->GetMainWnd()) return w;
    CWinApp* app = AfxGetApp();
    return app ? app->m_pMainWnd : nullptr;
}

const char* AfxGetAppName()
{
    CWinApp* app = AfxGetApp();
    return app ? app->m_pszAppName.c_str() : "";
}

int AfxMessageBox(const char* text, UINT type, UINT helpId)
{
    if (CWinApp* app = AfxGetApp()) return app->DoMessageBox(text, type, helpId);
    return ::MessageBox(nullptr, text, nullptr, type);
}

int AfxMessageBox(UINT textId, UINT type, UINT helpId)
{
    return AfxMessageBox(AfxLoadString(textId).c_str(), type, helpId);
}

void AfxPostQuitMessage(int code) { PostQuitMessage(code); }

void ReportSettingsWriteFailure(CSettingsFile& store)
{
    const int e = store.LastWriteError();
    const std::string text = "Cannot save the settings to '" + store.Path() + "': " + std::strerror(e ? e : EIO);
    AfxMessageBox(text.c_str(), MB_ICONEXCLAMATION);
}

void AfxAddToRecentFileList(const char* path)
{
    if (CWinApp* app = AfxGetApp()) app->AddToRecentFileList(path);
}

BOOL AfxDoPromptFileName(std::string& path, UINT titleId, BOOL openFile, CDocTemplate* tmpl)
{
    CDocManager* manager = AfxGetDocManager();
    return manager && manager->DoPromptFileName(path, titleId, openFile, tmpl);
}

void AfxGetPrinterDeviceDefaults(CPrintInfo* info)
{
    if (CWinApp* app = AfxGetApp()) app->GetPrinterDeviceDefaults(info);
}

CSettingsFile* AfxGetAppSettings()
{
    CWinApp* app = AfxGetApp();
    return app ? &app->Settings() : nullptr;
}

BOOL AfxRouteToThreadAndApp(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info)
{
    CWinApp* app = AfxGetApp();
    CWinThread* thread = AfxGetThread();
    if (thread && static_cast<CCmdTarget*>(thread) != app && thread->OnCmdMsg(nID, nCode, pExtra, info)) return TRUE;
    return app && app->OnCmdMsg(nID, nCode, pExtra, info);
}

bool AfxIsAppMainWnd(const CWnd* wnd)
{
    CWinApp* app = AfxGetApp();
    return app && app->m_pMainWnd == wnd;
}

BOOL AfxSaveAllModified()
{
    CWinApp* app = AfxGetApp();
    return app ? app->SaveAllModified() : TRUE;
}

void AfxCloseAllDocuments(BOOL endSession)
{
    if (CWinApp* app = AfxGetApp()) app->CloseAllDocuments(endSession);
}

void AfxDocManagerCloseAllDocuments(BOOL endSession)
{
    if (CDocManager* manager = AfxGetDocManager()) manager->CloseAllDocuments(endSession);
}
