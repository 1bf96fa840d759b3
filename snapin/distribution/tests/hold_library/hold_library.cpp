// A launcher support library for the reader tests: kmapptGetEntries reads as
// the template library does, but an armed call first waits until the test
// releases it; kmapptFreeEntries tells the test that a list was freed. The
// library's other template entry points come from the template library;
// kmapptOpen and kmapptClose are this library's own exports too, so that a
// page imports through it.
#include <dlfcn.h>

#include <cstdlib>
#include <mutex>

#include "hold_library.h"
#include "template/template_library.h"
#include "vpr/win/thread.h"

namespace {

std::mutex g_lock;
bool g_armed = false;  // guarded by g_lock
HANDLE g_released = nullptr;
HANDLE g_held = nullptr;
HANDLE g_freed = nullptr;
DWORD g_lastCaller = 0;  // guarded by g_lock

void MakeEvents() {
    if (!g_released) {
        g_released = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        g_held = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        g_freed = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    }
}

// The template library's own entry point of that name, past this library.
template <class Fn>
Fn TemplateEntryPoint(const char* name) {
    return reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

LONG kmapptOpen(LPCSTR path, HFILE* handle) {
    static auto open = TemplateEntryPoint<decltype(&kmapptOpen)>("kmapptOpen");
    return open(path, handle);
}

LONG kmapptClose(HFILE handle) {
    static auto close = TemplateEntryPoint<decltype(&kmapptClose)>("kmapptClose");
    return close(handle);
}

void HoldArm(void) {
    std::lock_guard<std::mutex> guard(g_lock);
    MakeEvents();
    g_armed = true;
    ResetEvent(g_released);
    ResetEvent(g_held);
    ResetEvent(g_freed);
}

void HoldRelease(void) { SetEvent(g_released); }
void HoldWaitUntilHeld(void) { WaitForSingleObject(g_held, INFINITE); }
void HoldWaitUntilFreed(void) { WaitForSingleObject(g_freed, INFINITE); }

DWORD HoldLastCaller(void) {
    std::lock_guard<std::mutex> guard(g_lock);
    return g_lastCaller;
}

LONG kmapptGetEntries(HFILE handle, DWORD kindMask, DWORD appendAtTail, EntryList** list) {
    bool armed = false;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        MakeEvents();
        g_lastCaller = GetCurrentThreadId();
        armed = g_armed;
        g_armed = false;
    }
    if (armed) {
        SetEvent(g_held);
        WaitForSingleObject(g_released, INFINITE);
    }
    *list = nullptr;
    if (LONG result = kmapptVerifySignature(handle); result != TEMPLATE_OK) return result;
    EntryList* head = nullptr;
    EntryList** tail = &head;
    for (;;) {
        TemplateEntry* entry = nullptr;
        LONG result = kmapptReadEntry(handle, &entry);
        if (result == TEMPLATE_ERR_END) break;
        if (result != TEMPLATE_OK) {
            kmapptFreeEntries(head);
            return result;
        }
        if (kindMask && (entry->kind & kindMask) != kindMask) {
            kmapptFreeReadEntry(entry);
            continue;
        }
        auto* node = static_cast<EntryList*>(std::malloc(sizeof(EntryList)));
        node->kind = entry->kind;
        node->entry = entry;
        node->next = nullptr;
        if (appendAtTail) {
            *tail = node;
            tail = &node->next;
        } else {
            node->next = head;
            if (!head) tail = &node->next;
            head = node;
        }
    }
    *list = head;
    return TEMPLATE_OK;
}

LONG kmapptFreeEntries(EntryList* list) {
    while (list) {
        EntryList* next = list->next;
        kmapptFreeReadEntry(list->entry);
        std::free(list);
        list = next;
    }
    MakeEvents();
    SetEvent(g_freed);
    return TEMPLATE_OK;
}

}  // extern "C"
