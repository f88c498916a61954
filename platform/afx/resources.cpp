// Per-module resource tables and the platform's own strings.
#include "platform/afx/resources.h"

#include <cstdlib>
#include <functional>

#include "platform/afx/module_state.h"
#include "platform/afx/spawn.h"

namespace {
const AfxStringEntry kPlatformStrings[] = {
    {AFX_IDS_IDLEMESSAGE, "Ready"},
    {AFX_IDS_UNTITLED, "Untitled"},
    {AFX_IDP_ASK_TO_SAVE, "Save changes to %1?"},
    {AFX_IDS_MEMORY_EXCEPTION, "Not enough memory."},
    {AFX_IDP_INTERNAL_FAILURE, "An unexpected error occurred."},
    {AFX_IDP_PARSE_INT, "Enter a whole number."},
    {AFX_IDP_PARSE_REAL, "Enter a number."},
    {AFX_IDP_PARSE_INT_RANGE, "Enter a whole number from %1 to %2."},
    {AFX_IDP_PARSE_REAL_RANGE, "Enter a number from %1 to %2."},
    {AFX_IDP_PARSE_STRING_SIZE, "Enter no more than %1 characters."},
    {AFX_IDP_FAILED_TO_OPEN_DOC, "Failed to open document."},
    {AFX_IDP_FAILED_TO_SAVE_DOC, "Failed to save document."},
    {AFX_IDS_APPLY, "&Apply"},
    {AFX_IDS_OK, "OK"},
    {AFX_IDS_CANCEL, "Cancel"},
    {0xE700u, "EXT"},   // the key indicators of the status bar
    {0xE701u, "CAP"},
    {0xE702u, "NUM"},
    {0xE703u, "SCRL"},
    {0xE800u, "Show or hide the toolbar\nToggle ToolBar"},
    {0xE801u, "Show or hide the status bar\nToggle StatusBar"},
};

std::mutex g_openLock;
std::function<bool(const std::string&)> g_openHook;
}  // namespace

void CResourceTable::AddStrings(const AfxStringEntry* entries, size_t count)
{
    std::lock_guard<std::mutex> g(m_lock);
    for (size_t i = 0; i < count; ++i) m_strings[entries[i].id] = entries[i].text;
}

void CResourceTable::AddMenu(UINT id, const MenuTableItem* items, size_t count)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_menus[id].assign(items, items + count);
}

void CResourceTable::AddAccelerators(UINT id, const ACCEL* entries, size_t count)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_accels[id].assign(entries, entries + count);
}

void CResourceTable::AddDialog(UINT id, const CDialogTemplate* tmpl)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_dialogs[id] = tmpl;
}

void CResourceTable::AddToolbar(UINT id, AfxToolbarResource toolbar)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_toolbars[id] = std::move(toolbar);
}

bool CResourceTable::FindToolbar(UINT id, AfxToolbarResource& toolbar) const
{
    std::lock_guard<std::mutex> g(m_lock);
    auto it = m_toolbars.find(id);
    if (it == m_toolbars.end()) return false;
    toolbar = it->second;
    return true;
}

bool CResourceTable::FindString(UINT id, std::string& text) const
{
    std::lock_guard<std::mutex> g(m_lock);
    auto it = m_strings.find(id);
    if (it == m_strings.end()) return false;
    text = it->second;
    return true;
}

HMENU CResourceTable::LoadMenu(UINT id) const
{
    std::lock_guard<std::mutex> g(m_lock);
    auto it = m_menus.find(id);
    if (it == m_menus.end()) return nullptr;
    return LoadMenuTable(it->second.data(), it->second.size());
}

HACCEL CResourceTable::LoadAccelerators(UINT id) const
{
    std::lock_guard<std::mutex> g(m_lock);
    auto it = m_accels.find(id);
    if (it == m_accels.end()) return nullptr;
    return CreateAcceleratorTable(it->second.data(), (int)it->second.size());
}

const CDialogTemplate* CResourceTable::FindDialog(UINT id) const
{
    std::lock_guard<std::mutex> g(m_lock);
    auto it = m_dialogs.find(id);
    return it == m_dialogs.end() ? nullptr : it->second;
}

bool AfxLoadString(UINT id, std::string& text)
{
    if (AfxGetModuleState()->m_resources.FindString(id, text)) return true;
    for (const AfxStringEntry& e : kPlatformStrings)
        if (e.id == id) {
            text = e.text;
            return true;
        }
    return false;
}

std::string AfxLoadString(UINT id)
{
    std::string s;
    AfxLoadString(id, s);
    return s;
}

HMENU AfxLoadMenu(UINT id) { return AfxGetModuleState()->m_resources.LoadMenu(id); }
HACCEL AfxLoadAccelerators(UINT id) { return AfxGetModuleState()->m_resources.LoadAccelerators(id); }
const CDialogTemplate* AfxFindDialogTemplate(UINT id) { return AfxGetModuleState()->m_resources.FindDialog(id); }
bool AfxFindToolbar(UINT id, AfxToolbarResource& toolbar) { return AfxGetModuleState()->m_resources.FindToolbar(id, toolbar); }

std::string AfxFormatString(const std::string& format, const std::vector<std::string>& args)
{
    std::string out;
    for (size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c == '%' && i + 1 < format.size() && format[i + 1] >= '1' && format[i + 1] <= '9') {
            size_t n = (size_t)(format[i + 1] - '1');
            if (n < args.size()) out += args[n];
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

void AfxSetOpenExternalHook(std::function<bool(const std::string&)> hook)
{
    std::lock_guard<std::mutex> g(g_openLock);
    g_openHook = std::move(hook);
}

bool AfxOpenExternal(const std::string& target, std::function<void(int)> failed)
{
    std::function<bool(const std::string&)> hook;
    {
        std::lock_guard<std::mutex> g(g_openLock);
        hook = g_openHook;
    }
    if (hook) return hook(target);
    if (!AfxCommandExists("xdg-open")) return false;
    if (!failed) return AfxSpawn({"xdg-open", target}, false) == 0;
    return AfxSpawnThen({"xdg-open", target}, [failed](int status) {
        if (status != 0) failed(status);
    });
}
