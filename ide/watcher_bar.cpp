// The watcher bar and its dialog.
#include "ide/watcher_bar.h"

#include <cctype>
#include <cstring>
#include <sstream>

#include "ide/child_frame.h"
#include "ide/value_edit.h"
#include "ide/variables_bar.h"
#include "ide/value_line.h"
#include "ide/veldra_doc.h"
#include "ide/veldra_view.h"
#include "ide/watch_gate.h"
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
const CDialogTemplate kWatcherTemplate = {WS_CHILD | DS_CONTROL, 0, nullptr, 0, 0, 220, 102, kWatcherItems,
                                          sizeof kWatcherItems / sizeof kWatcherItems[0]};

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

thread_local std::vector<CWatcherBar*> t_bars;

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

CFrameWnd* ChildFrameOf(CWnd* w)
{
    for (CWnd* p = w; p; p = p->GetParent())
        if (auto* f = dynamic_cast<CChildFrame*>(p)) return f;
    return nullptr;
}

void SetPassThrough(CWnd* from, bool on)
{
    // The bar may float: the document's child frame is the one to tell.
    if (auto* f = dynamic_cast<CChildFrame*>(ChildFrameOf(from))) f->SetKeyboardPassThrough(on);
    for (CWatcherBar* b : t_bars)
        if (&b->m_dlg == from || b == from)
            if (auto* doc = dynamic_cast<CVeldraDoc*>(b->m_dlg.m_pOwner))
                if (CVeldraView* v = doc->GetProgramView())
                    if (auto* cf = dynamic_cast<CChildFrame*>(v->GetParentFrame())) cf->SetKeyboardPassThrough(on);
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

CWatcherDlg::CWatcherDlg(CProgram* owner) : LytDynamicBarDlg(&kWatcherTemplate, nullptr, 3, 0, 0), m_pOwner(owner)
{
    m_nTemplateId = IDD_WATCHER;
    RegisterControlClasses();
}

CWatcherDlg::~CWatcherDlg()
{
    for (WatchItem* it : m_items) delete it;
    m_items.clear();
    if (m_font) DeleteObject(m_font);
}

const LayoutTableEntry* CWatcherDlg::GetLayoutTable() const { return kWatcherLayout; }

BOOL CWatcherDlg::OnInitDialog()
{
    LytDynamicBarDlg::OnInitDialog();
    if (CWnd* bar = GetParent()) bar->SetWindowText("Watcher");
    // "&Add" stays in the template, hidden: typing into the empty row adds a watch.
    ::ShowWindow(::GetDlgItem(m_hWnd, IDC_WT_ADD), SW_HIDE);
    HWND list = ::GetDlgItem(m_hWnd, IDC_WT_LIST);
    ::SendMessage(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    LVCOLUMN c0{LVCF_TEXT | LVCF_FMT, LVCFMT_LEFT, 0, (char*)"Name", 0, 0};
    LVCOLUMN c1{LVCF_TEXT | LVCF_FMT, LVCFMT_LEFT, 0, (char*)"Value", 0, 1};
    ::SendMessage(list, LVM_INSERTCOLUMN, 0, (LPARAM)&c0);
    ::SendMessage(list, LVM_INSERTCOLUMN, 1, (LPARAM)&c1);
    UpdateFont();
    HWND sets = ::GetDlgItem(m_hWnd, IDC_WT_SETS);
    for (int i = 1; i <= kSetCount; ++i) {
        const std::string name = "Watch" + std::to_string(i);
        ::SendMessage(sets, CB_ADDSTRING, 0, (LPARAM)name.c_str());
    }
    RebuildCallStack();
    int set = AfxGetApp() ? AfxGetApp()->GetProfileInt(kSection, "WN", 0) : 0;
    if (set < 0 || set >= kSetCount) set = 0;
    ::SendMessage(sets, CB_SETCURSEL, (WPARAM)set, 0);
    LoadSet(set);
    return TRUE;
}

void CWatcherDlg::UpdateFont()
{
    HFONT old = m_font;
    LOGFONT lf{};
    const int tenths = AppSettings::WatcherFont.size > 0 ? AppSettings::WatcherFont.size : 90;
    lf.lfHeight = -(tenths * 96 + 360) / 720;
    const std::string face = AppSettings::WatcherFont.face.empty() ? "Courier New" : AppSettings::WatcherFont.face;
    std::strncpy(lf.lfFaceName, face.c_str(), sizeof lf.lfFaceName - 1);
    m_font = CreateFontIndirect(&lf);
    for (int id : {IDC_WT_LIST, IDC_WT_EXPR, IDC_WT_VALUE})
        ::SendMessage(::GetDlgItem(m_hWnd, id), WM_SETFONT, (WPARAM)m_font, TRUE);
    if (old) DeleteObject(old);
}

int CWatcherDlg::RowCount() const
{
    return m_hWnd ? (int)::SendMessage(::GetDlgItem(m_hWnd, IDC_WT_LIST), LVM_GETITEMCOUNT, 0, 0) : 0;
}

std::string CWatcherDlg::RowText(int row, int column) const
{
    char buf[1024] = {};
    LVITEM it{};
    it.iSubItem = column;
    it.pszText = buf;
    it.cchTextMax = (int)sizeof buf;
    ::SendMessage(::GetDlgItem(m_hWnd, IDC_WT_LIST), LVM_GETITEMTEXT, (WPARAM)row, (LPARAM)&it);
    return buf;
}

int CWatcherDlg::SelectedRow() const { return ListViewSelectedRow(::GetDlgItem(m_hWnd, IDC_WT_LIST)); }

void CWatcherDlg::SelectRow(int row)
{
    ListViewSelectOnly(::GetDlgItem(m_hWnd, IDC_WT_LIST), row);
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

void CWatcherDlg::SetColumnWidths()
{
    HWND list = ::GetDlgItem(m_hWnd, IDC_WT_LIST);
    if (!list) return;
    RECT rc;
    ::GetClientRect(list, &rc);
    const int w = rc.right - rc.left - 3;
    ::SendMessage(list, LVM_SETCOLUMNWIDTH, 0, w / 4);
    ::SendMessage(list, LVM_SETCOLUMNWIDTH, 1, w - w / 4);
}

void CWatcherDlg::ClearStack()
{
    HWND box = ::GetDlgItem(m_hWnd, IDC_WT_STACK);
    ::SendMessage(box, CB_RESETCONTENT, 0, 0);
    m_frameBlock = nullptr;
}

void CWatcherDlg::RebuildCallStack()
{
    if (!m_hWnd) return;
    ClearStack();
    if (!OwnerAtBreak(m_pOwner)) return;
    HWND box = ::GetDlgItem(m_hWnd, IDC_WT_STACK);
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
            const int at = (int)::SendMessage(box, CB_ADDSTRING, 0, (LPARAM)text.c_str());
            ::SendMessage(box, CB_SETITEMDATA, (WPARAM)at, (LPARAM)f);
        }
        LeaveCriticalSection(&m_pOwner->lock);
    }
    m_filling = false;
    ::SendMessage(box, CB_SETCURSEL, 0, 0);
    ApplyFrame();
}

CCallFrame* CWatcherDlg::SelectedFrame() const
{
    if (!m_hWnd || !OwnerAtBreak(m_pOwner)) return nullptr;
    HWND box = ::GetDlgItem(m_hWnd, IDC_WT_STACK);
    const int sel = (int)::SendMessage(box, CB_GETCURSEL, 0, 0);
    if (sel < 0) return nullptr;
    auto* f = reinterpret_cast<CCallFrame*>(::SendMessage(box, CB_GETITEMDATA, (WPARAM)sel, 0));
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
    if (auto* doc = dynamic_cast<CVeldraDoc*>(m_pOwner))
        if (CVeldraView* view = doc->GetProgramView()) view->ShowFrameLine(f->currentStatement);
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
    LVITEM it{};
    it.iSubItem = 1;
    const std::string text = WatchText(item->status, item->value);
    it.pszText = (char*)text.c_str();
    ::SendMessage(::GetDlgItem(m_hWnd, IDC_WT_LIST), LVM_SETITEMTEXT, (WPARAM)row, (LPARAM)&it);
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
    HWND list = ::GetDlgItem(m_hWnd, IDC_WT_LIST);
    ::SendMessage(list, LVM_DELETEALLITEMS, 0, 0);
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
        LVITEM it{LVIF_TEXT, (int)m_items.size() - 1, 0, 0, 0, (char*)line.c_str(), 0, 0, 0};
        ::SendMessage(list, LVM_INSERTITEM, 0, (LPARAM)&it);
        Evaluate((int)m_items.size() - 1);
    }
    LVITEM empty{LVIF_TEXT, (int)m_items.size(), 0, 0, 0, (char*)"", 0, 0, 0};
    ::SendMessage(list, LVM_INSERTITEM, 0, (LPARAM)&empty);
    SetColumnWidths();
    if (app) app->WriteProfileInt(kSection, "WN", index);
    SelectRow(0);
}

