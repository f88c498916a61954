#include "values/struct_value.h"

#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <new>

#include "values/value_matrix.h"

namespace {
// Names are interned from the program thread, device threads and the GUI thread.
// A deque never moves its elements, so interned addresses stay valid.
std::mutex g_nameLock;
std::deque<std::string>& NameList()
{
    static std::deque<std::string>* list = new std::deque<std::string>(1, std::string());
    return *list;
}

std::mutex g_attachLock;
std::map<uint32_t, AttachmentFactory>& Registry()
{
    static std::map<uint32_t, AttachmentFactory>* reg = new std::map<uint32_t, AttachmentFactory>();
    return *reg;
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

const std::string* InternName(const char* name) { return InternName(std::string(name ? name : "")); }

const std::string* EmptyName()
{
    std::lock_guard<std::mutex> g(g_nameLock);
    return &NameList().front();
}

size_t NameListCount()
{
    std::lock_guard<std::mutex> g(g_nameLock);
    return NameList().size();
}

void RegisterAttachmentFactory(uint32_t typeId, AttachmentFactory factory)
{
    std::lock_guard<std::mutex> g(g_attachLock);
    if (factory)
        Registry()[typeId] = factory;
    else
        Registry().erase(typeId);
}

CStructAttachment* CreateAttachment(CStructField* owner, uint32_t typeId)
{
    AttachmentFactory f = nullptr;
    {
        std::lock_guard<std::mutex> g(g_attachLock);
        auto it = Registry().find(typeId);
        if (it != Registry().end()) f = it->second;
    }
    return f ? f(owner) : nullptr;
}

// ---- fields --------------------------------------------------------------

CStructField::CStructField(const std::string* name, const CValue* value, uint8_t flags)
    : m_flags(flags), m_name(name ? name : EmptyName())
{
    if (value) m_value = *value;
}

CStructField::CStructField(const CStructField& src)
    : m_flags(src.m_flags), m_name(src.m_name), m_value(src.m_value)
{
    // No exception may end this field: its value may wait in a copy's pending list.
    if (src.m_attachment) {
        try {
            m_attachment = src.m_attachment->Clone(this);
        } catch (const std::bad_alloc&) {
            NoteOutOfMemory();
        }
    }
}

CStructAttachment* CStructField::SetAttachment(uint32_t typeId)
{
    CStructAttachment* a = CreateAttachment(this, typeId);
    if (a != m_attachment) {
        delete m_attachment;
        m_attachment = a;
    }
    return m_attachment;
}

// ---- structures ----------------------------------------------------------

CStructValue::CStructValue(const CStructValue& src)
{
    // A refused allocation keeps the fields made so far (a copy in progress
    // may be about to fill their values) and fails the statement through the note.
    try {
        m_fields.reserve(src.m_fields.size());
        for (CStructField* f : src.m_fields) m_fields.push_back(new CStructField(*f));
    } catch (const std::bad_alloc&) {
        NoteOutOfMemory();
    }
}

CStructValue& CStructValue::operator=(const CStructValue& src)
{
    if (this == &src) return *this;
    CStructValue tmp(src);  // src may be a field value of this structure
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

CStructField* CStructValue::FindFieldByName(const char* name) const
{
    if (!name) name = "";
    for (CStructField* f : m_fields)
        if (f->m_name && *f->m_name == name) return f;
    return nullptr;
}

CStructField* CStructValue::Add(const std::string* name)
{
    auto* f = new CStructField(name, nullptr, 0);
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

CStructField* CStructValue::NewField(const std::string* name, const CValue* value, uint8_t flags)
{
    return new CStructField(name, value, flags);
}

CStructField* CStructValue::CloneField(const CStructField* field)
{
    return field ? new CStructField(*field) : nullptr;
}
