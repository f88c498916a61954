// The variables window and its dialog.
#include "ide/bars/variables_bar.h"

#include <algorithm>
#include <new>
#include <unordered_set>

#include "ide/run/program_loader.h"
#include "ide/run/run_lock.h"
#include "ide/editors/value_edit.h"
#include "ide/editors/value_line.h"
#include "ide/bars/watcher_bar.h"
#include "interpreter/func_records.h"
#include "interpreter/program.h"
#include "interpreter/read_only_params.h"
#include "interpreter/user_function.h"
#include "interpreter/var_table.h"
#include "platform/afx/afx_controls.h"
#include "platform/afx/document.h"
#include "platform/afx/win_app.h"
#include "platform/controls/controls.h"
#include "platform/controls/list_notify.h"
#include "values/app_settings.h"

namespace {

const CDialogItemTemplate kVariablesItems[] = {
    {"ComboBox", "", IDC_VR_SCOPE, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 4, 4, 112, 120, 0},
    {"Static", "List:", IDC_VR_LIST_LABEL, 0, 4, 20, 112, 8, 0},
    {WC_LISTVIEW, "", IDC_VR_LIST, WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA,
     4, 30, 112, 60, 0},
    {"Static", "Variable:", IDC_VR_NAME_LABEL, 0, 4, 94, 112, 8, 0},
    {"Edit", "", IDC_VR_NAME, WS_BORDER | ES_READONLY | ES_AUTOHSCROLL, 4, 104, 112, 12, 0},
    {"Static", "Value:", IDC_VR_VALUE_LABEL, 0, 4, 120, 112, 8, 0},
    {"Edit", "", IDC_VR_VALUE, WS_BORDER | ES_READONLY | ES_AUTOHSCROLL, 4, 130, 90, 12, 0},
    {"Button", "...", IDC_VR_OPEN, WS_TABSTOP | BS_PUSHBUTTON, 98, 130, 18, 12, 0},
};
const CDialogTemplate kVariablesTemplate = ListBarTemplate(kVariablesItems, 120, 146);

const LayoutTableEntry kVariablesLayout[] = {
    {2, IDC_VR_SCOPE, {1, 0, 0, 0}},
    {2, IDC_VR_LIST_LABEL, {0, 0, 0, 0}},
    {2, IDC_VR_LIST, {1, 1, 0, 0}},
    {2, IDC_VR_NAME_LABEL, {0, 2, 0, 0}},
    {2, IDC_VR_VALUE_LABEL, {0, 2, 0, 0}},
    {2, IDC_VR_NAME, {1, 2, 0, 0}},
    {2, IDC_VR_VALUE, {1, 2, 0, 0}},
    {2, IDC_VR_OPEN, {2, 2, 0, 0}},
    {0, 0, {0, 0, 0, 0}},
};

const ListBarShape kVariablesShape = {&kVariablesTemplate, IDD_VARIABLES, kVariablesLayout, "Variables", IDC_VR_LIST,
                                       {"Variable", "Value"}, 0.3125};

using Bars = ListBars<CVariablesBar>;

bool Running(CProgram* p) { return p && p->thread && IsThreadAlive(p->thread); }
bool AtBreak(CProgram* p) { return Running(p) && p->debugging && p->atBreak; }

const CValue* RowValue(const VariableRow& r, const CVarTable* frameTable)
{
    if (r.flags & VariableRow::CONSTANT) return &static_cast<const FuncConstant*>(r.object)->value;
    if (frameTable)
        if (CVarSlot* s = frameTable->Find(r.name)) return s->value;
    return static_cast<const CVarSlot*>(r.object)->value;
}

}  // namespace

// ---------------------------------------------------------------- CVariablesDlg

CVariablesDlg::CVariablesDlg(CProgram* owner) : CListBarDlg(kVariablesShape, owner) {}

BOOL CVariablesDlg::OnInitDialog()
{
    CListBarDlg::OnInitDialog();
    UpdateFont();
    SetUpList();
    RebuildScopes();
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_VR_OPEN), TRUE);
    return TRUE;
}

