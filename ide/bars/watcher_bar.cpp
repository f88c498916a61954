// The watcher bar and its dialog.
#include "ide/bars/watcher_bar.h"

#include <cctype>
#include <sstream>

#include "ide/editors/value_edit.h"
#include "ide/bars/variables_bar.h"
#include "ide/bars/watcher_host.h"
#include "ide/editors/value_line.h"
#include "ide/run/watch_gate.h"
#include "interpreter/expr_tree.h"
#include "interpreter/program.h"
#include "interpreter/user_calls.h"
#include "interpreter/user_function.h"
#include "platform/afx/afx_controls.h"
#include "platform/afx/win_app.h"
#include "platform/controls/controls.h"
#include "platform/controls/list_notify.h"
#include "values/app_settings.h"

namespace {

constexpr UINT WM_WATCHER_DESTROY = WM_APP + 155;
constexpr int kSetCount = 4;
const char* const kSection = "Settings";

const CDialogItemTemplate kWatcherItems[] = {
    {"ComboBox", "", IDC_WT_STACK, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 4, 4, 150, 120, 0},
    {"ComboBox", "", IDC_WT_SETS, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 158, 4, 58, 80, 0},
    {"Static", "List:", IDC_WT_LIST_LABEL, 0, 4, 20, 60, 8, 0},
    {WC_LISTVIEW, "", IDC_WT_LIST,
     WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_EDITLABELS, 4, 30, 212, 40, 0},
    {"Static", "Expression:", IDC_WT_EXPR_LABEL, 0, 4, 74, 60, 8, 0},
    {"Edit", "", IDC_WT_EXPR, WS_BORDER | ES_READONLY | ES_AUTOHSCROLL, 64, 72, 110, 12, 0},
    {"Static", "Value:", IDC_WT_VALUE_LABEL, 0, 4, 88, 60, 8, 0},
    {"Edit", "", IDC_WT_VALUE, WS_BORDER | ES_READONLY | ES_AUTOHSCROLL, 64, 86, 110, 12, 0},
    {"Button", "...", IDC_WT_OPEN, WS_TABSTOP | BS_PUSHBUTTON, 178, 86, 38, 12, 0},
    {"Button", "&Add", IDC_WT_ADD, WS_TABSTOP | BS_PUSHBUTTON, 178, 58, 38, 12, 0},
    {"Button", "&Delete", IDC_WT_DELETE, WS_TABSTOP | BS_PUSHBUTTON, 178, 72, 38, 12, 0},
};
const CDialogTemplate kWatcherTemplate = ListBarTemplate(kWatcherItems, 220, 102);

const LayoutTableEntry kWatcherLayout[] = {
    {2, IDC_WT_STACK, {1, 0, 0, 0}},
    {2, IDC_WT_SETS, {2, 0, 0, 0}},
    {2, IDC_WT_LIST_LABEL, {0, 0, 0, 0}},
    {2, IDC_WT_LIST, {1, 1, 0, 0}},
    {2, IDC_WT_EXPR_LABEL, {0, 2, 0, 0}},
    {2, IDC_WT_VALUE_LABEL, {0, 2, 0, 0}},
    {2, IDC_WT_EXPR, {1, 2, 0, 0}},
    {2, IDC_WT_VALUE, {1, 2, 0, 0}},
    {2, IDC_WT_OPEN, {2, 2, 0, 0}},
    {2, IDC_WT_ADD, {2, 2, 0, 0}},
    {2, IDC_WT_DELETE, {2, 2, 0, 0}},
    {0, 0, {0, 0, 0, 0}},
};

const ListBarShape kWatcherShape = {&kWatcherTemplate, IDD_WATCHER, kWatcherLayout, "Watcher", IDC_WT_LIST,
                                     {"Name", "Value"}, 0.25};

using Bars = ListBars<CWatcherBar>;

bool OwnerAtBreak(CProgram* p)
{
    return p && p->thread && IsThreadAlive(p->thread) && p->debugging && p->atBreak;
}

bool OwnerRunning(CProgram* p) { return p && p->thread && IsThreadAlive(p->thread); }

// The context of a watch: the frame's variables, and host callbacks that
// never reach the program (it waits at a break for the GUI). Without the
// gate a user function's statements are skipped and the watch fails.
class CWatchBlock : public CStatementBlock {
public:
    explicit CWatchBlock(CStatementBlock* variables) { ShareScope(variables); }
    int OnEnterBuiltin(const FuncEntry*) override { return 0; }
    int OnEnterUserFunction(CStatementBlock*, CSavedValue*, int) override
    {
        calledUser = true;
        return 0;
    }
    int OnLeaveFunction() override { return 0; }
    int IsStopRequested() override { return Refused() ? 1 : 0; }
    bool IsDebugging() override { return false; }
    int DebugHook(CStatement*, int) override { return Refused() ? 0 : 1; }
    int AfterStatement(CStatement*, StatusWord*) override { return 0; }
    bool Refused() const { return calledUser && !WatcherCallsEnabled().load(); }

