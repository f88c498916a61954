// The console's settings (see nerith_settings.h).
#include "console_device/nerith_settings.h"
#include "platform/afx/settings_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace {

std::mutex g_lock;
NerithSettings g_settings;

uint32_t Word(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// The settings page's ranges: a stored format outside them (hand-edited or
// damaged file) would make every print write megabytes of padding.
bool ReadConsoleFormat(const std::vector<uint8_t>& b, ValueTextFormat& f)
{
    if (b.size() != sizeof(ValueTextFormat)) return false;
    const int64_t maxLength = int32_t(Word(&b[4])), cells = int32_t(Word(&b[8])), width = int32_t(Word(&b[16]));
    if (maxLength < 1 || maxLength > int64_t(524288) * 1024) return false;
    if (cells < 0 || cells > 200 || width < 0 || width > 50 || b[12] > 17) return false;
    ValueTextFormat r{};
    r.flags = Word(&b[0]);
    r.maxLength = int32_t(maxLength);
    r.cellsPerLine = int32_t(cells);
    r.precision = b[12];
    r.roundDigits = b[13];
    r.width = int32_t(width);
    f = r;
    return true;
}

}  // namespace

NerithSettings NerithSettingsCopy()
{
    std::lock_guard<std::mutex> g(g_lock);
    return g_settings;
}

NerithLineSettings NerithLineSettingsCopy()
{
    std::lock_guard<std::mutex> g(g_lock);
    return NerithLineSettings{g_settings.outStamp, g_settings.timeStamp, g_settings.format};
}

void UpdateNerithSettings(const std::function<void(NerithSettings&)>& change)
{
    std::lock_guard<std::mutex> g(g_lock);
    change(g_settings);
}

void ResetNerithSettings()
{
    std::lock_guard<std::mutex> g(g_lock);
    g_settings = NerithSettings{};
}

void LoadNerithSettings(CWinApp& app)
{
    app.LoadStdProfileSettings(4);
    NerithSettings s = NerithSettingsCopy();
    s.placement = WINDOWPLACEMENT{};
    std::vector<uint8_t> data;
    if (app.GetProfileBinary(kNerithSection, "Winpos", data) && data.size() == sizeof(WINDOWPLACEMENT)) {
        std::memcpy(&s.placement, data.data(), sizeof s.placement);
        if (s.placement.showCmd > 11) s.placement = WINDOWPLACEMENT{};
        else s.placement.rcNormalPosition = ClampRect(s.placement.rcNormalPosition);
    }
    if ((int)app.GetProfileInt(kNerithSection, "Ver", 0) != kNerithSettingsVersion) {
        // An old or missing version starts from the defaults; the placement
        // just read stays in memory.
        app.DeleteProfileSection(kNerithSection);
        app.WriteProfileInt(kNerithSection, "Ver", kNerithSettingsVersion);
    }
    int n = 100;
    auto name = [&n] { return std::to_string(n++); };
    s.outStamp = app.GetProfileInt(kNerithSection, name().c_str(), s.outStamp ? 1 : 0) != 0;
    s.timeStamp = app.GetProfileInt(kNerithSection, name().c_str(), s.timeStamp ? 1 : 0) != 0;
    data.clear();
    if (app.GetProfileBinary(kNerithSection, name().c_str(), data)) ReadConsoleFormat(data, s.format);
    s.fontFace = app.GetProfileString(kNerithSection, name().c_str(), s.fontFace.c_str());
    // The sheet keeps heights within 5..500 twips.
    const int height = (int)app.GetProfileInt(kNerithSection, name().c_str(), s.fontHeight);
    if (height >= 5 && height <= 500) s.fontHeight = height;
    UpdateNerithSettings([&](NerithSettings& g) { g = s; });
}

void SaveNerithSettings(CWinApp& app)
{
    if (CSettingsFile::IsWriteProtected()) return;
    CSettingsFile::CBatch batch(app.Settings());
    app.SaveStdProfileSettings();
    NerithSettings s = NerithSettingsCopy();
    if (s.placement.length)
        app.WriteProfileBinary(kNerithSection, "Winpos", reinterpret_cast<const uint8_t*>(&s.placement),
                               sizeof s.placement);
    app.WriteProfileInt(kNerithSection, "100", s.outStamp ? 1 : 0);
    app.WriteProfileInt(kNerithSection, "101", s.timeStamp ? 1 : 0);
    app.WriteProfileBinary(kNerithSection, "102", reinterpret_cast<const uint8_t*>(&s.format), sizeof s.format);
    app.WriteProfileString(kNerithSection, "103", s.fontFace.c_str());
    app.WriteProfileInt(kNerithSection, "104", s.fontHeight);
    if (!batch.Commit()) ReportSettingsWriteFailure(app.Settings());
}

int CheckedSheetHeightTwips(const std::string& typedPoints)
{
    // The typed size times 20, checked: anything outside 5..500 twips is 90.
    errno = 0;
    long long points = std::strtoll(typedPoints.c_str(), nullptr, 10);
    if (errno == ERANGE || points < 0 || points > 25) return 90;
    const int twips = (int)points * 20;
    return twips < 5 ? 90 : twips;
}