void CVariablesDlg::UpdateFont() { ApplyFont(AppSettings::VariablesFont, {IDC_VR_LIST, IDC_VR_NAME, IDC_VR_VALUE}); }

bool CVariablesDlg::CanRead(const CVarTable* table) const
{
    // A translation on its own thread is filling the tables.
    if (ProgramLoading(m_pOwner)) return false;
    // A program thread that sent us a refresh waits for the answer.
    const bool senderWaits = InSendMessage() != FALSE;
    if (table == &GlobalVariables) {
        // Only one program runs at a time: the globals stand still when none
        // runs, when it waits for us, or at its break.
        CProgram* holder = RunLockHolder();
        return !RunLockHeld() || senderWaits || (holder && AtBreak(holder));
    }
    return !Running(m_pOwner) || AtBreak(m_pOwner) || senderWaits;
}

void CVariablesDlg::EmptyRows()
{
    if (m_hWnd) List().SetItemCount(0);
    m_rows.clear();
    m_current = nullptr;
    m_shown = -1;
}

void CVariablesDlg::AddSource(const std::string& name, const void* source)
{
    // Scopes by name: a program may declare thousands of functions.
    auto [at, added] = m_scopeByName.try_emplace(name, m_scopes.size());
    if (!added) {
        m_scopes[at->second]->sources.push_back(source);
        return;
    }
    auto s = std::make_unique<VariableScope>();
    s->name = name;
    s->sources.push_back(source);
    m_scopes.push_back(std::move(s));
}

void CVariablesDlg::RebuildScopes()
{
    if (!m_hWnd) return;
    EmptyRows();
    Box(IDC_VR_SCOPE).ResetContent();
    m_scopes.clear();
    m_scopeByName.clear();
    AddSource("Local", m_pOwner ? m_pOwner->Vars() : nullptr);
    if (m_pOwner && m_pOwner->Functions() && !ProgramLoading(m_pOwner))
        for (CStatementBlock* b : m_pOwner->Functions()->functions)
            if (b && b->GetKind() == 2) AddSource("Function - " + static_cast<CUserFunction*>(b)->name, b->Vars());
    for (FuncLibrary* lib : RegisteredLibraries())
        if (lib && lib->constantCount != 0) AddSource(lib->name ? lib->name : "", lib);
    AddSource("Global", &GlobalVariables);
    for (const auto& scope : m_scopes) AddItem(IDC_VR_SCOPE, scope->name, (UINT_PTR)scope.get());
    Box(IDC_VR_SCOPE).SetCurSel(0);
    ApplyScope();
}

VariableScope* CVariablesDlg::SelectedScope() const
{
    UINT_PTR data = 0;
    return SelectedData(IDC_VR_SCOPE, data) ? reinterpret_cast<VariableScope*>(data) : nullptr;
}

VariableScope* CVariablesDlg::ScopeAt(int item) const
{
    return reinterpret_cast<VariableScope*>(Box(IDC_VR_SCOPE).GetItemData(item));
}

const CVarTable* CVariablesDlg::FrameTable(VariableScope* scope)
{
    if (!scope || !scope->frame || !scope->program) return nullptr;
    CProgram* p = scope->program;
    bool live = false;
    if (AtBreak(p)) {
        EnterCriticalSection(&p->lock);
        live = std::find(p->frames.begin(), p->frames.end(), scope->frame) != p->frames.end();
        LeaveCriticalSection(&p->lock);
    }
    if (!live || !scope->frame->evalBlock || !scope->frame->evalBlock->scratch) {
        scope->frame = nullptr;
        scope->program = nullptr;
        return nullptr;
    }
    return scope->frame->evalBlock->scratch->Vars();
}

