// A stand-in IO device for the tests: the three device exports over a plain
// window on a thread of its own. Every device message it gets is written as
// one plain message to the host's message stream, so a test (or a program
// fixture) sees exactly what the host sent.
//
// Switches: InitDll resets them and reads the environment variable
// FAKE_DEVICE; the exported FakeDeviceSet(key, value) changes them at any time:
//   initdll=0        InitDll fails
//   nowindow=1       the device thread ends without a window
//   slowexit=MS      after its window is gone the thread lingers MS ms
//   reply=CODE:VAL   the reply to a message code (hexadecimal or decimal), e.g. 0x8bb:-1
//   inputs=A|B|!     values the console reads into its targets, in order: a
//                    number or a text; "!" reads nothing (the target is cleared)
//   quiet=1          nothing is logged
// Entries of FAKE_DEVICE are separated by ';'. A plot command whose common
// option "reply" is a number answers that number.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <sstream>
#include <string>

#include "devices/device_protocol.h"
#include "platform/kernel/kernel.h"
#include "platform/user/user.h"
#include "values/output_stream.h"
#include "values/value_text.h"

namespace {

struct Settings {
    std::mutex lock;
    bool initFails = false;
    bool noWindow = false;
    bool quiet = false;
    DWORD slowExit = 0;
    std::map<UINT, LRESULT> replies;
    std::deque<std::string> inputs;
};

Settings& Switches()
{
    // A plain static: a library rejected at InitDll is unloaded again.
    static Settings s;
    return s;
}

COutputStream* g_host = nullptr;

long ParseNumber(const std::string& text) { return std::strtol(text.c_str(), nullptr, 0); }

void Apply(const std::string& key, const std::string& value)
{
    Settings& s = Switches();
    std::lock_guard<std::mutex> g(s.lock);
    if (key == "initdll") s.initFails = value == "0";
    else if (key == "nowindow") s.noWindow = value == "1";
    else if (key == "quiet") s.quiet = value == "1";
    else if (key == "slowexit") s.slowExit = (DWORD)ParseNumber(value);
    else if (key == "reply") {
        size_t colon = value.find(':');
        if (colon == std::string::npos) s.replies.clear();
        else s.replies[(UINT)ParseNumber(value.substr(0, colon))] = ParseNumber(value.substr(colon + 1));
    } else if (key == "inputs") {
        s.inputs.clear();
        std::string part;
        std::istringstream in(value);
        while (std::getline(in, part, '|')) s.inputs.push_back(part);
    } else if (key == "reset") {
        s.initFails = s.noWindow = s.quiet = false;
        s.slowExit = 0;
        s.replies.clear();
        s.inputs.clear();
    }
}

// The library's own file name: the same code is staged under two names.
const char* LibraryName()
{
    static std::string name = [] {
        Dl_info info{};
        std::string n = dladdr((void*)&Apply, &info) && info.dli_fname ? info.dli_fname : "fake_device";
        size_t cut = n.find_last_of('/');
        return cut == std::string::npos ? n : n.substr(cut + 1);
    }();
    return name.c_str();
}

void Log(const std::string& text)
{
    {
        Settings& s = Switches();
        std::lock_guard<std::mutex> g(s.lock);
        if (s.quiet) return;
    }
    CMessageWriter(MSG_PLAIN, g_host) << LibraryName() << " " << text;
}

std::string Hex(UINT code)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", code);
    return buf;
}

