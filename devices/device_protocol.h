#pragma once
// The contract between the program and its IO devices (the plot and console
// device libraries): message codes, the exports a device library gives, the
// link through which the host drives one device window, and the host records
// that cross by address during a synchronous send.
//
// Device libraries are built separately and link libveldra; every record here
// is read on the other side by address, so the 64-bit layouts are frozen by
// the static_asserts at the end. Never reorder, insert or remove a field or a
// virtual function.
#include <cstddef>
#include <cstdint>
#include <string>

#include "interpreter/expr_tree.h"
#include "platform/types.h"
#include "values/app_settings.h"
#include "values/output_stream.h"
#include "values/value.h"

// ---- message codes (WM_USER + n) --------------------------------------------

constexpr UINT WM_DEVICE_PING = 0x7ED;     // (0, 0): a device frame answers 1
constexpr UINT WM_DEVICE_BREAK = 0x81B;    // posted when the program stops; the console cancels an input
constexpr UINT WM_PLOT_CLEAR = 0x8BB;      // (block size, 0); reply 0, or non-zero when refused
constexpr UINT WM_PLOT_DATA = 0x8BC;       // (block size, PlotHoldFlags)
constexpr UINT WM_PLOT_COMMAND = 0x8BD;    // (PlotCommandPosition*, PlotCommandText*); reply = status
constexpr UINT WM_CONSOLE_IO = 0x8BE;      // (0, ConsoleIoRequest*); reply 0, -1 when input failed
constexpr UINT WM_DEVICE_RESERVED = 0x8BF; // not used by either side
constexpr UINT WM_CONSOLE_CLEAR = 0x8C0;   // (0, ConsoleTitleRequest*): title and clear
constexpr UINT WM_CONSOLE_TITLE = 0x8C1;   // (0, ConsoleTitleRequest*): title only
constexpr UINT WM_PLOT_SET = 0x8C4;        // (0, 0)
constexpr UINT WM_PLOT_DIM = 0x8C6;        // (0, width | height << 16); 0 = default size
constexpr UINT WM_PLOT_BOUNDS = 0x8C8;     // (0, 0); reply = status

// Figures that the VELDRA_PLOT_SAVE_DIR save could not write in this process:
// the device counts them, the batch run ends with status 1 when there were any.
void NoteDeviceSaveFailure();
int DeviceSaveFailures();

// Names of the per-command memory block and of the ready event ("mu%s%X"
// with the name and the process id in upper-case hexadecimal).
constexpr const char* kPlotDeviceMappingName = "Veldra:Quorra";
constexpr const char* kConsoleDeviceMappingName = "Veldra:Nerith";
constexpr const char* kDeviceReadyEventFormat = "mu%s%X";

// Bits of the third argument of CreateApp; the host always passes 5.
enum DeviceStartFlags : uint32_t {
    DEVICE_START_WAIT_WINDOW = 1,  // CreateApp returns only when the frame exists (or failed)
    DEVICE_START_READY_EVENT = 2,  // the frame sets the named ready event
    DEVICE_START_WAIT_START = 4,   // the window is shown only after the link's Start
};
constexpr uint32_t kDeviceStartFlags = DEVICE_START_WAIT_WINDOW | DEVICE_START_WAIT_START;

// PlotHoldFlags: lParam of WM_PLOT_DATA and the flags of PlotCommandPosition.
constexpr uint32_t PLOT_HOLD = 1;

// ---- host callbacks and the device link --------------------------------------

// The host's object handed to CreateApp. One object serves every connection
// and lives until the process ends: an abandoned device thread may still call
// it. Both operations answer 0.
class CDeviceHostCallbacks {
public:
    // slot 0: a device frame is being destroyed.
    virtual intptr_t OnFrameDestroyed() { return 0; }
    // slot 1: reserved for the device; three words.
    virtual intptr_t Notify(uintptr_t, uintptr_t, uintptr_t) { return 0; }

protected:
    ~CDeviceHostCallbacks() = default;  // never deleted through the interface
};

