#pragma once
// Structure values: ordered fields with interned names.
#include <string>
#include <vector>

#include "values/value.h"

// Interned names are addresses of strings that live for the whole run.
const std::string* InternName(const std::string& name);
const std::string* InternName(const char* name);

class CStructField;

class CStructAttachment {
public:
    uint32_t m_type = 0;  // low 16 bits: the attachment's type id
    virtual CStructAttachment* Clone(CStructField* owner) const = 0;
    virtual ~CStructAttachment() {}
    virtual int Write(void* stream, int mode) const = 0;
    virtual int Read(void* stream, int mode) = 0;
};

class CStructField {
public:
    uint32_t m_flags = 0;
    const std::string* m_name = nullptr;
    CStructAttachment* m_attachment = nullptr;
    CValue m_value;

    CStructField() {}
    CStructField(const CStructField& src);
    CStructField& operator=(const CStructField&) = delete;
    ~CStructField() { delete m_attachment; }
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
};
