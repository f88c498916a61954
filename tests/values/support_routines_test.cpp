#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>
#include <vector>

#include "values/byte_buffer.h"
#include "values/path_text.h"

namespace {
std::vector<int> Bytes(const CByteBuffer& b) { return std::vector<int>(b.Data(), b.Data() + b.Size()); }
}  // namespace

TEST(ByteBuffer, ResizeOwnsAndFrees)
{
    CByteBuffer b;
    EXPECT_EQ(b.Resize(0), nullptr);
    EXPECT_FALSE(b.m_bOwns);
    ASSERT_NE(b.Resize(4), nullptr);
    EXPECT_TRUE(b.m_bOwns);
    b.Data()[3] = 9;
    b.Resize(8);
    EXPECT_EQ(b.Size(), 8u);
    EXPECT_EQ(b.Data()[3], 9);
    EXPECT_EQ(b.Resize(0), nullptr);
    EXPECT_EQ(b.Size(), 0u);
    EXPECT_FALSE(b.m_bOwns);
}

TEST(HexText, HexToBytes)
{
    CByteBuffer b;
    EXPECT_TRUE(HexToBytes(b, "0a1"));
    EXPECT_EQ(Bytes(b), (std::vector<int>{0x0a, 0x01}));
    EXPECT_TRUE(HexToBytes(b, "FF00"));
    EXPECT_EQ(Bytes(b), (std::vector<int>{0xff, 0x00}));
    EXPECT_FALSE(HexToBytes(b, "12zz34"));
    ASSERT_EQ(b.Size(), 3u);
    EXPECT_EQ(b.Data()[0], 0x12);
    EXPECT_TRUE(HexToBytes(b, ""));
    EXPECT_EQ(b.Size(), 0u);
}

TEST(HexText, ParseHexBytes)
{
    struct Case {
        const char* text;
        int result;
        int width;
        std::vector<int> bytes;
    };
    const Case cases[] = {
        {"0102 0304", 0, 4, {0x02, 0x01, 0x04, 0x03}},
        {"12 345", 0, 2, {0x12, 0x45}},
        {"0123456789", 0, 2, {0x01, 0x23, 0x45, 0x67, 0x89}},
        {"01 02 03\n04 05", 3, 2, {1, 2, 3, 4, 5}},
        {"  1\r\n2\n3", 1, 2, {1, 2, 3}},
        {"01020304 a", 0, 8, {4, 3, 2, 1, 0x0a, 0, 0, 0}},
        {"0102030405060708 1", 0, 16, {8, 7, 6, 5, 4, 3, 2, 1, 1, 0, 0, 0, 0, 0, 0, 0}},
        {"", 0, 2, {}},
        {"12 zz", -1, 2, {}},
        {"0102030405060708090 1", -1, 0, {}},
        {"12345678zz", -1, 2, {}},
    };
    for (const Case& k : cases) {
        CByteBuffer b;
        int width = 0;
        int r = ParseHexBytes(b, k.text, width);
        EXPECT_EQ(r, k.result) << k.text;
        if (k.result >= 0) {
            EXPECT_EQ(width, k.width) << k.text;
            EXPECT_EQ(Bytes(b), k.bytes) << k.text;
        }
    }
}

TEST(HexText, FormatHexDump)
{
    const unsigned char bytes[] = {0x01, 0x02, 0x03};
    struct Case {
        int perLine, digits;
        const char* text;
    };
    const Case cases[] = {
        {0, 4, "0201 0003"},
        {2, 2, "01 02\n03"},
        {1, 2, "01\n02\n03"},
        {8, 8, "00030201"},
        {8, 16, "0000000000030201"},
        {8, 3, "01 02 03"},
    };
    for (const Case& k : cases) {
        std::string text;
        EXPECT_TRUE(FormatHexDump(bytes, sizeof(bytes), text, k.perLine, k.digits));
        EXPECT_EQ(text, k.text) << k.perLine << " " << k.digits;
    }
    // A dump reads back to the same bytes.
    CByteBuffer b;
    b.Resize(8);
    for (int i = 0; i < 8; ++i) b.Data()[i] = (unsigned char)(0xf0 + i);
    std::string text;
    ASSERT_TRUE(FormatHexDump(b, text, 1, 8));
    CByteBuffer back;
    int width = 0;
    EXPECT_EQ(ParseHexBytes(back, text.c_str(), width), 1);
    EXPECT_EQ(width, 8);
    EXPECT_EQ(Bytes(back), Bytes(b));
}

TEST(PathText, TrimAndFileNamePart)
{
    std::string s = "  text \t\r\n";
    TrimString(s);
    EXPECT_EQ(s, "  text");
    s = " \n";
    TrimString(s);
    EXPECT_EQ(s, "");
    EXPECT_EQ(GetFileNamePart("C:\\dir\\file.txt"), "file.txt");
    EXPECT_EQ(GetFileNamePart("file.txt"), "file.txt");
    EXPECT_EQ(GetFileNamePart("/usr/lib/x.so"), "x.so");
    EXPECT_EQ(GetFileNamePart("dir\\"), "");
}

TEST(PathText, NormalizePath)
{
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"a\\\\b\\..\\c", "a\\c"},
        {"..\\..\\x", "..\\..\\x"},
        {"\\..\\x", "\\..\\x"},
        {"\\a\\b\\..\\..\\c", "\\c"},
        {"a\\b\\..\\..\\c", "c"},
        {"a\\..", ""},
        {"x\\\\\\y\\", "x\\y\\"},
        {"/opt//veldra/bin/../funlib", "/opt/veldra/funlib"},
        {"C:\\dir\\..b\\f", "C:\\dir\\..b\\f"},
        {"", ""},
    };
    for (const Case& k : cases) {
        std::string p = k.in;
        NormalizePath(p);
        EXPECT_EQ(p, k.out) << k.in;
    }
}

TEST(PathText, ModuleFilePathIsThisProgram)
{
    std::string p = GetModuleFilePath();
    ASSERT_FALSE(p.empty());
    EXPECT_EQ(p[0], '/');
    EXPECT_EQ(GetFileNamePart(p), "test_values");

    void* self = dlopen(nullptr, RTLD_NOW);
    EXPECT_EQ(GetModuleFilePath(self), p);
    dlclose(self);
    void* lib = dlopen("libveldra.so", RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(lib, nullptr);
    std::string lp = GetModuleFilePath(lib);
    EXPECT_EQ(lp[0], '/');
    EXPECT_EQ(GetFileNamePart(lp), "libveldra.so");
    dlclose(lib);
}
