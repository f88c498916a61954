// Insert Matrix, Structure and Binary string.
#include "ide/dialogs/insert_values.h"

#include "ide/editors/binary_dlg.h"
#include "ide/editors/matrix_dlg.h"
#include "ide/editors/struct_edit_dlg.h"
#include "ide/editors/value_line.h"
#include "values/struct_value.h"
#include "values/value_matrix.h"

bool InsertMatrixText(CWnd* parent, std::string& text)
{
    CValue value;
    value.AsMatrix(3, 3, CValue(0.0));
    std::string name;
    CMatrixDlg dlg(&name, name, &value, false, nullptr, parent);
    if (dlg.DoModal() != IDOK) return false;
    text = ValueInsertText(name, value);
    return true;
}

bool InsertStructureText(CWnd* parent, std::string& text)
{
    CValue value;
    value.MakeStruct();
    std::string name;
    CStructEditDlg dlg(&name, name, &value, false, nullptr, parent);
    if (dlg.DoModal() != IDOK) return false;
    text = ValueInsertText(name, value);
    return true;
}

bool InsertBinaryText(CWnd* parent, std::string& text)
{
    CValue value;
    value.AllocBinaryString(0);
    std::string name;
    CBinaryDlg dlg(&name, name, &value, {}, true, nullptr, parent);
    dlg.SetLayout(8, 2);
    if (dlg.DoModal() != IDOK) return false;
    text = BinaryLiteralText(name, dlg.Bytes(), dlg.RowLength(), dlg.Digits());
    return true;
}
