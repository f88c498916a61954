// The document's lists of open modeless value editors.
#include "ide/shell/value_editor_lists.h"

#include <algorithm>

#include "ide/editors/binary_dlg.h"
#include "ide/editors/matrix_dlg.h"
#include "ide/editors/struct_edit_dlg.h"
#include "ide/editors/value_edit.h"
#include "ide/editors/value_edit_dlg.h"
#include "ide/editors/value_line.h"

namespace {

// Creates the dialog and lists it; on failure the dialog is deleted.
template <class Dlg>
bool OpenListed(std::vector<Dlg*>& list, Dlg* dlg, CWnd* parent)
{
    if (!dlg) return false;
    list.push_back(dlg);
    if (!dlg->CreateIndirect(dlg->FindTemplate(), parent) || !dlg->m_hWnd) {
        auto it = std::find(list.begin(), list.end(), dlg);
        if (it != list.end()) {
            list.erase(it);
            delete dlg;
        }
        return false;
    }
    dlg->ShowWindow(SW_SHOW);
    return true;
}

template <class Dlg>
bool RemoveListed(std::vector<Dlg*>& list, Dlg* dlg)
{
    auto it = std::find(list.begin(), list.end(), dlg);
    if (it == list.end()) return false;
    list.erase(it);
    delete dlg;
    return true;
}

template <class Dlg>
void CloseListed(std::vector<Dlg*>& list)
{
    while (!list.empty()) {
        Dlg* last = list.back();
        const size_t before = list.size();
        if (last->m_hWnd) last->DestroyWindow();   // its clean-up unlists and deletes it
        if (list.size() == before && !list.empty() && list.back() == last) {
            list.pop_back();
            delete last;
        }
    }
}

}  // namespace

CValueEditorLists::~CValueEditorLists() { CloseAll(); }

bool CValueEditorLists::OpenBinaryEditor(const std::string& name, CValue* value)
{
    if (!value) return false;
    return OpenListed(m_binary, new CBinaryDlg(nullptr, name, value, ValueBytes(*value), false, m_pHost, nullptr),
                      m_pHost->EditorParent());
}

bool CValueEditorLists::OpenMatrixEditor(const std::string& name, CValue* value)
{
    if (!value) return false;
    return OpenListed(m_matrix, new CMatrixDlg(nullptr, name, value, true, m_pHost, nullptr), m_pHost->EditorParent());
}

bool CValueEditorLists::OpenRecordsEditor(const std::string& name, CValue* value)
{
    if (!value || value->Type() != VT_STRUCT || !value->StructPtr()) return false;
    return OpenListed(m_records, new CStructEditDlg(nullptr, name, value, true, m_pHost, nullptr),
                      m_pHost->EditorParent());
}

bool CValueEditorLists::OpenScalarEditor(const std::string& name, CValue* value)
{
    if (!value) return false;
    return OpenListed(m_scalar, new CValueEditDlg(nullptr, name, value, true, m_pHost, nullptr), m_pHost->EditorParent());
}

bool CValueEditorLists::OpenEditor(ValueEditorKind kind, const std::string& name, CValue* value)
{
    switch (kind) {
    case ValueEditorKind::Matrix: return OpenMatrixEditor(name, value);
    case ValueEditorKind::Struct: return OpenRecordsEditor(name, value);
    case ValueEditorKind::Binary: return OpenBinaryEditor(name, value);
    case ValueEditorKind::Scalar: return OpenScalarEditor(name, value);
    }
    return false;
}

bool CValueEditorLists::RemoveBinaryEditor(CBinaryDlg* dlg) { return RemoveListed(m_binary, dlg); }
bool CValueEditorLists::RemoveMatrixEditor(CMatrixDlg* dlg) { return RemoveListed(m_matrix, dlg); }
bool CValueEditorLists::RemoveRecordsEditor(CStructEditDlg* dlg) { return RemoveListed(m_records, dlg); }
bool CValueEditorLists::RemoveScalarEditor(CValueEditDlg* dlg) { return RemoveListed(m_scalar, dlg); }

bool CValueEditorLists::RemoveEditor(CDialog* dlg)
{
    for (CBinaryDlg* d : m_binary) if (d == dlg) return RemoveBinaryEditor(d);
    for (CMatrixDlg* d : m_matrix) if (d == dlg) return RemoveMatrixEditor(d);
    for (CStructEditDlg* d : m_records) if (d == dlg) return RemoveRecordsEditor(d);
    for (CValueEditDlg* d : m_scalar) if (d == dlg) return RemoveScalarEditor(d);
    return false;
}

void CValueEditorLists::CloseBinaryEditors() { CloseListed(m_binary); }
void CValueEditorLists::CloseMatrixEditors() { CloseListed(m_matrix); }
void CValueEditorLists::CloseRecordsEditors() { CloseListed(m_records); }
void CValueEditorLists::CloseScalarEditors() { CloseListed(m_scalar); }

void CValueEditorLists::CloseAll()
{
    CloseBinaryEditors();
    CloseMatrixEditors();
    CloseRecordsEditors();
    CloseScalarEditors();
}

void CValueEditorLists::RefreshMatrixEditors()
{
    for (CMatrixDlg* dlg : std::vector<CMatrixDlg*>(m_matrix))
        if (dlg->m_hWnd) dlg->Refresh();
}
