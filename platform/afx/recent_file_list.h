#pragma once
// The recent-file list: absolute paths, newest first, compared byte for byte;
// kept in the settings file as "[Recent File List]" File1, File2, ... Behind a
// mutex, since device threads share their library's list; a write-protected
// store (batch runs) never writes it.
#include <mutex>
#include <string>
#include <vector>

#include "platform/types.h"

class CSettingsFile;
class CCmdUI;

class CRecentFileList {
public:
    CRecentFileList(UINT startId, std::string section, std::string entryFormat, int size);

    int GetSize() const { return m_size; }
    // Adds (or moves) a path to the front; relative paths are made absolute.
    void Add(const std::string& path);
    void Remove(int index);
    std::string Get(int index) const;
    std::vector<std::string> Paths() const;

    void ReadList(CSettingsFile& store);
    void WriteList(CSettingsFile& store) const;
    // Fills the menu at the item the CCmdUI stands for with "&1 path" items.
    void UpdateMenu(CCmdUI* ui) const;
    UINT m_nStartID;

private:
    mutable std::mutex m_lock;
    std::string m_section;
    std::string m_entryFormat;
    int m_size;
    std::vector<std::string> m_paths;
};
