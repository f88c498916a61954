// CDocument: views, titles, atomic save, load, and close.
#include "platform/afx/document.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>

#include "platform/afx/afx_ids.h"
#include "platform/afx/app_access.h"
#include "platform/afx/exception.h"
#include "platform/afx/resources.h"
#include "platform/afx/view.h"
#include "platform/afx/view_frame.h"

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
    ON_COMMAND(ID_FILE_SAVE, OnFileSave)
    ON_COMMAND(ID_FILE_SAVE_AS, OnFileSaveAs)
    ON_COMMAND(ID_FILE_CLOSE, OnFileClose)
END_MESSAGE_MAP()

CDocument::CDocument() = default;

CDocument::~CDocument()
{
    for (CView* v : m_views) v->m_pDocument = nullptr;
    if (m_pOwner) m_pOwner->RemoveDocument(this);
}

void CDocument::SetTitle(const char* title)
{
    m_strTitle = title ? title : "";
    UpdateFrameCounts();
}

void CDocument::SetPathName(const char* path, BOOL addToMru)
{
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(path ? path : "", ec);
    m_strPathName = ec ? std::string(path ? path : "") : p.lexically_normal().string();
    SetTitle(std::filesystem::path(m_strPathName).filename().string().c_str());
    if (addToMru) AfxAddToRecentFileList(m_strPathName.c_str());
}

void CDocument::AddView(CView* view)
{
    m_views.push_back(view);
    view->m_pDocument = this;
    OnChangedViewList();
}

void CDocument::RemoveView(CView* view)
{
    for (size_t i = 0; i < m_views.size(); ++i)
        if (m_views[i] == view) {
            m_views.erase(m_views.begin() + (long)i);
            view->m_pDocument = nullptr;
            OnChangedViewList();
            return;
        }
}

void CDocument::OnChangedViewList()
{
    if (m_views.empty() && m_bAutoDelete) {
        OnCloseDocument();
        return;
    }
    UpdateFrameCounts();
}

POSITION CDocument::GetFirstViewPosition() const { return m_views.empty() ? nullptr : (POSITION)(uintptr_t)1; }

CView* CDocument::GetNextView(POSITION& pos) const
{
    size_t i = (size_t)(uintptr_t)pos - 1;
    if (!pos || i >= m_views.size()) {
        pos = nullptr;
        return nullptr;
    }
    pos = i + 1 < m_views.size() ? (POSITION)(uintptr_t)(i + 2) : nullptr;
    return m_views[i];
}

void CDocument::UpdateAllViews(CView* sender, LPARAM hint, CObject* hintObject)
{
    std::vector<CView*> views = m_views;
    for (CView* v : views)
        if (v != sender) v->OnUpdate(sender, hint, hintObject);
}

void CDocument::UpdateFrameCounts()
{
    // Titles are sent to windows: take the frames first, check each by handle.
    std::vector<HWND> frames;
    for (CView* v : m_views)
        if (IViewFrame* f = AfxParentViewFrame(v)) frames.push_back(f->FrameWnd()->m_hWnd);
    for (HWND h : frames)
        if (IViewFrame* f = AfxViewFrameOf(CWnd::FromHandlePermanent(h))) f->OnUpdateFrameTitle(TRUE);
}

BOOL CDocument::OnNewDocument()
{
    DeleteContents();
    m_strPathName.clear();
    SetModifiedFlag(FALSE);
    return TRUE;
}

bool AfxReadWholeFile(const std::string& path, std::string& bytes)
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bytes.clear();
    char buf[65536];
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            int e = errno;
            close(fd);
            errno = e;
            return false;
        }
        if (n == 0) break;
        bytes.append(buf, (size_t)n);
    }
    close(fd);
    return true;
}

bool AfxWriteFileAtomically(const std::string& path, const std::string& bytes)
{
    return AfxWriteFileAtomically(path, [&](int fd) {
        const char* p = bytes.data();
        size_t left = bytes.size();
        while (left > 0) {
            ssize_t n = write(fd, p, left);
            if (n < 0) {
                if (errno == EINTR) continue;
                return false;
            }
            p += n;
            left -= (size_t)n;
        }
        return true;
    });
}

bool AfxWriteFileAtomically(const std::string& path, const std::function<bool(int fd)>& write)
{
    // Follow a symlink so the link stays and its target is replaced.
    std::string target = path;
    char resolved[PATH_MAX];
    struct stat st{};
    bool exists = lstat(path.c_str(), &st) == 0;
    if (exists && S_ISLNK(st.st_mode) && realpath(path.c_str(), resolved)) target = resolved;
    mode_t mode = 0666 & ~[] { mode_t m = umask(0); umask(m); return m; }();
    if (stat(target.c_str(), &st) == 0) mode = st.st_mode & 07777;
    std::string dir = std::filesystem::path(target).parent_path().string();
    std::string tmpl = (dir.empty() ? std::string(".") : dir) + "/." + std::filesystem::path(target).filename().string() + ".XXXXXX";
    int fd = mkstemp(tmpl.data());
    if (fd < 0) return false;
    bool ok = write(fd);
    if (ok && fchmod(fd, mode) != 0) ok = false;
    if (ok && fsync(fd) != 0) ok = false;
    int e = errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        e = errno;
    }
    if (ok && rename(tmpl.c_str(), target.c_str()) != 0) {
        ok = false;
        e = errno;
    }
    if (!ok) {
        unlink(tmpl.c_str());
        errno = e;
    }
    return ok;
}

