// CDocManager: templates and the File commands.
#include "platform/afx/doc_manager.h"

#include "platform/afx/doc_template.h"
#include "platform/afx/document.h"
#include "platform/afx/file_dialog.h"
#include "platform/afx/frame_wnd.h"
#include "platform/afx/view.h"

CDocManager::~CDocManager()
{
    for (CDocTemplate* t : m_templates) delete t;
}

void CDocManager::AddDocTemplate(CDocTemplate* tmpl) { m_templates.push_back(tmpl); }

void CDocManager::OnFileNew()
{
    if (!m_templates.empty()) m_templates.front()->OpenDocumentFile(nullptr);
}

void CDocManager::OnFileOpen()
{
    std::string path;
    if (!DoPromptFileName(path, 0, TRUE, nullptr)) return;
    OpenDocumentFile(path.c_str());
}

CDocument* CDocManager::OpenDocumentFile(const char* path)
{
    if (!path || !*path) return nullptr;
    CDocTemplate* best = nullptr;
    CDocTemplate::Confidence bestMatch = CDocTemplate::noAttempt;
    CDocument* open = nullptr;
    for (CDocTemplate* t : m_templates) {
        CDocument* match = nullptr;
        CDocTemplate::Confidence c = t->MatchDocType(path, match);
        if (c > bestMatch) {
            bestMatch = c;
            best = t;
            open = match;
        }
        if (c == CDocTemplate::yesAlreadyOpen) break;
    }
    if (open) {
        // Bring its frame forward.
        if (!open->Views().empty())
            if (CFrameWnd* f = open->Views().front()->GetParentFrame()) f->ActivateFrame();
        return open;
    }
    return best ? best->OpenDocumentFile(path) : nullptr;
}

BOOL CDocManager::DoPromptFileName(std::string& path, UINT, BOOL openFile, CDocTemplate* tmpl)
{
    std::string filter, ext;
    CDocTemplate* t = tmpl ? tmpl : (m_templates.empty() ? nullptr : m_templates.front());
    if (t && t->GetDocString(filter, CDocTemplate::filterName) && t->GetDocString(ext, CDocTemplate::filterExt))
        filter += "|*" + ext + "|";
    filter += "All Files (*.*)|*.*||";
    if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
    CFileDialog dlg(openFile, ext.empty() ? nullptr : ext.c_str(), path.c_str(),
                    openFile ? OFN_FILEMUSTEXIST : OFN_OVERWRITEPROMPT, filter.c_str());
    if (dlg.DoModal() != 1) return FALSE;
    path = dlg.GetPathName();
    return TRUE;
}

BOOL CDocManager::SaveAllModified()
{
    for (CDocTemplate* t : m_templates)
        if (!t->SaveAllModified()) return FALSE;
    return TRUE;
}

void CDocManager::CloseAllDocuments(BOOL endSession)
{
    for (CDocTemplate* t : m_templates) t->CloseAllDocuments(endSession);
}

int CDocManager::GetOpenDocumentCount() const
{
    int n = 0;
    for (CDocTemplate* t : m_templates) n += (int)t->Documents().size();
    return n;
}
