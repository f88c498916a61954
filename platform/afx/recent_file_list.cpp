// The recent-file list over the settings file.
#include "platform/afx/recent_file_list.h"

#include <cstdio>
#include <filesystem>

#include "platform/afx/cmd_ui.h"
#include "platform/afx/settings_file.h"

CRecentFileList::CRecentFileList(UINT startId, std::string section, std::string entryFormat, int size)
    : m_nStartID(startId), m_section(std::move(section)), m_entryFormat(std::move(entryFormat)), m_size(size < 0 ? 0 : size)
{
}

void CRecentFileList::Add(const std::string& path)
{
    if (path.empty() || m_size == 0) return;
    std::error_code ec;
    std::string full = std::filesystem::absolute(path, ec).lexically_normal().string();
    if (ec) full = path;
    std::lock_guard<std::mutex> g(m_lock);
    for (size_t i = 0; i < m_paths.size(); ++i)
        if (m_paths[i] == full) {
            m_paths.erase(m_paths.begin() + (long)i);
            break;
        }
    m_paths.insert(m_paths.begin(), full);
    if ((int)m_paths.size() > m_size) m_paths.resize((size_t)m_size);
}

void CRecentFileList::Remove(int index)
{
    std::lock_guard<std::mutex> g(m_lock);
    if (index >= 0 && index < (int)m_paths.size()) m_paths.erase(m_paths.begin() + index);
}

std::string CRecentFileList::Get(int index) const
{
    std::lock_guard<std::mutex> g(m_lock);
    return index >= 0 && index < (int)m_paths.size() ? m_paths[(size_t)index] : std::string();
}

std::vector<std::string> CRecentFileList::Paths() const
{
    std::lock_guard<std::mutex> g(m_lock);
    return m_paths;
}

static std::string EntryName(const std::string& format, int n)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, format.c_str(), n);
    return buf;
}

void CRecentFileList::ReadList(CSettingsFile& store)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_paths.clear();
    for (int i = 1; i <= m_size; ++i) {
        std::string p;
        if (store.GetString(m_section, EntryName(m_entryFormat, i), p) && !p.empty()) m_paths.push_back(p);
    }
}

void CRecentFileList::WriteList(CSettingsFile& store) const
{
    if (CSettingsFile::IsWriteProtected()) return;
    std::lock_guard<std::mutex> g(m_lock);
    CSettingsFile::CBatch batch(store);
    for (int i = 1; i <= m_size; ++i) {
        std::string name = EntryName(m_entryFormat, i);
        if (i <= (int)m_paths.size())
            store.WriteString(m_section, name, m_paths[(size_t)i - 1]);
        else
            store.DeleteValue(m_section, name);
    }
}

void CRecentFileList::UpdateMenu(CCmdUI* ui) const
{
    if (!ui->m_pMenu) return;
    std::vector<std::string> paths = Paths();
    HMENU menu = ui->m_pMenu;
    // Drop the old entries, then insert the current ones where the first stood.
    for (int i = 1; i < m_size; ++i) DeleteMenu(menu, m_nStartID + (UINT)i, MF_BYCOMMAND);
    if (paths.empty()) {
        ModifyMenu(menu, ui->m_nIndex, MF_BYPOSITION | MF_STRING | MF_GRAYED, m_nStartID, "Recent File");
        ui->m_nIndexMax = (UINT)GetMenuItemCount(menu);
        return;
    }
    for (size_t i = 0; i < paths.size(); ++i) {
        std::string text = "&" + std::to_string(i + 1) + " " + paths[i];
        if (i == 0)
            ModifyMenu(menu, ui->m_nIndex, MF_BYPOSITION | MF_STRING, m_nStartID, text.c_str());
        else
            InsertMenu(menu, ui->m_nIndex + (UINT)i, MF_BYPOSITION | MF_STRING, m_nStartID + (UINT)i, text.c_str());
    }
    ui->m_nIndex += (UINT)paths.size() - 1;
    ui->m_nIndexMax = (UINT)GetMenuItemCount(menu);
    ui->m_bEnableChanged = TRUE;
}