void CVariablesDlg::BuildRows()
{
    m_rows.clear();
    m_current = SelectedScope();
    m_shown = -1;
    if (!m_current) return;
    // A program may hold a hundred thousand names. Only a scope of several
    // sources can list one object twice.
    const bool several = m_current->sources.size() > 1;
    std::unordered_set<const void*> seen;
    auto fresh = [&](const void* p) { return !several || seen.insert(p).second; };
    for (const void* source : m_current->sources) {
        if (!source || IsRegisteredLibrary(static_cast<const FuncLibrary*>(source))) {
            std::vector<const FuncConstant*> list;
            if (!source) {
                CollectBuiltinConstants(list);
            } else {
                auto* lib = static_cast<const FuncLibrary*>(source);
                for (int i = 0; i < lib->constantCount; ++i) list.push_back(&lib->constants[i]);
            }
            for (const FuncConstant* c : list)
                if (fresh(c)) m_rows.push_back(VariableRow{VariableRow::CONSTANT, c, nullptr, c->name ? c->name : "", ""});
            continue;
        }
        auto* table = static_cast<const CVarTable*>(source);
        if (!CanRead(table)) continue;
        std::unique_lock<std::recursive_mutex> guard;
        if (table == &GlobalVariables) guard = LockGlobalSlots();
        m_rows.reserve(m_rows.size() + table->slots.size());
        for (CVarSlot* s : table->slots)
            if (s && fresh(s))
                m_rows.push_back(VariableRow{VariableRow::VARIABLE | VariableRow::CACHED, s, table, s->name, ""});
    }
    RemakeTexts();
    // Byte order: upper case before lower case. The rows are large: their
    // order is found on indices, then they move once.
    std::vector<uint32_t> order(m_rows.size());
    for (uint32_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return m_rows[a].name < m_rows[b].name; });
    std::vector<VariableRow> sorted;
    sorted.reserve(m_rows.size());
    for (uint32_t i : order) sorted.push_back(std::move(m_rows[i]));
    m_rows.swap(sorted);
}

void CVariablesDlg::RemakeTexts()
{
    const CVarTable* frameTable = FrameTable(m_current);
    // Asked once per table, not per row.
    const CVarTable* asked = nullptr;
    bool readable = false;
    std::string emptyText;
    bool haveEmptyText = false;
    for (VariableRow& r : m_rows) {
        if (!(r.flags & VariableRow::CACHED)) continue;
        if (r.table != asked || !asked) {
            asked = r.table;
            readable = CanRead(r.table);
        }
        // A table that may change now keeps its old texts.
        if (!readable) continue;
        std::unique_lock<std::recursive_mutex> guard;
        if (r.table == &GlobalVariables) {
            guard = LockGlobalSlots();
            // The slot may be gone: find it again by name.
            CVarSlot* s = GlobalVariables.Find(r.name);
            r.object = s;
            if (!s) {
                r.text.clear();
                continue;
            }
        }
        // After a translation every value is empty: its text is made once.
        const CValue* value = RowValue(r, frameTable);
        if (value && value->IsEmpty()) {
            if (!haveEmptyText) FormatValueLine(emptyText, value);
            haveEmptyText = true;
            r.text = emptyText;
        } else {
            FormatValueLine(r.text, value);
        }
    }
}

void CVariablesDlg::ApplyScope()
{
    if (!m_hWnd) return;
    CControlAlias<CListCtrl> list = List();
    VariableScope* scope = SelectedScope();
    if (scope != m_current || m_rows.empty()) {
        list.SetItemCount(0);
        BuildRows();
        list.SetItemCount((int)m_rows.size());
    } else {
        RemakeTexts();
    }
    list.Invalidate();
    SetColumnWidths();
    SelectRow(0);
}

void CVariablesDlg::RereadRows()
{
    if (!m_hWnd || !SelectedScope()) return;
    CControlAlias<CListCtrl> list = List();
    const int remembered = m_shown;
    // New variables may have come: the rows are built again.
    list.SetItemCount(0);
    BuildRows();
    list.SetItemCount((int)m_rows.size());
    list.Invalidate();
    SelectRow(remembered >= 0 && remembered < (int)m_rows.size() ? remembered : 0);
}

void CVariablesDlg::SelectFrameScope(CStatementBlock* block, CCallFrame* frame)
{
    if (!m_hWnd) return;
    if (!block) block = m_pOwner;
    const CVarTable* table = block ? block->Vars() : nullptr;
    const int found = FindData(IDC_VR_SCOPE, [&](UINT_PTR data) {
        auto* s = reinterpret_cast<VariableScope*>(data);
        return s && std::find(s->sources.begin(), s->sources.end(), (const void*)table) != s->sources.end();
    });
    Box(IDC_VR_SCOPE).SetCurSel(found);
    if (found < 0) {
        EmptyRows();
        return;
    }
    VariableScope* s = SelectedScope();
    s->frame = frame;
    s->program = frame ? m_pOwner : nullptr;
    m_current = nullptr;   // the rows are made again for this frame
    ApplyScope();
}

