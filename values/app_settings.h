#pragma once
// Settings globals read by the core and the interpreter; the IDE loads and saves them.
#include <istream>
#include <ostream>
#include <string>

class CValue;
struct ValueTextFormat;

namespace AppSettings {
extern int MaxCallDepth;         // simultaneous activations of one block
extern int StackSize;            // program thread, bytes
extern int ThreadPriority;
extern std::string FunctionsFolder;
extern std::string ModulesFolder;
// File names of the device libraries in the modules folder; the device
// managers read them on every load.
extern std::string PlotDeviceLibrary;
extern std::string ConsoleDeviceLibrary;
extern bool UseAsConsole;        // console output is mirrored into the message stream; clc clears it
extern bool ConsoleSendBatch;    // print and input send their batch to the console window
}  // namespace AppSettings

// Asked first by the value text writer and reader; -1 = not handled.
typedef int (*WriteValueHookFn)(std::ostream& os, const CValue& v, const ValueTextFormat* fmt);
typedef int (*ReadValueHookFn)(std::istream& is, CValue& v);
extern WriteValueHookFn WriteValueHook;
extern ReadValueHookFn ReadValueHook;

class CValueMatrix;
void ResolveMatrixHandles(CValueMatrix& m);
int ResolveHandleRun(CValue* first);