// One device window as the host sees it; the device owns the object (it is a
// base of its UI-thread object) and frees it only through DeleteApp. The host
// reads mainWindow and threadId directly.
class CDeviceLink {
public:
    // slot 0: frees the whole device object. Only DeleteApp calls it.
    virtual void Destroy() = 0;
    // slot 1: a synchronous send to the device window.
    virtual LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam)
    {
        return SendMessage(mainWindow, message, wParam, lParam);
    }
    // slot 2: lets a frame waiting under DEVICE_START_WAIT_START show itself.
    virtual void Start() = 0;
    // slot 3: closes the window and waits for the UI thread (1 s slices,
    // re-posting WM_CLOSE; abandons it after 15 s): 1, or -1 when abandoned.
    virtual int Close() = 0;

    CDeviceHostCallbacks* host = nullptr;
    HWND mainWindow = nullptr;    // the device frame; null until it exists
    uint32_t flags = 0;           // DeviceStartFlags
    HANDLE threadHandle = nullptr;  // the device's own; the host never closes it
    DWORD threadId = 0;
    HANDLE startEvent = nullptr;  // manual reset, set by Start and Close

protected:
    CDeviceLink() = default;
    ~CDeviceLink() = default;  // never deleted through the interface
};

// ---- the exports of a device library -----------------------------------------

// InitDll(host message stream, read hook, write hook, 0): once after loading,
// and again when the host loads the library anew. False rejects the library.
typedef bool (*DeviceInitDllFn)(COutputStream* stream, ReadValueHookFn readHook, WriteValueHookFn writeHook,
                                uintptr_t reserved);
// CreateApp(&link, host callbacks, flags): the device thread's handle (owned by
// the device) or null; fills the link, which may stay set after a failure. A
// non-null link is reused: a new thread starts for the same object.
typedef HANDLE (*DeviceCreateAppFn)(CDeviceLink** link, CDeviceHostCallbacks* host, uint32_t flags);
// DeleteApp(link): destroys the link's object; null does nothing. 0.
typedef int (*DeviceDeleteAppFn)(CDeviceLink* link);

#define VELDRA_DEVICE_EXPORT extern "C" __attribute__((visibility("default")))

// ---- console records (WM_CONSOLE_IO, WM_CONSOLE_CLEAR, WM_CONSOLE_TITLE) ------

// One option of an item: the name as written, the evaluated value (empty when
// none was given).
struct ConsoleIoOption {
    std::string name;
    CValue value;
};

// One item of print or input. A target item has an empty value and points at
// the variable's value.
// "No value": the device sets target to null for an input item it read no
// value for, and for every later input item it did not reach (cancel, quit).
// The host decides by the items alone, never by the reply.
struct ConsoleIoItem {
    ConsoleIoOption* options = nullptr;
    uint32_t optionCount = 0;
    CValue value;
    CValue* target = nullptr;
};

struct ConsoleIoRequest {
    uint32_t reserved = 0;
    std::string title;  // the device name
    ConsoleIoItem* items = nullptr;
    uint32_t itemCount = 0;
};

struct ConsoleTitleRequest {
    uint32_t reserved = 0;
    std::string title;
};

// ---- plot records (WM_PLOT_COMMAND) -------------------------------------------

// wParam: the current-plot state.
struct PlotCommandPosition {
    int32_t planeX;
    int32_t planeY;
    int32_t objectId;   // -1 = none
    uint32_t holdFlags; // PLOT_HOLD
};

// One operand of a series: the value this execution evaluated, and its expression.
struct PlotExprItem {
    CValue value;
    CCompiledExpr expr;
};

// One option: name in lower case, evaluated value, expression (empty root
// when the option was written without a value).
struct PlotOptionRecord {
    std::string name;
    CValue value;
    CCompiledExpr expr;
};

struct PlotSeriesRecord {
    PlotExprItem** items = nullptr;        // X, Y and any further operands, in order
    uint32_t itemCount = 0;
    PlotOptionRecord** options = nullptr;
    uint32_t optionCount = 0;
};