std::string Text(const CValue& v)
{
    std::string t;
    return ValueFormat(v, t);
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// The named block of this device kind, read during the send.
std::string BlockHex(const char* mapping)
{
    HANDLE h = OpenFileMapping(FILE_MAP_READ, FALSE, mapping);
    if (!h) return "<no block>";
    std::string out;
    const unsigned char* view = (const unsigned char*)MapViewOfFile(h, FILE_MAP_READ, 0, 0, 0);
    if (view) {
        SIZE_T n = GetMappedViewSize(view);
        static const char digits[] = "0123456789abcdef";
        for (SIZE_T i = 0; i < n; ++i) {
            out += digits[view[i] >> 4];
            out += digits[view[i] & 15];
        }
        UnmapViewOfFile(view);
    }
    CloseHandle(h);
    return out;
}

std::string Options(PlotOptionRecord** options, uint32_t count)
{
    std::string t = "[";
    for (uint32_t i = 0; i < count; ++i) {
        if (i) t += ", ";
        t += options[i]->name + "=" + Text(options[i]->value);
    }
    return t + "]";
}

std::string DescribePlotCommand(const PlotCommandPosition* pos, const PlotCommandText* cmd)
{
    std::ostringstream t;
    t << "pos=(" << pos->planeX << "," << pos->planeY << "," << pos->objectId << "," << pos->holdFlags << ")"
      << " figure=" << Quoted(cmd->figure) << " command=" << Quoted(cmd->command) << " series=[";
    for (uint32_t i = 0; i < cmd->seriesCount; ++i) {
        const PlotSeriesRecord* s = cmd->series[i];
        t << (i ? " (" : "(");
        for (uint32_t k = 0; k < s->itemCount; ++k) t << (k ? ", " : "") << Text(s->items[k]->value);
        t << "; " << Options(s->options, s->optionCount) << ")";
    }
    t << "] options=" << Options(cmd->options, cmd->optionCount);
    return t.str();
}

// Reads one scripted input into a target; false when the script says none.
bool ReadInput(CValue* target)
{
    std::string text = "!";
    {
        Settings& s = Switches();
        std::lock_guard<std::mutex> g(s.lock);
        if (!s.inputs.empty()) {
            text = s.inputs.front();
            s.inputs.pop_front();
        }
    }
    if (text == "!") return false;
    char* end = nullptr;
    double d = std::strtod(text.c_str(), &end);
    if (!text.empty() && end && *end == 0)
        *target = CValue(d);
    else
        *target = CValue(text);
    return true;
}

LRESULT ConsoleIo(ConsoleIoRequest* req)
{
    std::ostringstream t;
    t << "title=" << Quoted(req->title) << " items=[";
    bool failed = false;
    for (uint32_t i = 0; i < req->itemCount; ++i) {
        ConsoleIoItem& item = req->items[i];
        t << (i ? " {" : "{");
        for (uint32_t k = 0; k < item.optionCount; ++k)
            t << (k ? ", " : "") << item.options[k].name << "=" << Text(item.options[k].value);
        t << "} ";
        if (item.target) {
            t << "$";
            if (!ReadInput(item.target)) {
                item.target = nullptr;
                failed = true;
            }
        } else {
            t << Text(item.value);
        }
    }
    t << "]";
    Log(Hex(WM_CONSOLE_IO) + " " + t.str());
    return failed ? -1 : 0;
}

class CFakeDevice final : public CDeviceLink {
public:
    CFakeDevice(CDeviceHostCallbacks* h, uint32_t f)
    {
        host = h;
        flags = f;
        startEvent = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    }

    void Destroy() override { delete this; }
    void Start() override { SetEvent(startEvent); }

    int Close() override
    {
        SetEvent(startEvent);
        if (IsWindow(mainWindow)) PostMessage(mainWindow, WM_CLOSE, 0, 0);
        DWORD start = GetTickCount();
        bool reposted = false;
        while (IsThreadAlive(threadHandle)) {
            DWORD r = MsgWaitForMultipleObjectsEx(1, &threadHandle, 1000, QS_SENDMESSAGE | QS_PAINT | QS_MOUSEMOVE,
                                                  MWMO_INPUTAVAILABLE);
            if (r == WAIT_OBJECT_0 + 1) {
                MSG m;
                bool quit = false;
                while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
                    if (m.message == WM_QUIT) quit = true;
                    if (m.message == WM_PAINT || m.message == WM_MOUSEMOVE) DispatchMessage(&m);
                }
                if (quit) PostQuitMessage((int)m.wParam);
            }
            DWORD elapsed = GetTickCount() - start;
            if (elapsed > 15000) {
                TerminateThread(threadHandle, (DWORD)-1);
                return -1;
            }
            if (elapsed > 1000 && !reposted && IsWindow(mainWindow)) {
                PostMessage(mainWindow, WM_CLOSE, 0, 0);
                reposted = true;
            }
        }
        return 1;
    }

    HANDLE windowUp = nullptr;

private:
    ~CFakeDevice()
    {
        if (startEvent) CloseHandle(startEvent);
        if (threadHandle) CloseHandle(threadHandle);
    }
};

LRESULT Reply(UINT msg, LRESULT normal)
{
    Settings& s = Switches();
    std::lock_guard<std::mutex> g(s.lock);
    auto it = s.replies.find(msg);
    return it == s.replies.end() ? normal : it->second;
}