static CException* FileError(int err, const std::string& path)
{
    int cause = err == ENOENT ? CFileException::fileNotFound
                : err == EACCES || err == EPERM ? CFileException::accessDenied
                : err == ENOSPC ? CFileException::diskFull
                : CFileException::genericException;
    return new CFileException(cause, err, path);
}

BOOL CDocument::OnOpenDocument(const char* path)
{
    // A view may refuse a file by its size before a byte of it is read.
    struct stat st{};
    if (stat(path, &st) == 0 && S_ISREG(st.st_mode)) {
        const std::vector<CView*> views = m_views;
        for (CView* v : views)
            if (v && !v->CanOpenFile(path, (uint64_t)st.st_size)) return FALSE;
    }
    std::string bytes;
    if (!AfxReadWholeFile(path, bytes)) {
        CException* e = FileError(errno, path);
        ReportSaveLoadException(path, e, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
        e->Delete();
        return FALSE;
    }
    DeleteContents();
    SetModifiedFlag(TRUE);   // a half-read document is not clean
    CArchive ar(CArchive::load, std::move(bytes), path);
    ar.m_pDocument = this;
    try {
        Serialize(ar);
    } catch (CException* e) {
        DeleteContents();
        ReportSaveLoadException(path, e, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
        e->Delete();
        return FALSE;
    }
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnSaveDocument(const char* path)
{
    CArchive ar(CArchive::store, {}, path);
    ar.m_pDocument = this;
    try {
        Serialize(ar);
    } catch (CException* e) {
        ReportSaveLoadException(path, e, TRUE, AFX_IDP_FAILED_TO_SAVE_DOC);
        e->Delete();
        return FALSE;
    }
    if (!AfxWriteFileAtomically(path, ar.Data())) {
        CException* e = FileError(errno, path);
        ReportSaveLoadException(path, e, TRUE, AFX_IDP_FAILED_TO_SAVE_DOC);
        e->Delete();
        return FALSE;
    }
    SetModifiedFlag(FALSE);
    return TRUE;
}

void CDocument::ReportSaveLoadException(const char*, CException* e, BOOL saving, UINT defaultId)
{
    if (e && e->IsKindOf(RUNTIME_CLASS(CUserException))) return;
    std::string text = e ? e->GetErrorMessage() : std::string();
    if (text.empty()) text = AfxLoadString(defaultId ? defaultId : (saving ? AFX_IDP_FAILED_TO_SAVE_DOC : AFX_IDP_FAILED_TO_OPEN_DOC));
    AfxMessageBox(text.c_str(), MB_ICONEXCLAMATION);
}

void CDocument::OnCloseDocument()
{
    // Closing frames removes views; keep the document alive until done.
    BOOL autoDelete = m_bAutoDelete;
    m_bAutoDelete = FALSE;
    while (!m_views.empty()) {
        CView* v = m_views.front();
        IViewFrame* frame = AfxParentViewFrame(v);
        CWnd* f = frame ? frame->FrameWnd() : nullptr;
        if (f && f->m_hWnd) {
            f->DestroyWindow();
        } else {
            RemoveView(v);
        }
        if (!m_views.empty() && m_views.front() == v) RemoveView(v);
    }
    m_bAutoDelete = autoDelete;
    DeleteContents();
    if (m_bAutoDelete) delete this;
}

BOOL CDocument::CanCloseFrame(CFrameWnd* frame)
{
    // Other frames still show the document: no question.
    for (CView* v : m_views)
        if (v->GetParentFrame() != frame) return TRUE;
    return SaveModified();
}

BOOL CDocument::SaveModified()
{
    if (!IsModified()) return TRUE;
    std::string name = m_strPathName.empty() ? m_strTitle : std::filesystem::path(m_strPathName).filename().string();
    if (name.empty()) name = AfxLoadString(AFX_IDS_UNTITLED);
    std::string text = AfxFormatString(AfxLoadString(AFX_IDP_ASK_TO_SAVE), {name});
    switch (AfxMessageBox(text.c_str(), MB_YESNOCANCEL, AFX_IDP_ASK_TO_SAVE)) {
    case IDCANCEL: return FALSE;
    case IDYES: return DoFileSave();
    default: return TRUE;
    }
}

BOOL CDocument::DoFileSave()
{
    if (m_strPathName.empty()) return DoSave(nullptr);
    return DoSave(m_strPathName.c_str());
}

BOOL CDocument::DoSave(const char* path, BOOL replace)
{
    std::string name = path ? path : "";
    if (name.empty()) {
        std::string suggestion = m_strPathName.empty() ? m_strTitle : m_strPathName;
        if (!AfxDoPromptFileName(suggestion, AFX_IDS_UNTITLED, FALSE, m_pDocTemplate)) return FALSE;
        name = suggestion;
    }
    if (!OnSaveDocument(name.c_str())) return FALSE;
    if (replace) SetPathName(name.c_str());
    return TRUE;
}

void CDocument::OnFileClose()
{
    if (!SaveModified()) return;
    OnCloseDocument();
}

BOOL CDocument::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* info)
{
    CRouteGuard guard(this, nID, nCode);
    if (!guard.Entered()) return FALSE;
    if (CCmdTarget::OnCmdMsg(nID, nCode, pExtra, info)) return TRUE;
    return m_pOwner && m_pOwner->RouteCmdMsg(nID, nCode, pExtra, info);
}
