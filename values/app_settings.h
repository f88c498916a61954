#pragma once
// Settings globals read by the core and the interpreter; the IDE loads and saves them.
#include <istream>
#include <ostream>
#include <string>

#include "values/text_format.h"

class CValue;

// A stored font: face and size in tenths of a point.
struct FontSetting {
    std::string face;
    int size;
};

// An editor layer's colours; 0xFFFFFFFF is automatic.
struct LayerColor {
    const char* name;
    uint32_t foreground;
    uint32_t background;
};

namespace AppSettings {
extern bool OutputAutoOpen;
extern bool TimeLabel;           // mirrors the message stream's time-stamp flag
extern bool UseAsConsole;        // console statements mirror into the message stream
extern int NumericPrecision;     // precision of the IDE value format (low byte)
extern FontSetting VariablesFont;
extern FontSetting WatcherFont;
extern bool AutoCalculate;
extern FontSetting OutputFont;
extern bool InsertAsExample;
extern bool Reserved201;
extern ValueTextFormat EditorFormat;
extern FontSetting EditorFont;
constexpr int LayerCount = 4;
extern LayerColor LayerColors[LayerCount];
extern FontSetting TooltipFont;
extern std::string FunctionsFolder;
extern std::string ModulesFolder;
extern bool ConsoleSendBatch;    // print sends its items to the console window
extern std::string ConsoleDeviceLibrary;
extern std::string PlotDeviceLibrary;
extern int VariablesUpdatePeriod;  // ms between variables refreshes during a run
extern int MaxCallDepth;         // simultaneous activations of one block
extern int StackSize;            // program thread, bytes
extern int ThreadPriority;
}  // namespace AppSettings

// The output bar's format (setting "104"), used by the display statements and
// the error, warning and trace messages. Read as a copy: the settings sheet
// may change it while a program runs.
ValueTextFormat CurrentDisplayTextFormat();
void SetDisplayTextFormat(const ValueTextFormat& format);

// Asked first by the value text writer and reader; -1 = not handled.
typedef int (*WriteValueHookFn)(std::ostream& os, const CValue& v, const ValueTextFormat* fmt);
typedef int (*ReadValueHookFn)(std::istream& is, CValue& v);
extern WriteValueHookFn WriteValueHook;
extern ReadValueHookFn ReadValueHook;

class CValueMatrix;
void ResolveMatrixHandles(CValueMatrix& m);
int ResolveHandleRun(CValue* first);
