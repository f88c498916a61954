// The rich-edit view and document.
#include "platform/controls/rich_edit_view.h"

#include <cstring>

#include "platform/afx/afx_ids.h"
#include "platform/controls/rich_text.h"

IMPLEMENT_DYNCREATE(CRichEditView, CView)
IMPLEMENT_DYNCREATE(CRichEditDoc, CDocument)

BEGIN_MESSAGE_MAP(CRichEditView, CView)
    ON_WM_CREATE()
    ON_MESSAGE(WM_PAINT, OnPaintMessage)
    ON_MESSAGE(WM_ERASEBKGND, OnEraseMessage)
    ON_COMMAND(ID_EDIT_COPY, OnEditCopy)
    ON_COMMAND(ID_EDIT_CUT, OnEditCut)
    ON_COMMAND(ID_EDIT_PASTE, OnEditPaste)
    ON_COMMAND(ID_EDIT_CLEAR, OnEditClear)
    ON_COMMAND(ID_EDIT_UNDO, OnEditUndo)
    ON_COMMAND(ID_EDIT_SELECT_ALL, OnEditSelectAll)
    ON_COMMAND(ID_EDIT_FIND, OnEditFind)
    ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, OnUpdateNeedSel)
    ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, OnUpdateNeedSel)
    ON_UPDATE_COMMAND_UI(ID_EDIT_CLEAR, OnUpdateNeedSel)
    ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE, OnUpdateNeedClip)
    ON_UPDATE_COMMAND_UI(ID_EDIT_UNDO, OnUpdateEditUndo)
    ON_UPDATE_COMMAND_UI(ID_EDIT_SELECT_ALL, OnUpdateNeedText)
    ON_UPDATE_COMMAND_UI(ID_EDIT_FIND, OnUpdateNeedText)
    ON_REGISTERED_MESSAGE("commdlg_FindReplace", OnFindReplaceCmd)
END_MESSAGE_MAP()

namespace {
const char* RichViewClass()
{
    static const char* name = [] {
        RegisterControlClasses();
        WNDCLASS wc{};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = AfxWndProc;
        wc.cbWndExtra = (int)sizeof(void*);
        wc.lpszClassName = "VeldraRichEditView";
        RegisterClass(&wc);
        return "VeldraRichEditView";
    }();
    return name;
}
}  // namespace

CRichEditView::CRichEditView() = default;

CRichEditView::~CRichEditView() { delete m_pFind; }

CRichEditCtrl& CRichEditView::GetRichEditCtrl()
{
    // An alias of the view's own window: never in the handle map, never destroys it.
    m_alias.m_hWnd = m_hWnd;
    return m_alias;
}

BOOL CRichEditView::PreCreateWindow(CREATESTRUCT& cs)
{
    cs.lpszClass = RichViewClass();
    cs.style |= ES_MULTILINE | WS_VSCROLL | WS_HSCROLL | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_NOHIDESEL;
    // Messages the view does not take go on to the control.
    m_pfnSuper = RichEditWindowProc();
    return CView::PreCreateWindow(cs);
}

int CRichEditView::OnCreate(CREATESTRUCT* cs)
{
    if (CView::OnCreate(cs) == -1) return -1;
    m_dropTarget.Register(this);
    return 0;
}

DROPEFFECT CRichEditView::CDropTarget::OnDragEnter(CWnd* wnd, COleDataObject* data, DWORD keyState, POINT pt)
{
    return OnDragOver(wnd, data, keyState, pt);
}

