// The console settings file: first start, the version wipe, wrong sizes, the
// placement, and a save that matches the golden file byte for byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "console_device/nerith_settings.h"
#include "platform/afx/afx.h"
#include "support/fuzz_support.h"
#include "support/mutator.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// An application with the console's settings file in a folder of its own.
class NerithSettingsFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        static int n = 0;
        // Memory-backed where there is one: every settings save is synced.
        const fs::path base = access("/dev/shm", W_OK) == 0 ? fs::path("/dev/shm") : fs::temp_directory_path();
        m_home = base / ("veldra-nerith-settings-" + std::to_string(getpid()) + "-" + std::to_string(++n));
        fs::remove_all(m_home);
        fs::create_directories(m_home);
        m_oldHome = std::getenv("VELDRA_CONFIG_HOME") ? std::getenv("VELDRA_CONFIG_HOME") : "";
        setenv("VELDRA_CONFIG_HOME", m_home.c_str(), 1);
        ResetNerithSettings();
        m_state = std::make_unique<CModuleState>("NerithSettingsTest");
        m_app = std::make_unique<CWinApp>("Nerith", m_state.get());
        m_app->SetRegistryKey("Brenholt");
        m_app->m_pszProfileName = "Nerith";
    }
    void TearDown() override
    {
        m_app.reset();
        m_state.reset();
        setenv("VELDRA_CONFIG_HOME", m_oldHome.c_str(), 1);
        ResetNerithSettings();
        fs::remove_all(m_home);
    }
    fs::path Conf() const { return m_home / "Brenholt" / "Nerith.conf"; }

    fs::path m_home;
    std::string m_oldHome;
    std::unique_ptr<CModuleState> m_state;
    std::unique_ptr<CWinApp> m_app;
};

TEST_F(NerithSettingsFile, FirstStartWritesTheVersionAndKeepsDefaults)
{
    LoadNerithSettings(*m_app);
    uint32_t ver = 0;
    ASSERT_TRUE(m_app->Settings().GetInt("Settings", "Ver", ver));
    EXPECT_EQ(ver, 2u);
    NerithSettings s = NerithSettingsCopy();
    EXPECT_FALSE(s.outStamp);
    EXPECT_FALSE(s.timeStamp);
    EXPECT_EQ(s.fontFace, "Courier New");
    EXPECT_EQ(s.fontHeight, 160);
    EXPECT_EQ(s.placement.length, 0u);
    const uint8_t def[20] = {0x03, 0x01, 0, 0, 0, 0, 0x04, 0, 0x14, 0, 0, 0, 0x06, 0xFF, 0, 0, 0x0F, 0, 0, 0};
    EXPECT_EQ(std::memcmp(&s.format, def, 20), 0);
}

TEST_F(NerithSettingsFile, WrongSizesAreIgnoredAndAnOldVersionWipesTheSection)
{
    WINDOWPLACEMENT wp{sizeof wp, 0, 1, {-1, -1}, {-1, -1}, {10, 20, 410, 320}};
    CSettingsFile& f = m_app->Settings();
    f.WriteInt("Settings", "Ver", 2);
    f.WriteBinary("Settings", "Winpos", reinterpret_cast<const uint8_t*>(&wp), sizeof wp);
    const uint8_t shortFormat[16] = {0xAA};
    f.WriteBinary("Settings", "102", shortFormat, sizeof shortFormat);
    f.WriteInt("Settings", "100", 1);
    f.WriteString("Settings", "103", "Mono");
    LoadNerithSettings(*m_app);
    NerithSettings s = NerithSettingsCopy();
    EXPECT_EQ(s.format.flags, 0x103u);
    EXPECT_TRUE(s.outStamp);
    EXPECT_EQ(s.fontFace, "Mono");
    EXPECT_EQ(s.placement.rcNormalPosition.right, 410);

    // Version 1: the section goes (a sub-section too), the placement read stays.
    ResetNerithSettings();
    f.WriteInt("Settings", "Ver", 1);
    f.WriteInt("Settings\\Sub", "x", 1);
    LoadNerithSettings(*m_app);
    s = NerithSettingsCopy();
    EXPECT_FALSE(s.outStamp);
    EXPECT_EQ(s.fontFace, "Courier New");
    EXPECT_EQ(s.placement.rcNormalPosition.right, 410);
    EXPECT_FALSE(f.HasSection("Settings\\Sub"));
    std::vector<uint8_t> data;
    EXPECT_FALSE(f.GetBinary("Settings", "Winpos", data));
}

