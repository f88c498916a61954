#pragma once
// Structure values: ordered fields with interned names.
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "values/value.h"

// Interned names are addresses of strings that live for the whole run; the list
// starts with the empty name and never shrinks. Safe to call from any thread.
const std::string* InternName(const std::string& name);
const std::string* InternName(const char* name);
const std::string* EmptyName();  // the first entry of the name list
size_t NameListCount();

class CStructField;

class CStructAttachment {
public:
    uint32_t m_type = 0;  // low 16 bits: the attachment's type id
    virtual CStructAttachment* Clone(CStructField* owner) const = 0;
    virtual ~CStructAttachment() {}
    // mode 1: a byte stream; mode 16: a text stream.
    virtual int Write(void* stream, int mode) const = 0;
    virtual int Read(void* stream, int mode) = 0;
};

// Attachment registry: type id -> factory. Nothing registers by default.
using AttachmentFactory = CStructAttachment* (*)(CStructField* owner);
void RegisterAttachmentFactory(uint32_t typeId, AttachmentFactory factory);  // null removes
CStructAttachment* CreateAttachment(CStructField* owner, uint32_t typeId);   // null when unknown

class CStructField {
public:
    uint32_t m_flags = 0;  // one byte used; kept for the structure editor
    const std::string* m_name = nullptr;
    CStructAttachment* m_attachment = nullptr;
    CValue m_value;

    CStructField() : m_name(EmptyName()) {}
    // Null name: the empty name; null value: an empty value.
    CStructField(const std::string* name, const CValue* value, uint8_t flags = 0);
    CStructField(const CStructField& src);
    CStructField& operator=(const CStructField&) = delete;
    ~CStructField() { delete m_attachment; }

    const std::string* GetName() const { return m_name; }
    CStructAttachment* SetAttachment(uint32_t typeId);
};

class CStructValue {
public:
    std::vector<CStructField*> m_fields;

    CStructValue() {}
    CStructValue(const CStructValue& src);
    CStructValue& operator=(const CStructValue& src);
    ~CStructValue() { RemoveAll(); }

    size_t Count() const { return m_fields.size(); }
    CStructField* FieldAt(size_t i) const { return m_fields[i]; }
    CStructField* Find(const std::string* name) const;  // first match by interned address
    CStructField* Find(const char* name) const { return Find(InternName(name)); }
    CStructField* Add(const std::string* name);           // appends an empty field
    CValue& FieldValue(const char* name);                 // first field of that name, added when missing
    void RemoveAll();

    // Made but not added: the caller appends them.
    static CStructField* NewField(const std::string* name, const CValue* value, uint8_t flags = 0);
    static CStructField* CloneField(const CStructField* field);
    CStructField* FindField(const std::string* name) const { return Find(name); }
    CStructField* FindFieldByName(const char* name) const;  // by text; does not intern
    void Append(CStructField* field) { m_fields.push_back(field); }

    // Text form (values/value_text.cpp): {name=value, name=value}.
    std::ostream& WriteText(std::ostream& os) const;
    // Fail state on a syntax error; the fields read so far stay.
    std::istream& ReadText(std::istream& is);

    // Equality (with the value operators) is defined beside those.
};

// Field by field in order: equal name texts and equal values.
bool StructEqual(const CStructValue& a, const CStructValue& b);
bool StructNotEqual(const CStructValue& a, const CStructValue& b);
