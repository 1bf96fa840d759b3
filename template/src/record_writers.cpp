// The record writers and the serializer. A record is assembled in memory and
// written with one call, so each call's effect on the file is complete when it
// returns; a short write leaves what was written in place.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <new>

#include "entry_kinds.h"
#include "record_codec.h"
#include "template/template_library.h"

using vpr::qmt::EntryKind;
using vpr::qmt::FindEntryKind;

namespace {

// One counted field as a writer receives it. A null text, or null data with a
// length, is not a field.
struct FieldArg {
    const void* bytes;
    uint64_t length;
    bool given;
};

FieldArg Text(LPCSTR text) {
    return {text, text != nullptr ? std::strlen(text) : 0, text != nullptr};
}

FieldArg Data(const BYTE* data, DWORD length) {
    return {data, length, data != nullptr || length == 0};
}

// Checks an entry that is to be serialized and gives its kind and size.
LONG CheckEntry(const TemplateEntry& entry, const EntryKind** kind, uint64_t* size) {
    *kind = FindEntryKind(entry.kind);
    if (*kind == nullptr || !(*kind)->Accepts(entry.subtype)) return TEMPLATE_ERR_KIND;
    if (!vpr::qmt::FieldsReadable(**kind, entry)) return ERROR_INVALID_PARAMETER;
    *size = vpr::qmt::RecordSize(**kind, entry);
    if (*size > UINT32_MAX) return ERROR_INVALID_PARAMETER;
    return TEMPLATE_OK;
}

// Appends the entry's file form with one write.
LONG AppendRecord(HFILE handle, const EntryKind& kind, const TemplateEntry& entry,
                  uint64_t size) {
    // Most records are small: they are assembled on the stack.
    uint8_t small[1024];
    std::unique_ptr<uint8_t[]> large;
    uint8_t* buffer = small;
    if (size > sizeof small) {
        large.reset(new (std::nothrow) uint8_t[size]);
        if (!large) return TEMPLATE_ERR_MEMORY;
        buffer = large.get();
    }
    vpr::qmt::EncodeRecord(kind, entry, buffer);
    UINT written = _lwrite(handle, reinterpret_cast<LPCSTR>(buffer), static_cast<UINT>(size));
    return written == size ? TEMPLATE_OK : TEMPLATE_ERR_WRITE;
}

// Builds the record of one writer call, sets its length and appends it.
// Fields beyond what the subtype carries are ignored.
LONG WriteRecord(HFILE handle, DWORD kindNumber, DWORD subtype,
                 std::initializer_list<DWORD> values, std::initializer_list<FieldArg> fields) {
    const EntryKind& kind = *FindEntryKind(kindNumber);
    if (!kind.Accepts(subtype)) return TEMPLATE_ERR_KIND;
    TemplateEntry entry{};
    entry.kind = kindNumber;
    entry.subtype = subtype;
    std::copy(values.begin(), values.end(), entry.values);
    uint32_t present = kind.FieldCount(subtype);
    uint32_t slot = 0;
    for (const FieldArg& field : fields) {
        if (slot == present) break;
        if (!field.given || field.length > UINT32_MAX) return ERROR_INVALID_PARAMETER;
        entry.fields[slot++] = {static_cast<DWORD>(field.length),
                                static_cast<BYTE*>(const_cast<void*>(field.bytes))};
    }
    uint64_t size = vpr::qmt::RecordSize(kind, entry);
    if (size > UINT32_MAX) return ERROR_INVALID_PARAMETER;
    entry.length = static_cast<DWORD>(size);
    return AppendRecord(handle, kind, entry, size);
}

}  // namespace

