// The value editors: dispatch by type, the working copy that reaches the
// caller only by Insert, the matrix editor's sizes and highlight, the
// structure editor's names, the binary editor's write-back and the modeless
// editors' lists.
#include <gtest/gtest.h>

#include <sstream>

#include "ide/editors/binary_dlg.h"
#include "ide/editors/matrix_dlg.h"
#include "ide/editors/struct_edit_dlg.h"
#include "ide/editors/value_edit_dlg.h"
#include "ide/editors/value_line.h"
#include "value_editor_test_util.h"
#include "values/app_settings.h"
#include "values/operators.h"
#include "values/struct_value.h"
#include "values/value_matrix.h"
#include "values/value_text.h"

using namespace vetest;

void vetest::RecordingHost::InsertValue(const std::string& name, const CValue& value)
{
    inserted.push_back(FirstLine(ValueInsertText(name, value)));
}

namespace {

CValue Parse(const char* text)
{
    CValue v;
    std::istringstream in(text);
    ReadValue(in, v);
    return v;
}

std::string Text(const CValue& v)
{
    std::string s;
    return FormatValueLine(s, &v);
}

using ValueEditors = AfxTest;

}  // namespace

TEST_F(ValueEditors, DispatchPicksTheEditorByType)
{
    struct Case {
        const char* literal;
        ValueEditorKind modal, modeless;
    } cases[] = {
        {"[1, 2; 3, 4]", ValueEditorKind::Matrix, ValueEditorKind::Matrix},
        {"{a=1}", ValueEditorKind::Struct, ValueEditorKind::Struct},
        {"<0102>", ValueEditorKind::Binary, ValueEditorKind::Binary},
        {"5", ValueEditorKind::Scalar, ValueEditorKind::Scalar},
        {"\"text\"", ValueEditorKind::Scalar, ValueEditorKind::Scalar},
        {"[]", ValueEditorKind::Scalar, ValueEditorKind::Scalar},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.literal);
        CValue v = Parse(c.literal);
        EXPECT_EQ(ValueEditorKindOf(v, false), c.modal);
        EXPECT_EQ(ValueEditorKindOf(v, true), c.modeless);
    }
    // A 0 x 3 matrix opens the scalar editor.
    CValue empty;
    empty.AsMatrix(0, 3, CValue(0.0));
    ScriptedEditors script;
    bool scalar = false;
    script.Add([&](CDialog* d) {
        scalar = dynamic_cast<CValueEditDlg*>(d) != nullptr;
        PostCommand(d, IDCANCEL);
    });
    std::string name = "e";
    EXPECT_EQ(EditValueModal(name, empty, true, false), IDCANCEL);
    EXPECT_TRUE(scalar);
    // An empty binary string has no modeless hex editor.
    CValue noBytes;
    noBytes.AllocBinaryString(0);
    EXPECT_EQ(ValueEditorKindOf(noBytes, false), ValueEditorKind::Binary);
    EXPECT_EQ(ValueEditorKindOf(noBytes, true), ValueEditorKind::Scalar);
}

TEST_F(ValueEditors, ScalarEditorWritesBackOnlyOnInsertAndRefusesAnEmptyName)
{
    CValue v(1.5);
    ScriptedEditors script;
    script.Add([](CDialog* d) {
        TypeAndLeave(d, IDC_VE_VALUE, "7");
        PostCommand(d, IDCANCEL);
    });
    std::string name = "x";
    EXPECT_EQ(EditValueModal(name, v, true, true), IDCANCEL);
    EXPECT_EQ(Text(v), "1.5");

    script.Add([](CDialog* d) {
        EXPECT_STREQ(d->GetDlgItemText(IDC_VE_VALUE).c_str(), "1.5");
        TypeAndLeave(d, IDC_VE_VALUE, "7");
        d->SetDlgItemText(IDC_VE_NAME, "");
        d->SendMessage(WM_COMMAND, IDOK, 0);   // refused: the dialog stays
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Please enter valid name"});
        d->SetDlgItemText(IDC_VE_NAME, "y");
        PostCommand(d, IDOK);
    });
    EXPECT_EQ(EditValueModal(name, v, true, true), IDOK);
    EXPECT_EQ(Text(v), "7");
    EXPECT_EQ(name, "y");
    EXPECT_TRUE(script.AllRan());
}

