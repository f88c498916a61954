// The Insert commands' literals and Edit Properties: the texts they give,
// that a program reads them back, the literal found around the caret, and
// the replacement as one undo step.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "ide/editors/binary_dlg.h"
#include "ide/dialogs/insert_values.h"
#include "ide/dialogs/literal_properties.h"
#include "ide/editors/matrix_dlg.h"
#include "ide/editors/struct_edit_dlg.h"
#include "ide/editors/value_line.h"
#include "ui_controls/edit/edit_ctrl.h"
#include "value_editor_test_util.h"
#include "values/app_settings.h"
#include "values/byte_buffer.h"
#include "values/value_text.h"

using namespace vetest;
namespace fs = std::filesystem;

namespace {

CValue Parse(const char* text)
{
    CValue v;
    std::istringstream in(text);
    ReadValue(in, v);
    return v;
}

// veldra --run on a program text; standard output.
std::string RunProgramText(const std::string& program)
{
    const char* out = std::getenv("VELDRA_OUT");
    fs::path exe = out ? fs::path(out) / "veldra" : fs::read_symlink("/proc/self/exe").parent_path() / "out" / "veldra";
    fs::path file = fs::temp_directory_path() / ("veldra-insert-" + std::to_string(getpid()) + ".vdx");
    std::ofstream(file, std::ios::binary) << program;
    std::string cmd = exe.string() + " --run " + file.string() + " 2>&1";
    std::string result;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[512];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0) result.append(buf, n);
        pclose(p);
    }
    fs::remove(file);
    // Source positions differ with the line count of the inserted text.
    std::istringstream lines(result);
    std::string line, kept;
    while (std::getline(lines, line))
        if (line.rfind("  at ", 0) != 0) kept += line + "\n";
    return kept;
}

class EditHost : public CWnd {
public:
    EditHost() { CreateEx(0, nullptr, "Program", WS_OVERLAPPEDWINDOW, 10, 10, 500, 300, nullptr, nullptr); }
    ~EditHost() override
    {
        if (m_hWnd) DestroyWindow();
    }
};

using ValueInsert = AfxTest;

}  // namespace

TEST_F(ValueInsert, InsertMatrixGivesTheEditedMatrixThatAProgramReadsBack)
{
    ScriptedEditors script;
    script.Add([](CDialog* d) {
        auto* dlg = dynamic_cast<CMatrixDlg*>(d);
        ASSERT_TRUE(dlg);
        EXPECT_EQ(d->GetDlgItemText(IDC_VE_ROWS), "3");
        TypeAndLeave(d, IDC_VE_ROWS, "2");
        dlg->m_grid.ApplyCellEdit(1, 2, "7");
        d->SetDlgItemText(IDC_VE_NAME, "a");
        PostCommand(d, IDOK);
    });
    std::string text;
    ASSERT_TRUE(InsertMatrixText(nullptr, text));
    CValue expected = Parse("[0, 7, 0; 0, 0, 0]");
    std::string body;
    EXPECT_EQ(text, "a = " + ValueFormat(expected, body, &AppSettings::EditorFormat));
    const std::string got = RunProgramText(text + ";\na;\n");
    EXPECT_EQ(got, RunProgramText("a = [0, 7, 0; 0, 0, 0];\na;\n"));
    EXPECT_NE(got.find('7'), std::string::npos);
    EXPECT_EQ(got.find("Error"), std::string::npos) << got;

    // Close inserts nothing.
    script.Add([](CDialog* d) { PostCommand(d, IDCANCEL); });
    EXPECT_FALSE(InsertMatrixText(nullptr, text));
}

