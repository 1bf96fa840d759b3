// The module's nine object classes: CApplication serves the application
// objects, four classes the application objects of the earlier schema (one
// information page each, nothing saved), and CUser, CGroup, COU and
// COrganization add the module's pages to the host's own classes. Each
// takes its page table at construction and exports one callback, which finds
// the class's object in its field of the interface object.
#pragma once

#include "snapin/core/module_object_type.h"

#define DECLARE_SNAPIN_CLASS_CALLBACK()                                      \
    SnapinCallBackFn GetCallBack() override { return CallBack; }           \
    static LONG CALLBACK CallBack(char* data, WORD code, ULONG_PTR p3, ULONG_PTR p4);

class CApplication : public CModuleObjectType {
public:
    explicit CApplication(const PageSlotTable& pages);
    // Runs the creation wizard in the container `data`: 3 when the
    // administrator wants another object, 2 when the new object's details
    // should open, else 0 (also after Cancel, with the buffer untouched).
    LONG CreateObject(char* data, ULONG_PTR nameBuffer) override;
    DECLARE_SNAPIN_CLASS_CALLBACK()
};

class CApplicationDOS : public CModuleObjectType {
public:
    explicit CApplicationDOS(const PageSlotTable& pages);
    DECLARE_SNAPIN_CLASS_CALLBACK()
};

class CApplication3x : public CModuleObjectType {
public:
    explicit CApplication3x(const PageSlotTable& pages);
    DECLARE_SNAPIN_CLASS_CALLBACK()
};

class CApplication95 : public CModuleObjectType {
public:
    explicit CApplication95(const PageSlotTable& pages);
    DECLARE_SNAPIN_CLASS_CALLBACK()
};

class CApplicationNT : public CModuleObjectType {
public:
    explicit CApplicationNT(const PageSlotTable& pages);
    DECLARE_SNAPIN_CLASS_CALLBACK()
};

class CUser : public CModuleObjectType {
public:
    explicit CUser(const PageSlotTable& pages);
    DECLARE_SNAPIN_CLASS_CALLBACK()
};

class CGroup : public CModuleObjectType {
public:
    explicit CGroup(const PageSlotTable& pages);
    DECLARE_SNAPIN_CLASS_CALLBACK()
};

class COU : public CModuleObjectType {
public:
    explicit COU(const PageSlotTable& pages);
    DECLARE_SNAPIN_CLASS_CALLBACK()
};

class COrganization : public CModuleObjectType {
public:
    explicit COrganization(const PageSlotTable& pages);
    DECLARE_SNAPIN_CLASS_CALLBACK()
};
