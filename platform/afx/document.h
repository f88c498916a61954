#pragma once
// CDocument: the data behind views. Loading reads the whole file and runs
// Serialize, then clears the modified flag; saving serializes into memory and
// replaces the file atomically (a temporary file in the same folder, then
// rename; mode bits kept, symlinks followed), so a failed save keeps the old
// file. Every load and save failure goes through ReportSaveLoadException.
#include <functional>
#include <string>
#include <vector>

#include "platform/afx/archive.h"
#include "platform/afx/atomic_file.h"
#include "platform/afx/cmd_target.h"

class CDocTemplate;
class CDocument;
class CView;
class CFrameWnd;
class CException;
typedef void* POSITION;

// What a document asks of the template that holds it: CDocTemplate
// implements it and hands itself down in AddDocument.
class IDocumentOwner {
public:
    virtual void RemoveDocument(CDocument* doc) = 0;
    // The commands the document did not handle.
    virtual BOOL RouteCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info) = 0;

protected:
    ~IDocumentOwner() = default;
};

class CDocument : public CCmdTarget {
    DECLARE_DYNAMIC(CDocument)
public:
    CDocument();
    ~CDocument() override;

    const std::string& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(const char* title);
    const std::string& GetPathName() const { return m_strPathName; }
    virtual void SetPathName(const char* path, BOOL addToMru = TRUE);
    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }
    virtual BOOL IsModified() { return m_bModified; }
    virtual void SetModifiedFlag(BOOL modified = TRUE) { m_bModified = modified; }

    void AddView(CView* view);
    void RemoveView(CView* view);
    POSITION GetFirstViewPosition() const;
    CView* GetNextView(POSITION& pos) const;
    const std::vector<CView*>& Views() const { return m_views; }
    void UpdateAllViews(CView* sender, LPARAM hint = 0, CObject* hintObject = nullptr);
    void UpdateFrameCounts();

    virtual BOOL OnNewDocument();
    virtual BOOL OnOpenDocument(const char* path);
    virtual BOOL OnSaveDocument(const char* path);
    virtual void OnCloseDocument();
    virtual void DeleteContents() {}
    // True for a document whose failed OnOpenDocument changed nothing: the
    // single-document template then keeps it as it was instead of emptying it.
    virtual BOOL KeepsContentOnFailedOpen() const { return FALSE; }
    virtual BOOL CanCloseFrame(CFrameWnd* frame);
    // Asks "Save changes to ...?" when modified; FALSE when the user cancels
    // or the save fails.
    virtual BOOL SaveModified();
    // The one place load and save failures are reported.
    virtual void ReportSaveLoadException(const char* path, CException* e, BOOL saving, UINT defaultId);
    virtual BOOL DoSave(const char* path, BOOL replace = TRUE);
    virtual BOOL DoFileSave();
    void OnFileSave() { DoFileSave(); }
    void OnFileSaveAs() { DoSave(nullptr); }
    void OnFileClose();

    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info) override;

    CDocTemplate* m_pDocTemplate = nullptr;
    IDocumentOwner* m_pOwner = nullptr;   // the same template, set with it
    BOOL m_bAutoDelete = TRUE;
    BOOL m_bEmbedded = FALSE;

protected:
    DECLARE_MESSAGE_MAP()
    virtual void OnChangedViewList();

    std::string m_strTitle;
    std::string m_strPathName;
    BOOL m_bModified = FALSE;
    std::vector<CView*> m_views;
};

