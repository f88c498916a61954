// The settings file store.
#include "platform/afx/settings_file.h"

#include "platform/afx/atomic_file.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::atomic<bool> g_writeProtected{false};

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x += 32;
        if (y >= 'A' && y <= 'Z') y += 32;
        if (x != y) return false;
    }
    return true;
}

std::string Lower(const std::string& a) {
    std::string out = a;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c + 32);
    return out;
}

std::string HomeFolder() {
    const char* home = getenv("HOME");
    if (home && *home) return home;
    if (const passwd* pw = getpwuid(getuid())) return pw->pw_dir;
    return "/tmp";
}

bool MakeFolders(const std::string& path) {
    for (size_t i = 1; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '/') continue;
        std::string part = path.substr(0, i);
        if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
    return true;
}

const char* const kTypes[] = {"dword:", "sz:", "hex:"};

// Splits "name=type:value" at the '=' that starts a known type, so names may hold '='.
bool SplitValueLine(const std::string& line, std::string& name, std::string& text) {
    for (size_t eq = line.find('='); eq != std::string::npos; eq = line.find('=', eq + 1)) {
        for (const char* type : kTypes) {
            if (line.compare(eq + 1, strlen(type), type) == 0) {
                name = line.substr(0, eq);
                text = line.substr(eq + 1);
                return !name.empty();
            }
        }
    }
    return false;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool ParseDword(const std::string& s, uint32_t& value) {
    if (s.empty() || s.size() > 8) return false;
    uint32_t v = 0;
    for (char c : s) {
        int d = HexDigit(c);
        if (d < 0) return false;
        v = v << 4 | uint32_t(d);
    }
    value = v;
    return true;
}

bool ParseHex(const std::string& s, std::vector<uint8_t>& out) {
    out.clear();
    if (s.empty()) return true;
    size_t i = 0;
    while (true) {
        size_t end = s.find(',', i);
        if (end == std::string::npos) end = s.size();
        if (end - i < 1 || end - i > 2) return false;
        int v = 0;
        for (size_t k = i; k < end; ++k) {
            int d = HexDigit(s[k]);
            if (d < 0) return false;
            v = v * 16 + d;
        }
        out.push_back(uint8_t(v));
        if (end == s.size()) return true;
        i = end + 1;
    }
}

}  // namespace

std::string SettingsFilePath(const std::string& company, const std::string& app) {
    std::string base;
    if (const char* v = getenv("VELDRA_CONFIG_HOME"); v && *v) base = v;
    else if (const char* x = getenv("XDG_CONFIG_HOME"); x && *x) base = x;
    else base = HomeFolder() + "/.config";
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    return base + "/" + company + "/" + app + ".conf";
}

std::string EscapeSettingText(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        switch (c) {
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\\': {
            // Doubled only where the reader would see an escape: before n, r, t,
            // another backslash, or a character that is itself written escaped.
            char next = i + 1 < text.size() ? text[i + 1] : '\0';
            bool escapeFollows = next == 'n' || next == 'r' || next == 't' || next == '\\' ||
                                 next == '\n' || next == '\r' || next == '\t';
            out += escapeFollows ? "\\\\" : "\\";
            break;
        }
        default: out += c;
        }
    }
    return out;
}