TEST_F(NerithSettingsFile, SaveRoundTripMatchesTheGoldenFile)
{
    LoadNerithSettings(*m_app);
    UpdateNerithSettings([](NerithSettings& s) {
        s.timeStamp = true;
        s.placement = WINDOWPLACEMENT{sizeof(WINDOWPLACEMENT), 0, 1, {-1, -1}, {-1, -1}, {10, 20, 410, 320}};
    });
    SaveNerithSettings(*m_app);
    const std::string golden = ReadFile(fs::path(std::getenv("VELDRA_SOURCE") ? std::getenv("VELDRA_SOURCE") : ".") / "tests/console_device/data/Nerith.conf");
    EXPECT_EQ(ReadFile(Conf()), golden);
    // Read back, the same settings.
    ResetNerithSettings();
    m_app->Settings().Reload();
    LoadNerithSettings(*m_app);
    NerithSettings s = NerithSettingsCopy();
    EXPECT_TRUE(s.timeStamp);
    EXPECT_EQ(s.placement.rcNormalPosition.bottom, 320);
}

// A damaged or hand-edited file: every value outside what the settings page
// allows keeps the default (a field width of 8M once overflowed the stack of
// the first print).
TEST_F(NerithSettingsFile, ValuesOutsideTheSheetRangesKeepTheDefaults)
{
    auto format = [](uint32_t maxLength, uint32_t cells, uint8_t precision, uint32_t width) {
        std::vector<uint8_t> b = {0x03, 0x01, 0, 0};
        for (uint32_t v : {maxLength, cells}) for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
        b.push_back(precision);
        b.push_back(0xFF);
        b.push_back(0);
        b.push_back(0);
        for (int i = 0; i < 4; ++i) b.push_back(uint8_t(width >> (8 * i)));
        return b;
    };
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        bool kept;
    } cases[] = {
        {"width 8M", format(0x40000, 20, 6, 8u << 20), false},
        {"width -1", format(0x40000, 20, 6, 0xFFFFFFFFu), false},
        {"width 51", format(0x40000, 20, 6, 51), false},
        {"cells 201", format(0x40000, 201, 6, 15), false},
        {"precision 18", format(0x40000, 20, 18, 15), false},
        {"stream limit 0", format(0, 20, 6, 15), false},
        {"stream limit above 512 MB", format(0x20000001, 20, 6, 15), false},
        {"the page's largest", format(0x20000000, 200, 17, 50), true},
        {"the page's smallest", format(1, 0, 0, 0), true},
    };
    for (const auto& c : cases) {
        ResetNerithSettings();
        CSettingsFile& f = m_app->Settings();
        f.WriteInt("Settings", "Ver", 2);
        f.WriteBinary("Settings", "102", c.bytes.data(), c.bytes.size());
        LoadNerithSettings(*m_app);
        const NerithSettings s = NerithSettingsCopy();
        if (c.kept) {
            EXPECT_EQ(std::memcmp(&s.format, c.bytes.data(), 20), 0) << c.what;
        } else {
            EXPECT_EQ(s.format.width, 15) << c.what;
            EXPECT_EQ(s.format.cellsPerLine, 20) << c.what;
            EXPECT_EQ(s.format.maxLength, 0x40000) << c.what;
        }
    }
    const struct {
        uint32_t stored;
        int height;
    } heights[] = {{4, 160}, {5, 5}, {500, 500}, {501, 160}, {0x80000000u, 160}};
    for (const auto& h : heights) {
        ResetNerithSettings();
        m_app->Settings().WriteInt("Settings", "104", h.stored);
        LoadNerithSettings(*m_app);
        EXPECT_EQ(NerithSettingsCopy().fontHeight, h.height) << h.stored;
    }
    // An extreme placement is bounded, an unknown show command dropped.
    WINDOWPLACEMENT wp{sizeof wp, 0, 1, {-1, -1}, {-1, -1}, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}};
    m_app->Settings().WriteBinary("Settings", "Winpos", reinterpret_cast<const uint8_t*>(&wp), sizeof wp);
    LoadNerithSettings(*m_app);
    EXPECT_EQ(NerithSettingsCopy().placement.rcNormalPosition.left, -kCoordLimit);
    EXPECT_EQ(NerithSettingsCopy().placement.rcNormalPosition.right, kCoordLimit);
    wp.showCmd = 99;
    m_app->Settings().WriteBinary("Settings", "Winpos", reinterpret_cast<const uint8_t*>(&wp), sizeof wp);
    LoadNerithSettings(*m_app);
    EXPECT_EQ(NerithSettingsCopy().placement.length, 0u);
}

