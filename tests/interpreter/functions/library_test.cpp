// Function-library sources: loading, lazy translation, named values, and
// pointers to functions in the text form of values.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "interpreter/user_calls.h"
#include "interpreter/user_function.h"
#include "interpreter/statements/program_harness.h"
#include "values/app_settings.h"
#include "values/value_text.h"

namespace fs = std::filesystem;

namespace {

class LibrarySources : public ::testing::Test {
protected:
    void SetUp() override
    {
        GlobalVariables.Clear();
        EnsureBasicGroup();
    }
    void TearDown() override
    {
        DeleteLibraryTables();
        GlobalVariables.Clear();
        WriteValueHook = nullptr;
        ReadValueHook = nullptr;
    }
    int Load(const std::string& text)
    {
        table = CreateLibraryTable("Global");
        return LoadFunctionLibraryText(table, "lib.vdl", std::make_shared<const std::string>(text));
    }
    CLibraryFunctionTable* table = nullptr;
};

const char kLibrary[] =
    "% Adds two numbers.\n"
    "% Second help line.\n"
    "function y = add2(a, b)\n"
    "  inner = 99;\n"
    "  if(a > 0)\n"
    "    while(0) end\n"
    "  end\n"
    "  y = a + b; % end of line \"end\"\n"
    "end\n"
    "scale = 3;  trailing = 4\n"
    "function r = twice(x)\n"
    "  r = x * scale;\n"
    "end\n"
    "base = [1, 2; 3, 4]\n";

TEST_F(LibrarySources, HeadersHelpAndNamedValues)
{
    CCaptureStream cap;
    EXPECT_EQ(Load(kLibrary), 4);
    ASSERT_EQ(table->Count(), 2);
    CUserFunction* add2 = UserFunctionAt(table, 0);
    EXPECT_EQ(add2->name, "add2");
    EXPECT_EQ(add2->helpText, "% Adds two numbers.\r\n% Second help line.\r\n");
    EXPECT_EQ(add2->sourceFile, "lib.vdl");
    // Bodies wait for their first use; lines inside them define nothing.
    EXPECT_FALSE(add2->flags & CStatementBlock::FLAG_TRANSLATED);
    EXPECT_EQ(GlobalVariables.Find("inner"), nullptr);
    ASSERT_NE(GlobalVariables.Find("scale"), nullptr);
    EXPECT_EQ(GlobalVariables.Find("scale")->value->Real(), 3.0);
    EXPECT_EQ(GlobalVariables.Find("trailing"), nullptr);
    EXPECT_EQ(GlobalVariables.Find("base")->value->Type(), VT_MATRIX);
    EXPECT_TRUE(cap.messages.empty());
}

TEST_F(LibrarySources, CalledFromAProgramAndTranslatedOnce)
{
    Load(kLibrary);
    CTestProgram program;
    ProgramRun r = RunProgramIn(program, "add2(1, 2); twice(5); add2(10, 20);");
    EXPECT_EQ(r.messages, (std::vector<std::string>{"3", "15", "30"}));
    EXPECT_TRUE(UserFunctionAt(table, 0)->flags & CStatementBlock::FLAG_TRANSLATED);
}

TEST_F(LibrarySources, LibraryBodiesKeepTheirOwnJumpsAndCalls)
{
    // A library function is its own context: its labels, nested bodies and
    // recursion work without the calling program's table.
    Load("function n = count(k)\n  n = 0;\n  again: n++;\n  if(n < k)\n    goto again;\n  end\nend\n"
         "function r = depth(k)\n  r = 0;\n  if(k > 0)\n    r = 1 + depth(k - 1);\n  end\nend\n");
    CTestProgram program;
    EXPECT_EQ(RunProgramIn(program, "count(4); depth(6);").messages, (std::vector<std::string>{"4", "6"}));
}

// Stops after a number of statements, as a stop request would.
class CStoppingProgram : public CTestProgram {
public:
    int checks = 0;
    int IsStopRequested() override { return ++checks > 50; }
};

TEST_F(LibrarySources, StopRequestReachesLibraryBodies)
{
    Load("function y = spin(x)\n  y = 0;\n  while(y < 100000)\n    y++;\n  end\nend\n");
    CStoppingProgram program;
    ProgramRun r = RunProgramIn(program, "a = spin(1);");
    EXPECT_EQ(r.messages, (std::vector<std::string>{std::string("Error: ") + GetErrorText(ERR_STOPPED)}));
}

TEST_F(LibrarySources, BrokenBodyIsReportedOnce)
{
    Load("function y = bad(x)\n  y = x +;\nend\n");
    CTestProgram program;
    ProgramRun r = RunProgramIn(program, "a = bad(1); b = bad(2);");
    ASSERT_GE(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0], "Error: Syntax error: unexpected end of an expression");
    EXPECT_EQ(PrepareUserFunction(UserFunctionAt(table, 0)), ERR_FUNCTION_TRANSLATION);
}

TEST_F(LibrarySources, BadHeaderIsDroppedWithItsPlace)
{
    CCaptureStream cap;
    EXPECT_EQ(Load("function f()\nend\nfunction y = ok(x)\n y = x;\nend\n"), 1);
    ASSERT_EQ(cap.messages.size(), 1u);
    EXPECT_EQ(cap.messages[0], "Error: Invalid argument name");
    ASSERT_EQ(table->Count(), 1);
    EXPECT_EQ(UserFunctionAt(table, 0)->name, "ok");
}