    bool calledUser = false;
};

IKeyboardPassThrough* ChildFrameOf(CWnd* w)
{
    for (CWnd* p = w; p; p = p->GetParent())
        if (auto* f = dynamic_cast<IKeyboardPassThrough*>(p)) return f;
    return nullptr;
}

void SetPassThrough(CWnd* from, bool on)
{
    // The bar may float: the document's child frame is the one to tell.
    if (IKeyboardPassThrough* f = ChildFrameOf(from)) f->SetKeyboardPassThrough(on);
    for (CWatcherBar* b : Bars::All())
        if (&b->m_dlg == from || b == from)
            if (auto* host = dynamic_cast<IWatcherHost*>(b->m_dlg.m_pOwner)) host->SetKeyboardPassThrough(on);
}

}  // namespace

// ---------------------------------------------------------------- evaluation

StatusWord EvaluateWatch(CEvalBlock* block, CStatementBlock* program, const std::string& text, CValue& out)
{
    out = CValue();
    if (!block || !block->scratch || !block->scratch->scope) return ERR_INTERNAL;
    CWatchBlock context(block->scratch);
    // The parser reads up to a ";".
    std::istringstream in(text + ";");
    ExprNode* tree = nullptr;
    // Names of calls resolve among the program's functions while the text is
    // parsed; the program thread waits at a break meanwhile.
    std::vector<CStatementBlock*>& mine = block->scratch->scope->functions.functions;
    CFunctionTable* theirs = program && program != block->scratch ? program->Functions() : nullptr;
    if (theirs) std::swap(mine, theirs->functions);
    StatusWord status = context.ParseExpression(in, &tree);
    if (theirs) std::swap(mine, theirs->functions);
    if (!IsErrorStatus(status) && tree) {
        status = context.Evaluate(tree, &out);
        if (context.Refused()) status = WithCode(status, ERR_SHARING_VIOLATION);
        if (!IsErrorStatus(status)) {
            ResolveHandles(out);
            if (out.IsEmpty() && tree->kind == EXPR_VARIABLE) status = WithCode(0, ERR_UNDEFINED_VARIABLE);
        }
    }
    if (tree) context.FreeExpression(tree);
    return status;
}

std::string WatchText(StatusWord status, const CValue& value)
{
    if (IsErrorStatus(status)) {
        const char* t = GetErrorText(status);
        return t ? t : "";
    }
    std::string text;
    FormatValueLine(text, &value);
    return text;
}

// ---------------------------------------------------------------- CWatcherDlg

CWatcherDlg::CWatcherDlg(CProgram* owner) : CListBarDlg(kWatcherShape, owner) {}

CWatcherDlg::~CWatcherDlg()
{
    for (WatchItem* it : m_items) delete it;
    m_items.clear();
}

BOOL CWatcherDlg::OnInitDialog()
{
    CListBarDlg::OnInitDialog();
    // "&Add" stays in the template, hidden: typing into the empty row adds a watch.
    ::ShowWindow(::GetDlgItem(m_hWnd, IDC_WT_ADD), SW_HIDE);
    SetUpList();
    UpdateFont();
    CControlAlias<CComboBox> sets = Box(IDC_WT_SETS);
    for (int i = 1; i <= kSetCount; ++i) sets.AddString(("Watch" + std::to_string(i)).c_str());
    RebuildCallStack();
    int set = AfxGetApp() ? AfxGetApp()->GetProfileInt(kSection, "WN", 0) : 0;
    if (set < 0 || set >= kSetCount) set = 0;
    sets.SetCurSel(set);
    LoadSet(set);
    return TRUE;
}

