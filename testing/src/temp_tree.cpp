#include "vpr/testing/temp_tree.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "vpr/directory/client.h"
#include "vpr/directory/names.h"
#include "vpr/directory/trees.h"
#include "vpr/machine/machine.h"

namespace vpr::testing {

TempTree::TempTree(std::string treeName, std::string administrator) : name_(std::move(treeName)) {
    std::string pattern = (std::filesystem::temp_directory_path() / "vprtree.XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        ADD_FAILURE() << "cannot make a temporary folder";
        return;
    }
    folder_ = pattern;
    path_ = folder_ + "/tree.db";
    Check(directory::Store::Create(path_, name_, &store_, administrator), "create the store");
}

namespace {

// Replaces (or with `attach` false, drops) the current machine's attachment of
// the tree. False when no machine is current.
bool UpdateMachine(const directory::AttachedTree& tree, bool attach) {
    auto current = vpr::machine::CurrentMachine();
    if (!current) return false;
    vpr::machine::Machine machine = *current;
    std::erase_if(machine.trees, [&](const vpr::machine::TreeAttachment& attached) {
        return directory::SameName(attached.name, tree.name);
    });
    if (attach)
        machine.trees.push_back({tree.name, tree.storeFile, tree.user, tree.authenticated});
    std::string error;
    if (!machine.Save(&error) || !vpr::machine::ReloadMachine(&error))
        ADD_FAILURE() << "attaching the tree to the machine: " << error;
    return true;
}

}  // namespace

TempTree::~TempTree() {
    directory::SetAttachedTrees(std::nullopt);
    UpdateMachine({name_, path_, "", false}, false);
    store_.reset();
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
}

TempTree& TempTree::Check(int status, const std::string& what) {
    if (status != DIR_SUCCESS) ADD_FAILURE() << "seeding the tree: " << what << " gave " << status;
    return *this;
}

TempTree& TempTree::Org(const std::string& name) { return Object(name, "Organization"); }

TempTree& TempTree::Unit(const std::string& name) { return Object(name, "Organizational Unit"); }

TempTree& TempTree::User(const std::string& name, const std::string& fullName) {
    directory::TextValues values;
    if (!fullName.empty()) values.push_back({"Full Name", {fullName}});
    return Object(name, "User", values);
}

TempTree& TempTree::Group(const std::string& name, const std::vector<std::string>& members) {
    Object(name, "Group");
    for (const std::string& member : members)
        Check(directory::AddGroupMember(*store_, name, member), "add " + member + " to " + name);
    return *this;
}

TempTree& TempTree::Object(const std::string& name, const std::string& className,
                           const directory::TextValues& values) {
    return Check(directory::AddObjectFromText(*store_, name, className, values), "add " + name);
}

TempTree& TempTree::Set(const std::string& object, const std::string& attribute,
                        const std::vector<std::string>& values) {
    return Check(directory::SetValuesFromText(*store_, object, attribute, values),
                 "set " + attribute + " of " + object);
}

std::string TempTree::Text(const std::string& object, const std::string& attribute) {
    directory::NameParts name;
    std::vector<directory::AttributeValues> values;
    if (directory::ParseName(object, {}, &name) || store_->ReadValues(name, {attribute}, &values) ||
        values.empty() || values[0].values.empty())
        return "";
    const auto& bytes = values[0].values[0].bytes;
    return std::string(bytes.begin(), bytes.end());
}

TempTree& TempTree::Stream(const std::string& object, const std::string& attribute,
                           const std::string& content) {
    return Check(directory::SetStream(*store_, object, attribute,
                                      std::vector<uint8_t>(content.begin(), content.end())),
                 "write stream " + attribute + " of " + object);
}

TempTree& TempTree::Grant(const std::string& object, const std::string& trustee,
                          const std::string& attribute, uint32_t rights) {
    return Check(directory::GrantRights(*store_, object, trustee, attribute, rights),
                 "grant " + trustee + " on " + object);
}

TempTree& TempTree::Attribute(const std::string& name, uint32_t syntax, bool singleValued) {
    return Check(store_->DefineAttribute({name, syntax, singleValued}), "define " + name);
}

TempTree& TempTree::Class(const directory::ClassDef& cls) {
    return Check(store_->DefineClass(cls), "define class " + cls.name);
}

TempTree& TempTree::Optional(const std::string& className, const std::string& attribute) {
    return Check(store_->AddOptionalAttribute(className, attribute),
                 "add " + attribute + " to " + className);
}

TempTree& TempTree::LogIn(const std::string& user, bool authenticated) {
    directory::AttachedTree tree{name_, path_, user, authenticated};
    if (!UpdateMachine(tree, true)) directory::SetAttachedTrees(std::vector{tree});
    return *this;
}

TempTree& TempTree::Attach() { return LogIn("", false); }

}  // namespace vpr::testing
