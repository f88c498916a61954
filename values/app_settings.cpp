#include "values/app_settings.h"

#include <mutex>

#include "values/value.h"
#include "values/value_matrix.h"

namespace AppSettings {
bool OutputAutoOpen = true;
bool TimeLabel = false;
bool UseAsConsole = true;
int NumericPrecision = 6;
FontSetting VariablesFont = {"Courier New", 90};
FontSetting WatcherFont = {"Courier New", 90};
bool AutoCalculate = false;
FontSetting OutputFont = {"Courier New", 90};
bool InsertAsExample = true;
bool Reserved201 = true;
ValueTextFormat EditorFormat = {0x106, 0x7FFFFFFF, 50, 6, VTF_NO_ROUNDING, {0, 0}, 12};
FontSetting EditorFont = {"Courier New", 90};
LayerColor LayerColors[LayerCount] = {
    {"Text", 0xFFFFFFFF, 0xFFFFFFFF},
    {"Statement", 0x00FF0000, 0xFFFFFFFF},
    {"String", 0x00000080, 0xFFFFFFFF},
    {"Comment", 0x00808080, 0xFFFFFFFF},
};
FontSetting TooltipFont = {"Courier New", 70};
std::string FunctionsFolder = "\\funlib";
std::string ModulesFolder = "\\bin";
bool ConsoleSendBatch = true;
std::string ConsoleDeviceLibrary = "Nerithx.so";
std::string PlotDeviceLibrary = "Quorrax.so";
int VariablesUpdatePeriod = 2000;
int MaxCallDepth = 200;
int StackSize = 1048576;
int ThreadPriority = 0;
}  // namespace AppSettings

namespace {
std::mutex g_displayFormatLock;
ValueTextFormat g_displayFormat = DisplayTextFormat;
}  // namespace

ValueTextFormat CurrentDisplayTextFormat()
{
    std::lock_guard<std::mutex> g(g_displayFormatLock);
    return g_displayFormat;
}

void SetDisplayTextFormat(const ValueTextFormat& format)
{
    std::lock_guard<std::mutex> g(g_displayFormatLock);
    g_displayFormat = format;
}

WriteValueHookFn WriteValueHook = nullptr;
ReadValueHookFn ReadValueHook = nullptr;

void ResolveMatrixHandles(CValueMatrix& m)
{
    if (m.IsPacked()) return;  // numbers only
    for (int r = 0; r < m.Rows(); ++r)
        for (int c = 0; c < m.Cols(); ++c) {
            CValue& cell = m.Cell(r, c);
            if (cell.Type() == VT_MATRIX)
                ResolveMatrixHandles(cell.Matrix());
            else if (cell.IsHandle())
                cell = CValue(*cell.HandleTarget());
        }
}

int ResolveHandleRun(CValue* first)
{
    CValue* c = first;
    while (c->IsHandle()) {
        *c = CValue(*c->HandleTarget());
        ++c;
    }
    return (int)c->Type();
}
