#include "values/app_settings.h"

#include "values/value.h"
#include "values/value_matrix.h"

namespace AppSettings {
int MaxCallDepth = 200;
int StackSize = 1048576;
int ThreadPriority = 0;
std::string FunctionsFolder = "\\funlib";
std::string ModulesFolder = "\\bin";
std::string PlotDeviceLibrary = "Quorrax.so";
std::string ConsoleDeviceLibrary = "Nerithx.so";
bool UseAsConsole = true;
bool ConsoleSendBatch = true;
}  // namespace AppSettings

WriteValueHookFn WriteValueHook = nullptr;
ReadValueHookFn ReadValueHook = nullptr;

void ResolveMatrixHandles(CValueMatrix& m)
{
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