void CVariablesDlg::UpdateRunState()
{
    if (!m_hWnd) return;
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_VR_SCOPE), !Running(m_pOwner) || AtBreak(m_pOwner));
}

void CVariablesDlg::SelectRow(int row)
{
    ListViewSelectOnly(List(), row);
    ShowRow(row);
}

void CVariablesDlg::ShowRow(int row)
{
    if (row < 0 || row >= (int)m_rows.size()) {
        m_shown = -1;
        return;
    }
    m_shown = row;
    VariableRow& r = m_rows[(size_t)row];
    std::string text = r.text;
    if (!(r.flags & VariableRow::CACHED)) FormatValueLine(text, RowValue(r, nullptr));
    SetDlgItemText(IDC_VR_NAME, r.name.c_str());
    SetDlgItemText(IDC_VR_VALUE, text.c_str());
}

void CVariablesDlg::OpenValue(int row)
{
    HWND self = m_hWnd;
    if (Running(m_pOwner) && !AtBreak(m_pOwner)) return;
    if (row < 0 || row >= (int)m_rows.size()) return;
    VariableRow& r = m_rows[(size_t)row];
    if (!CanRead(r.table)) return;
    // Constants are shown, never changed.
    const bool editable = !(r.flags & VariableRow::CONSTANT) && AtBreak(m_pOwner);
    CValue* value = EditTarget(r, editable);
    if (!value) return;
    std::string name = r.name;
    if (!AtBreak(m_pOwner)) {
        // No program runs: a read-only modeless editor of the frame's active document.
        CFrameWnd* frame = GetParentFrame();
        CDocument* active = frame ? frame->GetActiveDocument() : nullptr;
        IValueEditHost* host = dynamic_cast<IValueEditHost*>(active);
        if (!host) host = dynamic_cast<IValueEditHost*>(m_pOwner);
        if (host) EditValueModeless(name, *value, host);
        return;
    }
    const bool inserted = EditValueModal(name, *value, editable, false, this) == IDOK;
    if (!::IsWindow(self)) return;
    SetFocus();
    if (inserted) {
        // The frame shows a copy of its values: it is taken again, and the
        // watches are evaluated again on it.
        if (FrameTable(m_current)) m_current->frame->evalBlock->Refresh();
        UpdateWatcherBars(m_pOwner, 32);
    }
    RemakeTexts();
    ShowRow(row);
    List().Invalidate();
}

CValue* CVariablesDlg::EditTarget(const VariableRow& r, bool editable)
{
    if (r.flags & VariableRow::CONSTANT) return const_cast<CValue*>(&static_cast<const FuncConstant*>(r.object)->value);
    CVarSlot* live = r.table ? r.table->Find(r.name) : nullptr;
    if (!live) return nullptr;
    // An outer call of a recursive function keeps its values aside while an
    // inner call runs: the picked frame's value is changed there.
    if (r.table != &GlobalVariables && FrameTable(m_current)) {
        CEvalBlock* eval = m_current->frame->evalBlock;
        const CVarTable* owner = eval->owner ? eval->owner->Vars() : nullptr;
        if (eval->savedValues && owner == r.table) {
            const auto at = std::find(owner->slots.begin(), owner->slots.end(), live);
            const long i = at - owner->slots.begin();
            if (at == owner->slots.end() || i >= eval->savedCount) return nullptr;
            CSavedValue& saved = eval->savedValues[i];
            if (editable && saved.readOnly && saved.value) {
                // Still the caller's value: the frame gets a copy of its own.
                CValue* copy = new (std::nothrow) CValue(*saved.value);
                if (!copy) return nullptr;
                saved.value = copy;
                saved.owned = 1;
                saved.readOnly = 0;
            }
            return saved.value;
        }
    }
    // A parameter bound to the caller's value changes only its own copy.
    return editable ? TakeOwnCopy(live) : live->value;
}

