// Statement groups, the module loader and the frozen plug-in interface.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "program_harness.h"
#include "values/path_text.h"

namespace {

// The vtable slot a pointer to a virtual member function names (Itanium ABI:
// 1 + the byte offset of the slot).
template <class F>
long SlotOf(F f)
{
    struct {
        uintptr_t ptr;
        ptrdiff_t adj;
    } rep;
    static_assert(sizeof(F) == sizeof(rep));
    std::memcpy(&rep, &f, sizeof rep);
    return (long)((rep.ptr - 1) / sizeof(void*));
}

TEST(ModuleInterface, VirtualOrderIsFrozen)
{
    EXPECT_EQ(SlotOf(&CmdrInfo::CreateStatement), 0);
    EXPECT_EQ(SlotOf(&CmdrInfo::Init), 1);
    EXPECT_EQ(SlotOf(&CmdrInfo::Exit), 2);
    EXPECT_EQ(SlotOf(&CmdrInfo::Query), 3);
    // Two destructor entries come first.
    EXPECT_EQ(SlotOf(&CStatement::Translate), 2);
    EXPECT_EQ(SlotOf(&CStatement::Execute), 3);
    EXPECT_EQ(SlotOf(&CStatementBlock::GetKind), 2);
    EXPECT_EQ(SlotOf(&CStatementBlock::WaitPause), 10);
    EXPECT_EQ(SlotOf(&CStatementBlock::Translate), 11);
    EXPECT_EQ(SlotOf(&CStatementBlock::ParseExpression), 13);
    EXPECT_EQ(SlotOf(&CStatementBlock::Evaluate), 14);
    EXPECT_EQ(SlotOf(&CStatementBlock::FindVariable), 18);
    EXPECT_EQ(SlotOf(&CStatementBlock::CallFunctionPointer), 22);
}

TEST(BasicGroup, RecordAndFactory)
{
    CmdrInfo* g = RegisterBasicStatements();
    EXPECT_STREQ(g->title, "Standart statements");
    EXPECT_STREQ(g->description, "Basic statements");
    EXPECT_EQ(g->deviceManager, nullptr);
    ASSERT_EQ(g->statementCount, 11);
    const char* keywords[] = {"for", "while", "if", "switch", "break", "return", "continue", "goto", "global", "clear", "pause"};
    const int codes[] = {101, 102, 103, 104, 105, 106, 107, 110, 115, 116, 150};
    for (int i = 0; i < 11; ++i) {
        EXPECT_STREQ(g->statements[i].keyword, keywords[i]);
        EXPECT_EQ(g->statements[i].code, codes[i]);
    }
    EXPECT_STREQ(g->FindStatement("for")->help,
                 "for(var=nexp[:nend[:nstep=1]])\r\n  statement\r\n  ...\r\nend\r\nMain loop statement.");
    EXPECT_STREQ(g->FindStatement("pause")->example, "pause 1");
    EXPECT_EQ(g->FindStatement("For"), nullptr);  // callers lower-case the word
    CStatementBlock block;
    for (int code : {100, 108, 109, 111, 117, 149, 151}) EXPECT_EQ(g->CreateStatement(code, &block), nullptr) << code;
    CStatement* st = g->CreateStatement(STMT_GOTO, &block);
    ASSERT_NE(st, nullptr);
    EXPECT_EQ(st->owner, &block);
    EXPECT_EQ(st->labelId, -1);
    EXPECT_EQ(st->textStart, -1);
    delete st;
    EXPECT_TRUE(g->Init(nullptr, nullptr, nullptr, nullptr));
    EXPECT_TRUE(g->Exit());
    EXPECT_EQ(g->Query(0), -1);
}

// A group that owns one keyword and can fail its Init and Exit.
class CFakeGroup : public CmdrInfo {
public:
    CmdrStatementEntry entry;
    bool ok;
    int made = 0;
    CFakeGroup(const char* keyword, const char* desc, bool okay) : ok(okay)
    {
        entry = {keyword, 7, "", ""};
        description = desc;
        statements = &entry;
        statementCount = 1;
    }
    CStatement* CreateStatement(int, CStatementBlock*) override
    {
        ++made;
        return nullptr;
    }
    bool Init(COutputStream*, ReadValueHookFn, WriteValueHookFn, HWND) override { return ok; }
    bool Exit() override { return ok; }
};

TEST(StatementModuleList, FirstGroupWinsAndFailuresAreReported)
{
    CFakeGroup first("zap", "First group", false), second("zap", "Second group", true);
    CStatementModuleList::AddGroup(&first);
    CStatementModuleList::AddGroup(&second);
    CStatementModuleList::AddGroup(&first);  // once only
    CStatementBlock block;
    EXPECT_EQ(CStatementModuleList::FindStatement("zap"), &first.entry);
    EXPECT_EQ(CStatementModuleList::CreateStatement("zap", &block), nullptr);
    EXPECT_EQ(first.made, 1);
    EXPECT_EQ(second.made, 0);
    EXPECT_EQ(CStatementModuleList::CreateStatement("nosuchword", &block), nullptr);
    {
        CCaptureStream cap;
        EXPECT_FALSE(CStatementModuleList::InitAll(&cap, nullptr, nullptr, nullptr));
        EXPECT_FALSE(CStatementModuleList::ExitAll());
        EXPECT_EQ(cap.messages, (std::vector<std::string>{"Error: Failed to initialize a statements module 'First group'",
                                                          "Error: Failed to deinitialize a statements module 'First group'"}));
    }
    CStatementModuleList::RemoveGroup(&first);
    CStatementModuleList::RemoveGroup(&second);
    EXPECT_EQ(CStatementModuleList::FindStatement("zap"), nullptr);
    EXPECT_EQ(CStatementModuleList::NotifyDevicesStop(), 0);
}

// The test programs live in the build folder; the staged program folder out/
// beside them holds the test modules.
std::string TestModuleFolder()
{
    std::string exe = GetModuleFilePath(nullptr);
    return exe.substr(0, exe.find_last_of('/')) + "/out/test-modules";
}

TEST(LoadStatementModules, KeepsModulesWithStatementsAndTheirKeywordsRun)
{
    EnsureBasicGroup();
    int before = CStatementModuleList::Count();
    EXPECT_EQ(LoadStatementModules((TestModuleFolder() + "/nosuchfolder").c_str()), 0);
    ASSERT_EQ(LoadStatementModules(TestModuleFolder().c_str()), 1);  // the empty module is dropped
    ASSERT_EQ(CStatementModuleList::Count(), before + 1);
    CStatementModuleList::Entry e = CStatementModuleList::At(before);
    ASSERT_NE(e.module, nullptr);
    EXPECT_STREQ(e.info->description, "Test module statements");
    EXPECT_EQ(e.info->Query(4), 5);
    {
        CCaptureStream cap;
        EXPECT_TRUE(CStatementModuleList::InitAll(&cap, nullptr, nullptr, nullptr));
        EXPECT_TRUE(cap.messages.empty());
    }
    // The module's keywords run; its "for" does not replace the built-in one.
    ProgramRun r = RunProgram("x = 3; TWICE x; twice x; x; echo x + 1; for(i=1:2) i; end");
    EXPECT_EQ(r.messages, (std::vector<std::string>{"12", "echo 13", "1", "2"}));
    CStatementModuleList::RemoveGroup(e.info);
}

// A truncated library, a FIFO and a folder among the candidates are skipped
// silently; the start neither faults nor waits.
TEST(LoadStatementModules, SkipsWhatIsNotAWholeLibraryFile)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("veldra-mst-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ifstream in(TestModuleFolder() + "/twice_statements.mst", std::ios::binary);
    const std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(whole.size(), 1000u);
    std::ofstream(dir / "a_truncated.mst", std::ios::binary) << whole.substr(0, 1000);
    ASSERT_EQ(mkfifo((dir / "b_fifo.mst").c_str(), 0600), 0);
    fs::create_directories(dir / "c_folder.mst");
    std::ofstream(dir / "d_whole.mst", std::ios::binary) << whole;
    int before = CStatementModuleList::Count();
    EXPECT_EQ(LoadStatementModules(dir.c_str()), 1);
    ASSERT_EQ(CStatementModuleList::Count(), before + 1);
    CStatementModuleList::RemoveGroup(CStatementModuleList::At(before).info);
    fs::remove_all(dir);
}

TEST(LoadStatementModules, FolderSettingsRelativeToProgramFolder)
{
    // The tests run from the build folder; the staged program folder is out/.
    int before = CStatementModuleList::Count();
    EXPECT_EQ(LoadStatementModules("\\out\\test-modules"), 1);
    EXPECT_EQ(LoadStatementModules(""), 0);  // the build folder has no bin/ modules
    ASSERT_EQ(CStatementModuleList::Count(), before + 1);
    CStatementModuleList::RemoveGroup(CStatementModuleList::At(before).info);
}

}  // namespace