std::string UnescapeSettingText(const std::string& stored) {
    std::string out;
    out.reserve(stored.size());
    for (size_t i = 0; i < stored.size(); ++i) {
        char c = stored[i];
        if (c == '\\' && i + 1 < stored.size()) {
            char n = stored[i + 1];
            char r = n == 'n' ? '\n' : n == 'r' ? '\r' : n == 't' ? '\t' : n == '\\' ? '\\' : 0;
            if (r) {
                out += r;
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

CSettingsFile& CSettingsFile::Open(const std::string& path) {
    // Stores live for the process: device threads may still read them at exit.
    static std::mutex lock;
    static auto* stores = new std::map<std::string, CSettingsFile*>;
    std::lock_guard<std::mutex> guard(lock);
    CSettingsFile*& store = (*stores)[path];
    if (!store) store = new CSettingsFile(path);
    return *store;
}

void CSettingsFile::SetWriteProtected(bool on) { g_writeProtected = on; }
bool CSettingsFile::IsWriteProtected() { return g_writeProtected; }

CSettingsFile::CSettingsFile(std::string path) : m_path(std::move(path)) {}

void CSettingsFile::LoadLocked() {
    if (m_loaded) return;
    m_loaded = true;
    m_head.clear();
    m_sections.clear();
    m_sectionIndex.clear();
    FILE* f = fopen(m_path.c_str(), "rb");
    if (!f) return;
    std::string content;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) content.append(buf, n);
    fclose(f);

    Section* current = nullptr;
    size_t pos = 0;
    while (pos < content.size()) {
        size_t end = content.find('\n', pos);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;  // separators are written anew
        if (line.front() == '[' && line.back() == ']' && line.size() >= 2) {
            std::string name = line.substr(1, line.size() - 2);
            current = FindLocked(name);
            if (!current) current = &AddSectionLocked(name);
            continue;
        }
        Line entry;
        if (!SplitValueLine(line, entry.name, entry.text)) {
            entry.name.clear();
            entry.text = line;
        }
        if (!current) {
            m_head.push_back(line);
            continue;
        }
        // A repeated name: the last one read wins, in the first one's place.
        if (entry.name.empty()) {
            current->lines.push_back(std::move(entry));
            continue;
        }
        auto [it, added] = current->index.emplace(Lower(entry.name), current->lines.size());
        if (added) current->lines.push_back(std::move(entry));
        else current->lines[it->second].text = std::move(entry.text);
    }
}

CSettingsFile::Section& CSettingsFile::AddSectionLocked(const std::string& name) {
    m_sectionIndex.emplace(Lower(name), m_sections.size());
    m_sections.push_back({name, {}, {}});
    return m_sections.back();
}

void CSettingsFile::ReindexLocked() {
    m_sectionIndex.clear();
    for (size_t i = 0; i < m_sections.size(); ++i) {
        Section& s = m_sections[i];
        m_sectionIndex.emplace(Lower(s.name), i);
        s.index.clear();
        for (size_t k = 0; k < s.lines.size(); ++k)
            if (!s.lines[k].name.empty()) s.index.emplace(Lower(s.lines[k].name), k);
    }
}

bool CSettingsFile::SaveLocked() {
    if (g_writeProtected) return true;
    if (m_batchDepth > 0) {
        m_dirty = true;
        return true;
    }
    m_dirty = false;
    std::string out;
    for (const std::string& l : m_head) out += l + "\n";
    bool first = m_head.empty();
    for (const Section& s : m_sections) {
        if (!first) out += "\n";
        first = false;
        out += "[" + s.name + "]\n";
        for (const Line& l : s.lines) out += l.name.empty() ? l.text + "\n" : l.name + "=" + l.text + "\n";
    }
    size_t slash = m_path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(m_path.substr(0, slash))) {
        m_lastWriteError = errno ? errno : EIO;
        return false;
    }
    // As documents are saved: a linked file is replaced behind its link, and
    // a failed write (a full disk) leaves the old file as it was.
    if (!AfxWriteFileAtomically(m_path, out)) {
        m_lastWriteError = errno ? errno : EIO;
        return false;
    }
    m_lastWriteError = 0;
    return true;
}

CSettingsFile::Section* CSettingsFile::FindLocked(const std::string& section) {
    auto it = m_sectionIndex.find(Lower(section));
    return it == m_sectionIndex.end() ? nullptr : &m_sections[it->second];
}

CSettingsFile::Line* CSettingsFile::FindLocked(const std::string& section, const std::string& name) {
    Section* s = FindLocked(section);
    if (!s) return nullptr;
    auto it = s->index.find(Lower(name));
    return it == s->index.end() ? nullptr : &s->lines[it->second];
}

bool CSettingsFile::SetLocked(const std::string& section, const std::string& name, std::string text) {
    if (section.empty() || name.empty() || name.find('\n') != std::string::npos ||
        section.find('\n') != std::string::npos)
        return false;
    Section* s = FindLocked(section);
    if (!s) s = &AddSectionLocked(section);
    if (Line* l = FindLocked(section, name)) {
        if (l->text == text) return true;
        l->text = std::move(text);
    } else {
        s->index.emplace(Lower(name), s->lines.size());
        s->lines.push_back({name, std::move(text)});
    }
    return SaveLocked();
}

bool CSettingsFile::GetTyped(const std::string& section, const std::string& name, const char* type,
                             std::string& raw) {
    std::lock_guard<std::mutex> guard(m_lock);
    LoadLocked();
    Line* l = FindLocked(section, name);
    if (!l || l->text.compare(0, strlen(type), type) != 0) return false;
    raw = l->text.substr(strlen(type));
    return true;
}

bool CSettingsFile::GetInt(const std::string& section, const std::string& name, uint32_t& value) {
    std::string raw;
    return GetTyped(section, name, "dword:", raw) && ParseDword(raw, value);
}

bool CSettingsFile::GetString(const std::string& section, const std::string& name, std::string& value) {
    std::string raw;
    if (!GetTyped(section, name, "sz:", raw)) return false;
    value = UnescapeSettingText(raw);
    return true;
}

bool CSettingsFile::GetBinary(const std::string& section, const std::string& name, std::vector<uint8_t>& value) {
    std::string raw;
    std::vector<uint8_t> bytes;
    if (!GetTyped(section, name, "hex:", raw) || !ParseHex(raw, bytes)) return false;
    value = std::move(bytes);
    return true;
}

bool CSettingsFile::WriteInt(const std::string& section, const std::string& name, uint32_t value) {
    char buf[32];
    snprintf(buf, sizeof buf, "dword:%08x", value);
    std::lock_guard<std::mutex> guard(m_lock);
    LoadLocked();
    return SetLocked(section, name, buf);
}

bool CSettingsFile::WriteString(const std::string& section, const std::string& name, const std::string& value) {
    std::lock_guard<std::mutex> guard(m_lock);
    LoadLocked();
    return SetLocked(section, name, "sz:" + EscapeSettingText(value));
}

bool CSettingsFile::WriteBinary(const std::string& section, const std::string& name, const uint8_t* data,
                                size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string text = "hex:";
    text.reserve(4 + size * 3);
    for (size_t i = 0; i < size; ++i) {
        if (i) text += ',';
        text += digits[data[i] >> 4];
        text += digits[data[i] & 15];
    }
    std::lock_guard<std::mutex> guard(m_lock);
    LoadLocked();
    return SetLocked(section, name, std::move(text));
}

bool CSettingsFile::HasSection(const std::string& section) {
    std::lock_guard<std::mutex> guard(m_lock);
    LoadLocked();
    return FindLocked(section) != nullptr;
}

bool CSettingsFile::DeleteSection(const std::string& section) {
    std::lock_guard<std::mutex> guard(m_lock);
    LoadLocked();
    std::string prefix = section + "\\";
    size_t before = m_sections.size();
    std::erase_if(m_sections, [&](const Section& s) {
        return SameName(s.name, section) ||
               (s.name.size() > prefix.size() && SameName(s.name.substr(0, prefix.size()), prefix));
    });
    if (m_sections.size() == before) return true;
    ReindexLocked();
    return SaveLocked();
}

bool CSettingsFile::DeleteValue(const std::string& section, const std::string& name) {
    std::lock_guard<std::mutex> guard(m_lock);
    LoadLocked();
    Section* s = FindLocked(section);
    if (!s) return false;
    size_t before = s->lines.size();
    std::erase_if(s->lines, [&](const Line& l) { return !l.name.empty() && SameName(l.name, name); });
    if (s->lines.size() == before) return false;
    ReindexLocked();
    return SaveLocked();
}

bool CSettingsFile::DeleteAll() {
    std::lock_guard<std::mutex> guard(m_lock);
    LoadLocked();
    m_head.clear();
    m_sections.clear();
    m_sectionIndex.clear();
    if (g_writeProtected) return true;
    struct stat st;
    if (stat(m_path.c_str(), &st) != 0) return true;
    return SaveLocked();
}

void CSettingsFile::Reload() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_loaded = false;
    LoadLocked();
}

CSettingsFile::CBatch::CBatch(CSettingsFile& store) : m_store(&store) {
    std::lock_guard<std::mutex> guard(store.m_lock);
    ++store.m_batchDepth;
}

CSettingsFile::CBatch::~CBatch() { Commit(); }

bool CSettingsFile::CBatch::Commit() {
    if (!m_open) return m_store->LastWriteError() == 0;
    m_open = false;
    return m_store->EndBatch();
}

bool CSettingsFile::EndBatch() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_batchDepth > 0) --m_batchDepth;
    if (m_batchDepth > 0 || !m_dirty) return m_lastWriteError == 0;
    return SaveLocked();
}

int CSettingsFile::LastWriteError() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_lastWriteError;
}
