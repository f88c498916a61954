// Document templates: single and multiple documents.
#include "platform/afx/doc_template.h"

#include <filesystem>

#include "platform/afx/document.h"
#include "platform/afx/exception.h"
#include "platform/afx/frame_wnd.h"
#include "platform/afx/resources.h"
#include "platform/afx/view.h"
#include "platform/afx/app_access.h"
#include "platform/afx/win_thread.h"

IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)
IMPLEMENT_DYNAMIC(CSingleDocTemplate, CDocTemplate)
IMPLEMENT_DYNAMIC(CMultiDocTemplate, CDocTemplate)

CDocTemplate::CDocTemplate(UINT idResource, const CRuntimeClass* docClass, const CRuntimeClass* frameClass,
                           const CRuntimeClass* viewClass)
    : m_nIDResource(idResource), m_pDocClass(docClass), m_pFrameClass(frameClass), m_pViewClass(viewClass)
{
}

void CDocTemplate::LoadDocString()
{
    if (m_docStringLoaded) return;
    m_docStringLoaded = AfxLoadString(m_nIDResource, m_strDocStrings);
}

bool CDocTemplate::GetDocString(std::string& out, DocStringIndex index) const
{
    const_cast<CDocTemplate*>(this)->LoadDocString();
    out.clear();
    size_t start = 0;
    for (int i = 0; i < (int)index; ++i) {
        size_t nl = m_strDocStrings.find('\n', start);
        if (nl == std::string::npos) return false;
        start = nl + 1;
    }
    size_t end = m_strDocStrings.find('\n', start);
    out = m_strDocStrings.substr(start, end == std::string::npos ? std::string::npos : end - start);
    return !out.empty();
}

void CDocTemplate::AddDocument(CDocument* doc)
{
    m_docs.push_back(doc);
    doc->m_pDocTemplate = this;
    doc->m_pOwner = this;
}

void CDocTemplate::RemoveDocument(CDocument* doc)
{
    for (size_t i = 0; i < m_docs.size(); ++i)
        if (m_docs[i] == doc) {
            m_docs.erase(m_docs.begin() + (long)i);
            break;
        }
    if (doc->m_pDocTemplate == this) {
        doc->m_pDocTemplate = nullptr;
        doc->m_pOwner = nullptr;
    }
}

BOOL CDocTemplate::RouteCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info)
{
    return OnCmdMsg(nID, nCode, pExtra, info);
}

CDocument* CDocTemplate::CreateNewDocument()
{
    CDocument* doc = DynamicDowncast<CDocument>(m_pDocClass ? m_pDocClass->CreateObject() : nullptr);
    if (doc) AddDocument(doc);
    return doc;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* doc, CFrameWnd* other)
{
    CCreateContext ctx;
    ctx.m_pCurrentFrame = other;
    ctx.m_pCurrentDoc = doc;
    ctx.m_pNewViewClass = m_pViewClass;
    ctx.m_pNewDocTemplate = this;
    CObject* o = m_pFrameClass ? m_pFrameClass->CreateObject() : nullptr;
    CFrameWnd* frame = DynamicDowncast<CFrameWnd>(o);
    if (!frame) {
        delete o;
        return nullptr;
    }
    bool ended = false;
    frame->m_pEndedFlag = &ended;
    BOOL ok = frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW, nullptr, &ctx);
    if (ended) return nullptr;   // it had a window, lost it, and deleted itself
    frame->m_pEndedFlag = nullptr;
    if (!ok) {
        if (frame->m_hWnd) {
            frame->DestroyWindow();   // deletes itself
        } else {
            delete frame;
        }
        return nullptr;
    }
    return frame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* frame, CDocument* doc, BOOL makeVisible)
{
    frame->InitialUpdateFrame(doc, makeVisible);
}

CDocTemplate::Confidence CDocTemplate::MatchDocType(const char* path, CDocument*& match)
{
    match = nullptr;
    std::error_code ec;
    std::string full = std::filesystem::absolute(path, ec).lexically_normal().string();
    for (CDocument* d : m_docs)
        if (!d->GetPathName().empty() && d->GetPathName() == full) {
            match = d;
            return yesAlreadyOpen;
        }
    std::string ext;
    if (GetDocString(ext, filterExt)) {
        std::string have = std::filesystem::path(path).extension().string();
        for (size_t s = 0; s <= ext.size();) {
            size_t e = ext.find(';', s);
            std::string one = ext.substr(s, e == std::string::npos ? std::string::npos : e - s);
            if (!one.empty() && one[0] == '*') one.erase(0, 1);
            if (one == have) return yesAttemptNative;
            if (e == std::string::npos) break;
            s = e + 1;
        }
    }
    return yesAttemptForeign;
}