TEST_F(ValueInsert, InsertStructureAndBinaryStringTexts)
{
    ScriptedEditors script;
    script.Add([](CDialog* d) {
        auto* dlg = dynamic_cast<CStructEditDlg*>(d);
        ASSERT_TRUE(dlg);
        dlg->OnAdd();
        d->SetDlgItemText(IDC_VE_NAME, "s");
        PostCommand(d, IDOK);
    });
    script.Add([](CDialog* d) {
        TypeAndLeave(d, IDC_VE_VALUE, "4");
        PostCommand(d, IDOK);
    });
    std::string text;
    ASSERT_TRUE(InsertStructureText(nullptr, text));
    EXPECT_EQ(text, "s = {RECORD1=4}");

    // An empty name inserts only the literal.
    script.Add([](CDialog* d) {
        auto* dlg = dynamic_cast<CBinaryDlg*>(d);
        ASSERT_TRUE(dlg);
        EXPECT_EQ(dlg->RowLength(), 8);
        d->SetDlgItemText(IDC_VE_SIZE, "3");   // zero bytes
        PostCommand(d, IDOK);
    });
    ASSERT_TRUE(InsertBinaryText(nullptr, text));
    EXPECT_EQ(text, "<00 00 00>");
}

TEST_F(ValueInsert, BinaryLiteralRoundTripsOverWidthsAndRowLengths)
{
    std::vector<unsigned char> bytes;
    for (int i = 0; i < 48; ++i) bytes.push_back((unsigned char)(i * 37 + 5));
    for (int width : {2, 4, 8})
        for (int rowLength : {1, 3, 8}) {
            SCOPED_TRACE(std::to_string(width) + " digits, " + std::to_string(rowLength) + " per row");
            const std::string named = BinaryLiteralText("b", bytes, rowLength, width);
            ASSERT_EQ(named.rfind("b = <", 0), 0u);
            const std::string literal = BinaryLiteralText("", bytes, rowLength, width);
            EXPECT_EQ(named, "b = " + literal);
            ASSERT_EQ(literal.front(), '<');
            ASSERT_EQ(literal.back(), '>');
            CByteBuffer back;
            int gotWidth = 0;
            const int gotRow = ParseHexBytes(back, literal.substr(1, literal.size() - 2).c_str(), gotWidth);
            EXPECT_EQ(gotWidth, width);
            EXPECT_EQ(gotRow, rowLength);
            EXPECT_EQ(std::vector<unsigned char>(back.Data(), back.Data() + back.Size()), bytes);
        }
}

TEST_F(ValueInsert, AutomaticColumnsFitTheItemsOfTheChosenWidth)
{
    CValue v = Parse("<0102030405060708090a0b0c0d0e0f10>");
    ScriptedEditors script;
    script.Add([](CDialog* d) {
        auto* dlg = dynamic_cast<CBinaryDlg*>(d);
        ASSERT_TRUE(dlg);
        dlg->SetAutoColumns(true);
        const int bytesWide = dlg->RowLength();
        dlg->ChooseItemSize(2);   // "4"
        EXPECT_EQ(dlg->Digits(), 8);
        const int wordsWide = dlg->RowLength();
        EXPECT_GE(wordsWide, 1);
        EXPECT_LT(wordsWide, bytesWide);
        EXPECT_EQ(d->GetDlgItemText(IDC_VE_ROWS), std::to_string(wordsWide));
        PostCommand(d, IDCANCEL);
    });
    std::string name = "b";
    EditValueModal(name, v, true, false);
    EXPECT_TRUE(script.AllRan());
}

TEST_F(ValueInsert, LiteralAtTheCaret)
{
    struct Case {
        const char* text;
        int caret;
        char kind;
        const char* name;
        const char* range;
    } cases[] = {
        {"a = [1, 2; 3, 4];", 6, '[', "a", "a = [1, 2; 3, 4]"},
        {"x=[1,[2]]+1", 4, '[', "x", "x=[1,[2]]"},
        {"f([1, 2])", 4, '[', "", "[1, 2]"},
        {"b = <01 02>", 6, '<', "b", "b = <01 02>"},
        {"s = {a=1}", 6, '{', "s", "s = {a=1}"},
        {"a = [1, 2]", 2, 0, "", ""},    // outside any bracket
        {"a = [1, 2}", 6, 0, "", ""},    // kinds differ
        {"a = [1, 2", 6, 0, "", ""},     // no closing bracket
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        LiteralRange r = FindLiteralAt(c.text, c.caret);
        EXPECT_EQ(r.kind, c.kind);
        if (!c.kind) continue;
        EXPECT_EQ(r.name, c.name);
        EXPECT_EQ(std::string(c.text).substr((size_t)r.start, (size_t)(r.close + 1 - r.start)), c.range);
    }
}