TEST_F(ValueEditors, MatrixEditorGrowsHighlightsAndRefusesBadSizes)
{
    CValue v = Parse("[1, 2; 3, 4]");
    const CValue before = v;
    ScriptedEditors script;
    script.Add([](CDialog* d) {
        auto* dlg = dynamic_cast<CMatrixDlg*>(d);
        ASSERT_TRUE(dlg);
        CMatrixCtrl& grid = dlg->m_grid;
        EXPECT_STREQ(grid.GetCellText(1, 0), "Row 1");
        EXPECT_STREQ(grid.GetCellText(0, 1), "Col 1");
        EXPECT_TRUE(grid.IsCellEditable(1, 1));
        // Refused sizes put the box back.
        for (const char* rows : {"0", "40000"}) {
            TypeAndLeave(d, IDC_VE_ROWS, rows);
            EXPECT_EQ(d->GetDlgItemText(IDC_VE_ROWS), "2") << rows;
        }
        EXPECT_FALSE(grid.Resize(1001, 1000));
        EXPECT_FALSE(grid.Resize(2, 2));   // the same size changes nothing
        EXPECT_FALSE(grid.CopyMade());
        // 2 x 2 grown to 3 x 3 through the boxes.
        TypeAndLeave(d, IDC_VE_ROWS, "3");
        TypeAndLeave(d, IDC_VE_COLUMNS, "3");
        const CValueMatrix* m = grid.Shown();
        ASSERT_EQ(m->Rows(), 3);
        ASSERT_EQ(m->Cols(), 3);
        EXPECT_EQ(grid.GetRowCount(), 4);
        EXPECT_EQ(Text(m->Cell(1, 0)), "3");
        for (auto [r, c] : {std::pair{0, 2}, {1, 2}, {2, 0}, {2, 1}, {2, 2}}) {
            EXPECT_EQ(m->Cell(r, c).Type(), (uint32_t)VT_REAL);
            EXPECT_EQ(m->Cell(r, c).Real(), 0.0);
            EXPECT_NE(grid.GetCell(r + 1, c + 1)->GetBackColor(), kMatrixChangedColor);
        }
        EXPECT_NE(grid.GetCell(1, 1)->GetBackColor(), kMatrixChangedColor);
        // A changed cell is highlighted.
        grid.ApplyCellEdit(2, 1, "30");
        EXPECT_EQ(Text(grid.Shown()->Cell(1, 0)), "30");
        EXPECT_EQ(grid.GetCell(2, 1)->GetBackColor(), kMatrixChangedColor);
        PostCommand(d, IDCANCEL);
    });
    std::string name = "m";
    EXPECT_EQ(EditValueModal(name, v, true, false), IDCANCEL);
    EXPECT_FALSE(ValueNotEquals(v, before));   // Close leaves it
    EXPECT_TRUE(script.AllRan());
}

TEST_F(ValueEditors, ReadOnlyMatrixEditorRefusesEditsAndResizes)
{
    CValue v = Parse("[1, 2]");
    ScriptedEditors script;
    script.Add([](CDialog* d) {
        auto* dlg = dynamic_cast<CMatrixDlg*>(d);
        ASSERT_TRUE(dlg);
        EXPECT_FALSE(dlg->m_grid.IsCellEditable(1, 1));
        EXPECT_FALSE(dlg->m_grid.Resize(3, 3));
        dlg->m_grid.ApplyCellEdit(1, 1, "9");
        EXPECT_FALSE(dlg->m_grid.CopyMade());
        PostCommand(d, IDOK);
    });
    std::string name = "w";
    EXPECT_EQ(EditValueModal(name, v, false, false), IDOK);
    EXPECT_EQ(Text(v), "[1,2]");
}