LRESULT FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* dev = (CFakeDevice*)GetWindowLongPtr(hwnd, GWLP_USERDATA);
    switch (msg) {
    case WM_DEVICE_PING: return Reply(msg, 1);
    case WM_DEVICE_BREAK: Log(Hex(msg)); return Reply(msg, 1);
    case WM_PLOT_CLEAR:
    case WM_PLOT_DATA:
    case WM_PLOT_SET:
    case WM_PLOT_DIM:
    case WM_PLOT_BOUNDS:
        Log(Hex(msg) + " w=" + std::to_string(wParam) + " l=" + std::to_string(lParam) +
            " block=" + BlockHex(kPlotDeviceMappingName));
        return Reply(msg, 0);
    case WM_PLOT_COMMAND: {
        auto* cmd = (PlotCommandText*)lParam;
        Log(Hex(msg) + " " + DescribePlotCommand((PlotCommandPosition*)wParam, cmd));
        // A common option "reply" is the answer, as a failing plot command's status would be.
        for (uint32_t i = 0; i < cmd->optionCount; ++i) {
            const CValue& v = cmd->options[i]->value;
            int status;
            if (cmd->options[i]->name == "reply" && v.Type() == VT_REAL && DoubleToInt(v.Real(), status))
                return status;
        }
        return Reply(msg, 0);
    }
    case WM_CONSOLE_IO: {
        LRESULT r = ConsoleIo((ConsoleIoRequest*)lParam);
        return Reply(msg, r);
    }
    case WM_CONSOLE_CLEAR:
    case WM_CONSOLE_TITLE:
        Log(Hex(msg) + " title=" + Quoted(((ConsoleTitleRequest*)lParam)->title));
        return Reply(msg, 0);
    case WM_CLOSE: DestroyWindow(hwnd); return 0;
    case WM_DESTROY:
        if (dev && dev->host) dev->host->OnFrameDestroyed();
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

std::string ClassName() { return std::string("FakeDevice:") + LibraryName(); }

DWORD DeviceThread(void* parameter)
{
    auto* dev = (CFakeDevice*)parameter;
    bool noWindow;
    {
        Settings& s = Switches();
        std::lock_guard<std::mutex> g(s.lock);
        noWindow = s.noWindow;
    }
    if (noWindow) {
        SetEvent(dev->windowUp);
        return 1;
    }
    std::string cls = ClassName();
    WNDCLASS wc{};
    wc.lpfnWndProc = FrameProc;
    wc.lpszClassName = cls.c_str();
    RegisterClass(&wc);  // 0 when an earlier device of this library registered it
    HWND hwnd = CreateWindowEx(0, cls.c_str(), LibraryName(), WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                               nullptr, nullptr, nullptr);
    if (hwnd) SetWindowLongPtr(hwnd, GWLP_USERDATA, (LONG_PTR)dev);
    dev->mainWindow = hwnd;
    SetEvent(dev->windowUp);
    if (!hwnd) return 1;
    if (dev->flags & DEVICE_START_WAIT_START) WaitForSingleObject(dev->startEvent, INFINITE);
    MSG m;
    while (GetMessage(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessage(&m);
    }
    DWORD linger;
    {
        Settings& s = Switches();
        std::lock_guard<std::mutex> g(s.lock);
        linger = s.slowExit;
    }
    if (linger) Sleep(linger);
    return 0;
}

}  // namespace

VELDRA_DEVICE_EXPORT void FakeDeviceSet(const char* key, const char* value) { Apply(key ? key : "", value ? value : ""); }

VELDRA_DEVICE_EXPORT bool InitDll(COutputStream* stream, ReadValueHookFn, WriteValueHookFn, uintptr_t)
{
    g_host = stream;
    Apply("reset", "");
    if (const char* env = std::getenv("FAKE_DEVICE")) {
        std::string part;
        std::istringstream in(env);
        while (std::getline(in, part, ';')) {
            size_t eq = part.find('=');
            if (eq != std::string::npos) Apply(part.substr(0, eq), part.substr(eq + 1));
        }
    }
    Settings& s = Switches();
    std::lock_guard<std::mutex> g(s.lock);
    return !s.initFails;
}

VELDRA_DEVICE_EXPORT HANDLE CreateApp(CDeviceLink** link, CDeviceHostCallbacks* host, uint32_t flags)
{
    if (!link) return nullptr;
    auto* dev = *link ? static_cast<CFakeDevice*>(*link) : new CFakeDevice(host, flags);
    dev->mainWindow = nullptr;
    dev->windowUp = CreateEvent(nullptr, TRUE, FALSE, nullptr);
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, DeviceThread, dev, CREATE_SUSPENDED, &id);
    if (!thread) {
        CloseHandle(dev->windowUp);
        *link = nullptr;
        dev->Destroy();
        return nullptr;
    }
    if (dev->threadHandle) CloseHandle(dev->threadHandle);  // the thread of an earlier start
    dev->threadHandle = thread;
    dev->threadId = id;
    *link = dev;
    ResumeThread(thread);
    if (!(flags & DEVICE_START_WAIT_WINDOW)) {
        CloseHandle(dev->windowUp);
        dev->windowUp = nullptr;
        return thread;
    }
    WaitForSingleObject(dev->windowUp, 60000);
    CloseHandle(dev->windowUp);
    dev->windowUp = nullptr;
    if (dev->mainWindow && IsWindow(dev->mainWindow)) return thread;
    if (WaitForSingleObject(thread, 15000) == WAIT_TIMEOUT) TerminateThread(thread, (DWORD)-1);
    return nullptr;
}

#ifndef FAKE_DEVICE_NO_DELETEAPP
VELDRA_DEVICE_EXPORT int DeleteApp(CDeviceLink* link)
{
    if (link) link->Destroy();
    return 0;
}
#endif
