// The clipboard store and dropped-file records.
#include "platform/user/clipboard.h"

#include <cctype>
#include <cstring>
#include <strings.h>

#include "platform/gdi/gdi.h"
#include "platform/user/geometry.h"
#include "platform/user/window.h"
#include "platform/user/input_internal.h"

namespace {

struct Entry {
    UINT format;
    HANDLE data;
};

struct Store {
    std::mutex lock;
    DWORD openThread = 0;     // 0: closed
    HWND openWindow = nullptr;
    HWND owner = nullptr;
    bool changed = false;
    // Another application holds the clipboard: formats are fetched from it.
    bool foreign = false;
    std::vector<Entry> entries;
    std::vector<std::string> names;   // format 0xC000 + i
    std::function<void()> changedHook;
    void (*metafileDeleter)(HANDLE) = nullptr;
};

Store& TheStore()
{
    static auto* s = new Store;
    return *s;
}

void FreeData(Store& s, const Entry& e)
{
    if (!e.data) return;
    if (e.format == CF_ENHMETAFILE) {
        if (s.metafileDeleter) s.metafileDeleter(e.data);
        else DeleteEnhMetaFile((HENHMETAFILE)e.data);
    } else {
        GlobalFree(e.data);
    }
}

bool HolderGone(DWORD id)
{
    std::shared_ptr<CThreadData> t = FindThreadData(id);
    if (!t) return true;
    std::lock_guard<std::mutex> g(t->lock);
    return t->ended;
}

bool OpenedByCaller(Store& s) { return s.openThread == GetCurrentThreadId(); }

}  // namespace