void CWatcherDlg::UpdateFont() { ApplyFont(AppSettings::WatcherFont, {IDC_WT_LIST, IDC_WT_EXPR, IDC_WT_VALUE}); }

int CWatcherDlg::RowCount() const { return m_hWnd ? List().GetItemCount() : 0; }

std::string CWatcherDlg::RowText(int row, int column) const { return List().GetItemText(row, column, 1024); }

void CWatcherDlg::SelectRow(int row)
{
    ListViewSelectOnly(List(), row);
    ShowRow(row);
}

void CWatcherDlg::ShowRow(int row)
{
    if (row >= 0 && row < (int)m_items.size()) {
        SetDlgItemText(IDC_WT_EXPR, m_items[(size_t)row]->expression.c_str());
        SetDlgItemText(IDC_WT_VALUE, WatchText(m_items[(size_t)row]->status, m_items[(size_t)row]->value).c_str());
    } else {
        SetDlgItemText(IDC_WT_EXPR, "");
        SetDlgItemText(IDC_WT_VALUE, "");
    }
}

void CWatcherDlg::ClearStack()
{
    Box(IDC_WT_STACK).ResetContent();
    m_frameBlock = nullptr;
}

void CWatcherDlg::RebuildCallStack()
{
    if (!m_hWnd) return;
    ClearStack();
    if (!OwnerAtBreak(m_pOwner)) return;
    m_filling = true;
    {
        EnterCriticalSection(&m_pOwner->lock);
        for (CCallFrame* f : m_pOwner->frames) {
            std::string text;
            if (f->builtin)
                text = FormatFunctionPrototype(static_cast<const FuncEntry*>(f->function));
            else if (f->function == (CStatementBlock*)m_pOwner)
                text = "Main local program";
            else if (CStatementBlock* b = f->Block(); b && b->GetKind() == 2)
                text = static_cast<CUserFunction*>(b)->name;
            else
                text = "Internal program block";
            AddItem(IDC_WT_STACK, text, (UINT_PTR)f);
        }
        LeaveCriticalSection(&m_pOwner->lock);
    }
    m_filling = false;
    Box(IDC_WT_STACK).SetCurSel(0);
    ApplyFrame();
}

CCallFrame* CWatcherDlg::SelectedFrame() const
{
    if (!m_hWnd || !OwnerAtBreak(m_pOwner)) return nullptr;
    UINT_PTR data = 0;
    if (!SelectedData(IDC_WT_STACK, data)) return nullptr;
    auto* f = reinterpret_cast<CCallFrame*>(data);
    // Only a frame still on the stack.
    EnterCriticalSection(&m_pOwner->lock);
    const bool live = std::find(m_pOwner->frames.begin(), m_pOwner->frames.end(), f) != m_pOwner->frames.end();
    LeaveCriticalSection(&m_pOwner->lock);
    return live ? f : nullptr;
}

void CWatcherDlg::ApplyFrame()
{
    m_frameBlock = nullptr;
    CCallFrame* f = SelectedFrame();
    if (!f) return;
    if (!f->evalBlock) {
        ::MessageBox(AfxGetMainWnd() ? AfxGetMainWnd()->m_hWnd : nullptr, "No source code available on this function",
                     AfxGetAppName(), MB_OK | MB_ICONINFORMATION);
        return;
    }
    f->evalBlock->Refresh();
    m_frameBlock = f->evalBlock;
    if (auto* host = dynamic_cast<IWatcherHost*>(m_pOwner)) host->ShowFrameLine(f->currentStatement);
    EvaluateAll();
    UpdateVariablesBars(m_pOwner, f->Block(), f);
}

void CWatcherDlg::Evaluate(int row)
{
    if (row < 0 || row >= (int)m_items.size()) return;
    WatchItem* item = m_items[(size_t)row];
    // The frame's block lives only while the program stands at this break.
    if (!m_frameBlock || !OwnerAtBreak(m_pOwner) || !SelectedFrame()) return;
    item->status = EvaluateWatch(m_frameBlock, m_pOwner, item->expression, item->value);
    List().SetItemText(row, 1, WatchText(item->status, item->value).c_str());
    if (row == SelectedRow()) ShowRow(row);
}