std::vector<std::string> CVariablesDlg::ScopeNames() const
{
    std::vector<std::string> out;
    const int n = Box(IDC_VR_SCOPE).GetCount();
    for (int i = 0; i < n; ++i) {
        VariableScope* s = ScopeAt(i);
        out.push_back(s ? s->name : "");
    }
    return out;
}

bool CVariablesDlg::SelectScope(const std::string& name)
{
    const int found = FindData(IDC_VR_SCOPE, [&](UINT_PTR data) {
        auto* s = reinterpret_cast<VariableScope*>(data);
        return s && s->name == name;
    });
    if (found < 0) return false;
    Box(IDC_VR_SCOPE).SetCurSel(found);
    ApplyScope();
    return true;
}

BOOL CVariablesDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam), code = HIWORD(wParam);
    if (id == IDC_VR_SCOPE && code == CBN_SELCHANGE) {
        ApplyScope();
        return TRUE;
    }
    if (id == IDC_VR_OPEN) {
        OpenSelected();
        return TRUE;
    }
    return CListBarDlg::OnCommand(wParam, lParam);
}

bool CVariablesDlg::CellText(int row, int column, std::string& text) const
{
    if (row < 0 || row >= (int)m_rows.size()) return false;
    const VariableRow& r = m_rows[(size_t)row];
    if (column == 0)
        text = r.name;
    else if (r.flags & VariableRow::CACHED)
        text = r.text;
    else
        FormatValueLine(text, RowValue(r, nullptr));
    return true;
}

void CVariablesDlg::OpenSelected() { OpenValue(SelectedRow()); }

BOOL CVariablesDlg::PreTranslateMessage(MSG* msg)
{
    // Space in the list opens the value, as "..." does.
    if (msg->message == WM_CHAR && msg->wParam == ' ' && ForList(msg)) {
        OpenSelected();
        return TRUE;
    }
    return CListBarDlg::PreTranslateMessage(msg);
}

// ---------------------------------------------------------------- the bars

CVariablesBar::~CVariablesBar() { RemoveVariablesBar(this); }

void CVariablesBar::PostNcDestroy()
{
    RemoveVariablesBar(this);
    LytDynamicBar::PostNcDestroy();
}

CVariablesBar* CreateVariablesBar(CProgram* owner, CFrameWnd* frame)
{
    if (!frame) return nullptr;
    return Bars::Dock(new CVariablesBar(owner), frame, IDC_VARIABLES_BAR,
                      WS_CHILD | WS_VISIBLE | CBRS_BOTTOM | CBRS_BORDER_TOP | CBRS_GRIPPER, AFX_IDW_DOCKBAR_RIGHT);
}

CVariablesBar* FindVariablesBar(CProgram* owner) { return Bars::Find(owner); }

void RemoveVariablesBar(CVariablesBar* bar) { Bars::Remove(bar); }

void RefreshVariablesBars(CProgram* owner, int flags)
{
    for (CVariablesBar* b : Bars::Of(owner)) {
        CVariablesDlg& d = b->m_dlg;
        if (flags & 1) d.RebuildScopes();
        if (flags & 2) d.RereadRows();
        if (flags & 4) {
            // The block of the statement where the program stopped.
            CStatementBlock* block = nullptr;
            if (CProgram* p = d.m_pOwner; p && AtBreak(p))
                if (CStatement* st = p->currentStatement.load(); st && st->owner) block = st->owner->Context();
            d.SelectFrameScope(block, nullptr);
        }
        if (flags & 8) d.UpdateRunState();
        if (flags & 64) d.UpdateFont();
    }
}

void UpdateVariablesBars(CProgram* owner, CStatementBlock* block, CCallFrame* frame)
{
    for (CVariablesBar* b : Bars::Of(owner)) b->m_dlg.SelectFrameScope(block, frame);
}

void EmptyVariablesBars(CProgram* owner)
{
    for (CVariablesBar* b : Bars::Of(owner)) b->m_dlg.EmptyRows();
}