TEST_F(LibrarySources, FolderScanAndFileEditedAfterLoading)
{
    fs::path dir = fs::temp_directory_path() / ("funlib_test_" + std::to_string(getpid()));
    fs::create_directories(dir / "extra" / "deep");
    std::ofstream(dir / "main.vdl") << "function y = one(x)\n  y = 1;\nend\n";
    std::ofstream(dir / "extra" / "more.VDL") << "function y = two(x)\n  y = 2;\nend\nk = 5\n";
    std::ofstream(dir / "extra" / "deep" / "d.vdl") << "function y = three(x)\n  y = 3;\nend\n";
    std::ofstream(dir / "notes.txt") << "function y = no(x)\n y = 0;\nend\n";
    CCaptureStream cap;
    EXPECT_EQ(LoadFunctionLibraries(dir.string()), 4);
    std::vector<CLibraryFunctionTable*> tables = LibraryTables();
    ASSERT_EQ(tables.size(), 2u);
    EXPECT_EQ(tables[0]->name, "Global");
    EXPECT_EQ(tables[1]->name, "extra");
    EXPECT_EQ(tables[1]->Count(), 2);  // the deeper folder shares its parent's table
    EXPECT_EQ(cap.messages.front(), "Loading functions library...");
    EXPECT_EQ(cap.messages.back(), "4 function(s) and constant(s) are loaded");

    // The body comes from the text read at start-up.
    std::ofstream(dir / "main.vdl") << "% a much longer first line that moves every offset along\n"
                                       "function y = one(x)\n  y = 100;\nend\n";
    CTestProgram program;
    EXPECT_EQ(RunProgramIn(program, "one(0); two(0); three(0);").messages,
              (std::vector<std::string>{"1", "2", "3"}));
    fs::remove_all(dir);
}

// Links back up the tree are followed once: every library loads once (twice
// made every call ambiguous), and two such links no longer grow the walk
// without end. A FIFO named like a library is not opened.
TEST_F(LibrarySources, FolderScanVisitsEachFolderOnce)
{
    fs::path dir = fs::temp_directory_path() / ("funlib_cycle_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "lib" / "sub");
    std::ofstream(dir / "main.vdl") << "function y = one(x)\n  y = 1;\nend\n";
    std::ofstream(dir / "lib" / "l.vdl") << "function y = two(x)\n  y = 2;\nend\n";
    fs::create_directory_symlink(".", dir / "lib" / "a");
    fs::create_directory_symlink("..", dir / "lib" / "sub" / "up");
    fs::create_directory_symlink(dir, dir / "lib" / "top");
    ASSERT_EQ(mkfifo((dir / "lib" / "pipe.vdl").c_str(), 0600), 0);
    CCaptureStream cap;
    EXPECT_EQ(LoadFunctionLibraries(dir.string()), 2);
    CTestProgram program;
    EXPECT_EQ(RunProgramIn(program, "one(0); two(0);").messages, (std::vector<std::string>{"1", "2"}));
    fs::remove_all(dir);
}

TEST_F(LibrarySources, PointerTextRoundTrips)
{
    Load(kLibrary);
    InstallFunctionPointerText();
    CUserFunction* twice = UserFunctionAt(table, 1);
    CValue p;
    p.SetPointer(twice);
    std::ostringstream out;
    out << p;
    EXPECT_EQ(out.str(), "@twice");

    CValue back;
    std::istringstream in("  @twice, 1");
    ReadValue(in, back);
    ASSERT_FALSE(in.fail());
    EXPECT_EQ(back.Type(), VT_POINTER);
    EXPECT_EQ(back.Pointer(), twice);
    EXPECT_EQ(in.get(), ',');

    // Not a function: the hook leaves the value to the writer; no "@" leaves the reader.
    int x = 0;
    CValue other;
    other.SetPointer(&x);
    std::ostringstream o2;
    EXPECT_EQ(WriteFunctionPointer(o2, other, nullptr), -1);
    EXPECT_EQ(o2.str(), "");
    std::istringstream plain("  12");
    CValue v;
    EXPECT_EQ(ReadFunctionPointer(plain, v), -1);
    EXPECT_EQ(plain.get(), '1');

    CCaptureStream cap;
    std::istringstream missing("@nowhere");
    EXPECT_EQ(ReadFunctionPointer(missing, v), 2);
    EXPECT_TRUE(missing.fail());
    EXPECT_EQ(cap.messages, (std::vector<std::string>{"Error: Invalid pointer"}));
}

TEST_F(LibrarySources, PointerCallsCheckArity)
{
    Load(kLibrary);
    CUserFunction* add2 = UserFunctionAt(table, 0);
    EXPECT_EQ(CheckFunctionPointerArity(PTR_USER_FUNCTION, add2, 2), 0);
    EXPECT_EQ(CheckFunctionPointerArity(PTR_USER_FUNCTION, add2, 3), ERR_PROTOTYPE);
    CTestProgram program;
    CValue a, b, result;
    a.SetReal(4);
    b.SetReal(5);
    CValue* args[] = {&a, &b};
    ASSERT_EQ(program.CallFunctionPointer(PTR_USER_FUNCTION, add2, args, 2, &result), 0);
    ASSERT_EQ(result.Type(), VT_REAL);
    EXPECT_EQ(result.Real(), 9.0);
    int notAFunction = 0;
    EXPECT_EQ(program.CallFunctionPointer(PTR_USER_FUNCTION, &notAFunction, args, 2, &result), ERR_FUNCTION_POINTER);
}

}  // namespace
