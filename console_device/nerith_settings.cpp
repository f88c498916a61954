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

}  // namespace

NerithSettings NerithSettingsCopy()
{
    std::lock_guard<std::mutex> g(g_lock);
    return g_settings;
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
    if (app.GetProfileBinary(kNerithSection, "Winpos", data) && data.size() == sizeof(WINDOWPLACEMENT))
        std::memcpy(&s.placement, data.data(), sizeof s.placement);
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
    if (app.GetProfileBinary(kNerithSection, name().c_str(), data) && data.size() == sizeof(ValueTextFormat))
        std::memcpy(&s.format, data.data(), sizeof s.format);
    s.fontFace = app.GetProfileString(kNerithSection, name().c_str(), s.fontFace.c_str());
    s.fontHeight = (int)app.GetProfileInt(kNerithSection, name().c_str(), s.fontHeight);
    UpdateNerithSettings([&](NerithSettings& g) { g = s; });
}

void SaveNerithSettings(CWinApp& app)
{
    if (CSettingsFile::IsWriteProtected()) return;
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
