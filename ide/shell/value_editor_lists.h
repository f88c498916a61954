#pragma once
// The open modeless value editors of one program document, in four lists
// (binary, matrix, structure, scalar) in opening order. The document holds
// one as a member; the editors remove themselves when their window goes.
#include <string>
#include <vector>

#include "ide/editors/value_edit.h"

class CBinaryDlg;
class CMatrixDlg;
class CStructEditDlg;
class CValueEditDlg;

class CValueEditorLists {
public:
    explicit CValueEditorLists(IValueEditHost* host) : m_pHost(host) {}
    ~CValueEditorLists();
    CValueEditorLists(const CValueEditorLists&) = delete;
    CValueEditorLists& operator=(const CValueEditorLists&) = delete;

    // Create the read-only modeless editor as a child of the host's editor
    // parent, show it and list it; false (nothing listed) when the window
    // cannot be made. The binary editor works on a copy of the value's bytes.
    bool OpenBinaryEditor(const std::string& name, CValue* value);
    bool OpenMatrixEditor(const std::string& name, CValue* value);
    bool OpenRecordsEditor(const std::string& name, CValue* value);
    bool OpenScalarEditor(const std::string& name, CValue* value);
    // The one of the kind (the host's OpenValueEditor).
    bool OpenEditor(ValueEditorKind kind, const std::string& name, CValue* value);

    // Unlist and delete; false when not listed. Called from the editors' final clean-up.
    bool RemoveBinaryEditor(CBinaryDlg* dlg);
    bool RemoveMatrixEditor(CMatrixDlg* dlg);
    bool RemoveRecordsEditor(CStructEditDlg* dlg);
    bool RemoveScalarEditor(CValueEditDlg* dlg);
    // Whichever list holds it (the host's ValueEditorClosed).
    bool RemoveEditor(CDialog* dlg);

    // Destroy the last listed editor's window until the list is empty.
    void CloseBinaryEditors();
    void CloseMatrixEditors();
    void CloseRecordsEditors();
    void CloseScalarEditors();
    // All four, in that order (before a run).
    void CloseAll();

    // Every open matrix editor reloads its value.
    void RefreshMatrixEditors();

    const std::vector<CBinaryDlg*>& BinaryEditors() const { return m_binary; }
    const std::vector<CMatrixDlg*>& MatrixEditors() const { return m_matrix; }
    const std::vector<CStructEditDlg*>& RecordsEditors() const { return m_records; }
    const std::vector<CValueEditDlg*>& ScalarEditors() const { return m_scalar; }
    size_t Count() const { return m_binary.size() + m_matrix.size() + m_records.size() + m_scalar.size(); }

private:
    IValueEditHost* m_pHost;
    std::vector<CBinaryDlg*> m_binary;
    std::vector<CMatrixDlg*> m_matrix;
    std::vector<CStructEditDlg*> m_records;
    std::vector<CValueEditDlg*> m_scalar;
};
