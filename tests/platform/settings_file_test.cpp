#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/afx/settings_file.h"

namespace {

std::string TempPath(const char* name)
{
    std::string dir = testing::TempDir() + "settings-" + std::to_string(getpid());
    return dir + "/sub/" + name;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void WriteAll(const std::string& path, const std::string& text)
{
    std::string dir = path.substr(0, path.rfind('/'));
    std::string parent = dir.substr(0, dir.rfind('/'));
    mkdir(parent.c_str(), 0777);
    mkdir(dir.c_str(), 0777);
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace

TEST(SettingsFile, TextEscapesRoundTripAndBackslashesStayLiteral)
{
    struct Case { std::string text, stored; } cases[] = {
        {"\\funlib", "\\funlib"},
        {"\\newmods", "\\\\newmods"},
        {"a\nb", "a\\nb"},
        {"C:\\new", "C:\\\\new"},
        {"tab\there\r", "tab\\there\\r"},
        {"end\\", "end\\"},
        {"two\\\\", "two\\\\\\"},
        {"\\\n", "\\\\\\n"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EscapeSettingText(c.text), c.stored) << c.text;
        EXPECT_EQ(UnescapeSettingText(c.stored), c.text) << c.stored;
    }
}

TEST(SettingsFile, WritesEveryTypeInFirstWriteOrderAndReadsItBack)
{
    std::string path = TempPath("golden.conf");
    unlink(path.c_str());
    {
        CSettingsFile store(path);
        ASSERT_TRUE(store.WriteInt("Settings", "Ver", 4));
        ASSERT_TRUE(store.WriteString("Settings", "300", "\\funlib"));
        const uint8_t bytes[] = {2, 1, 0, 0xff};
        ASSERT_TRUE(store.WriteBinary("Settings", "104", bytes, 4));
        ASSERT_TRUE(store.WriteString("Recent File List", "File1", "/home/u/a\nb.vdx"));
        ASSERT_TRUE(store.WriteBinary("Bars\\Bar-0", "Empty", nullptr, 0));
        ASSERT_TRUE(store.WriteInt("Settings", "ver", 10));   // names ignore case
    }
    EXPECT_EQ(ReadAll(path),
              "[Settings]\n"
              "Ver=dword:0000000a\n"
              "300=sz:\\funlib\n"
              "104=hex:02,01,00,ff\n"
              "\n"
              "[Recent File List]\n"
              "File1=sz:/home/u/a\\nb.vdx\n"
              "\n"
              "[Bars\\Bar-0]\n"
              "Empty=hex:\n");

    CSettingsFile again(path);
    uint32_t v = 0;
    std::string s;
    std::vector<uint8_t> b;
    EXPECT_TRUE(again.GetInt("SETTINGS", "VER", v));
    EXPECT_EQ(v, 10u);
    EXPECT_TRUE(again.GetString("Settings", "300", s));
    EXPECT_EQ(s, "\\funlib");
    EXPECT_TRUE(again.GetBinary("Settings", "104", b));
    EXPECT_EQ(b, (std::vector<uint8_t>{2, 1, 0, 0xff}));
    EXPECT_TRUE(again.GetString("Recent File List", "File1", s));
    EXPECT_EQ(s, "/home/u/a\nb.vdx");
    // A value read as the wrong type is not there.
    EXPECT_FALSE(again.GetInt("Settings", "300", v));
    EXPECT_FALSE(again.GetString("Settings", "Ver", s));
    EXPECT_FALSE(again.GetInt("Settings", "missing", v));
}

TEST(SettingsFile, KeepsUnknownLinesAndDeletesSubSections)
{
    std::string path = TempPath("unknown.conf");
    WriteAll(path,
             "# written by hand\n"
             "[A]\n"
             "x=dword:1\n"
             "garbage line\n"
             "y=dword:zz\n"
             "\n\n"
             "[A\\B]\n"
             "z=sz:1\n"
             "[AB]\n"
             "w=sz:2\n"
             "[Key=Value]\n"
             "a=b=sz:c\n");
    CSettingsFile store(path);
    uint32_t v = 0;
    std::string s;
    EXPECT_TRUE(store.GetInt("A", "x", v));
    EXPECT_EQ(v, 1u);
    EXPECT_FALSE(store.GetInt("A", "y", v));   // malformed number
    EXPECT_TRUE(store.GetString("Key=Value", "a=b", s));
    EXPECT_EQ(s, "c");
    EXPECT_TRUE(store.DeleteSection("A"));
    EXPECT_FALSE(store.HasSection("A\\B"));
    EXPECT_TRUE(store.HasSection("AB"));
    EXPECT_TRUE(store.DeleteValue("AB", "W"));
    EXPECT_FALSE(store.DeleteValue("AB", "w"));
    EXPECT_EQ(ReadAll(path), "# written by hand\n\n[AB]\n\n[Key=Value]\na=b=sz:c\n");

    EXPECT_TRUE(store.DeleteAll());
    EXPECT_EQ(ReadAll(path), "");
}

TEST(SettingsFile, WriteProtectedStoreNeverTouchesTheFile)
{
    std::string path = TempPath("batch.conf");
    std::string text = "[Settings]\nVer=dword:00000004\n";
    WriteAll(path, text);
    struct stat before;
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    CSettingsFile::SetWriteProtected(true);
    CSettingsFile store(path);
    EXPECT_TRUE(store.WriteInt("Settings", "Ver", 3));
    uint32_t v = 0;
    EXPECT_TRUE(store.GetInt("Settings", "Ver", v));
    EXPECT_EQ(v, 3u);   // memory changes, the file does not
    EXPECT_TRUE(store.DeleteAll());
    CSettingsFile fresh(TempPath("never-created.conf"));
    EXPECT_TRUE(fresh.WriteInt("S", "n", 1));
    CSettingsFile::SetWriteProtected(false);

    struct stat after;
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(ReadAll(path), text);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_NE(access(TempPath("never-created.conf").c_str(), F_OK), 0);
}

TEST(SettingsFile, PathFollowsTheConfigHome)
{
    std::string saved = getenv("VELDRA_CONFIG_HOME") ? getenv("VELDRA_CONFIG_HOME") : "";
    setenv("VELDRA_CONFIG_HOME", "/x/cfg/", 1);
    EXPECT_EQ(SettingsFilePath("Brenholt", "Veldra"), "/x/cfg/Brenholt/Veldra.conf");
    unsetenv("VELDRA_CONFIG_HOME");
    setenv("XDG_CONFIG_HOME", "/y", 1);
    EXPECT_EQ(SettingsFilePath("Brenholt", "Quorra"), "/y/Brenholt/Quorra.conf");
    setenv("VELDRA_CONFIG_HOME", saved.c_str(), 1);
}

// A linked settings file is written behind its link, as documents are.
TEST(SettingsFile, SaveFollowsASymlinkAndKeepsIt)
{
    const std::string real = TempPath("real.conf"), link = TempPath("link.conf");
    WriteAll(real, "[S]\nold=dword:00000001\n");
    unlink(link.c_str());
    ASSERT_EQ(symlink("real.conf", link.c_str()), 0);
    CSettingsFile f(link);
    ASSERT_TRUE(f.WriteInt("S", "n", 7));
    struct stat st;
    ASSERT_EQ(lstat(link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadAll(real), "[S]\nold=dword:00000001\nn=dword:00000007\n");
    unlink(link.c_str());
    unlink(real.c_str());
}

// Values written in a batch reach the file once, at its end; a write that
// cannot be done is reported and leaves the old file.
TEST(SettingsFile, BatchedWritesAndAFailedWriteIsReported)
{
    const std::string path = TempPath("batch.conf");
    WriteAll(path, "[S]\na=dword:00000001\n");
    CSettingsFile f(path);
    {
        CSettingsFile::CBatch batch(f);
        for (int i = 0; i < 50; ++i) ASSERT_TRUE(f.WriteInt("S", "v" + std::to_string(i), (uint32_t)i));
        {
            CSettingsFile::CBatch inner(f);
            f.WriteString("T", "s", "x");
        }
        EXPECT_EQ(ReadAll(path), "[S]\na=dword:00000001\n");   // nothing written yet
        EXPECT_TRUE(batch.Commit());
    }
    const std::string text = ReadAll(path);
    EXPECT_NE(text.find("v49=dword:00000031\n"), std::string::npos);
    EXPECT_NE(text.find("[T]\ns=sz:x\n"), std::string::npos);
    EXPECT_EQ(f.LastWriteError(), 0);

    // The folder cannot be made (a file stands in its place): reported, nothing lost.
    const std::string blocked = TempPath("blocker") + "/x.conf";
    WriteAll(TempPath("blocker"), "a file, not a folder");
    CSettingsFile g(blocked);
    EXPECT_FALSE(g.WriteInt("S", "n", 1));
    EXPECT_NE(g.LastWriteError(), 0);
    {
        CSettingsFile::CBatch batch(g);
        g.WriteInt("S", "m", 2);
        EXPECT_FALSE(batch.Commit());
    }
    EXPECT_EQ(ReadAll(TempPath("blocker")), "a file, not a folder");
    unlink(TempPath("blocker").c_str());
    unlink(path.c_str());
}

// Many values in one section: each read and write finds its line by name;
// a repeated name keeps the last value in the first place, in any case.
TEST(SettingsFile, LargeSectionsAndRepeatedNames)
{
    const std::string path = TempPath("large.conf");
    std::string text = "[S]\n";
    for (int i = 0; i < 20000; ++i) text += "n" + std::to_string(i) + "=dword:" + "00000001\n";
    text += "N5=dword:00000009\n[s]\nextra=sz:y\n";
    WriteAll(path, text);
    CSettingsFile f(path);
    uint32_t v = 0;
    ASSERT_TRUE(f.GetInt("S", "n19999", v));
    EXPECT_EQ(v, 1u);
    ASSERT_TRUE(f.GetInt("s", "n5", v));
    EXPECT_EQ(v, 9u);
    std::string s;
    EXPECT_TRUE(f.GetString("S", "extra", s));
    EXPECT_EQ(s, "y");
    EXPECT_TRUE(f.DeleteValue("S", "n0"));
    EXPECT_FALSE(f.GetInt("S", "n0", v));
    ASSERT_TRUE(f.GetInt("S", "n1", v));
    ASSERT_TRUE(f.WriteInt("S", "n1", 3));
    ASSERT_TRUE(f.GetInt("S", "N1", v));
    EXPECT_EQ(v, 3u);
    const std::string saved = ReadAll(path);
    EXPECT_EQ(saved.find("n0="), std::string::npos);
    EXPECT_NE(saved.find("\nn1=dword:00000003\nn2="), std::string::npos);
    EXPECT_NE(saved.find("n5=dword:00000009\n"), std::string::npos);
    unlink(path.c_str());
}

#include "support/fuzz_support.h"
#include "support/mutator.h"

// Mutated settings files load without a fault, and what a store then saves
// is stable: loaded again, changed and changed back, it saves the same bytes.
TEST(SettingsFile, MutatedFilesLoadAndSaveStably)
{
    const std::vector<std::string> seeds = {
        "[Settings]\nVer=dword:00000004\nWinpos=hex:2c,00,00,00,00,00,00,00,01,00,00,00\n100=dword:00000001\n"
        "300=sz:\\\\funlib\n301=sz:C:\\\\new\\tx\n\n[Recent File List]\nFile1=sz:/tmp/a.vdx\n",
        "; a comment kept\n[A\\B]\nx=y\nn=dword:ffffffff\n[=]\n==sz:=\n",
        "[Brenholt-Bars]\nIds=hex:00,e8,00,00,01,e8,00,00\n\n[Brenholt-Bar0]\nVisible=dword:00000001\n",
    };
    // Memory-backed where there is one: every save is synced to its disk.
    const std::string path = access("/dev/shm", W_OK) == 0 ? "/dev/shm/veldra-mutated-" + std::to_string(getpid()) + ".conf"
                                                           : TempPath("mutated.conf");
    int rounds = 600;
    CMutator m(FuzzSeed(6507, rounds));
    for (int i = 0; i < rounds; i++) {
        const std::string text = m.Mutate(seeds[(size_t)m.Below((int)seeds.size())], seeds);
        FuzzInput current(text);
        if (path.rfind("/dev/shm/", 0) == 0) std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        else WriteAll(path, text);
        std::string saved;
        {
            CSettingsFile f(path);
            uint32_t v;
            std::string s;
            std::vector<uint8_t> b;
            f.GetInt("Settings", "Ver", v);
            f.GetBinary("Settings", "Winpos", b);
            f.GetString("Recent File List", "File1", s);
            f.HasSection("A\\B");
            ASSERT_TRUE(f.WriteInt("zz probe", "n", 1)) << Escaped(text);
            saved = ReadAll(path);
        }
        CSettingsFile g(path);
        {
            CSettingsFile::CBatch batch(g);
            g.WriteInt("zz probe", "n", 2);
            g.WriteInt("zz probe", "n", 1);
            ASSERT_TRUE(batch.Commit());
        }
        ASSERT_EQ(ReadAll(path), saved) << Escaped(text);
    }
    unlink(path.c_str());
}
