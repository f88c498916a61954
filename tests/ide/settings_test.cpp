// The settings table against the settings file: golden output, round trip,
// and the checks that keep hand-edited values from doing harm.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "ide/run/settings.h"
#include "platform/afx/settings_file.h"
#include "platform/user/settings.h"
#include "support/capture.h"
#include "values/app_settings.h"

namespace fs = std::filesystem;

namespace {

// Every setting back to its default after each test.
struct SavedSettings {
    bool autoOpen = AppSettings::OutputAutoOpen, timeLabel = AppSettings::TimeLabel,
         console = AppSettings::UseAsConsole, autoCalc = AppSettings::AutoCalculate,
         example = AppSettings::InsertAsExample, r201 = AppSettings::Reserved201,
         sendBatch = AppSettings::ConsoleSendBatch;
    int precision = AppSettings::NumericPrecision, period = AppSettings::VariablesUpdatePeriod,
        depth = AppSettings::MaxCallDepth, stack = AppSettings::StackSize, priority = AppSettings::ThreadPriority;
    FontSetting fonts[5] = {AppSettings::VariablesFont, AppSettings::WatcherFont, AppSettings::OutputFont,
                            AppSettings::EditorFont, AppSettings::TooltipFont};
    ValueTextFormat editor = AppSettings::EditorFormat, display = CurrentDisplayTextFormat();
    LayerColor layers[AppSettings::LayerCount];
    std::string strings[4] = {AppSettings::FunctionsFolder, AppSettings::ModulesFolder,
                              AppSettings::ConsoleDeviceLibrary, AppSettings::PlotDeviceLibrary};
    SavedSettings() { std::copy(std::begin(AppSettings::LayerColors), std::end(AppSettings::LayerColors), layers); }
    ~SavedSettings()
    {
        using namespace AppSettings;
        OutputAutoOpen = autoOpen, TimeLabel = timeLabel, UseAsConsole = console, AutoCalculate = autoCalc;
        InsertAsExample = example, Reserved201 = r201, ConsoleSendBatch = sendBatch;
        NumericPrecision = precision, VariablesUpdatePeriod = period, MaxCallDepth = depth, StackSize = stack;
        ThreadPriority = priority;
        VariablesFont = fonts[0], WatcherFont = fonts[1], OutputFont = fonts[2], EditorFont = fonts[3];
        TooltipFont = fonts[4];
        EditorFormat = editor;
        SetDisplayTextFormat(display);
        std::copy(std::begin(layers), std::end(layers), LayerColors);
        FunctionsFolder = strings[0], ModulesFolder = strings[1], ConsoleDeviceLibrary = strings[2];
        PlotDeviceLibrary = strings[3];
    }
};

const char kDefaults[] =
    "[Settings]\n"
    "Ver=dword:00000004\n"
    "Winpos=hex:2c,00,00,00,00,00,00,00,01,00,00,00,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,ff,"
    "0a,00,00,00,14,00,00,00,2a,03,00,00,6c,02,00,00\n"
    "100=dword:00000001\n101=dword:00000000\n102=dword:00000001\n103=dword:00000006\n"
    "104=hex:02,01,00,00,00,00,01,00,0a,00,00,00,06,ff,00,00,0d,00,00,00\n"
    "105=sz:Courier New\n106=dword:0000005a\n107=sz:Courier New\n108=dword:0000005a\n"
    "109=dword:00000000\n110=sz:Courier New\n111=dword:0000005a\n"
    "200=dword:00000001\n201=dword:00000001\n"
    "202=hex:06,01,00,00,ff,ff,ff,7f,32,00,00,00,06,ff,00,00,0c,00,00,00\n"
    "203=sz:Courier New\n204=dword:0000005a\n"
    "205=hex:ff,ff,ff,ff,ff,ff,ff,ff,00,00,ff,00,ff,ff,ff,ff,80,00,00,00,ff,ff,ff,ff,80,80,80,00,ff,ff,ff,ff\n"
    "206=sz:Courier New\n207=dword:00000046\n"
    "300=sz:\\funlib\n301=sz:\\bin\n302=dword:00000001\n303=sz:Nerithx.so\n304=sz:Quorrax.so\n"
    "400=dword:000007d0\n401=dword:000000c8\n402=dword:00100000\n403=dword:00000000\n";

std::vector<uint8_t> Placement()
{
    std::vector<uint8_t> b;
    for (int32_t w : {44, 0, 1, -1, -1, -1, -1, 10, 20, 810, 620})
        for (int i = 0; i < 4; ++i) b.push_back(uint8_t(uint32_t(w) >> (8 * i)));
    return b;
}

class Settings : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("veldra-settings-" + std::to_string(getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        path = (dir / "Veldra.conf").string();
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string Read()
    {
        std::ifstream f(path, std::ios::binary);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }
    void Write(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

    SavedSettings saved;
    fs::path dir;
    std::string path;
};

}  // namespace

TEST_F(Settings, FirstStartWritesDefaultsInTableOrder)
{
    CCaptureStream capture;
    CSettingsFile store(path);
    std::vector<uint8_t> winpos;
    LoadSettings(store, false, &winpos);
    EXPECT_TRUE(winpos.empty());
    ASSERT_EQ(capture.messages.size(), 1u);
    EXPECT_EQ(capture.messages[0],
              "Information: This version of Veldra is updated or program started at first time. All settings set to defaults");
    std::vector<uint8_t> placement = Placement();
    SaveSettings(store, &placement);
    EXPECT_EQ(Read(), kDefaults);

    // Loaded again: no message, the same file after saving.
    capture.Reset();
    CSettingsFile again(path);
    LoadSettings(again, false, &winpos);
    EXPECT_EQ(winpos, placement);
    EXPECT_TRUE(capture.messages.empty());
    SaveSettings(again, &winpos);
    EXPECT_EQ(Read(), kDefaults);
}

TEST_F(Settings, ChangedValuesRoundTripByteForByte)
{
    std::string text = kDefaults;
    auto set = [&](const std::string& line, const std::string& value) {
        size_t at = text.find("\n" + line + "=");
        ASSERT_NE(at, std::string::npos) << line;
        size_t end = text.find('\n', at + 1);
        text.replace(at + 1, end - at - 1, line + "=" + value);
    };
    set("100", "dword:00000000");
    set("101", "dword:00000001");
    set("103", "dword:00000008");
    set("104", "hex:03,00,00,00,00,04,00,00,05,00,00,00,03,ff,00,00,07,00,00,00");
    set("105", "sz:a\\n\\nb");
    set("111", "dword:00000064");
    set("205", "hex:01,00,00,00,02,00,00,00,03,00,00,00,04,00,00,00,05,00,00,00,06,00,00,00,07,00,00,00,08,00,00,00");
    set("300", "sz:\\funlib");
    set("301", "sz:\\\\newmods");
    set("303", "sz:other.so");
    set("400", "dword:00000064");
    set("403", "dword:fffffffe");
    Write(text);
    CCaptureStream capture;   // owns the time-stamp flag of "101"
    CSettingsFile store(path);
    LoadSettings(store, false);
    EXPECT_EQ(AppSettings::VariablesFont.face, "a\n\nb");
    EXPECT_EQ(AppSettings::ModulesFolder, "\\newmods");
    EXPECT_EQ(AppSettings::ThreadPriority, -2);
    EXPECT_EQ(CurrentDisplayTextFormat().precision, 3);
    EXPECT_EQ(AppSettings::LayerColors[3].background, 8u);
    EXPECT_TRUE(capture.TimeStamps());
    // "202" follows "103": precision 8, width 16.
    set("202", "hex:06,01,00,00,ff,ff,ff,7f,32,00,00,00,08,ff,00,00,10,00,00,00");
    SaveSettings(store);
    EXPECT_EQ(Read(), text);
}

TEST_F(Settings, HandEditedValuesOutOfRangeKeepTheirDefaults)
{
    struct Case {
        const char* line;
        const char* expectation;
    } cases[] = {
        {"104=hex:02,01,00,00,00,00,01,00,0a,00,00,00,06,ff,00,00", "a 16-byte format"},
        {"104=hex:02,01,00,00,00,00,01,00,0a,00,00,00,06,ff,00,00,ff,ff,ff,7f", "width 0x7FFFFFFF"},
        {"104=hex:02,01,00,00,00,01,00,00,0a,00,00,00,06,ff,00,00,0d,00,00,00", "maximum below 1024"},
        {"104=hex:02,01,00,00,00,00,01,00,0a,00,00,00,12,ff,00,00,0d,00,00,00", "precision 18"},
        {"205=hex:01,02,03,04,05,06,07,08,01,02,03,04,05,06,07,08,01,02,03,04,05,06,07,08,01,02,03,04,05,06,07,08,"
         "01,02,03,04,05,06,07,08",
         "40 bytes of layer colours"},
        {"303=sz:", "an empty console library"},
        {"401=dword:00000000", "call depth 0"},
        {"402=dword:02000000", "a 32 MiB stack"},
        {"403=dword:00000005", "priority 5"},
        {"106=dword:00000005", "font size 0.5 pt"},
        {"103=dword:00000012", "precision 18"},
    };
    for (const Case& c : cases) {
        Write(std::string("[Settings]\nVer=dword:00000004\n") + c.line + "\n");
        SavedSettings restore;
        CSettingsFile store(path);
        LoadSettings(store, false);
        const ValueTextFormat f = CurrentDisplayTextFormat();
        EXPECT_EQ(f.width, 13) << c.expectation;
        EXPECT_EQ(f.precision, 6) << c.expectation;
        EXPECT_EQ(f.maxLength, 65536) << c.expectation;
        EXPECT_EQ(AppSettings::LayerColors[1].foreground, 0x00FF0000u) << c.expectation;
        EXPECT_EQ(AppSettings::ConsoleDeviceLibrary, "Nerithx.so") << c.expectation;
        EXPECT_EQ(AppSettings::MaxCallDepth, 200) << c.expectation;
        EXPECT_EQ(AppSettings::StackSize, 1048576) << c.expectation;
        EXPECT_EQ(AppSettings::ThreadPriority, 0) << c.expectation;
        EXPECT_EQ(AppSettings::VariablesFont.size, 90) << c.expectation;
        EXPECT_EQ(AppSettings::NumericPrecision, 6) << c.expectation;
    }
    // An empty functions folder is a value of its own.
    Write("[Settings]\nVer=dword:00000004\n300=sz:\n103=dword:00000108\n");
    CSettingsFile store(path);
    LoadSettings(store, false);
    EXPECT_EQ(AppSettings::FunctionsFolder, "");
    EXPECT_EQ(AppSettings::NumericPrecision, 8);   // the low byte counts
    EXPECT_EQ(AppSettings::EditorFormat.width, 16);
}

TEST_F(Settings, ReadOnlyLoadOfAnOldVersionKeepsDefaultsAndTheFile)
{
    std::string text = "[Settings]\nVer=dword:00000003\n401=dword:00000005\n";
    Write(text);
    CCaptureStream capture;
    CSettingsFile store(path);
    LoadSettings(store, true);
    EXPECT_EQ(AppSettings::MaxCallDepth, 200);
    EXPECT_TRUE(capture.messages.empty());
    EXPECT_EQ(Read(), text);
}

TEST_F(Settings, WindowPlacementIsMovedOntoTheScreen)
{
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_GT(sw, 100);
    ASSERT_GT(sh, 100);
    auto hex = [](std::initializer_list<int32_t> words) {
        std::string s = "Winpos=hex:";
        char buf[8];
        for (int32_t w : words)
            for (int i = 0; i < 4; ++i) {
                snprintf(buf, sizeof buf, "%02x,", (unsigned)(uint8_t)(uint32_t(w) >> (8 * i)));
                s += buf;
            }
        s.pop_back();
        return s;
    };
    auto rectOf = [](const std::vector<uint8_t>& b) {
        std::vector<int32_t> r;
        for (int k = 28; k < 44; k += 4)
            r.push_back((int32_t)(uint32_t(b[k]) | uint32_t(b[k + 1]) << 8 | uint32_t(b[k + 2]) << 16 |
                                  uint32_t(b[k + 3]) << 24));
        return r;
    };
    struct Case {
        std::vector<int32_t> in, out;
    } cases[] = {
        {{10, 20, 110, 220}, {10, 20, 110, 220}},                             // already on screen
        {{-500, -40, -300, 60}, {0, 0, 200, 100}},                            // off to the left and above
        {{sw + 50, sh + 50, sw + 150, sh + 90}, {sw - 100, sh - 40, sw, sh}},  // off to the right and below
        {{-10, -10, 2 * sw, 3 * sh}, {0, 0, sw, sh}},                          // larger than the screen
        {{0x7FFFFF00, 0, 0x7FFFFFFF, 50}, {sw - 255, 0, sw, 50}},               // no overflow at the far end
    };
    for (const Case& c : cases) {
        Write(std::string("[Settings]\nVer=dword:00000004\n") +
              hex({44, 0, 1, -1, -1, -1, -1, c.in[0], c.in[1], c.in[2], c.in[3]}) + "\n");
        CSettingsFile store(path);
        std::vector<uint8_t> winpos;
        LoadSettings(store, true, &winpos);
        ASSERT_EQ(winpos.size(), 44u);
        EXPECT_EQ(rectOf(winpos), c.out) << c.in[0];
    }
}