BOOL OpenClipboard(HWND owner)
{
    Store& s = TheStore();
    DWORD self = GetCurrentThreadId();
    for (;;) {
        DWORD holder;
        {
            std::lock_guard<std::mutex> g(s.lock);
            holder = s.openThread;
            if (holder == 0 || holder == self) {
                s.openThread = self;
                s.openWindow = owner;
                return TRUE;
            }
        }
        // A holder that ended never closes: let it go.
        if (!HolderGone(holder)) break;
        std::lock_guard<std::mutex> g(s.lock);
        if (s.openThread == holder) s.openThread = 0;
    }
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

BOOL CloseClipboard()
{
    Store& s = TheStore();
    std::function<void()> hook;
    {
        std::lock_guard<std::mutex> g(s.lock);
        if (!OpenedByCaller(s)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        s.openThread = 0;
        s.openWindow = nullptr;
        if (s.changed) hook = s.changedHook;
        s.changed = false;
    }
    if (hook) hook();
    return TRUE;
}

BOOL EmptyClipboard()
{
    Store& s = TheStore();
    HWND oldOwner;
    std::vector<Entry> gone;
    {
        std::lock_guard<std::mutex> g(s.lock);
        if (!OpenedByCaller(s)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        gone.swap(s.entries);
        s.foreign = false;
        oldOwner = s.owner;
        s.owner = s.openWindow;
        s.changed = true;
        for (const Entry& e : gone) FreeData(s, e);
    }
    if (oldOwner && IsWindow(oldOwner)) SendMessage(oldOwner, WM_DESTROYCLIPBOARD, 0, 0);
    return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE data)
{
    Store& s = TheStore();
    std::lock_guard<std::mutex> g(s.lock);
    if (!OpenedByCaller(s) || format == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    for (Entry& e : s.entries)
        if (e.format == format) {
            if (e.data != data) FreeData(s, e);
            e.data = data;
            s.changed = true;
            return data;
        }
    s.entries.push_back(Entry{format, data});
    s.changed = true;
    return data;
}

HANDLE GetClipboardData(UINT format)
{
    Store& s = TheStore();
    {
        std::lock_guard<std::mutex> g(s.lock);
        if (!OpenedByCaller(s)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return nullptr;
        }
        for (const Entry& e : s.entries)
            if (e.format == format) return e.data;
        if (!s.foreign || format == CF_ENHMETAFILE) return nullptr;
    }
    // From the other application, through the display (a bounded wait).
    std::string mime = ClipboardMimeOf(format);
    std::vector<unsigned char> bytes;
    if (mime.empty() || !Backend().ForeignClipboardData(mime, &bytes)) return nullptr;
    if (format == CF_TEXT) bytes.push_back(0);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!block) return nullptr;
    if (!bytes.empty()) memcpy(GlobalLock(block), bytes.data(), bytes.size());
    GlobalUnlock(block);
    std::lock_guard<std::mutex> g(s.lock);
    if (!s.foreign || !OpenedByCaller(s)) {
        GlobalFree(block);
        return nullptr;
    }
    s.entries.push_back(Entry{format, block});
    return block;
}

BOOL IsClipboardFormatAvailable(UINT format)
{
    Store& s = TheStore();
    {
        std::lock_guard<std::mutex> g(s.lock);
        for (const Entry& e : s.entries)
            if (e.format == format) return TRUE;
        if (!s.foreign) return FALSE;
    }
    std::string mime = ClipboardMimeOf(format);
    if (mime.empty()) return FALSE;
    // "text/plain;charset=utf-8" is also offered as plain "text/plain".
    std::string base = mime.substr(0, mime.find(';'));
    for (const std::string& t : Backend().ForeignClipboardTypes())
        if (t == mime || t == base || (format == CF_TEXT && (t == "UTF8_STRING" || t == "text/plain;charset=UTF-8")))
            return TRUE;
    return FALSE;
}

void ClipboardTakenByOtherApplication()
{
    Store& s = TheStore();
    std::lock_guard<std::mutex> g(s.lock);
    for (const Entry& e : s.entries) FreeData(s, e);
    s.entries.clear();
    s.owner = nullptr;
    s.foreign = true;
}

std::string ClipboardMimeOf(UINT format)
{
    if (format == CF_TEXT) return "text/plain;charset=utf-8";
    if (format == CF_ENHMETAFILE) return "image/svg+xml";
    char name[256];
    if (format < 0xC000 || GetClipboardFormatName(format, name, sizeof name) <= 0) return "";
    static const char hex[] = "0123456789ABCDEF";
    std::string out = "application/x-veldra-";
    for (const char* p = name; *p; p++) {
        unsigned char c = (unsigned char)*p;
        if (isalnum(c) || c == '.' || c == '_' || c == '+' || c == '-') {
            out.push_back((char)c);
        } else {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 15]);
        }
    }
    return out;
}

int CountClipboardFormats()
{
    Store& s = TheStore();
    std::lock_guard<std::mutex> g(s.lock);
    return (int)s.entries.size();
}

UINT EnumClipboardFormats(UINT format)
{
    Store& s = TheStore();
    std::lock_guard<std::mutex> g(s.lock);
    if (format == 0) return s.entries.empty() ? 0 : s.entries.front().format;
    for (size_t i = 0; i + 1 < s.entries.size(); i++)
        if (s.entries[i].format == format) return s.entries[i + 1].format;
    return 0;
}

HWND GetClipboardOwner()
{
    Store& s = TheStore();
    std::lock_guard<std::mutex> g(s.lock);
    return s.owner;
}

HWND GetOpenClipboardWindow()
{
    Store& s = TheStore();
    std::lock_guard<std::mutex> g(s.lock);
    return s.openThread ? s.openWindow : nullptr;
}

UINT RegisterClipboardFormat(const char* name)
{
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Store& s = TheStore();
    std::lock_guard<std::mutex> g(s.lock);
    for (size_t i = 0; i < s.names.size(); i++)
        if (strcasecmp(s.names[i].c_str(), name) == 0) return (UINT)(0xC000 + i);
    if (s.names.size() >= 0x3FFF) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    s.names.push_back(name);
    return (UINT)(0xC000 + s.names.size() - 1);
}

int GetClipboardFormatName(UINT format, char* buffer, int size)
{
    if (!buffer || size <= 0) return 0;
    Store& s = TheStore();
    std::lock_guard<std::mutex> g(s.lock);
    if (format < 0xC000 || format - 0xC000 >= s.names.size()) {
        buffer[0] = 0;
        return 0;
    }
    const std::string& n = s.names[format - 0xC000];
    int len = std::min((int)n.size(), size - 1);
    memcpy(buffer, n.data(), (size_t)len);
    buffer[len] = 0;
    return len;
}

void SetClipboardChangedHook(std::function<void()> hook)
{
    Store& s = TheStore();
    std::lock_guard<std::mutex> g(s.lock);
    s.changedHook = std::move(hook);
}

void SetClipboardMetafileDeleter(void (*deleter)(HANDLE))
{
    Store& s = TheStore();
    std::lock_guard<std::mutex> g(s.lock);
    s.metafileDeleter = deleter;
}

std::vector<unsigned char> ClipboardBytes(UINT format)
{
    HANDLE h = nullptr;
    {
        Store& s = TheStore();
        std::lock_guard<std::mutex> g(s.lock);
        for (const Entry& e : s.entries)
            if (e.format == format) h = e.data;
        if (!h || format == CF_ENHMETAFILE) return {};
        SIZE_T n = GlobalSize(h);
        const unsigned char* p = (const unsigned char*)GlobalLock(h);
        if (!p) return {};
        return std::vector<unsigned char>(p, p + n);
    }
}

void ReleaseClipboardOfThread(DWORD threadId)
{
    Store& s = TheStore();
    std::function<void()> hook;
    {
        std::lock_guard<std::mutex> g(s.lock);
        if (s.openThread != threadId) return;
        s.openThread = 0;
        s.openWindow = nullptr;
        if (s.changed) hook = s.changedHook;
        s.changed = false;
    }
    if (hook) hook();
}

void ResetClipboardForTest()
{
    Store& s = TheStore();
    std::lock_guard<std::mutex> g(s.lock);
    for (const Entry& e : s.entries) FreeData(s, e);
    s.entries.clear();
    s.openThread = 0;
    s.openWindow = nullptr;
    s.owner = nullptr;
    s.changed = false;
    s.foreign = false;
}

// ---- Dropped files ----

namespace {
struct DropRecord {
    uint32_t magic = 0x44524F50;
    std::vector<std::string> files;
    POINT pt;
};
}  // namespace

void* MakeDropRecord(const std::vector<std::string>& files, POINT pt, HWND target)
{
    auto* d = new DropRecord;
    d->files = files;
    ScreenToClient(target, &pt);
    d->pt = pt;
    return d;
}

UINT DragQueryFile(HDROP drop, UINT index, char* buffer, UINT size)
{
    auto* d = (DropRecord*)drop;
    if (!d || d->magic != 0x44524F50) return 0;
    if (index == 0xFFFFFFFFu) return (UINT)d->files.size();
    if (index >= d->files.size()) return 0;
    const std::string& f = d->files[index];
    if (!buffer || size == 0) return (UINT)f.size();
    UINT n = std::min((UINT)f.size(), size - 1);
    memcpy(buffer, f.data(), n);
    buffer[n] = 0;
    return n;
}

BOOL DragQueryPoint(HDROP drop, POINT* pt)
{
    auto* d = (DropRecord*)drop;
    if (!d || !pt || d->magic != 0x44524F50) return FALSE;
    *pt = d->pt;
    return TRUE;
}

void DragFinish(HDROP drop)
{
    auto* d = (DropRecord*)drop;
    if (!d || d->magic != 0x44524F50) return;
    d->magic = 0;
    delete d;
}

void DragAcceptFiles(HWND hwnd, BOOL accept)
{
    LONG_PTR ex = GetWindowLongPtr(hwnd, GWL_EXSTYLE);
    SetWindowLongPtr(hwnd, GWL_EXSTYLE, accept ? (ex | WS_EX_ACCEPTFILES) : (ex & ~(LONG_PTR)WS_EX_ACCEPTFILES));
}

std::string ClipboardBlockBytes(HANDLE block)
{
    if (!block) return {};
    const SIZE_T size = GlobalSize(block);
    const char* p = (const char*)GlobalLock(block);
    if (!p) return {};
    size_t n = 0;
    while (n < size && p[n] != '\0') ++n;
    std::string s(p, n);
    GlobalUnlock(block);
    return s;
}