// Mutated console settings files: whatever loads stays within the page's
// ranges, and the first print with it writes a bounded text.
TEST_F(NerithSettingsFile, MutatedFilesLoadWithinTheRanges)
{
    const std::string golden = ReadFile(fs::path(std::getenv("VELDRA_SOURCE") ? std::getenv("VELDRA_SOURCE") : ".") /
                                        "tests/console_device/data/Nerith.conf");
    ASSERT_FALSE(golden.empty());
    const std::vector<std::string> seeds = {golden, "[Settings]\nVer=dword:00000002\n102=hex:ff,ff,ff,7f\n"};
    int rounds = 250;
    CMutator m(FuzzSeed(6508, rounds));
    for (int i = 0; i < rounds; i++) {
        const std::string text = m.Mutate(seeds[(size_t)m.Below((int)seeds.size())], seeds);
        FuzzInput current(text);
        std::ofstream(Conf(), std::ios::binary | std::ios::trunc) << text;
        ResetNerithSettings();
        m_app->Settings().Reload();
        LoadNerithSettings(*m_app);
        const NerithSettings s = NerithSettingsCopy();
        ASSERT_LE(s.format.width, 50) << Escaped(text);
        ASSERT_GE(s.format.width, 0) << Escaped(text);
        ASSERT_LE(s.format.cellsPerLine, 200) << Escaped(text);
        ASSERT_LE(s.format.precision, 17) << Escaped(text);
        ASSERT_GE(s.format.maxLength, 1) << Escaped(text);
        ASSERT_TRUE(s.fontHeight >= 5 && s.fontHeight <= 500) << Escaped(text);
        ASSERT_LE(std::abs((long long)s.placement.rcNormalPosition.right), (long long)kCoordLimit) << Escaped(text);
    }
}

TEST(NerithSheetHeight, TypedPointsAreChecked)
{
    const struct {
        const char* typed;
        int twips;
    } cases[] = {{"26", 90}, {"25", 500}, {"8", 160}, {"0", 90}, {"-3", 90}, {"", 90},
                 {"99999999999999999999999", 90}, {"107374183", 90}, {"x", 90}};
    for (const auto& c : cases) EXPECT_EQ(CheckedSheetHeightTwips(c.typed), c.twips) << c.typed;
}

}  // namespace

#include "console_device/bar_state.h"

namespace {

TEST(NerithBarState, AnExtraBarIdKeepsTheDefaultLayout)
{
    const std::vector<UINT> bars = {59392, 59393};  // toolbar, status bar
    EXPECT_TRUE(BarStateNamesOnlyKnownBars({59392, 59393}, bars));
    EXPECT_TRUE(BarStateNamesOnlyKnownBars({0x10000 + 59392}, bars));
    EXPECT_FALSE(BarStateNamesOnlyKnownBars({59392, 59400}, bars));
    EXPECT_TRUE(BarStateNamesOnlyKnownBars({}, bars));
}

}  // namespace