BOOL CDocTemplate::SaveAllModified()
{
    std::vector<CDocument*> docs = m_docs;
    for (CDocument* d : docs)
        if (!d->SaveModified()) return FALSE;
    return TRUE;
}

void CDocTemplate::CloseAllDocuments(BOOL)
{
    while (!m_docs.empty()) {
        CDocument* d = m_docs.back();
        d->OnCloseDocument();
        if (!m_docs.empty() && m_docs.back() == d) RemoveDocument(d);
    }
}

void CSingleDocTemplate::SetDefaultTitle(CDocument* doc) { doc->SetTitle(AfxLoadString(AFX_IDS_UNTITLED).c_str()); }

namespace {
// Whether the frame behind a handle is still this object.
bool FrameAlive(HWND h, CFrameWnd* frame) { return h && CWnd::FromHandlePermanent(h) == frame; }
}  // namespace

CDocument* CSingleDocTemplate::OpenDocumentFile(const char* path, BOOL makeVisible)
{
    CDocument* doc = m_docs.empty() ? nullptr : m_docs.front();
    CFrameWnd* frame = nullptr;
    bool created = false;
    if (doc) {
        if (!doc->SaveModified()) return nullptr;
        CView* v = doc->Views().empty() ? nullptr : doc->Views().front();
        frame = v ? v->GetParentFrame() : nullptr;
    } else {
        doc = CreateNewDocument();
        if (!doc) return nullptr;
        created = true;
        doc->m_bAutoDelete = FALSE;   // kept while the frame is made
        frame = CreateNewFrame(doc, nullptr);
        if (!frame) {
            RemoveDocument(doc);
            delete doc;
            return nullptr;
        }
        doc->m_bAutoDelete = TRUE;
    }
    HWND fh = frame ? frame->m_hWnd : nullptr;
    BOOL autoDelete = doc->m_bAutoDelete;
    doc->m_bAutoDelete = FALSE;   // the frame may go during the load: keep the document until the end
    bool ok;
    if (!path) {
        SetDefaultTitle(doc);
        ok = doc->OnNewDocument();
    } else {
        ok = doc->OnOpenDocument(path);
        if (ok) {
            doc->SetPathName(path);
        } else if (!created && doc->KeepsContentOnFailedOpen()) {
            // The document read into scratch space: its content, path and title stand.
        } else {
            // The failed open leaves an untitled, empty document behind.
            doc->SetPathName("", FALSE);
            SetDefaultTitle(doc);
            doc->OnNewDocument();
        }
    }
    if (created && FrameAlive(fh, frame))
        if (CWinThread* t = AfxGetThread())
            if (!t->m_pMainWnd) t->m_pMainWnd = frame;
    if (FrameAlive(fh, frame) && (ok || created)) InitialUpdateFrame(frame, doc, makeVisible);
    doc->m_bAutoDelete = autoDelete;
    if (doc->Views().empty() && doc->m_bAutoDelete) {
        doc->OnCloseDocument();   // its frame went away meanwhile
        return nullptr;
    }
    return ok ? doc : nullptr;
}

void CMultiDocTemplate::SetDefaultTitle(CDocument* doc)
{
    std::string name;
    if (!GetDocString(name, docName)) name = AfxLoadString(AFX_IDS_UNTITLED);
    doc->SetTitle((name + std::to_string(++m_nUntitledCount)).c_str());
}

CDocument* CMultiDocTemplate::OpenDocumentFile(const char* path, BOOL makeVisible)
{
    CDocument* doc = CreateNewDocument();
    if (!doc) return nullptr;
    BOOL autoDelete = doc->m_bAutoDelete;
    doc->m_bAutoDelete = FALSE;   // kept until the end, whatever happens to its frame
    CFrameWnd* frame = CreateNewFrame(doc, nullptr);
    HWND fh = frame ? frame->m_hWnd : nullptr;
    bool ok = frame != nullptr;
    if (ok) {
        if (!path) {
            SetDefaultTitle(doc);
            ok = doc->OnNewDocument();
        } else {
            ok = doc->OnOpenDocument(path);
            if (ok) doc->SetPathName(path);
        }
    }
    if (ok && FrameAlive(fh, frame)) InitialUpdateFrame(frame, doc, makeVisible);
    ok = ok && FrameAlive(fh, frame);
    if (!ok && FrameAlive(fh, frame)) frame->DestroyWindow();
    doc->m_bAutoDelete = autoDelete;
    if (!ok || doc->Views().empty()) {
        // Its frame failed or went away: the document goes too.
        RemoveDocument(doc);
        delete doc;
        return nullptr;
    }
    return doc;
}