// lParam: the statement's own fields, read by the device during the call.
struct PlotCommandText {
    std::string figure;   // handle name; empty = "DEFAULT"
    std::string command;  // command word; may be empty
    PlotSeriesRecord** series = nullptr;
    uint32_t seriesCount = 0;
    PlotOptionRecord** options = nullptr;
    uint32_t optionCount = 0;
};

// ---- frozen layouts --------------------------------------------------------------

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(sizeof(void*) == 8, "the device interface is laid out for 64-bit pointers");
static_assert(sizeof(CValue) == 16);
static_assert(sizeof(std::string) == 32);
static_assert(sizeof(CCompiledExpr) == 16);

static_assert(offsetof(CDeviceLink, host) == 8);
static_assert(offsetof(CDeviceLink, mainWindow) == 16);
static_assert(offsetof(CDeviceLink, flags) == 24);
static_assert(offsetof(CDeviceLink, threadHandle) == 32);
static_assert(offsetof(CDeviceLink, threadId) == 40);
static_assert(offsetof(CDeviceLink, startEvent) == 48);
static_assert(sizeof(CDeviceLink) == 56);
static_assert(sizeof(CDeviceHostCallbacks) == 8);

static_assert(offsetof(ConsoleIoRequest, reserved) == 0);
static_assert(offsetof(ConsoleIoRequest, title) == 8);
static_assert(offsetof(ConsoleIoRequest, items) == 40);
static_assert(offsetof(ConsoleIoRequest, itemCount) == 48);
static_assert(sizeof(ConsoleIoRequest) == 56);
static_assert(offsetof(ConsoleIoItem, options) == 0);
static_assert(offsetof(ConsoleIoItem, optionCount) == 8);
static_assert(offsetof(ConsoleIoItem, value) == 16);
static_assert(offsetof(ConsoleIoItem, target) == 32);
static_assert(sizeof(ConsoleIoItem) == 40);
static_assert(offsetof(ConsoleIoOption, name) == 0);
static_assert(offsetof(ConsoleIoOption, value) == 32);
static_assert(sizeof(ConsoleIoOption) == 48);
static_assert(offsetof(ConsoleTitleRequest, reserved) == 0);
static_assert(offsetof(ConsoleTitleRequest, title) == 8);
static_assert(sizeof(ConsoleTitleRequest) == 40);

static_assert(offsetof(PlotCommandPosition, planeX) == 0);
static_assert(offsetof(PlotCommandPosition, planeY) == 4);
static_assert(offsetof(PlotCommandPosition, objectId) == 8);
static_assert(offsetof(PlotCommandPosition, holdFlags) == 12);
static_assert(sizeof(PlotCommandPosition) == 16);
static_assert(offsetof(PlotCommandText, figure) == 0);
static_assert(offsetof(PlotCommandText, command) == 32);
static_assert(offsetof(PlotCommandText, series) == 64);
static_assert(offsetof(PlotCommandText, seriesCount) == 72);
static_assert(offsetof(PlotCommandText, options) == 80);
static_assert(offsetof(PlotCommandText, optionCount) == 88);
static_assert(sizeof(PlotCommandText) == 96);
static_assert(offsetof(PlotSeriesRecord, items) == 0);
static_assert(offsetof(PlotSeriesRecord, itemCount) == 8);
static_assert(offsetof(PlotSeriesRecord, options) == 16);
static_assert(offsetof(PlotSeriesRecord, optionCount) == 24);
static_assert(sizeof(PlotSeriesRecord) == 32);
static_assert(offsetof(PlotExprItem, value) == 0);
static_assert(offsetof(PlotExprItem, expr) == 16);
static_assert(sizeof(PlotExprItem) == 32);
static_assert(offsetof(PlotOptionRecord, name) == 0);
static_assert(offsetof(PlotOptionRecord, value) == 32);
static_assert(offsetof(PlotOptionRecord, expr) == 48);
static_assert(sizeof(PlotOptionRecord) == 64);
#pragma GCC diagnostic pop