void CWatcherDlg::EvaluateAll()
{
    if (!m_hWnd || !m_frameBlock) return;
    // The frame's copy of its values, as they are now.
    if (OwnerAtBreak(m_pOwner) && SelectedFrame()) m_frameBlock->Refresh();
    for (int i = 0; i < (int)m_items.size(); ++i) Evaluate(i);
}

void CWatcherDlg::UpdateRunState()
{
    if (!m_hWnd) return;
    const bool on = !OwnerRunning(m_pOwner) || OwnerAtBreak(m_pOwner);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_WT_STACK), on);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_WT_SETS), on);
    if (!OwnerAtBreak(m_pOwner)) ClearStack();
}

void CWatcherDlg::LoadSet(int index)
{
    CControlAlias<CListCtrl> list = List();
    list.DeleteAllItems();
    for (WatchItem* it : m_items) delete it;
    m_items.clear();
    CWinApp* app = AfxGetApp();
    const std::string name = "W" + std::to_string(index);
    const std::string text = app ? app->GetProfileString(kSection, name.c_str(), "") : std::string();
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        auto* item = new WatchItem{line, CValue(), 0};
        m_items.push_back(item);
        list.InsertItem((int)m_items.size() - 1, line.c_str());
        Evaluate((int)m_items.size() - 1);
    }
    list.InsertItem((int)m_items.size(), "");
    SetColumnWidths();
    if (app) app->WriteProfileInt(kSection, "WN", index);
    SelectRow(0);
}

void CWatcherDlg::SaveSet()
{
    CWinApp* app = AfxGetApp();
    if (!app) return;
    const int index = Box(IDC_WT_SETS).GetCurSel();
    if (index < 0) return;
    std::string text;
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (i) text += '\n';
        text += m_items[i]->expression;
    }
    app->WriteProfileString(kSection, ("W" + std::to_string(index)).c_str(), text.c_str());
}

void CWatcherDlg::SetExpression(int row, const std::string& text)
{
    if (text.empty() || row < 0 || row > (int)m_items.size()) return;
    CControlAlias<CListCtrl> list = List();
    if (row == (int)m_items.size()) {
        m_items.push_back(new WatchItem{text, CValue(), 0});
        list.InsertItem((int)m_items.size(), "");
    } else {
        m_items[(size_t)row]->expression = text;
    }
    list.SetItemText(row, 0, text.c_str());
    Evaluate(row);
    ShowRow(row);
    SaveSet();
}

void CWatcherDlg::RemoveWatch(int row)
{
    if (row < 0 || row >= (int)m_items.size()) return;   // the empty row stays
    WatchItem* item = m_items[(size_t)row];
    m_items.erase(m_items.begin() + row);
    List().DeleteItem(row);
    delete item;
    SelectRow(std::min(row, (int)m_items.size()));
    SaveSet();
}

void CWatcherDlg::OpenValue(int row)
{
    if (row < 0 || row >= (int)m_items.size()) return;
    WatchItem* item = m_items[(size_t)row];
    std::string name = item->expression;
    // Outside a break the values may be stale or changing: nothing opens.
    if (!OwnerAtBreak(m_pOwner)) return;
    EditValueModal(name, item->value, false, false, this);
    SetFocus();
}

BOOL CWatcherDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam), code = HIWORD(wParam);
    if (id == IDC_WT_STACK && code == CBN_SELCHANGE) {
        if (!m_filling) ApplyFrame();
        return TRUE;
    }
    if (id == IDC_WT_SETS && code == CBN_SELCHANGE) {
        const int set = Box(IDC_WT_SETS).GetCurSel();
        if (set >= 0) LoadSet(set);
        return TRUE;
    }
    if (id == IDC_WT_DELETE) {
        RemoveWatch(SelectedRow());
        return TRUE;
    }
    if (id == IDC_WT_OPEN) {
        OpenSelected();
        return TRUE;
    }
    return CListBarDlg::OnCommand(wParam, lParam);
}

void CWatcherDlg::OpenSelected() { OpenValue(SelectedRow()); }

