// CArchive over a byte buffer.
#include "platform/afx/archive.h"

#include <cstring>

#include "platform/afx/exception.h"

CArchive::CArchive(Mode mode, std::string data, std::string fileName)
    : m_mode(mode), m_data(mode == load ? std::move(data) : std::string()), m_fileName(std::move(fileName))
{
}

void CArchive::Write(const void* data, size_t size) { m_data.append(static_cast<const char*>(data), size); }

size_t CArchive::Read(void* data, size_t size)
{
    size_t n = std::min(size, m_data.size() - m_pos);
    std::memcpy(data, m_data.data() + m_pos, n);
    m_pos += n;
    return n;
}

bool CArchive::ReadString(std::string& line)
{
    if (m_pos >= m_data.size()) return false;
    size_t end = m_data.find('\n', m_pos);
    if (end == std::string::npos) end = m_data.size();
    line = m_data.substr(m_pos, end - m_pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    m_pos = end < m_data.size() ? end + 1 : end;
    return true;
}

std::string CArchive::ReadAll()
{
    std::string rest = m_data.substr(m_pos);
    m_pos = m_data.size();
    return rest;
}

CArchive& CArchive::Put(const void* p, size_t n)
{
    Write(p, n);
    return *this;
}

CArchive& CArchive::Get(void* p, size_t n)
{
    if (Read(p, n) != n) AfxThrowArchiveException(CArchiveException::endOfFile, m_fileName);
    return *this;
}

CArchive& CArchive::operator<<(const std::string& s)
{
    *this << (uint32_t)s.size();
    Write(s.data(), s.size());
    return *this;
}

CArchive& CArchive::operator>>(std::string& s)
{
    uint32_t n = 0;
    *this >> n;
    if (n > m_data.size() - m_pos) AfxThrowArchiveException(CArchiveException::endOfFile, m_fileName);
    s.assign(m_data.data() + m_pos, n);
    m_pos += n;
    return *this;
}
