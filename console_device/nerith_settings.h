#pragma once
// The console's settings: the prefix switches, the format printed values are
// written with, the default font and the frame's placement. One set for the
// process (one settings file, "Brenholt/Nerith.conf"), shared by every
// console thread; readers take a copy under the lock, so a thread saving or
// editing them never races one that prints.
#include <functional>
#include <string>

#include "platform/afx/win_app.h"
#include "values/text_format.h"

struct NerithSettings {
    bool outStamp = false;
    bool timeStamp = false;
    ValueTextFormat format{0x103, 0x40000, 20, 6, 0xFF, {0, 0}, 15};
    std::string fontFace = "Courier New";
    int fontHeight = 160;                 // twips
    WINDOWPLACEMENT placement{};          // length 0: none known
};

constexpr int kNerithSettingsVersion = 2;
constexpr const char* kNerithSection = "Settings";

NerithSettings NerithSettingsCopy();
// What a printed line needs: the stamps and the value format, copied
// without the rest (a print asks for them every time).
struct NerithLineSettings {
    bool outStamp = false;
    bool timeStamp = false;
    ValueTextFormat format{};
};
NerithLineSettings NerithLineSettingsCopy();
void UpdateNerithSettings(const std::function<void(NerithSettings&)>& change);
// Back to the built-in defaults (tests: a fresh process).
void ResetNerithSettings();

// The application's start and a console thread's end.
void LoadNerithSettings(CWinApp& app);
void SaveNerithSettings(CWinApp& app);

// The default height when a typed or printed one is out of range.
int CheckedSheetHeightTwips(const std::string& typedPoints);