void CWatcherDlg::SaveSet()
{
    CWinApp* app = AfxGetApp();
    if (!app) return;
    const int index = (int)::SendMessage(::GetDlgItem(m_hWnd, IDC_WT_SETS), CB_GETCURSEL, 0, 0);
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
    HWND list = ::GetDlgItem(m_hWnd, IDC_WT_LIST);
    if (row == (int)m_items.size()) {
        m_items.push_back(new WatchItem{text, CValue(), 0});
        LVITEM empty{LVIF_TEXT, (int)m_items.size(), 0, 0, 0, (char*)"", 0, 0, 0};
        ::SendMessage(list, LVM_INSERTITEM, 0, (LPARAM)&empty);
    } else {
        m_items[(size_t)row]->expression = text;
    }
    LVITEM it{};
    it.iSubItem = 0;
    it.pszText = (char*)text.c_str();
    ::SendMessage(list, LVM_SETITEMTEXT, (WPARAM)row, (LPARAM)&it);
    Evaluate(row);
    ShowRow(row);
    SaveSet();
}

void CWatcherDlg::RemoveWatch(int row)
{
    if (row < 0 || row >= (int)m_items.size()) return;   // the empty row stays
    WatchItem* item = m_items[(size_t)row];
    m_items.erase(m_items.begin() + row);
    HWND list = ::GetDlgItem(m_hWnd, IDC_WT_LIST);
    ::SendMessage(list, LVM_DELETEITEM, (WPARAM)row, 0);
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
        const int set = (int)::SendMessage(::GetDlgItem(m_hWnd, IDC_WT_SETS), CB_GETCURSEL, 0, 0);
        if (set >= 0) LoadSet(set);
        return TRUE;
    }
    if (id == IDC_WT_DELETE) {
        RemoveWatch(SelectedRow());
        return TRUE;
    }
    if (id == IDC_WT_OPEN) {
        OpenValue(SelectedRow());
        return TRUE;
    }
    return LytDynamicBarDlg::OnCommand(wParam, lParam);
}

