// Dispatch of the value editors by type: the modal editor runs here, a
// modeless one is opened and listed by its host.
#include "ide/editors/value_edit.h"

#include "ide/editors/binary_dlg.h"
#include "ide/editors/matrix_dlg.h"
#include "ide/editors/struct_edit_dlg.h"
#include "ide/editors/value_edit_dlg.h"
#include "ide/editors/value_line.h"

int EditValueModal(std::string& name, CValue& value, bool editable, bool nameEditable, CWnd* parent)
{
    std::string* outName = nameEditable ? &name : nullptr;
    switch (ValueEditorKindOf(value, false)) {
    case ValueEditorKind::Matrix: {
        CMatrixDlg dlg(outName, name, &value, !editable, nullptr, parent);
        return (int)dlg.DoModal();
    }
    case ValueEditorKind::Struct: {
        if (!value.StructPtr()) value.MakeStruct();
        CStructEditDlg dlg(outName, name, &value, !editable, nullptr, parent);
        return (int)dlg.DoModal();
    }
    case ValueEditorKind::Binary: {
        CBinaryDlg dlg(outName, name, &value, ValueBytes(value), editable, nullptr, parent);
        return (int)dlg.DoModal();
    }
    case ValueEditorKind::Scalar:
    default: {
        CValueEditDlg dlg(outName, name, &value, !editable, nullptr, parent);
        return (int)dlg.DoModal();
    }
    }
}

int EditValueModeless(const std::string& name, CValue& value, IValueEditHost* host)
{
    if (!host) return -1;
    host->OpenValueEditor(ValueEditorKindOf(value, true), name, &value);
    return -1;
}