TEST_F(ValueEditors, StructureEditorNamesRecordsAndRefusesBadNames)
{
    CValue v = Parse("{a=1, b=\"x\"}");
    const CValue before = v;
    ScriptedEditors script;
    script.Add([&](CDialog* d) {
        auto* dlg = dynamic_cast<CStructEditDlg*>(d);
        ASSERT_TRUE(dlg);
        // Add: "RECORD1" offered; an empty value is refused ...
        dlg->OnAdd();
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Record value is invalid"});
        // ... and the next offer is "RECORD2".
        dlg->OnAdd();
        ASSERT_EQ(dlg->Shown().Count(), 3u);
        EXPECT_EQ(*dlg->Shown().FieldAt(2)->m_name, "RECORD2");
        // A rename to a present name or one starting with a digit is refused.
        EXPECT_FALSE(dlg->RenameRow(1, "a"));
        EXPECT_FALSE(dlg->RenameRow(1, "1a"));
        EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Record name is already exist", "Please enter valid name"}));
        EXPECT_TRUE(dlg->RenameRow(1, "c"));
        // The field's own editor: a becomes 5.
        dlg->OpenRow(0);
        EXPECT_EQ(Text(dlg->Shown().FieldAt(0)->m_value), "5");
        PostCommand(d, IDCANCEL);
    });
    script.Add([](CDialog* d) {   // the RECORD1 editor
        EXPECT_EQ(d->GetDlgItemText(IDC_VE_NAME), "RECORD1");
        PostCommand(d, IDOK);
    });
    script.Add([](CDialog* d) {   // the RECORD2 editor
        EXPECT_EQ(d->GetDlgItemText(IDC_VE_NAME), "RECORD2");
        TypeAndLeave(d, IDC_VE_VALUE, "3");
        PostCommand(d, IDOK);
    });
    script.Add([](CDialog* d) {   // field a
        TypeAndLeave(d, IDC_VE_VALUE, "5");
        PostCommand(d, IDOK);
    });
    std::string name = "s";
    EXPECT_EQ(EditValueModal(name, v, true, true), IDCANCEL);
    EXPECT_TRUE(script.AllRan());
    EXPECT_FALSE(ValueNotEquals(v, before));   // Close after changes

    // Insert with a name starting with a digit is refused; a good one goes through.
    ScriptedEditors again;
    again.Add([](CDialog* d) {
        auto* dlg = dynamic_cast<CStructEditDlg*>(d);
        dlg->OpenRow(0);
        d->SetDlgItemText(IDC_VE_NAME, "1a");
        d->SendMessage(WM_COMMAND, IDOK, 0);
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Please enter valid name"});
        d->SetDlgItemText(IDC_VE_NAME, "t");
        PostCommand(d, IDOK);
    });
    again.Add([](CDialog* d) {
        TypeAndLeave(d, IDC_VE_VALUE, "5");
        PostCommand(d, IDOK);
    });
    EXPECT_EQ(EditValueModal(name, v, true, true), IDOK);
    EXPECT_EQ(name, "t");
    EXPECT_EQ(Text(v), "{a=5, b=\"x\"}");
}

TEST_F(ValueEditors, ReadOnlyStructureEditorRenamesNothing)
{
    CValue v = Parse("{a=1, b=2}");
    ScriptedEditors script;
    script.Add([](CDialog* d) {
        auto* dlg = dynamic_cast<CStructEditDlg*>(d);
        EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(d->m_hWnd, IDC_VE_ADD)));
        EXPECT_FALSE(dlg->RenameRow(0, "z"));
        NMLVDISPINFO di{};
        di.hdr.idFrom = IDC_VE_LIST;
        di.hdr.code = (UINT)LVN_BEGINLABELEDIT;
        LRESULT veto = 0;
        dlg->OnNotify(IDC_VE_LIST, (LPARAM)&di, &veto);
        EXPECT_TRUE(veto);
        PostCommand(d, IDOK);
    });
    std::string name = "s";
    EXPECT_EQ(EditValueModal(name, v, false, false), IDOK);
    EXPECT_EQ(Text(v), "{a=1, b=2}");
}

TEST_F(ValueEditors, EditableBinaryEditorWritesTheBytesBackOnInsert)
{
    struct Case {
        const char* literal;
        bool editable;
        int button;
        const char* after;
    } cases[] = {
        {"<01 02>", true, IDOK, "<ff 02>"},
        {"<01 02>", true, IDCANCEL, "<01 02>"},
        {"<01 02>", false, IDOK, "<01 02>"},   // the watcher's editor writes nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.literal) + (c.editable ? " editable " : " read-only ") + std::to_string(c.button));
        CValue v = Parse(c.literal);
        const uint32_t tag = v.Tag();
        ScriptedEditors script;
        script.Add([&](CDialog* d) {
            auto* dlg = dynamic_cast<CBinaryDlg*>(d);
            ASSERT_TRUE(dlg);
            EXPECT_EQ(::GetDlgCtrlID(dlg->m_hex.m_hWnd), IDC_VE_HEX);
            dlg->m_hex.SetInsertMode(false);
            dlg->m_hex.SetCaret(0);
            dlg->m_hex.SendMessage(WM_CHAR, 'f', 0);
            dlg->m_hex.SendMessage(WM_CHAR, 'f', 0);
            PostCommand(d, c.button);
        });
        std::string name = "b";
        EditValueModal(name, v, c.editable, false);
        EXPECT_EQ(v.Tag(), tag);
        EXPECT_EQ(BinaryLiteralText("", ValueBytes(v), 8, 2), c.after);
    }
}