BOOL CWatcherDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    auto* hdr = reinterpret_cast<NMHDR*>(lParam);
    if (hdr && hdr->idFrom == IDC_WT_LIST) {
        switch ((int)hdr->code) {
        case LVN_BEGINLABELEDIT:
            if (!OwnerAtBreak(m_pOwner)) {
                *result = TRUE;   // refused
                return TRUE;
            }
            m_editing = true;
            SetPassThrough(this, true);
            *result = FALSE;
            return TRUE;
        case LVN_ENDLABELEDIT: {
            auto* di = reinterpret_cast<NMLVDISPINFO*>(lParam);
            m_editing = false;
            SetPassThrough(this, false);
            if (di->item.pszText && di->item.pszText[0] && OwnerAtBreak(m_pOwner))
                SetExpression(di->item.iItem, di->item.pszText);
            *result = FALSE;   // the text is set here
            return TRUE;
        }
        case LVN_ITEMCHANGED: {
            auto* nm = reinterpret_cast<NMLISTVIEW*>(lParam);
            if ((nm->uNewState & LVIS_SELECTED) && !(nm->uOldState & LVIS_SELECTED)) ShowRow(nm->iItem);
            return TRUE;
        }
        case NM_DBLCLK:
            OpenValue(SelectedRow());
            return TRUE;
        default: break;
        }
    }
    return LytDynamicBarDlg::OnNotify(wParam, lParam, result);
}

