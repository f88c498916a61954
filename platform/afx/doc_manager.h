#pragma once
// CDocManager: the application's document templates; File New, File Open,
// opening a path (an already-open document is activated instead), and the
// file-name prompt.
#include <string>
#include <vector>

#include "platform/afx/object.h"
#include "platform/types.h"

class CDocTemplate;
class CDocument;

class CDocManager {
public:
    virtual ~CDocManager();
    void AddDocTemplate(CDocTemplate* tmpl);
    const std::vector<CDocTemplate*>& Templates() const { return m_templates; }

    virtual void OnFileNew();
    virtual void OnFileOpen();
    virtual CDocument* OpenDocumentFile(const char* path);
    // The file dialog; `path` in: the proposal, out: the choice.
    virtual BOOL DoPromptFileName(std::string& path, UINT titleId, BOOL openFile, CDocTemplate* tmpl);
    virtual BOOL SaveAllModified();
    virtual void CloseAllDocuments(BOOL endSession);
    int GetOpenDocumentCount() const;

private:
    std::vector<CDocTemplate*> m_templates;
};