TEST_F(ValueEditors, ModelessEditorsAreReadOnlyListedClosedAndRefreshed)
{
    RecordingHost host;
    CValue m = Parse("[1, 2; 3, 4]"), s = Parse("{a=1}"), b = Parse("<0102>"), x(2.0);
    EditValueModeless("m", m, &host);
    EditValueModeless("s", s, &host);
    EditValueModeless("b", b, &host);
    EditValueModeless("x", x, &host);
    ASSERT_EQ(host.lists.Count(), 4u);
    CMatrixDlg* md = host.lists.MatrixEditors().at(0);
    EXPECT_TRUE(md->m_grid.IsReadOnly());
    EXPECT_TRUE(host.lists.RecordsEditors().at(0)->m_readOnly);
    EXPECT_FALSE(host.lists.BinaryEditors().at(0)->m_editable);
    EXPECT_TRUE(host.lists.ScalarEditors().at(0)->m_readOnly);
    // The program changed m (the view's refresh message): the editor follows.
    m = Parse("[1, 2, 3; 4, 5, 6; 7, 8, 9]");
    host.lists.RefreshMatrixEditors();
    EXPECT_EQ(md->GetDlgItemText(IDC_VE_ROWS), "3");
    EXPECT_EQ(md->m_grid.GetRowCount(), 4);
    // Insert inserts the first line of the text and closes the editor.
    CValueEditDlg* xd = host.lists.ScalarEditors().at(0);
    xd->SendMessage(WM_COMMAND, IDOK, 0);
    PumpUntilIdle();
    EXPECT_TRUE(host.lists.ScalarEditors().empty());
    EXPECT_EQ(host.inserted, std::vector<std::string>{"x = 2"});
    host.lists.BinaryEditors().at(0)->SendMessage(WM_COMMAND, IDOK, 0);
    PumpUntilIdle();
    EXPECT_EQ(host.inserted.back(), "b = <02 01>");
    // Calculate closes the rest; the values are untouched.
    host.lists.CloseAll();
    EXPECT_EQ(host.lists.Count(), 0u);
    EXPECT_EQ(Text(s), "{a=1}");
}

TEST_F(ValueEditors, ExtendOpensTheElementsEditorUnderItsIndexedName)
{
    CValue v = Parse("[1, 2; 3, 4]");
    ScriptedEditors script;
    script.Add([](CDialog* d) {
        auto* dlg = dynamic_cast<CMatrixDlg*>(d);
        ASSERT_TRUE(dlg);
        dlg->m_grid.MoveFocus(2, 1);
        dlg->m_grid.SetRangeSelection(CDataGridCellRange(2, 1, 2, 1));
        dlg->OnExtend();
        EXPECT_EQ(Text(dlg->m_grid.Shown()->Cell(1, 0)), "5");
        EXPECT_EQ(dlg->m_grid.GetCell(2, 1)->GetBackColor(), kMatrixChangedColor);
        PostCommand(d, IDOK);
    });
    script.Add([](CDialog* d) {
        EXPECT_EQ(d->GetDlgItemText(IDC_VE_NAME), "m[2,1]");
        EXPECT_TRUE(::GetWindowLongPtr(::GetDlgItem(d->m_hWnd, IDC_VE_NAME), GWL_STYLE) & ES_READONLY);
        TypeAndLeave(d, IDC_VE_VALUE, "5");
        PostCommand(d, IDOK);
    });
    std::string name = "m";
    EXPECT_EQ(EditValueModal(name, v, true, false), IDOK);
    EXPECT_EQ(Text(v), "[1,2; 5,4]");
    EXPECT_TRUE(script.AllRan());
}
