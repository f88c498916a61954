// The framework demos.
#include "afx_demo.h"

#include "platform/kernel/kernel.h"

IMPLEMENT_DYNCREATE(CDemoDoc, CDocument)
IMPLEMENT_DYNCREATE(CDemoView, CScrollView)
IMPLEMENT_DYNCREATE(CDemoSdiFrame, CFrameWnd)


void CDemoDoc::Serialize(CArchive& ar)
{
    if (ar.IsLoading()) {
        m_text = ar.ReadAll();
        return;
    }
    // A failing save breaks off halfway, after part of the text went out.
    ar.WriteString(m_text.substr(0, m_text.size() / 2));
    if (m_failSave) AfxThrowArchiveException(CArchiveException::genericException, GetPathName());
    ar.WriteString(m_text.substr(m_text.size() / 2));
}

void CDemoDoc::Append(const std::string& s)
{
    m_text += s;
    SetModifiedFlag();
    UpdateAllViews(nullptr);
}

BEGIN_MESSAGE_MAP(CDemoView, CScrollView)
    ON_WM_CHAR()
END_MESSAGE_MAP()

std::vector<std::string> CDemoView::Lines() const
{
    std::vector<std::string> out;
    const std::string& t = GetDoc() ? GetDoc()->m_text : std::string();
    size_t s = 0;
    while (s < t.size()) {
        size_t e = t.find('\n', s);
        if (e == std::string::npos) e = t.size();
        out.push_back(t.substr(s, e - s));
        s = e + 1;
    }
    return out;
}

void CDemoView::OnDraw(CDC* dc)
{
    std::vector<std::string> lines = Lines();
    if (!dc->IsPrinting()) m_paintLog.clear();
    for (size_t i = 0; i < lines.size(); ++i) {
        TextOut(dc->m_hDC, 4, 4 + 16 * (int)i, lines[i].c_str(), (int)lines[i].size());
        if (!dc->IsPrinting()) m_paintLog.push_back(lines[i]);
    }
}

void CDemoView::OnInitialUpdate()
{
    SetScrollSizes(MM_TEXT, SIZE{400, 16 * (LONG)Lines().size() + 8});
    CScrollView::OnInitialUpdate();
}

void CDemoView::OnUpdate(CView*, LPARAM, CObject*)
{
    SetScrollSizes(MM_TEXT, SIZE{400, 16 * (LONG)Lines().size() + 8});
    Invalidate();
}

BOOL CDemoView::OnPreparePrinting(CPrintInfo* info)
{
    int pages = ((int)Lines().size() + kLinesPerPage - 1) / kLinesPerPage;
    info->SetMaxPage((UINT)(pages < 1 ? 1 : pages));
    return DoPreparePrinting(info);
}

void CDemoView::OnBeginPrinting(CDC*, CPrintInfo*) { m_pageLog.clear(); }

void CDemoView::OnPrint(CDC* dc, CPrintInfo* info)
{
    std::vector<std::string> lines = Lines();
    std::vector<std::string> page;
    size_t first = (size_t)(info->m_nCurPage - 1) * kLinesPerPage;
    for (size_t i = first; i < lines.size() && i < first + kLinesPerPage; ++i) {
        TextOut(dc->m_hDC, 100, 100 + 100 * (int)(i - first), lines[i].c_str(), (int)lines[i].size());
        page.push_back(lines[i]);
    }
    m_pageLog.push_back(page);
}

void CDemoView::OnChar(UINT ch, UINT, UINT)
{
    if (GetDoc() && ch >= 32 && ch < 127) GetDoc()->Append(std::string(1, (char)ch));
}

// ---- applications ----
void RegisterDemoToolbarBitmaps(HINSTANCE module);
namespace {
const AfxStringEntry kMdiStrings[] = {
    {IDR_DEMO, "DemoMdi\nDemo\nDemo\nText Files (*.txt)\n.txt"},
    {AFX_IDS_APP_TITLE, "AfxDemo"},
    {ID_FILE_NEW, "Create a new document\nNew"},
    {ID_FILE_OPEN, "Open an existing document\nOpen"},
    {ID_FILE_SAVE, "Save the active document\nSave"},
    {ID_DEMO_UNHANDLED, "Nobody handles this\nUnhandled"},
};
const MenuTableItem kMdiMenu[] = {
    {MF_POPUP, 0, "&File"},
    {MF_STRING, ID_FILE_NEW, "&New"},
    {MF_STRING, ID_FILE_OPEN, "&Open..."},
    {MF_STRING, ID_FILE_SAVE, "&Save"},
    {MF_STRING, ID_FILE_MRU_FILE1, "Recent File"},
    {MF_STRING | MF_END, ID_APP_EXIT, "E&xit"},
    {MF_POPUP | MF_END, 0, "&View"},
    {MF_STRING, ID_VIEW_TOOLBAR, "&Toolbar"},
    {MF_STRING | MF_END, ID_VIEW_STATUS_BAR, "&Status Bar"},
};
const AfxStringEntry kSdiStrings[] = {
    {IDR_DEMO, "DemoSdiApp\nSdi\nSdi\nText Files (*.txt)\n.txt"},
    {AFX_IDS_APP_TITLE, "AfxDemoSdi"},
};
}  // namespace

