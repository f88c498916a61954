#pragma once
// The settings file: what a Windows program keeps under its registry key, one
// file per application key.
//
//   [Section]            section names may hold "\" (sub-keys) and "="
//   n=dword:0000000a     8 lowercase hex digits
//   n=sz:text            only \n \r \t and \\ are escapes
//   n=hex:02,01,ff       lowercase bytes
//
// Sections and values keep their first-write order, one empty line stands
// between sections, lines the store does not understand are kept. Names
// compare without regard to ASCII case, as registry names do. The file is read
// once and rewritten atomically (temporary file, rename; a symlink is followed
// and stays) after every change, or once at the end of a batch of changes;
// a write-protected store (batch runs) changes only its memory.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

// ${VELDRA_CONFIG_HOME:-${XDG_CONFIG_HOME:-~/.config}}/Brenholt/<app>.conf
std::string SettingsFilePath(const std::string& company, const std::string& app);

// Text of an sz: value and back; the writer doubles every backslash the
// reader would otherwise take as the start of an escape.
std::string EscapeSettingText(const std::string& text);
std::string UnescapeSettingText(const std::string& stored);

class CSettingsFile {
public:
    // The one store of a file, created on first use and kept for the process.
    static CSettingsFile& Open(const std::string& path);
    // Batch runs read settings but never write them.
    static void SetWriteProtected(bool on);
    static bool IsWriteProtected();

    explicit CSettingsFile(std::string path);
    const std::string& Path() const { return m_path; }

    bool GetInt(const std::string& section, const std::string& name, uint32_t& value);
    bool GetString(const std::string& section, const std::string& name, std::string& value);
    bool GetBinary(const std::string& section, const std::string& name, std::vector<uint8_t>& value);

    bool WriteInt(const std::string& section, const std::string& name, uint32_t value);
    bool WriteString(const std::string& section, const std::string& name, const std::string& value);
    bool WriteBinary(const std::string& section, const std::string& name, const uint8_t* data, size_t size);

    bool HasSection(const std::string& section);
    // Removes the section and every "section\..." sub-section.
    bool DeleteSection(const std::string& section);
    bool DeleteValue(const std::string& section, const std::string& name);
    // The whole application key: the file is left empty.
    bool DeleteAll();
    // Drops what was read and reads the file again (tests, other writers).
    void Reload();

    // Changes made while a batch is open are written once, when the last
    // batch of the store ends; Commit ends it early and tells whether the
    // file was written (false: errno of the failure in LastWriteError).
    class CBatch {
    public:
        explicit CBatch(CSettingsFile& store);
        ~CBatch();
        bool Commit();
        CBatch(const CBatch&) = delete;
        CBatch& operator=(const CBatch&) = delete;

    private:
        CSettingsFile* m_store;
        bool m_open = true;
    };
    // The errno of the last failed write of the file, 0 after a good one.
    int LastWriteError();

private:
    struct Line {
        std::string name;   // empty for a kept unknown line
        std::string text;   // "type:value", or the whole unknown line
    };
    struct Section {
        std::string name;
        std::vector<Line> lines;
        std::unordered_map<std::string, size_t> index;   // lower-case name -> line
    };

    void LoadLocked();
    bool SaveLocked();
    Section* FindLocked(const std::string& section);
    Line* FindLocked(const std::string& section, const std::string& name);
    bool SetLocked(const std::string& section, const std::string& name, std::string text);
    bool GetTyped(const std::string& section, const std::string& name, const char* type, std::string& raw);
    Section& AddSectionLocked(const std::string& name);
    void ReindexLocked();
    bool EndBatch();

    std::mutex m_lock;
    std::string m_path;
    bool m_loaded = false;
    std::vector<std::string> m_head;   // unknown lines before the first section
    std::vector<Section> m_sections;
    std::unordered_map<std::string, size_t> m_sectionIndex;   // lower-case name -> section
    int m_batchDepth = 0;
    bool m_dirty = false;
    int m_lastWriteError = 0;
};