extern "C" {

LONG kmapptWriteFileEntry(HFILE handle, DWORD subtype, DWORD flags, LPCSTR source,
                          LPCSTR target) {
    return WriteRecord(handle, TEMPLATE_KIND_FILE, subtype, {flags}, {Text(source), Text(target)});
}

LONG kmapptWriteDirEntry(HFILE handle, DWORD subtype, DWORD flags, LPCSTR directory) {
    return WriteRecord(handle, TEMPLATE_KIND_DIR, subtype, {flags}, {Text(directory)});
}

LONG kmapptWriteIdentEntry(HFILE handle, DWORD subtype, DWORD flags, LPCSTR iniFile,
                           LPCSTR section, LPCSTR identifier, LPCSTR value) {
    return WriteRecord(handle, TEMPLATE_KIND_IDENT, subtype, {flags},
                       {Text(iniFile), Text(section), Text(identifier), Text(value)});
}

LONG kmapptWriteSectionEntry(HFILE handle, DWORD subtype, LPCSTR iniFile, LPCSTR section) {
    return WriteRecord(handle, TEMPLATE_KIND_SECTION, subtype, {}, {Text(iniFile), Text(section)});
}

LONG kmapptWriteValueEntry(HFILE handle, DWORD subtype, DWORD flags, LPCSTR key,
                           LPCSTR valueName, DWORD valueType, DWORD dataLength,
                           const BYTE* data) {
    return WriteRecord(handle, TEMPLATE_KIND_VALUE, subtype, {flags, valueType},
                       {Text(key), Text(valueName), Data(data, dataLength)});
}

LONG kmapptWriteKeyEntry(HFILE handle, DWORD subtype, DWORD flags, LPCSTR key) {
    return WriteRecord(handle, TEMPLATE_KIND_KEY, subtype, {flags}, {Text(key)});
}

LONG kmapptWriteBaseString(HFILE handle, DWORD subtype, LPCSTR text) {
    return WriteRecord(handle, TEMPLATE_KIND_BASE_STRING, subtype, {}, {Text(text)});
}

LONG kmapptWriteBaseValue(HFILE handle, DWORD subtype, DWORD value) {
    return WriteRecord(handle, TEMPLATE_KIND_BASE_VALUE, subtype, {value}, {});
}

LONG kmapptWriteBaseValueString(HFILE handle, DWORD subtype, DWORD value, LPCSTR text) {
    return WriteRecord(handle, TEMPLATE_KIND_BASE_VALUE_STRING, subtype, {value}, {Text(text)});
}

LONG kmapptWriteMacroEntry(HFILE handle, DWORD subtype, LPCSTR name, LPCSTR value) {
    return WriteRecord(handle, TEMPLATE_KIND_MACRO, subtype, {}, {Text(name), Text(value)});
}

LONG kmapptWriteTextAddEntry(HFILE handle, DWORD subtype, LPCSTR textFile, LPCSTR text) {
    return WriteRecord(handle, TEMPLATE_KIND_TEXT_ADD, subtype, {}, {Text(textFile), Text(text)});
}

LONG kmapptWriteTextFindEntry(HFILE handle, DWORD subtype, DWORD flags, LPCSTR textFile,
                              LPCSTR find, LPCSTR replacement) {
    return WriteRecord(handle, TEMPLATE_KIND_TEXT_FIND, subtype, {flags},
                       {Text(textFile), Text(find), Text(replacement)});
}

LONG kmapptWriteInvRAMEntry(HFILE handle, DWORD subtype, DWORD value) {
    return WriteRecord(handle, TEMPLATE_KIND_INV_RAM, subtype, {value}, {});
}

LONG kmapptWriteInvDiskEntry(HFILE handle, DWORD subtype, DWORD value, LPCSTR drive) {
    return WriteRecord(handle, TEMPLATE_KIND_INV_DISK, subtype, {value}, {Text(drive)});
}

LONG kmapptWriteInvProcessorEntry(HFILE handle, DWORD subtype, DWORD value) {
    return WriteRecord(handle, TEMPLATE_KIND_INV_PROCESSOR, subtype, {value}, {});
}

LONG kmapptWriteInvOSVersionEntry(HFILE handle, DWORD subtype, DWORD major, DWORD minor) {
    return WriteRecord(handle, TEMPLATE_KIND_INV_OS_VERSION, subtype, {major, minor}, {});
}

LONG kmapptWriteBaseData(HFILE handle, DWORD subtype, const BYTE* data, DWORD dataLength) {
    return WriteRecord(handle, TEMPLATE_KIND_BASE_DATA, subtype, {}, {Data(data, dataLength)});
}

LONG kmapptWritePMGroupEntry(HFILE handle, DWORD subtype, LPCSTR group) {
    return WriteRecord(handle, TEMPLATE_KIND_PM_GROUP, subtype, {}, {Text(group)});
}

LONG kmapptWriteUserIconEntry(HFILE handle, DWORD subtype, LPCSTR text1, LPCSTR text2,
                              LPCSTR text3, LPCSTR text4, LPCSTR text5, LPCSTR text6,
                              DWORD flags, DWORD iconIndex, DWORD showCommand,
                              DWORD separateMemorySpace) {
    return WriteRecord(handle, TEMPLATE_KIND_USER_ICON, subtype,
                       {flags, iconIndex, showCommand, separateMemorySpace},
                       {Text(text1), Text(text2), Text(text3), Text(text4), Text(text5),
                        Text(text6)});
}

LONG kmapptWriteKind20Entry(HFILE handle, DWORD subtype, DWORD value1, DWORD value2) {
    return WriteRecord(handle, TEMPLATE_KIND_KIND20, subtype, {value1, value2}, {});
}

LONG kmapptWriteEntry(const TemplateEntry* entry, SerializedEntry** serialized) {
    *serialized = nullptr;
    const EntryKind* kind;
    uint64_t size;
    if (LONG result = CheckEntry(*entry, &kind, &size); result != TEMPLATE_OK) return result;
    auto* made = static_cast<SerializedEntry*>(std::malloc(sizeof(SerializedEntry)));
    if (made == nullptr) return TEMPLATE_ERR_MEMORY;
    made->data = static_cast<BYTE*>(std::malloc(size));
    if (made->data == nullptr) {
        std::free(made);
        return TEMPLATE_ERR_MEMORY;
    }
    made->size = static_cast<DWORD>(size);
    vpr::qmt::EncodeRecord(*kind, *entry, made->data);
    *serialized = made;
    return TEMPLATE_OK;
}

LONG kmapptWriteEntryToFile(HFILE handle, const TemplateEntry* entry) {
    const EntryKind* kind;
    uint64_t size;
    if (LONG result = CheckEntry(*entry, &kind, &size); result != TEMPLATE_OK) return result;
    return AppendRecord(handle, *kind, *entry, size);
}

LONG kmapptFreeWriteEntry(SerializedEntry* serialized) {
    if (serialized != nullptr) {
        std::free(serialized->data);
        std::free(serialized);
    }
    return TEMPLATE_OK;
}

}  // extern "C"