DROPEFFECT CRichEditView::CDropTarget::OnDragOver(CWnd*, COleDataObject* data, DWORD keyState, POINT)
{
    if (!data || !data->IsDataAvailable(CF_TEXT)) return DROPEFFECT_NONE;
    return (keyState & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
}

BOOL CRichEditView::CDropTarget::OnDrop(CWnd* wnd, COleDataObject* data, DROPEFFECT, POINT pt)
{
    std::string bytes;
    if (!wnd || !data || !data->GetData(CF_TEXT, bytes)) return FALSE;
    // The block is read up to its size (and a terminator inside it).
    bytes.resize(strnlen(bytes.data(), bytes.size()));
    const LRESULT at = ::SendMessage(wnd->m_hWnd, EM_CHARFROMPOS, 0, (LPARAM)&pt);
    return (BOOL)::SendMessage(wnd->m_hWnd, EM_DROPTEXT, (WPARAM)at, (LPARAM)bytes.c_str());
}

void CRichEditView::OnInitialUpdate()
{
    CView::OnInitialUpdate();
    GetRichEditCtrl().SetModify(FALSE);
}

// --- printing ---------------------------------------------------------------------

BOOL CRichEditView::OnPreparePrinting(CPrintInfo* info) { return DoPreparePrinting(info); }

void CRichEditView::OnBeginPrinting(CDC*, CPrintInfo*)
{
    m_pageStarts.assign(1, 0);
    m_printEnd = GetRichEditCtrl().GetTextLength();
}

void CRichEditView::OnPrepareDC(CDC* dc, CPrintInfo* info)
{
    CView::OnPrepareDC(dc, info);
    if (!info || !dc || !dc->IsPrinting()) return;
    // Pages come in order; the job goes on while a page has text to start with
    // (an empty text still prints one blank page).
    const size_t page = info->m_nCurPage;
    const bool known = page >= 1 && page <= m_pageStarts.size();
    info->m_bContinuePrinting = known && (m_pageStarts[page - 1] < m_printEnd || (page == 1 && m_printEnd == 0));
}

long CRichEditView::PrintPage(CDC* dc, long start, bool render)
{
    HDC hdc = dc->m_hDC;
    const int dx = std::max(1, GetDeviceCaps(hdc, LOGPIXELSX)), dy = std::max(1, GetDeviceCaps(hdc, LOGPIXELSY));
    const long pageW = (long)GetDeviceCaps(hdc, HORZRES) * 1440 / dx, pageH = (long)GetDeviceCaps(hdc, VERTRES) * 1440 / dy;
    FORMATRANGE fr{};
    fr.hdc = fr.hdcTarget = hdc;
    fr.rcPage = RECT{0, 0, (LONG)pageW, (LONG)pageH};
    fr.rc = RECT{m_rectMargin.left, m_rectMargin.top, (LONG)(pageW - m_rectMargin.right),
                 (LONG)(pageH - m_rectMargin.bottom)};
    if (fr.rc.right <= fr.rc.left) fr.rc.right = fr.rc.left + 1440;
    if (fr.rc.bottom <= fr.rc.top) fr.rc.bottom = fr.rc.top + 1440;
    fr.chrg = CHARRANGE{(LONG)start, -1};
    long next = GetRichEditCtrl().FormatRange(&fr, render);
    GetRichEditCtrl().FormatRange(nullptr, FALSE);
    return next;
}

void CRichEditView::OnPrint(CDC* dc, CPrintInfo* info)
{
    const size_t page = info->m_nCurPage;
    if (page == 0 || page > m_pageStarts.size()) {
        info->m_bContinuePrinting = FALSE;
        return;
    }
    long next = PrintPage(dc, m_pageStarts[page - 1], true);
    // The control always advances, so the job always ends.
    if (page == m_pageStarts.size()) m_pageStarts.push_back(std::max(next, m_pageStarts.back() + 1));
    if (next >= m_printEnd) info->SetMaxPage((UINT)page);
}

void CRichEditView::OnEndPrinting(CDC*, CPrintInfo*) { m_pageStarts.clear(); }

// --- edit commands and find ----------------------------------------------------------

void CRichEditView::OnUpdateNeedSel(CCmdUI* ui)
{
    long a, b;
    GetRichEditCtrl().GetSel(a, b);
    ui->Enable(a != b);
}

void CRichEditView::OnUpdateNeedClip(CCmdUI* ui)
{
    ui->Enable(IsClipboardFormatAvailable(CF_TEXT) ||
               IsClipboardFormatAvailable(RegisterClipboardFormat(CF_RTF_NAME)));
}

void CRichEditView::OnUpdateEditUndo(CCmdUI* ui) { ui->Enable(GetRichEditCtrl().CanUndo()); }

void CRichEditView::OnUpdateNeedText(CCmdUI* ui) { ui->Enable(GetRichEditCtrl().GetTextLength() > 0); }

void CRichEditView::OnEditFind()
{
    if (m_pFind) return;
    m_pFind = new CFindReplaceDialog;
    long a, b;
    GetRichEditCtrl().GetSel(a, b);
    std::string sel = a != b && b - a < 128 ? GetRichEditCtrl().GetTextRange(a, b) : std::string();
    if (!m_pFind->Create(TRUE, sel.c_str(), nullptr, FR_DOWN, this)) {
        delete m_pFind;
        m_pFind = nullptr;
    }
}

bool CRichEditView::FindNext(const std::string& what, bool down, bool matchCase, bool wholeWord)
{
    CRichEditCtrl& ctl = GetRichEditCtrl();
    long a, b;
    ctl.GetSel(a, b);
    FINDTEXTEX ft{};
    ft.lpstrText = what.c_str();
    // Down: from the selection's end; up: before its start.
    ft.chrg = down ? CHARRANGE{(LONG)b, -1} : CHARRANGE{(LONG)a, 0};
    DWORD flags = (down ? FR_DOWN : 0) | (matchCase ? FR_MATCHCASE : 0) | (wholeWord ? FR_WHOLEWORD : 0);
    if (ctl.FindText(flags, &ft) < 0) return false;
    ctl.SetSel(ft.chrgText.cpMin, ft.chrgText.cpMax);
    return true;
}

LRESULT CRichEditView::OnFindReplaceCmd(WPARAM, LPARAM lParam)
{
    CFindReplaceDialog* d = CFindReplaceDialog::GetNotifier(lParam);
    if (!d) return 0;
    if (d->IsTerminating()) {
        if (d == m_pFind) m_pFind = nullptr;
        return 0;
    }
    // A miss leaves the selection where it was.
    if (d->FindNext()) FindNext(d->GetFindString(), d->SearchDown(), d->MatchCase(), d->MatchWholeWord());
    return 0;
}

// --- document --------------------------------------------------------------------------

CRichEditView* CRichEditDoc::GetView() const
{
    for (CView* v : m_views)
        if (v && v->IsKindOf(RUNTIME_CLASS(CRichEditView))) return static_cast<CRichEditView*>(v);
    return nullptr;
}

void CRichEditDoc::DeleteContents()
{
    if (CRichEditView* v = GetView())
        if (v->m_hWnd) {
            v->SetWindowText("");
            v->GetRichEditCtrl().EmptyUndoBuffer();
        }
}

void CRichEditDoc::Serialize(CArchive& ar)
{
    CRichEditView* v = GetView();
    if (!v || !v->m_hWnd) return;
    CRichEditCtrl& ctl = v->GetRichEditCtrl();
    if (ar.IsStoring()) {
        std::string out;
        EDITSTREAM es{(DWORD_PTR)&out, 0, [](DWORD_PTR c, BYTE* b, LONG n, LONG* done) -> DWORD {
                          ((std::string*)c)->append((const char*)b, (size_t)n);
                          *done = n;
                          return 0;
                      }};
        ctl.StreamOut(m_bRTF ? SF_RTF : SF_TEXT, es);
        ar.WriteString(out);
        return;
    }
    // Untrusted input: the bounded reader takes it, or it is plain text.
    struct Src {
        std::string data;
        size_t at = 0;
    } src{ar.ReadAll(), 0};
    auto read = [](DWORD_PTR c, BYTE* b, LONG n, LONG* done) -> DWORD {
        Src* s = (Src*)c;
        size_t k = std::min((size_t)std::max<long>(n, 0), s->data.size() - s->at);
        memcpy(b, s->data.data() + s->at, k);
        s->at += k;
        *done = (LONG)k;
        return 0;
    };
    EDITSTREAM es{(DWORD_PTR)&src, 0, read};
    m_bRTF = src.data.compare(0, 5, "{\\rtf") == 0;
    if (m_bRTF) {
        ctl.StreamIn(SF_RTF, es);
        if (es.dwError == 0) return;
        m_bRTF = FALSE;
    }
    src.at = 0;
    es.dwError = 0;
    ctl.StreamIn(SF_TEXT, es);
}