bool CWatcherDlg::OnListNotify(NMHDR* hdr, LRESULT* result)
{
    switch ((int)hdr->code) {
    case LVN_BEGINLABELEDIT:
        if (!OwnerAtBreak(m_pOwner)) {
            *result = TRUE;   // refused
            return true;
        }
        m_editing = true;
        SetPassThrough(this, true);
        *result = FALSE;
        return true;
    case LVN_ENDLABELEDIT: {
        auto* di = reinterpret_cast<NMLVDISPINFO*>(hdr);
        m_editing = false;
        SetPassThrough(this, false);
        if (di->item.pszText && di->item.pszText[0] && OwnerAtBreak(m_pOwner))
            SetExpression(di->item.iItem, di->item.pszText);
        *result = FALSE;   // the text is set here
        return true;
    }
    default: return false;
    }
}

BOOL CWatcherDlg::PreTranslateMessage(MSG* msg)
{
    // Keys of the list: Delete removes, space opens, a name character starts an edit.
    if (ForList(msg) && !m_editing) {
        if (msg->message == WM_KEYDOWN && msg->wParam == VK_DELETE) {
            RemoveWatch(SelectedRow());
            return TRUE;
        }
        if (msg->message == WM_CHAR) {
            const int c = (int)msg->wParam;
            if (c == ' ') {
                OpenSelected();
                return TRUE;
            }
            if (std::isalnum(c) || c == '_') {
                const int row = SelectedRow();
                if (HWND box = row >= 0 ? List().EditLabel(row) : nullptr) {
                    CControlAlias<CEdit> edit(box);
                    const char text[2] = {(char)c, 0};
                    edit.SetWindowText(text);
                    edit.SetSel(1, 1);
                }
                return TRUE;
            }
        }
    }
    return CListBarDlg::PreTranslateMessage(msg);
}

LRESULT CWatcherDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY && m_editing) {
        // The frame's accelerators must come back even when the run ends mid-edit.
        m_editing = false;
        SetPassThrough(this, false);
    }
    return CListBarDlg::WindowProc(message, wParam, lParam);
}

// ---------------------------------------------------------------- the bars

CWatcherBar::~CWatcherBar() { Bars::Remove(this); }

void CWatcherBar::PostNcDestroy()
{
    Bars::Remove(this);
    LytDynamicBar::PostNcDestroy();
}

LRESULT CWatcherBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SHOWWINDOW && !wParam) {
        // Hidden means gone; destroyed later, never under the caller.
        PostMessage(WM_WATCHER_DESTROY);
    } else if (message == WM_WATCHER_DESTROY) {
        CWnd* site = m_pDockSite;
        DestroyWindow();
        if (auto* frame = dynamic_cast<CFrameWnd*>(site); frame && frame->m_hWnd) frame->RecalcLayout();
        return 0;
    }
    return LytDynamicBar::WindowProc(message, wParam, lParam);
}

CWatcherBar* CreateWatcherBar(CProgram* owner, CFrameWnd* frame)
{
    if (!frame) return nullptr;
    return Bars::Dock(new CWatcherBar(owner), frame, IDC_WATCHER_BAR, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM | CBRS_GRIPPER,
                      AFX_IDW_DOCKBAR_BOTTOM);
}

CWatcherBar* FindWatcherBar(CProgram* owner) { return Bars::Find(owner); }

bool RemoveWatcherBars(CProgram* owner)
{
    bool any = false;
    for (CWatcherBar* b : std::vector<CWatcherBar*>(Bars::All())) {
        if (b->m_dlg.m_pOwner != owner) continue;
        any = true;
        Bars::Remove(b);
        if (b->m_hWnd)
            b->DestroyWindow();   // deletes itself
        else
            delete b;
    }
    return any;
}

void UpdateWatcherBars(CProgram* owner, int flags)
{
    for (CWatcherBar* b : Bars::Of(owner)) {
        CWatcherDlg& d = b->m_dlg;
        if (flags & 2) d.RebuildCallStack();
        if (flags & 32) d.EvaluateAll();
        if (flags & 8) d.UpdateRunState();
        if (flags & 64) d.UpdateFont();
    }
}

std::vector<CWatcherBar*> WatcherBars() { return Bars::All(); }
