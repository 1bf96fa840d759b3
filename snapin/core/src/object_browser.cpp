#include "snapin/core/object_browser.h"

#include <cstring>

CObjectBrowser::CObjectBrowser(LPCSTR startContext, LPCSTR secondContext) {
    ReplaceText(m_startContext, startContext);
    ReplaceText(m_secondContext, secondContext);
}

CObjectBrowser::~CObjectBrowser() {
    ReplaceText(m_startContext, nullptr);
    ReplaceText(m_secondContext, nullptr);
}

void CObjectBrowser::ReplaceText(char*& text, LPCSTR value) {
    delete[] text;
    text = nullptr;
    if (!value) return;
    text = new char[std::strlen(value) + 1];
    std::strcpy(text, value);
}

// The start buffer of a browse: the argument, else the kept context, else
// "[Root]". A text too long for the buffer names no context the host could
// open, so the browse starts at the root rather than at a cut name.
void CObjectBrowser::FillBuffer(char* buffer, LPCSTR argument, LPCSTR kept) {
    LPCSTR text = argument ? argument : kept ? kept : kBrowseRootContext;
    if (std::strlen(text) >= SNAPIN_BROWSE_BUFFER_SIZE) text = kBrowseRootContext;
    std::memset(buffer, 0, SNAPIN_BROWSE_BUFFER_SIZE);
    std::strcpy(buffer, text);
}

BOOL CObjectBrowser::AddClassFilter(LPCSTR className) {
    if (!className || std::strlen(className) >= SNAPIN_CLASS_NAME_SIZE) return FALSE;
    char entry[SNAPIN_CLASS_NAME_SIZE] = {};
    std::strcpy(entry, className);
    return m_classFilters.Add(entry) != 0;
}

void CObjectBrowser::Browse(HWND owner, LPCSTR start) {
    char buffer[SNAPIN_BROWSE_BUFFER_SIZE];
    FillBuffer(buffer, start, m_startContext);
    HostBrowseObjects(owner, this, buffer, nullptr, nullptr, nullptr, m_flags, BrowseCallback);
    buffer[SNAPIN_BROWSE_BUFFER_SIZE - 1] = 0;
    ReplaceText(m_startContext, buffer);
}

void CObjectBrowser::BrowseEx(HWND owner, LPCSTR start, LPCSTR second) {
    char buffer[SNAPIN_BROWSE_BUFFER_SIZE];
    char secondBuffer[SNAPIN_BROWSE_BUFFER_SIZE];
    FillBuffer(buffer, start, m_startContext);
    FillBuffer(secondBuffer, second, m_secondContext);
    HostBrowseObjectsEx(owner, this, buffer, secondBuffer, nullptr, nullptr, nullptr, m_flags, BrowseCallback);
    buffer[SNAPIN_BROWSE_BUFFER_SIZE - 1] = 0;
    secondBuffer[SNAPIN_BROWSE_BUFFER_SIZE - 1] = 0;
    ReplaceText(m_startContext, buffer);
    ReplaceText(m_secondContext, secondBuffer);
}

LPCSTR CObjectBrowser::GetSelectedName(DWORD index) const {
    const auto* record = static_cast<const char*>(m_chosen.GetAt(index));
    return record ? record + SNAPIN_RECORD_NAME : nullptr;
}

LONG CALLBACK CObjectBrowser::BrowseCallback(void* browser, UINT code, ULONG_PTR a, ULONG_PTR b) {
    auto* self = static_cast<CObjectBrowser*>(browser);
    if (!self) return 0;
    switch (LOWORD(code)) {
    case BROWSE_HOST_VALUE:
        self->m_hostValue = a;
        break;
    case BROWSE_OBJECT_CHOSEN:
        if (b) {
            // The name is read as a text later: it gets its terminator even
            // when the host filled the record to its end.
            SnapinObjectRecord record;
            std::memcpy(record.bytes, reinterpret_cast<const void*>(b), SNAPIN_RECORD_SIZE);
            record.bytes[SNAPIN_RECORD_SIZE - 1] = 0;
            self->m_chosen.Add(record.bytes);
        }
        break;
    case BROWSE_FILTER_COUNT:
        if (a) *reinterpret_cast<DWORD*>(a) = self->m_classFilters.GetCount();
        break;
    case BROWSE_FILTER:
        if (b) {
            // A number past the filters gets an empty name, not stray bytes.
            const void* entry =
                a < self->m_classFilters.GetCount() ? self->m_classFilters.GetAt(static_cast<DWORD>(a)) : nullptr;
            if (entry)
                std::memcpy(reinterpret_cast<void*>(b), entry, SNAPIN_CLASS_NAME_SIZE);
            else
                *reinterpret_cast<char*>(b) = 0;
        }
        break;
    }
    return 0;
}