BOOL CWatcherDlg::PreTranslateMessage(MSG* msg)
{
    // Keys of the list: Delete removes, space opens, a name character starts an edit.
    HWND list = m_hWnd ? ::GetDlgItem(m_hWnd, IDC_WT_LIST) : nullptr;
    if (list && msg->hwnd == list && !m_editing) {
        if (msg->message == WM_KEYDOWN && msg->wParam == VK_DELETE) {
            RemoveWatch(SelectedRow());
            return TRUE;
        }
        if (msg->message == WM_CHAR) {
            const int c = (int)msg->wParam;
            if (c == ' ') {
                OpenValue(SelectedRow());
                return TRUE;
            }
            if (std::isalnum(c) || c == '_') {
                const int row = SelectedRow();
                HWND edit = row >= 0 ? (HWND)::SendMessage(list, LVM_EDITLABEL, (WPARAM)row, 0) : nullptr;
                if (edit) {
                    const char text[2] = {(char)c, 0};
                    ::SetWindowText(edit, text);
                    ::SendMessage(edit, EM_SETSEL, 1, 1);
                }
                return TRUE;
            }
        }
    }
    return LytDynamicBarDlg::PreTranslateMessage(msg);
}

LRESULT CWatcherDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY && m_editing) {
        // The frame's accelerators must come back even when the run ends mid-edit.
        m_editing = false;
        SetPassThrough(this, false);
    }
    const LRESULT r = LytDynamicBarDlg::WindowProc(message, wParam, lParam);
    if (message == WM_SIZE) SetColumnWidths();
    return r;
}

// ---------------------------------------------------------------- the bars

CWatcherBar::~CWatcherBar() { std::erase(t_bars, this); }

void CWatcherBar::PostNcDestroy()
{
    std::erase(t_bars, this);
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
    auto* bar = new CWatcherBar(owner);
    if (!bar->Create("", frame, SIZE{200, 100}, TRUE, IDC_WATCHER_BAR, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM | CBRS_GRIPPER)) {
        delete bar;
        return nullptr;
    }
    bar->m_bAutoDelete = TRUE;
    bar->SetBarStyle(bar->GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC);
    bar->EnableDocking(CBRS_ALIGN_ANY);
    frame->EnableDocking(CBRS_ALIGN_ANY);
    frame->DockControlBar(bar, AFX_IDW_DOCKBAR_BOTTOM);
    t_bars.push_back(bar);
    bar->LoadSizes("DOC");
    return bar;
}

CWatcherBar* FindWatcherBar(CProgram* owner)
{
    for (CWatcherBar* b : t_bars)
        if (b->m_dlg.m_pOwner == owner) return b;
    return nullptr;
}

bool RemoveWatcherBars(CProgram* owner)
{
    bool any = false;
    for (CWatcherBar* b : std::vector<CWatcherBar*>(t_bars)) {
        if (b->m_dlg.m_pOwner != owner) continue;
        any = true;
        std::erase(t_bars, b);
        if (b->m_hWnd)
            b->DestroyWindow();   // deletes itself
        else
            delete b;
    }
    return any;
}

void UpdateWatcherBars(CProgram* owner, int flags)
{
    for (CWatcherBar* b : std::vector<CWatcherBar*>(t_bars)) {
        if (owner && b->m_dlg.m_pOwner != owner) continue;
        CWatcherDlg& d = b->m_dlg;
        if (flags & 2) d.RebuildCallStack();
        if (flags & 32) d.EvaluateAll();
        if (flags & 8) d.UpdateRunState();
        if (flags & 64) d.UpdateFont();
    }
}

std::vector<CWatcherBar*> WatcherBars() { return t_bars; }