void RegisterDemoMdiResources()
{
    static bool done = [] {
        CResourceTable& r = AfxGetProgramModuleState()->m_resources;
        r.AddStrings(kMdiStrings, sizeof kMdiStrings / sizeof kMdiStrings[0]);
        r.AddMenu(IDR_DEMO, kMdiMenu, sizeof kMdiMenu / sizeof kMdiMenu[0]);
        AfxToolbarResource tb;
        tb.width = 16;
        tb.height = 15;
        tb.buttons = {ID_FILE_NEW, ID_FILE_OPEN, ID_SEPARATOR, ID_FILE_SAVE, ID_DEMO_UNHANDLED};
        r.AddToolbar(IDR_DEMO, tb);
        RegisterDemoToolbarBitmaps(AfxGetProgramModuleState()->ResourceHandle());
        return true;
    }();
    (void)done;
}

CModuleState* DemoSdiModule()
{
    static CModuleState* m = [] {
        CModuleState* s = new CModuleState("demo-sdi");
        s->m_resources.AddStrings(kSdiStrings, sizeof kSdiStrings / sizeof kSdiStrings[0]);
        return s;
    }();
    return m;
}

BEGIN_MESSAGE_MAP(CDemoMdiFrame, CMDIFrameWnd)
    ON_WM_CREATE()
END_MESSAGE_MAP()

int CDemoMdiFrame::OnCreate(CREATESTRUCT* cs)
{
    if (CMDIFrameWnd::OnCreate(cs) == -1) return -1;
    const DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC;
    if (!m_wndToolBar.Create(this, style, AFX_IDW_TOOLBAR) || !m_wndToolBar.LoadToolBar(IDR_DEMO)) return -1;
    m_wndToolBar.SetWindowText("Standard");
    const UINT small[] = {ID_FILE_NEW, ID_FILE_OPEN};
    CToolBar* tests[] = {&m_wndBarA, &m_wndBarB};
    const char* names[] = {"Bar A", "Bar B"};
    for (int i = 0; i < 2; ++i) {
        if (!tests[i]->Create(this, style, i ? ID_BAR_B : ID_BAR_A) || !tests[i]->LoadToolBar(IDR_DEMO)) return -1;
        tests[i]->SetButtons(small, 2);
        tests[i]->SetWindowText(names[i]);
    }
    const UINT indicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
    if (!m_wndStatusBar.Create(this) || !m_wndStatusBar.SetIndicators(indicators, 4)) return -1;
    EnableDocking(CBRS_ALIGN_ANY);
    for (CToolBar* b : {&m_wndToolBar, &m_wndBarA, &m_wndBarB}) {
        b->EnableDocking(CBRS_ALIGN_ANY);
        DockControlBar(b, AFX_IDW_DOCKBAR_TOP);
    }
    return 0;
}

CDemoMdiApp::CDemoMdiApp(std::string profile, bool bars) : CWinApp(nullptr, AfxGetProgramModuleState()), m_bBars(bars)
{
    RegisterDemoMdiResources();
    m_pszProfileName = std::move(profile);
}

BOOL CDemoMdiApp::InitInstance()
{
    LoadStdProfileSettings(4);
    AddDocTemplate(new CMultiDocTemplate(IDR_DEMO, RUNTIME_CLASS(CDemoDoc), RUNTIME_CLASS(CMDIChildWnd), RUNTIME_CLASS(CDemoView)));
    CMDIFrameWnd* frame = m_bBars ? new CDemoMdiFrame : new CMDIFrameWnd;
    if (!frame->LoadFrame(IDR_DEMO)) return FALSE;
    m_pMainWnd = frame;
    frame->MoveWindow(RECT{40, 40, 840, 640});
    frame->ShowWindow(SW_SHOW);
    return TRUE;
}

CDemoSdiApp::CDemoSdiApp(std::string profile) : CWinApp(nullptr, DemoSdiModule())
{
    m_pszProfileName = std::move(profile);
}

BOOL CDemoSdiApp::InitInstance()
{
    LoadStdProfileSettings(4);
    AddDocTemplate(new CSingleDocTemplate(IDR_DEMO, RUNTIME_CLASS(CDemoDoc), RUNTIME_CLASS(CDemoSdiFrame), RUNTIME_CLASS(CDemoView)));
    OnFileNew();
    if (!m_pMainWnd) return FALSE;
    m_pMainWnd->MoveWindow(RECT{900, 40, 1300, 400});
    m_frame = m_pMainWnd->m_hWnd;
    return TRUE;
}
