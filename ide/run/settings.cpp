// The IDE's settings table: load and save in table order, with checks, since
// the file can be edited by hand.
#include "ide/run/settings.h"

#include <cstdio>
#include <cstring>
#include <algorithm>

#include "platform/afx/settings_file.h"
#include "platform/user/settings.h"
#include "values/app_settings.h"
#include "values/output_stream.h"

namespace {

const char kSection[] = "Settings";
constexpr uint32_t kVersion = 4;
constexpr size_t kPlacementSize = 44;
constexpr size_t kFormatSize = 20;

struct Range {
    int64_t low, high;
    bool Holds(int64_t v) const { return v >= low && v <= high; }
};

enum class Kind { Bool, Int, String, Format, Layers, TimeLabel };

// One row of the table; names come from the running counter.
struct Row {
    Kind kind;
    void* target;
    Range range;          // ints
    bool keepIfEmpty;     // strings: an empty stored string keeps the default
    int64_t maxLengthLow; // formats: range of the maximum length
    int64_t maxLengthHigh;
};

constexpr Range kAny{INT64_MIN, INT64_MAX};
constexpr Range kFontSize{10, 180};

std::vector<Row> Table()
{
    using namespace AppSettings;
    return {
        // 100..111
        {Kind::Bool, &OutputAutoOpen, kAny, false, 0, 0},
        {Kind::TimeLabel, &TimeLabel, kAny, false, 0, 0},
        {Kind::Bool, &UseAsConsole, kAny, false, 0, 0},
        {Kind::Int, &NumericPrecision, {0, 17}, false, 0, 0},
        {Kind::Format, nullptr, kAny, false, 1024, 67108864},   // the output format
        {Kind::String, &VariablesFont.face, kAny, false, 0, 0},
        {Kind::Int, &VariablesFont.size, kFontSize, false, 0, 0},
        {Kind::String, &WatcherFont.face, kAny, false, 0, 0},
        {Kind::Int, &WatcherFont.size, kFontSize, false, 0, 0},
        {Kind::Bool, &AutoCalculate, kAny, false, 0, 0},
        {Kind::String, &OutputFont.face, kAny, false, 0, 0},
        {Kind::Int, &OutputFont.size, kFontSize, false, 0, 0},
        // 200..207
        {Kind::Bool, &InsertAsExample, kAny, false, 0, 0},
        {Kind::Bool, &Reserved201, kAny, false, 0, 0},
        {Kind::Format, &EditorFormat, kAny, false, 0, 0x7FFFFFFF},
        {Kind::String, &EditorFont.face, kAny, false, 0, 0},
        {Kind::Int, &EditorFont.size, {10, 280}, false, 0, 0},
        {Kind::Layers, LayerColors, kAny, false, 0, 0},
        {Kind::String, &TooltipFont.face, kAny, false, 0, 0},
        {Kind::Int, &TooltipFont.size, {10, 140}, false, 0, 0},
        // 300..304
        {Kind::String, &FunctionsFolder, kAny, false, 0, 0},
        {Kind::String, &ModulesFolder, kAny, false, 0, 0},
        {Kind::Bool, &ConsoleSendBatch, kAny, false, 0, 0},
        {Kind::String, &ConsoleDeviceLibrary, kAny, true, 0, 0},
        {Kind::String, &PlotDeviceLibrary, kAny, true, 0, 0},
        // 400..403
        {Kind::Int, &VariablesUpdatePeriod, {0, 900000}, false, 0, 0},
        {Kind::Int, &MaxCallDepth, {1, 4800}, false, 0, 0},
        {Kind::Int, &StackSize, {1, 16 << 20}, false, 0, 0},
        {Kind::Int, &ThreadPriority, {-15, 15}, false, 0, 0},
    };
}

// Where the four groups start; the counter runs on inside a group.
constexpr int kGroupStarts[] = {100, 200, 300, 400};
constexpr size_t kGroupSizes[] = {12, 8, 5, 4};

uint32_t Word(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

void PutWord(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

std::vector<uint8_t> FormatBytes(const ValueTextFormat& f)
{
    std::vector<uint8_t> out;
    PutWord(out, f.flags);
    PutWord(out, uint32_t(f.maxLength));
    PutWord(out, uint32_t(f.cellsPerLine));
    out.push_back(f.precision);
    out.push_back(f.roundDigits);
    out.push_back(0);
    out.push_back(0);
    PutWord(out, uint32_t(f.width));
    return out;
}

bool ReadFormat(const std::vector<uint8_t>& b, const Row& row, ValueTextFormat& f)
{
    if (b.size() != kFormatSize) return false;
    ValueTextFormat r{};
    r.flags = Word(&b[0]);
    int64_t maxLength = Word(&b[4]), cells = Word(&b[8]), width = Word(&b[16]);
    if (maxLength < row.maxLengthLow || maxLength > row.maxLengthHigh) return false;
    if (cells > 200 || width > 50 || b[12] > 17) return false;
    r.maxLength = int32_t(maxLength);
    r.cellsPerLine = int32_t(cells);
    r.precision = b[12];
    r.roundDigits = b[13];
    r.width = int32_t(width);
    f = r;
    return true;
}

bool PriorityAllowed(int64_t v)
{
    static const int allowed[] = {-15, -2, -1, 0, 1, 2, 15};
    for (int a : allowed)
        if (a == v) return true;
    return false;
}

void LoadRow(CSettingsFile& store, const std::string& name, const Row& row)
{
    switch (row.kind) {
    case Kind::Bool:
    case Kind::TimeLabel: {
        uint32_t v;
        if (!store.GetInt(kSection, name, v)) return;
        *static_cast<bool*>(row.target) = v != 0;
        if (row.kind == Kind::TimeLabel)
            if (COutputStream* s = GetOutputStream()) s->SetTimeStamps(v != 0);
        return;
    }
    case Kind::Int: {
        uint32_t stored;
        if (!store.GetInt(kSection, name, stored)) return;
        int* target = static_cast<int*>(row.target);
        int64_t v = int32_t(stored);
        if (target == &AppSettings::NumericPrecision) v = stored & 0xFF;   // the low byte is the setting
        if (!row.range.Holds(v)) return;
        if (target == &AppSettings::ThreadPriority && !PriorityAllowed(v)) return;
        *target = int(v);
        return;
    }
    case Kind::String: {
        std::string v;
        if (!store.GetString(kSection, name, v)) return;
        if (row.keepIfEmpty && v.empty()) return;
        *static_cast<std::string*>(row.target) = v;
        return;
    }
    case Kind::Format: {
        std::vector<uint8_t> b;
        ValueTextFormat f;
        if (!store.GetBinary(kSection, name, b)) return;
        if (!row.target) {
            f = CurrentDisplayTextFormat();
            if (ReadFormat(b, row, f)) SetDisplayTextFormat(f);
        } else {
            ReadFormat(b, row, *static_cast<ValueTextFormat*>(row.target));
        }
        return;
    }
    case Kind::Layers: {
        std::vector<uint8_t> b;
        if (!store.GetBinary(kSection, name, b) || b.size() != AppSettings::LayerCount * 8) return;
        for (int i = 0; i < AppSettings::LayerCount; ++i) {
            AppSettings::LayerColors[i].foreground = Word(&b[i * 8]);
            AppSettings::LayerColors[i].background = Word(&b[i * 8 + 4]);
        }
        return;
    }
    }
}

void SaveRow(CSettingsFile& store, const std::string& name, const Row& row)
{
    switch (row.kind) {
    case Kind::Bool:
        store.WriteInt(kSection, name, *static_cast<bool*>(row.target) ? 1 : 0);
        return;
    case Kind::TimeLabel: {
        COutputStream* s = GetOutputStream();
        bool on = s ? s->TimeStamps() : AppSettings::TimeLabel;
        store.WriteInt(kSection, name, on ? 1 : 0);
        return;
    }
    case Kind::Int: {
        int v = *static_cast<int*>(row.target);
        if (row.target == &AppSettings::NumericPrecision) v &= 0xFF;
        store.WriteInt(kSection, name, uint32_t(v));
        return;
    }
    case Kind::String:
        store.WriteString(kSection, name, *static_cast<std::string*>(row.target));
        return;
    case Kind::Format: {
        std::vector<uint8_t> b = FormatBytes(row.target ? *static_cast<ValueTextFormat*>(row.target)
                                                        : CurrentDisplayTextFormat());
        store.WriteBinary(kSection, name, b.data(), b.size());
        return;
    }
    case Kind::Layers: {
        std::vector<uint8_t> b;
        for (const LayerColor& l : AppSettings::LayerColors) {
            PutWord(b, l.foreground);
            PutWord(b, l.background);
        }
        store.WriteBinary(kSection, name, b.data(), b.size());
        return;
    }
    }
}

template <typename F>
void ForEachRow(F f)
{
    std::vector<Row> rows = Table();
    size_t index = 0;
    for (size_t g = 0; g < 4; ++g) {
        int counter = kGroupStarts[g];
        for (size_t i = 0; i < kGroupSizes[g]; ++i) f(MakeSettingName(counter), rows[index++]);
    }
}

void ApplyDerivedFormats()
{
    AppSettings::EditorFormat.precision = uint8_t(AppSettings::NumericPrecision);
    AppSettings::EditorFormat.width = 2 * AppSettings::NumericPrecision;
}

bool PlacementUsable(const std::vector<uint8_t>& b)
{
    if (b.size() != kPlacementSize) return false;
    uint32_t show = Word(&b[8]);
    return show <= 11;
}

void PutWord(uint8_t* p, int32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(uint32_t(v) >> (8 * i));
}

// The normal rectangle of a hand-edited or stale placement (another screen)
// is moved onto this screen, shrunk when it is larger than the screen.
void MovePlacementOnScreen(std::vector<uint8_t>& b, int screenW, int screenH)
{
    if (screenW <= 0 || screenH <= 0) return;
    int32_t l = (int32_t)Word(&b[28]), t = (int32_t)Word(&b[32]), r = (int32_t)Word(&b[36]), bo = (int32_t)Word(&b[40]);
    int64_t w = std::clamp<int64_t>((int64_t)r - l, 1, screenW), h = std::clamp<int64_t>((int64_t)bo - t, 1, screenH);
    int64_t x = std::clamp<int64_t>(l, 0, screenW - w), y = std::clamp<int64_t>(t, 0, screenH - h);
    PutWord(&b[28], (int32_t)x);
    PutWord(&b[32], (int32_t)y);
    PutWord(&b[36], (int32_t)(x + w));
    PutWord(&b[40], (int32_t)(y + h));
}

}  // namespace

CSettingsFile& VeldraSettingsFile()
{
    return CSettingsFile::Open(SettingsFilePath("Brenholt", "Veldra"));
}

std::string MakeSettingName(int& counter)
{
    char buf[16];
    snprintf(buf, sizeof buf, "%d", counter++);
    return buf;
}

void LoadSettings(CSettingsFile& store, bool readOnly, std::vector<uint8_t>* winpos)
{
    uint32_t version = 0;
    store.GetInt(kSection, "Ver", version);
    if (version != kVersion) {
        if (readOnly) {
            ApplyDerivedFormats();
            return;
        }
        ReportInfo() << "This version of Veldra is updated or program started at first time. All settings set to defaults";
        store.DeleteAll();
        store.WriteInt(kSection, "Ver", kVersion);
    }
    if (winpos) {
        std::vector<uint8_t> b;
        if (store.GetBinary(kSection, "Winpos", b) && PlacementUsable(b)) {
            MovePlacementOnScreen(b, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
            *winpos = b;
        }
    }
    ForEachRow([&](const std::string& name, const Row& row) { LoadRow(store, name, row); });
    ApplyDerivedFormats();
}

bool SaveSettings(CSettingsFile& store, const std::vector<uint8_t>* winpos)
{
    // One write of the file for all the values.
    CSettingsFile::CBatch batch(store);
    if (winpos && winpos->size() == kPlacementSize) store.WriteBinary(kSection, "Winpos", winpos->data(), winpos->size());
    ForEachRow([&](const std::string& name, const Row& row) { SaveRow(store, name, row); });
    return batch.Commit();
}

void LoadBatchSettings()
{
    CSettingsFile::SetWriteProtected(true);
    LoadSettings(VeldraSettingsFile(), true);
    AppSettings::UseAsConsole = true;
}
