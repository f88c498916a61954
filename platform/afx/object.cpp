// CObject and the runtime-class registry.
#include "platform/afx/object.h"

#include <cstring>
#include <mutex>
#include <new>
#include <vector>

namespace {
std::mutex& RegistryLock()
{
    static std::mutex m;
    return m;
}
std::vector<const CRuntimeClass*>& Registry()
{
    static std::vector<const CRuntimeClass*> v;
    return v;
}
}  // namespace

const CRuntimeClass CObject::classCObject = {"CObject", (int)sizeof(CObject), nullptr, nullptr};
static AfxClassInit afxInit_CObject(&CObject::classCObject);

AfxClassInit::AfxClassInit(const CRuntimeClass* cls)
{
    std::lock_guard<std::mutex> g(RegistryLock());
    Registry().push_back(cls);
}

CObject* CRuntimeClass::CreateObject() const
{
    if (!m_pfnCreateObject) return nullptr;
    try {
        return m_pfnCreateObject();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const
{
    for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
        if (c == base) return true;
    return false;
}

const CRuntimeClass* CRuntimeClass::FromName(const char* name)
{
    std::lock_guard<std::mutex> g(RegistryLock());
    for (const CRuntimeClass* c : Registry())
        if (std::strcmp(c->m_lpszClassName, name) == 0) return c;
    return nullptr;
}

const CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }

bool CObject::IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }

void CObject::Serialize(CArchive&) {}
