// The "File Access" library through expressions, in a temporary folder that
// stands for the running program's folder.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "builtin_eval.h"
#include "builtins/cell_walk.h"
#include "builtins/file_access.h"
#include "interpreter/basic_statements.h"
#include "interpreter/program.h"
#include "interpreter/program_steps.h"
#include "interpreter/statement_module.h"
#include "interpreter/translator.h"
#include "interpreter/var_table.h"
#include "values/char_cells.h"

namespace {

class FileTest : public BuiltinTest {
protected:
    void SetUp() override
    {
        BuiltinTest::SetUp();
        char pattern[] = "/tmp/veldra_files_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        block.sourceName = dir + "/prog.vdx";
        GlobalVariables.Clear();
    }
    void TearDown() override
    {
        CloseAllFiles();
        GlobalVariables.Clear();
        std::filesystem::remove_all(dir);
    }

    // Runs "name = expression" and fails the test on a non-zero status.
    void Let(const char* name, const std::string& expr)
    {
        CValue v;
        const std::string text = std::string(name) + " = " + expr;
        ASSERT_EQ(Eval(text.c_str(), v), 0) << text << ": " << cap.Text();
    }
    CValue Run(const std::string& expr, int status = 0)
    {
        CValue v;
        EXPECT_EQ(Eval(expr.c_str(), v), status) << expr << ": " << cap.Text();
        return v;
    }
    std::string Contents(const std::string& file)
    {
        std::ifstream in(dir + "/" + file, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void Write(const std::string& file, const std::string& bytes)
    {
        std::ofstream(dir + "/" + file, std::ios::binary) << bytes;
    }

    std::string dir;
};

std::string TextOf(const CValue& v)
{
    std::string t;
    return ReadTextArgument(v, t) ? t : "<not text>";
}

TEST_F(FileTest, TextValuesRoundTripWithSingleSpaces)
{
    char before[4096];
    ASSERT_NE(getcwd(before, sizeof before), nullptr);
    Let("f", "fopen(\"t.txt\",CREATE_ALWAYS)");
    for (const char* v : {"1", "2", "3"}) EXPECT_EQ(Run(std::string("fwrite(f,") + v + ")").Type(), (uint32_t)VT_IDENTIFIER);
    EXPECT_EQ(Run("fclose(f)").Real(), 1);
    EXPECT_EQ(Contents("t.txt"), "1 2 3");
    // Relative names are taken from the program's folder; the current folder stays.
    char after[4096];
    ASSERT_NE(getcwd(after, sizeof after), nullptr);
    EXPECT_STREQ(before, after);

    Let("g", "fopen(\"t.txt\",OPEN_EXIST)");
    for (double x : {1.0, 2.0, 3.0}) EXPECT_EQ(Run("fread(g)").Real(), x);
    EXPECT_EQ(EvalReal("feof(g)==g"), 1);
    EXPECT_TRUE(Run("fread(g)").IsEmpty());
    EXPECT_TRUE(cap.messages.empty()) << cap.Text();
    EXPECT_EQ(Run("ferror(g)").Word(), 1u);
    EXPECT_EQ(EvalReal("ftell(g)"), -1);
}

TEST_F(FileTest, ClosingAllAndClosedHandles)
{
    for (const char* n : {"a", "b", "c"}) Let(n, std::string("fopen(\"") + n + ".txt\",CREATE_ALWAYS)");
    EXPECT_EQ(OpenFileCount(), 3);
    EXPECT_EQ(EvalReal("fclose(#0)"), 3);
    EXPECT_EQ(OpenFileCount(), 0);
    EXPECT_EQ(EvalReal("fclose(a)"), 0);

    // A closed handle never reaches a file opened after it.
    Let("d", "fopen(\"d.txt\",CREATE_ALWAYS)");
    EXPECT_EQ(EvalReal("d==a"), 0);
    EXPECT_EQ(Run("fwrite(a,5)").Word(), 0u);
    EXPECT_TRUE(Run("fread(a)").IsEmpty());
    ASSERT_EQ(cap.messages.size(), 1u);
    CValue a = Run("a");
    EXPECT_EQ(cap.messages[0], "Warning: Invalid file handle #" + std::to_string(a.Word()));
    EXPECT_EQ(Run("ferror(a)").Word(), 0xFFFFFFFFu);
    EXPECT_EQ(EvalReal("ftell(a)"), -1);
    EXPECT_EQ(EvalReal("fsize(a)"), 0);
    EXPECT_EQ(Run("feof(a)").Word(), 0u);
    EXPECT_EQ(Contents("d.txt"), "");

    // Arguments that are not handles are refused.
    for (const char* e : {"fclose(1)", "fread(\"a\")", "fwrite(1,2)", "ftell(1)", "freadb(d,\"n\")", "fseek(d,0,0)"})
        Run(e, ERR_ARGUMENT_TYPE);

    // The end of a run closes what the program left open.
    EXPECT_EQ(ProgramSteps::CloseAllFiles(), 1);
    EXPECT_EQ(OpenFileCount(), 0);
}

TEST_F(FileTest, TheEndOfARunClosesTheFilesLeftOpen)
{
    CStatementModuleList::AddGroup(RegisterBasicStatements());
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    {
        CProgram program;
        program.sourceName = dir + "/prog.vdx";
        std::istringstream in("f = fopen(\"left.txt\", CREATE_ALWAYS);\nfwrite(f, 42);\n");
        ASSERT_EQ(TranslateBlock(&program, in), 0) << cap.Text();
        EXPECT_EQ(program.Run(), 0) << cap.Text();
    }
    ASSERT_EQ(chdir(cwd), 0);
    EXPECT_EQ(OpenFileCount(), 0);
    EXPECT_EQ(Contents("left.txt"), "42");
}

TEST(ProgramFolder, TakenFromAnAbsoluteSourceName)
{
    const struct {
        const char* source;
        const char* folder;
    } cases[] = {{"/a/b/prog.vdx", "/a/b"}, {"/prog.vdx", "/"}, {"prog.vdx", ""}, {"sub/prog.vdx", ""}, {"", ""}};
    for (const auto& c : cases) {
        CStatementBlock b;
        b.sourceName = c.source;
        EXPECT_EQ(ProgramFolder(&b), c.folder) << c.source;
    }
    EXPECT_EQ(ProgramFolder(nullptr), "");
}

TEST_F(FileTest, FailedOpens)
{
    const char* cases[] = {
        "fopen(\"missing.txt\",OPEN_EXIST)",
        "fopen(\"missing.bin\",OPEN_EXIST,BINARY_MODE)",
        "fopen(\"no/such/folder/x.txt\",CREATE_ALWAYS)",
        "fopen(\"\")",
    };
    for (const char* c : cases) {
        CValue v = Run(c);
        EXPECT_EQ(v.Type(), (uint32_t)VT_IDENTIFIER) << c;
        EXPECT_EQ(v.Word(), 0u) << c;
    }
    EXPECT_EQ(OpenFileCount(), 0);
    EXPECT_EQ(Run("ferror(fopen(\"missing.txt\",OPEN_EXIST))").Word(), 0xFFFFFFFFu);
    EXPECT_FALSE(std::filesystem::exists(dir + "/missing.bin"));
    Run("fopen(1)", ERR_ARGUMENT_TYPE);
}

TEST_F(FileTest, BinaryReadsStopAtTheEnd)
{
    Write("ten.bin", std::string("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09", 10));
    Let("f", "fopen(\"ten.bin\",OPEN_EXIST,BINARY_MODE)");
    EXPECT_EQ(EvalReal("fsize(f)"), 10);
    EXPECT_EQ(EvalReal("ftell(f)"), 0);
    Run("fseek(f,6)");
    CValue v = Run("freadb(f,256)");
    ASSERT_EQ(v.Tag(), VT_BINARY_STRING);
    EXPECT_EQ(vb::Codes(v), "6,7,8,9");
    EXPECT_EQ(EvalReal("ftell(f)"), 10);
    EXPECT_EQ(Run("feof(f)").Word(), Run("f").Word());
    v = Run("freadb(f,256)");
    EXPECT_EQ(v.Tag(), VT_BINARY_STRING);
    EXPECT_EQ(StringLength(v.Cells()), 0u);
    EXPECT_EQ(Run("ferror(f)").Word(), 0u);

    const struct {
        const char* text;
        int start;
        const char* codes;  // Byte: "byte N"
        int end;
    } reads[] = {
        {"freadb(f,4)", 0, "0,1,2,3", 4},    {"freadb(f,4,2)", 1, "1,2,3,4,5,6,7,8", 9},
        {"freadb(f,2.9)", 3, "3,4", 5},      {"freadb(f,-1)", 2, "2,3,4,5,6,7,8,9", 10},
        {"freadb(f,1)", 5, "byte 5", 6},     {"freadb(f,0)", 5, "", 5},
        {"freadb(f,1e12)", 7, "7,8,9", 10},
    };
    for (const auto& r : reads) {
        Run("fseek(f," + std::to_string(r.start) + ")");
        v = Run(r.text);
        if (v.Tag() == VT_BYTE)
            EXPECT_EQ("byte " + std::to_string(v.CharCode()), r.codes) << r.text;
        else {
            ASSERT_EQ(v.Tag(), VT_BINARY_STRING) << r.text;
            EXPECT_EQ(StringLength(v.Cells()) ? vb::Codes(v) : "", r.codes) << r.text;
        }
        EXPECT_EQ(EvalReal("ftell(f)"), r.end) << r.text;
    }
    Run("fseek(f,-3,FILE_END)");
    EXPECT_EQ(EvalReal("ftell(f)"), 7);
    Run("fseek(f,1,FILE_CURRENT)");
    EXPECT_EQ(EvalReal("ftell(f)"), 8);
    Run("fseek(f,0,FILE_END)");
    EXPECT_EQ(EvalReal("ftell(f)"), EvalReal("fsize(f)"));
    EXPECT_EQ(Run("fseek(f,-20)").Word(), 0u);
    EXPECT_EQ(EvalReal("ftell(f)"), 10);
    EXPECT_EQ(Run("ferror(f)").Word(), 0u);
    EXPECT_TRUE(cap.messages.empty()) << cap.Text();
}

TEST_F(FileTest, BinaryValuesAndBytes)
{
    Let("f", "fopen(\"v.bin\",CREATE_ALWAYS,BINARY_MODE)");
    EXPECT_EQ(EvalReal("fwrite(f,[1,2;3,4])==f"), 1);
    Run("fwrite(f,\"xy\")");
    Run("fwriteb(f,\"AB\")");
    Run("fwriteb(f,ENDL)");
    Run("fseek(f,0)");
    EXPECT_EQ(vb::Text(Run("fread(f)")), "[1,2;3,4]");
    EXPECT_EQ(TextOf(Run("fread(f)")), "xy");
    EXPECT_EQ(vb::Codes(Run("freadb(f,5)")), "65,66,10");
    EXPECT_TRUE(Run("fread(f)").IsEmpty());
    EXPECT_EQ(Run("ferror(f)").Word(), 0u);

    // Line functions belong to text files.
    cap.Reset();
    Run("fwriteln(f,1)", ERR_INTERNAL);
    Run("freadln(f)", ERR_INTERNAL);
    ASSERT_EQ(cap.messages.size(), 2u);
    EXPECT_EQ(cap.messages[0], "Error: fwriteln: binary files does not support");
    EXPECT_EQ(cap.messages[1], "Error: freadln: binary files does not support");
    Run("fwriteb(f,1)", ERR_ARGUMENT_TYPE);
}

TEST_F(FileTest, TextLinesBytesAndSeparators)
{
    Let("f", "fopen(\"lines.txt\",CREATE_ALWAYS)");
    Run("fwriteb(f,\"ab\")");
    Run("fwrite(f,1)");
    Run("fwrite(f,2)");
    Run("fseek(f,0,FILE_END)");
    Run("fwrite(f,3)");
    Run("fwriteln(f,\"\")");
    Run("fwriteln(f,\"x y\")");
    Run("fwriteln(f,[1,2])");
    EXPECT_EQ(Contents("lines.txt"), "ab1 23\nx y\n[1,2]\n");
    EXPECT_EQ(EvalReal("fsize(f)"), 17);

    // CR LF line ends read like LF; the last line needs no line end.
    Run("fclose(f)");
    Write("crlf.txt", "a\r\nbc\r\n\r\nlast");
    Let("g", "fopen(\"crlf.txt\",OPEN_EXIST)");
    EXPECT_EQ(EvalReal("fsize(g)"), 13);
    EXPECT_EQ(EvalReal("ftell(g)"), 0);
    for (const char* line : {"a", "bc", "", "last"}) EXPECT_EQ(TextOf(Run("freadln(g)")), line);
    EXPECT_TRUE(Run("freadln(g)").IsEmpty());
    EXPECT_EQ(Run("ferror(g)").Word(), 1u);

    // Appending mode adds at the end; freadb of a text file reads characters.
    Let("h", "fopen(\"crlf.txt\")");
    Run("fwrite(h,7)");
    EXPECT_EQ(Contents("crlf.txt"), "a\r\nbc\r\n\r\nlast7");
    Run("fseek(h,4)");
    EXPECT_EQ(TextOf(Run("freadb(h,3)")), "c\r\n");
    EXPECT_EQ(EvalReal("ftell(h)"), 7);

    // Reading and writing share one position: a write lands where reading
    // stopped and the next read starts behind it.
    Write("mix.txt", "abcdef");
    Let("m", "fopen(\"mix.txt\",OPEN_EXIST)");
    EXPECT_EQ(TextOf(Run("freadb(m,2)")), "ab");
    Run("fwriteb(m,\"XY\")");
    EXPECT_EQ(TextOf(Run("freadb(m,2)")), "ef");
    Run("fclose(m)");
    EXPECT_EQ(Contents("mix.txt"), "abXYef");
    EXPECT_TRUE(cap.messages.empty()) << cap.Text();
}

TEST_F(FileTest, FailedWritesYieldTheNullHandle)
{
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    Let("b", "fopen(\"/dev/full\",OPEN_EXIST,BINARY_MODE)");
    ASSERT_NE(Run("b").Word(), 0u);
    EXPECT_EQ(Run("fwriteb(b,\"abc\")").Word(), 0u);
    EXPECT_EQ(Run("ferror(b)").Word(), 1u);
    EXPECT_EQ(Run("fwrite(b,1)").Word(), 0u);

    Let("t", "fopen(\"/dev/full\",OPEN_EXIST)");
    ASSERT_NE(Run("t").Word(), 0u);
    EXPECT_EQ(Run("fwriteln(t,\"abc\")").Word(), 0u);
    EXPECT_EQ(Run("ferror(t)").Word(), 1u);
}

}  // namespace
