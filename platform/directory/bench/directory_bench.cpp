// The directory against raw SQLite on the same tree file: the same schema,
// prepared statements, one read transaction per request as the client makes.
//  - reading one attribute of an application through the client calls (the
//    logged-in user's rights checked) against finding the object by its name
//    components and selecting the values;
//  - the effective rights of a user on an application in a tree of 1,000
//    objects and in one of 50,000, the small tree being the baseline: rights
//    must not cost more as the tree grows.
// Run by hand from a release tree (scripts/bench.sh).
#include <sqlite3.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "vpr/directory/client.h"
#include "vpr/directory/names.h"
#include "vpr/testing/bench.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/testing/temp_tree.h"

using vpr::testing::BenchWork;
using vpr::testing::CompareBench;
namespace directory = vpr::directory;

namespace {

constexpr int kReads = 2000;

// A tree of `objects` objects: units of 100 users under acme, each unit with
// a group and grants on it, and the application jdoe reads in sales.acme.
void Seed(vpr::testing::TempTree& tree, int objects) {
    tree.Org("acme").Unit("sales.acme").User("admin.acme").User("jdoe.sales.acme", "John Doe");
    tree.Group("staff.acme", {"jdoe.sales.acme"}).Object("Word.sales.acme", "Application (Windows 95)");
    tree.Set("Word.sales.acme", "App Path", {"C:\\WORD\\WORD.EXE"});
    tree.Grant("Word.sales.acme", "staff.acme", "[All Attributes Rights]", DIR_ATTR_READ);
    tree.Grant("sales.acme", "[Public]", "[Entry Rights]", DIR_ENTRY_BROWSE);
    for (int made = 6, unit = 0; made < objects; ++unit) {
        std::string name = "u" + std::to_string(unit) + ".acme";
        tree.Unit(name).Group("g." + name);
        tree.Grant(name, "g." + name, "[All Attributes Rights]", DIR_ATTR_READ);
        made += 2;
        for (int user = 0; user < 100 && made < objects; ++user, ++made) {
            std::string userName = "x" + std::to_string(user) + "." + name;
            tree.User(userName);
            tree.Grant(userName, userName, "Description", DIR_ATTR_WRITE);
        }
    }
}

class RawTree {
public:
    explicit RawTree(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
            throw std::runtime_error("raw open: " + std::string(sqlite3_errmsg(db_)));
        child_ = Prepare("SELECT id FROM objects WHERE parent = ? AND folded = ?");
        values_ = Prepare("SELECT syntax, data FROM object_values WHERE object = ? AND attribute = ? ORDER BY id");
    }
    ~RawTree() {
        sqlite3_finalize(child_);
        sqlite3_finalize(values_);
        sqlite3_close(db_);
    }
    // One value of an object's attribute, in one read transaction.
    std::string Read(const directory::NameParts& name, const char* attribute) {
        sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr);
        int64_t id = 1;
        for (auto part = name.rbegin(); part != name.rend(); ++part) {
            sqlite3_bind_int64(child_, 1, id);
            std::string folded = directory::FoldCase(*part);
            sqlite3_bind_text(child_, 2, folded.c_str(), -1, SQLITE_TRANSIENT);
            id = sqlite3_step(child_) == SQLITE_ROW ? sqlite3_column_int64(child_, 0) : 0;
            sqlite3_reset(child_);
        }
        sqlite3_bind_int64(values_, 1, id);
        sqlite3_bind_text(values_, 2, attribute, -1, SQLITE_STATIC);
        std::string value;
        if (sqlite3_step(values_) == SQLITE_ROW)
            value.assign(static_cast<const char*>(sqlite3_column_blob(values_, 1)), sqlite3_column_bytes(values_, 1));
        sqlite3_reset(values_);
        sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
        return value;
    }

private:
    sqlite3_stmt* Prepare(const char* sql) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) != SQLITE_OK)
            throw std::runtime_error("raw prepare: " + std::string(sqlite3_errmsg(db_)));
        return s;
    }
    sqlite3* db_ = nullptr;
    sqlite3_stmt* child_ = nullptr;
    sqlite3_stmt* values_ = nullptr;
};

// One attribute read through the client calls, as the pages read.
std::string ClientRead(DIR_CONTEXT ctx, DirBuffer* request, DirBuffer* reply, const char* object,
                       const char* attribute) {
    DirInitRequest(ctx, DIR_OP_READ, request);
    DirPutAttributeName(ctx, request, attribute);
    int32_t iteration = DIR_NO_MORE_ITERATIONS;
    char name[DIR_MAX_SCHEMA_NAME], value[256] = {};
    uint32_t count = 0, syntax = 0;
    if (DirSearch(ctx, object, 1, 0, request, &iteration, reply) != DIR_SUCCESS ||
        DirGetNextResultAttribute(ctx, reply, name, &count, &syntax) != DIR_SUCCESS ||
        DirGetResultValue(ctx, reply, static_cast<int>(syntax), value) != DIR_SUCCESS)
        throw std::runtime_error("client read failed");
    return value;
}

// kReads rights answers in `tree`, which must answer them.
vpr::testing::BenchWork Rights(vpr::testing::TempTree& tree) {
    return {kReads, [&tree] {
                uint32_t rights = 0;
                size_t answered = 0;
                for (int i = 0; i < kReads; ++i)
                    answered += tree.store().EffectiveRights({"jdoe", "sales", "acme"}, false,
                                                             {"Word", "sales", "acme"}, "App Path",
                                                             &rights) == DIR_SUCCESS;
                if (answered == 0 || rights == 0) throw std::runtime_error("rights not answered");
            }};
}

}  // namespace

int main() {
    vpr::testing::PrintBenchHeader("directory_bench");
    vpr::testing::TempMachine machine;
    vpr::testing::TempTree small("SMALL");
    Seed(small, 1000);
    small.LogIn("jdoe.sales.acme");

    DIR_CONTEXT ctx = DirCreateContext();
    DirBuffer *request = nullptr, *reply = nullptr;
    DirAllocBuffer(0x1000, &request);
    DirAllocBuffer(0x4000, &reply);
    RawTree raw(small.path());
    const directory::NameParts word = {"Word", "sales", "acme"};
    if (ClientRead(ctx, request, reply, "Word.sales.acme", "App Path") != raw.Read(word, "App Path"))
        throw std::runtime_error("the client and the raw read disagree");
    CompareBench("read one attribute (rights checked)",
                 {kReads, [&] {
                      for (int i = 0; i < kReads; ++i) ClientRead(ctx, request, reply, "Word.sales.acme", "App Path");
                  }},
                 {kReads, [&] {
                      for (int i = 0; i < kReads; ++i) raw.Read(word, "App Path");
                  }},
                 ">= 0.5");
    DirFreeBuffer(request);
    DirFreeBuffer(reply);
    DirFreeContext(ctx);

    vpr::testing::TempTree large("LARGE");
    Seed(large, 50000);
    // Rounds of both trees alternate, as ours and a baseline do.
    CompareBench("rights, 50,000 against 1,000 objects", Rights(large), Rights(small), ">= 0.8");
    return 0;
}
