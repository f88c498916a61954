#include "values/struct_value.h"

#include <deque>
#include <mutex>

namespace {
// A deque never moves its elements, so interned addresses stay valid.
std::mutex g_nameLock;
std::deque<std::string>& NameList()
{
    static std::deque<std::string>* list = new std::deque<std::string>(1, std::string());
    return *list;
}
}  // namespace

const std::string* InternName(const std::string& name)
{
    std::lock_guard<std::mutex> g(g_nameLock);
    auto& list = NameList();
    for (const std::string& s : list)
        if (s == name) return &s;
    list.push_back(name);
    return &list.back();
}

const std::string* InternName(const char* name) { return InternName(std::string(name)); }

CStructField::CStructField(const CStructField& src)
    : m_flags(src.m_flags), m_name(src.m_name), m_value(src.m_value)
{
    if (src.m_attachment) m_attachment = src.m_attachment->Clone(this);
}

CStructValue::CStructValue(const CStructValue& src)
{
    m_fields.reserve(src.m_fields.size());
    for (CStructField* f : src.m_fields) m_fields.push_back(new CStructField(*f));
}

CStructValue& CStructValue::operator=(const CStructValue& src)
{
    if (this == &src) return *this;
    CStructValue tmp(src);
    m_fields.swap(tmp.m_fields);
    return *this;
}

void CStructValue::RemoveAll()
{
    for (CStructField* f : m_fields) delete f;
    m_fields.clear();
}

CStructField* CStructValue::Find(const std::string* name) const
{
    for (CStructField* f : m_fields)
        if (f->m_name == name) return f;
    return nullptr;
}

CStructField* CStructValue::Add(const std::string* name)
{
    auto* f = new CStructField();
    f->m_name = name;
    m_fields.push_back(f);
    return f;
}

CValue& CStructValue::FieldValue(const char* name)
{
    const std::string* n = InternName(name);
    CStructField* f = Find(n);
    if (!f) f = Add(n);
    return f->m_value;
}