TEST_F(ValueInsert, PropertiesReplacesTheLiteralAsOneUndoStep)
{
    EditHost host;
    KyrEditCtrl edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE, RECT{0, 0, 400, 200}, &host, 100));
    const std::string program = "x = 1;\na = [1, 2; 3, 4];\ny = 2;\n";
    edit.SetText(program);
    const int inside = (int)program.find("2;");
    edit.SetCaretOffset(inside, false, false);
    ScriptedEditors script;
    script.Add([](CDialog* d) {
        auto* dlg = dynamic_cast<CMatrixDlg*>(d);
        ASSERT_TRUE(dlg);
        EXPECT_EQ(d->GetDlgItemText(IDC_VE_NAME), "a");
        dlg->m_grid.ApplyCellEdit(2, 1, "30");
        PostCommand(d, IDOK);
    });
    const int undoBefore = edit.UndoCount();
    ASSERT_TRUE(EditLiteralProperties(edit, &host));
    CValue expected = Parse("[1, 2; 30, 4]");
    std::string body;
    EXPECT_EQ(edit.Text(), "x = 1;\na = " + ValueFormat(expected, body, &AppSettings::EditorFormat) + ";\ny = 2;\n");
    EXPECT_GT(edit.UndoCount(), undoBefore);
    ASSERT_TRUE(edit.Undo());
    EXPECT_EQ(edit.Text(), program);

    // Outside the brackets nothing opens.
    edit.SetCaretOffset(1, false, false);
    EXPECT_FALSE(EditLiteralProperties(edit, &host));
    EXPECT_EQ(script.next, 1u);

    // Refused literals: the text stays, the message tells why.
    struct Bad {
        const char* text;
        const char* box;
    } bad[] = {{"a = [1, 2;]", "Invalid constant Matrix"},
               {"a = [1, 2\nb = c(3]", "Invalid constant Matrix"},   // "[1, 2" left open
               {"a = []", "Empty Matrix"},
               {"s = {a=}", "Invalid constant Structure"},
               {"b = <zzzzzzzzzz>", "Invalid constant Binary"}};
    for (const Bad& b : bad) {
        SCOPED_TRACE(b.text);
        edit.SetText(b.text);
        edit.SetCaretOffset(5, false, false);
        EXPECT_FALSE(EditLiteralProperties(edit, &host));
        EXPECT_EQ(edit.Text(), b.text);
        EXPECT_EQ(BoxTexts(), std::vector<std::string>{b.box});
    }
    EXPECT_EQ(script.next, 1u);

    // Inside "<...>" the binary editor opens with the literal's width and row length.
    edit.SetText("b = <0102 0304\n0506 0708>");
    edit.SetCaretOffset(6, false, false);
    script.Add([](CDialog* d) {
        auto* dlg = dynamic_cast<CBinaryDlg*>(d);
        ASSERT_TRUE(dlg);
        EXPECT_EQ(dlg->Digits(), 4);
        EXPECT_EQ(dlg->RowLength(), 2);
        EXPECT_EQ(dlg->Bytes().size(), 8u);
        PostCommand(d, IDOK);
    });
    ASSERT_TRUE(EditLiteralProperties(edit, &host));
    EXPECT_EQ(edit.Text(), "b = <0102 0304\n0506 0708>");
}
