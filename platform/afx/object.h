#pragma once
// CObject and runtime classes: class names, base chains and dynamic creation.
#include <cstddef>

class CObject;
class CArchive;

struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    CObject* (*m_pfnCreateObject)();
    const CRuntimeClass* m_pBaseClass;

    // Null for a class without DECLARE_DYNCREATE (or when memory runs out).
    CObject* CreateObject() const;
    bool IsDerivedFrom(const CRuntimeClass* base) const;
    // A class that was implemented with one of the IMPLEMENT_ macros.
    static const CRuntimeClass* FromName(const char* name);
};

// Adds a class to the by-name registry during static initialisation.
struct AfxClassInit {
    explicit AfxClassInit(const CRuntimeClass* cls);
};

class CObject {
public:
    static const CRuntimeClass classCObject;
    static const CRuntimeClass* StaticRuntimeClass() { return &classCObject; }
    virtual const CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;
    bool IsKindOf(const CRuntimeClass* cls) const;
    virtual void Serialize(CArchive& ar);

protected:
    CObject() = default;
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};

#define RUNTIME_CLASS(c) (&c::class##c)

#define DECLARE_DYNAMIC(c)                          \
public:                                             \
    static const CRuntimeClass class##c;            \
    static const CRuntimeClass* StaticRuntimeClass() { return &class##c; } \
    const CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(c) \
    DECLARE_DYNAMIC(c)       \
    static CObject* CreateObject();

#define DECLARE_SERIAL(c) DECLARE_DYNCREATE(c)

#define AFX_IMPLEMENT_RUNTIMECLASS(c, base, pfn)                                    \
    const CRuntimeClass c::class##c = {#c, (int)sizeof(c), pfn, RUNTIME_CLASS(base)}; \
    const CRuntimeClass* c::GetRuntimeClass() const { return RUNTIME_CLASS(c); }      \
    static AfxClassInit afxInit_##c(RUNTIME_CLASS(c));

#define IMPLEMENT_DYNAMIC(c, base) AFX_IMPLEMENT_RUNTIMECLASS(c, base, nullptr)
#define IMPLEMENT_DYNCREATE(c, base)                  \
    CObject* c::CreateObject() { return new c; }      \
    AFX_IMPLEMENT_RUNTIMECLASS(c, base, c::CreateObject)
#define IMPLEMENT_SERIAL(c, base, schema) IMPLEMENT_DYNCREATE(c, base)

// The object as the class, or null (DYNAMIC_DOWNCAST).
template <class T>
T* DynamicDowncast(CObject* o)
{
    return o && o->IsKindOf(T::StaticRuntimeClass()) ? static_cast<T*>(o) : nullptr;
}
#define DYNAMIC_DOWNCAST(c, p) DynamicDowncast<c>(p)
#define STATIC_DOWNCAST(c, p) static_cast<c*>(p)
