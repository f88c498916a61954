#pragma once
// Document templates: which document, frame and view classes a resource id
// brings together. The resource string holds "\n"-separated parts: window
// title, document name, file-new name, filter name, filter extension.
#include <string>
#include <vector>

#include "platform/afx/cmd_target.h"
#include "platform/afx/create_context.h"
#include "platform/afx/document.h"

class CFrameWnd;
class CWnd;

class CDocTemplate : public CCmdTarget, public IDocumentOwner {
    DECLARE_DYNAMIC(CDocTemplate)
public:
    enum DocStringIndex { windowTitle, docName, fileNewName, filterName, filterExt, regFileTypeId, regFileTypeName };
    enum Confidence { noAttempt, maybeAttemptForeign, maybeAttemptNative, yesAttemptForeign, yesAttemptNative, yesAlreadyOpen };

    CDocTemplate(UINT idResource, const CRuntimeClass* docClass, const CRuntimeClass* frameClass, const CRuntimeClass* viewClass);

    bool GetDocString(std::string& out, DocStringIndex index) const;
    virtual void AddDocument(CDocument* doc);
    void RemoveDocument(CDocument* doc) override;
    BOOL RouteCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info) override;
    const std::vector<CDocument*>& Documents() const { return m_docs; }

    virtual CDocument* CreateNewDocument();
    virtual CFrameWnd* CreateNewFrame(CDocument* doc, CFrameWnd* other);
    virtual void InitialUpdateFrame(CFrameWnd* frame, CDocument* doc, BOOL makeVisible = TRUE);
    virtual void SetDefaultTitle(CDocument* doc) = 0;
    virtual CDocument* OpenDocumentFile(const char* path, BOOL makeVisible = TRUE) = 0;
    virtual Confidence MatchDocType(const char* path, CDocument*& match);
    virtual BOOL SaveAllModified();
    virtual void CloseAllDocuments(BOOL endSession);

    UINT m_nIDResource;
    const CRuntimeClass* m_pDocClass;
    const CRuntimeClass* m_pFrameClass;
    const CRuntimeClass* m_pViewClass;

protected:
    void LoadDocString();
    std::string m_strDocStrings;
    bool m_docStringLoaded = false;
    std::vector<CDocument*> m_docs;
};

// One document at a time (SDI): opening another reuses the document and frame.
class CSingleDocTemplate : public CDocTemplate {
    DECLARE_DYNAMIC(CSingleDocTemplate)
public:
    using CDocTemplate::CDocTemplate;
    void SetDefaultTitle(CDocument* doc) override;
    CDocument* OpenDocumentFile(const char* path, BOOL makeVisible = TRUE) override;
};

// A document and child frame per file (MDI); untitled ones count up: "Name1".
class CMultiDocTemplate : public CDocTemplate {
    DECLARE_DYNAMIC(CMultiDocTemplate)
public:
    using CDocTemplate::CDocTemplate;
    void SetDefaultTitle(CDocument* doc) override;
    CDocument* OpenDocumentFile(const char* path, BOOL makeVisible = TRUE) override;
    HMENU m_hMenuShared = nullptr;

private:
    UINT m_nUntitledCount = 0;
};
