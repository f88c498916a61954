#pragma once
// CArchive: the byte stream a document serializes to and from. Storing
// collects bytes in memory (the document then writes the file atomically);
// loading reads from the file's bytes. A short read throws
// CArchiveException(endOfFile).
#include <cstdint>
#include <string>

class CDocument;

class CArchive {
public:
    enum Mode { store = 0, load = 1 };
    // Loading reads `data`; storing starts empty.
    CArchive(Mode mode, std::string data = {}, std::string fileName = {});

    bool IsLoading() const { return m_mode == load; }
    bool IsStoring() const { return m_mode == store; }

    void Write(const void* data, size_t size);
    // Reads up to size bytes; returns how many came.
    size_t Read(void* data, size_t size);
    void WriteString(const std::string& text) { Write(text.data(), text.size()); }
    // One line without its line break; false at the end.
    bool ReadString(std::string& line);
    // The rest of the stream.
    std::string ReadAll();

    CArchive& operator<<(int32_t v) { return Put(&v, sizeof v); }
    CArchive& operator<<(uint32_t v) { return Put(&v, sizeof v); }
    CArchive& operator<<(double v) { return Put(&v, sizeof v); }
    CArchive& operator<<(const std::string& s);
    CArchive& operator>>(int32_t& v) { return Get(&v, sizeof v); }
    CArchive& operator>>(uint32_t& v) { return Get(&v, sizeof v); }
    CArchive& operator>>(double& v) { return Get(&v, sizeof v); }
    CArchive& operator>>(std::string& s);

    const std::string& Data() const { return m_data; }
    CDocument* m_pDocument = nullptr;

private:
    CArchive& Put(const void* p, size_t n);
    CArchive& Get(void* p, size_t n);

    Mode m_mode;
    std::string m_data;
    size_t m_pos = 0;
    std::string m_fileName;
};
