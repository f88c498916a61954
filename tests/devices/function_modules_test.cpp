// The function-module loader over the test modules in build/test-out/bin.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "devices/function_modules.h"
#include "support/capture.h"
#include "support/device_run.h"
#include "values/path_text.h"
#include "values/value_text.h"

namespace {

std::vector<std::string> ModuleLibraryNames()
{
    std::vector<std::string> names;
    for (FuncLibrary* lib : RegisteredLibraries())
        if (std::string(lib->name).rfind("Test ", 0) == 0) names.push_back(lib->name);
    return names;
}

TEST(FunctionModules, LoadInNameOrderAndRegisterCopiesOfTheInitialisedOnes)
{
    CCaptureStream cap;
    EXPECT_EQ(CFuncModuleList::Load("\\no such folder"), 0);
    EXPECT_EQ(CFuncModuleList::Load(FakeDeviceFolder().c_str()), 4);  // d_noexit lacks FuncExit
    std::vector<std::string> files;
    for (const FuncModule& m : CFuncModuleList::Modules()) files.push_back(GetFileNamePart(m.path));
    EXPECT_EQ(files, (std::vector<std::string>{"E_UPPER.MFN", "a_funcs.mfn", "b_funcs.mfn", "c_failinit.mfn"}));

    EXPECT_FALSE(CFuncModuleList::InitAll(GetOutputStream(), nullptr, nullptr, nullptr));
    EXPECT_EQ(cap.messages, std::vector<std::string>{"Error: Failed to initialize a functions module 'c_failinit.mfn'"});
    EXPECT_EQ(ModuleLibraryNames(), (std::vector<std::string>{"Test E", "Test A", "Test B"}));
    EXPECT_EQ(CFuncModuleList::LibraryCount(), 3);

    // The first module that has the function wins.
    const void* found = nullptr;
    FindBuiltinOverload("which", 0, -1, found);
    ASSERT_NE(found, nullptr);
    CValue out;
    EXPECT_EQ(CallBuiltinFunction((const FuncEntry*)found, nullptr, 0, &out, nullptr), 0);
    EXPECT_EQ(out.Type(), VT_STRING);
    std::string text;
    EXPECT_EQ(ValueFormat(out, text), "\"a\"");

    CFuncModuleList::Unload();
    EXPECT_TRUE(ModuleLibraryNames().empty());
    EXPECT_TRUE(CFuncModuleList::Modules().empty());
    found = nullptr;
    FindBuiltinOverload("twice", 1, -1, found);
    EXPECT_EQ(found, nullptr);
}

// A truncated module and a FIFO named like a module are skipped; the good one loads.
TEST(FunctionModules, SkipsTruncatedFilesAndFifos)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("veldra-mfn-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ifstream in(FakeDeviceFolder() + "/a_funcs.mfn", std::ios::binary);
    const std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(whole.size(), 1000u);
    std::ofstream(dir / "a_truncated.mfn", std::ios::binary) << whole.substr(0, 1000);
    ASSERT_EQ(mkfifo((dir / "b_fifo.mfn").c_str(), 0600), 0);
    std::ofstream(dir / "c_whole.mfn", std::ios::binary) << whole;
    EXPECT_EQ(CFuncModuleList::Load(dir.c_str()), 1);
    ASSERT_EQ(CFuncModuleList::Modules().size(), 1u);
    EXPECT_EQ(GetFileNamePart(CFuncModuleList::Modules()[0].path), "c_whole.mfn");
    CFuncModuleList::Unload();
    fs::remove_all(dir);
}

}  // namespace
