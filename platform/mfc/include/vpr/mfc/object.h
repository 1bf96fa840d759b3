// The root of the class library: CObject and its run-time class records.
//
// A class that declares DECLARE_DYNAMIC (or DECLARE_DYNCREATE) gets one
// CRuntimeClass record, named after the class, that links to its base
// class's record; IsKindOf walks that chain. The records are made on first
// use, so their order of construction across modules never matters.
#pragma once

#include "windows.h"

class CObject;
class CArchive;
class CDumpContext;

struct CRuntimeClass {
    LPCSTR m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;                          // 0xFFFF: not serialisable
    CObject* (*m_pfnCreateObject)();         // null unless DYNCREATE
    CRuntimeClass* (*m_pfnGetBaseClass)();  // null for CObject

    CObject* CreateObject() const;
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
};

// The virtual operations in slot order: run-time class, destructor,
// serialisation, validity check, dump.
class CObject {
public:
    virtual CRuntimeClass* GetRuntimeClass() const;
    virtual ~CObject() = default;
    virtual void Serialize(CArchive& ar);
    virtual void AssertValid() const;
    virtual void Dump(CDumpContext& dc) const;

    BOOL IsKindOf(const CRuntimeClass* pClass) const;
    BOOL IsSerializable() const;
    static CRuntimeClass* GetThisClass();

protected:
    CObject() = default;

public:
    CObject(const CObject&) = delete;
    CObject& operator=(const CObject&) = delete;
};

#define RUNTIME_CLASS(class_name) (class_name::GetThisClass())

#define DECLARE_DYNAMIC(class_name) \
public:                             \
    static CRuntimeClass* GetThisClass(); \
    CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
    DECLARE_DYNAMIC(class_name)       \
    static CObject* CreateObject();

#define VPR_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, create)                              \
    CRuntimeClass* class_name::GetThisClass() {                                                       \
        static CRuntimeClass record{#class_name, static_cast<int>(sizeof(class_name)), 0xFFFF, create, \
                                    &base_class_name::GetThisClass};                                  \
        return &record;                                                                               \
    }                                                                                                 \
    CRuntimeClass* class_name::GetRuntimeClass() const { return class_name::GetThisClass(); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    VPR_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)              \
    CObject* class_name::CreateObject() { return new class_name; } \
    VPR_IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, &class_name::CreateObject)
