#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sample_records.h"

using qmt_test::MemoryTemplate;
using qmt_test::Record;

namespace {

void PutU32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

std::vector<DWORD> KindsOf(const EntryList* list) {
    std::vector<DWORD> kinds;
    for (; list != nullptr; list = list->next) {
        EXPECT_EQ(list->kind, list->entry->kind);
        kinds.push_back(list->kind);
    }
    return kinds;
}

size_t HandleCount() { return vpr::win::HandleTable::Instance().Count(); }

// Reads the template as a list in file order and checks every entry against its record.
void ExpectListOf(HFILE handle, const std::vector<Record>& records) {
    EntryList* list = nullptr;
    ASSERT_EQ(kmapptGetEntries(handle, 0, 1, &list), TEMPLATE_OK);
    size_t i = 0;
    for (const EntryList* node = list; node != nullptr && i < records.size(); node = node->next, ++i) {
        qmt_test::ExpectEntry(*node->entry, records[i]);
    }
    EXPECT_EQ(KindsOf(list).size(), records.size());
    EXPECT_EQ(kmapptFreeEntries(list), TEMPLATE_OK);
}

TEST(Reader, EntryListsInBothOrdersHoldEveryRecord) {
    const std::vector<Record> records = qmt_test::EveryKind();
    MemoryTemplate t(qmt_test::TemplateOf(records));
    ExpectListOf(t.handle, records);
    EntryList* list = nullptr;

    // The template is read from its start wherever the position stands.
    ASSERT_EQ(_llseek(t.handle, 0, FILE_END), static_cast<LONG>(t.Bytes().size()));
    ASSERT_EQ(kmapptGetEntries(t.handle, 0, 0, &list), TEMPLATE_OK);
    std::vector<DWORD> expected;
    for (auto it = records.rbegin(); it != records.rend(); ++it) expected.push_back(it->kind);
    EXPECT_EQ(KindsOf(list), expected);
    qmt_test::ExpectEntry(*list->entry, records.back());
    kmapptFreeEntries(list);
}

TEST(Reader, KindMaskKeepsRecordsHavingEveryBitOfTheMask) {
    std::vector<Record> records;
    for (DWORD kind = 1; kind <= 20; ++kind) {
        for (const Record& r : qmt_test::EveryKind()) {
            if (r.kind == kind) {
                records.push_back(r);
                break;
            }
        }
    }
    MemoryTemplate t(qmt_test::TemplateOf(records));
    struct Case {
        DWORD mask;
        std::vector<DWORD> kinds;
    } cases[] = {
        {1, {1, 3, 5, 7, 9, 11, 13, 15, 17, 19}},
        {4, {4, 5, 6, 7, 12, 13, 14, 15, 20}},
        {6, {6, 7, 14, 15}},
        {16, {16, 17, 18, 19, 20}},
        {19, {19}},
        {32, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("mask " + std::to_string(c.mask));
        EntryList* list = nullptr;
        ASSERT_EQ(kmapptGetEntries(t.handle, c.mask, 1, &list), TEMPLATE_OK);
        EXPECT_EQ(KindsOf(list), c.kinds);
        kmapptFreeEntries(list);
        ASSERT_EQ(kmapptGetEntries(t.handle, c.mask, 0, &list), TEMPLATE_OK);
        std::vector<DWORD> reversed(c.kinds.rbegin(), c.kinds.rend());
        EXPECT_EQ(KindsOf(list), reversed);
        kmapptFreeEntries(list);
    }
}

TEST(Reader, SignatureOnlyTemplateHasNoRecords) {
    MemoryTemplate t(qmt_test::TemplateOf({}));
    EntryList* list = reinterpret_cast<EntryList*>(&t);
    EXPECT_EQ(kmapptGetEntries(t.handle, 0, 1, &list), TEMPLATE_OK);
    EXPECT_EQ(list, nullptr);
    TemplateEntry* entry = nullptr;
    EXPECT_EQ(kmapptReadEntry(t.handle, &entry), TEMPLATE_ERR_END);

    MemoryTemplate unsigned_(std::vector<uint8_t>{'Q', 'M', 'T'});
    EXPECT_EQ(kmapptGetEntries(unsigned_.handle, 0, 1, &list), TEMPLATE_ERR_WRITE);
    EXPECT_EQ(list, nullptr);
}

// A template many times larger than what the reader takes from the file at
// once, with a record larger still: every record is read whole, one by one or
// as a list, and a damaged or cut record far into the file is met where it
// lies, the file then standing at its start.
TEST(Reader, LongTemplateIsReadWholeAcrossEveryReadOfTheFile) {
    std::vector<Record> records;
    for (int round = 0; round < 40; ++round) {
        for (const Record& r : qmt_test::EveryKind()) records.push_back(r);
        if (round == 20) records.push_back({17, 1, {}, {std::string(20000, 'i')}});
    }
    const std::vector<uint8_t> whole = qmt_test::TemplateOf(records);
    std::vector<size_t> starts;  // of each record, then the end
    for (size_t at = 8; at < whole.size();) {
        starts.push_back(at);
        at += whole[at + 8] | whole[at + 9] << 8 | whole[at + 10] << 16;
    }
    starts.push_back(whole.size());
    ASSERT_EQ(starts.size(), records.size() + 1);
    ASSERT_GT(whole.size(), 64u * 1024);

    {
        MemoryTemplate t(whole);
        ASSERT_EQ(kmapptVerifySignature(t.handle), TEMPLATE_OK);
        for (size_t i = 0; i < records.size(); ++i) {
            TemplateEntry* entry = nullptr;
            ASSERT_EQ(kmapptReadEntry(t.handle, &entry), TEMPLATE_OK) << i;
            qmt_test::ExpectEntry(*entry, records[i]);
            kmapptFreeReadEntry(entry);
            ASSERT_EQ(_llseek(t.handle, 0, FILE_CURRENT), static_cast<LONG>(starts[i + 1])) << i;
        }
        ExpectListOf(t.handle, records);
        EXPECT_EQ(_llseek(t.handle, 0, FILE_CURRENT), static_cast<LONG>(whole.size()));
        EntryList* list = nullptr;

        // A mask reads the same records as a filter of the whole list.
        std::vector<DWORD> kinds;
        for (const Record& r : records) {
            if ((r.kind & 5) == 5) kinds.push_back(r.kind);
        }
        ASSERT_EQ(kmapptGetEntries(t.handle, 5, 1, &list), TEMPLATE_OK);
        EXPECT_EQ(KindsOf(list), kinds);
        kmapptFreeEntries(list);
    }

    // The records that hold the file's 10,000th and 60,000th bytes, and the large one.
    auto recordAt = [&](size_t offset) {
        return static_cast<size_t>(std::upper_bound(starts.begin(), starts.end(), offset) - starts.begin() - 1);
    };
    size_t large = 0;
    while (records[large].fields.empty() || records[large].fields[0].size() != 20000) ++large;
    for (size_t k : {recordAt(10000), recordAt(60000), large}) {
        SCOPED_TRACE("record " + std::to_string(k));
        std::vector<uint8_t> damaged = whole;
        PutU32(damaged, starts[k], 0);
        MemoryTemplate t(damaged);
        EntryList* list = nullptr;
        EXPECT_EQ(kmapptGetEntries(t.handle, 0, 1, &list), TEMPLATE_ERR_KIND);
        EXPECT_EQ(list, nullptr);
        EXPECT_EQ(_llseek(t.handle, 0, FILE_CURRENT), static_cast<LONG>(starts[k]));

        MemoryTemplate cut(std::vector<uint8_t>(whole.begin(), whole.begin() + (starts[k] + starts[k + 1]) / 2));
        EXPECT_EQ(kmapptGetEntries(cut.handle, 0, 1, &list), TEMPLATE_ERR_READ);
        EXPECT_EQ(list, nullptr);
    }
}

// A template cut at any byte ends in -4 at a record boundary and -3 inside a
// record; whatever was allocated for the cut record is freed (the sanitizer
// build checks for leaks), and no handle stays open.
TEST(Reader, TemplateCutAtEveryOffsetGivesEndOrShortRead) {
    const std::vector<Record> records = qmt_test::EveryKind();
    const std::vector<uint8_t> whole = qmt_test::TemplateOf(records);
    std::vector<size_t> boundaries = {8};
    for (size_t at = 8; at < whole.size();) {
        at += whole[at + 8] | whole[at + 9] << 8 | whole[at + 10] << 16;
        boundaries.push_back(at);
    }
    ASSERT_EQ(boundaries.back(), whole.size());
    const size_t handles = HandleCount();

    for (size_t cut = 8; cut < whole.size(); ++cut) {
        SCOPED_TRACE("cut at " + std::to_string(cut));
        size_t complete = std::upper_bound(boundaries.begin(), boundaries.end(), cut) -
                          boundaries.begin() - 1;
        {
            MemoryTemplate t(std::vector<uint8_t>(whole.begin(), whole.begin() + cut));
            ASSERT_EQ(kmapptVerifySignature(t.handle), TEMPLATE_OK);
            LONG result;
            size_t read = 0;
            TemplateEntry* entry = nullptr;
            while ((result = kmapptReadEntry(t.handle, &entry)) == TEMPLATE_OK) {
                qmt_test::ExpectEntry(*entry, records[read++]);
                kmapptFreeReadEntry(entry);
            }
            EXPECT_EQ(entry, nullptr);
            EXPECT_EQ(read, complete);
            // Fewer than 12 bytes left is the end; a longer remnant is a cut record.
            bool shortRemnant = cut - boundaries[complete] < 12;
            EXPECT_EQ(result, shortRemnant ? TEMPLATE_ERR_END : TEMPLATE_ERR_READ);

            EntryList* list = nullptr;
            result = kmapptGetEntries(t.handle, 0, 1, &list);
            EXPECT_EQ(result, shortRemnant ? TEMPLATE_OK : TEMPLATE_ERR_READ);
            EXPECT_EQ(KindsOf(list).size(), result == TEMPLATE_OK ? complete : 0);
            kmapptFreeEntries(list);
        }
        EXPECT_EQ(HandleCount(), handles);
    }
}

TEST(Reader, ReadFaultInsideARecordIsAShortRead) {
    const std::vector<uint8_t> whole = qmt_test::TemplateOf({{3, 1, {0}, {"a", "b", "c", "d"}}});
    for (uint64_t budget = 8 + 12; budget < whole.size(); ++budget) {
        MemoryTemplate t(whole);
        t.file->FailReadsAfter(budget);
        EntryList* list = nullptr;
        EXPECT_EQ(kmapptGetEntries(t.handle, 0, 1, &list), TEMPLATE_ERR_READ) << budget;
        EXPECT_EQ(list, nullptr);
    }
}

TEST(Reader, UnknownKindStopsTheReaderAtTheRecord) {
    for (DWORD kind : {0u, 21u, 0x80000001u}) {
        SCOPED_TRACE("kind " + std::to_string(kind));
        std::vector<uint8_t> bytes =
            qmt_test::TemplateOf({{7, 1, {}, {"Name"}}, {8, 3, {0x80}, {}}, {2, 1, {0}, {"C:\\"}}});
        const size_t second = 8 + 20;
        PutU32(bytes, second, kind);
        MemoryTemplate t(bytes);
        ASSERT_EQ(_llseek(t.handle, static_cast<LONG>(second), FILE_BEGIN),
                  static_cast<LONG>(second));
        TemplateEntry* entry = nullptr;
        EXPECT_EQ(kmapptReadEntry(t.handle, &entry), TEMPLATE_ERR_KIND);
        EXPECT_EQ(entry, nullptr);
        EXPECT_EQ(_llseek(t.handle, 0, FILE_CURRENT), static_cast<LONG>(second));
        EXPECT_EQ(kmapptReadEntry(t.handle, &entry), TEMPLATE_ERR_KIND);
        EXPECT_EQ(_llseek(t.handle, 0, FILE_CURRENT), static_cast<LONG>(second));

        // The whole-template reader stops there too and keeps nothing.
        EntryList* list = nullptr;
        EXPECT_EQ(kmapptGetEntries(t.handle, 0, 1, &list), TEMPLATE_ERR_KIND);
        EXPECT_EQ(list, nullptr);

        SerializedEntry serialized{20, bytes.data() + second};
        EXPECT_EQ(kmapptReadEntryFromBuffer(&serialized, &entry), TEMPLATE_ERR_KIND);
        EXPECT_EQ(entry, nullptr);
    }
}

// A record skipped by the kind mask is stepped over by its length field; one
// shorter than a header cannot be stepped over and is refused.
TEST(Reader, MaskSearchRefusesALengthBelowTwelve) {
    for (DWORD length : {0u, 4u, 11u}) {
        SCOPED_TRACE("length " + std::to_string(length));
        std::vector<uint8_t> bytes =
            qmt_test::TemplateOf({{7, 1, {}, {"Name"}}, {2, 1, {0}, {"C:\\"}}, {7, 2, {}, {"Cap"}}});
        PutU32(bytes, 8 + 20 + 8, length);
        MemoryTemplate t(bytes);
        EntryList* list = reinterpret_cast<EntryList*>(&t);
        EXPECT_EQ(kmapptGetEntries(t.handle, 1, 1, &list), TEMPLATE_ERR_KIND);
        EXPECT_EQ(list, nullptr);
        // Without a mask the length is not consulted.
        ASSERT_EQ(kmapptGetEntries(t.handle, 0, 1, &list), TEMPLATE_OK);
        EXPECT_EQ(KindsOf(list), (std::vector<DWORD>{7, 2, 7}));
        kmapptFreeEntries(list);
    }
    // A length reaching past the end of the file ends the search.
    std::vector<uint8_t> bytes = qmt_test::TemplateOf({{7, 1, {}, {"Name"}}, {2, 1, {0}, {"C:\\"}}});
    PutU32(bytes, 8 + 20 + 8, 0xFFFFFFF0u);
    MemoryTemplate t(bytes);
    EntryList* list = nullptr;
    ASSERT_EQ(kmapptGetEntries(t.handle, 1, 1, &list), TEMPLATE_OK);
    EXPECT_EQ(KindsOf(list), std::vector<DWORD>{7});
    kmapptFreeEntries(list);
}

TEST(Reader, DamagedCountBeyondTheDataIsAShortRead) {
    std::vector<uint8_t> bytes = qmt_test::TemplateOf({{17, 1, {}, {"icon bytes"}}});
    PutU32(bytes, 8 + 12, 0x7FFFFFF0u);
    MemoryTemplate t(bytes);
    ASSERT_EQ(_llseek(t.handle, 8, FILE_BEGIN), 8);
    TemplateEntry* entry = nullptr;
    EXPECT_EQ(kmapptReadEntry(t.handle, &entry), TEMPLATE_ERR_READ);
    EXPECT_EQ(entry, nullptr);
}

// The buffer parser reads no byte past the serialized entry's size.
TEST(Reader, BufferParserStaysInsideTheBuffer) {
    const Record r{19, 1, {1, 2, 3, 4}, {"g", "item", "exe", "", "ico", "dir"}};
    const std::vector<uint8_t> file = qmt_test::TemplateOf({r});
    const std::vector<uint8_t> record(file.begin() + 8, file.end());
    for (size_t size = 0; size < record.size(); ++size) {
        SCOPED_TRACE("size " + std::to_string(size));
        // A copy of exactly `size` bytes, so that the sanitizer sees any over-read.
        std::vector<uint8_t> cut(record.begin(), record.begin() + size);
        SerializedEntry serialized{static_cast<DWORD>(size), size ? cut.data() : nullptr};
        TemplateEntry* entry = reinterpret_cast<TemplateEntry*>(&serialized);
        EXPECT_EQ(kmapptReadEntryFromBuffer(&serialized, &entry), TEMPLATE_ERR_READ);
        EXPECT_EQ(entry, nullptr);
    }
    std::vector<uint8_t> exact = record;
    SerializedEntry serialized{static_cast<DWORD>(exact.size()), exact.data()};
    TemplateEntry* entry = nullptr;
    ASSERT_EQ(kmapptReadEntryFromBuffer(&serialized, &entry), TEMPLATE_OK);
    qmt_test::ExpectEntry(*entry, r);
    kmapptFreeReadEntry(entry);

    // A huge count in a small buffer.
    PutU32(exact, 28, 0xFFFFFFFFu);
    EXPECT_EQ(kmapptReadEntryFromBuffer(&serialized, &entry), TEMPLATE_ERR_READ);
    EXPECT_EQ(entry, nullptr);
}

// An entry keeps its small fields' bytes in its own block; still each entry
// is the caller's to free on its own, a field buffer the caller put into an
// entry is freed with it, an entry taken out of its list outlives the list,
// and a field too large for the block comes and goes whole.
TEST(Reader, EntriesAreFreedOneByOneWhateverTheirFieldsHold) {
    const std::vector<Record> records = {{7, 1, {}, {"Sample Editor"}},
                                         {17, 1, {}, {std::string(5000, 'x')}},
                                         {3, 1, {0x40}, {"WIN.INI", "App", "Window", "max"}}};
    for (int round = 0; round < 2; ++round) {
        MemoryTemplate t(qmt_test::TemplateOf(records));
        EntryList* list = nullptr;
        ASSERT_EQ(kmapptGetEntries(t.handle, 0, 1, &list), TEMPLATE_OK);
        ASSERT_NE(list, nullptr);
        TemplateEntry* first = list->entry;
        auto* own = static_cast<BYTE*>(std::malloc(3));
        std::memcpy(own, "abc", 3);
        first->fields[0] = {3, own};
        EXPECT_EQ(kmapptFreeReadEntry(first), TEMPLATE_OK);
        list->entry = nullptr;
        qmt_test::ExpectEntry(*list->next->entry, records[1]);
        TemplateEntry* kept = list->next->next->entry;
        list->next->next->entry = nullptr;
        EXPECT_EQ(kmapptFreeEntries(list), TEMPLATE_OK);
        qmt_test::ExpectEntry(*kept, records[2]);
        EXPECT_EQ(kmapptFreeReadEntry(kept), TEMPLATE_OK);
    }
}

}  // namespace
