// A directory tree for tests: a store in a temporary folder with the base
// schema, seeded in a few chained lines and attached to the machine. Every step that fails marks the running test as failed.
//
//   vpr::testing::TempTree tree;
//   tree.Org("acme").Unit("sales.acme").User("jdoe.sales.acme", "John Doe")
//       .Group("staff.acme", {"jdoe.sales.acme"})
//       .Grant("acme", "staff.acme", "[All Attributes Rights]", DIR_ATTR_READ)
//       .LogIn("jdoe.sales.acme");
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "vpr/directory/store.h"
#include "vpr/directory/tree_admin.h"

namespace vpr::testing {

class TempTree {
public:
    // The tree's administrator holds every right in it; most fixtures log in
    // as "admin.acme" to administer their tree, other users get what is
    // granted to them.
    static constexpr const char* kAdministrator = "admin.acme";
    explicit TempTree(std::string treeName = "TEST_TREE", std::string administrator = kAdministrator);
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& name() const { return name_; }
    const std::string& path() const { return path_; }
    directory::Store& store() { return *store_; }

    TempTree& Org(const std::string& name);
    TempTree& Unit(const std::string& name);
    TempTree& User(const std::string& name, const std::string& fullName = "");
    TempTree& Group(const std::string& name, const std::vector<std::string>& members = {});
    TempTree& Object(const std::string& name, const std::string& className,
                     const directory::TextValues& values = {});
    TempTree& Set(const std::string& object, const std::string& attribute,
                  const std::vector<std::string>& values);
    TempTree& Stream(const std::string& object, const std::string& attribute,
                     const std::string& content);
    TempTree& Grant(const std::string& object, const std::string& trustee,
                    const std::string& attribute, uint32_t rights);
    TempTree& Attribute(const std::string& name, uint32_t syntax, bool singleValued);
    TempTree& Class(const directory::ClassDef& cls);
    TempTree& Optional(const std::string& className, const std::string& attribute);

    // The first value of a text attribute of an object as it is stored now
    // ("" when it has none).
    std::string Text(const std::string& object, const std::string& attribute);

    // Attaches this tree, with `user` logged in, to the current machine (in
    // place of an attachment of the same name), so that child processes see
    // it too; without a machine, as the process's only tree.
    TempTree& LogIn(const std::string& user, bool authenticated = true);
    // Attaches it with nobody logged in.
    TempTree& Attach();

private:
    TempTree& Check(int status, const std::string& what);

    std::string name_;
    std::string folder_;
    std::string path_;
    std::shared_ptr<directory::Store> store_;
};

}  // namespace vpr::testing
